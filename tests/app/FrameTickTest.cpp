#include "tests/app/AppFolder.h"

#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "platform/dx/DirectDraw.h"
#include "platform/window/Window.h"
#include "render/D3DEnum.h"

#include <gtest/gtest.h>

namespace
{
/// Runs what is queued for this thread, as the main loop would.
void Pump()
{
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessage(&msg);
}

TEST(FrameTickTest, TickDrawsOnlyForAStartedFocusedActiveWindowOutOfModalMode)
{
    const CAppFolder app;
    ASSERT_TRUE(StartDisplay());
    const CDisplayAdapterScope restoreAdapter(LoadDisplayAdapter());
    ASSERT_NE(nullptr, InstallSystemDisplayAdapter());
    auto* pFrame = new CMainFrame;
    ASSERT_TRUE(pFrame->LoadFrame(128));
    const HWND hWnd = pFrame->m_hWnd;
    EXPECT_FALSE(pFrame->OnFrame()) << "the game has not started";
    Pump(); // the game starts, the window is active and has the focus
    ASSERT_TRUE(pFrame->IsGameStarted());
    EXPECT_TRUE(pFrame->OnFrame());
    EXPECT_GT(GetPresentCount(hWnd), 0);

    pFrame->SetModalMode(TRUE);
    EXPECT_FALSE(pFrame->OnFrame()) << "modal";
    pFrame->SetModalMode(FALSE);
    ShowWindow(hWnd, SW_MINIMIZE);
    Pump();
    const int nPresents = GetPresentCount(hWnd);
    EXPECT_FALSE(pFrame->OnFrame()) << "minimised";
    EXPECT_EQ(nPresents, GetPresentCount(hWnd));
    ShowWindow(hWnd, SW_RESTORE);
    EXPECT_TRUE(pFrame->OnFrame());
    SetFocus(nullptr);
    EXPECT_FALSE(pFrame->OnFrame()) << "another window has the focus";

    pFrame->DestroyWindow(); // deletes the frame
    EXPECT_FALSE(IsWindow(hWnd));
    Pump();
    FreeDriverList();
    g_hDDrawModule = nullptr;
    g_pfnDirectDrawCreate = nullptr;
    StopDisplay();
}
} // namespace
