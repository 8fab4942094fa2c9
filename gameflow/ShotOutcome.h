// The record of a judged shot exchanged with a rule plug-in: the inputs (referee, engine, the goal
// and both players' counters) and the plug-in's verdict (counters, the next ball to strike, who won,
// whether the turn passes, balls to put back). Pointers are the machine's own size.
#pragma once

#include <cstdint>

class CReferee;
class CBallEngine;

struct CShotOutcome
{
    CReferee* pReferee = nullptr;
    CBallEngine* pEngine = nullptr;
    std::int32_t nPointsNeeded = 0;
    std::int32_t nShooterFouls = 0;
    std::int32_t nShooterPoints = 0;
    std::int32_t nShooterGames = 0;
    std::int32_t nOtherFouls = 0;
    std::int32_t nOtherPoints = 0;
    std::int32_t nOtherGames = 0;
    std::int32_t nNextCueBall = 0; ///< the ball the next player strikes
    std::uint8_t bShooterLost = 0; ///< the game is over and the shooter has lost
    std::uint8_t bShooterWon = 0;  ///< the game is over and the shooter has won
    std::uint8_t bTurnPasses = 0;
    std::uint8_t bCallShot = 0;       ///< the next player must call the shot
    std::uint8_t bBallInHand = 0;     ///< the next player gets ball in hand
    std::uint32_t dwPutBack = 0;      ///< bit n: ball n goes back on the table
    std::uint32_t dwShownPutBack = 0; ///< bit n: ball n is shown as put back
};
