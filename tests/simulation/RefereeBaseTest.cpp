// The base rules: the referee of game type 15, and of the demonstration game (type 0, five balls).
#include "RefereeShotTable.h"

#include "simulation/RefereeTypes.h"

namespace
{
// The base rules under both classes that use them.
const std::vector<SShot> s_baseShots = {
    {.szName = "break with three cushion contacts in all is legal",
     .nFirstHit = 1,
     .cushions = {{1, 1}, {2, 1}, {3, 1}},
     .wFlags = fBreak | fJudged},
    {.szName = "break with two cushion contacts is a foul even when a ball drops",
     .nFirstHit = 1,
     .cushions = {{1, 1}, {2, 1}},
     .dropped = {2},
     .nResult = 1,
     .nFoul = 1,
     .wFlags = fPot | fFoul | fBreak | fJudged,
     .nScore = 1},
    {.szName = "break in which the cue ball drops: foul, -2, and the next shot is a break again",
     .nFirstHit = 1,
     .cushions = {{0, 2}, {1, 2}},
     .dropped = {0},
     .nResult = 1,
     .nFoul = 1,
     .wFlags = fPot | fCue | fFoul | fJudged,
     .nScore = -2,
     .bBreakMadeAfter = FALSE},
    {.szName = "break that hits nothing is a foul, but the break is made",
     .cushions = {{0, 4}},
     .nResult = 1,
     .nFoul = 1,
     .wFlags = fFoul | fBreak | fJudged},
    {.szName = "after the break no cushion is needed", .bBreakMade = TRUE, .nFirstHit = 2, .wFlags = fBreak | fJudged},
    {.szName = "after the break two balls dropped score 2",
     .wPocketedBefore = BALL(3),
     .bBreakMade = TRUE,
     .nFirstHit = 2,
     .dropped = {2, 4},
     .wFlags = fPot | fBreak | fJudged,
     .nScore = 2},
    {.szName = "after the break a cue ball drop is a foul; the dropped balls still count",
     .bBreakMade = TRUE,
     .nFirstHit = 2,
     .dropped = {2, 0},
     .nResult = 1,
     .nFoul = 1,
     .wFlags = fPot | fCue | fFoul | fBreak | fJudged,
     .nScore = 2},
    {.szName = "a ball off the table is flagged and no foul",
     .bBreakMade = TRUE,
     .nFirstHit = 2,
     .wOffTable = BALL(2),
     .wFlags = fOff | fBreak | fJudged},
    {.szName = "the last ball: the base rules never end the game themselves",
     .wPocketedBefore = 0xFFFF & ~(BALL(0) | BALL(4)),
     .bBreakMade = TRUE,
     .nFirstHit = 4,
     .dropped = {4},
     .wFlags = fPot | fBreak | fJudged,
     .nScore = 1},
};

using CRefereeBaseTest = CRefereeTest;

TEST_F(CRefereeBaseTest, BaseTypeJudgesEachShot)
{
    RunShotTable([] { return std::make_unique<CReferee>(); }, s_baseShots);
}

TEST_F(CRefereeBaseTest, DemoJudgesEachShotByTheBaseRules)
{
    RunShotTable([] { return std::make_unique<CRefereeDemo>(); }, s_baseShots);
}

TEST_F(CRefereeBaseTest, DemoBreakCountsOnlyTheFiveBallsInPlay)
{
    // Balls 5 and up are not in the demo's rack: their cushion contacts do not make the break.
    RunShotTable([] { return std::make_unique<CRefereeDemo>(); }, {{.szName = "cushions of balls outside the rack",
                                                                    .nFirstHit = 1,
                                                                    .cushions = {{1, 1}, {5, 1}, {9, 1}},
                                                                    .nResult = 1,
                                                                    .nFoul = 1,
                                                                    .wFlags = fFoul | fBreak | fJudged},
                                                                   {.szName = "cushions of the rack's balls",
                                                                    .nFirstHit = 1,
                                                                    .cushions = {{1, 1}, {4, 1}, {0, 1}},
                                                                    .wFlags = fBreak | fJudged}});
}

TEST_F(CRefereeBaseTest, BreakIsJudgedAgainUntilTheCueBallStaysOnTheTable)
{
    CReferee referee;
    PlayShot(referee, s_baseShots[2]); // the cue ball drops on the break
    referee.JudgeShot();
    ASSERT_FALSE(referee.IsBreakMade());
    // The next shot is judged as a break: two cushion contacts are not enough.
    referee.BeginShot(-1, 255);
    referee.GetBallTable()->NoteFirstHit(3, 0);
    referee.GetBallTable()->SetBallCountHigh(3, 2);
    EXPECT_EQ(1, referee.JudgeShot());
    EXPECT_TRUE(referee.IsBreakMade());
    // And now it is made: the same shot is legal.
    referee.BeginShot(-1, 255);
    referee.GetBallTable()->NoteFirstHit(3, 0);
    EXPECT_EQ(0, referee.JudgeShot());
}

TEST_F(CRefereeBaseTest, SixteenCushionContactsStillMakeTheBreak)
{
    // A counter that wrapped at 16 would read 0 cushion contacts and call a foul.
    CReferee referee;
    referee.BeginShot(-1, 255);
    referee.GetBallTable()->NoteFirstHit(1, 0);
    for (int i = 0; i < 16; ++i)
        referee.GetBallTable()->AddBallCountHigh(1, 1);
    EXPECT_EQ(0, referee.JudgeShot());
}
} // namespace
