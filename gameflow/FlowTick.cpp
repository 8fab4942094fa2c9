// The turn's start and the tick of the game's steps. A headless flow has no camera: its flights end
// at their first tick, where the computer's planner chooses the aim and its stroke begins.
#include "gameflow/GameFlow.h"
#include "simulation/BallEngine.h"
#include "simulation/ShotInfo.h"
#include "simulation/ShotPlanner.h"

#include <chrono>
#include <numbers>

namespace
{
constexpr double RAD_TO_DEG = 180.0 / std::numbers::pi;
}

void CGameFlow::StartTurnFlight()
{
    SetGameFlag(gmRobotStroke);
    m_dwFlightEndMode = modeNone;
}

bool CGameFlow::PlanAim(int nLevel, float& fAimDegrees)
{
    const auto start = std::chrono::steady_clock::now();
    SShotPlannerSetup setup;
    setup.nGameType = m_nGameType;
    setup.nLevel = nLevel;
    setup.bBreakMade = m_pReferee->HasBreakMade();
    setup.nTarget = GetTargetBall();
    setup.bFinalBall = m_pReferee->HasFinalBall();
    std::unique_ptr<CShotPlanner> pPlanner = CreateShotPlanner(setup);
    CShotInfo shot;
    bool bFound = false;
    if (pPlanner != nullptr)
    {
        pPlanner->Plan(m_Engine);
        bFound = pPlanner->GetShot(shot, m_pReferee->HasBreakMade()) != FALSE;
    }
    m_nPlannerNs +=
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
    if (bFound)
        // The planner's aim is the stroke's direction; the cue's aim angle is a quarter turn behind.
        fAimDegrees = static_cast<float>((shot.m_dAim + shot.m_dDeviation - std::numbers::pi / 2) * RAD_TO_DEG);
    return bFound;
}

void CGameFlow::TickCameraFlight(float fInputFactor)
{
    (void)fInputFactor;
    if (HasGameFlag(gmShotRunning | gmStroking))
        return;
    if (!HasGameFlag(gmRobotStroke))
    {
        SetGameMode(m_dwFlightEndMode == modeNone ? modeAim : m_dwFlightEndMode);
        return;
    }
    SelectCueBall(0);
    float fAim = m_Cue.fAim;
    // Without a shot the computer still plays: it strikes along its last aim.
    if (m_Host.PlanComputerShot(fAim) || PlanAim(m_pCurrent->GetRobotLevel(), fAim))
        m_Cue.fAim = fAim;
    SetGameFlag(gmStroking);
}

void CGameFlow::Tick(DWORD dwMs)
{
    if (HasGameFlag(gmShotRunning))
    {
        const auto start = std::chrono::steady_clock::now();
        m_Engine.Advance(dwMs);
        m_nEngineNs +=
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
        StepBalls(1);
        return;
    }
    if (HasGameFlag(gmGameOver))
        return;
    HandleMouse();
}
