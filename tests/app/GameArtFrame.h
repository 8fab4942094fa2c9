// A test of the real frame drawn in the game's own art (its artwork, ball-set and program libraries
// from the program folder the build makes), an eight-ball game between two people, on a test clock.
#pragma once

#include "tests/app/AppFolder.h"

#include "foundation/GameModeWord.h"
#include "foundation/LibraryLists.h"
#include "foundation/Settings.h"
#include "platform/mfc/AfxResource.h"
#include "platform/win32/Clock.h"
#include "platform/win32/Modules.h"
#include "render/TextureManager.h"
#include "render/TextureSet.h"
#include "simulation/Referee.h"

#include <gtest/gtest.h>
#include <string>

class CGameArtFrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* szLib : {"Imagery1.dll", "Imagery.dll"})
            g_astrArtworkLibraries.Add((std::string(VORN_GAME_DIR) + "/" + szLib).c_str());
        for (const char* szLib : {"VornBall.dat", "VornBall1.dat"})
            g_astrBallSetLibraries.Add((std::string(VORN_GAME_DIR) + "/" + szLib).c_str());
        g_textureSet.LoadTextureSet();
        m_savedSettings = g_Settings;
        g_Settings.SetDefaults();
        g_Settings.m_nGameType = GAME_8BALL;
        g_Settings.m_nCompetitionType = 1;
        m_hResources = LoadLibrary((std::string(VORN_GAME_DIR) + "/VornRes.dll").c_str());
        AfxSetResourceHandle(m_hResources);
    }
    void TearDown() override
    {
        DeleteAllTextures();
        g_astrBallSetLibraries.RemoveAll();
        g_textureSet.LoadTextureSet();
        g_nGameMode = 0;
        g_Settings = m_savedSettings;
        AfxSetResourceHandle(nullptr);
        FreeLibrary(m_hResources);
    }

    CTestClockScope m_clock{1000};
    const CAppFolder m_app;
    HINSTANCE m_hResources = nullptr;
    CSettings m_savedSettings;
};
