// Calling the shot on the real frame, driven by the input script on the headless display: clicks
// on balls and pockets, the keys that leave, the wait of a computer's call, and the arrow over the
// called pocket.
#include "tests/app/AppFolder.h"
#include "tests/app/ScriptedFrame.h"

#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "gameflow/BallObjects.h"
#include "gameflow/CallShotState.h"
#include "gameflow/GameFlow.h"
#include "platform/mfc/AfxResource.h"
#include "platform/win32/Clock.h"
#include "platform/win32/CrtRandom.h"
#include "platform/win32/Cursor.h"
#include "platform/win32/Modules.h"
#include "platform/window/Window.h"
#include "render/SceneObject.h"
#include "simulation/Ball.h"
#include "simulation/CallRecord.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
constexpr SPlacedBall TABLE_BALLS[] = {{0, 0.56f, 0.60f}, {1, 0.30f, 1.50f}, {2, 0.85f, 1.55f}};

/// The call message as the flow posts it, handled.
void PostCall(CMainFrame& frame, int nGameType, DWORD dwReturnMode)
{
    frame.PostFlowMessage(FLOW_MSG_CALL_SHOT, static_cast<WPARAM>(nGameType), static_cast<LPARAM>(dwReturnMode));
    Pump();
}

/// Where the balls and pockets lie on the screen once a call has begun.
SScreenPoints MeasureCallScreen()
{
    return MeasureScreen(TABLE_BALLS, modeAim, [](CMainFrame& frame) { PostCall(frame, GAME_8BALL, modeAim); });
}

/// One frame of a call: what the test does before it, the script's actions in it, and the call
/// and mode after it.
struct SCallStep
{
    const char* szName;
    std::function<void(CMainFrame&)> before; // after the step's input arrived; may be empty
    std::string strActions;                  // script lines without "frame n", separated by '|'
    int nBall, nPocket;                      // the current call after the frame
    DWORD dwMode;                            // the mode field after the frame
};

class CFrameCallShotTest : public CScriptedFrameTest
{
protected:
    void TearDown() override
    {
        ResetCallRecords();
        CScriptedFrameTest::TearDown();
    }

    /// Runs the steps on a frame whose script clicks and types them, one frame each.
    void RunSteps(const std::vector<SCallStep>& steps, const std::function<void(CMainFrame&)>& atEnd = nullptr)
    {
        std::vector<SFrameStep> frameSteps;
        for (const SCallStep& step : steps)
            frameSteps.push_back({step.szName, step.before, step.strActions,
                                  [step](CMainFrame&)
                                  {
                                      EXPECT_EQ(step.nBall, g_CallRecord.nBall);
                                      EXPECT_EQ(step.nPocket, g_CallRecord.nPocket);
                                      EXPECT_EQ(step.dwMode, GetModeField());
                                  }});
        RunFrameSteps(
            m_app.Folder().Path(), frameSteps, [](CMainFrame& frame) { LayTable(frame, TABLE_BALLS, true, modeAim); },
            atEnd);
    }
};

/// The first pocket the camera shows, away from the balls.
int VisiblePocket(const SScreenPoints& screen)
{
    for (int i = 0; i < 6; ++i)
    {
        const POINT pt = screen.pockets[static_cast<std::size_t>(i)];
        if (pt.x > 20 && pt.x < FRAME_WIDTH - 20 && pt.y > 20 && pt.y < FRAME_HEIGHT - 20)
            return i;
    }
    return -1;
}

/// The pocket nearest the middle of the view: it stays in sight when the call's wide view narrows
/// to the playing one.
int MiddlePocket(const SScreenPoints& screen)
{
    const auto offMiddle = [&](int i)
    {
        const POINT pt = screen.pockets[static_cast<std::size_t>(i)];
        return std::abs(pt.x - FRAME_WIDTH / 2) + std::abs(pt.y - FRAME_HEIGHT / 2);
    };
    int nBest = 0;
    for (int i = 1; i < 6; ++i)
        if (offMiddle(i) < offMiddle(nBest))
            nBest = i;
    return nBest;
}

TEST_F(CFrameCallShotTest, ClicksCallAndUncallBallAndPocketButNeverTheCueBall)
{
    const SScreenPoints screen = MeasureCallScreen();
    const int p = VisiblePocket(screen);
    ASSERT_GE(p, 0) << "the camera shows a pocket";
    const POINT cue = screen.balls[0], one = screen.balls[1], two = screen.balls[2];
    const POINT pocket = screen.pockets[static_cast<std::size_t>(p)];
    // Ball 1 has rolled: its number faces away until it is called.
    const auto turnedThenCall = [](CMainFrame& f)
    {
        CBall* pOne = f.GetGameFlow().Engine().FindBall(1);
        ASSERT_NE(nullptr, pOne);
        pOne->SetOrientation(CVector3(1.0f, 0.0f, 0.0f), CVector3(0.0f, 1.0f, 0.0f));
        f.GetGameFlow().PlaceBallObject(1);
        EXPECT_FALSE(IsShownUpright(f, 1));
        PostCall(f, GAME_8BALL, modeAim);
    };
    const auto calledUpright = [](CMainFrame& f) { EXPECT_TRUE(IsShownUpright(f, 1)) << "the called ball faces up"; };
    const auto cuePicked = [this](CMainFrame& f)
    {
        EXPECT_EQ(0, g_pCallShotState->GetPickedBall());
        CursorIs(32649)(f); // the cue ball shows no calling cursor
    };
    const std::vector<SCallStep> steps = {
        {"the call begins", turnedThenCall, "", -1, -1, modeCallShot},
        {"the cue ball is never called", nullptr, Click(cue), -1, -1, modeCallShot},
        {"it was under the cursor; a ball is called", cuePicked, Click(one), 1, -1, modeCallShot},
        {"the cursor stays over the called ball", calledUpright, "", 1, -1, modeCallShot},
        {"it shows it called; clicked again it is uncalled", CursorIs(263), Click(one), -1, -1, modeCallShot},
        {"the cursor stays over the ball", nullptr, "", -1, -1, modeCallShot},
        {"it shows it may be called; a pocket is called", CursorIs(262), Click(pocket), -1, p, modeCallShot},
        {"the called pocket clicked again is uncalled", nullptr, Click(pocket), -1, -1, modeCallShot},
        {"a pocket again", nullptr, Click(pocket), -1, p, modeCallShot},
        {"the ball completes the call", nullptr, Click(two), 2, p, modeCallShot},
        {"player 1's call ends at the next frame: the flight along the call", nullptr, "", 2, p, modeCameraFlight},
    };
    RunSteps(steps,
             [p](CMainFrame& f)
             {
                 EXPECT_EQ(2, g_SavedCallRecord.nBall);
                 EXPECT_EQ(p, g_SavedCallRecord.nPocket);
                 EXPECT_EQ(0, g_CallRecord.nFlag) << "a call is made";
                 const CShotInfo& shot = f.GetGameFlow().ShotRecord();
                 EXPECT_EQ(2, shot.GetCalledValue()) << "the shot record carries the call";
                 EXPECT_EQ(p, shot.m_nPocket);
                 EXPECT_EQ(modeAim, f.GetGameFlow().GetFlightEndMode()) << "the flight ends in the return mode";
             });
}

TEST_F(CFrameCallShotTest, AComputersCallStaysOnScreenThreeSeconds)
{
    const SScreenPoints screen = MeasureCallScreen();
    const int p = VisiblePocket(screen);
    ASSERT_GE(p, 0);
    const POINT one = screen.balls[1], pocket = screen.pockets[static_cast<std::size_t>(p)];
    const auto callForPlayer2 = [](CMainFrame& f)
    {
        g_Settings.m_nPlayerLevel2 = 5; // the settings make player 2 the computer
        f.GetGameFlow().SetCurrent(false);
        PostCall(f, GAME_8BALL, modeAim);
    };
    const auto wait = [this](DWORD dwMs) { return [this, dwMs](CMainFrame&) { m_clock.Advance(dwMs); }; };
    const std::vector<SCallStep> steps = {
        {"player 2's call begins", callForPlayer2, "", -1, -1, modeCallShot},
        {"a ball", nullptr, Click(one), 1, -1, modeCallShot},
        {"the pocket completes the call", nullptr, Click(pocket), 1, p, modeCallShot},
        {"at once: still shown", nullptr, "", 1, p, modeCallShot},
        {"3000 ms later: still shown", wait(3000), "", 1, p, modeCallShot},
        {"just over three seconds: the flight", wait(1), "", 1, p, modeCameraFlight},
    };
    RunSteps(steps);
}

TEST_F(CFrameCallShotTest, KeysLeaveTheCallIntoTheirModes)
{
    const SScreenPoints screen = MeasureCallScreen();
    const POINT one = screen.balls[1];
    const auto callFrom = [](DWORD dwReturn)
    { return [dwReturn](CMainFrame& f) { PostCall(f, GAME_8BALL, dwReturn); }; };
    const auto cursorShown = [](bool bShown)
    { return [bShown](CMainFrame&) { EXPECT_EQ(bShown, GetCursorShowCount() >= 0) << "the cursor shown"; }; };
    const auto cameraBackThenCall = [cursorShown](CMainFrame& f)
    {
        cursorShown(false)(f); // hidden again in the mode left to
        const SFlowCamera& camera = f.GetGameFlow().Camera();
        EXPECT_FLOAT_EQ(SCRIPTED_CAMERA_YAW, camera.fYaw);
        EXPECT_FLOAT_EQ(SCRIPTED_CAMERA_PITCH, camera.fPitch);
        EXPECT_FLOAT_EQ(SCRIPTED_CAMERA_DISTANCE, camera.fDistance);
        PostCall(f, GAME_8BALL, modeAim);
    };
    const auto callAfterCalledShot = [](CMainFrame& f)
    {
        g_SavedCallRecord = SCallRecord{2, 3, 0};
        PostCall(f, GAME_14_1, modeAim);
    };
    const std::vector<SCallStep> steps = {
        {"a call returning to the elevation", callFrom(modeElevation), "", -1, -1, modeCallShot},
        {"a ball", nullptr, Click(one), 1, -1, modeCallShot},
        {"Escape: the call reset, back to the return mode", cursorShown(true), "key press Escape", -1, -1,
         modeElevation},
        {"the camera back at the call's start, a call", cameraBackThenCall, "", -1, -1, modeCallShot},
        {"a ball", nullptr, Click(one), 1, -1, modeCallShot},
        {"E: the english", nullptr, "key press E", -1, -1, modeEnglish},
        {"a call", callFrom(modeEnglish), "", -1, -1, modeCallShot},
        {"A: aiming", nullptr, "key press A", -1, -1, modeAim},
        {"a call", callFrom(modeAim), "", -1, -1, modeCallShot},
        {"B: the elevation", nullptr, "key press B", -1, -1, modeElevation},
        {"a 14.1 call after a called shot", callAfterCalledShot, "", -1, -1, modeCallShot},
        {"Escape keeps the call of the last shot", nullptr, "key press Escape", 2, 3, modeAim},
    };
    RunSteps(steps);
}
} // namespace

namespace
{
TEST_F(CFrameCallShotTest, ASavedGameResumesTheCallBeingMadeOrTheCallMade)
{
    const SScreenPoints screen = MeasureCallScreen();
    const int p = VisiblePocket(screen);
    ASSERT_GE(p, 0);
    const POINT one = screen.balls[1], pocket = screen.pockets[static_cast<std::size_t>(p)];
    const std::filesystem::path folder = m_app.Folder().Path();
    const auto saveAndResume = [folder](const char* szName)
    {
        return [folder, szName](CMainFrame& f)
        {
            CString strReason;
            ASSERT_TRUE(f.SaveGameTo(CString((folder / szName).c_str()), strReason)) << strReason.GetString();
            // Another call in between, which the resumed game replaces.
            PostCall(f, GAME_8BALL, modeElevation);
            ASSERT_TRUE(f.RestoreGame(CString((folder / szName).c_str()), strReason)) << strReason.GetString();
        };
    };
    const auto flightEnds = [this](CMainFrame&) { m_clock.Advance(10000); };
    const std::vector<SCallStep> steps = {
        {"the call begins", [](CMainFrame& f) { PostCall(f, GAME_8BALL, modeAim); }, "", -1, -1, modeCallShot},
        {"a ball", nullptr, Click(one), 1, -1, modeCallShot},
        {"saved and resumed while calling: the ball stays called", saveAndResume("calling.sav"), "", 1, -1,
         modeCallShot},
        {"the pocket completes the resumed call", nullptr, Click(pocket), 1, p, modeCallShot},
        {"the flight along the call", nullptr, "", 1, p, modeCameraFlight},
        {"the flight's first frame", flightEnds, "", 1, p, modeCameraFlight},
        {"the flight ends: aiming", flightEnds, "", 1, p, modeAim},
        {"saved and resumed after the call: the call stays made", saveAndResume("called.sav"), "", 1, p, modeAim},
    };
    RunSteps(steps,
             [this, folder, p](CMainFrame& f)
             {
                 ASSERT_NE(nullptr, g_pCallShotState);
                 EXPECT_TRUE(g_pCallShotState->IsDone());
                 EXPECT_EQ(1, g_SavedCallRecord.nBall);
                 EXPECT_EQ(p, g_SavedCallRecord.nPocket);
                 EXPECT_EQ(0, g_CallRecord.nFlag);
                 CString strReason;
                 ASSERT_TRUE(f.SaveGameTo(CString((folder / "again.sav").c_str()), strReason));
                 EXPECT_TRUE(m_app.Folder().Read("called.sav") == m_app.Folder().Read("again.sav"))
                     << "the resumed game saves the same bytes";
             });
}

TEST_F(CFrameCallShotTest, TheArrowFloatsOverTheCalledPocketOnceTheCallIsMade)
{
    // The arrow's mesh and picture come from the game's own art, after the test scene's library.
    g_astrArtworkLibraries.Add((std::string(VORN_GAME_DIR) + "/Imagery.dll").c_str());
    const SScreenPoints screen = MeasureCallScreen();
    const int p = MiddlePocket(screen);
    ASSERT_GE(p, 0);
    const POINT two = screen.balls[2], pocket = screen.pockets[static_cast<std::size_t>(p)];
    const auto noArrow = [](CMainFrame& f)
    { EXPECT_TRUE(f.GetPocketArrow() == nullptr || !f.GetPocketArrow()->IsEnabled()) << "no arrow yet"; };
    const std::vector<SCallStep> steps = {
        {"the call begins", [](CMainFrame& f) { PostCall(f, GAME_8BALL, modeAim); }, "", -1, -1, modeCallShot},
        {"a pocket", noArrow, Click(pocket), -1, p, modeCallShot},
        {"the ball completes the call", noArrow, Click(two), 2, p, modeCallShot},
        {"the call ends: the flight along it", noArrow, "", 2, p, modeCameraFlight},
    };
    RunSteps(steps,
             [p](CMainFrame& f)
             {
                 CSceneObject* pArrow = f.GetPocketArrow();
                 ASSERT_NE(nullptr, pArrow);
                 EXPECT_TRUE(pArrow->IsEnabled());
                 EXPECT_EQ(pArrow, f.GetSceneAnimation().GetFloatingObject()) << "it bobs";
                 const CVector3 vPocket = TableToScene(f.GetGameFlow().Engine().GetCushionPoint(p));
                 CVector3 vArrow;
                 pArrow->GetPosition(nullptr, vArrow);
                 EXPECT_NEAR(vPocket.x, vArrow.x, 1e-3);
                 EXPECT_NEAR(vPocket.z, vArrow.z, 1e-3);
                 EXPECT_NEAR(SCENE_BED_HEIGHT + 1.0f, vArrow.y, 1e-3) << "the clock stands still: no bob yet";
                 // Shown: the frame differs from one without it, around the arrow's tip only.
                 std::vector<DWORD> aShown, aHidden;
                 int nWidth = 0, nHeight = 0;
                 CrtSrand(11); // the lamps flicker alike in both frames
                 ASSERT_TRUE(f.OnFrame());
                 ASSERT_TRUE(ReadWindowPixels(f.m_hWnd, aShown, &nWidth, &nHeight));
                 f.HidePocketArrow();
                 CrtSrand(11);
                 ASSERT_TRUE(f.OnFrame());
                 ASSERT_TRUE(ReadWindowPixels(f.m_hWnd, aHidden, &nWidth, &nHeight));
                 const POINT tip = ProjectPoint(vArrow);
                 int nNear = 0, nFar = 0;
                 for (int y = 0; y < nHeight; ++y)
                     for (int x = 0; x < nWidth; ++x)
                         if (aShown[static_cast<std::size_t>(y * nWidth + x)] !=
                             aHidden[static_cast<std::size_t>(y * nWidth + x)])
                             ++(std::abs(x - tip.x) < 60 && y < tip.y + 3 && y > tip.y - 120 ? nNear : nFar);
                 EXPECT_GT(nNear, 20);
                 EXPECT_EQ(0, nFar);
                 // The call gone, the arrow goes.
                 ASSERT_TRUE(f.OnFrame());
                 f.UpdatePocketArrow();
                 ResetCallRecords();
                 ASSERT_TRUE(f.OnFrame());
                 EXPECT_FALSE(pArrow->IsEnabled());
             });
}
} // namespace
