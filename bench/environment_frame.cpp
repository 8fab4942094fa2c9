// The game's whole frame as the main frame draws it each tick, full screen at 800 x 600 and at
// 1920 x 1080 in 32 bits, on one core and on every core: the room and the table of the game's art
// seen from behind the cue ball of an eight-ball rack as a player aims (the aim turned a little
// each frame, so the balls are painted again), the sixteen painted balls, a burst of stars over a
// far pocket, the heads-up display's panels and the hand-over to the display. The clock stands
// still, so every frame of a view is the same one.
//
// One core is the process held to one processor, every thread with it; every core is the
// processors the process may use. Reported: the whole frame (the timed loop, and its best frame),
// the processor time of every thread of the process per frame, the pixels drawn by the rasterizer
// per pixel of the screen, and each stage drawn alone, best of its runs, with its share of their
// sum: the room and table, the balls, the particles, the heads-up display and the hand-over to the
// display (the frame converted for it). And a hash of the frame shown, which the number of cores
// never changes.
#include "fixtures/BenchFrame.h"

#include "gameflow/GameFlow.h"
#include "platform/dx/Device.h"
#include "platform/win32/Clock.h"
#include "platform/win32/CrtRandom.h"
#include "render/Environment3D.h"
#include "render/TableSpace.h"
#include "simulation/Ball.h"
#include "simulation/BallEngine.h"
#include "ui/SceneOrder.h"
#include "ui/TextMessages.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>
#include <sched.h>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

/// The aiming game's modes and the far corner pockets the stars burst over.
constexpr DWORD MODE_AIMING = 0x20;
constexpr int FAR_POCKETS[] = {3, 5};
/// The two aims a frame alternates between, degrees of the camera's heading.
constexpr float AIM_YAWS[] = {180.0f, 181.0f};

SScenePlan MakePlan(std::initializer_list<ESceneStep> steps)
{
    SScenePlan plan;
    for (const ESceneStep step : steps)
        plan.Add(step);
    return plan;
}

/// A started game on a screen of the benchmark's size, ready to draw frames.
class CGameFrame
{
public:
    CGameFrame(benchmark::State& state, LONG nWidth, LONG nHeight)
        : m_clock(5000), m_bench(SBenchScreen{nWidth, nHeight, 32}, 8), m_pFrame(m_bench.Frame(state))
    {
        if (m_pFrame == nullptr)
            return;
        g_IntroSequence.Finish(); // the game rests past the intro
        CGameFlow& flow = m_pFrame->GetGameFlow();
        flow.CreateReferee(8);
        flow.Player1().GetNameRef() = "Ann";
        flow.Player2().GetNameRef() = "Bob";
        g_nGameMode = MODE_AIMING;
        g_Settings.m_nFrameRate = 1;
        g_Settings.m_nScore = 1;
        g_Settings.m_nParticles = 3;
        RECT rcPanel;
        m_pFrame->GetPanelRect(rcPanel);
        g_TextMessages.AddText("Ann to play", "", MESSAGE_FOREVER, 0);
        g_TextMessages.Update(timeGetTime(), rcPanel, 0);
        for (const int nPocket : FAR_POCKETS)
            m_pFrame->StartPocketEffect(9, nPocket);
        if (const CBall* pCue = g_BallEngineMain.FindBall(0))
            m_vCueBall = TableToScene(*pCue->GetPosition());
        FirstView();
    }
    ~CGameFrame()
    {
        g_TextMessages.Clear();
        g_nGameMode = 0;
    }
    CGameFrame(const CGameFrame&) = delete;
    CGameFrame& operator=(const CGameFrame&) = delete;

    CMainFrame* Frame() const { return m_pFrame; }
    CDirect3DDevice& Device() const { return *m_pFrame->GetFramework()->GetD3DDevice(); }

    /// The next aim's camera, as the player turns it.
    void NextView()
    {
        m_nView = (m_nView + 1) % std::size(AIM_YAWS);
        PlaceCamera();
    }
    /// The first aim's camera.
    void FirstView()
    {
        m_nView = 0;
        PlaceCamera();
    }

    /// The tick's whole frame, the lamps flickering the same way each time; false when the frame
    /// did not draw.
    bool WholeFrame()
    {
        CrtSrand(11);
        return m_pFrame->OnFrame() != FALSE;
    }
    /// Some steps of the frame painter alone in a scene (the view changed, so balls are painted),
    /// over the frame cleared first as each frame is, or as the last steps left it.
    void Steps(const SScenePlan& plan, bool bClear = false)
    {
        CDirect3DDevice& device = Device();
        if (bClear)
            m_pFrame->GetFramework()->GetViewport()->Clear2(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        device.BeginScene();
        device.SetTransform(D3DTRANSFORMSTATE_VIEW, &g_matView);
        m_pFrame->PaintScenePlan(plan, 0);
        device.EndScene();
        device.TakePixelsDrawn(); // the scene's queued drawing done within the stage
    }
    void Present() { m_pFrame->GetFramework()->ShowFrame(); }
    /// FNV-1a of the frame the display shows.
    std::uint64_t ShownHash() const
    {
        std::vector<DWORD> aPixels;
        int w = 0, h = 0;
        if (!ReadWindowPixels(m_bench.Window(), aPixels, &w, &h))
            return 0;
        std::uint64_t nHash = 14695981039346656037ull;
        for (const DWORD dw : aPixels)
            nHash = (nHash ^ (dw & 0xFFFFFFu)) * 1099511628211ull;
        return nHash;
    }

private:
    /// Behind the cue ball at the aim's heading, on the aiming orbit's default pitch and distance.
    void PlaceCamera()
    {
        SFlowCamera& camera = m_pFrame->GetGameFlow().Camera();
        camera = SFlowCamera{};
        camera.fYaw = AIM_YAWS[m_nView];
        camera.vLookAt = m_vCueBall;
        camera.Place();
    }

    CTestClockScope m_clock;
    CBenchFrame m_bench;
    CMainFrame* m_pFrame;
    CVector3 m_vCueBall{0.0f, SCENE_BED_HEIGHT, -22.0f};
    std::size_t m_nView = 0;
};

/// Holds the process, and every thread it starts, to its first allowed processor while it lives.
class COneCore
{
public:
    COneCore()
    {
        sched_getaffinity(0, sizeof m_allowed, &m_allowed);
        cpu_set_t one;
        CPU_ZERO(&one);
        for (int i = 0; i < CPU_SETSIZE; ++i)
            if (CPU_ISSET(i, &m_allowed))
            {
                CPU_SET(i, &one);
                break;
            }
        sched_setaffinity(0, sizeof one, &one);
    }
    ~COneCore() { sched_setaffinity(0, sizeof m_allowed, &m_allowed); }
    COneCore(const COneCore&) = delete;
    COneCore& operator=(const COneCore&) = delete;

private:
    cpu_set_t m_allowed;
};

/// The best of nRuns runs of a stage, milliseconds.
double BestMs(int nRuns, const std::function<void()>& fnStage)
{
    double dBest = 1e9;
    for (int i = 0; i < nRuns; ++i)
    {
        const auto start = Clock::now();
        fnStage();
        dBest = std::min(dBest, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return dBest;
}

/// Arguments: the screen's width and height, and the cores (1, or 0: every core).
void BM_GameFrame(benchmark::State& state)
{
    std::optional<COneCore> oneCore;
    if (state.range(2) == 1)
        oneCore.emplace();
    CGameFrame game(state, static_cast<LONG>(state.range(0)), static_cast<LONG>(state.range(1)));
    if (game.Frame() == nullptr)
        return;
    if (!game.WholeFrame())
    {
        state.SkipWithError("the frame did not draw");
        return;
    }
    game.Device().TakePixelsDrawn();
    double dBestFrame = 1e9;
    const std::clock_t cpuStart = std::clock(); // processor time of every thread of the process
    for (auto _ : state)
    {
        const auto start = Clock::now();
        game.NextView();
        game.WholeFrame();
        dBestFrame = std::min(dBestFrame, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    const double dCpuMs = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC /
                          static_cast<double>(state.iterations());
    state.counters["overdraw"] = static_cast<double>(game.Device().TakePixelsDrawn()) /
                                 static_cast<double>(state.iterations()) /
                                 static_cast<double>(state.range(0) * state.range(1));
    game.FirstView();
    game.WholeFrame();
    char szHash[32];
    std::snprintf(szHash, sizeof szHash, "frame %016llx", static_cast<unsigned long long>(game.ShownHash()));
    state.SetLabel(szHash);

    using enum ESceneStep;
    const SScenePlan room = MakePlan({Background, FarSides, NearSides, Foreground});
    const SScenePlan balls = MakePlan({BallsInside, BallsInJaws, PocketedBalls});
    const SScenePlan effects = MakePlan({Effects});
    const SScenePlan hud =
        MakePlan({BallLabel, AimingPaths, PanelWidget, Widgets, FrameRate, GamePanels, TextMessage, MatchTitle});
    const int nRuns = static_cast<int>(std::clamp<benchmark::IterationCount>(state.iterations(), 5, 200));
    struct SStage
    {
        const char* szName;
        double dMs;
    };
    const SStage aStages[] = {
        {"room_ms", BestMs(nRuns, [&] { game.Steps(room, true); })},
        {"balls_ms", BestMs(nRuns, [&] { game.Steps(balls); })},
        {"particles_ms", BestMs(nRuns, [&] { game.Steps(effects); })},
        {"hud_ms", BestMs(nRuns, [&] { game.Steps(hud); })},
        {"present_ms", BestMs(nRuns, [&] { game.Present(); })},
    };
    double dSum = 0;
    for (const SStage& stage : aStages)
        dSum += stage.dMs;
    for (const SStage& stage : aStages)
    {
        state.counters[stage.szName] = stage.dMs;
        std::string strShare = stage.szName;
        strShare.replace(strShare.size() - 3, 3, "_%");
        state.counters[strShare] = 100.0 * stage.dMs / dSum;
    }
    state.counters["best_frame_ms"] = dBestFrame;
    state.counters["all_threads_ms"] = dCpuMs;
}
BENCHMARK(BM_GameFrame)
    ->ArgNames({"width", "height", "cores"})
    ->Args({800, 600, 1})
    ->Args({800, 600, 0})
    ->Args({1920, 1080, 1})
    ->Args({1920, 1080, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
} // namespace
