#include "foundation/RunningMean.h"

#include <gtest/gtest.h>

TEST(RunningMeanTest, StartsAtZero)
{
    const CRunningMean mean;
    EXPECT_EQ(0u, mean.GetCount());
    EXPECT_EQ(0.0, mean.GetMean());
    EXPECT_EQ(0.0, mean.GetMeanDeviation());
}

TEST(RunningMeanTest, MeanAndDeviationFollowTheSeries)
{
    struct SCase
    {
        const char* szName;
        std::initializer_list<double> values;
        double dMean, dMeanDeviation;
    };
    const SCase cases[] = {
        {"one value: itself, no deviation", {3.5}, 3.5, 0.0},
        // The second deviation (1.0) is measured from the updated mean 1.0: (0 + 1) / 2.
        {"0 then 2", {0.0, 2.0}, 1.0, 0.5},
        // Means 0, 1, 2; deviations 0, 1, 2: mean deviation 1.
        {"0, 2, 4", {0.0, 2.0, 4.0}, 2.0, 1.0},
        {"constant series", {0.25, 0.25, 0.25, 0.25}, 0.25, 0.0},
        {"negative values", {-1.0, -3.0}, -2.0, 0.5},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CRunningMean mean;
        for (double x : c.values)
            mean.Add(x);
        EXPECT_EQ(c.values.size(), mean.GetCount());
        EXPECT_DOUBLE_EQ(c.dMean, mean.GetMean());
        EXPECT_DOUBLE_EQ(c.dMeanDeviation, mean.GetMeanDeviation());
    }
}
