// The follow camera and the table framing: the flow's camera moved so that the moving balls, or
// the whole table, stay in view.
#include "gameflow/GameFlow.h"
#include "simulation/Ball.h"
#include "simulation/BallEngine.h"
#include "simulation/PhysicsConstants.h"

#include <array>

void CGameFlow::SetViewport(float fFov, float fWidth, float fHeight)
{
    m_View.fFov = fFov;
    m_View.fWidth = fWidth;
    m_View.fHeight = fHeight;
}

SViewModel CGameFlow::GetViewModel() const
{
    SViewModel view = m_View;
    view.P = m_Camera.vPosition;
    view.D = m_Camera.vDirection;
    view.U = m_Camera.vUp;
    return view;
}

void CGameFlow::PlaceCameraLookingAtTable(const CVector3& P)
{
    CVector3 vHit;
    if (!IntersectHorizontalPlane(P, m_Camera.vDirection, SCENE_BED_HEIGHT, vHit))
        return;
    SetCameraTarget(vHit.x, vHit.y, vHit.z);
    m_Camera.fDistance = (P - vHit).Length();
    UpdateAimCamera(0);
}

CVector3 CGameFlow::BackUpToFitPoints(const SViewModel& view, std::span<const CVector3> points)
{
    const SFlowCamera kept = m_Camera;
    SViewModel moving = view;
    bool bMoved = false;
    for (const CVector3& p : points)
    {
        const float fExtra = DistanceToSeePoint(moving, p);
        if (fExtra == 0.0f)
            continue;
        m_Camera.fDistance += fExtra;
        UpdateAimCamera(0);
        moving.P = m_Camera.vPosition;
        bMoved = true;
    }
    // Only the place leaves the operation: the camera goes back where it stood.
    if (bMoved)
    {
        m_Camera = kept;
        UpdateAimCamera(0);
    }
    return moving.P;
}

int CGameFlow::FollowMovingBalls()
{
    m_MovingBalls.clear();
    for (int n = 0; n < REFEREE_BALLS; ++n)
    {
        if ((m_wOnTable & RefereeBallBit(n)) == 0)
            continue; // off the table: not followed (nor looked up)
        const CBall* pBall = m_Engine.FindBall(n);
        CVector3 v;
        if (pBall != nullptr && pBall->IsMoving() && GetBallScenePosition(n, v))
            m_MovingBalls.push_back(v);
    }
    const SViewModel view = GetViewModel();
    bool bOut = false;
    const CVector3 P1 = FitPointsSideways(view, m_MovingBalls, bOut);
    if (!bOut && (P1 - view.P).Length() == 0.0f)
        return 1;
    PlaceCameraLookingAtTable(P1);
    const CVector3 P2 = BackUpToFitPoints(GetViewModel(), m_MovingBalls);
    PlaceCameraLookingAtTable(P2);
    return 1;
}

int CGameFlow::FollowMovingBallsUnlessLocked()
{
    if (!HasGameFlag(gmKeepView))
        FollowMovingBalls();
    return 0;
}

CVector3 CGameFlow::FrameTable()
{
    const CVector3 vMin = TableToScene(CVector3(0.0f, 0.0f, 0.0f));
    const CVector3 vMax = TableToScene(CVector3(TABLE_WIDTH_M, TABLE_LENGTH_M, 0.0f));
    const std::array<CVector3, 4> corners = {vMin, CVector3(vMin.x, vMin.y, vMax.z), CVector3(vMax.x, vMax.y, vMin.z),
                                             vMax};
    // Centre the box, then the picture, and back up to see it all; twice more from half-way.
    const auto centre = [&](const CVector3& P)
    {
        const CVector3 Q = CentreBoxInView(GetViewModel().At(P), corners);
        return CentrePointsInView(GetViewModel().At(Q), corners);
    };
    CVector3 Q = centre(m_Camera.vPosition);
    PlaceCameraLookingAtTable(Q);
    Q = (BackUpToFitPoints(GetViewModel(), corners) + Q) * 0.5f;
    PlaceCameraLookingAtTable(Q);
    Q = centre(Q);
    PlaceCameraLookingAtTable(Q);
    Q = BackUpToFitPoints(GetViewModel(), corners);
    PlaceCameraLookingAtTable(Q);
    Q = centre(Q);
    PlaceCameraLookingAtTable(Q);
    return BackUpToFitPoints(GetViewModel(), corners);
}
