// The mixer's cost: one second of output at 44.1 kHz pulled in callback-sized blocks, with 16
// effects of mixed source rates placed around the listener.
#include "tests/fixtures/AudioFixtures.h"

#include "platform/dx/DirectSound.h"

#include <benchmark/benchmark.h>

namespace
{

constexpr int DEVICE_RATE = 44100;
constexpr int EFFECT_VOICES = 16;

/// Sixteen voices of 1.5 s tones at 11.025, 22.05 and 44.1 kHz, 8 and 16 bits, mono and
/// stereo, spread around the listener, all playing.
void StartEffects(CMixer& mixer)
{
    const int aRates[] = {11025, 22050, 44100};
    for (int i = 0; i < EFFECT_VOICES; ++i)
    {
        const int nRate = aRates[i % 3];
        const int nChannels = 1 + i % 2;
        const int nBits = i % 4 == 3 ? 8 : 16;
        const std::vector<BYTE> wav =
            EncodeWave(nRate, nChannels, nBits, MakeTone(200.0 + 50 * i, nRate, 1.5, 0.05f, nChannels));
        WAVEFORMATEX format;
        format.nChannels = static_cast<WORD>(nChannels);
        format.nSamplesPerSec = static_cast<DWORD>(nRate);
        format.wBitsPerSample = static_cast<WORD>(nBits);
        format.nBlockAlign = static_cast<WORD>(nChannels * nBits / 8);
        const int nVoice = mixer.OpenVoice();
        mixer.SetVoiceSamples(nVoice, std::make_shared<const MixSamples>(
                                          ConvertToMix(wav.data() + 44, wav.size() - 44, format, DEVICE_RATE)));
        mixer.SetVoiceSource(nVoice, D3DVECTOR{static_cast<float>(i - 8), 0.0f, 3.0f});
        mixer.SetVoiceVolume(nVoice, -100 * i);
        mixer.PlayVoice(nVoice);
    }
}

void BM_MixOneSecondSixteenVoices(benchmark::State& state)
{
    std::vector<std::int16_t> block(AUDIO_CALLBACK_FRAMES * 2);
    for (auto _ : state)
    {
        state.PauseTiming();
        CMixer mixer(DEVICE_RATE);
        StartEffects(mixer);
        state.ResumeTiming();
        for (int nDone = 0; nDone < DEVICE_RATE; nDone += AUDIO_CALLBACK_FRAMES)
            mixer.Pull(block);
        benchmark::DoNotOptimize(block.data());
    }
    state.SetLabel("1 s of 44.1 kHz stereo output");
}
BENCHMARK(BM_MixOneSecondSixteenVoices)->Unit(benchmark::kMillisecond);

} // namespace
