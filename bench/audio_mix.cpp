// The mixer's cost: one second of output at 44.1 kHz pulled in callback-sized blocks, with 16
// effects of mixed source rates placed around the listener; then the same with music decoded
// from an MP3 file (made with lame at the start) into a stream voice.
#include "tests/fixtures/AudioFixtures.h"

#include "platform/dx/DirectSound.h"
#include "platform/media/Mp3Decoder.h"
#include "platform/media/MusicFeed.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

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

/// A folder of this process in the temporary folder, removed at exit.
struct SBenchFolder
{
    std::filesystem::path path = std::filesystem::temp_directory_path() / ("vorn_bench_" + std::to_string(::getpid()));
    SBenchFolder() { std::filesystem::create_directories(path); }
    ~SBenchFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

/// A 5 s stereo MP3 of two tones in the temporary folder, made once; empty when lame is missing.
const std::string& MusicFile()
{
    static const SBenchFolder s_folder;
    static const std::string s_strPath = []
    {
        const std::filesystem::path& folder = s_folder.path;
        std::vector<float> samples = MakeTone(330.0, 44100, 5.0, 0.3f, 2);
        for (std::size_t i = 1; i < samples.size(); i += 2)
            samples[i] *= 0.5f;
        const std::vector<BYTE> wav = EncodeWave(44100, 2, 16, samples);
        std::ofstream((folder / "music.wav").string(), std::ios::binary)
            .write(reinterpret_cast<const char*>(wav.data()), static_cast<std::streamsize>(wav.size()));
        const std::string strMp3 = (folder / "music.mp3").string();
        const std::string strCommand = "lame --quiet -b 160 '" + (folder / "music.wav").string() + "' '" + strMp3 + "'";
        return std::system(strCommand.c_str()) == 0 ? strMp3 : std::string();
    }();
    return s_strPath;
}

void BM_MixOneSecondWithMusic(benchmark::State& state)
{
    if (MusicFile().empty())
    {
        state.SkipWithError("lame is not installed");
        return;
    }
    std::vector<std::int16_t> block(AUDIO_CALLBACK_FRAMES * 2);
    for (auto _ : state)
    {
        state.PauseTiming();
        CMixer mixer(DEVICE_RATE);
        StartEffects(mixer);
        auto pRing = std::make_shared<CStreamRing>(16384);
        mixer.OpenStream(pRing);
        std::string strError;
        CMusicFeed feed(CMp3Decoder::Open(MusicFile(), strError), DEVICE_RATE);
        state.ResumeTiming();
        // What the music's thread and the callback do for one second: decode while there is room.
        for (int nDone = 0; nDone < DEVICE_RATE; nDone += AUDIO_CALLBACK_FRAMES)
        {
            while (pRing->Free() > 4096)
            {
                const std::vector<std::int16_t>& out = feed.Next();
                pRing->Write(out.data(), out.size() / 2);
            }
            mixer.Pull(block);
        }
        benchmark::DoNotOptimize(block.data());
    }
    state.SetLabel("1 s of output with 16 effects and 160 kbit/s stereo music");
}
BENCHMARK(BM_MixOneSecondWithMusic)->Unit(benchmark::kMillisecond);

} // namespace
