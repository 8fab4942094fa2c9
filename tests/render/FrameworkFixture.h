// A framework's test fixture: a window on SDL's dummy driver (unless the environment names
// another) and the stand-in's software adapter, with the framework made windowed or full screen.
#pragma once

#include "FakeAdapter.h"

#include "platform/window/Window.h"
#include "render/D3DFramework.h"

#include <cstdlib>
#include <memory>

/// A window on SDL's dummy driver (unless the environment names another) and the stand-in's adapter.
class CFrameworkFixture : public CEnumFixture
{
protected:
    void SetUp() override
    {
        CEnumFixture::SetUp();
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        m_adapter = CDisplayAdapter::MakeSoftware(1024, 768, 32, {{640, 480}, {800, 600}});
        m_adapter.pfnWindowOutput = &GetWindowOutput;
        m_pScope = std::make_unique<CDisplayAdapterScope>(&m_adapter);
        SWindowDesc desc;
        desc.nClientWidth = 320;
        desc.nClientHeight = 240;
        m_hWnd = CreateGameWindow(desc);
        ASSERT_NE(nullptr, m_hWnd);
        g_nPanelHeight = 40;
    }
    void TearDown() override
    {
        m_framework.DestroyObjects();
        DestroyGameWindow(m_hWnd);
        m_pScope.reset();
        g_nPanelHeight = 0;
        CEnumFixture::TearDown();
    }

    HRESULT InitWindowed(DWORD dwFlags = D3DFW_BACKBUFFER | D3DFW_ZBUFFER)
    {
        return m_framework.Initialize(m_hWnd, nullptr, &IID_IDirect3DRGBDevice, nullptr, dwFlags);
    }
    HRESULT InitFullscreen(DWORD dwBits = 32)
    {
        m_mode.dwWidth = 640;
        m_mode.dwHeight = 480;
        m_mode.ddpfPixelFormat = MakeRgbPixelFormat(dwBits);
        m_mode.ddpfPixelFormat.dwRGBBitCount = dwBits;
        return m_framework.Initialize(m_hWnd, nullptr, &IID_IDirect3DRGBDevice, &m_mode,
                                      D3DFW_FULLSCREEN | D3DFW_BACKBUFFER | D3DFW_ZBUFFER);
    }
    void ExpectAllReleased() const
    {
        EXPECT_EQ(nullptr, m_framework.GetDirectDraw());
        EXPECT_EQ(nullptr, m_framework.GetDirect3D());
        EXPECT_EQ(nullptr, m_framework.GetD3DDevice());
        EXPECT_EQ(nullptr, m_framework.GetViewport());
        EXPECT_EQ(nullptr, m_framework.GetFrontBuffer());
        EXPECT_EQ(nullptr, m_framework.GetBackBuffer());
        EXPECT_EQ(nullptr, m_framework.GetRenderTarget());
        EXPECT_EQ(nullptr, m_framework.GetZBuffer());
    }

    CDisplayAdapter m_adapter;
    std::unique_ptr<CDisplayAdapterScope> m_pScope;
    HWND m_hWnd = nullptr;
    DDSURFACEDESC2 m_mode;
    CD3DFramework m_framework;
};
