// The mix's limiter: a sum of voices louder than full scale is turned down smoothly instead of
// being clipped. A gain follows the louder channel's peak (fast down, slow back up) so that a
// loud mix settles just under the threshold, and a soft knee above the threshold catches what the
// gain has not yet caught at the start of a loud sound: every output stays below the ceiling,
// with no flat top and no edge in its shape, and mixes below the threshold pass unchanged.
#pragma once

#include <span>

class CLimiter
{
public:
    /// Mixes at or below this magnitude pass unchanged (about -1.9 dBFS).
    static constexpr float THRESHOLD = 0.8f;
    /// No output reaches this magnitude (about -0.18 dBFS).
    static constexpr float CEILING = 0.98f;
    /// The gain comes down within about this many seconds of a loud sound's start...
    static constexpr float ATTACK_S = 0.001f;
    /// ...and goes back up within about this many once the mix is quiet again.
    static constexpr float RELEASE_S = 0.15f;

    explicit CLimiter(int nRate);

    /// Limits interleaved stereo frames in place.
    void Process(std::span<float> stereo);
    /// The gain now (1 while nothing is limited).
    float Gain() const { return m_fGain; }

private:
    float m_fAttack;
    float m_fRelease;
    float m_fGain = 1.0f;
};

/// The soft knee: x itself up to the threshold, above it a curve with the same slope there that
/// rises ever more slowly toward the ceiling, so that louder inputs stay louder.
float SoftKnee(float x);
