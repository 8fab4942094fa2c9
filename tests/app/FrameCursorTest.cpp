#include "app/FrameCursor.h"

#include "tests/app/AppFolder.h"
#include "tests/app/FrameScope.h"

#include "app/MainFrame.h"
#include "gameflow/GameMode.h"
#include "platform/win32/Cursor.h"
#include "platform/win32/Desktop.h"
#include "platform/win32/SystemParameters.h"
#include "platform/win32/WindowTable.h"

#include <gtest/gtest.h>

namespace
{
TEST(FrameCursorTest, TheModeDecidesCaptureAndShow)
{
    const SCursorState given{true, true};
    struct SCase
    {
        const char* szName;
        bool bStarted;
        DWORD dwMode;
        bool bDragging, bOverhead;
        const SCursorState* pGiven;
        bool bCapture, bShow;
    };
    const SCase aCases[] = {
        {"before the game: free and shown", false, modeAim, false, false, nullptr, false, true},
        {"no mode: free and shown", true, modeNone, false, false, nullptr, false, true},
        {"aiming: captured and hidden", true, modeAim, false, false, nullptr, true, false},
        {"the flight: captured and hidden", true, modeCameraFlight, false, false, nullptr, true, false},
        {"calling the shot: captured and shown", true, modeCallShot, false, false, nullptr, true, true},
        {"free placement, nothing taken up: shown", true, modePlaceCueBall, false, false, nullptr, true, true},
        {"free placement, a ball carried: hidden", true, modePlaceCueBall, true, false, nullptr, true, false},
        {"ball in hand: captured and hidden", true, modeBallInHand, true, false, nullptr, true, false},
        {"the pause: free and shown", true, modeWaiting, false, false, nullptr, false, true},
        {"zooming while calling: hidden", true, modeCallShot | modeZoom, false, false, nullptr, true, false},
        {"the computer's stroke with no mode: hidden", true, modeNone | gmStroking, false, false, nullptr, false,
         false},
        {"flags beside the mode do not count as a mode", true, gmShotRunning, false, false, nullptr, false, true},
        {"the overhead view never captures", true, modeAim, false, true, nullptr, false, false},
        {"given values replace the rules", true, modeNone, false, false, &given, true, true},
        {"given values: the overhead view still never captures", true, modeNone, false, true, &given, false, true},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        const SCursorState state = DecideCursorState(c.bStarted, c.dwMode, c.bDragging, c.bOverhead, c.pGiven);
        EXPECT_EQ(c.bCapture, state.bCapture);
        EXPECT_EQ(c.bShow, state.bShow);
    }
}
} // namespace

namespace
{
TEST(FrameCursorTest, TheFrameConfinesTheCursorToItsViewAndShowsItByTheMode)
{
    const CAppFolder app;
    app.AddArtworkLibrary();
    CFrameScope frame(true);
    ASSERT_TRUE(frame.m_bCreated);
    RECT rcView{};
    frame.m_pFrame->GetPanelRect(rcView);
    POINT corners[2] = {{rcView.left, rcView.top}, {rcView.right, rcView.bottom}};
    ClientToScreen(frame.m_hWnd, &corners[0]);
    ClientToScreen(frame.m_hWnd, &corners[1]);
    const RECT rcScreenView{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    const RECT rcDesktop = GetDesktopWindowRect();
    struct SCase
    {
        const char* szName;
        DWORD dwMode;
        RECT rcClip;
        bool bShown;
    };
    const SCase aCases[] = {
        {"aiming: confined to the view, hidden", modeAim, rcScreenView, false},
        {"the pause: free, shown", modeWaiting, rcDesktop, true},
        {"calling the shot: confined, shown", modeCallShot, rcScreenView, true},
        {"no mode: free, shown", modeNone, rcDesktop, true},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_nGameMode = c.dwMode;
        frame.m_pFrame->ClipCursorToView();
        RECT rcClip{};
        ASSERT_TRUE(GetClipCursor(&rcClip));
        EXPECT_EQ(c.rcClip.left, rcClip.left);
        EXPECT_EQ(c.rcClip.top, rcClip.top);
        EXPECT_EQ(c.rcClip.right, rcClip.right);
        EXPECT_EQ(c.rcClip.bottom, rcClip.bottom);
        EXPECT_EQ(c.bShown, GetCursorShowCount() >= 0);
    }
    g_nGameMode = 0;
    frame.m_pFrame->ClipCursorToView();
}
} // namespace
