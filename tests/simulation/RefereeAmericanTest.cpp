// American and bonus: any ball may be the struck ball, and dropping it is no foul; a foul scores -1.
// These referees set no won, lost, final-ball or judgement flag: the game flow ends the game.
#include "RefereeShotTable.h"

#include "simulation/RefereeTypes.h"

namespace
{
const std::vector<SShot> s_americanShots = {
    {.szName = "break: any ball hit is legal", .nFirstHit = 1, .wFlags = fBreak},
    {.szName = "dropping the struck ball scores it",
     .bBreakMade = TRUE,
     .nFirstHit = 3,
     .dropped = {0},
     .wFlags = fPot | fBreak,
     .nScore = 1},
    {.szName = "another struck ball: it and the ball hit both dropped score 2",
     .bBreakMade = TRUE,
     .nFirstHit = 3,
     .dropped = {5, 3},
     .nCueBall = 5,
     .wFlags = fPot | fBreak,
     .nScore = 2},
    {.szName = "hitting nothing is a foul and scores -1",
     .bBreakMade = TRUE,
     .cushions = {{0, 1}},
     .nResult = 1,
     .nFoul = 1,
     .wFlags = fFoul | fBreak,
     .nScore = -1},
    {.szName = "the struck ball off the table is a foul",
     .bBreakMade = TRUE,
     .nFirstHit = 3,
     .dropped = {3},
     .wOffTable = BALL(5),
     .nCueBall = 5,
     .nResult = 1,
     .nFoul = 1,
     .wFlags = fPot | fOff | fFoul | fBreak,
     .nScore = -1},
    {.szName = "the ball hit off the table is a foul",
     .bBreakMade = TRUE,
     .nFirstHit = 3,
     .wOffTable = BALL(3),
     .nResult = 1,
     .nFoul = 1,
     .wFlags = fOff | fFoul | fBreak,
     .nScore = -1},
    {.szName = "another ball off the table is no foul",
     .bBreakMade = TRUE,
     .nFirstHit = 3,
     .wOffTable = BALL(7),
     .wFlags = fOff | fBreak},
    {.szName = "the last ball scores one and the referee ends nothing",
     .wPocketedBefore = 0xFFFF & ~(BALL(0) | BALL(6)),
     .bBreakMade = TRUE,
     .nFirstHit = 6,
     .dropped = {6},
     .wFlags = fPot | fBreak,
     .nScore = 1},
};

using CRefereeAmericanTest = CRefereeTest;

TEST_F(CRefereeAmericanTest, AmericanJudgesEachShot)
{
    RunShotTable([] { return std::make_unique<CRefereeAmerican>(); }, s_americanShots);
}

TEST_F(CRefereeAmericanTest, BonusJudgesEachShotByTheAmericanRules)
{
    RunShotTable([] { return std::make_unique<CRefereeBonus>(); }, s_americanShots);
}
} // namespace
