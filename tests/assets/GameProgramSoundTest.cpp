// The real program with the game's own sounds, on SDL's disk audio driver, read back from what it
// played: the power scale's ticks while Up draws the cue back, a break at the highest volume kept
// inside full scale, and music out of the box: the music folder a fresh install makes, and an
// ".asf" track put there.
#include "fixtures/AudioFixtures.h"
#include "fixtures/ProgramRun.h"
#include "tests/assets/GameFiles.h"

#include "platform/win32/Profile.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

namespace
{

/// A run of the game whose sound device writes what it plays to a file of the run's folder.
class CAudioRun : public CProgramRun
{
public:
    CAudioRun() : CProgramRun(GamePath("Vorn"), VORN_GAME_DIR)
    {
        SetVariable("SDL_AUDIODRIVER", "disk");
        SetVariable("SDL_DISKAUDIOFILE", (Root() / "audio.raw").string());
    }
    void SetSetting(const char* szKey, const char* szValue) const
    {
        WritePrivateProfileString("Settings", szKey, szValue, (Program() / "Vorn.ini").string().c_str());
    }
    std::vector<std::int16_t> Played() const { return ReadStereo16((Root() / "audio.raw").string()); }
};

/// The output's rate: the game asks for 44.1 kHz first, and the disk driver takes it.
constexpr int RATE = 44100;

/// The separate sounds of a signal: stretches louder than the threshold, apart by at least
/// nGapMs of quiet.
std::vector<SSpan> Bursts(std::span<const float> samples, float fThreshold, int nGapMs)
{
    std::vector<SSpan> aBursts;
    const auto nGap = static_cast<std::size_t>(RATE * nGapMs / 1000);
    std::size_t nQuiet = nGap;
    for (std::size_t i = 0; i < samples.size(); ++i)
    {
        if (std::fabs(samples[i]) <= fThreshold)
        {
            ++nQuiet;
            continue;
        }
        if (nQuiet >= nGap || aBursts.empty())
            aBursts.push_back(SSpan{i, i + 1});
        aBursts.back().nEnd = i + 1;
        nQuiet = 0;
    }
    return aBursts;
}

/// The step (0 to 12) of the power scale whose tick (a semitone apart from 660 Hz) a frequency is,
/// when it is one.
std::optional<int> TickStep(double dHz)
{
    const double dStep = 12.0 * std::log2(dHz / 660.0);
    const double dNearest = std::round(dStep);
    if (dNearest < 0.0 || dNearest > 12.0 || std::fabs(dStep - dNearest) > 0.25)
        return std::nullopt;
    return static_cast<int>(dNearest);
}

/// One run for both tests: two people at nine-ball at the highest volume; the ball in hand is set
/// down, Up held draws the cue back to the end of its swing with the ticks of the power scale, and
/// Enter breaks.
class GameProgramSoundTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_pRun = new CAudioRun;
        for (const auto& [szKey, szValue] : {std::pair{"Player level 2", "0"}, std::pair{"GameType", "9"},
                                             std::pair{"Competition Type", "1"}, std::pair{"Volume", "65535"}})
            s_pRun->SetSetting(szKey, szValue);
        const std::string strScript = "seen Game: at rest, it can be saved or loaded\n"
                                      "frame +3 mouse down left 400 300\nafter 0 mouse up left 400 300\n"
                                      "after 3000 mouse move 400 300\n"
                                      "frame +3 key down Up\nframe +60 key up Up\n"
                                      // Three seconds of quiet between the ticks and the break:
                                      // longer than the ticks lie apart on the slowest machine.
                                      "after 3000 key press Return\n"
                                      "seen Game: shot 1 judged\nframe +3 close\nanswer ok\n";
        s_nStatus = s_pRun->Run(strScript);
        s_played = s_pRun->Played();
    }
    static void TearDownTestSuite()
    {
        delete s_pRun;
        s_pRun = nullptr;
        s_played.clear();
    }

    static CAudioRun* s_pRun;
    static int s_nStatus;
    static std::vector<std::int16_t> s_played;
};

CAudioRun* GameProgramSoundTest::s_pRun = nullptr;
int GameProgramSoundTest::s_nStatus = -1;
std::vector<std::int16_t> GameProgramSoundTest::s_played;

} // namespace

// Up held plays the power scale's ticks, and nothing else: each sound heard then is a tick of the
// scale, each at least as high as the one before, over several steps.
TEST_F(GameProgramSoundTest, UpHeldPlaysThePowerTicksInOrder)
{
    ASSERT_EQ(0, s_nStatus) << s_pRun->Log();
    ASSERT_NE(std::string::npos, s_pRun->Log().find(" strikes at ")) << s_pRun->Log();
    const std::vector<float> left = Channel(s_played, 0);
    // The sounds while Up is held: those before the quiet that comes before the break.
    const std::vector<SSpan> aHeld = Bursts(left, 0.02f, 2000);
    ASSERT_GE(aHeld.size(), 2u) << "the ticks, then the break";
    std::vector<int> aSteps;
    for (const SSpan& tick : Bursts(std::span<const float>(left.data(), aHeld[0].nEnd), 0.02f, 2))
    {
        // Ticks played back to back run together: each sound's first 20 ms is its first tick.
        const std::size_t nLength = std::min<std::size_t>(tick.Length(), RATE / 50);
        const std::optional<int> step =
            TickStep(EstimateFrequency(std::span<const float>(left.data() + tick.nBegin, nLength), RATE));
        ASSERT_TRUE(step.has_value()) << "a sound of the scale, at frame " << tick.nBegin;
        aSteps.push_back(*step);
    }
    ASSERT_GE(aSteps.size(), 3u);
    EXPECT_TRUE(std::is_sorted(aSteps.begin(), aSteps.end()));
    EXPECT_GE(aSteps.back() - aSteps.front(), 2) << "the scale climbs as the cue is drawn back";
}

// At the highest volume the break's collisions pile up far above full scale; the mix is limited
// smoothly: loud, but no sample sits at full scale, let alone two in a row.
TEST_F(GameProgramSoundTest, ABreakAtTheHighestVolumeStaysInsideFullScale)
{
    ASSERT_EQ(0, s_nStatus) << s_pRun->Log();
    ASSERT_FALSE(s_played.empty());
    std::size_t nRun = 0, nLongestRun = 0;
    std::int16_t nLargest = 0;
    for (const std::int16_t n : s_played)
    {
        const bool bFull = n >= 32767 || n <= -32767;
        nRun = bFull ? nRun + 1 : 0;
        nLongestRun = std::max(nLongestRun, nRun);
        nLargest = std::max<std::int16_t>(nLargest, static_cast<std::int16_t>(std::abs(std::max<int>(n, -32767))));
    }
    EXPECT_GT(nLargest, 16000) << "the break was loud";
    EXPECT_EQ(0u, nLongestRun) << "no sample at full scale, let alone two in a row";
}

// A fresh install makes its music folder at the first start; an ".asf" track put there plays, all
// of it, and its end is told to the game.
TEST(GameProgramMusicTest, AFreshInstallHasAMusicFolderAndPlaysAnAsfTrackPutThere)
{
    CAudioRun run;
    ASSERT_FALSE(std::filesystem::exists(run.Program() / "Music"));
    ASSERT_EQ(0, run.Run("frame 3 close\nanswer ok\n")) << run.Log();
    ASSERT_TRUE(std::filesystem::is_directory(run.Program() / "Music")) << "made at the first start";

    ASSERT_TRUE(EncodeAsf((run.Program() / "Music" / "tone.asf").string(), 440.0, 1.0));
    ASSERT_EQ(0, run.Run("seen Music: a track ended\nframe +3 close\nanswer ok\n")) << run.Log();
    EXPECT_EQ(std::string::npos, run.Log().find("Music: " + (run.Program() / "Music").string())) << "decoded";
    const std::vector<float> left = Channel(run.Played(), 0);
    const SSpan tone = FindSound(left, 0.01f);
    ASSERT_GT(tone.Length(), static_cast<std::size_t>(RATE / 2)) << run.Log();
    EXPECT_NEAR(EstimateFrequency(std::span<const float>(left.data() + tone.nBegin, RATE / 2), RATE), 440.0, 2.0);
}
