#include "render/D3DEnum.h"

#include <cstdio>
#include <cstring>
#include <new>

CDisplayAdapter* g_hDDrawModule = nullptr;
DirectDrawCreateFn g_pfnDirectDrawCreate = nullptr;
DriverInfo* g_pDriverList = nullptr;
DriverInfo* g_pCurrentDriver = nullptr;
ConfirmDeviceFn g_pfnConfirmDevice = nullptr;
BOOL g_bDeviceSeen = FALSE;
BOOL g_bRefRastSeen = FALSE;

namespace
{
/// What the device and mode callbacks of one driver work on.
struct SDriverContext
{
    DriverInfo* pDriver;
    CDirectDraw* pDD;
};

void CopyName(char (&dest)[40], const char* szSource)
{
    std::snprintf(dest, sizeof(dest), "%s", szSource != nullptr ? szSource : "");
}

template <class T> void AppendAtTail(T*& pHead, T* pItem)
{
    T** pp = &pHead;
    while (*pp != nullptr)
        pp = &(*pp)->pNext;
    *pp = pItem;
}

void FreeDevice(DeviceInfo* pDevice)
{
    while (pDevice->pFirstMode != nullptr)
    {
        ModeInfo* pMode = pDevice->pFirstMode;
        pDevice->pFirstMode = pMode->pNext;
        delete pMode;
    }
    delete pDevice;
}

void FreeDriver(DriverInfo* pDriver)
{
    while (pDriver->pFirstDevice != nullptr)
    {
        DeviceInfo* pDevice = pDriver->pFirstDevice;
        pDriver->pFirstDevice = pDevice->pNext;
        FreeDevice(pDevice);
    }
    delete pDriver;
}

} // namespace

bool LoadDirectDrawLibrary()
{
    if (g_hDDrawModule == nullptr)
        g_hDDrawModule = LoadDisplayAdapter();
    if (g_hDDrawModule != nullptr && g_pfnDirectDrawCreate == nullptr && g_hDDrawModule->bHasDirectDrawCreate)
        g_pfnDirectDrawCreate = &DirectDrawCreate;
    return g_hDDrawModule != nullptr && g_pfnDirectDrawCreate != nullptr;
}

namespace
{

HRESULT ModeEnumCallback(DDSURFACEDESC2* pDesc, void* pContext)
{
    auto* pDevice = static_cast<DeviceInfo*>(pContext);
    if (pDesc == nullptr || pDevice == nullptr)
        return DDENUMRET_CANCEL;
    const DWORD dwBits = pDesc->ddpfPixelFormat.dwRGBBitCount;
    const DWORD dwDepths = pDevice->ddDesc.dwDeviceRenderBitDepth;
    if ((dwBits == 32 && !(dwDepths & DDBD_32)) || (dwBits == 24 && !(dwDepths & DDBD_24)) ||
        (dwBits == 16 && !(dwDepths & DDBD_16)) || dwBits == 8)
        return DDENUMRET_OK;
    auto* pMode = new (std::nothrow) ModeInfo;
    if (pMode == nullptr)
        return DDENUMRET_CANCEL;
    pMode->ddsd = *pDesc;
    std::snprintf(pMode->strDesc, sizeof(pMode->strDesc), "%ld x %ld x %ld", static_cast<long>(pDesc->dwWidth),
                  static_cast<long>(pDesc->dwHeight), static_cast<long>(dwBits));
    AppendAtTail(pDevice->pFirstMode, pMode);
    if (pDevice->pCurrentMode == nullptr || (pDesc->dwWidth == 640 && pDesc->dwHeight == 480 && dwBits == 16))
        pDevice->pCurrentMode = pMode;
    return DDENUMRET_OK;
}

/// Marks the device compatible with the desktop when one of its modes has the desktop's bit depth.
bool HasModeOfDepth(const DeviceInfo& device, DWORD dwBits)
{
    for (const ModeInfo* p = device.pFirstMode; p != nullptr; p = p->pNext)
        if (p->ddsd.ddpfPixelFormat.dwRGBBitCount == dwBits)
            return true;
    return false;
}

HRESULT DeviceEnumCallback(GUID* pGuid, const char* /*szDescription*/, const char* /*szName*/, D3DDEVICEDESC* pHwDesc,
                           D3DDEVICEDESC* pHelDesc, void* pContext)
{
    auto* pCtx = static_cast<SDriverContext*>(pContext);
    if (pGuid == nullptr || pHwDesc == nullptr || pHelDesc == nullptr || pCtx == nullptr)
        return D3DENUMRET_CANCEL;
    if (*pGuid == IID_IDirect3DNullDevice)
        return D3DENUMRET_OK;
    g_bDeviceSeen = TRUE;
    DriverInfo* pDriver = pCtx->pDriver;
    const BOOL bIsHardware = pHwDesc->dwFlags != 0 ? TRUE : FALSE;
    D3DDEVICEDESC* pDesc = bIsHardware ? pHwDesc : pHelDesc;
    if (!bIsHardware && pDriver->pGuid != nullptr)
        return D3DENUMRET_OK;
    if (g_pfnConfirmDevice != nullptr && FAILED(g_pfnConfirmDevice(&pDriver->ddDriverCaps, pDesc)))
        return D3DENUMRET_OK;
    if (!bIsHardware && (pDesc->dpcLineCaps.dwRasterCaps & D3DPRASTERCAPS_WBUFFER))
        return D3DENUMRET_OK;

    auto* pDevice = new (std::nothrow) DeviceInfo;
    if (pDevice == nullptr)
        return D3DENUMRET_CANCEL;
    pDevice->guid = *pGuid;
    pDevice->pGuid = &pDevice->guid;
    CopyName(pDevice->strName, bIsHardware                             ? "Hardware Acceleration"
                               : (pDesc->dcmColorModel & D3DCOLOR_RGB) ? "RGB Software Renderer"
                                                                       : "Ramp Software Renderer");
    pDevice->ddDesc = *pDesc;
    pDevice->bIsHardware = bIsHardware;
    pCtx->pDD->EnumDisplayModes(0, nullptr, pDevice, &ModeEnumCallback);

    DDSURFACEDESC2 desktop;
    desktop.dwSize = DDSURFACEDESC2_SIZE;
    pCtx->pDD->GetDisplayMode(&desktop);
    if ((pDriver->ddDriverCaps.dwCaps2 & DDCAPS2_CANRENDERWINDOWED) &&
        HasModeOfDepth(*pDevice, desktop.ddpfPixelFormat.dwRGBBitCount))
    {
        pDevice->bCompatibleWithDesktop = TRUE;
        if (pDriver->pGuid == nullptr)
            pDevice->bWindowed = TRUE;
    }

    if (pDevice->pFirstMode != nullptr)
    {
        AppendAtTail(pDriver->pFirstDevice, pDevice);
        if (bIsHardware || (pDriver->pCurrentDevice == nullptr && (pHelDesc->dcmColorModel & D3DCOLOR_RGB)))
            pDriver->pCurrentDevice = pDevice;
    }
    else
        FreeDevice(pDevice);
    if (*pGuid == IID_IDirect3DRefDevice)
        g_bRefRastSeen = TRUE;
    return D3DENUMRET_OK;
}

BOOL DriverEnumCallback(GUID* pGuid, const char* /*szDescription*/, const char* szName, void* /*pContext*/,
                        void* hMonitor)
{
    const bool bListWasEmpty = g_pDriverList == nullptr;
    if (!LoadDirectDrawLibrary())
        return TRUE;
    // The system library needed a pause between drivers; the stand-in has nothing to wait for.
    DirectDrawPtr pDD;
    if (FAILED(g_pfnDirectDrawCreate(g_hDDrawModule, pGuid, &pDD)))
        return TRUE;
    Direct3DPtr pD3D;
    if (FAILED(pDD->QueryDirect3D(&pD3D)))
        return TRUE;

    auto* pDriver = new (std::nothrow) DriverInfo;
    if (pDriver == nullptr)
        return FALSE;
    if (pGuid != nullptr)
    {
        pDriver->guid = *pGuid;
        pDriver->pGuid = &pDriver->guid;
        CopyName(pDriver->strName, "Secondary Videocard");
    }
    else
        CopyName(pDriver->strName, "Primary Videocard");
    CopyName(pDriver->strDesc, szName);
    pDriver->hMonitor = hMonitor;
    pDriver->ddDriverCaps.dwSize = pDriver->ddHELCaps.dwSize = DDCAPS_SIZE;
    pDD->GetCaps(&pDriver->ddDriverCaps, &pDriver->ddHELCaps);

    SDriverContext ctx{pDriver, pDD.get()};
    pD3D->EnumDevices(&DeviceEnumCallback, &ctx);
    if (pDriver->pFirstDevice != nullptr)
    {
        AppendAtTail(g_pDriverList, pDriver);
        if (pDriver->pGuid == nullptr)
            g_pCurrentDriver = pDriver;
    }
    else
        FreeDriver(pDriver);
    // Examine drivers up to the first one kept and exactly one more.
    return bListWasEmpty ? TRUE : FALSE;
}

BOOL PlainDriverEnumCallback(GUID* pGuid, const char* szDescription, const char* szName, void* pContext,
                             void* /*hMonitor*/)
{
    return DriverEnumCallback(pGuid, szDescription, szName, pContext, nullptr);
}

/// Recomputes every device's desktop compatibility from the primary display's current depth.
void RefreshDesktopCompatibility()
{
    DirectDrawPtr pDD;
    if (g_hDDrawModule == nullptr || g_pfnDirectDrawCreate == nullptr ||
        FAILED(g_pfnDirectDrawCreate(g_hDDrawModule, nullptr, &pDD)))
        return;
    DDSURFACEDESC2 desktop;
    pDD->GetDisplayMode(&desktop);
    const DWORD dwBits = desktop.ddpfPixelFormat.dwRGBBitCount;
    for (DriverInfo* pDriver = g_pDriverList; pDriver != nullptr; pDriver = pDriver->pNext)
        for (DeviceInfo* pDevice = pDriver->pFirstDevice; pDevice != nullptr; pDevice = pDevice->pNext)
            pDevice->bCompatibleWithDesktop = HasModeOfDepth(*pDevice, dwBits) ? TRUE : FALSE;
}
} // namespace

HRESULT EnumerateDirect3DDrivers(ConfirmDeviceFn pfnConfirmDevice)
{
    g_pfnConfirmDevice = pfnConfirmDevice;
    g_bRefRastSeen = FALSE;
    CDisplayAdapter* pLibrary = LoadDisplayAdapter();
    if (pLibrary == nullptr)
        return D3DENUMERR_NODIRECTDRAW;
    if (pLibrary->bHasEnumerateEx)
        DirectDrawEnumerateEx(pLibrary, &DriverEnumCallback, nullptr,
                              DDENUM_ATTACHEDSECONDARYDEVICES | DDENUM_DETACHEDSECONDARYDEVICES |
                                  DDENUM_NONDISPLAYDEVICES);
    else if (pLibrary->bHasEnumerate)
        DirectDrawEnumerateEx(pLibrary, &PlainDriverEnumCallback, nullptr, 0);
    return SelectDefaultDriver(0);
}

HRESULT SelectDefaultDriver(DWORD dwFlags)
{
    RefreshDesktopCompatibility();
    struct SPass
    {
        bool bHardware, bWindowed;
    };
    static constexpr SPass s_aPasses[] = {{true, true}, {false, true}, {true, false}, {false, false}};
    for (const SPass& pass : s_aPasses)
    {
        if (pass.bHardware && (dwFlags & D3DENUM_SOFTWAREONLY))
            continue;
        for (DriverInfo* pDriver = g_pDriverList; pDriver != nullptr; pDriver = pDriver->pNext)
        {
            if (pass.bWindowed && !(pDriver->ddDriverCaps.dwCaps2 & DDCAPS2_CANRENDERWINDOWED))
                continue;
            for (DeviceInfo* pDevice = pDriver->pFirstDevice; pDevice != nullptr; pDevice = pDevice->pNext)
            {
                if ((pDevice->bIsHardware != FALSE) != pass.bHardware ||
                    (pass.bWindowed && !pDevice->bCompatibleWithDesktop))
                    continue;
                pDevice->bWindowed = pass.bWindowed ? TRUE : FALSE;
                g_pCurrentDriver = pDriver;
                pDriver->pCurrentDevice = pDevice;
                return S_OK;
            }
        }
    }
    if (!g_bDeviceSeen)
        return D3DENUMERR_ENUMERATIONFAILED;
    return g_bRefRastSeen ? D3DENUMERR_NOCOMPATIBLEDEVICES : D3DENUMERR_SUGGESTREFRAST;
}

void SelectNamedDriver(const char* szDriver, const char* szDevice, const char* szMode)
{
    const auto named = [](auto* pFirst, const char* szName, auto nameOf)
    {
        while (pFirst != nullptr && std::strcmp(nameOf(*pFirst), szName) != 0)
            pFirst = pFirst->pNext;
        return pFirst;
    };
    DriverInfo* pDriver = named(g_pDriverList, szDriver, [](const DriverInfo& d) { return d.strName; });
    DeviceInfo* pDevice = pDriver != nullptr
                              ? named(pDriver->pFirstDevice, szDevice, [](const DeviceInfo& d) { return d.strName; })
                              : nullptr;
    // A driver takes over only with a device to draw with: the named one, else the one it had.
    if (pDriver == nullptr || (pDevice == nullptr && pDriver->pCurrentDevice == nullptr))
        return;
    g_pCurrentDriver = pDriver;
    if (pDevice == nullptr)
        return;
    RefreshDesktopCompatibility();
    pDevice->bWindowed =
        (pDriver->ddDriverCaps.dwCaps2 & DDCAPS2_CANRENDERWINDOWED) != 0 && pDevice->bCompatibleWithDesktop;
    pDriver->pCurrentDevice = pDevice;
    if (ModeInfo* pMode = named(pDevice->pFirstMode, szMode, [](const ModeInfo& m) { return m.strDesc; }))
        pDevice->pCurrentMode = pMode;
}

HRESULT GetSelectedDriver(DriverInfo** ppDriver, DeviceInfo** ppDevice)
{
    if (g_pCurrentDriver == nullptr)
        return D3DENUMERR_ENUMERATIONFAILED;
    if (ppDriver != nullptr)
        *ppDriver = g_pCurrentDriver;
    if (ppDevice != nullptr)
        *ppDevice = g_pCurrentDriver->pCurrentDevice;
    return S_OK;
}

void FreeDriverList()
{
    while (g_pDriverList != nullptr)
    {
        DriverInfo* pDriver = g_pDriverList;
        g_pDriverList = pDriver->pNext;
        FreeDriver(pDriver);
    }
    // The current driver went with the list; leaving it would point at freed memory.
    g_pCurrentDriver = nullptr;
}

BOOL IsSameGuid(const GUID* a, const GUID* b)
{
    if (a == nullptr || b == nullptr)
        return a == b ? TRUE : FALSE;
    return *a == *b ? TRUE : FALSE;
}
