#include "render/RackScene.h"

#include "foundation/LibraryLists.h"
#include "foundation/Matrix.h"
#include "platform/dx/Device.h"
#include "render/D3DFramework.h"
#include "render/Environment3D.h"
#include "render/Light.h"
#include "render/Picking.h"
#include "render/SceneSetUp.h"

#include <algorithm>
#include <cmath>

namespace
{
/// The cloth's height and a ball's radius, scene units.
constexpr float BED_Y = 26.0f;
constexpr float BALL_R = 1.12f;
/// The scene object that carries the clock's hands.
constexpr int CLOCK_KIND = 0x20;
/// The table's bed among the table's parts.
constexpr int TABLE_BED_KIND = 0x1000040;
constexpr int RACK_ORDER[15] = {1, 9, 2, 10, 8, 3, 11, 4, 12, 5, 13, 6, 14, 7, 15};
/// Where the lamp over the table lights the balls from.
const CVector3 TOWARDS_LIGHT(0.2f, 1.0f, -0.3f);

/// Fifteen balls racked with the apex towards the far end, the cue ball on the near side.
std::vector<SSceneBall> RackedBalls()
{
    const float dx = BALL_R * 1.0005f, dz = BALL_R * std::sqrt(3.0f) * 1.0005f;
    std::vector<SSceneBall> balls;
    D3DMATRIX identity;
    MatrixSetIdentity(identity);
    int k = 0;
    for (int row = 0; row < 5; ++row)
        for (int i = 0; i <= row; ++i)
            balls.push_back(SSceneBall{RACK_ORDER[k++],
                                       CVector3(static_cast<float>(2 * i - row) * dx, BED_Y + BALL_R, 22.0f + row * dz),
                                       identity});
    balls.push_back(SSceneBall{0, CVector3(0.0f, BED_Y + BALL_R, -22.0f), identity});
    return balls;
}
} // namespace

BOOL CRackScene::SetUp(CD3DFramework& framework, CBallPainter& painter)
{
    Release();
    CDirect3DDevice* pDevice = framework.GetD3DDevice();
    if (pDevice == nullptr || !BuildSceneObjects(*pDevice, m_objects))
        return FALSE;
    const bool bHasClock =
        std::any_of(m_objects.begin(), m_objects.end(), [](const auto& p) { return p->m_nId == CLOCK_KIND; });
    if (bHasClock)
        m_clock.Create();
    if (g_astrBallSetLibraries.GetSize() > 0)
        painter.LoadBallTextures(g_astrBallSetLibraries[0].GetString(), "BALLS_STANDARD");
    painter.SetHighlight(95, 255.0);
    m_balls = RackedBalls();
    m_poses.reserve(m_balls.size());
    m_bReady = TRUE;
    return TRUE;
}

CSceneObject* CRackScene::GetTable() const
{
    const auto it =
        std::find_if(m_objects.begin(), m_objects.end(), [](const auto& p) { return p->m_nId == TABLE_BED_KIND; });
    return it != m_objects.end() ? it->get() : nullptr;
}

void CRackScene::UpdateView() const
{
    // The orbit's direction points from the table's centre out to the eye.
    CVector3 vEye(0.0f, BED_Y, 0.0f), vOut;
    OrbitPoint(m_camera.m_fYaw, m_camera.m_fPitch, m_camera.m_fDistance, vEye, vOut);
    MatrixLookAt(g_matView, vEye, CVector3(-vOut.x, -vOut.y, -vOut.z), CVector3(0, 1, 0));
}

void CRackScene::Draw(CD3DFramework& framework, CBallPainter& painter)
{
    CDirect3DDevice* pDevice = framework.GetD3DDevice();
    if (!m_bReady || pDevice == nullptr)
        return;
    pDevice->SetRenderState(D3DRENDERSTATE_ZENABLE, TRUE);
    pDevice->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
    RenderSceneObjects(*pDevice, *framework.GetViewport(), m_objects);
    if (m_clock.IsCreated())
        for (CSceneObject* pHand : {m_clock.GetHourHand(), m_clock.GetMinuteHand()})
            pHand->Render(*pDevice, *framework.GetViewport(), false);
    PaintBalls(framework, painter);
}

void CRackScene::PaintBalls(CD3DFramework& framework, CBallPainter& painter)
{
    const SurfacePtr& pTarget = framework.GetRenderTarget();
    const RECT& rc = *framework.GetViewportRect();
    m_poses.clear();
    for (const SSceneBall& ball : m_balls)
        m_poses.push_back(ProjectBall(ball.nBall, ball.matOrientation, ball.vCentre, TOWARDS_LIGHT, rc));
    std::stable_sort(m_poses.begin(), m_poses.end(),
                     [](const auto& a, const auto& b) { return a.vScreen.z > b.vScreen.z; });
    DDSURFACEDESC2 desc;
    if (pTarget == nullptr || FAILED(pTarget->Lock(nullptr, &desc, 0, nullptr)))
        return;
    const RECT rcClip = {rc.left, rc.top, rc.right, rc.bottom - g_nPanelHeight};
    for (const SBallPose& pose : m_poses)
        painter.DrawBall(desc, rcClip, pose);
    pTarget->Unlock(nullptr);
}

void CRackScene::Release()
{
    if (!m_objects.empty())
    {
        m_objects.clear();
        CLightTable::DeleteAll();
    }
    m_clock = CClockObject{};
    m_poses.clear();
    m_bReady = FALSE;
}
