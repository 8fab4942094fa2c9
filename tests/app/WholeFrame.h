// A started frame of the game's own art on a headless screen of a given size, the window filling
// it as the full-screen command leaves it: what a player sees on that screen, read pixel by pixel.
#pragma once

#include "tests/app/AppFolder.h"
#include "tests/app/FrameScope.h"

#include "app/MainFrame.h"
#include "foundation/LibraryLists.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "platform/dx/DirectDraw.h"
#include "platform/win32/CrtRandom.h"
#include "platform/win32/Desktop.h"
#include "platform/window/Window.h"
#include "render/D3DFramework.h"
#include "render/TextureManager.h"
#include "render/TextureSet.h"
#include "ui/IntroSequence.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

/// The screen the frames of FrameWholeTest are drawn on.
inline constexpr SIZE WHOLE_FRAME_SCREEN{800, 600};

/// A started frame of the game's art on a screen of the size at nBits, an eight-ball game.
class CWholeFrame
{
public:
    explicit CWholeFrame(DWORD dwBits, SIZE screen = WHOLE_FRAME_SCREEN)
        : m_screen(screen), m_adapter(CDisplayAdapter::MakeSoftware(screen.cx, screen.cy, dwBits, {screen}))
    {
        for (const char* szLib : {"Imagery1.dll", "Imagery.dll"})
            g_astrArtworkLibraries.Add((std::string(VORN_GAME_DIR) + "/" + szLib).c_str());
        for (const char* szLib : {"VornBall.dat", "VornBall1.dat"})
            g_astrBallSetLibraries.Add((std::string(VORN_GAME_DIR) + "/" + szLib).c_str());
        // The sprites' pictures lie in the data folder.
        for (const char* szFile : {"star.tga", "bubble.tga"})
            std::filesystem::copy_file(std::string(VORN_GAME_DIR) + "/" + szFile, m_app.Folder().File(szFile));
        g_textureSet.LoadTextureSet();
        g_Settings.SetDefaults();
        g_Settings.m_nGameType = 8;
        EXPECT_TRUE(StartDisplay());
        SetDesktopWindowRect(RECT{0, 0, screen.cx, screen.cy});
        m_adapter.pfnWindowOutput = &GetWindowOutput;
        m_pAdapterScope = std::make_unique<CDisplayAdapterScope>(&m_adapter);
        m_pScope = std::make_unique<CFrameScope>(true);
    }
    ~CWholeFrame()
    {
        m_pScope.reset();
        m_pAdapterScope.reset();
        DeleteAllTextures();
        g_astrBallSetLibraries.RemoveAll();
        g_textureSet.LoadTextureSet();
        g_nGameMode = 0;
        g_Settings.SetDefaults();
    }
    CWholeFrame(const CWholeFrame&) = delete;
    CWholeFrame& operator=(const CWholeFrame&) = delete;

    /// The window over the whole screen, the game at rest, seen from the default camera.
    bool FillTheScreen()
    {
        if (!m_pScope->m_bCreated || !Frame().IsGameStarted())
            return false;
        // As the full-screen command does it: no second change while the window is placed.
        g_b3DReady = FALSE;
        g_Settings.m_nFullScreen = 1;
        const HRESULT hr = Frame().Change3DEnvironment(m_pScope->m_hWnd);
        g_b3DReady = TRUE;
        g_IntroSequence.Finish(); // the game rests past the intro
        g_nGameMode = 0;
        SFlowCamera& camera = Frame().GetGameFlow().Camera();
        camera.vPosition = camera.vLookAt; // the flow's camera not placed: the default one
        return hr == S_OK;
    }
    CMainFrame& Frame() { return *m_pScope->m_pFrame; }

    /// The pixels of the frame a tick draws; bSameFlicker: the lamps flicker the same way each time.
    std::vector<DWORD> Tick(bool bSameFlicker = true)
    {
        if (bSameFlicker)
            CrtSrand(11);
        EXPECT_TRUE(Frame().OnFrame());
        std::vector<DWORD> aPixels;
        int nWidth = 0, nHeight = 0;
        EXPECT_TRUE(ReadWindowPixels(m_pScope->m_hWnd, aPixels, &nWidth, &nHeight));
        EXPECT_EQ(m_screen.cx, nWidth);
        EXPECT_EQ(m_screen.cy, nHeight);
        return aPixels;
    }
    bool SavePng(const std::string& strName) const
    {
        const std::filesystem::path dir = VORN_TEST_OUTPUT_DIR;
        std::filesystem::create_directories(dir);
        return SaveWindowPng(m_pScope->m_hWnd, (dir / strName).string());
    }

private:
    const CAppFolder m_app;
    SIZE m_screen;
    CDisplayAdapter m_adapter;
    std::unique_ptr<CDisplayAdapterScope> m_pAdapterScope;
    std::unique_ptr<CFrameScope> m_pScope;
};
