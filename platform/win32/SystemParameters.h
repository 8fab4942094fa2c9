// System-wide switches the game reads and changes: the screen saver, and where the program puts
// and confines the cursor. The display applies both to the real screen.
#pragma once

#include "platform/win32/WinTypes.h"

#include <functional>

inline constexpr UINT SPI_GETSCREENSAVEACTIVE = 16;
inline constexpr UINT SPI_SETSCREENSAVEACTIVE = 17;

/// SPI_GETSCREENSAVEACTIVE writes the switch (TRUE or FALSE) to the BOOL at pvParam;
/// SPI_SETSCREENSAVEACTIVE sets it to uiParam. FALSE for other actions.
BOOL SystemParametersInfo(UINT uiAction, UINT uiParam, void* pvParam, UINT fWinIni);

/// The desktop's double-click time in milliseconds. Linux desktops keep no setting the stand-in can
/// read without a desktop library, so it answers Windows' default, 500.
UINT GetDoubleClickTime();

/// The display's side: told of every change of the screen-saver switch. Null removes it.
void SetScreenSaverHandler(std::function<void(bool bActive)> handler);

/// What the program asks of the pointer, in screen coordinates: to put it at a point, to confine it
/// to a rectangle, or to free it.
struct SCursorRequest
{
    enum EKind
    {
        Place,
        Confine,
        Free
    };
    EKind eKind = Free;
    POINT pt{};
    RECT rc{};

    friend bool operator==(const SCursorRequest& a, const SCursorRequest& b)
    {
        return a.eKind == b.eKind && a.pt.x == b.pt.x && a.pt.y == b.pt.y && a.rc.left == b.rc.left &&
               a.rc.top == b.rc.top && a.rc.right == b.rc.right && a.rc.bottom == b.rc.bottom;
    }
};

/// The display's side: told of every request SetCursorPos and ClipCursor make. Null removes it.
void SetCursorRequestHandler(std::function<void(const SCursorRequest&)> handler);
/// Hands the request to the display's side, when there is one.
void RequestCursor(const SCursorRequest& request);

/// Confines the cursor to a rectangle of the screen (null frees it): kept, and handed to the
/// display, which confines the pointer of the window under it.
BOOL ClipCursor(const RECT* pRect);
/// The confinement kept, or the whole desktop when the cursor is free.
BOOL GetClipCursor(RECT* pRect);
