// Lists the display drivers, their 3-D devices and the modes each device renders to, and chooses one.
// The lists live for the whole run as linked records; the settings name the chosen driver, device and mode by
// these records' names, so the names are part of the settings file's format.
#pragma once

#include "platform/dx/DirectDraw.h"

inline constexpr HRESULT D3DENUMERR_ENUMERATIONFAILED = static_cast<HRESULT>(0x81000001u);   // no device at all
inline constexpr HRESULT D3DENUMERR_SUGGESTREFRAST = static_cast<HRESULT>(0x81000002u);      // none fits, no reference
inline constexpr HRESULT D3DENUMERR_NOCOMPATIBLEDEVICES = static_cast<HRESULT>(0x81000003u); // none fits
inline constexpr HRESULT D3DENUMERR_NODIRECTDRAW = static_cast<HRESULT>(0x81000004u);

/// Selection flag: leave out the hardware passes.
inline constexpr DWORD D3DENUM_SOFTWAREONLY = 0x1;

struct ModeInfo
{
    DDSURFACEDESC2 ddsd;
    char strDesc[40] = {}; // "%ld x %ld x %ld": width, height, bits
    ModeInfo* pNext = nullptr;
};

struct DeviceInfo
{
    GUID guid;
    GUID* pGuid = nullptr; // this record's own guid
    char strName[40] = {};
    D3DDEVICEDESC ddDesc; // the hardware description of a hardware device, else the emulation one
    BOOL bIsHardware = FALSE;
    BOOL bCompatibleWithDesktop = FALSE;
    BOOL bWindowed = FALSE;
    ModeInfo* pCurrentMode = nullptr; // the full-screen mode
    ModeInfo* pFirstMode = nullptr;
    DeviceInfo* pNext = nullptr;
};

struct DriverInfo
{
    GUID guid;
    GUID* pGuid = nullptr; // null for the primary display driver, else this record's own guid
    char strName[40] = {}; // "Primary Videocard" or "Secondary Videocard"
    char strDesc[40] = {};
    DDCAPS ddDriverCaps;
    DDCAPS ddHELCaps;
    void* hMonitor = nullptr;
    DeviceInfo* pCurrentDevice = nullptr;
    DeviceInfo* pFirstDevice = nullptr;
    DriverInfo* pNext = nullptr;
};

/// The caller's say on each device: a negative result rejects it.
using ConfirmDeviceFn = HRESULT (*)(DDCAPS* pDriverCaps, D3DDEVICEDESC* pDesc);
using DirectDrawCreateFn = HRESULT (*)(CDisplayAdapter* pAdapter, const GUID* pGuid, DirectDrawPtr* ppDD);

// Module state: main thread only; tests reset it through FreeDriverList and a new enumeration.
/// The display library (the installed adapter) and its create entry, kept once loaded; the framework uses them.
extern CDisplayAdapter* g_hDDrawModule;
extern DirectDrawCreateFn g_pfnDirectDrawCreate;
extern DriverInfo* g_pDriverList;
extern DriverInfo* g_pCurrentDriver;
extern ConfirmDeviceFn g_pfnConfirmDevice;
extern BOOL g_bDeviceSeen;
extern BOOL g_bRefRastSeen;

/// Loads the display library and its create entry into the shared pair if not done yet; false when either is missing.
bool LoadDirectDrawLibrary();
/// Lists drivers, devices and modes, then returns SelectDefaultDriver(0).
HRESULT EnumerateDirect3DDrivers(ConfirmDeviceFn pfnConfirmDevice);
/// Chooses a driver and device: hardware windowed, software windowed, hardware full screen, software full screen.
HRESULT SelectDefaultDriver(DWORD dwFlags);
/// Makes the driver, its device and the device's full-screen mode of these names current (the
/// names the settings keep), each looked for among those of the one found before it. A name not
/// found ends the search there and keeps what was current; a driver with neither the named device
/// nor a current one of its own is not taken. A device so chosen draws in a window when its
/// driver can and it renders at the desktop's depth.
void SelectNamedDriver(const char* szDriver, const char* szDevice, const char* szMode);
HRESULT GetSelectedDriver(DriverInfo** ppDriver, DeviceInfo** ppDevice);
void FreeDriverList();
BOOL IsSameGuid(const GUID* a, const GUID* b);
