// The start screen driven by clicks, keys and mouse moves on the headless backend, over the game's
// own template and pictures: game types and match kinds then Play, leaving, Escape, screens too
// small, the link's repeat guard and the trophies.
#include "app/StartDlg.h"

#include "AppFolder.h"
#include "fixtures/WaitFor.h"

#include "app/HelpDlg.h"
#include "app/MainFrame.h"
#include "app/SplashScreen.h"
#include "foundation/DialogResultMask.h"
#include "foundation/ErrorBox.h"
#include "foundation/Folders.h"
#include "foundation/Settings.h"
#include "gameflow/GameMode.h"
#include "platform/EnvScope.h"
#include "platform/mfc/AfxResource.h"
#include "platform/win32/Clock.h"
#include "platform/win32/Cursor.h"
#include "platform/win32/Desktop.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/MessageBox.h"
#include "platform/win32/Modules.h"
#include "platform/win32/Registry.h"
#include "platform/win32/Shell.h"
#include "platform/win32/Sync.h"
#include "platform/win32/WindowTable.h"
#include "ui/MessageDlg.h"
#include "ui/PanelFont.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
// What the player does next: each step runs from a message to a window of the test, which the
// dialog's loop dispatches after what the step before posted (one queue, in order), and the clock
// may stand still meanwhile.
constexpr UINT WM_NEXT_STEP = WM_USER + 900;
std::vector<std::function<void()>> s_aSteps;
HWND s_hStepWindow = nullptr;

LRESULT StepWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg != WM_NEXT_STEP)
        return ::DefWindowProc(hWnd, uMsg, wParam, lParam);
    if (s_aSteps.empty())
        return 0;
    const std::function<void()> fnStep = s_aSteps.front();
    s_aSteps.erase(s_aSteps.begin());
    fnStep();
    if (!s_aSteps.empty())
        ::PostMessage(s_hStepWindow, WM_NEXT_STEP, 0, 0);
    return 0;
}

/// The game's library, a program folder of the test's own, a parent window, a desktop of 1024 by
/// 768 and the registry in the test's folder.
class StartDlgTest : public ::testing::Test
{
protected:
    StartDlgTest() : m_config("XDG_CONFIG_HOME", (m_folder.Folder().Path() / "config").c_str()) {}

    void SetUp() override
    {
        m_hLibrary = LoadLibrary(VORN_GAME_DIR "/VornRes.dll");
        ASSERT_NE(nullptr, m_hLibrary);
        AfxSetResourceHandle(m_hLibrary);
        m_rcDesktop = GetDesktopWindowRect();
        SetDesktopWindowRect(RECT{0, 0, 1024, 768});
        WNDCLASS wc;
        wc.lpfnWndProc = &::DefWindowProc;
        wc.lpszClassName = "StartDlgTestParent";
        RegisterClass(&wc);
        ASSERT_TRUE(m_parent.CreateEx(0, "StartDlgTestParent", "", WS_POPUP, 0, 0, 1024, 768, nullptr, nullptr));
        wc.lpfnWndProc = &StepWindowProc;
        wc.lpszClassName = "StartDlgTestSteps";
        RegisterClass(&wc);
        s_hStepWindow =
            CreateWindowEx(0, "StartDlgTestSteps", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, s_hStepWindow);
        g_Settings.SetDefaults();
        g_Settings.m_nAIDefaultLevel = 5;
        g_nDialogOkMask = 0;
    }
    void TearDown() override
    {
        s_aSteps.clear();
        SetMessageBoxHandler(nullptr);
        m_parent.DestroyWindow();
        ::DestroyWindow(s_hStepWindow);
        SetDesktopWindowRect(m_rcDesktop);
        AfxSetResourceHandle(nullptr);
        FreeLibrary(m_hLibrary);
        g_nGameMode = 0;
    }

    /// Runs the dialog with the steps; its result.
    INT_PTR Run(CDialog& dlg, std::vector<std::function<void()>> aSteps)
    {
        s_aSteps = std::move(aSteps);
        ::PostMessage(s_hStepWindow, WM_NEXT_STEP, 0, 0);
        return dlg.DoModal();
    }
    static void Click(const CDialog& dlg, int nId)
    {
        RECT rc;
        ASSERT_TRUE(::GetWindowRect(dlg.GetDlgItem(nId), &rc)); // in the dialog's client area
        const LPARAM lParam = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        ::PostMessage(dlg.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, lParam);
        ::PostMessage(dlg.m_hWnd, WM_LBUTTONUP, 0, lParam);
    }
    static void Key(const CDialog& dlg, int nKey)
    {
        ::PostMessage(dlg.m_hWnd, WM_KEYDOWN, static_cast<WPARAM>(nKey), 0);
    }
    /// Whether a close request reached the parent (taken from its queue).
    bool ParentAskedToClose()
    {
        MSG msg;
        return PeekMessage(&msg, m_parent.m_hWnd, WM_CLOSENOW, WM_CLOSENOW, PM_REMOVE) != FALSE;
    }
    std::string IniText() const { return m_folder.Folder().Read("Vorn.ini"); }
    static void SetProductValue(const char* szName, DWORD dwType, const void* pData, DWORD nSize)
    {
        HKEY hKey = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Tamberlin\\Vorn", 0, nullptr, 0,
                                                KEY_ALL_ACCESS, nullptr, &hKey, nullptr));
        RegSetValueEx(hKey, szName, 0, dwType, static_cast<const BYTE*>(pData), nSize);
        RegCloseKey(hKey);
    }

    CAppFolder m_folder;
    CEnvScope m_config;
    HMODULE m_hLibrary = nullptr;
    RECT m_rcDesktop{};
    CWnd m_parent;
};

TEST_F(StartDlgTest, EachGameTypeAndMatchKindThenPlayWritesTheSettings)
{
    struct SKind
    {
        int nButton;
        int nCompetition;
        int nLevel2;
    };
    const SKind aKinds[] = {{1124, 0, 3}, {1125, 1, 5}, {1126, 1, 0}};
    for (const SStartGameRow& row : START_GAME_ROWS)
        for (const SKind& kind : aKinds)
        {
            SCOPED_TRACE(testing::Message() << "type " << row.nGameType << ", match button " << kind.nButton);
            g_Settings.m_nGameType = 3;
            g_Settings.m_nCompetitionType = 1;
            g_Settings.m_nPlayerLevel1 = 2;
            g_Settings.m_nPlayerLevel2 = 3;
            g_nGameMode = 0x20;
            g_nDialogOkMask = 0;
            CStartDlg dlg(&m_parent);
            const INT_PTR nResult = Run(dlg, {[&] { Click(dlg, row.nButtonId); }, [&] { Click(dlg, kind.nButton); },
                                              [&]
                                              {
                                                  EXPECT_EQ(row.nGameType, g_Settings.m_nGameType);
                                                  EXPECT_EQ(StartRowOfGameType(row.nGameType), dlg.GetShownRow());
                                                  Click(dlg, 1056);
                                              }});
            EXPECT_EQ(IDOK, nResult);
            EXPECT_EQ(row.nGameType, g_Settings.m_nGameType);
            EXPECT_EQ(kind.nCompetition, g_Settings.m_nCompetitionType);
            EXPECT_EQ(kind.nCompetition == 0 ? 2 : 0, g_Settings.m_nPlayerLevel1) << "practice keeps the levels";
            EXPECT_EQ(kind.nLevel2, g_Settings.m_nPlayerLevel2);
            EXPECT_EQ(0u, g_nGameMode);
            EXPECT_TRUE(IsStartDlgOk());
            EXPECT_NE(std::string::npos, IniText().find("GameType=" + std::to_string(row.nGameType)));
            EXPECT_NE(std::string::npos, IniText().find("Competition Type=" + std::to_string(kind.nCompetition)));
            EXPECT_FALSE(ParentAskedToClose());
        }
}

TEST_F(StartDlgTest, LeaveAndEscapeAskTheMainWindowToCloseAndEnterPlays)
{
    struct SCase
    {
        const char* szName;
        std::function<void(CStartDlg&)> fnDo;
        INT_PTR nResult;
        bool bClose;
    };
    const SCase aCases[] = {
        {"leave", [](CStartDlg& dlg) { Click(dlg, 1051); }, START_LEAVE, true},
        {"escape", [](CStartDlg& dlg) { Key(dlg, VK_ESCAPE); }, IDCANCEL, true},
        {"enter presses Play, which has the focus", [](CStartDlg& dlg) { Key(dlg, VK_RETURN); }, IDOK, false}};
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        std::filesystem::remove(m_folder.Folder().Path() / "Vorn.ini");
        CStartDlg dlg(&m_parent);
        EXPECT_EQ(c.nResult, Run(dlg, {[&] { c.fnDo(dlg); }}));
        EXPECT_EQ(c.bClose, ParentAskedToClose());
        EXPECT_FALSE(dlg.IsBlinking());
        EXPECT_TRUE(std::filesystem::exists(m_folder.Folder().Path() / "Vorn.ini")) << "the settings were saved";
    }
}

TEST_F(StartDlgTest, AScreenUnder800By600ShowsTheBoxAndAsksToQuitWithZero)
{
    std::vector<std::string> aBoxes;
    SetMessageBoxHandler(
        [&](const SMessageBoxRequest& request)
        {
            aBoxes.push_back(request.strCaption + ": " + request.strText);
            return IDOK;
        });
    struct SCase
    {
        LONG nWidth, nHeight;
        bool bRefused;
    };
    for (const SCase& c : {SCase{799, 600, true}, SCase{800, 599, true}, SCase{800, 600, false}})
    {
        SCOPED_TRACE(testing::Message() << c.nWidth << " x " << c.nHeight);
        aBoxes.clear();
        SetDesktopWindowRect(RECT{0, 0, c.nWidth, c.nHeight});
        CStartDlg dlg(&m_parent);
        const INT_PTR nResult = Run(dlg, {[&] { Key(dlg, VK_ESCAPE); }});
        MSG msg;
        const bool bQuit = PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
        s_aSteps.clear();
        EXPECT_EQ(IDCANCEL, nResult);
        EXPECT_EQ(c.bRefused, bQuit);
        if (bQuit)
        {
            EXPECT_EQ(0u, msg.wParam);
        }
        ASSERT_EQ(c.bRefused ? 1u : 0u, aBoxes.size());
        if (c.bRefused)
        {
            EXPECT_EQ("Unsupported Resolution: The minimum resolution for this game is 800x600 with 16bit color depth "
                      "or 32bit color depth.",
                      aBoxes[0]);
            EXPECT_FALSE(ParentAskedToClose()) << "no leave steps";
        }
        ParentAskedToClose();
    }
}

TEST_F(StartDlgTest, TwoLinkClicksWithinASecondOpenTheAddressOnce)
{
    const std::string strRecorder = m_folder.Folder().File("recorder.sh");
    m_folder.Folder().Write("recorder.sh", "#!/bin/sh\nexit 0\n");
    std::filesystem::permissions(strRecorder, std::filesystem::perms::owner_all);
    CEnvScope opener("VORN_OPENER", strRecorder.c_str());
    const char szUrl[] = "http://vorn.invalid/club";
    SetProductValue("LAUNCHURL", REG_SZ, szUrl, sizeof(szUrl));
    CTestClockScope clock(1000);
    const int nBefore = GetOpenerStartCount();
    CStartDlg dlg(&m_parent);
    std::vector<int> aCounts;
    const auto Count = [&] { aCounts.push_back(GetOpenerStartCount() - nBefore); };
    Run(dlg, {[&] { Click(dlg, 1061); }, [&] { Count(), clock.Advance(1000), Click(dlg, 1061); },
              [&] { Count(), clock.Advance(1), Click(dlg, 1061); }, [&] { Count(), Key(dlg, VK_ESCAPE); }});
    EXPECT_EQ((std::vector<int>{1, 1, 2}), aCounts) << "a click 1000 ms after is ignored, 1001 ms after opens";
}

TEST_F(StartDlgTest, TrophiesShowPerTypeAndAFullColumnEarnsTheTrophy)
{
    struct SCase
    {
        const char* szName;
        int anValues[6];
        int nTrophyBefore;
        int nTrophyAfter;
    };
    const SCase aCases[] = {{"none", {0, 0, 0, 0, 0, 0}, 0, 0},
                            {"all firsts", {1, 4, 5, 7, 1, 1}, 0, 1},
                            {"all seconds and firsts: the second wins", {4, 4, 4, 7, 4, 4}, 0, 2},
                            {"all thirds", {7, 7, 7, 7, 7, 7}, 1, 3},
                            {"one short keeps the old trophy", {7, 7, 7, 7, 7, 0}, 1, 1},
                            {"out of range counts as none", {8, -1, 3, 3, 3, 3}, 0, 0}};
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        std::copy(std::begin(c.anValues), std::end(c.anValues), std::begin(g_Settings.m_anTrophies));
        g_Settings.m_nTrophy = c.nTrophyBefore;
        CStartDlg dlg(&m_parent);
        std::vector<bool> aShown;
        Run(dlg, {[&]
                  {
                      for (int r = 0; r < 6; ++r)
                          aShown.push_back(::IsWindowVisible(dlg.GetDlgItem(1183 + r)) != FALSE);
                      Key(dlg, VK_RETURN);
                  }});
        EXPECT_EQ(c.nTrophyAfter, g_Settings.m_nTrophy);
        ASSERT_EQ(6u, aShown.size());
        for (int r = 0; r < 6; ++r)
        {
            EXPECT_EQ(c.anValues[r] >= 1 && c.anValues[r] <= 7, aShown[static_cast<std::size_t>(r)]) << "row " << r;
        }
    }
}

TEST_F(StartDlgTest, EachGameTypesDescriptionFitsItsFourLinesInsideTheGreenPanel)
{
    // The description is written 220 pixels wide below the picture; the panel's frame leaves room
    // for four of its lines.
    CPanelFont font;
    font.SetHeavy16();
    HDC hDC = CreateCompatibleDC(nullptr);
    HGDIOBJ hOld = SelectObject(hDC, font.GetSafeHandle());
    RECT rcLine{0, 0, 220, 0};
    DrawText(hDC, "Ag", 2, &rcLine, DT_CALCRECT | DT_SINGLELINE);
    for (UINT nId = 134; nId <= 144; nId += 2)
    {
        char szText[1024] = {};
        ASSERT_GT(LoadString(m_hLibrary, nId, szText, sizeof szText), 0) << nId;
        RECT rc{0, 0, 220, 0};
        DrawText(hDC, szText, static_cast<int>(std::strlen(szText)), &rc, DT_CALCRECT | DT_WORDBREAK);
        EXPECT_LE(rc.bottom, 4 * rcLine.bottom) << szText;
    }
    SelectObject(hDC, hOld);
    DeleteDC(hDC);
}

TEST_F(StartDlgTest, OpensWithTheSettingsMatchKindAndFollowsTheMouseOverTheGameTypes)
{
    g_Settings.m_nCompetitionType = 1;
    g_Settings.m_nPlayerLevel2 = 0;
    g_Settings.m_nGameType = 33; // not one of the six: no row is selected
    const DWORD dwNoLink = 0;
    SetProductValue("SHOWLINK", REG_DWORD, &dwNoLink, sizeof(dwNoLink));
    CStartDlg dlg(&m_parent);
    int nKind = -1;
    std::vector<int> aRows;
    bool bLinkShown = true;
    const auto MoveTo = [&](int nId)
    {
        RECT rc{};
        ::GetWindowRect(dlg.GetDlgItem(nId), &rc);
        ::PostMessage(dlg.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(rc.left + 2, rc.top + 2));
    };
    Run(dlg, {[&]
              {
                  nKind = dlg.GetMatchKind();
                  bLinkShown = ::IsWindowVisible(dlg.GetDlgItem(1061)) != FALSE;
                  aRows.push_back(dlg.GetShownRow());
                  Click(dlg, 1119);
              },
              [&] { aRows.push_back(dlg.GetShownRow()), MoveTo(1117); },
              [&] { aRows.push_back(dlg.GetShownRow()), MoveTo(1056); },
              [&] { aRows.push_back(dlg.GetShownRow()), Key(dlg, VK_ESCAPE); }});
    EXPECT_EQ(CStartDlg::MatchTwoPlayers, nKind);
    EXPECT_FALSE(bLinkShown);
    EXPECT_EQ((std::vector<int>{-1, 3, 1, 3}), aRows) << "none, nine ball, American under the mouse, nine ball again";
}

TEST_F(StartDlgTest, TheMouseOverHelpShowsTheGamesHandAndOverTheOtherButtonsTheSystemsHand)
{
    CStartDlg dlg(&m_parent);
    struct SSeen
    {
        int nId;
        HCURSOR hCursor = nullptr;
    };
    std::vector<SSeen> aSeen = {{1132}, {1056}, {1132}};
    SIZE help{};
    std::vector<std::function<void()>> aSteps;
    for (std::size_t i = 0; i < aSeen.size(); ++i)
        aSteps.push_back(
            [&, i]
            {
                if (i > 0)
                    aSeen[i - 1].hCursor = GetCursor();
                RECT rc{};
                ::GetWindowRect(dlg.GetDlgItem(aSeen[i].nId), &rc);
                ::PostMessage(dlg.m_hWnd, WM_MOUSEMOVE, 0,
                              MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2));
            });
    aSteps.push_back(
        [&]
        {
            aSeen.back().hCursor = GetCursor();
            RECT rc{};
            ::GetWindowRect(dlg.GetDlgItem(1132), &rc);
            help = SIZE{rc.right - rc.left, rc.bottom - rc.top};
            Key(dlg, VK_ESCAPE);
        });
    Run(dlg, aSteps);
    const HCURSOR hGameHand = LoadCursor(m_hLibrary, MAKEINTRESOURCE(369));
    ASSERT_NE(nullptr, hGameHand);
    EXPECT_EQ(hGameHand, aSeen[0].hCursor) << "over Help";
    EXPECT_EQ(LoadCursor(nullptr, IDC_HAND), aSeen[1].hCursor) << "over Play";
    EXPECT_EQ(hGameHand, aSeen[2].hCursor) << "over Help again";
    EXPECT_EQ(100, help.cx) << "Help is drawn from its picture, and sized to it";
    EXPECT_EQ(32, help.cy);
}

TEST_F(StartDlgTest, HelpOpensTheFirstPageFoundAndNamesOneNotFoundOrNotOpened)
{
    const CTempFolder& folder = m_folder.Folder();
    const std::string strRecord = folder.File("opened.txt");
    folder.Write("recorder.sh", "#!/bin/sh\nprintf '%s' \"$1\" > " + strRecord + ".part && mv " + strRecord + ".part " +
                                    strRecord + "\n");
    std::filesystem::permissions(folder.File("recorder.sh"), std::filesystem::perms::owner_all);
    const CString strDefault = GetProgramFolder() + "Help\\Help.htm";
    const CString strOwn = GetProgramFolder() + "Mine\\Page.htm";
    struct SCase
    {
        const char* szName;
        CString strKept;                 // the ini file's "Help"
        std::vector<std::string> aFiles; // pages that exist
        const char* szOpener;            // "" for the recorder
        std::string strOpened;           // the file the opener is given, "" for none
        CString strKeptAfter;
        std::string strError; // the error box's text, after the path
        INT_PTR nResult;
    };
    const SCase aCases[] = {
        {"the kept page", strOwn, {"Mine/Page.htm", "Help/Help.htm"}, "", "Mine/Page.htm", strOwn, "", IDOK},
        {"the kept page gone: the default", strOwn, {"Help/Help.htm"}, "", "Help/Help.htm", strDefault, "", IDOK},
        {"only the artwork folder's",
         strOwn,
         {"Artwork/Help/Help.htm"},
         "",
         "Artwork/Help/Help.htm",
         GetDefaultArtworkFolder() + "Help\\Help.htm",
         "",
         IDOK},
        {"none: named, the dialog stays", strOwn, {}, "", "", strOwn, "mine\\page.htm could not be opened.", IDCANCEL},
        {"no opener: named",
         strDefault,
         {"Help/Help.htm"},
         "/nonexistent/opener",
         "",
         strDefault,
         "help\\help.htm could not be opened.",
         IDOK},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        for (const char* szFolder : {"Mine", "Help", "Artwork"})
            std::filesystem::remove_all(folder.Path() / szFolder);
        std::filesystem::remove(strRecord);
        for (const std::string& strFile : c.aFiles)
        {
            std::filesystem::create_directories((folder.Path() / strFile).parent_path());
            folder.Write(strFile, "<html></html>");
        }
        WriteArtworkIniString("Help", c.strKept);
        const CEnvScope opener("VORN_OPENER", *c.szOpener != '\0' ? c.szOpener : folder.File("recorder.sh").c_str());
        std::vector<std::string> aErrors;
        SetErrorBoxHandler([&](const char* szText) { aErrors.emplace_back(szText); });
        CHelpDlg dlg(&m_parent);
        const INT_PTR nResult = Run(dlg, {[&] { Click(dlg, IDC_OPEN_HELP); }, [&] { Key(dlg, VK_ESCAPE); }});
        SetErrorBoxHandler({});
        EXPECT_EQ(c.nResult, nResult);
        EXPECT_STREQ(c.strKeptAfter.GetString(), GetArtworkIniString("Help").GetString());
        ASSERT_EQ(c.strError.empty() ? 0U : 1U, aErrors.size());
        if (!c.strError.empty())
        {
            EXPECT_EQ(0U, aErrors[0].find("The help page ")) << aErrors[0];
            EXPECT_NE(std::string::npos, aErrors[0].find(c.strError)) << aErrors[0];
        }
        // The opener is not waited for: its record comes when it has run.
        if (!c.strOpened.empty())
            WaitFor([&] { return std::filesystem::exists(strRecord); });
        EXPECT_EQ(c.strOpened.empty() ? "" : (folder.Path() / c.strOpened).string(),
                  std::filesystem::exists(strRecord) ? folder.Read("opened.txt") : "");
    }
}

TEST_F(StartDlgTest, TheSplashEndsWhenTheScreenOpensAndAStopBeforeItRunsEndsItToo)
{
    // The screen stops the splash as it opens: the thread has ended before the player does anything.
    StartSplashScreen();
    ASSERT_NE(nullptr, g_pSplashThread);
    CStartDlg dlg(&m_parent);
    DWORD dwWait = WAIT_TIMEOUT;
    const INT_PTR nResult = Run(dlg, {[] {}, // the screen's own stop, posted as it opened, comes first
                                      [&]
                                      {
                                          dwWait = WaitForSingleObject(g_pSplashThread->m_hThread, TEST_WAIT_BOUND_MS);
                                          Key(dlg, VK_ESCAPE);
                                      }});
    EXPECT_EQ(IDCANCEL, nResult);
    EXPECT_EQ(WAIT_OBJECT_0, dwWait);
    EXPECT_EQ(SPLASH_EXIT_CODE, JoinSplashScreen());

    // A thread stopped as soon as it is started (its id is given before it runs) ends before it
    // shows anything; a second stop and a join with no thread do nothing.
    StartSplashScreen();
    StopSplashScreen();
    StopSplashScreen();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_pSplashThread->m_hThread, TEST_WAIT_BOUND_MS));
    EXPECT_EQ(SPLASH_EXIT_CODE, JoinSplashScreen());
    EXPECT_EQ(nullptr, g_pSplashThread);
    StopSplashScreen();
    EXPECT_EQ(0u, JoinSplashScreen());
}

TEST_F(StartDlgTest, AMessageDialogOpenWhenTheSplashComesUpIsBroughtBackInFrontOfIt)
{
    // An error shown while start-up goes on: the splash's thread brings its window up after the
    // box opened, and takes the foreground as it does.
    CErrorDlg box("The splash must not hide this.", &m_parent);
    bool bSplashUp = false;
    bool bBoxInFront = false;
    Run(box, {[&]
              {
                  StartSplashScreen();
                  bSplashUp = WaitFor([] { return IsSplashShown(); });
                  bBoxInFront = WaitFor([&] { return GetForegroundWindow() == box.m_hWnd; });
                  StopSplashScreen();
                  JoinSplashScreen();
                  Key(box, VK_ESCAPE);
              }});
    EXPECT_TRUE(bSplashUp);
    EXPECT_TRUE(bBoxInFront) << "the box keeps the keys and stays in sight";
}
} // namespace

TEST(StartDlgPluginGamesTest, MoreGamesGoesThroughThePlugInsGamesAndRoundAgain)
{
    struct SCase
    {
        const char* szName;
        int nChosen;
        std::vector<int> anTypes;
        int nNext;
    };
    const SCase aCases[] = {
        {"a built-in game: the first plug-in's", 8, {42, 45}, 42},
        {"the first: the second", 42, {42, 45}, 45},
        {"the last: the first again", 45, {42, 45}, 42},
        {"one plug-in: itself", 42, {42}, 42},
        {"no plug-in: none", 8, {}, 0},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        EXPECT_EQ(c.nNext, NextPluginGameType(c.nChosen, c.anTypes));
    }
}
