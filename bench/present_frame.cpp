// What showing a frame costs the drawing thread: the 3-D framework's ShowFrame into a window (the back buffer
// copied to the primary, its rows converted at the frame's size on every core and handed to the display thread,
// which scales them when the output is of another size), windowed at 800 x 600 and full screen (800 x 600
// letterboxed onto the desktop) in 32 and 16 bits; and the conversion alone on one core, 1:1 from XRGB and 5-6-5
// surfaces and scaled from 800 x 600 to 1920 x 1080. Runs on SDL's dummy video driver unless another is set.
#include "platform/dx/DirectDraw.h"
#include "platform/dx/FrameConvert.h"
#include "platform/window/Window.h"
#include "render/D3DEnum.h"
#include "render/D3DFramework.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>
#include <vector>

namespace
{
/// Arguments: 0 windowed, 1 full screen; the full-screen mode's bits per pixel (a window has the desktop's 32).
void BM_ShowFrame(benchmark::State& state)
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    const bool bFullScreen = state.range(0) != 0;
    CDisplayAdapter adapter = CDisplayAdapter::MakeSoftware(1920, 1080, 32, {SIZE{800, 600}, SIZE{1920, 1080}});
    adapter.pfnWindowOutput = &GetWindowOutput;
    const CDisplayAdapterScope scope(&adapter);
    SWindowDesc desc;
    desc.nClientWidth = bFullScreen ? 1920 : 800;
    desc.nClientHeight = bFullScreen ? 1080 : 600;
    desc.bFullScreen = bFullScreen;
    HWND hWnd = CreateGameWindow(desc);
    if (hWnd == nullptr)
    {
        state.SkipWithError("no window");
        return;
    }
    {
        CD3DFramework framework;
        DDSURFACEDESC2 mode;
        mode.dwWidth = 800;
        mode.dwHeight = 600;
        mode.ddpfPixelFormat = MakeRgbPixelFormat(static_cast<DWORD>(state.range(1)));
        const DWORD dwFlags = D3DFW_BACKBUFFER | D3DFW_ZBUFFER | (bFullScreen ? D3DFW_FULLSCREEN : 0);
        if (framework.Initialize(hWnd, nullptr, &IID_IDirect3DRGBDevice, bFullScreen ? &mode : nullptr, dwFlags) !=
            S_OK)
            state.SkipWithError("no framework");
        else
            for (auto _ : state)
                benchmark::DoNotOptimize(framework.ShowFrame());
    }
    DestroyGameWindow(hWnd);
}
BENCHMARK(BM_ShowFrame)
    ->ArgNames({"fullscreen", "bits"})
    ->Args({0, 32})
    ->Args({1, 32})
    ->Args({1, 16})
    ->Unit(benchmark::kMillisecond);

/// Arguments: surface bits per pixel, output width and height.
void BM_ConvertFrame(benchmark::State& state)
{
    const SurfacePtr pSurface = CDirectDrawSurface::Create(
        800, 600, MakeRgbPixelFormat(static_cast<DWORD>(state.range(0))), DDSCAPS_OFFSCREENPLAIN);
    const int w = static_cast<int>(state.range(1)), h = static_cast<int>(state.range(2));
    std::vector<DWORD> aOut(static_cast<size_t>(w) * static_cast<size_t>(h));
    const RECT rcDest = FitFrame(800, 600, w, h);
    for (auto _ : state)
    {
        ConvertFrame(*pSurface, RECT{0, 0, 800, 600}, aOut.data(), w, h, rcDest);
        benchmark::DoNotOptimize(aOut.data());
    }
}
BENCHMARK(BM_ConvertFrame)
    ->ArgNames({"bits", "width", "height"})
    ->Args({32, 800, 600})
    ->Args({16, 800, 600})
    ->Args({32, 1920, 1080})
    ->Unit(benchmark::kMillisecond);
} // namespace
