// The next rack of a match on the real frame: the rack-decided message the game posts is handed to
// the frame, which racks again for the rack's winner with what the game type keeps of the last
// rack, the camera back at its rest or at the top view, and the first turn begun.
#include "tests/app/ScriptedFrame.h"

#include "app/CommandRules.h"
#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "gameflow/FlowHost.h"
#include "gameflow/GameFlow.h"
#include "gameflow/GameMode.h"
#include "simulation/RefereeTypes.h"
#include "ui/TextMessages.h"

#include <cstring>
#include <gtest/gtest.h>
#include <tuple>

namespace
{
using CFrameNextRackTest = CScriptedFrameTest;

/// A decided rack with both players' counters dirty, handed to the frame as the game posts it.
void DecideRack(CMainFrame& frame, bool bPlayer2Wins)
{
    CGameFlow& flow = frame.GetGameFlow();
    for (auto [pPlayer, nFouls, nPoints, nGroup] : {std::tuple{&flow.Player1(), 2, 3, 0}, {&flow.Player2(), 1, 4, 1}})
    {
        pPlayer->SetFouls(nFouls);
        pPlayer->SetPoints(nPoints);
        pPlayer->SetGroup(nGroup);
    }
    flow.SetMatchGoal(99); // changed behind the game: the rack makes it the game's own again
    SetGameFlag(gmRackDecided);
    SendMessage(frame.m_hWnd, FLOW_MSG_MATCH_PROGRESS, bPlayer2Wins ? 1 : 0, 0);
}

TEST_F(CFrameNextRackTest, EachGameTypeRacksForTheWinnerWithWhatItsMatchKeeps)
{
    struct SCase
    {
        const char* szName;
        int nGameType;
        int nCompetition; // "Competition Type": 0 practice
        bool bPlayer2Wins;
        LONG nPoints1; // the points after the rack: kept or cleared
        LONG nPoints2;
        bool bPlayer1Next; // who breaks
    };
    const SCase aCases[] = {
        {"nine-ball: the racks won count, each rack's fouls and points start again", GAME_9BALL, 1, true, 0, 0, false},
        {"eight-ball: the groups are open again", GAME_8BALL, 1, false, 0, 0, true},
        {"straight pool: a rack is played for its own points", GAME_14_1, 1, true, 0, 0, false},
        {"pyramid: the points are the racks won, the tallies start again", GAME_PYRAMID, 1, false, 4, 4, true},
        {"practice: the racks won are kept in the points", GAME_9BALL, 0, false, 4, 4, true},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_Settings.m_nGameType = c.nGameType;
        g_Settings.m_nCompetitionType = c.nCompetition;
        g_Settings.m_nGamesGoal = 5;
        g_Settings.m_nBallsGoal = 60;
        CFrameScope frame(true);
        ASSERT_TRUE(frame.m_bCreated);
        CMainFrame& f = *frame.m_pFrame;
        CGameFlow& flow = f.GetGameFlow();
        const LONG nGoal = flow.GetMatchGoal();
        // The tallies of pyramid are its fouls: player 1 ahead takes the rack.
        DecideRack(f, c.bPlayer2Wins);
        EXPECT_FALSE(HasGameFlag(gmRackDecided));
        EXPECT_EQ(0, flow.Player1().GetFouls());
        EXPECT_EQ(0, flow.Player2().GetFouls());
        EXPECT_EQ(c.nPoints1, flow.Player1().GetPoints());
        EXPECT_EQ(c.nPoints2, flow.Player2().GetPoints());
        EXPECT_TRUE(flow.Player1().HasNoGroup());
        EXPECT_TRUE(flow.Player2().HasNoGroup());
        EXPECT_EQ(nGoal, flow.GetMatchGoal());
        EXPECT_EQ(c.bPlayer1Next, flow.IsPlayer1Current());
        EXPECT_EQ(GetBallsMask(GetTableBallCount(*flow.GetReferee())), flow.GetOnTableMask()) << "racked";
        // The breaker is a person: the ball in hand at once, the camera at its rest pose.
        EXPECT_EQ(modeBallInHand, GetModeField());
        EXPECT_FLOAT_EQ(SFlowCamera::DEFAULT_YAW, flow.Camera().fYaw);
        EXPECT_FLOAT_EQ(SFlowCamera::DEFAULT_PITCH, flow.Camera().fPitch);
        EXPECT_FLOAT_EQ(SFlowCamera::DEFAULT_DISTANCE, flow.Camera().fDistance);
        g_nGameMode = 0;
    }
}

TEST_F(CFrameNextRackTest, AComputerBreaksAfterItsFlightAndTheTopViewStaysForTheNextRack)
{
    g_Settings.m_nGameType = GAME_9BALL;
    g_Settings.m_nCompetitionType = 1;
    g_Settings.m_nGamesGoal = 5;
    CFrameScope frame(true);
    ASSERT_TRUE(frame.m_bCreated);
    CMainFrame& f = *frame.m_pFrame;
    CGameFlow& flow = f.GetGameFlow();
    flow.Player2().SetLevel(5);
    flow.ApplyTopView();
    SetGameFlag(gmKeepView | gmStartupFlag);
    DecideRack(f, true);
    EXPECT_FALSE(flow.IsPlayer1Current());
    EXPECT_TRUE(HasGameFlag(gmRobotStroke)) << "the computer's turn";
    EXPECT_EQ(modeCameraFlight, GetModeField());
    EXPECT_TRUE(HasGameFlag(gmKeepView | gmStartupFlag)) << "the rack keeps the top view and the start-up flag";
    EXPECT_FLOAT_EQ(flow.GetTopViewRecord().m_vCamera.y, flow.Camera().fPitch) << "seen from the top view";
}

TEST_F(CFrameNextRackTest, APyramidRackNamesItsWinnerUnlessTheSeatWasHandedToTheComputer)
{
    struct SCase
    {
        const char* szName;
        int nDeveloperLevel; // the developer's level command given first; -1 none
        bool bWinnerShown;
    };
    const SCase aCases[] = {
        {"two people: the winner is named", -1, true},
        {"the seat handed to level 3 plays on without it", 3, false},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_Settings.m_nGameType = GAME_PYRAMID;
        g_Settings.m_nCompetitionType = 1;
        g_Settings.m_nGamesGoal = 5;
        CFrameScope frame(true);
        ASSERT_TRUE(frame.m_bCreated);
        CMainFrame& f = *frame.m_pFrame;
        g_bDeveloperMode = TRUE;
        if (c.nDeveloperLevel >= 0)
            SendMessage(f.m_hWnd, WM_COMMAND, ID_DEVELOPER_LEVEL_0 + static_cast<UINT>(c.nDeveloperLevel), 0);
        g_TextMessages.Clear();
        DecideRack(f, false);
        const char* szHead = g_TextMessages.GetHeadText();
        EXPECT_EQ(c.bWinnerShown, szHead != nullptr && std::strstr(szHead, " the rack") != nullptr)
            << (szHead != nullptr ? szHead : "(none)");
        g_bDeveloperMode = FALSE;
        g_bComputerPlays = FALSE;
        g_TextMessages.Clear();
        g_nGameMode = 0;
    }
}
} // namespace
