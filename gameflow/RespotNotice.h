// The respot notice: the balls a shot dropped and the balls it threw off the table, for the
// heads-up display to show and age. The rolling balls fill it, each strike and each new rack
// clear it.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

/// The notice's states: nothing to tell, waiting to be shown, shown.
inline constexpr int RESPOT_NONE = 0;
inline constexpr int RESPOT_PENDING = 1;
inline constexpr int RESPOT_SHOWN = 2;

struct SRespotNotice
{
    DWORD dwShownTime = 0; ///< ms (timeGetTime) when the display showed it
    CString strText;       ///< the balls off the table: string 21656, then their numbers
    int nState = RESPOT_NONE;
    DWORD dwBallMask = 0; ///< bit n: ball n is named in strText
    CString strPocketed;  ///< the balls dropped in this shot: string 21655, then their numbers
};

/// The notice. Main thread; a test sets it through the functions below.
extern SRespotNotice g_RespotNotice;

/// The shown time 0, the text empty, the state none and the ball mask 0, in this order.
void ResetRespotNotice();
/// Ball nBall dropped; the first ball of a shot starts the pocketed balls' text anew.
void NoteRespotPocketed(int nBall, bool bFirstOfShot);
/// Ball nBall is off the table; a ball already named is not named again.
void NoteRespotOffTable(int nBall);
