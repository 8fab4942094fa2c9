// WAVE resources: the canonical files the game's tools write, and damaged ones refused.
#include "media/WaveFile.h"

#include "fixtures/AudioFixtures.h"

#include <functional>
#include <gtest/gtest.h>

namespace
{

void PutU32At(std::vector<BYTE>& bytes, std::size_t nAt, DWORD n)
{
    for (int i = 0; i < 4; ++i)
        bytes[nAt + static_cast<std::size_t>(i)] = static_cast<BYTE>(n >> (8 * i));
}

void PutU16At(std::vector<BYTE>& bytes, std::size_t nAt, WORD n)
{
    bytes[nAt] = static_cast<BYTE>(n);
    bytes[nAt + 1] = static_cast<BYTE>(n >> 8);
}

std::vector<BYTE> GoodWave() { return EncodeWave(22050, 1, 16, MakeTone(440, 22050, 0.01)); } // 220 frames

} // namespace

TEST(WaveFileTest, CanonicalFilesOfEveryShapeAreRead)
{
    for (const int nChannels : {1, 2})
    {
        for (const int nBits : {8, 16})
        {
            SCOPED_TRACE(testing::Message() << nChannels << " channels, " << nBits << " bits");
            const std::vector<BYTE> wav =
                EncodeWave(11025, nChannels, nBits, MakeTone(300, 11025, 0.1, 0.5f, nChannels));
            SWaveData wave;
            ASSERT_TRUE(ReadWave(wav, wave));
            EXPECT_EQ(wave.format.nChannels, nChannels);
            EXPECT_EQ(wave.format.wBitsPerSample, nBits);
            EXPECT_EQ(wave.format.nSamplesPerSec, 11025u);
            EXPECT_EQ(wave.samples.data(), wav.data() + 44);
            EXPECT_EQ(wave.samples.size(), wav.size() - 44);
        }
    }
}

TEST(WaveFileTest, DamagedFilesAreRefusedOrCutToTheResource)
{
    struct SCase
    {
        const char* szName;
        std::function<void(std::vector<BYTE>&)> damage;
        bool bRead;
        std::size_t nSampleBytes; // when read
    };
    const SCase aCases[] = {
        {"intact", [](std::vector<BYTE>&) {}, true, 440},
        {"empty", [](std::vector<BYTE>& b) { b.clear(); }, false, 0},
        {"cut inside the RIFF header", [](std::vector<BYTE>& b) { b.resize(10); }, false, 0},
        {"cut inside the format", [](std::vector<BYTE>& b) { b.resize(30); }, false, 0},
        {"cut before the data chunk's size", [](std::vector<BYTE>& b) { b.resize(40); }, false, 0},
        {"not RIFF", [](std::vector<BYTE>& b) { b[0] = 'X'; }, false, 0},
        {"not WAVE", [](std::vector<BYTE>& b) { b[8] = 'A'; }, false, 0},
        {"no format chunk", [](std::vector<BYTE>& b) { b[12] = 'x'; }, false, 0},
        {"format shorter than PCM's", [](std::vector<BYTE>& b) { PutU32At(b, 16, 12); }, false, 0},
        {"compressed", [](std::vector<BYTE>& b) { PutU16At(b, 20, 2); }, false, 0},
        {"no channels", [](std::vector<BYTE>& b) { PutU16At(b, 22, 0); }, false, 0},
        {"three channels", [](std::vector<BYTE>& b) { PutU16At(b, 22, 3); }, false, 0},
        {"rate 0", [](std::vector<BYTE>& b) { PutU32At(b, 24, 0); }, false, 0},
        {"block align 0", [](std::vector<BYTE>& b) { PutU16At(b, 32, 0); }, false, 0},
        {"block align too large", [](std::vector<BYTE>& b) { PutU16At(b, 32, 4); }, false, 0},
        {"24 bits", [](std::vector<BYTE>& b) { PutU16At(b, 34, 24); }, false, 0},
        {"data size 0", [](std::vector<BYTE>& b) { PutU32At(b, 40, 0); }, false, 0},
        {"data size past the end: cut to the resource", [](std::vector<BYTE>& b) { PutU32At(b, 40, 0xFFFFFFF0u); },
         true, 440},
        {"RIFF size past the end", [](std::vector<BYTE>& b) { PutU32At(b, 4, 0xFFFFFFF0u); }, true, 440},
        // The chunk walk once began past such a RIFF's end and read beyond the resource.
        {"RIFF size shorter than its form type", [](std::vector<BYTE>& b) { PutU32At(b, 4, 2); }, false, 0},
        {"samples cut mid-frame: whole frames kept", [](std::vector<BYTE>& b) { b.resize(b.size() - 1); }, true, 438},
        {"format chunk claiming the whole file", [](std::vector<BYTE>& b) { PutU32At(b, 16, 0xFFFFFFF0u); }, false, 0},
        {"an odd-sized chunk before the format is skipped with its pad byte",
         [](std::vector<BYTE>& b)
         {
             const BYTE aList[] = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
             b.insert(b.begin() + 12, std::begin(aList), std::end(aList));
             PutU32At(b, 4, static_cast<DWORD>(b.size() - 8));
         },
         true, 440},
        {"data before the format",
         [](std::vector<BYTE>& b)
         {
             std::vector<BYTE> fmt(b.begin() + 12, b.begin() + 36);
             b.erase(b.begin() + 12, b.begin() + 36);
             b.insert(b.end(), fmt.begin(), fmt.end());
         },
         false, 0},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        std::vector<BYTE> wav = GoodWave();
        c.damage(wav);
        SWaveData wave;
        ASSERT_EQ(ReadWave(wav, wave), c.bRead);
        if (c.bRead)
        {
            EXPECT_EQ(wave.samples.size(), c.nSampleBytes);
        }
    }
}
