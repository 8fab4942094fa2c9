#include "render/RackScene.h"

#include "foundation/LibraryLists.h"
#include "foundation/Matrix.h"
#include "foundation/Stopwatch.h"
#include "platform/dx/Device.h"
#include "render/D3DFramework.h"
#include "render/Environment3D.h"
#include "render/Light.h"
#include "render/SceneSetUp.h"

#include <algorithm>
#include <cmath>

namespace
{
/// The default camera: 15 degrees above the cloth, 136 units from the table's centre.
constexpr float CAMERA_DISTANCE = 136.0f;
constexpr float CAMERA_ELEVATION_RAD = 15.0f * 3.14159265f / 180.0f;
/// The cloth's height and a ball's radius, scene units.
constexpr float BED_Y = 26.0f;
constexpr float BALL_R = 1.12f;
/// The frame's colour behind the scene: the cloth's green.
constexpr D3DCOLOR CLEAR_COLOUR = 0x0B3D2E;
constexpr int RACK_ORDER[15] = {1, 9, 2, 10, 8, 3, 11, 4, 12, 5, 13, 6, 14, 7, 15};

/// Fifteen balls racked with the apex towards the far end, the cue ball on the near side.
std::vector<std::pair<int, CVector3>> RackedBalls()
{
    const float dx = BALL_R * 1.0005f, dz = BALL_R * std::sqrt(3.0f) * 1.0005f;
    std::vector<std::pair<int, CVector3>> balls;
    int k = 0;
    for (int row = 0; row < 5; ++row)
        for (int i = 0; i <= row; ++i)
            balls.emplace_back(RACK_ORDER[k++],
                               CVector3(static_cast<float>(2 * i - row) * dx, BED_Y + BALL_R, 22.0f + row * dz));
    balls.emplace_back(0, CVector3(0.0f, BED_Y + BALL_R, -22.0f));
    return balls;
}
} // namespace

BOOL CRackScene::SetUp(CD3DFramework& framework, std::string_view strTablesPath)
{
    Release();
    CDirect3DDevice* pDevice = framework.GetD3DDevice();
    if (pDevice == nullptr || !BuildSceneObjects(*pDevice, m_objects))
        return FALSE;
    const CVector3 eye(0.0f, BED_Y + CAMERA_DISTANCE * std::sin(CAMERA_ELEVATION_RAD),
                       -CAMERA_DISTANCE * std::cos(CAMERA_ELEVATION_RAD));
    MatrixLookAt(g_matView, eye, CVector3(-eye.x, BED_Y - eye.y, -eye.z), CVector3(0, 1, 0));
    SetProjection(g_fFieldOfView, pDevice, framework.GetViewport().get());
    pDevice->SetTransform(D3DTRANSFORMSTATE_VIEW, &g_matView);
    m_painter.InitBallPainter(strTablesPath);
    if (g_astrBallSetLibraries.GetSize() > 0)
        m_painter.LoadBallTextures(g_astrBallSetLibraries[0].GetString(), "BALLS_STANDARD");
    m_painter.SetHighlight(95, 255.0);
    D3DMATRIX orientation;
    MatrixSetIdentity(orientation);
    const RECT& rc = *framework.GetViewportRect();
    for (const auto& [nBall, centre] : RackedBalls())
        m_poses.push_back(ProjectBall(nBall, orientation, centre, CVector3(0.2f, 1.0f, -0.3f), rc));
    std::stable_sort(m_poses.begin(), m_poses.end(),
                     [](const auto& a, const auto& b) { return a.vScreen.z > b.vScreen.z; });
    m_bReady = TRUE;
    return TRUE;
}

HRESULT CRackScene::Render(CD3DFramework& framework)
{
    CDirect3DDevice* pDevice = framework.GetD3DDevice();
    framework.GetViewport()->Clear2(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, CLEAR_COLOUR, 1.0f, 0);
    if (!m_bReady || pDevice == nullptr)
        return S_OK;
    TurnSceneObjects(m_objects, static_cast<float>(g_FrameStopwatch.GetElapsed()) * 0.001f);
    m_painter.SetViewChanged(UpdateViewChanged());
    pDevice->SetTransform(D3DTRANSFORMSTATE_VIEW, &g_matView);
    pDevice->SetRenderState(D3DRENDERSTATE_ZENABLE, TRUE);
    pDevice->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
    const HRESULT hr = DrawSceneObjects(*pDevice, *framework.GetViewport(), m_objects);
    if (FAILED(hr))
        return hr;
    PaintBalls(framework);
    return S_OK;
}

void CRackScene::PaintBalls(CD3DFramework& framework)
{
    const SurfacePtr& pTarget = framework.GetRenderTarget();
    DDSURFACEDESC2 desc;
    if (pTarget == nullptr || FAILED(pTarget->Lock(nullptr, &desc, 0, nullptr)))
        return;
    const RECT& rc = *framework.GetViewportRect();
    const RECT rcClip = {rc.left, rc.top, rc.right, rc.bottom - g_nPanelHeight};
    for (const SBallPose& pose : m_poses)
        m_painter.DrawBall(desc, rcClip, pose);
    pTarget->Unlock(nullptr);
}

void CRackScene::Release()
{
    if (!m_objects.empty())
    {
        m_objects.clear();
        CLightTable::DeleteAll();
    }
    m_poses.clear();
    m_painter.ResetBallImages();
    m_bReady = FALSE;
}
