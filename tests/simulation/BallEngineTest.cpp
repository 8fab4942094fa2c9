// The live ball engine: its ball list, racking of every game type, the stroke, and whole shots
// stepped to rest.
#include "tests/simulation/BallEngineScenes.h"
#include "tests/simulation/SimTestSupport.h"

#include "foundation/Stopwatch.h"
#include "platform/win32/Clock.h"
#include "simulation/RefereeBallTable.h"

#include <algorithm>
#include <set>
#include <vector>

namespace
{
class CBallEngineTest : public CSimulationTest
{
protected:
    void TearDown() override
    {
        g_nRackSeed = 1;
        CSimulationTest::TearDown();
    }
};

std::vector<int> BallNumbers(CBallEngine& engine)
{
    std::vector<int> numbers;
    for (int i = 0; i < engine.GetBallCount(); ++i)
        numbers.push_back(engine.GetBallAt(i)->GetIndex());
    return numbers;
}

/// The rack spot a ball stands on, or -1.
int SpotOf(const CBall& ball)
{
    const std::vector<SRackSpot>& spots = g_PointList.GetSpots();
    for (std::size_t s = 0; s < spots.size(); ++s)
        if (std::abs(ball.GetPosition()->x - spots[s].x) < 1e-4 && std::abs(ball.GetPosition()->y - spots[s].y) < 1e-4)
            return static_cast<int>(s);
    return -1;
}

/// What the game flow notes for the referee while a shot rolls, frame by frame: contacts,
/// cushions, the first ball hit and the balls that dropped.
class CShotRecorder
{
public:
    explicit CShotRecorder(CBallEngine& engine) : m_Engine(engine) {}

    void Note()
    {
        for (int i = 0; i < m_Engine.GetBallCount(); ++i)
        {
            CBall& ball = *m_Engine.GetBallAt(i);
            const int n = ball.GetIndex();
            if (ball.TakeCushionContact() != 0)
                m_Table.AddBallCountHigh(n, 1);
            if (const int nHit = ball.TakeLastBallHit(); nHit != -1)
            {
                m_Table.AddBallCountLow(n, 1);
                if (n == GetCueBallNumber())
                    m_Table.NoteFirstHit(nHit, m_Table.GetBallCountHigh(n));
            }
            if (ball.IsPocketed() && !m_Table.IsPocketedNow(n))
                m_Table.NotePocketed(n, m_Table.GetBallCountHigh(n));
        }
    }

    /// Advances frame by frame, noting after each, until the table rests; FALSE when it does not.
    BOOL PlayToRest(int nMaxFrames = 10000)
    {
        for (int nFrames = 0; nFrames < nMaxFrames && !m_Engine.AllBallsStopped(); ++nFrames)
        {
            m_Engine.Advance(FRAME_MS);
            Note();
        }
        return m_Engine.AllBallsStopped();
    }

    const CRefereeBallTable& Table() const { return m_Table; }

private:
    CBallEngine& m_Engine;
    CRefereeBallTable m_Table;
};

int CountEvents(const CBallEngine& engine, int nKind)
{
    int n = 0;
    for (int i = 0; i < engine.GetEvents().GetCount(); ++i)
        n += engine.GetEvents().GetRecord(i) == nKind ? 1 : 0;
    return n;
}
} // namespace

TEST_F(CBallEngineTest, AddBallKeepsTheListSortedAndNeverDuplicatesANumber)
{
    CBallEngineMain engine;
    for (int n : {0, 3, 7})
        engine.AddBall(n);
    CBall* pFive = engine.AddBall(5);
    EXPECT_EQ((std::vector<int>{0, 3, 5, 7}), BallNumbers(engine));
    EXPECT_EQ(pFive, engine.AddBall(5)) << "an existing number gives the existing ball";
    EXPECT_EQ(4, engine.GetBallCount());
    EXPECT_EQ(nullptr, engine.AddBall(16));
    EXPECT_EQ(nullptr, engine.AddBall(-1));
    EXPECT_TRUE(engine.AskBall(5)) << "a new ball is off the table until placed";
    engine.RemoveBall(3);
    EXPECT_EQ((std::vector<int>{0, 5, 7}), BallNumbers(engine));
    EXPECT_EQ(nullptr, engine.FindBall(3));
    EXPECT_FALSE(engine.AskBall(3));
    EXPECT_EQ(nullptr, engine.GetBallAt(3));
    engine.RemoveAllBalls();
    EXPECT_EQ(0, engine.GetBallCount());
}

TEST_F(CBallEngineTest, TablePartsAreLookedUpWithinTheirRange)
{
    CBallEngineMain engine;
    for (int i = 0; i < POCKET_COUNT; ++i)
    {
        ASSERT_NE(nullptr, engine.GetWorldObject(i));
        EXPECT_EQ(i, engine.GetWorldObject(i)->GetNumber());
        const CVector3 p = engine.GetCushionPoint(i);
        EXPECT_EQ(engine.GetWorldObject(i)->GetPosition().x, p.x);
        EXPECT_EQ(engine.GetWorldObject(i)->GetPosition().y, p.y);
    }
    EXPECT_EQ(nullptr, engine.GetWorldObject(-1));
    EXPECT_EQ(nullptr, engine.GetWorldObject(6));
    EXPECT_EQ(0.0f, engine.GetCushionPoint(6).x);
    EXPECT_EQ(nullptr, engine.GetCushion(6));
    // Each pocket's mouth runs between the jaws of its two cushions.
    const CVector3 jaw = engine.GetCushion(0)->GetPoint(0);
    EXPECT_EQ(jaw.x, engine.GetWorldObject(0)->GetMouth().GetStart().x);
    EXPECT_EQ(jaw.y, engine.GetWorldObject(0)->GetMouth().GetStart().y);
}

TEST_F(CBallEngineTest, PositionsAndStatesRoundTrip)
{
    CBallEngineMain engine;
    engine.AddBall(4);
    engine.SetBallPosition(4, 0.3, 0.9);
    CVector3 p;
    SBallStateRecord state;
    ASSERT_TRUE(engine.GetBallPosition(4, p, &state));
    EXPECT_FLOAT_EQ(0.3f, p.x);
    EXPECT_FLOAT_EQ(0.9f, p.y);
    EXPECT_EQ(4, state.nNumber);
    EXPECT_FALSE(engine.AskBall(4));
    EXPECT_NEAR(1.0, state.vOrY.Length(), 1e-5);

    state.vPos = CVector3(0.6f, 1.2f, 0.0f);
    engine.SetBallState(4, state);
    SBallStateRecord back;
    engine.GetBallPosition(4, p, &back);
    EXPECT_EQ(0.6f, back.vPos.x);
    EXPECT_EQ(state.vOrZ.y, back.vOrZ.y);
    EXPECT_FALSE(engine.GetBallPosition(9, p, nullptr));
}

TEST_F(CBallEngineTest, EveryGameTypeRacksOnDistinctSpotsTheSameWayForTheSameSeed)
{
    struct SRackCase
    {
        const char* szName;
        int nGameType;
        std::vector<std::pair<int, int>> fixed; // ball -> spot
    };
    const SRackCase cases[] = {
        {"demo", GAME_TYPE_DEMO, {{0, 0}, {1, 1}}},
        {"3-ball", GAME_TYPE_3BALL, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
        {"8-ball", GAME_TYPE_8BALL, {{0, 0}, {8, 5}}},
        {"9-ball", GAME_TYPE_9BALL, {{0, 0}, {1, 1}, {9, 5}}},
        {"15", GAME_TYPE_15, {{0, 0}}},
        {"pyramid", GAME_TYPE_PYRAMID, {{0, 0}, {1, 12}, {2, 11}, {3, 15}, {4, 1}, {8, 6}, {15, 5}}},
        {"american", GAME_TYPE_AMERICAN, {{0, 0}}},
        {"14.1", GAME_TYPE_14_1, {{0, 0}}},
        {"bonus", GAME_TYPE_BONUS, {{0, 0}, {1, 13}, {9, 1}, {15, 3}}},
    };
    for (const SRackCase& c : cases)
        for (unsigned int nSeed : {1u, 4242u})
        {
            SCOPED_TRACE(testing::Message() << c.szName << ", seed " << nSeed);
            CBallEngineMain engine;
            RackGame(engine, c.nGameType, nSeed);
            std::vector<int> spots;
            for (int i = 0; i < engine.GetBallCount(); ++i)
            {
                const CBall& ball = *engine.GetBallAt(i);
                EXPECT_FALSE(ball.IsPocketed()) << "ball " << ball.GetIndex();
                EXPECT_FALSE(ball.IsMoving());
                spots.push_back(SpotOf(ball));
            }
            const std::set<int> distinct(spots.begin(), spots.end());
            EXPECT_EQ(spots.size(), distinct.size()) << "one ball per spot";
            EXPECT_FALSE(distinct.contains(-1));
            for (const auto& [nBall, nSpot] : c.fixed)
                EXPECT_EQ(nSpot, SpotOf(*engine.FindBall(nBall))) << "ball " << nBall;

            // The same seed gives the same spots (the cue ball's spot itself is jittered anew).
            CBallEngineMain again;
            RackGame(again, c.nGameType, nSeed);
            for (int i = 0; i < again.GetBallCount(); ++i)
                EXPECT_EQ(spots[static_cast<std::size_t>(i)], SpotOf(*again.GetBallAt(i)));
        }
}

TEST_F(CBallEngineTest, EightBallRackPutsASolidAndAStripeInTheBackCorners)
{
    for (unsigned int nSeed = 1; nSeed <= 20; ++nSeed)
    {
        SCOPED_TRACE(nSeed);
        CBallEngineMain engine;
        RackGame(engine, GAME_TYPE_8BALL, nSeed);
        int nSolid = -1, nStripe = -1;
        for (int i = 0; i < engine.GetBallCount(); ++i)
        {
            const int nSpot = SpotOf(*engine.GetBallAt(i));
            if (nSpot == 11)
                nSolid = engine.GetBallAt(i)->GetIndex();
            if (nSpot == 15)
                nStripe = engine.GetBallAt(i)->GetIndex();
        }
        EXPECT_TRUE(nSolid >= 1 && nSolid <= 7) << nSolid;
        EXPECT_TRUE(nStripe >= 9 && nStripe <= 15) << nStripe;
        EXPECT_EQ(5, SpotOf(*engine.FindBall(8)));
    }
}

TEST_F(CBallEngineTest, PlacingOnSpotsAndReRackingLeaveNoBallOffItsSpot)
{
    CBallEngineMain engine;
    for (int i = 0; i < 16; ++i)
        engine.AddBall(i);
    const int numbers[] = {0, 5, 9};
    engine.PlaceBallsOnSpots(numbers);
    EXPECT_EQ(0, SpotOf(*engine.FindBall(0)));
    EXPECT_EQ(1, SpotOf(*engine.FindBall(5)));
    EXPECT_EQ(2, SpotOf(*engine.FindBall(9)));

    engine.PlaceRackExcept(3);
    std::set<int> spots;
    for (int i = 1; i < 16; ++i)
        if (i != 3)
            spots.insert(SpotOf(*engine.FindBall(i)));
    EXPECT_EQ(14u, spots.size());
    EXPECT_FALSE(spots.contains(-1));
    EXPECT_FALSE(spots.contains(0)) << "the cue ball's spot stays free";
    EXPECT_FALSE(spots.contains(1)) << "with a ball kept out the apex stays free as well";

    // Past the end of the free list a ball stays where it is.
    CDWordArray noSpots;
    const CVector3 before = *engine.FindBall(4)->GetPosition();
    engine.PlaceBallAtSpot(4, FREE_LIST_SPOT, noSpots);
    EXPECT_EQ(before.x, engine.FindBall(4)->GetPosition()->x);
    engine.PlaceBallAtSpot(42, 1, noSpots); // no such ball: nothing happens
}

TEST_F(CBallEngineTest, StrikeTurnsTheStrokeIntoVelocityAndSpin)
{
    struct SStrokeCase
    {
        const char* szName;
        float fSide;             // degrees
        float fHeight;           // degrees
        double dExpectedHeading; // degrees from +x towards +y
        double dSpeed;           // m/s, on the bed
        int nSideSpinSign;
        int nForwardSpinSign; // along the rolling direction: +1 follow, -1 draw
    };
    // Direction -90 degrees sends the ball along +y (the azimuth is minus the direction).
    const SStrokeCase cases[] = {
        {"centre", 0.0f, 0.0f, 90.0, 3.0, 0, 0},
        {"right english: no deflection below 30 degrees", 10.0f, 0.0f, 90.0, 3.0 * std::cos(10.0 * PI / 180.0), -1, 0},
        {"strong english deflects by the full side angle", 40.0f, 0.0f, 50.0, 3.0 * std::cos(40.0 * PI / 180.0), -1, 0},
        // The height angle also tilts the stroke: cos b shortens it and the elevation takes another
        // cos b off its length on the bed.
        {"low hit gives draw", 0.0f, 20.0f, 90.0, 3.0 * std::pow(std::cos(20.0 * PI / 180.0), 2), 0, -1},
        {"high hit gives follow", 0.0f, -20.0f, 90.0, 3.0 * std::pow(std::cos(20.0 * PI / 180.0), 2), 0, 1},
    };
    for (const SStrokeCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CBallEngineMain engine;
        engine.AddBall(0);
        engine.SetBallPosition(0, 0.5, 0.5);
        engine.BeginShot(3.0f, static_cast<float>(-PI / 2.0), 0.0f, c.fSide, c.fHeight);
        const CBall& cue = *engine.FindBall(0);
        const CVector3 v = cue.GetVelocity();
        EXPECT_NEAR(c.dSpeed, std::hypot(v.x, v.y), 1e-4);
        EXPECT_NEAR(c.dExpectedHeading, std::atan2(v.y, v.x) * 180.0 / PI, 1e-3);
        const float fSide = cue.GetSideSpin().z;
        EXPECT_EQ(c.nSideSpinSign, (fSide > 1e-3f) - (fSide < -1e-3f));
        const double dForward = VectorDot(cue.GetForwardSpin(), cue.GetRollAxis());
        EXPECT_EQ(c.nForwardSpinSign, (dForward > 1e-3) - (dForward < -1e-3));
        EXPECT_EQ(ROLL_MODE_SLIDING, cue.GetRollMode());
        EXPECT_EQ(CONTACT_CUE, cue.GetLastContactKind());
        EXPECT_EQ(3.0, g_StrikeRecord.dSpeed);
        EXPECT_EQ(v.y, g_StrikeRecord.vVelocity.y);
    }
}

TEST_F(CBallEngineTest, StrongSideSpinIsLimited)
{
    CBallEngineMain engine;
    engine.AddBall(0);
    engine.SetBallPosition(0, 0.5, 0.5);
    engine.BeginShot(FULL_STROKE_SPEED_MPS, 0.0f, 0.0f, -25.0f, 0.0f);
    EXPECT_EQ(SIDE_SPIN_LIMIT_RADS, engine.FindBall(0)->GetSideSpin().z);
}

TEST_F(CBallEngineTest, BreakOfEveryGameTypeComesToRestWithEveryDropRecorded)
{
    const int types[] = {GAME_TYPE_DEMO,    GAME_TYPE_3BALL,    GAME_TYPE_8BALL, GAME_TYPE_9BALL, GAME_TYPE_15,
                         GAME_TYPE_PYRAMID, GAME_TYPE_AMERICAN, GAME_TYPE_14_1,  GAME_TYPE_BONUS};
    int nDroppedOverall = 0;
    for (int nType : types)
        for (unsigned int nSeed : {1u, 77u, 1234u})
        {
            SCOPED_TRACE(testing::Message() << "game type " << nType << ", seed " << nSeed);
            CBallEngineMain engine;
            RackAndBreak(engine, nType, nSeed, FULL_STROKE_SPEED_MPS);
            const int nApex = ApexBall(engine);
            CShotRecorder recorder(engine);
            ASSERT_TRUE(recorder.PlayToRest()) << "the table must come to rest";

            int nDropped = 0;
            for (int i = 0; i < engine.GetBallCount(); ++i)
            {
                const CBall& ball = *engine.GetBallAt(i);
                const CVector3& p = *ball.GetPosition();
                SCOPED_TRACE(testing::Message() << "ball " << ball.GetIndex());
                EXPECT_FALSE(ball.IsMoving());
                EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
                EXPECT_EQ(ball.IsPocketed(), recorder.Table().IsPocketedNow(ball.GetIndex()));
                if (ball.IsPocketed())
                {
                    ++nDropped;
                    EXPECT_TRUE(ball.GetPocket() >= 0 && ball.GetPocket() < POCKET_COUNT);
                    EXPECT_LT(p.z, -2.0f * R) << "a dropped ball is below the bed";
                    continue;
                }
                EXPECT_TRUE(p.x > 0.0f && p.x < TABLE_WIDTH_M && p.y > 0.0f && p.y < TABLE_LENGTH_M)
                    << p.x << ", " << p.y;
                for (int j = i + 1; j < engine.GetBallCount(); ++j)
                {
                    const CBall& other = *engine.GetBallAt(j);
                    if (!other.IsPocketed())
                    {
                        // Resting balls touch at most (to a hundredth of a millimetre).
                        EXPECT_GT(p.Distance(*other.GetPosition()), 2.0f * R - 1e-5f)
                            << "ball " << other.GetIndex() << " rests inside this one";
                    }
                }
            }
            nDroppedOverall += nDropped;
            EXPECT_EQ(nDropped, CountEvents(engine, BALL_EVENT_POCKET));
            EXPECT_GT(CountEvents(engine, BALL_EVENT_BALL), 0);
            EXPECT_GT(CountEvents(engine, BALL_EVENT_CUSHION), 0);
            EXPECT_EQ(nApex, recorder.Table().m_nFirstHit) << "the cue ball hits the apex first";
            if (nDropped > 0)
            {
                EXPECT_NE(REFEREE_NO_BALL, recorder.Table().m_nFirstPocketed);
            }
            CPolyRecord strongest;
            EXPECT_TRUE(engine.GetStrongestEvent(strongest));
        }
    EXPECT_GT(nDroppedOverall, 0) << "breaks at full speed drop some balls";
}

TEST_F(CBallEngineTest, ALineOfTouchingBallsStruckEndOnPassesTheBlowToItsLastBallWithNoneInsideAnother)
{
    // A step carries the striking ball a little into the line, and each contact passes the whole
    // speed on: once the blow has passed, every ball but the last rests touching its neighbour,
    // not inside it, and the last one runs.
    struct SLineCase
    {
        int nLine;    // balls in the line
        float fSpeed; // of the ball that strikes it, m/s
    };
    for (const SLineCase c : {SLineCase{2, 0.8f}, SLineCase{4, 3.0f}, SLineCase{6, 7.0f}})
    {
        SCOPED_TRACE(testing::Message() << c.nLine << " balls at " << c.fSpeed << " m/s");
        CBallEngineMain engine;
        const int nLast = c.nLine + 1;
        for (int n = 1; n <= nLast; ++n)
        {
            engine.AddBall(n);
            engine.SetBallPosition(n, 0.5, n == 1 ? 0.6 : 0.9 + 2.0 * R * (n - 2));
        }
        engine.FindBall(1)->SetVelocity(CVector3(0.0f, c.fSpeed, 0.0f));
        const auto blowPassed = [&]
        {
            for (int n = 1; n < nLast; ++n)
                if (engine.FindBall(n)->IsMoving())
                    return false;
            return engine.FindBall(nLast)->IsMoving() != FALSE;
        };
        for (int nFrame = 0; nFrame < 100 && !blowPassed(); ++nFrame)
            engine.Advance(FRAME_MS);
        ASSERT_TRUE(blowPassed());
        EXPECT_GT(engine.FindBall(nLast)->GetVelocity().y, 0.9f * c.fSpeed);
        for (int n = 2; n < nLast; ++n)
        {
            const float fGap = engine.FindBall(n + 1)->GetPosition()->y - engine.FindBall(n)->GetPosition()->y;
            EXPECT_GT(fGap, 2.0f * R - 1e-5f) << "balls " << n << " and " << n + 1;
            EXPECT_NEAR(engine.FindBall(n)->GetPosition()->y, 0.9f + 2.0f * R * (n - 2), 1e-5f) << "ball " << n;
        }
        EXPECT_GT(engine.FindBall(2)->GetPosition()->y - engine.FindBall(1)->GetPosition()->y, 2.0f * R - 1e-5f);
    }
}

TEST_F(CBallEngineTest, AFrameTimeOfZeroStepsTheFrameStopwatchsElapsedTime)
{
    CTestClockScope clock(1000);
    g_FrameStopwatch.Resume();
    CBallEngineMain byStopwatch, byArgument;
    for (CBallEngineMain* pEngine : {&byStopwatch, &byArgument})
    {
        pEngine->AddBall(0);
        pEngine->SetBallPosition(0, 0.5, 0.5);
        pEngine->BeginShot(2.0f, -1.0f, 0.0f, 0.0f, 0.0f);
    }
    clock.Advance(40);
    g_FrameStopwatch.Tick();
    ASSERT_EQ(40u, g_FrameStopwatch.GetElapsed());
    byStopwatch.Advance(0);
    byArgument.Advance(40);
    EXPECT_EQ(byArgument.FindBall(0)->GetPosition()->y, byStopwatch.FindBall(0)->GetPosition()->y);
    EXPECT_GT(byStopwatch.FindBall(0)->GetPosition()->y, 0.5f);
    EXPECT_EQ(40u, byStopwatch.GetPeriod());
}

TEST_F(CBallEngineTest, RespotFindsTheNearestFreePlaceInItsDirection)
{
    const double L = TABLE_LENGTH_M;
    const double fx = GetTableSpotB().x, fy = GetTableSpotB().z;
    const double hx = GetTableSpotA().x, hy = GetTableSpotA().z;
    CBallEngineMain engine;
    for (int i = 0; i < 3; ++i)
        engine.AddBall(i);
    engine.SetBallPosition(0, 0.2, 0.2);
    engine.SetBallPosition(1, 0.9, 0.3);
    engine.SetBallPosition(2, 0.9, 0.4);

    engine.RespotBall(1, GAME_TYPE_8BALL);
    EXPECT_NEAR(fx, engine.FindBall(1)->GetPosition()->x, 1e-6) << "the foot spot when it is free";
    EXPECT_NEAR(fy, engine.FindBall(1)->GetPosition()->y, 1e-6);

    engine.RespotBall(2, GAME_TYPE_8BALL);
    const CVector3 p2 = *engine.FindBall(2)->GetPosition();
    EXPECT_NEAR(fx, p2.x, 1e-6);
    EXPECT_GT(p2.y, fy) << "an object ball walks towards the foot end";
    EXPECT_GE(p2.Distance(*engine.FindBall(1)->GetPosition()), 2.0 * R - 1e-6);

    // The cue ball goes to the head spot, or towards the head end when that is taken.
    engine.SetBallPosition(1, hx, hy);
    engine.RespotBall(0, GAME_TYPE_8BALL);
    const CVector3 p0 = *engine.FindBall(0)->GetPosition();
    EXPECT_LT(p0.y, hy);
    EXPECT_GE(p0.Distance(*engine.FindBall(1)->GetPosition()), 2.0 * R - 1e-6);

    // American and bonus: along the far rail.
    engine.RespotBall(2, GAME_TYPE_AMERICAN);
    EXPECT_NEAR(L - R, engine.FindBall(2)->GetPosition()->y, 1e-6);
}

TEST_F(CBallEngineTest, RespotGivesUpWhenTheRailIsFull)
{
    // Twelve balls less than 3.4 radii apart along the far rail leave no free place on it: the ball
    // stays put instead of searching for ever.
    CBallEngineMain engine;
    for (int i = 0; i < 14; ++i)
        engine.AddBall(i);
    for (int i = 1; i <= 12; ++i)
        engine.SetBallPosition(i, R + (i - 1) * (TABLE_WIDTH_M - 2.0 * R) / 11.0, TABLE_LENGTH_M - R);
    engine.SetBallPosition(13, 0.5, 1.0);
    engine.RespotBall(13, GAME_TYPE_BONUS);
    EXPECT_FLOAT_EQ(0.5f, engine.FindBall(13)->GetPosition()->x);
    EXPECT_FLOAT_EQ(1.0f, engine.FindBall(13)->GetPosition()->y);
}

TEST_F(CBallEngineTest, ZonesOfTheTable)
{
    const double fx = GetTableSpotB().x, fy = GetTableSpotB().z;
    const double hx = GetTableSpotA().x, hy = GetTableSpotA().z;
    struct SZoneCase
    {
        const char* szName;
        double x, y;
        int nZone;
    };
    const SZoneCase cases[] = {
        {"foot spot", fx, fy, 1},
        {"back of the rack", fx, fy + 10.0 * R, 1},
        {"beside the rack's back row", fx + 9.0 * R, fy + 11.0 * R, 0},
        {"head spot", hx, hy, 3},
        {"near the head spot", hx + R, hy, 3},
        {"centre spot", hx, (hy + fy) / 2.0, 4},
        {"elsewhere", 0.1, 0.1, 0},
    };
    CBallEngineMain engine;
    engine.AddBall(1);
    for (const SZoneCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        engine.SetBallPosition(1, c.x, c.y);
        EXPECT_EQ(c.nZone, engine.IsBallInZone(1));
    }
    EXPECT_EQ(-1, engine.IsBallInZone(2));
}

TEST_F(CBallEngineTest, ReleasedEngineIsEmptyAndStillUsable)
{
    CBallEngineMain engine;
    RackGame(engine, GAME_TYPE_9BALL, 1);
    engine.Release();
    EXPECT_EQ(0, engine.GetBallCount());
    engine.AddBall(0);
    engine.SetBallPosition(0, 0.5, 0.5);
    engine.BeginShot(1.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_GE(AdvanceToRest(engine), 1);
}
