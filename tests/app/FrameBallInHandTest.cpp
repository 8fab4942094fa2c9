// The ball in hand on the real frame in the game's own art, driven by the input script: the ball
// is carried lifted above the cloth with its shadow below it, the camera looking at it and the
// cursor kept on it; in nine-ball and three-ball the break's ball in hand stays behind the head
// string and a later one goes anywhere; free placement hides the cue.
#include "tests/app/GameArtFrame.h"
#include "tests/app/ScriptedFrame.h"

#include "app/FramePlacement.h"
#include "app/MainFrame.h"
#include "gameflow/GameFlow.h"
#include "platform/win32/KeyState.h"
#include "platform/window/Window.h"
#include "render/Environment3D.h"
#include "render/SceneObject.h"
#include "render/TableSpace.h"
#include "simulation/BallEngine.h"
#include "simulation/PhysicsConstants.h"
#include "ui/TextMessages.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace
{
/// A ball radius in scene units.
constexpr float R = BALL_RADIUS_M / 0.0254f;
/// Ball 1 far down the table, out of the way.
constexpr SPlacedBall LAID[] = {{0, 0.56f, 0.80f}, {1, 0.30f, 1.90f}};

using CFrameBallInHandTest = CGameArtFrameTest;

/// The mean brightness (0 to 765) of the pixels of a small square of the window's last frame.
int Brightness(HWND hWnd, POINT pt)
{
    std::vector<DWORD> aPixels;
    int nWidth = 0, nHeight = 0;
    EXPECT_TRUE(ReadWindowPixels(hWnd, aPixels, &nWidth, &nHeight));
    int nSum = 0, nCount = 0;
    for (int y = pt.y - 2; y <= pt.y + 2; ++y)
        for (int x = pt.x - 2; x <= pt.x + 2; ++x)
            if (x >= 0 && y >= 0 && x < nWidth && y < nHeight)
            {
                const DWORD c = aPixels[static_cast<std::size_t>(y * nWidth + x)];
                nSum += static_cast<int>((c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF));
                ++nCount;
            }
    return nCount > 0 ? nSum / nCount : 0;
}

/// The ball as the frame paints it: its centre in the scene.
CVector3 PaintedCentre(CMainFrame& f, int n)
{
    for (const SSceneBall& ball : f.GetTableScene().GetBalls())
        if (ball.nBall == n)
            return ball.vCentre;
    ADD_FAILURE() << "ball " << n << " is not painted";
    return {};
}

TEST_F(CFrameBallInHandTest, TheBallInHandIsCarriedLiftedWithItsShadowTheCameraAndTheCursorOnIt)
{
    CCursor cursor;
    // bMoved: the mouse has carried it (the camera then looks at it).
    const auto carried = [](CMainFrame& f, bool bMoved)
    {
        CGameFlow& flow = f.GetGameFlow();
        ASSERT_TRUE(f.IsBallDragging());
        CVector3 vOnCloth;
        ASSERT_TRUE(flow.GetBallScenePosition(0, vOnCloth));
        EXPECT_NEAR(SCENE_BED_HEIGHT + R, vOnCloth.y, 1e-3f) << "the engine has it on the cloth";
        // Drawn four radii above its place on the cloth.
        const CVector3 vPainted = PaintedCentre(f, 0);
        EXPECT_NEAR(vOnCloth.x, vPainted.x, 1e-3f);
        EXPECT_NEAR(vOnCloth.z, vPainted.z, 1e-3f);
        EXPECT_NEAR(vOnCloth.y + 4.0f * R, vPainted.y, 1e-3f);
        // The camera looks at its place on the cloth.
        if (bMoved)
        {
            EXPECT_LT((flow.Camera().vLookAt - vOnCloth).Length(), 1e-3f);
        }
        // The cursor is on the ball as it is drawn.
        POINT ptCursor;
        GetCursorPos(&ptCursor);
        ScreenToClient(f.m_hWnd, &ptCursor);
        const POINT ptBall = ProjectPoint(vPainted);
        EXPECT_LE(std::abs(ptCursor.x - ptBall.x), 1);
        EXPECT_LE(std::abs(ptCursor.y - ptBall.y), 1);
        // Its shadow darkens the cloth under it: darker than the cloth a hand's width aside, and
        // where the lifted ball is drawn the ball is. The cue's tip lies at the ball's place on
        // the cloth, so the shadow is looked at half a radius beside it.
        const POINT ptUnder = ProjectPoint(CVector3(vOnCloth.x + 0.5f * R, SCENE_BED_HEIGHT, vOnCloth.z));
        const POINT ptAside = ProjectPoint(CVector3(vOnCloth.x + 6.0f * R, SCENE_BED_HEIGHT, vOnCloth.z));
        EXPECT_GT(std::abs(ptUnder.y - ptBall.y), 4) << "lifted on the screen too";
        EXPECT_LT(Brightness(f.m_hWnd, ptUnder) + 30, Brightness(f.m_hWnd, ptAside)) << "the shadow";
        EXPECT_GT(Brightness(f.m_hWnd, ptBall), Brightness(f.m_hWnd, ptAside) + 150) << "the white ball";
    };
    auto pFirst = std::make_shared<CVector3>();
    const std::vector<SFrameStep> steps = {
        {"the cursor in the view", nullptr, cursor.MoveBy(0, 0), nullptr},
        {"taken up at the head spot",
         [](CMainFrame& f)
         {
             g_TextMessages.Clear(); // the start's texts over the view are not what is looked at
             f.GetGameFlow().BeginBallInHand(1);
         },
         "",
         [&, pFirst](CMainFrame& f)
         {
             carried(f, false);
             *pFirst = PaintedCentre(f, 0);
         }},
        {"carried down the table and across", nullptr, cursor.MoveBy(60, -120),
         [&](CMainFrame& f) { carried(f, true); }},
        {"carried on", nullptr, cursor.MoveBy(-30, -60),
         [&, pFirst](CMainFrame& f)
         {
             carried(f, true);
             EXPECT_GT((PaintedCentre(f, 0) - *pFirst).Length(), 15.0f) << "it went somewhere";
             std::filesystem::create_directories(VORN_TEST_OUTPUT_DIR);
             EXPECT_TRUE(SaveWindowPng(f.m_hWnd,
                                       (std::filesystem::path(VORN_TEST_OUTPUT_DIR) / "FrameBallInHand.png").string()));
         }},
    };
    RunFrameSteps(m_app.Folder().Path(), steps,
                  [](CMainFrame& frame)
                  {
                      LayTable(frame, LAID, true, modeNone);
                      // Low behind the head spot, under the lamp.
                      SFlowCamera& camera = frame.GetGameFlow().Camera();
                      camera.fPitch = 335.0f;
                      camera.fDistance = 70.0f;
                      camera.vLookAt = CVector3(0.0f, SCENE_BED_HEIGHT, GetPlacementTable().fHeadSpotZ);
                      frame.GetGameFlow().UpdateAimCamera(0);
                  });
}

TEST_F(CFrameBallInHandTest, NineAndThreeBallBreakFromBehindTheHeadStringAndLaterBallsInHandGoAnywhere)
{
    struct SCase
    {
        const char* szName;
        int nGameType;
        bool bBroken;   // the rack has been broken
        bool bByFlight; // ball in hand begins at the end of the flight to it, else at a new rack
        bool bAnywhere; // the ball may be carried past the head string
    };
    const SCase aCases[] = {
        {"nine-ball, the break", GAME_9BALL, false, true, false},
        {"three-ball, the break", GAME_3BALL, false, true, false},
        {"nine-ball after a foul", GAME_9BALL, true, true, true},
        {"three-ball after a foul", GAME_3BALL, true, true, true},
        {"eight-ball, the break", GAME_8BALL, false, true, true},
        {"nine-ball, a new rack of the match", GAME_9BALL, false, false, true},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_Settings.m_nGameType = c.nGameType;
        CCursor cursor;
        const std::vector<SFrameStep> steps = {
            {"the camera flies to the head of the table, the cursor in the view",
             [this](CMainFrame&) { m_clock.Advance(2500); }, cursor.MoveBy(0, 0), nullptr},
            {"ball in hand",
             [this, &c](CMainFrame& f)
             {
                 m_clock.Advance(2500);
                 if (c.bByFlight)
                     return;
                 CGameFlow& flow = f.GetGameFlow();
                 flow.StartNewRack(0);
                 flow.SetGameMode(modeCameraFlight);
                 flow.SetGameMode(modeBallInHand);
             },
             "", [](CMainFrame&) { EXPECT_EQ(modeBallInHand, GetModeField()); }},
            {"carried down the table", nullptr, cursor.MoveBy(0, -150),
             [&c](CMainFrame& f)
             {
                 CVector3 v;
                 ASSERT_TRUE(f.GetGameFlow().GetBallScenePosition(0, v));
                 const float fHeadString = GetPlacementTable().fHeadSpotZ;
                 if (c.bAnywhere)
                 {
                     EXPECT_GT(v.z, fHeadString + 15.0f);
                 }
                 else
                 {
                     EXPECT_NEAR(fHeadString, v.z, 0.05f) << "held on the head string";
                 }
             }},
        };
        RunFrameSteps(m_app.Folder().Path(), steps,
                      [&c](CMainFrame& frame)
                      {
                          CGameFlow& flow = frame.GetGameFlow();
                          flow.CreateReferee(c.nGameType);
                          // No mode while the cursor comes into the view: its move moves nothing.
                          LayTable(frame, LAID, true, modeNone);
                          if (c.bBroken)
                              flow.GetReferee()->SetFlags(REF_BREAK_MADE);
                          if (!c.bByFlight)
                              return;
                          flow.FlyToBallInHandView();
                          flow.SetGameMode(modeCameraFlight);
                      });
    }
}

TEST_F(CFrameBallInHandTest, FreePlacementHidesTheCueUntilAimingGoesOn)
{
    const auto cueShown = [](bool bShown)
    {
        return [bShown](CMainFrame&)
        {
            const CSceneObject* pCue = CSceneObject::FindSceneObjectByKind(0x2);
            ASSERT_NE(nullptr, pCue);
            EXPECT_EQ(bShown ? TRUE : FALSE, pCue->IsEnabled());
        };
    };
    const std::vector<SFrameStep> steps = {
        {"aiming: the cue behind the cue ball", nullptr, "", cueShown(true)},
        {"M: free placement", nullptr, "key press M", nullptr},
        {"placing: no cue", nullptr, "", cueShown(false)},
        {"A: aiming again", nullptr, "key press A", cueShown(true)},
    };
    RunFrameSteps(m_app.Folder().Path(), steps, [](CMainFrame& frame) { LayTable(frame, LAID, true, modeAim); });
}
} // namespace
