// DirectSound on SDL's audio drivers: buffers made from PCM of every shape, played through the
// real callback and read back from the output's tap (dummy driver) or the written file (disk).
#include "platform/dx/DirectSound.h"

#include "EnvScope.h"
#include "TempFolder.h"
#include "fixtures/AudioFixtures.h"

#include "platform/window/Window.h"

#include <cstring>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

namespace
{

WAVEFORMATEX Pcm(WORD nChannels, DWORD dwRate, WORD nBits)
{
    WAVEFORMATEX format;
    format.nChannels = nChannels;
    format.nSamplesPerSec = dwRate;
    format.wBitsPerSample = nBits;
    format.nBlockAlign = static_cast<WORD>(nChannels * nBits / 8);
    format.nAvgBytesPerSec = dwRate * format.nBlockAlign;
    return format;
}

/// A secondary buffer holding the samples of a WAV file the fixtures encode.
LPDIRECTSOUNDBUFFER MakeBuffer(CDirectSound& ds, int nRate, int nChannels, int nBits, const std::vector<float>& samples)
{
    const std::vector<BYTE> wav = EncodeWave(nRate, nChannels, nBits, samples);
    const WAVEFORMATEX format = Pcm(static_cast<WORD>(nChannels), static_cast<DWORD>(nRate), static_cast<WORD>(nBits));
    DSBUFFERDESC desc;
    desc.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRL3D | DSBCAPS_CTRLVOLUME;
    desc.dwBufferBytes = static_cast<DWORD>(wav.size() - 44);
    desc.lpwfxFormat = &format;
    LPDIRECTSOUNDBUFFER pBuffer;
    if (FAILED(ds.CreateSoundBuffer(&desc, &pBuffer, nullptr)))
        return nullptr;
    void* p1 = nullptr;
    void* p2 = nullptr;
    DWORD n1 = 0;
    DWORD n2 = 0;
    EXPECT_EQ(pBuffer->Lock(0, desc.dwBufferBytes, &p1, &n1, &p2, &n2, DSBLOCK_FROMWRITECURSOR), DS_OK);
    std::memcpy(p1, wav.data() + 44, n1);
    EXPECT_EQ(pBuffer->Unlock(p1, n1, p2, n2), DS_OK);
    return pBuffer;
}

bool IsPlaying(CDirectSoundBuffer& buffer)
{
    DWORD dwStatus = 0;
    buffer.GetStatus(&dwStatus);
    return (dwStatus & DSBSTATUS_PLAYING) != 0;
}

/// What the callback produced while the buffer played, one channel.
std::vector<float> PlayAndTap(CDirectSound& ds, CDirectSoundBuffer& buffer, int nChannel = 0)
{
    const auto tapped = TapWhilePlaying(
        ds.Output(), [&] { EXPECT_EQ(buffer.Play(0, 0, 0), DS_OK); }, [&] { return IsPlaying(buffer); });
    EXPECT_FALSE(IsPlaying(buffer));
    return Channel(tapped, nChannel);
}

/// The dummy driver unless a test chose another (ctest sets it; a run by hand may not).
LPDIRECTSOUND OpenDevice()
{
    const CEnvScope driver("SDL_AUDIODRIVER",
                           std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "dummy");
    LPDIRECTSOUND pDS;
    EXPECT_EQ(DirectSoundCreate(nullptr, &pDS, nullptr), DS_OK);
    return pDS;
}

} // namespace

TEST(DirectSoundTest, TonesOfEveryShapePlayAtPitchAndLength)
{
    const LPDIRECTSOUND pDS = OpenDevice();
    ASSERT_NE(pDS, nullptr);
    const int nDevice = pDS->Output().Rate();
    EXPECT_TRUE(nDevice == AUDIO_RATE_PREFERRED || nDevice == AUDIO_RATE_FALLBACK);
    struct SCase
    {
        int nRate;
        int nChannels;
        int nBits;
    };
    const SCase aCases[] = {{11025, 1, 16}, {22050, 1, 16}, {22050, 2, 16}, {44100, 1, 8}};
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(testing::Message() << c.nRate << " Hz, " << c.nChannels << " channels, " << c.nBits << " bits");
        const LPDIRECTSOUNDBUFFER pBuffer =
            MakeBuffer(*pDS, c.nRate, c.nChannels, c.nBits, MakeTone(500.0, c.nRate, 0.2, 0.5f, c.nChannels));
        ASSERT_NE(pBuffer, nullptr);
        const std::vector<float> left = PlayAndTap(*pDS, *pBuffer);
        const SSpan sound = FindSound(left, 0.02f);
        const std::span<const float> played(left.data() + sound.nBegin, sound.Length());
        EXPECT_NEAR(static_cast<double>(sound.Length()) / nDevice, 0.2, 0.003);
        EXPECT_NEAR(EstimateFrequency(played, nDevice), 500.0, 2.0);
        EXPECT_NEAR(Peak(played), 0.5f * 0.7071f, 0.02f); // centred
    }
}

TEST(DirectSoundTest, PositionsAndVolumeReachTheOutput)
{
    const LPDIRECTSOUND pDS = OpenDevice();
    ASSERT_NE(pDS, nullptr);
    DSBUFFERDESC primaryDesc;
    primaryDesc.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D;
    LPDIRECTSOUNDBUFFER pPrimary;
    ASSERT_EQ(pDS->CreateSoundBuffer(&primaryDesc, &pPrimary, nullptr), DS_OK);
    LPDIRECTSOUND3DLISTENER pListener;
    ASSERT_EQ(pPrimary->QueryListener(&pListener), DS_OK);
    pListener->SetPosition(5, 0, 0, DS3D_DEFERRED);
    pListener->CommitDeferredSettings();

    const int nRate = pDS->Output().Rate();
    const LPDIRECTSOUNDBUFFER pBuffer = MakeBuffer(*pDS, nRate, 1, 16, MakeTone(300.0, nRate, 0.1));
    ASSERT_NE(pBuffer, nullptr);
    LPDIRECTSOUND3DBUFFER p3D;
    ASSERT_EQ(pBuffer->Query3DBuffer(&p3D), DS_OK);
    p3D->SetPosition(4, 0, 0, DS3D_IMMEDIATE); // left of the listener
    ASSERT_EQ(pBuffer->SetVolume(-600), DS_OK);
    EXPECT_NEAR(Peak(PlayAndTap(*pDS, *pBuffer, 0)), 0.5f * 0.501f, 0.01f);
    EXPECT_NEAR(Peak(PlayAndTap(*pDS, *pBuffer, 1)), 0.0f, 0.001f);
}

TEST(DirectSoundTest, RefusesBuffersItCannotMix)
{
    const LPDIRECTSOUND pDS = OpenDevice();
    ASSERT_NE(pDS, nullptr);
    struct SCase
    {
        const char* szName;
        WAVEFORMATEX format;
        DWORD dwBytes;
        HRESULT hr;
    };
    WAVEFORMATEX badAlign = Pcm(2, 22050, 16);
    badAlign.nBlockAlign = 2;
    WAVEFORMATEX notPcm = Pcm(1, 22050, 16);
    notPcm.wFormatTag = 3;
    const SCase aCases[] = {
        {"three channels", Pcm(3, 22050, 16), 600, DSERR_BADFORMAT},
        {"24 bits", Pcm(1, 22050, 24), 600, DSERR_BADFORMAT},
        {"rate 0", Pcm(1, 0, 16), 600, DSERR_BADFORMAT},
        {"rate too high", Pcm(1, 400000, 16), 600, DSERR_BADFORMAT},
        {"block align not the frame size", badAlign, 600, DSERR_BADFORMAT},
        {"float samples", notPcm, 600, DSERR_BADFORMAT},
        {"no bytes", Pcm(1, 22050, 16), 0, DSERR_INVALIDPARAM},
        {"more than the cap", Pcm(1, 22050, 16), DS_MAX_BUFFER_BYTES + 2, DSERR_INVALIDPARAM},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        DSBUFFERDESC desc;
        desc.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRL3D;
        desc.dwBufferBytes = c.dwBytes;
        desc.lpwfxFormat = &c.format;
        LPDIRECTSOUNDBUFFER pBuffer;
        EXPECT_EQ(pDS->CreateSoundBuffer(&desc, &pBuffer, nullptr), c.hr);
        EXPECT_EQ(pBuffer, nullptr);
    }
}

TEST(DirectSoundTest, WithoutADriverThereIsNoDevice)
{
    const CEnvScope driver("SDL_AUDIODRIVER", "no-such-driver");
    LPDIRECTSOUND pDS;
    EXPECT_EQ(DirectSoundCreate(nullptr, &pDS, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(pDS, nullptr);
}

// SDL's disk driver writes what the callback produced to a file: the whole path, end to end.
TEST(DirectSoundTest, DiskDriverWritesTheMix)
{
    const CTempFolder folder;
    const std::string strFile = folder.File("mix.raw");
    const CEnvScope driver("SDL_AUDIODRIVER", "disk");
    const CEnvScope file("SDL_DISKAUDIOFILE", strFile.c_str());
    int nRate = 0;
    {
        const LPDIRECTSOUND pDS = OpenDevice();
        ASSERT_NE(pDS, nullptr);
        nRate = pDS->Output().Rate();
        const LPDIRECTSOUNDBUFFER pBuffer = MakeBuffer(*pDS, 22050, 1, 16, MakeTone(440.0, 22050, 0.25));
        ASSERT_NE(pBuffer, nullptr);
        PlayAndTap(*pDS, *pBuffer);
    }
    std::ifstream in(strFile, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::int16_t> stereo(bytes.size() / 2);
    std::memcpy(stereo.data(), bytes.data(), stereo.size() * 2);
    const std::vector<float> left = Channel(stereo, 0);
    const SSpan sound = FindSound(left, 0.02f);
    EXPECT_NEAR(static_cast<double>(sound.Length()) / nRate, 0.25, 0.003);
    EXPECT_NEAR(EstimateFrequency(std::span<const float>(left.data() + sound.nBegin, sound.Length()), nRate), 440.0,
                2.0);
}

// The display opens and closes the audio device on its own thread; here a runner that counts
// stands in for it, and the device works the same.
TEST(DirectSoundTest, TheDeviceOpensAndClosesThroughTheAudioThreadRunner)
{
    int nCalls = 0;
    SetAudioThreadRunner(
        [&](const std::function<void()>& f)
        {
            ++nCalls;
            f();
            return true;
        });
    {
        const LPDIRECTSOUND pDS = OpenDevice();
        ASSERT_NE(pDS, nullptr);
        EXPECT_EQ(nCalls, 1);
        const int nRate = pDS->Output().Rate();
        const LPDIRECTSOUNDBUFFER pBuffer = MakeBuffer(*pDS, nRate, 1, 16, MakeTone(700.0, nRate, 0.05));
        ASSERT_NE(pBuffer, nullptr);
        EXPECT_NEAR(Peak(PlayAndTap(*pDS, *pBuffer)), 0.5f * 0.7071f, 0.02f);
    }
    EXPECT_EQ(nCalls, 2);
    SetAudioThreadRunner(nullptr);
}

// With the display running, the device is opened on the display thread; one that outlives the
// display is closed by its owner.
TEST(DirectSoundTest, TheDisplayOpensTheDeviceAndADeviceMayOutliveIt)
{
    const CEnvScope video("SDL_VIDEODRIVER", "dummy");
    ASSERT_TRUE(StartDisplay());
    LPDIRECTSOUND pDS = OpenDevice();
    ASSERT_NE(pDS, nullptr);
    StopDisplay();
    const int nRate = pDS->Output().Rate();
    const LPDIRECTSOUNDBUFFER pBuffer = MakeBuffer(*pDS, nRate, 1, 16, MakeTone(700.0, nRate, 0.05));
    ASSERT_NE(pBuffer, nullptr);
    EXPECT_GT(Peak(PlayAndTap(*pDS, *pBuffer)), 0.3f);
}
