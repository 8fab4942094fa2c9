#include "platform/win32/MenuBar.h"

#include "platform/win32/DebugLog.h"
#include "platform/win32/Gdi.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/Messages.h"
#include "platform/win32/WindowOverlay.h"
#include "platform/win32/WindowTable.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace
{
// The look of the toolkit's dialogs: felt green, cream text, brass lines.
constexpr COLORREF BAR_BACK = RGB(18, 48, 30);
constexpr COLORREF MENU_BACK = RGB(24, 64, 40);
constexpr COLORREF LIT = RGB(52, 104, 70);
constexpr COLORREF TEXT = RGB(238, 232, 210);
constexpr COLORREF TEXT_GREYED = RGB(120, 140, 124);
constexpr COLORREF BRASS = RGB(196, 170, 104);
constexpr int FONT_HEIGHT = -12; // pixels of the characters (9 points)
constexpr const char* FONT_FACE = "MS Sans Serif";
// Pixels.
constexpr LONG BAR_LEFT = 4;
constexpr LONG BAR_ITEM_PADDING = 8;
constexpr LONG ROW_HEIGHT = 20;
constexpr LONG SEPARATOR_HEIGHT = 7;
constexpr LONG CHECK_COLUMN = 22;
constexpr LONG KEY_GAP = 28;
constexpr LONG RIGHT_MARGIN = 12;
constexpr LONG MENU_MIN_WIDTH = 150;
constexpr const char* LOOP_CLASS = "VornMenuLoop";

/// A window's bar: its menu, the lit item and whether the menu is open.
struct SBarState
{
    HMENU hMenu = nullptr;
    int nLit = -1;
    bool bOpen = false;
};

std::mutex s_mutex;
std::map<HWND, SBarState> s_bars; // guarded by s_mutex

std::optional<SBarState> BarOf(HWND hWnd)
{
    std::lock_guard lock(s_mutex);
    const auto it = s_bars.find(hWnd);
    return it == s_bars.end() ? std::nullopt : std::optional<SBarState>(it->second);
}

void SetBarLit(HWND hWnd, int nLit, bool bOpen)
{
    std::lock_guard lock(s_mutex);
    if (const auto it = s_bars.find(hWnd); it != s_bars.end())
    {
        it->second.nLit = nLit;
        it->second.bOpen = bOpen;
    }
}

std::string ItemText(HMENU hMenu, int nPos)
{
    char sz[256] = {};
    GetMenuString(hMenu, static_cast<UINT>(nPos), sz, static_cast<int>(sizeof sz), MF_BYPOSITION);
    return sz;
}

/// The upper-case letter after the text's single '&', 0 without one.
char Mnemonic(const std::string& strText)
{
    for (std::size_t i = 0; i + 1 < strText.size(); ++i)
    {
        if (strText[i] != '&')
            continue;
        if (strText[i + 1] == '&')
        {
            ++i;
            continue;
        }
        return static_cast<char>(std::toupper(static_cast<unsigned char>(strText[i + 1])));
    }
    return 0;
}

bool Contains(const RECT& rc, POINT pt)
{
    return pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom;
}

void Fill(HDC hDC, const RECT& rc, COLORREF cr)
{
    HBRUSH hBrush = CreateSolidBrush(cr);
    FillRect(hDC, &rc, hBrush);
    DeleteObject(hBrush);
}

void HLine(HDC hDC, LONG x0, LONG x1, LONG y, COLORREF cr) { Fill(hDC, RECT{x0, y, x1, y + 1}, cr); }

/// A pixel picture with a device context over it and the menu's font chosen into it.
class CMenuCanvas
{
public:
    CMenuCanvas(LONG nWidth, LONG nHeight, COLORREF crBack)
        : m_aPixels(static_cast<std::size_t>(std::max<LONG>(nWidth, 1)) *
                    static_cast<std::size_t>(std::max<LONG>(nHeight, 1))),
          m_nWidth(std::max<LONG>(nWidth, 1)), m_nHeight(std::max<LONG>(nHeight, 1))
    {
        SGdiPixels pixels;
        pixels.pBits = reinterpret_cast<BYTE*>(m_aPixels.data());
        pixels.nWidth = m_nWidth;
        pixels.nHeight = m_nHeight;
        pixels.nPitch = m_nWidth * 4;
        m_hDC = CreatePixelsDC(pixels);
        m_hFont = CreateFont(FONT_HEIGHT, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, FONT_FACE);
        m_hOldFont = SelectObject(m_hDC, m_hFont);
        SetBkMode(m_hDC, TRANSPARENT);
        Fill(m_hDC, RECT{0, 0, m_nWidth, m_nHeight}, crBack);
    }
    ~CMenuCanvas()
    {
        SelectObject(m_hDC, m_hOldFont);
        DeleteObject(m_hFont);
        DeleteDC(m_hDC);
    }
    CMenuCanvas(const CMenuCanvas&) = delete;
    CMenuCanvas& operator=(const CMenuCanvas&) = delete;

    HDC Dc() const { return m_hDC; }
    LONG Width() const { return m_nWidth; }
    LONG Height() const { return m_nHeight; }
    /// The picture as 0x00RRGGBB rows.
    std::vector<DWORD> Pixels() const
    {
        std::vector<DWORD> aPixels = m_aPixels;
        for (DWORD& p : aPixels)
            p &= 0x00FFFFFF;
        return aPixels;
    }
    LONG TextWidth(const std::string& strText) const
    {
        RECT rc{0, 0, 0, 0};
        DrawText(m_hDC, strText.c_str(), static_cast<int>(strText.size()), &rc, DT_SINGLELINE | DT_CALCRECT);
        return rc.right - rc.left;
    }
    void Text(const std::string& strText, RECT rc, COLORREF cr, UINT nFormat) const
    {
        SetTextColor(m_hDC, cr);
        DrawText(m_hDC, strText.c_str(), static_cast<int>(strText.size()), &rc, nFormat | DT_SINGLELINE | DT_VCENTER);
    }

private:
    std::vector<DWORD> m_aPixels;
    LONG m_nWidth;
    LONG m_nHeight;
    HDC m_hDC = nullptr;
    HFONT m_hFont = nullptr;
    HGDIOBJ m_hOldFont = nullptr;
};

/// The bar items' rectangles in the bar's coordinates.
std::vector<RECT> LayOutBar(HMENU hMenu)
{
    const CMenuCanvas measure(1, 1, BAR_BACK);
    std::vector<RECT> aItems;
    LONG x = BAR_LEFT;
    for (int i = 0; i < std::max(0, GetMenuItemCount(hMenu)); ++i)
    {
        const LONG nWidth = measure.TextWidth(ItemText(hMenu, i)) + 2 * BAR_ITEM_PADDING;
        aItems.push_back(RECT{x, 0, x + nWidth, MENU_BAR_HEIGHT});
        x += nWidth;
    }
    return aItems;
}

LONG ClientWidth(HWND hWnd)
{
    RECT rc{};
    GetClientRect(hWnd, &rc);
    return std::max<LONG>(rc.right - rc.left, 1);
}

/// Draws the bar with its lit item and hands it to the display.
void PaintBar(HWND hWnd)
{
    const std::optional<SBarState> bar = BarOf(hWnd);
    if (!bar.has_value() || bar->hMenu == nullptr)
        return;
    const std::vector<RECT> aItems = LayOutBar(bar->hMenu);
    CMenuCanvas canvas(ClientWidth(hWnd), MENU_BAR_HEIGHT, BAR_BACK);
    HLine(canvas.Dc(), 0, canvas.Width(), MENU_BAR_HEIGHT - 1, BRASS);
    for (int i = 0; i < static_cast<int>(aItems.size()); ++i)
    {
        const RECT& rc = aItems[static_cast<std::size_t>(i)];
        if (i == bar->nLit)
        {
            Fill(canvas.Dc(), RECT{rc.left, rc.top + 1, rc.right, rc.bottom - 1}, LIT);
            HLine(canvas.Dc(), rc.left, rc.right, rc.bottom - 2, BRASS);
        }
        const bool bGreyed = (GetMenuState(bar->hMenu, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED) != 0;
        canvas.Text(ItemText(bar->hMenu, i), rc, bGreyed ? TEXT_GREYED : TEXT, DT_CENTER);
    }
    ShowWindowMenuBar(hWnd,
                      SWindowMenuBar{canvas.Pixels(), static_cast<int>(canvas.Width()), MENU_BAR_HEIGHT, bar->bOpen});
}

void LogBarItems(HMENU hMenu)
{
    const std::vector<RECT> aItems = LayOutBar(hMenu);
    for (std::size_t i = 0; i < aItems.size(); ++i)
    {
        char szLine[80];
        std::snprintf(szLine, sizeof szLine, "Menu bar item %zu at %d %d\n", i,
                      static_cast<int>((aItems[i].left + aItems[i].right) / 2), MENU_BAR_HEIGHT / 2);
        OutputDebugString(szLine);
    }
}

/// A row of a menu dropped down.
struct SRow
{
    UINT nId = 0;
    UINT nState = 0; // MF_GRAYED, MF_CHECKED, MF_SEPARATOR, MF_POPUP
    std::string strText;
    std::string strKey; // the text after a tab: the item's key
    RECT rc;            // in the menu's own coordinates
    bool IsSeparator() const { return (nState & MF_SEPARATOR) != 0; }
    /// Whether it can be lit: a command or a submenu, not a separator.
    bool CanLight() const { return !IsSeparator(); }
    /// Whether choosing it runs a command: submenus of a menu are shown greyed.
    bool CanChoose() const { return !IsSeparator() && (nState & (MF_GRAYED | MF_DISABLED | MF_POPUP)) == 0; }
};

struct SDropDown
{
    HMENU hMenu = nullptr;
    std::vector<SRow> aRows;
    RECT rc; // in the client area
};

SDropDown LayOutDropDown(HMENU hMenu, LONG xLeft, LONG yTop, LONG nClientWidth)
{
    const CMenuCanvas measure(1, 1, MENU_BACK);
    SDropDown drop;
    drop.hMenu = hMenu;
    LONG nTextWidth = 0, nKeyWidth = 0, y = 1;
    for (int i = 0; i < std::max(0, GetMenuItemCount(hMenu)); ++i)
    {
        SRow row;
        row.nState = GetMenuState(hMenu, static_cast<UINT>(i), MF_BYPOSITION);
        row.nId = (row.nState & (MF_POPUP | MF_SEPARATOR)) != 0 ? 0 : GetMenuItemID(hMenu, i);
        const std::string strText = ItemText(hMenu, i);
        const std::size_t nTab = strText.find('\t');
        row.strText = strText.substr(0, nTab);
        row.strKey = nTab == std::string::npos ? std::string() : strText.substr(nTab + 1);
        const LONG nHeight = row.IsSeparator() ? SEPARATOR_HEIGHT : ROW_HEIGHT;
        row.rc = RECT{1, y, 1, y + nHeight};
        y += nHeight;
        nTextWidth = std::max(nTextWidth, measure.TextWidth(row.strText));
        nKeyWidth = std::max(nKeyWidth, measure.TextWidth(row.strKey));
        drop.aRows.push_back(std::move(row));
    }
    const LONG nWidth =
        std::max(MENU_MIN_WIDTH, CHECK_COLUMN + nTextWidth + (nKeyWidth > 0 ? KEY_GAP + nKeyWidth : 0) + RIGHT_MARGIN);
    for (SRow& row : drop.aRows)
        row.rc.right = nWidth + 1;
    // The menu stays inside the client area: moved left when it would pass its right edge.
    const LONG x = std::max<LONG>(0, std::min(xLeft, nClientWidth - (nWidth + 2)));
    drop.rc = RECT{x, yTop, x + nWidth + 2, yTop + y + 1};
    return drop;
}

/// A tick in the check column.
void PaintTick(HDC hDC, const RECT& rcRow, COLORREF cr)
{
    const LONG xMid = rcRow.left + CHECK_COLUMN / 2;
    const LONG yMid = (rcRow.top + rcRow.bottom) / 2;
    HPEN hPen = CreatePen(PS_SOLID, 2, cr);
    HGDIOBJ hOld = SelectObject(hDC, hPen);
    MoveToEx(hDC, xMid - 5, yMid, nullptr);
    LineTo(hDC, xMid - 2, yMid + 3);
    LineTo(hDC, xMid + 4, yMid - 4);
    SelectObject(hDC, hOld);
    DeleteObject(hPen);
}

/// The menu dropped down, drawn into a client-sized keyed picture: clear but for the menu.
std::vector<DWORD> PaintDropDown(const SDropDown& drop, int nLit, LONG nClientWidth, LONG nClientHeight)
{
    const LONG nWidth = drop.rc.right - drop.rc.left, nHeight = drop.rc.bottom - drop.rc.top;
    CMenuCanvas canvas(nWidth, nHeight, MENU_BACK);
    HBRUSH hFrame = CreateSolidBrush(BRASS);
    const RECT rcAll{0, 0, nWidth, nHeight};
    FrameRect(canvas.Dc(), &rcAll, hFrame);
    DeleteObject(hFrame);
    for (int i = 0; i < static_cast<int>(drop.aRows.size()); ++i)
    {
        const SRow& row = drop.aRows[static_cast<std::size_t>(i)];
        if (row.IsSeparator())
        {
            HLine(canvas.Dc(), row.rc.left + 6, row.rc.right - 6, (row.rc.top + row.rc.bottom) / 2, BRASS);
            continue;
        }
        if (i == nLit)
            Fill(canvas.Dc(), row.rc, LIT);
        const COLORREF cr = row.CanChoose() ? TEXT : TEXT_GREYED;
        if ((row.nState & MF_CHECKED) != 0)
            PaintTick(canvas.Dc(), row.rc, cr);
        canvas.Text(row.strText, RECT{row.rc.left + CHECK_COLUMN, row.rc.top, row.rc.right, row.rc.bottom}, cr,
                    DT_LEFT);
        canvas.Text(row.strKey, RECT{row.rc.left, row.rc.top, row.rc.right - RIGHT_MARGIN, row.rc.bottom}, cr,
                    DT_RIGHT | DT_NOPREFIX);
    }
    std::vector<DWORD> aClient(static_cast<std::size_t>(nClientWidth) * static_cast<std::size_t>(nClientHeight),
                               OVERLAY_CLEAR);
    const std::vector<DWORD> aMenu = canvas.Pixels();
    for (LONG y = 0; y < nHeight; ++y)
        for (LONG x = 0; x < nWidth; ++x)
        {
            const LONG cx = drop.rc.left + x, cy = drop.rc.top + y;
            if (cx >= 0 && cx < nClientWidth && cy >= 0 && cy < nClientHeight)
                aClient[static_cast<std::size_t>(cy * nClientWidth + cx)] =
                    aMenu[static_cast<std::size_t>(y * nWidth + x)];
        }
    return aClient;
}

void RegisterLoopClass()
{
    static const bool s_bRegistered = []
    {
        WNDCLASS wc;
        wc.lpfnWndProc = &DefWindowProc;
        wc.lpszClassName = LOOP_CLASS;
        RegisterClass(&wc);
        return true;
    }();
    (void)s_bRegistered;
}

bool IsMenuInput(UINT uMsg)
{
    return (uMsg >= WM_KEYFIRST && uMsg <= WM_KEYLAST) || (uMsg >= WM_MOUSEFIRST && uMsg <= WM_MOUSELAST) ||
           uMsg == WM_NCMOUSEMOVE || uMsg == WM_NCLBUTTONDOWN || uMsg == WM_NCLBUTTONUP || uMsg == WM_SYSCOMMAND;
}

POINT PointOf(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

/// The menu loop of one window: see the table in MenuBar.h.
class CMenuLoop
{
public:
    CMenuLoop(HWND hWnd, HMENU hMenu) : m_hWnd(hWnd), m_hMenu(hMenu), m_aBar(LayOutBar(hMenu)) {}

    /// nItem: the bar item lit first; bDrop: its menu drops down at once; bHeld: a button holds it
    /// open (the press that opened it).
    void Run(int nItem, bool bDrop, bool bHeld);

private:
    void Handle(const MSG& msg);
    void OnKey(int nVk);
    void OnBarMouse(UINT uMsg, POINT ptClient);
    void OnMenuMouse(UINT uMsg, POINT ptClient);
    void LightBar(int nItem, bool bDrop, int nRow);
    void DropDown(int nRow);
    void CloseDropDown();
    /// The next row from nFrom that can be lit, going by nStep and wrapping; -1 when none can.
    int NextRow(int nFrom, int nStep) const;
    int RowAt(POINT ptClient) const;
    int BarItemAt(LONG x) const;
    int BarItemOf(char cLetter) const;
    void Choose(int nRow);
    void End(UINT nChosen);
    void Show();
    LONG BarTop() const { return IsMenuBarOverClient(m_hWnd) ? 0 : -MENU_BAR_HEIGHT; }

    HWND m_hWnd;
    HMENU m_hMenu;
    std::vector<RECT> m_aBar;
    HWND m_hLoop = nullptr; // the window the display hands the input to while the loop runs
    int m_nBar = -1;
    std::optional<SDropDown> m_drop;
    int m_nRow = -1;
    bool m_bHeld = false;
    bool m_bEnded = false;
};

void CMenuLoop::Run(int nItem, bool bDrop, bool bHeld)
{
    RegisterLoopClass();
    SendMessage(m_hWnd, WM_ENTERMENULOOP, 0, 0);
    SendMessage(m_hWnd, WM_INITMENU, reinterpret_cast<WPARAM>(m_hMenu), 0);
    m_hLoop =
        CreateWindowEx(WS_EX_DLGMODALFRAME, LOOP_CLASS, "", WS_POPUP, 0, 0, 0, 0, m_hWnd, nullptr, nullptr, nullptr);
    m_bHeld = bHeld;
    LightBar(nItem, bDrop, bDrop && !bHeld ? 0 : -1);
    OutputDebugString("Menu: opened\n");
    while (!m_bEnded && IsWindow(m_hWnd))
    {
        MSG msg;
        if (GetMessage(&msg, nullptr, 0, 0) == 0)
        {
            PostQuitMessage(static_cast<int>(msg.wParam)); // the outer loop ends too
            End(0);
            break;
        }
        if ((msg.hwnd == m_hLoop || msg.hwnd == m_hWnd) && IsMenuInput(msg.message))
            Handle(msg);
        else
        {
            // Closing the window closes its menu first.
            if (msg.hwnd == m_hWnd && msg.message == WM_CLOSE)
                End(0);
            DispatchMessage(&msg);
        }
    }
    if (!m_bEnded)
        End(0);
}

void CMenuLoop::Handle(const MSG& msg)
{
    switch (msg.message)
    {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        OnKey(static_cast<int>(msg.wParam));
        break;
    case WM_SYSCOMMAND:
        if ((msg.wParam & 0xFFF0) == SC_KEYMENU)
            End(0); // Alt let go alone again, or F10 again
        break;
    case WM_NCMOUSEMOVE:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    {
        POINT pt = PointOf(msg.lParam);
        ScreenToClient(m_hWnd, &pt);
        OnBarMouse(msg.message, pt);
        break;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    {
        // The loop's window takes the input over the whole client area, in its coordinates.
        const POINT pt = PointOf(msg.lParam);
        if (IsMenuBarOverClient(m_hWnd) && pt.y < MENU_BAR_HEIGHT)
            OnBarMouse(msg.message == WM_MOUSEMOVE   ? WM_NCMOUSEMOVE
                       : msg.message == WM_LBUTTONUP ? WM_NCLBUTTONUP
                                                     : WM_NCLBUTTONDOWN,
                       pt);
        else
            OnMenuMouse(msg.message, pt);
        break;
    }
    default:
        break;
    }
}

void CMenuLoop::OnKey(int nVk)
{
    const int nItems = static_cast<int>(m_aBar.size());
    switch (nVk)
    {
    case VK_ESCAPE:
        if (m_drop.has_value())
            CloseDropDown();
        else
            End(0);
        return;
    case VK_LEFT:
    case VK_RIGHT:
        if (nItems > 0)
            LightBar((m_nBar + (nVk == VK_LEFT ? nItems - 1 : 1)) % nItems, m_drop.has_value(), 0);
        return;
    case VK_DOWN:
    case VK_UP:
        if (!m_drop.has_value())
            DropDown(nVk == VK_DOWN ? 0 : -2);
        else
        {
            m_nRow = NextRow(m_nRow, nVk == VK_DOWN ? 1 : -1);
            Show();
        }
        return;
    case VK_RETURN:
        if (!m_drop.has_value())
            DropDown(0);
        else if (m_nRow >= 0)
            Choose(m_nRow);
        return;
    default:
        break;
    }
    // Alt and F10 end the loop by the SC_KEYMENU the display posts for them, not by their keys.
    if (!((nVk >= 'A' && nVk <= 'Z') || (nVk >= '0' && nVk <= '9')))
        return;
    const char cLetter = static_cast<char>(nVk);
    if (!m_drop.has_value())
    {
        if (const int nItem = BarItemOf(cLetter); nItem >= 0)
            LightBar(nItem, true, 0);
        return;
    }
    for (std::size_t i = 0; i < m_drop->aRows.size(); ++i)
        if (m_drop->aRows[i].CanLight() && Mnemonic(m_drop->aRows[i].strText) == cLetter)
        {
            Choose(static_cast<int>(i));
            return;
        }
}

void CMenuLoop::OnBarMouse(UINT uMsg, POINT ptClient)
{
    const int nItem = BarItemAt(ptClient.x);
    if (uMsg == WM_NCLBUTTONUP)
    {
        m_bHeld = false;
        return;
    }
    if (uMsg == WM_NCMOUSEMOVE)
    {
        // Over the bar the open menu follows the mouse from item to item.
        if (nItem >= 0 && nItem != m_nBar && (m_drop.has_value() || m_bHeld))
            LightBar(nItem, true, -1);
        return;
    }
    if (nItem < 0 || (nItem == m_nBar && m_drop.has_value()))
    {
        End(0); // a press off the items, or on the open item's title, closes the menu
        return;
    }
    m_bHeld = true;
    LightBar(nItem, true, -1);
}

void CMenuLoop::OnMenuMouse(UINT uMsg, POINT ptClient)
{
    const int nRow = RowAt(ptClient);
    if (uMsg == WM_MOUSEMOVE)
    {
        if (m_drop.has_value() && (nRow >= 0 || m_nRow >= 0) && nRow != m_nRow)
        {
            m_nRow = nRow;
            Show();
        }
        return;
    }
    if (uMsg == WM_LBUTTONUP)
    {
        if (nRow >= 0)
            Choose(nRow);
        m_bHeld = false;
        return;
    }
    if (nRow < 0)
        End(0); // a press off the menu
}

void CMenuLoop::LightBar(int nItem, bool bDrop, int nRow)
{
    if (nItem < 0 || nItem >= static_cast<int>(m_aBar.size()))
        return;
    m_nBar = nItem;
    m_drop.reset();
    m_nRow = -1;
    if (bDrop)
        DropDown(nRow);
    else
        Show();
}

void CMenuLoop::DropDown(int nRow)
{
    const HMENU hSub = GetSubMenu(m_hMenu, m_nBar);
    if (hSub == nullptr)
    {
        // A command on the bar itself: chosen as it is opened.
        if (const UINT nId = GetMenuItemID(m_hMenu, m_nBar);
            nId != static_cast<UINT>(-1) &&
            (GetMenuState(m_hMenu, static_cast<UINT>(m_nBar), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)) == 0)
            End(nId);
        else
            Show();
        return;
    }
    SendMessage(m_hWnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hSub), MAKELPARAM(m_nBar, 0));
    const RECT& rcItem = m_aBar[static_cast<std::size_t>(m_nBar)];
    m_drop = LayOutDropDown(hSub, rcItem.left, BarTop() + MENU_BAR_HEIGHT, ClientWidth(m_hWnd));
    m_nRow = nRow == -2 ? NextRow(0, -1) : nRow >= 0 ? NextRow(nRow - 1, 1) : -1;
    // Shown before the log names its items: a script that waits for them finds the menu drawn.
    Show();
    for (const SRow& row : m_drop->aRows)
        if (!row.IsSeparator() && row.nId != 0)
        {
            char szLine[80];
            std::snprintf(szLine, sizeof szLine, "Menu item %u at %d %d\n", row.nId,
                          static_cast<int>(m_drop->rc.left + (row.rc.left + row.rc.right) / 2),
                          static_cast<int>(m_drop->rc.top + (row.rc.top + row.rc.bottom) / 2));
            OutputDebugString(szLine);
        }
}

void CMenuLoop::CloseDropDown()
{
    m_drop.reset();
    m_nRow = -1;
    Show();
}

int CMenuLoop::NextRow(int nFrom, int nStep) const
{
    const int nRows = static_cast<int>(m_drop->aRows.size());
    for (int i = 1; i <= nRows; ++i)
    {
        const int nRow = ((nFrom + i * nStep) % nRows + nRows) % nRows;
        if (m_drop->aRows[static_cast<std::size_t>(nRow)].CanLight())
            return nRow;
    }
    return -1;
}

int CMenuLoop::RowAt(POINT ptClient) const
{
    if (!m_drop.has_value() || !Contains(m_drop->rc, ptClient))
        return -1;
    const POINT pt{ptClient.x - m_drop->rc.left, ptClient.y - m_drop->rc.top};
    for (std::size_t i = 0; i < m_drop->aRows.size(); ++i)
        if (m_drop->aRows[i].CanLight() && Contains(m_drop->aRows[i].rc, pt))
            return static_cast<int>(i);
    return -1;
}

int CMenuLoop::BarItemAt(LONG x) const
{
    for (std::size_t i = 0; i < m_aBar.size(); ++i)
        if (x >= m_aBar[i].left && x < m_aBar[i].right)
            return static_cast<int>(i);
    return -1;
}

int CMenuLoop::BarItemOf(char cLetter) const
{
    for (int i = 0; i < static_cast<int>(m_aBar.size()); ++i)
        if (Mnemonic(ItemText(m_hMenu, i)) == cLetter)
            return i;
    return -1;
}

void CMenuLoop::Choose(int nRow)
{
    const SRow& row = m_drop->aRows[static_cast<std::size_t>(nRow)];
    if (!row.CanChoose())
    {
        m_nRow = nRow; // a greyed item is lit, never chosen
        Show();
        return;
    }
    End(row.nId);
}

void CMenuLoop::End(UINT nChosen)
{
    m_bEnded = true;
    m_drop.reset();
    if (m_hLoop != nullptr)
    {
        RemoveWindowOverlay(m_hWnd, m_hLoop);
        DestroyWindow(m_hLoop);
        m_hLoop = nullptr;
    }
    SetBarLit(m_hWnd, -1, false);
    PaintBar(m_hWnd);
    char szLine[48];
    if (nChosen != 0)
        std::snprintf(szLine, sizeof szLine, "Menu: chose %u\n", nChosen);
    else
        std::snprintf(szLine, sizeof szLine, "Menu: closed\n");
    OutputDebugString(szLine);
    SendMessage(m_hWnd, WM_EXITMENULOOP, 0, 0);
    if (nChosen != 0)
        PostMessage(m_hWnd, WM_COMMAND, nChosen, 0);
}

void CMenuLoop::Show()
{
    SetBarLit(m_hWnd, m_nBar, true);
    PaintBar(m_hWnd);
    RECT rc{};
    GetClientRect(m_hWnd, &rc);
    const LONG nWidth = std::max<LONG>(rc.right - rc.left, 1), nHeight = std::max<LONG>(rc.bottom - rc.top, 1);
    SWindowOverlay overlay;
    overlay.hWnd = m_hLoop;
    overlay.nWidth = static_cast<int>(nWidth);
    overlay.nHeight = static_cast<int>(nHeight);
    overlay.ptAt = POINT{0, 0};
    overlay.bMenu = true;
    overlay.bKeyed = true;
    overlay.aPixels = m_drop.has_value()
                          ? PaintDropDown(*m_drop, m_nRow, nWidth, nHeight)
                          : std::vector<DWORD>(static_cast<std::size_t>(nWidth * nHeight), OVERLAY_CLEAR);
    ShowWindowOverlay(m_hWnd, std::move(overlay));
}

/// The bar item under a point of the screen; -1 off the items.
int BarItemAtScreen(HWND hWnd, HMENU hMenu, LPARAM lParam)
{
    POINT pt = PointOf(lParam);
    ScreenToClient(hWnd, &pt);
    const std::vector<RECT> aItems = LayOutBar(hMenu);
    for (std::size_t i = 0; i < aItems.size(); ++i)
        if (pt.x >= aItems[i].left && pt.x < aItems[i].right)
            return static_cast<int>(i);
    return -1;
}

LRESULT HitTest(HWND hWnd, LPARAM lParam)
{
    POINT pt = PointOf(lParam);
    ScreenToClient(hWnd, &pt);
    RECT rc{};
    GetClientRect(hWnd, &rc);
    if (pt.x < rc.left || pt.x >= rc.right)
        return HTNOWHERE;
    if (GetMenu(hWnd) != nullptr && !IsMenuBarOverClient(hWnd) && pt.y >= -MENU_BAR_HEIGHT && pt.y < 0)
        return HTMENU;
    return pt.y >= rc.top && pt.y < rc.bottom ? HTCLIENT : HTNOWHERE;
}
} // namespace

BOOL SetMenu(HWND hWnd, HMENU hMenu)
{
    if (!IsWindow(hWnd) || (GetWindowLong(hWnd, GWL_STYLE) & static_cast<LONG>(WS_CHILD)) != 0)
        return FALSE;
    if (hMenu == nullptr)
    {
        ForgetMenuBar(hWnd);
        return TRUE;
    }
    {
        std::lock_guard lock(s_mutex);
        s_bars[hWnd] = SBarState{hMenu, -1, false};
    }
    LogBarItems(hMenu);
    PaintBar(hWnd);
    return TRUE;
}

HMENU GetMenu(HWND hWnd)
{
    const std::optional<SBarState> bar = BarOf(hWnd);
    return bar.has_value() ? bar->hMenu : nullptr;
}

BOOL DrawMenuBar(HWND hWnd)
{
    if (GetMenu(hWnd) == nullptr)
        return FALSE;
    PaintBar(hWnd);
    return TRUE;
}

void ForgetMenuBar(HWND hWnd)
{
    {
        std::lock_guard lock(s_mutex);
        if (s_bars.erase(hWnd) == 0)
            return;
    }
    RemoveWindowMenuBar(hWnd);
}

BOOL HandleMenuMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    *pResult = 0;
    if (uMsg == WM_NCHITTEST)
    {
        *pResult = HitTest(hWnd, lParam);
        return TRUE;
    }
    const HMENU hMenu = GetMenu(hWnd);
    if (hMenu == nullptr)
        return FALSE;
    if (uMsg == WM_NCLBUTTONDOWN)
    {
        // The window's own hit test decides: a window that is not ready answers HTNOWHERE.
        if (SendMessage(hWnd, WM_NCHITTEST, 0, lParam) == HTMENU)
            SendMessage(hWnd, WM_SYSCOMMAND, SC_MOUSEMENU, lParam);
        return TRUE;
    }
    if (uMsg != WM_SYSCOMMAND || ((wParam & 0xFFF0) != SC_KEYMENU && (wParam & 0xFFF0) != SC_MOUSEMENU))
        return FALSE;
    // A disabled window (a dialog runs over it) opens no menu.
    if (!IsWindowEnabled(hWnd) || GetMenuItemCount(hMenu) <= 0)
        return TRUE;
    CMenuLoop loop(hWnd, hMenu);
    if ((wParam & 0xFFF0) == SC_MOUSEMENU)
    {
        if (const int nItem = BarItemAtScreen(hWnd, hMenu, lParam); nItem >= 0)
            loop.Run(nItem, true, true);
    }
    else
        loop.Run(0, false, false);
    return TRUE;
}
