#include "foundation/ShotNoise.h"

#include "platform/win32/CrtRandom.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

TEST(ShotNoiseTest, AmplitudeIsTwiceTheBallRadiusOverTheTableLengthTimesP)
{
    EXPECT_DOUBLE_EQ(2.0 * 0.028448 / 2.2352, CShotNoise(1.0).GetShotNoiseAmplitude());
    CShotNoise noise;
    EXPECT_EQ(0.0, noise.GetShotNoiseAmplitude());
    noise.SetProbability(0.5);
    EXPECT_DOUBLE_EQ(0.028448 / 2.2352, noise.GetShotNoiseAmplitude());
}

TEST(ShotNoiseTest, SamplesByProbability)
{
    struct SCase
    {
        double p;
        double dMinShare, dMaxShare; // share of samples that deviate
    };
    const SCase cases[] = {{0.0, 0.0, 0.0}, {0.25, 0.22, 0.28}, {1.0, 1.0, 1.0}};
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.p);
        CrtSrand(12345);
        const CShotNoise noise(c.p);
        const double A = noise.GetShotNoiseAmplitude();
        const int nSamples = 4000;
        int nDeviated = 0;
        double dLow = 0.0, dHigh = 0.0;
        for (int i = 0; i < nSamples; ++i)
        {
            const double d = noise.Sample();
            ASSERT_LE(std::fabs(d), A);
            nDeviated += d != 0.0;
            dLow = std::min(dLow, d);
            dHigh = std::max(dHigh, d);
        }
        EXPECT_GE(nDeviated, c.dMinShare * nSamples);
        EXPECT_LE(nDeviated, c.dMaxShare * nSamples);
        if (c.p == 1.0)
        {
            // Spread over the whole range, both ways.
            EXPECT_LT(dLow, -0.95 * A);
            EXPECT_GT(dHigh, 0.95 * A);
        }
    }
}
