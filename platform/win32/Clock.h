// The game's millisecond clock (timeGetTime), with a test clock that tests set and advance.
#pragma once

#include "platform/win32/WinTypes.h"

/// Milliseconds of a monotonic clock; wraps after 2^32 ms like the system's. Any thread.
DWORD timeGetTime();

/// Test seam: while the test clock is on, timeGetTime returns the value it is set to.
/// Tests turn it on for their own duration; the game never does.
void SetTestClock(bool bOn, DWORD dwStartMs = 0);
void AdvanceTestClock(DWORD dwMs);

/// Turns the test clock on for a scope and off again at its end.
class CTestClockScope
{
public:
    explicit CTestClockScope(DWORD dwStartMs = 0) { SetTestClock(true, dwStartMs); }
    ~CTestClockScope() { SetTestClock(false); }
    CTestClockScope(const CTestClockScope&) = delete;
    CTestClockScope& operator=(const CTestClockScope&) = delete;
    void Advance(DWORD dwMs) { AdvanceTestClock(dwMs); }
};
