// Whole shots stepped on a table: the result does not depend on the chunk length the frame hands
// over, and no ball passes through a cushion or another ball at any stroke speed.
#include "tests/simulation/BallTable.h"
#include "tests/simulation/SimTestSupport.h"

#include <vector>

using CSteppingTest = CSimulationTest;

namespace
{
struct SBallStart
{
    int nNumber;
    float x, y;   // position, m
    float vx, vy; // velocity, m/s
};

struct SShot
{
    const char* szName;
    std::vector<SBallStart> balls;
};

/// Plays the shot in chunks of dChunkMs until every ball rests; returns the final positions.
std::vector<CVector3> PlayShot(const SShot& shot, double dChunkMs)
{
    CTestTable table;
    for (const SBallStart& b : shot.balls)
    {
        CBall& ball = table.AddBall(b.nNumber, b.x, b.y);
        if (b.vx != 0.0f || b.vy != 0.0f)
            ball.SetVelocity(CVector3(b.vx, b.vy, 0.0f));
    }
    table.RunToRest(dChunkMs);
    EXPECT_TRUE(table.AllStopped());
    std::vector<CVector3> positions;
    for (std::size_t i = 0; i < table.BallCount(); ++i)
        positions.push_back(*table.Ball(i).GetPosition());
    return positions;
}
} // namespace

TEST_F(CSteppingTest, OneMillisecondAndHundredMillisecondChunksEndWithinACentimetre)
{
    const SShot aShots[] = {
        {"lone roll", {{1, 0.5f, 0.3f, 0.14f, 0.69f}}},
        {"straight hit of a rolling ball", {{1, 0.5f, 0.3f, 0.0f, 0.7f}, {2, 0.5f, 0.8f, 0.0f, 0.0f}}},
        {"bank off a cushion", {{1, 0.6f, 0.4f, -0.8f, 0.9f}}},
        {"two banks", {{1, 0.9f, 0.3f, 1.2f, 1.5f}}},
    };
    for (const SShot& shot : aShots)
    {
        SCOPED_TRACE(shot.szName);
        const std::vector<CVector3> fine = PlayShot(shot, 1.0);
        const std::vector<CVector3> coarse = PlayShot(shot, 100.0);
        ASSERT_EQ(fine.size(), coarse.size());
        for (std::size_t i = 0; i < fine.size(); ++i)
        {
            SCOPED_TRACE(i);
            EXPECT_LT((fine[i] - coarse[i]).Length(), 0.01);
            // And the shot really went somewhere.
            EXPECT_GT((fine[i] - CVector3(shot.balls[i].x, shot.balls[i].y, 0.0f)).Length(), 0.1);
        }
    }
}

namespace
{
/// True when the centre lies beyond a rail line somewhere other than in a pocket's mouth.
bool IsBehindACushion(const CVector3& p, const CTestTable& table)
{
    const bool bBeyond = p.x < 0.0f || p.x > TABLE_WIDTH_M || p.y < 0.0f || p.y > TABLE_LENGTH_M;
    if (!bBeyond)
        return false;
    for (const CWorldObject& pocket : table.Pockets())
    {
        const CVector3 d = p - pocket.GetPosition();
        if (std::hypot(d.x, d.y) < 0.12)
            return false;
    }
    return true;
}

bool IsInPlay(CBall& ball) { return !ball.IsPocketed() && !ball.IsRollMode4(); }

/// Every ball in play is on the bed, in front of the cushions (or in a pocket's mouth) and not
/// sunk into another ball by as much as a radius.
testing::AssertionResult IsEveryBallInItsPlace(CTestTable& table)
{
    for (std::size_t i = 0; i < table.BallCount(); ++i)
    {
        CBall& a = table.Ball(i);
        if (!IsInPlay(a))
            continue;
        if (IsBehindACushion(*a.GetPosition(), table))
            return testing::AssertionFailure() << "ball " << a.GetIndex() << " passed through a cushion";
        if (a.GetPosition()->z < -0.01f)
            return testing::AssertionFailure() << "ball " << a.GetIndex() << " left the table";
        for (std::size_t j = i + 1; j < table.BallCount(); ++j)
        {
            CBall& b = table.Ball(j);
            if (IsInPlay(b) && (*a.GetPosition() - *b.GetPosition()).Length() <= R)
                return testing::AssertionFailure() << "balls " << a.GetIndex() << " and " << b.GetIndex() << " overlap";
        }
    }
    return testing::AssertionSuccess();
}

/// Steps in safe steps of at most a frame until every ball rests, checking every step.
testing::AssertionResult StepToRestChecked(CTestTable& table)
{
    for (int nStep = 0; !table.AllStopped(); ++nStep)
    {
        if (nStep >= 200000)
            return testing::AssertionFailure() << "still moving after " << nStep << " steps";
        table.Step(std::min(table.GetMaxStep(), 16.0));
        testing::AssertionResult result = IsEveryBallInItsPlace(table);
        if (!result)
            return result << " at step " << nStep;
    }
    return testing::AssertionSuccess();
}
} // namespace

TEST_F(CSteppingTest, NoBallPassesThroughACushionOrAnotherBallAtAnyStrokeSpeed)
{
    // The stroke's top speed is 7 m/s (the "HitVelocity" default at a full swing, and the computer
    // player's cap). A stunned cue ball is aimed straight at a ball 0.3 m away in each direction;
    // two more balls stand in the way of the rebounds.
    const float afSpeeds[] = {0.5f, 1.5f, 3.0f, 5.0f, 7.0f};
    const double adDirections[] = {0.0, 20.0, 45.0, 70.0, 90.0, 110.0, 160.0, 200.0, 250.0, 290.0, 330.0};
    for (const float fSpeed : afSpeeds)
    {
        for (const double dDir : adDirections)
        {
            SCOPED_TRACE(testing::Message() << fSpeed << " m/s at " << dDir << " degrees");
            CTestTable table;
            const CVector3 vDir = Heading(dDir);
            CBall& cue = table.AddBall(0, 0.56f, 0.7f);
            CBall& target = table.AddBall(1, 0.56f + 0.3f * vDir.x, 0.7f + 0.3f * vDir.y);
            table.AddBall(2, 0.3f, 1.6f);
            table.AddBall(3, 0.8f, 1.8f);
            cue.SetVelocity(vDir * fSpeed);
            cue.SetRollMode(ROLL_MODE_SLIDING);
            const CVector3 vTargetStart = *target.GetPosition();

            ASSERT_TRUE(StepToRestChecked(table));
            EXPECT_TRUE(table.AllStopped());
            EXPECT_TRUE(target.IsPocketed() || (*target.GetPosition() - vTargetStart).Length() > 0.01)
                << "the cue ball reached the ball in its path";
        }
    }
}

TEST_F(CSteppingTest, SixteenBallBreakAtTopSpeedComesToRestWithEveryBallInItsPlace)
{
    CTestTable table;
    MakeBreakShot(table);
    ASSERT_TRUE(StepToRestChecked(table));
    EXPECT_GT(table.m_nBallContacts, 15) << "the rack spread";
    int nOnTable = 0;
    for (std::size_t i = 0; i < table.BallCount(); ++i)
        nOnTable += table.Ball(i).IsPocketed() ? 0 : 1;
    EXPECT_GT(nOnTable, 0);
}

TEST_F(CSteppingTest, BreakEndsInTheSamePlaceEveryRun)
{
    // Golden hash of where the break leaves the balls (positions in tenths of a millimetre): the
    // simulation is deterministic, and a change to it shows here.
    CTestTable table;
    MakeBreakShot(table);
    table.RunToRest(16.0);
    std::uint64_t nHash = 1469598103934665603ull;
    for (std::size_t i = 0; i < table.BallCount(); ++i)
    {
        const CVector3& p = *table.Ball(i).GetPosition();
        for (const float f : {p.x, p.y, p.z})
        {
            nHash ^= static_cast<std::uint64_t>(std::llround(f * 10000.0));
            nHash *= 1099511628211ull;
        }
    }
    constexpr std::uint64_t EXPECTED_HASH = 12208036029617819177ull;
    EXPECT_EQ(EXPECTED_HASH, nHash) << "actual hash " << nHash;
}
