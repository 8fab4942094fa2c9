// The main window's side of the interface's small parts: the menu loop, during which the system's
// cursor shows and the game pauses, the banner's text list, laid out by each device set-up, and the
// input line made with the window.
// Main thread only.
#include "app/MainFrame.h"
#include "platform/win32/Gdi.h"
#include "platform/win32/SystemParameters.h"
#include "render/CursorManager.h"
#include "render/Environment3D.h"
#include "ui/InputEdit.h"
#include "ui/WindowPlacement.h"

#include <cstring>

namespace
{
/// The banner list's text is light grey under a caption strip, the input line's yellow on the
/// banner's lowest strip; both in italic "Arial". The strips' height, pixels.
constexpr COLORREF BANNER_TEXT = RGB(240, 240, 240);
constexpr COLORREF INPUT_LINE_TEXT = RGB(250, 250, 0);
constexpr LONG BANNER_STRIP_HEIGHT = 20;
/// The input line's control id.
constexpr UINT INPUT_LINE_ID = 123;

void UseItalicArial(CCtrlColors& colors, COLORREF crText)
{
    LOGFONT font = colors.m_logFont;
    std::strncpy(font.lfFaceName, "Arial", sizeof font.lfFaceName - 1);
    font.lfItalic = TRUE;
    colors.m_font.DeleteObject();
    colors.m_font.CreateFontIndirect(&font);
    colors.m_logFont = font;
    colors.m_crText = crText;
}
} // namespace

LRESULT CMainFrame::OnEnterMenuLoop(WPARAM, LPARAM)
{
    // The software cursor gives way to the system's while a menu is open.
    g_CursorManager.SetMenuLoop(TRUE);
    SetModalMode(TRUE);
    Default();
    ClipCursor(nullptr);
    ShowCursorCounted(TRUE);
    return 0;
}

LRESULT CMainFrame::OnExitMenuLoop(WPARAM, LPARAM)
{
    g_CursorManager.SetMenuLoop(FALSE);
    Default();
    SetModalMode(FALSE);
    ReleasePanelControls();
    ClipCursorToView();
    return 0;
}

LRESULT CMainFrame::OnNcHitTest(WPARAM, LPARAM)
{
    // Until the window is ready for the game, no part of it answers the mouse (its menu bar neither).
    return g_b3DReady ? Default() : HTNOWHERE;
}

void CMainFrame::LayOutSkinList(const RECT& rcArea)
{
    UseItalicArial(g_BannerList, BANNER_TEXT);
    const RECT rc = CalcBannerRectTopRight(rcArea);
    g_BannerList.SetRect(rc.left, rc.top, rc.right, rc.bottom);
    g_BannerList.SetTitle(RECT{rc.left, rc.top, rc.right, rc.top + BANNER_STRIP_HEIGHT}, "");
    g_BannerList.ResetContent();
    // The lines are measured in the list's own font, which needs no window to draw in.
    const HDC hDC = CreateCompatibleDC(nullptr);
    for (int i = 0; i < m_astrBannerTexts.GetSize(); ++i)
        g_BannerList.AddString(hDC, m_astrBannerTexts[i].GetString());
    g_BannerList.GetVisibleLines(hDC);
    DeleteDC(hDC);
    g_BannerList.SetTopIndex(-1);
}

BOOL CMainFrame::CreateInputLine()
{
    RECT rcClient{};
    GetClientRect(&rcClient);
    const RECT rcBanner = CalcBannerRectTopRight(rcClient);
    UseItalicArial(g_InputEdit, INPUT_LINE_TEXT);
    const RECT rcLine{rcBanner.left, rcBanner.bottom - BANNER_STRIP_HEIGHT, rcBanner.right, rcBanner.bottom};
    return g_InputEdit.Create(WS_CHILD | ES_AUTOHSCROLL, rcLine, this, INPUT_LINE_ID);
}
