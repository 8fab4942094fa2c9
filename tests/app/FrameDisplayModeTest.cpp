// The display the settings ask for, on the real frame with the game's own art on a 1024 x 768
// screen: "FullScreen" with a "Mode" the device offers takes the screen in that mode (the frame
// drawn at the mode's size, shown over the whole screen), anything else a window; with "Wait
// flip" on each frame shown waits for a refresh of the display of its own, with it off none waits;
// "Triple Buffer" is switched off where the device cannot have it.
#include "tests/app/AppFolder.h"
#include "tests/app/FrameScope.h"

#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "platform/dx/DirectDraw.h"
#include "platform/win32/Clock.h"
#include "platform/win32/CrtRandom.h"
#include "platform/win32/Desktop.h"
#include "render/D3DFramework.h"
#include "render/TextureManager.h"
#include "render/TextureSet.h"
#include "ui/IntroSequence.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
constexpr int SCREEN_WIDTH = 1024, SCREEN_HEIGHT = 768;

class FrameDisplayModeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* szLib : {"Imagery1.dll", "Imagery.dll"})
            g_astrArtworkLibraries.Add((std::string(VORN_GAME_DIR) + "/" + szLib).c_str());
        g_astrBallSetLibraries.Add((std::string(VORN_GAME_DIR) + "/VornBall.dat").c_str());
        g_textureSet.LoadTextureSet();
        g_Settings.SetDefaults();
        m_adapter = CDisplayAdapter::MakeSoftware(SCREEN_WIDTH, SCREEN_HEIGHT, 32,
                                                  {SIZE{640, 480}, SIZE{800, 600}, SIZE{1024, 768}});
        m_adapter.pfnWindowOutput = &GetWindowOutput;
        m_adapter.pfnSetWindowFullScreen = &SetWindowFullScreen;
        ASSERT_TRUE(StartDisplay());
        SetDesktopWindowRect(RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT});
    }
    void TearDown() override
    {
        m_pScope.reset();
        m_pAdapterScope.reset();
        DeleteAllTextures();
        g_astrBallSetLibraries.RemoveAll();
        g_textureSet.LoadTextureSet();
        g_nGameMode = 0;
        g_Settings.SetDefaults();
    }

    /// The frame started with these display settings, resting past the intro.
    bool Start(int nFullScreen, const char* szMode, int nWaitFlip = 0)
    {
        const int nTripleBuffer = g_Settings.m_nTripleBuffer;
        g_Settings.SetDefaults();
        g_Settings.m_nTripleBuffer = nTripleBuffer;
        // The names the enumeration gives the screen's driver and its device, as the settings keep them.
        g_Settings.m_strDriver = "Primary Videocard";
        g_Settings.m_strDevice = "RGB Software Renderer";
        g_Settings.m_nFullScreen = nFullScreen;
        g_Settings.m_strMode = szMode;
        g_Settings.m_nWaitFlip = nWaitFlip;
        m_pAdapterScope = std::make_unique<CDisplayAdapterScope>(&m_adapter);
        m_pScope = std::make_unique<CFrameScope>(true);
        if (!m_pScope->m_bCreated || !Frame().IsGameStarted())
            return false;
        if (!g_IntroSequence.IsFinished())
            g_IntroSequence.Finish();
        g_nGameMode = 0;
        // The environment made again for the display the settings ask for, with the window placed for it.
        g_b3DReady = FALSE;
        const HRESULT hr = Frame().Change3DEnvironment(m_pScope->m_hWnd);
        g_b3DReady = TRUE;
        return hr == S_OK;
    }
    CMainFrame& Frame() { return *m_pScope->m_pFrame; }
    CD3DFramework& Framework() { return *Frame().GetFramework(); }

    const CAppFolder m_app;
    const CTestClockScope m_clock{5000};
    CDisplayAdapter m_adapter;
    std::unique_ptr<CDisplayAdapterScope> m_pAdapterScope;
    std::unique_ptr<CFrameScope> m_pScope;
};

TEST_F(FrameDisplayModeTest, TheModeOfTheSettingsIsTheFullScreensSize)
{
    struct SCase
    {
        const char* szName;
        int nFullScreen;
        const char* szMode;
        bool bExclusive;
        DWORD dwWidth, dwHeight, dwBits; // what the frame is drawn at, in the exclusive full screen
    };
    const SCase aCases[] = {
        {"800 by 600", 1, "800 x 600 x 32", true, 800, 600, 32},
        {"640 by 480 in 16 bits", 1, "640 x 480 x 16", true, 640, 480, 16},
        {"no mode: a window over the screen", 1, "", false, 0, 0, 0},
        {"a mode the device does not offer", 1, "1280 x 1024 x 32", false, 0, 0, 0},
        {"a mode, but in a window", 0, "800 x 600 x 32", false, 0, 0, 0},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        ASSERT_TRUE(Start(c.nFullScreen, c.szMode));
        EXPECT_EQ(c.bExclusive, Framework().IsFullscreen() != FALSE);
        if (c.bExclusive)
        {
            EXPECT_EQ(c.dwWidth, Framework().GetRenderWidth());
            EXPECT_EQ(c.dwHeight, Framework().GetRenderHeight());
            EXPECT_EQ(c.dwBits, Framework().GetBackBuffer()->GetBitsPerPixel());
            // The frame at the mode's size fills the whole screen.
            CrtSrand(3);
            ASSERT_TRUE(Frame().OnFrame());
            std::vector<DWORD> aPixels;
            int nWidth = 0, nHeight = 0;
            ASSERT_TRUE(ReadWindowPixels(m_pScope->m_hWnd, aPixels, &nWidth, &nHeight));
            EXPECT_EQ(SCREEN_WIDTH, nWidth);
            EXPECT_EQ(SCREEN_HEIGHT, nHeight);
            int nBlack = 0;
            for (const DWORD dw : aPixels)
                nBlack += (dw & 0xFFFFFF) == 0 ? 1 : 0;
            EXPECT_LT(nBlack, nWidth * nHeight / 20) << "the scene covers the screen";
            const std::filesystem::path dir = VORN_TEST_OUTPUT_DIR;
            std::filesystem::create_directories(dir);
            EXPECT_TRUE(
                SaveWindowPng(m_pScope->m_hWnd, (dir / ("FullScreen" + std::to_string(c.dwWidth) + ".png")).string()));
        }
        m_pScope.reset();
        m_pAdapterScope.reset();
    }
}

TEST_F(FrameDisplayModeTest, WithWaitFlipOnEachFrameShownTakesARefreshOfItsOwn)
{
    for (const int nWaitFlip : {1, 0})
    {
        SCOPED_TRACE(nWaitFlip);
        ASSERT_TRUE(Start(1, "800 x 600 x 32", nWaitFlip));
        ASSERT_TRUE(Framework().IsFullscreen());
        std::vector<std::uint64_t> aRefreshes;
        for (int k = 0; k < 8; ++k)
        {
            ASSERT_TRUE(Frame().OnFrame());
            aRefreshes.push_back(Framework().GetFrontBuffer()->GetLastFlipRefresh());
        }
        for (std::size_t k = 1; k < aRefreshes.size(); ++k)
            if (nWaitFlip != 0)
                EXPECT_GT(aRefreshes[k], aRefreshes[k - 1]) << "frame " << k << " shares a refresh";
            else
                EXPECT_EQ(aRefreshes[0], aRefreshes[k]) << "no frame's flip waits for the display";
        std::filesystem::create_directories(VORN_TEST_OUTPUT_DIR);
        EXPECT_TRUE(SaveWindowPng(m_pScope->m_hWnd, (std::filesystem::path(VORN_TEST_OUTPUT_DIR) /
                                                     ("WaitFlip" + std::to_string(nWaitFlip) + ".png"))
                                                        .string()));
        m_pScope.reset();
        m_pAdapterScope.reset();
    }
}
} // namespace

namespace
{
TEST_F(FrameDisplayModeTest, TripleBufferingIsSwitchedOffWhereTheDeviceCannotHaveIt)
{
    // A driver whose device cannot draw into a window runs full screen, and has no third buffer.
    for (SAdapterDriver& driver : m_adapter.aDrivers)
        driver.ddHwCaps.dwCaps2 &= ~DDCAPS2_CANRENDERWINDOWED;
    g_Settings.m_nTripleBuffer = 1;
    ASSERT_TRUE(Start(0, "800 x 600 x 32"));
    EXPECT_TRUE(Framework().IsFullscreen());
    EXPECT_EQ(0, g_Settings.m_nTripleBuffer);
}
} // namespace
