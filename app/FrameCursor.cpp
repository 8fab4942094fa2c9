// The main frame's cursor rules: the confinement to the view, the cursor put at its middle on
// capture, and the counted show, by the mode.
#include "app/FrameCursor.h"

#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "gameflow/BallDragger.h"
#include "media/DirectInputDevices.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/SystemParameters.h"
#include "render/CursorManager.h"

SCursorState DecideCursorState(bool bGameStarted, DWORD dwGameMode, bool bDragging, bool bOverhead,
                               const SCursorState* pGiven)
{
    if (!bGameStarted)
        return SCursorState{false, true};
    const DWORD dwMode = dwGameMode & MODE_FIELD;
    SCursorState state;
    state.bCapture = dwMode != modeNone && (dwMode & modeWaiting) == 0;
    state.bShow = dwMode == modeNone || (dwMode & (modeCallShot | modeWaiting)) != 0 ||
                  ((dwMode & modePlaceCueBall) != 0 && !bDragging);
    if ((dwGameMode & (modeZoom | gmStroking)) != 0)
        state.bShow = false;
    if (pGiven != nullptr)
        state = *pGiven;
    if (bOverhead)
        state.bCapture = false;
    return state;
}

void CMainFrame::ClipCursorToView() { ConfineCursor(nullptr); }

void CMainFrame::ConfineCursor(const SCursorState* pGiven)
{
    const SCursorState state =
        DecideCursorState(m_bGameStarted != FALSE, g_nGameMode, g_BallDragger.IsActive() != FALSE,
                          g_Settings.m_nOverHeadView != 0, pGiven);
    if (state.bCapture)
    {
        // The game takes the mouse's movements; a free cursor gives them back to the desktop, and
        // what was buffered for the game meanwhile is dropped.
        g_DIMouse.SetCooperativeLevel(FALSE);
        RECT rc{};
        GetPanelRect(rc);
        POINT corners[2] = {{rc.left, rc.top}, {rc.right, rc.bottom}};
        ::ClientToScreen(m_hWnd, &corners[0]);
        ::ClientToScreen(m_hWnd, &corners[1]);
        const RECT rcScreen{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
        ClipCursor(&rcScreen);
        // The captured mouse starts from the middle of the view, unless the menu screen's cursor
        // mode put it where it is.
        if (!m_bCursorMode)
            SetCursorPos((rcScreen.left + rcScreen.right) / 2, (rcScreen.top + rcScreen.bottom) / 2);
    }
    else
    {
        g_DIMouse.Unacquire();
        g_DIMouse.SetCooperativeLevel(FALSE);
        ClipCursor(nullptr);
    }
    ShowCursorCounted(state.bShow ? TRUE : FALSE);
}

void CMainFrame::AcquireMouse() { g_DIMouse.Acquire(); }
