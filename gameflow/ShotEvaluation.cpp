// Judging a finished shot: the referee's verdict, the shooter's streak, the outcome handler of the
// game type and what the game does next.
#include "gameflow/CallShotState.h"
#include "gameflow/GameFlow.h"
#include "simulation/Ball.h"
#include "simulation/BallEngine.h"
#include "simulation/CallRecord.h"
#include "simulation/GamePlugins.h"

#include <algorithm>

namespace
{
/// Contact bits of the referee, and the scratch bit the flow adds.
constexpr int FOUL_NO_BALL_HIT = 1;
constexpr int FOUL_CUE_DOWN = 2;
constexpr int FOUL_FIRST_DOWN = 4;
constexpr int FOUL_SCRATCH = 16;

/// The string of a foul's message: the first bit set in the order scratch, cue ball down, no ball
/// hit, first ball down.
int FoulTextId(int nBits)
{
    if ((nBits & FOUL_SCRATCH) != 0)
        return 21578;
    if ((nBits & FOUL_CUE_DOWN) != 0)
        return 21615;
    if ((nBits & FOUL_NO_BALL_HIT) != 0)
        return 21613;
    if ((nBits & FOUL_FIRST_DOWN) != 0)
        return 21614;
    return 21658;
}

/// How long a foul's message is shown. Milliseconds.
constexpr int FOUL_TEXT_MS = 4000;

/// Off the table: at or below this height a ball has left the bed (metres).
constexpr double OFF_TABLE_Z = -0.1;
} // namespace

void CGameFlow::RemovePocketedBalls()
{
    for (int n = 0; n < REFEREE_BALLS; ++n)
    {
        CBall* pBall = m_Engine.FindBall(n);
        if (pBall == nullptr || (!pBall->IsPocketed() && pBall->GetPosition()->z > OFF_TABLE_Z))
            continue;
        m_pReferee->GetBallTable()->SetPocketedNow(n, TRUE);
        TakeBallOff(n);
    }
}

void CGameFlow::TakeBallOff(int n)
{
    m_Engine.RemoveBall(n);
    const WORD wBit = RefereeBallBit(n);
    SetBallLists(static_cast<WORD>(m_wOnTable & ~wBit), static_cast<WORD>(m_wPocketed | wBit));
}

void CGameFlow::KeepStreak(bool bFoul, int nFoulBits)
{
    CPlayerStats& stats = m_pCurrent->GetStats();
    const int nSection = GetStatsSection(m_nGameType);
    const LONG nStreak = stats.Get(STATS_CURRENT_STREAK, nSection);
    if (!bFoul)
    {
        stats.Set(STATS_CURRENT_STREAK, nSection, nStreak + 1);
        m_nLastFoulText = 0;
        stats.Save();
        return;
    }
    // A foul ends the streak: it may first have become the longest, and the file keeps both.
    m_nLastFoulText = FoulTextId(nFoulBits);
    m_Host.ShowStringText(static_cast<UINT>(m_nLastFoulText), FOUL_TEXT_MS);
    stats.Set(STATS_LONGEST_STREAK, nSection, std::max(stats.Get(STATS_LONGEST_STREAK, nSection), nStreak));
    stats.Set(STATS_CURRENT_STREAK, nSection, 0);
    stats.Save();
}

CShotOutcome CGameFlow::FillOutcome(bool bShooterWasPlayer1) const
{
    const CPlayer& shooter = bShooterWasPlayer1 ? m_Player1 : m_Player2;
    const CPlayer& other = bShooterWasPlayer1 ? m_Player2 : m_Player1;
    CShotOutcome outcome;
    outcome.pReferee = m_pReferee;
    outcome.pMainFrame = m_Host.GetMainFrame();
    outcome.pEngine = &m_Engine;
    outcome.ppCallState = &g_pCallShotState;
    outcome.nPointsNeeded = g_nGoal;
    outcome.nShooterFouls = shooter.GetFouls();
    outcome.nShooterPoints = shooter.GetPoints();
    outcome.nShooterGames = shooter.GetGames();
    outcome.nOtherFouls = other.GetFouls();
    outcome.nOtherPoints = other.GetPoints();
    outcome.nOtherGames = other.GetGames();
    outcome.nNextCueBall = m_pReferee->GetCueBall();
    return outcome;
}

bool CGameFlow::DispatchOutcome(CShotOutcome& outcome, bool bShooterWasPlayer1)
{
    switch (m_nGameType)
    {
    case GAME_DEMO:
    case GAME_BASE:
        OutcomeBase();
        return true;
    case GAME_3BALL:
    case GAME_9BALL:
        Outcome9Ball();
        return true;
    case GAME_8BALL:
        Outcome8Ball();
        return true;
    case GAME_PYRAMID:
        OutcomePyramid();
        return true;
    case GAME_AMERICAN:
    case GAME_BONUS:
        OutcomeAmerican();
        return true;
    case GAME_14_1:
        Outcome14_1();
        return true;
    default:
        break;
    }
    CPluginGame* pGame = GetPluginGame();
    if (pGame == nullptr)
    {
        // A game type nobody judges cannot go on.
        m_Host.PostFlowMessage(WM_QUIT, 4, 0);
        return false;
    }
    pGame->FillShotOutcome(&outcome);
    ApplyShotOutcome(outcome, bShooterWasPlayer1);
    // The plug-in may have finished the shot itself.
    return pGame->ShotOutcomeDone(&outcome) == 0;
}

void CGameFlow::CommentOnShot(bool bFoul)
{
    const CReferee& ref = *m_pReferee;
    const bool bRobot = m_pCurrent->GetRobotLevel() != 0;
    m_Host.CommentOnShot(bRobot, ref);
    if ((m_nGameType != GAME_AMERICAN && m_nGameType != GAME_BONUS) || bFoul || ref.HasPocketed() == FALSE)
        return;
    // The shooter's count of the rack's seven balls, before and after this shot.
    const int nBefore = m_pCurrent->GetFouls();
    const int nCount = nBefore + ref.CountPocketedNow();
    m_Host.CommentOnCount(bRobot, nCount == 7, nBefore < 4 && nCount >= 4);
}

void CGameFlow::EvaluateShot()
{
    CReferee& ref = *m_pReferee;
    RemovePocketedBalls();
    m_wPutBack = 0;
    ref.JudgeShot();
    ClearGameFlag(modeCameraFlight);
    m_Host.ClearTexts();
    m_bClearTextsOnStroke = true;

    const bool bShooterWasPlayer1 = IsPlayer1Current();
    const bool bFoul = ref.HasFoul() != FALSE;
    const bool bBallInHand = ref.HasCuePocketed() != FALSE;
    CommentOnShot(bFoul);
    int nFoulBits = ref.GetContactBits();
    if (bBallInHand && (nFoulBits & FOUL_CUE_DOWN) == 0)
        nFoulBits |= FOUL_SCRATCH;
    KeepStreak(bFoul, nFoulBits);

    CShotOutcome outcome = FillOutcome(bShooterWasPlayer1);
    if (!DispatchOutcome(outcome, bShooterWasPlayer1))
        return;
    // The judged shot's plan or call is spent.
    m_ShotRecord.Reset();
    ResetCallRecords();
    m_Host.HidePocketArrow();
    if (!HasGameFlag(gmRackDecided))
        m_Host.PlayShotComments();
    m_Host.MarkSceneShown();
    m_Host.ResumeCommentary();
    if (HasGameFlag(gmRackDecided))
        return;

    SelectCueBall(0);
    // Where the shot's follow camera was left, its orbit's distance is the one it stands at, so
    // that the flight towards the next stroke starts from there without a jump.
    if (m_Settings.nCameraMotion == 0)
        m_Camera.fDistance = static_cast<float>((m_Camera.vPosition - m_Camera.vLookAt).Length());
    ref.SetTarget(GetTargetBall());
    ref.SetFinalBallFlag(ref.IsOnFinalBall());

    bool bHand = outcome.bBallInHand != 0;
    if (m_nGameType == GAME_9BALL || m_nGameType == GAME_8BALL || m_nGameType == GAME_3BALL)
        bHand = bFoul;
    bHand = bHand || bBallInHand || m_bReRackBallInHand;
    m_bReRackBallInHand = false;
    if (m_nGameType == GAME_PYRAMID)
        bHand = bHand && m_Settings.nRecommendedShot == 0;
    ClearGameFlag(gmRobotStroke);
    StartTurn(bHand);

    bool bCall = outcome.bCallShot != 0;
    if (m_nGameType == GAME_8BALL)
        bCall = bCall || ref.IsOnFinalBall();
    if (m_nGameType == GAME_PYRAMID || m_nGameType == GAME_14_1)
        bCall = bCall || bBallInHand || m_Settings.nRecommendedShot == 0;
    if (bCall && m_pCurrent->GetRobotLevel() == 0 && ref.HasBreakMade())
    {
        m_Host.PostFlowMessage(FLOW_MSG_CALL_SHOT, static_cast<WPARAM>(m_nGameType),
                               bBallInHand ? modeBallInHand : modeAim);
        return;
    }
    // In the games of called shots the plan made for the next turn (the computer's, or the shot
    // recommended to a person) is the call.
    const bool bPlanCalls = m_Settings.nRecommendedShot != 0 || m_pCurrent->GetRobotLevel() != 0;
    if ((m_nGameType == GAME_PYRAMID || m_nGameType == GAME_14_1) && bPlanCalls && m_ShotRecord.HoldsShot())
        m_Host.CallTheRecordedShot();
    SetGameMode(modeCameraFlight);
}
