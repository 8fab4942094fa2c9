// Pyramid and 14.1 continuous: balls score (their numbers, or one each); the call-the-shot option
// decides which shots count.
#include "RefereeShotTable.h"

#include "simulation/RefereeTypes.h"

namespace
{
constexpr WORD ALL_BALLS = 0xFFFF;
constexpr WORD OBJECT_BALLS = ALL_BALLS & ~BALL(0);

using CRefereePyramidTest = CRefereeTest;

TEST_F(CRefereePyramidTest, PyramidJudgesEachShot)
{
    RunShotTable([] { return std::make_unique<CRefereePyramid>(); },
                 {
                     {.szName = "break that drops nothing is legal and scores nothing",
                      .nFirstHit = 1,
                      .wFlags = fBreak | fJudged},
                     {.szName = "balls 1 and 5 in one legal shot score 16",
                      .bBreakMade = TRUE,
                      .nFirstHit = 1,
                      .dropped = {1, 5},
                      .wFlags = fPot | fBreak | fJudged,
                      .nScore = 16},
                     {.szName = "the cue ball dropped is a foul and scores nothing",
                      .nFirstHit = 3,
                      .dropped = {3, 0},
                      .nResult = 1,
                      .nFoul = 1,
                      .wFlags = fPot | fCue | fFoul | fJudged,
                      .bBreakMadeAfter = FALSE},
                     {.szName = "hitting nothing is a foul",
                      .bBreakMade = TRUE,
                      .cushions = {{0, 2}},
                      .nResult = 1,
                      .nFoul = 1,
                      .wFlags = fFoul | fBreak | fJudged},
                     {.szName = "a cue ball with no ball contact is a foul",
                      .bBreakMade = TRUE,
                      .nFirstHit = 2,
                      .nCueContacts = 0,
                      .dropped = {2},
                      .nResult = 1,
                      .nFoul = 1,
                      .wFlags = fPot | fFoul | fBreak | fJudged},
                     {.szName = "the cue ball off the table is a foul",
                      .bBreakMade = TRUE,
                      .nFirstHit = 2,
                      .wOffTable = BALL(0),
                      .nResult = 1,
                      .nFoul = 1,
                      .wFlags = fOff | fFoul | fBreak | fJudged},
                     {.szName = "another ball off the table is no foul",
                      .bBreakMade = TRUE,
                      .nFirstHit = 2,
                      .dropped = {4},
                      .wOffTable = BALL(2),
                      .wFlags = fPot | fOff | fBreak | fJudged,
                      .nScore = 4},
                     {.szName = "the called shot made counts",
                      .bBreakMade = TRUE,
                      .nFirstHit = 5,
                      .dropped = {5},
                      .bCallOption = TRUE,
                      .call = {5, 1, 1},
                      .wFlags = fPot | fBreak | fJudged,
                      .nScore = 5},
                     {.szName = "a missed call does not count but the balls score",
                      .bBreakMade = TRUE,
                      .nFirstHit = 5,
                      .dropped = {7},
                      .bCallOption = TRUE,
                      .call = {5, 1, 0},
                      .wFlags = fPot | fBreak,
                      .nScore = 7},
                     {.szName = "the last ball: leaving only the cue ball adds 10",
                      .wPocketedBefore = OBJECT_BALLS & ~BALL(15),
                      .bBreakMade = TRUE,
                      .nFirstHit = 15,
                      .dropped = {15},
                      .wFlags = fPot | fBreak | fJudged,
                      .nScore = 25},
                     {.szName = "clearing the table in one shot scores more than a byte holds",
                      .bBreakMade = TRUE,
                      .nFirstHit = 1,
                      .dropped = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
                      .wFlags = fPot | fBreak | fJudged,
                      .nScore = 11 + 119 + 10},
                 });
}

TEST_F(CRefereePyramidTest, BallThatLeftTheTableStaysMarkedForTheStroke)
{
    CRefereePyramid referee;
    referee.SetBreakMade(TRUE);
    referee.BeginShot(-1, 255);
    referee.GetBallTable()->NoteFirstHit(2, 0);
    referee.GetBallTable()->SetBallCountLow(0, 1);
    referee.SetOffTable(0, TRUE);
    referee.SetOffTable(0, FALSE); // back on the table: the stroke still saw it leave
    EXPECT_TRUE(referee.IsOffTable(0));
    EXPECT_EQ(1, referee.JudgeShot());
    // The next stroke starts clean.
    referee.BeginShot(-1, 255);
    EXPECT_FALSE(referee.IsOffTable(0));
}

TEST_F(CRefereePyramidTest, StraightPoolJudgesTheBreak)
{
    // The game flow marks the break made; 14.1 leaves it at 0. Only a good break with a ball
    // dropped counts (0x100).
    RunShotTable([] { return std::make_unique<CReferee14_1>(); },
                 {
                     {.szName = "two object-ball cushion contacts make a good break",
                      .nFirstHit = 1,
                      .cushions = {{1, 1}, {2, 1}},
                      .bBreakMadeAfter = FALSE},
                     {.szName = "the cue ball at a cushion makes a good break",
                      .nFirstHit = 1,
                      .cushions = {{0, 1}},
                      .bBreakMadeAfter = FALSE},
                     {.szName = "a ball dropped on a good break counts",
                      .nFirstHit = 1,
                      .cushions = {{1, 1}, {2, 1}},
                      .dropped = {5},
                      .wFlags = fPot | fJudged,
                      .nScore = 1,
                      .bBreakMadeAfter = FALSE},
                     {.szName = "one object-ball cushion contact and none of the cue ball is a bad break",
                      .nFirstHit = 1,
                      .cushions = {{1, 1}},
                      .nResult = 1,
                      .nFoul = 2,
                      .wFlags = fFoul,
                      .bBreakMadeAfter = FALSE},
                     {.szName = "a break that hits nothing is a bad break",
                      .cushions = {{0, 1}},
                      .nResult = 1,
                      .nFoul = 2,
                      .wFlags = fFoul,
                      .bBreakMadeAfter = FALSE},
                     {.szName = "a scratch is foul 1 while the judgement returns 0",
                      .nFirstHit = 1,
                      .cushions = {{1, 1}, {2, 1}},
                      .dropped = {0, 4},
                      .nFoul = 1,
                      .wFlags = fPot | fCue | fFoul,
                      .bBreakMadeAfter = FALSE},
                     {.szName = "the cue ball off the table is a scratch",
                      .cushions = {{1, 1}},
                      .wOffTable = BALL(0),
                      .nFoul = 1,
                      .wFlags = fOff | fFoul,
                      .bBreakMadeAfter = FALSE},
                 });
}

TEST_F(CRefereePyramidTest, StraightPoolJudgesShotsAfterTheBreak)
{
    RunShotTable([] { return std::make_unique<CReferee14_1>(); },
                 {
                     {.szName = "without calling, a pot counts one (nothing called is no foul)",
                      .bBreakMade = TRUE,
                      .nFirstHit = 3,
                      .dropped = {3},
                      .wFlags = fPot | fBreak | fJudged,
                      .nScore = 1},
                     {.szName = "without calling, a cushion and nothing dropped is legal",
                      .bBreakMade = TRUE,
                      .nFirstHit = 3,
                      .cushions = {{3, 1}},
                      .wFlags = fBreak | fJudged},
                     {.szName = "no cushion and nothing dropped is a foul",
                      .bBreakMade = TRUE,
                      .nFirstHit = 3,
                      .nResult = 1,
                      .nFoul = 1,
                      .wFlags = fFoul | fBreak},
                     {.szName = "the cue ball dropped is a foul and scores nothing",
                      .bBreakMade = TRUE,
                      .nFirstHit = 3,
                      .dropped = {3, 0},
                      .nResult = 1,
                      .nFoul = 1,
                      .wFlags = fPot | fCue | fFoul | fBreak},
                     {.szName = "hitting nothing is a foul",
                      .bBreakMade = TRUE,
                      .cushions = {{0, 1}},
                      .nResult = 1,
                      .nFoul = 1,
                      .wFlags = fFoul | fBreak},
                     {.szName = "the cue ball off the table is a foul",
                      .bBreakMade = TRUE,
                      .nFirstHit = 3,
                      .cushions = {{3, 1}},
                      .wOffTable = BALL(0),
                      .nResult = 1,
                      .nFoul = 1,
                      .wFlags = fOff | fFoul | fBreak},
                     {.szName = "calling: the called shot made counts",
                      .bBreakMade = TRUE,
                      .nFirstHit = 3,
                      .dropped = {3, 6},
                      .bCallOption = TRUE,
                      .call = {3, 2, 1},
                      .wFlags = fPot | fBreak | fJudged,
                      .nScore = 2},
                     {.szName = "calling: a shot with nothing called is a foul",
                      .bBreakMade = TRUE,
                      .nFirstHit = 3,
                      .dropped = {3},
                      .bCallOption = TRUE,
                      .nResult = 1,
                      .nFoul = 1,
                      .wFlags = fPot | fFoul | fBreak},
                     {.szName = "calling: a missed call is no foul and does not count",
                      .bBreakMade = TRUE,
                      .nFirstHit = 3,
                      .dropped = {5},
                      .bCallOption = TRUE,
                      .call = {3, 2, 0},
                      .wFlags = fPot | fBreak},
                     {.szName = "the last ball of the rack counts one",
                      .wPocketedBefore = OBJECT_BALLS & ~BALL(1),
                      .bBreakMade = TRUE,
                      .nFirstHit = 1,
                      .dropped = {1},
                      .wFlags = fPot | fBreak | fJudged,
                      .nScore = 1},
                 });
}
} // namespace
