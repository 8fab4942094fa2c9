// The keyboard and mouse devices fed by the display's input script, headless: each step of the
// script is one frame, after which the game's per-frame reads are checked.
#include "media/DirectInputDevices.h"
#include "platform/EnvScope.h"
#include "platform/TempFolder.h"
#include "platform/dx/DirectDraw.h"
#include "platform/win32/Clock.h"
#include "platform/win32/Desktop.h"
#include "platform/win32/Messages.h"
#include "platform/window/Window.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{

bool s_bInputOff = false;
bool InputOff() { return s_bInputOff; }

/// One frame: what the script does in it (after the clock moved on), then what the game reads.
struct SStep
{
    const char* szName;
    DWORD dwAdvanceMs;
    std::vector<std::string> aActions;
    std::vector<int> aDown; // DirectInput scan codes held after the frame
    int nPressed;           // GetDIPressedKey
    DWORD dwKeyRecords;     // keyboard records read
    LONG lX;                // mouse movement read
    LONG lY;
    bool bLeftReleased;
    bool bLeftDouble;
    bool bRightDouble;
};

/// The display with a script made of the steps, a game window, and both devices on it.
class CDirectInputTest : public testing::Test
{
protected:
    void Start(const std::vector<SStep>& aSteps, DWORD dwKeyboardRecords = 128)
    {
        std::string strScript;
        for (std::size_t i = 0; i < aSteps.size(); ++i)
        {
            const std::string strFrame = "frame " + std::to_string(i + 1) + " ";
            for (const std::string& strAction : aSteps[i].aActions)
                strScript += strFrame + strAction + "\n";
            // Last in each frame: a character the test waits for, so that it reads after the frame's input.
            strScript += strFrame + "text " + Sentinel(i) + "\n";
        }
        StopDisplay();
        m_folder.Write("script.txt", strScript);
        m_pScript = std::make_unique<CEnvScope>("VORN_INPUT_SCRIPT", m_folder.File("script.txt").c_str());
        ASSERT_TRUE(StartDisplay());
        SWindowDesc desc;
        desc.nClientWidth = 64;
        desc.nClientHeight = 48;
        m_hWnd = CreateGameWindow(desc);
        ASSERT_NE(m_hWnd, nullptr);
        SetDirectInputWindow(m_hWnd);
        SetInputOffTest(&InputOff);
        ASSERT_TRUE(g_DIKeyboard.Create());
        ASSERT_TRUE(g_DIKeyboard.SetBufferSize(dwKeyboardRecords));
        ASSERT_TRUE(g_DIMouse.Create());
        ASSERT_TRUE(g_DIMouse.SetBufferSize(256));
        const RECT rcDesktop = GetDesktopWindowRect();
        m_pPrimary =
            CDirectDrawSurface::Create(static_cast<DWORD>(rcDesktop.right), static_cast<DWORD>(rcDesktop.bottom),
                                       MakeRgbPixelFormat(32), DDSCAPS_PRIMARYSURFACE);
    }
    void TearDown() override
    {
        g_DIMouse.Release();
        g_DIKeyboard.Release();
        SetInputOffTest(nullptr);
        SetDirectInputWindow(nullptr);
        if (m_hWnd != nullptr)
            DestroyGameWindow(m_hWnd);
        StopDisplay();
        m_pScript.reset();
        s_bInputOff = false;
    }
    static std::string Sentinel(std::size_t i) { return std::string(1, static_cast<char>('a' + i % 26)); }

    /// Shows frame i + 1, waits until its input has arrived and does the game's reads.
    void RunFrame(std::size_t i)
    {
        GetWindowOutput(m_hWnd)->Show(*m_pPrimary);
        MSG msg;
        while (GetMessage(&msg, nullptr, 0, 0))
        {
            if (msg.message == WM_CHAR && msg.wParam == static_cast<WPARAM>(Sentinel(i)[0]))
                break;
        }
        g_DIMouse.ReadDIMouseState();
        g_DIMouse.UpdateDIMouse();
        g_DIKeyboard.ReadState();
        g_DIKeyboard.ReadDIKeyboardBuffer();
    }

    void RunSteps(const std::vector<SStep>& aSteps)
    {
        for (std::size_t i = 0; i < aSteps.size(); ++i)
        {
            const SStep& step = aSteps[i];
            SCOPED_TRACE(step.szName);
            m_clock.Advance(step.dwAdvanceMs);
            RunFrame(i);
            for (const int nKey : {DIK_LEFT, DIK_RIGHT, DIK_A, DIK_SPACE})
            {
                const bool bDown = std::find(step.aDown.begin(), step.aDown.end(), nKey) != step.aDown.end();
                EXPECT_EQ(g_DIKeyboard.IsDIKeyDown(nKey) != 0, bDown) << "key " << nKey;
            }
            EXPECT_EQ(g_DIKeyboard.GetDIPressedKey(), step.nPressed);
            EXPECT_EQ(g_DIKeyboard.GetEventsRead(), step.dwKeyRecords);
            EXPECT_EQ(g_DIMouse.GetX(), step.lX);
            EXPECT_EQ(g_DIMouse.GetY(), step.lY);
            EXPECT_EQ(g_DIMouse.WasLeftReleased() != 0, step.bLeftReleased);
            EXPECT_EQ(g_DIMouse.IsLeftDoubleClick() != 0, step.bLeftDouble);
            EXPECT_EQ(g_DIMouse.IsRightDoubleClick() != 0, step.bRightDouble);
        }
    }

    CTestClockScope m_clock{10000};
    CTempFolder m_folder;
    std::unique_ptr<CEnvScope> m_pScript;
    HWND m_hWnd = nullptr;
    SurfacePtr m_pPrimary;
};

} // namespace

TEST_F(CDirectInputTest, KeysAreHeldPressedAndForgottenWithTheFocus)
{
    const std::vector<SStep> aSteps = {
        {"focus", 0, {"focus"}, {}, 0, 0, 0, 0, false, false, false},
        {"two presses in a frame, the first repeated",
         16,
         {"key down Left", "key down Left", "key down Right"},
         {DIK_LEFT, DIK_RIGHT},
         DIK_LEFT,
         2,
         0,
         0,
         false,
         false,
         false},
        {"held arrows, nothing new", 16, {}, {DIK_LEFT, DIK_RIGHT}, 0, 0, 0, 0, false, false, false},
        {"one released", 16, {"key up Left"}, {DIK_RIGHT}, 0, 1, 0, 0, false, false, false},
        {"focus lost mid-hold", 16, {"unfocus"}, {}, 0, 0, 0, 0, false, false, false},
        {"focus back: the held key is not stuck", 16, {"focus"}, {}, 0, 0, 0, 0, false, false, false},
        {"press and release in one frame",
         16,
         {"key press A", "key down Space"},
         {DIK_SPACE},
         DIK_A,
         3,
         0,
         0,
         false,
         false,
         false},
    };
    Start(aSteps);
    RunSteps(aSteps);
    // With input switched off the same state answers nothing.
    s_bInputOff = true;
    EXPECT_EQ(g_DIKeyboard.IsDIKeyDown(DIK_SPACE), 0);
    EXPECT_EQ(g_DIKeyboard.GetDIPressedKey(), 0);
    s_bInputOff = false;
    EXPECT_NE(g_DIKeyboard.IsDIKeyDown(DIK_SPACE), 0);
    EXPECT_EQ(g_DIKeyboard.GetDIPressedKey(), DIK_A);
}

TEST_F(CDirectInputTest, MouseCountsClicksAndDoubleClicks)
{
    const char* szClick[] = {"mouse down left 20 20", "mouse up left 20 20"};
    const std::vector<std::string> click(std::begin(szClick), std::end(szClick));
    const std::vector<SStep> aSteps = {
        {"focus, then a move from the corner", 0, {"focus", "mouse move 10 10"}, {}, 0, 0, 10, 10, false, false, false},
        {"movement is relative", 16, {"mouse move 15 7", "mouse move 17 8"}, {}, 0, 0, 7, -2, false, false, false},
        {"no movement", 16, {}, {}, 0, 0, 0, 0, false, false, false},
        {"first click after start: single", 16, click, {}, 0, 0, 0, 0, true, false, false},
        {"499 ms later: double", 499, click, {}, 0, 0, 0, 0, true, true, false},
        {"500 ms later: a new pair", 500, click, {}, 0, 0, 0, 0, true, false, false},
        {"exactly 500 ms later: double", 500, click, {}, 0, 0, 0, 0, true, true, false},
        {"501 ms later: single", 501, click, {}, 0, 0, 0, 0, true, false, false},
        {"three clicks: the second makes a double", 100, click, {}, 0, 0, 0, 0, true, true, false},
        {"the third starts a new pair", 100, click, {}, 0, 0, 0, 0, true, false, false},
        {"two right clicks in one frame",
         600,
         {"mouse down right 20 20", "mouse up right 20 20", "mouse down right 20 20", "mouse up right 20 20"},
         {},
         0,
         0,
         0,
         0,
         false,
         false,
         true},
        {"the wheel", 16, {"wheel 2"}, {}, 0, 0, 0, 0, false, false, false},
    };
    Start(aSteps);
    RunSteps(aSteps);
}

TEST_F(CDirectInputTest, AFullBufferKeepsTheNewestRecords)
{
    const std::vector<SStep> aSteps = {
        {"focus", 0, {"focus"}, {}, 0, 0, 0, 0, false, false, false},
        {"six records into four places",
         16,
         {"key press A", "key press Space", "key down Left", "key up Left"},
         {},
         DIK_SPACE,
         4,
         0,
         0,
         false,
         false,
         false},
    };
    Start(aSteps, 4);
    RunSteps(aSteps);
    // SetBufferSize with the same size keeps the buffer, another size replaces it.
    const DIDEVICEOBJECTDATA* pBefore = g_DIKeyboard.GetEvents();
    EXPECT_TRUE(g_DIKeyboard.SetBufferSize(4));
    EXPECT_EQ(g_DIKeyboard.GetEvents(), pBefore);
    EXPECT_TRUE(g_DIKeyboard.SetBufferSize(8));
    EXPECT_TRUE(g_DIMouse.SetCooperativeLevel(TRUE) == DI_OK);
}

TEST_F(CDirectInputTest, AMouseGivenUpAndTakenAgainKnowsTheButtonsHeldButNotTheMovesBetween)
{
    // What the game did between two frames: nothing, or given the mouse up (the cursor freed).
    struct SFrame
    {
        const char* szName;
        bool bGiveUpBefore; // the mouse unacquired before the frame's input arrives
        std::vector<std::string> aActions;
        LONG lX; // movement read in the frame
        bool bRightDown;
    };
    const std::vector<SFrame> aFrames = {
        {"a move and the right button held", false, {"focus", "mouse move 10 10", "mouse down right 10 10"}, 10, true},
        {"given up, the mouse moved: the moves are not the game's", true, {"mouse move 40 10"}, 0, true},
        {"taken again, the next move is counted", false, {"mouse move 45 10"}, 5, true},
        {"given up, the button let go meanwhile is not held", true, {"mouse up right 45 10"}, 0, false},
    };
    std::vector<SStep> aSteps;
    for (const SFrame& f : aFrames)
        aSteps.push_back({f.szName, 16, f.aActions, {}, 0, 0, 0, 0, false, false, false});
    Start(aSteps);
    for (std::size_t i = 0; i < aFrames.size(); ++i)
    {
        SCOPED_TRACE(aFrames[i].szName);
        if (aFrames[i].bGiveUpBefore)
            g_DIMouse.Unacquire();
        m_clock.Advance(16);
        RunFrame(i);
        EXPECT_EQ(aFrames[i].lX, g_DIMouse.GetX());
        EXPECT_EQ(aFrames[i].bRightDown, g_DIMouse.IsRightDown() != 0);
    }
}
