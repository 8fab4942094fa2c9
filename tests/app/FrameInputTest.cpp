#include "tests/app/AppFolder.h"
#include "tests/app/FrameScope.h"

#include "app/MainFrame.h"
#include "gameflow/GameFlow.h"
#include "platform/win32/Clock.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/WindowTable.h"
#include "render/Environment3D.h"

#include <gtest/gtest.h>

namespace
{
// The ball under the cursor on the drawn frame: each ball on the table is found at its projected
// centre, and nothing where no ball lies.
TEST(FrameInputTest, TheBallUnderTheCursorIsTheOneDrawnThere)
{
    const CTestClockScope clock{5000}; // the clock stands still: no computer strikes, no ball moves
    const CAppFolder app;
    app.AddArtworkLibrary();
    ASSERT_TRUE(StartDisplay());
    const CDisplayAdapterScope restoreAdapter(LoadDisplayAdapter());
    ASSERT_NE(nullptr, InstallSystemDisplayAdapter());
    auto* pFrame = new CMainFrame;
    ASSERT_TRUE(pFrame->LoadFrame(128));
    const HWND hWnd = pFrame->m_hWnd;
    {
        const CStartScreenAnswer answer(VORN_APP_FIXTURE_DIR "VornRes.dll");
        Pump(); // the game starts, the window is active and has the focus
    }
    ASSERT_TRUE(pFrame->OnFrame()); // drawn: the camera's view and projection are set
    RECT rcView;
    pFrame->GetPanelRect(rcView);
    const auto PutCursor = [&](float x, float y)
    {
        POINT pt{static_cast<LONG>(x + 0.5f), static_cast<LONG>(y + 0.5f)};
        ClientToScreen(hWnd, &pt);
        RecordCursorPos(pt.x, pt.y);
    };
    int nOnView = 0;
    for (int n = 0; n < 16; ++n)
    {
        CVector3 vBall, vScreen;
        if (!pFrame->GetGameFlow().GetBallScenePosition(n, vBall))
            continue;
        ProjectToScreenIn(&vScreen, &vBall, rcView);
        if (vScreen.x < 0.0f || vScreen.y < 0.0f || vScreen.x >= static_cast<float>(rcView.right) ||
            vScreen.y >= static_cast<float>(rcView.bottom))
            continue;
        SCOPED_TRACE(n);
        ++nOnView;
        PutCursor(vScreen.x, vScreen.y);
        EXPECT_EQ(n, pFrame->PickBallUnderCursor());
    }
    EXPECT_GT(nOnView, 1);
    PutCursor(1.0f, 1.0f); // a corner of the view: the room, no ball
    EXPECT_EQ(-1, pFrame->PickBallUnderCursor());

    pFrame->DestroyWindow(); // deletes the frame
    Pump();
    g_nGameMode = 0;
    FreeDriverList();
    g_hDDrawModule = nullptr;
    g_pfnDirectDrawCreate = nullptr;
    StopDisplay();
}
} // namespace
