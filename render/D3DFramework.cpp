#include "render/D3DFramework.h"

#include "platform/window/Window.h"
#include "render/D3DEnum.h"

namespace
{
/// Maps a surface failure: video-memory shortage passes through so the caller can tell it apart.
HRESULT MapSurfaceFailure(HRESULT hr, HRESULT hrCode) { return hr == DDERR_OUTOFVIDEOMEMORY ? hr : hrCode; }

/// Z-buffer format search: keeps each format with the wanted flags and stops at the first of 16 bits.
struct SZFormatSearch
{
    DDPIXELFORMAT* pFound;
    DWORD dwWantedFlags;
};

HRESULT ZFormatCallback(DDPIXELFORMAT* pFormat, void* pContext)
{
    auto* pSearch = static_cast<SZFormatSearch*>(pContext);
    if (pFormat == nullptr || pSearch == nullptr)
        return D3DENUMRET_CANCEL;
    if (pFormat->dwFlags == pSearch->dwWantedFlags)
    {
        *pSearch->pFound = *pFormat;
        pSearch->pFound->dwSize = DDPIXELFORMAT_SIZE;
        if (pFormat->dwRGBBitCount == 16)
            return D3DENUMRET_CANCEL;
    }
    return D3DENUMRET_OK;
}
} // namespace

void CD3DFramework::InitSurfaceDesc(DDSURFACEDESC2& desc, DWORD dwFlags, DWORD dwCaps)
{
    desc = DDSURFACEDESC2{};
    desc.dwSize = DDSURFACEDESC2_SIZE;
    desc.dwFlags = dwFlags;
    desc.ddsCaps.dwCaps = dwCaps;
    desc.ddpfPixelFormat.dwSize = DDPIXELFORMAT_SIZE;
}

void CD3DFramework::InitViewport(D3DVIEWPORT2& vp, DWORD dwWidth, DWORD dwHeight)
{
    vp = MakeFullViewport(dwWidth, dwHeight);
}

// ---------------------------------------------------------------------------------------------------------------------
// Creation
// ---------------------------------------------------------------------------------------------------------------------

HRESULT CD3DFramework::Initialize(HWND hWnd, const GUID* pDriverGuid, const GUID* pDeviceGuid,
                                  const DDSURFACEDESC2* pMode, DWORD dwFlags)
{
    const bool bFullscreen = (dwFlags & D3DFW_FULLSCREEN) != 0;
    if (hWnd == nullptr || (bFullscreen && pMode == nullptr))
        return E_INVALIDARG;
    m_hWnd = hWnd;
    m_bIsFullscreen = bFullscreen ? TRUE : FALSE;

    HRESULT hr = CreateDirectDraw(pDriverGuid);
    if (SUCCEEDED(hr) && pDeviceGuid != nullptr)
        hr = FindDeviceAndZFormat(pDeviceGuid, dwFlags);
    if (SUCCEEDED(hr))
        hr = SetCooperativeLevel(dwFlags);
    if (SUCCEEDED(hr))
        hr = bFullscreen ? CreateFullscreenBuffers(pMode, dwFlags) : CreateWindowedBuffers(dwFlags);
    if (SUCCEEDED(hr) && pDeviceGuid != nullptr)
    {
        hr = CreateZBuffer(dwFlags);
        if (SUCCEEDED(hr))
            hr = CreateDevice(pDeviceGuid);
        if (SUCCEEDED(hr))
            hr = CreateViewport();
    }
    if (FAILED(hr))
    {
        DestroyObjects();
        return hr == E_FAIL ? D3DFWERR_INITIALIZATIONFAILED : hr;
    }
    return S_OK;
}

HRESULT CD3DFramework::CreateDirectDraw(const GUID* pDriverGuid)
{
    if (!LoadDirectDrawLibrary() || FAILED(g_pfnDirectDrawCreate(g_hDDrawModule, pDriverGuid, &m_pDD)))
        return D3DFWERR_NODIRECTDRAW;
    return S_OK;
}

HRESULT CD3DFramework::FindDeviceAndZFormat(const GUID* pDeviceGuid, DWORD dwFlags)
{
    if (FAILED(m_pDD->QueryDirect3D(&m_pD3D)))
        return D3DFWERR_NODIRECT3D;
    D3DFINDDEVICESEARCH search;
    search.dwSize = 92;
    search.dwFlags = D3DFDS_GUID;
    search.guid = *pDeviceGuid;
    D3DFINDDEVICERESULT result;
    result.dwSize = 524;
    if (FAILED(m_pD3D->FindDevice(&search, &result)))
        return D3DFWERR_NODIRECT3D;
    const bool bSoftware = result.ddHwDesc.dwFlags == 0;
    m_dwDeviceMemType = bSoftware ? DDSCAPS_SYSTEMMEMORY : DDSCAPS_VIDEOMEMORY;
    m_ddDeviceDesc = bSoftware ? result.ddSwDesc : result.ddHwDesc;

    m_ddpfZBuffer = DDPIXELFORMAT{};
    SZFormatSearch zs{&m_ddpfZBuffer,
                      (dwFlags & D3DFW_STENCILBUFFER) ? (DDPF_ZBUFFER | DDPF_STENCILBUFFER) : DDPF_ZBUFFER};
    m_ddpfZBuffer.dwFlags = zs.dwWantedFlags;
    m_pD3D->EnumZBufferFormats(*pDeviceGuid, &ZFormatCallback, &zs);
    if (m_ddpfZBuffer.dwSize != DDPIXELFORMAT_SIZE)
        return D3DFWERR_NOZBUFFER;
    return S_OK;
}

HRESULT CD3DFramework::SetCooperativeLevel(DWORD dwFlags)
{
    DWORD dwLevel = m_bIsFullscreen ? (DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE) : DDSCL_NORMAL;
    if (!(dwFlags & D3DFW_NO_FPUSETUP))
        dwLevel |= DDSCL_FPUSETUP;
    return FAILED(m_pDD->SetCooperativeLevel(m_hWnd, dwLevel)) ? D3DFWERR_COULDNTSETCOOPLEVEL : S_OK;
}

HRESULT CD3DFramework::CreateFullscreenBuffers(const DDSURFACEDESC2* pMode, DWORD dwFlags)
{
    m_dwRenderWidth = pMode->dwWidth;
    m_dwRenderHeight = pMode->dwHeight;
    m_rcViewportRect = RECT{0, 0, static_cast<LONG>(m_dwRenderWidth), static_cast<LONG>(m_dwRenderHeight)};
    m_rcScreenRect = m_rcViewportRect;
    const DWORD dwBits = pMode->ddpfPixelFormat.dwRGBBitCount;
    const DWORD dwModeFlags =
        (m_dwRenderWidth == 320 && m_dwRenderHeight == 200 && dwBits == 8) ? DDSDM_STANDARDVGAMODE : 0;
    if (FAILED(m_pDD->SetDisplayMode(m_dwRenderWidth, m_dwRenderHeight, dwBits, pMode->dwRefreshRate, dwModeFlags)))
        return D3DFWERR_BADDISPLAYMODE;

    DDSURFACEDESC2 desc;
    InitSurfaceDesc(desc, DDSD_CAPS, DDSCAPS_PRIMARYSURFACE | DDSCAPS_3DDEVICE);
    if (dwFlags & D3DFW_BACKBUFFER)
    {
        desc.dwFlags |= DDSD_BACKBUFFERCOUNT;
        desc.ddsCaps.dwCaps |= DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        // Two back buffers only when the device could also run in a window.
        DDCAPS hw;
        m_pDD->GetCaps(&hw, nullptr);
        desc.dwBackBufferCount = 1;
        if (TripleBufferWanted() && (hw.dwCaps2 & DDCAPS2_CANRENDERWINDOWED))
            desc.dwBackBufferCount = 2;
        else
            SwitchTripleBufferOff();
    }
    HRESULT hr = m_pDD->CreateSurface(&desc, &m_pddsFrontBuffer);
    if (FAILED(hr))
    {
        desc.dwBackBufferCount = (dwFlags & D3DFW_BACKBUFFER) ? 1 : 0;
        SwitchTripleBufferOff();
        hr = m_pDD->CreateSurface(&desc, &m_pddsFrontBuffer);
        if (FAILED(hr))
            return MapSurfaceFailure(hr, D3DFWERR_NOPRIMARY);
    }
    if (dwFlags & D3DFW_BACKBUFFER)
    {
        const DDSCAPS2 caps{DDSCAPS_BACKBUFFER};
        hr = m_pddsFrontBuffer->GetAttachedSurface(&caps, &m_pddsBackBuffer);
        if (FAILED(hr))
            return MapSurfaceFailure(hr, D3DFWERR_NOBACKBUFFER);
    }
    m_pRenderTarget = (dwFlags & D3DFW_BACKBUFFER) ? m_pddsBackBuffer : m_pddsFrontBuffer;

    // Start from a black screen: paint the whole target black and show it once.
    DDBLTFX fx;
    fx.dwSize = sizeof(fx);
    fx.dwFillColor = 0;
    m_pRenderTarget->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    m_pddsFrontBuffer->Flip(nullptr, DDFLIP_WAIT);
    return S_OK;
}

HRESULT CD3DFramework::CreateWindowedBuffers(DWORD dwFlags)
{
    GetClientRect(m_hWnd, &m_rcViewportRect);
    m_rcScreenRect = m_rcViewportRect;
    POINT topLeft{m_rcScreenRect.left, m_rcScreenRect.top};
    ClientToScreen(m_hWnd, &topLeft);
    m_rcScreenRect = RECT{topLeft.x, topLeft.y, topLeft.x + (m_rcViewportRect.right - m_rcViewportRect.left),
                          topLeft.y + (m_rcViewportRect.bottom - m_rcViewportRect.top)};
    m_dwRenderWidth = static_cast<DWORD>(m_rcViewportRect.right - m_rcViewportRect.left);
    m_dwRenderHeight = static_cast<DWORD>(m_rcViewportRect.bottom - m_rcViewportRect.top);

    const bool bBackBuffer = (dwFlags & D3DFW_BACKBUFFER) != 0;
    DDSURFACEDESC2 desc;
    InitSurfaceDesc(desc, DDSD_CAPS, DDSCAPS_PRIMARYSURFACE | (bBackBuffer ? 0 : DDSCAPS_3DDEVICE));
    HRESULT hr = m_pDD->CreateSurface(&desc, &m_pddsFrontBuffer);
    if (FAILED(hr))
        return MapSurfaceFailure(hr, D3DFWERR_NOPRIMARY);
    std::shared_ptr<CDirectDrawClipper> pClipper;
    if (FAILED(m_pDD->CreateClipper(0, &pClipper)))
        return D3DFWERR_NOCLIPPER;
    pClipper->SetHWnd(0, m_hWnd);
    m_pddsFrontBuffer->SetClipper(pClipper);

    if (bBackBuffer)
    {
        InitSurfaceDesc(desc, DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE);
        desc.dwWidth = m_dwRenderWidth;
        desc.dwHeight = m_dwRenderHeight;
        hr = m_pDD->CreateSurface(&desc, &m_pddsBackBuffer);
        if (FAILED(hr))
            return MapSurfaceFailure(hr, D3DFWERR_NOBACKBUFFER);
        m_pRenderTarget = m_pddsBackBuffer;
    }
    else
    {
        // Drawing goes straight onto the primary, which is addressed in screen coordinates.
        m_rcViewportRect = m_rcScreenRect;
        m_pRenderTarget = m_pddsFrontBuffer;
    }
    return S_OK;
}

HRESULT CD3DFramework::CreateZBuffer(DWORD dwFlags)
{
    if (!(dwFlags & D3DFW_ZBUFFER) || (m_ddDeviceDesc.dpcTriCaps.dwRasterCaps & D3DPRASTERCAPS_ZBUFFERLESSHSR))
        return S_OK;
    DDSURFACEDESC2 desc;
    InitSurfaceDesc(desc, DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT, m_dwDeviceMemType | DDSCAPS_ZBUFFER);
    desc.dwWidth = m_dwRenderWidth;
    desc.dwHeight = m_dwRenderHeight;
    desc.ddpfPixelFormat = m_ddpfZBuffer;
    HRESULT hr = m_pDD->CreateSurface(&desc, &m_pddsZBuffer);
    if (SUCCEEDED(hr))
        hr = m_pRenderTarget->AddAttachedSurface(m_pddsZBuffer);
    return FAILED(hr) ? MapSurfaceFailure(hr, D3DFWERR_NOZBUFFER) : S_OK;
}

HRESULT CD3DFramework::CreateDevice(const GUID* pDeviceGuid)
{
    DDSURFACEDESC2 mode;
    m_pDD->GetDisplayMode(&mode);
    if (mode.ddpfPixelFormat.dwRGBBitCount <= 8)
        return D3DFWERR_INVALIDMODE;
    if (FAILED(m_pD3D->CreateDevice(*pDeviceGuid, m_pRenderTarget, &m_pd3dDevice)))
        return D3DFWERR_NO3DDEVICE;
    return S_OK;
}

HRESULT CD3DFramework::CreateViewport()
{
    // A panel as tall as the target or taller would leave an empty or negative viewport: refuse it.
    if (g_nPanelHeight < 0 || m_dwRenderHeight <= static_cast<DWORD>(g_nPanelHeight))
        return D3DFWERR_NOVIEWPORT;
    D3DVIEWPORT2 vp;
    InitViewport(vp, m_dwRenderWidth, m_dwRenderHeight - static_cast<DWORD>(g_nPanelHeight));
    if (FAILED(m_pD3D->CreateViewport(&m_pvViewport)) || FAILED(m_pd3dDevice->AddViewport(m_pvViewport)) ||
        FAILED(m_pvViewport->SetViewport2(&vp)) || FAILED(m_pd3dDevice->SetCurrentViewport(m_pvViewport)))
        return D3DFWERR_NOVIEWPORT;
    return S_OK;
}

// ---------------------------------------------------------------------------------------------------------------------
// Presenting, restoring, releasing
// ---------------------------------------------------------------------------------------------------------------------

HRESULT CD3DFramework::ShowFrame()
{
    if (m_pddsFrontBuffer == nullptr)
        return D3DFWERR_NOFRONTBUFFER;
    if (m_pddsBackBuffer == nullptr)
        return m_pddsFrontBuffer->IsLost();
    if (m_bIsFullscreen)
    {
        const bool bWait = m_pbWaitFlip == nullptr || *m_pbWaitFlip;
        return m_pddsFrontBuffer->Flip(nullptr, bWait ? DDFLIP_WAIT : DDFLIP_NOVSYNC);
    }
    return m_pddsFrontBuffer->Blt(&m_rcScreenRect, m_pddsBackBuffer.get(), &m_rcViewportRect, DDBLT_WAIT, nullptr);
}

HRESULT CD3DFramework::RestoreSurfaces()
{
    for (const SurfacePtr& p : {m_pddsFrontBuffer, m_pddsBackBuffer, m_pddsZBuffer})
        if (p != nullptr && p->IsLost() != DD_OK)
            p->Restore();
    return S_OK;
}

HRESULT CD3DFramework::FlipToGDISurface(BOOL bDrawFrame)
{
    if (m_pDD == nullptr || !m_bIsFullscreen)
        return S_OK;
    SurfacePtr pGdi;
    if (SUCCEEDED(m_pDD->GetGDISurface(&pGdi)) && m_pddsFrontBuffer != nullptr && pGdi != m_pddsFrontBuffer)
        pGdi->Blt(nullptr, m_pddsFrontBuffer.get(), nullptr, DDBLT_WAIT, nullptr);
    for (int i = 0; i < 3; ++i)
        m_pDD->FlipToGDISurface();
    if (m_pvViewport != nullptr)
    {
        const D3DRECT rc{m_rcViewportRect.left, m_rcViewportRect.top, m_rcViewportRect.right, m_rcViewportRect.bottom};
        m_pvViewport->Clear(1, &rc, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
    }
    // The stand-in's windows have no menu bar or frame of their own to redraw.
    (void)bDrawFrame;
    return S_OK;
}

void CD3DFramework::Move(LONG x, LONG y)
{
    if (m_bIsFullscreen)
        return;
    m_rcScreenRect = RECT{x, y, x + static_cast<LONG>(m_dwRenderWidth), y + static_cast<LONG>(m_dwRenderHeight)};
    if (m_pddsBackBuffer == nullptr)
        m_rcViewportRect = m_rcScreenRect;
}

HRESULT CD3DFramework::DestroyObjects()
{
    m_pvViewport.reset();
    m_pd3dDevice.reset();
    // In full screen the back buffer belongs to the primary's flipping chain and goes with it.
    m_pddsBackBuffer.reset();
    m_pRenderTarget.reset();
    m_pddsZBuffer.reset();
    m_pddsFrontBuffer.reset();
    m_pD3D.reset();
    if (m_pDD != nullptr)
    {
        m_pDD->SetCooperativeLevel(m_hWnd, DDSCL_NORMAL);
        m_pDD.reset();
    }
    return S_OK;
}
