// A real main frame on the headless display for one test, and the pump that runs what is queued
// for the test's thread as the main loop would.
#pragma once

#include "fixtures/StartScreenAnswer.h"
#include "tests/app/GlobalState.h"

#include "app/MainFrame.h"
#include "platform/dx/DirectDraw.h"
#include "platform/window/Window.h"
#include "render/D3DEnum.h"

/// Runs what is queued for this thread, as the main loop would.
inline void Pump()
{
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessage(&msg);
}

/// A frame on the display, started or not, for one test.
class CFrameScope
{
public:
    /// bShown puts the frames on the display (so that the input script counts them).
    explicit CFrameScope(bool bStart, bool bShown = false)
    {
        StartDisplay();
        if (bShown)
            InstallSystemDisplayAdapter();
        m_pFrame = new CMainFrame;
        m_bCreated = m_pFrame->LoadFrame(128) != FALSE;
        m_hWnd = m_pFrame->m_hWnd;
        if (bStart)
        {
            const CStartScreenAnswer answer(VORN_APP_FIXTURE_DIR "VornRes.dll");
            Pump();
        }
    }
    ~CFrameScope()
    {
        if (IsWindow(m_hWnd))
            m_pFrame->DestroyWindow();
        Pump();
        FreeDriverList();
        g_hDDrawModule = nullptr;
        g_pfnDirectDrawCreate = nullptr;
        StopDisplay();
        ResetWidgetInputState();
    }
    CFrameScope(const CFrameScope&) = delete;
    CFrameScope& operator=(const CFrameScope&) = delete;

    CDisplayAdapterScope m_adapter{LoadDisplayAdapter()}; // put back when the frame has gone
    bool m_bCreated = false;
    CMainFrame* m_pFrame = nullptr;
    HWND m_hWnd = nullptr;
};
