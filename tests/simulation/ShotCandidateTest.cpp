#include "simulation/ShotCandidate.h"

#include "simulation/PathTest.h"
#include "simulation/PhysicsConstants.h"
#include "simulation/ShotInfo.h"
#include "simulation/ShotTable.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace
{
constexpr float R = BALL_RADIUS_M;
constexpr float W = TABLE_WIDTH_M;
constexpr float L = TABLE_LENGTH_M;

CVector3 Unit(const CVector3& v) { return v.GetNormalized(); }

/// The point at distance d from `from` away from `to` (behind `from` seen from `to`).
CVector3 Behind(const CVector3& from, const CVector3& to, float d) { return from + Unit(from - to) * d; }

/// v turned by a radians.
CVector3 Turn(const CVector3& v, double a)
{
    const double c = std::cos(a), s = std::sin(a);
    return CVector3(static_cast<float>(c * v.x - s * v.y), static_cast<float>(s * v.x + c * v.y), 0.0f);
}

/// Cue ball 0 placed dCue metres from the object ball 1 at (ox, oy) so that the line from the cue
/// ball to the object ball makes the angle `cut` (radians) with the object ball's way to the pocket.
CShotTable CutShot(int nPocket, float ox, float oy, double cut, float dCue)
{
    CShotTable t;
    t.SetBall(1, ox, oy);
    const CVector3 O(ox, oy, 0.0f);
    const CVector3 P = t.GetAimPoint(nPocket, O);
    const CVector3 C = O + Turn(Unit(O - P), cut) * dCue;
    t.SetBall(0, C.x, C.y);
    return t;
}

/// The unit direction the engines' strike sends the cue ball along for a stroke direction.
CVector3 StrokeDir(double dAim)
{
    return CVector3(static_cast<float>(std::cos(-dAim)), static_cast<float>(std::sin(-dAim)), 0.0f);
}
} // namespace

// -- Path tests -----------------------------------------------------------------------------------

TEST(ShotCandidatePathTest, BlockersOnBesideBehindAndBeyondThePath)
{
    struct SCase
    {
        const char* szName;
        float bx, by; // blocker ball 5
        BOOL bRange;  // range 1..7 set (ball 5 inside, so use ball 12 when FALSE in range)
        int nBlocker;
        int nIgnore2; // -1: the cue ball's path; 2: an object-ball leg
        double dValue;
    };
    // Path from (0.3, 0.5) to (0.3, 1.5) along y.
    const SCase cases[] = {
        {"on the path", 0.3f, 1.0f, FALSE, 5, 2, CPathBlockTest::BLOCKED},
        {"just within two radii", 0.3f + 2.0f * R - 1e-4f, 1.0f, FALSE, 5, 2, CPathBlockTest::BLOCKED},
        {"just beyond two radii", 0.3f + 2.0f * R + 1e-4f, 1.0f, FALSE, 5, 2, CPathBlockTest::FREE},
        {"behind the start", 0.3f, 0.45f, FALSE, 5, 2, CPathBlockTest::FREE},
        {"beyond the end", 0.3f, 1.55f, FALSE, 5, 2, CPathBlockTest::FREE},
        {"outside the range, cue path", 0.3f, 1.0f, TRUE, 12, 2, CPathBlockTest::BLOCKED_OUTSIDE_RANGE},
        {"inside the range, cue path", 0.3f, 1.0f, TRUE, 5, 2, CPathBlockTest::BLOCKED},
        {"outside the range, object leg", 0.3f, 1.0f, TRUE, 12, -1, CPathBlockTest::BLOCKED},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CShotTable t;
        if (c.bRange)
            t.SetBallRange(1, 8, TRUE);
        t.SetBall(c.nBlocker, c.bx, c.by);
        // Ignoring 0 and 2 is a cue-ball path; ignoring 3 and 2 an object-ball leg.
        const int nIgnore1 = c.nIgnore2 == 2 ? 0 : 3;
        CPathBlockTest test(1.0, t, CVector3(0.3f, 0.5f, 0.0f), CVector3(0.3f, 1.5f, 0.0f), nIgnore1, 2, TRUE);
        EXPECT_EQ(c.dValue, test.GetValue());
    }
}

TEST(ShotCandidatePathTest, PlacementAtTheEndMustFitOnTheBed)
{
    struct SCase
    {
        const char* szName;
        CVector3 vTo;
        BOOL bSkip;
        double dValue;
    };
    const CShotTable t;
    const CVector3 vPocket0 = t.GetPocket(0).vFar;
    const SCase cases[] = {
        {"on the bed", CVector3(0.5f, 1.0f, 0.0f), FALSE, CPathBlockTest::FREE},
        {"one radius from a cushion", CVector3(R, 1.0f, 0.0f), FALSE, CPathBlockTest::FREE},
        {"overlapping a cushion", CVector3(R * 0.5f, 1.0f, 0.0f), FALSE, CPathBlockTest::BLOCKED},
        {"overlapping the far end", CVector3(0.5f, L - 0.5f * R, 0.0f), FALSE, CPathBlockTest::BLOCKED},
        {"in a pocket", vPocket0, FALSE, CPathBlockTest::BLOCKED},
        {"in a pocket, test skipped", vPocket0, TRUE, CPathBlockTest::FREE},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CPathBlockTest test(1.0, t, CVector3(0.5f, 0.5f, 0.0f), c.vTo, 0, 1, c.bSkip);
        EXPECT_EQ(c.dValue, test.GetValue());
    }
}

// -- The direct shot ------------------------------------------------------------------------------

TEST(ShotCandidateTest, StraightInShotIsEasyAndAimsAtTheObjectBall)
{
    for (int nPocket = 0; nPocket < SHOT_POCKET_COUNT; ++nPocket)
    {
        SCOPED_TRACE(nPocket);
        const CShotTable t = CutShot(nPocket, 0.5f, 1.1176f + (nPocket % 3 - 1) * 0.4f, 0.0, 0.4f);
        CShotCandidate c;
        c.Evaluate(t, nPocket, 0, 1);
        EXPECT_GT(c.GetValue(), 0.9);
        EXPECT_NEAR(0.0, c.GetCutAngle(), 1e-3);
        EXPECT_NEAR(0.0, c.GetAimOffset(), 1e-3);
        EXPECT_EQ(3u, c.GetTestCount()); // cue path, object path, scratch test
        const CVector3 vToObject = Unit(t.GetPos(1) - t.GetPos(0));
        EXPECT_NEAR(1.0, Dot3(vToObject.x, vToObject.y, 0, StrokeDir(c.GetAim()).x, StrokeDir(c.GetAim()).y, 0), 1e-5);

        CShotInfo record;
        record.m_dDeviation = 0.25;
        c.FillShot(record);
        EXPECT_EQ(nPocket, record.m_nPocket);
        EXPECT_EQ(0, record.m_nCueBall);
        EXPECT_EQ(1, record.m_nObjectBall);
        EXPECT_EQ(-1, record.m_nSecondBall);
        EXPECT_EQ(SHOT_KIND_DIRECT, record.m_nKind);
        EXPECT_DOUBLE_EQ(c.GetAim(), record.m_dAim);
        EXPECT_EQ(0.25, record.m_dDeviation);
    }
}

TEST(ShotCandidateTest, CutAtTheNinetyDegreeLimit)
{
    struct SCase
    {
        const char* szName;
        double dCutDeg;
        BOOL bPassesCutTest; // the path tests were made
        BOOL bPositive;
    };
    const SCase cases[] = {
        {"60 degrees", 60.0, TRUE, TRUE},     {"85 degrees: too thin to rate", 85.0, TRUE, FALSE},
        {"89.9 degrees", 89.9, TRUE, FALSE},  {"90.1 degrees: beyond the limit", 90.1, FALSE, FALSE},
        {"120 degrees", 120.0, FALSE, FALSE},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CShotTable t = CutShot(1, 0.4f, L / 2.0f, c.dCutDeg * std::numbers::pi / 180.0, 0.3f);
        t.SetScratchCheck(FALSE);
        CShotCandidate cand;
        cand.Evaluate(t, 1, 0, 1);
        EXPECT_EQ(c.bPassesCutTest, cand.GetTestCount() > 0);
        EXPECT_EQ(c.bPositive, cand.GetValue() > 0.0);
    }
}

TEST(ShotCandidateTest, CueBallNearerThePocketThanTheObjectBallIsNoShot)
{
    CShotTable t;
    t.SetBall(1, 0.5f, 1.0f);
    t.SetBall(0, 0.5f, 0.3f); // between the object ball and pocket 2 at the near end
    t.SetScratchCheck(FALSE);
    CShotCandidate c;
    c.Evaluate(t, 2, 0, 1);
    EXPECT_EQ(0.0, c.GetValue());
    EXPECT_EQ(0u, c.GetTestCount());
}

TEST(ShotCandidateTest, BlockedPathsMakeTheShotImpossible)
{
    struct SCase
    {
        const char* szName;
        double dAlong; // blocker position: fraction along the cue path (<= 1) or the object path (> 1)
        BOOL bPositive;
    };
    const SCase cases[] = {
        {"no blocker", -1.0, TRUE},
        {"on the cue ball's path", 0.5, FALSE},
        {"on the object ball's path", 1.5, FALSE},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CShotTable t = CutShot(1, 0.5f, L / 2.0f, 0.0, 0.6f);
        const CVector3 C = t.GetPos(0), O = t.GetPos(1), P = t.GetAimPoint(1, O);
        if (c.dAlong >= 0.0 && c.dAlong <= 1.0)
        {
            const CVector3 B = C + (O - C) * static_cast<float>(c.dAlong);
            t.SetBall(7, B.x, B.y);
        }
        else if (c.dAlong > 1.0)
        {
            const CVector3 B = O + (P - O) * static_cast<float>(c.dAlong - 1.0);
            t.SetBall(7, B.x, B.y);
        }
        CShotCandidate cand;
        cand.Evaluate(t, 1, 0, 1);
        EXPECT_EQ(c.bPositive, cand.GetValue() > 0.0);
    }
}

TEST(ShotCandidateTest, LongerOrThinnerShotsRateHarder)
{
    // Longer cue-ball travel, same straight line.
    double dLast = 2.0;
    for (float d : {0.1f, 0.2f, 0.4f, 0.7f, 1.0f})
    {
        SCOPED_TRACE(d);
        CShotCandidate c;
        c.Evaluate(CutShot(2, 0.5f, 0.8f, 0.0, d), 2, 0, 1);
        EXPECT_GT(c.GetValue(), 0.0);
        EXPECT_LT(c.GetValue(), dLast);
        dLast = c.GetValue();
    }
    // Longer object-ball travel.
    dLast = 2.0;
    for (float y : {0.5f, 0.8f, 1.2f, 1.6f})
    {
        SCOPED_TRACE(y);
        CShotCandidate c;
        c.Evaluate(CutShot(2, 0.4f, y, 0.0, 0.3f), 2, 0, 1);
        EXPECT_GT(c.GetValue(), 0.0);
        EXPECT_LT(c.GetValue(), dLast);
        dLast = c.GetValue();
    }
    // Thinner cuts at the same distances.
    dLast = 2.0;
    for (double deg : {0.0, 10.0, 20.0, 30.0, 45.0, 60.0})
    {
        SCOPED_TRACE(deg);
        CShotTable t = CutShot(1, 0.4f, L / 2.0f, deg * std::numbers::pi / 180.0, 0.3f);
        t.SetScratchCheck(FALSE);
        CShotCandidate c;
        c.Evaluate(t, 1, 0, 1);
        EXPECT_GT(c.GetValue(), 0.0);
        EXPECT_LT(c.GetValue(), dLast);
        dLast = c.GetValue();
    }
}

TEST(ShotCandidateTest, ScoreOfDegenerateGeometryIsImpossibleNotNaN)
{
    // Balls touching: the root of the score's formula goes negative.
    CShotTable t;
    t.SetBall(1, 0.5f, 1.0f);
    t.SetBall(0, 0.5f, 1.0f + 2.0f * R);
    t.SetScratchCheck(FALSE);
    CShotCandidate c;
    c.Evaluate(t, 2, 0, 1);
    EXPECT_TRUE(std::isfinite(c.GetValue()));
    EXPECT_TRUE(std::isfinite(c.GetDifficulty()));
    // Two balls on the same spot.
    t.SetBall(0, 0.5f, 1.0f);
    c.Evaluate(t, 2, 0, 1);
    EXPECT_TRUE(std::isfinite(c.GetValue()));
    EXPECT_TRUE(std::isfinite(c.GetAim()));
}

// -- Scratch risk ---------------------------------------------------------------------------------

TEST(ShotCandidateTest, CueBallRunningFreeIntoAnotherPocketIsAScratchRisk)
{
    // The object ball goes into pocket 2; at the contact the cue ball's tangent line points straight
    // at pocket 5 (the contact lies on the circle over the line between the two pockets).
    const CShotTable empty;
    const CVector3 P2 = empty.GetPocket(2).vFar, Q5 = empty.GetPocket(5).vFar;
    const CVector3 vCentre = (P2 + Q5) * 0.5f;
    const float fRadius = static_cast<float>(P2.Distance(Q5) / 2.0);
    const double a = 60.0 * std::numbers::pi / 180.0;
    const CVector3 G =
        vCentre + CVector3(static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a)), 0.0f) * fRadius;
    const CVector3 n = Unit(P2 - G);
    const CVector3 tangent = Unit(Q5 - G);
    const CVector3 O = G + n * (2.0f * R);
    const CVector3 C = G - n * 0.3f - tangent * 0.3f;

    struct SCase
    {
        const char* szName;
        BOOL bScratchCheck;
        BOOL bBlocker; // a ball on the cue ball's way to pocket 5
        BOOL bPositive;
    };
    const SCase cases[] = {
        {"free run into pocket 5", TRUE, FALSE, FALSE},
        {"scratch check off", FALSE, FALSE, TRUE},
        {"a ball stops the cue ball", TRUE, TRUE, TRUE},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CShotTable t;
        t.SetBall(0, C.x, C.y);
        t.SetBall(1, O.x, O.y);
        ASSERT_EQ(P2.x, t.GetAimPoint(2, O).x); // the object ball aims at the pocket's position
        if (c.bBlocker)
        {
            const CVector3 B = G + tangent * 0.3f;
            t.SetBall(9, B.x, B.y);
        }
        t.SetScratchCheck(c.bScratchCheck);
        CShotCandidate cand;
        cand.Evaluate(t, 2, 0, 1);
        EXPECT_EQ(c.bPositive, cand.GetValue() > 0.0);
    }
}

// -- Bank, kick and two-ball shots ------------------------------------------------------------------

TEST(ShotCandidateTest, BankOffEachLongCushion)
{
    // Mirror images across the table: pocket 2 banks off the cushion at x = W - R, pocket 5 off
    // the one at x = R; both rate the same.
    struct SCase
    {
        int nPocket;
        float ox;
    };
    double adValue[2] = {};
    const SCase cases[] = {{2, 0.35f}, {5, W - 0.35f}};
    for (int i = 0; i < 2; ++i)
    {
        const SCase& c = cases[i];
        SCOPED_TRACE(c.nPocket);
        CShotTable t;
        t.SetBall(1, c.ox, 0.9f);
        const CVector3 O = t.GetPos(1);
        const CVector3 P = t.GetAimPoint(c.nPocket, O);
        const float fCushion = c.nPocket <= 2 ? W - R : R;
        const CVector3 Pm(2.0f * fCushion - P.x, P.y, 0.0f);
        const CVector3 K = O + (Pm - O) * static_cast<float>((fCushion - O.x) / (Pm.x - O.x));
        const CVector3 C = Behind(O, K, 0.35f);
        t.SetBall(0, C.x, C.y);
        CShotCandidateB bank;
        bank.Evaluate(t, c.nPocket, 0, 1);
        EXPECT_EQ(SHOT_KIND_BANK, bank.GetKind());
        EXPECT_GT(bank.GetValue(), 0.0);
        EXPECT_NEAR(K.Distance(O) + P.Distance(K), bank.GetObjectDist(), 1e-5);
        // The cue ball heads for the object ball, towards the cushion's side.
        const CVector3 d = StrokeDir(bank.GetAim());
        EXPECT_GT(Dot3(d.x, d.y, 0, O.x - C.x, O.y - C.y, 0), 0.0);
        adValue[i] = bank.GetValue();
        // The same shot played direct is a different (harder-factor-free) candidate.
        CShotCandidate direct;
        direct.Evaluate(t, c.nPocket, 0, 1);
        EXPECT_NE(direct.GetValue(), bank.GetValue());
    }
    EXPECT_NEAR(adValue[0], adValue[1], 1e-4);
}

TEST(ShotCandidateTest, BankThroughTheSidePocketMouthIsNoShot)
{
    // Straight across into side pocket 1: the contact point lies in the mouth of side pocket 4.
    CShotTable t;
    t.SetBall(1, 0.6f, L / 2.0f);
    t.SetBall(0, 0.3f, L / 2.0f);
    CShotCandidateB bank;
    bank.Evaluate(t, 1, 0, 1);
    EXPECT_EQ(0.0, bank.GetValue());
    EXPECT_EQ(0u, bank.GetTestCount());
}

TEST(ShotCandidateTest, KickOffTheLongCushionAroundABlocker)
{
    // Object ball 1 straight in front of pocket 5 (x = W side); ball 4 blocks the direct path, so
    // the cue ball kicks off the cushion at x = R (variant 1).
    CShotTable t;
    t.SetBall(1, W - 0.3f, 0.3f);
    const CVector3 O = t.GetPos(1);
    const CVector3 P = t.GetAimPoint(5, O);
    const CVector3 C = Behind(O, P, 0.8f);
    t.SetBall(0, C.x, C.y);
    const CVector3 B = (C + O) * 0.5f;
    t.SetBall(4, B.x, B.y);

    CShotCandidate direct;
    direct.Evaluate(t, 5, 0, 1);
    EXPECT_EQ(0.0, direct.GetValue());

    for (int nVariant = 0; nVariant < 6; ++nVariant)
    {
        SCOPED_TRACE(nVariant);
        CShotCandidateC kick;
        kick.Evaluate(t, 5, 0, 1, nVariant);
        EXPECT_EQ(SHOT_KIND_KICK, kick.GetKind());
        if (nVariant != 1)
        {
            EXPECT_EQ(0.0, kick.GetValue());
            continue;
        }
        EXPECT_GT(kick.GetValue(), 0.0);
        // The first leg heads for the cushion at x = R.
        EXPECT_LT(StrokeDir(kick.GetAim()).x, 0.0f);
    }
    // Variant 3 is for the pockets 0 to 2 only.
    CShotCandidateC wrongSide;
    wrongSide.Evaluate(t, 5, 0, 1, 3);
    EXPECT_EQ(0u, wrongSide.GetTestCount());
}

TEST(ShotCandidateTest, TwoBallShotDrivesTheSecondBallIn)
{
    // Cue ball 0 -> ball 3 -> ball 6 -> pocket 2, all on one line.
    CShotTable t;
    t.SetBall(6, 0.3f, 0.4f);
    const CVector3 D = t.GetPos(6);
    const CVector3 P = t.GetAimPoint(2, D);
    const CVector3 B = Behind(D, P, 0.25f);
    const CVector3 C = Behind(B, D, 0.3f);
    t.SetBall(3, B.x, B.y);
    t.SetBall(0, C.x, C.y);

    CShotCandidateD shot;
    shot.Evaluate(t, 2, 0, 3, 6);
    EXPECT_EQ(SHOT_KIND_TWO_BALL, shot.GetKind());
    EXPECT_GT(shot.GetValue(), 0.0);
    EXPECT_EQ(6, shot.GetPocketedBall());
    CShotInfo record;
    shot.FillShot(record);
    EXPECT_EQ(3, record.m_nObjectBall);
    EXPECT_EQ(6, record.m_nSecondBall);
    EXPECT_EQ(SHOT_KIND_TWO_BALL, record.m_nKind);

    // Harder than the direct shot of ball 6 from where ball 3 lies.
    CShotTable direct;
    direct.SetBall(6, D.x, D.y);
    direct.SetBall(0, C.x, C.y);
    CShotCandidate single;
    single.Evaluate(direct, 2, 0, 6);
    EXPECT_LT(shot.GetValue(), single.GetValue());

    // The struck ball behind the second ball, seen from the pocket, cannot drive it in.
    CShotCandidateD backwards;
    backwards.Evaluate(t, 2, 0, 6, 3);
    EXPECT_LE(backwards.GetValue(), 0.0);
}

TEST(ShotCandidateTest, AverageTestsOfTheKeptPathTests)
{
    CShotTable t = CutShot(1, 0.5f, L / 2.0f, 0.0, 0.4f);
    CShotCandidate c;
    c.Evaluate(t, 1, 0, 1);
    ASSERT_EQ(3u, c.GetTestCount());
    c.AverageTests();
    EXPECT_EQ(1.0, c.GetValue()); // every kept test is free
}
