#include "tests/gameflow/FlowTestSupport.h"

#include "platform/win32/Clock.h"

#include <string>
#include <vector>

namespace
{
class CMatchProgressTest : public CFlowTest
{
};

TEST_F(CMatchProgressTest, TrophiesAddToTheirSetOfThree)
{
    const int aBronze[8] = {1, 1, 4, 5, 4, 5, 7, 7};
    const int aSilver[8] = {2, 4, 2, 6, 4, 7, 6, 7};
    const int aGold[8] = {3, 5, 6, 3, 7, 5, 6, 7};
    for (int n = 0; n < 8; ++n)
    {
        SCOPED_TRACE(n);
        EXPECT_EQ(AddTrophy(n, TROPHY_BRONZE), aBronze[n]);
        EXPECT_EQ(AddTrophy(n, TROPHY_SILVER), aSilver[n]);
        EXPECT_EQ(AddTrophy(n, TROPHY_GOLD), aGold[n]);
    }
    EXPECT_EQ(AddTrophy(9, TROPHY_GOLD), 9);
    EXPECT_EQ(AddTrophy(-1, TROPHY_BRONZE), -1);
    EXPECT_EQ(GetTrophySlot(17), 1);
    EXPECT_EQ(GetTrophySlot(16), 4);
    EXPECT_EQ(GetTrophySlot(101), 0);
}

TEST_F(CMatchProgressTest, NextTurnPassesBetweenPresentPlayersAndPracticeKeepsPlayerOne)
{
    Start(GAME_8BALL);
    m_Flow.Player1().SetPoints(3);
    m_Flow.Player2().SetPoints(5);
    SetGameFlag(gmRobotStroke);
    m_Flow.NextTurn();
    EXPECT_FALSE(m_Flow.IsPlayer1Current());
    EXPECT_FALSE(HasGameFlag(gmRobotStroke));
    m_Flow.Player1().SetDead();
    m_Flow.NextTurn();
    EXPECT_FALSE(m_Flow.IsPlayer1Current());

    m_Flow.Player1().SetLocal();
    m_Flow.Settings().nCompetitionType = 0;
    m_Flow.Player1().SetGroup(1);
    for (int i = 0; i < 3; ++i)
    {
        SCOPED_TRACE(i);
        m_Flow.NextTurn();
        EXPECT_TRUE(m_Flow.IsPlayer1Current());
    }
    EXPECT_EQ(m_Flow.Player1().GetPoints(), 5);
    EXPECT_EQ(m_Flow.Player2().GetPoints(), 3);
    EXPECT_EQ(m_Flow.Player1().GetGroup(), 0);
}

TEST_F(CMatchProgressTest, GamesGoalEndsTheMatchOrTheWinnerBreaksTheNextRack)
{
    Start(GAME_9BALL);
    m_Flow.Settings().nGamesGoal = 4;
    m_Flow.Player2().SetGames(3);
    // Nothing was decided: nothing is counted.
    m_Flow.AdvanceMatchByGames(1);
    EXPECT_EQ(m_Flow.Player2().GetGames(), 3);

    SetGameFlag(gmRackDecided | gmStartupFlag);
    m_Flow.AdvanceMatchByGames(0);
    EXPECT_EQ(m_Flow.Player1().GetGames(), 1);
    EXPECT_FALSE(HasGameFlag(gmRackDecided));
    EXPECT_TRUE(HasGameFlag(gmStartupFlag));
    EXPECT_TRUE(m_Flow.IsPlayer1Current());
    EXPECT_EQ(GetModeField(), modeBallInHand);
    EXPECT_EQ(m_Flow.GetOnTableMask(), 0x3ff);
    EXPECT_TRUE(m_Host.PostedMessages().empty());

    SetGameFlag(gmRackDecided);
    m_Flow.AdvanceMatchByGames(1);
    EXPECT_EQ(m_Flow.Player2().GetGames(), 4);
    ASSERT_EQ(m_Host.PostedMessages().size(), 1u);
    EXPECT_EQ(m_Host.PostedMessages()[0].nMsg, FLOW_MSG_MATCH_END);
}

TEST_F(CMatchProgressTest, PyramidRackGoesByTheTalliesAndTiesGoToPlayerTwoOrTheComputer)
{
    struct SCase
    {
        const char* szName;
        int nLevel1;
        int nLevel2;
        LONG f1;
        LONG f2;
        bool bPlayer1Wins;
    };
    const SCase aCases[] = {
        {"two people, tie", 0, 0, 30, 30, false},
        {"two people, player 1 ahead", 0, 0, 40, 31, true},
        {"computer as player 1, tie", 3, 0, 30, 30, true},
        {"computer as player 2, tie", 0, 3, 30, 30, false},
        {"two computers, player 2 ahead", 2, 2, 20, 50, false},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        Start(GAME_PYRAMID);
        m_Flow.SetMatchGoal(5);
        m_Flow.Player1().SetLevel(c.nLevel1).SetPoints(0);
        m_Flow.Player2().SetLevel(c.nLevel2).SetPoints(0);
        m_Flow.Player1().SetFouls(c.f1);
        m_Flow.Player2().SetFouls(c.f2);
        m_Flow.GameOver(0);
        EXPECT_EQ(m_Flow.Player1().GetPoints(), c.bPlayer1Wins ? 1 : 0);
        EXPECT_EQ(m_Flow.Player2().GetPoints(), c.bPlayer1Wins ? 0 : 1);
        EXPECT_EQ(m_Flow.IsPlayer1Current(), c.bPlayer1Wins);
    }
}

TEST_F(CMatchProgressTest, PyramidMatchEndHoldsTwoSecondsThenShowsTheResultGameOverOrTheMatchWonDialog)
{
    constexpr UINT MSG_NONE = 0;
    struct SCase
    {
        const char* szName;
        bool bStartup;
        bool bAutoplay;
        bool bAnnWins;
        bool bWinnerShotLast;           // else the loser pocketed the deciding ball
        std::vector<std::string> texts; // shown as the match ends, before the hold
        std::vector<std::string> dialogs;
        UINT nPosted; // after the hold
    };
    const SCase aCases[] = {
        {"started by the program: GAME OVER stays", true, false, true, true, {}, {"won: Ann"}, MSG_NONE},
        {"the person beats the computer",
         false,
         false,
         true,
         true,
         {},
         {"won: Ann", "match won: Ann"},
         FLOW_MSG_MATCH_END},
        {"the computer pockets the last ball but the person wins on the tally",
         false,
         false,
         true,
         false,
         {},
         {"won: Ann", "match won: Ann"},
         FLOW_MSG_MATCH_END},
        {"the computer wins", false, false, false, true, {}, {"lost: Bob", "match won: Bob"}, FLOW_MSG_MATCH_END},
        {"autoplay in a game the program started: the window closes",
         true,
         true,
         true,
         true,
         {"Ann\n#21585@2000"},
         {},
         FLOW_MSG_CLOSE_NOW},
        {"autoplay: the match ends", false, true, false, true, {"Bob\n#21584@2000"}, {}, FLOW_MSG_MATCH_END},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CTestClockScope clock(10000);
        Start(GAME_PYRAMID);
        g_nGameMode = modeWaiting | (c.bStartup ? gmStartupFlag : 0);
        m_Host.m_Dialogs.clear();
        m_Host.m_Texts.clear();
        m_Host.PostedMessages().clear();
        m_Flow.SetAutoplay(c.bAutoplay);
        m_Flow.SetMatchGoal(1);
        m_Flow.Player1().GetNameRef() = "Ann";
        m_Flow.Player2().GetNameRef() = "Bob";
        m_Flow.Player1().SetLevel(0).SetPoints(0);
        m_Flow.Player2().SetLevel(5).SetPoints(0);
        m_Flow.Player1().SetFouls(c.bAnnWins ? 50 : 10);
        m_Flow.Player2().SetFouls(c.bAnnWins ? 20 : 60);
        // The player who pocketed the deciding ball is the current one when the match ends.
        m_Flow.SetCurrent(c.bAnnWins == c.bWinnerShotLast);
        m_Flow.GameOver(0);
        EXPECT_EQ(c.texts, m_Host.m_Texts);

        // The screen holds for two seconds of ticks: no dialog, no message, no mode change.
        for (const DWORD dwStep : {0u, 1000u, 999u})
        {
            clock.Advance(dwStep);
            m_Flow.Tick(16);
            EXPECT_TRUE(m_Flow.IsHoldingMatchEnd());
            EXPECT_TRUE(m_Host.m_Dialogs.empty());
            EXPECT_TRUE(m_Host.PostedMessages().empty());
            EXPECT_EQ(modeWaiting, GetModeField());
        }
        clock.Advance(1);
        m_Flow.Tick(16);
        EXPECT_FALSE(m_Flow.IsHoldingMatchEnd());
        EXPECT_EQ(c.dialogs, m_Host.m_Dialogs);
        EXPECT_EQ(HasGameFlag(gmGameOver), c.bStartup && !c.bAutoplay);
        EXPECT_EQ(!m_Host.m_Texts.empty() && m_Host.m_Texts.back() == "      GAME OVER!      @-1",
                  c.bStartup && !c.bAutoplay);
        const UINT nPosted = m_Host.PostedMessages().empty() ? MSG_NONE : m_Host.PostedMessages().back().nMsg;
        EXPECT_EQ(c.nPosted, nPosted);
        m_Flow.Tick(16);
        EXPECT_EQ(c.dialogs.size(), m_Host.m_Dialogs.size()) << "the end goes on once";
    }
    m_Flow.SetAutoplay(false);
}

TEST_F(CMatchProgressTest, APyramidRackWonSaysWhoWonUnlessAutoplayIsOn)
{
    for (const bool bAutoplay : {false, true})
    {
        SCOPED_TRACE(bAutoplay);
        Start(GAME_PYRAMID);
        m_Host.m_Texts.clear();
        m_Flow.SetAutoplay(bAutoplay);
        m_Flow.SetMatchGoal(3);
        m_Flow.Player1().GetNameRef() = "Ann";
        m_Flow.Player1().SetLevel(0).SetPoints(0);
        m_Flow.Player2().SetLevel(5).SetPoints(0);
        m_Flow.Player1().SetFouls(30);
        m_Flow.Player2().SetFouls(20);
        m_Flow.GameOver(0);
        EXPECT_FALSE(m_Flow.IsHoldingMatchEnd()) << "the match goes on at once";
        EXPECT_EQ(bAutoplay ? std::vector<std::string>{} : std::vector<std::string>{"Ann\n#21585@2000"},
                  m_Host.m_Texts);
        EXPECT_EQ(1, m_Flow.Player1().GetPoints());
    }
    m_Flow.SetAutoplay(false);
}

TEST_F(CMatchProgressTest, BeatingTheComputerAddsEachTrophyWhoseRuleHolds)
{
    struct SCase
    {
        const char* szName;
        int nLevel;
        int nGamesGoal;
        int nBallPath1;
        int nBefore;
        int nAfter;
    };
    const SCase aCases[] = {
        {"level 3 adds bronze", 3, 1, 1, 6, 7},
        {"bronze already held", 3, 1, 1, 1, 1},
        {"level 4 earns nothing", 4, 4, 1, 0, 0},
        {"level 5, best of 7: silver", 5, 4, 1, 0, 2},
        {"level 5 without the aiming aid: gold even in a short match", 5, 1, 0, 0, 3},
        {"level 6, best of 7, no aid: silver and gold", 6, 4, 0, 0, 6},
        {"level 9, best of 7: gold", 9, 4, 1, 1, 5},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CTestClockScope clock(10000);
        Start(GAME_PYRAMID);
        m_Flow.SetMatchGoal(1);
        m_Flow.Settings().nAiDefaultLevel = c.nLevel;
        m_Flow.Settings().nGamesGoal = c.nGamesGoal;
        m_Flow.Settings().nBallPath1 = c.nBallPath1;
        m_Flow.Settings().anTrophy[4] = c.nBefore;
        m_Flow.Player1().SetLevel(0).SetPoints(0);
        m_Flow.Player2().SetLevel(c.nLevel).SetPoints(0);
        m_Flow.Player1().SetFouls(50);
        m_Flow.Player2().SetFouls(20);
        m_Flow.GameOver(0);
        EXPECT_EQ(m_Flow.Settings().anTrophy[4], c.nBefore) << "nothing is awarded while the end holds";
        clock.Advance(2000);
        m_Flow.Tick(16);
        EXPECT_EQ(m_Flow.Settings().anTrophy[4], c.nAfter);
    }
}

TEST_F(CMatchProgressTest, PracticeCountsRacksForTheCurrentPlayer)
{
    Start(GAME_8BALL);
    m_Flow.Settings().nCompetitionType = 0;
    m_Flow.Settings().nMatchGoal = 2;
    m_Flow.SetMatchGoal(2);
    SetGameFlag(gmRackDecided);
    m_Flow.AdvanceMatchByGames(0);
    EXPECT_EQ(m_Flow.Player1().GetPoints(), 1);
    EXPECT_EQ(GetModeField(), modeBallInHand);
    SetGameFlag(gmRackDecided);
    m_Flow.AdvanceMatchByGames(0);
    ASSERT_EQ(m_Host.PostedMessages().size(), 1u);
    EXPECT_EQ(m_Host.PostedMessages()[0].nMsg, FLOW_MSG_MATCH_END);
}
} // namespace
