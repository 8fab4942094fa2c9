// The racked table from the default camera at 800 x 600, in 32 and 16 bits: the room and table
// drawn by the 3-D device from the game's own scene, the sixteen balls painted over them by the
// software ball painter from the game's standard ball set, farthest first. Each painted disc is
// centred within a pixel of the projection of its ball's centre. Written as PNG. And the scene's
// animation on the game's scene: the fan turns by its speed, the clock shows the time.
#include "tests/assets/GameFiles.h"

#include "foundation/LibraryLists.h"
#include "foundation/Matrix.h"
#include "platform/dx/Device.h"
#include "platform/dx/SurfacePng.h"
#include "platform/win32/LocalTime.h"
#include "render/BallPainter.h"
#include "render/ClockObject.h"
#include "render/D3DFramework.h"
#include "render/Environment3D.h"
#include "render/Light.h"
#include "render/SceneAnimation.h"
#include "render/SceneObject.h"
#include "render/SceneRecords.h"
#include "render/SceneSetUp.h"
#include "render/TextureManager.h"
#include "simulation/DiscTable.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace
{
constexpr DWORD WIDTH = 800, HEIGHT = 600;
constexpr float CAMERA_DISTANCE = 136.0f, CAMERA_ELEVATION_RAD = 15.0f * 3.14159265f / 180.0f;
constexpr float BED_Y = 26.0f, BALL_R = 1.12f;

/// The sixteen balls' scene centres: fifteen racked with the apex towards the camera, the cue ball
/// on the other side of the centre.
std::vector<std::pair<int, CVector3>> RackedBalls()
{
    const float dx = BALL_R * 1.0005f, dz = BALL_R * std::sqrt(3.0f) * 1.0005f;
    const int aRack[15] = {1, 9, 2, 10, 8, 3, 11, 4, 12, 5, 13, 6, 14, 7, 15};
    std::vector<std::pair<int, CVector3>> balls;
    int k = 0;
    for (int row = 0; row < 5; ++row)
        for (int i = 0; i <= row; ++i)
            balls.emplace_back(aRack[k++],
                               CVector3(static_cast<float>(2 * i - row) * dx, BED_Y + BALL_R, 22.0f + row * dz));
    balls.emplace_back(0, CVector3(0.0f, BED_Y + BALL_R, -22.0f));
    return balls;
}

/// The room and the table of the game's scene, drawn into the target.
void DrawRoomAndTable(CDirect3DDevice& device, CDirect3DViewport& viewport)
{
    std::vector<std::unique_ptr<CSceneObject>> objects;
    ASSERT_TRUE(BuildSceneObjects(device, objects));
    device.SetTransform(D3DTRANSFORMSTATE_VIEW, &g_matView);
    device.SetRenderState(D3DRENDERSTATE_ZENABLE, TRUE);
    device.SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
    viewport.Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
    ASSERT_EQ(D3D_OK, DrawSceneObjects(device, viewport, objects));
    CLightTable::DeleteAll();
}

/// Centroid of the pixels that differ between two locked frames of one format.
bool ChangedCentroid(const DDSURFACEDESC2& a, const DDSURFACEDESC2& b, double& cx, double& cy)
{
    const int nBytes = static_cast<int>(a.ddpfPixelFormat.dwRGBBitCount / 8);
    double sx = 0, sy = 0;
    int n = 0;
    for (DWORD y = 0; y < a.dwHeight; ++y)
        for (DWORD x = 0; x < a.dwWidth; ++x)
            if (std::memcmp(static_cast<const BYTE*>(a.lpSurface) + y * a.lPitch + x * nBytes,
                            static_cast<const BYTE*>(b.lpSurface) + y * b.lPitch + x * nBytes, nBytes) != 0)
            {
                sx += x + 0.5;
                sy += y + 0.5;
                ++n;
            }
    if (n == 0)
        return false;
    cx = sx / n;
    cy = sy / n;
    return true;
}
} // namespace

TEST(PaintedRackTest, BallsPaintedWhereTheyProjectIn32And16Bits)
{
    for (const std::string& strFile : ArtworkLibraries())
        g_astrArtworkLibraries.Add(GamePath(strFile).c_str());
    const CVector3 target(0.0f, BED_Y, 0.0f);
    const CVector3 eye(0.0f, BED_Y + CAMERA_DISTANCE * std::sin(CAMERA_ELEVATION_RAD),
                       -CAMERA_DISTANCE * std::cos(CAMERA_ELEVATION_RAD));
    MatrixLookAt(g_matView, eye, CVector3(target.x - eye.x, target.y - eye.y, target.z - eye.z), CVector3(0, 1, 0));
    g_nPanelHeight = 0;
    ASSERT_EQ(S_OK, BuildProjection(g_fFieldOfView, WIDTH, HEIGHT, nullptr));
    const RECT rcViewport = {0, 0, static_cast<LONG>(WIDTH), static_cast<LONG>(HEIGHT)};
    const std::string tables = BuildTablesData();

    for (DWORD nBits : {32u, 16u})
    {
        SCOPED_TRACE(nBits);
        SurfacePtr pTarget = CDirectDrawSurface::Create(WIDTH, HEIGHT, MakeRgbPixelFormat(nBits),
                                                        DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE);
        SurfacePtr pDepth = CDirectDrawSurface::Create(WIDTH, HEIGHT, MakeZBufferPixelFormat(16), DDSCAPS_ZBUFFER);
        ASSERT_EQ(DD_OK, pTarget->AddAttachedSurface(pDepth));
        CDirect3DDevice device(pTarget);
        auto pViewport = std::make_shared<CDirect3DViewport>();
        const D3DVIEWPORT2 vp = MakeFullViewport(WIDTH, HEIGHT);
        pViewport->SetViewport2(&vp);
        device.AddViewport(pViewport);
        device.SetCurrentViewport(pViewport);
        device.SetTransform(D3DTRANSFORMSTATE_PROJECTION, &g_matProjection);
        DrawRoomAndTable(device, *pViewport);

        CBallPainter painter;
        ASSERT_TRUE(painter.SetTablesData(std::span(reinterpret_cast<const BYTE*>(tables.data()), tables.size())));
        ASSERT_TRUE(painter.LoadBallTextures(GamePath("VornBall.dat").c_str(), "BALLS_STANDARD"));
        painter.SetHighlight(95, 255.0);
        D3DMATRIX orientation;
        MatrixSetIdentity(orientation);
        std::vector<SBallPose> poses;
        for (const auto& [nBall, centre] : RackedBalls())
            poses.push_back(ProjectBall(nBall, orientation, centre, CVector3(0.2f, 1.0f, -0.3f), rcViewport));
        // Farthest first, so nearer balls cover them.
        std::stable_sort(poses.begin(), poses.end(),
                         [](const auto& a, const auto& b) { return a.vScreen.z > b.vScreen.z; });

        DDSURFACEDESC2 frame, blank;
        ASSERT_EQ(DD_OK, pTarget->Lock(nullptr, &frame, 0, nullptr));
        std::vector<BYTE> background(static_cast<std::size_t>(frame.lPitch) * HEIGHT);
        std::memcpy(background.data(), frame.lpSurface, background.size());
        blank = frame;
        blank.lpSurface = background.data();
        for (const SBallPose& pose : poses)
        {
            SCOPED_TRACE(pose.nBall);
            // Alone over the unpainted frame: the changed pixels are centred on the projection.
            std::vector<BYTE> alone = background;
            DDSURFACEDESC2 desc = frame;
            desc.lpSurface = alone.data();
            ASSERT_TRUE(painter.DrawBall(desc, rcViewport, pose));
            double cx = 0, cy = 0;
            ASSERT_TRUE(ChangedCentroid(desc, blank, cx, cy));
            EXPECT_NEAR(cx, pose.vScreen.x, 1.0);
            EXPECT_NEAR(cy, pose.vScreen.y, 1.0);
            EXPECT_GT(pose.fSize, 15.0f);
        }
        for (const SBallPose& pose : poses)
            painter.DrawBall(frame, rcViewport, pose);
        pTarget->Unlock(nullptr);

        const std::filesystem::path dir = VORN_TEST_OUTPUT_DIR;
        std::filesystem::create_directories(dir);
        EXPECT_TRUE(SaveSurfaceToPng(*pTarget, (dir / ("PaintedRack" + std::to_string(nBits) + ".png")).string()));
        // The lit upper half of the cue ball is white.
        const auto at = [&](int nBall)
        {
            const auto it = std::find_if(poses.begin(), poses.end(), [&](const auto& p) { return p.nBall == nBall; });
            return pTarget->GetPixelXrgb(static_cast<DWORD>(it->vScreen.x),
                                         static_cast<DWORD>(it->vScreen.y - it->fSize / 4));
        };
        EXPECT_GT(at(0) & 0xFF, 0x80u) << std::hex << at(0);
        DeleteAllTextures();
    }
    g_astrArtworkLibraries.RemoveAll();
}

TEST(PaintedRackTest, AnimationTurnsObjectsByTheirSpeedAndSetsTheClocksHandsToNow)
{
    for (const std::string& strFile : ArtworkLibraries())
        g_astrArtworkLibraries.Add(GamePath(strFile).c_str());
    SurfacePtr pTarget =
        CDirectDrawSurface::Create(64, 64, MakeRgbPixelFormat(32), DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE);
    CDirect3DDevice device(pTarget);
    std::vector<std::unique_ptr<CSceneObject>> objects;
    ASSERT_TRUE(BuildSceneObjects(device, objects));
    CSceneAnimation animation;
    const SAnimationSettings settings;
    animation.Animate(0.0f, settings);
    std::vector<std::pair<CVector3, CVector3>> before;
    for (const auto& pObject : objects)
    {
        CVector3 vDir, vUp;
        pObject->GetOrientation(pObject.get(), vDir, vUp);
        before.emplace_back(vDir, vUp);
    }
    // A quarter of a second: the fan at 40 revolutions a minute turns 60 degrees about its up axis.
    animation.Animate(0.25f, settings);
    int nTurned = 0;
    for (std::size_t k = 0; k < objects.size(); ++k)
    {
        CVector3 vDir, vUp;
        objects[k]->GetOrientation(objects[k].get(), vDir, vUp);
        const float fCos =
            static_cast<float>(Vec3Dot(&vDir, &before[k].first)) / (Vec3Length(&vDir) * Vec3Length(&before[k].first));
        EXPECT_NEAR(Vec3Dot(&vUp, &before[k].second), Vec3Dot(&before[k].second, &before[k].second), 1e-3);
        const bool bTurns = objects[k]->m_nMotion >= 0 && objects[k]->m_nMotion < static_cast<int>(g_aMotions.size()) &&
                            g_aMotions[static_cast<std::size_t>(objects[k]->m_nMotion)].m_nKind == 1;
        EXPECT_NEAR(fCos, bTurns ? 0.5f : 1.0f, 1e-3) << k;
        nTurned += bTurns ? 1 : 0;
    }
    EXPECT_GE(nTurned, 1) << "the scene has a fan";

    // The clock's hands, posed at another time, show the time of the frame.
    CClockObject clock, now;
    ASSERT_TRUE(clock.Create());
    ASSERT_TRUE(now.Create());
    animation.SetClock(&clock);
    bool bSameMinute = false;
    for (int nTry = 0; nTry < 3 && !bSameMinute; ++nTry) // a minute may turn between the two readings
    {
        SYSTEMTIME t0, t1;
        GetLocalTime(&t0);
        clock.TickAt((t0.wHour + 5) % 24, (t0.wMinute + 30) % 60);
        animation.Animate(0.0f, settings);
        now.TickAt(t0.wHour, t0.wMinute);
        GetLocalTime(&t1);
        bSameMinute = t0.wMinute == t1.wMinute;
    }
    ASSERT_TRUE(bSameMinute);
    EXPECT_EQ(0,
              std::memcmp(clock.GetHourHand()->GetTransform(), now.GetHourHand()->GetTransform(), sizeof(D3DMATRIX)));
    EXPECT_EQ(
        0, std::memcmp(clock.GetMinuteHand()->GetTransform(), now.GetMinuteHand()->GetTransform(), sizeof(D3DMATRIX)));
    CLightTable::DeleteAll();
    DeleteAllTextures();
    g_astrArtworkLibraries.RemoveAll();
}
