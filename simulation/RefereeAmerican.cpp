#include "simulation/RefereeTypes.h"

// ----------------------------------------------------------------------------------------------
// American (17)
// ----------------------------------------------------------------------------------------------

CRefereeAmerican::CRefereeAmerican() { CRefereeAmerican::Init(GAME_AMERICAN); }

int CRefereeAmerican::SetType(int nGameType) { return SetOwnType(nGameType, GAME_AMERICAN, "CRefereeAmerican"); }

// Any ball may be the struck ball, and dropping it is no foul: only a shot that hits nothing, or
// that sends the struck ball or the ball it hit off the table, is one.
int CRefereeAmerican::JudgeShot()
{
    SetJudged(TRUE);
    const BOOL bFoul = GetContactBits() != 0;
    m_nFoul = static_cast<BYTE>(bFoul);
    m_bBreakMade = TRUE;
    UpdateFlags();
    return bFoul;
}

void CRefereeAmerican::UpdateFlags()
{
    // No win, loss, final ball or judgement here, and the struck ball dropping is no cue-ball drop.
    m_wFlags = static_cast<WORD>(BuildFlags() & (REF_POCKETED | REF_OFF_TABLE | REF_FOUL | REF_BREAK_MADE));
    if (m_nFoul != 0)
        m_nShotScore = -1;
    else if (AnyBallDropped())
        m_nShotScore = CountPocketedNow();
}

// ----------------------------------------------------------------------------------------------
// Bonus (101)
// ----------------------------------------------------------------------------------------------

CRefereeBonus::CRefereeBonus() { CRefereeBonus::Init(GAME_BONUS); }

int CRefereeBonus::SetType(int nGameType) { return SetOwnType(nGameType, GAME_BONUS, "CRefereeBonus"); }
