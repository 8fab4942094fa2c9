// The running mean of a series of values and the running mean of their absolute deviations from
// that mean, kept without storing the values.
#pragma once

class CRunningMean
{
public:
    CRunningMean() = default;

    /// Adds one value: the mean moves first, then the value's distance from the new mean joins the
    /// mean deviation.
    void Add(double x);

    unsigned int GetCount() const { return m_nCount; }
    double GetMean() const { return m_dMean; }
    double GetMeanDeviation() const { return m_dMeanDeviation; }

private:
    unsigned int m_nCount = 0;     ///< values added so far
    double m_dMean = 0.0;          ///< running mean of the values
    double m_dMeanDeviation = 0.0; ///< running mean of |value - mean at the time it was added|
};

/// The values of the shots the computer player chose (the shot planner adds each one). Main thread
/// only; tests put it back with `g_ChosenShotValues = CRunningMean()`.
extern CRunningMean g_ChosenShotValues;
