// Whole 8-ball games, computer against computer, through the game flow without a window or frames:
// games per second on one core, ticks and shots per game, and where the time goes (the computer's
// planner, the live engine, and the rest of the flow).
#include "tests/fixtures/HeadlessGame.h"

#include "platform/win32/Priority.h"
#include "simulation/PhysicsCoefficients.h"

#include <benchmark/benchmark.h>
#include <chrono>

namespace
{
constexpr int TICK_CAP = 400000;

void BM_EightBallGames(benchmark::State& state)
{
    g_PhysicsCoefficients.Reset();
    // As an ordinary user runs the game: the system refuses the live table's raised priority once,
    // and no frame asks again. (Run with the privilege to raise it, each frame's raise and
    // restore are four system calls, which at 60 frames a second cost nothing but here, with a
    // game's eleven thousand frames played in a few milliseconds, would be most of what is timed.)
    SetPriorityRaiseLimitForTest(0);
    CHeadlessGame game;
    unsigned nSeed = 1;
    double dTicks = 0.0, dShots = 0.0, dGames = 0.0, dOver = 0.0;
    long long nTotalNs = 0;
    const long long nPlannerBefore = game.Flow().GetPlannerNs();
    const long long nEngineBefore = game.Flow().GetEngineNs();
    for (auto _ : state)
    {
        const auto start = std::chrono::steady_clock::now();
        const CHeadlessGame::SResult result = game.Play(8, nSeed++, TICK_CAP);
        nTotalNs +=
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
        dTicks += result.nTicks;
        dShots += result.nShots;
        dOver += result.bOver ? 1.0 : 0.0;
        dGames += 1.0;
    }
    const double dPlannerMs = static_cast<double>(game.Flow().GetPlannerNs() - nPlannerBefore) / 1e6;
    const double dEngineMs = static_cast<double>(game.Flow().GetEngineNs() - nEngineBefore) / 1e6;
    const double dTotalMs = static_cast<double>(nTotalNs) / 1e6;
    state.counters["games_per_s"] = benchmark::Counter(dGames, benchmark::Counter::kIsRate);
    state.counters["ticks_per_game"] = dTicks / dGames;
    state.counters["shots_per_game"] = dShots / dGames;
    state.counters["games_ended"] = dOver / dGames;
    state.counters["planner_ms_per_game"] = dPlannerMs / dGames;
    state.counters["engine_ms_per_game"] = dEngineMs / dGames;
    state.counters["flow_ms_per_game"] = (dTotalMs - dPlannerMs - dEngineMs) / dGames;
    SetPriorityRaiseLimitForTest(-1);
}
BENCHMARK(BM_EightBallGames)->Unit(benchmark::kMillisecond)->MinTime(3.0);
} // namespace
