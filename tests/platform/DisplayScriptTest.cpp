#include "tests/fixtures/SolidFrame.h"

#include "platform/EnvScope.h"
#include "platform/TempFolder.h"
#include "platform/dx/DirectDraw.h"
#include "platform/win32/Cursor.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Desktop.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/MessageBox.h"
#include "platform/win32/SystemParameters.h"
#include "platform/win32/WindowOverlay.h"
#include "platform/window/InputScript.h"
#include "platform/window/Window.h"

#include <gtest/gtest.h>

namespace
{
TEST(InputScriptTest, ParsesEntriesAnswersAndRejectsBadLines)
{
    std::string strError;
    const auto script =
        ParseInputScript("; a comment\n\nat 100 key press Left Shift\nframe 3 text a b\n"
                         "answer no\nanswer 6\nat 5 mouse down right 1 2\nframe 4 close\ndialog 2 key press Return\n"
                         "wait Game: at  rest\nafter 20 text x\ndialog +1 key press Tab\nseen shot 2 judged\n"
                         "frame +2 close\n",
                         strError);
    ASSERT_TRUE(script.has_value()) << strError;
    ASSERT_EQ(10u, script->aEntries.size());
    EXPECT_EQ(SScriptEntry::AtMs, script->aEntries[0].eWhen);
    EXPECT_EQ(100, script->aEntries[0].nAt);
    EXPECT_EQ((std::vector<std::string>{"key", "press", "Left", "Shift"}), script->aEntries[0].aWords);
    EXPECT_EQ(SScriptEntry::AtFrame, script->aEntries[1].eWhen);
    EXPECT_EQ((std::vector<std::string>{"text", "a b"}), script->aEntries[1].aWords);
    EXPECT_EQ((std::vector<int>{IDNO, IDYES}), script->aAnswers);
    EXPECT_EQ(SScriptEntry::AtDialog, script->aEntries[4].eWhen);
    EXPECT_EQ(2, script->aEntries[4].nAt);
    EXPECT_EQ(SScriptEntry::AfterTrace, script->aEntries[5].eWhen);
    EXPECT_EQ("Game: at  rest", script->aEntries[5].strTrace);
    EXPECT_TRUE(script->aEntries[5].aWords.empty());
    EXPECT_EQ(SScriptEntry::AfterMs, script->aEntries[6].eWhen);
    EXPECT_EQ(20, script->aEntries[6].nAt);
    EXPECT_EQ(SScriptEntry::AfterDialog, script->aEntries[7].eWhen);
    EXPECT_EQ(1, script->aEntries[7].nAt);
    EXPECT_EQ(SScriptEntry::SeenTrace, script->aEntries[8].eWhen);
    EXPECT_EQ("shot 2 judged", script->aEntries[8].strTrace);
    EXPECT_EQ(SScriptEntry::AfterFrame, script->aEntries[9].eWhen);
    EXPECT_EQ(2, script->aEntries[9].nAt);
    EXPECT_FALSE(script->bBoxesShown) << "headless boxes take their default";
    const auto shown = ParseInputScript("answer ok\nboxes shown\nframe 1 close\n", strError);
    ASSERT_TRUE(shown.has_value()) << strError;
    EXPECT_TRUE(shown->bBoxesShown);
    EXPECT_EQ(1u, shown->aEntries.size());

    // A mouse action's point named by the log keeps the rest of the line, blanks included.
    const auto placed =
        ParseInputScript("after 0 mouse down left @Call: ball  at\nframe 1 mouse move @spot\n", strError);
    ASSERT_TRUE(placed.has_value()) << strError;
    EXPECT_EQ("Call: ball  at", placed->aEntries[0].strPointTrace);
    EXPECT_EQ((std::vector<std::string>{"mouse", "down", "left", "0", "0"}), placed->aEntries[0].aWords);
    EXPECT_EQ("spot", placed->aEntries[1].strPointTrace);
    EXPECT_EQ((std::vector<std::string>{"mouse", "move", "0", "0"}), placed->aEntries[1].aWords);
    const auto inDialog = ParseInputScript("after 0 mouse up left 4 5 in dialog\n", strError);
    ASSERT_TRUE(inDialog.has_value()) << strError;
    EXPECT_TRUE(inDialog->aEntries[0].bInDialog);
    EXPECT_EQ((std::vector<std::string>{"mouse", "up", "left", "4", "5"}), inDialog->aEntries[0].aWords);
    // A point of the menu bar, given or named by the log.
    const auto inMenu = ParseInputScript(
        "after 0 mouse up left 4 5 in menu\nafter 0 mouse move in menu @Menu bar item 1 at\n", strError);
    ASSERT_TRUE(inMenu.has_value()) << strError;
    EXPECT_TRUE(inMenu->aEntries[0].bInMenu);
    EXPECT_FALSE(inMenu->aEntries[0].bInDialog);
    EXPECT_EQ((std::vector<std::string>{"mouse", "up", "left", "4", "5"}), inMenu->aEntries[0].aWords);
    EXPECT_TRUE(inMenu->aEntries[1].bInMenu);
    EXPECT_EQ("Menu bar item 1 at", inMenu->aEntries[1].strPointTrace);
    EXPECT_EQ((std::vector<std::string>{"mouse", "move", "0", "0"}), inMenu->aEntries[1].aWords);

    const char* aBad[] = {"at x close",
                          "frame 1",
                          "dialog x close",
                          "at 1 dance",
                          "answer maybe",
                          "at 1 mouse move 1",
                          "at 1 close now",
                          "at -5 close",
                          "at 1 key sideways A",
                          "at 1 mouse down left 1 y",
                          "wheel 3",
                          "wait",
                          "after x close",
                          "after 5",
                          "seen",
                          "dialog + close",
                          "dialog +-1 close",
                          "frame + close",
                          "frame +x close",
                          "boxes",
                          "boxes hidden",
                          "at 1 mouse move @",
                          "at 1 mouse down left @ ",
                          "at 1 mouse move in dialog"};
    for (const char* szBad : aBad)
    {
        SCOPED_TRACE(szBad);
        EXPECT_FALSE(ParseInputScript(std::string("at 1 focus\n") + szBad + "\n", strError).has_value());
        EXPECT_EQ(0u, strError.find("line 2: "));
    }
}

/// The display runs the script written for one test, on SDL's dummy driver.
class DisplayScriptTest : public ::testing::Test
{
protected:
    void StartWithScript(const std::string& strScript)
    {
        StopDisplay();
        m_folder.Write("script.txt", strScript);
        m_pScript = std::make_unique<CEnvScope>("VORN_INPUT_SCRIPT", m_folder.File("script.txt").c_str());
        ASSERT_TRUE(StartDisplay());
        EXPECT_TRUE(IsDisplayHeadless());
    }
    void TearDown() override
    {
        StopDisplay();
        m_pScript.reset();
    }
    /// A game window with a client area of the size.
    static HWND CreateWindowOfSize(int nWidth, int nHeight)
    {
        SWindowDesc desc;
        desc.nClientWidth = nWidth;
        desc.nClientHeight = nHeight;
        return CreateGameWindow(desc);
    }

    CTempFolder m_folder;
    std::unique_ptr<CEnvScope> m_pScript;
};

TEST_F(DisplayScriptTest, ScriptedUserBecomesWindowMessagesInOrder)
{
    // The test shows frame 2 once it has seen Shift held, frame 3 once it has seen the window minimised
    // (one frame more than when the window was minimised).
    StartWithScript("frame 1 key down Left Shift\n"
                    "frame 2 key up Left Shift\n"
                    "frame 2 key press Tab\n"
                    "frame 2 text hé\n"
                    "frame 2 mouse move 10 20\n"
                    "frame 2 mouse down left 10 20\n"
                    "frame 2 minimise\n"
                    "frame +1 restore\n"
                    "frame 3 unfocus\n"
                    "frame 3 focus\n"
                    "frame 3 png " +
                    m_folder.File("shot.png") +
                    "\n"
                    "frame 3 close\n");
    const HWND hWnd = CreateWindowOfSize(64, 48);
    ASSERT_NE(nullptr, hWnd);
    ShowSolidFrame(hWnd, 0x00336699);
    using SSeen = std::pair<UINT, WPARAM>;
    std::vector<SSeen> aSeen;
    bool bShiftHeld = false;
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0) && msg.message != WM_CLOSE)
    {
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_SHIFT)
        {
            bShiftHeld = (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
            ShowSolidFrame(hWnd, 0x00336699);
        }
        if (msg.message == WM_SIZE && msg.wParam == SIZE_MINIMIZED)
        {
            EXPECT_TRUE(IsIconic(hWnd));
            ShowSolidFrame(hWnd, 0x00336699);
        }
        aSeen.push_back(SSeen{msg.message, msg.message == WM_SETFOCUS || msg.message == WM_KILLFOCUS ? 0 : msg.wParam});
    }
    EXPECT_EQ(WM_CLOSE, msg.message);
    EXPECT_TRUE(bShiftHeld);
    EXPECT_EQ(0, GetAsyncKeyState(VK_SHIFT));
    const std::vector<SSeen> aExpected = {{WM_ACTIVATEAPP, TRUE},
                                          {WM_ACTIVATE, WA_ACTIVE},
                                          {WM_SETFOCUS, 0}, // shown
                                          {WM_KEYDOWN, VK_SHIFT},
                                          {WM_KEYUP, VK_SHIFT},
                                          {WM_KEYDOWN, VK_TAB},
                                          {WM_KEYUP, VK_TAB},
                                          {WM_CHAR, 'h'},
                                          {WM_CHAR, 0xE9},
                                          {WM_MOUSEMOVE, 0},
                                          {WM_LBUTTONDOWN, MK_LBUTTON},
                                          {WM_SIZE, SIZE_MINIMIZED},
                                          {WM_SIZE, SIZE_RESTORED},
                                          {WM_ACTIVATE, WA_INACTIVE},
                                          {WM_ACTIVATEAPP, FALSE},
                                          {WM_KILLFOCUS, 0},
                                          {WM_ACTIVATEAPP, TRUE},
                                          {WM_ACTIVATE, WA_ACTIVE},
                                          {WM_SETFOCUS, 0}};
    EXPECT_EQ(aExpected, aSeen);
    EXPECT_EQ(3, GetPresentCount(hWnd));
    std::vector<DWORD> aPixels;
    int w = 0, h = 0;
    ASSERT_TRUE(ReadWindowPixels(hWnd, aPixels, &w, &h));
    EXPECT_EQ(64, w);
    EXPECT_EQ(0x00336699u, aPixels[static_cast<size_t>(10 * w + 10)]);
    EXPECT_EQ("\x89PNG", m_folder.Read("shot.png").substr(0, 4));
    DestroyGameWindow(hWnd);
}

TEST_F(DisplayScriptTest, WaitHoldsTheEntriesAfterItUntilTheProgramLogsItsText)
{
    // A trace written before the wait is the next entry does not count: the first "ready" comes
    // before A has been pressed, the second after.
    OutputDebugString("ready\n");
    StartWithScript("frame 1 key press A\nwait ready\nafter 0 key press B\nafter 50 key press C\n");
    const HWND hWnd = CreateWindowOfSize(32, 32);
    ASSERT_NE(nullptr, hWnd);
    ShowSolidFrame(hWnd, 0);
    std::vector<WPARAM> aKeys;
    MSG msg;
    while (aKeys.size() < 3 && GetMessage(&msg, nullptr, 0, 0))
    {
        if (msg.message != WM_KEYDOWN)
            continue;
        aKeys.push_back(msg.wParam);
        if (msg.wParam != 'A')
            continue;
        // Neither another trace nor frames let B through.
        OutputDebugString("not the one\n");
        ShowSolidFrame(hWnd, 0);
        ShowSolidFrame(hWnd, 0);
        EXPECT_FALSE(PeekMessage(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE));
        OutputDebugString("all ready now\n");
    }
    EXPECT_EQ((std::vector<WPARAM>{'A', 'B', 'C'}), aKeys);
    DestroyGameWindow(hWnd);
}

TEST_F(DisplayScriptTest, SeenEntriesFindTheirLinesInOrderWhenEverTheyWereWritten)
{
    StartWithScript("seen one\nseen two\nafter 0 key press A\nseen one\nafter 0 key press B\n");
    const HWND hWnd = CreateWindowOfSize(32, 32);
    ASSERT_NE(nullptr, hWnd);
    ShowSolidFrame(hWnd, 0);
    // The first "two" comes before any "one": only the second meets the second entry.
    for (const char* szTrace : {"two\n", "one\n", "two\n"})
        OutputDebugString(szTrace);
    std::vector<WPARAM> aKeys;
    MSG msg;
    MSG peek;
    while (aKeys.size() < 2 && GetMessage(&msg, nullptr, 0, 0))
    {
        if (msg.message != WM_KEYDOWN)
            continue;
        aKeys.push_back(msg.wParam);
        if (msg.wParam != 'A')
            continue;
        // The "one" before A's line was taken: B waits for a new one.
        EXPECT_FALSE(PeekMessage(&peek, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE));
        OutputDebugString("one more\n");
    }
    EXPECT_EQ((std::vector<WPARAM>{'A', 'B'}), aKeys);
    DestroyGameWindow(hWnd);
}

TEST_F(DisplayScriptTest, MouseActionsGoWhereTheLatestLogLineNamesTheirPoint)
{
    // The second "spot" line is the latest when the click runs; a line that names no point leaves
    // the click out, and the move after it still runs.
    StartWithScript("seen spot at 7 9\nseen spot\nafter 0 mouse down left @spot\nafter 0 mouse down right @nothing\n"
                    "after 0 mouse move @spot\n");
    const HWND hWnd = CreateWindowOfSize(32, 32);
    ASSERT_NE(nullptr, hWnd);
    ShowSolidFrame(hWnd, 0);
    for (const char* szTrace : {"spot at 7 9\n", "nothing here\n", "spot (2) at 12 3\n"})
        OutputDebugString(szTrace);
    std::vector<std::pair<UINT, LPARAM>> aMouse;
    MSG msg;
    while (aMouse.size() < 2 && GetMessage(&msg, nullptr, 0, 0))
        if (msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN || msg.message == WM_MOUSEMOVE)
            aMouse.emplace_back(msg.message, msg.lParam);
    const std::vector<std::pair<UINT, LPARAM>> aExpected = {{WM_LBUTTONDOWN, MAKELPARAM(12, 3)},
                                                            {WM_MOUSEMOVE, MAKELPARAM(12, 3)}};
    EXPECT_EQ(aExpected, aMouse);
    DestroyGameWindow(hWnd);
}

TEST_F(DisplayScriptTest, MouseActionsInADialogCountFromItsTopLeft)
{
    // The dialog lies at (5, 6) over its owner: a click at (2, 3) in it is one at (7, 9) on the owner.
    StartWithScript("seen dialog shown\nafter 0 mouse down left 2 3 in dialog\nafter 0 mouse down right 7 9\n");
    const HWND hWnd = CreateWindowOfSize(64, 48);
    const HWND hDialog = CreateWindowOfSize(16, 16);
    ASSERT_NE(nullptr, hWnd);
    ASSERT_NE(nullptr, hDialog);
    ShowSolidFrame(hWnd, 0);
    ShowWindowOverlay(hWnd, SWindowOverlay{hDialog, std::vector<DWORD>(16 * 16), 16, 16, POINT{5, 6}});
    OutputDebugString("dialog shown\n");
    std::vector<std::pair<UINT, LPARAM>> aClicks;
    MSG msg;
    while (aClicks.size() < 2 && GetMessage(&msg, nullptr, 0, 0))
        if (msg.hwnd == hDialog && (msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN))
            aClicks.emplace_back(msg.message, msg.lParam);
    const std::vector<std::pair<UINT, LPARAM>> aExpected = {{WM_LBUTTONDOWN, MAKELPARAM(2, 3)},
                                                            {WM_RBUTTONDOWN, MAKELPARAM(2, 3)}};
    EXPECT_EQ(aExpected, aClicks);
    RemoveWindowOverlay(hWnd, hDialog);
    DestroyGameWindow(hDialog);
    DestroyGameWindow(hWnd);
}

TEST_F(DisplayScriptTest, TheCursorsPlacesAndConfinementsReachTheDisplayInOrder)
{
    StartWithScript("");
    const HWND hWnd = CreateWindowOfSize(64, 48);
    ASSERT_NE(nullptr, hWnd);
    ShowSolidFrame(hWnd, 0);
    RECT rc{};
    ASSERT_TRUE(GetWindowRect(hWnd, &rc));
    const RECT rcView{rc.left + 4, rc.top + 4, rc.left + 60, rc.top + 40};
    const POINT ptMiddle{rc.left + 32, rc.top + 22};
    EXPECT_TRUE(ClipCursor(&rcView));
    EXPECT_TRUE(SetCursorPos(ptMiddle.x, ptMiddle.y));
    POINT pt{};
    ASSERT_TRUE(GetCursorPos(&pt));
    EXPECT_EQ(ptMiddle.x, pt.x) << "the place is read back at once";
    EXPECT_EQ(ptMiddle.y, pt.y);
    EXPECT_TRUE(ClipCursor(nullptr));
    const std::vector<SCursorRequest> aExpected = {
        {SCursorRequest::Confine, {}, rcView}, {SCursorRequest::Place, ptMiddle, {}}, {SCursorRequest::Free, {}, {}}};
    EXPECT_EQ(aExpected, GetCursorRequests());
    // Only the last 64 are kept.
    for (int i = 0; i < 70; ++i)
        SetCursorPos(rc.left + i % 64, rc.top);
    const std::vector<SCursorRequest> aRequests = GetCursorRequests();
    ASSERT_EQ(64u, aRequests.size());
    EXPECT_EQ((SCursorRequest{SCursorRequest::Place, POINT{rc.left + 6, rc.top}, {}}), aRequests.front());
    EXPECT_EQ((SCursorRequest{SCursorRequest::Place, POINT{rc.left + 5, rc.top}, {}}), aRequests.back());
    DestroyGameWindow(hWnd);
}

TEST_F(DisplayScriptTest, EveryChangeOfTheCursorIsShownInTheOrderMade)
{
    StartWithScript("");
    const HCURSOR hArrow = LoadCursor(nullptr, IDC_ARROW);
    const HCURSOR hHand = LoadCursor(nullptr, IDC_HAND);
    SetCursor(hArrow);
    // The count at exactly 0, however earlier tests left it.
    while (ShowCursor(FALSE) >= 0)
    {
    }
    while (ShowCursor(TRUE) < 0)
    {
    }
    const std::size_t nBefore = GetShownCursors().size();
    // Quick changes, none of them waited for; setting the cursor shown again, or counting further
    // up or down on the same side of 0, changes nothing shown.
    SetCursor(hHand);
    SetCursor(hHand);
    SetCursor(hArrow);
    ShowCursor(FALSE);
    ShowCursor(FALSE);
    SetCursor(hHand);
    ShowCursor(TRUE);
    ShowCursor(TRUE);
    ShowCursor(TRUE);
    const std::vector<SShownCursor> aShown = GetShownCursors();
    ASSERT_GE(aShown.size(), nBefore);
    const std::vector<SShownCursor> aChanges(aShown.begin() + static_cast<std::ptrdiff_t>(nBefore), aShown.end());
    const std::vector<SShownCursor> aExpected = {
        {hHand, true}, {hArrow, true}, {hArrow, false}, {hHand, false}, {hHand, true}};
    EXPECT_EQ(aExpected, aChanges);
    while (ShowCursor(FALSE) > 0)
    {
    }
    SetCursor(hArrow);
}

TEST_F(DisplayScriptTest, MessageBoxesTakeTheScriptsAnswersThenTheDefaultButton)
{
    StartWithScript("answer no\nanswer retry\n");
    EXPECT_EQ(IDNO, MessageBox(nullptr, "Really?", "Vorn", MB_YESNO));
    EXPECT_EQ(IDRETRY, MessageBox(nullptr, "Again?", "Vorn", MB_RETRYCANCEL));
    EXPECT_EQ(IDNO, MessageBox(nullptr, "Sure?", "Vorn", MB_YESNOCANCEL | MB_DEFBUTTON2));
    EXPECT_EQ(IDOK, MessageBox(nullptr, "FATAL ERROR!", "Vorn", MB_OK));
}

TEST_F(DisplayScriptTest, LatestFrameWinsAndTheOwnerNeverWaits)
{
    StartWithScript("");
    const HWND hWnd = CreateWindowOfSize(32, 32);
    ASSERT_NE(nullptr, hWnd);
    for (DWORD c = 1; c <= 20; ++c)
        ShowSolidFrame(hWnd, c * 0x010101);
    EXPECT_EQ(20, GetPresentCount(hWnd));
    std::vector<DWORD> aPixels;
    int w = 0, h = 0;
    ASSERT_TRUE(ReadWindowPixels(hWnd, aPixels, &w, &h));
    EXPECT_EQ(20u * 0x010101u, aPixels[0]);
    DestroyGameWindow(hWnd);
    EXPECT_FALSE(ReadWindowPixels(hWnd, aPixels, &w, &h));
}
} // namespace
