// A replay request with nothing recorded: the table is left alone, the camera flies back to the
// saved view on the test clock, or aiming resumes without one; on the object, and through the
// main frame's replay command on a started game.
#include "app/Replay.h"

#include "tests/app/AppFolder.h"
#include "tests/app/FrameScope.h"

#include "app/CommandRules.h"
#include "app/MainFrame.h"
#include "foundation/GameModeWord.h"
#include "foundation/Settings.h"
#include "foundation/Stopwatch.h"
#include "gameflow/GameFlow.h"
#include "platform/win32/Clock.h"
#include "simulation/Ball.h"
#include "simulation/BallEngine.h"

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

namespace
{
/// Where the engine has each ball, and which balls the flow keeps on the table.
struct STable
{
    std::vector<std::pair<int, CVector3>> balls;
    WORD wOnTable = 0;
    bool operator==(const STable& other) const
    {
        if (wOnTable != other.wOnTable || balls.size() != other.balls.size())
            return false;
        for (std::size_t i = 0; i < balls.size(); ++i)
            if (balls[i].first != other.balls[i].first || (balls[i].second - other.balls[i].second).LengthSq() != 0.0f)
                return false;
        return true;
    }
};
STable TableOf(CMainFrame& frame)
{
    STable table;
    for (int n = 0; n < 16; ++n)
        if (const CBall* pBall = g_BallEngineMain.FindBall(n))
            table.balls.emplace_back(n, *pBall->GetPosition());
    table.wOnTable = frame.GetGameFlow().GetOnTableMask();
    return table;
}

TEST(FrameReplayTest, TheReplayCommandLeavesTheTableAndFliesBackToTheSavedViewOrAims)
{
    CTestClockScope clock(5000);
    const CAppFolder app;
    app.AddArtworkLibrary();
    g_Settings.SetDefaults();
    g_Settings.m_nPlayerLevel1 = g_Settings.m_nPlayerLevel2 = 0; // the command is for two people
    ASSERT_TRUE(StartDisplay());
    const CDisplayAdapterScope restoreAdapter(LoadDisplayAdapter());
    ASSERT_NE(nullptr, InstallSystemDisplayAdapter());
    CFrameScope scope(true);
    ASSERT_TRUE(scope.m_bCreated);
    CMainFrame& frame = *scope.m_pFrame;
    ASSERT_TRUE(frame.IsGameStarted());
    g_IntroSequence.Finish(); // the game goes on past the intro
    CViewRecord saved;
    saved.Set(120.0f, 340.0f, 90.0f, 5.0f, 26.0f, -10.0f, 0, 0, 120.0f, 0, 0);
    struct SCase
    {
        const char* szName;
        bool bSavedView;
    };
    for (const SCase& c : {SCase{"no saved view: aiming", false}, SCase{"back to the saved view", true}})
    {
        SCOPED_TRACE(c.szName);
        frame.GetGameFlow().SetGameMode(modeAim);
        ASSERT_TRUE(frame.OnFrame());
        frame.GetReplay().SetSavedView(c.bSavedView ? saved : CViewRecord());
        const STable before = TableOf(frame);
        SendMessage(scope.m_hWnd, WM_COMMAND, ID_REPLAY, 0);
        EXPECT_FALSE(frame.GetReplay().IsActive());
        EXPECT_TRUE(before == TableOf(frame)) << "the table is as it was";
        if (!c.bSavedView)
        {
            EXPECT_EQ(modeAim, g_nGameMode & MODE_FIELD);
            continue;
        }
        EXPECT_EQ(modeCameraFlight, g_nGameMode & MODE_FIELD);
        for (int k = 0; k < 100 && (g_nGameMode & MODE_FIELD) == modeCameraFlight; ++k)
        {
            clock.Advance(50);
            ASSERT_TRUE(frame.OnFrame());
        }
        EXPECT_EQ(modeAim, g_nGameMode & MODE_FIELD) << "the flight ends in aiming";
        // The flight landed on the saved view; aiming then looks at the cue ball from there.
        const CViewTransition* pFlight = frame.GetGameFlow().GetFlight();
        ASSERT_NE(nullptr, pFlight);
        EXPECT_TRUE(pFlight->IsDone());
        EXPECT_LT((saved.m_vViewPoint - pFlight->GetCurrentViewPoint()).LengthSq(), 1e-4f);
        EXPECT_LT((saved.m_vCamera - frame.GetGameFlow().GetCurrentView().m_vCamera).LengthSq(), 1e-4f);
        EXPECT_TRUE(before == TableOf(frame));
    }
    g_nGameMode = 0;
    g_Settings.SetDefaults();
}
} // namespace
