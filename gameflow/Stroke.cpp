// The stroke: the computer's animated cue and the strike that hands the shot to the live engine.
#include "foundation/Stopwatch.h"
#include "gameflow/GameFlow.h"
#include "gameflow/RespotNotice.h"
#include "platform/win32/Clock.h"
#include "platform/win32/CrtRandom.h"
#include "platform/win32/DebugLog.h"
#include "simulation/Ball.h"
#include "simulation/BallEngine.h"

#include <cmath>
#include <numbers>

namespace
{
/// How far the cue moves per tick in each phase.
float PhaseStep(int nPhase)
{
    switch (nPhase)
    {
    case phaseSwing:
        return 6.0f;
    case phasePreshot:
        return 3.0f;
    case phaseShot:
        return 15.0f;
    default:
        return 10.0f;
    }
}

/// The computer's cue rests this long before it moves (ms).
constexpr DWORD STROKE_WAIT_MS = 1000;
constexpr float COMPUTER_MAX_SPEED = 7.0f;
constexpr double DEG_TO_RAD = std::numbers::pi / 180.0;
/// The shot's own follow flight waits this long. Milliseconds.
constexpr int SHOT_FLIGHT_DELAY_MS = 500;
} // namespace

int CGameFlow::RunShotPhase(float fInputFactor)
{
    if (m_Input.nPressedKey == KEY_SPACE)
    {
        // Space abandons the stroke and pauses; the key is used up.
        m_Input.nPressedKey = 0;
        TogglePause();
        m_bStrokeStarted = m_bStrokeWaiting = false;
        return 0;
    }
    if (HasGameFlag(gmRobotStroke))
    {
        if (g_FrameStopwatch.GetElapsed() == 0)
            return 1;
        SteerCameraDuringStroke(fInputFactor);
    }
    if (HasGameFlag(gmRobotStroke) && !m_bStrokeStarted)
    {
        const DWORD dwNow = timeGetTime();
        if (!m_bStrokeWaiting)
        {
            m_dwWaitStart = dwNow;
            m_bStrokeWaiting = true;
        }
        else if (dwNow - m_dwWaitStart > STROKE_WAIT_MS)
        {
            m_bStrokeStarted = true;
            m_bStrokeWaiting = false;
            m_nPhase = phaseSwing;
        }
        return 1;
    }
    if (!HasCueBall())
        return 0;
    const float fStep = PhaseStep(m_nPhase);
    if (m_nPhase == phaseSwing || m_nPhase == phaseFinalSwing)
        m_Cue.fPullBack += fStep;
    else
        m_Cue.fPullBack -= std::min(fStep, m_Cue.fPullBack - m_Cue.fMin);
    const float fHalf = m_Cue.fMax / 2;
    if (m_nPhase == phaseSwing && m_Cue.fPullBack >= fHalf)
        m_nPhase = phasePreshot;
    else if (m_nPhase == phasePreshot && m_Cue.fPullBack <= m_Cue.fMin)
    {
        m_Cue.fPullBack = m_Cue.fMin;
        m_nPhase = phaseFinalSwing;
    }
    else if (m_nPhase == phaseFinalSwing && m_Cue.fPullBack > fHalf)
        m_nPhase = phaseShot;
    if (m_nPhase != phaseShot || m_Cue.fPullBack > m_Cue.fMin)
        return 1;
    ClearGameFlag(gmStroking);
    if (HasGameFlag(gmRobotStroke))
        StrikeCueBall();
    m_bStrokeStarted = m_bStrokeWaiting = false;
    return 0;
}

void CGameFlow::StartShotCamera()
{
    if (HasGameFlag(gmReplay))
        return;
    // The shooter's view is kept as the player's own (the way back from the top view), unless the
    // top view holds the camera.
    if (!HasGameFlag(gmKeepView))
        m_pCurrent->SetViewRecord(GetCurrentView());
    if (m_Settings.nCameraMotion != 2 && m_Settings.nOverheadView == 0)
    {
        StartFollowFlight();
        return;
    }
    // The camera stays while every ball rolls, steered by the mouse.
    m_StoredCamera = m_Camera;
    StartFlight(std::make_unique<CCameraFlightF>(), GetCurrentView(), -1, SHOT_FLIGHT_DELAY_MS);
    SetGameMode(modeCameraFlight);
}

void CGameFlow::StrikeCueBall()
{
    ResetRespotNotice();
    if (HasGameFlag(gmGameOver))
        return;
    ClearGameFlag(modeStrikeNow);
    // Without a cue ball, or a cue without a stroke range, there is nothing to strike with.
    if (!HasCueBall() || !(m_Cue.fMax > 0.0f))
        return;
    const float fRatio = m_Cue.fPullBack / (m_Cue.fMax / 2);
    StartShotCamera();
    SetGameFlag(gmShotRunning);
    m_Host.RefreshCue(); // the cue stays out of the way of the rolling balls
    float fSpeed = static_cast<float>(m_Settings.nHitVelocity) * fRatio;
    if (m_pCurrent->GetRobotLevel() != 0)
        fSpeed = std::min(fSpeed + 3.0f + static_cast<float>(CrtRand() % 3), COMPUTER_MAX_SPEED);
    const double dDirection = m_Cue.fAim * DEG_TO_RAD + std::numbers::pi / 2;
    const double dElevation = m_Cue.fElevation * DEG_TO_RAD;
    // A planned shot leaves off its aim by the planner's deviation (none in a person's plan).
    const double dDeviation = m_ShotRecord.m_dDeviation;
    m_LastStroke = SLastStroke{std::fabs(fSpeed), static_cast<float>(dDirection + dDeviation),
                               static_cast<float>(dElevation), m_Cue.fTipX, m_Cue.fTipY};
    CString strStrike;
    strStrike.Format("Game: %s strikes at %.2f m/s\n", m_pCurrent->GetName(), static_cast<double>(m_LastStroke.fSpeed));
    OutputDebugString(strStrike.GetString());
    m_Host.CopyBallsToAimingAid();
    m_Engine.BeginShot(m_LastStroke.fSpeed, m_LastStroke.fDirection, m_LastStroke.fElevation, m_LastStroke.fTipX,
                       m_LastStroke.fTipY);
    m_nSoundedEvents = 0;
    ++m_nShots;
    m_Cue.fTipX = m_Cue.fTipY = 0.0f;
    m_Host.PlayCueSound(fSpeed < 0.5f ? 0 : fSpeed <= 1.0f ? 1 : 2);

    // The referee starts its record of the shot from the balls as they lie.
    CReferee& ref = *m_pReferee;
    ref.ReleaseEvents();
    ref.BeginShot(GetTargetBall(), ref.GetSecondBall());
    // Every ball gets its start: balls that dropped in the last shot now count as down before.
    SyncRuleTable(true);
    m_Cue.fPullBack = m_Cue.fMin;
    m_fPowerValue = 0.0f;
}
