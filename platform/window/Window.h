// The game's top-level window over SDL2, and the desktop it lives on. SDL-free header: only Window.cpp sees SDL.
//
// A window shows the primary surface of DirectDraw: windowed, its client area is the rectangle of the
// desktop-sized primary at the window's screen position; full screen (desktop-sized, no mode switch), the whole
// primary is scaled onto it. On SDL's dummy video driver (SDL_VIDEODRIVER=dummy) the same code runs with no
// display, and the shown frame can still be read back.
//
// Threads: every call here must come from the one thread that created the first window (SDL's rule).
#pragma once

#include "platform/dx/Surface.h"
#include "platform/win32/WinTypes.h"

#include <string>
#include <vector>

struct SWindowDesc
{
    std::string strTitle = "Vorn";
    int nClientWidth = 800;  // pixels
    int nClientHeight = 600; // pixels
    bool bFullScreen = false;
};

/// Opens a window; null (with SDL's reason on standard error) when there is no video driver to open it on.
HWND CreateGameWindow(const SWindowDesc& desc);
void DestroyGameWindow(HWND hWnd);

BOOL GetClientRect(HWND hWnd, RECT* pRect);
BOOL ClientToScreen(HWND hWnd, POINT* pPoint);
/// Moves the window so that its client area starts at the given screen position.
void SetClientPosition(HWND hWnd, int x, int y);
/// Where a primary surface bound to this window shows itself.
ISurfaceOutput* GetWindowOutput(HWND hWnd);
/// Frames shown since the window opened.
int GetPresentCount(HWND hWnd);
/// The window's pixels as last presented, read back from SDL, as 0x00RRGGBB rows.
bool ReadWindowPixels(HWND hWnd, std::vector<DWORD>& aPixels, int* pWidth, int* pHeight);

struct SDesktopInfo
{
    int nWidth = 0;  // pixels
    int nHeight = 0; // pixels
    int nBits = 32;
    std::vector<SIZE> aModes; // display sizes the screen offers, largest first
};
/// The desktop as SDL reports it; false when SDL's video cannot start.
bool GetDesktopInfo(SDesktopInfo& info);

class CDisplayAdapter;
/// Installs the display adapter of this machine: the project's software device in the modes SDL reports
/// (640 x 480 and 800 x 600 always among them) at 16 and 32 bits, shown in the game's windows.
/// Null when SDL's video cannot start.
CDisplayAdapter* InstallSystemDisplayAdapter();
