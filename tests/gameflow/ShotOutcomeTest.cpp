#include "tests/gameflow/FlowTestSupport.h"

#include "simulation/Ball.h"
#include "simulation/PointList.h"
#include "simulation/RefereeTypes.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace
{
class CShotOutcomeTest : public CFlowTest
{
protected:
    bool EngineHolds(int n) { return m_Engine.FindBall(n) != nullptr; }
    bool OnTable(int n) const { return (m_Flow.GetOnTableMask() & (1u << n)) != 0; }
};

constexpr WORD Bit(int n) { return static_cast<WORD>(1u << n); }

TEST_F(CShotOutcomeTest, RefereesByGameTypeAndTheTargetBall)
{
    struct SCase
    {
        int nType;
        int nBalls;
        WORD wOnTable;
        int nTarget;
    };
    const SCase aCases[] = {
        {0, 5, 0x1f, -1},
        {15, 16, 0xffff, -1},
        {3, 4, Bit(0) | Bit(2) | Bit(3), 2},
        {3, 4, Bit(0), 4},
        {9, 10, Bit(0) | Bit(3) | Bit(5) | Bit(9), 3},
        {9, 10, Bit(0), 16},
        {16, 16, 0xffff, -1},
        {17, 16, 0xffff, -1},
        {18, 16, 0xffff, -1},
        {101, 16, 0xffff, -1},
        {42, 16, 0xffff, -1},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.nType);
        Start(c.nType);
        EXPECT_EQ(m_Flow.GetReferee()->GetBallCount(), c.nBalls);
        EXPECT_EQ(m_Flow.GetShadowReferee()->GetBallCount(), c.nBalls);
        EXPECT_NE(m_Flow.GetReferee(), m_Flow.GetShadowReferee());
        m_Flow.SetBallLists(c.wOnTable, 0);
        EXPECT_EQ(m_Flow.GetTargetBall(), c.nTarget);
    }
    Start(GAME_8BALL);
    EXPECT_NE(dynamic_cast<CReferee8Ball*>(m_Flow.GetReferee()), nullptr);
    EXPECT_EQ(m_Flow.GetTargetBall(), -1);
    m_Flow.Current().SetGroup(1);
    EXPECT_EQ(m_Flow.GetTargetBall(), -2);
    m_Flow.Current().SetGroup(0);
    EXPECT_EQ(m_Flow.GetTargetBall(), -3);
}

TEST_F(CShotOutcomeTest, APlugInOfABuiltInGameTypeJudgesItInPlaceOfTheBuiltInReferee)
{
    struct SCase
    {
        const char* szForm; ///< the plug-in installed
        bool bPluginJudges; ///< its referees (four balls) judge 8-ball, not the built-in ones
    };
    for (const SCase c : {SCase{"TestEight", true}, SCase{"TestGame", false}})
    {
        SCOPED_TRACE(c.szForm);
        CTestPluginScope scope(c.szForm);
        ASSERT_TRUE(scope.IsScanned());
        CTestFlow flow(m_Engine, &scope.Plugins(), m_Host);
        flow.CreateReferee(GAME_8BALL);
        EXPECT_EQ(dynamic_cast<CReferee8Ball*>(flow.GetReferee()) == nullptr, c.bPluginJudges);
        EXPECT_EQ(flow.GetReferee()->GetBallCount(), c.bPluginJudges ? 4 : 16);
        EXPECT_EQ(flow.GetShadowReferee()->GetBallCount(), flow.GetReferee()->GetBallCount());
    }
}

TEST_F(CShotOutcomeTest, BaseGameThirdFoulCostsFifteenAndRacksAgainForTheSamePlayer)
{
    Start(GAME_BASE);
    m_Flow.Player1().SetFouls(2);
    m_Flow.Player1().SetPoints(20);
    m_Flow.Player2().SetFouls(1);
    Verdict(REF_FOUL, Bit(4) | Bit(5));
    m_Flow.OutcomeBase();
    EXPECT_EQ(m_Flow.Player1().GetPoints(), 5);
    EXPECT_EQ(m_Flow.Player1().GetFouls(), 3);
    EXPECT_EQ(m_Flow.Player2().GetFouls(), 1);
    EXPECT_TRUE(m_Flow.IsPlayer1Current());
    EXPECT_EQ(m_Flow.GetOnTableMask(), 0xffff);
    EXPECT_EQ(m_Engine.GetBallCount(), 16);
}

TEST_F(CShotOutcomeTest, FourteenOneThirdFoulCostsFifteenAndClearsTheCount)
{
    Start(GAME_14_1);
    m_Flow.GetReferee()->SetFlags(REF_BREAK_MADE);
    m_Flow.Player1().SetFouls(2);
    Verdict(REF_FOUL | REF_BREAK_MADE, 0);
    m_Flow.Outcome14_1();
    EXPECT_EQ(m_Flow.Player1().GetPoints(), -15);
    EXPECT_EQ(m_Flow.Player1().GetFouls(), 0);
}

TEST_F(CShotOutcomeTest, MoneyBallGoesBackOnAFoulAndWinsWhenPocketedLegally)
{
    struct SCase
    {
        int nType;
        int nMoney;
    };
    for (const SCase c : {SCase{GAME_9BALL, 9}, SCase{GAME_3BALL, 3}})
    {
        SCOPED_TRACE(c.nType);
        Start(c.nType);
        Verdict(REF_FOUL | REF_POCKETED | REF_BREAK_MADE, Bit(c.nMoney));
        m_Flow.Outcome9Ball();
        EXPECT_TRUE(OnTable(c.nMoney));
        EXPECT_TRUE(EngineHolds(c.nMoney));
        EXPECT_FALSE(m_Flow.IsPlayer1Current());
        EXPECT_TRUE(Progress().empty());

        Verdict(REF_WON | REF_POCKETED | REF_BREAK_MADE, Bit(c.nMoney));
        m_Flow.Outcome9Ball();
        ASSERT_EQ(Progress().size(), 1u);
        EXPECT_EQ(Progress()[0].wParam, 1u) << "player 2 shot and won";
        EXPECT_TRUE(HasGameFlag(gmRackDecided));
        g_nGameMode = 0;
        m_Host.PostedMessages().clear();
    }
}

TEST_F(CShotOutcomeTest, PyramidFoulMovesFivePointsAndSeventyOneEndsTheGame)
{
    Start(GAME_PYRAMID);
    m_Flow.Player1().SetFouls(10);
    m_Flow.Player2().SetFouls(66);
    Verdict(REF_FOUL | REF_JUDGEMENT, 0);
    m_Flow.OutcomePyramid();
    EXPECT_EQ(m_Flow.Player1().GetFouls(), 5);
    EXPECT_EQ(m_Flow.Player2().GetFouls(), 71);
    ASSERT_EQ(Progress().size(), 1u);
    EXPECT_EQ(Progress()[0].wParam, 0u) << "the shooter is reported as winner";
    EXPECT_EQ(Progress()[0].lParam, 1);
}

TEST_F(CShotOutcomeTest, PyramidAndStraightPoolSetTheirBallsBackTurnedAsARackSetsThem)
{
    struct SCase
    {
        const char* szName;
        int nGameType;
        WORD wFlags;
        bool bRacked; // the ball put back is drawn turned as a rack sets it
    };
    const SCase aCases[] = {
        {"pyramid, a scratch", GAME_PYRAMID, REF_FOUL | REF_CUE_POCKETED | REF_JUDGEMENT, true},
        {"straight pool, a shot that does not count", GAME_14_1, REF_BREAK_MADE, true},
        {"the base game does not turn it", GAME_BASE, REF_CUE_POCKETED | REF_BREAK_MADE, false},
    };
    // A racked ball's axes as its object is drawn.
    CBall racked(5);
    racked.ResetOrientation();
    CBallObjects rackedObjects;
    rackedObjects.Place(5, racked);
    const D3DMATRIX rackedPose = rackedObjects.GetPose(5).matOrientation;
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        Start(c.nGameType);
        m_Flow.GetReferee()->SetFlags(REF_BREAK_MADE);
        Verdict(c.wFlags, Bit(5));
        if (c.nGameType == GAME_PYRAMID)
            m_Flow.OutcomePyramid();
        else if (c.nGameType == GAME_14_1)
            m_Flow.Outcome14_1();
        else
            m_Flow.OutcomeBase();
        ASSERT_TRUE(OnTable(5)) << "put back";
        const D3DMATRIX drawn = m_Flow.BallObjects().GetPose(5).matOrientation;
        EXPECT_EQ(c.bRacked, std::memcmp(&drawn, &rackedPose, sizeof(drawn)) == 0);
        g_nGameMode = 0;
    }
}

TEST_F(CShotOutcomeTest, AmericanDebtIsPaidWithPocketedBalls)
{
    Start(GAME_AMERICAN);
    // Balls 1, 2 and 3 went down in earlier shots; the shooter owes two.
    m_Flow.GetReferee()->GetBallTable()->SetPocketedBeforeMask(Bit(1) | Bit(2) | Bit(3));
    Verdict(0, Bit(1) | Bit(2) | Bit(3));
    m_Flow.SetBallLists(static_cast<WORD>(0xffff & ~(Bit(1) | Bit(2) | Bit(3) | Bit(5) | Bit(6) | Bit(7))),
                        Bit(1) | Bit(2) | Bit(3) | Bit(5) | Bit(6) | Bit(7));
    for (int n : {5, 6, 7})
        m_Engine.RemoveBall(n);
    m_Flow.GetReferee()->GetBallTable()->SetPocketedNowMask(Bit(1) | Bit(2) | Bit(3) | Bit(5) | Bit(6) | Bit(7));
    m_Flow.GetReferee()->SetFlags(REF_POCKETED);
    m_Flow.GetReferee()->SetShotScore(3);
    m_Flow.Player1().SetFouls(-2);
    m_Flow.OutcomeAmerican();
    EXPECT_EQ(m_Flow.Player1().GetFouls(), 1);
    EXPECT_EQ(m_Flow.GetPutBackMask(), Bit(1) | Bit(2));
    EXPECT_TRUE(EngineHolds(1) && EngineHolds(2));
    EXPECT_FALSE(EngineHolds(3));
    EXPECT_TRUE(m_Flow.IsPlayer1Current());
}

TEST_F(CShotOutcomeTest, BaseGameReRacksFourteenAroundTheLastObjectBall)
{
    Start(GAME_BASE);
    const WORD wDown = static_cast<WORD>(0xffff & ~(Bit(0) | Bit(7)));
    Verdict(REF_POCKETED, wDown, 14);
    m_Flow.OutcomeBase();
    EXPECT_EQ(m_Flow.GetOnTableMask(), 0xffff);
    EXPECT_EQ(m_Engine.GetBallCount(), 16);
    EXPECT_EQ(m_Flow.Player1().GetPoints(), 14);
    EXPECT_TRUE(m_Flow.IsPlayer1Current());
}

TEST_F(CShotOutcomeTest, ReRackWithTheCueBallInTheRackAreaGivesBallInHandOnTheHeadSpot)
{
    Start(GAME_BASE);
    // The cue ball rests on the first rack spot; every object ball has gone.
    CVector3 vApex;
    ASSERT_TRUE(m_Engine.GetBallPosition(1, vApex, nullptr));
    m_Engine.SetBallPosition(0, vApex.x, vApex.y);
    Verdict(REF_POCKETED, static_cast<WORD>(0xfffe), 15);
    m_Flow.OutcomeBase();
    EXPECT_TRUE(m_Flow.IsReRackBallInHand());
    EXPECT_EQ(m_Engine.GetBallCount(), 16);
    CVector3 vCue;
    ASSERT_TRUE(m_Engine.GetBallPosition(0, vCue, nullptr));
    const CVector3 vSpotA = GetTableSpotA();
    EXPECT_NEAR(vCue.x, vSpotA.x, 1e-4);
    EXPECT_NEAR(vCue.y, vSpotA.z, 1e-4);
    EXPECT_EQ(m_Engine.IsBallInZone(0), 3);
}

TEST_F(CShotOutcomeTest, PluginVerdictIsTakenOnlyWhereItFitsTheTable)
{
    Start(GAME_9BALL);
    // The rack spot ball 4 leaves is free again once the verdict is taken; the others stay taken.
    CVector3 vBall4;
    ASSERT_TRUE(m_Engine.GetBallPosition(4, vBall4, nullptr));
    const std::vector<SRackSpot>& spots = g_PointList.GetSpots();
    const auto spot4 = std::ranges::find_if(spots, [&](const SRackSpot& spot)
                                            { return std::hypot(spot.x - vBall4.x, spot.y - vBall4.y) < 1e-4; });
    ASSERT_NE(spots.end(), spot4);
    m_Engine.RemoveBall(4);
    m_Flow.SetBallLists(static_cast<WORD>(0x3ff & ~Bit(4)), Bit(4));
    CShotOutcome outcome;
    outcome.nShooterPoints = 7;
    outcome.nOtherGames = 2;
    outcome.nNextCueBall = 12;            // not on a nine-ball table
    outcome.dwPutBack = Bit(4) | Bit(14); // 14 is beyond the ball count
    outcome.dwShownPutBack = 0xffff;
    outcome.bTurnPasses = 1;
    m_Flow.ApplyShotOutcome(outcome, true);
    EXPECT_EQ(m_Flow.Player1().GetPoints(), 7);
    EXPECT_EQ(m_Flow.Player2().GetGames(), 2);
    EXPECT_EQ(m_Flow.GetReferee()->GetCueBall(), 0);
    EXPECT_TRUE(EngineHolds(4));
    EXPECT_FALSE(EngineHolds(14));
    EXPECT_EQ(m_Flow.GetPutBackMask(), 0x3ff);
    EXPECT_FALSE(m_Flow.IsPlayer1Current());
    EXPECT_TRUE(Progress().empty());
    EXPECT_EQ(TRUE, spot4->bFree);
    EXPECT_EQ(1, std::ranges::count(spots.begin() + 1, spots.begin() + g_PointList.GetCount(), TRUE, &SRackSpot::bFree))
        << "every other spot of the rack has its ball";
}
} // namespace

namespace
{
TEST_F(CShotOutcomeTest, PluginCountersBelowZeroAreNotTakenAndTheRestOfTheVerdictIs)
{
    struct SCase
    {
        const char* szName;
        std::int32_t nShooterFouls;
        std::int32_t nOtherPoints;
        LONG nFouls1, nPoints2; // after
    };
    const SCase aCases[] = {
        {"sound counters", 2, 5, 2, 5},
        {"a foul count below 0", -1, 5, 0, 0},
        {"a point count below 0", 2, -3, 0, 0},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        Start(GAME_9BALL);
        m_Flow.Player1().SetFouls(0);
        m_Flow.Player2().SetPoints(0);
        CShotOutcome outcome;
        outcome.nShooterFouls = c.nShooterFouls;
        outcome.nOtherPoints = c.nOtherPoints;
        outcome.nNextCueBall = 0;
        outcome.bTurnPasses = 1;
        m_Flow.ApplyShotOutcome(outcome, true);
        EXPECT_EQ(m_Flow.Player1().GetFouls(), c.nFouls1);
        EXPECT_EQ(m_Flow.Player2().GetPoints(), c.nPoints2);
        EXPECT_FALSE(m_Flow.IsPlayer1Current()) << "the turn passes all the same";
    }
}
} // namespace
