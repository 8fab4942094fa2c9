#include "ui/FrameRate.h"

#include <gtest/gtest.h>
#include <string>

TEST(FrameRateTest, RateOfEachGroupOfTenFramesWithOneDecimal)
{
    struct SCase
    {
        const char* szName;
        DWORD dwGroupMs; // time the ten frames take
        bool bNewText;
        const char* szText;
    };
    const SCase cases[] = {{"60 per second", 166, true, " 60.2"},
                           {"slow, across the clock's wrap", 3000, true, "  3.3"},
                           {"fast", 7, true, "1428.5"},
                           {"50 per second", 200, true, " 50.0"},
                           {"ten frames in one millisecond", 0, false, " 50.0"}};
    CFrameRateCounter counter;
    DWORD dwNow = 0xFFFFFF00u;
    counter.Start(dwNow);
    EXPECT_EQ(std::string(), counter.GetText());
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        for (int i = 1; i < CFrameRateCounter::FRAMES; ++i)
            EXPECT_FALSE(counter.Tick(dwNow));
        dwNow += c.dwGroupMs;
        EXPECT_EQ(c.bNewText, counter.Tick(dwNow));
        EXPECT_EQ(std::string(c.szText), counter.GetText());
    }
}
