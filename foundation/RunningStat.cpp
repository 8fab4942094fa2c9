#include "foundation/RunningStat.h"

#include "platform/mfc/StringResources.h"

#include <cctype>
#include <cstdarg>
#include <cstring>

namespace
{
// Samples in frames between two frame-rate samples after a reset.
constexpr int DEFAULT_SAMPLE_INTERVAL = 5;
// Minimum after a reset: above any real frame rate, so the first sample replaces it.
constexpr double RESET_MINIMUM = 1000.0;

// Only ever called with a format that IsCountAndThreeValuesFormat accepted.
CString FormatChecked(const char* szFormat, ...)
{
    va_list args;
    va_start(args, szFormat);
    CString str;
    str.FormatV(szFormat, args);
    va_end(args);
    return str;
}

// The conversion letter of the conversion starting after '%' at p, or 0 when it is not a plain
// conversion of an int or a double (a '*' width, a length modifier other than 'l' for doubles).
char ReadConversion(const char*& p)
{
    while (*p != '\0' && std::strchr("-+ #0", *p) != nullptr)
        ++p;
    while (std::isdigit(static_cast<unsigned char>(*p)))
        ++p;
    if (*p == '.')
    {
        ++p;
        while (std::isdigit(static_cast<unsigned char>(*p)))
            ++p;
    }
    const bool bLong = *p == 'l';
    if (bLong)
        ++p;
    const char ch = *p;
    if (ch == '\0')
        return 0;
    ++p;
    if (!bLong && (ch == 'd' || ch == 'i'))
        return 'd';
    if (std::strchr("fFeEgG", ch) != nullptr)
        return 'f';
    return 0;
}
} // namespace

void CRunningStat::Reset()
{
    m_nCount = 0;
    m_dMin = m_dMax = m_dAverage = m_dSum = 0.0;
    m_strText.Empty();
    m_bEnabled = 0;
    m_nSampleInterval = DEFAULT_SAMPLE_INTERVAL;
    Format();
    m_dMin = RESET_MINIMUM;
}

void CRunningStat::AddSample(double x)
{
    if (!m_bEnabled)
        return;
    ++m_nCount;
    m_dSum += x;
    if (!(x > m_dMin))
        m_dMin = x;
    if (!(x < m_dMax))
        m_dMax = x;
    m_dAverage = m_dSum / m_nCount;
}

void CRunningStat::Format()
{
    // The format comes from the resource library; one that converts other values than the four
    // given would read arguments that are not there.
    CString strFormat;
    if (!LoadResourceString(IDS_RUNNING_STAT, strFormat) || !IsCountAndThreeValuesFormat(strFormat))
        strFormat = DEFAULT_FORMAT;
    m_strText = FormatChecked(strFormat, m_nCount, m_dMin, m_dAverage, m_dMax);
    m_nCount = 0;
    m_dSum = 0.0;
}

bool CRunningStat::IsCountAndThreeValuesFormat(const char* szFormat)
{
    static constexpr char EXPECTED[] = "dfff";
    int nSeen = 0;
    for (const char* p = szFormat; *p != '\0';)
    {
        if (*p++ != '%')
            continue;
        if (*p == '%')
        {
            ++p;
            continue;
        }
        const char ch = ReadConversion(p);
        if (ch == 0 || nSeen >= 4 || ch != EXPECTED[nSeen])
            return false;
        ++nSeen;
    }
    return nSeen == 4;
}
