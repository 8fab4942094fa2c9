// The sound layer over the dummy audio driver: the slot table, playing, volume, mute, stop and a
// machine without sound.
#include "media/SoundSystem.h"

#include "fixtures/AudioFixtures.h"

#include "platform/EnvScope.h"
#include "platform/TempFolder.h"
#include "platform/win32/Modules.h"
#include "platform/win32/ResourceLibrary.h"

#include <gtest/gtest.h>

namespace
{

constexpr int FIRST_EFFECT = 3000;
constexpr int GAME_EFFECTS = 63;

/// A sound library with the game's 63 effects (ids 3000..3062: short tones) and two phrases.
class CSoundSystemTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CResourceLibraryWriter writer;
        std::string strError;
        const std::vector<BYTE> tone = EncodeWave(22050, 1, 16, MakeTone(600, 22050, 0.15));
        for (int i = 0; i < GAME_EFFECTS; ++i)
            ASSERT_TRUE(writer.Add(SResourceKey::Name("WAVE"), SResourceKey::Id(static_cast<WORD>(FIRST_EFFECT + i)), 0,
                                   tone, strError));
        ASSERT_TRUE(writer.Add(SResourceKey::Name("WAVE"), SResourceKey::Name("hello.wav"), 0, tone, strError));
        ASSERT_TRUE(writer.Add(SResourceKey::Name("WAVE"), SResourceKey::Name("bye.wav"), 0, tone, strError));
        ASSERT_TRUE(writer.Add(SResourceKey::Name("WAVE"), SResourceKey::Name("broken.wav"), 0,
                               std::vector<BYTE>(tone.begin(), tone.begin() + 30), strError));
        m_strLibrary = m_folder.File("VornWave.dll");
        ASSERT_TRUE(writer.WriteFile(m_strLibrary, strError)) << strError;
    }

    /// Plays a slot with the tap on; the peak of one channel of what came out.
    float PlayedPeak(CSoundSystem& sound, int nSlot, int nChannel = 0, const CVector3& at = CVector3(0, 0, 1))
    {
        const auto tapped = TapWhilePlaying(
            sound.GetDirectSound()->Output(), [&] { EXPECT_TRUE(sound.Play(nSlot, at, 0)); },
            [&] { return sound.IsSlotPlaying(nSlot) != FALSE; });
        return Peak(Channel(tapped, nChannel));
    }

    const CEnvScope m_driver{"SDL_AUDIODRIVER", "dummy"}; // also when the program is run by hand
    CTempFolder m_folder;
    std::string m_strLibrary;
};

} // namespace

TEST(SoundVolumeTest, VolumeToAttenuation)
{
    const std::pair<int, int> aCases[] = {{65535, 0}, {0, -3000}, {32768, -1499}, {-5, -3000},
                                          {70000, 0}, {65534, 0}, {1, -2999},     {21845, -2000}};
    for (const auto& [nVolume, nMb] : aCases)
    {
        SCOPED_TRACE(nVolume);
        EXPECT_EQ(CSoundSystem::VolumeToAttenuation(nVolume), nMb);
    }
}

TEST_F(CSoundSystemTest, EffectsFillTheTableAndTheHoldersShareWhatIsLeft)
{
    CSoundSystem sound(m_strLibrary.c_str());
    ASSERT_TRUE(sound.Create(nullptr));
    ASSERT_TRUE(sound.IsAvailable());
    for (int i = 0; i < GAME_EFFECTS; ++i)
        ASSERT_EQ(sound.LoadWave(FIRST_EFFECT + i), i);
    EXPECT_EQ(sound.LoadWave(4000), -1); // no such resource: the count stays
    EXPECT_EQ(sound.GetLoadedCount(), GAME_EFFECTS);

    HMODULE hPhrases = LoadLibraryA(m_strLibrary.c_str());
    ASSERT_NE(hPhrases, nullptr);
    const CVector3 origin;
    EXPECT_FALSE(sound.PlayInHolderA(hPhrases, "broken.wav", "WAVE", origin)); // a damaged phrase takes no slot
    EXPECT_EQ(sound.GetLoadedCount(), GAME_EFFECTS);
    EXPECT_TRUE(sound.PlayInHolderA(hPhrases, "hello.wav", "WAVE", origin));
    EXPECT_EQ(sound.GetLoadedCount(), GAME_EFFECTS + 1);
    EXPECT_TRUE(sound.IsSlotPlaying(63));
    // The same holder again reuses its slot: the count grows only the first time.
    EXPECT_TRUE(sound.PlayInHolderA(hPhrases, "bye.wav", "WAVE", origin));
    EXPECT_EQ(sound.GetLoadedCount(), GAME_EFFECTS + 1);
    // The second holder finds the table full and nothing changes.
    EXPECT_FALSE(sound.PlayInHolderB(hPhrases, "hello.wav", "WAVE", origin));
    EXPECT_EQ(sound.GetLoadedCount(), SOUND_SLOTS);
    EXPECT_EQ(sound.LoadWave(FIRST_EFFECT), -1);
    EXPECT_FALSE(sound.LoadWaveResource(hPhrases, "hello.wav", "WAVE", SOUND_SLOTS));
    EXPECT_TRUE(sound.IsSlotPlaying(63));
    FreeLibrary(hPhrases);
}

TEST_F(CSoundSystemTest, PlayAnswersAndNeverRestartsAPlayingSound)
{
    CSoundSystem sound(m_strLibrary.c_str());
    ASSERT_TRUE(sound.Create(nullptr));
    ASSERT_EQ(sound.LoadWave(FIRST_EFFECT), 0);
    const CVector3 at(0, 0, 1);
    EXPECT_FALSE(sound.Play(-1, at, 0));
    EXPECT_FALSE(sound.Play(SOUND_SLOTS, at, 0));
    EXPECT_TRUE(sound.Play(5, at, 0)); // empty slot
    EXPECT_FALSE(sound.IsSlotPlaying(5));
    EXPECT_FALSE(sound.IsSlotPlaying(-1));

    const auto tapped = TapWhilePlaying(
        sound.GetDirectSound()->Output(),
        [&]
        {
            EXPECT_TRUE(sound.Play(0, at, 0));
            EXPECT_TRUE(sound.IsSlotPlaying(0));
            EXPECT_TRUE(sound.Play(0, at, 0)); // still playing: answered, not restarted
        },
        [&] { return sound.IsSlotPlaying(0) != FALSE; });
    const int nRate = sound.GetDirectSound()->Output().Rate();
    EXPECT_NEAR(static_cast<double>(FindSound(Channel(tapped, 0), 0.02f).Length()) / nRate, 0.15, 0.003);
}

TEST_F(CSoundSystemTest, VolumeTakesEffectAtTheNextPlay)
{
    CSoundSystem sound(m_strLibrary.c_str());
    ASSERT_TRUE(sound.Create(nullptr));
    ASSERT_EQ(sound.LoadWave(FIRST_EFFECT), 0);
    const float fCentre = 0.5f * 0.70710678f;
    EXPECT_NEAR(PlayedPeak(sound, 0), fCentre, 0.01f);
    sound.SetVolume(0); // -30 dB
    EXPECT_EQ(sound.GetVolume(), -3000);
    EXPECT_NEAR(PlayedPeak(sound, 0), fCentre * 0.0316f, 0.002f);
    sound.SetVolume(65535);
    // Effects are placed around the listener: one to its right plays on the right only.
    sound.SetListener(CVector3(1, 0.5f, 1), CVector3(0, 0, 1));
    EXPECT_NEAR(PlayedPeak(sound, 0, 1, CVector3(9, 0.5f, 1)), 0.5f, 0.01f);
    EXPECT_NEAR(PlayedPeak(sound, 0, 0, CVector3(9, 0.5f, 1)), 0.0f, 0.002f);
}

TEST_F(CSoundSystemTest, MutedPlaysNothingAndStopAllStops)
{
    CSoundSystem sound(m_strLibrary.c_str());
    ASSERT_TRUE(sound.Create(nullptr));
    ASSERT_EQ(sound.LoadWave(FIRST_EFFECT), 0);
    ASSERT_EQ(sound.LoadWave(FIRST_EFFECT + 1), 1);
    sound.SetMuted(true);
    EXPECT_TRUE(sound.IsMuted());
    EXPECT_EQ(PlayedPeak(sound, 0), 0.0f);
    sound.SetMuted(false);
    const CVector3 at(0, 0, 1);
    EXPECT_TRUE(sound.Play(0, at, 0));
    EXPECT_TRUE(sound.Play(1, at, 0));
    sound.StopAll();
    EXPECT_FALSE(sound.IsSlotPlaying(0));
    EXPECT_FALSE(sound.IsSlotPlaying(1));
    // A stopped effect plays whole again.
    const int nRate = sound.GetDirectSound()->Output().Rate();
    const auto tapped = TapWhilePlaying(
        sound.GetDirectSound()->Output(), [&] { sound.Play(0, at, 0); }, [&] { return sound.IsSlotPlaying(0) != 0; });
    EXPECT_NEAR(static_cast<double>(FindSound(Channel(tapped, 0), 0.02f).Length()) / nRate, 0.15, 0.003);
}

TEST_F(CSoundSystemTest, WithoutADeviceTheGameRunsSilent)
{
    const CEnvScope driver("SDL_AUDIODRIVER", "no-such-driver");
    CSoundSystem sound(m_strLibrary.c_str());
    EXPECT_TRUE(sound.Create(nullptr));
    EXPECT_FALSE(sound.IsAvailable());
    EXPECT_EQ(sound.LoadWave(FIRST_EFFECT), -1);
    EXPECT_TRUE(sound.Play(0, CVector3(), 0));
    EXPECT_FALSE(sound.SetCooperation(nullptr, 1));
}

TEST_F(CSoundSystemTest, WithoutTheLibraryNothingLoads)
{
    CSoundSystem sound(m_folder.File("missing.dll").c_str());
    ASSERT_TRUE(sound.Create(nullptr));
    EXPECT_EQ(sound.LoadWave(FIRST_EFFECT), -1);
    EXPECT_TRUE(sound.SetCooperation(nullptr, 1));
}
