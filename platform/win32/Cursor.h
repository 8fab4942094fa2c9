// Cursors: pictures with a hot spot, loaded once and shared (never freed by their users, as the
// system's are), the window's current cursor and the counted show of the cursor. The system's own
// cursors are the arrow (IDC_ARROW) and the hand (IDC_HAND), drawn here; a library's cursor is a
// whole .cur file of one 32-bit picture (resource type 12). Main thread; the display reads the
// current cursor and the count.
#pragma once

#include "platform/win32/Gdi.h"
#include "platform/win32/WinTypes.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

struct HCURSOR__;
using HCURSOR = HCURSOR__*;
using HICON = HCURSOR;

inline LPCSTR const IDC_ARROW = reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(32512));
inline LPCSTR const IDC_HAND = reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(32649));
/// The resource type of a cursor file in a library.
inline LPCSTR const RT_CURSOR_FILE = reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(12));

struct ICONINFO
{
    BOOL fIcon = FALSE;
    DWORD xHotspot = 0;
    DWORD yHotspot = 0;
    HBITMAP hbmMask = nullptr;
    HBITMAP hbmColor = nullptr;
};

/// A cursor's picture: 0xAARRGGBB rows, top first.
struct SCursorImage
{
    int nWidth = 0;
    int nHeight = 0;
    int nHotX = 0;
    int nHotY = 0;
    std::vector<DWORD> aPixels;
};

/// The cursor of a library (hInstance) by id, or the system's (null hInstance: IDC_ARROW or
/// IDC_HAND); the same handle each time. Null when there is no such cursor or its file is damaged.
HCURSOR LoadCursor(HINSTANCE hInstance, LPCSTR szName);
/// Reads a .cur file of one 32-bit picture; false for anything else or a damaged file.
bool ParseCursorFile(std::span<const BYTE> bytes, SCursorImage& image);
/// The cursor's picture; null for a null handle.
const SCursorImage* GetCursorImage(HCURSOR hCursor);

/// The hot spot; no bitmaps are made (both null). FALSE for a null handle.
BOOL GetIconInfo(HICON hIcon, ICONINFO* pInfo);
/// Draws the picture with its top-left corner at (x, y), blended by its alpha.
BOOL DrawIcon(HDC hDC, int x, int y, HICON hIcon);

/// Makes the cursor the window's; the previous one.
HCURSOR SetCursor(HCURSOR hCursor);
HCURSOR GetCursor();
/// Counts shows up and hides down and returns the new count; the cursor shows while it is not
/// negative. Starts at 0.
int ShowCursor(BOOL bShow);
/// The count as it stands.
int GetCursorShowCount();
/// Who is told, on the thread that made it, of each change of the current cursor or of whether it
/// shows (the display, which shows each in turn); null for no one.
void SetCursorChangeHandler(std::function<void(HCURSOR hCursor, bool bShown)> handler);
