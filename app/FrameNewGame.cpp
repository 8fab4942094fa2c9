// The main frame's new racks and new games: the rack set-up around the game flow's own, the aiming
// aid's re-simulation and its throttle, the settings a game starts from, who breaks, and the first
// game built from the settings.
#include "app/MainFrame.h"
#include "app/SplashScreen.h"
#include "app/StartDlg.h"
#include "app/VornApp.h"
#include "foundation/DialogResultMask.h"
#include "foundation/Settings.h"
#include "gameflow/CallShotState.h"
#include "gameflow/GameFlow.h"
#include "gameflow/RespotNotice.h"
#include "media/DirectInputDevices.h"
#include "media/Speech.h"
#include "platform/win32/Clock.h"
#include "platform/win32/DebugLog.h"
#include "render/Environment3D.h"
#include "simulation/BallEngine.h"
#include "simulation/GamePlugins.h"
#include "ui/TextMessages.h"

#include <numbers>

DWORD g_dwBreakSeed = 0;
int g_nRackCount = 0;

namespace
{
constexpr double DEG_TO_RAD = std::numbers::pi / 180.0;
/// The aiming aid is re-simulated this long after the aim stopped changing (ms).
constexpr DWORD AIM_PREVIEW_DELAY_MS = 100;
/// The cue's stroke range until the cue object gives its own: at rest, and drawn back in full.
constexpr float CUE_STROKE_MIN = 2.0f;
constexpr float CUE_STROKE_MAX = 40.0f;
/// The game type that starts in aiming at once, and the one that resumes the last game.
constexpr int GAME_DIRECT_AIM = 32;
constexpr int GAME_RESUME_LAST = 33;
/// The bonus game's felt colour.
constexpr int BONUS_FELT_COLOUR = 0x707AB;
/// The mode-word flag a new rack copies into the rounding switches.
constexpr DWORD ROUNDING_FLAG = 0x8;

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
    delete g_pCallShotState;
    g_pCallShotState = nullptr;
    // Commentary only when the computer plays a side.
    g_Speech.Reset();
    const bool bComputerPlays = flow.Player1().GetRobotLevel() != 0 || flow.Player2().GetRobotLevel() != 0;
    g_Speech.SetActive(bComputerPlays && g_Settings.m_nSpeechMode == 2 && GetGameType() != GAME_DIRECT_AIM);
    // The rounding switches follow the mode word before the balls are racked.
    const BOOL bRounding = (g_nGameMode & ROUNDING_FLAG) != 0 ? TRUE : FALSE;
    g_BallEngineMain.SetRounding(bRounding);
    g_nVectorRounding = bRounding;
    g_nGameMode = 0;
    flow.StartNewRack(0);
    flow.SelectCueBall(0);
    flow.Cue().fMin = CUE_STROKE_MIN;
    flow.Cue().fMax = CUE_STROKE_MAX;
    flow.Cue().fPullBack = CUE_STROKE_MIN;
    for (CPlayer* pPlayer : {&flow.Player1(), &flow.Player2()})
    {
        pPlayer->SetFouls(0);
        if (bResetScores)
            pPlayer->SetPoints(0);
    }
    flow.SetMatchGoal(g_Settings.GetMatchGoal());
    ++g_nRackCount;
    ClearGameFlag(gmRobotStroke);
    if (IsComputerToPlay())
        flow.StartTurnFlight();
    UpdateAimPreview();
    ResetRespotNotice();
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
    const bool bSecondHuman = flow.Player2().GetRobotLevel() == 0;
    flow.SetCurrent(!bSecondHuman || (g_dwBreakSeed % 2) == 0);
}

BOOL CMainFrame::RunStartScreen()
{
    INT_PTR nResult = IDCANCEL;
    {
        const CModalModeScope modal;
        nResult = RunStartDialog(this);
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
    const bool bResumed = bResume && ResumeLastGame();
    PrepareSettingsForGame(FALSE);
    CopyFlowSettings(g_Settings, flow.Settings());
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
