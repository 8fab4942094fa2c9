// The game window losing the keyboard and the mouse and getting them back, and the presses nobody
// will let go of, on the real frame on the headless display.
#include "tests/app/ScriptedFrame.h"

#include "gameflow/GameMode.h"
#include "platform/mfc/WinApp.h"
#include "platform/win32/Desktop.h"
#include "platform/win32/SystemParameters.h"
#include "platform/win32/WindowTable.h"
#include "ui/ClickPanels.h"
#include "ui/ControlBar.h"
#include "ui/GameWidgets.h"

#include <gtest/gtest.h>

namespace
{
constexpr SPlacedBall FOCUS_BALLS[] = {{0, 0.56f, 0.60f}, {1, 0.30f, 1.50f}, {2, 0.85f, 1.55f}};

/// Where the game confines the cursor: its view, on the screen.
RECT ViewOnScreen(const CMainFrame& frame)
{
    RECT rc{};
    frame.GetPanelRect(rc);
    POINT corners[2] = {{rc.left, rc.top}, {rc.right, rc.bottom}};
    ClientToScreen(frame.m_hWnd, &corners[0]);
    ClientToScreen(frame.m_hWnd, &corners[1]);
    return RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

RECT CursorClip()
{
    RECT rc{};
    GetClipCursor(&rc);
    return rc;
}

/// A press on the control bar and drags on the mouse area that no release will end.
void HoldTheMouse()
{
    CWidget::SetHoveredWidget(&g_controlBar);
    g_controlBar.m_bPressed = 1;
    g_mouseArea.SetArmed(1);
    g_mouseArea.m_nRightDragActive = 1;
}

class CFrameFocusTest : public CScriptedFrameTest
{
protected:
    void TearDown() override
    {
        CWidget::SetHoveredWidget(nullptr);
        ResetWidgetInputState();
        ClipCursor(nullptr);
        CScriptedFrameTest::TearDown();
    }
};

TEST_F(CFrameFocusTest, FocusLostInTheMiddleOfAStrokeLeavesTheCueAtRestAndTheCursorClippedAgainOnReturn)
{
    CFrameScope scope(true, true);
    ASSERT_TRUE(scope.m_bCreated);
    CMainFrame& frame = *scope.m_pFrame;
    ASSERT_TRUE(frame.IsGameStarted());
    g_IntroSequence.Finish();
    LayTable(frame, FOCUS_BALLS, true, modeMouseStroke);
    SCueStroke& cue = frame.GetGameFlow().Cue();
    cue.fPullBack = 0.4f * cue.fMax; // the cue drawn back by the mouse, its button held
    g_controlBar.SetValue(0.8);
    HoldTheMouse();
    ASSERT_TRUE(frame.OnFrame());
    frame.ClipCursorToView();
    const RECT rcView = ViewOnScreen(frame);
    ASSERT_EQ(rcView, CursorClip()) << "the stroke holds the cursor in the view";

    SetFocus(nullptr); // another window takes the keyboard and the mouse
    EXPECT_FALSE(frame.OnFrame()) << "the game rests while it has no focus";
    EXPECT_FLOAT_EQ(cue.fMin, cue.fPullBack) << "the cue is back at rest";
    EXPECT_EQ(0.0, g_controlBar.m_dPower) << "and the bar shows no power";
    EXPECT_EQ(0, g_controlBar.m_bPressed) << "the bar's press is let go";
    EXPECT_EQ(0, g_mouseArea.IsArmed());
    EXPECT_EQ(0, g_mouseArea.m_nRightDragActive);
    EXPECT_EQ(GetDesktopWindowRect(), CursorClip()) << "the cursor may go anywhere";

    SetFocus(frame.m_hWnd);
    EXPECT_EQ(modeMouseStroke, GetModeField()) << "the stroke's mode comes back";
    EXPECT_EQ(rcView, CursorClip()) << "the cursor is held in the view again";
    EXPECT_TRUE(frame.OnFrame());
    EXPECT_FALSE(HasGameFlag(gmShotRunning)) << "nothing was struck";
    EXPECT_FLOAT_EQ(cue.fMin, cue.fPullBack);
}

TEST_F(CFrameFocusTest, ANewRackLetsGoOfThePressThatAskedForIt)
{
    CFrameScope scope(true, true);
    ASSERT_TRUE(scope.m_bCreated);
    CMainFrame& frame = *scope.m_pFrame;
    g_IntroSequence.Finish();
    LayTable(frame, FOCUS_BALLS, true, modeAim);
    HoldTheMouse();
    SendMessage(frame.m_hWnd, WM_COMMAND, ID_FILE_NEW, 0);
    EXPECT_EQ(0, g_controlBar.m_bPressed) << "the bar takes the next click as a press of its own";
    EXPECT_EQ(16, frame.GetGameFlow().Engine().GetBallCount()) << "a new rack is on the table";
}
} // namespace
