// A replay request with nothing recorded: the table is left alone, the camera flies back to the
// saved view on the test clock, or aiming resumes without one.
#include "app/Replay.h"

#include "foundation/GameModeWord.h"
#include "foundation/Settings.h"
#include "foundation/Stopwatch.h"
#include "platform/win32/Clock.h"

#include <gtest/gtest.h>

namespace
{
struct SHost : IReplayHost
{
    void SelectCueBall(int nFlags) override { nSelected = nFlags; }
    CViewRecord GetCurrentView() override
    {
        CViewRecord view;
        view.Set(0, 15, 100, 0, 26, 0, 0, 0, 0, 0, 0);
        return view;
    }
    void SetCameraFlight(std::unique_ptr<CViewTransition> p) override { pFlight = std::move(p); }
    void EnterMode(int n) override { nMode = n; }
    void ShowCue() override { bCueShown = true; }

    int nSelected = -1;
    std::unique_ptr<CViewTransition> pFlight;
    int nMode = 0;
    bool bCueShown = false;
};
} // namespace

TEST(Replay, FliesBackToTheSavedViewOrAims)
{
    CTestClockScope clock(5000);
    const DWORD dwSavedMode = g_nGameMode;
    g_nGameMode = 0x10000 | 0x80000 | gmSettingsPreview;
    g_Settings.m_nOverHeadView = 0;
    SHost host;
    CReplay replay(&host);
    CViewRecord saved;
    saved.Set(90, 30, 60, 1, 26, 2, 0, 0, 0, 0, 0);
    replay.SetSavedView(saved);
    replay.StartReplay(0);
    EXPECT_FALSE(replay.IsActive());
    EXPECT_EQ(replay.Tick(), 0);
    EXPECT_EQ(host.nSelected, 0);
    EXPECT_EQ(host.nMode, REPLAY_FLIGHT_MODE);
    EXPECT_TRUE(host.bCueShown);
    EXPECT_EQ(g_nGameMode & (0x10000 | 0x80000), 0u);
    ASSERT_NE(host.pFlight, nullptr);
    EXPECT_EQ(host.pFlight->GetNextMode(), REPLAY_FLIGHT_MODE);
    g_FrameStopwatch.Tick();
    for (int k = 0; k < 40 && !host.pFlight->IsDone(); ++k)
    {
        AdvanceTestClock(100);
        g_FrameStopwatch.Tick();
        host.pFlight->Update(nullptr);
    }
    EXPECT_TRUE(host.pFlight->IsDone());
    EXPECT_FLOAT_EQ(host.pFlight->GetCurrentCamera().z, 60.0f);
    EXPECT_FLOAT_EQ(host.pFlight->GetCurrentViewPoint().z, 2.0f);

    // Without a saved view: straight back to aiming, no flight.
    SHost plain;
    CReplay noView(&plain);
    noView.StartReplay(0);
    EXPECT_EQ(plain.nMode, REPLAY_AIM_MODE);
    EXPECT_EQ(plain.pFlight, nullptr);
    noView.Reset();
    EXPECT_EQ(noView.GetReturnMode(), REPLAY_AIM_MODE);
    g_nGameMode = dwSavedMode;
}
