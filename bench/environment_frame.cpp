// The game's frame at 800 x 600 in 32 bits on one core, by stage: the room and the table drawn by
// the rasterizer (clear included), the sixteen balls of a rack projected and repainted as after a
// camera move, 350 particles stepped and drawn, and the whole frame; the work above the rasterizer
// alone (the scene's animation, the particles stepped, the balls projected and ordered); and the
// room and the table on every core, as the game draws them. Needs VORN_GAME_DIR naming
// the folder of the game's libraries (build/game).
#include "foundation/LibraryLists.h"
#include "foundation/Matrix.h"
#include "platform/dx/Device.h"
#include "platform/win32/CrtRandom.h"
#include "render/BallPainter.h"
#include "render/Environment3D.h"
#include "render/Light.h"
#include "render/ParticleSystem.h"
#include "render/SceneAnimation.h"
#include "render/SceneSetUp.h"
#include "render/TextureManager.h"
#include "simulation/DiscTable.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>

namespace
{
constexpr DWORD WIDTH = 800, HEIGHT = 600;
constexpr float BED_Y = 26.0f, BALL_R = 1.12f;

struct SFrame
{
    SurfacePtr pTarget, pDepth;
    std::unique_ptr<CDirect3DDevice> pDevice;
    ViewportPtr pViewport;
    std::vector<std::unique_ptr<CSceneObject>> objects;
    CBallPainter painter;
    std::vector<CVector3> balls;
    std::vector<std::unique_ptr<CParticleSystem>> particles;
    CSceneAnimation animation;
    std::vector<SBallPose> poses;
    RECT rc = {0, 0, static_cast<LONG>(WIDTH), static_cast<LONG>(HEIGHT)};
    DWORD dwTime = 0;
};

/// bAllCores: the device draws on its default threads, one per core; else on the caller alone.
bool SetUp(SFrame& f, benchmark::State& state, bool bAllCores)
{
    const char* szDir = std::getenv("VORN_GAME_DIR");
    if (szDir == nullptr)
    {
        state.SkipWithError("VORN_GAME_DIR is not set");
        return false;
    }
    g_astrArtworkLibraries.RemoveAll();
    for (const char* szLib : {"Imagery1.dll", "Imagery.dll"})
        g_astrArtworkLibraries.Add(CString(std::string(szDir) + "/" + szLib));
    f.pTarget =
        CDirectDrawSurface::Create(WIDTH, HEIGHT, MakeRgbPixelFormat(32), DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE);
    f.pDepth = CDirectDrawSurface::Create(WIDTH, HEIGHT, MakeZBufferPixelFormat(16), DDSCAPS_ZBUFFER);
    f.pTarget->AddAttachedSurface(f.pDepth);
    f.pDevice = std::make_unique<CDirect3DDevice>(f.pTarget);
    if (!bAllCores)
        f.pDevice->SetRenderThreads(1);
    f.pViewport = std::make_shared<CDirect3DViewport>();
    const D3DVIEWPORT2 vp = MakeFullViewport(WIDTH, HEIGHT);
    f.pViewport->SetViewport2(&vp);
    f.pDevice->AddViewport(f.pViewport);
    f.pDevice->SetCurrentViewport(f.pViewport);
    if (!BuildSceneObjects(*f.pDevice, f.objects))
    {
        state.SkipWithError("the game's scene did not load");
        return false;
    }
    const float fElevation = 15.0f * 3.14159265f / 180.0f;
    const CVector3 eye(0.0f, BED_Y + 136.0f * std::sin(fElevation), -136.0f * std::cos(fElevation));
    MatrixLookAt(g_matView, eye, CVector3(-eye.x, BED_Y - eye.y, -eye.z), CVector3(0, 1, 0));
    BuildProjection(0.4f, WIDTH, HEIGHT, f.pDevice.get());
    f.pDevice->SetTransform(D3DTRANSFORMSTATE_VIEW, &g_matView);
    f.pDevice->SetRenderState(D3DRENDERSTATE_ZENABLE, TRUE);

    const std::string tables = BuildTablesData();
    f.painter.SetTablesData(std::span(reinterpret_cast<const BYTE*>(tables.data()), tables.size()));
    f.painter.LoadBallTextures((std::string(szDir) + "/VornBall.dat").c_str(), "BALLS_STANDARD");
    f.painter.SetHighlight(95, 255.0);
    for (int row = 0; row < 5; ++row)
        for (int i = 0; i <= row; ++i)
            f.balls.emplace_back(static_cast<float>(2 * i - row) * BALL_R, BED_Y + BALL_R,
                                 22.0f + row * BALL_R * 1.74f);
    f.balls.emplace_back(0.0f, BED_Y + BALL_R, -22.0f);

    // A of 250, B of 50, C of 50, all emitting over the table and kept full.
    CrtSrand(1);
    f.particles.push_back(std::make_unique<CParticleSystemA>(250, "star.tga"));
    f.particles.push_back(std::make_unique<CParticleSystemB>(20, 50, "bubble.tga"));
    f.particles.push_back(std::make_unique<CParticleSystemC>(50, "bubble.tga"));
    for (auto& p : f.particles)
    {
        p->MoveTo(0.0f, BED_Y + 5.0f, 0.0f);
        p->MoveTo(0.0f, BED_Y + 5.0f, 0.0f);
        p->Emit(p->GetMaxParticles(), 0);
    }
    return true;
}

void TearDown()
{
    CLightTable::DeleteAll();
    DeleteAllTextures();
    g_astrArtworkLibraries.RemoveAll();
}

void DrawRoom(SFrame& f)
{
    f.pViewport->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
    f.pDevice->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
    f.pDevice->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
    DrawSceneObjects(*f.pDevice, *f.pViewport, f.objects);
}

void PaintBalls(SFrame& f)
{
    D3DMATRIX orientation;
    MatrixSetIdentity(orientation);
    DDSURFACEDESC2 desc;
    f.pTarget->Lock(nullptr, &desc, 0, nullptr);
    f.painter.SetViewChanged(TRUE);
    for (std::size_t k = f.balls.size(); k-- > 0;)
        f.painter.DrawBall(desc, f.rc,
                           ProjectBall(static_cast<int>(k), orientation, f.balls[k], CVector3(0, 1, 0), f.rc));
    f.pTarget->Unlock(nullptr);
}

void StepParticles(SFrame& f)
{
    f.dwTime += 16;
    f.pDevice->BeginScene();
    for (auto& p : f.particles)
    {
        p->Update(f.dwTime);
        p->Emit(p->GetMaxParticles(), f.dwTime);
        p->Render(*f.pDevice, g_matView);
    }
    f.pDevice->EndScene();
}

/// What the frame does besides drawing: the room's turning and flickering, the particles moved on
/// (kept full), the balls projected and ordered farthest first.
void AboveTheRasterizer(SFrame& f)
{
    f.animation.Animate(0.016f, SAnimationSettings{});
    f.dwTime += 16;
    for (auto& p : f.particles)
    {
        p->Update(f.dwTime);
        p->Emit(p->GetMaxParticles(), f.dwTime);
    }
    D3DMATRIX orientation;
    MatrixSetIdentity(orientation);
    f.poses.clear();
    for (std::size_t k = 0; k < f.balls.size(); ++k)
        f.poses.push_back(ProjectBall(static_cast<int>(k), orientation, f.balls[k], CVector3(0, 1, 0), f.rc));
    std::stable_sort(f.poses.begin(), f.poses.end(),
                     [](const SBallPose& a, const SBallPose& b) { return a.vScreen.z > b.vScreen.z; });
    benchmark::DoNotOptimize(f.poses.data());
}

template <void (*Stage)(SFrame&), bool ALL_CORES = false> void BM_Stage(benchmark::State& state)
{
    SFrame f;
    if (!SetUp(f, state, ALL_CORES))
        return;
    for (auto _ : state)
        Stage(f);
    TearDown();
}

void WholeFrame(SFrame& f)
{
    DrawRoom(f);
    StepParticles(f);
    PaintBalls(f);
}

BENCHMARK_TEMPLATE(BM_Stage, DrawRoom)->Name("BM_RoomAndTable")->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Stage, DrawRoom, true)
    ->Name("BM_RoomAndTableAllCores")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_TEMPLATE(BM_Stage, PaintBalls)->Name("BM_SixteenBallsPainted")->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Stage, StepParticles)->Name("BM_ParticlesSteppedAndDrawn")->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Stage, WholeFrame)->Name("BM_WholeFrame")->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Stage, AboveTheRasterizer)->Name("BM_AboveTheRasterizer")->Unit(benchmark::kMicrosecond);
} // namespace
