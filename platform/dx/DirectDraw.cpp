#include "platform/dx/DirectDraw.h"

#include <cstring>

// ---------------------------------------------------------------------------------------------------------------------
// The adapter
// ---------------------------------------------------------------------------------------------------------------------

namespace
{
/// The refreshes a second of a display mode that names none.
constexpr DWORD DEFAULT_REFRESH_HZ = 60;

/// The stand-in draws every frame in 16 or 32 bits; on a display of any other depth its surfaces use 32.
DDPIXELFORMAT SurfaceFormatOfMode(const DDSURFACEDESC2& mode)
{
    const DWORD dwBits = mode.ddpfPixelFormat.dwRGBBitCount;
    return MakeRgbPixelFormat(dwBits == 16 ? 16 : 32);
}

DDSURFACEDESC2 MakeModeDesc(DWORD dwWidth, DWORD dwHeight, DWORD dwBits)
{
    DDSURFACEDESC2 d;
    d.dwSize = DDSURFACEDESC2_SIZE;
    d.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_PITCH;
    d.dwWidth = dwWidth;
    d.dwHeight = dwHeight;
    d.lPitch = static_cast<LONG>(dwWidth * dwBits / 8);
    d.dwRefreshRate = DEFAULT_REFRESH_HZ;
    d.ddpfPixelFormat = MakeRgbPixelFormat(dwBits);
    return d;
}

CDisplayAdapter& BuiltInAdapter()
{
    static CDisplayAdapter s_adapter =
        CDisplayAdapter::MakeSoftware(1024, 768, 32, {SIZE{640, 480}, SIZE{800, 600}, SIZE{1024, 768}});
    return s_adapter;
}

// The installed adapter: set by the window layer at start-up or by a test; the main thread only.
CDisplayAdapter* s_pAdapter = nullptr;
bool s_bAdapterSet = false;
} // namespace

CDisplayAdapter CDisplayAdapter::MakeSoftware(DWORD dwDesktopWidth, DWORD dwDesktopHeight, DWORD dwDesktopBits,
                                              const std::vector<SIZE>& aModeSizes)
{
    CDisplayAdapter a;
    a.dwDesktopWidth = dwDesktopWidth;
    a.dwDesktopHeight = dwDesktopHeight;
    a.dwDesktopBits = dwDesktopBits;
    SAdapterDriver drv;
    drv.strDescription = "Display";
    drv.strName = "display";
    drv.ddHwCaps.dwSize = drv.ddHelCaps.dwSize = DDCAPS_SIZE;
    drv.ddHwCaps.dwCaps2 = DDCAPS2_CANRENDERWINDOWED;
    SAdapterDevice dev;
    dev.guid = IID_IDirect3DRGBDevice;
    dev.strDescription = "Software rasterizer";
    dev.strName = "RGB Emulation";
    dev.ddHwDesc.dwSize = dev.ddHelDesc.dwSize = D3DDEVICEDESC_SIZE;
    dev.ddHelDesc.dwFlags = 0x7FF; // every field of the description is valid
    dev.ddHelDesc.dcmColorModel = D3DCOLOR_RGB;
    dev.ddHelDesc.dwDeviceRenderBitDepth = DDBD_16 | DDBD_32;
    dev.ddHelDesc.dwDeviceZBufferBitDepth = DDBD_16 | DDBD_32;
    dev.aZBufferFormats.push_back(MakeZBufferPixelFormat(16));
    dev.aZBufferFormats.push_back(MakeZBufferPixelFormat(32));
    drv.aDevices.push_back(dev);
    for (const DWORD dwBits : {16u, 32u})
        for (const SIZE& s : aModeSizes)
            drv.aModes.push_back(MakeModeDesc(static_cast<DWORD>(s.cx), static_cast<DWORD>(s.cy), dwBits));
    a.aDrivers.push_back(drv);
    return a;
}

CDisplayAdapter* LoadDisplayAdapter() { return s_bAdapterSet ? s_pAdapter : &BuiltInAdapter(); }

void SetDisplayAdapter(CDisplayAdapter* pAdapter)
{
    s_pAdapter = pAdapter;
    s_bAdapterSet = true;
}

CDisplayAdapterScope::CDisplayAdapterScope(CDisplayAdapter* pAdapter)
    : m_pPrevious(s_pAdapter), m_bHadPrevious(s_bAdapterSet)
{
    SetDisplayAdapter(pAdapter);
}

CDisplayAdapterScope::~CDisplayAdapterScope()
{
    s_pAdapter = m_pPrevious;
    s_bAdapterSet = m_bHadPrevious;
}

HRESULT DirectDrawEnumerateEx(CDisplayAdapter* pAdapter, DriverEnumCallbackFn pfnCallback, void* pContext,
                              DWORD /*dwFlags*/)
{
    if (pAdapter == nullptr || pfnCallback == nullptr)
        return DDERR_INVALIDPARAMS;
    for (SAdapterDriver& drv : pAdapter->aDrivers)
    {
        GUID guid = drv.guid;
        if (!pfnCallback(drv.bHasGuid ? &guid : nullptr, drv.strDescription.c_str(), drv.strName.c_str(), pContext,
                         nullptr))
            break;
    }
    return DD_OK;
}

HRESULT DirectDrawCreate(CDisplayAdapter* pAdapter, const GUID* pGuid, DirectDrawPtr* ppDD)
{
    if (pAdapter == nullptr || ppDD == nullptr)
        return DDERR_INVALIDPARAMS;
    for (const SAdapterDriver& drv : pAdapter->aDrivers)
    {
        const bool bMatch = pGuid == nullptr ? !drv.bHasGuid : (drv.bHasGuid && drv.guid == *pGuid);
        if (!bMatch)
            continue;
        if (drv.bCreateFails)
            return DDERR_GENERIC;
        *ppDD = std::make_shared<CDirectDraw>(pAdapter, &drv);
        return DD_OK;
    }
    return DDERR_INVALIDPARAMS;
}

// ---------------------------------------------------------------------------------------------------------------------
// DirectDraw
// ---------------------------------------------------------------------------------------------------------------------

CDirectDraw::CDirectDraw(CDisplayAdapter* pAdapter, const SAdapterDriver* pDriver)
    : m_pAdapter(pAdapter), m_pDriver(pDriver)
{
}

HRESULT CDirectDraw::QueryDirect3D(std::shared_ptr<CDirect3D>* ppD3D)
{
    if (ppD3D == nullptr)
        return DDERR_INVALIDPARAMS;
    if (m_pDriver->bNoDirect3D)
        return E_NOINTERFACE;
    // The Direct3D object keeps this DirectDraw object alive, as its interface would.
    *ppD3D = std::make_shared<CDirect3D>(shared_from_this());
    return DD_OK;
}

HRESULT CDirectDraw::GetCaps(DDCAPS* pHwCaps, DDCAPS* pHelCaps) const
{
    if (pHwCaps != nullptr)
        *pHwCaps = m_pDriver->ddHwCaps;
    if (pHelCaps != nullptr)
        *pHelCaps = m_pDriver->ddHelCaps;
    return DD_OK;
}

HRESULT CDirectDraw::EnumDisplayModes(DWORD /*dwFlags*/, DDSURFACEDESC2* /*pTemplate*/, void* pContext,
                                      ModeCallbackFn pfnCallback)
{
    if (pfnCallback == nullptr)
        return DDERR_INVALIDPARAMS;
    for (const DDSURFACEDESC2& mode : m_pDriver->aModes)
    {
        DDSURFACEDESC2 desc = mode;
        if (pfnCallback(&desc, pContext) == DDENUMRET_CANCEL)
            break;
    }
    return DD_OK;
}

HRESULT CDirectDraw::GetDisplayMode(DDSURFACEDESC2* pDesc) const
{
    if (pDesc == nullptr)
        return DDERR_INVALIDPARAMS;
    *pDesc = m_mode.dwWidth != 0
                 ? m_mode
                 : MakeModeDesc(m_pAdapter->dwDesktopWidth, m_pAdapter->dwDesktopHeight, m_pAdapter->dwDesktopBits);
    return DD_OK;
}

HRESULT CDirectDraw::SetCooperativeLevel(HWND hWnd, DWORD dwFlags)
{
    if (FAILED(m_pAdapter->faults.hrSetCooperativeLevel))
        return m_pAdapter->faults.hrSetCooperativeLevel;
    m_hWnd = hWnd;
    m_dwCoopFlags = dwFlags;
    // The window of an exclusive full screen shows the primary over the whole screen.
    if (m_pAdapter->pfnSetWindowFullScreen != nullptr && hWnd != nullptr)
        m_pAdapter->pfnSetWindowFullScreen(hWnd, (dwFlags & DDSCL_FULLSCREEN) != 0);
    // Leaving exclusive mode gives the desktop its own mode back.
    if (!(dwFlags & DDSCL_EXCLUSIVE))
        m_mode = DDSURFACEDESC2{};
    return DD_OK;
}

HRESULT CDirectDraw::SetDisplayMode(DWORD dwWidth, DWORD dwHeight, DWORD dwBits, DWORD dwRefreshRate, DWORD /*dwFlags*/)
{
    if (FAILED(m_pAdapter->faults.hrSetDisplayMode))
        return m_pAdapter->faults.hrSetDisplayMode;
    if (!(m_dwCoopFlags & DDSCL_EXCLUSIVE) || dwWidth == 0 || dwHeight == 0 ||
        (dwBits != 8 && dwBits != 16 && dwBits != 24 && dwBits != 32))
        return DDERR_INVALIDMODE;
    m_mode = MakeModeDesc(dwWidth, dwHeight, dwBits);
    m_mode.dwRefreshRate = dwRefreshRate;
    return DD_OK;
}

HRESULT CDirectDraw::CreatePrimary(const DDSURFACEDESC2& desc, SurfacePtr* ppSurface)
{
    const SAdapterFaults& f = m_pAdapter->faults;
    const DWORD dwBackBuffers = (desc.dwFlags & DDSD_BACKBUFFERCOUNT) ? desc.dwBackBufferCount : 0;
    if (FAILED(f.hrCreatePrimary))
        return f.hrCreatePrimary;
    if (dwBackBuffers >= 2 && FAILED(f.hrCreateTripleBuffered))
        return f.hrCreateTripleBuffered;
    // Windowed, the primary is the whole desktop; in exclusive mode it is the display mode that was set.
    DDSURFACEDESC2 mode;
    GetDisplayMode(&mode);
    const DWORD dwCaps = desc.ddsCaps.dwCaps | DDSCAPS_FRONTBUFFER;
    const DDPIXELFORMAT ddpf = SurfaceFormatOfMode(mode);
    SurfacePtr pPrimary = CDirectDrawSurface::Create(mode.dwWidth, mode.dwHeight, ddpf, dwCaps);
    if (pPrimary == nullptr)
        return DDERR_OUTOFVIDEOMEMORY;
    // The stand-in flips between the primary and one back buffer whatever the count: the frame is shown
    // at once, so a third buffer would only add latency.
    if (dwBackBuffers > 0 && (desc.ddsCaps.dwCaps & DDSCAPS_FLIP))
    {
        SurfacePtr pBack = CDirectDrawSurface::Create(
            mode.dwWidth, mode.dwHeight, ddpf, (desc.ddsCaps.dwCaps & ~DDSCAPS_PRIMARYSURFACE) | DDSCAPS_BACKBUFFER);
        if (pBack == nullptr)
            return DDERR_OUTOFVIDEOMEMORY;
        pPrimary->AddAttachedSurface(pBack);
    }
    if (m_pAdapter->pfnWindowOutput != nullptr && m_hWnd != nullptr)
        pPrimary->SetOutput(m_pAdapter->pfnWindowOutput(m_hWnd));
    // In a display mode of its own a waiting flip keeps to the mode's refreshes (60 a second when
    // the mode names none).
    if (m_dwCoopFlags & DDSCL_EXCLUSIVE)
        pPrimary->SetRefreshRate(mode.dwRefreshRate != 0 ? mode.dwRefreshRate : DEFAULT_REFRESH_HZ);
    m_pPrimary = pPrimary;
    *ppSurface = pPrimary;
    return DD_OK;
}

HRESULT CDirectDraw::CreateSurface(DDSURFACEDESC2* pDesc, SurfacePtr* ppSurface)
{
    if (pDesc == nullptr || ppSurface == nullptr)
        return DDERR_INVALIDPARAMS;
    const DWORD dwCaps = pDesc->ddsCaps.dwCaps;
    if (dwCaps & DDSCAPS_PRIMARYSURFACE)
        return CreatePrimary(*pDesc, ppSurface);
    const SAdapterFaults& f = m_pAdapter->faults;
    if ((dwCaps & DDSCAPS_ZBUFFER) && FAILED(f.hrCreateZBuffer))
        return f.hrCreateZBuffer;
    if ((dwCaps & DDSCAPS_OFFSCREENPLAIN) && FAILED(f.hrCreateOffscreen))
        return f.hrCreateOffscreen;
    if (!(pDesc->dwFlags & DDSD_WIDTH) || !(pDesc->dwFlags & DDSD_HEIGHT))
        return DDERR_INVALIDPARAMS;
    DDPIXELFORMAT ddpf;
    if (pDesc->dwFlags & DDSD_PIXELFORMAT)
        ddpf = pDesc->ddpfPixelFormat;
    else
    {
        DDSURFACEDESC2 mode;
        GetDisplayMode(&mode);
        ddpf = SurfaceFormatOfMode(mode);
    }
    // A format the device cannot draw or sample is refused, so that callers choosing one try the next.
    if (!CPixelLayout::IsSupported(ddpf))
        return DDERR_INVALIDPIXELFORMAT;
    SurfacePtr p = CDirectDrawSurface::Create(pDesc->dwWidth, pDesc->dwHeight, ddpf, dwCaps);
    if (p == nullptr)
        return DDERR_INVALIDPARAMS;
    if (pDesc->dwFlags & DDSD_CKSRCBLT)
        p->SetColorKey(DDCKEY_SRCBLT, &pDesc->ddckCKSrcBlt);
    *ppSurface = p;
    return DD_OK;
}

HRESULT CDirectDraw::CreateClipper(DWORD /*dwFlags*/, std::shared_ptr<CDirectDrawClipper>* ppClipper)
{
    if (ppClipper == nullptr)
        return DDERR_INVALIDPARAMS;
    if (FAILED(m_pAdapter->faults.hrCreateClipper))
        return m_pAdapter->faults.hrCreateClipper;
    *ppClipper = std::make_shared<CDirectDrawClipper>();
    return DD_OK;
}

HRESULT CDirectDraw::GetGDISurface(SurfacePtr* ppSurface) const
{
    if (ppSurface == nullptr)
        return DDERR_INVALIDPARAMS;
    *ppSurface = m_pPrimary.lock();
    return *ppSurface ? DD_OK : DDERR_NOTFOUND;
}

// ---------------------------------------------------------------------------------------------------------------------
// Direct3D
// ---------------------------------------------------------------------------------------------------------------------

const SAdapterDevice* CDirect3D::FindAdapterDevice(const GUID& device) const
{
    for (const SAdapterDevice& d : m_pDD->GetDriver()->aDevices)
        if (d.guid == device)
            return &d;
    return nullptr;
}

HRESULT CDirect3D::EnumDevices(DeviceCallbackFn pfnCallback, void* pContext) const
{
    if (pfnCallback == nullptr)
        return DDERR_INVALIDPARAMS;
    for (const SAdapterDevice& d : m_pDD->GetDriver()->aDevices)
    {
        GUID guid = d.guid;
        D3DDEVICEDESC hw = d.ddHwDesc, hel = d.ddHelDesc;
        if (pfnCallback(&guid, d.strDescription.c_str(), d.strName.c_str(), &hw, &hel, pContext) == D3DENUMRET_CANCEL)
            break;
    }
    return D3D_OK;
}

HRESULT CDirect3D::FindDevice(const D3DFINDDEVICESEARCH* pSearch, D3DFINDDEVICERESULT* pResult) const
{
    if (pSearch == nullptr || pResult == nullptr || !(pSearch->dwFlags & D3DFDS_GUID))
        return DDERR_INVALIDPARAMS;
    if (FAILED(m_pDD->GetAdapter()->faults.hrFindDevice))
        return m_pDD->GetAdapter()->faults.hrFindDevice;
    const SAdapterDevice* p = FindAdapterDevice(pSearch->guid);
    if (p == nullptr)
        return DDERR_NOTFOUND;
    pResult->guid = p->guid;
    pResult->ddHwDesc = p->ddHwDesc;
    pResult->ddSwDesc = p->ddHelDesc;
    return D3D_OK;
}

HRESULT CDirect3D::EnumZBufferFormats(const GUID& device, ZBufferCallbackFn pfnCallback, void* pContext) const
{
    const SAdapterDevice* p = FindAdapterDevice(device);
    if (p == nullptr || pfnCallback == nullptr)
        return DDERR_INVALIDPARAMS;
    for (const DDPIXELFORMAT& f : p->aZBufferFormats)
    {
        DDPIXELFORMAT copy = f;
        if (pfnCallback(&copy, pContext) == D3DENUMRET_CANCEL)
            break;
    }
    return D3D_OK;
}

HRESULT CDirect3D::CreateDevice(const GUID& device, const SurfacePtr& pTarget,
                                std::shared_ptr<CDirect3DDevice>* ppDevice)
{
    if (pTarget == nullptr || ppDevice == nullptr || FindAdapterDevice(device) == nullptr)
        return DDERR_INVALIDPARAMS;
    if (FAILED(m_pDD->GetAdapter()->faults.hrCreateDevice))
        return m_pDD->GetAdapter()->faults.hrCreateDevice;
    *ppDevice = std::make_shared<CDirect3DDevice>(pTarget);
    return D3D_OK;
}

HRESULT CDirect3D::CreateViewport(ViewportPtr* ppViewport)
{
    if (ppViewport == nullptr)
        return DDERR_INVALIDPARAMS;
    if (FAILED(m_pDD->GetAdapter()->faults.hrCreateViewport))
        return m_pDD->GetAdapter()->faults.hrCreateViewport;
    *ppViewport = std::make_shared<CDirect3DViewport>();
    return D3D_OK;
}

HRESULT CDirect3D::CreateLight(LightPtr* ppLight)
{
    if (ppLight == nullptr)
        return DDERR_INVALIDPARAMS;
    *ppLight = std::make_shared<CDirect3DLight>();
    return D3D_OK;
}

HRESULT CDirect3D::CreateMaterial(MaterialPtr* ppMaterial)
{
    if (ppMaterial == nullptr)
        return DDERR_INVALIDPARAMS;
    *ppMaterial = std::make_shared<CDirect3DMaterial>();
    return D3D_OK;
}
