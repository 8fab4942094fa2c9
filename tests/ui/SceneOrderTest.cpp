#include "ui/SceneOrder.h"

#include "foundation/Matrix.h"
#include "render/Picking.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
std::string SidesText(const STableSides& sides)
{
    std::string s;
    for (const ETableSide side : sides.Get())
        s += static_cast<char>('A' + side);
    return s;
}

TEST(SceneOrderTest, HeadingsAreBroughtIntoWholeDegreesUpTo360)
{
    const struct
    {
        float fHeading;
        int nExpected;
    } cases[] = {{0, 0},   {45.9f, 45}, {90, 90},      {360, 360},  {360.7f, 360}, {361, 1},      {725, 5},
                 {720, 0}, {-30, 330},  {-30.6f, 330}, {-360, 360}, {-390, 330},   {1.0e9f, 280}, {-0.5f, 0}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.fHeading);
        EXPECT_EQ(c.nExpected, NormaliseHeading(c.fHeading));
    }
}

TEST(SceneOrderTest, TableSidesFollowTheCameraHeading)
{
    const struct
    {
        float fHeading;
        const char* szNear;
        const char* szFar;
    } cases[] = {
        {0, "B", "ACD"},   {360, "B", "ACD"},   {45, "BD", "AC"},   {90, "D", "CAB"},  {135, "DA", "CB"},
        {180, "A", "BCD"}, {225, "AC", "BD"},   {270, "C", "ADB"},  {315, "BC", "AD"}, {-30, "BC", "AD"},
        {725, "BD", "AC"}, {89.9f, "BD", "AC"}, {-360, "B", "ACD"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.fHeading);
        EXPECT_EQ(c.szNear, SidesText(GetTableSides(c.fHeading, false)));
        EXPECT_EQ(c.szFar, SidesText(GetTableSides(c.fHeading, true)));
    }
}

TEST(SceneOrderTest, CalledPocketLiesBehindByHeading)
{
    // Pockets -1 (none called) and 0 to 5; '1' far, '0' near.
    const struct
    {
        float fHeading;
        const char* szPockets;
    } cases[] = {
        {0, "1011011"},   {360, "1011011"}, {-360, "1011011"}, {45, "1111001"},  {90, "0111000"},  {135, "1111100"},
        {180, "1110110"}, {225, "1100111"}, {270, "0000111"},  {-30, "1001111"}, {330, "1001111"}, {725, "1111001"},
    };
    for (const auto& c : cases)
        for (int p = -1; p <= 5; ++p)
        {
            SCOPED_TRACE(testing::Message() << c.fHeading << " pocket " << p);
            EXPECT_EQ(c.szPockets[p + 1] == '1', IsPocketBehind(c.fHeading, p));
        }
}

TEST(SceneOrderTest, PassesDrawTheRoomAroundTheTableButNotWhatHasAStepOfItsOwn)
{
    constexpr int TABLE = 20;
    const struct
    {
        const char* szName;
        int nKind, nOrder, nPassField;
        bool bSplit, bSpecular, bBackground, bForeground;
    } cases[] = {
        {"the room", 0x1, 1, 0, false, false, true, false},
        {"the table's body", 0x40, 9, 0, false, false, true, false},
        {"the bed", 0x1000040, 10, 0, false, false, true, false},
        {"a side", 0x8000040, 12, 0, false, false, false, false},
        {"the watermark", KIND_WATERMARK, 15, 0, false, false, false, false},
        {"the balls", KIND_BALLS, 20, 0, false, false, false, false},
        {"the pocket arrow", KIND_POCKET_ARROW, 10, 0, false, false, false, false},
        {"the trophy", KIND_TROPHY, 5, 0, false, false, false, false},
        {"the trophy, split", KIND_TROPHY, 30, 0, true, false, false, false},
        {"the cue", KIND_CUE, 25, 0, false, false, false, true},
        {"the cue, split", KIND_CUE, 25, 0, true, false, false, false},
        {"the lamp, split", 0x3, 30, 0, true, false, false, true},
        {"an object of the table's order", 0x7, 20, 0, false, false, false, false},
        {"a specular object alone, before the table", 0x7, 5, SPECULAR_ONLY, false, true, false, false},
        {"a specular object alone, after the table", 0x7, 30, SPECULAR_ONLY, false, true, false, false},
        {"a specular object drawn again after the table", 0x7, 30, 2, false, true, false, true},
        {"a specular object drawn again before the table", 0x7, 5, 2, false, true, true, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.szName);
        EXPECT_EQ(c.bSpecular, IsInScenePass(EScenePass::Specular, c.nKind, c.nOrder, c.nPassField, TABLE, c.bSplit));
        EXPECT_EQ(c.bBackground,
                  IsInScenePass(EScenePass::Background, c.nKind, c.nOrder, c.nPassField, TABLE, c.bSplit));
        EXPECT_EQ(c.bForeground,
                  IsInScenePass(EScenePass::Foreground, c.nKind, c.nOrder, c.nPassField, TABLE, c.bSplit));
    }
}

TEST(SceneOrderTest, BallsAreGroupedByTheirPlace)
{
    const STableBounds bounds{-25.0f, -50.0f, 25.0f, 50.0f};
    const struct
    {
        float x, z;
        bool bOff;
        EBallPlace expected;
    } cases[] = {
        {0, 0, false, EBallPlace::Inside},     {25, 50, false, EBallPlace::Inside},
        {-25, -50, false, EBallPlace::Inside}, {25.1f, 0, false, EBallPlace::Jaws},
        {0, -50.1f, false, EBallPlace::Jaws},  {0, 0, true, EBallPlace::Off},
        {30, 60, true, EBallPlace::Off},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.z << " " << c.bOff);
        EXPECT_EQ(c.expected, GetBallPlace(c.x, c.z, c.bOff, bounds));
    }
}

TEST(SceneOrderTest, TheHeadingTowardsAPointIsTheHeadingOfACameraLookingAtIt)
{
    for (const float fYaw : {0.0f, 30.0f, 90.0f, 135.0f, 180.0f, 270.0f, 359.0f})
    {
        SCOPED_TRACE(fYaw);
        // The orbit's direction points from the look-at point out to the eye; the camera looks back.
        CVector3 vEye(0.0f, 0.0f, 0.0f), vOut;
        OrbitPoint(fYaw, 0.0f, 1.0f, vEye, vOut);
        const float fHeading = HeadingTowards(-vOut.x, -vOut.z);
        EXPECT_NEAR(0.0f, std::remainder(fHeading - fYaw, 360.0f), 1e-3f);
        EXPECT_GE(fHeading, 0.0f);
        EXPECT_LT(fHeading, 360.0f);
    }
}

TEST(SceneOrderTest, BallsSplitAroundTheTrophy)
{
    // Ball 0 the cue ball; ball 1 nearer than the trophy (4), ball 2 farther; ball 1 passes the
    // sight-line test, ball 2 does not.
    const SSplitBall balls[] = {{0, 3, false}, {1, 3, true}, {2, 5, false}};
    const struct
    {
        float d;
        std::vector<int> behind;
        std::vector<int> front;
    } cases[] = {
        {0, {}, {0, 1, 2}},    {9.9f, {}, {0, 1, 2}}, {350.5f, {}, {0, 1, 2}}, {10, {2}, {0, 1}},
        {90, {2}, {0, 1}},     {90.5f, {0, 2}, {1}},  {170, {0, 2}, {1}},      {175, {0, 1}, {2}},
        {189.9f, {0, 1}, {2}}, {190, {0, 2}, {1}},    {269, {0, 2}, {1}},      {270, {2}, {0, 1}},
    };
    SBallSplit split;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.d);
        SplitBallsByHeading(c.d, 4.0f, balls, split);
        EXPECT_EQ(c.behind, split.behind);
        EXPECT_EQ(c.front, split.front);
    }
}

TEST(SceneOrderTest, ShortPathIsCutToTheLimitAfterTheFirstContact)
{
    // Points (0,0) to the contact (0,100), then 3-4-5 segments of 250 pixels each.
    const std::vector<POINT> path = {{0, 0}, {0, 100}, {150, 300}, {300, 500}, {450, 700}};
    const struct
    {
        double dLimit;
        std::size_t nFrom;
        std::vector<POINT> expected;
        double dUsed;
    } cases[] = {
        {360, 1, {{0, 0}, {0, 100}, {150, 300}, {216, 388}}, 360},
        {330, 1, {{0, 0}, {0, 100}, {150, 300}, {198, 364}}, 330},
        {250, 1, {{0, 0}, {0, 100}, {150, 300}}, 250},
        {1000, 1, path, 750},
        {100, 0, {{0, 0}, {0, 100}}, 100},
        {30, 0, {{0, 0}, {0, 30}}, 30},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.dLimit << " from " << c.nFrom);
        std::vector<POINT> points = path;
        EXPECT_DOUBLE_EQ(c.dUsed, CapPathLength(points, c.nFrom, c.dLimit));
        ASSERT_EQ(c.expected.size(), points.size());
        for (std::size_t i = 0; i < points.size(); ++i)
        {
            EXPECT_EQ(c.expected[i].x, points[i].x) << i;
            EXPECT_EQ(c.expected[i].y, points[i].y) << i;
        }
    }
    std::vector<POINT> one = {{5, 5}};
    EXPECT_EQ(0.0, CapPathLength(one, 0, 360)) << "a single point has no length";
}

std::string PlanText(const SSceneOrderState& state)
{
    std::string s;
    const SScenePlan plan = PlanScene(state);
    for (const ESceneStep step : plan.Get())
        s += std::string(s.empty() ? "" : " ") + SceneStepName(step);
    return s;
}

// A short path keeps two segments of the struck ball, fewer when it meets a cushion first, and one
// of the ball it hits.
TEST(SceneOrderTest, ShortPathsKeepTheirFirstSegments)
{
    constexpr int PLAIN = 0, BALL = 2, CUSHION = 3;
    const struct
    {
        const char* szName;
        std::vector<int> kinds;
        bool bStruck;
        std::size_t nKept;
    } cases[] = {
        {"struck: two segments", {PLAIN, BALL, PLAIN, CUSHION, PLAIN}, true, 3},
        {"struck: to the first cushion", {PLAIN, CUSHION, BALL, PLAIN}, true, 2},
        {"struck: the cushion ends the second segment", {PLAIN, BALL, CUSHION, PLAIN}, true, 3},
        {"struck: a one-segment track", {PLAIN, PLAIN}, true, 2},
        {"the ball hit: one segment", {PLAIN, CUSHION, PLAIN}, false, 2},
        {"a track of one point", {PLAIN}, false, 1},
        {"no track", {}, true, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.szName);
        EXPECT_EQ(c.nKept, ShortPathPointCount(c.kinds, c.bStruck));
    }
}

TEST(SceneOrderTest, FramesArePaintedInTheirGoldenOrder)
{
    const std::string strOverlay =
        "Foreground Effects PanelWidget AimingPaths Widgets FrameRate GamePanels TextMessage MatchTitle RestoreLights";
    const struct
    {
        const char* szName;
        SSceneOrderState state;
        std::string strSteps;
    } cases[] = {
        {"whole, arrow in front",
         {false, false, false, false},
         "Background BallsInside FarSides BallsInJaws Watermark CalledPocket PocketedBalls BallLabel NearSides "
         "Trophy PocketArrowNear " +
             strOverlay},
        {"whole, arrow behind, specular",
         {false, true, false, true},
         "SpecularPass Background BallsInside FarSides BallsInJaws Watermark CalledPocket PocketArrowFar "
         "PocketedBalls BallLabel NearSides Trophy " +
             strOverlay},
        {"split, arrow in front",
         {false, false, true, false},
         "Background FarSides Watermark CalledPocket AimingPaths BallsBehind Trophy BallsFront BallLabel NearSides "
         "PocketArrowNear " +
             strOverlay},
        {"split, arrow behind",
         {false, false, true, true},
         "Background FarSides Watermark CalledPocket PocketArrowFar AimingPaths BallsBehind Trophy BallsFront "
         "BallLabel NearSides " +
             strOverlay},
        {"scene hidden", {true, true, true, true}, "MatchTitle RestoreLights"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.szName);
        EXPECT_EQ(c.strSteps, PlanText(c.state));
    }
}
} // namespace
