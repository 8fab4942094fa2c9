// Keys outside the aim on the real frame, driven by the input script: Tab held over the computer's
// stroke, the tour that presents a restarted rack, and Escape in the pause after a call.
#include "tests/app/ScriptedFrame.h"

#include "app/CommandRules.h"
#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "gameflow/CallShotState.h"
#include "gameflow/GameFlow.h"
#include "gameflow/GameMode.h"

#include <gtest/gtest.h>
#include <memory>

namespace
{
constexpr SPlacedBall TURN_BALLS[] = {{0, 0.56f, 0.60f}, {1, 0.30f, 1.50f}, {2, 0.85f, 1.55f}};

using CFrameTurnKeysTest = CScriptedFrameTest;

/// Ticks of the frame on the test clock until the shot is struck; false when it never is.
bool TickUntilStruck(CMainFrame& frame, int nTicks)
{
    for (int i = 0; i < nTicks && !HasGameFlag(gmShotRunning); ++i)
    {
        AdvanceTestClock(LIVE_FRAME_MS);
        EXPECT_TRUE(frame.OnFrame());
    }
    return HasGameFlag(gmShotRunning);
}

TEST_F(CFrameTurnKeysTest, HoldingTabHoldsTheComputersStrokeUntilItIsLetGo)
{
    // Each step spans more than the second the computer's cue rests before it moves.
    const auto later = [](CMainFrame&) { AdvanceTestClock(700); };
    auto pPullBack = std::make_shared<float>(0.0f);
    const auto cueStill = [pPullBack](CMainFrame& f)
    {
        EXPECT_FLOAT_EQ(*pPullBack, f.GetGameFlow().Cue().fPullBack) << "the cue has not moved";
        EXPECT_TRUE(HasGameFlag(gmStroking));
        EXPECT_FALSE(HasGameFlag(gmShotRunning));
    };
    const SFrameStep steps[] = {
        {"Tab held", later, "key down Tab", cueStill},
        {"still held", later, "", cueStill},
        {"and still", later, "", cueStill},
        {"long past the cue's rest", later, "", cueStill},
        {"and longer", later, "", cueStill},
        {"Tab let go", later, "key up Tab", nullptr},
    };
    RunFrameSteps(
        m_app.Folder().Path(), steps,
        [pPullBack](CMainFrame& f)
        {
            LayTable(f, TURN_BALLS, true, modeAim);
            CGameFlow& flow = f.GetGameFlow();
            flow.Player1().SetLevel(5);
            // The computer's flight has ended: its cue strokes by itself from here.
            SetGameFlag(gmRobotStroke);
            flow.PrepareAutoStroke();
            SetGameFlag(gmStroking);
            flow.SetGameMode(modeNone);
            *pPullBack = flow.Cue().fPullBack;
        },
        [](CMainFrame& f) { EXPECT_TRUE(TickUntilStruck(f, 600)) << "the computer strikes once Tab is let go"; });
}

TEST_F(CFrameTurnKeysTest, ARestartedRackIsPresentedByATourThatSpaceEndsIntoTheTurn)
{
    g_Settings.m_nDrawLevel = 0;
    auto pYaws = std::make_shared<std::vector<float>>();
    const auto tick = [](CMainFrame&) { AdvanceTestClock(400); };
    const auto touring = [pYaws](CMainFrame& f)
    {
        EXPECT_EQ(gmPresentation, g_nGameMode) << "the tour runs alone";
        pYaws->push_back(f.GetGameFlow().Camera().fYaw);
    };
    const SFrameStep steps[] = {
        {"the tour", tick, "", touring},
        {"the tour goes round", tick, "", touring},
        {"G flips the switch the tour shows", tick, "key press G",
         [touring](CMainFrame& f)
         {
             touring(f);
             EXPECT_NE(0, g_Settings.m_nDrawLevel);
         }},
        {"Space gives the table to the turn", tick, "key press Space",
         [](CMainFrame&)
         {
             EXPECT_FALSE(HasGameFlag(gmPresentation));
             EXPECT_EQ(modeAim, GetModeField()) << "a person aims";
         }},
    };
    RunFrameSteps(m_app.Folder().Path(), steps,
                  [](CMainFrame& f)
                  {
                      LayTable(f, TURN_BALLS, true, modeAim);
                      SendMessage(f.m_hWnd, WM_COMMAND, ID_RESTART_RACK, 0);
                      ASSERT_TRUE(HasGameFlag(gmPresentation)) << "restarting the rack presents it";
                  });
    ASSERT_EQ(3u, pYaws->size());
    EXPECT_NE((*pYaws)[0], (*pYaws)[1]) << "the camera turns round the table";
    EXPECT_NE((*pYaws)[1], (*pYaws)[2]);
}

TEST_F(CFrameTurnKeysTest, EscapeInThePauseAfterACallCallsTheShotAgain)
{
    const SFrameStep steps[] = {
        {"Space pauses", nullptr, "key press Space", [](CMainFrame&) { EXPECT_EQ(modeWaiting, GetModeField()); }},
        {"Escape calls the shot again", nullptr, "key press Escape",
         [](CMainFrame& f)
         {
             EXPECT_EQ(modeCallShot, GetModeField());
             EXPECT_FALSE(f.GetGameFlow().IsPaused()) << "the pause ends into the call";
             ASSERT_NE(nullptr, g_pCallShotState);
             EXPECT_FALSE(g_pCallShotState->IsDone()) << "a new call is being made";
         }},
    };
    RunFrameSteps(m_app.Folder().Path(), steps,
                  [](CMainFrame& f)
                  {
                      LayTable(f, TURN_BALLS, true, modeAim);
                      // The call was made and the player went on aiming.
                      f.EnterCallShotMode(GAME_8BALL, modeAim);
                      g_pCallShotState->Finish();
                      g_pCallShotState->Leave();
                      ASSERT_EQ(modeAim, GetModeField());
                  });
}
} // namespace
