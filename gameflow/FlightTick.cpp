// The computer's aim and the camera flight's tick: the planner's shot for the computer's turn, the
// cue lifted clear for its stroke, and one step of the flight each tick, steered by the mouse where
// the settings allow, ended by Space, and at its end the mode it names or the computer's stroke.
#include "foundation/Stopwatch.h"
#include "gameflow/CallShotState.h"
#include "gameflow/GameFlow.h"
#include "simulation/Ball.h"
#include "simulation/BallEngine.h"
#include "simulation/GamePlugins.h"
#include "simulation/PlannerSwitches.h"
#include "simulation/ShotPlanner.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace
{
constexpr float RAD_TO_DEG = 180.0f / std::numbers::pi_v<float>;
constexpr float DEG_TO_RAD = std::numbers::pi_v<float> / 180.0f;
/// The cue ball's screen size a steered zoom keeps within. Pixels.
constexpr float MIN_FLIGHT_SCALE = 1.0f;
constexpr float MAX_FLIGHT_SCALE = 200.0f;
/// The camera never comes nearer the cue ball than this many of the cue's minimum pull-backs (a
/// ball radius each): twice the cue's near value of 1.5 radii.
constexpr float MIN_FLIGHT_DISTANCE_RADII = 3.0f;
/// A ball this far below the cloth has left the table. Metres.
constexpr float OFF_TABLE_HEIGHT_M = -0.1f;
} // namespace

float CGameFlow::PlanRobotShot()
{
    float fAim = m_Cue.fAim;
    int nBall = -1;
    const bool bPlugin = GetPluginGame() != nullptr;
    if (bPlugin ? PlanPluginShot(fAim, &nBall) : PlanAim(m_pCurrent->GetRobotLevel(), fAim, &nBall))
    {
        // The shot names the ball to strike; one not on the table leaves the cue ball as it is.
        if (nBall >= 0 && nBall < REFEREE_BALLS && (m_wOnTable & RefereeBallBit(nBall)) != 0)
        {
            m_pReferee->SetCueBall(nBall);
            SelectCueBall(0);
        }
        return fAim * DEG_TO_RAD;
    }
    // No shot: the nearest ball, or else the camera's yaw.
    CVector3 vCue;
    if (!HasCueBall() || !m_Engine.GetBallPosition(m_nCueBall, vCue, nullptr))
        return m_Camera.fYaw * DEG_TO_RAD;
    float fBest = -1.0f;
    fAim = m_Camera.fYaw * DEG_TO_RAD;
    for (int n = 0; n < REFEREE_BALLS; ++n)
    {
        CVector3 v;
        if (n == m_nCueBall || (m_wOnTable & RefereeBallBit(n)) == 0 || !m_Engine.GetBallPosition(n, v, nullptr))
            continue;
        const float dx = v.x - vCue.x, dy = v.y - vCue.y;
        const float fDistance = std::hypot(dx, dy);
        if (fBest >= 0.0f && fDistance >= fBest)
            continue;
        fBest = fDistance;
        // The engine strikes along minus the stroke direction; the cue's aim is a quarter turn
        // behind the stroke.
        fAim = -std::atan2(dy, dx) - std::numbers::pi_v<float> / 2.0f;
    }
    return fAim;
}

bool CGameFlow::PlanPluginShot(float& fAimDegrees, int* pBall)
{
    CPluginGame* pGame = m_pPlugins != nullptr ? m_pPlugins->GetGame() : nullptr;
    if (pGame == nullptr)
        return false;
    SPluginShotRequest request;
    request.pMainFrame = m_Host.GetMainFrame();
    request.pEngine = &m_Engine;
    pGame->PlanShot(&request);
    // The plug-in's values are checked before use: an aim that is no number is ignored.
    if (request.bPlanned != 0)
    {
        if (!std::isfinite(request.fAimAngle))
            return false;
        fAimDegrees = NormalizeYaw(request.fAimAngle * RAD_TO_DEG);
        return true;
    }
    SShotPlannerSetup setup;
    setup.nGameType = request.bUse16Ball != 0 ? GAME_PYRAMID : m_nGameType;
    setup.nLevel = std::clamp(m_Settings.nAiDefaultLevel, 1, 9);
    if (request.bLowerLevel != 0 && setup.nLevel > 1 && setup.nLevel < 9)
        --setup.nLevel;
    setup.bBreakMade = m_pReferee->HasBreakMade();
    setup.bFinalBall = m_pReferee->HasFinalBall();
    const bool bTargetOk = request.nTargetBall >= 0 && request.nTargetBall < REFEREE_BALLS;
    setup.nTarget = setup.bFinalBall && bTargetOk ? request.nTargetBall : GetTargetBall();
    // The money ball of kind 3 (kept out of the object balls until it is to be played) goes before
    // the one of kind 2 (its shots score three times); a ball the game does not have is none.
    const auto isBall = [](std::int32_t n) { return n >= 0 && n < REFEREE_BALLS; };
    setup.bPluginRules = true;
    setup.bAnyCueBall = request.bPlannerFlag != 0 ? TRUE : FALSE;
    if (isBall(request.nMoneyBallKind3))
    {
        setup.nMoneyBall = request.nMoneyBallKind3;
        setup.nMoneyMode = KEY_MODE_EXCLUDED;
    }
    else if (isBall(request.nMoneyBallKind2))
    {
        setup.nMoneyBall = request.nMoneyBallKind2;
        setup.nMoneyMode = KEY_MODE_BONUS;
    }
    SetScratchCheck(request.bEvaluation != 0 ? TRUE : FALSE);
    return PlanWith(setup, fAimDegrees, pBall);
}

void CGameFlow::PrepareAutoStroke()
{
    const float fElevation = m_Cue.fElevation;
    const float fPullBack = m_Cue.fPullBack;
    m_Cue.fPullBack = m_Cue.fMax / 2;
    m_Host.AlignCue();
    float fClear = 0.0f;
    FindClearElevation(&fClear);
    m_Cue.fElevation = std::max(fClear, fElevation);
    m_Cue.fPullBack = fPullBack;
    m_Host.AlignCue();
}

void CGameFlow::ApplyFlightValues()
{
    const CVector3 vCamera = m_pFlight->GetCurrentCamera();
    const CVector3 vShift = m_pFlight->GetCurrentShift();
    m_Camera.vLookAt = m_pFlight->GetCurrentViewPoint();
    m_Camera.fYaw = NormalizeYaw(vCamera.x * RAD_TO_DEG);
    m_Camera.SetPitch(vCamera.y * RAD_TO_DEG);
    m_Camera.fDistance = vCamera.z;
    m_Camera.fShift1 = vShift.x;
    m_Camera.fShift2 = vShift.y;
    m_Cue.fAim = NormalizeYaw(m_pFlight->GetCurrentCue().x * RAD_TO_DEG);
    UpdateAimCamera(1);
}

void CGameFlow::SteerFlight(float fFactor)
{
    const bool bSteer = HasGameFlag(gmShotRunning) ? m_Settings.nCameraMotion == 2
                                                   : HasGameFlag(gmRobotStroke) && m_Settings.nViewType == 2;
    if (!bSteer)
        return;
    const SFlowInput& in = m_Input;
    float fYaw = 0.0f, fPitch = 0.0f, fDistance = 0.0f;
    if (!in.bRightDown)
    {
        fPitch =
            MouseResponse(static_cast<float>(in.nMouseY) * fFactor, m_Response.strVertQuad, m_Response.strVertLinear) *
            DEG_TO_RAD;
        fYaw =
            MouseResponse(static_cast<float>(in.nMouseX) * fFactor, m_Response.strHorzQuad, m_Response.strHorzLinear) *
            DEG_TO_RAD;
    }
    else
    {
        // The zoom is tried on the camera and kept only while the cue ball's size stays in range;
        // the flight then carries it.
        const float fOld = m_Camera.fDistance;
        const float fMin = MIN_FLIGHT_DISTANCE_RADII * m_Cue.fMin;
        const float d = MouseResponse(static_cast<float>(in.nMouseY), m_Response.strZoomQuad, m_Response.strZoomLinear);
        float fNew = std::max(d < 0.0f && -d > fOld - fMin ? fMin : fOld + d, fMin);
        SetCameraDistance(fNew);
        const float s = GetBallScreenScale(m_nCueBall);
        if (s < MIN_FLIGHT_SCALE || s > MAX_FLIGHT_SCALE)
            fNew = fOld;
        SetCameraDistance(fOld);
        fDistance = fNew - fOld;
    }
    m_pFlight->Translate(fYaw, fPitch, fDistance, 0.0f, 0.0f, 0.0f);
}

void CGameFlow::TickCameraFlight(float fInputFactor)
{
    if (m_bPaused)
    {
        // A flight never runs behind the pause: the pause ends into the flight.
        ResumeFromPause();
        g_nGameMode = (g_nGameMode & ~MODE_FIELD) | modeCameraFlight;
        g_nPrevGameMode = (g_nPrevGameMode & ~modeWaiting) | modeAim;
    }
    if (m_pFlight == nullptr)
    {
        SetGameMode(modeAim);
        return;
    }
    if (m_Input.nPressedKey == KEY_SPACE)
    {
        // The flight ends at its end view; its end's mode follows once the pause is over.
        m_Input.nPressedKey = 0;
        m_pFlight->Finish(this);
        ApplyFlightValues();
        m_bFlightFinished = true;
        TogglePause();
        return;
    }
    if (!m_bFlightFinished && m_pFlight->Update(this) == 0)
    {
        SteerFlight(fInputFactor);
        ApplyFlightValues();
        if (HasGameFlag(gmRobotStroke) && !HasGameFlag(gmShotRunning))
            m_Host.AlignCue();
        return;
    }
    EndFlight();
}

void CGameFlow::EndFlight()
{
    if (!m_bFlightFinished)
    {
        m_pFlight->Finish(this);
        ApplyFlightValues();
    }
    m_bFlightFinished = false;
    // Held at the top view, every flight ends there.
    if (HasGameFlag(gmKeepView))
        ApplyTopView();
    const DWORD dwNext = static_cast<DWORD>(m_pFlight->GetNextMode()) & MODE_FIELD;
    if (dwNext == modeBallInHand)
    {
        if (!HasGameFlag(gmRobotStroke))
            BeginBallInHand(IsCueBallHeldBehindHeadString() ? 0 : 1);
    }
    else if (dwNext != MODE_FIELD)
    {
        if (m_Settings.nOverheadView == 0)
        {
            g_nGameMode &= ~MODE_FIELD;
            g_nPrevGameMode &= ~MODE_FIELD;
        }
        const bool bCalling = g_pCallShotState != nullptr && !g_pCallShotState->IsDone();
        if (!bCalling && !HasGameFlag(gmShotRunning))
            SetGameMode(m_pCurrent->GetRobotLevel() != 0 ? modeCameraFlight : modeAim);
        else if (bCalling && (m_nGameType == GAME_PYRAMID || m_nGameType == GAME_8BALL ||
                              m_nGameType == GAME_AMERICAN || m_nGameType == GAME_14_1))
            SetGameMode(modeCallShot);
    }
    if (HasGameFlag(gmRobotStroke) && !HasGameFlag(gmShotRunning))
    {
        // The computer's cue strokes by itself from here.
        PrepareAutoStroke();
        SetGameFlag(gmStroking);
        SetGameMode(modeNone);
        m_Host.AlignCue();
    }
    if (!HasGameFlag(gmShotRunning))
        m_Host.RestartAimPreview();
    ClearGameFlag(modeCameraFlight);
}

void CGameFlow::StartPresentation(std::unique_ptr<CViewTransition> pTour)
{
    // The game's own flight (the computer's turn among them) waits for the tour's end.
    m_dwSavedMode = g_nGameMode;
    m_pSavedFlight = std::move(m_pFlight);
    m_pFlight = std::move(pTour);
    m_bFlightFinished = false;
    g_nGameMode = gmPresentation;
}

void CGameFlow::TickPresentationFlight()
{
    if (m_pFlight == nullptr || m_Input.nPressedKey == KEY_SPACE)
    {
        RestoreSavedState();
        return;
    }
    if (m_Input.nPressedKey == KEY_G)
        m_Host.ToggleDrawLevel();
    // The tour presents the rack once; its end hands the table to the turn it was started for.
    if (m_pFlight->Update(this) != 0)
    {
        RestoreSavedState();
        return;
    }
    m_Camera.fYaw = NormalizeYaw(m_pFlight->GetCurrentCamera().x * RAD_TO_DEG);
    UpdateAimCamera(1);
}

void CGameFlow::RestoreSavedState()
{
    m_pFlight = std::move(m_pSavedFlight);
    m_bFlightFinished = false;
    // The kept flight goes on from where the tour left the camera, not from where it began.
    if (auto* pFlight = dynamic_cast<CCameraFlight*>(m_pFlight.get()); pFlight != nullptr)
        pFlight->Start(GetCurrentView(), pFlight->GetViewRecord(), pFlight->GetNextMode(), 0);
    g_nGameMode = m_dwSavedMode;
    if (HasGameFlag(gmKeepView))
    {
        ClearGameFlag(gmKeepView);
        ApplyTopView();
        UpdateAimCamera(1);
        SetGameFlag(gmKeepView);
    }
}

BOOL CGameFlow::AnyBallMoving() { return m_Engine.AllBallsStopped() ? FALSE : TRUE; }

// "Camera Motion" 0: the flight holds the view; the balls' step moves the camera along with them
// (FollowShotWithCamera), after the balls have moved, so that the frame drawn shows them in view.
// The flight lasts until the next turn replaces it.
BOOL CGameFlow::HoldAimPath() { return FALSE; }

void CGameFlow::FollowShotWithCamera()
{
    auto* pFlight = dynamic_cast<CCameraFlightA*>(m_pFlight.get());
    if (pFlight == nullptr)
        return;
    // The camera moves sideways and back just enough to keep the moving balls in view; the flight
    // carries the move, so that the camera it places next tick starts from there.
    const SFlowCamera before = m_Camera;
    FollowMovingBallsUnlessLocked();
    const CVector3 vMoved = m_Camera.vLookAt - before.vLookAt;
    pFlight->Translate(0.0f, 0.0f, m_Camera.fDistance - before.fDistance, vMoved.x, vMoved.y, vMoved.z);
}

// "Camera Motion" 1: the camera keeps its angles and distance and looks at the struck ball wherever
// it rolls; a ball that has left the table is looked for at the cloth's height. The flight lasts
// until the next turn replaces it.
BOOL CGameFlow::FollowViewPoint(CVector3& vViewPoint)
{
    vViewPoint = m_BallObjects.GetPose(m_nCueBall).vCentre;
    if (SceneToTable(vViewPoint).z <= OFF_TABLE_HEIGHT_M)
        vViewPoint.y = SCENE_BED_HEIGHT;
    return FALSE;
}

BOOL CGameFlow::TakeEscape()
{
    if (m_Input.nPressedKey != KEY_ESC)
        return FALSE;
    m_Input.nPressedKey = 0;
    return TRUE;
}

void CGameFlow::SetCameraDistance(float fDistance)
{
    m_Camera.fDistance = fDistance;
    UpdateAimCamera(0);
}
