// The main frame's new racks and new games: the rack set-up around the game flow's own, the aiming
// aid's re-simulation and its throttle, the settings a game starts from, who breaks, and the first
// game built from the settings.
#include "app/MainFrame.h"
#include "app/SettingsChanges.h"
#include "app/SplashScreen.h"
#include "app/StartDlg.h"
#include "app/VornApp.h"
#include "foundation/DialogResultMask.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "media/DirectInputDevices.h"
#include "media/Speech.h"
#include "platform/win32/Clock.h"
#include "platform/win32/DebugLog.h"
#include "render/Environment3D.h"
#include "simulation/BallEngine.h"
#include "simulation/GamePlugins.h"
#include "ui/TextMessages.h"
#include "ui/Widget.h"

#include <numbers>

DWORD g_dwBreakSeed = 0;
int g_nRackCount = 0;

namespace
{
constexpr double DEG_TO_RAD = std::numbers::pi / 180.0;
/// The aiming aid is re-simulated this long after the aim stopped changing (ms).
constexpr DWORD AIM_PREVIEW_DELAY_MS = 100;
/// The bonus game's felt colour.
constexpr int BONUS_FELT_COLOUR = 0x707AB;
/// The mode-word flag a new rack copies into the rounding switches.
constexpr DWORD ROUNDING_FLAG = 0x8;
/// The dialogs whose OK changes the game or the players of a game that goes on.
constexpr DWORD PLAYER_DIALOGS = DLGOK_OPPONENT | DLGOK_GAME_TYPE | DLGOK_GAME_CHOSEN;
/// The computer's turn as a game was interrupted: its flight and its stroke.
constexpr DWORD COMPUTER_TURN_BITS = modeCameraFlight | gmStroking;

/// The settings the flow reads, from the settings as they stand.
void CopyFlowSettings(const CSettings& settings, SFlowSettings& flow)
{
    flow.nCompetitionType = settings.m_nCompetitionType;
    flow.nGamesGoal = settings.m_nGamesGoal;
    flow.nAiDefaultLevel = settings.m_nAIDefaultLevel;
    flow.nBallPath1 = settings.m_nBallPath1;
    flow.nOverheadView = settings.m_nOverHeadView;
    flow.nRecommendedShot = settings.m_nRecommendedShot;
    flow.nHitVelocity = settings.m_nHitVelocity;
    for (std::size_t i = 0; i < flow.anTrophy.size(); ++i)
        flow.anTrophy[i] = settings.m_anTrophies[i];
}
} // namespace

int CMainFrame::GetGameType() const
{
    const CReferee* pReferee = m_pGameFlow->GetReferee();
    return pReferee != nullptr ? pReferee->GetGameType() : m_pGameFlow->GetGameType();
}

int CMainFrame::GetBallCount() const
{
    const CReferee* pReferee = m_pGameFlow->GetReferee();
    return pReferee != nullptr ? pReferee->GetBallCount() : 0;
}

BOOL CMainFrame::IsCurrentPlayerRemote() const { return m_pGameFlow->Current().IsRemote() ? 1 : 0; }

bool CMainFrame::IsComputerToPlay() const { return m_pGameFlow->Current().GetRobotLevel() != 0; }

void CMainFrame::ResetReferee(int nGameType)
{
    CReferee* pReferee = m_pGameFlow->GetReferee();
    if (pReferee == nullptr)
        return;
    pReferee->Init(nGameType);
    m_pGameFlow->GetShadowReferee()->Assign(*pReferee);
}

void CMainFrame::ResetShotState()
{
    if (CReferee* pReferee = m_pGameFlow->GetReferee(); pReferee != nullptr)
        pReferee->ReleaseEvents();
}

void CMainFrame::StartNewRack(BOOL bResetScores)
{
    CGameFlow& flow = *m_pGameFlow;
    flow.Settings().nMatchGoal = g_Settings.GetMatchGoal();
    flow.StartMatchRack(bResetScores != FALSE);
    ApplyCueStrokeRange();
    if (IsComputerToPlay())
        flow.StartTurnFlight();
    UpdateAimPreview();
}

void CMainFrame::PrepareNewRack()
{
    CGameFlow& flow = *m_pGameFlow;
    // Commentary only when the computer plays a side.
    g_Speech.Reset();
    g_Speech.Rules().EnableForGameType(GetGameType());
    const bool bComputerPlays = flow.Player1().IsRobot() || flow.Player2().IsRobot();
    g_Speech.SetActive(bComputerPlays && g_Settings.m_nSpeechMode == 2 && GetGameType() != GAME_DIRECT_AIM);
    // A widget pressed to ask for this rack never gets its release: it lets go here, and the game
    // leaves for the mode it came from before the rack clears the mode word.
    if (CWidget* pActive = CWidget::GetHoveredWidget(); pActive != nullptr && pActive->m_bPressed != 0)
    {
        pActive->m_bPressed = 0;
        flow.SetGameMode(GetReturnMode());
    }
    // The rounding switches follow the mode word before the balls are racked.
    const BOOL bRounding = (g_nGameMode & ROUNDING_FLAG) != 0 ? TRUE : FALSE;
    g_BallEngineMain.SetRounding(bRounding);
    g_nVectorRounding = bRounding;
    ++g_nRackCount;
}

void CMainFrame::UpdateAimPreview()
{
    if (HasGameFlag(gmReplay) || g_Settings.m_nBallPath1 == 0 || !m_pGameFlow->HasCueBall())
        return;
    const SCueStroke& cue = m_pGameFlow->Cue();
    if (!g_BallEngineAux.SyncFrom(g_BallEngineMain))
        return;
    g_BallEngineAux.BeginShot(0.0f, static_cast<float>((cue.fAim + 90.0) * DEG_TO_RAD),
                              static_cast<float>(cue.fElevation * DEG_TO_RAD), cue.fTipX, cue.fTipY);
    m_bAimPreviewShown = TRUE;
}

void CMainFrame::RestartAimPreview() { ThrottleAimPreview(TRUE); }

void CMainFrame::StartAimingAid()
{
    g_BallEngineAux.StartThread();
    g_BallEngineQueued.StartThread();
}

void CMainFrame::ThrottleAimPreview(BOOL bArm)
{
    if (bArm)
    {
        m_bAimPreviewArmed = TRUE;
        m_bAimPreviewShown = FALSE;
        m_bAimPreviewDone = FALSE;
        return;
    }
    const DWORD dwNow = timeGetTime();
    if (m_bAimPreviewArmed)
    {
        m_bAimPreviewArmed = FALSE;
        m_dwAimPreviewStart = dwNow;
        m_bAimPreviewDone = FALSE;
    }
    else if (!m_bAimPreviewDone && dwNow - m_dwAimPreviewStart > AIM_PREVIEW_DELAY_MS)
    {
        UpdateAimPreview();
        m_bAimPreviewDone = TRUE;
    }
}

void CMainFrame::PrepareSettingsForGame(BOOL bKeepFirstLevel)
{
    g_Settings.m_nAdDisplayEnable = 0;
    if (!bKeepFirstLevel)
        g_Settings.m_nPlayerLevel1 = 0;
    if (g_GamePlugins.GetGame() == nullptr)
        g_Settings.CheckGameType();
    // The aiming aid and the recommended shot stay on only where their commands could switch them
    // on: never while the cue ball is placed or in a competition of kind 2.
    const bool bPlacing = HasMode(modeBallInHand | modePlaceCueBall);
    const bool bCompetition2 = g_Settings.m_nCompetitionType == 2;
    if (HasMode(modeCallShot) || bPlacing || bCompetition2 || HasGameFlag(gmInputOff))
        g_Settings.m_nBallPath1 = 0;
    if (bPlacing || bCompetition2 || HasGameFlag(gmSettingsPreview | gmGameOver) || IsComputerToPlay())
        g_Settings.m_nRecommendedShot = 0;
}

void CMainFrame::ChooseFirstPlayer()
{
    g_dwBreakSeed = timeGetTime();
    CGameFlow& flow = *m_pGameFlow;
    // Only a person in the second seat may break by the clock: the computer never does, and in
    // practice the seat is empty.
    const bool bSecondMayBreak = !flow.Player2().IsDead() && flow.Player2().GetRobotLevel() == 0;
    flow.SetCurrent(!bSecondMayBreak || (g_dwBreakSeed % 2) == 0);
}

BOOL CMainFrame::RunStartScreen()
{
    INT_PTR nResult = IDCANCEL;
    {
        const CModalModeScope modal;
        m_bStartScreenOpen = true;
        nResult = RunStartDialog(this);
        m_bStartScreenOpen = false;
    }
    // The screen stopped the splash; its window is gone before the game takes the foreground.
    JoinSplashScreen();
    CString strResult;
    strResult.Format("Start screen: ended with %d\n", static_cast<int>(nResult));
    OutputDebugString(strResult.GetString());
    if (nResult != IDOK)
        return FALSE;
    g_bPanelRedraw = TRUE;
    return TRUE;
}

BOOL CMainFrame::SetupGame()
{
    CGameFlow& flow = *m_pGameFlow;
    // The last game is resumed over a fresh game of the default type, which stays when it cannot be.
    const bool bResume = g_Settings.m_nGameType == GAME_RESUME_LAST;
    if (bResume)
        g_Settings.m_nGameType = GAME_3BALL;
    flow.CreateReferee(g_Settings.m_nGameType);
    PrepareSettingsForGame(FALSE);
    m_Sound.SetMuted(false);
    ApplyFeltColour();
    for (CPlayer* pPlayer : {&flow.Player1(), &flow.Player2()})
        pPlayer->Reset();
    SetUpPlayers(flow.Player1(), flow.Player2(), g_Settings);
    CopyFlowSettings(g_Settings, flow.Settings());
    // The type made valid above is the one played.
    flow.CreateReferee(g_Settings.m_nGameType);
    ChooseFirstPlayer();
    StartNewRack(TRUE);
    KeepViewForBothPlayers();
    const bool bResumed = bResume && ResumeLastGame();
    PrepareSettingsForGame(FALSE);
    CopyFlowSettings(g_Settings, flow.Settings());
    SetAimingAid(g_Settings.m_nBallPath1 != 0);
    // Start-up makes sure a ball set exists; without one the balls keep the textures they have.
    if (!UpdateVariant())
        OutputDebugString("Game: no ball set for the game's variant\n");
    g_DIKeyboard.ReadDIKeyboardBuffer();
    g_DIMouse.ReadDIMouseState();
    if (!bResumed)
    {
        flow.SetGameMode(modeAim);
        StartPlay();
    }
    SetForegroundWindow();
    m_bGameInProgress = TRUE;
    CString strStart;
    strStart.Format("Game: type %d, %s against %s, %s breaks\n", flow.GetGameType(), flow.Player1().GetName(),
                    flow.Player2().GetName(), flow.Current().GetName());
    OutputDebugString(strStart.GetString());
    return TRUE;
}

void CMainFrame::KeepViewForBothPlayers()
{
    CGameFlow& flow = *m_pGameFlow;
    const CViewRecord view = flow.GetCurrentView();
    flow.Player1().SetViewRecord(view);
    flow.Player2().SetViewRecord(view);
}

void CMainFrame::StartPlay()
{
    CGameFlow& flow = *m_pGameFlow;
    if (IsComputerToPlay())
    {
        flow.StartTurnFlight();
        return;
    }
    if (flow.GetGameType() == GAME_DIRECT_AIM)
    {
        flow.SetGameMode(modeAim);
        return;
    }
    // A person's first turn flies to the table and begins with the cue ball in hand.
    flow.FlyToBallInHandView();
    flow.SetGameMode(modeCameraFlight);
}

void CMainFrame::ApplyFeltColour()
{
    // The bonus game is played on its own cloth; leaving it brings the player's colour back.
    if (m_pGameFlow->GetGameType() == GAME_BONUS)
    {
        if (g_Settings.m_nTableColor == BONUS_FELT_COLOUR)
            return;
        m_nSavedFeltColour = g_Settings.m_nTableColor;
        g_Settings.m_nTableColor = BONUS_FELT_COLOUR;
    }
    else if (g_Settings.m_nTableColor == BONUS_FELT_COLOUR)
        g_Settings.m_nTableColor = m_nSavedFeltColour;
    else
        return;
    ReloadFelt();
}

void CMainFrame::BeginNewGame(const CSettings& old, DWORD dwSavedMode)
{
    if (!::IsWindow(m_hWnd))
        return;
    const bool bComputerWasPlaying = IsComputerToPlay();
    const bool bNewGame = IsStartDlgOk() != 0;
    if (bNewGame)
    {
        // The overhead view stays as it was; the options screen of the start screen writes the
        // live settings without a result bit of its own, so its changes are applied here.
        SetGameFlag(dwSavedMode & gmKeepView);
        ApplySettingsChange(old);
        ApplySoundSettings(old);
        OutputDebugString("New game\n");
        SetupGame();
    }
    else if ((g_nDialogOkMask & PLAYER_DIALOGS) != 0)
        ApplyPlayerSettings(old);
    ApplyDialogResults(old);
    g_Settings.Save();
    if (!bNewGame)
        ResumeInterruptedGame(dwSavedMode, bComputerWasPlaying);
}

void CMainFrame::ApplyDialogResults(const CSettings& old)
{
    if (IsDialogOkBit0() != 0)
        ApplySoundSettings(old);
    if (IsDialogOkBit1() != 0)
        ApplyDisplaySettings(old);
    if (IsDialogOkBit2() != 0)
        ApplySettingsChange(old);
    if (IsDialogOkBit5() != 0)
        SelectTableSet(g_Settings.m_nTableNumber);
    if (IsDialogOkBit8() != 0)
        ApplyAdSetting(old);
}

void CMainFrame::ResumeInterruptedGame(DWORD dwSavedMode, bool bComputerWasPlaying)
{
    // Ball in hand chosen meanwhile (a rack set up again) is not undone.
    if (!HasMode(modeBallInHand))
        g_nGameMode = dwSavedMode;
    if ((dwSavedMode & gmShotRunning) != 0)
        return;
    CGameFlow& flow = *m_pGameFlow;
    if (IsComputerToPlay())
    {
        flow.StartTurnFlight();
        return;
    }
    ClearGameFlag(gmRobotStroke);
    if (bComputerWasPlaying && (dwSavedMode & COMPUTER_TURN_BITS) != 0)
    {
        // The computer's turn that was under way is now a person's: its flight and stroke end and
        // the person aims.
        ClearGameFlag(COMPUTER_TURN_BITS);
        flow.SetFlight(nullptr);
        flow.SetGameMode(modeAim);
    }
}

void CMainFrame::ApplyPlayerSettings(const CSettings& old)
{
    CGameFlow& flow = *m_pGameFlow;
    if (old.m_nGameType != g_Settings.m_nGameType)
    {
        // A new game type on the same table: its referee and rack, the cue ball in hand; the flags
        // a rack keeps stay as they were.
        flow.CreateReferee(g_Settings.m_nGameType);
        const DWORD dwKept = g_nGameMode & MODE_RACK_FLAGS;
        ClearGameFlag(MODE_RACK_FLAGS);
        ApplyFeltColour();
        if (!UpdateVariant())
            OutputDebugString("Game: no ball set for the game's variant\n");
        OnFileNew();
        KeepViewForBothPlayers();
        SetGameFlag(dwKept);
    }
    const LONG nGames1 = flow.Player1().GetGames();
    const LONG nGames2 = flow.Player2().GetGames();
    SetUpPlayers(flow.Player1(), flow.Player2(), g_Settings);
    flow.Player1().SetGames(nGames1);
    flow.Player2().SetGames(nGames2);
    CopyFlowSettings(g_Settings, flow.Settings());
    const SCommandState state = GetCommandState();
    g_Speech.SetActive(IsCommentaryOn(g_Settings, state.bBothHuman) ? TRUE : FALSE);
}
