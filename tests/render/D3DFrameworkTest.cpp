#include "render/D3DFramework.h"

#include "FrameworkFixture.h"

TEST_F(CFrameworkFixture, WindowedCreationBuildsEveryObject)
{
    ASSERT_EQ(S_OK, InitWindowed());
    EXPECT_EQ(320u, m_framework.GetRenderWidth());
    EXPECT_EQ(240u, m_framework.GetRenderHeight());
    EXPECT_EQ(DDSCAPS_SYSTEMMEMORY, m_framework.GetDeviceMemType());
    EXPECT_EQ(m_framework.GetBackBuffer(), m_framework.GetRenderTarget());
    ASSERT_NE(nullptr, m_framework.GetZBuffer());
    EXPECT_EQ(16u, m_framework.GetZBuffer()->GetBitsPerPixel());
    ASSERT_NE(nullptr, m_framework.GetD3DDevice());
    D3DVIEWPORT2 vp;
    ASSERT_EQ(D3D_OK, m_framework.GetViewport()->GetViewport2(&vp));
    EXPECT_EQ(320u, vp.dwWidth);
    EXPECT_EQ(200u, vp.dwHeight) << "the panel strip is left out";
    EXPECT_EQ(-1.0f, vp.dvClipX);
    EXPECT_EQ(1.0f, vp.dvClipY);
    EXPECT_EQ(2.0f, vp.dvClipWidth);
    EXPECT_EQ((RECT{0, 0, 320, 240}), *m_framework.GetViewportRect());
}

TEST_F(CFrameworkFixture, ShowFrameCopiesTheBackBufferToTheWindowsPlaceOnTheScreen)
{
    ASSERT_EQ(S_OK, InitWindowed());
    const int nPresentsBefore = GetPresentCount(m_hWnd);
    m_framework.GetViewport()->Clear2(0, nullptr, D3DCLEAR_TARGET, 0x336699, 1, 0);
    ASSERT_EQ(DD_OK, m_framework.ShowFrame());
    const RECT& rc = m_framework.GetScreenRect();
    EXPECT_EQ(0x336699u, m_framework.GetFrontBuffer()->GetPixelXrgb(static_cast<DWORD>(rc.left) + 5,
                                                                    static_cast<DWORD>(rc.top) + 5));
    EXPECT_EQ(nPresentsBefore + 1, GetPresentCount(m_hWnd));
    m_framework.Move(10, 20);
    EXPECT_EQ((RECT{10, 20, 330, 260}), m_framework.GetScreenRect());
    EXPECT_EQ((RECT{0, 0, 320, 240}), *m_framework.GetViewportRect()) << "with a back buffer it stays";
}

TEST_F(CFrameworkFixture, FullscreenCreationFlipsAndReadsTheWaitSetting)
{
    BOOL bTriple = FALSE, bWaitFlip = FALSE;
    m_framework.BindSettings(&bTriple, &bWaitFlip);
    ASSERT_EQ(S_OK, InitFullscreen());
    EXPECT_EQ(640u, m_framework.GetRenderWidth());
    EXPECT_EQ(480u, m_framework.GetRenderHeight());
    EXPECT_EQ(640u, m_framework.GetFrontBuffer()->GetWidth());
    m_framework.GetViewport()->Clear2(0, nullptr, D3DCLEAR_TARGET, 0x00FF00, 1, 0);
    ASSERT_EQ(DD_OK, m_framework.ShowFrame());
    EXPECT_EQ(0x00FF00u, m_framework.GetFrontBuffer()->GetPixelXrgb(1, 1));
    m_framework.Move(50, 50);
    EXPECT_EQ((RECT{0, 0, 640, 480}), m_framework.GetScreenRect()) << "full screen does not move";
    EXPECT_EQ(S_OK, m_framework.FlipToGDISurface(TRUE));
}

TEST_F(CFrameworkFixture, TripleBufferIsSwitchedOffWhenItCannotBeHad)
{
    struct SCase
    {
        const char* szName;
        bool bCanRenderWindowed;
        HRESULT hrTripleFault;
    };
    const SCase aCases[] = {
        {"device cannot also run in a window", false, DD_OK},
        {"two back buffers refused: retried with one", true, DDERR_OUTOFVIDEOMEMORY},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        m_adapter.aDrivers[0].ddHwCaps.dwCaps2 = c.bCanRenderWindowed ? DDCAPS2_CANRENDERWINDOWED : 0;
        m_adapter.faults.hrCreateTripleBuffered = c.hrTripleFault;
        BOOL bTriple = TRUE;
        m_framework.BindSettings(&bTriple, nullptr);
        EXPECT_EQ(S_OK, InitFullscreen());
        EXPECT_FALSE(bTriple);
        EXPECT_NE(nullptr, m_framework.GetBackBuffer());
        m_framework.DestroyObjects();
    }
    m_adapter.aDrivers[0].ddHwCaps.dwCaps2 = DDCAPS2_CANRENDERWINDOWED;
    m_adapter.faults.hrCreateTripleBuffered = DD_OK;
    BOOL bTriple = TRUE;
    m_framework.BindSettings(&bTriple, nullptr);
    EXPECT_EQ(S_OK, InitFullscreen());
    EXPECT_TRUE(bTriple) << "kept when it can be had";
}

TEST_F(CFrameworkFixture, CreationFailuresMapToTheirCodesAndReleaseEverything)
{
    struct SCase
    {
        const char* szName;
        void (*pfnBreak)(CDisplayAdapter&);
        bool bFullscreen;
        HRESULT hrWant;
    };
    const SCase aCases[] = {
        {"no DirectDraw", [](CDisplayAdapter& a) { a.aDrivers[0].bCreateFails = true; }, false, D3DFWERR_NODIRECTDRAW},
        {"no Direct3D", [](CDisplayAdapter& a) { a.aDrivers[0].bNoDirect3D = true; }, false, D3DFWERR_NODIRECT3D},
        {"device not found", [](CDisplayAdapter& a) { a.faults.hrFindDevice = DDERR_NOTFOUND; }, false,
         D3DFWERR_NODIRECT3D},
        {"no 16-bit z format", [](CDisplayAdapter& a) { a.aDrivers[0].aDevices[0].aZBufferFormats.clear(); }, false,
         D3DFWERR_NOZBUFFER},
        {"cooperative level refused", [](CDisplayAdapter& a) { a.faults.hrSetCooperativeLevel = E_FAIL; }, false,
         D3DFWERR_COULDNTSETCOOPLEVEL},
        {"display mode refused", [](CDisplayAdapter& a) { a.faults.hrSetDisplayMode = E_FAIL; }, true,
         D3DFWERR_BADDISPLAYMODE},
        {"no primary", [](CDisplayAdapter& a) { a.faults.hrCreatePrimary = E_FAIL; }, false, D3DFWERR_NOPRIMARY},
        {"no primary for lack of video memory, full screen",
         [](CDisplayAdapter& a) { a.faults.hrCreatePrimary = DDERR_OUTOFVIDEOMEMORY; }, true, DDERR_OUTOFVIDEOMEMORY},
        {"no clipper", [](CDisplayAdapter& a) { a.faults.hrCreateClipper = E_FAIL; }, false, D3DFWERR_NOCLIPPER},
        {"no back buffer", [](CDisplayAdapter& a) { a.faults.hrCreateOffscreen = E_FAIL; }, false,
         D3DFWERR_NOBACKBUFFER},
        {"no back buffer for lack of video memory",
         [](CDisplayAdapter& a) { a.faults.hrCreateOffscreen = DDERR_OUTOFVIDEOMEMORY; }, false,
         DDERR_OUTOFVIDEOMEMORY},
        {"no z-buffer", [](CDisplayAdapter& a) { a.faults.hrCreateZBuffer = E_FAIL; }, false, D3DFWERR_NOZBUFFER},
        {"no z-buffer for lack of video memory",
         [](CDisplayAdapter& a) { a.faults.hrCreateZBuffer = DDERR_OUTOFVIDEOMEMORY; }, false, DDERR_OUTOFVIDEOMEMORY},
        {"8-bit desktop in a window", [](CDisplayAdapter& a) { a.dwDesktopBits = 8; }, false, D3DFWERR_INVALIDMODE},
        {"device refused", [](CDisplayAdapter& a) { a.faults.hrCreateDevice = E_FAIL; }, false, D3DFWERR_NO3DDEVICE},
        {"viewport refused", [](CDisplayAdapter& a) { a.faults.hrCreateViewport = E_FAIL; }, false,
         D3DFWERR_NOVIEWPORT},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        m_adapter = CDisplayAdapter::MakeSoftware(1024, 768, 32, {{640, 480}, {800, 600}});
        c.pfnBreak(m_adapter);
        EXPECT_EQ(c.hrWant, c.bFullscreen ? InitFullscreen() : InitWindowed());
        ExpectAllReleased();
    }
}

TEST_F(CFrameworkFixture, EightBitFullscreenModeFailsLikeTheDesktop)
{
    EXPECT_EQ(D3DFWERR_INVALIDMODE, InitFullscreen(8));
    ExpectAllReleased();
}

TEST_F(CFrameworkFixture, PanelTallerThanTheWindowIsRefusedNotAnEmptyViewport)
{
    // The panel strip leaves no rows for the 3-D view; a zero-high viewport would divide the aspect by zero.
    for (const int nPanel : {240, 300})
    {
        SCOPED_TRACE(nPanel);
        g_nPanelHeight = nPanel;
        EXPECT_EQ(D3DFWERR_NOVIEWPORT, InitWindowed());
        ExpectAllReleased();
    }
}

TEST_F(CFrameworkFixture, ArgumentsAndOptionalPartsAreHonoured)
{
    EXPECT_EQ(E_INVALIDARG, m_framework.Initialize(nullptr, nullptr, &IID_IDirect3DRGBDevice, nullptr, 0));
    EXPECT_EQ(E_INVALIDARG,
              m_framework.Initialize(m_hWnd, nullptr, &IID_IDirect3DRGBDevice, nullptr, D3DFW_FULLSCREEN));
    EXPECT_EQ(D3DFWERR_NOFRONTBUFFER, m_framework.ShowFrame());

    m_adapter.aDrivers[0].aDevices[0].ddHelDesc.dpcTriCaps.dwRasterCaps = D3DPRASTERCAPS_ZBUFFERLESSHSR;
    ASSERT_EQ(S_OK, InitWindowed());
    EXPECT_EQ(nullptr, m_framework.GetZBuffer()) << "hidden surfaces removed without one";
    m_framework.DestroyObjects();

    // Without a device identifier creation ends after the buffers; without a back buffer the front is the target.
    ASSERT_EQ(S_OK, m_framework.Initialize(m_hWnd, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(nullptr, m_framework.GetD3DDevice());
    EXPECT_EQ(m_framework.GetFrontBuffer(), m_framework.GetRenderTarget());
    EXPECT_EQ(m_framework.GetScreenRect(), *m_framework.GetViewportRect());
    EXPECT_EQ(DD_OK, m_framework.ShowFrame());
    m_framework.Move(7, 9);
    EXPECT_EQ((RECT{7, 9, 327, 249}), *m_framework.GetViewportRect());
}

TEST_F(CFrameworkFixture, RestoreSurfacesBringsBackLostSurfaces)
{
    ASSERT_EQ(S_OK, InitWindowed());
    m_framework.GetFrontBuffer()->MarkLost();
    m_framework.GetZBuffer()->MarkLost();
    EXPECT_EQ(DDERR_SURFACELOST, m_framework.ShowFrame());
    EXPECT_EQ(S_OK, m_framework.RestoreSurfaces());
    EXPECT_EQ(DD_OK, m_framework.GetFrontBuffer()->IsLost());
    EXPECT_EQ(DD_OK, m_framework.GetZBuffer()->IsLost());
    EXPECT_EQ(DD_OK, m_framework.ShowFrame());
    EXPECT_EQ(S_OK, m_framework.DestroyObjects());
    ExpectAllReleased();
}
