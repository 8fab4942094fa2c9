#include "app/MainFrame.h"
#include "app/VornApp.h"
#include "platform/win32/KeyState.h"

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
