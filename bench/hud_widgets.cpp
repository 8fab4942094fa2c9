// The interface drawn over an 812 x 570 frame: the bottom control bar (power, english, lamp, tip,
// open menu), the top and paused panels, and a two-line message in the message font. Each
// iteration first copies a finished frame back (measured alone as the baseline), then draws.
#include "fixtures/ControlBarPictures.h"
#include "fixtures/HudPictures.h"
#include "fixtures/ImageFixtures.h"

#include "foundation/LibraryLists.h"
#include "platform/win32/ResourceLibrary.h"
#include "render/TextureManager.h"
#include "ui/ClickPanels.h"
#include "ui/ControlBar.h"
#include "ui/PanelFont.h"
#include "ui/TextMessages.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
constexpr LONG FRAME_WIDTH = 812;
constexpr LONG FRAME_HEIGHT = 570;

/// The interface's pictures in a library of a temporary folder, listed as the artwork library.
class CHudLibrary
{
public:
    CHudLibrary()
    {
        m_strFolder =
            (std::filesystem::temp_directory_path() / ("vorn_bench_hud_" + std::to_string(::getpid()))).string();
        std::filesystem::create_directories(m_strFolder);
        m_strLibrary = m_strFolder + "/Imagery.dll";
        std::string strError;
        if (!WriteHudPictureLibrary(m_strLibrary, strError))
            std::fprintf(stderr, "cannot write the interface library: %s\n", strError.c_str());
        g_astrArtworkLibraries.RemoveAll();
        g_astrArtworkLibraries.Add(CString(m_strLibrary));
    }
    ~CHudLibrary()
    {
        g_astrArtworkLibraries.RemoveAll();
        std::error_code ec;
        std::filesystem::remove_all(m_strFolder, ec);
    }

private:
    std::string m_strFolder, m_strLibrary;
};

/// A frame with its device, the widgets on it and a copy of the rendered picture under them.
struct SHudScene
{
    SHudScene()
    {
        SetTextureCaps(GetStandInTextureCaps());
        frame.pBackBuffer =
            CDirectDrawSurface::Create(FRAME_WIDTH, FRAME_HEIGHT, MakeRgbPixelFormat(32), DDSCAPS_3DDEVICE);
        pDevice = std::make_unique<CDirect3DDevice>(frame.pBackBuffer);
        frame.pDevice = pDevice.get();
        SetWidgetFrame(&frame);
        pRendered =
            CDirectDrawSurface::Create(FRAME_WIDTH, FRAME_HEIGHT, MakeRgbPixelFormat(32), DDSCAPS_OFFSCREENPLAIN);
        DDSURFACEDESC2 desc;
        pRendered->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
        for (LONG y = 0; y < FRAME_HEIGHT; ++y)
            for (LONG x = 0; x < FRAME_WIDTH; ++x)
                static_cast<DWORD*>(desc.lpSurface)[y * desc.lPitch / 4 + x] =
                    0x0020'6020u + static_cast<DWORD>((x ^ y) & 0x1F);
        pRendered->Unlock(nullptr);

        const RECT rcClient{0, 0, FRAME_WIDTH, FRAME_HEIGHT};
        CStringArray names;
        for (const char* sz : CONTROL_BAR_PICTURES)
            names.Add(sz);
        bar.CreateFromNames(names, &rcClient);
        bar.LoadImages("BottomMenuBG.bmp", &rcClient, 0);
        bar.PlaceInRect(PLACE_BOTTOM | PLACE_HCENTRE, rcClient);
        bar.Show();
        bar.SetValue(0.65);
        bar.SetMode(2);
        CWidget::SetMenuOpen(TRUE);
        CStringArray top;
        top.Add("TopPanelBG.bmp");
        top.Add("TopPanelBG.bmp");
        topPanel.CreateFromNames(top, &rcClient);
        topPanel.PlaceInRect(PLACE_TOP | PLACE_HCENTRE, rcClient);
        topPanel.Show();
        CStringArray paused;
        paused.Add("Paused.bmp");
        paused.Add("Paused.bmp");
        pausedPanel.CreateFromNames(paused, &rcClient);
        pausedPanel.PlaceInRect(PLACE_VCENTRE | PLACE_HCENTRE, rcClient);
        pausedPanel.Show();
        font.SetHeight(20).SetItalic(1);
    }
    ~SHudScene()
    {
        SetWidgetFrame(nullptr);
        DeleteAllTextures();
    }

    void CopyRendered() { frame.pBackBuffer->BltFast(0, 0, pRendered.get(), nullptr, DDBLTFAST_WAIT); }

    void DrawInterface()
    {
        pausedPanel.Draw(0);
        bar.Draw(0);
        topPanel.Draw(0);
        HDC hDC = nullptr;
        if (frame.pBackBuffer->GetDC(&hDC) == DD_OK)
        {
            PaintTextMessage(hDC, font, RECT{0, 0, FRAME_WIDTH, FRAME_HEIGHT},
                             "Call The Shot: choose the pocket for the eight ball before you shoot, "
                             "or the shot does not count");
            frame.pBackBuffer->ReleaseDC(hDC);
        }
    }

    CHudLibrary library;
    SWidgetFrame frame;
    std::unique_ptr<CDirect3DDevice> pDevice;
    SurfacePtr pRendered;
    CListWidget bar;
    CTextWidget topPanel{59};
    CTextWidget pausedPanel{60};
    CPanelFont font;
};

void BM_FrameCopyOnly(benchmark::State& state)
{
    SHudScene scene;
    for (auto _ : state)
    {
        scene.CopyRendered();
        benchmark::DoNotOptimize(scene.frame.pBackBuffer->GetBits());
    }
}
BENCHMARK(BM_FrameCopyOnly)->Unit(benchmark::kMicrosecond);

void BM_InterfaceOverFrame(benchmark::State& state)
{
    SHudScene scene;
    for (auto _ : state)
    {
        scene.CopyRendered();
        scene.DrawInterface();
        benchmark::DoNotOptimize(scene.frame.pBackBuffer->GetBits());
    }
}
BENCHMARK(BM_InterfaceOverFrame)->Unit(benchmark::kMicrosecond);
} // namespace
