#include "media/WaveFile.h"

#include <cstring>

namespace
{

constexpr std::size_t RIFF_HEADER_SIZE = 12; // "RIFF", size, "WAVE"
constexpr std::size_t CHUNK_HEADER_SIZE = 8; // id, size
constexpr std::size_t PCM_FORMAT_SIZE = 16;

DWORD ReadU32(const BYTE* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24); }
WORD ReadU16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
bool IsId(const BYTE* p, const char* szId) { return std::memcmp(p, szId, 4) == 0; }

void ReadFormat(const BYTE* p, WAVEFORMATEX& format)
{
    format.wFormatTag = ReadU16(p);
    format.nChannels = ReadU16(p + 2);
    format.nSamplesPerSec = ReadU32(p + 4);
    format.nAvgBytesPerSec = ReadU32(p + 8);
    format.nBlockAlign = ReadU16(p + 12);
    format.wBitsPerSample = ReadU16(p + 14);
    format.cbSize = 0;
}

} // namespace

bool ReadWave(std::span<const BYTE> bytes, SWaveData& wave)
{
    wave = SWaveData{};
    if (bytes.size() < RIFF_HEADER_SIZE || !IsId(bytes.data(), "RIFF") || !IsId(bytes.data() + 8, "WAVE"))
        return false;
    // The RIFF size may claim more than the resource holds; the resource's end is the limit.
    const std::size_t nEnd = std::min<std::size_t>(bytes.size(), std::size_t{ReadU32(bytes.data() + 4)} + 8);
    bool bFormat = false;
    for (std::size_t nAt = RIFF_HEADER_SIZE; nAt + CHUNK_HEADER_SIZE <= nEnd;)
    {
        const BYTE* pChunk = bytes.data() + nAt;
        const std::size_t nBody = nAt + CHUNK_HEADER_SIZE;
        const std::size_t nSize = std::min<std::size_t>(ReadU32(pChunk + 4), nEnd - nBody);
        if (IsId(pChunk, "fmt "))
        {
            if (nSize < PCM_FORMAT_SIZE)
                return false;
            ReadFormat(bytes.data() + nBody, wave.format);
            if (!IsMixableFormat(wave.format))
                return false;
            bFormat = true;
        }
        else if (IsId(pChunk, "data"))
        {
            if (!bFormat)
                return false;
            const std::size_t nWhole = nSize - nSize % wave.format.nBlockAlign;
            wave.samples = bytes.subspan(nBody, nWhole);
            return nWhole > 0;
        }
        // Chunks are padded to an even size.
        nAt = nBody + nSize + (nSize & 1);
        if (nAt > nEnd)
            break;
    }
    return false;
}
