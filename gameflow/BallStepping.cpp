// Rolling balls: what happens to each ball during a shot goes into the referee's record, dropped
// balls leave the table, and the end of the shot is judged once.
#include "foundation/Polyline.h"
#include "gameflow/GameFlow.h"
#include "gameflow/RespotNotice.h"
#include "simulation/Ball.h"
#include "simulation/BallEngine.h"
#include "simulation/CallRecord.h"
#include "simulation/GamePlugins.h"

#include <iterator>
#include <string>

namespace
{
/// At or below this height a ball has left the table (metres).
constexpr double OFF_TABLE_HEIGHT = -0.1;
/// The groups as the first clean pot gives them: the text with the players' names and groups, and
/// the names of the groups 1 and 0.
constexpr UINT IDS_GROUPS = 21575;
constexpr UINT IDS_GROUP_ONE = 21576;
constexpr UINT IDS_GROUP_ZERO = 21577;
constexpr int GROUPS_TEXT_MS = 2000;
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
        FollowShotWithCamera();
        return;
    }
    if (!HasGameFlag(gmShotRunning))
        return;
    m_pReferee->SetJudged(TRUE);
    ReplaceBalls(0);
    if (HasGameFlag(gmRobotStroke))
    {
        ClearGameFlag(modeZoom);
        m_Host.AcquireMouse();
    }
    ClearGameFlag(gmShotRunning | gmRobotStroke);
    m_Host.RefreshCue();
    m_Cue.fRequestedElevation = m_Cue.fElevation = 5.0f;
    if (HasGameFlag(gmReplay))
    {
        SetGameMode(modeAim);
        return;
    }
    const bool bGroupsAssigned = AssignGroups();
    if (nEvaluate != 0)
        EvaluateShot();
    if (bGroupsAssigned && m_Settings.nCompetitionType != 0)
        ShowGroups();
    // The judgement may have put balls back or racked them again.
    RefreshBallObjects();
}

bool CGameFlow::AssignGroups()
{
    // A rule plug-in's game assigns the groups itself; a value it cannot mean is not taken.
    if (CPluginGame* pGame = GetPluginGame(); pGame != nullptr)
    {
        SPluginGroups groups{m_pReferee, static_cast<std::int32_t>(m_Player1.GetGroup()),
                             static_cast<std::int32_t>(m_Player2.GetGroup()), 0};
        pGame->AssignGroups(&groups);
        const auto valid = [](std::int32_t n) { return n >= -1 && n <= 1; };
        if (groups.bAssigned == 0 || !valid(groups.nGroup1) || !valid(groups.nGroup2))
            return false;
        m_Player1.SetGroup(groups.nGroup1);
        m_Player2.SetGroup(groups.nGroup2);
        return true;
    }
    // The first clean pot of one group gives the shooter that group and the other player the other.
    if (m_nGameType != GAME_8BALL || !m_pCurrent->HasNoGroup())
        return false;
    const int nGroup = m_pReferee->GetDecidedGroup();
    if (nGroup == -1)
        return false;
    m_pCurrent->SetGroup(nGroup);
    GetOtherPlayer().SetGroup(nGroup == 0 ? 1 : 0);
    return true;
}

void CGameFlow::ShowGroups()
{
    // The pattern comes from the program's library: only its "%s" take the texts, so that no other
    // sign in it can read past them.
    const std::string strPattern = m_Host.LoadFlowString(IDS_GROUPS);
    const auto group = [this](const CPlayer& p)
    { return m_Host.LoadFlowString(p.GetGroup() == 0 ? IDS_GROUP_ZERO : IDS_GROUP_ONE); };
    const std::string astrParts[] = {m_Player1.GetName(), group(m_Player1), m_Player2.GetName(), group(m_Player2)};
    std::string strText;
    std::size_t nPart = 0;
    for (std::size_t i = 0; i < strPattern.size(); ++i)
    {
        if (strPattern[i] == '%' && i + 1 < strPattern.size() && strPattern[i + 1] == 's' &&
            nPart < std::size(astrParts))
        {
            strText += astrParts[nPart++];
            ++i;
        }
        else
            strText += strPattern[i];
    }
    if (!strText.empty())
        m_Host.ShowText(strText.c_str(), GROUPS_TEXT_MS);
}
