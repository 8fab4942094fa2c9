#include "platform/dx/Limiter.h"

#include <algorithm>
#include <cmath>

namespace
{
/// A gain this close to 1 is 1.
constexpr float GAIN_SNAP = 1e-4f;
} // namespace

// One-pole smoothing: each frame the gain moves this share of the way to its target, which gives
// a time constant of t seconds at nRate frames per second.
CLimiter::CLimiter(int nRate)
    : m_fAttack(1.0f - std::exp(-1.0f / (ATTACK_S * static_cast<float>(nRate)))),
      m_fRelease(1.0f - std::exp(-1.0f / (RELEASE_S * static_cast<float>(nRate))))
{
}

void CLimiter::Process(std::span<float> stereo)
{
    for (std::size_t i = 0; i + 1 < stereo.size(); i += 2)
    {
        // The gain that would put this frame's louder channel at the threshold.
        const float fPeak = std::max(std::fabs(stereo[i]), std::fabs(stereo[i + 1]));
        const float fTarget = fPeak > THRESHOLD ? THRESHOLD / fPeak : 1.0f;
        m_fGain += (fTarget - m_fGain) * (fTarget < m_fGain ? m_fAttack : m_fRelease);
        if (m_fGain > 1.0f - GAIN_SNAP)
            m_fGain = 1.0f; // back all the way: quiet mixes pass exactly as they are
        stereo[i] = SoftKnee(stereo[i] * m_fGain);
        stereo[i + 1] = SoftKnee(stereo[i + 1] * m_fGain);
    }
}

// Above the threshold: y = T + (C - T) u / (1 + u) with u = (|x| - T) / (C - T). Its slope is 1 at
// the threshold, like the straight part's, and falls as 1 / (1 + u)^2, never reaching 0.
float SoftKnee(float x)
{
    constexpr float T = CLimiter::THRESHOLD;
    constexpr float R = CLimiter::CEILING - CLimiter::THRESHOLD;
    const float fMagnitude = std::fabs(x);
    if (fMagnitude <= T)
        return x;
    const float u = (fMagnitude - T) / R;
    return std::copysign(T + R * u / (1.0f + u), x);
}
