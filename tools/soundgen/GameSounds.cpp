#include "tools/soundgen/GameSounds.h"

#include <cmath>
#include <cstdint>

namespace
{
/// Equal-tempered note dSemitones above dBaseHz.
double Note(double dBaseHz, double dSemitones) { return dBaseHz * std::pow(2.0, dSemitones / 12.0); }

/// A struck body: its modes ringing from the moment of contact, a short burst of noise for the
/// contact itself, the sound's length and its loudest sample.
struct SStrike
{
    double dLengthS;
    std::vector<SMode> modes;
    double dNoiseS;
    double dNoiseAmp;
    double dNoiseCutoffHz;
    double dPeak;
};

SampleBuffer Strike(const SStrike& strike, std::uint64_t nSeed)
{
    CArtRandom random(nSeed);
    SampleBuffer s = MakeSilence(strike.dLengthS);
    AddModes(s, 0.0, strike.modes);
    AddNoiseBurst(s, 0.0, strike.dNoiseS, strike.dNoiseAmp, strike.dNoiseCutoffHz, random);
    FinishSound(s, strike.dPeak);
    return s;
}

/// Low and soft: the rubber nose of the cushion gives a short low thud. nLevel 0..3.
SampleBuffer CushionThump(int nLevel)
{
    const double h = nLevel / 3.0;
    return Strike({0.30,
                   {{95.0 + 25.0 * h, 1.0, 0.045}, {185.0 + 30.0 * h, 0.35, 0.025}, {430.0, 0.1 + 0.15 * h, 0.012}},
                   0.02,
                   0.3,
                   600.0,
                   0.30 + 0.15 * nLevel},
                  3000 + nLevel);
}

/// Woody: the leather tip on the cue ball, a few low wooden modes and a dull knock. nLevel 0..2.
SampleBuffer CueTap(int nLevel)
{
    const double h = nLevel / 2.0;
    return Strike({0.18,
                   {{520.0 + 40.0 * h, 1.0, 0.018}, {1240.0, 0.5 + 0.2 * h, 0.010}, {2150.0, 0.25 * h, 0.006}},
                   0.004,
                   0.4 + 0.3 * h,
                   2500.0,
                   0.35 + 0.225 * nLevel},
                  3004 + nLevel);
}

/// Bright and quickly damped: two hard balls meet. Harder hits ring brighter. nLevel 0..7.
SampleBuffer BallClick(int nLevel)
{
    const double h = nLevel / 7.0;
    return Strike({0.12,
                   {{3100.0 + 150.0 * h, 1.0, 0.007}, {5200.0, 0.4 + 0.3 * h, 0.004}, {7400.0, 0.3 * h, 0.0025}},
                   0.0015,
                   0.5 + 0.5 * h,
                   6000.0,
                   0.20 + 0.1 * nLevel},
                  3007 + nLevel);
}

/// A rattle in the pocket's jaws, then the thud of the ball landing.
SampleBuffer PocketDrop()
{
    CArtRandom random(3015);
    SampleBuffer s = MakeSilence(0.60);
    double dTime = 0.0;
    for (int i = 0; i < 6; ++i)
    {
        const double dFreq = 1800.0 + 500.0 * random.NextUnit();
        AddModes(s, dTime, {{dFreq, 0.55 - 0.05 * i, 0.005}, {dFreq * 1.7, 0.2, 0.003}});
        // Each bounce comes sooner than the last, as the ball settles.
        dTime += 0.045 - 0.005 * i + 0.006 * random.NextSigned();
    }
    const double dThud = dTime + 0.03;
    AddModes(s, dThud, {{70.0, 1.0, 0.07}, {140.0, 0.4, 0.04}, {330.0, 0.15, 0.02}});
    AddNoiseBurst(s, dThud, 0.03, 0.3, 400.0, random);
    FinishSound(s, 0.7);
    return s;
}

/// Short bright blips of the interface, each a little higher than the last. n 0..3.
SampleBuffer InterfaceClick(int n)
{
    SampleBuffer s = MakeSilence(0.06);
    const double dFreq = Note(1000.0, 3.0 * n);
    AddModes(s, 0.0, {{dFreq, 1.0, 0.008}, {dFreq * 2.0, 0.3, 0.004}});
    FinishSound(s, 0.4);
    return s;
}

/// The refusal: two low buzzing notes falling.
SampleBuffer Refusal()
{
    SampleBuffer s = MakeSilence(0.32);
    for (int i = 0; i < 2; ++i)
    {
        const double dFreq = i == 0 ? 220.0 : 165.0;
        AddGlide(s, 0.13 * i, 0.12, dFreq, dFreq * 0.97, 1.0);
        AddGlide(s, 0.13 * i, 0.12, dFreq * 3.0, dFreq * 2.91, 0.3);
    }
    FinishSound(s, 0.5);
    return s;
}

/// The ball animations: a whoosh, a pop and a falling spin. n 0..2.
SampleBuffer BallAnimation(int n)
{
    CArtRandom random(3022 + n);
    SampleBuffer s = MakeSilence(0.45);
    switch (n)
    {
    case 0:
        AddNoiseBurst(s, 0.0, 0.35, 0.8, 1500.0, random);
        AddGlide(s, 0.0, 0.35, 300.0, 900.0, 0.4);
        break;
    case 1:
        AddGlide(s, 0.0, 0.08, 400.0, 1200.0, 1.0);
        AddBell(s, 0.06, 1200.0, 0.5, 0.05);
        break;
    default:
        AddGlide(s, 0.0, 0.35, 600.0, 300.0, 1.0);
        break;
    }
    FinishSound(s, 0.5);
    return s;
}

/// Bonus sounds: whoops (a glide up or down) and chimes (two or three bell notes) in turn. n 0..25.
SampleBuffer Bonus(int n)
{
    const double dBase = Note(330.0, n % 12);
    if (n % 2 == 0)
    {
        const bool bUp = (n / 2) % 2 == 0;
        const double dLength = 0.30 + 0.02 * (n % 7);
        SampleBuffer s = MakeSilence(dLength + 0.08);
        AddGlide(s, 0.0, dLength, bUp ? dBase : dBase * 2.5, bUp ? dBase * 2.5 : dBase, 1.0);
        FinishSound(s, 0.6);
        return s;
    }
    SampleBuffer s = MakeSilence(0.70);
    const int nNotes = 2 + (n / 2) % 2;
    for (int i = 0; i < nNotes; ++i)
        AddBell(s, 0.1 * i, Note(dBase * 2.0, 4.0 * i), 1.0, 0.09);
    FinishSound(s, 0.6);
    return s;
}

/// The thirteen ticks of the panel scale, a semitone apart. n 0..12.
SampleBuffer Tick(int n)
{
    SampleBuffer s = MakeSilence(0.06);
    const double dFreq = Note(660.0, n);
    AddModes(s, 0.0, {{dFreq, 1.0, 0.010}, {dFreq * 2.0, 0.25, 0.005}});
    FinishSound(s, 0.45);
    return s;
}

SGameSound Effect(int nId, SampleBuffer samples)
{
    return {"wave/" + std::to_string(nId) + ".wav", std::move(samples)};
}
} // namespace

std::vector<SGameSound> MakeEffectSounds()
{
    std::vector<SGameSound> sounds;
    for (int i = 0; i < 4; ++i)
        sounds.push_back(Effect(3000 + i, CushionThump(i)));
    for (int i = 0; i < 3; ++i)
        sounds.push_back(Effect(3004 + i, CueTap(i)));
    for (int i = 0; i < 8; ++i)
        sounds.push_back(Effect(3007 + i, BallClick(i)));
    sounds.push_back(Effect(3015, PocketDrop()));
    for (int i = 0; i < 4; ++i)
        sounds.push_back(Effect(3016 + i, InterfaceClick(i)));
    sounds.push_back(Effect(3020, Refusal()));
    for (int i = 0; i < 3; ++i)
        sounds.push_back(Effect(3022 + i, BallAnimation(i)));
    for (int i = 0; i < 26; ++i)
        sounds.push_back(Effect(3031 + i, Bonus(i)));
    for (int i = 0; i < 13; ++i)
        sounds.push_back(Effect(3057 + i, Tick(i)));
    return sounds;
}

std::vector<SGameSound> MakeSpeechChimes()
{
    // Each phrase gets its own short melody (semitones above C5) so that they can be told apart.
    struct SPhrase
    {
        const char* szName;
        std::vector<double> notes;
    };
    const SPhrase phrases[] = {
        {"USEMOUSE.WAV", {0.0, 4.0, 7.0}},
        {"WAITINGFORCONFIRM.WAV", {7.0, 7.0}},
        {"MSG_ERROR.WAV", {4.0, 0.0}},
        {"MSG_LOST.WAV", {7.0, 3.0, 0.0}},
        {"MSG_SURE.WAV", {0.0, 7.0}},
        {"MSG_CLOSE.WAV", {12.0, 7.0, 0.0}},
        // The phrases of the commentator's rules.
        {"NICESHOT.WAV", {0.0, 4.0, 12.0}},
        {"WELLDONE.WAV", {0.0, 7.0, 12.0}},
        {"BADLUCK.WAV", {3.0, 0.0}},
        {"YOURTURN.WAV", {5.0, 9.0}},
        {"BREAKOFF.WAV", {0.0, 0.0, 7.0}},
    };
    std::vector<SGameSound> chimes;
    for (const SPhrase& phrase : phrases)
    {
        SampleBuffer s = MakeSilence(0.75);
        for (std::size_t i = 0; i < phrase.notes.size(); ++i)
            AddBell(s, 0.15 * static_cast<double>(i), Note(523.25, phrase.notes[i]), 1.0, 0.12);
        FinishSound(s, 0.5);
        chimes.push_back({std::string("speech/") + phrase.szName, std::move(s)});
    }
    return chimes;
}
