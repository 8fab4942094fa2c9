#include "FakeAdapter.h"

#include <cstring>
#include <string>
#include <vector>

namespace
{
int CountDrivers()
{
    int n = 0;
    for (const DriverInfo* p = g_pDriverList; p != nullptr; p = p->pNext)
        ++n;
    return n;
}

std::vector<std::string> ModeNames(const DeviceInfo& device)
{
    std::vector<std::string> a;
    for (const ModeInfo* p = device.pFirstMode; p != nullptr; p = p->pNext)
        a.emplace_back(p->strDesc);
    return a;
}
} // namespace

TEST_F(CEnumFixture, TheStandInReportsOnePrimaryDriverWithTheSoftwareDevice)
{
    CDisplayAdapter adapter = CDisplayAdapter::MakeSoftware(1280, 1024, 32, {{640, 480}, {800, 600}, {1280, 1024}});
    CDisplayAdapterScope scope(&adapter);
    ASSERT_EQ(S_OK, EnumerateDirect3DDrivers(nullptr));
    DriverInfo* pDriver = nullptr;
    DeviceInfo* pDevice = nullptr;
    ASSERT_EQ(S_OK, GetSelectedDriver(&pDriver, &pDevice));
    EXPECT_STREQ("Primary Videocard", pDriver->strName);
    EXPECT_EQ(nullptr, pDriver->pGuid);
    EXPECT_EQ(380u, pDriver->ddDriverCaps.dwSize);
    EXPECT_STREQ("RGB Software Renderer", pDevice->strName);
    EXPECT_EQ(pDevice->pGuid, &pDevice->guid);
    EXPECT_FALSE(pDevice->bIsHardware);
    EXPECT_TRUE(pDevice->bWindowed);
    EXPECT_TRUE(pDevice->bCompatibleWithDesktop);
    const std::vector<std::string> aWant{"640 x 480 x 16", "800 x 600 x 16", "1280 x 1024 x 16",
                                         "640 x 480 x 32", "800 x 600 x 32", "1280 x 1024 x 32"};
    EXPECT_EQ(aWant, ModeNames(*pDevice));
    EXPECT_STREQ("640 x 480 x 16", pDevice->pCurrentMode->strDesc);
}

TEST_F(CEnumFixture, SelectionResults)
{
    using enum EFakeDevice;
    struct SCase
    {
        const char* szName;
        std::vector<SAdapterDriver> aDrivers;
        DWORD dwDesktopBits;
        DWORD dwFlags; // of the selection after the enumeration
        HRESULT hrWant;
        const char* szDevice; // chosen device, when the selection succeeds
        BOOL bWindowed;
    };
    const SCase aCases[] = {
        {"only the null device: nothing at all was reported",
         {MakeFakeDriver(false, true, {MakeFakeDevice(Null)}, {{640, 480, 16}})},
         16,
         0,
         D3DENUMERR_ENUMERATIONFAILED,
         nullptr,
         FALSE},
        {"hardware device in a window first",
         {MakeFakeDriver(false, true, {MakeFakeDevice(RgbSoftware), MakeFakeDevice(Hardware)}, {{640, 480, 16}})},
         16,
         0,
         S_OK,
         "Hardware Acceleration",
         TRUE},
        {"desktop depth the hardware lacks: software device in a window",
         {MakeFakeDriver(false, true, {MakeFakeDevice(Hardware, DDBD_32), MakeFakeDevice(RgbSoftware, DDBD_16)},
                         {{640, 480, 16}, {640, 480, 32}})},
         16,
         0,
         S_OK,
         "RGB Software Renderer",
         TRUE},
        {"desktop depth nobody has: hardware full screen",
         {MakeFakeDriver(false, true, {MakeFakeDevice(Hardware, DDBD_32)}, {{640, 480, 16}, {640, 480, 32}})},
         16,
         0,
         S_OK,
         "Hardware Acceleration",
         FALSE},
        {"driver cannot render in a window: full screen",
         {MakeFakeDriver(false, false, {MakeFakeDevice(Hardware)}, {{640, 480, 16}})},
         16,
         0,
         S_OK,
         "Hardware Acceleration",
         FALSE},
        {"software only skips the hardware passes",
         {MakeFakeDriver(false, true, {MakeFakeDevice(Hardware), MakeFakeDevice(RampSoftware)}, {{640, 480, 16}})},
         16,
         D3DENUM_SOFTWAREONLY,
         S_OK,
         "Ramp Software Renderer",
         TRUE},
        {"software only without a software device",
         {MakeFakeDriver(false, true, {MakeFakeDevice(Hardware)}, {{640, 480, 16}})},
         16,
         D3DENUM_SOFTWAREONLY,
         D3DENUMERR_SUGGESTREFRAST,
         nullptr,
         FALSE},
        {"only 8-bit modes: the device is not listed",
         {MakeFakeDriver(false, true, {MakeFakeDevice(Hardware)}, {{640, 480, 8}, {800, 600, 8}})},
         8,
         0,
         D3DENUMERR_SUGGESTREFRAST,
         nullptr,
         FALSE},
        {"reference rasterizer seen but nothing fits",
         {MakeFakeDriver(false, true, {MakeFakeDevice(Reference)}, {{640, 480, 8}})},
         8,
         0,
         D3DENUMERR_NOCOMPATIBLEDEVICES,
         nullptr,
         FALSE},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        Reset();
        CDisplayAdapter adapter;
        adapter.aDrivers = c.aDrivers;
        adapter.dwDesktopBits = c.dwDesktopBits;
        CDisplayAdapterScope scope(&adapter);
        HRESULT hr = EnumerateDirect3DDrivers(nullptr);
        if (c.dwFlags != 0)
            hr = SelectDefaultDriver(c.dwFlags);
        EXPECT_EQ(c.hrWant, hr);
        if (c.szDevice == nullptr)
            continue;
        DeviceInfo* pDevice = nullptr;
        ASSERT_EQ(S_OK, GetSelectedDriver(nullptr, &pDevice));
        EXPECT_STREQ(c.szDevice, pDevice->strName);
        EXPECT_EQ(c.bWindowed, pDevice->bWindowed);
    }
}

TEST_F(CEnumFixture, TwoAdaptersAreKeptAndAThirdIsNeverExamined)
{
    using enum EFakeDevice;
    CDisplayAdapter adapter;
    adapter.dwDesktopBits = 16;
    adapter.aDrivers = {
        MakeFakeDriver(false, true, {MakeFakeDevice(RgbSoftware)}, {{640, 480, 16}}),
        // A secondary adapter's software devices are skipped; its hardware device is kept.
        MakeFakeDriver(true, false, {MakeFakeDevice(RgbSoftware), MakeFakeDevice(Hardware)}, {{800, 600, 16}}),
        MakeFakeDriver(true, false, {MakeFakeDevice(Hardware)}, {{1024, 768, 16}}),
    };
    adapter.aDrivers[2].guid.Data1 = 0x7417;
    CDisplayAdapterScope scope(&adapter);
    ASSERT_EQ(S_OK, EnumerateDirect3DDrivers(nullptr));
    ASSERT_EQ(2, CountDrivers());
    EXPECT_STREQ("Primary Videocard", g_pDriverList->strName);
    const DriverInfo* pSecond = g_pDriverList->pNext;
    EXPECT_STREQ("Secondary Videocard", pSecond->strName);
    EXPECT_EQ(pSecond->pGuid, &pSecond->guid);
    EXPECT_STREQ("second", pSecond->strDesc);
    ASSERT_NE(nullptr, pSecond->pFirstDevice);
    EXPECT_STREQ("Hardware Acceleration", pSecond->pFirstDevice->strName);
    EXPECT_EQ(nullptr, pSecond->pFirstDevice->pNext) << "the secondary's software device is skipped";
    EXPECT_FALSE(pSecond->pFirstDevice->bWindowed) << "only the primary driver runs windowed";
}

TEST_F(CEnumFixture, TheNamesTheSettingsKeepChooseDriverDeviceAndMode)
{
    using enum EFakeDevice;
    struct SCase
    {
        const char *szName, *szDriver, *szDevice, *szMode;
        const char *szWantDriver, *szWantDevice, *szWantMode;
        BOOL bWindowed;
    };
    // Chosen by default: the primary's hardware device in a window, 640 x 480 x 16 for full screen.
    const SCase aCases[] = {
        {"every name found", "Primary Videocard", "RGB Software Renderer", "800 x 600 x 32", "Primary Videocard",
         "RGB Software Renderer", "800 x 600 x 32", TRUE},
        {"names never written", "", "", "", "Primary Videocard", "Hardware Acceleration", "640 x 480 x 16", TRUE},
        {"an unknown driver keeps everything", "Tertiary Videocard", "RGB Software Renderer", "800 x 600 x 32",
         "Primary Videocard", "Hardware Acceleration", "640 x 480 x 16", TRUE},
        {"an unknown device keeps the device and its mode", "Primary Videocard", "Glide", "800 x 600 x 32",
         "Primary Videocard", "Hardware Acceleration", "640 x 480 x 16", TRUE},
        {"an unknown mode keeps the device's own", "Primary Videocard", "RGB Software Renderer", "1 x 1 x 1",
         "Primary Videocard", "RGB Software Renderer", "640 x 480 x 16", TRUE},
        {"a driver that cannot draw in a window: full screen", "Secondary Videocard", "Hardware Acceleration",
         "1024 x 768 x 16", "Secondary Videocard", "Hardware Acceleration", "1024 x 768 x 16", FALSE},
        {"a driver without the device keeps its own", "Secondary Videocard", "RGB Software Renderer", "",
         "Secondary Videocard", "Hardware Acceleration", "1024 x 768 x 16", FALSE},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        Reset();
        CDisplayAdapter adapter;
        adapter.dwDesktopBits = 16;
        adapter.aDrivers = {
            MakeFakeDriver(false, true, {MakeFakeDevice(RgbSoftware), MakeFakeDevice(Hardware)},
                           {{640, 480, 16}, {800, 600, 16}, {800, 600, 32}}),
            MakeFakeDriver(true, false, {MakeFakeDevice(Hardware)}, {{1024, 768, 16}}),
        };
        CDisplayAdapterScope scope(&adapter);
        ASSERT_EQ(S_OK, EnumerateDirect3DDrivers(nullptr));
        SelectNamedDriver(c.szDriver, c.szDevice, c.szMode);
        DriverInfo* pDriver = nullptr;
        DeviceInfo* pDevice = nullptr;
        ASSERT_EQ(S_OK, GetSelectedDriver(&pDriver, &pDevice));
        ASSERT_NE(nullptr, pDevice);
        EXPECT_STREQ(c.szWantDriver, pDriver->strName);
        EXPECT_STREQ(c.szWantDevice, pDevice->strName);
        ASSERT_NE(nullptr, pDevice->pCurrentMode);
        EXPECT_STREQ(c.szWantMode, pDevice->pCurrentMode->strDesc);
        EXPECT_EQ(c.bWindowed, pDevice->bWindowed);
    }
}

TEST_F(CEnumFixture, DevicesAreFilteredByCallbackAndCaps)
{
    using enum EFakeDevice;
    SAdapterDevice wBuffered = MakeFakeDevice(RampSoftware);
    wBuffered.ddHelDesc.dpcLineCaps.dwRasterCaps = D3DPRASTERCAPS_WBUFFER;
    CDisplayAdapter adapter;
    adapter.aDrivers = {MakeFakeDriver(false, true, {MakeFakeDevice(Hardware), wBuffered, MakeFakeDevice(RgbSoftware)},
                                       {{800, 600, 32}, {1024, 768, 32}})};
    CDisplayAdapterScope scope(&adapter);
    // The caller turns the hardware device down.
    const auto rejectHardware = [](DDCAPS*, D3DDEVICEDESC* pDesc) -> HRESULT
    { return pDesc->dwDeviceZBufferBitDepth == 0 ? S_OK : E_FAIL; };
    adapter.aDrivers[0].aDevices[0].ddHwDesc.dwDeviceZBufferBitDepth = DDBD_16;
    ASSERT_EQ(S_OK, EnumerateDirect3DDrivers(rejectHardware));
    const DeviceInfo* pFirst = g_pDriverList->pFirstDevice;
    ASSERT_NE(nullptr, pFirst);
    EXPECT_STREQ("RGB Software Renderer", pFirst->strName);
    EXPECT_EQ(nullptr, pFirst->pNext) << "the w-buffered software device is skipped";
    EXPECT_STREQ("800 x 600 x 32", pFirst->pCurrentMode->strDesc) << "without 640 x 480 x 16 the first mode";
}

TEST_F(CEnumFixture, MissingLibraryAndFreedListsReport)
{
    {
        CDisplayAdapterScope scope(nullptr);
        EXPECT_EQ(D3DENUMERR_NODIRECTDRAW, EnumerateDirect3DDrivers(nullptr));
    }
    EXPECT_EQ(D3DENUMERR_ENUMERATIONFAILED, GetSelectedDriver(nullptr, nullptr));
    CDisplayAdapter adapter = CDisplayAdapter::MakeSoftware(800, 600, 32, {{800, 600}});
    CDisplayAdapterScope scope(&adapter);
    ASSERT_EQ(S_OK, EnumerateDirect3DDrivers(nullptr));
    FreeDriverList();
    EXPECT_EQ(nullptr, g_pDriverList);
    EXPECT_EQ(D3DENUMERR_ENUMERATIONFAILED, GetSelectedDriver(nullptr, nullptr))
        << "no selection may point into the freed lists";
}

TEST_F(CEnumFixture, GuidComparison)
{
    GUID a = IID_IDirect3DRGBDevice, b = IID_IDirect3DRGBDevice;
    EXPECT_TRUE(IsSameGuid(&a, &b));
    b.Data4[7] ^= 1;
    EXPECT_FALSE(IsSameGuid(&a, &b));
}
