// Time the computer player needs to plan one shot, by game and skill level, on a fixed set of
// random layouts (seeded): 8-ball (open table, 16 balls), 9-ball (10 balls, on the lowest),
// pyramid (16 balls). The search's budget is 4000 ms; it should stay far below it.
// BM_SuccessRate plays each planned shot (aim plus the level's deviation) on the live engine and
// counts how often a legal object ball drops while the cue ball stays on the table.
#include "platform/win32/CrtRandom.h"
#include "simulation/BallEngine.h"
#include "simulation/CueBall.h"
#include "simulation/PhysicsConstants.h"
#include "simulation/Referee.h"
#include "simulation/ShotInfo.h"
#include "simulation/ShotPlanner.h"
#include "simulation/ShotTable.h"

#include <benchmark/benchmark.h>
#include <random>
#include <vector>

namespace
{
constexpr int LAYOUT_COUNT = 32;

struct SGame
{
    int nGameType;
    int nBalls;  // balls of the rack, cue ball included
    int nTarget; // -1 open; 0 the lowest ball on the table
};
constexpr SGame GAMES[] = {{GAME_8BALL, 16, -1}, {GAME_9BALL, 10, 0}, {GAME_PYRAMID, 16, -1}};

/// Balls 0 to nBalls - 1 scattered over the bed without overlaps; a few object balls pocketed.
CShotTable MakeLayout(std::mt19937& rng, int nBalls)
{
    CShotTable t;
    std::uniform_real_distribution<float> ux(BALL_RADIUS_M, TABLE_WIDTH_M - BALL_RADIUS_M);
    std::uniform_real_distribution<float> uy(BALL_RADIUS_M, TABLE_LENGTH_M - BALL_RADIUS_M);
    std::uniform_int_distribution<int> pocketed(0, 3);
    std::vector<CVector3> placed;
    for (int n = 0; n < nBalls; ++n)
    {
        if (n > 0 && pocketed(rng) == 0)
        {
            t.SetPocketed(n);
            continue;
        }
        for (int nTry = 0; nTry < 500; ++nTry)
        {
            const CVector3 v(ux(rng), uy(rng), 0.0f);
            BOOL bFree = !t.IsPlacementBlocked(v);
            for (const CVector3& p : placed)
                bFree = bFree && p.Distance(v) > 2.0 * BALL_RADIUS_M;
            if (bFree)
            {
                placed.push_back(v);
                t.SetBall(n, v.x, v.y);
                break;
            }
        }
    }
    return t;
}

const std::vector<CShotTable>& Layouts(int nGame)
{
    static std::vector<CShotTable> s_aLayouts[std::size(GAMES)];
    std::vector<CShotTable>& v = s_aLayouts[nGame];
    if (v.empty())
    {
        std::mt19937 rng(1234u + static_cast<unsigned>(nGame));
        for (int i = 0; i < LAYOUT_COUNT; ++i)
            v.push_back(MakeLayout(rng, GAMES[nGame].nBalls));
    }
    return v;
}

int TargetOf(const SGame& g, const CShotTable& t)
{
    if (g.nTarget != 0)
        return g.nTarget;
    for (int n = 1; n < SHOT_BALL_COUNT; ++n)
    {
        if (t.IsOnTable(n))
            return n;
    }
    return -1;
}

void BM_PlanShot(benchmark::State& state)
{
    const int nGame = static_cast<int>(state.range(0));
    const int nLevel = static_cast<int>(state.range(1));
    const SGame& g = GAMES[nGame];
    const std::vector<CShotTable>& layouts = Layouts(nGame);
    CrtSrand(1);
    std::size_t i = 0;
    double dCandidates = 0.0;
    for (auto _ : state)
    {
        const CShotTable& t = layouts[i % layouts.size()];
        const std::unique_ptr<CShotPlanner> p = CreateShotPlanner({g.nGameType, nLevel, TRUE, TargetOf(g, t), FALSE});
        p->Plan(t);
        CShotInfo shot;
        benchmark::DoNotOptimize(p->GetShot(shot, TRUE));
        dCandidates += static_cast<double>(p->GetCandidates().size());
        ++i;
    }
    state.counters["candidates"] = dCandidates / static_cast<double>(i);
    state.SetLabel(g.nGameType == GAME_8BALL ? "8-ball" : g.nGameType == GAME_9BALL ? "9-ball" : "pyramid");
}
BENCHMARK(BM_PlanShot)->ArgsProduct({{0, 1, 2}, {1, 5, 9}})->ArgNames({"game", "level"})->Unit(benchmark::kMillisecond);

/// Stroke speed of the played shots. Metres per second (a firm shot; the game flow chooses its own).
constexpr float SHOT_SPEED_MPS = 3.5f;
/// The played shot is followed in steps of this many milliseconds, for at most SHOT_MAX_MS.
constexpr DWORD SHOT_STEP_MS = 10;
constexpr DWORD SHOT_MAX_MS = 30000;

/// Whether pocketing ball n counts for the game's shooter (8-ball open table: not the 8).
BOOL IsLegalBall(const SGame& g, int n) { return n > 0 && !(g.nGameType == GAME_8BALL && n == 8); }

/// Plays the shot on a live table laid out like t; TRUE when a legal object ball dropped and the
/// cue ball did not.
BOOL PlaysIn(const SGame& g, const CShotTable& t, const CShotInfo& shot)
{
    CBallEngineMain engine;
    for (int n = 0; n < SHOT_BALL_COUNT; ++n)
    {
        if (t.IsOnTable(n))
        {
            engine.AddBall(n);
            engine.SetBallPosition(n, t.GetPos(n).x, t.GetPos(n).y);
        }
    }
    SetCueBallNumber(shot.m_nCueBall);
    engine.BeginShot(SHOT_SPEED_MPS, static_cast<float>(shot.m_dAim + shot.m_dDeviation), 0.0f, 0.0f, 0.0f);
    for (DWORD dwMs = 0; dwMs < SHOT_MAX_MS && !engine.AllBallsStopped(); dwMs += SHOT_STEP_MS)
        engine.Advance(SHOT_STEP_MS);
    SetCueBallNumber(0);
    if (engine.AskBall(shot.m_nCueBall))
        return FALSE;
    for (int n = 0; n < SHOT_BALL_COUNT; ++n)
    {
        if (n != shot.m_nCueBall && t.IsOnTable(n) && engine.AskBall(n) && IsLegalBall(g, n))
            return TRUE;
    }
    return FALSE;
}

void BM_SuccessRate(benchmark::State& state)
{
    const int nGame = static_cast<int>(state.range(0));
    const int nLevel = static_cast<int>(state.range(1));
    const SGame& g = GAMES[nGame];
    const std::vector<CShotTable>& layouts = Layouts(nGame);
    int nShots = 0, nIn = 0;
    for (auto _ : state)
    {
        CrtSrand(1);
        for (const CShotTable& t : layouts)
        {
            const std::unique_ptr<CShotPlanner> p =
                CreateShotPlanner({g.nGameType, nLevel, TRUE, TargetOf(g, t), FALSE});
            p->Plan(t);
            CShotInfo shot;
            if (!p->GetShot(shot, TRUE))
                continue;
            ++nShots;
            nIn += PlaysIn(g, t, shot) ? 1 : 0;
        }
    }
    state.counters["success"] = nShots > 0 ? static_cast<double>(nIn) / nShots : 0.0;
    state.counters["shots"] = nShots;
    state.SetLabel(g.nGameType == GAME_8BALL ? "8-ball" : g.nGameType == GAME_9BALL ? "9-ball" : "pyramid");
}
BENCHMARK(BM_SuccessRate)
    ->ArgsProduct({{0, 1, 2}, {1, 5, 9}})
    ->ArgNames({"game", "level"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
} // namespace
