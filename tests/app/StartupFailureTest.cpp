// Start-up in the test's own process when the main window cannot be made: what the person is told,
// the status the program ends with, and what is left behind (the screen saver, windows, threads).
#include "fixtures/WaitFor.h"
#include "tests/render/FakeAdapter.h"

#include "app/VornApp.h"
#include "foundation/ErrorBox.h"
#include "foundation/Folders.h"
#include "foundation/LibraryLists.h"
#include "platform/EnvScope.h"
#include "platform/TempFolder.h"
#include "platform/dx/DirectDraw.h"
#include "platform/win32/Files.h"
#include "platform/win32/MessageBox.h"
#include "platform/win32/SystemParameters.h"
#include "platform/win32/Version.h"
#include "platform/window/Window.h"
#include "render/D3DEnum.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
std::size_t ThreadCount()
{
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ++n;
    return n;
}

/// The thread count once the threads that are ending have ended (a thread joined by its owner has
/// ended; one the display's driver lets go may take a moment).
std::size_t SettledThreadCount(std::size_t nWanted)
{
    std::size_t n = ThreadCount();
    WaitFor([&] { return (n = ThreadCount()) <= nWanted; });
    return n;
}

BOOL ScreenSaverActive()
{
    BOOL bActive = -1;
    SystemParametersInfo(SPI_GETSCREENSAVEACTIVE, 0, &bActive, 0);
    return bActive;
}

/// A display whose every device lacks a depth buffer: no 3-D environment can be made on it.
CDisplayAdapter AdapterWithoutDepthBuffers()
{
    SAdapterDevice hardware = MakeFakeDevice(EFakeDevice::Hardware);
    SAdapterDevice software = MakeFakeDevice(EFakeDevice::RgbSoftware);
    hardware.aZBufferFormats.clear();
    software.aZBufferFormats.clear();
    CDisplayAdapter adapter;
    adapter.aDrivers = {MakeFakeDriver(false, true, {hardware, software}, {{800, 600, 32}})};
    adapter.pfnWindowOutput = &GetWindowOutput;
    return adapter;
}

TEST(StartupFailureTest, EachFailureIsToldEndsWithTwoAndLeavesNothingRunning)
{
    struct SCase
    {
        const char* szName;
        std::function<void(const std::filesystem::path& program)> spoil;
        std::vector<std::string> astrTold; ///< message boxes and error boxes, in order
    };
    const SCase aCases[] = {
        {"the resource library does not load",
         [](const std::filesystem::path& program) { std::filesystem::remove(program / "VornRes.dll"); },
         {"FATAL ERROR!\nCan't load VornRes.dll"}},
        {"the ball sets list no textures",
         [](const std::filesystem::path& program)
         {
             std::filesystem::copy_file(program / "Bare.res", program / "VornBall.dat",
                                        std::filesystem::copy_options::overwrite_existing);
         },
         {"The ball sets (balltex.dat) could not be loaded."}},
        {"the window cannot be made",
         nullptr,
         {"No ZBuffer\n\nSwitching to software rasterizer.", "The 3-D display could not be started."}},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        // The program's libraries in a folder of the test's own, with its own configuration and
        // run-time folders, so that no other test's window counts as a first instance.
        const CTempFolder root;
        const std::filesystem::path program = root.File("program");
        std::filesystem::create_directories(program);
        for (const auto& entry : std::filesystem::directory_iterator(VORN_APP_FIXTURE_DIR))
            if (entry.is_regular_file())
                std::filesystem::copy_file(entry.path(), program / entry.path().filename());
        std::ofstream(program / "Vorn") << "the program";
        if (c.spoil)
            c.spoil(program);
        const CEnvScope config("XDG_CONFIG_HOME", root.File("config").c_str());
        const CEnvScope run("XDG_RUNTIME_DIR", root.File("run").c_str());
        std::filesystem::create_directories(root.File("run"));
        SetProgramFileVersion((1u << 16) | 7u, 0);
        OverrideProgramFilePath((program / "Vorn").string());
        ASSERT_TRUE(StartDisplay());
        CDisplayAdapter adapter = AdapterWithoutDepthBuffers();
        std::vector<std::string> astrTold;
        SetErrorBoxHandler([&](const char* szText) { astrTold.emplace_back(szText); });
        SetMessageBoxHandler(
            [&](const SMessageBoxRequest& request)
            {
                // The library's path is the test's own folder: only its name is compared.
                std::string strText = request.strText;
                if (const size_t nAt = strText.find(program.string() + "/"); nAt != std::string::npos)
                    strText.erase(nAt, program.string().size() + 1);
                astrTold.push_back(strText);
                return IDOK;
            });
        SystemParametersInfo(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0);
        const std::size_t nThreads = ThreadCount();
        int nStatus = 0;
        {
            const CDisplayAdapterScope scope(&adapter);
            CVornApp app;
            EXPECT_FALSE(app.InitInstance());
            EXPECT_EQ(nullptr, app.m_pMainWnd);
            nStatus = app.ExitInstance();
        }
        EXPECT_EQ(2, nStatus) << "a failed start is no success";
        EXPECT_EQ(c.astrTold, astrTold);
        EXPECT_TRUE(ScreenSaverActive()) << "the screen saver is back";
        EXPECT_EQ(nullptr, FindWindow("Vorn class", nullptr)) << "no window is left";
        EXPECT_LE(SettledThreadCount(nThreads), nThreads) << "every thread start-up began has ended";

        // The quit the window's end posted is not for the cases and tests after this one.
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        {
        }
        SetErrorBoxHandler(nullptr);
        SetMessageBoxHandler(nullptr);
        FreeDriverList();
        g_hDDrawModule = nullptr;
        g_pfnDirectDrawCreate = nullptr;
        g_astrArtworkLibraries.RemoveAll();
        g_astrBallSetLibraries.RemoveAll();
        OverrideProgramFilePath("");
        FindDataFolder();
        InitIniFilePath();
        StopDisplay();
    }
}
} // namespace
