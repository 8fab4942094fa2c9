#include "foundation/Stopwatch.h"

#include "foundation/GlobalOrder.h"
#include "platform/win32/Clock.h"

VORN_GLOBAL_ROW(GLOBAL_ROW_FRAME_STOPWATCH) CStopwatch g_FrameStopwatch;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_FRAME_STOPWATCH);

CStopwatch::CStopwatch() : m_dwLast(timeGetTime()), m_dwPrevious(m_dwLast), m_bPaused(0) {}

DWORD CStopwatch::Tick()
{
    if (m_dwLast != 0)
        m_dwPrevious = m_dwLast;
    m_dwLast = timeGetTime();
    return m_dwLast;
}

void CStopwatch::Resume()
{
    m_bPaused = 0;
    m_dwPrevious = timeGetTime();
    m_dwLast = 0;
    Tick();
}
