#include "foundation/Polyline.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

TEST(PolylineTest, StrengthLevelTable)
{
    struct SCase
    {
        const char* szName;
        int nLevels;
        CVector3 velocity;
        double dSpeed;
        int nExpected;
    };
    const double dNaN = std::numeric_limits<double>::quiet_NaN();
    const SCase cases[] = {
        {"five levels, at rest", 5, CVector3(), 0.0, 0},
        {"five levels, 1.25 m/s: floor(4 * 0.5)", 5, CVector3(0, 1.25f, 0), 1.25, 2},
        {"five levels, 5 m/s is the top", 5, CVector3(3, 4, 0), 5.0, 4},
        {"five levels, 20 m/s is clamped", 5, CVector3(0, 0, -20), 20.0, 4},
        {"one level, fast", 1, CVector3(20, 0, 0), 20.0, 0},
        {"eight levels, 2.5 m/s: floor(7 * 0.707)", 8, CVector3(2.5f, 0, 0), 2.5, 4},
        {"a count below 1 counts as 1", 0, CVector3(20, 0, 0), 20.0, 0},
        {"a NaN speed gives level 0", 5, CVector3(), dNaN, 0},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        EXPECT_EQ(c.nExpected, CPolyline::LevelForSpeed(c.dSpeed, c.nLevels));
        if (std::isnan(c.dSpeed))
            continue;
        CPolyline list(c.nLevels);
        ASSERT_EQ(0, list.AddBallEvent(7, CVector3(1, 2, 3), c.velocity));
        int nLevel = -1;
        EXPECT_EQ(7, list.GetRecord(0, &nLevel));
        EXPECT_EQ(c.nExpected, nLevel);
    }
}

TEST(PolylineTest, EventsBetweenTwoBallsUseTheRelativeSpeed)
{
    CPolyline list(5);
    const CVector3 same(1.5f, -2.0f, 0.0f);
    EXPECT_EQ(0, list.AddBallEvent(1, CVector3(), same, &same));
    const CVector3 opposite(-1.5f, 2.0f, 0.0f); // relative speed 5 m/s
    EXPECT_EQ(1, list.AddBallEvent(2, CVector3(0.5f, 1.0f, 0.0f), same, &opposite));

    int nLevel = -1;
    CVector3 pos;
    EXPECT_EQ(1, list.GetRecord(0, &nLevel, &pos));
    EXPECT_EQ(0, nLevel);
    EXPECT_EQ(2, list.GetRecord(1, &nLevel, &pos));
    EXPECT_EQ(4, nLevel);
    EXPECT_EQ(1, Vector3Equal(CVector3(0.5f, 1.0f, 0.0f), pos));
    EXPECT_EQ(2, list.GetRecord(1)); // the out-pointers are optional
}

TEST(PolylineTest, GetRecordOutsideTheListReportsMinusOneAndWritesNothing)
{
    CPolyline list(1);
    list.AddBallEvent(3, CVector3(), CVector3());
    for (int i : {-1, 1, 100})
    {
        SCOPED_TRACE(i);
        int nLevel = 42;
        CVector3 pos(9, 9, 9);
        EXPECT_EQ(-1, list.GetRecord(i, &nLevel, &pos));
        EXPECT_EQ(42, nLevel);
        EXPECT_EQ(9.0f, pos.x);
    }
}

TEST(PolylineTest, CopyReplacesRecordsAndLevelCount)
{
    CPolyline source(8);
    source.AddBallEvent(1, CVector3(1, 0, 0), CVector3(5, 0, 0));
    source.AddBallEvent(2, CVector3(2, 0, 0), CVector3());
    CPolyline target(1);
    target.AddBallEvent(9, CVector3(), CVector3());

    target.Copy(source);
    ASSERT_EQ(2, target.GetCount());
    EXPECT_EQ(8, target.GetLevelCount());
    int nLevel = -1;
    CVector3 pos;
    EXPECT_EQ(1, target.GetRecord(0, &nLevel, &pos));
    EXPECT_EQ(7, nLevel);
    EXPECT_EQ(2, target.GetRecord(1, &nLevel, &pos));
    EXPECT_EQ(2.0f, pos.x);

    // An empty list still hands over its level count.
    const CPolyline empty(3);
    target.Copy(empty);
    EXPECT_EQ(0, target.GetCount());
    EXPECT_EQ(3, target.GetLevelCount());
}

TEST(PolylineTest, SetLevelCountAppliesToLaterEvents)
{
    CPolyline list(1);
    list.AddBallEvent(1, CVector3(), CVector3(5, 0, 0));
    list.SetLevelCount(8);
    list.AddBallEvent(1, CVector3(), CVector3(5, 0, 0));
    int nFirst = -1, nSecond = -1;
    list.GetRecord(0, &nFirst);
    list.GetRecord(1, &nSecond);
    EXPECT_EQ(0, nFirst);
    EXPECT_EQ(7, nSecond);
}
