#include "foundation/Geometry.h"

#include <gtest/gtest.h>

namespace
{
void ExpectNear(const CVector3& expected, const CVector3& actual, double dTolerance = 1e-5)
{
    EXPECT_NEAR(expected.x, actual.x, dTolerance);
    EXPECT_NEAR(expected.y, actual.y, dTolerance);
    EXPECT_NEAR(expected.z, actual.z, dTolerance);
}

// A ray from origin along dir, and the hit expected when nExpected is 1.
struct SRayCase
{
    const char* szName;
    CVector3 origin, dir;
    int nExpected;
    CVector3 hit;
};
} // namespace

TEST(GeometryTest, MinAndMaxPreferTheFirstOperandWhenEqual)
{
    EXPECT_EQ(1.0f, MinFloat(1.0f, 2.0f));
    EXPECT_EQ(2.0f, MaxFloat(1.0f, 2.0f));
    // +0 and -0 compare equal, so the sign shows which operand came back.
    EXPECT_TRUE(std::signbit(MinFloat(-0.0f, 0.0f)));
    EXPECT_FALSE(std::signbit(MaxFloat(0.0f, -0.0f)));
}

TEST(GeometryTest, SegmentPlaneTable)
{
    struct SCase
    {
        const char* szName;
        CVector3 p0, p1, n;
        float d;
        int nExpected;
        CVector3 hit;
    };
    const SCase cases[] = {
        {"crossing", CVector3(0, 0, -1), CVector3(0, 0, 3), CVector3(0, 0, 1), 1.0f, 1, CVector3(0, 0, 1)},
        {"crossing exactly at p1", CVector3(1, 1, 0), CVector3(1, 1, 2), CVector3(0, 0, 1), 2.0f, 1, CVector3(1, 1, 2)},
        {"crossing at p0", CVector3(1, 1, 2), CVector3(1, 1, 5), CVector3(0, 0, 1), 2.0f, 1, CVector3(1, 1, 2)},
        {"plane beyond the segment", CVector3(0, 0, 0), CVector3(0, 0, 1), CVector3(0, 0, 1), 2.0f, 0, {}},
        {"plane behind the segment", CVector3(0, 0, 0), CVector3(0, 0, 1), CVector3(0, 0, 1), -1.0f, 0, {}},
        {"parallel to the plane", CVector3(0, 0, 0), CVector3(5, 3, 0), CVector3(0, 0, 1), 1.0f, 0, {}},
        {"zero length", CVector3(0, 0, 1), CVector3(0, 0, 1), CVector3(0, 0, 1), 1.0f, 0, {}},
        {"oblique plane", CVector3(0, 0, 0), CVector3(4, 0, 0), CVector3(1, 1, 0), 2.0f, 1, CVector3(2, 0, 0)},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CVector3 hit(7, 7, 7);
        EXPECT_EQ(c.nExpected, IntersectSegmentPlane(c.p0, c.p1, c.n, c.d, &hit));
        ExpectNear(c.nExpected ? c.hit : CVector3(7, 7, 7), hit, 0.0);
    }
}

TEST(GeometryTest, RayTriangleTestsThePlaneForwardOnly)
{
    const CVector3 a(0, 0, 5), b(1, 0, 5), c(0, 1, 5);
    const SRayCase cases[] = {
        {"through the triangle", CVector3(0.2f, 0.2f, 0), CVector3(0, 0, 1), 1, CVector3(0.2f, 0.2f, 5)},
        {"plane far outside the edges", CVector3(30, -40, 0), CVector3(0, 0, 2), 1, CVector3(30, -40, 5)},
        {"pointing away", CVector3(0.2f, 0.2f, 0), CVector3(0, 0, -1), 0, {}},
        {"parallel", CVector3(0, 0, 0), CVector3(1, 0, 0), 0, {}},
    };
    for (const SRayCase& s : cases)
    {
        SCOPED_TRACE(s.szName);
        CVector3 hit;
        EXPECT_EQ(s.nExpected, IntersectRayTriangle(s.origin, s.dir, a, b, c, &hit));
        if (s.nExpected)
            ExpectNear(s.hit, hit);
    }
    CVector3 hit;
    EXPECT_EQ(0, IntersectRayTriangle(CVector3(), CVector3(0, 0, 1), a, a, c, &hit)) << "degenerate triangle";
}

TEST(GeometryTest, RayPlane3CountsTheWholeLine)
{
    const CVector3 a(0, 2, 0), b(1, 2, 0), c(0, 2, 1);
    CVector3 hit;
    EXPECT_EQ(1, IntersectRayPlane3(CVector3(3, 0, 4), CVector3(0, 10, 0), a, b, c, &hit));
    ExpectNear(CVector3(3, 2, 4), hit);
    EXPECT_EQ(1, IntersectRayPlane3(CVector3(3, 5, 4), CVector3(0, 1, 0), a, b, c, &hit)) << "behind the origin";
    ExpectNear(CVector3(3, 2, 4), hit);
    EXPECT_EQ(0, IntersectRayPlane3(CVector3(3, 5, 4), CVector3(1, 0, 0), a, b, c, &hit)) << "parallel";
    EXPECT_EQ(0, IntersectRayPlane3(CVector3(3, 5, 4), CVector3(0, 1, 0), a, a, a, &hit)) << "no plane";
}

TEST(GeometryTest, PointInBoxToleranceIsOneMillimetre)
{
    const CVector3 a(1, 1, 1), b(0, 0, 0); // corners in either order
    struct SCase
    {
        const char* szName;
        CVector3 p;
        int nExpected;
    };
    const SCase cases[] = {
        {"inside", CVector3(0.5f, 0.5f, 0.5f), 1},
        {"0.0005 beyond x max", CVector3(1.0005f, 0.5f, 0.5f), 1},
        {"0.0005 below y min", CVector3(0.5f, -0.0005f, 0.5f), 1},
        {"0.002 beyond z max", CVector3(0.5f, 0.5f, 1.002f), 0},
        {"0.002 below x min", CVector3(-0.002f, 0.5f, 0.5f), 0},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        EXPECT_EQ(c.nExpected, PointInBoxTolerant(c.p, a, b));
    }
}

TEST(GeometryTest, SegmentBoxTable)
{
    const CVector3 lo(-1, 0, -1), hi(1, 2, 1);
    const SRayCase cases[] = {
        {"from above onto the top", CVector3(0.5f, 5, 0.25f), CVector3(0, -1, 0), 1, CVector3(0.5f, 2, 0.25f)},
        {"from the x min side", CVector3(-4, 1, 0), CVector3(1, 0, 0), 1, CVector3(-1, 1, 0)},
        {"from the x max side", CVector3(4, 1, 0.5f), CVector3(-1, 0, 0), 1, CVector3(1, 1, 0.5f)},
        {"from the z max side", CVector3(0, 1, 9), CVector3(0, 0, -3), 1, CVector3(0, 1, 1)},
        {"from below", CVector3(0, -3, 0), CVector3(0, 1, 0), 1, CVector3(0, 0, 0)},
        {"above and beside: top plane missed, x min face hit", CVector3(-3, 2.1f, 0), CVector3(1, -0.1f, 0), 1,
         CVector3(-1, 1.9f, 0)},
        {"onto the top edge", CVector3(-3, 4, 0), CVector3(1, -1, 0), 1, CVector3(-1, 2, 0)},
        {"passing beside the box", CVector3(-4, 1, 3), CVector3(1, 0, 0), 0, {}},
        {"pointing away", CVector3(0, 5, 0), CVector3(0, 1, 0), 0, {}},
        {"from inside", CVector3(0, 1, 0), CVector3(1, 0, 0), 0, {}},
    };
    for (const SRayCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CVector3 hit(7, 7, 7);
        EXPECT_EQ(c.nExpected, IntersectSegmentBox(c.origin, c.dir, lo, hi, &hit));
        ExpectNear(c.nExpected ? c.hit : CVector3(7, 7, 7), hit);
        EXPECT_EQ(c.nExpected, IntersectSegmentBox(c.origin, c.dir, lo, hi, nullptr)) << "hit may be null";
    }
}

TEST(GeometryTest, SegmentSphereTable)
{
    const CVector3 centre(1, 1, 1);
    struct SCase
    {
        const char* szName;
        CVector3 p0, p1;
        int nExpected;
        CVector3 hit1, hit2; // the counted points, first counted first
    };
    const SCase cases[] = {
        {"through the centre, both ends outside", CVector3(-2, 1, 1), CVector3(4, 1, 1), 2, CVector3(0, 1, 1),
         CVector3(2, 1, 1)},
        {"tangent", CVector3(-1, 2, 1), CVector3(3, 2, 1), 1, CVector3(1, 2, 1), {}},
        {"ends inside: only the entry", CVector3(-2, 1, 1), CVector3(1.5f, 1, 1), 1, CVector3(0, 1, 1), {}},
        // The exit is the only point on the segment; it comes back first.
        {"starts inside: only the exit", CVector3(1.5f, 1, 1), CVector3(4, 1, 1), 1, CVector3(2, 1, 1), {}},
        {"misses", CVector3(-2, 3, 1), CVector3(4, 3, 1), 0, {}, {}},
        {"stops short", CVector3(-3, 1, 1), CVector3(-1, 1, 1), 0, {}, {}},
        {"zero length", CVector3(1, 1, 1), CVector3(1, 1, 1), 0, {}, {}},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CVector3 hit1, hit2;
        ASSERT_EQ(c.nExpected, IntersectSegmentSphere(c.p0, c.p1, centre, 1.0f, &hit1, &hit2));
        if (c.nExpected >= 1)
            ExpectNear(c.hit1, hit1);
        if (c.nExpected == 2)
            ExpectNear(c.hit2, hit2);
    }
}

TEST(GeometryTest, SegmentSphereStaysAccurateFarFromTheOrigin)
{
    // A segment 1 mm off a ball's surface, 3000 units from the origin: the constant term must not
    // lose the millimetre to cancellation.
    const CVector3 centre(3000, 3000, 0);
    const CVector3 p0(2999, 3000.028f + 0.001f, 0), p1(3001, 3000.028f + 0.001f, 0);
    CVector3 hit1, hit2;
    EXPECT_EQ(0, IntersectSegmentSphere(p0, p1, centre, 0.028f, &hit1, &hit2));
    const CVector3 q0(2999, 3000.02f, 0), q1(3001, 3000.02f, 0);
    EXPECT_EQ(2, IntersectSegmentSphere(q0, q1, centre, 0.028f, &hit1, &hit2));
}
