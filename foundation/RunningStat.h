// Running statistics of a sampled value (the frame rate): count, minimum, average, maximum, and
// their formatted text for the heads-up display.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CRunningStat
{
public:
    /// String resource with the display format: count (int), then minimum, average and maximum
    /// (doubles).
    static constexpr UINT IDS_RUNNING_STAT = 21518;
    /// Format used when the resource is missing or does not take exactly those four values.
    static constexpr const char* DEFAULT_FORMAT = "%d samples  min %.1f  avg %.1f  max %.1f";

    CRunningStat() { Reset(); }

    /// Clears everything, disables sampling, sets the sample interval to 5 and formats; then the
    /// minimum becomes 1000, so that the first real sample replaces it.
    void Reset();
    /// Adds a sample while enabled; ignored otherwise.
    void AddSample(double x);
    /// Formats count, minimum, average and maximum into the text, then starts a new count and sum
    /// (minimum, maximum and average stay).
    void Format();
    CString GetName() const { return m_strText; }

    void SetEnabled(int bEnabled) { m_bEnabled = bEnabled; }
    int IsEnabled() const { return m_bEnabled; }
    /// Frames its user counts between two samples.
    int GetSampleInterval() const { return m_nSampleInterval; }
    int GetCount() const { return m_nCount; }
    double GetMin() const { return m_dMin; }
    double GetMax() const { return m_dMax; }
    double GetAverage() const { return m_dAverage; }

    /// Whether szFormat converts exactly one int and then three doubles (and nothing else), so that
    /// a format text from outside the program can be used safely.
    static bool IsCountAndThreeValuesFormat(const char* szFormat);

private:
    int m_nCount = 0;
    double m_dMin = 0.0;
    double m_dMax = 0.0;
    double m_dAverage = 0.0;
    double m_dSum = 0.0;
    CString m_strText;
    int m_bEnabled = 0;
    int m_nSampleInterval = 5;
};
