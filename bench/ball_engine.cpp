// The ball engines' costs: an 8-ball break at full stroke speed played to rest on the live table,
// the aiming aid's re-simulation of one aimed shot on its worker, and the disc table's build.
#include "tests/simulation/BallEngineScenes.h"

#include "simulation/DiscTable.h"

#include <benchmark/benchmark.h>

namespace
{
/// The live engine, counting its steps.
class CCountingEngine : public CBallEngineMain
{
public:
    void Step(double dMs) override
    {
        ++m_nSteps;
        CBallEngineMain::Step(dMs);
    }
    long long m_nSteps = 0;
};

/// Breaks an 8-ball rack at full stroke speed and plays it to rest, advancing by dwFrameMs per
/// call (as the frame tick does, each advance under its priority guard), or in one advance with 0.
void BreakToRest(benchmark::State& state, DWORD dwFrameMs)
{
    long long nSteps = 0;
    double dSimulatedS = 0.0;
    unsigned int nSeed = 1;
    for (auto _ : state)
    {
        state.PauseTiming();
        CCountingEngine engine;
        RackGame(engine, GAME_TYPE_8BALL, nSeed++);
        const float fDirection = DirectionTowards(engine, ApexBall(engine));
        state.ResumeTiming();
        engine.BeginShot(FULL_STROKE_SPEED_MPS, fDirection, 0.0f, 0.0f, 0.0f);
        int nFrames = 0;
        if (dwFrameMs != 0)
            nFrames = AdvanceToRest(engine);
        else
            engine.Advance(600000);
        benchmark::DoNotOptimize(nFrames);
        state.PauseTiming();
        // Simulated time: frames played, or for one advance the time until the last ball stopped,
        // which the frames of the same break tell.
        if (dwFrameMs == 0)
        {
            CBallEngineMain framed;
            RackGame(framed, GAME_TYPE_8BALL, nSeed - 1);
            framed.BeginShot(FULL_STROKE_SPEED_MPS, fDirection, 0.0f, 0.0f, 0.0f);
            nFrames = AdvanceToRest(framed);
        }
        state.ResumeTiming();
        dSimulatedS += nFrames * static_cast<double>(FRAME_MS) / 1000.0;
        nSteps += engine.m_nSteps;
    }
    const double dIterations = static_cast<double>(state.iterations());
    state.counters["steps"] = static_cast<double>(nSteps) / dIterations;
    state.counters["simulated_s"] = dSimulatedS / dIterations;
    // Simulated seconds per wall-clock second.
    state.counters["sim_s_per_s"] = benchmark::Counter(dSimulatedS, benchmark::Counter::kIsRate);
}

void BM_EightBallBreakToRest_Frames(benchmark::State& state) { BreakToRest(state, FRAME_MS); }
BENCHMARK(BM_EightBallBreakToRest_Frames)->Unit(benchmark::kMillisecond);

void BM_EightBallBreakToRest_OneAdvance(benchmark::State& state) { BreakToRest(state, 0); }
BENCHMARK(BM_EightBallBreakToRest_OneAdvance)->Unit(benchmark::kMillisecond);

void BM_AimingAidReSimulation(benchmark::State& state)
{
    CBallEngineMain live;
    RackGame(live, GAME_TYPE_8BALL, 1);
    const float fDirection = DirectionTowards(live, ApexBall(live));
    CBallEngineAux aid;
    aid.StartThread();
    for (auto _ : state)
    {
        aid.SyncFrom(live);
        aid.BeginShot(0.0f, fDirection, 0.0f, 0.0f, 0.0f);
        aid.WaitForPark(PARK_WAIT_MS * 10);
    }
    aid.Release();
}
BENCHMARK(BM_AimingAidReSimulation)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TablesDatBuild(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildTablesData());
}
BENCHMARK(BM_TablesDatBuild)->Unit(benchmark::kMillisecond);
} // namespace
