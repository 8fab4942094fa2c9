#include "gameflow/BallDragger.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
class CFakeObject : public IDragObject
{
public:
    CVector3 GetPosition() const override { return m_v; }
    void SetPosition(const CVector3& v) override { m_v = v; }
    CVector3 m_v;
};

// A camera whose projection is x * 10 + 100, z * 10 + 50; it records cursor moves and beeps.
class CFakeScene : public IDragScene
{
public:
    CVector3 GetViewDirection() const override { return m_vDirection; }
    float GetViewYaw() const override { return m_fYaw; }
    CVector3 ProjectToScreen(const CVector3& v) const override { return CVector3(v.x * 10 + 100, v.z * 10 + 50, 0); }
    void SetCursorToClient(HWND, int x, int y) override { m_aCursor.push_back({x, y}); }
    void Beep() override { ++m_nBeeps; }

    CVector3 m_vDirection{0.0f, -0.5f, 1.0f};
    float m_fYaw = 0.0f;
    std::vector<POINT> m_aCursor;
    int m_nBeeps = 0;
};

// Keeps x at most 1 and refuses a drop with x below 0.
int ClampX(int, CVector3* p, int)
{
    if (p->x <= 1.0f)
        return 1;
    p->x = 1.0f;
    return 0;
}
int RefuseNegativeX(int, CVector3* p, int) { return p->x >= 0.0f ? 1 : 0; }
int LiftOnDrop(int, CVector3* p, int)
{
    p->y = 26.0f;
    return 1;
}

void ExpectNear(const CVector3& expected, const CVector3& actual)
{
    EXPECT_NEAR(expected.x, actual.x, 1e-5f);
    EXPECT_NEAR(expected.y, actual.y, 1e-5f);
    EXPECT_NEAR(expected.z, actual.z, 1e-5f);
}
} // namespace

// Mouse right moves the object along the camera's right (minus the cross product of the view and
// the vertical), mouse down towards the camera; straight down the yaw gives the same axes.
TEST(BallDraggerTest, MovementFollowsTheCameraAxes)
{
    const struct
    {
        const char* szCase;
        CVector3 vDirection;
        float fYaw;
        int dx, dy;
        CVector3 vMoved;
    } cases[] = {
        {"looking along +z, right", {0, -0.5f, 1}, 0, 2, 0, {2, 0, 0}},
        {"looking along +z, down", {0, -0.5f, 1}, 0, 0, 3, {0, 0, -3}},
        {"looking along +x, right", {1, -1, 0}, 90, 2, 0, {0, 0, -2}},
        {"straight down, yaw 0", {0, -1, 0}, 0, 2, 3, {2, 0, -3}},
        {"straight down, yaw 90", {0, -1, 0}, 90, 2, 3, {-3, 0, -2}},
        {"straight down, yaw 180", {0, -1, 0}, 180, 2, 0, {-2, 0, 0}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.szCase);
        CFakeObject object;
        CFakeScene scene;
        scene.m_vDirection = c.vDirection;
        scene.m_fYaw = c.fYaw;
        CBallDragger dragger;
        dragger.Begin(&object, 7, nullptr, nullptr, &scene, 0, 0, 0);
        EXPECT_EQ(1, dragger.Drag(c.dx, c.dy));
        ExpectNear(c.vMoved, object.m_v);
    }
}

TEST(BallDraggerTest, ARefusedDropBeepsOnceAndTheDragGoesOn)
{
    CFakeObject object;
    object.m_v = CVector3(0.5f, 26.1f, 2.0f);
    CFakeScene scene;
    CBallDragger dragger;
    EXPECT_EQ(1, dragger.Drag(5, 5)) << "idle";
    dragger.Begin(&object, 3, nullptr, RefuseNegativeX, &scene, 10, 10, 2);
    ExpectNear(CVector3(105, 70, 0), dragger.GetScreenPoint());
    dragger.Drag(-2, 0); // x -1.5: refused there
    dragger.Drop();
    EXPECT_EQ(1, scene.m_nBeeps);
    EXPECT_EQ(TRUE, dragger.IsActive());
    EXPECT_EQ(TRUE, dragger.IsRefused());
    ExpectNear(CVector3(-1.5f, 26.1f, 2.0f), object.m_v);

    // A new drag after the refusal still knows where the first one started.
    dragger.Begin(&object, 3, nullptr, RefuseNegativeX, &scene, 10, 10, 2);
    ExpectNear(CVector3(0.5f, 26.1f, 2.0f), dragger.GetSavedPosition());
    dragger.Drag(3, 0);
    object.m_v.y = 30.0f;
    dragger.Drop();
    EXPECT_EQ(1, scene.m_nBeeps);
    EXPECT_EQ(FALSE, dragger.IsActive());
    SCOPED_TRACE("the masked axis (y) back at its saved value");
    ExpectNear(CVector3(1.5f, 26.1f, 2.0f), object.m_v);

    // Cancel takes a refused drag back to its start.
    dragger.Begin(&object, 4, nullptr, RefuseNegativeX, &scene, 0, 0, 0);
    dragger.Drag(-5, 0);
    dragger.Drop();
    EXPECT_EQ(2, scene.m_nBeeps);
    dragger.Cancel();
    EXPECT_EQ(FALSE, dragger.IsActive());
    EXPECT_EQ(FALSE, dragger.IsRefused());
    EXPECT_EQ(-1, dragger.GetUserValue());
    ExpectNear(CVector3(1.5f, 26.1f, 2.0f), object.m_v);
}

TEST(BallDraggerTest, AClampedMoveSnapsTheCursorOntoTheObject)
{
    CFakeObject object;
    CFakeScene scene;
    CBallDragger dragger;
    dragger.Begin(&object, 0, ClampX, LiftOnDrop, &scene, 100, 50, 0);
    EXPECT_EQ(1, dragger.MoveToCursor(99, 50, reinterpret_cast<HWND>(1))); // x -1: accepted
    EXPECT_TRUE(scene.m_aCursor.empty());
    EXPECT_EQ(0, dragger.MoveToCursor(104, 52, reinterpret_cast<HWND>(1))); // x 4, clamped to 1
    ExpectNear(CVector3(1, 0, -2), object.m_v);
    ASSERT_EQ(1u, scene.m_aCursor.size());
    // The screen point moved from the start's (100, 50) to (110, 30): the cursor by the same.
    EXPECT_EQ(99 + 10, scene.m_aCursor[0].x);
    EXPECT_EQ(50 - 20, scene.m_aCursor[0].y);
    EXPECT_EQ(0, dragger.MoveToCursor(120, 30, nullptr)) << "no window: the cursor is left alone";
    EXPECT_EQ(1u, scene.m_aCursor.size());

    // An accepted drop takes the callback's correction and ends the drag; a null object is a drop.
    dragger.Drop();
    EXPECT_EQ(FALSE, dragger.IsActive());
    EXPECT_EQ(26.0f, object.m_v.y);
    dragger.Begin(nullptr, 0, nullptr, nullptr, &scene, 0, 0, 0);
    EXPECT_EQ(FALSE, dragger.IsActive());
    EXPECT_EQ(0, scene.m_nBeeps);
}
