// An 812 x 600 back buffer with a device for the widgets, an artwork library of test pictures,
// the test clock, and the panel commands the widgets posted.
#pragma once

#include "fixtures/ImageFixtures.h"

#include "platform/win32/Clock.h"
#include "platform/win32/Messages.h"
#include "render/ArtLibraries.h"
#include "render/TextureManager.h"
#include "ui/Widget.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

/// A 24-bit bitmap file of w x h pixels, every pixel f(x, y) as 0x00RRGGBB.
template <class F> std::string BitmapFile(LONG w, LONG h, F f)
{
    SBmpDesc desc;
    desc.nWidth = w;
    desc.nHeight = h;
    for (LONG y = 0; y < h; ++y)
        for (LONG x = 0; x < w; ++x)
            desc.pixels.push_back(f(x, y));
    const std::vector<BYTE> bytes = EncodeBmp(desc);
    return std::string(bytes.begin(), bytes.end());
}

inline std::string FlatBitmap(LONG w, LONG h, DWORD dwColour)
{
    return BitmapFile(w, h, [dwColour](LONG, LONG) { return dwColour; });
}

/// A panel command as posted: its code and lParam.
using SCommand = std::pair<int, LPARAM>;

class CWidgetFixture : public ::testing::Test
{
protected:
    static constexpr LONG FRAME_WIDTH = 812;
    static constexpr LONG FRAME_HEIGHT = 600;

    void SetUp() override
    {
        SetTextureCaps(GetStandInTextureCaps());
        m_frame.pBackBuffer =
            CDirectDrawSurface::Create(FRAME_WIDTH, FRAME_HEIGHT, MakeRgbPixelFormat(32), DDSCAPS_3DDEVICE);
        m_pDevice = std::make_unique<CDirect3DDevice>(m_frame.pBackBuffer);
        m_frame.pDevice = m_pDevice.get();
        SetWidgetFrame(&m_frame);
        TakeCommands();
    }

    void TearDown() override
    {
        TakeCommands();
        SetWidgetFrame(nullptr);
        DeleteAllTextures();
    }

    /// Adds a picture to the artwork library; Install() makes the library.
    void AddPicture(const std::string& strName, const std::string& strBytes)
    {
        m_libs.Add("Imagery.dll", "#2", strName, strBytes);
    }
    void Install() { m_libs.Install(); }

    /// The panel commands posted since the last call.
    std::vector<SCommand> TakeCommands()
    {
        std::vector<SCommand> commands;
        MSG msg;
        while (PeekMessage(&msg, nullptr, WM_PANEL_COMMAND, WM_PANEL_COMMAND, PM_REMOVE))
            commands.emplace_back(static_cast<int>(msg.wParam - PANEL_COMMAND_BASE), msg.lParam);
        return commands;
    }

    DWORD FramePixel(LONG x, LONG y) const
    {
        return m_frame.pBackBuffer->GetPixelXrgb(static_cast<DWORD>(x), static_cast<DWORD>(y));
    }

    static SWidgetMouse Mouse(LONG x, LONG y, bool bLeftDown = false, bool bLeftReleased = false)
    {
        SWidgetMouse m;
        m.x = x;
        m.y = y;
        m.bLeftDown = bLeftDown;
        m.bLeftReleased = bLeftReleased;
        return m;
    }

    CTestClockScope m_clock{1000};
    CArtLibraries m_libs;
    SWidgetFrame m_frame;
    std::unique_ptr<CDirect3DDevice> m_pDevice;
    const RECT m_rcClient{0, 0, FRAME_WIDTH, FRAME_HEIGHT};
};

/// An 8-bit bitmap file whose pixel (x, y) has the palette index f(x, y); the palette is a grey
/// ramp, so that nothing but the index tells buttons apart.
template <class F> std::string MaskFile(LONG w, LONG h, F f)
{
    std::vector<DWORD> indices;
    for (LONG y = 0; y < h; ++y)
        for (LONG x = 0; x < w; ++x)
            indices.push_back(f(x, y));
    const std::vector<BYTE> bytes = EncodeGreyIndexedBmp(w, h, std::move(indices));
    return std::string(bytes.begin(), bytes.end());
}
