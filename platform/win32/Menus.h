// Menus: the frame's menu loaded from the resource library, loaded, read, greyed and checked item by
// item, and destroyed. A window shows its menu as a menu bar (MenuBar.h).
//
// Resource layout (type 4), numbers little-endian: the items of the top level, one after the
// other; each item is
//   u16 flags    MF_POPUP (a submenu follows the text), MF_SEPARATOR, MF_END (the last item of
//                its level)
//   u16 id       the command id (0 for a popup or a separator)
//   text         UTF-8, ended by a 0 byte
//   items        a popup's own items, its last one marked MF_END
// The top level's last item is marked MF_END and the data ends right after it. A damaged menu (cut
// off, unknown flags, a level without items, trailing bytes, nesting deeper than MENU_MAX_DEPTH) is
// refused with a reason.
#pragma once

#include "platform/win32/WinTypes.h"

#include <span>
#include <string>
#include <vector>

inline constexpr WORD MF_SEPARATOR = 0x0800;
inline constexpr WORD MF_POPUP = 0x0010;
inline constexpr WORD MF_END = 0x0080;
inline constexpr WORD RT_MENU_ID = 4;
inline constexpr int MENU_MAX_DEPTH = 8;
// How an item is named and what its state is (EnableMenuItem, CheckMenuItem, GetMenuState).
inline constexpr UINT MF_BYCOMMAND = 0x0000;
inline constexpr UINT MF_BYPOSITION = 0x0400;
inline constexpr UINT MF_ENABLED = 0x0000;
inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_DISABLED = 0x0002;
inline constexpr UINT MF_UNCHECKED = 0x0000;
inline constexpr UINT MF_CHECKED = 0x0008;

struct SMenuItem
{
    WORD nFlags = 0; // MF_POPUP or MF_SEPARATOR; MF_END is written by the encoder
    WORD nId = 0;
    std::string strText;
    std::vector<SMenuItem> items; // a popup's items
    friend bool operator==(const SMenuItem&, const SMenuItem&) = default;
};

struct HMENU__;
using HMENU = HMENU__*;

std::vector<BYTE> EncodeMenu(const std::vector<SMenuItem>& items);
/// Reads resource bytes; false with the reason in strError for a damaged menu.
bool DecodeMenu(std::span<const BYTE> data, std::vector<SMenuItem>& items, std::string& strError);

/// A new menu made from the module's menu resource; null when it is missing or damaged (the
/// reason goes to the debug log). The caller destroys it with DestroyMenu.
HMENU LoadMenu(HINSTANCE hInstance, LPCSTR szMenuName);
inline HMENU LoadMenuA(HINSTANCE hInstance, LPCSTR szMenuName) { return LoadMenu(hInstance, szMenuName); }
/// Frees a menu from LoadMenu with its submenus; FALSE for a handle that is not a live menu.
BOOL DestroyMenu(HMENU hMenu);
/// Items of the menu's level; -1 for a handle that is not a live menu.
int GetMenuItemCount(HMENU hMenu);
/// The command id of the item at nPos; -1 for a popup, 0 for a separator, -1 past the end.
UINT GetMenuItemID(HMENU hMenu, int nPos);
/// The submenu of the popup at nPos; null for a command, a separator or past the end.
HMENU GetSubMenu(HMENU hMenu, int nPos);
/// Greys (MF_GRAYED or MF_DISABLED) or enables an item, by its position or by its command id (the
/// first item of that id in the menu or its submenus); its state before, or -1 when there is none.
UINT EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable);
/// Checks (MF_CHECKED) or unchecks an item named as for EnableMenuItem; its check before, or -1.
DWORD CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck);
/// The item's MF_POPUP, MF_SEPARATOR, MF_GRAYED and MF_CHECKED bits; -1 when there is no such item.
UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags);
/// Copies the item's text (at most nMaxCount - 1 characters and the end); its length, 0 without one.
int GetMenuString(HMENU hMenu, UINT uIDItem, LPSTR lpString, int nMaxCount, UINT uFlag);
