#include "foundation/Range.h"

#include <gtest/gtest.h>

TEST(RangeTest, ScoreTable)
{
    struct SCase
    {
        const char* szName;
        double a, b, t, dExpected;
    };
    const SCase cases[] = {
        {"equal", 3.0, 3.0, 2.0, 1.0},
        {"half way", 3.0, 4.0, 2.0, 0.5},
        {"at the window's end", 3.0, 5.0, 2.0, 0.0},
        {"beyond the window", 3.0, 7.0, 2.0, 0.0},
        {"below", 3.0, 1.5, 2.0, 0.25},
        // A window without width would divide 0 by 0.
        {"zero window, equal", 3.0, 3.0, 0.0, 1.0},
        {"zero window, apart", 3.0, 3.5, 0.0, 0.0},
        {"negative window", 3.0, 3.5, -1.0, 0.0},
    };
    CRange range(0.5);
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        EXPECT_DOUBLE_EQ(c.dExpected, range.Score(c.a, c.b, c.t));
    }
    EXPECT_EQ(0.0, range.GetValue());
}

TEST(RangeTest, TestPicksTheBoundOnTheSideOfA)
{
    CRange range(0.0);
    // a below b: window b - lo = 4; |b - a| = 1 -> 0.75.
    EXPECT_DOUBLE_EQ(0.75, range.Test(5.0, 6.0, 2.0, 100.0));
    // a above b: window hi - b = 2; |b - a| = 1 -> 0.5.
    EXPECT_DOUBLE_EQ(0.5, range.Test(7.0, 6.0, -100.0, 8.0));
    // b on the bound: a zero window scores only an exact match.
    EXPECT_DOUBLE_EQ(0.0, range.Test(5.0, 6.0, 6.0, 8.0));
    EXPECT_DOUBLE_EQ(1.0, range.Test(6.0, 6.0, 0.0, 6.0));
}

TEST(RangeTest, DerivedTestsOverrideTheScoring)
{
    struct CHalfRange : CRange
    {
        CHalfRange() : CRange(1.0) { m_dValue = 2.0; }
        double Score(double a, double b, double t) override { return CRange::Score(a, b, t) / 2; }
    };
    CHalfRange half;
    CRange& base = half;
    EXPECT_DOUBLE_EQ(0.25, base.Test(3.0, 4.0, 2.0, 10.0));
    EXPECT_DOUBLE_EQ(2.0, base.GetValue());
}
