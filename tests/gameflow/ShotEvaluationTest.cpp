#include "tests/gameflow/FlowTestSupport.h"

#include "foundation/Folders.h"
#include "platform/win32/Profile.h"
#include "simulation/Ball.h"

#include <functional>
#include <string>

namespace
{
class CShotEvaluationTest : public CFlowTest
{
protected:
    /// A shot of the current player that touched nothing: the referee's record is empty, unless
    /// what the shot did is played in.
    void MissedShot(const std::function<void()>& played = {})
    {
        m_Flow.SelectCueBall(0);
        m_Flow.GetReferee()->BeginShot(m_Flow.GetTargetBall(), m_Flow.GetReferee()->GetSecondBall());
        if (played)
            played();
        g_nGameMode = modeCameraFlight | gmShotRunning;
        ClearGameFlag(gmShotRunning);
        m_Flow.EvaluateShot();
    }
};

TEST_F(CShotEvaluationTest, AMissPassesTheTurnWithBallInHandAndEndsTheStreak)
{
    struct SCase
    {
        const char* szName;
        int nLevel2;
        DWORD dwFlightEnd;
        bool bRobotStroke;
    };
    const SCase aCases[] = {
        {"to a person: the flight ends in ball in hand", 0, modeBallInHand, false},
        {"to the computer: its turn flight", 4, modeNone, true},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        Start(GAME_9BALL);
        m_Flow.Player2().SetLevel(c.nLevel2);
        m_Flow.Player1().SetFouls(0);
        m_Flow.Player1().GetStats().Set(STATS_CURRENT_STREAK, GetStatsSection(GAME_9BALL), 4);
        m_Flow.ShotRecord().Set(2, 0, 1, -1, 0.3, SHOT_KIND_DIRECT, 0.02); // the plan the shot was made on
        MissedShot();
        // The judged shot's plan is spent; the computer's turn holds the plan of its next stroke.
        const CShotInfo& plan = m_Flow.ShotRecord();
        EXPECT_EQ(c.bRobotStroke, plan.HoldsShot());
        EXPECT_NE(plan.m_dDeviation, 0.02);
        EXPECT_TRUE(m_Flow.GetReferee()->HasFoul());
        EXPECT_NE(m_Flow.GetLastFoulText(), 0);
        EXPECT_EQ(m_Flow.Player1().GetStats().Get(STATS_CURRENT_STREAK, GetStatsSection(GAME_9BALL)), 0);
        EXPECT_FALSE(m_Flow.IsPlayer1Current());
        EXPECT_EQ(m_Flow.Player1().GetFouls(), 1);
        EXPECT_EQ(GetModeField(), modeCameraFlight);
        EXPECT_EQ(m_Flow.GetFlightEndMode(), c.dwFlightEnd);
        EXPECT_EQ(HasGameFlag(gmRobotStroke), c.bRobotStroke);
        EXPECT_EQ(m_Flow.GetReferee()->GetTarget(), 1);
    }
}

TEST_F(CShotEvaluationTest, TheShootersFileKeepsTheStreakAndAFoulEndsItAfterItBecameTheLongest)
{
    struct SCase
    {
        const char* szName;
        bool bFoul;
        int nCurrent, nLongest; ///< in the file after the shot
    };
    const SCase aCases[] = {
        {"a clean pot goes on with the streak", false, 5, 5},
        {"a miss ends it, the longest raised first", true, 0, 4},
    };
    CTempFolder temp;
    OverrideProgramFilePath(temp.File("Vorn"));
    ASSERT_EQ(temp.Folder(), FindDataFolder().Str());
    const int nSection = GetStatsSection(GAME_9BALL);
    const std::string strFile = temp.File("Ann.ini");
    const auto key = [&](EStatsKey eKey)
    {
        return static_cast<int>(GetPrivateProfileInt(
            std::to_string(nSection).c_str(), g_aszStatsKeys[static_cast<std::size_t>(eKey)], -1, strFile.c_str()));
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        Start(GAME_9BALL);
        CPlayerStats& stats = m_Flow.Player1().GetStats();
        stats.Load("Ann");
        stats.Set(STATS_CURRENT_STREAK, nSection, 4);
        stats.Set(STATS_LONGEST_STREAK, nSection, 3);
        if (c.bFoul)
            MissedShot();
        else
            MissedShot(
                [this]
                {
                    // The cue ball takes the one first and drops it.
                    m_Flow.GetReferee()->GetBallTable()->NoteFirstHit(1, 0);
                    m_Engine.FindBall(1)->SetPocketed(TRUE, FALSE, 0);
                });
        EXPECT_EQ(c.bFoul, m_Flow.GetReferee()->HasFoul() != FALSE);
        EXPECT_EQ(c.nCurrent, key(STATS_CURRENT_STREAK));
        EXPECT_EQ(c.nLongest, key(STATS_LONGEST_STREAK));
    }
    OverrideProgramFilePath("");
    FindDataFolder();
}

TEST_F(CShotEvaluationTest, AFoulShowsItsMessageAfterTheOldTextsAreDropped)
{
    struct SCase
    {
        const char* szName;
        bool bCueDown;
        const char* szFoulText;
    };
    const SCase aCases[] = {
        {"a miss: no ball hit", false, "#21613@4000"},
        {"the cue ball left the table: a scratch, before the miss", true, "#21578@4000"},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        Start(GAME_9BALL);
        m_Host.m_Texts.clear();
        if (c.bCueDown)
            m_Engine.FindBall(0)->SetPositionXYZ(0.0f, 0.0f, -0.2f);
        MissedShot();
        EXPECT_EQ(m_Host.m_Texts, (std::vector<std::string>{"clear", c.szFoulText}));
    }
}

TEST_F(CShotEvaluationTest, ADecidedRackStopsBeforeTheNextTurnIsPrepared)
{
    Start(GAME_9BALL);
    m_Flow.Player1().SetFouls(2);
    MissedShot(); // the third foul in a row loses the rack
    EXPECT_TRUE(HasGameFlag(gmRackDecided));
    EXPECT_EQ(GetModeField(), 0u) << "no flight after a decided rack";
    ASSERT_EQ(Progress().size(), 1u);
    EXPECT_EQ(Progress()[0].wParam, 1u);
    EXPECT_EQ(m_Host.PostedMessages().size(), 1u) << "no call for the shot";
}

/// A room whose ceiling holds the camera below a height, as the room's bounds do: a camera above it
/// comes down the line towards the point it looks at, so that it stands nearer than its orbit says.
class CLowCeilingHost : public CRecordingHost
{
public:
    void ClampCameraToRoom(CVector3& vPosition, const CVector3& vFrom) override
    {
        if (vPosition.y > CEILING && vPosition.y > vFrom.y)
            vPosition = vFrom + (vPosition - vFrom) * ((CEILING - vFrom.y) / (vPosition.y - vFrom.y));
    }
    static constexpr float CEILING = 60.0f;
};

TEST(ShotEvaluationFlightTest, AfterAShotTheFollowCamerasOrbitIsAsLongAsItStandsFromWhatItLooksAt)
{
    struct SCase
    {
        const char* szName;
        int nCameraMotion;
        bool bAsItStands; // the flight towards the next stroke sets off at the distance it stands at
    };
    // "Camera Motion" 1 and 2 keep the orbit the camera had.
    const SCase aCases[] = {{"Camera Motion 0", 0, true}, {"Camera Motion 1", 1, false}};
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CBallEngineMain engine;
        CLowCeilingHost host;
        CGameFlow flow(engine, nullptr, host);
        flow.CreateReferee(GAME_9BALL);
        flow.StartNewRack(0);
        flow.SetCurrent(true);
        flow.Settings().nCameraMotion = c.nCameraMotion;
        flow.Settings().nDrawLevel = 1;
        // High above the table, the ceiling holds the camera nearer.
        flow.Camera().SetPitch(300.0f);
        flow.Camera().fDistance = 150.0f;
        flow.UpdateAimCamera(0);
        const SFlowCamera stood = flow.Camera();
        const float fStands = static_cast<float>((stood.vPosition - stood.vLookAt).Length());
        ASSERT_LT(fStands, 140.0f);
        flow.GetReferee()->BeginShot(flow.GetTargetBall(), flow.GetReferee()->GetSecondBall());
        g_nGameMode = modeCameraFlight;
        flow.EvaluateShot();
        ASSERT_NE(nullptr, flow.GetFlight()) << "a flight towards the next stroke";
        EXPECT_NEAR(c.bAsItStands ? fStands : 150.0f, flow.GetCurrentView().m_vCamera.z, 1e-3f);
        g_nGameMode = 0;
    }
}

TEST_F(CShotEvaluationTest, APersonAfterTheBreakCallsTheShotInFourteenOne)
{
    Start(GAME_14_1);
    m_Flow.GetReferee()->SetBreakMade(TRUE);
    m_Flow.GetReferee()->SetFlags(REF_BREAK_MADE);
    MissedShot();
    ASSERT_FALSE(m_Host.PostedMessages().empty());
    const SFlowMessage& msg = m_Host.PostedMessages().back();
    EXPECT_EQ(msg.nMsg, FLOW_MSG_CALL_SHOT);
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(GAME_14_1));
    EXPECT_EQ(msg.lParam, static_cast<LPARAM>(modeAim));
}

TEST_F(CShotEvaluationTest, PyramidWithTheRecommendedShotOnLetsTheCallBringTheBallInHand)
{
    // The shooter sends the cue ball off the table; a person plays next.
    struct SCase
    {
        const char* szName;
        int nRecommendedShot;
        bool bBreakMade;
        DWORD dwFlightEnd; ///< where the turn's flight ends
        LPARAM lCallMode;  ///< the mode the call for the shot returns to; 0: no call asked for
    };
    const SCase aCases[] = {
        {"off: the flight ends in ball in hand, and the call is asked for", 0, true, modeBallInHand, modeBallInHand},
        {"on: the flight ends in aiming, and the call brings the ball in hand", 1, true, modeAim, modeBallInHand},
        {"on, before the break: no call, no ball in hand", 1, false, modeAim, 0},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        m_Host.PostedMessages().clear();
        Start(GAME_PYRAMID);
        m_Flow.Settings().nRecommendedShot = c.nRecommendedShot;
        m_Flow.Player2().SetLevel(0);
        m_Flow.GetReferee()->SetBreakMade(c.bBreakMade ? TRUE : FALSE);
        if (c.bBreakMade)
            m_Flow.GetReferee()->SetFlags(REF_BREAK_MADE);
        m_Engine.FindBall(0)->SetPositionXYZ(0.0f, 0.0f, -0.2f);
        MissedShot();
        EXPECT_FALSE(m_Flow.IsPlayer1Current());
        EXPECT_EQ(m_Flow.GetFlightEndMode(), c.dwFlightEnd);
        LPARAM lCallMode = 0;
        for (const SFlowMessage& msg : m_Host.PostedMessages())
            if (msg.nMsg == FLOW_MSG_CALL_SHOT)
                lCallMode = msg.lParam;
        EXPECT_EQ(lCallMode, c.lCallMode);
    }
    m_Flow.Settings().nRecommendedShot = 0;
}

TEST_F(CShotEvaluationTest, AGameTypeNobodyJudgesQuitsWithCodeFour)
{
    Start(42);
    MissedShot();
    ASSERT_EQ(m_Host.PostedMessages().size(), 1u);
    EXPECT_EQ(m_Host.PostedMessages()[0].nMsg, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(m_Host.PostedMessages()[0].wParam, 4u);
}
} // namespace
