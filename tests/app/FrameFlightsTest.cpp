// The camera's flights on the real frame, ticked on the test clock: the three ways "Camera Motion"
// follows a struck shot, each drawn as a frame of its own, and flights that last the settings'
// "AutoPlaceTime".
#include "tests/app/GameArtFrame.h"
#include "tests/app/ScriptedFrame.h"

#include "app/CommandRules.h"
#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "platform/window/Window.h"
#include "render/CameraFlight.h"
#include "render/TableSpace.h"
#include "simulation/BallEngine.h"
#include "ui/IntroSequence.h"

#include <array>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
/// The cue ball near the head, struck down the table past ball 1, which it clips.
constexpr SPlacedBall SHOT[] = {{0, 0.56f, 0.55f}, {1, 0.60f, 1.40f}};
/// Milliseconds of the test clock per frame, the frames of the shot followed (well over a second
/// of the balls rolling) and the one written as PNG.
constexpr DWORD FRAME_MS = 16;
constexpr std::size_t FOLLOWED_FRAMES = 90;
constexpr std::size_t PICTURED_FRAME = 40;

/// The flow's camera as one frame leaves it, and the cue ball where that frame's flight saw it.
struct SCameraStep
{
    SFlowCamera camera;
    CVector3 vCueBallBefore;
};

using CFrameFlightsTest = CGameArtFrameTest;

/// A struck shot on a new frame with the camera close behind the cue ball: the camera of every
/// frame while the balls roll. One of those frames is written as PNG under the name given.
std::vector<SCameraStep> FollowShot(int nCameraMotion, const std::string& strPng)
{
    g_Settings.m_nCameraMotion = nCameraMotion;
    CFrameScope frame(true, true);
    EXPECT_TRUE(frame.m_bCreated);
    g_IntroSequence.Finish();
    CMainFrame& mainFrame = *frame.m_pFrame;
    CGameFlow& flow = mainFrame.GetGameFlow();
    LayTable(mainFrame, SHOT, true, modeAim);
    flow.SelectCueBall(1);
    flow.Camera().fDistance = 40.0f;
    flow.UpdateAimCamera(0);
    flow.Cue().fAim = flow.Camera().fYaw;
    flow.Cue().fPullBack = flow.Cue().fMax / 2.0f; // a full swing
    EXPECT_TRUE(mainFrame.OnFrame());
    flow.StrikeCueBall();
    EXPECT_TRUE(HasGameFlag(gmShotRunning));
    std::vector<SCameraStep> steps;
    while (HasGameFlag(gmShotRunning) && steps.size() < FOLLOWED_FRAMES)
    {
        SCameraStep step;
        step.vCueBallBefore = flow.BallObjects().GetPose(0).vCentre;
        AdvanceTestClock(FRAME_MS);
        EXPECT_TRUE(mainFrame.OnFrame());
        step.camera = flow.Camera();
        if (!HasGameFlag(gmShotRunning))
            continue;
        steps.push_back(step);
        if (steps.size() == PICTURED_FRAME)
        {
            std::filesystem::create_directories(VORN_TEST_OUTPUT_DIR);
            EXPECT_TRUE(SaveWindowPng(frame.m_hWnd, (std::filesystem::path(VORN_TEST_OUTPUT_DIR) / strPng).string()));
        }
    }
    EXPECT_EQ(FOLLOWED_FRAMES, steps.size()) << "the balls still rolled";
    return steps;
}

float Distance(const CVector3& a, const CVector3& b) { return (a - b).Length(); }

TEST_F(CFrameFlightsTest, CameraMotionFollowsTheShotInThreeDifferentWays)
{
    std::array<std::vector<SCameraStep>, 3> runs;
    for (int n = 0; n < 3; ++n)
        runs[static_cast<std::size_t>(n)] = FollowShot(n, "FrameCameraMotion" + std::to_string(n) + ".png");
    for (const auto& run : runs)
        ASSERT_GT(run.size(), 20u);
    const SFlowCamera& start = runs[0].front().camera;

    // 0: the camera keeps its angles and backs away as the balls run out of its view.
    float fFarthest = 0.0f;
    for (const SCameraStep& step : runs[0])
    {
        EXPECT_NEAR(start.fYaw, step.camera.fYaw, 1e-3f);
        EXPECT_NEAR(start.fPitch, step.camera.fPitch, 1e-3f);
        fFarthest = std::max(fFarthest, step.camera.fDistance);
    }
    EXPECT_GT(fFarthest, start.fDistance + 20.0f) << "the camera backed up";

    // 1: the camera keeps its angles and distance and looks at the struck ball as it rolls.
    float fTravelled = 0.0f;
    for (const SCameraStep& step : runs[1])
    {
        SCOPED_TRACE(&step - runs[1].data());
        EXPECT_NEAR(start.fDistance, step.camera.fDistance, 1e-3f);
        EXPECT_NEAR(start.fYaw, step.camera.fYaw, 1e-3f);
        EXPECT_LT(Distance(step.vCueBallBefore, step.camera.vLookAt), 1e-3f);
        fTravelled = std::max(fTravelled, Distance(runs[1].front().camera.vLookAt, step.camera.vLookAt));
    }
    EXPECT_GT(fTravelled, 10.0f) << "the look followed the ball down the table";

    // 2: the camera stays where the strike left it.
    for (const SCameraStep& step : runs[2])
        EXPECT_LT(Distance(runs[2].front().camera.vPosition, step.camera.vPosition), 1e-3f);

    // Three different places the camera has come to.
    for (std::size_t a = 0; a < 3; ++a)
        for (std::size_t b = a + 1; b < 3; ++b)
        {
            SCOPED_TRACE(std::to_string(a) + " against " + std::to_string(b));
            EXPECT_GT(Distance(runs[a].back().camera.vPosition, runs[b].back().camera.vPosition), 10.0f);
        }
}

TEST_F(CFrameFlightsTest, AFlightLastsTheAutoPlaceTime)
{
    struct SCase
    {
        const char* szName;
        int nAutoPlaceTime; // seconds
        DWORD dwLeast, dwMost;
    };
    // Frames of 100 ms: the flight lands on the frame that reaches its time and reports its end
    // on the next.
    const SCase aCases[] = {
        {"one second", 1, 1000, 1200},
        {"three seconds", 3, 3000, 3200},
        {"none: lands at once", 0, 100, 200},
        {"below none: lands at once", -5, 100, 200},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_Settings.m_nAutoPlaceTime = c.nAutoPlaceTime;
        CFrameScope frame(true, true); // shown, so that its landing can be pictured
        ASSERT_TRUE(frame.m_bCreated);
        g_IntroSequence.Finish();
        CMainFrame& mainFrame = *frame.m_pFrame;
        CGameFlow& flow = mainFrame.GetGameFlow();
        LayTable(mainFrame, SHOT, true, modeAim);
        ASSERT_TRUE(mainFrame.OnFrame());
        // A person's turn with the ball in hand: the camera flies to the head of the table.
        flow.FlyToBallInHandView();
        flow.SetGameMode(modeCameraFlight);
        const float fStartPitch = flow.Camera().fPitch;
        DWORD dwFlown = 0;
        while (GetModeField() == modeCameraFlight && dwFlown < 10000)
        {
            AdvanceTestClock(100);
            dwFlown += 100;
            ASSERT_TRUE(mainFrame.OnFrame());
            if (GetModeField() == modeCameraFlight)
            {
                EXPECT_NE(SFlowCamera::DEFAULT_PITCH, flow.Camera().fPitch) << "still on its way at " << dwFlown;
            }
        }
        EXPECT_EQ(modeBallInHand, GetModeField());
        EXPECT_GE(dwFlown, c.dwLeast);
        EXPECT_LE(dwFlown, c.dwMost);
        EXPECT_NE(fStartPitch, flow.Camera().fPitch);
        EXPECT_FLOAT_EQ(SFlowCamera::DEFAULT_PITCH, flow.Camera().fPitch) << "landed on its target";
        std::filesystem::create_directories(VORN_TEST_OUTPUT_DIR);
        EXPECT_TRUE(SaveWindowPng(frame.m_hWnd, (std::filesystem::path(VORN_TEST_OUTPUT_DIR) /
                                                 ("FlightLanded" + std::to_string(c.nAutoPlaceTime) + "s.png"))
                                                    .string()));
        g_nGameMode = 0;
    }
}
TEST_F(CFrameFlightsTest, TheFlightToTheTopViewWidensTheViewTowardsTheWindowsShape)
{
    CFrameScope frame(true);
    ASSERT_TRUE(frame.m_bCreated);
    g_IntroSequence.Finish();
    CMainFrame& mainFrame = *frame.m_pFrame;
    LayTable(mainFrame, SHOT, true, modeAim);
    ASSERT_TRUE(mainFrame.OnFrame());
    RECT rc{};
    GetClientRect(frame.m_hWnd, &rc);
    const float fShape = 1.333f / (static_cast<float>(rc.right) / static_cast<float>(rc.bottom)) * 0.7f;
    EXPECT_NEAR(fShape, mainFrame.GetViewWidthFactor(), 1e-6f);
    const float fBefore = g_fViewWidthFactor;
    mainFrame.SendMessage(WM_COMMAND, ID_TOGGLE_OVERHEAD);
    ASSERT_EQ(modeCameraFlight, GetModeField());
    // Half the flight's two seconds: half the way.
    for (int i = 0; i < 10; ++i)
    {
        AdvanceTestClock(100);
        ASSERT_TRUE(mainFrame.OnFrame());
    }
    EXPECT_NEAR(fBefore + (fShape - fBefore) * 0.5f, g_fViewWidthFactor, 1e-4f);
    for (int i = 0; i < 20 && GetModeField() == modeCameraFlight; ++i)
    {
        AdvanceTestClock(100);
        ASSERT_TRUE(mainFrame.OnFrame());
    }
    EXPECT_NE(modeCameraFlight, GetModeField());
    EXPECT_FLOAT_EQ(fBefore, g_fViewWidthFactor) << "the width comes back when the flight lands";
    EXPECT_TRUE(HasGameFlag(gmKeepView));
    g_Settings.m_nOverHeadView = 0;
}
} // namespace
