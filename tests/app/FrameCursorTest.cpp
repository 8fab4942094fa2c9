#include "app/FrameCursor.h"

#include "tests/app/AppFolder.h"
#include "tests/app/FrameScope.h"

#include "app/MainFrame.h"
#include "gameflow/GameMode.h"
#include "platform/win32/Cursor.h"
#include "platform/win32/Desktop.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/SystemParameters.h"
#include "platform/win32/WindowTable.h"
#include "platform/window/Window.h"

#include <cstddef>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

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
    // A captured mouse starts from the middle of the view, unless the menu screen's cursor mode
    // put the cursor where it is; the display takes each confinement and place in order.
    const POINT ptMiddle{(rcScreenView.left + rcScreenView.right) / 2, (rcScreenView.top + rcScreenView.bottom) / 2};
    const POINT ptCorner{rcScreenView.left + 3, rcScreenView.top + 3};
    const SCursorRequest confine{SCursorRequest::Confine, {}, rcScreenView}, free{};
    const SCursorRequest place{SCursorRequest::Place, ptMiddle, {}};
    CMainFrame& f = *frame.m_pFrame;
    struct SCase
    {
        const char* szName;
        DWORD dwMode;
        std::function<void()> confine; // by default ClipCursorToView
        RECT rcClip;
        bool bShown;
        POINT ptCursor;
        std::vector<SCursorRequest> aRequests; // the display's last ones
    };
    const SCase aCases[] = {
        {"aiming: confined to the view, hidden, put in its middle",
         modeAim,
         nullptr,
         rcScreenView,
         false,
         ptMiddle,
         {confine, place}},
        {"the pause: free, shown, left where it was", modeWaiting, nullptr, rcDesktop, true, ptCorner, {free}},
        {"calling the shot: confined, shown, in the middle",
         modeCallShot,
         nullptr,
         rcScreenView,
         true,
         ptMiddle,
         {confine, place}},
        {"the menu screen's cursor mode: free",
         modeAim,
         [&f] { f.HandleMenuScreenMouse(); },
         rcDesktop,
         true,
         ptCorner,
         {free}},
        {"confined again in that mode: the cursor stays", modeAim, nullptr, rcScreenView, false, ptCorner, {confine}},
        {"the mode left: confined and in the middle",
         modeAim,
         [&f] { f.HideHoverWidgets(); },
         rcScreenView,
         false,
         ptMiddle,
         {confine, place}},
        {"no mode: free, shown", modeNone, nullptr, rcDesktop, true, ptCorner, {free}},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_nGameMode = c.dwMode;
        ASSERT_TRUE(SetCursorPos(ptCorner.x, ptCorner.y));
        c.confine ? c.confine() : f.ClipCursorToView();
        RECT rcClip{};
        ASSERT_TRUE(GetClipCursor(&rcClip));
        EXPECT_EQ(c.rcClip.left, rcClip.left);
        EXPECT_EQ(c.rcClip.top, rcClip.top);
        EXPECT_EQ(c.rcClip.right, rcClip.right);
        EXPECT_EQ(c.rcClip.bottom, rcClip.bottom);
        EXPECT_EQ(c.bShown, GetCursorShowCount() >= 0);
        POINT pt{};
        ASSERT_TRUE(GetCursorPos(&pt));
        EXPECT_EQ(c.ptCursor.x, pt.x);
        EXPECT_EQ(c.ptCursor.y, pt.y);
        // The test's own place of the cursor, then the frame's requests.
        std::vector<SCursorRequest> aExpected = {SCursorRequest{SCursorRequest::Place, ptCorner, {}}};
        aExpected.insert(aExpected.end(), c.aRequests.begin(), c.aRequests.end());
        const std::vector<SCursorRequest> aRequests = GetCursorRequests();
        ASSERT_GE(aRequests.size(), aExpected.size());
        EXPECT_EQ(aExpected, std::vector<SCursorRequest>(
                                 aRequests.end() - static_cast<std::ptrdiff_t>(aExpected.size()), aRequests.end()));
    }
    g_nGameMode = 0;
    frame.m_pFrame->ClipCursorToView();
}
} // namespace
