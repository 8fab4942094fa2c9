// Pictures shown over a top-level window's frames. A modal dialog draws itself on a surface of its
// own and hands it here; the display shows it over its owner's last frame (the game stands still
// behind it), and the user's keys and clicks on the owner go to the topmost overlay's window.
// Overlays of one owner stack in the order they were first shown; any thread may call.
//
// A window with a menu hands its menu bar's picture here too: the display shows it in a band above
// the window's client area while the window is windowed (as a frame window's menu bar lies above
// its client area, outside the rectangle the program draws in), and over the client area's top rows
// in full screen only while the menu is open.
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
    bool bMenu = false;         // an open menu's picture, not a dialog
    bool bKeyed = false;        // pixels of OVERLAY_CLEAR show what lies beneath
};

/// A pixel of a keyed overlay that is not drawn.
inline constexpr DWORD OVERLAY_CLEAR = 0xFF000000;

/// The picture of a window's menu bar, drawn from its left edge; the display fills the rest of the
/// band's width with the picture's last column.
struct SWindowMenuBar
{
    std::vector<DWORD> aPixels; // 0x00RRGGBB rows
    int nWidth = 0;             // pixels
    int nHeight = 0;            // pixels: the band's height
    bool bOpen = false;         // the menu is open: shown in full screen too
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
/// Shows the window's menu bar (replacing the one it had); a bar of no height removes it.
void ShowWindowMenuBar(HWND hWnd, SWindowMenuBar bar);
void RemoveWindowMenuBar(HWND hWnd);
/// A copy of the window's menu bar; no pixels and no height when it has none.
SWindowMenuBar GetWindowMenuBar(HWND hWnd);
/// The display's record of where it shows the window's bar: over the client area's top rows (the
/// window fills the screen), else in the band above it.
void SetMenuBarOverClient(HWND hWnd, bool bOverClient);
bool IsMenuBarOverClient(HWND hWnd);
/// Told the owner each time its overlays or its menu bar change (the display installs it; null removes it).
void SetWindowOverlayListener(std::function<void(HWND hOwner)> listener);
/// Draws the overlays onto an owner's frame of nWidth x nHeight pixels, each clipped to the frame.
void DrawWindowOverlays(const std::vector<SWindowOverlay>& aOverlays, std::vector<DWORD>& aFrame, int nWidth,
                        int nHeight);
