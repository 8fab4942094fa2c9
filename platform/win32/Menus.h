// Menus: the frame's menu loaded from the resource library. The game keeps its menu without
// showing it, so these calls load, read and destroy a menu; nothing draws one.
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
