// The one test that opens a real window: an X server of its own (Xvfb), the game's window on it, a rendered
// frame presented and the window's pixels read back.
#include "platform/window/Window.h"
#include "render/D3DEnum.h"
#include "render/D3DFramework.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

extern char** environ;

namespace
{
/// Runs Xvfb on a display number it picks itself and stops it at the end of the scope.
/// -displayfd: the server takes the first number whose socket it can bind, so servers started together
/// never share one. -noreset: by default the server resets when its last client leaves, and a client
/// connecting during the reset is refused; the test connects more than once (the desktop query, then the
/// window), so without it a second connection fails under load.
class CXvfbServer
{
public:
    /// strScreen: the screen's width x height x depth.
    bool Start(const std::string& strScreen)
    {
        int aPipe[2];
        if (pipe(aPipe) != 0)
            return false;
        const std::string strFd = std::to_string(aPipe[1]);
        const char* aArgs[] = {"Xvfb",      "-displayfd", strFd.c_str(), "-screen", "0", strScreen.c_str(),
                               "-nolisten", "tcp",        "-noreset",    nullptr};
        const int nSpawn = posix_spawnp(&m_pid, "Xvfb", nullptr, nullptr, const_cast<char**>(aArgs), environ);
        close(aPipe[1]);
        if (nSpawn != 0)
        {
            close(aPipe[0]);
            m_pid = 0;
            return false;
        }
        // The server writes its display number once it accepts connections.
        pollfd pfd{aPipe[0], POLLIN, 0};
        std::string strNumber;
        char c = 0;
        while (poll(&pfd, 1, 15000) > 0 && read(aPipe[0], &c, 1) == 1 && c != '\n')
            strNumber += c;
        close(aPipe[0]);
        if (strNumber.empty())
            return false;
        m_strDisplay = ":" + strNumber;
        return true;
    }
    ~CXvfbServer()
    {
        if (m_pid > 0)
        {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    const std::string& GetDisplay() const { return m_strDisplay; }

private:
    pid_t m_pid = 0;
    std::string m_strDisplay;
};

bool XvfbInstalled() { return std::system("command -v Xvfb >/dev/null 2>&1") == 0; }

/// Puts the display adapter, the driver list and the DirectDraw library back as they were before the test.
class CDisplayRestore
{
public:
    CDisplayRestore() : m_restoreAdapter(LoadDisplayAdapter()) {}
    ~CDisplayRestore()
    {
        FreeDriverList();
        g_hDDrawModule = nullptr;
        g_pfnDirectDrawCreate = nullptr;
    }
    CDisplayRestore(const CDisplayRestore&) = delete;
    CDisplayRestore& operator=(const CDisplayRestore&) = delete;

private:
    CDisplayAdapterScope m_restoreAdapter;
};
} // namespace

/// Each test starts an X server of its own and points SDL at it.
class XvfbWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!XvfbInstalled())
            GTEST_SKIP() << "Xvfb is not installed (scripts/setup.sh installs it)";
    }

    void StartDisplay(const std::string& strScreen)
    {
        ASSERT_TRUE(m_server.Start(strScreen)) << "Xvfb did not start";
        setenv("DISPLAY", m_server.GetDisplay().c_str(), 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        StopDisplay(); // the display starts again on this screen
    }

    /// The display thread ends before the screen does; later tests run headless again.
    void TearDown() override
    {
        StopDisplay();
        setenv("SDL_VIDEODRIVER", "dummy", 1);
    }

private:
#if defined(__SANITIZE_ADDRESS__)
    // The X11 client and D-Bus libraries under SDL keep a few allocations for the life of the process.
    __lsan::ScopedDisabler m_keepSystemLibrariesQuiet;
#endif
    CXvfbServer m_server;
};

TEST_F(XvfbWindowTest, PresentedFrameIsWhatTheWindowShows)
{
    ASSERT_NO_FATAL_FAILURE(StartDisplay("1024x768x24"));

    const CDisplayRestore restore;
    CDisplayAdapter* pAdapter = InstallSystemDisplayAdapter();
    ASSERT_NE(nullptr, pAdapter);
    EXPECT_EQ(1024u, pAdapter->dwDesktopWidth);
    ASSERT_EQ(S_OK, EnumerateDirect3DDrivers(nullptr));
    DriverInfo* pDriver = nullptr;
    DeviceInfo* pDevice = nullptr;
    ASSERT_EQ(S_OK, GetSelectedDriver(&pDriver, &pDevice));
    EXPECT_TRUE(pDevice->bWindowed);

    SWindowDesc desc;
    desc.nClientWidth = 200;
    desc.nClientHeight = 150;
    HWND hWnd = CreateGameWindow(desc);
    ASSERT_NE(nullptr, hWnd);
    {
        CD3DFramework framework;
        ASSERT_EQ(S_OK, framework.Initialize(hWnd, pDriver->pGuid, pDevice->pGuid, nullptr,
                                             D3DFW_BACKBUFFER | D3DFW_ZBUFFER));
        // Blue background, a yellow triangle over the left half.
        framework.GetViewport()->Clear2(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x0000C0, 1, 0);
        const D3DTLVERTEX aTri[] = {{10, 10, 0.5f, 1, 0xFFFFFF00, 0, 0, 0},
                                    {100, 10, 0.5f, 1, 0xFFFFFF00, 0, 0, 0},
                                    {10, 140, 0.5f, 1, 0xFFFFFF00, 0, 0, 0}};
        CDirect3DDevice* pDev = framework.GetD3DDevice();
        ASSERT_EQ(D3D_OK, pDev->BeginScene());
        ASSERT_EQ(D3D_OK, pDev->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX, aTri, 3, 0));
        ASSERT_EQ(D3D_OK, pDev->EndScene());
        ASSERT_EQ(DD_OK, framework.ShowFrame());
        EXPECT_EQ(1, GetPresentCount(hWnd));

        std::vector<DWORD> aPixels;
        int w = 0, h = 0;
        ASSERT_TRUE(ReadWindowPixels(hWnd, aPixels, &w, &h));
        ASSERT_EQ(200, w);
        ASSERT_EQ(150, h);
        EXPECT_EQ(0xFFFF00u, aPixels[20 * w + 20]) << "inside the triangle";
        EXPECT_EQ(0x0000C0u, aPixels[120 * w + 150]) << "background";
        int nYellow = 0;
        for (const DWORD p : aPixels)
            nYellow += p == 0xFFFF00u ? 1 : 0;
        // Half of 90 x 130 pixels, give or take the diagonal.
        EXPECT_NEAR(90 * 130 / 2, nYellow, 130);
    }
    DestroyGameWindow(hWnd);
}

TEST_F(XvfbWindowTest, FullScreenFrameIsLetterboxedOnAWideScreen)
{
    ASSERT_NO_FATAL_FAILURE(StartDisplay("1280x720x24"));
    const CDisplayRestore restore;
    ASSERT_NE(nullptr, InstallSystemDisplayAdapter());
    ASSERT_EQ(S_OK, EnumerateDirect3DDrivers(nullptr));
    DriverInfo* pDriver = nullptr;
    DeviceInfo* pDevice = nullptr;
    ASSERT_EQ(S_OK, GetSelectedDriver(&pDriver, &pDevice));
    const ModeInfo* pMode = pDevice->pFirstMode;
    while (pMode != nullptr && !(pMode->ddsd.dwWidth == 800 && pMode->ddsd.dwHeight == 600 &&
                                 pMode->ddsd.ddpfPixelFormat.dwRGBBitCount == 32))
        pMode = pMode->pNext;
    ASSERT_NE(nullptr, pMode) << "800 x 600 x 32 is always offered";

    SWindowDesc desc; // a full-screen window covers the screen
    desc.nClientWidth = 1280;
    desc.nClientHeight = 720;
    desc.bFullScreen = true;
    HWND hWnd = CreateGameWindow(desc);
    ASSERT_NE(nullptr, hWnd);
    {
        CD3DFramework framework;
        ASSERT_EQ(S_OK, framework.Initialize(hWnd, pDriver->pGuid, pDevice->pGuid, &pMode->ddsd,
                                             D3DFW_FULLSCREEN | D3DFW_BACKBUFFER | D3DFW_ZBUFFER));
        // A white frame with a red column at its left edge and a blue one at its right edge.
        const ViewportPtr& pViewport = framework.GetViewport();
        pViewport->Clear2(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFFFF, 1, 0);
        const D3DRECT rcLeft{0, 0, 8, 600}, rcRight{792, 0, 800, 600};
        pViewport->Clear2(1, &rcLeft, D3DCLEAR_TARGET, 0xFF0000, 1, 0);
        pViewport->Clear2(1, &rcRight, D3DCLEAR_TARGET, 0x0000FF, 1, 0);
        ASSERT_EQ(DD_OK, framework.ShowFrame());

        std::vector<DWORD> aPixels;
        int w = 0, h = 0;
        ASSERT_TRUE(ReadWindowPixels(hWnd, aPixels, &w, &h));
        ASSERT_EQ(1280, w);
        ASSERT_EQ(720, h);
        // 800 x 600 fits the 720 rows as 960 x 720, centred: black bars of 160 columns at each side.
        const auto at = [&](int x, int y) { return aPixels[static_cast<size_t>(y) * 1280 + x]; };
        for (const int y : {0, 360, 719})
        {
            SCOPED_TRACE(y);
            EXPECT_EQ(0u, at(0, y));
            EXPECT_EQ(0u, at(159, y));
            EXPECT_EQ(0xFF0000u, at(160, y));
            EXPECT_EQ(0xFFFFFFu, at(640, y));
            EXPECT_EQ(0x0000FFu, at(1119, y));
            EXPECT_EQ(0u, at(1120, y));
            EXPECT_EQ(0u, at(1279, y));
        }
    }
    DestroyGameWindow(hWnd);
}

TEST_F(XvfbWindowTest, AFramelessWindowOverTheWholeScreenIsShownFullScreenAndInAWindowAgain)
{
    ASSERT_NO_FATAL_FAILURE(StartDisplay("1024x768x24"));
    const CDisplayRestore restore;
    ASSERT_NE(nullptr, InstallSystemDisplayAdapter());
    ASSERT_EQ(S_OK, EnumerateDirect3DDrivers(nullptr));
    DriverInfo* pDriver = nullptr;
    DeviceInfo* pDevice = nullptr;
    ASSERT_EQ(S_OK, GetSelectedDriver(&pDriver, &pDevice));

    SWindowDesc desc; // a window without caption or frame, as the game's is
    desc.nClientWidth = 812;
    desc.nClientHeight = 570;
    HWND hWnd = CreateGameWindow(desc);
    ASSERT_NE(nullptr, hWnd);
    struct SStep
    {
        const char* szName;
        RECT rcWindow;
        bool bFullScreen;
        D3DCOLOR colour;
    };
    const SStep aSteps[] = {
        {"in a window", {106, 99, 918, 669}, false, 0x0000C0},
        {"over the whole screen", {0, 0, 1024, 768}, true, 0xC00000},
        {"in a window again", {106, 99, 918, 669}, false, 0x00C000},
    };
    for (const SStep& step : aSteps)
    {
        SCOPED_TRACE(step.szName);
        const RECT& rc = step.rcWindow;
        SetWindowPos(hWnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, SWP_NOZORDER);
        // The frame drawn for the window as it now is, as the game makes its environment again.
        CD3DFramework framework;
        ASSERT_EQ(S_OK, framework.Initialize(hWnd, pDriver->pGuid, pDevice->pGuid, nullptr,
                                             D3DFW_BACKBUFFER | D3DFW_ZBUFFER));
        framework.GetViewport()->Clear2(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, step.colour, 1, 0);
        ASSERT_EQ(DD_OK, framework.ShowFrame());
        std::vector<DWORD> aPixels;
        int w = 0, h = 0;
        ASSERT_TRUE(ReadWindowPixels(hWnd, aPixels, &w, &h));
        EXPECT_EQ(step.bFullScreen, IsWindowShownFullScreen(hWnd));
        // The screen's own window is that size, and all of it shows the frame.
        EXPECT_EQ(rc.right - rc.left, w);
        EXPECT_EQ(rc.bottom - rc.top, h);
        EXPECT_EQ(aPixels.size(), static_cast<std::size_t>(std::count(aPixels.begin(), aPixels.end(), step.colour)));
    }
    DestroyGameWindow(hWnd);
}
