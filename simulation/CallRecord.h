// The game flow's call-the-shot records and option, as the referees read them. The game flow
// owns and writes them; they live here so that the rules can be judged (and tested) without it.
#pragma once

#include "platform/win32/WinTypes.h"

/// One call: the called ball, the called pocket (0 to 5) and the call flag. The flag is 1 after a
/// reset or while nothing is called, 0 once ball and pocket are called, and after a shot 1 exactly
/// when the called ball fell into the called pocket.
struct SCallRecord
{
    int nBall = -1;
    int nPocket = -1;
    int nFlag = 1;
};

/// The current call. Main thread only; tests write it directly and call ResetCallRecords after.
extern SCallRecord g_CallRecord;
/// The saved call that a preset call-the-shot state copies back into the current one. Main thread only.
extern SCallRecord g_SavedCallRecord;
/// The call-the-shot option: 0 lets every pyramid and 14.1 shot count without a call. Main thread
/// only; tests set it and put back 0.
extern BOOL g_bCallTheShot;

/// Both call records back to {-1, -1, 1}.
void ResetCallRecords();
/// The called ball number; -1 when none.
int GetCalledBall();
/// The called pocket number (0 to 5); -1 when none.
int GetCalledPocket();
/// The call flag of the current call record.
int GetCallFlag();
/// Ball nBall dropped into pocket nPocket: while the current call's flag is still 0 (a call made
/// and not yet held), it becomes 1 when that was the called ball into the called pocket. A flag
/// of 1 (nothing called, or the call already held) stays as it is.
void NoteCallResult(int nBall, int nPocket);
