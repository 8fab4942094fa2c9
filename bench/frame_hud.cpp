// The main frame's heads-up display and widgets over a rendered 812 x 570 frame of the game's
// libraries, on SDL's dummy display: the panels of a game of 8-ball on screen (title, turn banner,
// both score panels, frame rate, a two-line message, the control bar, the top and paused panels).
// Each iteration first copies the rendered frame back (measured alone as the baseline), then
// paints the display's steps of the frame painter's plan.
#include "fixtures/BenchFrame.h"
#include "fixtures/HudPictures.h"

#include "app/FrameHud.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "platform/win32/Clock.h"
#include "render/D3DFramework.h"
#include "ui/GameWidgets.h"
#include "ui/TextMessages.h"

#include <benchmark/benchmark.h>

namespace
{
/// The display's steps: everything the painter draws after the 3-D scene.
SScenePlan OverlayPlan()
{
    SScenePlan plan;
    for (const ESceneStep step : {ESceneStep::PanelWidget, ESceneStep::Widgets, ESceneStep::FrameRate,
                                  ESceneStep::GamePanels, ESceneStep::TextMessage, ESceneStep::MatchTitle})
        plan.Add(step);
    return plan;
}

/// A started frame with the display's pictures, a game on screen and a copy of its rendered frame.
class CHudBench
{
public:
    CHudBench() : m_strLibrary(m_folder.File("Hud.dll")), m_frame(Libraries(m_strLibrary))
    {
        g_Settings.m_nFrameRate = 1;
        g_Settings.m_nScore = 1;
        g_Settings.m_nGameType = 8;
        g_Settings.m_nCompetitionType = 1;
    }
    ~CHudBench() { g_TextMessages.Clear(); }
    CHudBench(const CHudBench&) = delete;
    CHudBench& operator=(const CHudBench&) = delete;

    /// The frame with its game set up and its rendered picture kept; null (and the benchmark
    /// skipped) without one.
    CMainFrame* SetUp(benchmark::State& state)
    {
        CMainFrame* pFrame = m_frame.Frame(state);
        if (pFrame == nullptr)
            return nullptr;
        if (!g_controlBar.IsLoaded())
        {
            state.SkipWithError("the display's pictures did not load");
            return nullptr;
        }
        pFrame->GetGameFlow().CreateReferee(8);
        pFrame->GetGameFlow().Player1().GetNameRef() = "Ann";
        g_nGameMode = 0x20; // aiming
        g_pausedPanel.Show();
        RECT rcPanel;
        pFrame->GetPanelRect(rcPanel);
        g_TextMessages.AddText("Call The Shot: choose the pocket for the eight ball before you shoot, or the shot "
                               "does not count and the table passes to your opponent",
                               "", MESSAGE_FOREVER, 0);
        g_TextMessages.Update(timeGetTime(), rcPanel, 0);
        pFrame->Render3DFrame();
        const SurfacePtr& pBack = pFrame->GetFramework()->GetBackBuffer();
        DDSURFACEDESC2 desc{};
        pBack->GetSurfaceDesc(&desc);
        m_pRendered =
            CDirectDrawSurface::Create(desc.dwWidth, desc.dwHeight, desc.ddpfPixelFormat, DDSCAPS_OFFSCREENPLAIN);
        m_pRendered->BltFast(0, 0, pBack.get(), nullptr, DDBLTFAST_WAIT);
        return pFrame;
    }
    void CopyRendered(CMainFrame& frame) const
    {
        frame.GetFramework()->GetBackBuffer()->BltFast(0, 0, m_pRendered.get(), nullptr, DDBLTFAST_WAIT);
    }

private:
    std::vector<std::string> Libraries(const std::string& strLibrary)
    {
        std::string strError;
        if (!WriteHudPictureLibrary(strLibrary, strError))
            std::fprintf(stderr, "cannot write the display's pictures: %s\n", strError.c_str());
        return {strLibrary};
    }

    CTempFolder m_folder;
    std::string m_strLibrary;
    CBenchFrame m_frame;
    SurfacePtr m_pRendered;
};

void BM_FrameCopyOnly(benchmark::State& state)
{
    CHudBench bench;
    CMainFrame* pFrame = bench.SetUp(state);
    if (pFrame == nullptr)
        return;
    for (auto _ : state)
    {
        bench.CopyRendered(*pFrame);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FrameCopyOnly)->Unit(benchmark::kMicrosecond);

void BM_HudOverFrame(benchmark::State& state)
{
    CHudBench bench;
    CMainFrame* pFrame = bench.SetUp(state);
    if (pFrame == nullptr)
        return;
    const SScenePlan plan = OverlayPlan();
    for (auto _ : state)
    {
        bench.CopyRendered(*pFrame);
        pFrame->PaintScenePlan(plan, 3);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_HudOverFrame)->Unit(benchmark::kMicrosecond);
} // namespace
