// The synthesized sounds as the sound layer reads them: WAV files with the canonical 44-byte
// header, 16-bit mono PCM at 22,050 Hz, and each the length, attack and decay of its kind.
#include "platform/win32/ByteStream.h"
#include "platform/win32/Modules.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
struct SWave
{
    std::vector<double> samples; // -1..1
    bool bValid = false;
};

/// Reads the header fields at the fixed offsets the sound layer uses and the samples after it.
SWave ReadWave(std::span<const BYTE> data)
{
    SWave wave;
    CByteReader rd(data);
    std::string strRiff, strWave, strFmt, strData;
    DWORD nRiffSize = 0, nFmtSize = 0, nRate = 0, nBytesPerSecond = 0, nDataSize = 0;
    WORD nFormat = 0, nChannels = 0, nBlockAlign = 0, nBits = 0;
    const bool bRead = rd.ReadText(4, strRiff) && rd.ReadU32LE(nRiffSize) && rd.ReadText(4, strWave) &&
                       rd.ReadText(4, strFmt) && rd.ReadU32LE(nFmtSize) && rd.ReadU16LE(nFormat) &&
                       rd.ReadU16LE(nChannels) && rd.ReadU32LE(nRate) && rd.ReadU32LE(nBytesPerSecond) &&
                       rd.ReadU16LE(nBlockAlign) && rd.ReadU16LE(nBits) && rd.ReadText(4, strData) &&
                       rd.ReadU32LE(nDataSize);
    EXPECT_TRUE(bRead);
    EXPECT_EQ("RIFF", strRiff);
    EXPECT_EQ(data.size() - 8, nRiffSize);
    EXPECT_EQ("WAVE", strWave);
    EXPECT_EQ("fmt ", strFmt);
    EXPECT_EQ(16u, nFmtSize);
    EXPECT_EQ(1, nFormat);
    EXPECT_EQ(1, nChannels);
    EXPECT_EQ(22050u, nRate);
    EXPECT_EQ(44100u, nBytesPerSecond);
    EXPECT_EQ(2, nBlockAlign);
    EXPECT_EQ(16, nBits);
    EXPECT_EQ("data", strData);
    EXPECT_EQ(44u, rd.Position());
    EXPECT_EQ(data.size() - 44, nDataSize);
    if (!bRead || nDataSize != data.size() - 44 || nBits != 16)
        return wave;
    for (WORD nSample = 0; rd.ReadU16LE(nSample);)
        wave.samples.push_back(static_cast<std::int16_t>(nSample) / 32768.0);
    wave.bValid = !wave.samples.empty();
    return wave;
}

struct SMeasure
{
    double dLengthS = 0.0;
    double dPeak = 0.0;          // of full scale
    double dAttackS = 0.0;       // until the first sample at half the peak
    double dTailPeak = 0.0;      // loudest sample of the last tenth, relative to the peak
    double dMean = 0.0;          // relative to the peak
    double dCrossingsPerS = 0.0; // in the first 30 ms: twice the main pitch
};

SMeasure Measure(const std::vector<double>& s)
{
    SMeasure m;
    m.dLengthS = s.size() / 22050.0;
    double dSum = 0.0;
    for (const double d : s)
    {
        m.dPeak = std::max(m.dPeak, std::fabs(d));
        dSum += d;
    }
    const auto itAttack = std::find_if(s.begin(), s.end(), [&](double d) { return std::fabs(d) >= 0.5 * m.dPeak; });
    m.dAttackS = (itAttack - s.begin()) / 22050.0;
    for (std::size_t i = s.size() * 9 / 10; i < s.size(); ++i)
        m.dTailPeak = std::max(m.dTailPeak, std::fabs(s[i]) / m.dPeak);
    m.dMean = dSum / static_cast<double>(s.size()) / m.dPeak;
    const std::size_t nWindow = std::min<std::size_t>(s.size(), 661);
    int nCrossings = 0;
    for (std::size_t i = 1; i < nWindow; ++i)
        nCrossings += (s[i - 1] < 0.0) != (s[i] < 0.0);
    m.dCrossingsPerS = nCrossings / (nWindow / 22050.0);
    return m;
}

struct SSoundKind
{
    const char* szKind;
    int nFirst;
    int nLast;
    double dMinLengthS;
    double dMaxLengthS;
    double dMaxAttackS;
};
const SSoundKind s_aKinds[] = {
    {"cushion thump", 3000, 3003, 0.1, 0.5, 0.010}, {"cue tap", 3004, 3006, 0.05, 0.3, 0.005},
    {"ball click", 3007, 3014, 0.03, 0.2, 0.002},   {"pocket drop", 3015, 3015, 0.3, 1.0, 0.35},
    {"interface", 3016, 3020, 0.03, 0.5, 0.05},     {"ball animation", 3022, 3024, 0.1, 1.0, 0.3},
    {"bonus", 3031, 3056, 0.2, 1.0, 0.3},           {"tick", 3057, 3069, 0.02, 0.15, 0.005},
};

std::string LibraryPath(const char* szFile) { return std::string(VORN_GAME_DIR) + "/" + szFile; }

/// The sound resource's samples; empty (with a failure) when it is missing or not of the form.
SWave LoadWave(HMODULE hLib, LPCSTR szName)
{
    const HRSRC hRes = FindResource(hLib, szName, "WAVE");
    EXPECT_NE(nullptr, hRes);
    if (hRes == nullptr)
        return {};
    const auto* pData = static_cast<const BYTE*>(LockResource(LoadResource(hLib, hRes)));
    return ReadWave(std::span<const BYTE>(pData, SizeofResource(hLib, hRes)));
}

/// Properties every sound shares: below full scale, centred, silent at its end.
void ExpectCleanSound(const SMeasure& m)
{
    EXPECT_GT(m.dPeak, 0.1);
    EXPECT_LT(m.dPeak, 0.95);
    EXPECT_LT(std::fabs(m.dMean), 0.01);
    EXPECT_LT(m.dTailPeak, 0.1);
}
} // namespace

TEST(GameSoundsTest, EffectsHaveTheLengthAttackAndDecayOfTheirKind)
{
    const HMODULE hLib = LoadLibrary(LibraryPath("VornWave.dll").c_str());
    ASSERT_NE(nullptr, hLib);
    for (const SSoundKind& kind : s_aKinds)
    {
        double dPrevPeak = 0.0;
        double dPrevCrossings = 0.0;
        for (int nId = kind.nFirst; nId <= kind.nLast; ++nId)
        {
            SCOPED_TRACE(std::string(kind.szKind) + " " + std::to_string(nId));
            const SWave wave = LoadWave(hLib, MAKEINTRESOURCE(static_cast<WORD>(nId)));
            if (!wave.bValid)
                continue;
            const SMeasure m = Measure(wave.samples);
            ExpectCleanSound(m);
            EXPECT_GE(m.dLengthS, kind.dMinLengthS);
            EXPECT_LE(m.dLengthS, kind.dMaxLengthS);
            EXPECT_LE(m.dAttackS, kind.dMaxAttackS);
            // Collisions go from soft to hard with the id; the ticks rise in pitch.
            if (nId <= 3014)
            {
                EXPECT_GE(m.dPeak, dPrevPeak);
            }
            if (kind.nFirst == 3057)
            {
                EXPECT_GT(m.dCrossingsPerS, dPrevCrossings);
            }
            dPrevPeak = m.dPeak;
            dPrevCrossings = m.dCrossingsPerS;
        }
    }
    FreeLibrary(hLib);
}

TEST(GameSoundsTest, SpeechPhrasesAreShortChimes)
{
    const HMODULE hLib = LoadLibrary(LibraryPath("VornSpeech.dat").c_str());
    ASSERT_NE(nullptr, hLib);
    for (const char* szName :
         {"USEMOUSE.WAV", "WAITINGFORCONFIRM.WAV", "MSG_ERROR.WAV", "MSG_LOST.WAV", "MSG_SURE.WAV", "MSG_CLOSE.WAV",
          "NICESHOT.WAV", "WELLDONE.WAV", "BADLUCK.WAV", "YOURTURN.WAV", "BREAKOFF.WAV"})
    {
        SCOPED_TRACE(szName);
        const SWave wave = LoadWave(hLib, szName);
        if (!wave.bValid)
            continue;
        const SMeasure m = Measure(wave.samples);
        ExpectCleanSound(m);
        EXPECT_GE(m.dLengthS, 0.3);
        EXPECT_LE(m.dLengthS, 1.5);
        EXPECT_LE(m.dAttackS, 0.02);
    }
    FreeLibrary(hLib);
}
