#include "tests/app/AppFolder.h"
#include "tests/app/FrameScope.h"

#include "app/MainFrame.h"
#include "gameflow/GameFlow.h"
#include "platform/win32/Clock.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/WindowTable.h"
#include "render/Environment3D.h"
#include "simulation/BallEngine.h"
#include "simulation/PhysicsConstants.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

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
    // The balls spread over the table, a grid of four by four.
    for (int n = 0; n < 16; ++n)
        pFrame->GetGameFlow().Engine().SetBallPosition(n, TABLE_WIDTH_M * (n % 4 + 1) / 5.0,
                                                       TABLE_LENGTH_M * (n / 4 + 1) / 5.0);
    ASSERT_TRUE(pFrame->OnFrame()); // drawn: the camera's view and projection are set
    RECT rcView;
    pFrame->GetPanelRect(rcView);
    const auto PutCursor = [&](float x, float y)
    {
        POINT pt{static_cast<LONG>(x + 0.5f), static_cast<LONG>(y + 0.5f)};
        ClientToScreen(hWnd, &pt);
        RecordCursorPos(pt.x, pt.y);
    };
    // Each ball on the view: its centre and its size on the screen (half its diameter again).
    struct SOnScreen
    {
        int n;
        CVector3 vCentre;
        float fRadius;
    };
    std::vector<SOnScreen> aOnView;
    for (int n = 0; n < 16; ++n)
    {
        CVector3 vBall, vScreen, vEdge;
        if (!pFrame->GetGameFlow().GetBallScenePosition(n, vBall))
            continue;
        ProjectToScreenIn(&vScreen, &vBall, rcView);
        if (vScreen.x < 0.0f || vScreen.y < 0.0f || vScreen.x >= static_cast<float>(rcView.right) ||
            vScreen.y >= static_cast<float>(rcView.bottom))
            continue;
        const CVector3 vBeside = vBall + CVector3(1.5f * BALL_RADIUS_M / 0.0254f, 0.0f, 0.0f);
        ProjectToScreenIn(&vEdge, &vBeside, rcView);
        aOnView.push_back({n, vScreen, std::hypot(vEdge.x - vScreen.x, vEdge.y - vScreen.y)});
    }
    EXPECT_GT(aOnView.size(), 1u);
    // Balls seen one behind the other cover each other; those standing clear are found.
    int nClear = 0;
    for (const SOnScreen& ball : aOnView)
    {
        const bool bCovered = std::any_of(aOnView.begin(), aOnView.end(),
                                          [&](const SOnScreen& other)
                                          {
                                              return other.n != ball.n && std::hypot(other.vCentre.x - ball.vCentre.x,
                                                                                     other.vCentre.y - ball.vCentre.y) <
                                                                              other.fRadius + ball.fRadius;
                                          });
        if (bCovered)
            continue;
        SCOPED_TRACE(ball.n);
        ++nClear;
        PutCursor(ball.vCentre.x, ball.vCentre.y);
        EXPECT_EQ(ball.n, pFrame->PickBallUnderCursor());
    }
    EXPECT_GT(nClear, 1);
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
