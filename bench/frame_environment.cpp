// The main frame's 3-D environment with the game's libraries on SDL's dummy display, the window at
// its 812 x 570: rebuilding the environment (the framework, the device objects, the textures
// restored, the sprite effects), and one tick's frame (the scene's animation, the room and table,
// the painted rack, the hand-over to the display) on one rasterizer thread and on the default.
#include "fixtures/BenchFrame.h"

#include "platform/dx/Device.h"
#include "render/D3DFramework.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>

namespace
{
void BM_EnvironmentChange(benchmark::State& state)
{
    const CBenchFrame bench;
    CMainFrame* pFrame = bench.Frame(state);
    if (pFrame == nullptr)
        return;
    for (auto _ : state)
        benchmark::DoNotOptimize(pFrame->Change3DEnvironment(bench.Window()));
}
BENCHMARK(BM_EnvironmentChange)->Unit(benchmark::kMillisecond);

/// Argument: the rasterizer's threads (0: its default).
void BM_FrameTick(benchmark::State& state)
{
    const CBenchFrame bench;
    CMainFrame* pFrame = bench.Frame(state);
    if (pFrame == nullptr)
        return;
    if (state.range(0) > 0)
        pFrame->GetFramework()->GetD3DDevice()->SetRenderThreads(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(pFrame->Render3DFrame());
}
BENCHMARK(BM_FrameTick)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
} // namespace
