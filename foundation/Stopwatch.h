// Time between two ticks of the multimedia clock, with a pause that hides the time spent paused.
#pragma once

#include "platform/win32/WinTypes.h"

class CStopwatch
{
public:
    /// Both tick times start at the current clock, so the first elapsed time is 0.
    CStopwatch();
    virtual ~CStopwatch() = default;

    /// Moves the last tick to previous (unless last is 0, the mark Resume leaves) and reads the
    /// clock into last; returns last.
    DWORD Tick();
    /// Milliseconds between the two most recent ticks; 0 while paused. The unsigned difference
    /// stays right across the clock's wrap at 2^32 ms.
    DWORD GetElapsed() const { return m_bPaused ? 0 : m_dwLast - m_dwPrevious; }
    DWORD GetLastTick() const { return m_dwLast; }
    void Pause() { m_bPaused = 1; }
    /// Restarts measuring from now, so that the time spent paused is never stepped.
    void Resume();

private:
    DWORD m_dwLast;     // ms, clock at the most recent tick
    DWORD m_dwPrevious; // ms, clock at the tick before
    int m_bPaused;
};

/// The frame stopwatch: ticked once per frame by the frame tick, paused around modal dialogs, read
/// by every per-frame step for its elapsed time. Main thread only.
extern CStopwatch g_FrameStopwatch;
