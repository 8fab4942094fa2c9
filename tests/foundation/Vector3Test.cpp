#include "foundation/Vector3.h"

#include "platform/dx/DxTypes.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <ostream>

void PrintTo(const CVector3& v, std::ostream* os) { *os << "(" << v.x << ", " << v.y << ", " << v.z << ")"; }

namespace
{
// Exact component comparison: the results are pinned float values, not approximations.
::testing::AssertionResult SameVector(const CVector3& expected, const CVector3& actual)
{
    if (Vector3Equal(expected, actual))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected " << ::testing::PrintToString(expected) << ", got "
                                         << ::testing::PrintToString(actual);
}

// Turns the rounding switch on for one test and puts it back off.
class CVectorRoundingScope
{
public:
    explicit CVectorRoundingScope(int nOn) { g_nVectorRounding = nOn; }
    ~CVectorRoundingScope() { g_nVectorRounding = 0; }
    CVectorRoundingScope(const CVectorRoundingScope&) = delete;
    CVectorRoundingScope& operator=(const CVectorRoundingScope&) = delete;
};

// The rendering layer's vector is a second type with the three-float layout.
static_assert(Float3Vector<D3DVECTOR>);
} // namespace

TEST(Vector3Test, DefaultIsZeroAndBasicArithmeticKeepsOperandOrder)
{
    EXPECT_TRUE(SameVector(CVector3(0, 0, 0), CVector3()));
    const CVector3 a(1.0f, 2.0f, 3.0f);
    const CVector3 b(0.5f, -4.0f, 8.0f);
    EXPECT_TRUE(SameVector(CVector3(1.5f, -2.0f, 11.0f), a + b));
    EXPECT_TRUE(SameVector(CVector3(0.5f, 6.0f, -5.0f), a - b));
    EXPECT_TRUE(SameVector(a + b, b.AddTo(a)));
    EXPECT_TRUE(SameVector(a - b, b.SubtractFrom(a)));
    CVector3 c = a;
    c += b;
    EXPECT_TRUE(SameVector(a + b, c));
    c -= b;
    EXPECT_TRUE(SameVector(a, c));
    EXPECT_TRUE(SameVector(CVector3(2.5f, 5.0f, 7.5f), a * 2.5f));
    EXPECT_TRUE(SameVector(CVector3(0.25f, 0.5f, 0.75f), a / 4.0f));
    CVector3 out;
    EXPECT_EQ(&out, &AddVectors(out, a, b));
    EXPECT_TRUE(SameVector(a + b, out));
    EXPECT_EQ(&out, &SubtractVectors(out, a, b));
    EXPECT_TRUE(SameVector(a - b, out));
    EXPECT_DOUBLE_EQ(14.0, a.LengthSq());
    EXPECT_DOUBLE_EQ(std::sqrt(14.0), a.Length());
    EXPECT_DOUBLE_EQ(std::sqrt(0.25 + 36.0 + 25.0), a.Distance(b));
}

TEST(Vector3Test, SumsAreRoundedToFloatWhenStored)
{
    // 1 + 2^-30 is not a float: the stored sum is 1, although the double sum is not.
    const CVector3 sum = CVector3(1.0f, 0, 0) + CVector3(std::ldexp(1.0f, -30), 0, 0);
    EXPECT_EQ(1.0f, sum.x);
}

TEST(Vector3Test, NormaliseTable)
{
    struct SCase
    {
        const char* szName;
        CVector3 in;
        CVector3 expected;
    };
    const SCase cases[] = {
        {"zero stays zero", CVector3(0, 0, 0), CVector3(0, 0, 0)},
        {"negative zero stays as it is", CVector3(0, 0, -0.0f), CVector3(0, 0, -0.0f)},
        {"3-0-4 gives 0.6-0-0.8", CVector3(3, 0, 4), CVector3(0.6f, 0, 0.8f)},
        {"axis", CVector3(0, -7, 0), CVector3(0, -1, 0)},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CVector3 v = c.in;
        v.Normalize();
        EXPECT_TRUE(SameVector(c.expected, v));
        EXPECT_FALSE(std::signbit(c.expected.z) != std::signbit(v.z));
        EXPECT_TRUE(SameVector(c.expected, c.in.GetNormalized()));
    }
}

TEST(Vector3Test, NormaliseDividesByTheLengthRoundedToFloat)
{
    // |(1, 2, 1)| = sqrt(6) is not a float; the stored x is 1 / float(sqrt(6)), which differs in
    // the last bit from 1 / sqrt(6).
    const double dFloatLength = static_cast<float>(std::sqrt(6.0));
    const CVector3 expected(static_cast<float>(1.0 / dFloatLength), static_cast<float>(2.0 / dFloatLength),
                            static_cast<float>(1.0 / dFloatLength));
    ASSERT_NE(static_cast<float>(1.0 / std::sqrt(6.0)), expected.x) << "fixture no longer shows the difference";
    EXPECT_TRUE(SameVector(expected, CVector3(1, 2, 1).GetNormalized()));
    CVector3 v(1, 2, 1);
    EXPECT_TRUE(SameVector(expected, v.Normalize()));
}

TEST(Vector3Test, CrossProductsAndTheirRounding)
{
    const CVector3 ex(1, 0, 0), ey(0, 1, 0), ez(0, 0, 1);
    EXPECT_TRUE(SameVector(ez, ex.Cross(ey)));
    EXPECT_TRUE(SameVector(ex, ey.Cross(ez)));
    EXPECT_TRUE(SameVector(ey, ez.Cross(ex)));
    EXPECT_TRUE(SameVector(CVector3(0, 0, -1), ey.Cross(ex)));
    EXPECT_TRUE(SameVector(ez, VectorCross(ex, ey)));

    // x = (1+e)(1+e) - 1 with e = 2^-12: the member keeps 2e + e^2 = 2^-11 + 2^-24; the bare
    // function rounds (1+e)^2 to float first, which drops the e^2 term.
    const float e = std::ldexp(1.0f, -12);
    const CVector3 a(0, 1 + e, 1);
    const CVector3 b(0, 1, 1 + e);
    EXPECT_EQ(std::ldexp(1.0f, -11) + std::ldexp(1.0f, -24), a.Cross(b).x);
    EXPECT_EQ(std::ldexp(1.0f, -11), VectorCross(a, b).x);
}

TEST(Vector3Test, AngleBetweenTable)
{
    // A vector whose squared length over its float-rounded length squared comes out just above 1.
    const CVector3 tricky(0.0130000003f, 0.307099998f, 0.49970001f);
    const double dLength = static_cast<float>(tricky.Length());
    ASSERT_GT(tricky.LengthSq() / (dLength * dLength), 1.0) << "fixture no longer rounds above 1";

    struct SCase
    {
        const char* szName;
        CVector3 a, b;
        double dExpected;
    };
    const SCase cases[] = {
        {"zero first operand", CVector3(), CVector3(1, 2, 3), 0.0},
        {"zero second operand", CVector3(1, 2, 3), CVector3(), 0.0},
        {"cosine just above 1 is clamped", tricky, tricky, 0.0},
        {"opposite", CVector3(1, 0, 0), CVector3(-2, 0, 0), std::numbers::pi},
        {"opposite with rounded cosine", tricky, tricky * -1.0f, std::numbers::pi},
        {"perpendicular", CVector3(0, 3, 0), CVector3(0, 0, 5), std::numbers::pi / 2},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        EXPECT_EQ(c.dExpected, AngleBetween(c.a, c.b));
    }
}

TEST(Vector3Test, RoundToFourPlacesTable)
{
    struct SCase
    {
        float fIn;
        float fRounded;
    };
    const SCase cases[] = {
        {0.123456f, 0.1235f}, {-0.123456f, -0.1235f}, {0.12344f, 0.1234f}, {0.0f, 0.0f},
        {0.99996f, 1.0f},     {-2.5f, -2.5f},         {0.00004f, 0.0f},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.fIn);
        CVector3 v(c.fIn, -c.fIn, c.fIn);
        {
            CVectorRoundingScope off(0);
            EXPECT_EQ(&v, &RoundVector4Places(v));
            EXPECT_TRUE(SameVector(CVector3(c.fIn, -c.fIn, c.fIn), v));
        }
        CVectorRoundingScope on(1);
        RoundVector4Places(v);
        EXPECT_TRUE(SameVector(CVector3(c.fRounded, -c.fRounded, c.fRounded), v));
    }
}

TEST(Vector3Test, SphericalCoordinates)
{
    CVector3 v;
    EXPECT_TRUE(SameVector(CVector3(1, 0, 0), v.SetSpherical(1, 0, 0)));

    float r = 0, a = 0, e = 0;
    CVector3(0, 0, 1).GetSpherical(r, a, e);
    EXPECT_EQ(1.0f, r);
    EXPECT_EQ(0.0f, a);
    EXPECT_EQ(static_cast<float>(std::numbers::pi / 2), e);

    // Round trip over a sweep of directions; angles back within 1e-5 rad, radius within 1e-6 m.
    for (float fA = -3.0f; fA <= 3.0f; fA += 0.25f)
    {
        for (float fE = -1.5f; fE <= 1.5f; fE += 0.25f)
        {
            SCOPED_TRACE(::testing::Message() << "a=" << fA << " e=" << fE);
            v.SetSpherical(2.0f, fA, fE);
            v.GetSpherical(r, a, e);
            EXPECT_NEAR(2.0, r, 1e-6);
            EXPECT_NEAR(fA, a, 1e-5);
            EXPECT_NEAR(fE, e, 1e-5);
        }
    }

    // With the switch on the result is rounded to four places.
    CVectorRoundingScope on(1);
    v.SetSpherical(1.0f, static_cast<float>(std::numbers::pi / 4), 0.0f);
    EXPECT_TRUE(SameVector(CVector3(0.7071f, 0.7071f, 0.0f), v));
}

TEST(Vector3Test, ReflectMirrorsAtTheNormalsPlane)
{
    struct SCase
    {
        const char* szName;
        CVector3 in, normal, expected;
    };
    const SCase cases[] = {
        {"head-on", CVector3(0, -2, 0), CVector3(0, 1, 0), CVector3(0, 2, 0)},
        {"glancing", CVector3(1, -1, 0), CVector3(0, 1, 0), CVector3(1, 1, 0)},
        {"along the plane", CVector3(3, 0, 4), CVector3(0, 1, 0), CVector3(3, 0, 4)},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CVector3 v = c.in;
        EXPECT_TRUE(SameVector(c.expected, v.Reflect(c.normal)));
    }
}

TEST(Vector3Test, PointLineDistanceTable)
{
    struct SCase
    {
        const char* szName;
        float px, py, x1, y1, x2, y2;
        double dExpected;
    };
    const SCase cases[] = {
        {"on the line", 2, 2, 0, 0, 1, 1, 0.0},
        {"left of a vertical line", -3, 5, 1, 0, 1, 2, 4.0},
        {"right of a vertical line", 5, -9, 1, 0, 1, 2, 4.0},
        {"beyond the segment's end", 10, 1, 0, 0, 2, 0, 1.0},
        // Coinciding points define no line; the distance to the point is the sound answer.
        {"coinciding line points", 4, 5, 1, 1, 1, 1, 5.0},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        const double d = PointLineDistance2D(c.px, c.py, c.x1, c.y1, c.x2, c.y2);
        EXPECT_NEAR(c.dExpected, d, 1e-6);
        EXPECT_GE(d, 0.0);
    }
}

TEST(Vector3Test, BareVectorFunctionsWorkOnAnyThreeFloatLayout)
{
    D3DVECTOR a{};
    Vector3Set(a, 3, 0, 4);
    D3DVECTOR b{};
    EXPECT_EQ(&b, &Vector3Copy(b, a));
    EXPECT_EQ(1, Vector3Equal(a, b));
    *VectorElement(b, 2) = 5;
    EXPECT_EQ(5.0f, b.z);
    EXPECT_EQ(&b.x, VectorElement(b, 0));
    EXPECT_EQ(&b.y, VectorElement(b, 1));
    EXPECT_EQ(0, Vector3Equal(a, b));

    EXPECT_DOUBLE_EQ(25.0, VectorLengthSq(a));
    EXPECT_DOUBLE_EQ(5.0, VectorLength(a));
    EXPECT_DOUBLE_EQ(29.0, VectorDot(a, b));
    const D3DVECTOR n = VectorNormalize(a);
    EXPECT_EQ(0.6f, n.x);
    EXPECT_EQ(0.8f, n.z);
    const D3DVECTOR s = Vector3Scale(a, 0.5);
    EXPECT_EQ(1.5f, s.x);
    EXPECT_EQ(2.0f, Vector3Divide(a, 2.0).z);

    // A zero vector stays zero instead of becoming NaN.
    const D3DVECTOR zero{};
    EXPECT_EQ(1, Vector3Equal(zero, VectorNormalize(zero)));

    // CVector3 is one of these layouts too.
    const CVector3 v(3, 0, 4);
    EXPECT_TRUE(SameVector(v.GetNormalized(), VectorNormalize(v)));
}
