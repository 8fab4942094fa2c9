// Table-driven referee tests: each row is one shot (the state before it, what the balls did, the
// call) and the judgement the referee must give. The referee decides the foul, the flags (won,
// lost, dropped, cue dropped, off table, break made, final ball, judged) and the shot score; ball
// in hand, the turn and the end of the game are decided from these by the game flow, so the rows
// check the referee's part of them.
#pragma once

#include "simulation/CallRecord.h"
#include "simulation/CueBall.h"
#include "simulation/Referee.h"

#include <gtest/gtest.h>
#include <memory>
#include <utility>
#include <vector>

/// (ball, count) of one counter.
using SBallCount = std::pair<int, int>;

struct SShot
{
    const char* szName = "";
    // Before the shot.
    WORD wPocketedBefore = 0; ///< balls already off the table
    BOOL bBreakMade = FALSE;
    int nTarget = -1;
    WORD wPriorFlags = 0; ///< flags of the previous judgement (8-ball: on the 8)
    // The shot.
    int nFirstHit = -1;                 ///< -1: no ball hit
    int nCueContacts = -1;              ///< the cue ball's ball contacts; -1: 1 when a ball was hit
    std::vector<SBallCount> cushions{}; ///< cushion contacts per ball
    std::vector<int> dropped{};         ///< balls dropped, in order
    WORD wOffTable = 0;                 ///< balls that left the table
    int nCueBall = 0;                   ///< the struck ball
    // The call.
    BOOL bCallOption = FALSE;
    SCallRecord call{};
    // The judgement.
    int nResult = 0;
    int nFoul = 0;
    WORD wFlags = 0;
    int nScore = 0;
    BOOL bBreakMadeAfter = TRUE;
};

/// Puts the referee in the state before the shot and plays the shot's record into it.
inline void PlayShot(CReferee& referee, const SShot& shot)
{
    g_bCallTheShot = shot.bCallOption;
    g_CallRecord = shot.call;
    CRefereeBallTable& table = *referee.GetBallTable();
    table.SetPocketedBeforeMask(shot.wPocketedBefore);
    referee.SetBreakMade(shot.bBreakMade);
    referee.ClearFlags(0xFFFF);
    referee.SetFlags(shot.wPriorFlags);
    referee.SetCueBall(shot.nCueBall);
    referee.BeginShot(shot.nTarget, 255);
    if (shot.nFirstHit >= 0)
        table.NoteFirstHit(shot.nFirstHit, 0);
    table.SetBallCountLow(shot.nCueBall, shot.nCueContacts >= 0 ? shot.nCueContacts : shot.nFirstHit >= 0);
    for (const auto& [nBall, nCount] : shot.cushions)
        table.SetBallCountHigh(nBall, nCount);
    for (int nBall : shot.dropped)
        table.NotePocketed(nBall, 0);
    for (int i = 0; i < REFEREE_BALLS; ++i)
        if (shot.wOffTable & RefereeBallBit(i))
            referee.SetOffTable(i, TRUE);
}

/// Judges every row on a fresh referee made by makeReferee and checks the judgement.
template <class TMake> void RunShotTable(TMake makeReferee, const std::vector<SShot>& shots)
{
    for (const SShot& shot : shots)
    {
        SCOPED_TRACE(shot.szName);
        std::unique_ptr<CReferee> pReferee = makeReferee();
        PlayShot(*pReferee, shot);
        const WORD wPocketed = pReferee->GetBallTable()->GetPocketedNowMask();
        EXPECT_EQ(shot.nResult, pReferee->JudgeShot());
        EXPECT_EQ(shot.nFoul, pReferee->GetFoul());
        EXPECT_EQ(shot.wFlags, pReferee->GetFlags()) << std::hex << "flags 0x" << pReferee->GetFlags();
        EXPECT_EQ(shot.nScore, pReferee->GetShotScore());
        EXPECT_EQ(shot.bBreakMadeAfter, pReferee->IsBreakMade());
        EXPECT_EQ(wPocketed, pReferee->GetBallTable()->GetPocketedNowMask()) << "judging changed what dropped";
    }
}

/// Puts the program-wide call state and struck-ball number back after each test.
class CRefereeTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        ResetCallRecords();
        g_bCallTheShot = FALSE;
        SetCueBallNumber(0);
    }
};

inline constexpr WORD BALL(int i) { return RefereeBallBit(i); }

// Short names of the judgement flags for the tables.
inline constexpr WORD fWon = REF_WON;
inline constexpr WORD fLost = REF_LOST;
inline constexpr WORD fPot = REF_POCKETED;
inline constexpr WORD fCue = REF_CUE_POCKETED;
inline constexpr WORD fOff = REF_OFF_TABLE;
inline constexpr WORD fFoul = REF_FOUL;
inline constexpr WORD fBreak = REF_BREAK_MADE;
inline constexpr WORD fFinal = REF_FINAL_BALL;
inline constexpr WORD fJudged = REF_JUDGEMENT;
