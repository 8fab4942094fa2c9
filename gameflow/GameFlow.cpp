#include "gameflow/GameFlow.h"

#include "gameflow/RespotNotice.h"
#include "platform/win32/DebugLog.h"
#include "simulation/BallEngine.h"
#include "simulation/CallRecord.h"
#include "simulation/GamePlugins.h"
#include "simulation/RefereeTypes.h"

#include <algorithm>
#include <memory>
#include <numeric>
#include <vector>

namespace
{
/// A referee of the built-in class of a game type; every other type is judged by the base class.
std::unique_ptr<CReferee> MakeBuiltInReferee(int nGameType)
{
    switch (nGameType)
    {
    case GAME_DEMO:
        return std::make_unique<CRefereeDemo>();
    case GAME_3BALL:
        return std::make_unique<CReferee3Ball>();
    case GAME_8BALL:
        return std::make_unique<CReferee8Ball>();
    case GAME_9BALL:
        return std::make_unique<CReferee9Ball>();
    case GAME_PYRAMID:
        return std::make_unique<CRefereePyramid>();
    case GAME_AMERICAN:
        return std::make_unique<CRefereeAmerican>();
    case GAME_14_1:
        return std::make_unique<CReferee14_1>();
    case GAME_BONUS:
        return std::make_unique<CRefereeBonus>();
    default:
        return std::make_unique<CReferee>();
    }
}
} // namespace

int GetTableBallCount(const CReferee& referee) { return std::clamp(referee.GetBallCount(), 0, REFEREE_BALLS); }

WORD GetBallsMask(int nBalls) { return static_cast<WORD>((1u << std::clamp(nBalls, 0, REFEREE_BALLS)) - 1); }

int LowestBall(WORD wMask, int nLimit)
{
    for (int n = 1; n < nLimit; ++n)
        if ((wMask & RefereeBallBit(n)) != 0)
            return n;
    return nLimit;
}

CGameFlow::CGameFlow(CBallEngine& engine, CGamePlugins* pPlugins, IFlowHost& host)
    : m_Engine(engine), m_pPlugins(pPlugins), m_Host(host)
{
    m_Player1.SetLocal();
    m_Player2.SetLocal();
}

CGameFlow::~CGameFlow() { ReleaseReferees(); }

void CGameFlow::ReleaseReferees()
{
    // Referees a plug-in made go back to the plug-in; built-in ones are ours to free.
    if (m_bPluginReferees && m_pPlugins != nullptr)
        m_pPlugins->ReleaseReferees(&m_pReferee, &m_pShadow);
    else
    {
        delete m_pReferee;
        delete m_pShadow;
    }
    m_pReferee = m_pShadow = nullptr;
    m_bPluginReferees = false;
}

void CGameFlow::SetGameMode(DWORD dwNewMode)
{
    const DWORD dwOld = GetModeField();
    if (dwNewMode == dwOld)
    {
        UpdateModeHint();
        m_Host.ClipCursorToView();
        return;
    }
    if (dwOld == modeMouseStroke && dwNewMode != modeZoom && dwNewMode != modeMouseStroke)
        m_Cue.fPullBack = m_Cue.fMin;
    if ((dwOld == modeBallInHand || dwOld == modePlaceCueBall) && !m_Host.IsBallDragging())
        SetDownCueBall();
    g_nPrevGameMode = g_nGameMode;
    if (dwOld == modeNone || dwOld == modeWaiting)
        g_nPrevGameMode = (g_nPrevGameMode & ~MODE_FIELD) | modeAim;
    g_nGameMode = (g_nGameMode & MODE_KEEP_FLAGS) | dwNewMode;

    if (dwNewMode == modeAim && m_pCurrent->GetRobotLevel() != 0)
    {
        // The computer's turn starts with its flight; the aiming set-up below still runs, so the
        // cue rests where the computer's stroke begins.
        StartTurnFlight();
        SetGameMode(modeCameraFlight);
    }
    if (dwNewMode == modeCallShot)
        m_Host.ShowText("Call The Shot", 4000);
    if (dwNewMode == modeAim)
    {
        // In the overhead view a person aims from its panel, which entering the aim opens; the
        // computer's turn has gone on into its flight.
        if (m_Settings.nOverheadView != 0 && GetModeField() == modeAim && m_pCurrent->GetRobotLevel() == 0)
            OpenOverheadPanel();
        m_Cue.fPullBack = m_Settings.nOverheadView != 0 ? m_Cue.fMin : (m_Cue.fMax / 2 - m_Cue.fMin) / 5;
        m_Host.RefreshCue();
        SelectCueBall(1);
    }
    UpdateModeHint();
    m_Host.ClipCursorToView();
    ShowPower();
    m_Host.AlignCue();
}

void CGameFlow::SetDownCueBall()
{
    // The cue ball lies where its object was left, on the cloth; the aid and the cue follow it.
    SelectCueBall(1);
    if (CVector3 v; HasCueBall() && m_Engine.GetBallPosition(m_nCueBall, v, nullptr))
    {
        m_Engine.SetBallPosition(m_nCueBall, v.x, v.y);
        PlaceBallObject(m_nCueBall);
    }
    m_Host.RestartAimPreview();
    m_Host.AlignCue();
}

void CGameFlow::CreateReferee(int nGameType)
{
    ReleaseReferees();
    if (m_pPlugins != nullptr && m_pPlugins->CreateGameById(nGameType) != nullptr &&
        m_pPlugins->CreateReferees(&m_pReferee, &m_pShadow) && m_pReferee != nullptr && m_pShadow != nullptr)
        m_bPluginReferees = true;
    else
    {
        if (m_pPlugins != nullptr)
            m_pPlugins->ReleaseGame();
        m_pReferee = MakeBuiltInReferee(nGameType).release();
        m_pShadow = MakeBuiltInReferee(nGameType).release();
    }
    m_nGameType = nGameType;
    m_pReferee->Init(nGameType);
    m_pShadow->Assign(*m_pReferee);
}

int CGameFlow::GetTargetBall() const
{
    switch (m_nGameType)
    {
    case GAME_DEMO:
    case GAME_BASE:
        return -1;
    case GAME_3BALL:
        return LowestBall(m_wOnTable, 4);
    case GAME_9BALL:
        return LowestBall(m_wOnTable, 16);
    case GAME_8BALL:
        if (m_pCurrent->HasNoGroup())
            return -1;
        return m_pCurrent->IsGroupOne() ? CReferee8Ball::STRIPES : CReferee8Ball::SOLIDS;
    default:
        if (CPluginGame* pGame = GetPluginGame(); pGame != nullptr)
        {
            // A group (-3 solids, -2 stripes), none (-1) or one of the game's balls; any other
            // answer of the plug-in is taken as none.
            const int nTarget = pGame->GetTargetBall();
            return nTarget >= -3 && nTarget < GetTableBallCount(*m_pReferee) ? nTarget : -1;
        }
        return -1;
    }
}

CPluginGame* CGameFlow::GetPluginGame() const
{
    CPluginGame* pGame = m_bPluginReferees && m_pPlugins != nullptr ? m_pPlugins->GetGame() : nullptr;
    return pGame != nullptr && pGame->GetGameType() == m_nGameType ? pGame : nullptr;
}

void CGameFlow::PlacePluginRack(CPluginGame& game, int nBalls)
{
    std::int32_t nCount = 0;
    const std::int32_t* pnBalls = game.GetRackBalls(1, &nCount);
    // Each of the game's balls once, on the spots in order; a list that is not that is not taken.
    std::vector<int> numbers;
    if (pnBalls != nullptr && nCount > 0 && nCount <= nBalls)
        numbers.assign(pnBalls, pnBalls + nCount);
    std::vector<int> sorted = numbers;
    std::ranges::sort(sorted);
    const bool bValid = !numbers.empty() && sorted.front() >= 0 && sorted.back() < nBalls &&
                        std::ranges::adjacent_find(sorted) == sorted.end();
    if (!bValid)
    {
        OutputDebugString("Plug-in: its rack names balls the game does not have; the balls are racked in order\n");
        numbers.resize(static_cast<std::size_t>(nBalls));
        std::iota(numbers.begin(), numbers.end(), 0);
    }
    m_Engine.PlaceBallsOnSpots(numbers);
}

void CGameFlow::SetBallLists(WORD wOnTable, WORD wPocketed)
{
    m_wOnTable = wOnTable;
    m_wPocketed = static_cast<WORD>(wPocketed & ~wOnTable);
    RefreshBallObjects();
}

void CGameFlow::AddBalls(int n)
{
    m_BallObjects.AddBalls(n);
    for (int i = 0; i < n; ++i)
        m_Engine.AddBall(i);
}

void CGameFlow::RefreshBallObjects()
{
    m_BallObjects.Refresh(m_wOnTable, m_wPocketed);
    for (const CBallSceneObject* pObject : m_BallObjects.Drawn())
        PlaceBallObject(pObject->m_nBall);
}

void CGameFlow::PlaceBallObject(int n)
{
    if (const CBall* pBall = m_Engine.FindBall(n); pBall != nullptr && n >= 0 && n < CBallObjects::BALL_OBJECTS)
        m_BallObjects.Place(n, *pBall);
}

void CGameFlow::StartNewRack(int nKeepGroups)
{
    // Nothing of the last rack's calls or notices reaches the new one.
    m_Host.EndCallShot();
    ResetCallRecords();
    ResetRespotNotice();
    m_bBallInHandAnywhere = true; // the rack's break takes the ball in hand anywhere
    if (nKeepGroups == 0)
    {
        m_Player1.ClearGroup();
        m_Player2.ClearGroup();
    }
    m_pReferee->Init(m_nGameType);
    m_pShadow->Assign(*m_pReferee);
    const int nBalls = GetTableBallCount(*m_pReferee);
    m_Engine.RemoveAllBalls();
    m_BallObjects.Clear();
    AddBalls(nBalls);
    if (CPluginGame* pGame = GetPluginGame(); pGame != nullptr)
        PlacePluginRack(*pGame, nBalls);
    else
        m_Engine.RackBalls(m_nGameType);
    SetBallLists(GetBallsMask(nBalls), 0);
    m_pReferee->SetCueBall(0);
    SyncRuleTable(false);
    m_pShadow->Assign(*m_pReferee);
}

void CGameFlow::StartMatchRack(bool bResetScores)
{
    m_Host.PrepareNewRack();
    g_nGameMode = 0;
    StartNewRack(0);
    SelectCueBall(0);
    // Fouls (the pyramid's tallies among them) belong to the rack; points to it too unless the
    // match counts them across racks.
    for (CPlayer* pPlayer : {&m_Player1, &m_Player2})
    {
        pPlayer->SetFouls(0);
        if (bResetScores)
            pPlayer->SetPoints(0);
    }
    g_nGoal = m_Settings.nMatchGoal;
    ClearGameFlag(gmRobotStroke);
}

void CGameFlow::ResetCamera()
{
    // From the head of the table onto its middle, as a game starts.
    m_Camera = SFlowCamera{};
    UpdateAimCamera(0);
}
