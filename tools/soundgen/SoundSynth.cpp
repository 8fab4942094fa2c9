#include "tools/soundgen/SoundSynth.h"

#include "tools/art/WaveWriter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace
{
constexpr double SAMPLE_RATE = WAVE_SAMPLE_RATE;
constexpr double TWO_PI = 2.0 * std::numbers::pi;
constexpr double FADE_IN_S = 0.0005;
constexpr double FADE_OUT_S = 0.010;
/// Pole of the DC-removing high-pass: about 17 Hz at 22,050 Hz, below the lowest thump.
constexpr double DC_POLE = 0.995;

std::size_t SampleAt(double dSeconds) { return static_cast<std::size_t>(std::lround(dSeconds * SAMPLE_RATE)); }

void RemoveDc(SampleBuffer& samples)
{
    // y[n] = x[n] - x[n-1] + p y[n-1]: a first-order high-pass that leaves the audible band as it is.
    double dPrevIn = 0.0;
    double dPrevOut = 0.0;
    for (float& fSample : samples)
    {
        const double dOut = fSample - dPrevIn + DC_POLE * dPrevOut;
        dPrevIn = fSample;
        dPrevOut = dOut;
        fSample = static_cast<float>(dOut);
    }
}

void FadeEnds(SampleBuffer& samples)
{
    const std::size_t nIn = std::min(samples.size(), SampleAt(FADE_IN_S));
    for (std::size_t i = 0; i < nIn; ++i)
        samples[i] *= static_cast<float>(i) / static_cast<float>(nIn);
    const std::size_t nOut = std::min(samples.size(), SampleAt(FADE_OUT_S));
    for (std::size_t i = 0; i < nOut; ++i)
        samples[samples.size() - 1 - i] *= static_cast<float>(i) / static_cast<float>(nOut);
}
} // namespace

SampleBuffer MakeSilence(double dSeconds) { return SampleBuffer(SampleAt(dSeconds), 0.0f); }

void AddModes(SampleBuffer& samples, double dStartS, const std::vector<SMode>& modes)
{
    for (std::size_t i = SampleAt(dStartS); i < samples.size(); ++i)
    {
        const double dT = static_cast<double>(i) / SAMPLE_RATE - dStartS;
        double dSum = 0.0;
        for (const SMode& mode : modes)
            dSum += mode.dAmp * std::exp(-dT / mode.dDecayS) * std::sin(TWO_PI * mode.dFreqHz * dT);
        samples[i] += static_cast<float>(dSum);
    }
}

void AddNoiseBurst(SampleBuffer& samples, double dStartS, double dLengthS, double dAmp, double dCutoffHz,
                   CArtRandom& random)
{
    // One-pole low-pass: y += a (x - y), a = 1 - e^(-2 pi fc / fs).
    const double dAlpha = 1.0 - std::exp(-TWO_PI * dCutoffHz / SAMPLE_RATE);
    const std::size_t nStart = SampleAt(dStartS);
    const std::size_t nEnd = std::min(samples.size(), nStart + SampleAt(dLengthS));
    double dState = 0.0;
    for (std::size_t i = nStart; i < nEnd; ++i)
    {
        dState += dAlpha * (random.NextSigned() - dState);
        const double dFall = 1.0 - static_cast<double>(i - nStart) / static_cast<double>(nEnd - nStart);
        samples[i] += static_cast<float>(dAmp * dFall * dState);
    }
}

void AddGlide(SampleBuffer& samples, double dStartS, double dLengthS, double dFromHz, double dToHz, double dAmp)
{
    const std::size_t nStart = SampleAt(dStartS);
    const std::size_t nEnd = std::min(samples.size(), nStart + SampleAt(dLengthS));
    double dPhase = 0.0;
    for (std::size_t i = nStart; i < nEnd; ++i)
    {
        const double dU = static_cast<double>(i - nStart) / static_cast<double>(nEnd - nStart);
        // An exponential glide sounds even in pitch.
        const double dFreq = dFromHz * std::pow(dToHz / dFromHz, dU);
        dPhase += TWO_PI * dFreq / SAMPLE_RATE;
        const double dEnvelope = std::min({1.0, dU / 0.1, (1.0 - dU) / 0.33});
        samples[i] += static_cast<float>(dAmp * dEnvelope * std::sin(dPhase));
    }
}

void AddBell(SampleBuffer& samples, double dStartS, double dFreqHz, double dAmp, double dDecayS)
{
    // Partials of a small bell: the hum a tenth, the prime, the tierce and the nominal above it.
    AddModes(samples, dStartS,
             {{dFreqHz, dAmp, dDecayS},
              {dFreqHz * 2.0, dAmp * 0.45, dDecayS * 0.6},
              {dFreqHz * 2.76, dAmp * 0.25, dDecayS * 0.4},
              {dFreqHz * 5.4, dAmp * 0.12, dDecayS * 0.2}});
}

void FinishSound(SampleBuffer& samples, double dPeak)
{
    RemoveDc(samples);
    FadeEnds(samples);
    float fLoudest = 0.0f;
    for (const float fSample : samples)
        fLoudest = std::max(fLoudest, std::fabs(fSample));
    if (fLoudest <= 0.0f)
        return;
    const auto fScale = static_cast<float>(dPeak / fLoudest);
    for (float& fSample : samples)
        fSample *= fScale;
}
