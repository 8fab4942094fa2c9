#include "tests/gameflow/FlowTestSupport.h"
#include "tests/platform/TempFolder.h"

#include "foundation/Settings.h"
#include "foundation/Stopwatch.h"
#include "platform/win32/Clock.h"
#include "platform/win32/Files.h"
#include "render/TableSpace.h"
#include "simulation/GamePlugins.h"
#include "simulation/PhysicsConstants.h"
#include "simulation/PlannerSwitches.h"
#include "simulation/ShotInfo.h"

#include <cmath>
#include <filesystem>
#include <numbers>

namespace
{
class CTurnFlightTest : public CFlowTest
{
protected:
    void SetUp() override
    {
        CFlowTest::SetUp();
        g_FrameStopwatch.Resume();
        m_Flow.SetInput(&m_Input);
        m_Flow.Cue() = SCueStroke{2.0f, 2.0f, 40.0f};
        m_Flow.SetScreenScale(1500.0f);
        Start(GAME_9BALL);
        g_FrameStopwatch.Tick();
    }
    void TearDown() override
    {
        g_FrameStopwatch.Resume();
        CFlowTest::TearDown();
    }
    /// One tick of the game's steps on the test clock.
    void Tick()
    {
        AdvanceTestClock(CHeadlessTick);
        g_FrameStopwatch.Tick();
        m_Flow.Tick(CHeadlessTick);
    }
    /// The target view of the present flight.
    CViewRecord Target() const
    {
        const auto* pFlight = dynamic_cast<const CCameraFlight*>(m_Flow.GetFlight());
        return pFlight != nullptr ? pFlight->GetViewRecord() : CViewRecord();
    }
    /// Ticks until the computer's stroke begins; the milliseconds that took.
    int TicksUntilStroking(int nCap)
    {
        int n = 0;
        while (!HasGameFlag(gmStroking | gmShotRunning) && n < nCap)
        {
            Tick();
            ++n;
        }
        return n * static_cast<int>(CHeadlessTick);
    }

    static constexpr DWORD CHeadlessTick = 16;
    CTestClockScope m_Clock{20000};
    CScriptInput m_Input;
};

TEST_F(CTurnFlightTest, TheComputersFlightRunsOutAndItsStrokeFollowsThePlannedAim)
{
    for (const int nLevel : {1, 5, 9})
    {
        SCOPED_TRACE(nLevel);
        Start(GAME_9BALL);
        CrtSrand(11);
        // From another mode, so that aiming is entered; not from ball in hand, whose end would
        // first bring the camera to the cue ball.
        g_nGameMode = modeEnglish;
        m_Flow.Current().SetLevel(nLevel);
        m_Flow.SetGameMode(modeAim);
        ASSERT_EQ(GetModeField(), static_cast<DWORD>(modeCameraFlight));
        const float fPlanned = Target().m_vCue.x;
        CViewTransition* pFlight = m_Flow.GetFlight();
        m_Flow.StartTurnFlight();
        EXPECT_EQ(m_Flow.GetFlight(), pFlight) << "a second start while the flight runs changes nothing";
        // The flight waits 500 ms, flies for the flight duration, then the cue rests over a second.
        const int nMs = TicksUntilStroking(1000);
        EXPECT_GE(nMs, 500 + static_cast<int>(g_dFlightDuration * 1000));
        EXPECT_LT(nMs, 500 + static_cast<int>(g_dFlightDuration * 1000) + 200);
        EXPECT_EQ(GetModeField(), modeNone);
        EXPECT_NEAR(m_Flow.Cue().fAim, fPlanned, 1e-3f);
        int nTicks = 0;
        while (!HasGameFlag(gmShotRunning) && ++nTicks < 1000)
            Tick();
        ASSERT_TRUE(HasGameFlag(gmShotRunning));
        const double dExpected = fPlanned * std::numbers::pi / 180.0 + std::numbers::pi / 2;
        EXPECT_NEAR(m_Flow.GetLastStroke().fDirection, dExpected, 1e-4);
        m_Engine.StopAllBalls();
        Tick();
        g_nGameMode = 0;
    }
}

TEST_F(CTurnFlightTest, TheComputersPlanIsTheShotRecordAndItsStrokeLeavesTheAimByTheDeviation)
{
    // After the break the planner's shot stays in the game's shot record: the cue aims along the
    // plan, and the stroke turns off it by the record's deviation, none at the best level.
    for (const int nLevel : {1, 9})
    {
        SCOPED_TRACE(nLevel);
        Start(GAME_9BALL);
        m_Flow.GetReferee()->SetFlags(REF_BREAK_MADE);
        CrtSrand(11);
        g_nGameMode = modeBallInHand;
        m_Flow.Current().SetLevel(nLevel);
        m_Flow.SetGameMode(modeAim);
        ASSERT_EQ(GetModeField(), static_cast<DWORD>(modeCameraFlight));
        const float fPlanned = Target().m_vCue.x;
        const CShotInfo plan = m_Flow.ShotRecord();
        EXPECT_TRUE(plan.HoldsShot()) << "a shot into a pocket";
        EXPECT_EQ(nLevel == 9, plan.m_dDeviation == 0.0) << plan.m_dDeviation;
        int nTicks = 0;
        while (!HasGameFlag(gmShotRunning) && ++nTicks < 1000)
            Tick();
        ASSERT_TRUE(HasGameFlag(gmShotRunning));
        EXPECT_NEAR(m_Flow.Cue().fAim, fPlanned, 1e-3f) << "the cue lies along the plan";
        const double dAlongCue = fPlanned * std::numbers::pi / 180.0 + std::numbers::pi / 2;
        EXPECT_NEAR(m_Flow.GetLastStroke().fDirection, dAlongCue + plan.m_dDeviation, 1e-4);
        m_Engine.StopAllBalls();
        Tick();
        g_nGameMode = 0;
    }
}

TEST_F(CTurnFlightTest, APassedTurnDropsTheComputersPlanAndThePersonStrikesAlongTheCue)
{
    Start(GAME_9BALL);
    m_Flow.GetReferee()->SetFlags(REF_BREAK_MADE);
    CrtSrand(11);
    m_Flow.Player2().SetLevel(1);
    m_Flow.SetCurrent(false);
    g_nGameMode = modeAim;
    m_Flow.StartTurnFlight();
    ASSERT_NE(0.0, m_Flow.ShotRecord().m_dDeviation) << "the computer's plan leaves its aim";
    m_Flow.NextTurn();
    ASSERT_TRUE(m_Flow.IsPlayer1Current());
    EXPECT_FALSE(m_Flow.ShotRecord().HoldsShot()) << "the plan went with the turn";
    g_nGameMode = modeAim;
    m_Flow.Cue().fPullBack = 10.0f;
    m_Flow.StrikeCueBall();
    ASSERT_TRUE(HasGameFlag(gmShotRunning));
    EXPECT_NEAR(m_Flow.GetLastStroke().fDirection, m_Flow.Cue().fAim * std::numbers::pi / 180.0 + std::numbers::pi / 2,
                1e-4);
    m_Engine.StopAllBalls();
    Tick();
}

TEST_F(CTurnFlightTest, AmericanAndBonusPoolPlanWithoutTheScratchCheck)
{
    const struct
    {
        int nGameType;
        BOOL bScratchCheck;
    } aCases[] = {{GAME_8BALL, TRUE}, {GAME_9BALL, TRUE}, {GAME_3BALL, TRUE},     {GAME_PYRAMID, TRUE},
                  {GAME_14_1, TRUE},  {GAME_BASE, TRUE},  {GAME_AMERICAN, FALSE}, {GAME_BONUS, FALSE}};
    for (const auto& c : aCases)
    {
        SCOPED_TRACE(c.nGameType);
        Start(c.nGameType);
        m_Flow.GetReferee()->SetFlags(REF_BREAK_MADE);
        SetScratchCheck(!c.bScratchCheck);
        m_Flow.Current().SetLevel(5);
        m_Flow.PlanRobotShot();
        EXPECT_EQ(c.bScratchCheck, GetScratchCheck());
    }
    SetScratchCheck(TRUE);
}

TEST_F(CTurnFlightTest, WithNothingToAimAtTheComputerLooksAlongTheCamera)
{
    // The planner finds no shot and no other ball lies on the table: the computer aims along the
    // camera's yaw, and the ball to strike stays the cue ball.
    const struct
    {
        const char* szName;
        WORD wOnTable;
    } aCases[] = {{"the cue ball alone", 0x1}, {"no ball at all", 0x0}};
    for (const auto& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        Start(GAME_9BALL);
        for (int n = 0; n < 16; ++n)
            if ((c.wOnTable & (1u << n)) == 0)
                m_Engine.RemoveBall(n);
        m_Flow.SetBallLists(c.wOnTable, static_cast<WORD>(0x3ff & ~c.wOnTable));
        m_Flow.GetReferee()->SetFlags(REF_BREAK_MADE); // no fixed break shot
        m_Flow.SelectCueBall(0);
        m_Flow.Current().SetLevel(5);
        m_Flow.Camera().fYaw = 123.5f;
        EXPECT_NEAR(123.5 * std::numbers::pi / 180.0, m_Flow.PlanRobotShot(), 1e-5);
        EXPECT_EQ(0, m_Flow.GetReferee()->GetCueBall());
    }
}

TEST_F(CTurnFlightTest, TheViewTypeChoosesWhereTheComputersCameraGoes)
{
    CVector3 vBall;
    ASSERT_TRUE(m_Flow.GetBallScenePosition(0, vBall));
    for (const int nViewType : {0, 1, 2})
    {
        SCOPED_TRACE(nViewType);
        g_nGameMode = modeAim;
        m_Flow.Settings().nViewType = nViewType;
        m_Flow.Camera().fYaw = 10.0f;
        m_Flow.Camera().fDistance = 60.0f;
        const CViewRecord start = m_Flow.GetCurrentView();
        m_Flow.Current().SetLevel(5);
        m_Flow.StartTurnFlight();
        const CViewRecord target = Target();
        if (nViewType == 2)
            EXPECT_NEAR((target.m_vCamera - start.m_vCamera).Length(), 0.0f, 1e-4f) << "the camera stays";
        else
            EXPECT_NEAR((target.m_vViewPoint - vBall).Length(), 0.0f, 1e-3f) << "the camera looks at the cue ball";
        if (nViewType == 0)
        {
            EXPECT_EQ(target.m_vCamera.y, SFlowCamera::DEFAULT_PITCH);
            CVector3 vCamera, vPoint;
            m_Flow.FindTurnCameraSpot(vBall, vCamera, vPoint);
            EXPECT_NEAR((vPoint - vBall).Length(), 80.0f, 1e-3f) << "the orbit point";
            EXPECT_GT(vCamera.z, 80.0f) << "the distance runs on to the cloth below the ball";
            EXPECT_EQ(target.m_vCamera.z, vCamera.z);
        }
        if (nViewType == 1)
        {
            EXPECT_NEAR(target.m_vCamera.x, target.m_vCue.x, 1e-3f) << "the camera looks along the aim";
        }
        ClearGameFlag(gmRobotStroke);
    }
    // Held at the top view, no flight moves the camera.
    SetGameFlag(gmKeepView);
    m_Flow.Settings().nViewType = 0;
    const CViewRecord start = m_Flow.GetCurrentView();
    m_Flow.StartTurnFlight();
    EXPECT_NEAR((Target().m_vCamera - start.m_vCamera).Length(), 0.0f, 1e-4f);
    EXPECT_NEAR((Target().m_vViewPoint - start.m_vViewPoint).Length(), 0.0f, 1e-4f);
}

TEST_F(CTurnFlightTest, SpaceEndsTheFlightAtItsEndViewAndPauses)
{
    g_nGameMode = modeAim;
    m_Flow.Settings().nViewType = 1;
    m_Flow.Current().SetLevel(5);
    m_Flow.StartTurnFlight();
    const CViewRecord target = Target();
    for (int i = 0; i < 40; ++i)
        Tick();
    ASSERT_EQ(GetModeField(), static_cast<DWORD>(modeCameraFlight));
    m_Input.m_Next.nPressedKey = KEY_SPACE;
    Tick();
    EXPECT_EQ(GetModeField(), static_cast<DWORD>(modeWaiting));
    EXPECT_TRUE(m_Flow.IsPaused());
    EXPECT_NEAR(m_Flow.Camera().fYaw, NormalizeYaw(target.m_vCamera.x), 1e-2f);
    EXPECT_NEAR(m_Flow.Cue().fAim, NormalizeYaw(target.m_vCue.x), 1e-2f);
    // Space again: the flight, already at its end, hands over to the stroke.
    m_Input.m_Next.nPressedKey = KEY_SPACE;
    Tick();
    Tick();
    EXPECT_TRUE(HasGameFlag(gmStroking));
}

TEST_F(CTurnFlightTest, APersonsTurnFliesToAimingOrToBallInHand)
{
    const struct
    {
        const char* szName;
        bool bBallInHand;
        DWORD dwEnd;
    } aCases[] = {{"aiming", false, modeAim}, {"ball in hand", true, modeBallInHand}};
    for (const auto& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_nGameMode = modeNone;
        if (c.bBallInHand)
            m_Flow.FlyToBallInHandView();
        else
            m_Flow.FlyToAimView(0);
        EXPECT_EQ(m_Flow.GetFlightEndMode(), c.dwEnd);
        m_Flow.SetGameMode(modeCameraFlight);
        int nTicks = 0;
        while (HasMode(modeCameraFlight) && ++nTicks < 1000)
            Tick();
        EXPECT_EQ(GetModeField(), c.dwEnd);
        EXPECT_NEAR(nTicks * static_cast<int>(CHeadlessTick), g_dFlightDuration * 1000, 40);
    }
}

TEST_F(CTurnFlightTest, HeldAtTheTopViewAFlightEndsStraightDownOverTheTable)
{
    const CViewRecord top = m_Flow.GetTopViewRecord();
    EXPECT_FLOAT_EQ(90.0f, top.m_vCamera.x);
    EXPECT_FLOAT_EQ(270.0f, top.m_vCamera.y);
    EXPECT_FLOAT_EQ(100.0f, top.m_vCamera.z);
    const CVector3 vMiddle = TableToScene(CVector3(TABLE_WIDTH_M / 2.0f, TABLE_LENGTH_M / 2.0f, 0.0f));
    EXPECT_NEAR((top.m_vViewPoint - CVector3(vMiddle.x + 2.0f, vMiddle.y, vMiddle.z)).Length(), 0.0f, 1e-4f);
    EXPECT_FLOAT_EQ(m_Flow.Cue().fAim, top.m_vCue.x) << "the cue as it is";
    // A person's flight to aiming, with the overhead view on: it ends at the top view.
    const int nOverhead = g_Settings.m_nOverHeadView;
    g_Settings.m_nOverHeadView = 1;
    m_Flow.Settings().nOverheadView = 1;
    SetGameFlag(gmKeepView);
    g_nGameMode = (g_nGameMode & ~MODE_FIELD) | modeNone;
    m_Flow.FlyToAimView(0);
    m_Flow.SetGameMode(modeCameraFlight);
    for (int nTicks = 0; HasMode(modeCameraFlight) && nTicks < 1000; ++nTicks)
        Tick();
    g_Settings.m_nOverHeadView = nOverhead;
    // The aim it ends in opens the overhead view's panel, which the person aims from.
    EXPECT_EQ(static_cast<DWORD>(modeWaiting), GetModeField());
    EXPECT_EQ(static_cast<DWORD>(modeAim), g_nPrevGameMode & MODE_FIELD);
    EXPECT_TRUE(HasGameFlag(gmKeepView));
    const SFlowCamera& camera = m_Flow.Camera();
    EXPECT_NEAR((camera.vDirection - CVector3(0.0f, -1.0f, 0.0f)).Length(), 0.0f, 1e-4f) << "straight down";
    EXPECT_NEAR((camera.vPosition - (top.m_vViewPoint + CVector3(0.0f, 100.0f, 0.0f))).Length(), 0.0f, 1e-3f);
    EXPECT_NEAR(camera.vUp.Length(), 1.0f, 1e-4f) << "a camera that can be drawn";
}

TEST_F(CTurnFlightTest, TheCameraMotionChoosesTheShotsFollowFlight)
{
    const struct
    {
        int nMotion;
        int nOverhead;
        bool bFlight;
    } aCases[] = {{0, 0, true}, {1, 0, true}, {2, 0, true}, {3, 0, false}, {0, 1, true}};
    for (const auto& c : aCases)
    {
        SCOPED_TRACE(c.nMotion * 10 + c.nOverhead);
        Start(GAME_9BALL);
        g_nGameMode = modeAim;
        m_Flow.Settings().nCameraMotion = c.nMotion;
        m_Flow.Settings().nOverheadView = c.nOverhead;
        m_Flow.Cue().fPullBack = 10.0f;
        m_Flow.SelectCueBall(0);
        m_Flow.StrikeCueBall();
        ASSERT_TRUE(HasGameFlag(gmShotRunning));
        EXPECT_EQ(HasMode(modeCameraFlight), c.bFlight);
        // The follow flight lasts while the balls roll; the shot's end hands the table on.
        int nTicks = 0;
        while (HasGameFlag(gmShotRunning) && ++nTicks < 5000)
            Tick();
        EXPECT_FALSE(HasGameFlag(gmShotRunning));
        g_nGameMode = 0;
    }
}

TEST_F(CTurnFlightTest, TheMouseSteersTheComputersFlightInViewTypeTwo)
{
    for (const int nViewType : {1, 2})
    {
        SCOPED_TRACE(nViewType);
        g_nGameMode = modeAim;
        m_Flow.Settings().nViewType = nViewType;
        m_Flow.Current().SetLevel(5);
        ClearGameFlag(gmRobotStroke);
        m_Flow.StartTurnFlight();
        for (int i = 0; i < 10; ++i)
            Tick();
        ASSERT_EQ(GetModeField(), static_cast<DWORD>(modeCameraFlight));
        const float fYaw = Target().m_vCamera.x;
        m_Input.m_Next.nMouseX = 100;
        Tick();
        const float fTurned = NormalizeYaw(Target().m_vCamera.x - fYaw + 180.0f) - 180.0f;
        // Steering moves the whole flight, its end view too.
        EXPECT_NEAR(fTurned, nViewType == 2 ? 100 * 0.05f + 100 * 100 * 0.0004f : 0.0f, 1e-2f);
    }
}
TEST(PluginShotTest, ARulePluginsOwnAimIsTheComputersAim)
{
    CTestPluginScope scope;
    ASSERT_TRUE(scope.IsScanned());
    CGamePlugins& plugins = scope.Plugins();
    {
        CBallEngineMain engine;
        CRecordingHost host;
        CGameFlow flow(engine, &plugins, host);
        flow.CreateReferee(42);
        ASSERT_NE(plugins.GetGame(), nullptr);
        flow.StartNewRack(0);
        flow.SetCurrent(true);
        flow.Current().SetLevel(5);
        // The test plug-in answers with its aim already planned: straight at ball 1.
        CVector3 vCue, vBall;
        ASSERT_TRUE(engine.GetBallPosition(0, vCue, nullptr));
        ASSERT_TRUE(engine.GetBallPosition(1, vBall, nullptr));
        const float fAim = std::atan2(vCue.x - vBall.x, vBall.y - vCue.y);
        EXPECT_NEAR(NormalizeYaw(flow.PlanRobotShot() * 180.0f / std::numbers::pi_v<float>),
                    NormalizeYaw(fAim * 180.0f / std::numbers::pi_v<float>), 1e-2f);
    }
}

TEST(PluginShotTest, ARulePluginsMoneyBallOfKindThreeIsNoObjectBallOfThePlannersShot)
{
    CTestPluginScope scope("TestPlanner");
    ASSERT_TRUE(scope.IsScanned());
    CGamePlugins& plugins = scope.Plugins();
    CBallEngineMain engine;
    CRecordingHost host;
    CGameFlow flow(engine, &plugins, host);
    flow.CreateReferee(46);
    ASSERT_NE(plugins.GetGame(), nullptr);
    flow.StartNewRack(0);
    flow.SetCurrent(true);
    flow.Current().SetLevel(9);
    flow.Settings().nAiDefaultLevel = 9;
    flow.GetReferee()->SetFlags(REF_BREAK_MADE);
    // Ball 1 hangs over a corner pocket straight ahead of the cue ball: the easiest shot by far;
    // balls 2 and 3 lie away from every pocket.
    const CVector3 vPocket = engine.GetCushionPoint(3);
    const CVector3 vCentre(TABLE_WIDTH_M / 2.0f, TABLE_LENGTH_M / 2.0f, 0.0f);
    const CVector3 u = (vCentre - vPocket).GetNormalized();
    const CVector3 vOne = vPocket + u * 0.12f;
    const CVector3 vCue = vOne + u * 0.4f;
    engine.SetBallPosition(0, vCue.x, vCue.y);
    engine.SetBallPosition(1, vOne.x, vOne.y);
    engine.SetBallPosition(2, vCentre.x - 0.25f, vCentre.y + 0.1f);
    engine.SetBallPosition(3, vCentre.x + 0.25f, vCentre.y - 0.1f);
    struct SCase
    {
        const char* szName;
        bool bMoneyBall; // the plug-in's requests name ball 1 the money ball of kind 3 by turns
    };
    const SCase aCases[] = {{"ball 1 the money ball: another is played", true}, {"no money ball: ball 1", false}};
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CrtSrand(3);
        flow.PlanRobotShot();
        ASSERT_TRUE(flow.ShotRecord().HoldsShot());
        EXPECT_EQ(!c.bMoneyBall, flow.ShotRecord().m_nObjectBall == 1) << flow.ShotRecord().m_nObjectBall;
    }
}
} // namespace
