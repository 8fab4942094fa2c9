// The game's sound effects and speech chimes, each made from the synthesis blocks by a recipe
// with fixed parameters and fixed random seeds.
#pragma once

#include "tools/soundgen/SoundSynth.h"

#include <string>
#include <vector>

/// One file the generator writes: its name below the output folder and its samples.
struct SGameSound
{
    std::string strFile;
    SampleBuffer samples;
};

/// Every effect of the sound library, as "wave/<id>.wav": cushion thumps 3000-3003, cue taps
/// 3004-3006, ball clicks 3007-3014, the pocket drop 3015, interface sounds 3016-3020 (3020 the
/// refusal), ball animations 3022-3024, bonus whoops and chimes 3031-3056 and thirteen ticks
/// 3057-3069 rising in pitch. Soft to hard within each group.
std::vector<SGameSound> MakeEffectSounds();

/// The speech library's phrases as short chimes, as "speech/<PHRASE>.WAV".
std::vector<SGameSound> MakeSpeechChimes();
