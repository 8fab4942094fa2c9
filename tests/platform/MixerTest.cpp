// The mixer pulled directly: levels, pans, play once, streams, and buffers released while the
// callback mixes them.
#include "platform/dx/Mixer.h"

#include "fixtures/AudioFixtures.h"

#include "platform/dx/Resampler.h"

#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <thread>

namespace
{

constexpr int RATE = 44100;

std::shared_ptr<const MixSamples> Constant(float f, std::size_t nFrames)
{
    return std::make_shared<const MixSamples>(nFrames, f);
}

std::vector<std::int16_t> PullFrames(CMixer& mixer, std::size_t nFrames)
{
    std::vector<std::int16_t> out(nFrames * 2);
    mixer.Pull(out);
    return out;
}

float At(const std::vector<std::int16_t>& stereo, std::size_t nFrame, int nChannel)
{
    return static_cast<float>(stereo[nFrame * 2 + static_cast<std::size_t>(nChannel)]) / 32767.0f;
}

int PlayingVoice(CMixer& mixer, std::shared_ptr<const MixSamples> pSamples)
{
    const int nVoice = mixer.OpenVoice();
    mixer.SetVoiceSamples(nVoice, std::move(pSamples));
    mixer.PlayVoice(nVoice);
    return nVoice;
}

} // namespace

TEST(MixerTest, GainIsTenToTheAttenuationOverTwoThousand)
{
    struct SCase
    {
        LONG nMb;
        float fGain;
    };
    const SCase aCases[] = {{0, 1.0f}, {-600, 0.501187f}, {-2000, 0.1f}, {-3000, 0.0316228f}, {-10000, 0.0f}};
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.nMb);
        EXPECT_NEAR(AttenuationToGain(c.nMb), c.fGain, 1e-5f);
        CMixer mixer(RATE);
        const int nVoice = PlayingVoice(mixer, Constant(0.8f, 100));
        mixer.SetVoiceVolume(nVoice, c.nMb);
        const auto out = PullFrames(mixer, 10);
        // A centred source: each side carries 1/sqrt(2) of it.
        EXPECT_NEAR(At(out, 5, 0), 0.8f * c.fGain * 0.70710678f, 1.0f / 16384);
        EXPECT_NEAR(At(out, 5, 1), At(out, 5, 0), 1.0f / 16384);
    }
}

TEST(MixerTest, SourcesArePannedInTheListenersFrame)
{
    struct SCase
    {
        const char* szName;
        D3DVECTOR source;
        D3DVECTOR front;
        float fLeft;
        float fRight;
    };
    const float c = 0.70710678f;
    const SCase aCases[] = {
        {"right of a listener looking along z", {3, 0, 0}, {0, 0, 1}, 0.0f, 1.0f},
        {"left of it", {-3, 0, 0}, {0, 0, 1}, 1.0f, 0.0f},
        {"ahead", {0, 0, 7}, {0, 0, 1}, c, c},
        {"behind", {0, 0, -7}, {0, 0, 1}, c, c},
        {"above", {0, 5, 0}, {0, 0, 1}, c, c},
        {"at the listener", {0, 0, 0}, {0, 0, 1}, c, c},
        {"ahead and right at 45 degrees: pan sin 45, distance does not matter",
         {40, 0, 40},
         {0, 0, 1},
         0.22801f,
         0.97366f},
        {"listener turned to look along x: -z is its right", {0, 0, -2}, {1, 0, 0}, 0.0f, 1.0f},
    };
    for (const SCase& k : aCases)
    {
        SCOPED_TRACE(k.szName);
        CMixer mixer(RATE);
        mixer.SetListener(D3DVECTOR{}, k.front, D3DVECTOR{0, 1, 0});
        const int nVoice = PlayingVoice(mixer, Constant(0.5f, 100));
        mixer.SetVoiceSource(nVoice, k.source);
        const auto out = PullFrames(mixer, 4);
        EXPECT_NEAR(At(out, 1, 0), 0.5f * k.fLeft, 2e-4f);
        EXPECT_NEAR(At(out, 1, 1), 0.5f * k.fRight, 2e-4f);
    }
}

TEST(MixerTest, ListenerMovesPanPlayingSources)
{
    CMixer mixer(RATE);
    const int nVoice = PlayingVoice(mixer, Constant(0.5f, 1000));
    mixer.SetVoiceSource(nVoice, D3DVECTOR{10, 0, 0});
    EXPECT_NEAR(At(PullFrames(mixer, 4), 1, 1), 0.5f, 2e-4f);
    mixer.SetListener(D3DVECTOR{20, 0, 0}, D3DVECTOR{0, 0, 1}, D3DVECTOR{0, 1, 0});
    const auto out = PullFrames(mixer, 4);
    EXPECT_NEAR(At(out, 1, 0), 0.5f, 2e-4f);
    EXPECT_NEAR(At(out, 1, 1), 0.0f, 2e-4f);
}

TEST(MixerTest, BufferPlaysOnceAndEndsAtItsLength)
{
    CMixer mixer(RATE);
    const int nVoice = PlayingVoice(mixer, Constant(0.5f, 1000));
    // More than one pass of the mixer, so the end falls inside a later pass of the same pull.
    const auto out = PullFrames(mixer, 3000);
    const auto left = Channel(out, 0);
    const SSpan sound = FindSound(left);
    EXPECT_EQ(sound.nBegin, 0u);
    EXPECT_EQ(sound.nEnd, 1000u);
    EXPECT_FALSE(mixer.IsVoicePlaying(nVoice));
    // Played again, it starts from its beginning.
    mixer.PlayVoice(nVoice);
    EXPECT_EQ(FindSound(Channel(PullFrames(mixer, 3000), 0)).Length(), 1000u);
}

TEST(MixerTest, PlayWhilePlayingDoesNotRestart)
{
    CMixer mixer(RATE);
    MixSamples ramp(2000);
    for (std::size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<float>(i) / 4000.0f;
    const int nVoice = PlayingVoice(mixer, std::make_shared<const MixSamples>(ramp));
    PullFrames(mixer, 500);
    mixer.PlayVoice(nVoice);
    EXPECT_EQ(mixer.GetVoicePosition(nVoice), 500u);
    const auto out = PullFrames(mixer, 10);
    EXPECT_NEAR(At(out, 0, 0), ramp[500] * 0.70710678f, 1.0f / 16384);
    // Stopped, it keeps its place; moved back, it plays from there.
    mixer.StopVoice(nVoice);
    EXPECT_EQ(FindSound(Channel(PullFrames(mixer, 100), 0), 1e-6f).Length(), 0u);
    mixer.SetVoicePosition(nVoice, 0);
    mixer.PlayVoice(nVoice);
    EXPECT_NEAR(At(PullFrames(mixer, 10), 0, 0), 0.0f, 1.0f / 16384);
}

// A sum of loud voices far above full scale, as a break at the highest volume makes: the output
// never reaches full scale, keeps the shape of the sum (where the sum rises the output does not
// fall), and once the gain has come down the mix sits just under the threshold instead of at a
// flat top; when the loud voices end, the gain comes back and a quiet voice plays as it is.
TEST(MixerTest, LoudSumsAreLimitedSmoothlyNotClipped)
{
    struct SCase
    {
        const char* szName;
        int nVoices;
        float fAmplitude;
    };
    const SCase aCases[] = {{"just over full scale", 2, 0.6f}, {"a break's pile-up", 12, 0.9f}};
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CMixer mixer(RATE);
        const std::size_t nLoud = RATE / 5; // 0.2 s
        for (int i = 0; i < c.nVoices; ++i)
        {
            // Tones a little apart in pitch, each starting 1 ms after the one before.
            std::vector<float> tone(static_cast<std::size_t>(i) * RATE / 1000, 0.0f);
            const std::vector<float> body = MakeTone(3000.0 + 37.0 * i, RATE, 0.2, c.fAmplitude);
            tone.insert(tone.end(), body.begin(), body.end());
            PlayingVoice(mixer, std::make_shared<const MixSamples>(tone));
        }
        const std::vector<float> left = Channel(PullFrames(mixer, nLoud), 0);
        std::int16_t nLargest = 0;
        for (const std::int16_t n : PullFrames(mixer, 1)) // nothing was hidden in the right channel
            nLargest = std::max<std::int16_t>(nLargest, static_cast<std::int16_t>(std::abs(n)));
        EXPECT_LT(Peak(left), CLimiter::CEILING + 1.0f / 32767);
        EXPECT_LT(nLargest, 32767);
        // Settled: 50 ms on, the gain holds the peaks near the threshold, well under the ceiling.
        const std::span<const float> settled(left.data() + RATE / 20, RATE / 10);
        EXPECT_GT(Peak(settled), CLimiter::THRESHOLD - 0.1f);
        EXPECT_LT(Peak(settled), CLimiter::CEILING - 0.05f);
        // The quiet voice after the loud ones, once the gain is back up.
        PullFrames(mixer, 2 * RATE);
        PlayingVoice(mixer, Constant(0.5f, 100));
        EXPECT_NEAR(At(PullFrames(mixer, 10), 5, 0), 0.5f * 0.70710678f, 1.0f / 16384);
    }
}

// The knee keeps the order of its inputs and its slope: an input above another gives an output
// above it, the curve meets the straight part without a corner, and no input reaches the ceiling.
TEST(MixerTest, TheLimitersKneeIsSmoothAndKeepsTheOrder)
{
    float fLast = SoftKnee(0.0f);
    for (float x = 0.001f; x < 50.0f; x *= 1.01f)
    {
        const float y = SoftKnee(x);
        ASSERT_GT(y, fLast) << x;
        ASSERT_LT(y, CLimiter::CEILING) << x;
        EXPECT_FLOAT_EQ(-y, SoftKnee(-x));
        fLast = y;
    }
    const float h = 1e-3f, T = CLimiter::THRESHOLD;
    EXPECT_NEAR((SoftKnee(T + h) - SoftKnee(T)) / h, 1.0f, 0.02f) << "the same slope on both sides";
}

TEST(MixerTest, VoicesRunOutAtTheTableSize)
{
    CMixer mixer(RATE);
    for (int i = 0; i < MIXER_VOICES; ++i)
        ASSERT_EQ(mixer.OpenVoice(), i);
    EXPECT_EQ(mixer.OpenVoice(), -1);
    mixer.CloseVoice(17);
    EXPECT_EQ(mixer.OpenVoice(), 17);
}

TEST(MixerTest, StreamsPlayTheirRingWithVolumeAndPause)
{
    CMixer mixer(RATE);
    auto pRing = std::make_shared<CStreamRing>(4096);
    const std::vector<std::int16_t> frames(2 * 1000, 16384);
    ASSERT_EQ(pRing->Write(frames.data(), 1000), 1000u);
    const int nStream = mixer.OpenStream(pRing);
    mixer.SetStreamVolume(nStream, -2000);
    mixer.SetStreamPaused(nStream, true);
    EXPECT_EQ(FindSound(Channel(PullFrames(mixer, 200), 0)).Length(), 0u);
    EXPECT_EQ(pRing->Queued(), 1000u);
    mixer.SetStreamPaused(nStream, false);
    // What the ring holds plays at a tenth; the rest of the pull is silence (an underrun).
    const auto left = Channel(PullFrames(mixer, 1500), 0);
    EXPECT_EQ(FindSound(left).Length(), 1000u);
    EXPECT_NEAR(left[10], 0.05f, 1e-3f);
    EXPECT_EQ(pRing->Queued(), 0u);
    pRing->EndOfStream();
    EXPECT_TRUE(pRing->Drained());
}

TEST(MixerTest, ResampledTonesKeepTheirPitchAndLength)
{
    for (const int nSource : {11025, 22050, 48000})
    {
        SCOPED_TRACE(nSource);
        const std::vector<float> tone = MakeTone(440.0, nSource, 0.5);
        MixSamples out;
        CLinearResampler resampler(1, nSource, RATE);
        // Fed in uneven blocks: the joins must not show.
        for (std::size_t nAt = 0; nAt < tone.size(); nAt += 333)
            resampler.Process(tone.data() + nAt, std::min<std::size_t>(333, tone.size() - nAt), out);
        EXPECT_NEAR(static_cast<double>(out.size()), 0.5 * RATE, 6.0);
        EXPECT_NEAR(EstimateFrequency(out, RATE), 440.0, 0.5);
        EXPECT_NEAR(Peak(out), 0.5f, 0.01f);
    }
}

// The callback mixes copies of the voices' buffer pointers outside the lock; buffers replaced
// or voices closed meanwhile must stay alive until it is done (the sanitizer run checks).
TEST(MixerTest, BuffersReleasedWhileTheCallbackMixesStayValid)
{
    CMixer mixer(RATE);
    std::atomic<bool> bStop{false};
    std::thread callback(
        [&]
        {
            std::vector<std::int16_t> out(2 * 512);
            while (!bStop.load())
                mixer.Pull(out);
        });
    for (int nRound = 0; nRound < 2000; ++nRound)
    {
        const int nVoice = PlayingVoice(mixer, Constant(0.1f, 2048));
        mixer.SetVoiceSamples(nVoice, Constant(0.2f, 4096));
        mixer.PlayVoice(nVoice);
        auto pRing = std::make_shared<CStreamRing>(1024);
        const int nStream = mixer.OpenStream(pRing);
        pRing.reset();
        mixer.CloseStream(nStream);
        mixer.CloseVoice(nVoice);
    }
    bStop = true;
    callback.join();
}
