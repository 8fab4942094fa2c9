// Cushions, pockets and the bed edge.
#include "simulation/TableParts.h"

#include "tests/simulation/BallTable.h"
#include "tests/simulation/SimTestSupport.h"

#include "foundation/TableMap.h"

using CTablePartsTest = CSimulationTest;

namespace
{
/// Where a ball touches the middle of cushion n's face, and the face's inward normal.
struct SRailPoint
{
    CVector3 vTouch;
    CVector3 vNormal;
};

SRailPoint MiddleOfRail(const CCushion& cushion)
{
    const CTableSegment& face = cushion.GetSegment(1);
    const CVector3 vMid = (face.GetStart() + face.GetEnd()) * 0.5f;
    // Slightly less than R from the face, so the contact test sees the touch.
    return {vMid + face.GetNormal() * (R - 1e-4f), face.GetNormal()};
}
} // namespace

TEST_F(CTablePartsTest, CushionFacesRunAlongTheRailsAndFaceTheBed)
{
    const CVector3 vCentre(TABLE_WIDTH_M / 2.0f, TABLE_LENGTH_M / 2.0f, 0.0f);
    for (int n = 0; n < CUSHION_COUNT; ++n)
    {
        SCOPED_TRACE(n);
        const CCushion cushion(n);
        const CTableSegment& face = cushion.GetSegment(1);
        const bool bLong = n < 4;
        const float fRail = n < 2 ? 0.0f : (n < 4 ? TABLE_WIDTH_M : (n == 4 ? TABLE_LENGTH_M : 0.0f));
        EXPECT_FLOAT_EQ(fRail, bLong ? face.GetStart().x : face.GetStart().y);
        EXPECT_FLOAT_EQ(fRail, bLong ? face.GetEnd().x : face.GetEnd().y);
        EXPECT_GT(Dot3(face.GetNormal().x, face.GetNormal().y, 0, vCentre.x - face.GetStart().x,
                       vCentre.y - face.GetStart().y, 0),
                  0.0)
            << "the normal points onto the bed";
        // The jaws end behind the rail line.
        for (const int i : {0, 3})
        {
            const CVector3 p = cushion.GetPoint(i);
            const bool bBehind = p.x < 0.0f || p.x > TABLE_WIDTH_M || p.y < 0.0f || p.y > TABLE_LENGTH_M;
            EXPECT_TRUE(bBehind) << "point " << i;
        }
    }
}

TEST_F(CTablePartsTest, PocketMouthsJoinTheJawsOfTheirTwoCushions)
{
    CTestTable table;
    for (const CWorldObject& pocket : table.Pockets())
    {
        SCOPED_TRACE(pocket.GetNumber());
        const std::array<int, 2> jaws = CWorldObject::GetJawCushions(pocket.GetNumber());
        const CVector3 p = table.Cushions().at(static_cast<std::size_t>(jaws[0])).GetPoint(0);
        const CVector3 q = table.Cushions().at(static_cast<std::size_t>(jaws[1])).GetPoint(3);
        EXPECT_EQ(0.0, (pocket.GetMouth().GetStart() - p).Length());
        EXPECT_EQ(0.0, (pocket.GetMouth().GetEnd() - q).Length());
        // The mouth spans the pocket's capture circle.
        EXPECT_GE(pocket.GetMouth().GetDirection().Length(), 2.0 * pocket.GetRadius() - 1e-6);
        // The near aim point (the lip) lies towards the bed, the far one is the pocket itself.
        const CVector3 vCentre(TABLE_WIDTH_M / 2.0f, TABLE_LENGTH_M / 2.0f, 0.0f);
        EXPECT_LT((pocket.GetNearPoint() - vCentre).Length(), (pocket.GetFarPoint() - vCentre).Length());
        EXPECT_EQ(0.0, (pocket.GetFarPoint() - pocket.GetPosition()).Length());
        EXPECT_NEAR(1.0, pocket.GetDropDirection().Length(), 1e-6);
        EXPECT_LT(pocket.GetDropDirection().z, 0.0f);
    }
}

TEST_F(CTablePartsTest, CushionReboundLeavesAtTheMirrorAngleWithSeventyPercentOfTheSpeed)
{
    // The reflection is on a normal that leans up by (R - h) / R (the nose lies below the ball's
    // centre), so the rebound keeps 70 % of the speed in three dimensions; on the bed its angle is
    // the mirror angle to within a fifth of a degree.
    const double adIncidenceDeg[] = {0.0, 30.0, 60.0, -45.0};
    for (int n = 0; n < CUSHION_COUNT; ++n)
    {
        for (const double dInc : adIncidenceDeg)
        {
            SCOPED_TRACE(testing::Message() << "cushion " << n << ", incidence " << dInc);
            CCushion cushion(n);
            const SRailPoint rail = MiddleOfRail(cushion);
            CBall ball(1, 0.0f, 0.0f);
            PlaceOnBed(ball, rail.vTouch.x, rail.vTouch.y);
            // Into the face: against the normal, turned by the incidence angle.
            const double dIn = std::atan2(-rail.vNormal.y, -rail.vNormal.x) + dInc * PI / 180.0;
            const CVector3 vIn(static_cast<float>(std::cos(dIn)), static_cast<float>(std::sin(dIn)), 0.0f);
            ball.SetVelocity(vIn);
            ASSERT_TRUE(cushion.TestContact(ball));
            cushion.Respond(ball);
            const CVector3& v = ball.GetVelocity();
            EXPECT_NEAR(0.7, v.Length(), 1e-5);
            EXPECT_GT(v.z, 0.0f) << "a small upward component";
            EXPECT_LT(v.z, 0.08f);
            const CVector3 vFlat(v.x, v.y, 0.0f);
            const double dOutDeg = AngleBetween(vFlat, rail.vNormal) * 180.0 / PI;
            EXPECT_NEAR(std::fabs(dInc), dOutDeg, 0.2);
            // Mirror, not a continuation: the tangential component keeps its sign.
            const CVector3 vTan(-rail.vNormal.y, rail.vNormal.x, 0.0f);
            EXPECT_NEAR(Dot3(vIn.x, vIn.y, 0, vTan.x, vTan.y, 0) * 0.7, Dot3(v.x, v.y, 0, vTan.x, vTan.y, 0), 1e-5);
            EXPECT_EQ(1, ball.TakeCushionContact());
            EXPECT_EQ(0, ball.TakeCushionContact());
            EXPECT_EQ(CONTACT_CUSHION, ball.GetLastContactKind());
            EXPECT_FALSE(cushion.TestContact(ball)) << "moving away, no second contact";
        }
    }
}

TEST_F(CTablePartsTest, StraightHitOnTheNearRailAtOneMetrePerSecondLeavesAtPointSeven)
{
    CTestTable table;
    CBall& ball = table.AddBall(1, 0.5f, 0.3f);
    ball.SetVelocity(CVector3(0.0f, -1.0f, 0.0f));
    while (table.m_nCushionContacts == 0 && table.m_nSteps < 100000)
        table.Step(std::min(table.GetMaxStep(), 16.0));
    // 1 m/s less the roll from 0.3 m to the cushion at 0.15 m/s^2.
    const double dIn = std::sqrt(1.0 - 2.0 * 0.15 * (0.3 - R));
    EXPECT_NEAR(0.7 * dIn, ball.GetSpeed(), 0.01);
    EXPECT_GT(ball.GetVelocity().y, 0.0f);
    EXPECT_NEAR(0.0, ball.GetVelocity().x, 1e-6);
}

TEST_F(CTablePartsTest, CushionsIgnoreBallsThatRestFlyAboveTheNoseOrDrop)
{
    struct SCase
    {
        const char* szName;
        float fZ;
        int nMode;
        bool bMoving;
        bool bContact;
    };
    static const SCase s_aCases[] = {
        {"rolling into the face", 0.0f, ROLL_MODE_ROLLING, true, true},
        {"resting against the face", 0.0f, ROLL_MODE_ROLLING, false, false},
        {"flying above the nose", CUSHION_NOSE_HEIGHT_M + 0.001f, ROLL_MODE_FLYING, true, false},
        {"flying low", 0.01f, ROLL_MODE_FLYING, true, true},
        {"dropping into a pocket", 0.0f, ROLL_MODE_DROPPING, true, false},
    };
    for (const SCase& c : s_aCases)
    {
        SCOPED_TRACE(c.szName);
        CCushion cushion(5);
        const SRailPoint rail = MiddleOfRail(cushion);
        CBall ball(1, 0.0f, 0.0f);
        PlaceOnBed(ball, rail.vTouch.x, rail.vTouch.y);
        ball.SetPositionXYZ(rail.vTouch.x, rail.vTouch.y, c.fZ);
        if (c.bMoving)
            ball.SetVelocity(CVector3(0.0f, -1.0f, 0.0f));
        ball.SetRollMode(c.nMode);
        EXPECT_EQ(c.bContact, cushion.TestContact(ball) == TRUE);
    }
}

TEST_F(CTablePartsTest, SideSpinThrowsTheReboundAlongTheFaceAndACornerKeepsATenth)
{
    CCushion cushion(5);
    const SRailPoint rail = MiddleOfRail(cushion);
    CBall ball(1, 0.0f, 0.0f);
    PlaceOnBed(ball, rail.vTouch.x, rail.vTouch.y);
    ball.SetVelocity(CVector3(0.0f, -1.0f, 0.0f));
    ball.SetSideSpinZ(20.0f);
    ASSERT_TRUE(cushion.TestContact(ball));
    cushion.Respond(ball);
    // Face direction +x: the throw is -s R 0.3 along it.
    EXPECT_NEAR(-20.0 * R * 0.3, ball.GetVelocity().x, 1e-5);

    // After a ball contact the spin does not throw the rebound.
    PlaceOnBed(ball, rail.vTouch.x, rail.vTouch.y);
    ball.SetVelocity(CVector3(0.0f, -1.0f, 0.0f));
    ball.SetSideSpinZ(20.0f);
    ball.SetLastContactKind(CONTACT_BALL);
    ASSERT_TRUE(cushion.TestContact(ball));
    cushion.Respond(ball);
    EXPECT_NEAR(0.0, ball.GetVelocity().x, 1e-6);

    // A corner has no face direction: a tenth of the spin stays.
    CBall corner(2, 0.0f, 0.0f);
    const CVector3 p = cushion.GetCorner(1).GetPoint();
    PlaceOnBed(corner, p.x + 0.5f * R, p.y + 0.5f * R);
    corner.SetVelocity(CVector3(-1.0f, -1.0f, 0.0f));
    corner.SetSideSpinZ(20.0f);
    CTableCorner cornerPart = cushion.GetCorner(1);
    ASSERT_TRUE(cornerPart.TestContact(corner));
    cornerPart.Respond(corner);
    EXPECT_NEAR(2.0, corner.GetSideSpin().z, 1e-5);
    EXPECT_GT(corner.GetVelocity().x + corner.GetVelocity().y, 0.0f) << "bounced back";
}

TEST_F(CTablePartsTest, PocketCatchesABallWithinItsRadius)
{
    struct SCase
    {
        const char* szName;
        float fDistance; // from the pocket's position towards the bed centre, m
        BOOL bDropping;
        BOOL bReported;
        int nMode;
    };
    static const SCase s_aCases[] = {
        {"6 cm, live table", 0.06f, TRUE, FALSE, ROLL_MODE_ROLLING},
        {"5 cm, live table: drops first", 0.05f, TRUE, FALSE, ROLL_MODE_DROPPING},
        {"5 cm, aiming aid: at once", 0.05f, FALSE, TRUE, ROLL_MODE_ROLLING},
        {"6 cm, aiming aid", 0.06f, FALSE, FALSE, ROLL_MODE_ROLLING},
    };
    for (int n = 0; n < POCKET_COUNT; ++n)
    {
        for (const SCase& c : s_aCases)
        {
            SCOPED_TRACE(testing::Message() << "pocket " << n << ", " << c.szName);
            CWorldObject pocket(n);
            const CVector3 vCentre(TABLE_WIDTH_M / 2.0f, TABLE_LENGTH_M / 2.0f, 0.0f);
            const CVector3 vIn = (vCentre - pocket.GetPosition()).GetNormalized();
            const CVector3 p = pocket.GetPosition() + vIn * c.fDistance;
            CBall ball(1, 0.0f, 0.0f);
            PlaceOnBed(ball, p.x, p.y);
            ball.SetVelocity(vIn * -2.0f);
            EXPECT_EQ(c.bReported, pocket.TestCapture(ball, c.bDropping));
            EXPECT_EQ(c.nMode, ball.GetRollMode());
            if (c.nMode == ROLL_MODE_DROPPING)
            {
                EXPECT_EQ(n, ball.GetPocket());
                EXPECT_NEAR(1.0, ball.GetSpeed(), 1e-6) << "capped at 1 m/s";
                EXPECT_NEAR(0.0, AngleBetween(ball.GetVelocity(), pocket.GetDropDirection()), 1e-3);
            }
        }
    }
}

TEST_F(CTablePartsTest, CaughtBallDropsUntilTwoRadiiDeepThenIsPocketedAndStaysOut)
{
    CWorldObject pocket(1);
    CBall ball(1, 0.0f, 0.0f);
    PlaceOnBed(ball, pocket.GetPosition().x + 0.03f, pocket.GetPosition().y);
    ball.SetVelocity(CVector3(-0.05f, 0.0f, 0.0f));
    ASSERT_FALSE(pocket.TestCapture(ball, TRUE));
    EXPECT_NEAR(0.1, ball.GetSpeed(), 1e-6) << "at least 0.1 m/s along the drop direction";
    int nSteps = 0;
    for (; !pocket.TestCapture(ball, TRUE) && nSteps < 1000; ++nSteps)
        ball.Move(5.0);
    ASSERT_LT(nSteps, 1000);
    EXPECT_LT(ball.GetPosition()->z, -2.0f * R);
    pocket.Respond(ball);
    EXPECT_TRUE(ball.IsPocketed());
    EXPECT_FALSE(ball.IsMoving());
    EXPECT_EQ(1, ball.GetPocket());
}

TEST_F(CTablePartsTest, TwoBallsSentIntoOnePocketBothStayInIt)
{
    // The second ball drops onto the first: built literally it would knock the pocketed ball (or
    // be pushed by the jaws) and one of them would roll back onto the bed.
    for (const BOOL bDropping : {TRUE, FALSE})
    {
        SCOPED_TRACE(bDropping);
        CTestTable table(bDropping);
        CBall& first = table.AddBall(1, 0.3f, 0.3f);
        CBall& second = table.AddBall(2, 0.35f, 0.35f);
        first.SetVelocity(CVector3(-1.0f, -1.0f, 0.0f));
        table.RunToRest(16.0, 2000.0);
        ASSERT_TRUE(first.IsPocketed());
        second.SetVelocity(CVector3(-1.0f, -1.0f, 0.0f));
        table.RunToRest(16.0, 2000.0);
        EXPECT_TRUE(second.IsPocketed());
        EXPECT_TRUE(first.IsPocketed());
        EXPECT_EQ(2, first.GetPocket());
        EXPECT_EQ(2, second.GetPocket());
        EXPECT_EQ(0, table.m_nBallContacts);
    }
}

TEST_F(CTablePartsTest, BedEdgePutsBallsBackOneRadiusInsideOnEverySide)
{
    const float x0 = -CUSHION_BAND_M + R;
    const float x1 = TABLE_WIDTH_M + CUSHION_BAND_M - R;
    const float y0 = -CUSHION_BAND_M + R;
    const float y1 = TABLE_LENGTH_M + CUSHION_BAND_M - R;
    struct SCase
    {
        const char* szName;
        CVector3 vPos;
        CVector3 vVel;
        int nMode;
        BOOL bHit;
        CVector3 vPosAfter;
        CVector3 vVelAfter;
    };
    const SCase aCases[] = {
        {"left side", {x0 - 0.01f, 1.0f, 0}, {-1, 0.5f, 0}, 0, TRUE, {x0, 1.0f, 0}, {1, 0.5f, 0}},
        {"right side", {x1 + 0.01f, 1.0f, 0}, {1, 0.5f, 0}, 0, TRUE, {x1, 1.0f, 0}, {-1, 0.5f, 0}},
        {"far end", {0.5f, y1 + 0.01f, 0}, {0.5f, 1, 0}, 0, TRUE, {0.5f, y1, 0}, {0.5f, -1, 0}},
        {"near end", {0.5f, y0 - 0.01f, 0}, {0.5f, -1, 0}, 0, TRUE, {0.5f, y0, 0}, {0.5f, 1, 0}},
        {"corner", {x0 - 0.01f, y0 - 0.01f, 0}, {-1, -1, 0}, 0, TRUE, {x0, y0, 0}, {1, 1, 0}},
        {"outside but moving back in", {0.5f, y1 + 0.01f, 0}, {0, -1, 0}, 0, FALSE, {0.5f, y1 + 0.01f, 0}, {0, -1, 0}},
        {"in the air",
         {0.5f, y1 + 0.01f, 0.01f},
         {0, 1, 0.5f},
         ROLL_MODE_FLYING,
         FALSE,
         {0.5f, y1 + 0.01f, 0.01f},
         {0, 1, 0.5f}},
        {"below the bed", {0.5f, y1 + 0.01f, -0.11f}, {0, 1, 0}, 0, FALSE, {0.5f, y1 + 0.01f, -0.11f}, {0, 1, 0}},
        {"dropping into a pocket",
         {x0 - 0.01f, y0, -0.02f},
         {-1, -1, -1},
         ROLL_MODE_DROPPING,
         FALSE,
         {x0 - 0.01f, y0, -0.02f},
         {-1, -1, -1}},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CBall ball(1, 0.0f, 0.0f);
        ball.SetPocketed(FALSE, FALSE, -1);
        ball.SetPosition(c.vPos);
        ball.SetVelocity(c.vVel);
        ball.SetRollMode(c.nMode);
        CBedEdge edge;
        EXPECT_EQ(c.bHit, edge.TestContact(ball));
        EXPECT_EQ(0.0, (*ball.GetPosition() - c.vPosAfter).Length());
        EXPECT_EQ(0.0, (ball.GetVelocity() - c.vVelAfter).Length());
    }
}

TEST_F(CTablePartsTest, PathTestsFindTheFacesAPathCrossesInTheScene)
{
    // A map that puts table point (x, y) at scene (x, height, y).
    CTableMap map;
    map.m_fLeft = 0.0f;
    map.m_fRight = TABLE_WIDTH_M;
    map.m_dLeftX = 0.0;
    map.m_dRightX = TABLE_WIDTH_M;
    map.m_fTop = 0.0f;
    map.m_fBottom = TABLE_LENGTH_M;
    map.m_dTopZ = 0.0;
    map.m_dBottomZ = TABLE_LENGTH_M;
    const float h = 0.5f;
    struct SCase
    {
        const char* szName;
        CVector3 a, b;
        bool bMap;
        BOOL bHit;
    };
    const SCase aCases[] = {
        {"crosses the near rail", {0.5f, h, 1.0f}, {0.5f, h, -1.0f}, true, TRUE},
        {"stops short of the rail", {0.5f, h, 1.0f}, {0.5f, h, 0.5f}, true, FALSE},
        {"passes beside the rail", {-0.5f, h, 1.0f}, {-0.5f, h, -1.0f}, true, FALSE},
        {"runs along the rail", {0.1f, h, 0.5f}, {1.0f, h, 0.5f}, true, FALSE},
        {"climbs over the rail", {0.5f, h, 1.0f}, {0.5f, h + 2.0f, -1.0f}, true, FALSE},
        {"no map", {0.5f, h, 1.0f}, {0.5f, h, -1.0f}, false, FALSE},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CCushion cushion(5);
        CVector3 vOut(9.0f, 9.0f, 9.0f);
        EXPECT_EQ(c.bHit, cushion.TestPath(c.a, c.b, h, c.bMap ? &map : nullptr, &vOut));
        if (c.bHit)
        {
            EXPECT_NEAR(0.5, vOut.x, 1e-5);
            EXPECT_NEAR(0.0, vOut.z, 1e-5);
            EXPECT_EQ(0.0, (cushion.GetSegment(1).GetHit() - vOut).Length());
            EXPECT_EQ(0.0, (cushion.GetSegment(1).GetHitValue() - c.a).Length());
        }
        else
        {
            EXPECT_EQ(9.0f, vOut.x) << "no point written";
        }
    }
    // The pocket asks its mouth: a path from the bed into the side pocket crosses it.
    CTestTable table;
    CWorldObject pocket = table.Pockets()[1];
    const CVector3 vPocket = pocket.GetPosition();
    EXPECT_TRUE(
        pocket.TestPath(CVector3(0.5f, h, vPocket.y), CVector3(vPocket.x - 0.1f, h, vPocket.y), h, &map, nullptr));
    EXPECT_FALSE(
        CTableCorner(0.0f, 0.0f).TestPath(CVector3(0.5f, h, 1.0f), CVector3(0.5f, h, -1.0f), h, &map, nullptr));
}
