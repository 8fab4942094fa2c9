// The display: one thread of the program alone talks to SDL2. It shows the top-level windows of the
// window table, turns what the user does into window messages for the windows' threads, shows the
// frames that the windows' owners hand it (the latest frame wins; an owner never waits), and shows
// message boxes. It waits for work and never spins. SDL-free header: only this folder sees SDL.
//
// On SDL's dummy video driver (SDL_VIDEODRIVER=dummy) the same code runs with no screen: frames can
// still be read back, and the input script named by VORN_INPUT_SCRIPT (see InputScript.h) plays the
// user, message boxes included.
#pragma once

#include "platform/dx/Surface.h"
#include "platform/win32/Cursor.h"
#include "platform/win32/SystemParameters.h"
#include "platform/win32/WinTypes.h"
#include "platform/win32/WindowTable.h"

#include <string>
#include <vector>

/// Starts the display thread once (later calls only report): installs it as the window table's
/// backend and as the message-box handler, and loads the input script. False when SDL's video cannot
/// start; windows then exist unseen and message boxes take their default button.
bool StartDisplay();
/// Closes the display's windows and ends its thread; at exit this happens by itself.
void StopDisplay();
bool IsDisplayThread();
/// True on SDL's dummy driver or without video: no user can see or answer anything.
bool IsDisplayHeadless();

struct SWindowDesc
{
    std::string strTitle = "Vorn";
    int nClientWidth = 800;  // pixels
    int nClientHeight = 600; // pixels
    bool bFullScreen = false;
};

/// Opens a visible top-level window owned by the calling thread; null (with the reason on standard
/// error) when there is no video driver to show it on.
HWND CreateGameWindow(const SWindowDesc& desc);
void DestroyGameWindow(HWND hWnd);

/// Moves the window so that its client area starts at the given screen position.
void SetClientPosition(HWND hWnd, int x, int y);
/// Where a primary surface bound to this window shows itself; full screen scales the whole primary
/// onto the desktop with its shape kept (black bars at the sides or above and below), windowed shows the
/// primary's rectangle under the window.
ISurfaceOutput* GetWindowOutput(HWND hWnd);
/// Marks a top-level window full screen (its frames fill the desktop) or windowed.
void SetWindowFullScreen(HWND hWnd, bool bFullScreen);
/// Whether the display shows the window full screen: a top-level window without caption or frame
/// whose rectangle covers the screen (as SDL reports it) is shown over the whole screen, and in a
/// window again once it does not. Each change is written to the debug log ("Display: "<title>" shown full screen,
/// <w> x <h>" or "... shown in a window, <w> x <h> at <x>, <y>"). Kept with a screen or without one;
/// the display applies a change shortly after the window's.
bool IsWindowShownFullScreen(HWND hWnd);
/// Frames handed to the display since the window opened.
int GetPresentCount(HWND hWnd);
/// The program's requests to put, confine or free the cursor the display has taken since it
/// started, oldest first (the last 64); kept with a screen or without one.
std::vector<SCursorRequest> GetCursorRequests();
/// A cursor the display showed over the game's windows, and whether it was shown or hidden.
struct SShownCursor
{
    HCURSOR hCursor = nullptr;
    bool bShown = true;
    friend bool operator==(const SShownCursor&, const SShownCursor&) = default;
};
/// The cursors the display has shown since it started, each change in the order the program made
/// it, oldest first (the last 64); kept with a screen or without one.
std::vector<SShownCursor> GetShownCursors();
/// The window's client area as last shown, as 0x00RRGGBB rows; waits for the frames handed over so
/// far. With bWhole the band of its menu bar above it too (see MenuBar.h), as SaveWindowPng writes it.
bool ReadWindowPixels(HWND hWnd, std::vector<DWORD>& aPixels, int* pWidth, int* pHeight, bool bWhole = false);
/// Writes the window's last shown frame as a PNG file: its menu bar's band, then its client area.
bool SaveWindowPng(HWND hWnd, const std::string& strPath);

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
