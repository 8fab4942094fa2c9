// The main window's commands through the real path: WM_COMMAND and the panels' WM_USER+5 sent to
// a started frame on the headless display, checked on the settings file, the game-mode word, the
// questions asked and the messages posted.
#include "tests/app/AppFolder.h"
#include "tests/app/FrameScope.h"
#include "tests/platform/EnvScope.h"
#include "tests/ui/DialogDriver.h"

#include "app/CommandLine.h"
#include "app/MainFrame.h"
#include "app/StartDlg.h"
#include "foundation/DialogResultMask.h"
#include "foundation/Folders.h"
#include "foundation/Matrix.h"
#include "foundation/Settings.h"
#include "gameflow/CallShotState.h"
#include "gameflow/CuePlacement.h"
#include "gameflow/FlowCamera.h"
#include "gameflow/GameFlow.h"
#include "media/MusicPlayer.h"
#include "platform/mfc/AfxResource.h"
#include "platform/mfc/FileDialog.h"
#include "platform/mfc/WinApp.h"
#include "platform/win32/Clock.h"
#include "platform/win32/Desktop.h"
#include "platform/win32/Files.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/MessageBox.h"
#include "platform/win32/Modules.h"
#include "platform/win32/Paths.h"
#include "platform/win32/Profile.h"
#include "platform/win32/SystemParameters.h"
#include "render/CameraFlight.h"
#include "render/D3DFramework.h"
#include "render/Environment3D.h"
#include "render/SceneObject.h"
#include "render/TableSpace.h"
#include "simulation/BallEngine.h"
#include "simulation/CallRecord.h"
#include "simulation/PhysicsCoefficients.h"
#include "simulation/Referee.h"
#include "simulation/ShotInfo.h"
#include "ui/ClickPanels.h"
#include "ui/ControlBar.h"
#include "ui/GameWidgets.h"
#include "ui/MessageDlg.h"
#include "ui/SetupDlg.h"
#include "ui/TextMessages.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace
{
/// How a test answers one of the game's message dialogs.
enum class EAnswer
{
    Ok,
    Cancel,
    Third // the exit choice's third button
};

/// The kind of a message dialog, as the tests name it.
std::string KindOf(CMessageDlg& dlg)
{
    if (dynamic_cast<CMsgNewGameDlg*>(&dlg) != nullptr)
        return "new game";
    if (dynamic_cast<CMsgSureDlg*>(&dlg) != nullptr)
        return "sure";
    if (dynamic_cast<CMsgExitDlg*>(&dlg) != nullptr)
        return "exit";
    if (dynamic_cast<CMsgDlg299*>(&dlg) != nullptr)
        return "card";
    return "other";
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

/// No call of the shot is left for the next case.
void EndCall()
{
    delete g_pCallShotState;
    g_pCallShotState = nullptr;
    ResetCallRecords();
}

/// The dialog open now: the active window, else the window of the control with the focus.
CDialog* OpenDialog()
{
    for (const HWND hWnd : {GetActiveWindow(), GetFocus(), GetParent(GetFocus())})
        if (auto* pDlg = dynamic_cast<CDialog*>(vorn_detail::WindowFromHandle(hWnd)))
            return pDlg;
    return nullptr;
}

/// A started frame in a program folder of its own, with the game's library for its dialogs, and
/// the game-mode word and the dialogs' answers under the test's control.
class CStartedFrame
{
public:
    /// bGameSounds: the game's own sound library beside the program.
    explicit CStartedFrame(bool bGameSounds = false)
    {
        m_app.AddArtworkLibrary();
        if (bGameSounds)
            std::filesystem::copy_file(VORN_GAME_DIR "/VornWave.dll", m_app.Folder().File("VornWave.dll"));
        m_oldSettings = g_Settings;
        g_Settings.m_strIniFilePath = GetIniFilePath();
        g_Settings.m_nFullScreen = 0; // the game starts in a window of the frame's size

        m_pScope = std::make_unique<CFrameScope>(true);
        m_hGameLibrary = LoadLibrary(VORN_GAME_DIR "/VornRes.dll");
        AfxSetResourceHandle(m_hGameLibrary);
    }
    ~CStartedFrame()
    {
        CMainFrame::SetEnvironmentChangeForTests(nullptr);
        m_pScope.reset();
        AfxSetResourceHandle(nullptr);
        FreeLibrary(m_hGameLibrary);
        g_nGameMode = 0;
        g_nPrevGameMode = 0;
        g_bDeveloperMode = FALSE;
        g_Settings = m_oldSettings;
        // The mouse area and the control bar are the program's own widgets: a drag or press a test
        // began is not left for the next frame.
        g_mouseArea.SetArmed(0);
        g_mouseArea.m_nRightDragActive = 0;
        g_mouseArea.m_bPressed = 0;
        g_controlBar.m_bPressed = 0;
        g_controlBar.m_nInputLocked = 0;
    }
    CStartedFrame(const CStartedFrame&) = delete;
    CStartedFrame& operator=(const CStartedFrame&) = delete;

    CMainFrame& Frame() const { return *m_pScope->m_pFrame; }
    HWND Window() const { return m_pScope->m_hWnd; }
    bool Started() const { return m_pScope->m_bCreated && Frame().IsGameStarted() && m_hGameLibrary != nullptr; }
    void Command(UINT nID) const { SendMessage(Window(), WM_COMMAND, nID, 0); }
    void Panel(int nCode, bool bChecked = false) const
    {
        SendMessage(Window(), WM_PANELCOMMAND, static_cast<WPARAM>(nCode) | (bChecked ? PANEL_CHECKED : 0), 0);
    }
    /// The message dialogs the frame opens from now on are answered in this order (a dialog beyond
    /// them is cancelled), each noted by its kind in m_aAsked.
    void Answer(const std::vector<EAnswer>& aAnswers)
    {
        std::vector<std::function<void()>> aSteps;
        for (size_t i = 0; i < aAnswers.size() + 2; ++i)
            aSteps.emplace_back([this, eAnswer = i < aAnswers.size() ? aAnswers[i] : EAnswer::Cancel]
                                { Step(eAnswer); });
        CDialogDriver::Play(std::move(aSteps));
    }
    /// A key of the settings as the file holds it (-1 when it holds none).
    static int Saved(const char* szKey)
    {
        return static_cast<int>(GetPrivateProfileInt("Settings", szKey, -1, GetIniFilePath().GetString()));
    }

    std::vector<std::string> m_aAsked; // the kinds of the dialogs shown

private:
    void Step(EAnswer eAnswer)
    {
        if (auto* pStart = dynamic_cast<CStartDlg*>(OpenDialog()))
        {
            // Enter plays; Escape leaves.
            m_aAsked.emplace_back("start");
            CDialogDriver::Key(*pStart, eAnswer == EAnswer::Ok ? VK_RETURN : VK_ESCAPE);
            CDialogDriver::Next();
            return;
        }
        CMessageDlg* pDlg = CMessageDlg::GetOpen();
        if (pDlg != nullptr)
        {
            m_aAsked.push_back(KindOf(*pDlg));
            if (eAnswer == EAnswer::Cancel)
                CDialogDriver::Key(*pDlg, VK_ESCAPE);
            else
                CDialogDriver::ClickControl(*pDlg, eAnswer == EAnswer::Ok ? IDOK : 4);
        }
        else if (CDialog* pOther = OpenDialog(); pOther != nullptr)
        {
            // Any other dialog is noted by its kind and left with Escape.
            m_aAsked.emplace_back(dynamic_cast<CSetupDlg*>(pOther) != nullptr ? "options" : "dialog");
            CDialogDriver::Key(*pOther, VK_ESCAPE);
        }
        CDialogDriver::Next();
    }

    CAppFolder m_app;
    CSettings m_oldSettings; // the test's changes are not left for the next
    std::unique_ptr<CFrameScope> m_pScope;
    HMODULE m_hGameLibrary = nullptr;
    CDialogDriver m_driver;
};

TEST(FrameCommandsTest, SettingsCommandsSaveOnlyWhenTheirRuleAllows)
{
    struct SCase
    {
        const char* szName;
        DWORD dwMode;
        int nCompetition;
        UINT nID;
        const char* szKey;
        int nExpected;      // the key in the file afterwards (each starts at 0)
        DWORD dwOptionWord; // the frame's option word afterwards
        DWORD dwModeAfter;  // the game-mode word afterwards
    };
    const SCase aCases[] = {
        {"head line", 0, 1, ID_TOGGLE_HEAD_LINE, "HeadLine", 1, 0x40, 0},
        {"head line refused during text input", gmInputOff, 1, ID_TOGGLE_HEAD_LINE, "HeadLine", 0, 0, gmInputOff},
        {"ball path", 0, 1, ID_TOGGLE_BALL_PATH, "BallPath1", 1, 0x80, 0},
        {"ball path refused while calling the shot", modeCallShot, 1, ID_TOGGLE_BALL_PATH, "BallPath1", 0, 0,
         modeCallShot},
        {"ball path refused in competition 2", 0, 2, ID_TOGGLE_BALL_PATH, "BallPath1", 0, 0, 0},
        {"short path: its first entry runs once", gmInputOff, 1, ID_TOGGLE_SHORT_PATH, "ShortPath1", 1, 0, gmInputOff},
        {"overhead view: the flight to it starts", 0, 1, ID_TOGGLE_OVERHEAD, "OverHead View", 1, 0, modeCameraFlight},
        {"back from the overhead view", gmKeepView, 1, ID_TOGGLE_OVERHEAD, "OverHead View", 0, 0, modeCameraFlight},
        {"overhead view refused during text input", gmInputOff, 1, ID_TOGGLE_OVERHEAD, "OverHead View", 0, 0,
         gmInputOff},
        {"option 4 is only the frame's", 0, 1, ID_TOGGLE_OPTION4, "HeadLine", 0, 0x4, 0},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CStartedFrame frame;
        ASSERT_TRUE(frame.Started());
        g_Settings.m_nHeadLine = g_Settings.m_nBallPath1 = g_Settings.m_nShortPath1 = g_Settings.m_nOverHeadView = 0;
        g_Settings.m_nCompetitionType = c.nCompetition;
        g_Settings.Save();
        g_nGameMode = c.dwMode;
        frame.Command(c.nID);
        EXPECT_EQ(c.nExpected, CStartedFrame::Saved(c.szKey));
        EXPECT_EQ(c.dwOptionWord, frame.Frame().GetOptionWord() & (0x4 | 0x40 | 0x80));
        EXPECT_EQ(c.dwModeAfter, g_nGameMode);
    }
}

TEST(FrameCommandsTest, SpeedFactorStaysBetweenAnEighthAndFour)
{
    CStartedFrame frame;
    ASSERT_TRUE(frame.Started());
    EXPECT_DOUBLE_EQ(1.0, frame.Frame().GetSpeedFactor());
    const std::pair<UINT, double> aSteps[] = {
        {ID_SLOWER, 0.5}, {ID_SLOWER, 0.25}, {ID_SLOWER, 0.125}, {ID_SLOWER, 0.125}, {ID_FASTER, 0.25},
        {ID_FASTER, 0.5}, {ID_FASTER, 1.0},  {ID_FASTER, 2.0},   {ID_FASTER, 4.0},   {ID_FASTER, 4.0}};
    for (const auto& [nID, dExpected] : aSteps)
    {
        frame.Command(nID);
        EXPECT_DOUBLE_EQ(dExpected, frame.Frame().GetSpeedFactor());
    }
}

TEST(FrameCommandsTest, DisabledCommandsLeaveTheGameModeWordAlone)
{
    struct SCase
    {
        const char* szName;
        DWORD dwMode;
        UINT nID;
        DWORD dwExpected;
    };
    const SCase aCases[] = {
        {"the computer's stroke never runs", modeAim, ID_COMPUTER_STROKE, modeAim},
        {"stop ends the shot and the turn flight", modeAim | gmShotRunning | gmRobotStroke, ID_STOP_ACTION, modeAim},
        {"stop refused during text input", modeAim | gmShotRunning | gmInputOff, ID_STOP_ACTION,
         modeAim | gmShotRunning | gmInputOff},
        {"stop playback refused without a shot", modeAim, ID_STOP_PLAYBACK, modeAim},
        {"pass the turn", modeAim, ID_PASS_TURN, modeCameraFlight},
        {"pass the turn refused while calling", modeCallShot, ID_PASS_TURN, modeCallShot},
        {"reset camera clears the kept view", modeAim | gmKeepView, ID_RESET_CAMERA, modeAim},
        {"the recommended shot flies to the computer's aim", modeAim, ID_CALL_SHOT, modeCameraFlight},
        {"the recommended shot refused with the cue ball in hand", modeBallInHand, ID_CALL_SHOT, modeBallInHand},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CStartedFrame frame;
        ASSERT_TRUE(frame.Started());
        g_Settings.m_nGameType = 15;
        g_Settings.m_nCompetitionType = 1;
        g_nGameMode = c.dwMode;
        frame.Command(c.nID);
        EXPECT_EQ(c.dwExpected, g_nGameMode);
    }
}

TEST(FrameCommandsTest, PanelCommandsActOnTheirCodeAndCheckBox)
{
    struct SCase
    {
        const char* szName;
        DWORD dwMode, dwPrevMode;
        int nCode;
        bool bChecked;
        const char* szKey; // null: only the mode word is checked
        int nExpected;
        DWORD dwExpectedMode;
    };
    const SCase aCases[] = {
        {"camera motion checked", 0, 0, 12, true, "Camera Motion", 0, 0},
        {"camera motion unchecked", 0, 0, 12, false, "Camera Motion", 2, 0},
        {"specular checked", 0, 0, 16, true, "Specular", 1, 0},
        {"detail level checked", 0, 0, 17, true, "DrawLevel", 255, 0},
        {"detail level unchecked", 0, 0, 17, false, "DrawLevel", 0, 0},
        {"head line", 0, 0, 15, false, "HeadLine", 1, 0},
        {"head line refused during text input", gmInputOff, 0, 15, false, "HeadLine", 0, gmInputOff},
        {"placing the cue ball", modeAim, 0, 20, false, nullptr, 0, modePlaceCueBall},
        {"placing refused at game end", modeAim | gmGameOver, 0, 20, false, nullptr, 0, modeAim | gmGameOver},
        {"aim view", modeElevation, 0, 22, false, nullptr, 0, modeAim},
        {"second aim view", modeAim, 0, 23, false, nullptr, 0, modeElevation},
        {"third aim view", modeAim, 0, 24, false, nullptr, 0, modeEnglish},
        {"aim views keep ball in hand", modeAim, modeBallInHand, 23, false, nullptr, 0, modeBallInHand},
        {"a code without a row", modeAim, 0, 11, true, nullptr, 0, modeAim},
        {"the demo rack aims in the light-editing mode", modeElevation, 0, 40, false, nullptr, 0,
         modeAim | gmLightEdit},
        {"the pause", modeAim, 0, 60, false, nullptr, 0, modeWaiting},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CStartedFrame frame;
        ASSERT_TRUE(frame.Started());
        g_Settings.m_nCameraMotion = 1;
        g_Settings.m_nSpecular = g_Settings.m_nHeadLine = 0;
        g_Settings.m_nDrawLevel = 128;
        g_Settings.m_nCompetitionType = 1;
        g_Settings.Save();
        g_nGameMode = c.dwMode;
        g_nPrevGameMode = c.dwPrevMode;
        frame.Panel(c.nCode, c.bChecked);
        if (c.szKey != nullptr)
        {
            EXPECT_EQ(c.nExpected, CStartedFrame::Saved(c.szKey));
        }
        EXPECT_EQ(c.dwExpectedMode, g_nGameMode);
    }
}

TEST(FrameCommandsTest, KeyGSwitchesTheRoomsDetailFullyOffAndOnAndKeepsIt)
{
    CStartedFrame frame;
    ASSERT_TRUE(frame.Started());
    g_Settings.m_nDrawLevel = 128; // partly on: G turns it off
    g_Settings.Save();
    for (const int nExpected : {0, 255, 0})
    {
        frame.Frame().ToggleDrawLevel();
        EXPECT_EQ(nExpected, g_Settings.m_nDrawLevel);
        EXPECT_EQ(nExpected, CStartedFrame::Saved("DrawLevel"));
    }
}

TEST(FrameCommandsTest, ExitFollowsEachAnswer)
{
    using enum EAnswer;
    struct SCase
    {
        const char* szName;
        DWORD dwMode;
        std::vector<EAnswer> aAnswers;
        std::vector<std::string> aAsked;
        bool bClosed;  // the window is gone once the posted messages ran
        bool bExiting; // the two seconds of "Terminating" run
    };
    const SCase aCases[] = {
        {"sure: closes at once", gmStartupFlag, {Ok}, {"sure"}, true, false},
        {"not sure, game over: closes", gmStartupFlag | gmGameOver, {Cancel}, {"sure"}, true, false},
        {"not sure, gives the match up", gmStartupFlag, {Cancel, Ok}, {"sure", "exit"}, false, true},
        {"not sure, leaves at once", gmStartupFlag, {Cancel, Third}, {"sure", "exit"}, true, false},
        {"not sure, stays", gmStartupFlag, {Cancel, Cancel}, {"sure", "exit"}, false, false},
        {"not sure, game over without the start-up flag: a new game is asked",
         gmGameOver,
         {Cancel, Cancel},
         {"sure", "new game"},
         false,
         false},
        {"not sure, no start-up flag: nothing", 0, {Cancel}, {"sure"}, false, false},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CStartedFrame frame;
        ASSERT_TRUE(frame.Started());
        g_Settings.m_nGameType = 3;
        g_Settings.m_nCompetitionType = 1;
        g_Settings.SetMatchGoal(5);
        g_nGameMode = c.dwMode;
        frame.Answer(c.aAnswers);
        frame.Command(ID_EXIT_GAME);
        Pump();
        EXPECT_EQ(c.aAsked, frame.m_aAsked);
        EXPECT_EQ(c.bClosed, !IsWindow(frame.Window()));
        if (c.bClosed)
            continue;
        EXPECT_EQ(c.bExiting ? 5 : 0, frame.Frame().GetGameFlow().Player2().GetPoints())
            << "the match goal goes to the other";
    }
}

TEST(FrameCommandsTest, AGivenUpMatchShowsTwoSecondsThenAsksEachTickToClose)
{
    CStartedFrame frame;
    ASSERT_TRUE(frame.Started());
    g_Settings.m_nCompetitionType = 1;
    g_nGameMode = modeAim | gmStartupFlag;
    g_TextMessages.AddText("Foul! Ball in hand.", nullptr, MESSAGE_FOREVER, 0);
    frame.Answer({EAnswer::Cancel, EAnswer::Ok});
    frame.Command(ID_EXIT_GAME);
    ASSERT_EQ((std::vector<std::string>{"sure", "exit"}), frame.m_aAsked);
    // The screen says so for the two seconds, the texts before it gone.
    ASSERT_NE(nullptr, g_TextMessages.GetHeadText());
    EXPECT_STREQ("  Terminating...  ", g_TextMessages.GetHeadText());
    // The clock stands where the match was given up, give or take the moment since.
    CTestClockScope clock(timeGetTime());
    const auto closeRequests = []
    {
        int n = 0;
        MSG msg;
        while (PeekMessage(&msg, nullptr, WM_CLOSENOW, WM_CLOSENOW, PM_REMOVE))
            ++n;
        return n;
    };
    EXPECT_TRUE(frame.Frame().OnFrame()) << "the scene is still drawn";
    EXPECT_EQ(0, closeRequests());
    clock.Advance(2100);
    for (int nTick = 1; nTick <= 2; ++nTick)
    {
        SCOPED_TRACE(nTick);
        EXPECT_FALSE(frame.Frame().OnFrame());
        EXPECT_EQ(1, closeRequests()) << "one request a tick until the window is gone";
    }
    frame.Frame().PostMessage(WM_CLOSENOW);
    Pump();
    EXPECT_FALSE(IsWindow(frame.Window()));
    g_TextMessages.Clear();
}

TEST(FrameCommandsTest, NewGameAsksThenRunsTheStartScreen)
{
    using enum EAnswer;
    struct SCase
    {
        const char* szName;
        std::vector<EAnswer> aAnswers;
        std::vector<std::string> aAsked;
        int nGames;         // the first player's games after the command
        DWORD dwMode;       // the game-mode word's flags after it
        bool bCloseRequest; // the window asked to close
    };
    const SCase aCases[] = {
        {"not agreed: nothing changes", {Cancel}, {"new game"}, 3, gmStartupFlag, false},
        {"played: a new game from a clear mode word", {Ok, Ok}, {"new game", "start"}, 0, 0, false},
        {"left on the start screen: the mode word kept", {Ok, Cancel}, {"new game", "start"}, 0, gmStartupFlag, true},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CStartedFrame frame;
        ASSERT_TRUE(frame.Started());
        frame.Frame().GetGameFlow().Player1().SetGames(3);
        g_nGameMode = modeAim | gmStartupFlag;
        frame.Answer(c.aAnswers);
        frame.Command(ID_NEW_GAME);
        EXPECT_EQ(c.aAsked, frame.m_aAsked);
        EXPECT_EQ(c.nGames, frame.Frame().GetGameFlow().Player1().GetGames());
        EXPECT_EQ(c.dwMode, g_nGameMode & gmStartupFlag);
        MSG msg;
        EXPECT_EQ(c.bCloseRequest, PeekMessage(&msg, frame.Window(), WM_CLOSENOW, WM_CLOSENOW, PM_REMOVE) != FALSE);
    }
}

TEST(FrameCommandsTest, RulesShowTheCardOfTheGameType)
{
    for (const int nGameType : {3, 8, 9, 15, 16, 17, 18, 0})
    {
        SCOPED_TRACE(nGameType);
        CStartedFrame frame;
        ASSERT_TRUE(frame.Started());
        frame.Frame().GetGameFlow().CreateReferee(nGameType);
        g_nGameMode = modeAim;
        g_TextMessages.AddText("a text the card hides", nullptr, MESSAGE_FOREVER, 0);
        ClipCursor(nullptr); // as a dialog leaves it
        frame.Answer({EAnswer::Cancel});
        frame.Command(ID_SHOW_RULES);
        EXPECT_EQ(nGameType == 0 ? std::vector<std::string>{} : std::vector<std::string>{"card"}, frame.m_aAsked);
        EXPECT_TRUE(g_TextMessages.IsEmpty()) << "the card clears the texts";
        RECT rcClip{};
        GetClipCursor(&rcClip);
        EXPECT_NE(GetDesktopWindowRect(), rcClip) << "aiming takes the cursor back into the view";
        ClipCursor(nullptr);
    }
}

TEST(FrameCommandsTest, DeveloperLevelsNeedTheDeveloperMode)
{
    struct SCase
    {
        const char* szName;
        BOOL bDeveloper;
        UINT nID;
        int nLevel;
        DWORD dwMode;
    };
    const SCase aCases[] = {
        {"no developer mode", FALSE, ID_DEVELOPER_LEVEL_0 + 3, 0, modeAim},
        {"level 3 starts the computer's turn", TRUE, ID_DEVELOPER_LEVEL_0 + 3, 3, modeCameraFlight},
        {"level 0 starts nothing", TRUE, ID_DEVELOPER_LEVEL_0, 0, modeAim},
        {"level 9", TRUE, ID_DEVELOPER_LEVEL_9, 9, modeCameraFlight},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CStartedFrame frame;
        ASSERT_TRUE(frame.Started());
        g_bDeveloperMode = c.bDeveloper;
        g_nGameMode = modeAim;
        frame.Frame().GetGameFlow().SetCurrent(true); // the level is the current player's
        frame.Command(c.nID);
        EXPECT_EQ(c.nLevel, frame.Frame().GetGameFlow().Player1().GetRobotLevel());
        // The turn's flight itself starts only with a cue ball on the table to aim from.
        EXPECT_EQ(c.dwMode, g_nGameMode & MODE_FIELD);
        EXPECT_EQ(c.nLevel != 0, g_bComputerPlays != FALSE);
    }
}

TEST(FrameCommandsTest, WindowChangesRebuildTheEnvironmentOrQuitWithTheirCode)
{
    struct SCase
    {
        const char* szName;
        std::function<void(const CStartedFrame&)> act;
        BOOL bChangeWorks;
        int nChanges;    // environment changes asked for
        int nFullScreen; // "FullScreen" in the file afterwards (it starts at 5)
        int nQuitCode;   // -1: none posted
    };
    const auto size = [](WPARAM nType)
    { return [nType](const CStartedFrame& f) { SendMessage(f.Window(), WM_SIZE, nType, MAKELPARAM(640, 480)); }; };
    const auto displayChange = [](const CStartedFrame& f)
    { SendMessage(f.Window(), WM_DISPLAYCHANGE, 16, MAKELPARAM(1024, 768)); };
    const auto fullScreen = [](const CStartedFrame& f) { f.Command(ID_TOGGLE_FULL_SCREEN); };
    const auto adSwitch = [](const CStartedFrame& f)
    {
        const CSettings old = g_Settings;
        g_Settings.m_nAdDisplayEnable = old.m_nAdDisplayEnable != 0 ? 0 : 1;
        f.Frame().ApplyAdSetting(old);
    };
    const auto adUnchanged = [](const CStartedFrame& f) { f.Frame().ApplyAdSetting(g_Settings); };
    const auto newDevice = [](const CStartedFrame& f)
    {
        const CSettings old = g_Settings;
        g_Settings.m_strDevice = "another device";
        g_nDialogOkMask = DLGOK_DISPLAY;
        f.Frame().BeginNewGame(old, g_nGameMode);
        g_nDialogOkMask = 0;
    };
    const SCase aCases[] = {
        {"restored", size(SIZE_RESTORED), TRUE, 1, 0, -1},
        {"maximised", size(SIZE_MAXIMIZED), TRUE, 1, 1, -1},
        {"minimised", size(SIZE_MINIMIZED), TRUE, 1, 5, -1},
        {"resizing fails: 13", size(SIZE_RESTORED), FALSE, 1, 0, 13},
        {"a new display mode", displayChange, TRUE, 1, 5, -1},
        {"a new display mode fails: 9", displayChange, FALSE, 1, 5, 9},
        {"full screen switched", fullScreen, TRUE, 1, 0, -1},
        {"full screen fails: 10", fullScreen, FALSE, 1, 5, 10},
        {"the advertising switch fails: 11", adSwitch, FALSE, 1, 5, 11},
        {"the advertising switch unchanged", adUnchanged, FALSE, 0, 5, -1},
        {"a new device from the dialogs fails: 12", newDevice, FALSE, 1, 5, 12},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CStartedFrame frame;
        ASSERT_TRUE(frame.Started());
        g_Settings.m_nFullScreen = 5;
        g_Settings.Save();
        int nChanges = 0;
        CMainFrame::SetEnvironmentChangeForTests(
            [&]
            {
                ++nChanges;
                return c.bChangeWorks;
            });
        c.act(frame);
        EXPECT_EQ(c.nChanges, nChanges);
        EXPECT_EQ(c.nFullScreen, CStartedFrame::Saved("FullScreen"));
        MSG msg;
        const bool bQuit = PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
        EXPECT_EQ(c.nQuitCode, bQuit ? static_cast<int>(msg.wParam) : -1);
    }
}

TEST(FrameCommandsTest, MovingKeepsThePlacementAndActivationGatesTheTick)
{
    CStartedFrame frame;
    ASSERT_TRUE(frame.Started());
    g_Settings.m_WindowPlacement.rcNormalPosition = RECT{1, 2, 3, 4};
    SendMessage(frame.Window(), WM_MOVE, 0, MAKELPARAM(10, 20));
    RECT rc{};
    GetWindowRect(frame.Window(), &rc);
    EXPECT_EQ(rc.left, g_Settings.m_WindowPlacement.rcNormalPosition.left);
    EXPECT_EQ(rc.bottom, g_Settings.m_WindowPlacement.rcNormalPosition.bottom);
    CSettings saved;
    saved.SetDefaults();
    saved.Load();
    EXPECT_EQ(rc.right, saved.m_WindowPlacement.rcNormalPosition.right) << "saved at once";
    // The game is presented where the window's client area now is.
    MoveWindow(frame.Window(), rc.left + 37, rc.top + 41, rc.right - rc.left, rc.bottom - rc.top, FALSE);
    POINT ptClient{};
    ClientToScreen(frame.Window(), &ptClient);
    ASSERT_NE(nullptr, frame.Frame().GetFramework());
    const RECT& rcScreen = frame.Frame().GetFramework()->GetScreenRect();
    EXPECT_EQ(ptClient.x, rcScreen.left);
    EXPECT_EQ(ptClient.y, rcScreen.top);
    EXPECT_EQ(rc.left + 37, g_Settings.m_WindowPlacement.rcNormalPosition.left);

    // Switching away frees the cursor and nothing is drawn; coming back confines it to the view.
    const RECT rcDesktop = GetDesktopWindowRect();
    const auto clip = []
    {
        RECT rcClip{};
        GetClipCursor(&rcClip);
        return rcClip;
    };
    g_nGameMode = modeAim;
    SendMessage(frame.Window(), WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_FALSE(frame.Frame().OnFrame()) << "inactive: nothing drawn";
    EXPECT_TRUE(SameRect(rcDesktop, clip()));
    SendMessage(frame.Window(), WM_ACTIVATEAPP, TRUE, 0);
    EXPECT_TRUE(frame.Frame().OnFrame());
    EXPECT_FALSE(SameRect(rcDesktop, clip()));

    // On the start screen the cursor is left as it is.
    RECT rcOnTheScreen{};
    CDialogDriver::Play({[&]
                         {
                             if (CMessageDlg* pQuestion = CMessageDlg::GetOpen())
                                 CDialogDriver::ClickControl(*pQuestion, IDOK);
                             CDialogDriver::Next();
                         },
                         [&]
                         {
                             ClipCursor(&rcDesktop);
                             SendMessage(frame.Window(), WM_ACTIVATEAPP, TRUE, 0);
                             rcOnTheScreen = clip();
                             if (CDialog* pStart = OpenDialog())
                                 CDialogDriver::Key(*pStart, VK_ESCAPE);
                         }});
    frame.Command(ID_NEW_GAME);
    EXPECT_TRUE(SameRect(rcDesktop, rcOnTheScreen));
}

TEST(FrameCommandsTest, SetupIsFollowedByTheViewAndTheLevelItChose)
{
    struct SCase
    {
        const char* szName;
        std::vector<int> aClicks; // on the options screen, before its OK
        int nOverhead;            // in the file afterwards
        bool bTopViewFlight;      // the flight to the top view started
        int nLevel2;              // the computer's level afterwards
    };
    const SCase aCases[] = {
        {"nothing chosen", {}, 0, false, 2},
        {"the overhead view", {IDC_SETUP_OVERHEAD_ON}, 1, true, 2},
        {"the computer's level", {IDC_SETUP_LEVEL9}, 0, false, 9},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CStartedFrame frame;
        ASSERT_TRUE(frame.Started());
        g_Settings.m_nOverHeadView = 0;
        g_Settings.m_nAIDefaultLevel = 2;
        g_Settings.Save();
        frame.Frame().GetGameFlow().Player2().SetLevel(3);
        bool bShown = false;
        CDialogDriver::Play({[&]
                             {
                                 CDialog* pDlg = OpenDialog();
                                 bShown = pDlg != nullptr;
                                 if (pDlg == nullptr)
                                     return;
                                 for (const int nID : c.aClicks)
                                     CDialogDriver::ClickControl(*pDlg, nID);
                                 CDialogDriver::ClickControl(*pDlg, IDOK);
                             }});
        frame.Command(ID_SETUP_DIALOG);
        EXPECT_TRUE(bShown);
        EXPECT_EQ(c.nOverhead, CStartedFrame::Saved("OverHead View"));
        EXPECT_EQ(c.bTopViewFlight,
                  dynamic_cast<const CCameraFlightG*>(frame.Frame().GetGameFlow().GetFlight()) != nullptr);
        EXPECT_EQ(c.nLevel2, frame.Frame().GetGameFlow().Player2().GetRobotLevel());
    }
}

TEST(FrameCommandsTest, KeyFilterDropsShiftAndControlAndServesTheInputLine)
{
    struct SCase
    {
        const char* szName;
        DWORD dwMode;
        UINT uMsg;
        WPARAM wParam;
        BOOL bTaken;       // the filter's answer: the message goes no further
        DWORD dwModeAfter; // once what was posted has run
    };
    const SCase aCases[] = {
        {"Shift down", 0, WM_KEYDOWN, VK_SHIFT, TRUE, 0},
        {"Control up", 0, WM_KEYUP, VK_CONTROL, TRUE, 0},
        {"a character in play goes on", 0, WM_CHAR, 'a', FALSE, 0},
        {"a character while typing", gmInputOff, WM_CHAR, 'a', TRUE, gmInputOff},
        {"Enter while typing", gmInputOff, WM_CHAR, VK_RETURN, TRUE, gmInputOff},
        {"Escape ends the typing", gmInputOff, WM_CHAR, VK_ESCAPE, TRUE, 0},
        {"a letter key while typing is left for its character", gmInputOff, WM_KEYDOWN, 'A', FALSE, gmInputOff},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CStartedFrame frame;
        ASSERT_TRUE(frame.Started());
        g_nGameMode = c.dwMode;
        MSG msg{};
        msg.hwnd = frame.Window();
        msg.message = c.uMsg;
        msg.wParam = c.wParam;
        EXPECT_EQ(c.bTaken, frame.Frame().PreTranslateMessage(&msg));
        Pump();
        EXPECT_EQ(c.dwModeAfter, g_nGameMode);
    }
}

TEST(FrameCommandsTest, NewRacksClearOrKeepTheScores)
{
    struct SCase
    {
        const char* szName;
        UINT nID;
        DWORD dwMode;
        int nRacks;   // racks set up by the command
        LONG nPoints; // the first player's points afterwards (3 before)
        bool bTour;   // a tour round the table presents the rack, the game held behind it
    };
    const SCase aCases[] = {
        {"a new rack clears the scores", ID_FILE_NEW, modeAim, 1, 0, false},
        {"restarting the rack keeps them", ID_RESTART_RACK, modeAim, 1, 3, true},
        {"restarting refused in a presentation", ID_RESTART_RACK, modeAim | gmPresentation, 0, 3, false},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CStartedFrame frame;
        ASSERT_TRUE(frame.Started());
        g_Settings.m_nCompetitionType = 1;
        frame.Frame().GetGameFlow().Player1().SetPoints(3);
        g_nGameMode = c.dwMode;
        const int nRacksBefore = g_nRackCount;
        frame.Command(c.nID);
        EXPECT_EQ(c.nRacks, g_nRackCount - nRacksBefore);
        EXPECT_EQ(c.nPoints, frame.Frame().GetGameFlow().Player1().GetPoints());
        EXPECT_EQ(c.bTour, dynamic_cast<const CCameraFlightE*>(frame.Frame().GetGameFlow().GetFlight()) != nullptr);
        if (c.bTour)
        {
            EXPECT_EQ(gmPresentation, g_nGameMode) << "the presentation runs alone";
        }
    }
}

TEST(FrameCommandsTest, StoppingARunningShotRunsItToItsEnd)
{
    struct SCase
    {
        const char* szName;
        UINT nID;
        DWORD dwMode;
        bool bStopped; // every ball rests afterwards
    };
    const SCase aCases[] = {
        {"stop playback", ID_STOP_PLAYBACK, modeAim | gmShotRunning, true},
        {"stop", ID_STOP_ACTION, modeAim | gmShotRunning, true},
        {"stop playback refused while calling the shot", ID_STOP_PLAYBACK, modeCallShot | gmShotRunning, false},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CStartedFrame frame;
        ASSERT_TRUE(frame.Started());
        g_Settings.m_nCompetitionType = 1;
        CBallEngine& engine = frame.Frame().GetGameFlow().Engine();
        ASSERT_NE(nullptr, engine.FindBall(0)) << "a racked table";
        engine.SetCueBallNumber(0);
        engine.StrikeBall(3.0f, 90.0f, 0.0f, 0.0f, 0.0f);
        ASSERT_FALSE(engine.AllBallsStopped());
        g_nGameMode = c.dwMode;
        frame.Command(c.nID);
        EXPECT_EQ(c.bStopped, engine.AllBallsStopped() != FALSE);
        engine.StopAllBalls();
    }
}

TEST(FrameCommandsTest, PhysicsDialogEditsTheLiveCoefficients)
{
    for (const bool bOk : {true, false})
    {
        SCOPED_TRACE(bOk);
        CStartedFrame frame;
        ASSERT_TRUE(frame.Started());
        const float fDecay = g_PhysicsCoefficients.Decay;
        g_Settings.m_strDecay = "0.123"; // the settings' text is not what the dialog edits
        bool bShown = false;
        CDialogDriver::Play({[&]
                             {
                                 CDialog* pDlg = OpenDialog();
                                 bShown = pDlg != nullptr;
                                 if (pDlg != nullptr)
                                     CDialogDriver::Key(*pDlg, bOk ? VK_RETURN : VK_ESCAPE);
                             }});
        frame.Command(ID_PHYSICS_DIALOG);
        EXPECT_TRUE(bShown);
        EXPECT_FLOAT_EQ(fDecay, g_PhysicsCoefficients.Decay) << "written back as shown, or left";
    }
}

TEST(FrameCommandsTest, TimerAsksThePanelsToRedraw)
{
    CStartedFrame frame;
    ASSERT_TRUE(frame.Started());
    g_bPanelRedraw = FALSE;
    SendMessage(frame.Window(), WM_TIMER, 1, 0);
    EXPECT_TRUE(g_bPanelRedraw);
}

/// Whether two angles in degrees name the same direction.
bool SameAngle(float a, float b) { return std::abs(std::remainder(a - b, 360.0f)) < 0.01f; }

TEST(FrameCommandsTest, TheOverheadViewFliesThereAndBackToThePlayersView)
{
    CStartedFrame frame;
    ASSERT_TRUE(frame.Started());
    g_Settings.m_nCompetitionType = 1;
    g_nGameMode = modeAim;
    CGameFlow& flow = frame.Frame().GetGameFlow();
    const CViewRecord players = flow.GetCurrentView();

    frame.Command(ID_TOGGLE_OVERHEAD);
    EXPECT_EQ(modeCameraFlight, g_nGameMode & MODE_FIELD);
    EXPECT_EQ(1, CStartedFrame::Saved("OverHead View"));
    auto* pUp = dynamic_cast<CCameraFlightG*>(flow.GetFlight());
    ASSERT_NE(nullptr, pUp);
    const CViewRecord top = pUp->GetViewRecord();
    EXPECT_TRUE(SameAngle(90.0f, top.m_vCamera.x));
    EXPECT_TRUE(SameAngle(270.0f, top.m_vCamera.y));
    EXPECT_FLOAT_EQ(100.0f, top.m_vCamera.z);
    EXPECT_FALSE(HasGameFlag(gmKeepView)) << "kept only once the camera is there";
    pUp->Finish(&flow);
    EXPECT_TRUE(HasGameFlag(gmKeepView));

    frame.Command(ID_TOGGLE_OVERHEAD);
    EXPECT_EQ(0, CStartedFrame::Saved("OverHead View"));
    EXPECT_FALSE(HasGameFlag(gmKeepView));
    const auto* pDown = dynamic_cast<const CCameraFlight*>(flow.GetFlight());
    ASSERT_NE(nullptr, pDown);
    EXPECT_EQ(nullptr, dynamic_cast<const CCameraFlightG*>(pDown));
    const CViewRecord back = pDown->GetViewRecord();
    EXPECT_TRUE(SameAngle(players.m_vCamera.x, back.m_vCamera.x));
    EXPECT_TRUE(SameAngle(players.m_vCamera.y, back.m_vCamera.y));
    EXPECT_NEAR(players.m_vCamera.z, back.m_vCamera.z, 1e-3f);
    EXPECT_NEAR(players.m_vViewPoint.x, back.m_vViewPoint.x, 1e-3f);
    EXPECT_NEAR(players.m_vViewPoint.z, back.m_vViewPoint.z, 1e-3f);
}

TEST(FrameCommandsTest, ResetCameraBringsBackTheZoomAndTiltAndLooksWhereThePlayerLooked)
{
    CStartedFrame frame;
    ASSERT_TRUE(frame.Started());
    g_nGameMode = modeAim;
    SetGameFlag(gmKeepView);
    SFlowCamera& camera = frame.Frame().GetGameFlow().Camera();
    camera.fYaw = 95.0f;
    camera.SetPitch(310.0f);
    camera.fDistance = 60.0f;
    camera.fShift1 = 4.0f;
    camera.fShift2 = 3.0f;
    camera.vLookAt = CVector3(10.0f, SCENE_BED_HEIGHT, -20.0f);

    frame.Command(ID_RESET_CAMERA);
    EXPECT_FLOAT_EQ(95.0f, camera.fYaw);
    EXPECT_FLOAT_EQ(SFlowCamera::DEFAULT_PITCH, camera.fPitch);
    EXPECT_FLOAT_EQ(SFlowCamera::DEFAULT_DISTANCE, camera.fDistance);
    EXPECT_FLOAT_EQ(0.0f, camera.fShift1);
    EXPECT_FLOAT_EQ(0.0f, camera.fShift2);
    EXPECT_FLOAT_EQ(10.0f, camera.vLookAt.x);
    EXPECT_FLOAT_EQ(-20.0f, camera.vLookAt.z);
    // The camera stands on its new orbit, where the next frame views the table from.
    EXPECT_NEAR(SFlowCamera::DEFAULT_DISTANCE, (camera.vPosition - camera.vLookAt).Length(), 1e-2f);
    EXPECT_FALSE(HasGameFlag(gmKeepView));
}

TEST(FrameCommandsTest, TheMatchEndAsksForANewGameWithEachAnswer)
{
    using enum EAnswer;
    struct SCase
    {
        const char* szName;
        std::vector<EAnswer> aAnswers;
        int nOverhead;
        std::vector<std::string> aAsked;
        int nRacks;        // racks set up by the question and what follows it
        bool bStartupFlag; // the mode word's start-up flag afterwards (set before)
    };
    const SCase aCases[] = {
        {"declined: the table is racked again from a clear mode word", {Cancel}, 0, {"new game"}, 1, false},
        {"declined in the top view: the table stays", {Cancel}, 1, {"new game"}, 0, true},
        {"the start screen left in the top view: the mode word kept", {Ok, Cancel}, 1, {"new game", "start"}, 0, true},
        {"played: one new game from the settings", {Ok, Ok}, 0, {"new game", "start"}, 1, false},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CStartedFrame frame;
        ASSERT_TRUE(frame.Started());
        g_Settings.m_nOverHeadView = c.nOverhead;
        g_nGameMode = modeAim | gmStartupFlag;
        const int nRacksBefore = g_nRackCount;
        frame.Answer(c.aAnswers);
        SendMessage(frame.Window(), FLOW_MSG_MATCH_END, 1, 0);
        EXPECT_EQ(c.aAsked, frame.m_aAsked);
        EXPECT_EQ(c.nRacks, g_nRackCount - nRacksBefore);
        EXPECT_EQ(c.bStartupFlag, HasGameFlag(gmStartupFlag));
        MSG msg;
        PeekMessage(&msg, frame.Window(), WM_CLOSENOW, WM_CLOSENOW, PM_REMOVE); // the start screen's leave
    }
}

TEST(FrameCommandsTest, BeginningAGameAppliesTheDialogsThatEndedWithOk)
{
    struct SCase
    {
        const char* szName;
        DWORD dwMask;      // the dialogs that ended with OK
        DWORD dwSavedMode; // the game's mode word when the dialogs opened
        int nLevel2;       // the opponent's level the dialogs chose (2 before)
        int nGameType;     // the game type they chose (9 before)
        int nRacks;        // racks set up
        DWORD dwMode;      // the mode word afterwards
        int nLevel2After;  // the second player's level afterwards
        DWORD dwOptions;   // the option word's aiming-aid bit afterwards (the aid chosen on)
        bool bSecondPlays; // the second player (the computer before) is to play
    };
    const SCase aCases[] = {
        {"nothing chosen: the game goes on", 0, modeAim | gmStartupFlag, 2, 9, 0, modeAim | gmStartupFlag, 2, 0, false},
        {"played: a new game", DLGOK_START, modeAim | gmStartupFlag, 2, 9, 1, modeCameraFlight, 2, 0x80, false},
        {"a new opponent plays on", DLGOK_OPPONENT, modeAim, 5, 9, 0, modeAim, 5, 0, false},
        {"the computer's turn handed to a person", DLGOK_OPPONENT, modeCameraFlight | gmRobotStroke, 0, 9, 0, modeAim,
         0, 0, true},
        {"a new game type racks its table", DLGOK_GAME_TYPE, modeAim, 2, 3, 1, modeAim, 2, 0, false},
        {"the graphics dialog applies the aid", DLGOK_GRAPHICS, modeAim, 2, 9, 0, modeAim, 2, 0x80, false},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CStartedFrame frame;
        ASSERT_TRUE(frame.Started());
        CGameFlow& flow = frame.Frame().GetGameFlow();
        g_Settings.m_nCompetitionType = 1;
        g_Settings.m_nGameType = 9;
        g_Settings.m_nPlayerLevel2 = 2;
        g_Settings.m_nBallPath1 = 0;
        flow.CreateReferee(9);
        flow.Player2().SetLevel(2);
        flow.SetCurrent(!c.bSecondPlays);
        frame.Frame().ApplyAimingAid();
        const CSettings old = g_Settings;
        g_Settings.m_nPlayerLevel2 = c.nLevel2;
        g_Settings.m_nGameType = c.nGameType;
        g_Settings.m_nBallPath1 = 1;
        g_nDialogOkMask = c.dwMask;
        g_nGameMode = 0; // as the start screen leaves it
        const int nRacksBefore = g_nRackCount;
        frame.Frame().BeginNewGame(old, c.dwSavedMode);
        EXPECT_EQ(c.nRacks, g_nRackCount - nRacksBefore);
        EXPECT_EQ(c.nGameType, flow.GetGameType());
        EXPECT_EQ(c.dwMode, g_nGameMode & (MODE_FIELD | gmStartupFlag | gmRobotStroke));
        EXPECT_EQ(c.nLevel2After, flow.Player2().GetRobotLevel());
        EXPECT_EQ(c.dwOptions, frame.Frame().GetOptionWord() & 0x80);
        g_nDialogOkMask = 0;
    }
}

TEST(FrameCommandsTest, TheEnglishMarkerSetsTheCueTip)
{
    struct SCase
    {
        const char* szName;
        int nCode;
        LONG nOffset;       // the marker's offset in pixels
        DWORD dwMode;       // the game-mode word
        bool bHuman;        // a person is to play
        float fTipX, fTipY; // afterwards (3, 4 before)
    };
    const SCase aCases[] = {
        {"across", 57, 5, modeAim, true, -14.7f, 4.0f},
        {"down", 58, -4, modeAim, true, 3.0f, 11.76f},
        {"held to the ball's edge", 57, 30, modeAim, true, -50.0f, 4.0f},
        {"the centre", 58, 0, modeEnglish, true, 3.0f, 0.0f},
        {"the computer's turn", 57, 5, modeAim, false, 3.0f, 4.0f},
        {"while the cue strokes", 57, 5, modeNone | gmStroking, true, 3.0f, 4.0f},
        {"while the balls roll", 58, 5, modeAim | gmShotRunning, true, 3.0f, 4.0f},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CStartedFrame frame;
        ASSERT_TRUE(frame.Started());
        CGameFlow& flow = frame.Frame().GetGameFlow();
        ASSERT_TRUE(flow.HasCueBall());
        flow.Current().SetLevel(c.bHuman ? 0 : 3);
        flow.Cue().fTipX = 3.0f;
        flow.Cue().fTipY = 4.0f;
        g_controlBar.m_ptEnglish = POINT{2, 2};
        g_nGameMode = c.dwMode;
        SendMessage(frame.Window(), WM_PANELCOMMAND, static_cast<WPARAM>(c.nCode), static_cast<LPARAM>(c.nOffset));
        EXPECT_NEAR(c.fTipX, flow.Cue().fTipX, 1e-4f);
        EXPECT_NEAR(c.fTipY, flow.Cue().fTipY, 1e-4f);
        EXPECT_EQ(c.bHuman ? 2 : 0, g_controlBar.m_ptEnglish.x) << "the computer's turn clears the marker";
    }
}

/// The cue ball and a point along the cue from it, on the screen, for the mouse area's tests.
struct SCueOnScreen
{
    CVector3 vBall;      // the cue ball's centre
    CVector3 vAlong;     // the unit step from the ball towards the cue's butt
    CVector3 vAcross;    // the unit step across the cue
    float fBallSize = 0; // the ball's size on the screen
};

SCueOnScreen CueOnScreen(CMainFrame& frame)
{
    CGameFlow& flow = frame.GetGameFlow();
    // The view as the next frame draws it, from the camera as the game has it now.
    const SFlowCamera& camera = flow.Camera();
    MatrixLookAt(g_matView, camera.vPosition, camera.vDirection, camera.vUp);
    const int nCueBall = flow.GetReferee()->GetCueBall();
    SCueOnScreen cue;
    CVector3 vBall;
    flow.GetBallScenePosition(nCueBall, vBall);
    const CVector3 vButt = vBall - frame.GetCueScene()->GetCuePose().vDirection * 40.0f;
    CVector3 vScreenButt;
    ProjectToScreen(&cue.vBall, &vBall);
    ProjectToScreen(&vScreenButt, &vButt);
    const float dx = vScreenButt.x - cue.vBall.x, dy = vScreenButt.y - cue.vBall.y;
    const float fLength = std::hypot(dx, dy);
    cue.vAlong = CVector3(dx / fLength, dy / fLength, 0.0f);
    cue.vAcross = CVector3(-cue.vAlong.y, cue.vAlong.x, 0.0f);
    cue.fBallSize = flow.GetBallScreenScale(nCueBall);
    return cue;
}

TEST(FrameCommandsTest, InTheOverheadViewTheMouseAimsDrawsTheCueBackAndStrikes)
{
    CStartedFrame frame;
    ASSERT_TRUE(frame.Started());
    CGameFlow& flow = frame.Frame().GetGameFlow();
    ASSERT_TRUE(flow.HasCueBall());
    g_Settings.m_nOverHeadView = 1;
    flow.SetGameMode(modeAim);
    flow.SetScreenScale(g_fBallPixelSize); // as each tick's input hands it over
    frame.Frame().AlignCue();
    const SCueOnScreen cue = CueOnScreen(frame.Frame());
    ASSERT_GT(cue.fBallSize, 0.0f);
    // The mouse area's codes read the cursor where the display last saw it.
    const auto at = [&](float fAlong, float fAcross)
    {
        const POINT pt{static_cast<LONG>(std::lround(cue.vBall.x + cue.vAlong.x * fAlong + cue.vAcross.x * fAcross)),
                       static_cast<LONG>(std::lround(cue.vBall.y + cue.vAlong.y * fAlong + cue.vAcross.y * fAcross))};
        POINT ptScreen = pt;
        ClientToScreen(frame.Window(), &ptScreen);
        RecordCursorPos(ptScreen.x, ptScreen.y);
        return pt;
    };
    g_mouseArea.SetArmed(0);
    g_mouseArea.m_nRightDragActive = 0;

    at(0.0f, 60.0f);
    frame.Panel(CMD_AREA_RIGHT_DOWN);
    EXPECT_EQ(0, g_mouseArea.m_nRightDragActive) << "a press away from the cue takes nothing";
    at(10.0f, 5.0f);
    frame.Panel(CMD_AREA_RIGHT_DOWN);
    EXPECT_EQ(1, g_mouseArea.m_nRightDragActive) << "a press on the cue takes the power control";
    EXPECT_EQ(1, g_controlBar.m_nInputLocked) << "the bar takes nothing while the frame runs the drag";

    // Drawn back by the cursor's distance from the ball in quarters of the ball's size.
    const SCueStroke& stroke = flow.Cue();
    const POINT pt = at(cue.fBallSize / 4.0f * 0.6f, 0.0f);
    frame.Panel(CMD_AREA_RIGHT_DRAG);
    const float fRatio = std::hypot(pt.x - cue.vBall.x, pt.y - cue.vBall.y) / (cue.fBallSize / 4.0f);
    const float fExpected = std::clamp(fRatio * stroke.fMax / 2.0f, stroke.fMin, stroke.fMax / 2.0f);
    EXPECT_NEAR(fExpected, stroke.fPullBack, 1e-3f);
    EXPECT_GT(stroke.fPullBack, stroke.fMin);
    frame.Frame().SyncControlBar(); // as the next frame's drawing does
    EXPECT_NEAR(stroke.fPullBack / (stroke.fMax / 2.0f), g_controlBar.m_dPower, 1e-3);

    frame.Panel(CMD_AREA_RIGHT_UP);
    EXPECT_TRUE(HasGameFlag(gmShotRunning)) << "the release strikes";
    EXPECT_EQ(0, g_controlBar.m_nInputLocked);
    flow.Engine().StopAllBalls();
}

// In the overhead view a press on the control bar's menu button, or on a row of its open menu, is
// the bar's: it never takes the power control, even where the cue lies under the bar.
TEST(FrameCommandsTest, InTheOverheadViewAPressOnTheBarsMenuNeverTakesThePowerControl)
{
    CStartedFrame frame;
    ASSERT_TRUE(frame.Started());
    CGameFlow& flow = frame.Frame().GetGameFlow();
    g_Settings.m_nOverHeadView = 1;
    flow.SetGameMode(modeAim);
    flow.SetScreenScale(g_fBallPixelSize);
    frame.Frame().AlignCue();
    const SCueOnScreen cue = CueOnScreen(frame.Frame());
    // A point on the cue, where a press takes the power control unless the bar has it.
    const POINT pt{static_cast<LONG>(std::lround(cue.vBall.x + cue.vAlong.x * 10.0f)),
                   static_cast<LONG>(std::lround(cue.vBall.y + cue.vAlong.y * 10.0f))};
    POINT ptScreen = pt;
    ClientToScreen(frame.Window(), &ptScreen);
    RecordCursorPos(ptScreen.x, ptScreen.y);
    const RECT rcPlaced = g_controlBar.m_rcScreen;
    const RECT& button = BAR_ELEMENTS[BAR_ELEMENT_MENU_BUTTON];
    const RECT& row = BAR_ELEMENTS[BAR_ELEMENT_FIRST_ROW + 1];
    const struct
    {
        const char* szName;
        POINT on; // the place of the bar moved under the point
        BOOL bMenuOpen;
        bool bTaken;
    } aCases[] = {
        {"the menu button", {button.left + 20, button.top + 10}, FALSE, false},
        {"a row of the open menu", {row.left + 20, row.top + 10}, TRUE, false},
        {"where a row would be, the menu closed", {row.left + 20, row.top + 10}, FALSE, true},
    };
    for (const auto& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_mouseArea.SetArmed(0);
        g_mouseArea.m_nRightDragActive = 0;
        CWidget::SetMenuOpen(c.bMenuOpen);
        g_controlBar.MoveTo(static_cast<float>(pt.x - c.on.x), static_cast<float>(pt.y - c.on.y));
        frame.Panel(CMD_AREA_RIGHT_DOWN);
        EXPECT_EQ(c.bTaken ? 1 : 0, g_mouseArea.m_nRightDragActive);
        frame.Panel(CMD_AREA_RIGHT_UP);
        flow.Engine().StopAllBalls();
        ClearGameFlag(gmShotRunning);
    }
    CWidget::ClearMenuOpen();
    g_controlBar.MoveTo(static_cast<float>(rcPlaced.left), static_cast<float>(rcPlaced.top));
}

TEST(FrameCommandsTest, InTheOverheadViewALeftDragTurnsTheCueTowardsTheCursor)
{
    struct SCase
    {
        const char* szName;
        int nOverhead;
        DWORD dwMode;
        bool bTurned;
    };
    const SCase aCases[] = {
        {"aiming", 1, modeAim, true},
        {"not in the overhead view", 0, modeAim, false},
        {"calling the shot: the bar's tip only", 1, modeCallShot, false},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CStartedFrame frame;
        ASSERT_TRUE(frame.Started());
        CGameFlow& flow = frame.Frame().GetGameFlow();
        ASSERT_TRUE(flow.HasCueBall());
        g_Settings.m_nOverHeadView = c.nOverhead;
        g_nGameMode = modeAim;
        flow.SetScreenScale(g_fBallPixelSize);
        frame.Frame().AlignCue();
        const SCueOnScreen cue = CueOnScreen(frame.Frame());
        g_mouseArea.SetArmed(0);
        POINT pt{static_cast<LONG>(std::lround(cue.vBall.x + cue.vAlong.x * 8.0f)),
                 static_cast<LONG>(std::lround(cue.vBall.y + cue.vAlong.y * 8.0f))};
        POINT ptScreen = pt;
        ClientToScreen(frame.Window(), &ptScreen);
        RecordCursorPos(ptScreen.x, ptScreen.y);
        frame.Panel(CMD_AREA_LEFT_DOWN);
        EXPECT_EQ(c.nOverhead, g_mouseArea.IsArmed()) << "armed by a press on the cue";
        g_controlBar.SetMode(0);
        g_nGameMode = c.dwMode;
        // Dragged to a point below and right of the ball.
        pt = POINT{static_cast<LONG>(std::lround(cue.vBall.x)) + 30, static_cast<LONG>(std::lround(cue.vBall.y)) + 40};
        ptScreen = pt;
        ClientToScreen(frame.Window(), &ptScreen);
        RecordCursorPos(ptScreen.x, ptScreen.y);
        const float fAimBefore = flow.Cue().fAim;
        frame.Panel(CMD_AREA_LEFT_DRAG);
        const float fToward =
            static_cast<float>(std::atan2(pt.y - cue.vBall.y, pt.x - cue.vBall.x) * 180.0 / 3.14159265358979);
        if (c.bTurned)
        {
            EXPECT_TRUE(SameAngle(fToward, flow.Cue().fAim)) << flow.Cue().fAim;
        }
        else
        {
            EXPECT_FLOAT_EQ(fAimBefore, flow.Cue().fAim);
        }
        EXPECT_EQ(c.dwMode == modeCallShot ? 2 : 0, g_controlBar.GetMode());
        frame.Panel(CMD_AREA_LEFT_UP);
    }
}

TEST(FrameCommandsTest, ARefusedCommandSoundsTheRefusal)
{
    const CEnvScope driver{"SDL_AUDIODRIVER", "dummy"};
    CStartedFrame frame(true);
    ASSERT_TRUE(frame.Started());
    const int nSlot = frame.Frame().GetGameSoundSlot(3020);
    ASSERT_GE(nSlot, 0);
    CSoundSystem& sound = frame.Frame().GetSoundSystem();
    sound.StopAll();
    g_nGameMode = modeAim;
    frame.Panel(15); // the head line, allowed
    EXPECT_FALSE(sound.IsSlotPlaying(nSlot));
    g_nGameMode = modeAim | gmInputOff;
    frame.Panel(15); // refused during text input
    EXPECT_TRUE(sound.IsSlotPlaying(nSlot));
}

TEST(FrameCommandsTest, TheWindowKeepsItsLeastSizeAndTheGamesCursor)
{
    CStartedFrame frame;
    ASSERT_TRUE(frame.Started());
    MINMAXINFO info{};
    SendMessage(frame.Window(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(640, info.ptMinTrackSize.x);
    EXPECT_EQ(480, info.ptMinTrackSize.y);
    const std::pair<DWORD, LRESULT> aModes[] = {
        {modeAim, FALSE}, {modeBallInHand, FALSE}, {modePlaceCueBall, TRUE}, {modeCallShot, TRUE}, {modeWaiting, TRUE}};
    for (const auto& [dwMode, lExpected] : aModes)
    {
        SCOPED_TRACE(dwMode);
        g_nGameMode = dwMode;
        EXPECT_EQ(lExpected, SendMessage(frame.Window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(frame.Window()),
                                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    }
}

TEST(FrameCommandsTest, PanelCodesRunTheirCommandsUnderTheirRules)
{
    using enum EAnswer;
    struct SCase
    {
        const char* szName;
        int nCode;
        DWORD dwMode;
        std::vector<std::string> aAsked; // the dialogs the code opened, each cancelled
        std::function<void(const CStartedFrame&)> check;
        std::function<void(const CStartedFrame&)> prepare = [](const CStartedFrame&) {};
    };
    const auto saved = [](const char* szKey, int nValue)
    { return [=](const CStartedFrame&) { EXPECT_EQ(nValue, CStartedFrame::Saved(szKey)) << szKey; }; };
    const auto mode = [](DWORD dwMode)
    { return [=](const CStartedFrame&) { EXPECT_EQ(dwMode, g_nGameMode & (MODE_FIELD | gmShotRunning)); }; };
    const auto competition2 = [](const CStartedFrame&)
    {
        g_Settings.m_nCompetitionType = 2;
        g_Settings.Save();
    };
    const auto callBeingMade = [](const CStartedFrame& f)
    {
        SendMessage(f.Window(), FLOW_MSG_CALL_SHOT, 15, static_cast<LPARAM>(modeAim));
        g_CallRecord.nBall = 3;
        g_nPrevGameMode = modeCallShot;
    };
    const auto callEnded = [](const CStartedFrame&)
    {
        ASSERT_NE(nullptr, g_pCallShotState);
        EXPECT_TRUE(g_pCallShotState->IsDone());
        EXPECT_EQ(-1, g_CallRecord.nBall);
    };
    const SCase aCases[] = {
        {"10: the screen mode switches",
         10,
         modeAim,
         {},
         saved("FullScreen", 1),
         // The window really goes full screen, and the setting follows it.
         [](const CStartedFrame&) { CMainFrame::SetEnvironmentChangeForTests(nullptr); }},
        {"13: music on at an audible volume",
         13,
         modeAim,
         {},
         [](const CStartedFrame& f)
         {
             EXPECT_EQ(1, CStartedFrame::Saved("Music enable"));
             EXPECT_EQ(0x2u, f.Frame().GetMusicWord() & 0x2);
         }},
        {"13: music stays off too quiet to hear",
         13,
         modeAim,
         {},
         saved("Music enable", 0),
         [](const CStartedFrame&) { g_Settings.m_nMusicVolume = MUSIC_MIN_VOLUME - 1; }},
        {"14: the aiming aid", 14, modeAim, {}, saved("BallPath1", 1)},
        {"14: the aiming aid refused in competition 2", 14, modeAim, {}, saved("BallPath1", 0), competition2},
        {"15: the head line", 15, modeAim, {}, saved("HeadLine", 1)},
        {"18: calling the shot in straight pool", 18, modeAim, {}, mode(modeCallShot)},
        {"18: refused while a shot runs", 18, modeAim | gmShotRunning, {}, mode(modeAim | gmShotRunning)},
        {"19: the overhead view", 19, modeAim, {}, saved("OverHead View", 1)},
        {"21: stop ends the running shot", 21, modeAim | gmShotRunning, {}, mode(modeAim)},
        {"21: refused in competition 2", 21, modeAim | gmShotRunning, {}, mode(modeAim | gmShotRunning), competition2},
        {"22 while calling ends the call", 22, modeCallShot, {}, callEnded, callBeingMade},
        {"29: the new-game question", 29, modeAim, {"new game"}, mode(modeAim)},
        {"29: nothing under bit 28", 29, modeAim | 0x10000000, {}, mode(modeAim)},
        {"30: the recommended shot", 30, modeAim, {}, mode(modeCameraFlight)},
        {"30: refused with the ball in hand", 30, modeBallInHand, {}, mode(modeBallInHand)},
        {"31: the options", 31, modeAim, {"options"}, mode(modeAim)},
        {"32: the rules' card", 32, modeAim, {"card"}, mode(modeAim)},
        {"33: exit asks if sure", 33, modeAim, {"sure"}, mode(modeAim)},
        {"34: the control bar's tip is put away",
         34,
         modeAim,
         {},
         [](const CStartedFrame&)
         {
             EXPECT_EQ(0, g_controlBar.GetMode());
             g_controlBar.m_nLastTipMode = 0;
         },
         [](const CStartedFrame&)
         {
             // The call-the-shot tip shows; another was shown and cleared before it.
             g_controlBar.m_nLastTipMode = 1;
             g_controlBar.m_nTipMode = 2;
         }},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CStartedFrame frame;
        ASSERT_TRUE(frame.Started());
        CMainFrame::SetEnvironmentChangeForTests([] { return TRUE; });
        frame.Frame().GetGameFlow().CreateReferee(15);
        g_Settings.m_nGameType = 15;
        g_Settings.m_nCompetitionType = 1;
        g_Settings.m_nFullScreen = g_Settings.m_nBallPath1 = g_Settings.m_nHeadLine = 0;
        g_Settings.m_nOverHeadView = g_Settings.m_nMusicEnable = 0;
        g_Settings.m_nMusicVolume = 1000;
        g_Settings.Save();
        c.prepare(frame);
        if ((c.dwMode & modeCallShot) == 0)
        {
            g_nGameMode = c.dwMode;
        }
        frame.Answer(std::vector<EAnswer>(c.aAsked.size(), Cancel));
        frame.Panel(c.nCode);
        Pump();
        EXPECT_EQ(c.aAsked, frame.m_aAsked);
        c.check(frame);
        EndCall();
    }
}

TEST(FrameCommandsTest, StopFromTheMenuEndsACallOfTheShotAndTheCueBallIsTheBallAgain)
{
    CStartedFrame frame;
    ASSERT_TRUE(frame.Started());
    CGameFlow& flow = frame.Frame().GetGameFlow();
    flow.CreateReferee(15);
    g_Settings.m_nGameType = 15;
    g_Settings.m_nCompetitionType = 1;
    g_Settings.Save();
    SendMessage(frame.Window(), FLOW_MSG_CALL_SHOT, 15, static_cast<LPARAM>(modeAim));
    g_CallRecord.nBall = 3;
    g_nPrevGameMode = modeCallShot;
    ASSERT_NE(nullptr, g_pCallShotState);
    ASSERT_FALSE(g_pCallShotState->IsDone());
    frame.Command(ID_STOP_ACTION);
    Pump();
    EXPECT_TRUE(g_pCallShotState->IsDone());
    EXPECT_EQ(-1, g_CallRecord.nBall);
    EXPECT_EQ(0u, g_nGameMode & (gmShotRunning | gmRobotStroke));
    EndCall();
}

TEST(FrameCommandsTest, TheRecommendedShotFliesToTheAimAndShowsThePlannersShotAsTheCall)
{
    struct SCase
    {
        const char* szName;
        int nGameType;
        bool bFinalBall;   // eight-ball's referee lets the player call
        int nBall;         // the one ball before a pocket once the break is made; -1: the rack, unbroken
        DWORD dwModeAfter; // the mode field afterwards
    };
    const SCase aCases[] = {
        {"three-ball follows the flight", 3, false, -1, modeCameraFlight},
        {"straight pool waits for the call", 18, false, -1, modeAim},
        {"pyramid waits for the call", 16, false, -1, modeAim},
        {"eight-ball before the final ball follows the flight", 8, false, -1, modeCameraFlight},
        {"eight-ball on the final ball waits for the call", 8, true, -1, modeAim},
        {"a planned shot in straight pool is the call made", 18, false, 5, modeCameraFlight},
        {"a planned shot in nine-ball is shown as the call", 9, false, 9, modeCameraFlight},
        {"a planned shot in eight-ball is the call made", 8, true, 8, modeCameraFlight},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CStartedFrame frame;
        ASSERT_TRUE(frame.Started());
        CGameFlow& flow = frame.Frame().GetGameFlow();
        flow.CreateReferee(c.nGameType);
        ASSERT_EQ(c.nGameType, flow.GetGameType());
        if (c.nBall >= 0)
        {
            // The cue ball and one ball a short straight shot from the corner pocket at the foot.
            CBallEngine& engine = flow.Engine();
            for (int n = 0; n < 16; ++n)
                engine.RemoveBall(n);
            for (const auto& [n, x, y] : {std::tuple{0, 0.43, 1.79}, std::tuple{c.nBall, 0.15, 2.08}})
            {
                engine.AddBall(n);
                engine.SetBallPosition(n, x, y);
            }
            const WORD wOnTable = static_cast<WORD>(1u | 1u << c.nBall);
            flow.SetBallLists(wOnTable, static_cast<WORD>(~wOnTable));
            flow.GetReferee()->SetFlags(REF_BREAK_MADE);
            flow.GetReferee()->SetTarget(c.nBall);
        }
        flow.GetReferee()->SetFinalBallFlag(c.bFinalBall ? TRUE : FALSE);
        g_Settings.m_nCompetitionType = 1;
        g_nGameMode = modeAim;
        frame.Command(ID_CALL_SHOT);
        EXPECT_EQ(c.dwModeAfter, g_nGameMode & MODE_FIELD);
        EXPECT_EQ(0x200u, frame.Frame().GetOptionWord() & 0x200);
        // The planner's shot is the game's shot record, and the call shows it at its pocket.
        const CShotInfo& plan = flow.ShotRecord();
        EXPECT_EQ(c.nBall >= 0, plan.HoldsShot()) << "the break is no shot into a pocket";
        EXPECT_EQ(c.nBall, g_CallRecord.nBall);
        EXPECT_EQ(c.nBall >= 0 ? plan.m_nPocket : -1, g_CallRecord.nPocket);
        EXPECT_EQ(c.nBall >= 0, g_pCallShotState != nullptr && g_pCallShotState->IsDone());
        const CSceneObject* pArrow = frame.Frame().GetPocketArrow();
        EXPECT_EQ(c.nBall >= 0, pArrow != nullptr && pArrow->IsEnabled()) << "the pocket arrow";
        EndCall();
    }
}

TEST(FrameCommandsTest, TheTutorialChooserOpensForTheTeacherAndKeepsTheFolderOfAChoice)
{
    struct SCase
    {
        const char* szName;
        BOOL bTeacher;
        const char* szTyped; // then OK; null: Escape
        bool bShown;
        bool bStayedOpen; // OK left the chooser open (a beep)
        bool bInTutorial; // the tutorial folder is the current one afterwards
    };
    const SCase aCases[] = {
        {"not a teacher: nothing", FALSE, nullptr, false, false, false},
        {"cancelled: the folder from before", TRUE, nullptr, true, false, false},
        {"no name typed: it stays open", TRUE, "", true, true, false},
        {"a lesson chosen: the tutorial folder stays current", TRUE, "lesson1", true, false, true},
    };
    const std::filesystem::path before = std::filesystem::current_path();
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CStartedFrame frame;
        ASSERT_TRUE(frame.Started());
        const std::filesystem::path tutorial = ResolvePath(GetTutorialFolder().GetString());
        const bool bMadeFolder = std::filesystem::create_directories(tutorial);
        g_bTeacherMode = c.bTeacher;
        bool bShown = false;
        bool bStayedOpen = false;
        const int nBeeps = GetMessageBeepCount();
        CDialogDriver::Play({[&]
                             {
                                 auto* pChooser = dynamic_cast<CFileDialog*>(OpenDialog());
                                 bShown = pChooser != nullptr;
                                 if (pChooser == nullptr)
                                     return;
                                 if (c.szTyped == nullptr)
                                 {
                                     CDialogDriver::Key(*pChooser, VK_ESCAPE);
                                     return;
                                 }
                                 for (const char* p = c.szTyped; *p != '\0'; ++p)
                                     ::PostMessage(pChooser->GetDlgItem(IDC_FILE_DIALOG_NAME), WM_CHAR,
                                                   static_cast<WPARAM>(*p), 0);
                                 CDialogDriver::ClickControl(*pChooser, IDOK);
                                 CDialogDriver::Next();
                             },
                             [&]
                             {
                                 if (auto* pChooser = dynamic_cast<CFileDialog*>(OpenDialog()))
                                 {
                                     bStayedOpen = true;
                                     CDialogDriver::Key(*pChooser, VK_ESCAPE);
                                 }
                             }});
        frame.Command(ID_OPEN_TUTORIAL);
        g_bTeacherMode = FALSE;
        EXPECT_EQ(c.bShown, bShown);
        EXPECT_EQ(c.bStayedOpen, bStayedOpen);
        EXPECT_EQ(c.bStayedOpen, GetMessageBeepCount() > nBeeps);
        EXPECT_EQ(c.bInTutorial, std::filesystem::equivalent(std::filesystem::current_path(), tutorial));
        std::filesystem::current_path(before);
        if (bMadeFolder)
            std::filesystem::remove_all(tutorial);
    }
}

TEST(FrameCommandsTest, EachRuleEnablesItsCommandsOnTheFrameExactlyWhereItHolds)
{
    using enum ECommandRule;
    // A command of each rule as the frame's own update path answers for it; R1 is asked through
    // the panel's cue-ball placement, which runs under it.
    const std::pair<ECommandRule, UINT> aRuled[] = {
        {R3, ID_SHOW_RULES},       {R4, ID_STOP_ACTION},     {R5, ID_UNMAPPED_32140},    {R6, ID_RESTART_RACK},
        {R7, ID_TOGGLE_HEAD_LINE}, {R8, ID_TOGGLE_OVERHEAD}, {R9, ID_SYNC_VIEW_RECORD},  {R10, ID_CALL_SHOT},
        {R11, ID_STOP_PLAYBACK},   {R12, ID_PASS_TURN},      {R13, ID_TOGGLE_BALL_PATH}, {R14, ID_CALL_SHOT_MODE},
        {R15, ID_REPLAY},          {R16, ID_EMPTY_32162},    {R17, ID_EMPTY_32181}};
    struct SState
    {
        const char* szName;
        DWORD dwMode;
        int nCompetition = 1;
        int nGameType = 15;
        bool bCurrentComputer = false;
        bool bSecondComputer = false;
        std::set<ECommandRule> failing;
        bool bFinalBall = false; // the referee has the final ball on
    };
    const SState aStates[] = {
        {"nothing going on", 0, 1, 15, false, false, {R11}},
        {"competition type 2", 0, 2, 15, false, false, {R1, R4, R6, R10, R11, R12, R13}},
        {"the window is closing",
         gmSettingsPreview,
         1,
         15,
         false,
         false,
         {R1, R3, R4, R5, R6, R8, R9, R10, R11, R12, R14, R15, R16}},
        {"text input", gmInputOff, 1, 15, false, false, {R3, R4, R7, R8, R11, R13, R15}},
        {"bit 23", gmGameOver, 1, 15, false, false, {R1, R4, R5, R10, R11, R12, R14, R15, R16}},
        {"bit 24", gmPresentation, 1, 15, false, false, {R6, R11, R16}},
        {"calling the shot", modeCallShot, 1, 15, false, false, {R9, R11, R12, R13, R14}},
        {"ball in hand", modeBallInHand, 1, 15, false, false, {R10, R11, R13}},
        {"placing the cue ball", modePlaceCueBall, 1, 15, false, false, {R10, R11, R13, R15, R16}},
        {"a shot runs", gmShotRunning, 1, 15, false, false, {R14, R15, R16}},
        {"a camera flight", modeCameraFlight, 1, 15, false, false, {R11, R15, R16}},
        {"the replay runs", gmReplay, 1, 15, false, false, {R4, R11, R16}},
        {"the start-up flag", gmStartupFlag, 1, 15, false, false, {R11, R16, R17}},
        {"the computer's turn", 0, 1, 15, true, true, {R1, R10, R11, R14, R15}},
        {"the computer waits", 0, 1, 15, false, true, {R11, R15}},
        {"nine-ball calls no shot", 0, 1, 3, false, false, {R11, R14}},
        {"eight-ball before the final ball", 0, 1, 8, false, false, {R11, R14}},
        {"eight-ball on the final ball calls it", 0, 1, 8, false, false, {R11}, true},
    };
    CStartedFrame frame;
    ASSERT_TRUE(frame.Started());
    CGameFlow& flow = frame.Frame().GetGameFlow();
    const auto enabled = [&](UINT nID)
    {
        CCmdUI ui;
        ui.m_nID = nID;
        frame.Frame().OnUpdateCmdMsg(&ui);
        return ui.m_bEnabled != FALSE;
    };
    // The turn flight's item is checked while the computer's turn flight runs.
    for (const DWORD dwMode : {modeAim, modeAim | gmRobotStroke})
    {
        g_nGameMode = dwMode;
        CCmdUI ui;
        ui.m_nID = ID_TURN_FLIGHT;
        frame.Frame().OnUpdateCmdMsg(&ui);
        EXPECT_EQ((dwMode & gmRobotStroke) != 0 ? 1 : 0, ui.m_nCheck);
    }
    for (const SState& s : aStates)
    {
        SCOPED_TRACE(s.szName);
        const auto enter = [&]
        {
            g_Settings.m_nCompetitionType = s.nCompetition;
            g_Settings.m_nGameType = s.nGameType;
            flow.Settings().nCompetitionType = s.nCompetition;
            flow.Player2().SetLocal(); // a match: the turn can pass
            flow.SetCurrent(!s.bCurrentComputer);
            flow.Player1().SetLevel(0);
            flow.Player2().SetLevel(s.bSecondComputer ? 4 : 0);
            flow.GetReferee()->SetFinalBallFlag(s.bFinalBall ? TRUE : FALSE);
            g_nGameMode = s.dwMode;
            g_nPrevGameMode = 0;
        };
        enter();
        for (const auto& [eRule, nID] : aRuled)
        {
            SCOPED_TRACE(nID);
            EXPECT_EQ(!s.failing.contains(eRule), enabled(nID));
        }
        EXPECT_FALSE(enabled(ID_COMPUTER_STROKE)) << "never";
        EXPECT_TRUE(enabled(ID_TOGGLE_SHORT_PATH));
        EXPECT_TRUE(enabled(ID_EXIT_GAME));
        EXPECT_TRUE(enabled(ID_TURN_FLIGHT));
        // Through the real dispatch: a disabled command does nothing.
        const int nHeadLine = g_Settings.m_nHeadLine;
        frame.Command(ID_TOGGLE_HEAD_LINE);
        EXPECT_EQ(!s.failing.contains(R7), g_Settings.m_nHeadLine != nHeadLine) << "the head line";
        enter();
        const bool bFirstToPlay = flow.IsPlayer1Current();
        frame.Command(ID_PASS_TURN);
        EXPECT_EQ(!s.failing.contains(R12), flow.IsPlayer1Current() != bFirstToPlay) << "passing the turn";
        enter();
        frame.Panel(20);
        EXPECT_EQ(!s.failing.contains(R1), (g_nGameMode & MODE_FIELD) == modePlaceCueBall) << "placing the cue ball";
        flow.SetFlight(nullptr);
    }
}

TEST(FrameCommandsTest, PrivateMessagesReachTheirHandlers)
{
    struct SCase
    {
        const char* szName;
        DWORD dwMode;
        UINT uMsg;
        WPARAM wParam;
        DWORD dwModeAfter; // the game-mode word once the message ran
        bool bClosed;      // the window is gone
    };
    const SCase aCases[] = {
        {"text input's Escape ends it", gmInputOff, WM_TEXTINPUTKEY, VK_ESCAPE, 0, false},
        {"text input's Enter keeps it", gmInputOff, WM_TEXTINPUTKEY, VK_RETURN, gmInputOff, false},
        {"the outcome's end does nothing", modeAim, WM_OUTCOMEDONE, 0, modeAim, false},
        {"a block handed over is not taken", modeAim, 0x39, 0, modeAim, false},
        {"the call of the shot after a set-up", modeAim, FLOW_MSG_CALL_SHOT, 8, modeCallShot, false},
        {"close now", modeAim, WM_CLOSENOW, 0, modeAim, true},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CStartedFrame frame;
        ASSERT_TRUE(frame.Started());
        g_nGameMode = c.dwMode;
        SendMessage(frame.Window(), c.uMsg, c.wParam, static_cast<LPARAM>(modeAim));
        Pump();
        EXPECT_EQ(c.bClosed, !IsWindow(frame.Window()));
        if (!c.bClosed)
        {
            EXPECT_EQ(c.dwModeAfter, g_nGameMode & (MODE_FIELD | gmInputOff));
        }
    }

    // The music's end plays the play list's current track again.
    CStartedFrame frame;
    ASSERT_TRUE(frame.Started());
    g_Settings.m_PlayList.RemoveAll();
    g_Settings.m_PlayList.Add("One.mp3");
    g_Settings.m_PlayList.Add("Two.mp3");
    g_Settings.m_nPlayListIndex = 1;
    g_MusicPlayer.strPath = "";
    SendMessage(frame.Window(), WM_MUSICNOTIFY, 0, 0);
    EXPECT_STREQ("Two.mp3", g_MusicPlayer.strPath.GetString());
    g_MusicPlayer.strPath = "";
}
} // namespace
