// The game's dialogs that a player of the running program cannot open from outside, opened by the
// real main frame in the test's own process: the end of a pyramid match won against the computer
// in a game the program did not start itself (the program always sets the start-up flag), and the
// physics command (no key or panel sends 32148), the statistics (the start screen's button stays
// hidden) and the options screen's hidden full-screen switch (no click reaches it: the test sends
// its command). The input script drives each dialog as the
// player would, writes it as PNG and closes it; the live coefficients, the settings file and the
// log tell what it did.
#include "tests/app/AppFolder.h"
#include "tests/app/FrameScope.h"
#include "tests/app/LinesInOrder.h"
#include "tests/platform/EnvScope.h"
#include "tests/ui/DialogDriver.h"

#include "app/CommandRules.h"
#include "app/MainFrame.h"
#include "foundation/Folders.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "gameflow/GameMode.h"
#include "platform/mfc/AfxResource.h"
#include "platform/win32/Clock.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/MessageBox.h"
#include "platform/win32/Modules.h"
#include "platform/win32/Profile.h"
#include "platform/win32/WindowTable.h"
#include "platform/window/InputScript.h"
#include "render/Environment3D.h"
#include "simulation/PhysicsCoefficients.h"
#include "simulation/Player.h"
#include "simulation/Referee.h"
#include "ui/IntroSequence.h"
#include "ui/SetupDlg.h"
#include "ui/StatisticsDialog.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace
{
/// The real frame in a game of pyramid against the computer at level 3, with the game's own
/// program library for its dialogs and an input script of the test's; boxes are shown, not
/// answered unseen, so that the script answers them.
class FrameDialogsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_app.AddArtworkLibrary();
        m_oldSettings = g_Settings;
        std::filesystem::create_directories(VORN_TEST_OUTPUT_DIR);
        SetDebugLogSink(
            [this](const std::string& strLine)
            {
                const std::lock_guard lock(m_mutex);
                m_strLog += strLine;
            });
    }
    void TearDown() override
    {
        Stop();
        SetDebugLogSink(nullptr);
        g_Settings = m_oldSettings;
    }

    /// Starts the frame's game past its intro, with the script's entries after the start screen.
    void Start(const std::string& strScript)
    {
        g_Settings.SetDefaults();
        g_Settings.m_strIniFilePath = GetIniFilePath();
        g_Settings.m_nGameType = GAME_PYRAMID;
        g_Settings.m_nCompetitionType = 1;
        g_Settings.m_nPlayerLevel2 = 3;
        g_Settings.m_nAIDefaultLevel = 3;
        g_Settings.m_strPlayer1 = "Ann";
        {
            const std::lock_guard lock(m_mutex);
            m_strLog.clear();
        }
        // A script the display refused would leave the dialogs open for good.
        std::string strError;
        ASSERT_TRUE(ParseInputScript(strScript, strError).has_value()) << strError;
        const std::filesystem::path script = m_app.Folder().Path() / "script.txt";
        std::ofstream(script) << strScript;
        m_pScript = std::make_unique<CEnvScope>("VORN_INPUT_SCRIPT", script.c_str());
        m_pFrame = std::make_unique<CFrameScope>(true, true);
        ASSERT_TRUE(m_pFrame->m_bCreated);
        g_IntroSequence.Finish();
        ASSERT_TRUE(Frame().OnFrame()); // the game's frame the dialogs show over
        m_hGameLibrary = LoadLibrary(VORN_GAME_DIR "/VornRes.dll");
        ASSERT_NE(nullptr, m_hGameLibrary);
        AfxSetResourceHandle(m_hGameLibrary);
        SetMessageBoxAnswerSource(nullptr);
    }
    /// The frame gone, the script and the library with it.
    void Stop()
    {
        m_pFrame.reset();
        m_pScript.reset();
        AfxSetResourceHandle(nullptr);
        if (m_hGameLibrary != nullptr)
            FreeLibrary(m_hGameLibrary);
        m_hGameLibrary = nullptr;
        g_nGameMode = 0;
        g_nPrevGameMode = 0;
    }
    CMainFrame& Frame() const { return *m_pFrame->m_pFrame; }
    std::string Log()
    {
        const std::lock_guard lock(m_mutex);
        return m_strLog;
    }
    /// The script's first entries: once the test has written its line, a character that tells the
    /// test the script has gone past it, so that the dialogs counted after it are the test's.
    static std::string AfterLine(const char* szLine) { return "seen " + std::string(szLine) + "\nafter 0 text !\n"; }
    /// Writes the line and waits for the script's character; the dialog opened next is the one
    /// the script's "dialog +1" waits for.
    static void WriteLineAndWait(const char* szLine)
    {
        OutputDebugString((std::string(szLine) + "\n").c_str());
        MSG msg;
        while (GetMessage(&msg, nullptr, 0, 0))
        {
            if (msg.message == WM_CHAR && msg.wParam == '!')
                return;
            DispatchMessage(&msg);
        }
    }
    static std::string Png(const char* szName)
    {
        return "png " + (std::filesystem::path(VORN_TEST_OUTPUT_DIR) / szName).string() + "\n";
    }

    const CAppFolder m_app;
    CSettings m_oldSettings;
    std::unique_ptr<CEnvScope> m_pScript;
    std::unique_ptr<CFrameScope> m_pFrame;
    HMODULE m_hGameLibrary = nullptr;
    std::mutex m_mutex;
    std::string m_strLog;
};

TEST_F(FrameDialogsTest, AWonMatchShowsTheWinnersTextTheMatchWonAndTheNewGameQuestion)
{
    // The match-won dialog, a window of its own, has its OK at (185, 144).
    struct SCase
    {
        const char* szName;
        std::string strMatchWon; // the script's actions in the match-won dialog
        int nMatchWonResult;
    };
    const SCase aCases[] = {
        {"OK", "after 0 mouse move 210 155\nafter 0 mouse down left 210 155\nafter 0 mouse up left 210 155\n", IDOK},
        {"Escape", "after 0 key press Escape\n", IDCANCEL},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        // The winner's text, then the match won, then the new-game question, each written and closed.
        Start(AfterLine("Test: the match ends") + "dialog +1 " + Png("FrameMatchResult.png") +
              "after 0 key press Escape\ndialog +1 " + Png("FrameMatchWon.png") + c.strMatchWon + "dialog +1 " +
              Png("FrameMatchEndQuestion.png") + "after 0 key press Escape\n");
        CGameFlow& flow = Frame().GetGameFlow();
        ASSERT_EQ(GAME_PYRAMID, flow.GetGameType());
        ClearGameFlag(gmStartupFlag);
        // Ann has pocketed more balls in the deciding rack of a one-rack match.
        flow.SetMatchGoal(1);
        flow.SetCurrent(true);
        flow.Player1().SetFouls(9);
        flow.Player2().SetFouls(3);
        SetGameFlag(gmRackDecided);
        WriteLineAndWait("Test: the match ends");
        // The table holds on the screen for two seconds of ticks before the match's dialogs.
        CTestClockScope clock(timeGetTime());
        flow.OnMatchProgress(0);
        clock.Advance(2000);
        flow.Tick(16);
        Pump(); // the match's end reaches the frame: the new-game question
        EXPECT_TRUE(HasLinesInOrder(Log(), {"Dialog 298: ended with 2",
                                            "Dialog 585: ended with " + std::to_string(c.nMatchWonResult),
                                            "Game: the match has ended", "Dialog 299: ended with 2"}))
            << Log();
        // Ann won against the computer at level 3: the pyramid's bronze trophy is kept.
        EXPECT_EQ(1, static_cast<int>(GetPrivateProfileInt("Settings", "Trophy4", -1, GetIniFilePath().GetString())));
        for (const char* szPng : {"FrameMatchResult.png", "FrameMatchWon.png", "FrameMatchEndQuestion.png"})
        {
            EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::path(VORN_TEST_OUTPUT_DIR) / szPng)) << szPng;
        }
        Stop();
    }
}

TEST_F(FrameDialogsTest, ThePhysicsCommandTakesTypedCoefficientsOnEnterAndNoneOnEscape)
{
    const CPhysicsCoefficientsScope restore;
    // The first line has the keyboard: its value rubbed out and another typed.
    const std::string strTyped = "key press Backspace\nafter 0 key press Backspace\n"
                                 "after 0 key press Backspace\nafter 0 key press Backspace\nafter 0 text 0.25\n";
    struct SCase
    {
        const char* szName;
        const char* szCloseKey;
        int nResult;
        float fRolling; // the live rolling deceleration afterwards
    };
    const SCase aCases[] = {
        {"Enter", "Return", IDOK, 0.25f},
        {"Escape", "Escape", IDCANCEL, DEFAULT_ACCEL_ROLL_DECELER},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_PhysicsCoefficients.Reset();
        Start(AfterLine("Test: physics") + "dialog +1 " + strTyped + "after 200 " + Png("FramePhysics.png") +
              "after 0 key press " + c.szCloseKey + "\n");
        WriteLineAndWait("Test: physics");
        SendMessage(Frame().m_hWnd, WM_COMMAND, ID_PHYSICS_DIALOG, 0);
        EXPECT_TRUE(HasLinesInOrder(Log(), {"Dialog 150: ended with " + std::to_string(c.nResult)})) << Log();
        EXPECT_EQ(c.fRolling, Coef(g_PhysicsCoefficients.accelRollDeceler));
        EXPECT_EQ(DEFAULT_SIDE_SPIN_INFLUENCE, Coef(g_PhysicsCoefficients.SideSpinInfluence));
        EXPECT_FALSE(g_bModalMode) << "the game goes on";
        Stop();
    }
}

TEST_F(FrameDialogsTest, TheStatisticsOverTheGameTurnTheirPagesByTheArrowsAndCloseWithEscape)
{
    // The statistics place themselves on the desktop as the options screen does; the arrows lie at
    // (378, 19) and (81, 19) in the dialog.
    const POINT ptDialog{(GetSystemMetrics(SM_CXSCREEN) - 812) / 2 + 124,
                         (GetSystemMetrics(SM_CYSCREEN) - 600) / 2 + 22};
    struct SCase
    {
        const char* szName;
        POINT ptArrow;
        int nPresses;
        int nPageStep; // pages moved by each press
    };
    const SCase aCases[] = {{"next, twice", {378 + 8, 19 + 8}, 2, 1}, {"previous, once", {81 + 8, 19 + 8}, 1, -1}};
    // The script is written before the frame it drives exists: a first frame tells where the
    // window's client area lies on the desktop.
    POINT ptClient{0, 0};
    Start("");
    ::ClientToScreen(Frame().m_hWnd, &ptClient);
    Stop();
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        std::string strClicks;
        const POINT pt{ptDialog.x - ptClient.x + c.ptArrow.x, ptDialog.y - ptClient.y + c.ptArrow.y};
        const std::string strAt = std::to_string(pt.x) + " " + std::to_string(pt.y) + "\n";
        for (int i = 0; i < c.nPresses; ++i)
            strClicks += "after 0 mouse down left " + strAt + "after 0 mouse up left " + strAt;
        Start(AfterLine("Test: statistics") + "dialog +1 mouse move " + strAt + strClicks + "after 200 " +
              Png("FrameStatistics.png") + "after 0 key press Escape\n");
        CStatisticsDialog dlg(&Frame());
        WriteLineAndWait("Test: statistics");
        EXPECT_EQ(IDCANCEL, dlg.DoModal());
        const int nFirst = CPlayer::GetStatsColumn(GAME_PYRAMID);
        EXPECT_EQ((nFirst + c.nPresses * c.nPageStep + CStatisticsDialog::PAGES) % CStatisticsDialog::PAGES,
                  dlg.m_nCurrentPage);
        Stop();
    }
}

TEST_F(FrameDialogsTest, TheOptionsHiddenFullScreenSwitchPutsTheWindowOnTheWholeScreen)
{
    // The display offers 800 x 600 at 32 bits, which full screen needs (the options screen's own
    // test covers a display without it). Escape keeps what was chosen: the frame switches.
    Start(AfterLine("Test: options") + "dialog +1 " + Png("FrameOptions.png") + "after 0 key press Escape\n");
    WriteLineAndWait("Test: options");
    // The switch is hidden: once the options are open, its command is sent as its click would.
    CDialogDriver::Play({[] { ::PostMessage(GetActiveWindow(), WM_COMMAND, IDC_SETUP_FULLSCREEN, 0); }});
    SendMessage(Frame().m_hWnd, WM_COMMAND, ID_SETUP_DIALOG, 0);
    EXPECT_TRUE(HasLinesInOrder(Log(), {"Dialog 231: ended with 2"})) << Log();
    EXPECT_EQ(std::string::npos, Log().find("Unsupported Resolution")) << Log();
    EXPECT_EQ(1, g_Settings.m_nFullScreen);
    EXPECT_EQ(1, static_cast<int>(GetPrivateProfileInt("Settings", "FullScreen", 0, GetIniFilePath().GetString())));
}
} // namespace
