// Cost of the ball simulation: one ball and a sixteen-ball break stepped to rest in frame-sized
// chunks (steps per second of simulation work), and the cost of one Move and one Collide.
// Run with --benchmark_format=csv to keep a per-machine table.
#include "tests/simulation/BallTable.h"

#include "simulation/Ball.h"

#include <benchmark/benchmark.h>

namespace
{
/// The frame tick hands the live table about 16 ms at a time.
constexpr double FRAME_MS = 16.0;

void ReportSteps(benchmark::State& state, std::int64_t nSteps)
{
    state.counters["steps_per_s"] = benchmark::Counter(static_cast<double>(nSteps), benchmark::Counter::kIsRate);
    state.counters["steps_per_shot"] =
        benchmark::Counter(static_cast<double>(nSteps), benchmark::Counter::kAvgIterations);
}

/// Plays the scene to rest in frame-sized chunks, once per iteration.
void StepSceneToRest(benchmark::State& state, void (*pMakeScene)(CTestTable&))
{
    std::int64_t nSteps = 0;
    for (auto _ : state)
    {
        CTestTable table;
        pMakeScene(table);
        table.RunToRest(FRAME_MS);
        nSteps += table.m_nSteps;
    }
    ReportSteps(state, nSteps);
}

void BM_OneBallToRest(benchmark::State& state) { StepSceneToRest(state, MakeLoneBankShot); }
BENCHMARK(BM_OneBallToRest)->Unit(benchmark::kMicrosecond);

void BM_SixteenBallsToRest(benchmark::State& state) { StepSceneToRest(state, MakeBreakShot); }
BENCHMARK(BM_SixteenBallsToRest)->Unit(benchmark::kMicrosecond);

void BM_Move(benchmark::State& state)
{
    CBall ball(1, 0.0f, 0.0f);
    ball.SetPocketed(FALSE, FALSE, -1);
    std::size_t i = 0;
    for (auto _ : state)
    {
        // Back to the start now and then, so the ball keeps rolling on the bed.
        if ((i++ & 255) == 0)
        {
            ball.SetPositionXYZ(0.5f, 0.2f, 0.0f);
            ball.SetVelocity(CVector3(0.3f, 2.0f, 0.0f));
        }
        ball.Move(1.0);
        benchmark::DoNotOptimize(ball.GetPosition()->y);
    }
}
BENCHMARK(BM_Move);

void BM_Collide(benchmark::State& state)
{
    CBall a(1, 0.5f, 1.0f);
    CBall b(2, 0.52f, 1.0f + 0.05f);
    for (auto _ : state)
    {
        a.SetVelocity(CVector3(0.1f, 2.0f, 0.0f));
        b.SetVelocity(CVector3(0.0f, 0.0f, 0.0f));
        a.Collide(b);
        benchmark::DoNotOptimize(b.GetVelocity().y);
    }
}
BENCHMARK(BM_Collide);

void BM_SafeTimeStepOfSixteenBalls(benchmark::State& state)
{
    CTestTable table;
    MakeBreakShot(table);
    for (auto _ : state)
        benchmark::DoNotOptimize(table.GetMaxStep());
}
BENCHMARK(BM_SafeTimeStepOfSixteenBalls);
} // namespace
