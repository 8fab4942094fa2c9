// The frame-rate counter of the heads-up display: frames are counted in groups of ten and the rate
// over each group is shown with one decimal.
#pragma once

#include "platform/win32/WinTypes.h"

#include <array>

class CFrameRateCounter
{
public:
    /// Frames per measurement.
    static constexpr int FRAMES = 10;

    /// Starts counting at now (the panel's first use).
    void Start(DWORD dwNow);
    /// Counts one frame; true when this frame ended a group and the text changed. A group that
    /// took no measurable time is counted again from now without a new text (no division by 0).
    bool Tick(DWORD dwNow);
    /// The last rate, "%3d.%c": whole frames per second and the tenths digit; empty before one.
    const char* GetText() const { return m_szText.data(); }

private:
    DWORD m_dwStart = 0;
    int m_nFrames = 0;
    std::array<char, 16> m_szText{};
};
