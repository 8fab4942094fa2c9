#include "platform/win32/Menus.h"

#include "platform/win32/DebugLog.h"
#include "platform/win32/Modules.h"
#include "platform/win32/ResourceLibrary.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

// A level of a menu: its items, and for each popup the level it opens.
struct HMENU__
{
    std::vector<SMenuItem> items;
    std::vector<std::unique_ptr<HMENU__>> subMenus; // one per item, null unless a popup
    std::vector<UINT> aState;                       // one per item: MF_GRAYED, MF_DISABLED, MF_CHECKED
};

namespace
{
constexpr WORD KNOWN_FLAGS = MF_POPUP | MF_SEPARATOR | MF_END;

void EncodeLevel(const std::vector<SMenuItem>& items, std::vector<BYTE>& data)
{
    for (std::size_t i = 0; i < items.size(); ++i)
    {
        const SMenuItem& item = items[i];
        const WORD nFlags = static_cast<WORD>(item.nFlags | (i + 1 == items.size() ? MF_END : 0));
        for (WORD nWord : {nFlags, item.nId})
        {
            data.push_back(static_cast<BYTE>(nWord & 0xFF));
            data.push_back(static_cast<BYTE>(nWord >> 8));
        }
        data.insert(data.end(), item.strText.begin(), item.strText.end());
        data.push_back(0);
        if ((item.nFlags & MF_POPUP) != 0)
            EncodeLevel(item.items, data);
    }
}

// Reads one level's items from nAt on, up to and including its item marked MF_END.
class CMenuReader
{
public:
    explicit CMenuReader(std::span<const BYTE> data) : m_data(data) {}

    bool ReadLevel(std::vector<SMenuItem>& items, int nDepth, std::string& strError)
    {
        if (nDepth > MENU_MAX_DEPTH)
            return Fail("submenus nest deeper than " + std::to_string(MENU_MAX_DEPTH) + " levels", strError);
        for (;;)
        {
            if (m_nAt + 4 > m_data.size())
                return Fail("cut off inside an item", strError);
            SMenuItem item;
            const WORD nFlags = Word();
            item.nId = Word();
            item.nFlags = static_cast<WORD>(nFlags & ~MF_END);
            if ((nFlags & ~KNOWN_FLAGS) != 0)
                return Fail("unknown item flags", strError);
            const auto end = std::find(m_data.begin() + static_cast<std::ptrdiff_t>(m_nAt), m_data.end(), BYTE{0});
            if (end == m_data.end())
                return Fail("an item text has no end", strError);
            item.strText.assign(m_data.begin() + static_cast<std::ptrdiff_t>(m_nAt), end);
            m_nAt = static_cast<std::size_t>(end - m_data.begin()) + 1;
            if ((nFlags & MF_POPUP) != 0 && !ReadLevel(item.items, nDepth + 1, strError))
                return false;
            items.push_back(std::move(item));
            if ((nFlags & MF_END) != 0)
                return true;
        }
    }

    bool AtEnd() const { return m_nAt == m_data.size(); }

private:
    WORD Word()
    {
        const WORD nWord = static_cast<WORD>(m_data[m_nAt] | m_data[m_nAt + 1] << 8);
        m_nAt += 2;
        return nWord;
    }

    bool Fail(const std::string& strWhat, std::string& strError)
    {
        strError = "menu byte " + std::to_string(m_nAt) + ": " + strWhat;
        return false;
    }

    std::span<const BYTE> m_data;
    std::size_t m_nAt = 0;
};

// Menus from LoadMenu until DestroyMenu: a handle is checked here before it is used.
struct SLiveMenus
{
    std::mutex mutex;
    std::map<HMENU, std::unique_ptr<HMENU__>> menus;
};

SLiveMenus& LiveMenus()
{
    static SLiveMenus s_live;
    return s_live;
}

std::unique_ptr<HMENU__> MakeLevel(const std::vector<SMenuItem>& items)
{
    auto pLevel = std::make_unique<HMENU__>();
    pLevel->items = items;
    pLevel->aState.assign(items.size(), 0);
    for (const SMenuItem& item : items)
        pLevel->subMenus.push_back((item.nFlags & MF_POPUP) != 0 ? MakeLevel(item.items) : nullptr);
    return pLevel;
}

// The level of a live menu or of one of its submenus; null for anything else.
HMENU__* FindLevel(HMENU__* pLevel, HMENU hMenu)
{
    if (pLevel == hMenu)
        return pLevel;
    for (const auto& pSub : pLevel->subMenus)
    {
        if (HMENU__* pFound = pSub != nullptr ? FindLevel(pSub.get(), hMenu) : nullptr)
            return pFound;
    }
    return nullptr;
}

HMENU__* LiveLevel(HMENU hMenu)
{
    SLiveMenus& live = LiveMenus();
    std::lock_guard lock(live.mutex);
    for (const auto& [hTop, pTop] : live.menus)
    {
        if (HMENU__* pFound = FindLevel(pTop.get(), hMenu))
            return pFound;
    }
    return nullptr;
}

struct SItemAt
{
    HMENU__* pLevel = nullptr;
    std::size_t nIndex = 0;
};

// The item a position names in the level, or the first of a command id in it or its submenus.
SItemAt FindItem(HMENU__* pLevel, UINT uId, UINT uFlags)
{
    if ((uFlags & MF_BYPOSITION) != 0)
        return uId < pLevel->items.size() ? SItemAt{pLevel, uId} : SItemAt{};
    for (std::size_t i = 0; i < pLevel->items.size(); ++i)
    {
        if ((pLevel->items[i].nFlags & MF_POPUP) == 0 && (pLevel->items[i].nFlags & MF_SEPARATOR) == 0 &&
            pLevel->items[i].nId == uId)
            return SItemAt{pLevel, i};
        if (pLevel->subMenus[i] != nullptr)
            if (const SItemAt found = FindItem(pLevel->subMenus[i].get(), uId, uFlags); found.pLevel != nullptr)
                return found;
    }
    return SItemAt{};
}

// Sets the bits of mask in an item's state to those of uValue; the masked state before, or -1.
UINT ChangeItemState(HMENU hMenu, UINT uId, UINT uFlags, UINT uMask, UINT uValue)
{
    HMENU__* pLevel = LiveLevel(hMenu);
    const SItemAt at = pLevel != nullptr ? FindItem(pLevel, uId, uFlags) : SItemAt{};
    if (at.pLevel == nullptr)
        return static_cast<UINT>(-1);
    UINT& uState = at.pLevel->aState[at.nIndex];
    const UINT uBefore = uState & uMask;
    uState = (uState & ~uMask) | (uValue & uMask);
    return uBefore;
}
} // namespace

std::vector<BYTE> EncodeMenu(const std::vector<SMenuItem>& items)
{
    std::vector<BYTE> data;
    EncodeLevel(items, data);
    return data;
}

bool DecodeMenu(std::span<const BYTE> data, std::vector<SMenuItem>& items, std::string& strError)
{
    items.clear();
    CMenuReader reader(data);
    if (!reader.ReadLevel(items, 1, strError))
    {
        items.clear();
        return false;
    }
    if (!reader.AtEnd())
    {
        items.clear();
        strError = "bytes follow the menu's last item";
        return false;
    }
    return true;
}

HMENU LoadMenu(HINSTANCE hInstance, LPCSTR szMenuName)
{
    const std::span<const BYTE> data = ResourceBytes(hInstance, szMenuName, MAKEINTRESOURCE(RT_MENU_ID));
    if (data.empty())
        return nullptr;
    std::vector<SMenuItem> items;
    std::string strError;
    if (!DecodeMenu(data, items, strError))
    {
        const std::string strName = SResourceKey::FromWin(szMenuName).Text();
        OutputDebugString(("menu " + strName + " refused: " + strError + "\n").c_str());
        return nullptr;
    }
    auto pMenu = MakeLevel(items);
    HMENU hMenu = pMenu.get();
    SLiveMenus& live = LiveMenus();
    std::lock_guard lock(live.mutex);
    live.menus.emplace(hMenu, std::move(pMenu));
    return hMenu;
}

BOOL DestroyMenu(HMENU hMenu)
{
    SLiveMenus& live = LiveMenus();
    std::lock_guard lock(live.mutex);
    return live.menus.erase(hMenu) == 1;
}

int GetMenuItemCount(HMENU hMenu)
{
    const HMENU__* pLevel = LiveLevel(hMenu);
    return pLevel != nullptr ? static_cast<int>(pLevel->items.size()) : -1;
}

UINT GetMenuItemID(HMENU hMenu, int nPos)
{
    const HMENU__* pLevel = LiveLevel(hMenu);
    if (pLevel == nullptr || nPos < 0 || static_cast<std::size_t>(nPos) >= pLevel->items.size())
        return static_cast<UINT>(-1);
    const SMenuItem& item = pLevel->items[static_cast<std::size_t>(nPos)];
    return (item.nFlags & MF_POPUP) != 0 ? static_cast<UINT>(-1) : item.nId;
}

HMENU GetSubMenu(HMENU hMenu, int nPos)
{
    const HMENU__* pLevel = LiveLevel(hMenu);
    if (pLevel == nullptr || nPos < 0 || static_cast<std::size_t>(nPos) >= pLevel->subMenus.size())
        return nullptr;
    return pLevel->subMenus[static_cast<std::size_t>(nPos)].get();
}

UINT EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable)
{
    return ChangeItemState(hMenu, uIDEnableItem, uEnable, MF_GRAYED | MF_DISABLED, uEnable);
}

DWORD CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck)
{
    return ChangeItemState(hMenu, uIDCheckItem, uCheck, MF_CHECKED, uCheck);
}

UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags)
{
    HMENU__* pLevel = LiveLevel(hMenu);
    const SItemAt at = pLevel != nullptr ? FindItem(pLevel, uId, uFlags) : SItemAt{};
    if (at.pLevel == nullptr)
        return static_cast<UINT>(-1);
    return at.pLevel->aState[at.nIndex] | (at.pLevel->items[at.nIndex].nFlags & (MF_POPUP | MF_SEPARATOR));
}

int GetMenuString(HMENU hMenu, UINT uIDItem, LPSTR lpString, int nMaxCount, UINT uFlag)
{
    HMENU__* pLevel = LiveLevel(hMenu);
    const SItemAt at = pLevel != nullptr ? FindItem(pLevel, uIDItem, uFlag) : SItemAt{};
    if (at.pLevel == nullptr)
        return 0;
    const std::string& strText = at.pLevel->items[at.nIndex].strText;
    if (lpString != nullptr && nMaxCount > 0)
    {
        const std::size_t nCopied = std::min(strText.size(), static_cast<std::size_t>(nMaxCount - 1));
        std::copy_n(strText.begin(), nCopied, lpString);
        lpString[nCopied] = '\0';
        return static_cast<int>(nCopied);
    }
    return static_cast<int>(strText.size());
}
