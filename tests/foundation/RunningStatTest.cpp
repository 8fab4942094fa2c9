#include "foundation/RunningStat.h"

#include "platform/mfc/StringResources.h"

#include <gtest/gtest.h>

namespace
{
// The resource text the fake string source hands out for the running statistics.
const char* s_szResourceFormat = nullptr;

bool FakeStrings(UINT nId, CString& strText)
{
    if (nId != CRunningStat::IDS_RUNNING_STAT || s_szResourceFormat == nullptr)
        return false;
    strText = s_szResourceFormat;
    return true;
}

class CFakeStringsScope
{
public:
    explicit CFakeStringsScope(const char* szFormat)
    {
        s_szResourceFormat = szFormat;
        SetStringResourceSource(FakeStrings);
    }
    ~CFakeStringsScope() { SetStringResourceSource(nullptr); }
    CFakeStringsScope(const CFakeStringsScope&) = delete;
    CFakeStringsScope& operator=(const CFakeStringsScope&) = delete;
};
} // namespace

TEST(RunningStatTest, ResetLeavesADisabledRecordWhoseFirstSampleBecomesTheMinimum)
{
    CRunningStat stat;
    EXPECT_EQ(1000.0, stat.GetMin());
    EXPECT_EQ(0, stat.IsEnabled());
    EXPECT_EQ(5, stat.GetSampleInterval());
    EXPECT_EQ(CString("0 samples  min 0.0  avg 0.0  max 0.0"), stat.GetName());

    stat.AddSample(30.0);
    EXPECT_EQ(0, stat.GetCount()) << "disabled: samples are ignored";

    stat.SetEnabled(1);
    for (double x : {60.0, 30.0, 45.0})
        stat.AddSample(x);
    EXPECT_EQ(3, stat.GetCount());
    EXPECT_EQ(30.0, stat.GetMin());
    EXPECT_EQ(60.0, stat.GetMax());
    EXPECT_EQ(45.0, stat.GetAverage());

    stat.Format();
    EXPECT_EQ(CString("3 samples  min 30.0  avg 45.0  max 60.0"), stat.GetName());
    EXPECT_EQ(0, stat.GetCount());
    EXPECT_EQ(30.0, stat.GetMin()) << "minimum, maximum and average stay";
    EXPECT_EQ(60.0, stat.GetMax());
    EXPECT_EQ(45.0, stat.GetAverage());

    // The sum started over: the average is that of the new samples only.
    stat.AddSample(50.0);
    EXPECT_EQ(50.0, stat.GetAverage());
    stat.Reset();
    EXPECT_EQ(0, stat.IsEnabled());
    EXPECT_EQ(1000.0, stat.GetMin());
}

TEST(RunningStatTest, TheResourceFormatIsUsedOnlyWhenItTakesTheFourValues)
{
    struct SCase
    {
        const char* szResource;
        const char* szExpected;
    };
    const SCase cases[] = {
        {"%d fps: %.0f/%.0f/%.0f (%%)", "2 fps: 10/15/20 (%)"},
        {"%-3i|%5.1f|%e|%lg", "2  | 10.0|1.500000e+01|20"},
        {"%s %f %f %f", "2 samples  min 10.0  avg 15.0  max 20.0"},
        {"%d %f %f", "2 samples  min 10.0  avg 15.0  max 20.0"},
        {"%d %f %f %f %f", "2 samples  min 10.0  avg 15.0  max 20.0"},
        {"%d %f %*f %f", "2 samples  min 10.0  avg 15.0  max 20.0"},
        {"%ld %f %f %f", "2 samples  min 10.0  avg 15.0  max 20.0"},
        {"%d %f %f %n", "2 samples  min 10.0  avg 15.0  max 20.0"},
        {"%d %f %f %f %", "2 samples  min 10.0  avg 15.0  max 20.0"},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szResource);
        CFakeStringsScope strings(c.szResource);
        CRunningStat stat;
        stat.SetEnabled(1);
        stat.AddSample(10.0);
        stat.AddSample(20.0);
        stat.Format();
        EXPECT_EQ(CString(c.szExpected), stat.GetName());
    }
}
