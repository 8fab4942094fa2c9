// The WAVE resources the game plays: a RIFF "WAVE" file of PCM samples. The chunks are walked
// rather than read at the canonical header's fixed offsets, and every size is checked against
// the resource, so a short or damaged resource is refused instead of read past its end.
#pragma once

#include "platform/dx/DirectSound.h"

#include <cstddef>
#include <span>

struct SWaveData
{
    WAVEFORMATEX format;
    /// The samples: the "data" chunk cut to the resource's end and to whole sample frames.
    std::span<const BYTE> samples;
};

/// True for RIFF/WAVE with a "fmt " chunk of PCM (1 or 2 channels, 8 or 16 bits, a block align
/// that matches, a rate the mixer takes) before a non-empty "data" chunk.
bool ReadWave(std::span<const BYTE> bytes, SWaveData& wave);
