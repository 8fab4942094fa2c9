#include "foundation/Matrix.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace
{
constexpr float PI = std::numbers::pi_v<float>;

D3DMATRIX Translation(float x, float y, float z)
{
    D3DMATRIX m;
    MatrixSetIdentity(m);
    m.m[3][0] = x;
    m.m[3][1] = y;
    m.m[3][2] = z;
    return m;
}

// A matrix with every element set to f, to see whether a failing call wrote anything.
D3DMATRIX Filled(float f)
{
    D3DMATRIX m;
    for (auto& row : m.m)
        for (float& e : row)
            e = f;
    return m;
}

::testing::AssertionResult SameMatrix(const D3DMATRIX& expected, const D3DMATRIX& actual, float fTolerance = 0.0f)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!(std::fabs(expected.m[r][c] - actual.m[r][c]) <= fTolerance))
                return ::testing::AssertionFailure() << "element (" << r << ", " << c << "): expected "
                                                     << expected.m[r][c] << ", got " << actual.m[r][c];
    return ::testing::AssertionSuccess();
}

void ExpectNear(const CVector3& expected, const CVector3& actual, double dTolerance)
{
    EXPECT_NEAR(expected.x, actual.x, dTolerance);
    EXPECT_NEAR(expected.y, actual.y, dTolerance);
    EXPECT_NEAR(expected.z, actual.z, dTolerance);
}

CVector3 RowTransformed(CVector3 v, const D3DMATRIX& m) { return *Vec3TransformRowCoord(&v, m); }

// A rotation, a scaling and a translation together, in row form.
D3DMATRIX SomeAffine()
{
    D3DMATRIX m;
    MatrixRotationAxis(m, CVector3(1, 2, 3), 0.7f);
    for (int c = 0; c < 3; ++c)
        m.m[1][c] *= 2.0f;
    m.m[3][0] = 4;
    m.m[3][1] = -5;
    m.m[3][2] = 6;
    return m;
}
} // namespace

TEST(MatrixTest, MultiplyAppliesTheSecondOperandFirstAndAllowsAliasing)
{
    // out = b * a, so a row vector goes through b, then through a.
    const D3DMATRIX a = SomeAffine();
    const D3DMATRIX b = Translation(1, 2, 3);
    D3DMATRIX out;
    MatrixMultiply(out, a, b);
    const CVector3 p(0.5f, -1.0f, 2.0f);
    ExpectNear(RowTransformed(RowTransformed(p, b), a), RowTransformed(p, out), 1e-5);

    D3DMATRIX aliasA = a;
    MatrixMultiply(aliasA, aliasA, b);
    EXPECT_TRUE(SameMatrix(out, aliasA));
    D3DMATRIX aliasB = b;
    MatrixMultiply(aliasB, a, aliasB);
    EXPECT_TRUE(SameMatrix(out, aliasB));
}

TEST(MatrixTest, ElementAddressesFollowTheRowMajorLayout)
{
    D3DMATRIX m;
    MatrixZero(m);
    *MatrixElement(m, 2, 3) = 7.0f;
    EXPECT_EQ(7.0f, m.m[2][3]);
    EXPECT_EQ(&m.m[0][0] + 11, MatrixElement(m, 2, 3));
    D3DMATRIX identity;
    MatrixSetIdentity(identity);
    EXPECT_EQ(1.0f, identity.m[3][3]);
    EXPECT_EQ(0.0f, identity.m[3][2]);
}

TEST(MatrixTest, PerspectiveRejectsDegenerateRangesAndLeavesTheMatrixAlone)
{
    struct SCase
    {
        const char* szName;
        float fov, aspect, fNear, fFar;
    };
    const SCase cases[] = {
        {"near equals far", PI / 2, 1.0f, 5.0f, 5.0f},
        {"near and far 0.005 apart", PI / 2, 1.0f, 5.0f, 5.005f},
        {"zero field of view", 0.0f, 1.0f, 1.0f, 100.0f},
        {"zero aspect ratio (a window without width)", PI / 2, 0.0f, 1.0f, 100.0f},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        D3DMATRIX m = Filled(3.0f);
        EXPECT_EQ(E_INVALIDARG, MatrixPerspective(m, c.fov, c.aspect, c.fNear, c.fFar));
        EXPECT_TRUE(SameMatrix(Filled(3.0f), m));
    }
}

TEST(MatrixTest, PerspectiveTakesTheHorizontalTermFromTheWidenedAngle)
{
    D3DMATRIX m = Filled(3.0f);
    ASSERT_EQ(S_OK, MatrixPerspective(m, PI / 4, 2.0f, 1.0f, 11.0f));
    D3DMATRIX expected;
    MatrixZero(expected);
    expected.m[0][0] = 1.0f;                                                     // cot(pi/4 * 2 / 2)
    expected.m[1][1] = static_cast<float>(1.0 / std::tan(std::numbers::pi / 8)); // cot(pi/8)
    expected.m[2][2] = 1.1f;
    expected.m[2][3] = 1.0f;
    expected.m[3][2] = -1.1f;
    EXPECT_TRUE(SameMatrix(expected, m, 1e-6f));
}

TEST(MatrixTest, InvertAffine)
{
    D3DMATRIX out;
    ASSERT_EQ(S_OK, MatrixInvertAffine(out, Translation(1, 2, 3)));
    EXPECT_TRUE(SameMatrix(Translation(-1, -2, -3), out));

    const D3DMATRIX m = SomeAffine();
    ASSERT_EQ(S_OK, MatrixInvertAffine(out, m));
    D3DMATRIX product;
    MatrixMultiply(product, m, out);
    D3DMATRIX identity;
    MatrixSetIdentity(identity);
    EXPECT_TRUE(SameMatrix(identity, product, 1e-5f));

    struct SCase
    {
        const char* szName;
        int r, c;
        float f;
    };
    const SCase rejected[] = {
        {"m33 is 2", 3, 3, 2.0f},
        {"m03 is 0.5", 0, 3, 0.5f},
        {"m23 is 0.001", 2, 3, 0.001f},
        // A flattened matrix has no inverse; success with infinities would hide it.
        {"singular: a zero row", 1, 1, 0.0f},
    };
    for (const SCase& c : rejected)
    {
        SCOPED_TRACE(c.szName);
        D3DMATRIX bad = Translation(1, 2, 3);
        bad.m[c.r][c.c] = c.f;
        D3DMATRIX untouched = Filled(3.0f);
        EXPECT_EQ(E_INVALIDARG, MatrixInvertAffine(untouched, bad));
        EXPECT_TRUE(SameMatrix(Filled(3.0f), untouched));
    }
}

TEST(MatrixTest, LookAtBuildsAnOrthonormalViewEvenWhenDegenerate)
{
    struct SCase
    {
        const char* szName;
        CVector3 eye, dir, up;
    };
    const SCase cases[] = {
        {"ordinary", CVector3(1, 2, -5), CVector3(0.2f, -0.3f, 2), CVector3(0, 1, 0)},
        {"up not perpendicular", CVector3(0, 3, 0), CVector3(0, -1, 1), CVector3(0, 1, 0)},
        {"straight down with up along the view", CVector3(0, 10, 0), CVector3(0, -1, 0), CVector3(0, 1, 0)},
        {"up along the view", CVector3(0, 0, 0), CVector3(3, 0, 0), CVector3(1, 0, 0)},
        {"zero up", CVector3(1, 1, 1), CVector3(0, 0, 1), CVector3()},
        {"zero direction", CVector3(1, 1, 1), CVector3(), CVector3(0, 1, 0)},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        D3DMATRIX m;
        MatrixLookAt(m, c.eye, c.dir, c.up);
        // Columns 0-2 are r, u, d: unit length and pairwise perpendicular, r = u x d.
        CVector3 cols[3];
        for (int i = 0; i < 3; ++i)
        {
            cols[i].SetVec3(m.m[0][i], m.m[1][i], m.m[2][i]);
            EXPECT_NEAR(1.0, cols[i].Length(), 1e-6);
            EXPECT_EQ(0.0f, m.m[i][3]);
        }
        EXPECT_NEAR(0.0, VectorDot(cols[0], cols[1]), 1e-6);
        EXPECT_NEAR(0.0, VectorDot(cols[1], cols[2]), 1e-6);
        ExpectNear(cols[1].Cross(cols[2]), cols[0], 1e-6);
        EXPECT_EQ(1.0f, m.m[3][3]);
        // The eye maps to the origin; a point ahead of it onto the positive view axis.
        ExpectNear(CVector3(), RowTransformed(c.eye, m), 1e-5);
        if (c.dir.LengthSq() > 0)
            ExpectNear(CVector3(0, 0, 2), RowTransformed(c.eye + c.dir.GetNormalized() * 2.0f, m), 1e-5);
    }
}

TEST(MatrixTest, LookAtFromTheOriginHasNoTranslationAndKeepsTheUpDirection)
{
    D3DMATRIX m;
    MatrixLookAt(m, CVector3(), CVector3(0, 0, 4), CVector3(0, 2, 0));
    D3DMATRIX identity;
    MatrixSetIdentity(identity);
    EXPECT_TRUE(SameMatrix(identity, m));
}

TEST(MatrixTest, RotationAboutAnAxisTable)
{
    struct SCase
    {
        const char* szName;
        CVector3 v, axis;
        float angle;
        CVector3 expected;
    };
    const SCase cases[] = {
        {"x about z by a quarter turn", CVector3(1, 0, 0), CVector3(0, 0, 1), PI / 2, CVector3(0, 1, 0)},
        {"axis need not be unit", CVector3(1, 0, 0), CVector3(0, 0, 5), PI / 2, CVector3(0, 1, 0)},
        {"y about x by a quarter turn", CVector3(0, 1, 0), CVector3(1, 0, 0), PI / 2, CVector3(0, 0, 1)},
        {"diagonal axis cycles the axes", CVector3(1, 0, 0), CVector3(1, 1, 1), 2 * PI / 3, CVector3(0, 1, 0)},
        {"point on the axis stays", CVector3(2, 2, 2), CVector3(1, 1, 1), 1.0f, CVector3(2, 2, 2)},
        {"zero axis leaves the vector", CVector3(1, 2, 3), CVector3(), 1.0f, CVector3(1, 2, 3)},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CVector3 out;
        ASSERT_EQ(&out, Vec3RotateAxis(&out, &c.v, &c.axis, c.angle));
        ExpectNear(c.expected, out, 1e-6);
    }
}

TEST(MatrixTest, PointerFunctionsRefuseNullAndWriteNothing)
{
    const CVector3 a(1, 2, 3), b(4, 5, 6);
    const CVector3 sentinel(9, 9, 9);
    CVector3 out = sentinel;
    EXPECT_EQ(nullptr, Vec3Add(&out, nullptr, &b));
    EXPECT_EQ(nullptr, Vec3Subtract(&out, &a, nullptr));
    EXPECT_EQ(nullptr, Vec3Cross(nullptr, &a, &b));
    EXPECT_EQ(nullptr, Vec3Scale(&out, nullptr, 2));
    EXPECT_EQ(nullptr, Vec3RotateAxis(&out, &a, nullptr, 1));
    EXPECT_EQ(nullptr, Vec3ProjectRowCoord(&out, nullptr, D3DMATRIX{}));
    EXPECT_EQ(1, Vector3Equal(sentinel, out));
    EXPECT_EQ(0.0, Vec3Dot(nullptr, &b));
    EXPECT_EQ(0.0f, Vec3Length(nullptr));
    EXPECT_EQ(nullptr, Vec3Normalize(nullptr));
    EXPECT_EQ(nullptr, Vec3TransformCoord(nullptr, D3DMATRIX{}));

    EXPECT_EQ(&out, Vec3Add(&out, &a, &b));
    EXPECT_EQ(1, Vector3Equal(CVector3(5, 7, 9), out));
    EXPECT_EQ(&out, Vec3Subtract(&out, &a, &b));
    EXPECT_EQ(1, Vector3Equal(CVector3(-3, -3, -3), out));
    EXPECT_EQ(&out, Vec3Cross(&out, &a, &b));
    EXPECT_EQ(1, Vector3Equal(CVector3(-3, 6, -3), out));
    EXPECT_EQ(&out, Vec3Scale(&out, &a, 0.5f));
    EXPECT_EQ(1, Vector3Equal(CVector3(0.5f, 1, 1.5f), out));
    EXPECT_EQ(32.0, Vec3Dot(&a, &b));
    CVector3 v(0, 3, 4);
    EXPECT_EQ(5.0f, Vec3Length(&v));
    EXPECT_EQ(&v, Vec3Normalize(&v));
    EXPECT_EQ(1, Vector3Equal(CVector3(0, 0.6f, 0.8f), v));
    CVector3 zero;
    Vec3Normalize(&zero);
    EXPECT_EQ(1, Vector3Equal(CVector3(), zero));
}

TEST(MatrixTest, TransformsDivideByWOnlyWhenItMeansSomething)
{
    struct SCase
    {
        const char* szName;
        float w;
        float fDivisor;
    };
    const SCase cases[] = {
        {"w exactly 1", 1.0f, 1.0f},
        {"w 0: no division (point in the camera plane)", 0.0f, 1.0f},
        {"w 2", 2.0f, 2.0f},
        {"w -0.5", -0.5f, -0.5f},
    };
    const CVector3 p(1, 2, 3);
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        // Column form: translation (10, 20, 30) in column 3, w from row 3's constant.
        D3DMATRIX column;
        MatrixSetIdentity(column);
        column.m[0][3] = 10;
        column.m[1][3] = 20;
        column.m[2][3] = 30;
        column.m[3][3] = c.w;
        CVector3 v = p;
        EXPECT_EQ(&v, Vec3TransformCoord(&v, column));
        ExpectNear(CVector3(11 / c.fDivisor, 22 / c.fDivisor, 33 / c.fDivisor), v, 1e-6);

        // Row form: the same translation in row 3.
        D3DMATRIX row = Translation(10, 20, 30);
        row.m[3][3] = c.w;
        ExpectNear(CVector3(11 / c.fDivisor, 22 / c.fDivisor, 33 / c.fDivisor), RowTransformed(p, row), 1e-6);
        CVector3 projected;
        EXPECT_EQ(&projected, Vec3ProjectRowCoord(&projected, &p, row));
        ExpectNear(CVector3(11 / c.fDivisor, 22 / c.fDivisor, 33 / c.fDivisor), projected, 1e-6);
    }
}
