// The game's own dialogs over a main window: the display on SDL's dummy driver, a game window showing
// a frame of one colour, and the program library the build packs as the current resource library.
// Boxes are shown and driven by the test rather than answered unattended; frames of the window with
// a dialog over it are written as PNG for a person to look at.
#pragma once

#include "DialogDriver.h"
#include "tests/fixtures/SolidFrame.h"

#include "foundation/Settings.h"
#include "platform/TempFolder.h"
#include "platform/dx/DirectDraw.h"
#include "platform/dx/Surface.h"
#include "platform/mfc/AfxResource.h"
#include "platform/win32/Desktop.h"
#include "platform/win32/MessageBox.h"
#include "platform/win32/Modules.h"
#include "platform/window/Window.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

class CGameDialogFixture : public ::testing::Test
{
protected:
    /// The colour of the game window's frame behind the dialogs.
    static constexpr DWORD BEHIND = 0x00302018;

    void SetUp() override
    {
        ASSERT_TRUE(StartDisplay());
        SetMessageBoxAnswerSource(nullptr);
        m_hModule = LoadLibrary((std::string(VORN_GAME_DIR) + "/VornRes.dll").c_str());
        ASSERT_NE(nullptr, m_hModule);
        AfxSetResourceHandle(m_hModule);
        m_hGame = CreateGameWindow(SWindowDesc{});
        ASSERT_NE(nullptr, m_hGame);
        m_game.m_hWnd = m_hGame;
        ShowSolidFrame(m_hGame, BEHIND);
        std::filesystem::create_directories(VORN_TEST_OUTPUT_DIR);
    }
    void TearDown() override
    {
        m_game.m_hWnd = nullptr;
        if (m_hGame != nullptr)
            DestroyGameWindow(m_hGame);
        AfxSetResourceHandle(nullptr);
        if (m_hModule != nullptr)
            FreeLibrary(m_hModule);
        StopDisplay();
    }

    /// Writes the game window as now shown, with the dialogs over it, as <name>.png.
    void Shot(const std::string& strName) const
    {
        EXPECT_TRUE(SaveWindowPng(m_hGame, (std::filesystem::path(VORN_TEST_OUTPUT_DIR) / (strName + ".png")).string()))
            << strName;
    }
    /// The window's pixel at a point of its client area, as shown now (0x00RRGGBB).
    DWORD ShownPixel(POINT pt) const
    {
        std::vector<DWORD> aPixels;
        int nWidth = 0;
        int nHeight = 0;
        if (!ReadWindowPixels(m_hGame, aPixels, &nWidth, &nHeight) || pt.x < 0 || pt.y < 0 || pt.x >= nWidth ||
            pt.y >= nHeight)
            return 0xFFFFFFFFu;
        return aPixels[static_cast<std::size_t>(pt.y) * static_cast<std::size_t>(nWidth) +
                       static_cast<std::size_t>(pt.x)];
    }

    HMODULE m_hModule = nullptr;
    HWND m_hGame = nullptr;
    CWnd m_game;
};

/// The live settings at their defaults, saved as Vorn.ini of the test's folder, and put back as they
/// were at the end.
class CLiveSettingsScope
{
public:
    explicit CLiveSettingsScope(const CTempFolder& folder) : m_saved(g_Settings)
    {
        g_Settings.SetDefaults();
        g_Settings.m_strIniFilePath = CString(folder.File("Vorn.ini").c_str());
    }
    ~CLiveSettingsScope() { g_Settings = m_saved; }
    CLiveSettingsScope(const CLiveSettingsScope&) = delete;
    CLiveSettingsScope& operator=(const CLiveSettingsScope&) = delete;

private:
    CSettings m_saved;
};
