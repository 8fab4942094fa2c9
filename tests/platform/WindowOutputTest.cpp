// A primary surface shown in a window: the frame the display shows is the surface as it was when shown, in
// every surface format, windowed (the pixels under the window) and full screen (scaled with its shape kept),
// however the surface changes after it was handed over.
#include "platform/dx/FrameConvert.h"
#include "platform/win32/Desktop.h"
#include "platform/window/Window.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace
{
/// Calls f(pixel's raw value&, x, y) for every pixel of the locked surface.
template <class F> void ForEachRaw(CDirectDrawSurface& surface, F f)
{
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(DD_OK, surface.Lock(nullptr, &desc, 0, nullptr));
    const DWORD dwBytes = surface.GetLayout().GetBytesPerPixel();
    for (DWORD y = 0; y < desc.dwHeight; ++y)
        for (DWORD x = 0; x < desc.dwWidth; ++x)
        {
            BYTE* pPixel = static_cast<BYTE*>(desc.lpSurface) + y * static_cast<DWORD>(desc.lPitch) + x * dwBytes;
            DWORD dwRaw = 0;
            std::memcpy(&dwRaw, pPixel, dwBytes);
            f(dwRaw, x, y);
            std::memcpy(pPixel, &dwRaw, dwBytes);
        }
    surface.Unlock(nullptr);
}

class WindowOutputTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(StartDisplay()); // which sets the desktop's rectangle from the screen's
        m_rcOldDesktop = GetDesktopWindowRect();
        SetDesktopWindowRect(RECT{0, 0, DESKTOP_WIDTH, DESKTOP_HEIGHT});
    }
    void TearDown() override { SetDesktopWindowRect(m_rcOldDesktop); }

    /// Shows the surface in the window, then scribbles over the surface, and reads back what the window shows.
    static std::vector<DWORD> ShowAndReadBack(HWND hWnd, CDirectDrawSurface& surface)
    {
        GetWindowOutput(hWnd)->Show(surface);
        ForEachRaw(surface, [](DWORD& dwRaw, DWORD, DWORD) { dwRaw = 0x5A5A5A5A; });
        std::vector<DWORD> aPixels;
        int w = 0, h = 0;
        EXPECT_TRUE(ReadWindowPixels(hWnd, aPixels, &w, &h));
        for (DWORD& p : aPixels)
            p &= 0xFFFFFF;
        return aPixels;
    }

    static constexpr int DESKTOP_WIDTH = 96, DESKTOP_HEIGHT = 64;
    RECT m_rcOldDesktop{};
};

/// A surface of the format whose every pixel is a different, scrambled raw value.
SurfacePtr ScrambledSurface(DWORD dwWidth, DWORD dwHeight, const DDPIXELFORMAT& ddpf)
{
    SurfacePtr p = CDirectDrawSurface::Create(dwWidth, dwHeight, ddpf, DDSCAPS_PRIMARYSURFACE);
    if (p == nullptr)
        return p;
    DWORD dwSeed = 12345;
    ForEachRaw(*p,
               [&](DWORD& dwRaw, DWORD, DWORD)
               {
                   dwSeed = dwSeed * 1664525u + 1013904223u;
                   dwRaw = dwSeed;
               });
    return p;
}

TEST_F(WindowOutputTest, ShownFrameIsTheSurfaceAsShownInEveryFormat)
{
    struct SCase
    {
        const char* szName;
        DDPIXELFORMAT ddpf;
    };
    const SCase aCases[] = {
        {"RGB565", MakeRgbPixelFormat(16)},
        {"RGB555", MakePixelFormat(16, 0x7C00, 0x03E0, 0x001F)},
        {"BGR565", MakePixelFormat(16, 0x001F, 0x07E0, 0xF800)},
        {"ARGB1555", MakePixelFormat(16, 0x7C00, 0x03E0, 0x001F, 0x8000)},
        {"ARGB4444", MakePixelFormat(16, 0x0F00, 0x00F0, 0x000F, 0xF000)},
        {"XRGB8888", MakeRgbPixelFormat(32)},
        {"ARGB8888", MakePixelFormat(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000)},
        {"XBGR8888", MakePixelFormat(32, 0xFF, 0xFF00, 0xFF0000)},
        {"ABGR8888", MakePixelFormat(32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000)},
        {"RGB555 in 32 bits", MakePixelFormat(32, 0x7C00, 0x03E0, 0x001F)},
    };
    SWindowDesc windowed;
    windowed.nClientWidth = 40;
    windowed.nClientHeight = 30;
    const HWND hWindowed = CreateGameWindow(windowed);
    ASSERT_NE(nullptr, hWindowed);
    SetClientPosition(hWindowed, 50, 30); // hangs off the desktop's right edge by 14 pixels
    SWindowDesc full;
    full.nClientWidth = DESKTOP_WIDTH;
    full.nClientHeight = DESKTOP_HEIGHT;
    full.bFullScreen = true;
    const HWND hFull = CreateGameWindow(full);
    ASSERT_NE(nullptr, hFull);
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        // Windowed: each pixel under the window decoded on its own; beyond the surface's edge black.
        SurfacePtr pDesktop = ScrambledSurface(DESKTOP_WIDTH, DESKTOP_HEIGHT, c.ddpf);
        ASSERT_NE(nullptr, pDesktop);
        std::vector<DWORD> aExpected(40 * 30, 0);
        ForEachRaw(*pDesktop,
                   [&](DWORD& dwRaw, DWORD x, DWORD y)
                   {
                       if (x >= 50 && x < 90 && y >= 30 && y < 60)
                           aExpected[(y - 30) * 40 + x - 50] = pDesktop->GetLayout().ToArgb(dwRaw) & 0xFFFFFF;
                   });
        EXPECT_EQ(aExpected, ShowAndReadBack(hWindowed, *pDesktop));
        // Full screen: a 32 x 24 frame scaled onto the 96 x 64 desktop, as the surface converts in place.
        SurfacePtr pFrame = ScrambledSurface(32, 24, c.ddpf);
        ASSERT_NE(nullptr, pFrame);
        aExpected.assign(DESKTOP_WIDTH * DESKTOP_HEIGHT, 0);
        const RECT rcDest = FitFrame(32, 24, DESKTOP_WIDTH, DESKTOP_HEIGHT);
        ConvertFrame(*pFrame, RECT{0, 0, 32, 24}, aExpected.data(), DESKTOP_WIDTH, DESKTOP_HEIGHT, rcDest);
        for (DWORD& p : aExpected)
            p &= 0xFFFFFF;
        DWORD dwCentre = 0;
        ForEachRaw(*pFrame,
                   [&](DWORD& dwRaw, DWORD x, DWORD y)
                   {
                       if (x == 16 && y == 12)
                           dwCentre = pFrame->GetLayout().ToArgb(dwRaw) & 0xFFFFFF;
                   });
        EXPECT_EQ(dwCentre, aExpected[static_cast<size_t>(DESKTOP_WIDTH) * 32 + 48])
            << "the scaled frame's centre is the surface's centre";
        EXPECT_EQ(aExpected, ShowAndReadBack(hFull, *pFrame));
    }
    DestroyGameWindow(hFull);
    DestroyGameWindow(hWindowed);
}
} // namespace
