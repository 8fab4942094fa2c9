// Picking by geometry and the ball-in-hand placement rules.
#include "render/Picking.h"

#include "foundation/Matrix.h"
#include "render/D3DFramework.h"
#include "render/Environment3D.h"

#include <cmath>
#include <gtest/gtest.h>
#include <tuple>

namespace
{
const RECT VIEWPORT = {0, 0, 800, 600};

/// A camera at the origin looking along +z.
void LookAlongZ()
{
    g_nPanelHeight = 0;
    MatrixSetIdentity(g_matView);
    ASSERT_EQ(S_OK, BuildProjection(0.4f, 800, 600, nullptr));
}

CVector3 Screen(const CVector3& v)
{
    CVector3 out;
    ProjectToScreenIn(&out, &v, VIEWPORT);
    return out;
}

const SBallInHandTable TABLE = {{-0.6f, 0.0f, -1.2f, 0.6f, 0.1f, 1.2f}, -0.6f, 0.8f};
} // namespace

TEST(Picking, CursorOnNearAndOffABall)
{
    LookAlongZ();
    const SPickBall balls[] = {{7, CVector3(0, 0, 100), 1.12f}};
    const CVector3 c = Screen(balls[0].vPosition);
    // 1.5 radii at distance 100 project to about 1.5 * 1.12 * 4.93 / 100 * 300 = 25 px.
    struct SCase
    {
        float dx, dy;
        bool bPicked;
    } cases[] = {{0, 0, true}, {20, 0, true}, {0, -20, true}, {30, 0, false}, {0, 30, false}, {200, 200, false}};
    for (const SCase& k : cases)
    {
        SCOPED_TRACE(testing::Message() << k.dx << "," << k.dy);
        EXPECT_EQ(PickAtPoint(balls, c.x + k.dx, c.y + k.dy, VIEWPORT) != nullptr, k.bPicked);
    }
    EXPECT_EQ(PickAtPoint({}, c.x, c.y, VIEWPORT), nullptr) << "no balls";
}

TEST(Picking, EarlierBallWinsAndBallsBehindAreNeverPicked)
{
    LookAlongZ();
    const SPickBall balls[] = {{3, CVector3(0, 0, 100), 1.12f}, {5, CVector3(0, 0, 50), 1.12f}};
    const CVector3 c = Screen(balls[0].vPosition);
    ASSERT_NE(PickAtPoint(balls, c.x, c.y, VIEWPORT), nullptr);
    EXPECT_EQ(PickAtPoint(balls, c.x, c.y, VIEWPORT)->nId, 3);
    // The far ball's radius is its own: a point inside the near ball's disc only picks the near one.
    EXPECT_EQ(PickAtPoint(balls, c.x + 40, c.y, VIEWPORT)->nId, 5);
    // A ball straight behind the camera projects onto the middle too, but is not picked.
    const SPickBall behind[] = {{9, CVector3(0, 0, -100), 1.12f}};
    EXPECT_EQ(PickAtPoint(behind, 400, 300, VIEWPORT), nullptr);

    CHoverPicker picker;
    EXPECT_EQ(picker.Highlight(balls, c.x, c.y, VIEWPORT)->nId, 3);
    EXPECT_EQ(picker.GetHighlightId(), 3);
    EXPECT_EQ(picker.Highlight(balls, 0, 0, VIEWPORT), nullptr);
    EXPECT_EQ(picker.GetHighlightId(), -1);
    picker.Highlight(balls, c.x, c.y, VIEWPORT);
    picker.Reset();
    EXPECT_EQ(picker.GetHighlightId(), -1);
    EXPECT_EQ(picker.GetState(), 0);
}

TEST(Picking, OrbitPoint)
{
    struct SCase
    {
        float fYaw, fPitch;
        CVector3 expected;
    } cases[] = {{0, 0, CVector3(0, 0, 10)}, {90, 0, CVector3(10, 0, 0)}, {180, 0, CVector3(0, 0, -10)}};
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.fYaw);
        CVector3 point(0, 0, 0), direction;
        OrbitPoint(c.fYaw, c.fPitch, 10.0f, point, direction);
        EXPECT_NEAR(std::fabs(point.x), std::fabs(c.expected.x), 1e-4);
        EXPECT_NEAR(point.z, c.expected.z, 1e-4);
        EXPECT_NEAR(point.y, 0.0f, 1e-4);
    }
    // A pitch lifts or lowers the direction out of the floor plane, keeping its length.
    CVector3 point(1, 2, 3), direction;
    OrbitPoint(30, 40, 10.0f, point, direction);
    EXPECT_NEAR(std::fabs(direction.y), std::sin(40.0f * 3.14159265f / 180.0f), 1e-4);
    EXPECT_NEAR(Vec3Length(&direction), 1.0f, 1e-5);
    EXPECT_NEAR(point.y - 2.0f, direction.y * 10.0f, 1e-4);
}

TEST(Picking, BallInHandClampedPastEachCushionAndTheHeadString)
{
    const SPickBall balls[] = {{0, CVector3(0, 0.8f, 0), 0.028f}, {1, CVector3(0.3f, 0.8f, 0.5f), 0.028f}};
    struct SCase
    {
        const char* szWhere;
        CVector3 position;
        BOOL bBehind;
        int nResult;
        float x, z;
    } cases[] = {
        {"inside", CVector3(0.1f, 0, 0.2f), FALSE, 1, 0.1f, 0.2f},
        {"left", CVector3(-0.7f, 0, 0), FALSE, 0, -0.58f, 0.0f},
        {"right", CVector3(0.7f, 0, 0), FALSE, 0, 0.58f, 0.0f},
        {"near end", CVector3(0, 0, -1.3f), FALSE, 0, 0.0f, -1.18f},
        {"far end", CVector3(0, 0, 1.3f), FALSE, 0, 0.0f, 1.18f},
        {"before the head string", CVector3(0, 0, -0.5f), TRUE, 0, 0.0f, -0.6f},
        {"behind the head string", CVector3(0, 0, -0.7f), TRUE, 1, 0.0f, -0.7f},
        {"behind it and past the head end", CVector3(0, 0, -1.3f), TRUE, 0, 0.0f, -1.18f},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szWhere);
        CVector3 p = c.position;
        EXPECT_EQ(ClampBallInHand(balls, 0, &p, c.bBehind, TABLE), c.nResult);
        EXPECT_NEAR(p.x, c.x, 1e-5);
        EXPECT_NEAR(p.z, c.z, 1e-5);
        EXPECT_NEAR(p.y, 4 * 0.028f + 0.8f, 1e-6) << "lifted";
    }
    // With the head at the other end the string bounds the other side.
    SBallInHandTable headAtFar = TABLE;
    headAtFar.fHeadSpotZ = 0.6f;
    for (const auto& [fZ, nResult, fKept] : {std::tuple{0.5f, 0, 0.6f}, std::tuple{0.7f, 1, 0.7f}})
    {
        CVector3 v(0.0f, 0.0f, fZ);
        EXPECT_EQ(ClampBallInHand(balls, 0, &v, TRUE, headAtFar), nResult) << fZ;
        EXPECT_NEAR(v.z, fKept, 1e-5) << fZ;
    }
    CVector3 p;
    EXPECT_EQ(ClampBallInHand(balls, 42, &p, FALSE, TABLE), 0) << "unknown ball";
    EXPECT_EQ(ClampBallInHand(balls, 0, nullptr, FALSE, TABLE), 1);
}

TEST(Picking, BallInHandFreeAtTwoRadiiAndAHair)
{
    const float r = 0.028f;
    const SPickBall balls[] = {{0, CVector3(0, 0.8f, 0), r}, {1, CVector3(0, 0.8f, 0.5f), r}};
    CVector3 touching(0, 0.8f, 0.5f - 2.0f * r);
    EXPECT_EQ(CheckBallInHandFree(balls, 0, &touching, TABLE), 0);
    EXPECT_FLOAT_EQ(touching.z, 0.5f - 2.0f * r) << "left unchanged";
    CVector3 clear(0, 0.9f, 0.5f - 2.0011f * r);
    EXPECT_EQ(CheckBallInHandFree(balls, 0, &clear, TABLE), 1);
    EXPECT_FLOAT_EQ(clear.y, 0.8f) << "set down";
    // The ball itself never blocks its own place.
    CVector3 own(0, 0.8f, 0);
    EXPECT_EQ(CheckBallInHandFree(balls, 0, &own, TABLE), 1);
    EXPECT_EQ(CheckBallInHandFree(balls, 0, nullptr, TABLE), 1);
}
