#include "tests/gameflow/FlowTestSupport.h"

#include "foundation/Stopwatch.h"
#include "gameflow/RespotNotice.h"
#include "platform/win32/Clock.h"
#include "simulation/Ball.h"
#include "simulation/CallRecord.h"

#include <utility>
#include <vector>

namespace
{
class CStrokeTest : public CFlowTest
{
protected:
    void SetUp() override
    {
        CFlowTest::SetUp();
        Start(GAME_9BALL);
        m_Flow.Cue() = SCueStroke{};
        m_Flow.Cue().fMin = 2.0f;
        m_Flow.Cue().fMax = 40.0f;
        m_Flow.SelectCueBall(0);
    }
    /// A fresh rack with the cue ball selected and no shot running.
    void StartNewRackHere()
    {
        g_nGameMode = modeAim;
        m_Flow.StartNewRack(0);
        m_Flow.SelectCueBall(0);
    }
};

TEST_F(CStrokeTest, HumanStrikeSpeedFollowsThePullBackAndPicksTheCueSound)
{
    struct SCase
    {
        float fPullBack;
        int nHitVelocity;
        float fSpeed;
        int nSound;
    };
    const SCase aCases[] = {
        {2.0f, 7, 0.7f, 1},  // the cue at rest: minimum / (maximum / 2)
        {10.0f, 1, 0.5f, 1}, // exactly 0.5 is medium
        {20.0f, 1, 1.0f, 1}, // exactly 1.0 too
        {8.0f, 1, 0.4f, 0},  {20.0f, 7, 7.0f, 2},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.fSpeed);
        StartNewRackHere();
        m_Flow.Settings().nHitVelocity = c.nHitVelocity;
        m_Flow.Cue().fPullBack = c.fPullBack;
        m_Flow.Cue().fTipX = 0.3f;
        m_Host.m_CueSounds.clear();
        m_Host.m_nAidCopies = 0;
        m_Flow.StrikeCueBall();
        EXPECT_EQ(m_Host.m_nAidCopies, 1) << "the aiming aid keeps the table before the shot";
        EXPECT_FLOAT_EQ(m_Flow.GetLastStroke().fSpeed, c.fSpeed);
        EXPECT_FLOAT_EQ(m_Flow.GetLastStroke().fTipX, 0.3f);
        ASSERT_EQ(m_Host.m_CueSounds.size(), 1u);
        EXPECT_EQ(m_Host.m_CueSounds[0], c.nSound);
        EXPECT_TRUE(HasGameFlag(gmShotRunning));
        EXPECT_EQ(m_Flow.Cue().fTipX, 0.0f);
        EXPECT_EQ(m_Flow.Cue().fPullBack, m_Flow.Cue().fMin);
    }
}

TEST_F(CStrokeTest, ComputerSpeedIsRaisedAndCapped)
{
    m_Flow.Current().SetLevel(5);
    for (int i = 0; i < 20; ++i)
    {
        SCOPED_TRACE(i);
        StartNewRackHere();
        m_Flow.Settings().nHitVelocity = 1;
        m_Flow.Cue().fPullBack = 2.0f;
        m_Flow.StrikeCueBall();
        EXPECT_GE(m_Flow.GetLastStroke().fSpeed, 0.1f + 3.0f);
        EXPECT_LE(m_Flow.GetLastStroke().fSpeed, 7.0f);
    }
}

TEST_F(CStrokeTest, NoStrikeWithoutARangeOrACueBallOrAfterTheGame)
{
    struct SCase
    {
        const char* szName;
        float fMax;
        DWORD dwFlags;
        bool bRemoveCueBall;
    };
    const SCase aCases[] = {
        {"no stroke range", 0.0f, 0, false},
        {"game over", 40.0f, gmGameOver, false},
        {"no cue ball", 40.0f, 0, true},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        StartNewRackHere();
        m_Flow.Cue().fMax = c.fMax;
        g_nGameMode = modeAim | c.dwFlags;
        if (c.bRemoveCueBall)
            m_Engine.RemoveBall(0);
        m_Flow.StrikeCueBall();
        EXPECT_FALSE(HasGameFlag(gmShotRunning));
        EXPECT_EQ(m_Flow.GetShotCount(), 0);
        EXPECT_EQ(m_Host.m_nAidCopies, 0);
    }
}

TEST_F(CStrokeTest, ComputerStrokeWaitsOverASecondAndLandsOnTheMinimum)
{
    CTestClockScope clock(5000);
    m_Flow.Current().SetLevel(5);
    g_nGameMode = modeCameraFlight | gmRobotStroke | gmStroking;
    // One frame: the clock moves on, the frame stopwatch ticks, the stroke takes its step.
    const auto frame = [this](DWORD dwMs)
    {
        AdvanceTestClock(dwMs);
        g_FrameStopwatch.Tick();
        return m_Flow.RunShotPhase(1.0f);
    };
    EXPECT_EQ(frame(16), 1);
    EXPECT_EQ(frame(1000), 1);
    EXPECT_EQ(m_Flow.Cue().fPullBack, 0.0f) << "the cue has not moved within the second";
    EXPECT_EQ(frame(1), 1);
    EXPECT_EQ(frame(16), 1);
    const float fMoved = m_Flow.Cue().fPullBack;
    EXPECT_GT(fMoved, 0.0f);
    EXPECT_EQ(frame(0), 1);
    EXPECT_EQ(m_Flow.Cue().fPullBack, fMoved) << "a frame without elapsed time moves nothing";
    bool bSawMinimumInPreshot = false;
    int nTicks = 0;
    while (frame(16) != 0 && ++nTicks < 1000)
    {
        EXPECT_GE(m_Flow.Cue().fPullBack, m_Flow.Cue().fMin);
        bSawMinimumInPreshot = bSawMinimumInPreshot || (m_Flow.GetStrokePhase() == phaseFinalSwing &&
                                                        m_Flow.Cue().fPullBack == m_Flow.Cue().fMin);
    }
    EXPECT_TRUE(bSawMinimumInPreshot);
    EXPECT_FALSE(HasGameFlag(gmStroking));
    EXPECT_TRUE(HasGameFlag(gmShotRunning));
    EXPECT_EQ(m_Flow.GetShotCount(), 1);
}

TEST_F(CStrokeTest, TheStrikeKeepsTheShootersViewUnlessTheTopViewHoldsTheCamera)
{
    struct SCase
    {
        const char* szName;
        int nCameraMotion;
        DWORD dwFlags;
        bool bKept;
    };
    const SCase aCases[] = {
        {"the follow flight", 0, 0, true},
        {"the camera that stays while the balls roll", 2, 0, true},
        {"the top view held", 0, gmKeepView, false},
        {"a replay", 0, gmReplay, false},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        StartNewRackHere();
        g_nGameMode = modeAim | c.dwFlags;
        m_Flow.Settings().nCameraMotion = c.nCameraMotion;
        m_Flow.SetCurrent(false);
        m_Flow.Player1().SetViewRecord(CViewRecord());
        m_Flow.Player2().SetViewRecord(CViewRecord());
        const CViewRecord view = m_Flow.GetCurrentView();
        m_Flow.Cue().fPullBack = 20.0f;
        m_Flow.StrikeCueBall();
        EXPECT_EQ(m_Flow.Player2().GetViewRecord().IsValid(), c.bKept);
        if (c.bKept)
        {
            EXPECT_TRUE(m_Flow.Player2().GetViewRecord() == view);
        }
        EXPECT_FALSE(m_Flow.Player1().GetViewRecord().IsValid()) << "the other player's view stays";
        m_Engine.StopAllBalls();
    }
    m_Flow.Settings().nCameraMotion = 0;
}

TEST_F(CStrokeTest, EachCollisionSoundsOnce)
{
    m_Flow.Cue().fPullBack = 20.0f;
    m_Flow.StrikeCueBall();
    for (int i = 0; i < 2000 && HasGameFlag(gmShotRunning); ++i)
    {
        m_Engine.Advance(16);
        m_Flow.ReplaceBalls(0);
    }
    EXPECT_GT(m_Host.m_Events.size(), 1u);
    EXPECT_EQ(static_cast<int>(m_Host.m_Events.size()), m_Engine.GetEvents().GetCount());
    m_Flow.ReplaceBalls(0);
    EXPECT_EQ(static_cast<int>(m_Host.m_Events.size()), m_Engine.GetEvents().GetCount());
}

TEST_F(CStrokeTest, ADroppedBallStartsItsPocketsEffectOnce)
{
    struct SCase
    {
        const char* szName;
        int nBall, nPocket; // -1: the ball left the table through no pocket
        std::vector<std::pair<int, int>> expected;
    };
    const SCase aCases[] = {
        {"into a corner pocket", 3, 0, {{3, 0}}},
        {"the cue ball into a side pocket", 0, 4, {{0, 4}}},
        {"through no pocket", 5, -1, {}},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        StartNewRackHere();
        m_Host.m_PocketEffects.clear();
        CBall* pBall = m_Engine.FindBall(c.nBall);
        ASSERT_NE(nullptr, pBall);
        pBall->SetPocketed(TRUE, FALSE, c.nPocket);
        m_Flow.ReplaceBalls(0);
        m_Flow.ReplaceBalls(0); // the ball is gone: nothing more starts
        EXPECT_EQ(c.expected, m_Host.m_PocketEffects);
    }
}
TEST_F(CStrokeTest, TheCallHoldsOnlyWhenTheCalledBallDropsIntoTheCalledPocket)
{
    // Each tick's drops (ball, pocket); ball 3 into pocket 0 is called unless no call is made.
    using FTicks = std::vector<std::vector<std::pair<int, int>>>;
    struct SCase
    {
        const char* szName;
        bool bCalled;
        FTicks ticks;
        int nFlag; ///< the call flag once the balls rest
    };
    const SCase aCases[] = {
        {"the called ball into the called pocket", true, {{{3, 0}}}, 1},
        {"the called ball into another pocket", true, {{{3, 5}}}, 0},
        {"another ball into the called pocket", true, {{{4, 0}}}, 0},
        {"another ball first, the called one after it", true, {{{4, 0}}, {{3, 0}}}, 1},
        {"both in one tick, the other ball numbered after it", true, {{{3, 0}, {4, 5}}}, 1},
        {"nothing called: the flag stays", false, {{{3, 0}}}, 1},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        StartNewRackHere();
        g_CallRecord = c.bCalled ? SCallRecord{3, 0, 0} : SCallRecord{};
        for (const auto& tick : c.ticks)
        {
            for (const auto& [nBall, nPocket] : tick)
                m_Engine.FindBall(nBall)->SetPocketed(TRUE, FALSE, nPocket);
            m_Flow.ReplaceBalls(1);
        }
        EXPECT_EQ(c.nFlag, GetCallFlag());
    }
    ResetCallRecords();
}

TEST_F(CStrokeTest, TheShotsRecordKeepsTheFirstContactAndCountsTheContactOfABallThatDropsInTheSameTick)
{
    // Each tick: the contacts the engine reports (struck ball, ball it touched) and the balls that
    // drop; the record is read after the last tick.
    struct STick
    {
        std::vector<std::pair<int, int>> contacts;
        std::vector<int> dropped;
    };
    struct SCase
    {
        const char* szName;
        std::vector<STick> ticks;
        int nFirstHit;                    ///< the first ball the cue ball touched
        std::vector<int> aContactsOfBall; ///< ball-contact counts of balls 0 to 4
        WORD wPocketed;
    };
    const SCase aCases[] = {
        {"the first contact is kept", {{{{0, 3}}, {}}, {{{0, 4}}, {}}}, 3, {2, 0, 0, 1, 1}, 0},
        {"a ball that touches and drops in one tick counts the contact",
         {{{{0, 2}}, {2}}},
         2,
         {1, 0, 1, 0, 0},
         1u << 2},
        {"a contact of two object balls is no first contact", {{{{1, 2}}, {}}, {{{0, 1}}, {}}}, 1, {1, 2, 1, 0, 0}, 0},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        StartNewRackHere();
        CRefereeBallTable& table = *m_Flow.GetReferee()->GetBallTable();
        for (const STick& tick : c.ticks)
        {
            for (const auto& [nStruck, nTouched] : tick.contacts)
                m_Engine.FindBall(nStruck)->Collide(*m_Engine.FindBall(nTouched));
            for (const int n : tick.dropped)
                m_Engine.FindBall(n)->SetPocketed(TRUE, FALSE, 0);
            m_Flow.ReplaceBalls(1);
        }
        EXPECT_EQ(table.m_nFirstHit, c.nFirstHit);
        for (int n = 0; n < static_cast<int>(c.aContactsOfBall.size()); ++n)
            EXPECT_EQ(table.GetBallCountLow(n), c.aContactsOfBall[static_cast<std::size_t>(n)]) << "ball " << n;
        for (int n = 0; n < 16; ++n)
            EXPECT_EQ(table.IsPocketedNow(n) != FALSE, ((c.wPocketed >> n) & 1u) != 0) << "ball " << n;
    }
}

TEST_F(CStrokeTest, AReplayedShotEndsInAimingUnjudgedWithNoGroupGiven)
{
    Start(GAME_8BALL);
    m_Flow.SelectCueBall(0);
    g_nGameMode = modeCameraFlight | gmShotRunning | gmReplay;
    m_Engine.FindBall(0)->Collide(*m_Engine.FindBall(3));
    m_Engine.FindBall(3)->SetPocketed(TRUE, FALSE, 0); // a clean pot of a solid
    m_Engine.StopAllBalls();
    m_Host.PostedMessages().clear();
    m_Flow.StepBalls(1);
    EXPECT_EQ(GetModeField(), modeAim);
    EXPECT_FALSE(HasGameFlag(gmShotRunning));
    EXPECT_TRUE(m_Flow.IsPlayer1Current()) << "the turn stays";
    EXPECT_TRUE(m_Flow.Player1().HasNoGroup());
    EXPECT_TRUE(m_Flow.Player2().HasNoGroup());
    EXPECT_TRUE(m_Host.PostedMessages().empty());
    g_nGameMode = 0;
}

TEST_F(CStrokeTest, RespotNoticeNamesDroppedAndOffTableBallsOnceAndTheStrikeClearsIt)
{
    struct SCase
    {
        const char* szName;
        std::vector<int> aDropped;  // in the order they drop, one a tick
        std::vector<int> aOffTable; // lying below the table over two ticks
        const char* szPocketed;
        const char* szText;
        DWORD dwMask;
    };
    const SCase aCases[] = {
        {"one ball dropped", {3}, {}, "Pocketed: 3", "", 0},
        {"two balls dropped", {3, 5}, {}, "Pocketed: 3,5", "", 0},
        {"one ball off the table, seen twice", {}, {5}, "", "Off the table: 5", 1u << 5},
        {"two balls off the table", {}, {5, 6}, "", "Off the table: 5,6", (1u << 5) | (1u << 6)},
        {"one of each", {2}, {7}, "Pocketed: 2", "Off the table: 7", 1u << 7},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        StartNewRackHere();
        g_RespotNotice = SRespotNotice{};
        g_RespotNotice.dwShownTime = 1234; // a notice shown before this shot
        for (int n : c.aOffTable)
            m_Engine.FindBall(n)->SetPositionXYZ(0.5f, 0.5f, -0.5f);
        for (int n : c.aDropped)
        {
            m_Engine.FindBall(n)->SetPocketed(TRUE, FALSE, 0);
            m_Flow.ReplaceBalls(1);
        }
        m_Flow.ReplaceBalls(1);
        m_Flow.ReplaceBalls(1);
        EXPECT_STREQ(c.szPocketed, g_RespotNotice.strPocketed.GetString());
        EXPECT_STREQ(c.szText, g_RespotNotice.strText.GetString());
        EXPECT_EQ(c.dwMask, g_RespotNotice.dwBallMask);
        EXPECT_EQ(RESPOT_PENDING, g_RespotNotice.nState);

        m_Flow.Cue().fPullBack = 20.0f;
        m_Flow.StrikeCueBall();
        EXPECT_EQ(0u, g_RespotNotice.dwShownTime);
        EXPECT_TRUE(g_RespotNotice.strText.IsEmpty());
        EXPECT_EQ(RESPOT_NONE, g_RespotNotice.nState);
        EXPECT_EQ(0u, g_RespotNotice.dwBallMask);
    }
}
} // namespace
