// The outcome handlers: what a judged shot changes in the score, the turn, the balls on the table
// and the rack, one handler per game type.
#include "foundation/Flags.h"
#include "gameflow/GameFlow.h"
#include "platform/win32/DebugLog.h"
#include "simulation/Ball.h"
#include "simulation/BallEngine.h"
#include "simulation/PointList.h"
#include "simulation/RefereeTypes.h"

#include <algorithm>
#include <bit>

namespace
{
constexpr int PYRAMID_WIN_SCORE = 71;
constexpr int AMERICAN_WIN_COUNT = 8;
} // namespace

void CGameFlow::RefreshSpotOccupancy()
{
    g_PointList.FreeAllButFirst();
    const int nBalls = GetTableBallCount(*m_pReferee);
    for (int n = 0; n < nBalls; ++n)
        if (CVector3 vPos; m_Engine.GetBallPosition(n, vPos, nullptr))
            g_PointList.MarkWithinRadius(vPos.x, vPos.y);
}

void CGameFlow::PutBallBack(int n, int nKind)
{
    const WORD wBit = RefereeBallBit(n);
    m_Engine.AddBall(n);
    m_pReferee->GetBallTable()->SetPocketedNow(n, FALSE);
    m_Engine.RespotBall(n, nKind);
    SetBallLists(static_cast<WORD>(m_wOnTable | wBit), static_cast<WORD>(m_wPocketed & ~wBit));
}

void CGameFlow::PutBackNewlyPocketed(int nKind)
{
    // Pyramid and straight pool set their balls back turned as a rack sets them.
    const bool bUpright = m_nGameType == GAME_PYRAMID || m_nGameType == GAME_14_1;
    for (int n = 0; n < REFEREE_BALLS; ++n)
        if (m_pReferee->IsPocketedNow(n) && !m_pReferee->WasPocketedBefore(n))
        {
            PutBallBack(n, nKind);
            if (CBall* pBall = m_Engine.FindBall(n); bUpright && pBall != nullptr)
            {
                pBall->ResetOrientation();
                PlaceBallObject(n);
            }
        }
}

void CGameFlow::SyncRuleTable(bool bAll)
{
    CRefereeBallTable& table = *m_pReferee->GetBallTable();
    for (int n = 0; n < REFEREE_BALLS; ++n)
    {
        CVector3 vPos;
        const bool bOnTable = (m_wOnTable & RefereeBallBit(n)) != 0;
        if (bOnTable && m_Engine.GetBallPosition(n, vPos, nullptr))
            table.SetBall(n, &vPos);
        else if (bAll)
            table.SetBall(n, nullptr);
    }
}

int CGameFlow::KeepCueBallOnTable()
{
    if (m_wOnTable == 0)
    {
        m_Engine.AddBall(0);
        SetBallLists(RefereeBallBit(0), static_cast<WORD>(m_wPocketed & ~RefereeBallBit(0)));
    }
    return std::popcount(static_cast<unsigned>(m_wOnTable));
}

void CGameFlow::DecideRack(bool bShooterWins, bool bShooterWasPlayer1, LPARAM lParam)
{
    SetGameFlag(gmRackDecided);
    m_pReferee->Init(m_pReferee->GetGameType());
    const bool bWinnerIsPlayer1 = bShooterWins == bShooterWasPlayer1;
    m_Host.PostFlowMessage(FLOW_MSG_MATCH_PROGRESS, bWinnerIsPlayer1 ? 0 : 1, lParam);
}

void CGameFlow::ReRack(bool bOnlyCue)
{
    // Zones of the engine: 1 the rack area, 3 spot A, 4 the centre spot; the cue ball's "no such
    // ball" counts as the rack area.
    constexpr int ZONE_RACK = 1;
    constexpr int ZONE_SPOT_A = 3;
    auto cueZone = [this]
    {
        const int nZone = m_Engine.IsBallInZone(0);
        return nZone == -1 ? ZONE_RACK : nZone;
    };
    // The spots lie on the bed: their second bed coordinate is the spot's third coordinate.
    const CVector3 vSpotA = GetTableSpotA();
    const CVector3 vSpotB = GetTableSpotB();
    const CVector3 vA(vSpotA.x, vSpotA.z, 0.0f);
    const CVector3 vB(vSpotB.x, vSpotB.z, 0.0f);
    const CVector3 vCentre(vA.x, (vA.y + vB.y) / 2, 0.0f);
    auto moveTo = [this](int n, const CVector3& v) { m_Engine.SetBallPosition(n, v.x, v.y); };
    const int nBalls = GetTableBallCount(*m_pReferee);
    if (bOnlyCue)
    {
        for (int n = 1; n < nBalls; ++n)
            PutBallBack(n, -1);
        m_Engine.PlaceRackExcept(-1);
        if (cueZone() == ZONE_RACK)
        {
            m_bReRackBallInHand = true;
            moveTo(0, vA);
        }
        return;
    }
    const int nLeft = LowestBall(static_cast<WORD>(m_wOnTable & ~RefereeBallBit(0)), REFEREE_BALLS);
    const int nBallZone = m_Engine.IsBallInZone(nLeft);
    for (int n = 1; n < nBalls; ++n)
        if (n != nLeft)
            PutBallBack(n, -1);
    m_Engine.PlaceRackExcept(nLeft);
    const int nCueZone = cueZone();
    if (nCueZone == ZONE_RACK)
    {
        if (nBallZone == ZONE_SPOT_A)
            moveTo(0, vCentre);
        else
        {
            m_bReRackBallInHand = true;
            moveTo(0, vA);
            if (nBallZone == ZONE_RACK)
                moveTo(nLeft, vB);
        }
    }
    else if (nBallZone == ZONE_RACK)
        moveTo(nLeft, nCueZone == ZONE_SPOT_A ? vCentre : vA);
}

/// The end of a points game (base types and 14.1 continuous): the target score, a lost rack, or a
/// re-rack when two balls or fewer are left.
void CGameFlow::FinishPointsGame(bool bLost, bool bShooterWasPlayer1)
{
    RefreshSpotOccupancy();
    PutBackNewlyPocketedWhen(m_pReferee->HasCuePocketed() || m_pReferee->IsOffTable(0) ||
                             (m_nGameType == GAME_14_1 && !m_pReferee->HasJudgement()));
    SyncRuleTable(false);
    const int nOnTable = KeepCueBallOnTable();
    if ((m_Player1.HasReachedGoal() || m_Player2.HasReachedGoal()) && !HasGameFlag(gmSettingsPreview))
    {
        // The turn may have passed already: the winner is whoever reached the goal.
        const bool bWinnerIsPlayer1 = LogicalXor(IsPlayer1Current(), Current().HasReachedGoal()) == 0;
        DecideRack(bWinnerIsPlayer1 == bShooterWasPlayer1, bShooterWasPlayer1);
    }
    else if (bLost)
    {
        const DWORD dwKeep = g_nGameMode & (MODE_RACK_FLAGS | gmSettingsPreview);
        const LONG f1 = m_Player1.GetFouls();
        const LONG f2 = m_Player2.GetFouls();
        StartNewRack(0);
        g_nGameMode |= dwKeep;
        m_Player1.SetFouls(f1);
        m_Player2.SetFouls(f2);
    }
    else if (nOnTable <= 2)
    {
        ReRack(nOnTable == 1);
        m_pReferee->GetBallTable()->ResetAll();
        SyncRuleTable(false);
    }
}

void CGameFlow::PutBackNewlyPocketedWhen(bool bCondition)
{
    if (bCondition)
        PutBackNewlyPocketed(-1);
}

/// Three fouls in a row lose the rack: 15 points and the count held at nHeld.
bool CGameFlow::CountFoul(CPlayer& shooter, LONG nHeld)
{
    const LONG nFouls = shooter.GetFouls() + 1;
    if (nFouls >= 3)
    {
        shooter.SetFouls(nHeld);
        shooter.SetPoints(shooter.GetPoints() - 15);
        return true;
    }
    shooter.SetFouls(nFouls);
    shooter.SetPoints(shooter.GetPoints() - 1);
    return false;
}

void CGameFlow::OutcomeBase()
{
    CReferee& ref = *m_pReferee;
    CPlayer& shooter = *m_pCurrent;
    const bool bShooterWasPlayer1 = IsPlayer1Current();
    const bool bFoul = ref.HasFoul() != FALSE;
    bool bLost = false;
    if (!bFoul)
    {
        shooter.SetFouls(0);
        shooter.SetPoints(shooter.GetPoints() + ref.GetShotScore());
    }
    else
        bLost = CountFoul(shooter, 3);
    if ((!ref.HasPocketed() || bFoul) && !bLost)
        NextTurn();
    FinishPointsGame(bLost, bShooterWasPlayer1);
}

void CGameFlow::Outcome14_1()
{
    CReferee& ref = *m_pReferee;
    CPlayer& shooter = *m_pCurrent;
    const bool bShooterWasPlayer1 = IsPlayer1Current();
    const bool bFoul = ref.HasFoul() != FALSE;
    bool bLost = false;
    if (!ref.HasBreakMade())
    {
        ref.SetBreakMade(TRUE);
        ref.SetFlags(REF_BREAK_MADE);
        if (ref.HasCuePocketed())
        {
            shooter.SetFouls(shooter.GetFouls() + 1);
            shooter.SetPoints(shooter.GetPoints() - 1);
        }
        else
        {
            shooter.SetFouls(0);
            shooter.SetPoints(shooter.GetPoints() + (bFoul ? -2 : ref.GetShotScore()));
        }
    }
    else if (bFoul)
        bLost = CountFoul(shooter, 0);
    else if (ref.HasJudgement() && ref.GetShotScore() != 0)
    {
        shooter.SetFouls(0);
        shooter.SetPoints(shooter.GetPoints() + ref.GetShotScore());
    }
    if ((!ref.HasPocketed() || bFoul) && !bLost)
        NextTurn();
    FinishPointsGame(bLost, bShooterWasPlayer1);
}

void CGameFlow::Outcome9Ball()
{
    CReferee& ref = *m_pReferee;
    CPlayer& shooter = *m_pCurrent;
    const bool bShooterWasPlayer1 = IsPlayer1Current();
    const bool bFoul = ref.HasFoul() != FALSE;
    shooter.SetFouls(bFoul ? shooter.GetFouls() + 1 : 0);
    if (shooter.GetFouls() >= 3)
    {
        DecideRack(false, bShooterWasPlayer1);
        return;
    }
    if ((ref.HasCuePocketed() || ref.IsOffTable(0)) && ref.IsPocketedNow(0))
        PutBallBack(0, -1);
    const int nMoney = m_nGameType == GAME_3BALL ? 3 : 9;
    if (bFoul && ref.IsPocketedNow(nMoney))
        PutBallBack(nMoney, -1);
    SyncRuleTable(true);
    KeepCueBallOnTable();
    if (ref.CountOnTable() == 1 || ref.HasWon())
    {
        DecideRack(true, bShooterWasPlayer1);
        return;
    }
    if (!ref.HasPocketed() || bFoul)
        NextTurn();
}

namespace
{
int CountDown(const CReferee& ref, int nFirst, int nLast)
{
    int nCount = 0;
    for (int n = nFirst; n <= nLast; ++n)
        if (ref.IsPocketedNow(n) || ref.WasPocketedBefore(n))
            ++nCount;
    return nCount;
}

bool AnyDownNow(const CReferee& ref, int nFirst, int nLast)
{
    for (int n = nFirst; n <= nLast; ++n)
        if (ref.IsPocketedNow(n) && !ref.WasPocketedBefore(n))
            return true;
    return false;
}
} // namespace

void CGameFlow::Outcome8Ball()
{
    CReferee& ref = *m_pReferee;
    const bool bShooterWasPlayer1 = IsPlayer1Current();
    const bool bFoul = ref.HasFoul() != FALSE;
    if (ref.HasLost())
    {
        DecideRack(false, bShooterWasPlayer1);
        return;
    }
    if (ref.HasBreakMade() && ref.IsPocketedNow(8))
    {
        DecideRack(true, bShooterWasPlayer1);
        return;
    }
    if (!m_Player1.HasNoGroup())
    {
        const int s = CountDown(ref, 1, 7);
        const int t = CountDown(ref, 9, 15);
        m_Player1.SetPoints(m_Player1.IsGroupOne() ? t : s);
        m_Player2.SetPoints(m_Player1.IsGroupOne() ? s : t);
    }
    bool bPasses = bFoul || ref.HasOffTable();
    if (m_pCurrent->HasNoGroup())
        bPasses = bPasses || !ref.HasPocketed();
    else if (m_pCurrent->IsGroupOne())
        bPasses = bPasses || !AnyDownNow(ref, 9, 15);
    else
        bPasses = bPasses || !AnyDownNow(ref, 1, 7);
    if (ref.IsPocketedNow(0))
        PutBallBack(0, -1);
    for (int n = 1; n < REFEREE_BALLS; ++n)
        if (ref.IsOffTable(n) && (m_wOnTable & RefereeBallBit(n)) == 0)
            PutBallBack(n, -1);
    if (ref.IsPocketedNow(8))
        PutBallBack(8, -1);
    SyncRuleTable(false);
    KeepCueBallOnTable();
    if (bPasses)
        NextTurn();
    if (!ref.HasBreakMade())
    {
        ref.SetBreakMade(TRUE);
        ref.SetFlags(REF_BREAK_MADE);
    }
}

void CGameFlow::OutcomePyramid()
{
    CReferee& ref = *m_pReferee;
    CPlayer& shooter = *m_pCurrent;
    CPlayer& other = GetOtherPlayer();
    const bool bShooterWasPlayer1 = IsPlayer1Current();
    const bool bFoul = ref.HasFoul() != FALSE;
    if (bFoul)
    {
        shooter.SetFouls(shooter.GetFouls() - 5);
        other.SetFouls(other.GetFouls() + 5);
    }
    else if (ref.HasJudgement())
        shooter.SetFouls(shooter.GetFouls() + ref.GetShotScore());
    PutBackNewlyPocketedWhen(ref.HasCuePocketed() || ref.IsOffTable(0) || !ref.HasJudgement());
    SyncRuleTable(false);
    KeepCueBallOnTable();
    const bool bScore = shooter.GetFouls() >= PYRAMID_WIN_SCORE || other.GetFouls() >= PYRAMID_WIN_SCORE;
    if (ref.CountOnTable() == 1 || ref.HasWon() || bScore)
    {
        DecideRack(true, bShooterWasPlayer1, bScore ? 1 : 0);
        return;
    }
    if (!ref.HasPocketed() || bFoul || !ref.HasJudgement())
        NextTurn();
}

bool CGameFlow::SelectLowestBall()
{
    for (int n = 0; n < REFEREE_BALLS; ++n)
        if (m_Engine.FindBall(n) != nullptr)
        {
            m_pReferee->SetCueBall(n);
            m_Engine.SetCueBallNumber(n);
            return true;
        }
    return false;
}

void CGameFlow::PutBallBackCounted(int n, int nKind)
{
    m_pReferee->GetBallTable()->SetPocketedBefore(n, FALSE);
    PutBallBack(n, nKind);
    m_wPutBack |= RefereeBallBit(n);
}

/// The next ball that dropped in an earlier shot, searched from ball 0; -1 when none is left.
int CGameFlow::FindDownBefore() const
{
    for (int n = 0; n < REFEREE_BALLS; ++n)
        if (m_pReferee->WasPocketedBefore(n))
            return n;
    return -1;
}

void CGameFlow::OutcomeAmerican()
{
    CReferee& ref = *m_pReferee;
    CPlayer& shooter = *m_pCurrent;
    const bool bShooterWasPlayer1 = IsPlayer1Current();
    const bool bFoul = ref.HasFoul() != FALSE;
    const LONG nBefore = shooter.GetFouls();
    bool bSelected = SelectLowestBall();
    if (!bFoul && ref.HasPocketed())
    {
        shooter.SetFouls(nBefore + ref.GetShotScore());
        // A debt of balls is paid first with the balls just pocketed.
        const int nOwed = nBefore < 0 ? std::min<int>(-nBefore, ref.GetShotScore()) : 0;
        for (int i = 0; i < nOwed; ++i)
            if (const int n = FindDownBefore(); n >= 0)
                PutBallBackCounted(n, m_nGameType);
    }
    else if (bFoul)
    {
        shooter.SetFouls(nBefore - 1);
        if (shooter.GetFouls() >= 0)
            if (const int n = FindDownBefore(); n >= 0)
                PutBallBackCounted(n, GAME_AMERICAN);
        for (int n = 0; n < REFEREE_BALLS; ++n)
            if (ref.IsPocketedNow(n) && !ref.WasPocketedBefore(n))
                PutBallBackCounted(n, m_nGameType);
        if (!bSelected)
            bSelected = SelectLowestBall();
    }
    SyncRuleTable(true);
    KeepCueBallOnTable();
    if (shooter.GetFouls() >= AMERICAN_WIN_COUNT || ref.CountOnTable() <= 1 || ref.HasWon())
    {
        DecideRack(true, bShooterWasPlayer1);
        return;
    }
    if (bFoul || !ref.HasPocketed())
        NextTurn();
}

void CGameFlow::ApplyShotOutcome(const CShotOutcome& outcome, bool bShooterWasPlayer1)
{
    TakeCounters(outcome, bShooterWasPlayer1 ? m_Player1 : m_Player2, bShooterWasPlayer1 ? &m_Player2 : &m_Player1);
    // A ball to strike that is not on the table would leave the next player nothing to strike.
    const int nCue = outcome.nNextCueBall;
    if (IsRefereeBall(nCue) && m_Engine.FindBall(nCue) != nullptr)
    {
        m_pReferee->SetCueBall(nCue);
        m_Engine.SetCueBallNumber(nCue);
    }
    else
        OutputDebugString("ApplyShotOutcome: the ball to strike is not on the table, the old one stays\n");
    if (outcome.bTurnPasses != 0)
        NextTurn();
    RefreshSpotOccupancy();
    const int nBalls = GetTableBallCount(*m_pReferee);
    const WORD wBallsMask = GetBallsMask(nBalls);
    if ((outcome.dwPutBack & ~static_cast<std::uint32_t>(wBallsMask)) != 0 ||
        (outcome.dwShownPutBack & ~static_cast<std::uint32_t>(wBallsMask)) != 0)
        OutputDebugString("ApplyShotOutcome: balls beyond the game's ball count ignored\n");
    for (int n = 0; n < nBalls; ++n)
        if ((outcome.dwPutBack & (1u << n)) != 0)
            PutBallBackCounted(n, m_nGameType);
    m_wPutBack = static_cast<WORD>(outcome.dwShownPutBack & wBallsMask);
    SyncRuleTable(true);
    if (outcome.bShooterLost != 0 || outcome.bShooterWon != 0)
        DecideRack(outcome.bShooterWon != 0, bShooterWasPlayer1);
}

bool CGameFlow::TakeCounters(const CShotOutcome& record, CPlayer& first, CPlayer* pSecond)
{
    const std::int32_t anCounters[] = {record.nShooterFouls, record.nShooterPoints, record.nShooterGames,
                                       record.nOtherFouls,   record.nOtherPoints,   record.nOtherGames};
    if (std::ranges::any_of(anCounters, [](std::int32_t n) { return n < 0; }))
    {
        OutputDebugString("Plug-in: a counter below 0 in its verdict, the players' counters stay\n");
        return false;
    }
    first.SetFouls(record.nShooterFouls);
    first.SetPoints(record.nShooterPoints);
    first.SetGames(record.nShooterGames);
    if (pSecond != nullptr)
    {
        pSecond->SetFouls(record.nOtherFouls);
        pSecond->SetPoints(record.nOtherPoints);
        pSecond->SetGames(record.nOtherGames);
    }
    return true;
}
