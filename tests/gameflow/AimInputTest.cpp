#include "tests/gameflow/FlowTestSupport.h"

#include "foundation/Stopwatch.h"
#include "gameflow/CuePlacement.h"
#include "platform/win32/Clock.h"

#include <algorithm>
#include <cmath>

namespace
{
/// A cue that touches the table while its butt end is lower than a threshold height above the ball.
class CThresholdCue : public ICueScene
{
public:
    SCueAim GetCueAim() const override { return m_aim; }
    void SetCueAim(const SCueAim& aim) override { m_aim = aim; }
    SCuePose GetCuePose() const override { return m_pose; }
    void SetCuePose(const SCuePose& pose) override { m_pose = pose; }
    bool GetCueBallCentre(CVector3& v) const override
    {
        v = CVector3(0, 0, 0);
        return true;
    }
    float GetCueThickness() const override { return 0.0f; }
    float GetCueLength() const override { return 100.0f; }
    float GetPullBack() const override { return 0.0f; }
    bool SegmentTouchesTable(const CVector3&, const CVector3& vB) const override
    {
        return std::fabs(vB.y) < 100.0f * std::sin(m_fClearAboveDeg * 3.14159265f / 180.0f);
    }
    bool AnyOtherBall(const std::function<bool(const CVector3&, float)>&) const override { return false; }

    float m_fClearAboveDeg = 0.0f;
    SCueAim m_aim;
    SCuePose m_pose;
};

class CAimHost : public CRecordingHost
{
public:
    ICueScene* GetCueScene() override { return &m_Cue; }
    void Beep() override { ++m_nBeeps; }
    void PlayPowerStep(int nStep) override { m_PowerSteps.push_back(nStep); }
    void PlaceCamera(const SFlowCamera& camera) override { m_LastCamera = camera; }
    bool RouteMouseToWidgets() override
    {
        ++m_nWidgetRoutes;
        return m_bWidgetUnderCursor;
    }
    void SetModeHint(UINT nId) override { m_Hints.push_back(static_cast<int>(nId)); }
    void ShowPausePanel(bool bShow) override { m_PausePanels.push_back(bShow); }
    int PickBallUnderCursor() override { return m_nPicked; }
    bool CanAcceptCommand() override
    {
        ++m_nCommandAsks;
        return m_bAcceptCommands;
    }

    CThresholdCue m_Cue;
    int m_nWidgetRoutes = 0;
    bool m_bWidgetUnderCursor = false;
    int m_nBeeps = 0;
    std::vector<int> m_PowerSteps;
    SFlowCamera m_LastCamera;
    std::vector<int> m_Hints;
    std::vector<bool> m_PausePanels; // each time the pause panel was shown (true) or hidden
    int m_nPicked = -1;
    int m_nCommandAsks = 0;
    bool m_bAcceptCommands = true;
};

class CAimInputTest : public testing::Test
{
protected:
    void SetUp() override
    {
        g_nGameMode = g_nPrevGameMode = 0;
        CrtSrand(1);
        m_Flow.SetInput(&m_Input);
        m_Flow.CreateReferee(GAME_8BALL);
        m_Flow.StartNewRack(0);
        m_Flow.SetCurrent(true);
        m_Flow.Cue() = SCueStroke{2.0f, 2.0f, 40.0f};
        m_Flow.SetScreenScale(1500.0f);
        m_Flow.SetGameMode(modeAim);
        m_Flow.Cue().fPullBack = 2.0f;
        g_FrameStopwatch.Tick();
    }
    void TearDown() override
    {
        g_nGameMode = g_nPrevGameMode = 0;
        g_FrameStopwatch.Resume();
    }

    /// One tick of input; the clock and the frame stopwatch move on by a frame.
    void Tick()
    {
        AdvanceTestClock(16);
        g_FrameStopwatch.Tick();
        m_Flow.HandleMouse();
    }
    void Press(int nKey)
    {
        m_Input.m_Next.nPressedKey = nKey;
        Tick();
    }
    void Hold(int nKey, bool bDown) { m_Input.m_Next.keys.set(static_cast<size_t>(nKey), bDown); }

    CTestClockScope m_Clock{10000};
    CBallEngineMain m_Engine;
    CAimHost m_Host;
    CTestFlow m_Flow{m_Engine, nullptr, m_Host};
    CScriptInput m_Input;
};

TEST_F(CAimInputTest, YawWrapKeepsTheFraction)
{
    const struct
    {
        float fIn;
        float fOut;
    } aCases[] = {{361.5f, 1.5f},    {-30.5f, 329.5f}, {360.0f, 0.0f}, {-360.0f, 0.0f},
                  {-0.05f, 359.95f}, {720.25f, 0.25f}, {0.0f, 0.0f},   {359.9f, 359.9f}};
    for (const auto& c : aCases)
    {
        SCOPED_TRACE(c.fIn);
        EXPECT_NEAR(NormalizeYaw(c.fIn), c.fOut, 1e-3f);
    }
    // Through the keys: Left from 0.05 by the first step, Right from 359.8 by a held step.
    m_Flow.Camera().fYaw = 0.05f;
    Press(KEY_LEFT);
    EXPECT_NEAR(m_Flow.Camera().fYaw, 359.95f, 1e-3f);
    EXPECT_NEAR(m_Flow.Cue().fAim, 359.95f, 1e-3f) << "the cue's aim follows the yaw";
    m_Flow.Camera().fYaw = 359.8f;
    Hold(KEY_RIGHT, true);
    for (int i = 0; i < 3; ++i)
        Tick();
    m_Flow.Camera().fYaw = 359.8f;
    Tick();
    EXPECT_NEAR(m_Flow.Camera().fYaw, 0.3f, 1e-3f);
}

TEST_F(CAimInputTest, HoldingAnArrowTurnsFasterTheLongerItIsHeld)
{
    Hold(KEY_RIGHT, true);
    for (int c = 0; c < 46; ++c)
    {
        SCOPED_TRACE(c);
        const float fBefore = m_Flow.Camera().fYaw;
        Tick();
        const float fExpected = c <= 2 ? 0.1f : c <= 20 ? 0.5f : c < 40 ? 1.5f : c == 40 ? 0.5f : 5.5f;
        EXPECT_NEAR(NormalizeYaw(m_Flow.Camera().fYaw - fBefore + 360.0f), fExpected, 1e-3f);
    }
    Hold(KEY_RIGHT, false);
    Tick();
    EXPECT_EQ(m_Flow.GetKeyRepeat(), 0) << "releasing the key starts the hold again";
}

TEST_F(CAimInputTest, PullBackKeysPowerAndEnter)
{
    const struct
    {
        const char* szName;
        float fStart;
        int nKey;
        int nTicks;
        float fExpected;
        int nLastSound;
    } aCases[] = {
        {"up draws back half a unit a tick", 2.0f, KEY_UP, 4, 4.0f, 1},
        {"up stops at half the range", 19.0f, KEY_UP, 5, 20.0f, 5},
        {"down stops at the minimum", 3.0f, KEY_DOWN, 5, 2.0f, 0},
    };
    for (const auto& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        m_Flow.Cue().fPullBack = c.fStart;
        m_Host.m_PowerSteps.clear();
        Hold(c.nKey, true);
        for (int i = 0; i < c.nTicks; ++i)
            Tick();
        Hold(c.nKey, false);
        EXPECT_FLOAT_EQ(m_Flow.Cue().fPullBack, c.fExpected);
        ASSERT_EQ(m_Host.m_PowerSteps.size(), static_cast<size_t>(c.nTicks));
        EXPECT_EQ(m_Host.m_PowerSteps.back(), c.nLastSound);
        EXPECT_FLOAT_EQ(m_Flow.GetPowerValue(), c.fExpected / 40.0f > 0.05f ? c.fExpected / 20.0f : 0.0f);
    }
    // Enter strikes only with the cue drawn back at least 5 % of its range.
    m_Flow.Cue().fPullBack = 1.99f;
    Press(KEY_ENTER);
    EXPECT_EQ(m_Flow.GetShotCount(), 0);
    m_Flow.Cue().fPullBack = 2.0f;
    Press(KEY_ENTER);
    EXPECT_EQ(m_Flow.GetShotCount(), 1);
    EXPECT_TRUE(HasGameFlag(gmShotRunning));
    EXPECT_FLOAT_EQ(m_Flow.GetLastStroke().fSpeed, 7.0f * 2.0f / 20.0f);
}

TEST_F(CAimInputTest, KeysAndButtonsMoveBetweenTheModes)
{
    enum EEvent
    {
        LEFT_RELEASE = 1000,
        RIGHT_DOWN,
        RIGHT_UP,
    };
    const struct
    {
        const char* szName;
        DWORD dwMode;
        DWORD dwPrev;
        int nEvent;
        DWORD dwExpected;
        DWORD dwExpectedPrev;
    } aCases[] = {
        {"aim E english", modeAim, modeCameraFlight, KEY_E, modeEnglish, modeAim},
        {"aim B elevation", modeAim, modeCameraFlight, KEY_B, modeElevation, modeAim},
        {"aim A previous", modeAim, modeEnglish, KEY_A, modeEnglish, modeAim},
        {"aim M free placement", modeAim, modeEnglish, KEY_M, modePlaceCueBall, modeAim},
        {"aim click mouse stroke", modeAim, modeEnglish, LEFT_RELEASE, modeMouseStroke, modeAim},
        {"aim right button zooms", modeAim, modeEnglish, RIGHT_DOWN, modeAim | modeZoom, modeEnglish},
        {"zoom ends with the button", modeAim | modeZoom, modeEnglish, RIGHT_UP, modeAim, modeEnglish},
        {"aim space pauses", modeAim, modeEnglish, KEY_SPACE, modeWaiting, modeAim},
        {"elevation E english", modeElevation, modeAim, KEY_E, modeEnglish, modeElevation},
        {"elevation A aim", modeElevation, modeEnglish, KEY_A, modeAim, modeElevation},
        {"elevation B previous", modeElevation, modeEnglish, KEY_B, modeEnglish, modeElevation},
        {"elevation click swaps aim and stroke", modeElevation, modeAim, LEFT_RELEASE, modeAim, modeMouseStroke},
        {"elevation click from the stroke", modeElevation, modeMouseStroke, LEFT_RELEASE, modeMouseStroke, modeAim},
        {"english E previous", modeEnglish, modeElevation, KEY_E, modeElevation, modeEnglish},
        {"english A aim", modeEnglish, modeElevation, KEY_A, modeAim, modeEnglish},
        {"english B elevation", modeEnglish, modeAim, KEY_B, modeElevation, modeEnglish},
        {"english click mouse stroke", modeEnglish, modeAim, LEFT_RELEASE, modeMouseStroke, modeEnglish},
        {"no mode click back to ball in hand", modeNone, modeBallInHand, LEFT_RELEASE, modeBallInHand, modeAim},
        {"no mode click aims", modeNone, modeEnglish, LEFT_RELEASE, modeAim, modeAim},
        {"no mode E english", modeNone, modeEnglish, KEY_E, modeEnglish, modeAim},
        {"stroke Esc aims", modeMouseStroke, modeAim, KEY_ESC, modeAim, modeMouseStroke},
        {"pause space resumes", modeWaiting, modeElevation, KEY_SPACE, modeElevation, modeAim},
    };
    for (const auto& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_nGameMode = c.dwMode;
        g_nPrevGameMode = c.dwPrev;
        // The pause toggle knows whether it is paused from the panel.
        if ((m_Flow.IsPaused()) != (c.dwMode == modeWaiting))
            m_Flow.TogglePause();
        g_nGameMode = c.dwMode;
        g_nPrevGameMode = c.dwPrev;
        m_Input.m_Next = SFlowInput{};
        if (c.nEvent == LEFT_RELEASE)
            m_Input.m_Next.bLeftReleased = true;
        else if (c.nEvent == RIGHT_DOWN)
            m_Input.m_Next.bRightDown = true;
        else if (c.nEvent != RIGHT_UP)
            m_Input.m_Next.nPressedKey = c.nEvent;
        Tick();
        EXPECT_EQ(g_nGameMode & MODE_FIELD, c.dwExpected);
        EXPECT_EQ(g_nPrevGameMode & MODE_FIELD, c.dwExpectedPrev);
        m_Input.m_Next = SFlowInput{};
    }
}

TEST_F(CAimInputTest, MLeavesTheAimForFreePlacementOnlyWhenThePlayerMayCommand)
{
    for (const bool bAccept : {true, false})
    {
        SCOPED_TRACE(bAccept ? "accepted" : "refused");
        g_nGameMode = modeAim;
        g_nPrevGameMode = modeEnglish;
        m_Host.m_bAcceptCommands = bAccept;
        m_Host.m_nCommandAsks = 0;
        m_Input.m_Next = SFlowInput{};
        m_Input.m_Next.nPressedKey = KEY_M;
        Tick();
        EXPECT_EQ(1, m_Host.m_nCommandAsks);
        EXPECT_EQ(bAccept ? modePlaceCueBall : modeAim, g_nGameMode & MODE_FIELD);
        m_Input.m_Next = SFlowInput{};
    }
}

TEST_F(CAimInputTest, ElevationStaysInRangeAndABlockedCueIsLiftedWithABeep)
{
    const struct
    {
        const char* szName;
        float fStart;
        int nMouseY;
        float fClearAbove;
        float fExpected;
        int nBeeps;
    } aCases[] = {
        {"mouse away from the player raises", 5.0f, -32, 0.0f, 7.0f, 0},
        {"never below the table", 5.0f, 160, 0.0f, 0.0f, 0},
        {"never above sixty degrees", 5.0f, -16 * 100, 0.0f, 60.0f, 0},
        {"a blocked cue is lifted clear", 5.0f, -16, 20.0f, 20.0f, 1},
    };
    for (const auto& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_nGameMode = modeElevation;
        m_Host.m_nBeeps = 0;
        m_Host.m_Cue.m_fClearAboveDeg = c.fClearAbove;
        m_Flow.Cue().fRequestedElevation = m_Flow.Cue().fElevation = c.fStart;
        m_Input.m_Next.nMouseY = c.nMouseY;
        Tick();
        EXPECT_NEAR(m_Flow.Cue().fElevation, c.fExpected, 0.01f);
        EXPECT_EQ(m_Flow.Cue().fRequestedElevation, m_Flow.Cue().fElevation);
        EXPECT_EQ(m_Host.m_nBeeps, c.nBeeps);
    }
}

TEST_F(CAimInputTest, ClearElevationIsFoundByHalvingToTheBlockedEdge)
{
    m_Flow.Cue().fRequestedElevation = 5.0f;
    float e = -1.0f;
    m_Host.m_Cue.m_fClearAboveDeg = 0.0f;
    EXPECT_EQ(m_Flow.FindClearElevation(&e), 1);
    EXPECT_EQ(e, 0.0f) << "a clear cue needs no lift";
    for (const float fEdge : {6.0f, 17.3f, 33.3f, 59.0f})
    {
        SCOPED_TRACE(fEdge);
        m_Host.m_Cue.m_fClearAboveDeg = fEdge;
        EXPECT_EQ(m_Flow.FindClearElevation(&e), 1);
        EXPECT_NEAR(e, fEdge, 0.01f);
    }
}

TEST_F(CAimInputTest, ZoomStopsAtTwentyAndUndoesAScaleOutOfRange)
{
    const struct
    {
        const char* szName;
        float fScale;
        float fStart;
        int nMouseY;
        float fExpected;
    } aCases[] = {
        {"moving the mouse back zooms out", 1500.0f, 100.0f, 10, 103.0f},
        {"a big step in stops at twenty", 1500.0f, 30.0f, -200, 20.0f},
        {"the ball would grow past 200 pixels", 5000.0f, 30.0f, -20, 30.0f},
        {"the ball would shrink below a pixel", 100.0f, 95.0f, 30, 95.0f},
    };
    for (const auto& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        m_Flow.SetScreenScale(c.fScale);
        m_Flow.Camera().fDistance = c.fStart;
        g_nGameMode = modeAim | modeZoom;
        m_Input.m_Next.bRightDown = true;
        m_Input.m_Next.nMouseY = c.nMouseY;
        Tick();
        EXPECT_NEAR(m_Flow.Camera().fDistance, c.fExpected, 1e-3f);
        EXPECT_NEAR((m_Host.m_LastCamera.vPosition - m_Host.m_LastCamera.vLookAt).Length(), c.fExpected, 1e-2f);
    }
    m_Input.m_Next.bRightDown = false;
}

TEST_F(CAimInputTest, TheMouseStrokeDrawsBackPushesAndStrikesOnRelease)
{
    g_nGameMode = modeMouseStroke;
    m_Flow.Cue().fPullBack = 2.0f;
    const int aMoves[] = {40, 40, 40, -20, 30};
    const float aPull[] = {6.0f, 10.0f, 14.0f, 12.0f, 15.0f};
    for (size_t i = 0; i < std::size(aMoves); ++i)
    {
        SCOPED_TRACE(i);
        m_Input.m_Next.nMouseY = aMoves[i];
        Tick();
        EXPECT_NEAR(m_Flow.Cue().fPullBack, aPull[i], 1e-3f);
    }
    m_Input.m_Next.bLeftReleased = true;
    Tick();
    EXPECT_EQ(m_Flow.GetShotCount(), 1);
    EXPECT_FLOAT_EQ(m_Flow.GetLastStroke().fSpeed, 7.0f * 15.0f / 20.0f);
}

TEST_F(CAimInputTest, TheStrokeClearsTheTextsOnceAfterTheStartAndAfterEachShot)
{
    g_nGameMode = modeMouseStroke;
    const struct
    {
        const char* szName;
        bool bShotBefore;
        std::size_t nClears;
    } aSteps[] = {
        {"the first stroke after the start clears", false, 1},
        {"the next one leaves the texts", false, 1},
        {"the first after a judged shot clears again", true, 3},
        {"and only once", false, 3},
    };
    for (const auto& step : aSteps)
    {
        SCOPED_TRACE(step.szName);
        if (step.bShotBefore)
        {
            m_Flow.EvaluateShot(); // clears the texts itself
            g_nGameMode = modeMouseStroke;
            ClearGameFlag(gmShotRunning);
        }
        m_Input.m_Next.nMouseY = 1;
        Tick();
        EXPECT_EQ(static_cast<std::size_t>(std::count(m_Host.m_Texts.begin(), m_Host.m_Texts.end(), "clear")),
                  step.nClears);
    }
}

TEST_F(CAimInputTest, EachModeWithHelpGivesItsHintAndTheOthersLeaveIt)
{
    struct SCase
    {
        DWORD dwMode;
        std::vector<int> hintsAfter; // every hint given since the start of the test
    };
    const SCase aCases[] = {
        {modeElevation, {21583}},
        {modeElevation, {21583, 21583}}, // the same mode again refreshes it
        {modeEnglish, {21583, 21583, 21580}},
        {modeCallShot, {21583, 21583, 21580}},
        {modeMouseStroke, {21583, 21583, 21580, 21582}},
        {modeStrikeNow, {21583, 21583, 21580, 21582, 0}},
        {modeBallInHand, {21583, 21583, 21580, 21582, 0, 21581}},
        {modePlaceCueBall, {21583, 21583, 21580, 21582, 0, 21581, 21571}},
        {modeWaiting, {21583, 21583, 21580, 21582, 0, 21581, 21571}},
        {modeAim, {21583, 21583, 21580, 21582, 0, 21581, 21571, 21579}},
    };
    m_Host.m_Hints.clear();
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.dwMode);
        m_Flow.SetGameMode(c.dwMode);
        EXPECT_EQ(m_Host.m_Hints, c.hintsAfter);
    }
}

TEST_F(CAimInputTest, InTheTopViewOfAmericanAPersonClicksTheBallToStrike)
{
    struct SCase
    {
        const char* szName;
        int nGameType;
        int nOverhead;
        int nLevel;
        bool bJudged;
        int nPicked;
        bool bClick;
        int nCueBallAfter;
        DWORD dwModeAfter; // a click that chose a ball ends the tick before the aiming handler
    };
    const SCase aCases[] = {
        {"a click on a ball chooses it", GAME_AMERICAN, 1, 0, true, 5, true, 5, modeAim},
        {"the bonus game too", GAME_BONUS, 1, 0, true, 7, true, 7, modeAim},
        {"hovering chooses nothing", GAME_AMERICAN, 1, 0, true, 5, false, 0, modeAim},
        {"a click beside the balls aims", GAME_AMERICAN, 1, 0, true, -1, true, 0, modeMouseStroke},
        {"not in eight-ball", GAME_8BALL, 1, 0, true, 5, true, 0, modeMouseStroke},
        {"not in the 3-D view", GAME_AMERICAN, 0, 0, true, 5, true, 0, modeMouseStroke},
        {"not before the referee allows it", GAME_AMERICAN, 1, 0, false, 5, true, 0, modeMouseStroke},
        {"not a ball that is off the table", GAME_AMERICAN, 1, 0, true, 16, true, 0, modeMouseStroke},
        {"not for the computer", GAME_AMERICAN, 1, 4, true, 5, true, 0, modeMouseStroke},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        m_Flow.CreateReferee(c.nGameType);
        m_Flow.StartNewRack(0);
        m_Flow.SetCurrent(true);
        m_Flow.Settings().nOverheadView = c.nOverhead;
        g_nGameMode = modeAim;
        m_Flow.Player1().SetLevel(c.nLevel);
        m_Flow.GetReferee()->ClearFlags(0xffff);
        if (c.bJudged)
            m_Flow.GetReferee()->SetFlags(REF_JUDGEMENT);
        m_Host.m_nPicked = c.nPicked;
        m_Input.m_Next.bLeftReleased = c.bClick;
        Tick();
        EXPECT_EQ(m_Flow.GetReferee()->GetCueBall(), c.nCueBallAfter);
        EXPECT_EQ(GetModeField(), c.dwModeAfter);
    }
    m_Flow.Player1().SetLevel(0);
}

TEST_F(CAimInputTest, EnglishMovesTheTipWithinItsRange)
{
    g_nGameMode = modeEnglish;
    const struct
    {
        int nX;
        int nY;
        float fTipX;
        float fTipY;
    } aMoves[] = {{10, 0, -0.54f, 0.0f}, {0, 10, -0.54f, 0.54f}, {-1000, -1000, 50.0f, -50.0f}};
    for (const auto& m : aMoves)
    {
        m_Input.m_Next.nMouseX = m.nX;
        m_Input.m_Next.nMouseY = m.nY;
        Tick();
        EXPECT_NEAR(m_Flow.Cue().fTipX, m.fTipX, 1e-3f);
        EXPECT_NEAR(m_Flow.Cue().fTipY, m.fTipY, 1e-3f);
    }
}

TEST_F(CAimInputTest, TheAimCameraStandsBehindAndAboveTheCueBall)
{
    CVector3 vBall;
    ASSERT_TRUE(m_Flow.GetBallScenePosition(0, vBall));
    for (const float fYaw : {0.0f, 90.0f, 180.0f, 270.0f})
    {
        SCOPED_TRACE(fYaw);
        m_Flow.Camera().fYaw = fYaw;
        m_Flow.Camera().fDistance = 50.0f;
        m_Flow.UpdateAimCamera(0);
        const SFlowCamera& cam = m_Host.m_LastCamera;
        EXPECT_NEAR((cam.vLookAt - vBall).Length(), 0.0f, 1e-4f);
        EXPECT_NEAR((cam.vPosition - vBall).Length(), 50.0f, 1e-3f);
        EXPECT_GT(cam.vPosition.y, vBall.y) << "the default pitch looks down";
        // The camera looks along the stroke: its direction on the table is the cue's.
        const CVector3 toBall = (vBall - cam.vPosition).GetNormalized();
        EXPECT_NEAR((toBall - cam.vDirection).Length(), 0.0f, 1e-4f);
    }
    EXPECT_NEAR(m_Flow.GetBallScreenScale(0), 1500.0f / 50.0f, 1e-2f);
    m_Engine.RemoveBall(15);
    m_Flow.SetBallLists(static_cast<WORD>(m_Flow.GetOnTableMask() & ~0x8000), 0x8000);
    EXPECT_EQ(m_Flow.GetBallScreenScale(15), 0.0f) << "a ball off the table has no size";
}

TEST_F(CAimInputTest, SpaceDuringTheComputersStrokeAbandonsItAndPauses)
{
    m_Flow.Current().SetLevel(5);
    g_nGameMode = modeCameraFlight | gmRobotStroke | gmStroking;
    for (int i = 0; i < 70; ++i)
        Tick();
    const float fPull = m_Flow.Cue().fPullBack;
    Press(KEY_SPACE);
    EXPECT_EQ(GetModeField(), static_cast<DWORD>(modeWaiting));
    EXPECT_TRUE(m_Flow.IsPaused());
    for (int i = 0; i < 10; ++i)
        Tick();
    EXPECT_EQ(m_Flow.Cue().fPullBack, fPull) << "the paused stroke does not move";
    EXPECT_EQ(m_Flow.GetShotCount(), 0);
}
} // namespace

namespace
{
// The panel handler hands the mouse to the widgets each tick a key does not take; over a widget the
// tick's mouse is theirs, and Shift and Ctrl turn the camera only elsewhere. Aiming asks no widget.
TEST_F(CAimInputTest, WaitingHandsTheMouseToTheWidgetsAndSkipsTheTurnOverThem)
{
    const struct
    {
        const char* szName;
        DWORD dwMode;
        int nKey;
        bool bOverWidget;
        int nRoutes;
        bool bTurns;
    } aCases[] = {
        {"waiting, over a widget", modeWaiting, 0, true, 1, false},
        {"waiting, over none", modeWaiting, 0, false, 1, true},
        {"waiting, a key the handler takes", modeWaiting, KEY_ENTER, true, 0, false},
        {"aiming", modeAim, 0, true, 0, true},
    };
    for (const auto& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_nGameMode = c.dwMode;
        m_Host.m_nWidgetRoutes = 0;
        m_Host.m_bWidgetUnderCursor = c.bOverWidget;
        m_Flow.Camera().fYaw = 100.0f;
        m_Input.m_Next = SFlowInput{};
        Hold(KEY_LSHIFT, true);
        Hold(KEY_LCTRL, true);
        m_Input.m_Next.nMouseX = 50;
        m_Input.m_Next.nPressedKey = c.nKey;
        Tick();
        EXPECT_EQ(c.nRoutes, m_Host.m_nWidgetRoutes);
        EXPECT_EQ(c.bTurns, std::fabs(m_Flow.Camera().fYaw - 100.0f) > 0.5f) << m_Flow.Camera().fYaw;
        m_Input.m_Next = SFlowInput{};
    }
}

TEST_F(CAimInputTest, TheOverheadViewsArrowsTurnTheCueAndSetThePower)
{
    m_Flow.Settings().nOverheadView = 1;
    g_nGameMode = modeWaiting;
    m_Flow.Cue().fAim = 359.95f;
    const float fYaw = m_Flow.Camera().fYaw;
    Hold(KEY_RIGHT, true);
    Tick();
    Hold(KEY_RIGHT, false);
    EXPECT_NEAR(m_Flow.Cue().fAim, 0.05f, 1e-3f);
    EXPECT_EQ(m_Flow.Camera().fYaw, fYaw) << "the overhead camera stays";
    // Up held: the power rises each tick, its sound every third tick of the hold.
    Tick();
    m_Host.m_PowerSteps.clear();
    Hold(KEY_UP, true);
    for (int i = 0; i < 7; ++i)
        Tick();
    Hold(KEY_UP, false);
    EXPECT_FLOAT_EQ(m_Flow.Cue().fPullBack, 2.0f + 7 * 0.5f);
    EXPECT_EQ(m_Host.m_PowerSteps.size(), 3u);
    // Enter strikes from the overhead view and the pause stays as it was.
    Press(KEY_ENTER);
    EXPECT_EQ(m_Flow.GetShotCount(), 1);
}

// In the overhead view a person aims from its panel: entering the aim opens it and the game waits
// on it, with the clock running; a shot struck from it rolls behind it, and its end opens the panel
// again. The computer's turn goes on into its flight without it.
TEST_F(CAimInputTest, TheOverheadViewsPanelOpensForAPersonAndTheShotRollsBehindIt)
{
    m_Flow.Settings().nOverheadView = 1;
    g_nGameMode = modeElevation;
    m_Flow.SetGameMode(modeAim);
    EXPECT_EQ(static_cast<DWORD>(modeWaiting), GetModeField());
    EXPECT_EQ(static_cast<DWORD>(modeAim), g_nPrevGameMode & MODE_FIELD);
    EXPECT_TRUE(m_Flow.IsPaused());
    EXPECT_EQ(std::vector<bool>{true}, m_Host.m_PausePanels);
    Tick();
    EXPECT_GT(g_FrameStopwatch.GetElapsed(), 0u) << "the panel does not stop the clock";
    // Space on the person's panel does nothing; Enter strikes and the shot rolls behind the panel.
    Press(KEY_SPACE);
    EXPECT_EQ(static_cast<DWORD>(modeWaiting), GetModeField());
    m_Flow.Cue().fPullBack = 10.0f;
    Press(KEY_ENTER);
    ASSERT_EQ(m_Flow.GetShotCount(), 1);
    EXPECT_TRUE(HasGameFlag(gmShotRunning));
    EXPECT_EQ(static_cast<DWORD>(modeWaiting), GetModeField());
    for (int i = 0; i < 5; ++i)
        Tick();
    EXPECT_GT(g_FrameStopwatch.GetElapsed(), 0u) << "the shot's clock runs";

    // The computer's aim turns into its flight; no panel opens for it.
    m_Host.m_PausePanels.clear();
    ClearGameFlag(gmShotRunning | gmRobotStroke);
    m_Flow.Current().SetLevel(5);
    g_nGameMode = (g_nGameMode & ~MODE_FIELD) | modeElevation;
    m_Flow.SetGameMode(modeAim);
    EXPECT_EQ(static_cast<DWORD>(modeCameraFlight), GetModeField());
    EXPECT_TRUE(m_Host.m_PausePanels.empty());
    m_Flow.Current().SetLevel(0);
}

TEST_F(CAimInputTest, ThePreviewTimeFollowsTheMouseWithinItsRange)
{
    const struct
    {
        const char* szName;
        int nAid;
        int nMouseY;
        double dExpected;
    } aCases[] = {
        {"aid off: unchanged", 0, -100, 6.0},
        {"away from the player lengthens it", 1, -100, 6.1},
        {"never above ten seconds", 1, -100000, 10.0},
        {"never below a tenth", 1, 100000, 0.1},
    };
    for (const auto& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_nGameMode = modeAim;
        m_Flow.Settings().nAimingAid = c.nAid;
        Hold(KEY_F, true);
        m_Input.m_Next.nMouseY = c.nMouseY;
        Tick();
        Hold(KEY_F, false);
        EXPECT_NEAR(m_Flow.GetPreviewTime(), c.dExpected, 1e-4);
    }
}
} // namespace

namespace
{
TEST_F(CAimInputTest, TheMouseTurnsTheAimAndTiltsTheCamera)
{
    const struct
    {
        const char* szName;
        int nX;
        int nY;
        bool bCtrl;
        bool bKeepView;
        float fYaw;   // change, degrees
        float fPitch; // change, degrees
    } aCases[] = {
        {"sideways turns by the curve", 10, 0, false, false, 10 * 0.05f + 100 * 0.0004f, 0.0f},
        {"the other way", -10, 0, false, false, -(10 * 0.05f + 100 * 0.0004f), 0.0f},
        {"towards the player lowers the view", 0, 10, false, false, 0.0f, 0.3f},
        {"Ctrl is ten times finer", 100, 0, true, false, 10 * 0.05f + 100 * 0.0004f, 0.0f},
        {"the top view keeps the yaw", 10, 10, false, true, 0.0f, 0.3f},
    };
    for (const auto& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_nGameMode = modeAim | (c.bKeepView ? gmKeepView : 0);
        m_Flow.Camera().fYaw = m_Flow.Cue().fAim = 100.0f;
        m_Flow.Camera().fPitch = 340.0f;
        Hold(KEY_LCTRL, c.bCtrl);
        m_Input.m_Next.nMouseX = c.nX;
        m_Input.m_Next.nMouseY = c.nY;
        Tick();
        Hold(KEY_LCTRL, false);
        EXPECT_NEAR(m_Flow.Camera().fYaw - 100.0f, c.fYaw, 1e-3f);
        EXPECT_NEAR(m_Flow.Cue().fAim, m_Flow.Camera().fYaw, 1e-3f) << "the cue's aim follows the yaw";
        EXPECT_NEAR(m_Flow.Camera().fPitch - 340.0f, c.fPitch, 1e-3f);
    }
}
} // namespace

namespace
{
TEST_F(CAimInputTest, TheOtherModesHandlersDoTheLeastTheirTurnNeeds)
{
    const struct
    {
        const char* szName;
        DWORD dwMode;
        int nKey;
        bool bClick;
        DWORD dwExpected;
        int nShots;
    } aCases[] = {
        {"strike now strikes at once, the camera following", modeStrikeNow, 0, false, modeCameraFlight, 1},
        {"the follow flight holds after the balls rest, until the next turn replaces it", modeCameraFlight, 0, false,
         modeCameraFlight, 0},
        {"ball in hand: a drop the table takes flies behind the cue ball", modeBallInHand, 0, true, modeCameraFlight,
         0},
        {"free placement: A aims", modePlaceCueBall, KEY_A, false, modeAim, 0},
        {"free placement: M aims", modePlaceCueBall, KEY_M, false, modeAim, 0},
    };
    for (const auto& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        m_Flow.StartNewRack(0);
        m_Flow.SelectCueBall(0);
        g_nGameMode = c.dwMode;
        const int nShotsBefore = m_Flow.GetShotCount();
        m_Input.m_Next.nPressedKey = c.nKey;
        m_Input.m_Next.bLeftReleased = c.bClick;
        Tick();
        EXPECT_EQ(GetModeField(), c.dwExpected);
        EXPECT_EQ(m_Flow.GetShotCount() - nShotsBefore, c.nShots);
        ClearGameFlag(gmShotRunning);
    }
}
} // namespace
