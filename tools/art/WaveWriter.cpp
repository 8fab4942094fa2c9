#include "tools/art/WaveWriter.h"

#include "platform/win32/ByteStream.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr std::uint16_t PCM_FORMAT = 1;
constexpr std::uint16_t CHANNELS = 1;
constexpr std::uint16_t BITS_PER_SAMPLE = 16;
constexpr std::uint16_t BLOCK_ALIGN = CHANNELS * BITS_PER_SAMPLE / 8;
constexpr std::uint32_t FMT_CHUNK_SIZE = 16;
} // namespace

std::vector<std::uint8_t> EncodeWave(const std::vector<float>& samples)
{
    const auto nDataSize = static_cast<std::uint32_t>(samples.size() * BLOCK_ALIGN);
    CByteWriter wr;
    wr.WriteText("RIFF");
    wr.WriteU32LE(static_cast<DWORD>(WAVE_HEADER_SIZE - 8 + nDataSize));
    wr.WriteText("WAVE");
    wr.WriteText("fmt ");
    wr.WriteU32LE(FMT_CHUNK_SIZE);
    wr.WriteU16LE(PCM_FORMAT);
    wr.WriteU16LE(CHANNELS);
    wr.WriteU32LE(WAVE_SAMPLE_RATE);
    wr.WriteU32LE(WAVE_SAMPLE_RATE * BLOCK_ALIGN);
    wr.WriteU16LE(BLOCK_ALIGN);
    wr.WriteU16LE(BITS_PER_SAMPLE);
    wr.WriteText("data");
    wr.WriteU32LE(nDataSize);
    for (const float fSample : samples)
    {
        const long nValue = std::lround(std::clamp(fSample, -1.0f, 1.0f) * 32767.0f);
        wr.WriteU16LE(static_cast<WORD>(static_cast<std::int16_t>(nValue)));
    }
    return wr.Take();
}
