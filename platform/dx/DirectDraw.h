// The DirectDraw and Direct3D objects over a display adapter that reports drivers, devices and modes.
//
// The adapter stands in for the system's DirectDraw library: the window layer installs the real one (one
// software driver with the desktop's modes), tests install fakes with any drivers, devices, modes, desktop
// depth and failures they need. Cooperative levels, clippers and display-mode changes only record what was
// asked: the frame is always a memory surface that the window shows.
#pragma once

#include "platform/dx/Device.h"
#include "platform/dx/DxTypes.h"
#include "platform/dx/Surface.h"

#include <memory>
#include <string>
#include <vector>

struct SAdapterDevice
{
    GUID guid;
    std::string strDescription;
    std::string strName;
    D3DDEVICEDESC ddHwDesc; // dwFlags 0: a software device
    D3DDEVICEDESC ddHelDesc;
    std::vector<DDPIXELFORMAT> aZBufferFormats;
};

struct SAdapterDriver
{
    bool bHasGuid = false; // the primary display driver is reported without one
    GUID guid;
    std::string strDescription;
    std::string strName;
    DDCAPS ddHwCaps;
    DDCAPS ddHelCaps;
    std::vector<SAdapterDevice> aDevices;
    std::vector<DDSURFACEDESC2> aModes;
    bool bCreateFails = false; // creating its DirectDraw object fails
    bool bNoDirect3D = false;  // its DirectDraw object offers no Direct3D
};

/// Failures a test makes the named calls return; DD_OK means the call works.
struct SAdapterFaults
{
    HRESULT hrSetCooperativeLevel = DD_OK;
    HRESULT hrSetDisplayMode = DD_OK;
    HRESULT hrCreatePrimary = DD_OK;        // every primary surface
    HRESULT hrCreateTripleBuffered = DD_OK; // a primary with two back buffers only
    HRESULT hrCreateOffscreen = DD_OK;      // off-screen plain surfaces (the windowed back buffer)
    HRESULT hrCreateClipper = DD_OK;
    HRESULT hrCreateZBuffer = DD_OK;
    HRESULT hrFindDevice = DD_OK;
    HRESULT hrCreateDevice = DD_OK;
    HRESULT hrCreateViewport = DD_OK;
};

class CDisplayAdapter
{
public:
    /// One primary driver with the one software device of this project, in every mode at 16 and 32 bits.
    static CDisplayAdapter MakeSoftware(DWORD dwDesktopWidth, DWORD dwDesktopHeight, DWORD dwDesktopBits,
                                        const std::vector<SIZE>& aModeSizes);

    std::vector<SAdapterDriver> aDrivers;
    DWORD dwDesktopWidth = 1024; // pixels
    DWORD dwDesktopHeight = 768; // pixels
    DWORD dwDesktopBits = 32;
    bool bHasEnumerateEx = true;
    bool bHasEnumerate = true;
    bool bHasDirectDrawCreate = true;
    SAdapterFaults faults;
    /// Where the primary surface of a window shows; null: nowhere (headless).
    ISurfaceOutput* (*pfnWindowOutput)(HWND hWnd) = nullptr;
    /// Tells the window whether its primary is shown over the whole screen (an exclusive full screen).
    void (*pfnSetWindowFullScreen)(HWND hWnd, bool bFullScreen) = nullptr;
};

/// The adapter the program sees (the stand-in for loading the system's DirectDraw library); null when none.
/// Without an installed one, a built-in software adapter with a 1024 x 768 desktop and no output.
CDisplayAdapter* LoadDisplayAdapter();
/// Installs the adapter LoadDisplayAdapter returns; null: none can be loaded. The main thread only.
void SetDisplayAdapter(CDisplayAdapter* pAdapter);

/// Installs an adapter for a scope and puts the previous one back at its end.
class CDisplayAdapterScope
{
public:
    explicit CDisplayAdapterScope(CDisplayAdapter* pAdapter);
    ~CDisplayAdapterScope();
    CDisplayAdapterScope(const CDisplayAdapterScope&) = delete;
    CDisplayAdapterScope& operator=(const CDisplayAdapterScope&) = delete;

private:
    CDisplayAdapter* m_pPrevious;
    bool m_bHadPrevious;
};

class CDirectDrawClipper
{
public:
    HRESULT SetHWnd(DWORD /*dwFlags*/, HWND hWnd)
    {
        m_hWnd = hWnd;
        return DD_OK;
    }
    HWND GetHWnd() const { return m_hWnd; }

private:
    HWND m_hWnd = nullptr;
};

class CDirect3D;

using DriverEnumCallbackFn = BOOL (*)(GUID* pGuid, const char* szDescription, const char* szName, void* pContext,
                                      void* hMonitor);
/// Lists the adapter's drivers until the callback returns FALSE.
HRESULT DirectDrawEnumerateEx(CDisplayAdapter* pAdapter, DriverEnumCallbackFn pfnCallback, void* pContext,
                              DWORD dwFlags);

class CDirectDraw : public std::enable_shared_from_this<CDirectDraw>
{
public:
    CDirectDraw(CDisplayAdapter* pAdapter, const SAdapterDriver* pDriver);

    HRESULT QueryDirect3D(std::shared_ptr<CDirect3D>* ppD3D);
    HRESULT GetCaps(DDCAPS* pHwCaps, DDCAPS* pHelCaps) const;
    using ModeCallbackFn = HRESULT (*)(DDSURFACEDESC2* pDesc, void* pContext);
    HRESULT EnumDisplayModes(DWORD dwFlags, DDSURFACEDESC2* pTemplate, void* pContext, ModeCallbackFn pfnCallback);
    HRESULT GetDisplayMode(DDSURFACEDESC2* pDesc) const;
    HRESULT SetCooperativeLevel(HWND hWnd, DWORD dwFlags);
    HRESULT SetDisplayMode(DWORD dwWidth, DWORD dwHeight, DWORD dwBits, DWORD dwRefreshRate, DWORD dwFlags);
    /// Primary surfaces (with their flipping chain), off-screen surfaces, textures and z-buffers.
    HRESULT CreateSurface(DDSURFACEDESC2* pDesc, SurfacePtr* ppSurface);
    HRESULT CreateClipper(DWORD dwFlags, std::shared_ptr<CDirectDrawClipper>* ppClipper);
    HRESULT GetGDISurface(SurfacePtr* ppSurface) const;
    HRESULT FlipToGDISurface() { return DD_OK; }
    HRESULT TestCooperativeLevel() const { return DD_OK; }

    CDisplayAdapter* GetAdapter() const { return m_pAdapter; }
    const SAdapterDriver* GetDriver() const { return m_pDriver; }
    DWORD GetCooperativeLevel() const { return m_dwCoopFlags; }

private:
    HRESULT CreatePrimary(const DDSURFACEDESC2& desc, SurfacePtr* ppSurface);

    CDisplayAdapter* m_pAdapter;
    const SAdapterDriver* m_pDriver;
    HWND m_hWnd = nullptr;
    DWORD m_dwCoopFlags = 0;
    DDSURFACEDESC2 m_mode; // the mode set, or dwWidth 0 for the desktop's
    std::weak_ptr<CDirectDrawSurface> m_pPrimary;
};
using DirectDrawPtr = std::shared_ptr<CDirectDraw>;

/// Creates the DirectDraw object of a driver (null GUID: the primary display driver).
HRESULT DirectDrawCreate(CDisplayAdapter* pAdapter, const GUID* pGuid, DirectDrawPtr* ppDD);

class CDirect3D
{
public:
    explicit CDirect3D(DirectDrawPtr pDD) : m_pDD(std::move(pDD)) {}

    using DeviceCallbackFn = HRESULT (*)(GUID* pGuid, const char* szDescription, const char* szName,
                                         D3DDEVICEDESC* pHwDesc, D3DDEVICEDESC* pHelDesc, void* pContext);
    HRESULT EnumDevices(DeviceCallbackFn pfnCallback, void* pContext) const;
    HRESULT FindDevice(const D3DFINDDEVICESEARCH* pSearch, D3DFINDDEVICERESULT* pResult) const;
    using ZBufferCallbackFn = HRESULT (*)(DDPIXELFORMAT* pFormat, void* pContext);
    HRESULT EnumZBufferFormats(const GUID& device, ZBufferCallbackFn pfnCallback, void* pContext) const;
    HRESULT CreateDevice(const GUID& device, const SurfacePtr& pTarget, std::shared_ptr<CDirect3DDevice>* ppDevice);
    HRESULT CreateViewport(ViewportPtr* ppViewport);
    HRESULT CreateLight(LightPtr* ppLight);
    HRESULT CreateMaterial(MaterialPtr* ppMaterial);

private:
    const SAdapterDevice* FindAdapterDevice(const GUID& device) const;
    DirectDrawPtr m_pDD;
};
using Direct3DPtr = std::shared_ptr<CDirect3D>;
