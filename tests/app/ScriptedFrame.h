// The real frame on the headless display, driven by the input script one frame at a time: a test
// lays a few balls on the table under a known camera, measures where they show on a first run,
// then plays steps whose clicks and keys the script sends, checking the frame after each.
#pragma once

#include "tests/app/AppFolder.h"
#include "tests/app/FrameScope.h"
#include "tests/platform/EnvScope.h"

#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "gameflow/BallObjects.h"
#include "gameflow/GameFlow.h"
#include "platform/mfc/AfxResource.h"
#include "platform/win32/Clock.h"
#include "platform/win32/Cursor.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Modules.h"
#include "render/Environment3D.h"
#include "render/TableSpace.h"
#include "simulation/Ball.h"
#include "simulation/BallEngine.h"
#include "ui/IntroSequence.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <span>
#include <string>
#include <vector>

/// A ball laid on the table (engine metres: x across, y along).
struct SPlacedBall
{
    int n;
    float x, y;
};

/// The camera the steps start from: behind the first ball laid, looking down the table.
inline constexpr float SCRIPTED_CAMERA_YAW = 180.0f;
inline constexpr float SCRIPTED_CAMERA_PITCH = 300.0f;
inline constexpr float SCRIPTED_CAMERA_DISTANCE = 170.0f;

/// The frame's game reduced to the balls given (the first is the cue ball; the others off the
/// table as pocketed before), two people to play,
/// player 1 or 2 to shoot, the camera behind the cue ball and the mode given, no flight running.
inline void LayTable(CMainFrame& frame, std::span<const SPlacedBall> balls, bool bPlayer1, DWORD dwMode)
{
    CGameFlow& flow = frame.GetGameFlow();
    CBallEngine& engine = flow.Engine();
    WORD wOnTable = 0;
    for (int n = 0; n < 16; ++n)
        engine.RemoveBall(n);
    for (const SPlacedBall& b : balls)
    {
        engine.AddBall(b.n);
        engine.SetBallPosition(b.n, b.x, b.y);
        wOnTable = static_cast<WORD>(wOnTable | (1u << b.n));
    }
    // The balls taken off count as pocketed before, as the referee and a saved game see them.
    for (int n = 0; n < 16; ++n)
        if ((wOnTable & (1u << n)) == 0 && flow.GetReferee() != nullptr)
            flow.GetReferee()->GetBallTable()->SetPocketedBefore(n, TRUE);
    flow.SetBallLists(wOnTable, static_cast<WORD>(~wOnTable));
    flow.Player1().SetLevel(0);
    flow.Player2().SetLevel(0);
    flow.SetCurrent(bPlayer1);
    g_nGameMode = dwMode;
    const CVector3 vCue = BallToScene(CVector3(balls[0].x, balls[0].y, 0.0f));
    CViewRecord view;
    view.Set(SCRIPTED_CAMERA_YAW, SCRIPTED_CAMERA_PITCH, SCRIPTED_CAMERA_DISTANCE, vCue.x, vCue.y, vCue.z, 0.0f, 0.0f,
             SCRIPTED_CAMERA_YAW, 5.0f, 0.0f);
    flow.ApplyViewRecord(view);
}

/// A scene point in the frame's client pixels, as the last frame drew it.
inline POINT ProjectPoint(const CVector3& v)
{
    CVector3 s;
    ProjectToScreen(&s, &v);
    return POINT{static_cast<LONG>(s.x), static_cast<LONG>(s.y)};
}

/// Where the balls laid (in their order) and the six pockets show on the screen.
struct SScreenPoints
{
    std::vector<POINT> balls;
    std::vector<POINT> pockets;
};

/// A first run of the frame with no script measures where the script must click: the table laid
/// in the mode given, then prepare, then one frame drawn.
inline SScreenPoints MeasureScreen(std::span<const SPlacedBall> balls, DWORD dwMode,
                                   const std::function<void(CMainFrame&)>& prepare = nullptr)
{
    CFrameScope frame(true, true);
    EXPECT_TRUE(frame.m_bCreated);
    LayTable(*frame.m_pFrame, balls, true, dwMode);
    if (prepare)
        prepare(*frame.m_pFrame);
    EXPECT_TRUE(frame.m_pFrame->OnFrame());
    CGameFlow& flow = frame.m_pFrame->GetGameFlow();
    SScreenPoints screen;
    for (const SPlacedBall& b : balls)
    {
        CVector3 v;
        EXPECT_TRUE(flow.GetBallScenePosition(b.n, v));
        screen.balls.push_back(ProjectPoint(v));
    }
    for (int i = 0; i < 6; ++i)
    {
        CVector3 v = TableToScene(flow.Engine().GetCushionPoint(i));
        v.y = SCENE_BED_HEIGHT;
        screen.pockets.push_back(ProjectPoint(v));
    }
    g_nGameMode = 0;
    return screen;
}

inline std::string At(POINT pt) { return std::to_string(pt.x) + " " + std::to_string(pt.y); }
/// The cursor brought to the point and the left button pressed and let go there.
inline std::string Click(POINT pt)
{
    return "mouse move " + At(pt) + "|mouse down left " + At(pt) + "|mouse up left " + At(pt);
}

/// The cursor the script moves: a move's counts are its distance from the point before. It keeps
/// away from the view's middle, where a move the capture put the cursor at carries no counts.
class CCursor
{
public:
    std::string MoveBy(int dx, int dy) { return Verb("mouse move", dx, dy); }
    std::string Verb(const std::string& strVerb, int dx, int dy)
    {
        m_x += dx;
        m_y += dy;
        return strVerb + " " + std::to_string(m_x) + " " + std::to_string(m_y);
    }

private:
    int m_x = 211;
    int m_y = 207;
};

/// One frame of a scripted test: what the test does once the step's input has arrived, the
/// script's actions of the step, and the check after the frame that read them.
struct SFrameStep
{
    const char* szName;
    std::function<void(CMainFrame&)> before; // may be empty
    std::string strActions;                  // script lines without "frame n", separated by '|'
    std::function<void(CMainFrame&)> check;  // may be empty
};

/// The log line the test writes once step i's check is done.
inline std::string StepChecked(std::size_t i) { return "Test: step " + std::to_string(i) + " checked"; }

/// The script: each step's actions once the first frame is shown and the step before it checked
/// (a frame shown again, as a repaint does, must not bring the next step's input before the check),
/// then a character the test waits for, so that the frame that follows reads the input.
inline std::string StepScript(std::span<const SFrameStep> steps)
{
    std::string strScript;
    for (std::size_t i = 0; i < steps.size(); ++i)
    {
        if (i > 0)
            strScript += "seen " + StepChecked(i - 1) + "\n";
        const std::string strWhen = i == 0 ? "frame 1 " : "after 0 ";
        for (std::string strActions = steps[i].strActions; !strActions.empty();)
        {
            const std::size_t nAt = strActions.find('|');
            strScript += strWhen + strActions.substr(0, nAt) + "\n";
            strActions = nAt == std::string::npos ? "" : strActions.substr(nAt + 1);
        }
        strScript += strWhen + "text " + static_cast<char>('a' + i % 26) + "\n";
    }
    return strScript;
}

inline void WaitForSentinel(std::size_t i)
{
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0))
    {
        if (msg.message == WM_CHAR && msg.wParam == static_cast<WPARAM>('a' + i % 26))
            return;
        DispatchMessage(&msg);
    }
}

/// Plays the steps on a new frame whose script (written into the folder) sends their input;
/// setUp runs once the game has started, atEnd before the frame goes.
inline void RunFrameSteps(const std::filesystem::path& folder, std::span<const SFrameStep> steps,
                          const std::function<void(CMainFrame&)>& setUp,
                          const std::function<void(CMainFrame&)>& atEnd = nullptr)
{
    const std::filesystem::path script = folder / "script.txt";
    std::ofstream(script) << StepScript(steps);
    const CEnvScope scriptScope("VORN_INPUT_SCRIPT", script.c_str());
    CFrameScope frame(true, true);
    ASSERT_TRUE(frame.m_bCreated);
    CMainFrame& mainFrame = *frame.m_pFrame;
    g_IntroSequence.Finish(); // the game goes on past the intro
    setUp(mainFrame);
    ASSERT_TRUE(mainFrame.OnFrame()); // the first frame: the script's first step follows it
    for (std::size_t i = 0; i < steps.size(); ++i)
    {
        SCOPED_TRACE(steps[i].szName);
        // The step's input has arrived; the script's next step waits for the next frame, so
        // nothing of it is pumped away here.
        WaitForSentinel(i);
        if (steps[i].before)
            steps[i].before(mainFrame);
        ASSERT_TRUE(mainFrame.OnFrame());
        if (steps[i].check)
            steps[i].check(mainFrame);
        OutputDebugString((StepChecked(i) + "\n").c_str());
    }
    if (atEnd)
        atEnd(mainFrame);
}

/// A test of the frame in an eight-ball game between two people, on a test clock.
class CScriptedFrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_app.AddArtworkLibrary();
        m_savedSettings = g_Settings;
        g_Settings.SetDefaults();
        g_Settings.m_nFullScreen = 0; // the steps' points are measured in the frame's own window
        g_Settings.m_nGameType = GAME_8BALL;
        g_Settings.m_nCompetitionType = 1;
        // The cursors come from the game's own program library, as after start-up.
        m_hResources = LoadLibrary((std::string(VORN_GAME_DIR) + "/VornRes.dll").c_str());
        AfxSetResourceHandle(m_hResources);
    }
    void TearDown() override
    {
        g_nGameMode = 0;
        g_Settings = m_savedSettings;
        AfxSetResourceHandle(nullptr);
        FreeLibrary(m_hResources);
    }

    /// A check that the cursor is the program library's cursor nId.
    std::function<void(CMainFrame&)> CursorIs(int nId) const
    {
        return [hResources = m_hResources, nId](CMainFrame&) {
            EXPECT_EQ(LoadCursor(hResources, MAKEINTRESOURCE(static_cast<WORD>(nId))), GetCursor()) << "cursor " << nId;
        };
    }

    CTestClockScope m_clock{1000};
    const CAppFolder m_app;
    HINSTANCE m_hResources = nullptr;
    CSettings m_savedSettings;
};

/// Ball n's object as the frame shows it: upright (turned back to the ball's reset orientation)
/// or not.
inline bool IsShownUpright(CMainFrame& frame, int n)
{
    CBall upright(n);
    upright.ResetOrientation();
    CBallObjects reference;
    reference.Place(n, upright);
    const D3DMATRIX& shown = frame.GetGameFlow().BallObjects().GetPose(n).matOrientation;
    const D3DMATRIX& wanted = reference.GetPose(n).matOrientation;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            if (std::abs(shown.m[r][c] - wanted.m[r][c]) > 1e-5f)
                return false;
    return true;
}
