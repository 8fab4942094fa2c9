// A ball can never be given a NaN or infinite state, and one that gets it anyway leaves play: in
// the middle of a break, bad velocities, positions, strokes and records are refused (the table
// plays on exactly as without them), a broken spin takes its ball off the table, and the table
// always comes to rest.
#include "tests/simulation/BallEngineScenes.h"
#include "tests/simulation/SimTestSupport.h"

#include "platform/win32/DebugLog.h"

#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace
{
constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
constexpr float INF = std::numeric_limits<float>::infinity();
/// Frames of the break played before the bad value comes.
constexpr int FRAMES_BEFORE = 20;
/// The ball that receives it (it moves by then).
constexpr int VICTIM = 5;

class CNonFiniteBallTest : public CSimulationTest
{
protected:
    void SetUp() override
    {
        CSimulationTest::SetUp();
        SetDebugLogSink([this](const std::string& strLine) { m_Log.push_back(strLine); });
        RackGame(m_Table, GAME_TYPE_8BALL, 4);
    }
    void TearDown() override
    {
        SetDebugLogSink(nullptr);
        g_nRackSeed = 1;
        CSimulationTest::TearDown();
    }

    /// The rack broken on a copy of the table; `disturb` comes after FRAMES_BEFORE frames; then
    /// the table is played to rest. The number of frames to rest, or -1.
    int PlayBreak(CBallEngineMain& live, const std::function<void(CBallEngineMain&)>& disturb)
    {
        live.CopyBallsFrom(m_Table);
        live.BeginShot(FULL_STROKE_SPEED_MPS, DirectionTowards(m_Table, ApexBall(m_Table)), 0.0f, 0.0f, 0.0f);
        for (int i = 0; i < FRAMES_BEFORE; ++i)
            live.Advance(FRAME_MS);
        EXPECT_TRUE(live.FindBall(VICTIM)->IsMoving());
        disturb(live);
        return AdvanceToRest(live);
    }

    bool Logged(const std::string& strWhat) const
    {
        for (const std::string& strLine : m_Log)
            if (strLine.find(strWhat) != std::string::npos)
                return true;
        return false;
    }

    CBallEngineMain m_Table;
    std::vector<std::string> m_Log;
};

std::array<BYTE, MOTION_RECORD_SIZE> MotionRecordWithVelocity(const CBall& ball, const CVector3& v)
{
    CBall copy(ball.GetIndex());
    copy.CopyFrom(ball);
    std::array<BYTE, MOTION_RECORD_SIZE> record{};
    copy.WriteMotionRecord(record);
    std::memcpy(record.data() + 24, &v, sizeof v); // the velocity's three floats
    return record;
}

std::array<BYTE, BALL_STATE_SIZE> StateWithPosition(const CBall& ball, const CVector3& p)
{
    std::array<BYTE, BALL_STATE_SIZE> state{};
    DWORD nSize = 0;
    ball.Serialize(state, nSize);
    std::memcpy(state.data() + 80, &p, sizeof p); // the position's three floats
    return state;
}
} // namespace

TEST_F(CNonFiniteBallTest, BadValuesAreRefusedAndTheBreakPlaysOnAsWithoutThem)
{
    CBallEngineMain undisturbed;
    ASSERT_GE(PlayBreak(undisturbed, [](CBallEngineMain&) {}), 0);
    ASSERT_TRUE(m_Log.empty());

    struct SCase
    {
        const char* szName;
        std::function<void(CBallEngineMain&)> disturb;
        const char* szLogged;
    };
    const SCase aCases[] = {
        {"NaN velocity", [](CBallEngineMain& e) { e.FindBall(VICTIM)->SetVelocity(CVector3(NaN, 1.0f, 0.0f)); },
         "CBall::SetVelocity"},
        {"infinite velocity", [](CBallEngineMain& e) { e.FindBall(VICTIM)->SetVelocity(CVector3(0.0f, -INF, 0.0f)); },
         "CBall::SetVelocity"},
        {"NaN position", [](CBallEngineMain& e) { e.FindBall(VICTIM)->SetPosition(CVector3(0.5f, NaN, 0.0f)); },
         "CBall::SetPosition"},
        {"infinite position", [](CBallEngineMain& e) { e.FindBall(VICTIM)->SetPosition(CVector3(INF, 1.0f, 0.0f)); },
         "CBall::SetPosition"},
        {"NaN place on the bed", [](CBallEngineMain& e) { e.SetBallPosition(VICTIM, 0.5, std::nan("")); },
         "CBallEngine::SetBallPosition"},
        {"infinite state record",
         [](CBallEngineMain& e) {
             e.SetBallState(VICTIM, {VICTIM, CVector3(INF, 0.0f, 0.0f), {}, {}});
         },
         "CBallEngine::SetBallState"},
        {"NaN stroke speed", [](CBallEngineMain& e) { e.BeginShot(NaN, 0.0f, 0.0f, 0.0f, 0.0f); },
         "CBallEngine::StrikeBall"},
        {"infinite stroke direction", [](CBallEngineMain& e) { e.StrikeBall(3.0f, INF, 0.0f, 0.0f, 0.0f); },
         "CBallEngine::StrikeBall"},
        {"NaN side angle", [](CBallEngineMain& e) { e.StrikeBall(3.0f, 0.0f, 0.0f, NaN, 0.0f); },
         "CBallEngine::StrikeBall"},
        {"NaN velocity in a motion record",
         [](CBallEngineMain& e)
         {
             CBall& ball = *e.FindBall(VICTIM);
             EXPECT_FALSE(ball.ApplyMotionRecord(MotionRecordWithVelocity(ball, CVector3(0.0f, NaN, 0.0f))));
         },
         "CBall::ApplyMotionRecord"},
        {"infinite position in a saved state",
         [](CBallEngineMain& e)
         {
             CBall& ball = *e.FindBall(VICTIM);
             DWORD nSize = 0;
             EXPECT_FALSE(ball.LoadState(StateWithPosition(ball, CVector3(0.5f, -INF, 0.0f)), nSize));
         },
         "CBall::LoadState"},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        m_Log.clear();
        CBallEngineMain live;
        EXPECT_GE(PlayBreak(live, c.disturb), 0) << "the table comes to rest";
        EXPECT_TRUE(Logged(c.szLogged)) << "the refusal is logged";
        ASSERT_EQ(undisturbed.GetBallCount(), live.GetBallCount());
        for (int i = 0; i < live.GetBallCount(); ++i)
        {
            const CBall& a = *undisturbed.GetBallAt(i);
            const CBall& b = *live.GetBallAt(i);
            SCOPED_TRACE(testing::Message() << "ball " << a.GetIndex());
            EXPECT_EQ(a.GetPosition()->x, b.GetPosition()->x);
            EXPECT_EQ(a.GetPosition()->y, b.GetPosition()->y);
            EXPECT_EQ(a.IsPocketed(), b.IsPocketed());
        }
    }
}

TEST_F(CNonFiniteBallTest, ABallBrokenPastTheSettersLeavesPlayAndTheTableComesToRest)
{
    // Spins and orientation are not checked as they are set: the next step finds them.
    struct SCase
    {
        const char* szName;
        std::function<void(CBall&)> breakBall;
    };
    const SCase aCases[] = {
        {"NaN forward spin", [](CBall& b) { b.SetForwardSpin(CVector3(NaN, 0.0f, 0.0f)); }},
        {"infinite side spin", [](CBall& b) { b.SetSideSpin(CVector3(0.0f, 0.0f, INF)); }},
        {"NaN orientation", [](CBall& b) { b.SetOrientation(CVector3(NaN, NaN, NaN), CVector3(0.0f, 1.0f, 0.0f)); }},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        m_Log.clear();
        CBallEngineMain live;
        const int nFrames = PlayBreak(live,
                                      [&c](CBallEngineMain& e)
                                      {
                                          c.breakBall(*e.FindBall(VICTIM));
                                          // Until its next step, the broken ball bounds no one's step.
                                          EXPECT_GT(e.GetMaxStep(), 0.0);
                                      });
        EXPECT_GE(nFrames, 0) << "the table comes to rest";
        EXPECT_TRUE(Logged("taken off the table"));
        const CBall& victim = *live.FindBall(VICTIM);
        EXPECT_TRUE(victim.IsPocketed()) << "off the table";
        EXPECT_EQ(-1, victim.GetPocket()) << "in no pocket";
        for (int i = 0; i < live.GetBallCount(); ++i)
        {
            SCOPED_TRACE(testing::Message() << "ball " << live.GetBallAt(i)->GetIndex());
            EXPECT_TRUE(live.GetBallAt(i)->HasFiniteState());
        }
    }
}

TEST_F(CNonFiniteBallTest, SafeStepIgnoresABallFlownToAnInfinitePlace)
{
    // A finite but absurd speed in the air carries a ball to an infinite place in one flight step.
    CBall ball(1, 0.5f, 1.0f);
    CBall broken(2, 0.5f, 1.2f, 0.1f);
    ball.SetPocketed(FALSE, FALSE, -1);
    broken.SetPocketed(FALSE, FALSE, -1);
    ball.SetVelocity(CVector3(0.0f, 1.0f, 0.0f));
    broken.SetVelocity(CVector3(3.0e38f, 0.0f, 0.0f));
    broken.Move(2000.0);
    ASSERT_FALSE(broken.HasFiniteState());

    const std::vector<const CBall*> alone = {&ball};
    const std::vector<const CBall*> both = {&ball, &broken};
    const CVector3 hi(TABLE_WIDTH_M, TABLE_LENGTH_M, 0.0f);
    EXPECT_EQ(ball.GetSafeTimeStep(alone, CVector3(), hi, 1), ball.GetSafeTimeStep(both, CVector3(), hi, 2))
        << "the broken ball is no obstacle";
    EXPECT_EQ(NO_STEP_LIMIT_MS, broken.GetSafeTimeStep(both, CVector3(), hi, 2));

    broken.Move(FRAME_MS);
    EXPECT_TRUE(broken.IsPocketed()) << "taken off the table";
    EXPECT_FALSE(broken.IsMoving());
    EXPECT_TRUE(broken.HasFiniteState());
    EXPECT_TRUE(Logged("taken off the table"));
}
