// Builders of fake display adapters: drivers, devices and modes as a machine might report them.
#pragma once

#include "platform/dx/DirectDraw.h"
#include "render/D3DEnum.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <initializer_list>

enum class EFakeDevice
{
    Hardware,
    RgbSoftware,
    RampSoftware,
    Reference,
    Null
};

inline SAdapterDevice MakeFakeDevice(EFakeDevice eKind, DWORD dwRenderDepths = DDBD_16 | DDBD_32)
{
    SAdapterDevice d;
    d.strDescription = "fake device";
    d.strName = "fake";
    d.guid.Data1 = 0x1000 + static_cast<DWORD>(eKind);
    if (eKind == EFakeDevice::Reference)
        d.guid = IID_IDirect3DRefDevice;
    if (eKind == EFakeDevice::Null)
        d.guid = IID_IDirect3DNullDevice;
    D3DDEVICEDESC& desc = eKind == EFakeDevice::Hardware ? d.ddHwDesc : d.ddHelDesc;
    desc.dwFlags = 0x7FF;
    desc.dcmColorModel = eKind == EFakeDevice::RampSoftware ? D3DCOLOR_MONO : D3DCOLOR_RGB;
    desc.dwDeviceRenderBitDepth = dwRenderDepths;
    d.aZBufferFormats.push_back(MakeZBufferPixelFormat(16));
    return d;
}

struct SFakeMode
{
    DWORD w, h, bits;
};

inline SAdapterDriver MakeFakeDriver(bool bSecondary, bool bCanRenderWindowed,
                                     std::initializer_list<SAdapterDevice> devices,
                                     std::initializer_list<SFakeMode> modes)
{
    SAdapterDriver drv;
    drv.bHasGuid = bSecondary;
    drv.guid.Data1 = bSecondary ? 0x5EC0 : 0;
    drv.strDescription = "fake display";
    drv.strName = bSecondary ? "second" : "display";
    drv.ddHwCaps.dwCaps2 = bCanRenderWindowed ? DDCAPS2_CANRENDERWINDOWED : 0;
    drv.aDevices = devices;
    for (const SFakeMode& m : modes)
    {
        DDSURFACEDESC2 d;
        d.dwWidth = m.w;
        d.dwHeight = m.h;
        d.ddpfPixelFormat = MakeRgbPixelFormat(m.bits);
        d.ddpfPixelFormat.dwRGBBitCount = m.bits;
        drv.aModes.push_back(d);
    }
    return drv;
}

/// Each test starts with no lists and no loaded library, and leaves none behind.
class CEnumFixture : public ::testing::Test
{
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset()
    {
        FreeDriverList();
        g_hDDrawModule = nullptr;
        g_pfnDirectDrawCreate = nullptr;
        g_pfnConfirmDevice = nullptr;
        g_bDeviceSeen = FALSE;
        g_bRefRastSeen = FALSE;
    }
};
