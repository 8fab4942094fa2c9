// Aiming on the real frame, driven by the input script on the headless display: keys and mouse
// moves against the camera, the cue, the tip offsets, the pull-back, the preview time and the
// mode word, one frame at a time.
#include "tests/app/ScriptedFrame.h"

#include "app/MainFrame.h"
#include "gameflow/CuePlacement.h"
#include "gameflow/GameFlow.h"
#include "gameflow/GameMode.h"
#include "ui/GameWidgets.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
constexpr SPlacedBall AIM_BALLS[] = {{0, 0.56f, 0.60f}, {1, 0.30f, 1.50f}, {2, 0.85f, 1.55f}};

/// What the aiming input changes, read from the frame's game.
struct SAimState
{
    float fYaw, fPitch, fDistance, fAim, fPullBack, fTipX, fTipY;
    double dPreview;
    DWORD dwMode;
    bool bShotRunning;
};

SAimState ReadAim(CMainFrame& frame)
{
    CGameFlow& flow = frame.GetGameFlow();
    const SFlowCamera& c = flow.Camera();
    const SCueStroke& cue = flow.Cue();
    return SAimState{
        c.fYaw,    c.fPitch,  c.fDistance,           cue.fAim,       cue.fPullBack,
        cue.fTipX, cue.fTipY, flow.GetPreviewTime(), GetModeField(), HasGameFlag(gmShotRunning | gmStroking)};
}

/// One frame of aiming: its input, what the test sets before the frame reads it, and what the
/// frame then changed, from the state before.
struct SAimStep
{
    const char* szName;
    std::string strActions;
    std::function<void(CMainFrame&)> prepare; // may be empty
    std::function<void(const SAimState& before, const SAimState& after, CMainFrame&)> expect;
};

constexpr float EPS = 1e-3f;

/// Only the mode moved, to the one given.
auto ModeOnly(DWORD dwMode)
{
    return [dwMode](const SAimState& b, const SAimState& a, CMainFrame&)
    {
        EXPECT_EQ(dwMode, a.dwMode);
        EXPECT_NEAR(b.fYaw, a.fYaw, EPS);
        EXPECT_NEAR(b.fPullBack, a.fPullBack, EPS);
        EXPECT_FALSE(a.bShotRunning);
    };
}

/// The yaw (and the aim with it) turned by d degrees, the pitch kept.
auto Turned(float d)
{
    return [d](const SAimState& b, const SAimState& a, CMainFrame&)
    {
        EXPECT_NEAR(b.fYaw + d, a.fYaw, EPS);
        EXPECT_NEAR(a.fYaw, a.fAim, EPS) << "the cue follows the camera";
        EXPECT_NEAR(b.fPitch, a.fPitch, EPS);
        EXPECT_EQ(modeAim, a.dwMode);
    };
}

/// The cue ball's object faces the cue: its depth axis points from the ball to the cue's place.
void ExpectCueBallFacesTheCue(CMainFrame& frame)
{
    CGameFlow& flow = frame.GetGameFlow();
    CVector3 vBall;
    ASSERT_TRUE(flow.GetBallScenePosition(0, vBall));
    const CVector3 vCue = frame.GetCueScene()->GetCuePose().vPosition;
    const CVector3 vToCue = (vCue - vBall).GetNormalized();
    const D3DMATRIX& m = flow.BallObjects().GetPose(0).matOrientation;
    const CVector3 vFacing(m.m[2][0], m.m[2][1], m.m[2][2]);
    EXPECT_NEAR(1.0, VectorDot(vFacing, vToCue), 1e-3) << "the cue ball turned to the cue";
}

/// Where a point one table length ahead of the cue ball along the aim shows, against the cue
/// ball itself: how far off the column the view looks along, in pixels.
float AheadOfAimOffColumn(CMainFrame& frame)
{
    CGameFlow& flow = frame.GetGameFlow();
    CVector3 vBall;
    EXPECT_TRUE(flow.GetBallScenePosition(0, vBall));
    SFlowCamera along;
    along.fYaw = flow.Cue().fAim;
    along.vLookAt = vBall;
    along.Place();
    CVector3 vAhead = vBall + CVector3(along.vDirection.x, 0.0f, along.vDirection.z).GetNormalized() * 60.0f;
    return static_cast<float>(std::abs(ProjectPoint(vAhead).x - ProjectPoint(vBall).x));
}

using CFrameAimInputTest = CScriptedFrameTest;

TEST_F(CFrameAimInputTest, KeysAndMouseMovesWorkTheCameraTheCueAndTheModes)
{
    g_Settings.m_nBallPath1 = 1; // the aiming aid on: the preview time follows the mouse
    CCursor cursor;
    const auto stroke = [](CMainFrame& f) { return f.GetGameFlow().Cue(); };
    const std::vector<SAimStep> steps = {
        {"the cursor brought into the view", cursor.MoveBy(0, 0), nullptr, nullptr},
        // r(d) = 0.05 d + 0.0004 |d| d sideways, 0.03 d up and down, 0.3 d for the zoom.
        {"40 counts right turn the aim", cursor.MoveBy(40, 0), nullptr, Turned(2.64f)},
        {"40 counts left turn it back", cursor.MoveBy(-40, 0), nullptr, Turned(-2.64f)},
        {"20 counts down tilt the camera", cursor.MoveBy(0, 20), nullptr,
         [](const SAimState& b, const SAimState& a, CMainFrame&)
         {
             EXPECT_NEAR(b.fPitch + 0.6f, a.fPitch, EPS);
             EXPECT_NEAR(b.fYaw, a.fYaw, EPS);
         }},
        {"40 counts up stop at the highest pitch", cursor.MoveBy(0, -40),
         [](CMainFrame& f)
         {
             CViewRecord view = f.GetGameFlow().GetCurrentView();
             view.m_vCamera.y = 300.5f;
             f.GetGameFlow().ApplyViewRecord(view);
         },
         [](const SAimState&, const SAimState& a, CMainFrame&) { EXPECT_NEAR(300.0f, a.fPitch, EPS); }},
        {"Ctrl held", "key down Left Ctrl", nullptr, Turned(0.0f)},
        {"with Ctrl 100 counts are ten", cursor.MoveBy(100, 0), nullptr, Turned(0.54f)},
        {"Ctrl let go", "key up Left Ctrl", nullptr, Turned(0.0f)},
        // The arrows turn slowly for three ticks, then faster.
        {"Right pressed", "key down Right", nullptr, Turned(0.1f)},
        {"Right held, 2", "", nullptr, Turned(0.1f)},
        {"Right held, 3", "", nullptr, Turned(0.1f)},
        {"Right held, 4", "", nullptr, Turned(0.5f)},
        {"Right let go", "key up Right", nullptr,
         [](const SAimState& b, const SAimState& a, CMainFrame& f)
         {
             Turned(0.0f)(b, a, f);
             EXPECT_EQ(0, f.GetGameFlow().GetKeyRepeat()) << "the hold starts again";
         }},
        {"Left pressed turns the other way", "key press Left", nullptr,
         [](const SAimState& b, const SAimState& a, CMainFrame& f)
         {
             Turned(-0.1f)(b, a, f);
             ExpectCueBallFacesTheCue(f);
         }},
        {"while the game takes typed text the keys are not the game's", "key press Left",
         [](CMainFrame&) { g_nGameMode |= gmInputOff; },
         [](const SAimState& b, const SAimState& a, CMainFrame& f)
         {
             g_nGameMode &= ~gmInputOff;
             Turned(0.0f)(b, a, f);
         }},
        {"Up draws the cue back half a unit", "key press Up", nullptr,
         [stroke](const SAimState& b, const SAimState& a, CMainFrame& f)
         {
             const SCueStroke cue = stroke(f);
             EXPECT_NEAR(std::clamp(b.fPullBack + 0.5f, cue.fMin, cue.fMax / 2), a.fPullBack, EPS);
             EXPECT_GT(a.fPullBack, b.fPullBack);
         }},
        {"Down lets it forward again", "key press Down", nullptr,
         [](const SAimState& b, const SAimState& a, CMainFrame&)
         { EXPECT_NEAR(b.fPullBack - 0.5f, a.fPullBack, EPS); }},
        {"held on the right button, the mouse zooms", cursor.Verb("mouse down right", 0, 378), nullptr,
         [](const SAimState&, const SAimState&, CMainFrame&) { EXPECT_TRUE(HasGameFlag(modeZoom)); }},
        {"10 counts down: three units further", cursor.MoveBy(0, 10), nullptr,
         [](const SAimState& b, const SAimState& a, CMainFrame&)
         { EXPECT_NEAR(b.fDistance + 3.0f, a.fDistance, EPS); }},
        {"555 counts up: never nearer than twenty", cursor.MoveBy(0, -555), nullptr,
         [](const SAimState& b, const SAimState& a, CMainFrame&)
         {
             EXPECT_GE(a.fDistance, 20.0f - EPS);
             EXPECT_TRUE(std::abs(a.fDistance - 20.0f) < EPS || std::abs(a.fDistance - b.fDistance) < EPS)
                 << "held at twenty, or undone when the ball would be too large: " << a.fDistance;
         }},
        {"the right button let go ends the zoom", cursor.Verb("mouse up right", 0, 0), nullptr,
         [](const SAimState&, const SAimState& a, CMainFrame&)
         {
             EXPECT_FALSE(HasGameFlag(modeZoom));
             EXPECT_EQ(modeAim, a.dwMode);
         }},
        {"E: the english", "key press E", nullptr, ModeOnly(modeEnglish)},
        {"the mouse moves the tip against it", cursor.MoveBy(20, 10), nullptr,
         [](const SAimState& b, const SAimState& a, CMainFrame&)
         {
             EXPECT_NEAR(b.fTipX - 1.16f, a.fTipX, EPS);
             EXPECT_NEAR(b.fTipY + 0.54f, a.fTipY, EPS);
             EXPECT_EQ(modeEnglish, a.dwMode);
         }},
        {"F held: the mouse sets the preview time", "key down F|" + cursor.MoveBy(0, 10), nullptr,
         [](const SAimState& b, const SAimState& a, CMainFrame&)
         {
             EXPECT_NEAR(b.dPreview - 0.01, a.dPreview, 1e-5);
             EXPECT_NEAR(b.fTipX, a.fTipX, EPS) << "and not the tip";
         }},
        {"200 counts down: two tenths less", cursor.MoveBy(0, 200), nullptr,
         [](const SAimState& b, const SAimState& a, CMainFrame&) { EXPECT_NEAR(b.dPreview - 0.2, a.dPreview, 1e-5); }},
        {"F let go", "key up F", nullptr, ModeOnly(modeEnglish)},
        {"A: aiming", "key press A", nullptr, ModeOnly(modeAim)},
        {"Space pauses", "key press Space", nullptr, ModeOnly(modeWaiting)},
        {"the mouse does not aim in the pause", cursor.MoveBy(80, 0), nullptr, ModeOnly(modeWaiting)},
        {"Space again aims", "key press Space", nullptr, ModeOnly(modeAim)},
        // The camera turned off the aim: the view no longer looks along the cue.
        {"X held: the view looks along the cue from behind it", "key down X",
         [](CMainFrame& f)
         {
             CGameFlow& flow = f.GetGameFlow();
             flow.Camera().fYaw = NormalizeYaw(flow.Cue().fAim + 30.0f);
             flow.UpdateAimCamera(0);
         },
         [](const SAimState& b, const SAimState& a, CMainFrame& f)
         {
             EXPECT_LT(AheadOfAimOffColumn(f), 2.0f) << "straight ahead of the cue ball";
             EXPECT_NEAR(b.fYaw, a.fYaw, EPS) << "the game's camera stays where it was";
         }},
        {"X let go: the game's camera again", "key up X", nullptr,
         [](const SAimState&, const SAimState&, CMainFrame& f)
         { EXPECT_GT(AheadOfAimOffColumn(f), 20.0f) << "the camera looks thirty degrees off the aim"; }},
        {"Enter with the cue at rest does not strike", "key press Return",
         [](CMainFrame& f)
         {
             SCueStroke& cue = f.GetGameFlow().Cue();
             cue.fPullBack = cue.fMin;
             ASSERT_LT(cue.fPullBack / cue.fMax, 0.05f) << "the cue at rest";
         },
         ModeOnly(modeAim)},
        {"Enter with the cue drawn back strikes, the side bars put away", "key press Return",
         [](CMainFrame& f)
         {
             SCueStroke& cue = f.GetGameFlow().Cue();
             cue.fPullBack = 0.3f * cue.fMax;
             g_leftBar.Show();
             g_webPanel.Show();
         },
         [](const SAimState&, const SAimState& a, CMainFrame&)
         {
             EXPECT_TRUE(a.bShotRunning) << "the shot runs";
             EXPECT_FALSE(g_leftBar.IsVisible());
             EXPECT_FALSE(g_webPanel.IsVisible());
         }},
    };
    std::vector<SFrameStep> frameSteps;
    auto pBefore = std::make_shared<SAimState>();
    for (const SAimStep& step : steps)
        frameSteps.push_back({step.szName,
                              [step, pBefore](CMainFrame& f)
                              {
                                  if (step.prepare)
                                      step.prepare(f);
                                  *pBefore = ReadAim(f);
                              },
                              step.strActions,
                              [step, pBefore](CMainFrame& f)
                              {
                                  if (step.expect)
                                      step.expect(*pBefore, ReadAim(f), f);
                              }});
    RunFrameSteps(m_app.Folder().Path(), frameSteps,
                  [](CMainFrame& frame) { LayTable(frame, AIM_BALLS, true, modeAim); });
}
} // namespace
