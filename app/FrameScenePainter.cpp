// The frame painter's 3-D steps: the room's objects before the table and after it, the table's
// sides behind the balls and in front of them by the camera's heading, the balls in their groups
// (on the cloth, in the pockets' jaws, off the table) and the table's watermark.
#include "app/FramePlacement.h"
#include "app/MainFrame.h"
#include "foundation/Matrix.h"
#include "gameflow/GameFlow.h"
#include "render/D3DFramework.h"
#include "render/Environment3D.h"
#include "render/TableSpace.h"
#include "simulation/Ball.h"
#include "simulation/BallEngine.h"
#include "simulation/PhysicsConstants.h"
#include "ui/SceneOrder.h"

namespace
{
/// A ball at this height or lower (engine metres) has left the table.
constexpr float OFF_TABLE_Z = -0.1f;

/// The cloth's rectangle in the scene.
STableBounds SceneTableBounds()
{
    const CVector3 vA = TableToScene(CVector3(0.0f, 0.0f, 0.0f));
    const CVector3 vB = TableToScene(CVector3(TABLE_WIDTH_M, TABLE_LENGTH_M, 0.0f));
    return STableBounds{std::min(vA.x, vB.x), std::min(vA.z, vB.z), std::max(vA.x, vB.x), std::max(vA.z, vB.z)};
}

/// Whether the live engine has the ball off the table: pocketed or dropped below the cloth.
bool IsOffTable(int nBall)
{
    const CBall* pBall = g_BallEngineMain.FindBall(nBall);
    return pBall != nullptr && (pBall->IsPocketed() || pBall->GetPosition()->z <= OFF_TABLE_Z);
}
} // namespace

bool CMainFrame::IsCameraAboveTable() const
{
    // The camera's height is the view's translation turned back (the second row of its axes).
    const D3DMATRIX& v = g_matView;
    const float fCameraY = -(v.m[3][0] * v.m[1][0] + v.m[3][1] * v.m[1][1] + v.m[3][2] * v.m[1][2]);
    return fCameraY >= SCENE_BED_HEIGHT - 0.1f;
}

void CMainFrame::DrawScenePass(EScenePass pass, bool bSplit)
{
    if (m_pFramework == nullptr)
        return;
    const int nTableOrder = m_rackScene.GetTableOrder();
    m_rackScene.DrawObjects(*m_pFramework, [&](const CSceneObject& object)
                            { return IsInScenePass(pass, object.m_nId, object.m_nParam8, nTableOrder, bSplit); });
    if (pass == EScenePass::Background)
        m_rackScene.DrawClockHands(*m_pFramework);
}

void CMainFrame::DrawTableSides(bool bFar)
{
    if (m_pFramework == nullptr)
        return;
    const STableSides sides = GetTableSides(GetCameraHeading(), bFar);
    for (const ETableSide side : sides.Get())
        m_rackScene.DrawObjects(*m_pFramework, [side](const CSceneObject& object)
                                { return object.m_nId == TABLE_SIDE_KINDS[static_cast<std::size_t>(side)]; });
}

void CMainFrame::DrawBallGroup(EBallPlace place, int nFlags)
{
    if (m_pFramework == nullptr || !IsCameraAboveTable())
        return;
    const STableBounds bounds = SceneTableBounds();
    m_aBallGroup.clear();
    for (const SSceneBall& ball : m_rackScene.GetBalls())
        if (GetBallPlace(ball.vCentre.x, ball.vCentre.z, IsOffTable(ball.nBall), bounds) == place)
            m_aBallGroup.push_back(ball);
    // A ball taken up casts its shadow onto the cloth under it, below the balls painted there.
    if (place == EBallPlace::Inside && m_pPlacement != nullptr && m_pFramework->GetD3DDevice() != nullptr)
        m_pPlacement->DrawShadow(*m_pFramework->GetD3DDevice(), m_pGameFlow->Camera().vPosition);
    // Flags 3: the view did not change, so unchanged balls are copied from their images.
    g_BallPainter.SetViewChanged(nFlags != 3);
    m_rackScene.PaintBalls(*m_pFramework, g_BallPainter, m_aBallGroup);
}

void CMainFrame::DrawWatermarkObject()
{
    if (m_pFramework != nullptr)
        m_rackScene.DrawObjects(*m_pFramework,
                                [](const CSceneObject& object) { return object.m_nId == KIND_WATERMARK; });
}
