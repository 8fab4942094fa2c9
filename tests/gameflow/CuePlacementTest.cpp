#include "gameflow/CuePlacement.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
void ExpectNear(const CVector3& expected, const CVector3& actual)
{
    EXPECT_NEAR(expected.x, actual.x, 1e-5f);
    EXPECT_NEAR(expected.y, actual.y, 1e-5f);
    EXPECT_NEAR(expected.z, actual.z, 1e-5f);
}
} // namespace

TEST(CuePlacementTest, TheCueStandsOnItsOrbitWithADefinedUpVector)
{
    const float h = std::sqrt(0.5f);
    const struct
    {
        const char* szCase;
        SCueAim aim;
        CVector3 vPosition, vDirection, vUp;
    } cases[] = {
        {"level, yaw 0", {0, 0, 0, 0, 0.1f, 1}, {0, 0, 1}, {0, 0, -1}, {0, 1, 0}},
        {"level, yaw 90", {90, 0, 0, 0, 0.1f, 1}, {1, 0, 0}, {-1, 0, 0}, {0, 1, 0}},
        {"raised 45", {0, 45, 0, 0, 0, 2}, {0, 2 * h, 2 * h}, {0, -h, -h}, {0, h, -h}},
        {"english to the side moves only the tip's orbit",
         {0, 0, 90, 0, 0.5f, 1},
         {0.5f, 0, 0.5f},
         {0, 0, -1},
         {0, 1, 0}},
        {"straight down, yaw 0", {0, 90, 0, 0, 0, 1}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}},
        {"straight down, yaw 90", {90, 90, 0, 0, 0, 1}, {0, 1, 0}, {0, -1, 0}, {-1, 0, 0}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.szCase);
        const SCuePose pose = ComputeCuePose(CVector3(0, 0, 0), c.aim);
        ExpectNear(c.vPosition, pose.vPosition);
        ExpectNear(c.vDirection, pose.vDirection);
        ExpectNear(c.vUp, pose.vUp);
    }
}

TEST(CuePlacementTest, TheTaperingShaftTouchesABallOnlyWhereItIsThickEnough)
{
    SCuePose pose;
    pose.vPosition = CVector3(0, 0, 0);
    pose.vDirection = CVector3(0, 0, -1);
    pose.vUp = CVector3(0, 1, 0);
    const SCueShaft shaft = GetCueShaft(pose, 1.0f, 10.0f, 0.0f);
    ExpectNear(CVector3(0, -0.5f * CUE_TIP_SHARE, 0), shaft.vA);
    ExpectNear(CVector3(0, -0.5f, 10), shaft.vB);
    EXPECT_EQ(0.5f, shaft.fButtRadius);
    const struct
    {
        CVector3 vBall;
        bool bTouches;
    } cases[] = {
        // The shaft runs from y -0.08 at the tip down to -0.5 at the butt; its radius grows from
        // 0.16 to 0.5 on the way.
        {{0, 0.7f, 5}, false}, {{0, 0.45f, 5}, true}, {{0, 0.62f, 0.2f}, false}, {{0, 0.2f, 9.8f}, true},
        {{0, 0, 12}, false},   {{2, 0, 5}, false},    {{0, -1.0f, 5}, true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.vBall.y) + ", " + std::to_string(c.vBall.z));
        EXPECT_EQ(c.bTouches, DoesShaftTouchBall(shaft, c.vBall, 0.5f));
    }
}

namespace
{
class CFakeCueScene : public ICueScene
{
public:
    SCueAim GetCueAim() const override { return m_aim; }
    void SetCueAim(const SCueAim& aim) override { m_aim = aim; }
    SCuePose GetCuePose() const override { return m_pose; }
    void SetCuePose(const SCuePose& pose) override { m_pose = pose; }
    bool GetCueBallCentre(CVector3& v) const override
    {
        v = CVector3(0, 0, 0);
        return m_bCueBall;
    }
    float GetCueThickness() const override { return 0.2f; }
    float GetCueLength() const override { return 10.0f; }
    float GetPullBack() const override { return 0.0f; }
    bool SegmentTouchesTable(const CVector3&, const CVector3&) const override { return m_bTable; }
    bool AnyOtherBall(const std::function<bool(const CVector3&, float)>& visit) const override
    {
        for (const CVector3& v : m_aBalls)
            if (visit(v, 0.5f))
                return true;
        return false;
    }

    SCueAim m_aim{10, 5, 1, 2, 0.1f, 3};
    SCuePose m_pose{{7, 8, 9}, {0, 0, 1}, {0, 1, 0}};
    bool m_bCueBall = true;
    bool m_bTable = false;
    std::vector<CVector3> m_aBalls;
};
} // namespace

TEST(CuePlacementTest, TheObstructionTestPutsTheCueBackOnEveryPath)
{
    const struct
    {
        const char* szCase;
        bool bCueBall, bTable;
        std::vector<CVector3> aBalls;
        int nObstructed;
    } cases[] = {
        {"no cue ball", false, false, {}, 0},
        {"a cushion in the way", true, true, {}, 1},
        {"a ball behind the cue ball", true, false, {{0, 0, 4}}, 1},
        {"a ball to the side", true, false, {{3, 0, 4}}, 0},
        {"nothing", true, false, {}, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.szCase);
        CFakeCueScene scene;
        scene.m_bCueBall = c.bCueBall;
        scene.m_bTable = c.bTable;
        scene.m_aBalls = c.aBalls;
        // Aimed along +z (the cue behind the ball on the +z side), level.
        EXPECT_EQ(c.nObstructed, IsCueObstructed(scene, 0, 0, 0, 0));
        EXPECT_EQ(10.0f, scene.m_aim.fYaw);
        EXPECT_EQ(5.0f, scene.m_aim.fPitch);
        EXPECT_EQ(1.0f, scene.m_aim.fEnglishYaw);
        EXPECT_EQ(2.0f, scene.m_aim.fEnglishPitch);
        ExpectNear(CVector3(7, 8, 9), scene.m_pose.vPosition);
        ExpectNear(CVector3(0, 0, 1), scene.m_pose.vDirection);
    }
}
