// The camera's flights of a turn: the computer's turn flight that ends in its stroke, the flights
// that bring a person to the aiming view or to ball in hand, and the flight that follows a shot.
// Each takes the present view as its start, builds a target view, replaces the flow's flight and
// starts it.
#include "gameflow/GameFlow.h"
#include "render/TableSpace.h"
#include "simulation/PhysicsConstants.h"

#include <cmath>
#include <numbers>

namespace
{
/// The computer's turn flight waits this long before it moves. Milliseconds.
constexpr int TURN_FLIGHT_DELAY_MS = 500;
/// The cue's elevation for the computer's stroke. Degrees.
constexpr float ROBOT_ELEVATION = 5.0f;
/// The orbit's distance of the turn camera. Scene units.
constexpr float TURN_CAMERA_DISTANCE = 80.0f;
/// The yaw of the view from the head of the table. Degrees.
constexpr float HEAD_OF_TABLE_YAW = 180.0f;
/// A flight's next mode when it ends in no mode of its own (the computer's stroke follows).
constexpr int NO_NEXT_MODE = -1;
/// The top view's camera: yaw, pitch (straight down) and distance, and how far across the table
/// from its middle it looks.
constexpr float TOP_VIEW_YAW = 90.0f;
constexpr float TOP_VIEW_PITCH = 270.0f;
constexpr float TOP_VIEW_DISTANCE = 100.0f;
constexpr float TOP_VIEW_ACROSS = 2.0f;
} // namespace

CViewRecord CGameFlow::GetCurrentView() const
{
    const SFlowCamera& c = m_Camera;
    CViewRecord view;
    view.Set(c.fYaw, c.fPitch, c.fDistance, c.vLookAt.x, c.vLookAt.y, c.vLookAt.z, c.fShift1, c.fShift2, m_Cue.fAim,
             m_Cue.fElevation, 0.0f);
    return view;
}

void CGameFlow::ApplyViewRecord(const CViewRecord& view)
{
    m_Camera.fYaw = NormalizeYaw(view.m_vCamera.x);
    m_Camera.SetPitch(view.m_vCamera.y);
    m_Camera.fDistance = view.m_vCamera.z;
    m_Camera.vLookAt = view.m_vViewPoint;
    m_Camera.fShift1 = view.m_fShift1;
    m_Camera.fShift2 = view.m_fShift2;
    m_Cue.fAim = NormalizeYaw(view.m_vCue.x);
    UpdateAimCamera(1);
}

void CGameFlow::RestoreViewRecord(const CViewRecord& view)
{
    if (view.IsValid())
        ApplyViewRecord(view);
}

CViewRecord CGameFlow::GetTopViewRecord() const
{
    const CVector3 vMiddle = TableToScene(CVector3(TABLE_WIDTH_M / 2.0f, TABLE_LENGTH_M / 2.0f, 0.0f));
    CViewRecord view;
    view.Set(TOP_VIEW_YAW, TOP_VIEW_PITCH, TOP_VIEW_DISTANCE, vMiddle.x + TOP_VIEW_ACROSS, vMiddle.y, vMiddle.z, 0.0f,
             0.0f, m_Cue.fAim, m_Cue.fElevation, 0.0f);
    return view;
}

void CGameFlow::ApplyTopView()
{
    const CViewRecord top = GetTopViewRecord();
    m_Camera.fYaw = top.m_vCamera.x;
    m_Camera.fPitch = top.m_vCamera.y; // not through SetPitch, which keeps the mouse's range
    m_Camera.fDistance = top.m_vCamera.z;
    m_Camera.vLookAt = top.m_vViewPoint;
    m_Camera.fShift1 = top.m_fShift1;
    m_Camera.fShift2 = top.m_fShift2;
    UpdateAimCamera(0);
}

DWORD CGameFlow::GetFlightEndMode() const
{
    if (m_pFlight == nullptr || m_pFlight->GetNextMode() == NO_NEXT_MODE)
        return modeNone;
    return static_cast<DWORD>(m_pFlight->GetNextMode()) & MODE_FIELD;
}

void CGameFlow::StartFlight(std::unique_ptr<CViewTransition> pFlight, const CViewRecord& target, int nNextMode,
                            int nDelay)
{
    m_pFlight = std::move(pFlight);
    m_bFlightFinished = false;
    m_pFlight->Start(GetCurrentView(), target, nNextMode, nDelay);
}

CViewRecord CGameFlow::AimViewAt(float fYaw, float fPitch, float fDistance) const
{
    CVector3 vBall = m_Camera.vLookAt;
    GetBallScenePosition(m_nCueBall, vBall);
    CViewRecord view;
    view.Set(fYaw, fPitch, fDistance, vBall.x, vBall.y, vBall.z, 0.0f, 0.0f, fYaw, m_Cue.fElevation, 0.0f);
    return view;
}

void CGameFlow::FindTurnCameraSpot(const CVector3& vBall, CVector3& vCameraOut, CVector3& vPointOut)
{
    vCameraOut = CVector3(m_Camera.fYaw, SFlowCamera::DEFAULT_PITCH, TURN_CAMERA_DISTANCE);
    // The camera on its orbit round the ball; its distance runs to where it looks onto the cloth,
    // and stays the orbit's when it looks past the cloth.
    SFlowCamera orbit;
    orbit.fYaw = vCameraOut.x;
    orbit.fPitch = vCameraOut.y;
    orbit.fDistance = TURN_CAMERA_DISTANCE;
    orbit.vLookAt = vBall;
    orbit.Place();
    vPointOut = orbit.vPosition;
    CVector3 vHit;
    if (orbit.vDirection.y < 0.0f && IntersectHorizontalPlane(vPointOut, orbit.vDirection, SCENE_BED_HEIGHT, vHit))
        vCameraOut.z = (vHit - vPointOut).Length();
}

CViewRecord CGameFlow::TurnTarget(float fAim)
{
    CViewRecord target = GetCurrentView();
    target.m_vCue.x = fAim;
    if (HasGameFlag(gmKeepView))
        return target;
    CVector3 vBall;
    if (!GetBallScenePosition(m_nCueBall, vBall))
        return target;
    if (m_Settings.nViewType == 0)
    {
        CVector3 vCamera, vPoint;
        FindTurnCameraSpot(vBall, vCamera, vPoint);
        target.Set(vCamera.x, vCamera.y, vCamera.z, vBall.x, vBall.y, vBall.z, 0.0f, 0.0f, fAim, m_Cue.fElevation,
                   0.0f);
    }
    else if (m_Settings.nViewType == 1)
    {
        target = AimViewAt(fAim, m_Camera.fPitch, m_Camera.fDistance);
        m_Cue.fAim = fAim;
    }
    return target;
}

void CGameFlow::StartTurnFlight()
{
    SelectCueBall(0);
    if (!HasCueBall() || HasGameFlag(gmRackDecided | gmRobotStroke))
        return;
    SetGameFlag(gmRobotStroke);
    m_Cue.fTipX = m_Cue.fTipY = 0.0f;
    m_Cue.fElevation = m_Cue.fRequestedElevation = ROBOT_ELEVATION;
    const float fAim = NormalizeYaw(PlanRobotShot() * 180.0f / std::numbers::pi_v<float>);
    const CViewRecord target = TurnTarget(fAim);
    StartFlight(std::make_unique<CCameraFlightC>(), target, NO_NEXT_MODE, TURN_FLIGHT_DELAY_MS);
    SetGameMode(modeCameraFlight);
    UpdateAimCamera(1);
    m_Host.RefreshCue();
}

void CGameFlow::FlyToAimView(int nRobotAim)
{
    SelectCueBall(0);
    float fAim = m_StoredCamera.fYaw;
    float fPitch = m_StoredCamera.fPitch;
    if (nRobotAim != 0)
        fAim = NormalizeYaw(PlanRobotShot() * 180.0f / std::numbers::pi_v<float>);
    else if (m_Settings.nCameraMotion == 2)
    {
        fAim = m_Camera.fYaw;
        fPitch = m_Camera.fPitch;
    }
    m_Cue.fAim = m_StoredCamera.fYaw = fAim;
    const CViewRecord target =
        HasGameFlag(gmKeepView) ? GetCurrentView() : AimViewAt(fAim, fPitch, m_StoredCamera.fDistance);
    StartFlight(std::make_unique<CCameraFlight>(), target, static_cast<int>(modeAim), 0);
    SetGameMode(modeAim);
    UpdateAimCamera(1);
    m_Host.RefreshCue();
}

void CGameFlow::FlyToCalledLine(float fYawDeg, DWORD dwEndMode)
{
    const float fYaw = NormalizeYaw(fYawDeg);
    m_Cue.fAim = fYaw;
    const CViewRecord target =
        HasGameFlag(gmKeepView) ? GetCurrentView() : AimViewAt(fYaw, m_Camera.fPitch, m_Camera.fDistance);
    StartFlight(std::make_unique<CCameraFlight>(), target, static_cast<int>(dwEndMode), 0);
}

void CGameFlow::FlyToBallInHandView()
{
    CViewRecord target = GetCurrentView();
    if (!HasGameFlag(gmKeepView))
    {
        const CVector3 vCentre(0.0f, SCENE_BED_HEIGHT, 0.0f);
        target.Set(HEAD_OF_TABLE_YAW, SFlowCamera::DEFAULT_PITCH, SFlowCamera::DEFAULT_DISTANCE, vCentre.x, vCentre.y,
                   vCentre.z, 0.0f, 0.0f, HEAD_OF_TABLE_YAW, m_Cue.fElevation, 0.0f);
    }
    StartFlight(std::make_unique<CCameraFlight>(), target, static_cast<int>(modeBallInHand), 0);
    SetGameMode(modeAim);
}

void CGameFlow::FlyToAimViewByViewType()
{
    SelectCueBall(0);
    if (!HasCueBall() || HasGameFlag(gmRackDecided))
        return;
    StartFlight(std::make_unique<CCameraFlight>(), TurnTarget(m_Camera.fYaw), static_cast<int>(modeAim), 0);
    SetGameMode(modeAim);
    UpdateAimCamera(1);
    m_Host.RefreshCue();
}

void CGameFlow::StartFollowFlight()
{
    SelectCueBall(0);
    m_StoredCamera = m_Camera;
    m_pFlight.reset();
    m_bFlightFinished = false;
    if (m_Settings.nCameraMotion == 0)
        m_pFlight = std::make_unique<CCameraFlightA>();
    else if (m_Settings.nCameraMotion == 1)
        m_pFlight = std::make_unique<CCameraFlightB>();
    else
        return;
    const CViewRecord view = GetCurrentView();
    m_pFlight->Start(view, view, NO_NEXT_MODE, 0);
    SetGameMode(modeCameraFlight);
}
