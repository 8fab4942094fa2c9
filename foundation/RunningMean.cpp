#include "foundation/RunningMean.h"

#include <cmath>

CRunningMean g_ChosenShotValues;

void CRunningMean::Add(double x)
{
    const double n = m_nCount;
    m_dMean = (n * m_dMean + x) / (n + 1.0);
    // Measured from the mean that already includes x.
    const double d = std::fabs(x - m_dMean);
    m_dMeanDeviation = (n * m_dMeanDeviation + d) / (n + 1.0);
    ++m_nCount;
}
