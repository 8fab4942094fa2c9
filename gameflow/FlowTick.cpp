// The planner's aim and the tick of the game's steps.
#include "gameflow/GameFlow.h"
#include "simulation/BallEngine.h"
#include "simulation/PlannerSwitches.h"
#include "simulation/ShotInfo.h"
#include "simulation/ShotPlanner.h"

#include <chrono>
#include <numbers>

namespace
{
constexpr double RAD_TO_DEG = 180.0 / std::numbers::pi;
}

bool CGameFlow::PlanAim(int nLevel, float& fAimDegrees, int* pBall)
{
    SShotPlannerSetup setup;
    setup.nGameType = m_nGameType;
    setup.nLevel = nLevel;
    setup.bBreakMade = m_pReferee->HasBreakMade();
    setup.nTarget = GetTargetBall();
    setup.bFinalBall = m_pReferee->HasFinalBall();
    // American and bonus pool search without the scratch check; every other game drops a shot
    // whose cue ball would run on into a pocket.
    SetScratchCheck(m_nGameType != GAME_AMERICAN && m_nGameType != GAME_BONUS ? TRUE : FALSE);
    return PlanWith(setup, fAimDegrees, pBall);
}

bool CGameFlow::PlanWith(const SShotPlannerSetup& setup, float& fAimDegrees, int* pBall)
{
    const auto start = std::chrono::steady_clock::now();
    std::unique_ptr<CShotPlanner> pPlanner = CreateShotPlanner(setup);
    // The plan is the game's shot record until the shot is judged: the recommended shot and the
    // computer's call show it, and the strike adds its deviation.
    CShotInfo& shot = m_ShotRecord;
    shot.Reset();
    bool bFound = false;
    if (pPlanner != nullptr)
    {
        pPlanner->Plan(m_Engine);
        bFound = pPlanner->GetShot(shot, m_pReferee->HasBreakMade()) != FALSE;
    }
    m_nPlannerNs +=
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
    if (bFound && pBall != nullptr)
        *pBall = shot.m_nCueBall;
    if (bFound)
        // The planner's aim is the stroke's direction; the cue's aim angle is a quarter turn behind.
        fAimDegrees = static_cast<float>((shot.m_dAim - std::numbers::pi / 2) * RAD_TO_DEG);
    return bFound;
}

void CGameFlow::Tick(DWORD dwMs)
{
    // A match's end that holds the screen: nothing moves or reads the input until it has passed.
    if (TickMatchEndHold())
        return;
    // Input and the flight first, so that the balls' step sees the camera the tick leaves.
    if (!HasGameFlag(gmGameOver))
        HandleMouse();
    if (!HasGameFlag(gmShotRunning))
        return;
    const auto start = std::chrono::steady_clock::now();
    m_Engine.Advance(dwMs);
    m_nEngineNs +=
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
    StepBalls(1);
}
