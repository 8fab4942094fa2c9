#include "render/RackScene.h"

#include "foundation/Matrix.h"
#include "platform/dx/Device.h"
#include "render/BallDepth.h"
#include "render/D3DFramework.h"
#include "render/Environment3D.h"
#include "render/Light.h"
#include "render/Picking.h"
#include "render/SceneSetUp.h"
#include "render/TableSpace.h"

#include <algorithm>
#include <cmath>

namespace
{
/// A ball's radius, scene units.
constexpr float BALL_R = 1.12f;
/// The balls' kind in the scene text.
constexpr int BALLS_KIND = 0x10;
/// The scene object that carries the clock's hands.
constexpr int CLOCK_KIND = 0x20;
/// The table's bed among the table's parts.
constexpr int TABLE_BED_KIND = 0x1000040;
/// Where the lamp over the table lights the balls from.
const CVector3 TOWARDS_LIGHT(0.2f, 1.0f, -0.3f);
} // namespace

BOOL CRackScene::SetUp(CD3DFramework& framework)
{
    Release();
    CDirect3DDevice* pDevice = framework.GetD3DDevice();
    if (pDevice == nullptr || !BuildSceneObjects(*pDevice, m_objects, &m_text))
        return FALSE;
    m_camera.SetBounds(m_text.afCameraBounds.data());
    const bool bHasClock =
        std::any_of(m_objects.begin(), m_objects.end(), [](const auto& p) { return p->m_nId == CLOCK_KIND; });
    if (bHasClock)
        m_clock.Create();
    m_balls.clear();
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
    CVector3 vEye(0.0f, SCENE_BED_HEIGHT, 0.0f), vOut;
    OrbitPoint(m_camera.m_fYaw, m_camera.m_fPitch, m_camera.m_fDistance, vEye, vOut);
    MatrixLookAt(g_matView, vEye, CVector3(-vOut.x, -vOut.y, -vOut.z), CVector3(0, 1, 0));
}

void CRackScene::DrawObjects(CD3DFramework& framework, const std::function<bool(const CSceneObject&)>& bWanted)
{
    CDirect3DDevice* pDevice = framework.GetD3DDevice();
    if (!m_bReady || pDevice == nullptr)
        return;
    pDevice->SetRenderState(D3DRENDERSTATE_ZENABLE, TRUE);
    pDevice->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
    for (const auto& pObject : m_objects)
        if (pObject->IsEnabled() && bWanted(*pObject))
        {
            pObject->Render(*pDevice, *framework.GetViewport(), false);
            if (m_pDrawLog != nullptr)
                m_pDrawLog->push_back(pObject->m_nId);
        }
}

void CRackScene::DrawClockHands(CD3DFramework& framework)
{
    CDirect3DDevice* pDevice = framework.GetD3DDevice();
    if (!m_bReady || pDevice == nullptr || !m_clock.IsCreated())
        return;
    for (CSceneObject* pHand : {m_clock.GetHourHand(), m_clock.GetMinuteHand()})
        pHand->Render(*pDevice, *framework.GetViewport(), false);
}

CRackScene::~CRackScene()
{
    if (m_pQueuedOn != nullptr)
        m_pQueuedOn->Flush();
}

void CRackScene::PaintBalls(CD3DFramework& framework, CBallPainter& painter, std::span<const SSceneBall> balls)
{
    CDirect3DDevice* pDevice = framework.GetD3DDevice();
    const RECT& rc = *framework.GetViewportRect();
    m_poses.clear();
    for (const SSceneBall& ball : balls)
        m_poses.push_back(ProjectBall(ball.nBall, ball.matOrientation, ball.vCentre, TOWARDS_LIGHT, rc));
    std::stable_sort(m_poses.begin(), m_poses.end(),
                     [](const auto& a, const auto& b) { return a.vScreen.z > b.vScreen.z; });
    if (!m_bReady || pDevice == nullptr || m_poses.empty())
        return;
    if (m_pDrawLog != nullptr)
        m_pDrawLog->push_back(BALLS_KIND);
    const RECT rcClip = {rc.left, rc.top, rc.right, rc.bottom - g_nPanelHeight};
    DDSURFACEDESC2 target, depth;
    pDevice->DescribeTarget(target, depth);
    for (const SBallPose& pose : m_poses)
    {
        if (pose.nBall < 0 || pose.nBall >= BALL_PAINT_COUNT)
            continue;
        // A ball queued already since the device last drew is drawn before it is begun again.
        SQueuedBall& queued = m_aQueued[static_cast<std::size_t>(pose.nBall)];
        if (queued.pPainter != nullptr && m_pQueuedOn != nullptr)
            m_pQueuedOn->Flush();
        LONG yTop = 0, yBottom = 0;
        queued.bShown = painter.BeginBall(target, pose, yTop, yBottom) != FALSE;
        queued.bDepth = pose.vScreen.z > 0.0f && pose.vScreen.z < 1.0f && pose.fSize > 0.0f;
        if (!queued.bShown && !queued.bDepth)
            continue;
        queued.depth =
            SBallDepth{pose.vScreen.x, pose.vScreen.y, pose.fSize / 2.0f, g_fBallPixelSize / pose.fSize, BALL_R};
        queued.matProjection = g_matProjection;
        queued.rcClip = rcClip;
        if (queued.bDepth)
        {
            // The depth's disc, as WriteBallDepth bounds it.
            yTop = queued.bShown ? std::min<LONG>(yTop, static_cast<LONG>(std::floor(pose.vScreen.y - pose.fSize / 2)))
                                 : static_cast<LONG>(std::floor(pose.vScreen.y - pose.fSize / 2));
            const LONG yDisc = static_cast<LONG>(std::ceil(pose.vScreen.y + pose.fSize / 2)) + 1;
            yBottom = queued.bShown ? std::max(yBottom, yDisc) : yDisc;
        }
        if (FAILED(pDevice->QueueRows(*this, pose.nBall, std::max(yTop, rcClip.top), std::min(yBottom, rcClip.bottom))))
            continue;
        queued.pPainter = &painter;
        m_pQueuedOn = pDevice;
    }
}

void CRackScene::PrepareRows(int nBall)
{
    const SQueuedBall& queued = m_aQueued[static_cast<std::size_t>(nBall)];
    if (queued.bShown)
        queued.pPainter->PaintBegunBall(nBall);
}

void CRackScene::DrawRows(int nBall, const DDSURFACEDESC2& target, const DDSURFACEDESC2& depth, LONG yBegin, LONG yEnd)
{
    const SQueuedBall& queued = m_aQueued[static_cast<std::size_t>(nBall)];
    const RECT rcRows{queued.rcClip.left, std::max(queued.rcClip.top, yBegin), queued.rcClip.right,
                      std::min(queued.rcClip.bottom, yEnd)};
    if (queued.bShown)
        queued.pPainter->CopyBegunBall(nBall, target, rcRows);
    if (queued.bDepth)
        WriteBallDepth(depth, rcRows, queued.depth, queued.matProjection);
}

void CRackScene::RowsDone(int nBall)
{
    m_aQueued[static_cast<std::size_t>(nBall)].pPainter = nullptr;
    if (std::none_of(m_aQueued.begin(), m_aQueued.end(), [](const SQueuedBall& q) { return q.pPainter != nullptr; }))
        m_pQueuedOn = nullptr;
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
