// A replay request with nothing recorded: the table is left alone, the camera flies back to the
// saved view on the test clock and the game goes on in the mode the replay was asked in, at once
// without a view; on the object, and through the main frame's replay command on a started game,
// which finishes a call being made first.
#include "app/Replay.h"

#include "tests/app/AppFolder.h"
#include "tests/app/FrameScope.h"

#include "app/CommandRules.h"
#include "app/MainFrame.h"
#include "foundation/GameModeWord.h"
#include "foundation/Settings.h"
#include "foundation/Stopwatch.h"
#include "gameflow/CallShotState.h"
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

TEST(Replay, FliesBackToTheSavedViewIntoTheModeItWasAskedIn)
{
    CTestClockScope clock(5000);
    const DWORD dwSavedMode = g_nGameMode;
    g_Settings.m_nOverHeadView = 0;
    CViewRecord saved;
    saved.Set(90, 30, 60, 1, 26, 2, 0, 0, 0, 0, 0);
    struct SCase
    {
        const char* szName;
        bool bSavedView;
        int nAskedIn;
        int nEntered;  // the mode entered at once
        int nNextMode; // the flight's end's, when there is a flight
    };
    const SCase aCases[] = {
        {"aiming, back to the saved view", true, 0x20, REPLAY_FLIGHT_MODE, 0x20},
        {"ball in hand, back to the saved view", true, 0x2000, REPLAY_FLIGHT_MODE, 0x2000},
        {"aiming, no saved view: aiming at once", false, 0x20, 0x20, 0},
        {"ball in hand, no saved view: in hand at once", false, 0x2000, 0x2000, 0},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_nGameMode = 0x10000 | 0x80000 | gmSettingsPreview;
        SHost host;
        CReplay replay(&host);
        if (c.bSavedView)
            replay.SetSavedView(saved);
        replay.StartReplay(c.nAskedIn);
        EXPECT_FALSE(replay.IsActive());
        EXPECT_EQ(replay.Tick(), 0);
        EXPECT_EQ(host.nSelected, 0);
        EXPECT_EQ(host.nMode, c.nEntered);
        EXPECT_TRUE(host.bCueShown);
        EXPECT_EQ(g_nGameMode & (0x10000 | 0x80000), 0u);
        EXPECT_EQ(replay.GetReturnMode(), REPLAY_AIM_MODE) << "aiming, for the next replay";
        if (!c.bSavedView)
        {
            EXPECT_EQ(host.pFlight, nullptr);
            continue;
        }
        ASSERT_NE(host.pFlight, nullptr);
        EXPECT_EQ(host.pFlight->GetNextMode(), c.nNextMode);
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
    }
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

TEST(FrameReplayTest, TheReplayCommandLeavesTheTableAndGoesOnFromTheViewAndTheModeItWasGivenIn)
{
    CTestClockScope clock(5000);
    const CAppFolder app;
    app.AddArtworkLibrary();
    g_Settings.SetDefaults();
    g_Settings.m_nPlayerLevel1 = g_Settings.m_nPlayerLevel2 = 0; // the command is for two people
    g_Settings.m_nGameType = GAME_8BALL;
    ASSERT_TRUE(StartDisplay());
    const CDisplayAdapterScope restoreAdapter(LoadDisplayAdapter());
    ASSERT_NE(nullptr, InstallSystemDisplayAdapter());
    CFrameScope scope(true);
    ASSERT_TRUE(scope.m_bCreated);
    CMainFrame& frame = *scope.m_pFrame;
    ASSERT_TRUE(frame.IsGameStarted());
    g_IntroSequence.Finish(); // the game goes on past the intro
    CGameFlow& flow = frame.GetGameFlow();
    struct SCase
    {
        const char* szName;
        DWORD dwMode;     // the mode the command is given in
        DWORD dwGoesOnIn; // the mode after the flight back
    };
    const SCase aCases[] = {
        {"aiming", modeAim, modeAim},
        {"ball in hand", modeBallInHand, modeBallInHand},
        {"calling the shot: the call is made first", modeCallShot, modeAim},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        flow.SetFlight(nullptr);
        g_nGameMode = 0;
        if (c.dwMode == modeCallShot)
        {
            frame.PostFlowMessage(FLOW_MSG_CALL_SHOT, GAME_8BALL, modeAim);
            Pump();
        }
        else
            flow.SetGameMode(c.dwMode);
        ASSERT_TRUE(frame.OnFrame());
        ASSERT_EQ(c.dwMode, g_nGameMode & MODE_FIELD);
        const CViewRecord before = flow.GetCurrentView();
        const STable table = TableOf(frame);
        SendMessage(scope.m_hWnd, WM_COMMAND, ID_REPLAY, 0);
        // The view the replay flies back to: where the camera stood, or where the finished call
        // put it.
        const CViewRecord asked = flow.GetCurrentView();
        if (c.dwMode != modeCallShot)
        {
            EXPECT_LT((before.m_vViewPoint - asked.m_vViewPoint).LengthSq(), 1e-4f);
        }
        EXPECT_FALSE(frame.GetReplay().IsActive());
        EXPECT_TRUE(table == TableOf(frame)) << "the table is as it was";
        if (c.dwMode == modeCallShot)
        {
            ASSERT_NE(nullptr, g_pCallShotState);
            EXPECT_TRUE(g_pCallShotState->IsDone()) << "the call was made";
        }
        EXPECT_EQ(modeCameraFlight, g_nGameMode & MODE_FIELD);
        for (int k = 0; k < 100 && (g_nGameMode & MODE_FIELD) == modeCameraFlight; ++k)
        {
            clock.Advance(50);
            ASSERT_TRUE(frame.OnFrame());
        }
        EXPECT_EQ(c.dwGoesOnIn, g_nGameMode & MODE_FIELD);
        // The flight landed on the view the replay was asked from.
        const CViewTransition* pFlight = flow.GetFlight();
        ASSERT_NE(nullptr, pFlight);
        EXPECT_TRUE(pFlight->IsDone());
        EXPECT_LT((asked.m_vViewPoint - pFlight->GetCurrentViewPoint()).LengthSq(), 1e-4f);
        EXPECT_LT((asked.m_vCamera - flow.GetCurrentView().m_vCamera).LengthSq(), 1e-4f);
        EXPECT_TRUE(table == TableOf(frame));
        if (c.dwGoesOnIn == modeBallInHand)
        {
            ASSERT_TRUE(frame.OnFrame());
            EXPECT_TRUE(frame.IsBallDragging()) << "the ball is in hand again";
        }
        frame.CancelBallDrag();
    }
    g_nGameMode = 0;
    g_Settings.SetDefaults();
}
} // namespace
