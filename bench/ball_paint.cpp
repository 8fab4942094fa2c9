// The software ball painter on an 800 x 600 32-bit frame: one 64-pixel ball painted and copied,
// the same ball copied from its cached image, and the sixteen balls of a rack from the default
// camera (about 24 pixels each) projected and repainted as after every camera move.
#include "foundation/Matrix.h"
#include "render/BallPainter.h"
#include "render/Environment3D.h"
#include "simulation/DiscTable.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <vector>

namespace
{
constexpr DWORD WIDTH = 800, HEIGHT = 600;

struct SFrame
{
    SFrame() : pixels(static_cast<std::size_t>(WIDTH) * HEIGHT)
    {
        desc.dwWidth = WIDTH;
        desc.dwHeight = HEIGHT;
        desc.lPitch = WIDTH * 4;
        desc.lpSurface = pixels.data();
        desc.ddpfPixelFormat = MakeRgbPixelFormat(32);
    }
    std::vector<DWORD> pixels;
    DDSURFACEDESC2 desc;
    RECT rc = {0, 0, static_cast<LONG>(WIDTH), static_cast<LONG>(HEIGHT)};
};

CBallPainter& Painter()
{
    static CBallPainter s_painter;
    static const bool s_bLoaded = []
    {
        const std::string tables = BuildTablesData();
        s_painter.SetHighlight(95, 255.0);
        return s_painter.SetTablesData(std::span(reinterpret_cast<const BYTE*>(tables.data()), tables.size()));
    }();
    (void)s_bLoaded;
    return s_painter;
}

SBallPose Ball64()
{
    SBallPose pose;
    pose.nBall = 11;
    MatrixSetIdentity(pose.matOrientation);
    pose.vScreen = {400.3f, 300.6f, 0.5f};
    pose.vLight = {0.2f, -0.8f, 0.5f};
    pose.fSize = 64.0f;
    return pose;
}

void BM_PaintBall64(benchmark::State& state)
{
    SFrame frame;
    CBallPainter& painter = Painter();
    const SBallPose pose = Ball64();
    painter.SetViewChanged(TRUE);
    for (auto _ : state)
        painter.DrawBall(frame.desc, frame.rc, pose);
    painter.SetViewChanged(FALSE);
}
BENCHMARK(BM_PaintBall64)->Unit(benchmark::kMicrosecond);

void BM_CopyBall64(benchmark::State& state)
{
    SFrame frame;
    CBallPainter& painter = Painter();
    const SBallPose pose = Ball64();
    painter.SetViewChanged(FALSE);
    painter.DrawBall(frame.desc, frame.rc, pose);
    for (auto _ : state)
        painter.DrawBall(frame.desc, frame.rc, pose);
}
BENCHMARK(BM_CopyBall64)->Unit(benchmark::kMicrosecond);

void BM_RackProjectedAndPainted(benchmark::State& state)
{
    SFrame frame;
    CBallPainter& painter = Painter();
    const float fElevation = 15.0f * 3.14159265f / 180.0f;
    const CVector3 eye(0.0f, 26.0f + 136.0f * std::sin(fElevation), -136.0f * std::cos(fElevation));
    MatrixLookAt(g_matView, eye, CVector3(-eye.x, 26.0f - eye.y, -eye.z), CVector3(0, 1, 0));
    BuildProjection(0.4f, WIDTH, HEIGHT, nullptr);
    D3DMATRIX orientation;
    MatrixSetIdentity(orientation);
    std::vector<CVector3> centres;
    for (int row = 0; row < 5; ++row)
        for (int i = 0; i <= row; ++i)
            centres.emplace_back(static_cast<float>(2 * i - row) * 1.12f, 27.12f, 22.0f + row * 1.94f);
    centres.emplace_back(0.0f, 27.12f, -22.0f);
    painter.SetViewChanged(TRUE);
    for (auto _ : state)
        for (std::size_t k = centres.size(); k-- > 0;)
            painter.DrawBall(frame.desc, frame.rc,
                             ProjectBall(static_cast<int>(k), orientation, centres[k], CVector3(0, 1, 0), frame.rc));
    painter.SetViewChanged(FALSE);
}
BENCHMARK(BM_RackProjectedAndPainted)->Unit(benchmark::kMicrosecond);
} // namespace
