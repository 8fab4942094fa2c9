// A top-level window's menu bar and its menu loop, drawn by the dialog toolkit in the look of its
// dialogs. The bar lies in a band above the window's client area; a window that fills the screen
// shows it over its client area's top rows, and only while the menu is open. An open menu drops down
// over the client area under its bar item.
//
// The menu opens as a frame window's does:
//   - a press on a bar item (WM_NCLBUTTONDOWN where WM_NCHITTEST answers HTMENU) opens that item's menu;
//   - Alt pressed and let go with no other key or button between, or F10 (WM_SYSCOMMAND with
//     SC_KEYMENU, which the display posts), lights the first bar item; Down, Enter or an item's
//     underlined letter then opens its menu.
// While it is open (the menu loop, on the window's thread; nothing else of the program runs meanwhile
// but the messages it dispatches):
//
//   input                    | menu dropped down                        | only the bar lit
//   -------------------------|------------------------------------------|-------------------------
//   Left, Right              | the next bar item's menu, its first item | the next bar item lit
//   Up, Down                 | the item before or after (wrapping)      | drops the menu down
//   Enter                    | chooses the lit item                     | drops the menu down
//   an underlined letter     | chooses that item                        | drops that item's menu down
//   Escape                   | closes the menu, the bar stays lit       | leaves
//   Alt, F10                 | leaves                                   | leaves
//   mouse over a bar item    | drops that item's menu down              | (keys only)
//   release over an item     | chooses it (a press and drag chooses too)| -
//   press off the menu       | leaves                                   | leaves
//
// Greyed items are lit but never chosen. The window gets WM_ENTERMENULOOP first, WM_INITMENU, then
// WM_INITMENUPOPUP before each menu drops down (the framework greys and checks its items there),
// WM_EXITMENULOOP last, and then, posted, the WM_COMMAND of the item chosen.
//
// The debug log tells a script where each bar item lies when the bar is drawn ("Menu bar item 0 at
// x y", in the bar's own coordinates), where each item of a menu dropped down lies ("Menu item 32151
// at x y", in the client area), when the loop starts ("Menu: opened") and what it ended with ("Menu:
// chose 32151", "Menu: closed").
#pragma once

#include "platform/win32/Menus.h"
#include "platform/win32/WinTypes.h"

/// The band's height in pixels.
inline constexpr int MENU_BAR_HEIGHT = 20;

/// Gives the top-level window its menu bar (null takes it away) and draws it; the menu stays the
/// caller's: the window never destroys it.
BOOL SetMenu(HWND hWnd, HMENU hMenu);
/// The window's menu, null without one.
HMENU GetMenu(HWND hWnd);
/// Draws the window's bar again, after its items changed.
BOOL DrawMenuBar(HWND hWnd);

/// DefWindowProc's share of the menu: the hit test over the bar, a press on it and the system
/// commands that open the menu. TRUE when the message was one of those, its answer in *pResult.
BOOL HandleMenuMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
/// Called as the window is destroyed: it keeps no bar.
void ForgetMenuBar(HWND hWnd);
