// The one test that opens a real window: an X server of its own (Xvfb), the game's window on it, a rendered
// frame presented and the window's pixels read back.
#include "platform/window/Window.h"
#include "render/D3DEnum.h"
#include "render/D3DFramework.h"

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
    bool Start()
    {
        int aPipe[2];
        if (pipe(aPipe) != 0)
            return false;
        const std::string strFd = std::to_string(aPipe[1]);
        const char* aArgs[] = {"Xvfb",        "-displayfd", strFd.c_str(), "-screen",  "0",
                               "1024x768x24", "-nolisten",  "tcp",         "-noreset", nullptr};
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
} // namespace

TEST(XvfbWindowTest, PresentedFrameIsWhatTheWindowShows)
{
    if (!XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed (scripts/setup.sh installs it)";
#if defined(__SANITIZE_ADDRESS__)
    // The X11 client and D-Bus libraries under SDL keep a few allocations for the life of the process.
    __lsan::ScopedDisabler keepSystemLibrariesQuiet;
#endif
    CXvfbServer server;
    ASSERT_TRUE(server.Start()) << "Xvfb did not start";
    setenv("DISPLAY", server.GetDisplay().c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    StopDisplay(); // the display starts again on this screen, and ends before the screen does

    const CDisplayAdapterScope restoreAdapter(LoadDisplayAdapter()); // puts the previous adapter back at the end
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
    StopDisplay();
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    FreeDriverList();
    g_hDDrawModule = nullptr;
    g_pfnDirectDrawCreate = nullptr;
}
