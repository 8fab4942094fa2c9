// The main window's side of the interface's small parts: the menu loop, during which the system's
// cursor shows and the game pauses, and the banner's text list, laid out by each device set-up.
// Main thread only.
#include "app/MainFrame.h"
#include "platform/win32/SystemParameters.h"
#include "render/CursorManager.h"
#include "render/Environment3D.h"
#include "ui/WindowPlacement.h"

#include <cstring>

namespace
{
/// The banner list's look: italic "Arial" in light grey, under a caption of this height (pixels).
constexpr COLORREF SKIN_LIST_TEXT = RGB(240, 240, 240);
constexpr LONG SKIN_LIST_TITLE_HEIGHT = 20;
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
    LOGFONT font = m_skinList.m_logFont;
    std::strncpy(font.lfFaceName, "Arial", sizeof font.lfFaceName - 1);
    font.lfItalic = TRUE;
    m_skinList.m_font.DeleteObject();
    m_skinList.m_font.CreateFontIndirect(&font);
    m_skinList.m_logFont = font;
    m_skinList.m_crText = SKIN_LIST_TEXT;
    const RECT rc = CalcBannerRectTopRight(rcArea);
    m_skinList.SetRect(rc.left, rc.top, rc.right, rc.bottom);
    m_skinList.SetTitle(RECT{rc.left, rc.top, rc.right, rc.top + SKIN_LIST_TITLE_HEIGHT}, "");
    m_skinList.ResetContent();
}
