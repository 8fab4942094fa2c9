#include "foundation/BallCounts.h"

#include <gtest/gtest.h>

TEST(BallCountsTest, CountersShareABytePerBallAndSaturateAt15)
{
    CBallCounts counts;
    counts.SetBallCountLow(3, 5);
    counts.SetBallCountHigh(3, 10);
    EXPECT_EQ(0xA5, counts.GetByte(3)) << "low nibble counter A, high nibble counter B";

    struct SCase
    {
        const char* szName;
        bool bHigh;
        int nStart, nAdd, nExpected;
    };
    const SCase cases[] = {
        {"A: 14 + 1", false, 14, 1, 15},
        // A sixteenth contact must not read as none.
        {"A: 15 + 1 stays 15", false, 15, 1, 15},
        {"B: 15 + 1 stays 15", true, 15, 1, 15},
        {"B: 3 + 100", true, 3, 100, 15},
        {"A: 2 - 5 stops at 0", false, 2, -5, 0},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CBallCounts table;
        table.SetBallCountLow(7, c.bHigh ? 9 : c.nStart);
        table.SetBallCountHigh(7, c.bHigh ? c.nStart : 9);
        const int nResult = c.bHigh ? table.AddBallCountHigh(7, c.nAdd) : table.AddBallCountLow(7, c.nAdd);
        EXPECT_EQ(c.nExpected, nResult);
        EXPECT_EQ(c.nExpected, c.bHigh ? table.GetBallCountHigh(7) : table.GetBallCountLow(7));
        EXPECT_EQ(9, c.bHigh ? table.GetBallCountLow(7) : table.GetBallCountHigh(7)) << "the other counter";
        for (int i = 0; i < CBallCounts::BALLS; ++i)
            EXPECT_EQ(i == 7, table.GetByte(i) != 0) << "ball " << i;
    }

    counts.SetBallCountHigh(4, 0x1F);
    EXPECT_EQ(15, counts.GetBallCountHigh(4));
    counts.SetBallCountLow(4, 0x10);
    EXPECT_EQ(15, counts.GetBallCountLow(4)) << "16 saturates instead of storing 0";
}

TEST(BallCountsTest, BallNumbersOutsideTheTableChangeNothing)
{
    CBallCounts counts;
    counts.SetBallCountLow(16, 3);
    counts.SetBallCountHigh(-1, 3);
    EXPECT_EQ(0, counts.AddBallCountLow(99, 1));
    counts.SetByte(16, 0xFF);
    EXPECT_EQ(0, counts.GetBallCountLow(16));
    for (int i = 0; i < CBallCounts::BALLS; ++i)
        EXPECT_EQ(0, counts.GetByte(i));
}

TEST(BallCountsTest, BallFlagSetsAndClearsOneBit)
{
    WORD wMask = 0x8001;
    SetBallFlag(wMask, 3, 1);
    EXPECT_EQ(0x8009, wMask);
    SetBallFlag(wMask, 3, 7);
    EXPECT_EQ(0x8009, wMask);
    SetBallFlag(wMask, 3, 0);
    EXPECT_EQ(0x8001, wMask);
    SetBallFlag(wMask, 15, 0);
    EXPECT_EQ(0x0001, wMask);
    SetBallFlag(wMask, 16, 1);
    SetBallFlag(wMask, -1, 1);
    EXPECT_EQ(0x0001, wMask);
}
