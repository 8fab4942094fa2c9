// Ball-ball contacts, the contact test and the safe time step.
#include "tests/simulation/BallTable.h"
#include "tests/simulation/SimTestSupport.h"

#include "simulation/Ball.h"

#include <vector>

using CBallContactTest = CSimulationTest;

namespace
{
/// Ball b resting against ball a, touching it along `dir` (a unit vector). Stepped balls meet
/// slightly overlapping; exactly 2R apart the contact test may see float rounding either way.
void PlaceTouching(CBall& a, CBall& b, const CVector3& vA, const CVector3& dir)
{
    const float fApart = 2.0f * R - 1e-5f;
    PlaceOnBed(a, vA.x, vA.y);
    PlaceOnBed(b, vA.x + dir.x * fApart, vA.y + dir.y * fApart);
}
} // namespace

TEST_F(CBallContactTest, FullStraightHitOfARollingObjectBallStopsItAndPassesOnAllItsSpeed)
{
    const float afSpeeds[] = {0.1f, 1.0f, 4.0f};
    for (const float fSpeed : afSpeeds)
    {
        SCOPED_TRACE(fSpeed);
        CBall a(1, 0.0f, 0.0f);
        CBall b(2, 0.0f, 0.0f);
        PlaceTouching(a, b, CVector3(0.5f, 1.0f, 0.0f), CVector3(0.0f, 1.0f, 0.0f));
        a.SetVelocity(CVector3(0.0f, fSpeed, 0.0f));
        a.SetRollSpin(fSpeed / R);
        ASSERT_TRUE(a.IsApproaching(b));
        a.Collide(b);
        EXPECT_NEAR(0.0, a.GetSpeed(), 1e-6);
        EXPECT_FLOAT_EQ(fSpeed, b.GetVelocity().y);
        EXPECT_EQ(0.0f, b.GetVelocity().x);
        EXPECT_EQ(CONTACT_BALL, a.GetLastContactKind());
        EXPECT_EQ(2, a.TakeLastBallHit());
        EXPECT_EQ(1, b.TakeLastBallHit());
        EXPECT_FALSE(a.IsApproaching(b)) << "after the contact the balls separate";
    }
}

TEST_F(CBallContactTest, CueBallKeepsAFifthOfItsNormalSpeedOnAFullHit_GameModelNotTextbook)
{
    // In textbook billiards a stun shot stops the cue ball dead; the game adds a follow term.
    CBall cue(0, 0.0f, 0.0f);
    CBall b(1, 0.0f, 0.0f);
    PlaceTouching(cue, b, CVector3(0.5f, 1.0f, 0.0f), CVector3(0.0f, 1.0f, 0.0f));
    cue.SetVelocity(CVector3(0.0f, 2.0f, 0.0f));
    cue.SetRollMode(ROLL_MODE_SLIDING);
    cue.Collide(b);
    EXPECT_NEAR(0.4, cue.GetVelocity().y, 1e-6);
    EXPECT_FLOAT_EQ(2.0f, b.GetVelocity().y);
    EXPECT_EQ(ROLL_MODE_ROLLING, cue.GetRollMode()) << "a cue ball with little spin rolls on";
}

TEST_F(CBallContactTest, CueBallWithStrongSpinKeepsSlidingWithHalfItsSpinOnASlowHit)
{
    CBall cue(0, 0.0f, 0.0f);
    CBall b(1, 0.0f, 0.0f);
    PlaceTouching(cue, b, CVector3(0.5f, 1.0f, 0.0f), CVector3(0.0f, 1.0f, 0.0f));
    cue.SetVelocity(CVector3(0.0f, 2.0f, 0.0f));
    cue.SetForwardSpin(CVector3(60.0f, 0.0f, 0.0f)); // back spin
    cue.SetRollMode(ROLL_MODE_SLIDING);
    cue.Collide(b);
    EXPECT_EQ(ROLL_MODE_SLIDING, cue.GetRollMode());
    EXPECT_FLOAT_EQ(30.0f, cue.GetForwardSpin().x);
}

TEST_F(CBallContactTest, CutBetweenObjectBallsSendsThemOffAtARightAngle)
{
    const double adCutDeg[] = {10.0, 30.0, 45.0, 60.0, 80.0};
    for (const double dCut : adCutDeg)
    {
        SCOPED_TRACE(dCut);
        CBall a(1, 0.0f, 0.0f);
        CBall b(2, 0.0f, 0.0f);
        // b touches a along a line dCut degrees off a's path (+y).
        PlaceTouching(a, b, CVector3(0.5f, 1.0f, 0.0f), Heading(90.0 - dCut));
        a.SetVelocity(CVector3(0.0f, 1.5f, 0.0f));
        ASSERT_TRUE(a.IsApproaching(b));
        a.Collide(b);
        const CVector3& vA = a.GetVelocity();
        const CVector3& vB = b.GetVelocity();
        EXPECT_NEAR(PI / 2.0, AngleBetween(vA, vB), 1e-4);
        // Momentum is kept (equal masses).
        EXPECT_NEAR(0.0, vA.x + vB.x, 1e-5);
        EXPECT_NEAR(1.5, vA.y + vB.y, 1e-5);
        // The object ball leaves along the line of centres.
        EXPECT_NEAR(0.0, AngleBetween(vB, Heading(90.0 - dCut)), 1e-3);
    }
}

TEST_F(CBallContactTest, ContactTestNeedsTouchingClosingBallsThatAreInPlay)
{
    struct SCase
    {
        const char* szName;
        CVector3 vA;    // velocity of the ball at (0.5, 1.0)
        CVector3 vB;    // velocity of the ball touching it along +y
        float fGap;     // extra distance between the surfaces, m
        int nPocketedB; // b is pocketed (1) or dropping (4), else 0
        BOOL bApproaching;
    };
    static const SCase s_aCases[] = {
        {"touching balls at rest", {}, {}, 0.0f, 0, FALSE},
        {"moving together at equal speed", {0, 1, 0}, {0, 1, 0}, 0.0f, 0, FALSE},
        {"separating", {0, -1, 0}, {}, 0.0f, 0, FALSE},
        {"closing", {0, 1, 0}, {}, 0.0f, 0, TRUE},
        {"closing, the other one moving", {}, {0, -1, 0}, 0.0f, 0, TRUE},
        {"closing but apart", {0, 1, 0}, {}, 0.001f, 0, FALSE},
        {"closing on a pocketed ball", {0, 1, 0}, {}, 0.0f, 1, FALSE},
        {"closing on a dropping ball", {0, 1, 0}, {0, 0, -0.5f}, 0.0f, 4, FALSE},
        {"moving across the line of centres", {1, 0, 0}, {}, 0.0f, 0, TRUE},
    };
    for (const SCase& c : s_aCases)
    {
        SCOPED_TRACE(c.szName);
        CBall a(1, 0.0f, 0.0f);
        CBall b(2, 0.0f, 0.0f);
        PlaceOnBed(a, 0.5f, 1.0f);
        PlaceOnBed(b, 0.5f, 1.0f + 2.0f * R + c.fGap);
        if (c.vA.LengthSq() > 0.0)
            a.SetVelocity(c.vA);
        if (c.vB.LengthSq() > 0.0)
            b.SetVelocity(c.vB);
        if (c.nPocketedB == 1)
            b.SetPocketed(TRUE, FALSE, 0);
        if (c.nPocketedB == 4)
            b.SetRollMode(ROLL_MODE_DROPPING);
        EXPECT_EQ(c.bApproaching, a.IsApproaching(b));
        EXPECT_EQ(c.bApproaching, b.IsApproaching(a));
    }
}

TEST_F(CBallContactTest, TouchingBallsAtRestNeverCollideAgain)
{
    // A rolling ball hits the near ball of a frozen pair straight on: the speed passes through to
    // the far ball, and the two balls left touching at rest never meet again.
    CTestTable table;
    CBall& striker = table.AddBall(1, 0.5f, 0.6f);
    table.AddBall(2, 0.5f, 1.0f);
    CBall& far = table.AddBall(3, 0.5f, 1.0f + 2.0f * R);
    striker.SetVelocity(CVector3(0.0f, 0.5f, 0.0f));
    table.RunToRest(16.0);
    EXPECT_TRUE(table.AllStopped());
    EXPECT_EQ(2, table.m_nBallContacts);
    EXPECT_NEAR(1.0 + 2.0 * R + RollingDistance(std::sqrt(0.25 - 2.0 * 0.15 * (0.4 - 2.0 * R))), far.GetPosition()->y,
                0.01);
}

TEST_F(CBallContactTest, SideSpinIsThrownOnlyByCutsNotByFullHits)
{
    CBall a(1, 0.0f, 0.0f);
    CBall b(2, 0.0f, 0.0f);
    PlaceTouching(a, b, CVector3(0.5f, 1.0f, 0.0f), CVector3(0.0f, 1.0f, 0.0f));
    a.SetVelocity(CVector3(0.0f, 1.0f, 0.0f));
    a.Collide(b);
    EXPECT_EQ(0.0f, a.GetSideSpin().z);
    EXPECT_EQ(0.0f, b.GetSideSpin().z);

    CBall c(3, 0.0f, 0.0f);
    CBall d(4, 0.0f, 0.0f);
    PlaceTouching(c, d, CVector3(0.5f, 1.0f, 0.0f), Heading(45.0));
    c.SetVelocity(CVector3(0.0f, 1.0f, 0.0f));
    c.Collide(d);
    // A half-ball hit gives opposite spins of equal size.
    EXPECT_NE(0.0f, c.GetSideSpin().z);
    EXPECT_FLOAT_EQ(c.GetSideSpin().z, -d.GetSideSpin().z);
}

namespace
{
/// The time in which a ball in the air with vertical speed vz rises or falls R / 5. ms.
double AirStepMs(double vz)
{
    const double g = GRAVITY_MPS2;
    const double h = R / 5.0;
    return (std::sqrt(vz * vz + 2.0 * g * h) - vz) / g * 1000.0;
}
} // namespace

TEST_F(CBallContactTest, SafeTimeStepTable)
{
    struct SCase
    {
        const char* szName;
        CVector3 vPos;
        CVector3 vVel;
        float fOtherY; // y of a resting ball at x = 0.5, or 0 for none
        int nMoving;
        double dExpectMs;
    };
    const double a = DEFAULT_ACCEL_ROLL_DECELER;
    static const SCase s_aCases[] = {
        {"middle of the table, to the far cushion line",
         {0.5f, 1.0f, 0},
         {0, 1, 0},
         0.0f,
         1,
         (TABLE_LENGTH_M - R - 1.0) * 1000.0},
        {"diagonal, the nearer line counts",
         {0.5f, 1.0f, 0},
         {0.6f, 0.8f, 0},
         0.0f,
         1,
         (TABLE_WIDTH_M - R - 0.5) / 0.6 * 1000.0},
        {"half the gap to another ball", {0.5f, 1.0f, 0}, {0, 1, 0}, 1.0f + 2 * R + 0.1f, 1, 50.0},
        {"in the cushion band, one moving ball", {0.01f, 1.0f, 0}, {0, 1, 0}, 0.0f, 1, R / 20.0 * 1000.0},
        {"in the cushion band, sixteen moving", {0.01f, 1.0f, 0}, {0, 1, 0}, 0.0f, 16, 16 * R / 20.0 * 1000.0},
        {"on the floor, until it stops", {2.0f, 1.0f, FLOOR_HEIGHT_M}, {0, 1, 0}, 0.0f, 1, 1.0 / a * 1000.0},
        {"slow ball, until it stops", {0.5f, 1.0f, 0}, {0, 0.1f, 0}, 0.0f, 1, 0.1 / (a / 2.0) * 1000.0},
        // In the air a ball rises or falls at most R / 5 per step: |vz| t + g t^2 / 2 = R / 5.
        {"rising off a cushion", {0.5f, 1.0f, 0}, {0, 4, 0.3f}, 0.0f, 1, AirStepMs(0.3)},
        {"at the top of a flight", {0.5f, 1.0f, 2 * R}, {0, 4, 0}, 0.0f, 1, AirStepMs(0.0)},
        {"falling", {0.5f, 1.0f, 2 * R}, {0, 4, -0.6f}, 0.0f, 1, AirStepMs(0.6)},
        {"in the air over the cushion band, sixteen moving",
         {0.01f, 1.0f, 2 * R},
         {0, 0.5f, 0},
         0.0f,
         16,
         AirStepMs(0.0)},
    };
    for (const SCase& c : s_aCases)
    {
        SCOPED_TRACE(c.szName);
        CBall ball(1, 0.0f, 0.0f);
        CBall other(2, 0.0f, 0.0f);
        ball.SetPocketed(FALSE, FALSE, -1);
        ball.SetPosition(c.vPos);
        ball.SetVelocity(c.vVel);
        std::vector<const CBall*> balls = {&ball};
        if (c.fOtherY != 0.0f)
        {
            PlaceOnBed(other, 0.5f, c.fOtherY);
            balls.push_back(&other);
        }
        const CVector3 lo(0.0f, 0.0f, 0.0f);
        const CVector3 hi(TABLE_WIDTH_M, TABLE_LENGTH_M, 0.0f);
        EXPECT_NEAR(c.dExpectMs, ball.GetSafeTimeStep(balls, lo, hi, c.nMoving), 1e-3 * c.dExpectMs);
    }
}

TEST_F(CBallContactTest, SafeTimeStepSetsNoLimitForARestingBallOrOneWithoutSpeed)
{
    // A moving ball whose speed is zero (it only spins) would divide by its speed.
    CBall ball(1, 0.5f, 1.0f);
    ball.SetPocketed(FALSE, FALSE, -1);
    const std::vector<const CBall*> balls = {&ball};
    const CVector3 hi(TABLE_WIDTH_M, TABLE_LENGTH_M, 0.0f);
    EXPECT_EQ(NO_STEP_LIMIT_MS, ball.GetSafeTimeStep(balls, CVector3(), hi, 1));
    ball.SetVelocity(CVector3());
    ball.SetSideSpinZ(40.0f);
    ASSERT_TRUE(ball.IsMoving());
    EXPECT_EQ(NO_STEP_LIMIT_MS, ball.GetSafeTimeStep(balls, CVector3(), hi, 1));
}

TEST_F(CBallContactTest, GhostBallLiesTwoRadiiBehindTheObjectBallAwayFromTheTarget)
{
    const CVector3 vBall(0.5f, 1.0f, 0.0f);
    const CVector3 vGhost = CalcGhostBallPos(vBall, CVector3(0.5f, 2.0f, 0.0f));
    EXPECT_FLOAT_EQ(0.5f, vGhost.x);
    EXPECT_FLOAT_EQ(1.0f - 2.0f * R, vGhost.y);
    EXPECT_FLOAT_EQ(vGhost.y, CalcGhostBallPosY(vBall, CVector3(0.5f, 2.0f, 0.0f)));
    const CVector3 vDiag = CalcGhostBallPos(vBall, CVector3(1.5f, 2.0f, 0.0f));
    EXPECT_NEAR(2.0 * R, (vDiag - vBall).Length(), 1e-6);
    EXPECT_NEAR(PI, AngleBetween(vDiag - vBall, CVector3(1.0f, 1.0f, 0.0f)), 1e-5);
}
