#include "foundation/ShotNoise.h"

#include "platform/win32/CrtRandom.h"

namespace
{
// Ball radius and table length, in metres; their ratio scales the deviation.
constexpr double BALL_RADIUS_M = 0.028448;
constexpr double TABLE_LENGTH_M = 2.2352;
// Program constant: the deviation reaches twice the radius-to-length ratio.
constexpr double NOISE_FACTOR = 2.0;

double UnitRandom() { return CrtRand() / static_cast<double>(CRT_RAND_MAX); }
} // namespace

double CShotNoise::GetShotNoiseAmplitude() const
{
    return NOISE_FACTOR * BALL_RADIUS_M / TABLE_LENGTH_M * m_dProbability;
}

double CShotNoise::Sample() const
{
    if (UnitRandom() > m_dProbability)
        return 0.0;
    return (UnitRandom() - 0.5) * 2 * GetShotNoiseAmplitude();
}
