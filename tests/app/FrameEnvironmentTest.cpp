// The main frame's 3-D environment on the headless display with the game's own art: a frame drawn
// after the environment is rebuilt (a too-small window re-centred at the frame's size) is the
// same to the pixel as the one before; the field of view a change sets up by the game mode.
#include "tests/app/AppFolder.h"
#include "tests/render/FakeAdapter.h"

#include "app/MainFrame.h"
#include "foundation/ErrorBox.h"
#include "foundation/GameModeWord.h"
#include "foundation/LibraryLists.h"
#include "foundation/Matrix.h"
#include "platform/dx/DirectDraw.h"
#include "platform/win32/Clock.h"
#include "platform/win32/CrtRandom.h"
#include "platform/win32/WindowTable.h"
#include "platform/window/Window.h"
#include "render/D3DEnum.h"
#include "render/D3DFramework.h"
#include "render/Environment3D.h"
#include "render/TextureManager.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <numeric>

namespace
{
void Pump()
{
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessage(&msg);
}

/// A started frame on the headless display, the game's art in its libraries, on the test clock.
class FrameEnvironmentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* szLib : {"Imagery1.dll", "Imagery.dll"})
            g_astrArtworkLibraries.Add((std::string(VORN_GAME_DIR) + "/" + szLib).c_str());
        g_astrBallSetLibraries.Add((std::string(VORN_GAME_DIR) + "/VornBall.dat").c_str());
        ASSERT_TRUE(StartDisplay());
        ASSERT_NE(nullptr, InstallSystemDisplayAdapter());
        m_pFrame = new CMainFrame;
        ASSERT_TRUE(m_pFrame->LoadFrame(128));
        m_hWnd = m_pFrame->m_hWnd;
        Pump();
        ASSERT_TRUE(m_pFrame->IsGameStarted());
        g_nGameMode = 0; // the game rests: no flight or stroke moves between the frames compared
    }
    void TearDown() override
    {
        if (IsWindow(m_hWnd))
            m_pFrame->DestroyWindow();
        Pump();
        DeleteAllTextures();
        g_astrBallSetLibraries.RemoveAll();
        FreeDriverList();
        g_hDDrawModule = nullptr;
        g_pfnDirectDrawCreate = nullptr;
        g_nGameMode = 0;
        StopDisplay();
    }

    /// One tick's frame as the window shows it; the lamps flicker the same way each time.
    std::vector<DWORD> Frame(int& nWidth, int& nHeight)
    {
        CrtSrand(11);
        EXPECT_TRUE(m_pFrame->OnFrame());
        std::vector<DWORD> aPixels;
        EXPECT_TRUE(ReadWindowPixels(m_hWnd, aPixels, &nWidth, &nHeight));
        return aPixels;
    }

    const CAppFolder m_app;
    const CTestClockScope m_clock{5000};
    CMainFrame* m_pFrame = nullptr;
    HWND m_hWnd = nullptr;
};

TEST_F(FrameEnvironmentTest, FrameAfterAnEnvironmentChangeIsTheSameToThePixel)
{
    int nWidth = 0, nHeight = 0;
    const std::vector<DWORD> aBefore = Frame(nWidth, nHeight);
    ASSERT_EQ(FRAME_WIDTH, nWidth);
    ASSERT_EQ(FRAME_HEIGHT, nHeight);
    // The scene is there: the frame is not one colour.
    EXPECT_NE(std::count(aBefore.begin(), aBefore.end(), aBefore.front()), static_cast<long>(aBefore.size()));

    struct SCase
    {
        const char* szName;
        int nWidth, nHeight; // the window's size before the change; 0 leaves it
    };
    const SCase aCases[] = {{"the same window", 0, 0}, {"a too-small window comes back at the frame's size", 640, 480}};
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        if (c.nWidth > 0)
            SetWindowPos(m_hWnd, nullptr, 0, 0, c.nWidth, c.nHeight, SWP_NOMOVE);
        ASSERT_EQ(S_OK, m_pFrame->Change3DEnvironment(m_hWnd));
        RECT rc;
        GetWindowRect(m_hWnd, &rc);
        EXPECT_EQ(FRAME_WIDTH, rc.right - rc.left);
        EXPECT_EQ(FRAME_HEIGHT, rc.bottom - rc.top);
        EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - FRAME_WIDTH) / 2, rc.left);
        int nAfterWidth = 0, nAfterHeight = 0;
        const std::vector<DWORD> aAfter = Frame(nAfterWidth, nAfterHeight);
        ASSERT_EQ(nWidth, nAfterWidth);
        ASSERT_EQ(nHeight, nAfterHeight);
        const auto nDiffering = std::inner_product(aBefore.begin(), aBefore.end(), aAfter.begin(), 0L, std::plus<>(),
                                                   std::not_equal_to<>());
        EXPECT_EQ(0, nDiffering);
    }
    const std::filesystem::path dir = VORN_TEST_OUTPUT_DIR;
    std::filesystem::create_directories(dir);
    EXPECT_TRUE(SaveWindowPng(m_hWnd, (dir / "FrameAfterChange.png").string()));
}

TEST_F(FrameEnvironmentTest, ChangeSetsTheWideViewInTheCallShotModeAndItsFlag)
{
    struct SCase
    {
        const char* szName;
        DWORD dwMode;
        float fFov;
    };
    const SCase aCases[] = {
        {"aiming: the stored field of view", 0x20, g_fFieldOfView},
        {"calling the shot", 0x4000, NARROW_FIELD_OF_VIEW},
        {"the wide-view flag", 0x20 | 0x100000, NARROW_FIELD_OF_VIEW},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_nGameMode = c.dwMode;
        ASSERT_EQ(S_OK, m_pFrame->Change3DEnvironment(m_hWnd));
        const D3DMATRIX actual = g_matProjection;
        const CD3DFramework& framework = *m_pFrame->GetFramework();
        ASSERT_EQ(S_OK, BuildProjection(c.fFov, framework.GetRenderWidth(), framework.GetRenderHeight(), nullptr));
        EXPECT_EQ(0, std::memcmp(&actual, &g_matProjection, sizeof actual));
    }
}
} // namespace

namespace
{
TEST(FrameEnvironmentFallbackTest, AFailingHardwareDeviceGivesWayToTheSoftwareOne)
{
    struct SCase
    {
        const char* szName;
        bool bHardwareDepth, bSoftwareDepth; // the device has a depth-buffer format
        bool bCreated;
        std::vector<std::string> astrErrors;
    };
    const SCase aCases[] = {
        {"the hardware device draws", true, true, true, {}},
        {"the hardware device fails: the software one draws",
         false,
         true,
         true,
         {"No ZBuffer\n\nSwitching to software rasterizer."}},
        {"both fail: the window is not made",
         false,
         false,
         false,
         {"No ZBuffer\n\nSwitching to software rasterizer.", "No ZBuffer\n\nApplication will now exit."}},
    };
    const CAppFolder app;
    app.AddArtworkLibrary();
    ASSERT_TRUE(StartDisplay());
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        SAdapterDevice hardware = MakeFakeDevice(EFakeDevice::Hardware);
        SAdapterDevice software = MakeFakeDevice(EFakeDevice::RgbSoftware);
        if (!c.bHardwareDepth)
            hardware.aZBufferFormats.clear();
        if (!c.bSoftwareDepth)
            software.aZBufferFormats.clear();
        CDisplayAdapter adapter;
        adapter.aDrivers = {MakeFakeDriver(false, true, {hardware, software}, {{800, 600, 32}})};
        adapter.pfnWindowOutput = &GetWindowOutput;
        const CDisplayAdapterScope scope(&adapter);
        std::vector<std::string> astrErrors;
        SetErrorBoxHandler([&](const char* szText) { astrErrors.emplace_back(szText); });
        auto* pFrame = new CMainFrame;
        const BOOL bCreated = pFrame->LoadFrame(128);
        EXPECT_EQ(c.bCreated, bCreated != FALSE);
        EXPECT_EQ(c.astrErrors, astrErrors);
        if (bCreated)
        {
            DeviceInfo* pDevice = nullptr;
            ASSERT_EQ(S_OK, GetSelectedDriver(nullptr, &pDevice));
            EXPECT_EQ(c.bHardwareDepth, pDevice->bIsHardware != FALSE);
            EXPECT_NE(nullptr, pFrame->GetFramework()->GetD3DDevice());
            pFrame->DestroyWindow();
        }
        Pump();
        SetErrorBoxHandler({});
        FreeDriverList();
        g_hDDrawModule = nullptr;
        g_pfnDirectDrawCreate = nullptr;
    }
    StopDisplay();
}
} // namespace
