#include "ui/HudTexts.h"

#include "gameflow/GameMode.h"

#include <gtest/gtest.h>
#include <string>

namespace
{
/// Names a string resource by its number, so that the tests see which text was chosen.
CString FakeString(UINT nId)
{
    CString str;
    str.Format("<%u>", nId);
    return str;
}

TEST(HudTextsTest, MatchTitleNamesTheGameAndTheMatch)
{
    const struct
    {
        int nGameType;
        UINT nStringId;
    } names[] = {{0, 21622},  {3, 21540},  {8, 21541},   {9, 21542}, {15, 21539}, {16, 21601},
                 {17, 21608}, {18, 21621}, {101, 21624}, {42, 0},    {-1, 0}};
    for (const auto& c : names)
    {
        SCOPED_TRACE(c.nGameType);
        EXPECT_EQ(c.nStringId, GameNameStringId(c.nGameType));
    }
    const struct
    {
        int nCompetition;
        int nGoal;
        const char* szTitle;
    } titles[] = {{0, 3, "8-Ball - Practice"},
                  {1, 3, "8-Ball - Best of 5"},
                  {2, 1, "8-Ball - Best of 1"},
                  {1, 0, "8-Ball - Best of -1"}};
    for (const auto& c : titles)
    {
        SCOPED_TRACE(c.szTitle);
        EXPECT_STREQ(c.szTitle, FormatMatchTitle("8-Ball", c.nCompetition, c.nGoal).GetString());
    }
}

TEST(HudTextsTest, TurnBannerTellsTheModeAndAsksTheBarForItsTip)
{
    const struct
    {
        const char* szName;
        DWORD dwMode;
        bool bOverhead;
        bool bHuman;
        const char* szPlayer;
        int nPicked;
        bool bWaitWidget;
        const char* szText;
        int nBarMode;
    } cases[] = {
        {"call the shot wins over all", modeCallShot | modeBallInHand, false, true, "Ann", -1, false, "<21569>", 0},
        {"ball in hand", modeBallInHand, false, true, "Ann", -1, false, "Ball In Hand", 4},
        {"waiting, no overhead", modeWaiting, false, true, "Ann", -1, false, "<149>", 0},
        {"waiting, overhead, human", modeWaiting, true, true, "Ann", -1, false, "Ann's Turn", 1},
        {"waiting, overhead, named", modeWaiting, true, true, "Ducky", -1, false, "<154>", 1},
        {"waiting, overhead, shot running", modeWaiting | gmShotRunning, true, true, "Ann", -1, true, "<149>", 0},
        {"waiting, overhead, computer", modeWaiting, true, false, "Bot", -1, false, "", 0},
        {"free placement, none picked", modePlaceCueBall, false, true, "Ann", -1, false, "<21571>", 0},
        {"free placement, cue ball", modePlaceCueBall, false, true, "Ann", 0, false, "", 4},
        {"free placement, ball 7", modePlaceCueBall, false, true, "Ann", 7, false, "<21571>7  ", 0},
        {"stroke", modeMouseStroke, false, true, "Ann", -1, false, "", 0},
        {"aiming", modeAim, false, true, "Ann", -1, false, "Ann's Turn", 3},
        {"aiming, Sandwich", modeAim, false, true, "Sandwich", -1, false, "<152>", 3},
        {"aiming, Tumbler", modeAim, false, false, "Tumbler", -1, false, "<153>", 0},
        {"aiming, overhead", modeAim, true, true, "Ann", -1, false, "", 1},
        {"no mode: plain turn, no name rule", modeNone, false, true, "Ducky", -1, false, "Ducky's Turn", 0},
        {"a name with percent signs", modeNone, false, true, "100%s", -1, false, "100%s's Turn", 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.szName);
        SBannerState state;
        state.dwMode = c.dwMode;
        state.bOverhead = c.bOverhead;
        state.bHumanTurn = c.bHuman;
        state.strPlayer = c.szPlayer;
        state.nPickedBall = c.nPicked;
        state.bWaitWidget = c.bWaitWidget;
        const SBanner banner = GetTurnBanner(state, FakeString);
        EXPECT_STREQ(c.szText, banner.strText.GetString());
        EXPECT_EQ(c.nBarMode, banner.nBarMode);
    }
}

TEST(HudTextsTest, ScorePanelsShowTheGameTypesCounters)
{
    // Points 5, games 2, fouls 1, ball goal 50.
    const struct
    {
        int nGameType;
        bool bShown;
        const char* szLeft;
        const char* szRight;
    } cases[] = {{3, true, "----", "2"},   {8, true, "5 / 8", "2"},   {9, true, "----", "2"}, {16, true, "1 / 71", "5"},
                 {17, true, "1 / 8", "2"}, {18, true, "5 / 50", "2"}, {0, false, "", ""},     {15, false, "", ""},
                 {101, false, "", ""},     {42, false, "", ""}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.nGameType);
        CString strLeft = "stale";
        CString strRight = "stale";
        EXPECT_EQ(c.bShown, GetScoreTexts(c.nGameType, 5, 2, 1, 50, strLeft, strRight));
        EXPECT_STREQ(c.szLeft, strLeft.GetString());
        EXPECT_STREQ(c.szRight, strRight.GetString());
    }
}

TEST(HudTextsTest, ScoreIconShowsTheGroupOrTheBallToPlay)
{
    const struct
    {
        int nGameType;
        LONG nGroup;
        bool bCurrent;
        int nTarget;
        int nBall;
    } cases[] = {{8, 0, false, 3, 1},   {8, 1, true, 3, 9},    {8, -1, true, 3, -1},
                 {9, -1, true, 4, 4},   {9, -1, false, 4, -1}, {3, -1, true, 2, 2},
                 {3, -1, true, -1, -1}, {16, 0, true, 3, -1},  {9, -1, true, 16, -1}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.nGameType << " group " << c.nGroup << " current " << c.bCurrent);
        EXPECT_EQ(c.nBall, GetScoreIconBall(c.nGameType, c.nGroup, c.bCurrent, c.nTarget));
    }
}
} // namespace

TEST(HudTextsTest, BallLabelShowsTheHoveredCalledOrMarkedBall)
{
    const struct
    {
        const char* szName;
        SBallLabelState state;
        int nExpected;
    } cases[] = {
        {"overhead, no call state: the ball under the cursor", {false, true, false, false, 8, 5, 7, 2}, 5},
        {"overhead: the cue ball shows nothing", {false, true, false, false, 8, 0, 7, 2}, -1},
        {"overhead: nothing while a shot runs", {false, true, true, false, 8, 5, 7, 2}, -1},
        {"3-D view: the called ball", {false, false, false, false, 8, 5, 7, 2}, 7},
        {"a call state outside its mode: the called ball", {true, true, false, false, 8, 5, 7, 2}, 7},
        {"the called ball hides while a shot runs", {true, false, true, false, 8, 5, 7, 2}, -1},
        {"nothing called", {true, false, false, false, 8, 5, -1, 2}, -1},
        {"calling in the pyramid: the marked ball", {true, false, false, true, 16, 5, 7, 2}, 2},
        {"calling in 14.1: nothing marked, the called ball", {true, false, false, true, 18, 5, 7, -1}, 7},
        {"calling in 8-ball: no label", {true, false, false, true, 8, 5, 7, 2}, -1},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.szName);
        EXPECT_EQ(c.nExpected, GetLabelBall(c.state));
    }
}

TEST(HudTextsTest, CalledPocketShowsWhileTheCallIsOpenOrInEightBall)
{
    const struct
    {
        const char* szName;
        bool bState, bMode, bDone;
        int nType, nPocket;
        bool bShown;
    } cases[] = {
        {"calling, open", true, true, false, 16, 3, true},
        {"calling, done", true, true, true, 16, 3, false},
        {"8-ball after the call", true, false, true, 8, 0, true},
        {"no pocket called", true, true, false, 8, -1, false},
        {"no call state", false, true, false, 8, 3, false},
        {"other type outside the mode", true, false, false, 9, 3, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.szName);
        EXPECT_EQ(c.bShown, ShowsCalledPocket(c.bState, c.bMode, c.bDone, c.nType, c.nPocket));
    }
}
