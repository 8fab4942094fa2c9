// The main frame's in-game panels as the game goes: the pause (the menu panel and the paused
// picture over the waiting game, and the overhead view's panel a person aims from), the control
// bar kept in step with the cue (power, english, the computer's skill plate, whose turn), the
// on-screen texts stepped each tick, the panels' toggle states and the end of a settings preview.
#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "gameflow/AimSteps.h"
#include "gameflow/GameFlow.h"
#include "platform/win32/Clock.h"
#include "platform/win32/DebugLog.h"
#include "ui/GameWidgets.h"
#include "ui/SharedQueries.h"
#include "ui/TextMessages.h"

#include <array>
#include <cmath>
#include <string>

namespace
{
/// The greeting at a match's start ("Good luck, %s!") and the use-mouse hint.
constexpr UINT IDS_GREETING = 21515;
constexpr UINT IDS_USE_MOUSE_HINT = 21604;
constexpr DWORD GREETING_MS = 4000;
/// The use-mouse hint is still to be shown: once a run, whichever game the run plays first. Main
/// thread.
bool s_bUseMouseHint = true;

/// The pause panel of the mode: the second panel in the light editor, else the menu panel.
CWidget& ActivePausePanel() { return HasGameFlag(gmLightEdit) ? static_cast<CWidget&>(g_secondPanel) : g_mainPanel; }

/// The click panels the pause's end hides.
std::array<CTextWidget*, 4> TextWidgets() { return {&g_webPanel, &g_creditsPanel, &g_commentsPanel, &g_pausedPanel}; }
} // namespace

void CMainFrame::ShowPausePanel(bool bShow)
{
    CWidget& panel = ActivePausePanel();
    // The mouse area stays hit-testable through its hide; a right drag it ran ends.
    g_mouseArea.Hide();
    OutputDebugString(bShow ? "Panels: the pause panel shown\n" : "Panels: the pause panel hidden\n");
    if (bShow)
    {
        if (panel.IsLoaded())
            panel.Show();
        // The menu panel's toggles show the states of the items they switch.
        if (&panel == &g_mainPanel && panel.IsLoaded())
            g_mainPanel.RefreshToggles([this](int nItem) { return GetPanelItemState(nItem); });
        ShowWaitHint();
        return;
    }
    g_controlBar.m_nMoveCounter = 0;
    for (CTextWidget* pWidget : TextWidgets())
        if (pWidget->IsVisible())
            pWidget->Hide();
    if (panel.IsVisible())
        panel.Hide();
}

void CMainFrame::ShowWaitHint()
{
    // Over the 3-D view the paused picture says the game waits; on the overhead view's panel, where
    // a person aims, only while the computer plays or a shot rolls.
    const bool bComputer = m_pGameFlow->Current().GetRobotLevel() != 0;
    const bool bShown = g_Settings.m_nOverHeadView == 0 || bComputer || HasGameFlag(gmShotRunning);
    if (bShown)
        g_pausedPanel.Show();
    else if (g_pausedPanel.IsVisible())
        g_pausedPanel.Hide();
}

void CMainFrame::EndSettingsPreview()
{
    // The preview ends once, into the new-game question; the game goes on meanwhile, so the cursor
    // and the tick keep the started game's rules.
    ClearGameFlag(gmSettingsPreview);
    PostMessage(WM_NEWGAMEQUESTION, 1, 1);
}

void CMainFrame::AnnounceGame(int nStartType)
{
    // A resumed game and one aimed at once go on without a word.
    if (nStartType == GAME_DIRECT_AIM || nStartType == GAME_RESUME_LAST)
        return;
    const CPlayer& current = m_pGameFlow->Current();
    if (!IsCompetitionTypeZero())
    {
        // The program's text names the player where it holds "%s".
        std::string strGreeting = LoadFlowString(IDS_GREETING);
        if (const std::size_t nAt = strGreeting.find("%s"); nAt != std::string::npos)
            strGreeting.replace(nAt, 2, current.GetName());
        if (!strGreeting.empty())
            g_TextMessages.AddText(strGreeting.c_str(), nullptr, GREETING_MS, 0);
    }
    // The hint stays until the person clicks, once a run, for the first game a person plays.
    const std::string strHint = LoadFlowString(IDS_USE_MOUSE_HINT);
    if (s_bUseMouseHint && current.GetRobotLevel() == 0 && !strHint.empty())
    {
        s_bUseMouseHint = false;
        g_TextMessages.AddText(strHint.c_str(), "USEMOUSE.WAV", MESSAGE_FOREVER, 1);
    }
}

void CMainFrame::StepTexts(bool bDismiss)
{
    RECT rcPanel;
    GetPanelRect(rcPanel);
    g_TextMessages.Update(timeGetTime(), rcPanel, bDismiss ? 1 : 0);
}

void CMainFrame::SyncControlBar()
{
    CGameFlow& flow = *m_pGameFlow;
    g_controlBar.SetCurrentPlayer(flow.IsPlayer1Current() ? 1 : 2);
    // The power shown is the cue's pull-back in every mode, whoever strokes and however.
    const SCueStroke& cue = flow.Cue();
    const bool bRange = cue.fMax > 0.0f;
    g_controlBar.SetValue(bRange && cue.fPullBack / cue.fMax > MIN_POWER_SHARE ? cue.fPullBack / (cue.fMax / 2) : 0.0);
    // The marker lies where the cue tip meets the ball, set by the bar, the english mode or a stroke.
    g_controlBar.m_ptEnglish = POINT{static_cast<LONG>(std::lround(-cue.fTipX / ENGLISH_TIP_PER_PIXEL)),
                                     static_cast<LONG>(std::lround(-cue.fTipY / ENGLISH_TIP_PER_PIXEL))};
    // The plate names the computer's skill when the computer plays against a person or itself.
    const int nOpponent =
        flow.Player2().GetRobotLevel() != 0 ? flow.Player2().GetRobotLevel() : flow.Player1().GetRobotLevel();
    g_controlBar.SetOpponentLevel(nOpponent);
}

int CMainFrame::GetPanelItemState(int nItem) const
{
    switch (nItem)
    {
    case 10:
        return g_Settings.m_nFullScreen != 0 ? 1 : 0;
    case 12:
        return g_Settings.m_nCameraMotion == 0 ? 1 : 0;
    case 13:
        return (m_dwMusicWord & MUSIC_WORD_ON) != 0 ? 1 : 0;
    case 14:
        return g_Settings.m_nBallPath1 != 0 ? 1 : 0;
    case 15:
        return g_Settings.m_nHeadLine != 0 ? 1 : 0;
    case 16:
        return g_Settings.m_nSpecular != 0 ? 1 : 0;
    case 17:
        return g_Settings.m_nDrawLevel >= 1 ? 1 : 0;
    default:
        return 0;
    }
}
