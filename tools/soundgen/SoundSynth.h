// Building blocks of the game's synthesized sounds. A sound is a buffer of float samples at
// WAVE_SAMPLE_RATE; the blocks add to it at a start time, and Finish makes it a clean effect:
// no DC offset, the loudest sample at the asked peak, silence at both ends.
#pragma once

#include "tools/art/ArtRandom.h"

#include <vector>

using SampleBuffer = std::vector<float>;

/// A resonance of a struck body: a sine at dFreqHz starting at full amplitude dAmp and decaying
/// by e every dDecayS seconds.
struct SMode
{
    double dFreqHz = 0.0;
    double dAmp = 0.0;
    double dDecayS = 0.0;
};

/// A buffer of dSeconds of silence.
SampleBuffer MakeSilence(double dSeconds);

/// Adds struck modes starting at dStartS (a sine begins at zero, so the strike has no step).
void AddModes(SampleBuffer& samples, double dStartS, const std::vector<SMode>& modes);

/// Adds a burst of noise, smoothed by a one-pole low-pass at dCutoffHz, lasting dLengthS with a
/// linear fall to zero.
void AddNoiseBurst(SampleBuffer& samples, double dStartS, double dLengthS, double dAmp, double dCutoffHz,
                   CArtRandom& random);

/// Adds a sine gliding from dFromHz to dToHz over dLengthS, rising in the first tenth and falling
/// in the last third.
void AddGlide(SampleBuffer& samples, double dStartS, double dLengthS, double dFromHz, double dToHz, double dAmp);

/// Adds a bell-like note: inharmonic partials of dFreqHz decaying over dDecayS.
void AddBell(SampleBuffer& samples, double dStartS, double dFreqHz, double dAmp, double dDecayS);

/// Removes the DC offset, scales the loudest sample to dPeak (below 1, full scale), and fades the
/// first half millisecond in and the last ten milliseconds out.
void FinishSound(SampleBuffer& samples, double dPeak);
