// 8-ball: the target is the shooter's group (-1 open table, -2 stripes, -3 solids). The referee
// flags a loss; the win on the 8 (not lost, no foul, on the 8) is read by the game flow.
#include "RefereeShotTable.h"

#include "simulation/RefereeTypes.h"

namespace
{
constexpr int OPEN = CReferee8Ball::OPEN_TABLE;
constexpr int STRIPES = CReferee8Ball::STRIPES;
constexpr int SOLIDS = CReferee8Ball::SOLIDS;
constexpr WORD SOLID_BALLS = 0x00FE; // balls 1 to 7

using CReferee8BallTest = CRefereeTest;

std::unique_ptr<CReferee> Make8Ball() { return std::make_unique<CReferee8Ball>(); }

TEST_F(CReferee8BallTest, JudgesTheBreak)
{
    // The game flow marks the break made, so these judgements leave it at 0; a foul on the break
    // therefore scores -2.
    RunShotTable(Make8Ball, {
                                {.szName = "four object balls at a cushion is legal",
                                 .nFirstHit = 1,
                                 .cushions = {{1, 1}, {2, 1}, {3, 2}, {4, 1}},
                                 .wFlags = fJudged,
                                 .bBreakMadeAfter = FALSE},
                                {.szName = "three object balls at a cushion and nothing dropped is a foul",
                                 .nFirstHit = 1,
                                 .cushions = {{0, 3}, {1, 1}, {2, 1}, {3, 4}},
                                 .nResult = 1,
                                 .nFoul = 1,
                                 .wFlags = fFoul | fJudged,
                                 .nScore = -2,
                                 .bBreakMadeAfter = FALSE},
                                {.szName = "a ball dropped needs no cushion",
                                 .nFirstHit = 1,
                                 .dropped = {3},
                                 .wFlags = fPot | fJudged,
                                 .nScore = 1,
                                 .bBreakMadeAfter = FALSE},
                                {.szName = "the 8 dropped on the break is no loss",
                                 .nFirstHit = 1,
                                 .dropped = {8},
                                 .wFlags = fPot | fJudged,
                                 .nScore = 1,
                                 .bBreakMadeAfter = FALSE},
                                {.szName = "the cue ball dropped is a foul",
                                 .nFirstHit = 1,
                                 .cushions = {{1, 1}, {2, 1}, {3, 1}, {4, 1}},
                                 .dropped = {0},
                                 .nResult = 1,
                                 .nFoul = 1,
                                 .wFlags = fPot | fCue | fFoul | fJudged,
                                 .nScore = -2,
                                 .bBreakMadeAfter = FALSE},
                            });
}

TEST_F(CReferee8BallTest, JudgesTheOpenTableAndTheGroups)
{
    RunShotTable(Make8Ball, {
                                {.szName = "open table: any ball first and a cushion",
                                 .bBreakMade = TRUE,
                                 .nTarget = OPEN,
                                 .nFirstHit = 9,
                                 .cushions = {{0, 1}},
                                 .wFlags = fBreak | fJudged},
                                {.szName = "open table: no cushion and nothing dropped is a foul",
                                 .bBreakMade = TRUE,
                                 .nTarget = OPEN,
                                 .nFirstHit = 9,
                                 .nResult = 1,
                                 .nFoul = 1,
                                 .wFlags = fFoul | fBreak | fJudged},
                                {.szName = "cue ball off the table is a foul",
                                 .bBreakMade = TRUE,
                                 .nTarget = OPEN,
                                 .nFirstHit = 3,
                                 .cushions = {{3, 1}},
                                 .wOffTable = BALL(0),
                                 .nResult = 1,
                                 .nFoul = 1,
                                 .wFlags = fOff | fFoul | fBreak | fJudged},
                                {.szName = "hitting nothing is a foul",
                                 .bBreakMade = TRUE,
                                 .nTarget = SOLIDS,
                                 .cushions = {{0, 2}},
                                 .nResult = 1,
                                 .nFoul = 1,
                                 .wFlags = fFoul | fBreak | fJudged},
                                {.szName = "solids: a solid first and a cushion",
                                 .bBreakMade = TRUE,
                                 .nTarget = SOLIDS,
                                 .nFirstHit = 2,
                                 .cushions = {{2, 1}},
                                 .wFlags = fBreak | fJudged},
                                {.szName = "solids: a stripe first is a foul even when a solid drops",
                                 .bBreakMade = TRUE,
                                 .nTarget = SOLIDS,
                                 .nFirstHit = 10,
                                 .dropped = {3},
                                 .nResult = 1,
                                 .nFoul = 1,
                                 .wFlags = fPot | fFoul | fBreak | fJudged,
                                 .nScore = 1},
                                {.szName = "solids: no cushion and nothing dropped is a foul",
                                 .bBreakMade = TRUE,
                                 .nTarget = SOLIDS,
                                 .nFirstHit = 1,
                                 .nResult = 1,
                                 .nFoul = 1,
                                 .wFlags = fFoul | fBreak | fJudged},
                                {.szName = "stripes: a solid first is a foul",
                                 .bBreakMade = TRUE,
                                 .nTarget = STRIPES,
                                 .nFirstHit = 7,
                                 .cushions = {{7, 1}},
                                 .nResult = 1,
                                 .nFoul = 1,
                                 .wFlags = fFoul | fBreak | fJudged},
                                {.szName = "stripes: the 8 first is a foul",
                                 .bBreakMade = TRUE,
                                 .nTarget = STRIPES,
                                 .nFirstHit = 8,
                                 .cushions = {{8, 1}},
                                 .nResult = 1,
                                 .nFoul = 1,
                                 .wFlags = fFoul | fBreak | fJudged},
                                {.szName = "stripes: a stripe dropped",
                                 .bBreakMade = TRUE,
                                 .nTarget = STRIPES,
                                 .nFirstHit = 15,
                                 .dropped = {15},
                                 .wFlags = fPot | fBreak | fJudged,
                                 .nScore = 1},
                                {.szName = "the 8 dropped before the group is cleared loses",
                                 .bBreakMade = TRUE,
                                 .nTarget = SOLIDS,
                                 .nFirstHit = 2,
                                 .dropped = {2, 8},
                                 .wFlags = fLost | fPot | fBreak | fJudged,
                                 .nScore = 2},
                                {.szName = "the 8 knocked off the table loses",
                                 .bBreakMade = TRUE,
                                 .nTarget = SOLIDS,
                                 .nFirstHit = 2,
                                 .cushions = {{8, 1}},
                                 .wOffTable = BALL(8),
                                 .wFlags = fLost | fOff | fBreak | fJudged},
                                {.szName = "clearing the group and dropping the 8 in one shot loses",
                                 .wPocketedBefore = SOLID_BALLS & ~BALL(7),
                                 .bBreakMade = TRUE,
                                 .nTarget = SOLIDS,
                                 .nFirstHit = 7,
                                 .dropped = {7, 8},
                                 .wFlags = fLost | fPot | fBreak | fFinal | fJudged,
                                 .nScore = 2},
                                {.szName = "clearing the group puts the shooter on the 8",
                                 .wPocketedBefore = SOLID_BALLS & ~BALL(7),
                                 .bBreakMade = TRUE,
                                 .nTarget = SOLIDS,
                                 .nFirstHit = 7,
                                 .dropped = {7},
                                 .wFlags = fPot | fBreak | fFinal | fJudged,
                                 .nScore = 1},
                            });
}

TEST_F(CReferee8BallTest, JudgesTheLastBall)
{
    // The solids are cleared and the previous judgement put the shooter on the 8.
    auto onEight = [](SShot shot)
    {
        shot.wPocketedBefore = SOLID_BALLS;
        shot.bBreakMade = TRUE;
        shot.nTarget = SOLIDS;
        shot.wPriorFlags = fFinal;
        shot.bCallOption = TRUE;
        return shot;
    };
    RunShotTable(Make8Ball, {
                                onEight({.szName = "another ball first is a foul",
                                         .nFirstHit = 9,
                                         .cushions = {{9, 1}},
                                         .nResult = 1,
                                         .nFoul = 1,
                                         .wFlags = fFoul | fBreak | fFinal | fJudged}),
                                onEight({.szName = "the 8 first without cushion or drop is a foul",
                                         .nFirstHit = 8,
                                         .nResult = 1,
                                         .nFoul = 1,
                                         .wFlags = fFoul | fBreak | fFinal | fJudged}),
                                onEight({.szName = "the 8 into the called pocket: no foul, no loss (the game is won)",
                                         .nFirstHit = 8,
                                         .dropped = {8},
                                         .call = {8, 2, 1},
                                         .wFlags = fPot | fBreak | fFinal | fJudged,
                                         .nScore = 1}),
                                onEight({.szName = "the 8 into another pocket than called loses",
                                         .nFirstHit = 8,
                                         .dropped = {8},
                                         .call = {8, 2, 0},
                                         .wFlags = fLost | fPot | fBreak | fFinal | fJudged,
                                         .nScore = 1}),
                                onEight({.szName = "the 8 with the cue ball loses",
                                         .nFirstHit = 8,
                                         .dropped = {8, 0},
                                         .call = {8, 2, 1},
                                         .nResult = 1,
                                         .nFoul = 1,
                                         .wFlags = fLost | fPot | fCue | fFoul | fBreak | fFinal | fJudged,
                                         .nScore = 2}),
                            });
}

TEST_F(CReferee8BallTest, JudgingLeavesTheBreakAndTheJudgedMarkToTheGameFlow)
{
    CReferee8Ball referee;
    referee.BeginShot(OPEN, 255);
    referee.GetBallTable()->NoteFirstHit(1, 0);
    referee.GetBallTable()->NotePocketed(1, 0);
    referee.JudgeShot();
    EXPECT_FALSE(referee.IsBreakMade());
    EXPECT_FALSE(referee.IsJudged());
}

TEST_F(CReferee8BallTest, DecidedGroupAndBallsLeftOfTheGroup)
{
    struct SCase
    {
        const char* szName;
        std::vector<int> dropped;
        int nGroup;
    };
    const SCase cases[] = {
        {"one solid decides solids", {3}, 0},
        {"one stripe decides stripes", {11}, 1},
        {"a solid and a stripe decide nothing", {3, 11}, -1},
        {"the 8 decides nothing", {8}, -1},
        {"the cue ball decides nothing", {0}, -1},
        {"nothing dropped", {}, -1},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CReferee8Ball referee;
        referee.BeginShot(OPEN, 255);
        for (int nBall : c.dropped)
            referee.GetBallTable()->NotePocketed(nBall, 0);
        EXPECT_EQ(c.nGroup, referee.GetDecidedGroup());
    }

    // Balls left: the shooter's group only, or every ball (cue ball and 8 included) on an open table.
    CReferee8Ball referee;
    referee.GetBallTable()->SetPocketedBeforeMask(BALL(1) | BALL(9) | BALL(10));
    referee.BeginShot(SOLIDS, 255);
    EXPECT_EQ(6, referee.CountOnTable());
    referee.SetTarget(STRIPES);
    EXPECT_EQ(5, referee.CountOnTable());
    referee.SetTarget(OPEN);
    EXPECT_EQ(13, referee.CountOnTable());
}
} // namespace
