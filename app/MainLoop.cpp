#include "app/MainFrame.h"
#include "app/VornApp.h"
#include "foundation/Settings.h"
#include "gameflow/GameMode.h"
#include "platform/win32/Clock.h"
#include "platform/win32/KeyState.h"
#include "ui/TextMessages.h"

namespace
{
/// The longest wait for a message after a tick that had nothing to do, in ms.
constexpr DWORD IDLE_WAIT_MS = 10;
} // namespace

void DiscardShiftCtrlKeys()
{
    MSG msg;
    while (PeekMessage(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE) &&
           (msg.wParam == VK_CONTROL || msg.wParam == VK_SHIFT))
        PeekMessage(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE);
}

void CoalesceMouseMoves()
{
    MSG msg;
    while (PeekMessage(&msg, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE))
    {
    }
    DiscardShiftCtrlKeys();
}

BOOL CVornApp::TickFrame()
{
    CMainFrame* pFrame = GetMainFrame();
    return pFrame != nullptr && IsWindow(pFrame->m_hWnd) ? pFrame->OnFrame() : FALSE;
}

int CVornApp::Run()
{
    for (;;)
    {
        DiscardShiftCtrlKeys();
        CoalesceMouseMoves();
        BOOL bTicked = FALSE;
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE))
        {
            if (!PumpMessage())
                return ExitInstance();
            bTicked = TickFrame();
            DiscardShiftCtrlKeys();
            CoalesceMouseMoves();
        }
        for (LONG n = 0; OnIdle(n); ++n)
            bTicked = TickFrame();
        // A running game ticks as fast as it can; an idle one waits for the next message a little.
        if (!bTicked)
            WaitMessageTimeout(IDLE_WAIT_MS);
    }
}

void CMainFrame::SampleTabHeld()
{
    g_bTabHeld = GetAsyncKeyState(VK_TAB) < 0 && GetAsyncKeyState(VK_MENU) >= 0 ? 1 : 0;
}

bool CMainFrame::IsFlightViewTick()
{
    constexpr int CAMERA_MOTION_FIXED = 2; // "Camera Motion" 2: the camera stays while a shot runs
    return HasGameFlag(gmShotRunning) && g_Settings.m_nCameraMotion != CAMERA_MOTION_FIXED && !HasGameFlag(gmReplay) &&
           !HasMode(modeWaiting) && g_bTabHeld == 0;
}

void CMainFrame::TickTextMessages()
{
    RECT rcPanel;
    GetPanelRect(rcPanel);
    g_TextMessages.Update(timeGetTime(), rcPanel, 0);
}
