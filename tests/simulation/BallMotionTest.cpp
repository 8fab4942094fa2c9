// One ball's motion: deceleration, the position step, sliding, side spin, flight and the floor.
#include "tests/simulation/SimTestSupport.h"

#include "simulation/Ball.h"

using CBallMotionTest = CSimulationTest;

TEST_F(CBallMotionTest, RollingDecelerationFallsBelowPointTwoMetresPerSecondToAFloor)
{
    struct SCase
    {
        const char* szName;
        float fSpeed;
        float fDecel;
    };
    static const SCase s_aCases[] = {
        {"fast", 3.0f, 0.15f},          {"at the knee", 0.2f, 0.15f}, {"half the knee", 0.1f, 0.075f},
        {"at the floor", 0.04f, 0.03f}, {"slow", 0.01f, 0.03f},       {"resting", 0.0f, 0.03f},
    };
    for (const SCase& c : s_aCases)
    {
        SCOPED_TRACE(c.szName);
        CBall ball(1, 0.5f, 1.0f);
        ball.SetVelocity(CVector3(0.0f, c.fSpeed, 0.0f));
        EXPECT_NEAR(c.fDecel, ball.GetRollDeceleration(), 1e-6);
    }
}

TEST_F(CBallMotionTest, SetSideSpinZClampsAndCutsSpinOnANearlyRestingBall)
{
    struct SCase
    {
        const char* szName;
        float fSpeed;
        float fSpin;
        float fStored;
    };
    static const SCase s_aCases[] = {
        {"above the limit", 1.0f, 80.0f, 50.0f},
        {"below the negative limit", 1.0f, -80.0f, -50.0f},
        {"inside the limits", 1.0f, 20.0f, 20.0f},
        {"slow ball, clamped then cut", 0.005f, 80.0f, 5.0f},
        {"resting ball, cut to a tenth", 0.0f, -30.0f, -3.0f},
    };
    for (const SCase& c : s_aCases)
    {
        SCOPED_TRACE(c.szName);
        CBall ball(1, 0.5f, 1.0f);
        ball.SetVelocity(CVector3(c.fSpeed, 0.0f, 0.0f));
        ball.SetSideSpin(CVector3(1.0f, 2.0f, 0.0f));
        ball.SetSideSpinZ(c.fSpin);
        EXPECT_FLOAT_EQ(c.fStored, ball.GetSideSpin().z);
        EXPECT_FLOAT_EQ(1.0f, ball.GetSideSpin().x) << "x and y of the side spin are kept";
    }
}

TEST_F(CBallMotionTest, RollingBallStopsAtTheModelsDistanceWhateverTheStepLength)
{
    // Long steps (the aiming aid takes steps up to the next cushion) must roll as far as frame-sized
    // ones: each step covers the mean of the velocities before and after it.
    struct SCase
    {
        const char* szName;
        float fSpeed;
        double dStepMs;
    };
    static const SCase s_aCases[] = {
        {"0.8 m/s in 1 ms steps", 0.8f, 1.0},
        {"0.8 m/s in 100 ms steps", 0.8f, 100.0},
        {"0.5 m/s in 16 ms steps", 0.5f, 16.0},
        {"0.3 m/s in 100 ms steps", 0.3f, 100.0},
    };
    for (const SCase& c : s_aCases)
    {
        SCOPED_TRACE(c.szName);
        // Along the whole bed (at most 2.24 m), which has no cushions here.
        CBall ball(1, 0.0f, 0.0f);
        PlaceOnBed(ball, 0.5f, 0.0f);
        ball.SetVelocity(CVector3(0.0f, c.fSpeed, 0.0f));
        MoveToRest(ball, c.dStepMs);
        EXPECT_FALSE(ball.IsMoving());
        // The rolled distance matches the model within a centimetre (the slow phase is stepped
        // with the deceleration at each step's start).
        EXPECT_NEAR(RollingDistance(c.fSpeed), ball.GetPosition()->y, 0.01);
        EXPECT_FLOAT_EQ(ball.GetPosition()->y, ball.GetStopPosition().y);
        EXPECT_FLOAT_EQ(0.5f, ball.GetPosition()->x);
    }
}

TEST_F(CBallMotionTest, RollingBallSpinsAtItsSpeedOverTheRadiusAboutTheRollAxis)
{
    CBall ball(3, 0.0f, 0.0f);
    PlaceOnBed(ball, 0.5f, 1.0f);
    ball.SetVelocity(CVector3(0.6f, 0.8f, 0.0f));
    ball.Move(10.0);
    const CVector3& v = ball.GetVelocity();
    const CVector3& w = ball.GetForwardSpin();
    const double dSpeed = v.Length();
    EXPECT_NEAR(dSpeed / R, w.Length(), 1e-3);
    // No slip: velocity plus the spin's surface speed is zero.
    EXPECT_NEAR(0.0, v.x - w.y * R, 1e-5);
    EXPECT_NEAR(0.0, v.y + w.x * R, 1e-5);
    EXPECT_EQ(ROLL_MODE_ROLLING, ball.GetRollMode());
}

TEST_F(CBallMotionTest, StunnedCueBallEndsRollingAtAThirdOfItsSpeed_GameModelNotFiveSevenths)
{
    // The game's sliding friction (5 a against the slip, 50 a on the spin) turns a slide at 1 m/s
    // into a roll at about 0.3 m/s, not the textbook 5/7 of the speed.
    CBall cue(0, 0.0f, 0.0f);
    PlaceOnBed(cue, 0.5f, 0.0f);
    cue.SetVelocity(CVector3(0.0f, 1.0f, 0.0f));
    cue.SetRollMode(ROLL_MODE_SLIDING);
    for (int i = 0; i < 5000 && cue.GetRollMode() == ROLL_MODE_SLIDING; ++i)
        cue.Move(1.0);
    EXPECT_EQ(ROLL_MODE_ROLLING, cue.GetRollMode());
    const double a = DEFAULT_ACCEL_ROLL_DECELER;
    const double dSlipRate = 5.0 * a + 50.0 * a * R; // how fast the slip shrinks, m/s^2
    const double dTime = (1.0 - 0.1) / dSlipRate;    // until the slip is below 0.1 m/s
    EXPECT_NEAR(1.0 - 5.0 * a * dTime, cue.GetSpeed(), 0.01);
    EXPECT_EQ(0.0f, cue.GetPosition()->z) << "still on the bed";
}

TEST_F(CBallMotionTest, ObjectBallsNeverSlideOnTheBed)
{
    CBall ball(5, 0.0f, 0.0f);
    PlaceOnBed(ball, 0.5f, 1.0f);
    ball.SetVelocity(CVector3(0.0f, 2.0f, 0.0f));
    ball.SetRollMode(ROLL_MODE_SLIDING);
    ball.Move(1.0);
    EXPECT_EQ(ROLL_MODE_ROLLING, ball.GetRollMode());
}

TEST_F(CBallMotionTest, SideSpinDecaysToExactlyZeroAndKeepsTheBallMovingUntilThen)
{
    CBall ball(2, 0.0f, 0.0f);
    PlaceOnBed(ball, 0.5f, 1.0f);
    ball.SetVelocity(CVector3(0.0f, 0.05f, 0.0f));
    ball.SetSideSpinZ(18.0f);
    // The roll ends after about 1.7 s; 18 rad/s of side spin at 9 rad/s^2 lasts 2 s.
    double t = 0.0;
    for (; ball.IsMoving() && t < 5000.0; t += 10.0)
        ball.Move(10.0);
    EXPECT_NEAR(2000.0, t, 20.0);
    EXPECT_EQ(0.0f, ball.GetSideSpin().z);
    EXPECT_EQ(0.0f, ball.GetSpeed());
}

TEST_F(CBallMotionTest, JumpsFlyNoHigherThanTheCapAndLand)
{
    struct SCase
    {
        const char* szName;
        int nBall;
        float fUp;       // vertical speed given, m/s
        bool bFlies;     // leaves the bed
        int nLandedMode; // roll mode on landing
    };
    // Take-off speeds: the landing threshold is sqrt(4.9 R / 5) = 0.167 m/s, the cap sqrt(4.9 * 5 R).
    static const SCase s_aCases[] = {
        {"below the landing speed", 0, 0.1f, false, ROLL_MODE_ROLLING},
        {"cue ball jump lands sliding", 0, 0.5f, true, ROLL_MODE_SLIDING},
        {"object ball jump lands rolling", 4, 0.5f, true, ROLL_MODE_ROLLING},
        {"capped jump", 0, 5.0f, true, ROLL_MODE_SLIDING},
    };
    const double dCap = std::sqrt(4.9 * DEFAULT_MAX_FLIGHT_HEIGHT_PER_R * R);
    for (const SCase& c : s_aCases)
    {
        SCOPED_TRACE(c.szName);
        CBall ball(c.nBall, 0.0f, 0.0f);
        PlaceOnBed(ball, 0.5f, 0.5f);
        ball.SetVelocity(CVector3(0.0f, 1.0f, c.fUp));
        ball.Move(1.0);
        EXPECT_EQ(c.bFlies, ball.GetRollMode() == ROLL_MODE_FLYING);
        double dTop = 0.0;
        int nSteps = 0;
        for (; ball.GetRollMode() == ROLL_MODE_FLYING && nSteps < 1000; ++nSteps)
        {
            dTop = std::max(dTop, double(ball.GetPosition()->z));
            ball.Move(1.0);
        }
        EXPECT_LT(nSteps, 1000) << "the ball landed";
        const double dUp = std::min(double(c.fUp), dCap);
        EXPECT_LE(dTop, dUp * dUp / (2.0 * GRAVITY_MPS2) + 1e-3);
        EXPECT_EQ(0.0f, ball.GetPosition()->z);
        EXPECT_EQ(0.0f, ball.GetVelocity().z);
        ball.Move(1.0);
        EXPECT_EQ(c.nLandedMode, ball.GetRollMode());
    }
}

TEST_F(CBallMotionTest, BallLeavingTheCushionBandFallsToTheFloorAndRollsThere)
{
    CBall ball(6, 0.0f, 0.0f);
    PlaceOnBed(ball, TABLE_WIDTH_M + CUSHION_BAND_M + 0.01f, 1.0f);
    ball.SetVelocity(CVector3(1.0f, 0.0f, 0.0f));
    ball.Move(1.0);
    EXPECT_EQ(ROLL_MODE_FLYING, ball.GetRollMode());
    for (int i = 0; i < 2000 && ball.GetRollMode() == ROLL_MODE_FLYING; ++i)
        ball.Move(1.0);
    EXPECT_FLOAT_EQ(FLOOR_HEIGHT_M, ball.GetPosition()->z);
    ball.Move(1.0);
    EXPECT_EQ(ROLL_MODE_ROLLING, ball.GetRollMode());
    EXPECT_TRUE(ball.IsMoving());
    MoveToRest(ball, 10.0);
    EXPECT_FALSE(ball.IsMoving());
    EXPECT_FLOAT_EQ(FLOOR_HEIGHT_M, ball.GetPosition()->z);
}

TEST_F(CBallMotionTest, BallFarOffTheTableStopsAtOnce)
{
    CBall ball(6, 0.0f, 0.0f);
    ball.SetPocketed(FALSE, FALSE, -1);
    ball.SetPositionXYZ(TABLE_WIDTH_M + 3.5f, 1.0f, FLOOR_HEIGHT_M);
    ball.SetVelocity(CVector3(1.0f, 0.0f, 0.0f));
    ball.Move(1.0);
    EXPECT_FALSE(ball.IsMoving());
    EXPECT_FLOAT_EQ(TABLE_WIDTH_M + 3.5f, ball.GetPosition()->x);
}

TEST_F(CBallMotionTest, DroppingBallSinksAtLeastHalfAMetrePerSecondOverTheBed)
{
    CBall ball(7, 0.0f, 0.0f);
    ball.SetPocketed(FALSE, FALSE, -1);
    ball.SetPositionXYZ(0.01f, 1.0f, 0.0f);
    ball.SetRollMode(ROLL_MODE_DROPPING);
    ball.SetVelocity(CVector3(-1.0f, 0.0f, -0.1f));
    ball.Move(10.0);
    EXPECT_FLOAT_EQ(-0.5f, ball.GetVelocity().z);
    EXPECT_FLOAT_EQ(0.0f, ball.GetPosition()->x) << "kept over the bed rectangle";
    EXPECT_NEAR(-0.005, ball.GetPosition()->z, 1e-6);
}

TEST_F(CBallMotionTest, OrientationStaysOrthonormalThroughALongRoll)
{
    CBall ball(9, 0.0f, 0.0f);
    PlaceOnBed(ball, 0.5f, 0.2f);
    ball.SetVelocity(CVector3(0.1f, 1.5f, 0.0f));
    ball.SetSideSpinZ(30.0f);
    CVector3 vOrY, vOrZ;
    ball.GetOrientation(vOrY, vOrZ);
    const double dAngle = AngleBetween(vOrY, vOrZ);
    for (int i = 0; i < 3000 && ball.IsMoving(); ++i)
        ball.Move(1.0);
    ball.GetOrientation(vOrY, vOrZ);
    EXPECT_NEAR(1.0, vOrY.Length(), 1e-3);
    EXPECT_NEAR(1.0, vOrZ.Length(), 1e-3);
    EXPECT_NEAR(dAngle, AngleBetween(vOrY, vOrZ), 1e-3);
}

TEST_F(CBallMotionTest, NewBallsArePocketedAndOnlyTheCueBallHasAFixedOrientation)
{
    SetCueBallNumber(3);
    CBall cue(3, 0.2f, 0.3f);
    CBall other(4, 0.2f, 0.3f);
    EXPECT_TRUE(cue.IsPocketed());
    EXPECT_EQ(-1, cue.GetPocket());
    EXPECT_EQ(-1, cue.TakeLastBallHit());
    EXPECT_FALSE(cue.IsMoving());
    EXPECT_FLOAT_EQ(0.3f, cue.GetStopPosition().y);
    CVector3 vOrY, vOrZ;
    cue.GetOrientation(vOrY, vOrZ);
    EXPECT_EQ(1.0f, vOrY.z);
    EXPECT_EQ(1.0f, vOrZ.y);
    other.GetOrientation(vOrY, vOrZ);
    EXPECT_NEAR(1.0, vOrY.Length(), 1e-5);
    EXPECT_NEAR(PI / 2.0, AngleBetween(vOrY, vOrZ), 1e-4);
    EXPECT_FALSE(vOrY.z == 1.0f && vOrZ.y == 1.0f) << "turned at random";
}

TEST_F(CBallMotionTest, TrackRecordsOnlyWhileWritingAndEndsWhereTheBallLeavesTheBed)
{
    CBall ball(1, 0.0f, 0.0f);
    PlaceOnBed(ball, 0.5f, 1.0f);
    ball.RecordPoint(TRACK_POINT_BALL);
    EXPECT_TRUE(ball.GetTrackPoints().empty());
    ball.SetWritePos(TRUE);
    ball.RecordPoint(TRACK_POINT_CUSHION);
    ball.RecordValue(42);
    ball.SetPositionXYZ(-0.01f, 1.0f, 0.0f);
    ball.SetVelocity(CVector3(-0.5f, 0.0f, 0.0f));
    ball.Move(1.0);
    ASSERT_EQ(2u, ball.GetTrackPoints().size());
    EXPECT_EQ(TRACK_POINT_PLAIN, ball.GetTrackKinds()[1]);
    EXPECT_FALSE(ball.GetWritePos());
    EXPECT_EQ(42, ball.GetTrackValues().at(0));
    ball.ClearTrack();
    EXPECT_TRUE(ball.GetTrackPoints().empty());
}
