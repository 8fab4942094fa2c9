// WAVE resources read from any bytes. Property: a wave that is read has a format the mixer takes
// and whole sample frames lying inside the input.
#include "tests/fixtures/AudioFixtures.h"
#include "tests/fuzz/FuzzTarget.h"

#include "media/WaveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    SWaveData wave;
    if (!ReadWave(std::span<const BYTE>(pData, nSize), wave))
        return 0;
    FuzzCheck(IsMixableFormat(wave.format), "a wave of a format the mixer refuses");
    FuzzCheck(!wave.samples.empty() && wave.samples.size() % wave.format.nBlockAlign == 0,
              "a wave without whole sample frames");
    FuzzCheck(wave.samples.data() >= pData && wave.samples.data() + wave.samples.size() <= pData + nSize,
              "samples outside the input");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    return {EncodeWave(22050, 1, 16, MakeTone(440, 22050, 0.01)),
            EncodeWave(11025, 2, 8, MakeTone(300, 11025, 0.01, 0.5f, 2))};
}
