#include "ui/FrameRate.h"

#include <cstdio>

void CFrameRateCounter::Start(DWORD dwNow)
{
    m_dwStart = dwNow;
    m_nFrames = 0;
}

bool CFrameRateCounter::Tick(DWORD dwNow)
{
    if (++m_nFrames < FRAMES)
        return false;
    const DWORD dwElapsed = dwNow - m_dwStart;
    m_dwStart = dwNow;
    m_nFrames = 0;
    if (dwElapsed == 0)
        return false;
    // Tenths of frames per second: FRAMES frames x 1000 ms x 10 over the group's milliseconds.
    const DWORD dwTenths = static_cast<DWORD>(FRAMES * 1000 * 10) / dwElapsed;
    std::snprintf(m_szText.data(), m_szText.size(), "%3d.%c", static_cast<int>(dwTenths / 10),
                  static_cast<char>('0' + dwTenths % 10));
    return true;
}
