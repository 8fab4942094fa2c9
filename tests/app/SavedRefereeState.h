// Saved games the tests write for the program to resume: the referee's rule state kept as the
// last shot judged left it.
#pragma once

#include "gameflow/SavedGame.h"
#include "simulation/Referee.h"

/// The break made, then the referee's packed state kept in the saved game.
inline void KeepRefereeAfterBreak(CSavedGame& save, CReferee& referee)
{
    referee.SetBreakMade(TRUE);
    referee.SetFlags(REF_BREAK_MADE);
    save.m_nBreakPlayed = 1;
    int nSize = 0;
    const BYTE* pState = referee.PackState(&nSize, 0);
    save.m_abRefereeState.assign(pState, pState + nSize);
}
