// Decoding speed of the picture readers at the size of the game's textures, 1024 x 1024.
#include "fixtures/ImageFixtures.h"

#include "foundation/JpegFile.h"
#include "foundation/PngLoader.h"

#include <benchmark/benchmark.h>
#include <png.h>

namespace
{
constexpr UINT TEXTURE_SIDE = 1024; // pixels

// Reports megapixels decoded per second.
void CountPixels(benchmark::State& state)
{
    state.counters["Mpix/s"] = benchmark::Counter(static_cast<double>(TEXTURE_SIDE) * TEXTURE_SIDE * 1e-6,
                                                  benchmark::Counter::kIsIterationInvariantRate);
}

void BM_DecodeJpeg(benchmark::State& state)
{
    const std::vector<BYTE> jpeg = EncodeJpeg(
        TEXTURE_SIDE, TEXTURE_SIDE, 3, MakeGradientRgb(TEXTURE_SIDE, TEXTURE_SIDE), static_cast<int>(state.range(0)));
    for (auto _ : state)
    {
        UINT nWidth = 0, nHeight = 0;
        benchmark::DoNotOptimize(JpegFile::ReadMemory(jpeg.data(), jpeg.size(), nWidth, nHeight));
    }
    CountPixels(state);
}
BENCHMARK(BM_DecodeJpeg)->ArgName("quality")->Arg(75)->Arg(95)->Unit(benchmark::kMillisecond);

void BM_DecodePng(benchmark::State& state)
{
    // An RGBA picture: the texture manager reads PNG for pictures with transparency.
    const std::vector<BYTE> rgb = MakeGradientRgb(TEXTURE_SIDE, TEXTURE_SIDE);
    SPngDesc desc;
    desc.nWidth = desc.nHeight = TEXTURE_SIDE;
    desc.nColorType = PNG_COLOR_TYPE_RGB_ALPHA;
    for (std::size_t i = 0; i < rgb.size(); i += 3)
        desc.samples.insert(desc.samples.end(), {rgb[i], rgb[i + 1], rgb[i + 2], static_cast<unsigned>(i / 3 % 256)});
    const std::vector<BYTE> png = EncodePng(desc);
    for (auto _ : state)
    {
        std::vector<DWORD> buffer;
        UINT nWidth = 0, nHeight = 0;
        BYTE bAlpha = 0;
        benchmark::DoNotOptimize(LoadPngImage(png.data(), png.size(), buffer, nWidth, nHeight, bAlpha));
    }
    CountPixels(state);
}
BENCHMARK(BM_DecodePng)->Unit(benchmark::kMillisecond);
} // namespace
