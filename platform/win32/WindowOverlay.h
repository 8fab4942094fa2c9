// Pictures shown over a top-level window's frames. A modal dialog draws itself on a surface of its
// own and hands it here; the display shows it over its owner's last frame (the game stands still
// behind it), and the user's keys and clicks on the owner go to the topmost overlay's window.
// Overlays of one owner stack in the order they were first shown; any thread may call.
#pragma once

#include "platform/win32/WinTypes.h"

#include <functional>
#include <vector>

/// Extended style of a window shown as an overlay of its owner rather than on a screen of its own.
inline constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001;

struct SWindowOverlay
{
    HWND hWnd = nullptr;        // the window the overlay shows
    std::vector<DWORD> aPixels; // 0x00RRGGBB rows
    int nWidth = 0;             // pixels
    int nHeight = 0;            // pixels
    POINT ptAt;                 // top left in the owner's client area
};

/// Shows the overlay over hOwner's frames, replacing the one of the same window in place.
void ShowWindowOverlay(HWND hOwner, SWindowOverlay overlay);
void RemoveWindowOverlay(HWND hOwner, HWND hWnd);
/// Copies of hOwner's overlays, the bottom one first.
std::vector<SWindowOverlay> GetWindowOverlays(HWND hOwner);
/// Where input for hOwner goes: the topmost overlay's window (its position in pAt), else hOwner itself.
HWND OverlayInputTarget(HWND hOwner, POINT* pAt);
/// The window whose frames show hWnd as an overlay, null when it is shown nowhere.
HWND OverlayOwner(HWND hWnd);
/// Told the owner each time its overlays change (the display installs it; null removes it).
void SetWindowOverlayListener(std::function<void(HWND hOwner)> listener);
/// Draws the overlays onto an owner's frame of nWidth x nHeight pixels, each clipped to the frame.
void DrawWindowOverlays(const std::vector<SWindowOverlay>& aOverlays, std::vector<DWORD>& aFrame, int nWidth,
                        int nHeight);
