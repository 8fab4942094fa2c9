// The mode selector's table of cases.
#include "media/ModeSelector.h"

#include <gtest/gtest.h>

TEST(ModeSelector, ModeAndSizeCases)
{
    struct SCase
    {
        DWORD dwSecond, dwFourth, dwFifth, dwWord4;
        DWORD dwMode, dwSize;
    } cases[] = {
        {1, 0, 1, 2, 3, 2}, // both sources; the record's fourth word is not added
        {0, 5, 1, 3, 1, 3}, // only the fifth
        {1, 1, 0, 1, 2, 2}, // only the second; 1 + 1
        {0, 2, 0, 2, 0, 4}, // neither; 2 + 2
        {0, 0, 0, 9, 0, 4}, // 4 or more
        {0, 0, 0, 1, 0, 8}, // 1 is none of the listed totals
        {0, 0, 0, 0, 0, 8}, // nor is 0
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.dwSecond << c.dwFourth << c.dwFifth << c.dwWord4);
        std::array<DWORD, MODE_RECORD_WORDS> record{};
        record[1] = c.dwSecond;
        record[3] = c.dwFourth;
        record[4] = c.dwFifth;
        const DWORD words[] = {0, 0, 0, c.dwWord4};
        CModeSelector selector(record, words);
        EXPECT_EQ(record[MODE_RECORD_MODE], c.dwMode);
        EXPECT_EQ(record[MODE_RECORD_SIZE], c.dwSize);
        EXPECT_EQ(record[1], c.dwSecond) << "inputs kept";
    }
    std::array<DWORD, MODE_RECORD_WORDS> record{};
    CModeSelector shortList(record, {});
    EXPECT_EQ(record[MODE_RECORD_SIZE], 8u);
}
