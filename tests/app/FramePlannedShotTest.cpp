// The planner's shot shown on the real frame, driven by the input script: in straight pool the plan
// made for the next turn, the computer's own or the shot recommended to a person, becomes the call
// made, and the pocket arrow stands over its pocket.
#include "tests/app/ScriptedFrame.h"

#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "gameflow/CallShotState.h"
#include "gameflow/GameFlow.h"
#include "gameflow/GameMode.h"
#include "render/SceneObject.h"
#include "simulation/CallRecord.h"
#include "simulation/Referee.h"
#include "simulation/RefereeTypes.h"
#include "simulation/ShotInfo.h"

#include <gtest/gtest.h>
#include <vector>

namespace
{
using CFramePlannedShotTest = CScriptedFrameTest;

/// The cue ball in the middle of the table's foot half; balls 1 and 2 well off its line along the
/// table, so that a soft stroke along the table touches neither.
constexpr SPlacedBall PLANNED_BALLS[] = {{0, 0.56f, 1.60f}, {1, 0.20f, 1.95f}, {2, 0.90f, 1.30f}};

TEST_F(CFramePlannedShotTest, InStraightPoolTheNextTurnsPlanIsTheCallShownByThePocketArrow)
{
    struct SCase
    {
        const char* szName;
        int nLevel2;      // the second player's skill level, 0 for a person
        int nRecommended; // "RecommendedShot"
    };
    const SCase aCases[] = {
        {"a person with the recommended shot on is shown it", 0, 1},
        {"the computer calls the shot it planned", 5, 0},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_Settings.m_nGameType = GAME_14_1;
        g_Settings.m_nPlayerLevel2 = 0;
        g_Settings.m_nRecommendedShot = c.nRecommended;
        CCursor cursor;
        // The first player strikes softly along the table and misses: the turn passes.
        const SFrameStep steps[] = {
            {"the cursor brought into the view", nullptr, cursor.MoveBy(0, 0), nullptr},
            {"Enter strikes", nullptr, "key press Return",
             [](CMainFrame&) { EXPECT_TRUE(HasGameFlag(gmShotRunning)) << "the shot runs"; }},
        };
        RunFrameSteps(
            m_app.Folder().Path(), steps,
            [&c](CMainFrame& f)
            {
                LayTable(f, PLANNED_BALLS, true, modeAim);
                CGameFlow& flow = f.GetGameFlow();
                flow.GetReferee()->SetFlags(REF_BREAK_MADE);
                flow.Player2().SetLevel(c.nLevel2);
            },
            [&c](CMainFrame& f)
            {
                for (int i = 0; i < 3000 && HasGameFlag(gmShotRunning); ++i)
                {
                    AdvanceTestClock(LIVE_FRAME_MS);
                    ASSERT_TRUE(f.OnFrame());
                }
                ASSERT_FALSE(HasGameFlag(gmShotRunning)) << "the shot was judged";
                CGameFlow& flow = f.GetGameFlow();
                ASSERT_FALSE(flow.IsPlayer1Current()) << "the miss passed the turn";
                const CShotInfo plan = flow.ShotRecord();
                ASSERT_TRUE(plan.HoldsShot()) << "the next turn's plan is the game's shot record";
                EXPECT_EQ(plan.GetCalledValue(), g_CallRecord.nBall) << "the planned ball is called";
                EXPECT_EQ(plan.m_nPocket, g_CallRecord.nPocket) << "into the planned pocket";
                EXPECT_TRUE(g_pCallShotState != nullptr && g_pCallShotState->IsDone()) << "the call is made";
                ASSERT_NE(nullptr, f.GetPocketArrow());
                EXPECT_TRUE(f.GetPocketArrow()->IsEnabled()) << "the arrow over the pocket";
                if (c.nLevel2 == 0)
                {
                    // The person's cue flies along the shot the planner recommends.
                    float fRecommended = 0.0f;
                    ASSERT_TRUE(flow.PlanAim(0, fRecommended));
                    EXPECT_NEAR(NormalizeYaw(fRecommended), flow.Cue().fAim, 1e-3f);
                }
                else
                {
                    EXPECT_TRUE(HasGameFlag(gmRobotStroke)) << "the computer's turn runs";
                }
            });
    }
}
} // namespace
