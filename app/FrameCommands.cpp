// The main window's commands, its private messages and the window messages that change the game's
// state: each command with an enable rule runs only when its rule allows it (CommandRules.h), the
// in-game panels reach the same commands through WM_USER+5, and the private messages come from the
// game flow, the panels and the music library.
//
// Where a command needs a part of the game that the frame does not hold yet (the game flow's
// rack, the camera and cue objects, the call-the-shot state, the set-up, physics and start
// dialogs), it does what can be done without it: the game-mode word, the settings and their file,
// the messages it posts and the quit code are as the finished command leaves them.
#include "app/CommandLine.h"
#include "app/GameDialog.h"
#include "app/MainFrame.h"
#include "app/VornApp.h"
#include "foundation/DialogResultMask.h"
#include "foundation/ErrorBox.h"
#include "foundation/Folders.h"
#include "foundation/Settings.h"
#include "gameflow/CallShotState.h"
#include "gameflow/GameFlow.h"
#include "gameflow/GameMode.h"
#include "media/DirectInputDevices.h"
#include "media/MusicPlayer.h"
#include "platform/mfc/FileDialog.h"
#include "platform/mfc/WinApp.h"
#include "platform/win32/Clock.h"
#include "platform/win32/Cursor.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Files.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/MessageBox.h"
#include "platform/win32/Messages.h"
#include "platform/win32/SystemParameters.h"
#include "render/CameraFlight.h"
#include "render/D3DEnum.h"
#include "render/D3DFramework.h"
#include "render/Environment3D.h"
#include "render/TableSpace.h"
#include "simulation/BallEngine.h"
#include "simulation/Referee.h"
#include "ui/GameWidgets.h"
#include "ui/MessageDlg.h"
#include "ui/SetupDlg.h"
#include "ui/SharedQueries.h"
#include "ui/SmallDialogs.h"
#include "ui/StatisticsDialog.h"
#include "ui/TextMessages.h"
#include "ui/WindowPlacement.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <span>

BOOL g_bDeveloperMode = FALSE;
BOOL g_bComputerPlays = FALSE;
BOOL g_bPanelRedraw = FALSE;
BOOL g_bRedraw = FALSE;

namespace
{
/// The most engine periods a stopped shot is run for: far beyond any shot's rolling time.
constexpr int MAX_FINISH_STEPS = 200000;
/// Key codes from this one on make no character for the input line.
constexpr WPARAM FIRST_NON_CHARACTER_KEY = 91;
/// The speed factor's range: halving and doubling stop at its ends.
constexpr double MIN_SPEED_FACTOR = 0.125;
constexpr double MAX_SPEED_FACTOR = 4.0;
/// Bit 28 of the game-mode word: shot outcomes and new-game questions go elsewhere while it is set.
constexpr DWORD BIT28 = 0x10000000;
/// Bit 0 of the game-mode word: a queued playback runs.
constexpr DWORD QUEUED_PLAYBACK = 0x1;
/// The panel codes that first finish a call of the shot.
constexpr int CALL_FINISHING_CODES[] = {19, 20, 21, 22, 23, 24, 25, 30};
/// The backgrounds of the are-you-sure and new-game questions, and the question the first asks.
constexpr int SURE_BACKGROUND = 328;
constexpr const char* LEAVE_QUESTION = "Do you really want to quit?";
constexpr int NEW_GAME_BACKGROUND = 698;
/// The options screen's template.
constexpr int SETUP_TEMPLATE = 231;
/// The physics dialog's template.
constexpr int PHYSICS_TEMPLATE = 150;
/// The statistics dialog's template.
constexpr int STATISTICS_TEMPLATE = 582;
/// The exit choice's picture.
constexpr int EXIT_BACKGROUND = 651;
/// The refusal's sound effect.
constexpr int REFUSAL_SOUND_ID = 3020;
/// The panel codes of the control bar's english marker and of the mouse area.
constexpr int FIRST_FINE_AIM_CODE = 57;
constexpr int LAST_FINE_AIM_CODE = 58;
constexpr int FIRST_MOUSE_AREA_CODE = 61;
constexpr int LAST_MOUSE_AREA_CODE = 66;
/// The demo rack's and the pause's panel codes.
constexpr int DEMO_RACK_CODE = 40;
constexpr int PAUSE_CODE = 60;
/// The least client area a drag leaves the window.
constexpr LONG MIN_CLIENT_WIDTH = 640;
constexpr LONG MIN_CLIENT_HEIGHT = 480;
/// The top view: yaw, pitch (degrees) and distance above the middle of the table.
constexpr float OVERHEAD_YAW = 90.0f;
constexpr float OVERHEAD_PITCH = 270.0f;
constexpr float OVERHEAD_DISTANCE = 100.0f;
/// Game types whose exit gives the other player one point rather than the match goal.
constexpr int ONE_POINT_TYPES[] = {15, 18, 101};

/// Test seam of the 3-D environment's change for the window.
std::function<BOOL()>& EnvironmentChangeForTests()
{
    static std::function<BOOL()> s_fnChange;
    return s_fnChange;
}

bool IsAnyOf(int n, std::span<const int> an) { return std::ranges::find(an, n) != an.end(); }

/// The rules card of each game type that has one (0 for none).
int RulesCardOf(int nGameType)
{
    static constexpr std::pair<int, int> s_aCards[] = {{3, 924},  {8, 920},  {9, 921}, {15, 923},
                                                       {16, 922}, {17, 919}, {18, 923}};
    for (const auto& [nType, nCard] : s_aCards)
        if (nType == nGameType)
            return nCard;
    return 0;
}

void ReleaseMouse()
{
    g_DIMouse.Unacquire();
    g_DIMouse.SetCooperativeLevel(FALSE);
}

void ReacquireInput()
{
    g_DIKeyboard.ReadDIKeyboardBuffer();
    g_DIMouse.Acquire();
}
} // namespace

// ---------------------------------------------------------------------------------------------------------------------
// The map
// ---------------------------------------------------------------------------------------------------------------------

const SMessageMap* CMainFrame::GetCommandMap()
{
    // In the order the frame answers them: the first entry of an id wins, so the second entry of
    // the short-path command is never reached.
    static const SMessageEntry s_aEntries[] = {
        MapMessage<&CMainFrame::OnTimer>(WM_TIMER),
        MapCommand<&CMainFrame::OnShowRules>(ID_SHOW_RULES),
        MapCommand<&CMainFrame::OnFileNew>(ID_FILE_NEW),
        MapCommand<&CMainFrame::OnFileSave>(ID_FILE_SAVE),
        MapUpdateCommand<&CMainFrame::OnUpdateSavedGames>(ID_FILE_SAVE),
        MapCommand<&CMainFrame::OnFileOpen>(ID_FILE_OPEN),
        MapUpdateCommand<&CMainFrame::OnUpdateSavedGames>(ID_FILE_OPEN),
        MapCommand<&CMainFrame::OnNothing>(ID_TURN_FLIGHT),
        MapUpdateCommand<&CMainFrame::OnUpdateTurnFlight>(ID_TURN_FLIGHT),
        MapCommand<&CMainFrame::OnNothing>(32122),
        MapCommand<&CMainFrame::OnStopAction>(ID_STOP_ACTION),
        MapCommand<&CMainFrame::OnToggleFullScreen>(ID_TOGGLE_FULL_SCREEN),
        MapCommand<&CMainFrame::OnPhysicsDialog>(ID_PHYSICS_DIALOG),
        MapCommand<&CMainFrame::OnRestartRack>(ID_RESTART_RACK),
        MapCommand<&CMainFrame::OnNothing>(32153),
        MapCommand<&CMainFrame::OnToggleOverheadView>(ID_TOGGLE_OVERHEAD),
        MapCommand<&CMainFrame::OnSyncViewRecord>(ID_SYNC_VIEW_RECORD),
        MapCommand<&CMainFrame::OnToggleHeadLine>(ID_TOGGLE_HEAD_LINE),
        MapCommand<&CMainFrame::OnCallShot>(ID_CALL_SHOT),
        MapCommand<&CMainFrame::OnPassTurn>(ID_PASS_TURN),
        MapCommand<&CMainFrame::ToggleAimingAid>(ID_TOGGLE_BALL_PATH),
        MapCommand<&CMainFrame::OnToggleShortPath>(ID_TOGGLE_SHORT_PATH),
        MapCommand<&CMainFrame::OnComputerStroke>(ID_COMPUTER_STROKE),
        MapCommand<&CMainFrame::OnStopPlayback>(ID_STOP_PLAYBACK),
        MapCommand<&CMainFrame::OnExitGame>(ID_EXIT_GAME),
        MapCommand<&CMainFrame::OnCallShotMode>(ID_CALL_SHOT_MODE),
        MapCommand<&CMainFrame::OnReplay>(ID_REPLAY),
        MapMessage<&CMainFrame::OnActivateApp>(WM_ACTIVATEAPP),
        MapMessage<&CMainFrame::OnMove>(WM_MOVE),
        MapMessage<&CMainFrame::OnSize>(WM_SIZE),
        MapMessage<&CMainFrame::OnDisplayChange>(WM_DISPLAYCHANGE),
        MapMessage<&CMainFrame::OnSetCursor>(WM_SETCURSOR),
        MapMessage<&CMainFrame::OnGetMinMaxInfo>(WM_GETMINMAXINFO),
        MapCommand<&CMainFrame::OnNothing>(32168),
        MapMessage<&CMainFrame::OnNcHitTest>(WM_NCHITTEST),
        MapCommand<&CMainFrame::OnNothing>(ID_TOGGLE_SHORT_PATH),
        MapCommand<&CMainFrame::OnNothing>(32173),
        MapCommand<&CMainFrame::OnNothing>(32175),
        MapCommand<&CMainFrame::OnToggleOption4>(ID_TOGGLE_OPTION4),
        MapCommand<&CMainFrame::OnResetCamera>(ID_RESET_CAMERA),
        MapCommand<&CMainFrame::OnSetupDialog>(ID_SETUP_DIALOG),
        MapCommand<&CMainFrame::OnNewGame>(ID_NEW_GAME),
        MapCommand<&CMainFrame::OnNothing>(ID_EMPTY_32162),
        MapCommand<&CMainFrame::OnNothing>(ID_EMPTY_32181),
        MapCommand<&CMainFrame::OnSetupCommand>(ID_SETUP_COMMAND),
        MapCommand<&CMainFrame::OnSlower>(ID_SLOWER),
        MapCommand<&CMainFrame::OnFaster>(ID_FASTER),
        MapCommand<&CMainFrame::OnToggleMusic>(ID_TOGGLE_MUSIC),
        MapCommand<&CMainFrame::OnNothing>(32172),
        MapCommand<&CMainFrame::OnNothing>(32174),
        MapCommand<&CMainFrame::OnNothing>(32178),
        MapMessage<&CMainFrame::OnPanelCommand>(WM_PANELCOMMAND),
        MapMessage<&CMainFrame::OnTextInputKey>(WM_TEXTINPUTKEY),
        MapMessage<&CMainFrame::OnNewGameQuestion>(WM_NEWGAMEQUESTION),
        MapMessage<&CMainFrame::OnOutcomeDone>(WM_OUTCOMEDONE),
        MapMessage<&CMainFrame::OnMusicNotifyMsg>(WM_MUSICNOTIFY),
        MapCommand<&CMainFrame::OnOpenTutorial>(ID_OPEN_TUTORIAL),
        MapUpdateCommand<&CMainFrame::OnUpdateOpenTutorial>(ID_OPEN_TUTORIAL),
        MapCommand<&CMainFrame::OnStatisticsDialog>(ID_STATISTICS_DIALOG),
        MapUpdateCommand<&CMainFrame::OnUpdateToggle>(ID_TOGGLE_FULL_SCREEN),
        MapUpdateCommand<&CMainFrame::OnUpdateToggle>(ID_TOGGLE_MUSIC),
        MapUpdateCommand<&CMainFrame::OnUpdateToggle>(ID_TOGGLE_SHORT_PATH),
        MapCommand<&CMainFrame::OnDeveloperLevel0>(ID_DEVELOPER_LEVEL_0),
        MapCommand<&CMainFrame::OnDeveloperLevel1>(ID_DEVELOPER_LEVEL_0 + 1),
        MapCommand<&CMainFrame::OnDeveloperLevel2>(ID_DEVELOPER_LEVEL_0 + 2),
        MapCommand<&CMainFrame::OnDeveloperLevel3>(ID_DEVELOPER_LEVEL_0 + 3),
        MapCommand<&CMainFrame::OnDeveloperLevel4>(ID_DEVELOPER_LEVEL_0 + 4),
        MapCommand<&CMainFrame::OnDeveloperLevel5>(ID_DEVELOPER_LEVEL_0 + 5),
        MapCommand<&CMainFrame::OnDeveloperLevel6>(ID_DEVELOPER_LEVEL_0 + 6),
        MapCommand<&CMainFrame::OnDeveloperLevel7>(ID_DEVELOPER_LEVEL_0 + 7),
        MapCommand<&CMainFrame::OnDeveloperLevel8>(ID_DEVELOPER_LEVEL_0 + 8),
        MapCommand<&CMainFrame::OnDeveloperLevel9>(ID_DEVELOPER_LEVEL_9),
        // The enable rules: one update handler asks CommandRules for every id that has a rule.
        MapUpdateCommand<&CMainFrame::OnUpdateRuledCommand>(ID_SHOW_RULES),
        MapUpdateCommand<&CMainFrame::OnUpdateRuledCommand>(ID_STOP_ACTION),
        MapUpdateCommand<&CMainFrame::OnUpdateRuledCommand>(ID_UNMAPPED_32140),
        MapUpdateCommand<&CMainFrame::OnUpdateRuledCommand>(ID_RESTART_RACK),
        MapUpdateCommand<&CMainFrame::OnUpdateRuledCommand>(ID_TOGGLE_OVERHEAD, ID_TOGGLE_HEAD_LINE),
        MapUpdateCommand<&CMainFrame::OnUpdateRuledCommand>(ID_REPLAY, ID_STOP_PLAYBACK),
        MapUpdateCommand<&CMainFrame::OnUpdateRuledCommand>(ID_EMPTY_32162, ID_CALL_SHOT_MODE),
        MapUpdateCommand<&CMainFrame::OnUpdateRuledCommand>(ID_EMPTY_32181),
    };
    static const SMessageMap s_map{CFrameWnd::GetThisMessageMap(), s_aEntries};
    return &s_map;
}

SCommandState CMainFrame::GetCommandState() const
{
    SCommandState state;
    state.dwMode = g_nGameMode;
    state.nCompetitionType = g_Settings.m_nCompetitionType;
    state.bCurrentHuman = m_pGameFlow->Current().GetRobotLevel() == 0;
    state.bBothHuman = m_pGameFlow->Player1().GetRobotLevel() == 0 && m_pGameFlow->Player2().GetRobotLevel() == 0;
    // The replay clears its bits of the game-mode word when it ends.
    state.bReplayRunning = HasGameFlag(gmReplay);
    state.nGameType = g_Settings.m_nGameType;
    state.bCallingAllowed = IsCallingAllowed();
    return state;
}

bool CMainFrame::IsCallingAllowed() const
{
    // Eight-ball lets a player call the shot once the referee says the final ball is on.
    const CReferee* pReferee = m_pGameFlow->GetReferee();
    return pReferee != nullptr && pReferee->HasFinalBall() != FALSE;
}

void CMainFrame::OnUpdateRuledCommand(CCmdUI* pCmdUI)
{
    // A menu item that cannot be chosen now is greyed without the refusal's sound: the sound
    // answers a command refused, not a menu opened.
    const ECommandRule eRule = GetCommandRule(pCmdUI->m_nID);
    pCmdUI->Enable(pCmdUI->m_bMenuItem ? IsRuleMet(eRule, GetCommandState()) : IsRuleMetOrRefuse(eRule));
    OnUpdateToggle(pCmdUI);
}

void CMainFrame::OnUpdateToggle(CCmdUI* pCmdUI)
{
    // The menu's switches show a check while they are on.
    static constexpr std::pair<UINT, int CSettings::*> s_aSwitches[] = {
        {ID_TOGGLE_OVERHEAD, &CSettings::m_nOverHeadView},
        {ID_TOGGLE_HEAD_LINE, &CSettings::m_nHeadLine},
        {ID_TOGGLE_BALL_PATH, &CSettings::m_nBallPath1},
        {ID_TOGGLE_SHORT_PATH, &CSettings::m_nShortPath1},
    };
    for (const auto& [nID, pnSwitch] : s_aSwitches)
        if (nID == pCmdUI->m_nID)
            pCmdUI->SetCheck(g_Settings.*pnSwitch != 0 ? 1 : 0);
    // Full screen as the screen shows it, music as it plays.
    if (pCmdUI->m_nID == ID_TOGGLE_FULL_SCREEN)
        pCmdUI->SetCheck(m_pFramework != nullptr && m_pFramework->IsFullscreen() ? 1 : 0);
    if (pCmdUI->m_nID == ID_TOGGLE_MUSIC)
        pCmdUI->SetCheck((m_dwMusicWord & MUSIC_WORD_ON) != 0 ? 1 : 0);
}

void CMainFrame::OnUpdateOpenTutorial(CCmdUI* pCmdUI) { pCmdUI->Enable(g_bTeacherMode != 0); }

void CMainFrame::OnUpdateTurnFlight(CCmdUI* pCmdUI) { pCmdUI->SetCheck(HasGameFlag(gmRobotStroke) ? 1 : 0); }

bool CMainFrame::IsRuleMetOrRefuse(ECommandRule eRule)
{
    if (IsRuleMet(eRule, GetCommandState()))
        return true;
    PlayRefusedSound();
    return false;
}

void CMainFrame::ReleasePanelControls()
{
    // A press on the control bar that a dialog or menu interrupted never gets its release.
    g_controlBar.m_bPressed = 0;
    if (g_pausedPanel.IsVisible())
        g_pausedPanel.Hide();
}

void CMainFrame::PlayRefusedSound()
{
    // The refusal sounds over the middle of the table; not while the sound is off or before the
    // 3-D scene exists, nor while a rack's outcome is being handled.
    OutputDebugString("Command refused\n");
    if (m_Sound.IsMuted() || m_bOutcomePending || m_pFramework == nullptr)
        return;
    PlayGameSound(REFUSAL_SOUND_ID, CVector3(0.0f, SCENE_BED_HEIGHT, 0.0f));
}

void CMainFrame::StartDemoRack()
{
    // The rack's balls stay where they are (no lamp carries a rack of its own); the cue ball is
    // aimed at in the light-editing mode.
    m_pGameFlow->SetGameMode(modeAim);
    SetGameFlag(gmLightEdit);
    m_pGameFlow->SelectCueBall(1);
    g_bRedraw = TRUE;
}

// ---------------------------------------------------------------------------------------------------------------------
// Settings commands
// ---------------------------------------------------------------------------------------------------------------------

void CMainFrame::OnToggleHeadLine()
{
    g_Settings.m_nHeadLine = g_Settings.m_nHeadLine != 0 ? 0 : 1;
    m_dwOptionWord =
        g_Settings.m_nHeadLine != 0 ? m_dwOptionWord | OPTION_HEAD_LINE : m_dwOptionWord & ~OPTION_HEAD_LINE;
    g_Settings.Save();
}

void CMainFrame::SetAimingAid(bool bOn)
{
    m_dwOptionWord = bOn ? m_dwOptionWord | OPTION_AIMING_AID : m_dwOptionWord & ~OPTION_AIMING_AID;
    g_Settings.m_nBallPath1 = bOn ? 1 : 0;
    // The game's switch: the preview time follows the mouse only while the aid is on.
    m_pGameFlow->Settings().nAimingAid = bOn ? 1 : 0;
}

void CMainFrame::ToggleAimingAid()
{
    if (IsCompetitionTypeNotTwo())
    {
        SetAimingAid((m_dwOptionWord & OPTION_AIMING_AID) == 0);
        if (g_Settings.m_nBallPath1 != 0)
            UpdateAimPreview();
    }
    g_Settings.Save();
}

void CMainFrame::OnToggleShortPath()
{
    g_Settings.m_nShortPath1 = g_Settings.m_nShortPath1 != 0 ? 0 : 1;
    g_Settings.Save();
}

void CMainFrame::OnToggleOption4()
{
    m_dwOptionWord ^= OPTION_FRAME_RATE;
    g_bRedraw = TRUE;
}

void CMainFrame::OnSlower() { m_dSpeedFactor = std::max(m_dSpeedFactor / 2, MIN_SPEED_FACTOR); }

void CMainFrame::OnFaster() { m_dSpeedFactor = std::min(m_dSpeedFactor * 2, MAX_SPEED_FACTOR); }

void CMainFrame::OnToggleMusic()
{
    // Music switches on only at an audible music volume; the player pauses, resumes or starts it.
    m_dwMusicWord = ToggleMusic() ? m_dwMusicWord | MUSIC_WORD_ON : m_dwMusicWord & ~MUSIC_WORD_ON;
    ReacquireInput();
    g_Settings.Save();
}

void CMainFrame::OnToggleFullScreen()
{
    // The window's own state decides the way: full screen goes back to a window, a window goes
    // full screen, whatever the setting says.
    SwitchScreenMode(IsFullScreenNow() ? 0 : 1);
}

void CMainFrame::SwitchScreenMode(int nFullScreen)
{
    DeviceInfo* pDevice = nullptr;
    if (HasGameFlag(gmPresentation) || m_pFramework == nullptr || FAILED(GetSelectedDriver(nullptr, &pDevice)) ||
        pDevice == nullptr || !pDevice->bWindowed)
        return;
    if (g_b3DReady)
    {
        // The environment is made again for the window as the setting places it: the whole
        // screen, or back in a window the frame's own size in the middle of the screen.
        g_b3DReady = FALSE;
        g_Settings.m_nFullScreen = nFullScreen;
        RECT& rcKept = g_Settings.m_WindowPlacement.rcNormalPosition;
        FitWindowRectToDesktop(&rcKept);
        if (nFullScreen == 0)
        {
            rcKept = CentredFrameRect(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
            MoveWindow(rcKept.left, rcKept.top, rcKept.right - rcKept.left, rcKept.bottom - rcKept.top, TRUE);
        }
        if (!ChangeEnvironmentForWindow())
        {
            PostQuitMessage(10);
            return;
        }
        g_b3DReady = TRUE;
    }
    // The setting tells what the window became, so that the next start opens it so; the device
    // shares the sound card at the level of that screen mode.
    g_Settings.m_nFullScreen = IsFullScreenNow() ? 1 : 0;
    m_Sound.SetCooperation(m_hWnd, g_Settings.m_nFullScreen);
    g_Settings.Save();
    ClipCursorToView();
}

void CMainFrame::ApplyPanelSetting(int& nField, int nValue)
{
    const CSettings old = g_Settings;
    nField = nValue;
    g_Settings.Save();
    ApplySettingsChange(old);
}

// ---------------------------------------------------------------------------------------------------------------------
// Game commands
// ---------------------------------------------------------------------------------------------------------------------

void CMainFrame::OnShowRules()
{
    // The game stands still behind the card; keys pressed meanwhile are not the game's.
    SetModalMode(TRUE);
    ClearTexts();
    ShowRulesCard();
    SetModalMode(FALSE);
    g_DIKeyboard.ReadDIKeyboardBuffer();
    g_DIMouse.ReadDIMouseState();
    g_DIMouse.ReadDIMouseState();
    // The card let the cursor go; the game takes it back as its mode wants it, shown afresh.
    ClipCursorToView();
    ShowCursor(TRUE);
    ShowCursor(FALSE);
}

void CMainFrame::ShowRulesCard()
{
    OutputDebugString("Rules asked for\n");
    if (const int nCard = RulesCardOf(m_pGameFlow->GetGameType()); nCard != 0)
    {
        CMsgDlg299 card(this, nCard);
        RunGameDialog(card, nCard);
    }
}

void CMainFrame::OnFileNew()
{
    // A new rack, scores cleared, with the cue ball in hand once the camera is over the table.
    StartNewRack(TRUE);
    m_pGameFlow->FlyToBallInHandView();
}

void CMainFrame::StopShot()
{
    if (!HasGameFlag(gmShotRunning))
        return;
    if (HasGameFlag(gmReplay))
    {
        ClearGameFlag(gmReplay);
        m_pGameFlow->SetGameMode(modeAim);
        return;
    }
    // The shot is run to its end at once; the next tick judges it as if it had rolled. The number
    // of steps is bounded, so a table that never comes to rest cannot hang the window.
    if (HasGameFlag(QUEUED_PLAYBACK))
        return;
    CBallEngine& engine = m_pGameFlow->Engine();
    const double dPeriodMs = std::max<double>(engine.GetPeriod(), 1.0);
    for (int i = 0; i < MAX_FINISH_STEPS && !engine.AllBallsStopped(); ++i)
        engine.Step(dPeriodMs);
}

void CMainFrame::OnStopPlayback() { StopShot(); }

void CMainFrame::OnStopAction()
{
    // A call of the shot in progress ends as if it had been made; the cue ball is the ball again,
    // the camera left where it is.
    if (HasMode(modeCallShot) && g_pCallShotState != nullptr)
        g_pCallShotState->Finish();
    StopShot();
    m_pGameFlow->SelectCueBall(0);
    ClearGameFlag(gmShotRunning | gmRobotStroke);
    RefreshCue();
}

void CMainFrame::OnPassTurn()
{
    StopShot();
    m_pGameFlow->NextTurn();
    OutputDebugString(("Game: " + std::string(m_pGameFlow->Current().GetName()) + " to play\n").c_str());
    if (m_pGameFlow->Current().GetRobotLevel() != 0)
        m_pGameFlow->StartTurnFlight();
    m_pGameFlow->SetGameMode(modeCameraFlight);
}

void CMainFrame::OnRestartRack()
{
    // The same rack again, the scores kept, the players' levels as the settings give them.
    m_pGameFlow->Player1().SetLevel(g_Settings.m_nPlayerLevel1);
    if (g_Settings.m_nCompetitionType != 0)
        m_pGameFlow->Player2().SetLevel(g_Settings.m_nPlayerLevel2);
    StartNewRack(FALSE);
    PresentRack();
}

void CMainFrame::PresentRack()
{
    // A tour once round the table presents the rack; it ends where the turn begins: at the
    // computer's aim when its turn flight was started, else aiming at the view as it stands.
    CGameFlow& flow = *m_pGameFlow;
    if (GetModeField() == modeNone)
        flow.SetGameMode(modeAim);
    const CViewRecord from = flow.GetCurrentView();
    CViewRecord to = from;
    if (const auto* pTurn = dynamic_cast<const CCameraFlight*>(flow.GetFlight());
        pTurn != nullptr && HasMode(modeCameraFlight))
        to = pTurn->GetViewRecord();
    auto pTour = std::make_unique<CCameraFlightE>();
    pTour->Start(from, to, static_cast<int>(modeNone), 0);
    flow.StartPresentation(std::move(pTour));
}

void CMainFrame::OnToggleOverheadView() { ToggleOverheadView(); }

CViewRecord CMainFrame::GetOverheadView() const
{
    // Straight down onto the middle of the bed, the cue left as it is aimed.
    const CViewRecord current = m_pGameFlow->GetCurrentView();
    CViewRecord view;
    view.Set(OVERHEAD_YAW, OVERHEAD_PITCH, OVERHEAD_DISTANCE, 0.0f, SCENE_BED_HEIGHT, 0.0f, 0.0f, 0.0f,
             current.m_vCue.x, current.m_vCue.y, current.m_vCue.z);
    return view;
}

void CMainFrame::ToggleOverheadView()
{
    ReleasePanelControls();
    CGameFlow& flow = *m_pGameFlow;
    flow.SetFlight(nullptr);
    const CViewRecord from = flow.GetCurrentView();
    CViewRecord to;
    std::unique_ptr<CViewTransition> pFlight;
    if (HasGameFlag(gmKeepView))
    {
        // Back to the player's own view; a player who has none keeps the camera where it is.
        g_Settings.m_nOverHeadView = 0;
        to = flow.Current().GetViewRecord().IsValid() ? flow.Current().GetViewRecord() : from;
        ClearGameFlag(gmKeepView);
        pFlight = std::make_unique<CCameraFlight>();
    }
    else
    {
        // The player's view is kept for the way back; the top view's flight sets the keep flag
        // when it lands.
        g_Settings.m_nOverHeadView = 1;
        flow.Current().SetViewRecord(from);
        to = GetOverheadView();
        pFlight = std::make_unique<CCameraFlightG>();
    }
    g_Settings.Save();
    flow.Settings().nOverheadView = g_Settings.m_nOverHeadView;
    pFlight->Start(from, to, static_cast<int>(GetModeField()), 0);
    flow.SetFlight(std::move(pFlight));
    flow.SetGameMode(modeCameraFlight);
}

// The current view record is worked out from the camera and the cue whenever it is asked for
// (CGameFlow::GetCurrentView), so it is always in step with them: there is nothing to copy.
void CMainFrame::OnSyncViewRecord() {}

void CMainFrame::OnCallShot()
{
    // The recommended shot: the camera flies to the computer's aim for the player.
    if (HasMode(modeCallShot) && g_pCallShotState != nullptr)
        g_pCallShotState->Finish();
    m_dwOptionWord |= OPTION_SHOT_CALLED;
    UpdateAimPreview();
    m_pGameFlow->FlyToAimView(1);
    // Games where the player calls the shot stay in their mode for it; the others follow the flight.
    const int nGameType = m_pGameFlow->GetGameType();
    const bool bPlayerCalls =
        nGameType == GAME_PYRAMID || nGameType == GAME_14_1 || (nGameType == GAME_8BALL && IsCallingAllowed());
    if (!bPlayerCalls)
        m_pGameFlow->SetGameMode(modeCameraFlight);
    // A planned shot is shown as the call already made.
    if (m_pGameFlow->ShotRecord().HoldsShot())
    {
        CallTheRecordedShot();
        m_pGameFlow->SetGameMode(modeCameraFlight);
    }
}

void CMainFrame::OnComputerStroke()
{
    // Never enabled (its rule is Never); kept in the map as the window has it.
    SetGameFlag(gmStroking);
    m_pGameFlow->SetGameMode(modeNone);
}

void CMainFrame::OnCallShotMode() { EnterCallShotMode(m_pGameFlow->GetGameType(), GetModeField()); }

void CMainFrame::OnReplay()
{
    // A call being made is finished first: the replay's end goes on from the call made.
    if (HasMode(modeCallShot) && g_pCallShotState != nullptr)
        g_pCallShotState->Finish();
    StartReplay();
}

void CMainFrame::OnResetCamera()
{
    m_pGameFlow->ResetCameraFraming();
    ClearGameFlag(gmKeepView);
}

void CMainFrame::OnPhysicsDialog()
{
    // The dialog edits the live coefficients themselves; Cancel leaves them as they were.
    SetModalMode(TRUE);
    CPhysicsDlg dlg(this);
    RunGameDialog(dlg, PHYSICS_TEMPLATE);
    SetModalMode(FALSE);
}

void CMainFrame::OnSetupDialog()
{
    // The options screen writes the live settings as the player chooses; the copy tells what changed.
    const CSettings old = g_Settings;
    SetModalMode(TRUE);
    CSetupDlg dlg(this);
    RunGameDialog(dlg, SETUP_TEMPLATE);
    g_bPanelRedraw = TRUE;
    SetModalMode(FALSE);
    ReleasePanelControls();
    // The view and the screen follow what the dialog chose.
    if ((g_Settings.m_nOverHeadView != 0) != HasGameFlag(gmKeepView))
        ToggleOverheadView();
    if (old.m_nFullScreen != g_Settings.m_nFullScreen)
        SwitchScreenMode(g_Settings.m_nFullScreen);
    if (CPlayer& second = m_pGameFlow->Player2(); second.GetRobotLevel() != 0)
    {
        second.SetLevel(g_Settings.m_nAIDefaultLevel);
        second.GetNameRef() = g_Settings.GetPlayerName(2);
    }
    else
        g_Settings.m_nPlayerLevel2 = 0;
    ApplySettingsChange(old);
    ApplySoundSettings(old);
}

void CMainFrame::OnSetupCommand() { OnSetupDialog(); }

void CMainFrame::OnStatisticsDialog()
{
    SetModalMode(TRUE);
    CStatisticsDialog dlg(this);
    RunGameDialog(dlg, STATISTICS_TEMPLATE);
    SetModalMode(FALSE);
    ReleasePanelControls();
}

void CMainFrame::OnOpenTutorial()
{
    if (!g_bTeacherMode)
        return;
    // The chooser starts in the tutorial folder, which stays the current one after a choice; a
    // cancel goes back to the folder that was current. The chosen file is not opened.
    char szKept[MAX_PATH] = "";
    GetCurrentDirectory(sizeof(szKept), szKept);
    const CString strFolder = GetTutorialFolder();
    INT_PTR nResult = IDCANCEL;
    {
        const CModalModeScope modal;
        SetCurrentDirectory(strFolder.GetString());
        CFileDialog dlg(TRUE, ".ttr", nullptr, 6, "Vorn Deluxe Tutorial(*.ttr)|*.ttr||", this);
        dlg.m_ofn.lpstrInitialDir = strFolder.GetString();
        nResult = dlg.DoModal();
        if (nResult == IDOK)
            OutputDebugString(("Tutorial chosen: " + dlg.GetPathName() + "\n").GetString());
    }
    ReleasePanelControls();
    if (nResult != IDOK)
        SetCurrentDirectory(szKept);
}

void CMainFrame::DeveloperLevel(int nLevel)
{
    if (!g_bDeveloperMode)
        return;
    // The seat handed to a computer level plays on by itself: the match's end asks nothing.
    g_bComputerPlays = nLevel != 0;
    m_pGameFlow->SetAutoplay(g_bComputerPlays != FALSE);
    m_pGameFlow->Current().SetLevel(nLevel);
    if (m_pGameFlow->IsPlayer1Current() && nLevel != 0 && !HasGameFlag(gmShotRunning))
    {
        m_pGameFlow->StartTurnFlight();
        m_pGameFlow->SetGameMode(modeCameraFlight);
    }
}

void CMainFrame::OnDeveloperLevel0() { DeveloperLevel(0); }
void CMainFrame::OnDeveloperLevel1() { DeveloperLevel(1); }
void CMainFrame::OnDeveloperLevel2() { DeveloperLevel(2); }
void CMainFrame::OnDeveloperLevel3() { DeveloperLevel(3); }
void CMainFrame::OnDeveloperLevel4() { DeveloperLevel(4); }
void CMainFrame::OnDeveloperLevel5() { DeveloperLevel(5); }
void CMainFrame::OnDeveloperLevel6() { DeveloperLevel(6); }
void CMainFrame::OnDeveloperLevel7() { DeveloperLevel(7); }
void CMainFrame::OnDeveloperLevel8() { DeveloperLevel(8); }
void CMainFrame::OnDeveloperLevel9() { DeveloperLevel(9); }

// ---------------------------------------------------------------------------------------------------------------------
// Exit and new game
// ---------------------------------------------------------------------------------------------------------------------

int CMainFrame::AskToLeave()
{
    // As every box's, the question's text is kept on standard error, and where nobody could answer it
    // (no screen, or the input script answers it) it is answered unseen.
    std::fprintf(stderr, "Vorn: %s\n", LEAVE_QUESTION);
    if (const std::optional<int> nAnswer = TakeUnattendedAnswer(MB_OKCANCEL))
        return *nAnswer == IDOK ? IDOK : IDCANCEL;
    CMsgSureDlg sure(this, SURE_BACKGROUND);
    if (const INT_PTR nResult = sure.DoModal(); nResult != -1)
        return static_cast<int>(nResult);
    // Without its skin the question is asked in a plain box: the window can always be left.
    return AfxMessageBox(LEAVE_QUESTION, MB_OKCANCEL | MB_ICONQUESTION);
}

void CMainFrame::OnExitGame()
{
    SetModalMode(TRUE);
    g_TextMessages.Clear();
    ReleaseMouse();
    CMsgSureDlg sure(this, SURE_BACKGROUND);
    if (RunGameDialog(sure, SURE_BACKGROUND) == IDOK)
    {
        ReleaseMouse();
        PostMessage(WM_CLOSENOW);
    }
    else if (HasGameFlag(gmGameOver) && HasGameFlag(gmStartupFlag))
        PostMessage(WM_CLOSENOW);
    else if (HasGameFlag(gmStartupFlag))
    {
        CMsgExitDlg choice(this);
        const int nChoice = RunGameDialog(choice, EXIT_BACKGROUND);
        if (nChoice == IDOK)
        {
            // The match is given up: the other player gets what wins it, and the window closes
            // once the scene has shown that for two seconds.
            ReleaseMouse();
            const bool bOnePoint = IsAnyOf(g_Settings.m_nGameType, ONE_POINT_TYPES);
            m_pGameFlow->Player2().SetPoints(bOnePoint ? 1 : g_Settings.GetMatchGoal());
            OutputDebugString("  Terminating...  \n");
            g_TextMessages.AddText("  Terminating...  ", nullptr, MESSAGE_FOREVER, 0);
            m_bExitInProgress = TRUE;
            m_dwExitStamp = timeGetTime();
        }
        else if (nChoice == 4)
            PostMessage(WM_CLOSENOW);
    }
    else if (HasGameFlag(gmGameOver))
        PostMessage(WM_NEWGAMEQUESTION, 1);
    SetModalMode(FALSE);
}

void CMainFrame::OnNewGame() { OnNewGameQuestion(0, 0); }

LRESULT CMainFrame::OnNewGameQuestion(WPARAM, LPARAM)
{
    ClearTexts();
    AskForNewGame(NEW_GAME_BACKGROUND);
    return 0;
}

BOOL CMainFrame::AskForNewGame(int nQuestion)
{
    CMsgNewGameDlg question(this, nQuestion);
    if (RunGameDialog(question, nQuestion) != IDOK)
    {
        ClipCursorToView();
        return FALSE;
    }
    m_pGameFlow->Player1().SetGames(0);
    m_pGameFlow->Player2().SetGames(0);
    const CSettings old = g_Settings;
    const DWORD dwKeptMode = g_nGameMode;
    ClearGameFlag(gmSettingsPreview);
    ClearDialogOkMask();
    const BOOL bOk = RunStartScreen();
    if (bOk)
        BeginNewGame(old, dwKeptMode);
    else
        g_nGameMode = dwKeptMode; // the start screen left: the game goes on as it was
    ReleasePanelControls();
    return bOk != FALSE && IsStartDlgOk() != 0;
}

// ---------------------------------------------------------------------------------------------------------------------
// Private messages
// ---------------------------------------------------------------------------------------------------------------------

LRESULT CMainFrame::OnTextInputKey(WPARAM wParam, LPARAM)
{
    if (wParam == 27)
        ClearGameFlag(gmInputOff);
    return 0;
}

LRESULT CMainFrame::OnOutcomeDone(WPARAM, LPARAM) { return 0; }

LRESULT CMainFrame::OnMusicNotifyMsg(WPARAM, LPARAM)
{
    PlayMusicTrack(g_Settings.m_nPlayListIndex);
    return 0;
}

LRESULT CMainFrame::OnPanelCommand(WPARAM wParam, LPARAM lParam)
{
    const int nCode = LOWORD(static_cast<DWORD>(wParam));
    const bool bChecked = HIWORD(static_cast<DWORD>(wParam)) != 0;
    // A view or play button pressed while the shot was being called ends that call first.
    if ((g_nPrevGameMode & modeCallShot) != 0 && IsAnyOf(nCode, CALL_FINISHING_CODES) && g_pCallShotState != nullptr)
    {
        g_pCallShotState->Finish();
        UpdatePocketArrow();
    }
    // Codes that run a command with a rule ask the rule first (and refuse with its sound).
    static constexpr std::pair<int, UINT> s_aCommandCodes[] = {
        {10, ID_TOGGLE_FULL_SCREEN}, {13, ID_TOGGLE_MUSIC},    {14, ID_TOGGLE_BALL_PATH}, {15, ID_TOGGLE_HEAD_LINE},
        {18, ID_CALL_SHOT_MODE},     {19, ID_TOGGLE_OVERHEAD}, {21, ID_STOP_ACTION},      {25, ID_REPLAY},
        {26, ID_EMPTY_32162},        {27, ID_EMPTY_32181},     {30, ID_CALL_SHOT},        {31, ID_SETUP_DIALOG},
        {33, ID_EXIT_GAME},
    };
    for (const auto& [nPanelCode, nID] : s_aCommandCodes)
        if (nPanelCode == nCode)
        {
            if (IsRuleMetOrRefuse(GetCommandRule(nID)))
                OnCmdMsg(nID);
            return 0;
        }
    if (nCode >= FIRST_FINE_AIM_CODE && nCode <= LAST_FINE_AIM_CODE)
    {
        FineAim(nCode, lParam);
        return 0;
    }
    if (nCode >= FIRST_MOUSE_AREA_CODE && nCode <= LAST_MOUSE_AREA_CODE)
    {
        OnMouseAreaCommand(nCode);
        return 0;
    }
    switch (nCode)
    {
    case 12:
        g_Settings.m_nCameraMotion = bChecked ? 0 : 2;
        g_Settings.Save();
        break;
    case 16:
        ApplyPanelSetting(g_Settings.m_nSpecular, bChecked ? 1 : 0);
        break;
    case 17:
        SetDrawLevelSwitch(bChecked);
        break;
    case 20:
        if (CanAcceptCommand())
            OnPanelAction();
        break;
    case 22:
    case 23:
    case 24:
    {
        static constexpr DWORD s_adwViews[] = {modeAim, modeElevation, modeEnglish};
        m_pGameFlow->SetGameMode((g_nPrevGameMode & modeBallInHand) != 0 ? modeBallInHand : s_adwViews[nCode - 22]);
        break;
    }
    case 28:
        AfxGetApp()->OnCmdMsg(ID_APP_ABOUT);
        break;
    case 32:
        ShowRulesCard();
        break;
    case 29:
        if (!HasGameFlag(BIT28))
            OnNewGameQuestion(0, 0);
        break;
    case 34:
        g_controlBar.SetMode(0);
        break;
    case DEMO_RACK_CODE:
        StartDemoRack();
        break;
    case PAUSE_CODE:
        m_pGameFlow->TogglePause();
        break;
    default:
        break; // codes without an action, and those of parts the frame does not hold yet
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------------------------------
// Window messages
// ---------------------------------------------------------------------------------------------------------------------

void CMainFrame::OnTimer(UINT_PTR) { g_bPanelRedraw = TRUE; }

BOOL CMainFrame::PreTranslateMessage(MSG* pMsg)
{
    // Shift and Control reach the game through its keyboard device alone.
    const bool bKeyMessage = pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST;
    if (bKeyMessage && (pMsg->wParam == VK_SHIFT || pMsg->wParam == VK_CONTROL))
        return TRUE;
    if (HasGameFlag(gmInputOff))
    {
        // Typed text belongs to the input line; Enter and Escape end it through the frame.
        if (pMsg->message == WM_CHAR)
        {
            if (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE)
                PostMessage(WM_TEXTINPUTKEY, pMsg->wParam);
            return TRUE;
        }
        // Keys that make characters are left untranslated, so no accelerator takes them.
        const bool bHeld = GetAsyncKeyState(VK_CONTROL) < 0 || GetAsyncKeyState(VK_MENU) < 0;
        if (pMsg->message == WM_KEYDOWN && pMsg->wParam < FIRST_NON_CHARACTER_KEY && !bHeld)
            return FALSE;
    }
    return CFrameWnd::PreTranslateMessage(pMsg);
}

void CMainFrame::OnActivateApp(BOOL bActive, DWORD)
{
    m_bWindowActive = bActive;
    // The start screen keeps the music and the cursor as they are while the user switches away.
    if (m_pFramework == nullptr || m_pFramework->IsFullscreen() || m_bStartScreenOpen)
        return;
    if (bActive)
    {
        if ((m_dwMusicWord & MUSIC_WORD_ON) != 0)
            ::ApplyMusicSettings();
        ReacquireInput();
        ClipCursorToView();
        return;
    }
    // The track waits where it was for the focus to come back.
    if ((m_dwMusicWord & MUSIC_WORD_ON) != 0)
        PauseMusic();
    ClipCursor(nullptr);
}

void CMainFrame::KeepWindowPlacement()
{
    RECT rc{};
    GetWindowRect(&rc);
    g_Settings.m_WindowPlacement.rcNormalPosition = rc;
    g_Settings.Save();
}

void CMainFrame::OnMove(UINT, int, int)
{
    if (m_pFramework == nullptr || m_pFramework->IsFullscreen())
        return;
    // The framework presents to where the client area now is on the screen.
    POINT ptClient{};
    ::ClientToScreen(m_hWnd, &ptClient);
    m_pFramework->Move(ptClient.x, ptClient.y);
    if (m_bGameStarted)
        KeepWindowPlacement();
}

void CMainFrame::OnSize(UINT nType, int, int)
{
    if (m_bOutcomePending)
        return;
    if (nType == SIZE_MINIMIZED || nType == 4)
        m_bWindowActive = FALSE;
    if (nType == SIZE_MAXIMIZED || nType == SIZE_RESTORED)
    {
        // A window that covers the screen is full screen, however it came to be that size.
        g_Settings.m_nFullScreen = nType == SIZE_MAXIMIZED || IsFullScreenNow() ? 1 : 0;
        g_Settings.Save();
    }
    if (nType == SIZE_RESTORED || nType == SIZE_MAXIMIZED || nType == 3)
        m_bWindowActive = TRUE;
    if (m_pFramework == nullptr || m_pFramework->IsFullscreen() || !g_b3DReady)
        return;
    g_b3DReady = FALSE;
    if (!ChangeEnvironmentForWindow())
    {
        PostQuitMessage(13);
        return;
    }
    g_b3DReady = TRUE;
    ReacquireInput();
    if (nType == SIZE_RESTORED && m_bGameStarted)
        KeepWindowPlacement();
}

LRESULT CMainFrame::OnGetMinMaxInfo(WPARAM, LPARAM lParam)
{
    auto* pInfo = reinterpret_cast<MINMAXINFO*>(lParam);
    if (pInfo == nullptr)
        return 0;
    RECT rc{0, 0, MIN_CLIENT_WIDTH, MIN_CLIENT_HEIGHT};
    CalcWindowRect(&rc);
    pInfo->ptMinTrackSize = POINT{rc.right - rc.left, rc.bottom - rc.top};
    return 0;
}

LRESULT CMainFrame::OnSetCursor(WPARAM, LPARAM)
{
    // Placing the cue ball, calling the shot and waiting draw their own pointer; the pause keeps
    // the cursor the game chose.
    if (HasMode(modePlaceCueBall | modeCallShot | modeWaiting) || m_pGameFlow->IsPaused())
        return TRUE;
    return Default();
}

LRESULT CMainFrame::OnDisplayChange(WPARAM, LPARAM)
{
    // A new desktop mode: a windowed environment is made again for it.
    if (m_pFramework == nullptr || m_pFramework->IsFullscreen() || !g_b3DReady)
        return 0;
    g_b3DReady = FALSE;
    if (!ChangeEnvironmentForWindow())
    {
        PostQuitMessage(9);
        return 0;
    }
    g_b3DReady = TRUE;
    return Default();
}

void CMainFrame::SetEnvironmentChangeForTests(std::function<BOOL()> fnChange)
{
    EnvironmentChangeForTests() = std::move(fnChange);
}

BOOL CMainFrame::ChangeEnvironmentForWindow()
{
    if (EnvironmentChangeForTests())
        return EnvironmentChangeForTests()();
    return SUCCEEDED(Change3DEnvironment(m_hWnd)) ? TRUE : FALSE;
}
