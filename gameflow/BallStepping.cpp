// Rolling balls: what happens to each ball during a shot goes into the referee's record, dropped
// balls leave the table, and the end of the shot is judged once.
#include "foundation/Polyline.h"
#include "gameflow/GameFlow.h"
#include "gameflow/RespotNotice.h"
#include "simulation/Ball.h"
#include "simulation/BallEngine.h"
#include "simulation/CallRecord.h"
#include "simulation/GamePlugins.h"

namespace
{
/// At or below this height a ball has left the table (metres).
constexpr double OFF_TABLE_HEIGHT = -0.1;
} // namespace

bool CGameFlow::HasCueBall() const { return m_bHasCueBall && m_Engine.FindBall(m_nCueBall) != nullptr; }

void CGameFlow::SelectCueBall(int nAimCamera)
{
    if (m_pReferee == nullptr)
        return;
    const int n = m_pReferee->GetCueBall();
    m_bHasCueBall = (m_wOnTable & RefereeBallBit(n)) != 0 && m_Engine.FindBall(n) != nullptr;
    if (!m_bHasCueBall)
        return;
    m_nCueBall = n;
    m_Engine.SetCueBallNumber(n);
    // The camera comes to the ball, unless it is held at the top view.
    if (CVector3 vBall; nAimCamera != 0 && !HasGameFlag(gmKeepView) && GetBallScenePosition(n, vBall))
    {
        SetCameraTarget(vBall.x, vBall.y, vBall.z);
        UpdateAimCamera(0);
    }
}

void CGameFlow::ReplaceBalls(int nSilent)
{
    // Each event of the shot sounds once: only those added since the last call are played.
    const CPolyline& events = m_Engine.GetEvents();
    if (nSilent == 0)
        for (; m_nSoundedEvents < events.GetCount(); ++m_nSoundedEvents)
        {
            int nLevel = 0;
            CVector3 vAt;
            const int nKind = events.GetRecord(m_nSoundedEvents, &nLevel, &vAt);
            m_Host.PlayShotEvent(nKind, nLevel, vAt);
        }
    m_nSoundedEvents = std::min(m_nSoundedEvents, events.GetCount());

    CRefereeBallTable& table = *m_pReferee->GetBallTable();
    const int nBalls = GetTableBallCount(*m_pReferee);
    for (int i = 0; i < nBalls; ++i)
    {
        if ((m_wOnTable & RefereeBallBit(i)) == 0)
            continue;
        CBall* pBall = m_Engine.FindBall(i);
        if (pBall == nullptr)
            continue;
        if (pBall->TakeCushionContact() != 0)
            table.AddBallCountHigh(i, 1);
        if (const int nHit = pBall->TakeLastBallHit(); nHit != -1)
        {
            table.AddBallCountLow(i, 1);
            if (i == m_nCueBall)
                table.NoteFirstHit(nHit, table.GetBallCountHigh(i));
        }
        if (pBall->IsPocketed())
        {
            NoteRespotPocketed(i, table.m_nFirstPocketed == REFEREE_NO_BALL);
            table.NotePocketed(i, table.GetBallCountHigh(i));
            NoteCallResult(i, pBall->GetPocket());
            if (pBall->GetPocket() != -1)
                m_Host.StartPocketEffect(i, pBall->GetPocket());
            if (i == m_nCueBall)
                m_bHasCueBall = false;
            TakeBallOff(i);
            continue;
        }
        m_BallObjects.Place(i, *pBall);
        const CVector3 vPos = *pBall->GetPosition();
        if (vPos.z <= OFF_TABLE_HEIGHT)
        {
            m_pReferee->SetOffTable(i, TRUE);
            NoteRespotOffTable(i);
        }
        table.m_Pos[static_cast<std::size_t>(i)] = vPos;
    }
}

void CGameFlow::StepBalls(int nEvaluate)
{
    if (!m_Engine.AllBallsStopped())
    {
        if (!HasGameFlag(gmRackDecided))
            ReplaceBalls(0);
        FollowMovingBallsUnlessLocked();
        return;
    }
    if (!HasGameFlag(gmShotRunning))
        return;
    m_pReferee->SetJudged(TRUE);
    ReplaceBalls(0);
    if (HasGameFlag(gmRobotStroke))
        ClearGameFlag(modeZoom);
    ClearGameFlag(gmShotRunning | gmRobotStroke);
    m_Host.RefreshCue();
    m_Cue.fRequestedElevation = m_Cue.fElevation = 5.0f;
    if (HasGameFlag(gmReplay))
    {
        SetGameMode(modeAim);
        return;
    }
    // A rule plug-in's game assigns the groups itself; a value it cannot mean is not taken.
    if (CPluginGame* pGame = GetPluginGame(); pGame != nullptr)
    {
        SPluginGroups groups{m_pReferee, static_cast<std::int32_t>(m_Player1.GetGroup()),
                             static_cast<std::int32_t>(m_Player2.GetGroup()), 0};
        pGame->AssignGroups(&groups);
        const auto valid = [](std::int32_t n) { return n >= -1 && n <= 1; };
        if (groups.bAssigned != 0 && valid(groups.nGroup1) && valid(groups.nGroup2))
        {
            m_Player1.SetGroup(groups.nGroup1);
            m_Player2.SetGroup(groups.nGroup2);
        }
    }
    // The first clean pot of one group gives the shooter that group and the other player the other.
    else if (m_nGameType == GAME_8BALL && m_pCurrent->HasNoGroup())
        if (const int nGroup = m_pReferee->GetDecidedGroup(); nGroup != -1)
        {
            m_pCurrent->SetGroup(nGroup);
            GetOtherPlayer().SetGroup(nGroup == 0 ? 1 : 0);
        }
    if (nEvaluate != 0)
        EvaluateShot();
    // The judgement may have put balls back or racked them again.
    RefreshBallObjects();
}
