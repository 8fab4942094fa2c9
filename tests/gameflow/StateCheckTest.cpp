#include "tests/gameflow/FlowTestSupport.h"

#include "simulation/PhysicsConstants.h"

#include <functional>

namespace
{
class CStateCheckTest : public CFlowTest
{
};

TEST_F(CStateCheckTest, ImpossibleStatesAreRefusedWithTheirReason)
{
    struct SCase
    {
        const char* szName;
        std::function<void(CGameFlow&, CBallEngine&)> change;
        bool bBallInHand;
        const char* szReason; ///< empty: the state is accepted
    };
    auto moveNextTo = [](CBallEngine& engine, int n, int k, double dGap)
    {
        CVector3 v;
        engine.GetBallPosition(k, v, nullptr);
        engine.SetBallPosition(n, v.x + 2.0 * BALL_RADIUS_M + dGap, v.y);
    };
    auto pocketCueBall = [](CGameFlow& f, CBallEngine& e)
    {
        e.RemoveBall(0);
        f.SetBallLists(0x3fe, 0x1);
        f.GetReferee()->GetBallTable()->SetPocketedBefore(0, TRUE);
    };
    const SCase aCases[] = {
        {"a fresh rack", [](CGameFlow&, CBallEngine&) {}, false, ""},
        {"touching balls", [&](CGameFlow&, CBallEngine& e) { moveNextTo(e, 0, 5, -0.0005); }, false, ""},
        {"overlapping balls", [&](CGameFlow&, CBallEngine& e) { moveNextTo(e, 0, 5, -0.002); }, false,
         "Balls 0 and 5 overlap."},
        {"a ball off the bed", [](CGameFlow&, CBallEngine& e) { e.SetBallPosition(3, -0.5, 1.0); }, false,
         "Ball 3 is not on the bed."},
        {"a ball in no list", [](CGameFlow& f, CBallEngine&) { f.SetBallLists(0x3fe, 0); }, false,
         "Ball 0 must be either on the table or in a pocket."},
        {"a pocketed ball still in the engine", [](CGameFlow& f, CBallEngine&) { f.SetBallLists(0x3fd, 0x2); }, false,
         "Ball 1 is not where the table has it."},
        {"a ball beyond the game's", [](CGameFlow&, CBallEngine& e) { e.AddBall(12); }, false,
         "Ball 12 is not one of this game's balls."},
        {"the referee thinks a ball is down",
         [](CGameFlow& f, CBallEngine&) { f.GetReferee()->GetBallTable()->SetPocketedBefore(4, TRUE); }, false,
         "The referee's record of ball 4 differs from the table."},
        {"the cue ball pocketed", pocketCueBall, false, "The ball to strike (0) is not on the table."},
        {"the cue ball pocketed before ball in hand", pocketCueBall, true, ""},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        Start(GAME_9BALL);
        c.change(m_Flow, m_Engine);
        CString strReason = "unchanged";
        EXPECT_EQ(m_Flow.CheckState(strReason, c.bBallInHand), *c.szReason == '\0');
        EXPECT_STREQ(strReason, c.szReason);
    }
}

TEST_F(CStateCheckTest, AGameTypeThatIsNeitherBuiltInNorInstalledIsRefused)
{
    Start(42);
    CString strReason;
    EXPECT_FALSE(m_Flow.CheckState(strReason, false));
    EXPECT_STREQ(strReason, "Game type 42 is not installed.");
}
} // namespace
