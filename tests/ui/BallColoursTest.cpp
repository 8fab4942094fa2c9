#include "ui/BallColours.h"

#include <gtest/gtest.h>

TEST(BallColoursTest, ColoursAndPensByBallAndGameType)
{
    struct SCase
    {
        int nBall;
        COLORREF crColour;
        int nStyle; // -1: no pen
    };
    const SCase cases[] = {{0, RGB(255, 255, 255), PS_SOLID},
                           {1, RGB(0xC4, 0xC4, 0x1F), PS_SOLID},
                           {7, RGB(0x70, 0x43, 0x23), PS_SOLID},
                           {8, RGB(0x25, 0x25, 0x25), PS_SOLID},
                           {9, RGB(0xC4, 0xC4, 0x1F), PS_DOT},
                           {15, RGB(0x70, 0x43, 0x23), PS_DOT},
                           {16, CLR_INVALID, -1},
                           {-1, CLR_INVALID, -1},
                           {-9, CLR_INVALID, -1}};
    for (int nGameType : {8, 16, 17})
    {
        for (const SCase& c : cases)
        {
            SCOPED_TRACE(testing::Message() << "game type " << nGameType << " ball " << c.nBall);
            EXPECT_EQ(c.crColour, GetBallColour(c.nBall));
            const HPEN hPen = CreateBallPen(c.nBall, 1, nGameType);
            if (c.nStyle < 0)
            {
                EXPECT_EQ(nullptr, hPen);
                continue;
            }
            ASSERT_NE(nullptr, hPen);
            LOGPEN lp;
            ASSERT_EQ(static_cast<int>(sizeof(LOGPEN)), GetObject(hPen, sizeof(LOGPEN), &lp));
            EXPECT_EQ(static_cast<UINT>(nGameType == 8 ? c.nStyle : PS_SOLID), lp.lopnStyle);
            EXPECT_EQ(c.crColour, lp.lopnColor);
            DeleteObject(hPen);
        }
    }
}

TEST(BallColoursTest, PathColoursAndEndMarks)
{
    const struct
    {
        int nBall, nType;
        COLORREF crPath;
    } paths[] = {{6, 8, RGB(18, 217, 14)}, {6, 9, RGB(18, 217, 14)}, {6, 16, CLR_INVALID}, {6, 17, CLR_INVALID},
                 {3, 101, RGB(255, 0, 0)}, {6, 101, RGB(255, 0, 0)}, {3, 8, CLR_INVALID}};
    for (const auto& c : paths)
    {
        SCOPED_TRACE(testing::Message() << "ball " << c.nBall << " type " << c.nType);
        EXPECT_EQ(c.crPath, PathColour(c.nBall, c.nType));
    }
    const struct
    {
        int nBall, nCue;
        bool bPocketed;
        int nType;
        COLORREF crMark;
    } marks[] = {{0, 0, false, 8, RGB(255, 0, 0)},       {0, 0, false, 17, RGB(255, 255, 255)},
                 {0, 0, false, 101, RGB(255, 255, 255)}, {5, 0, false, 8, RGB(255, 255, 255)},
                 {5, 0, true, 8, RGB(255, 255, 0)},      {0, 0, true, 8, RGB(255, 255, 0)}};
    for (const auto& c : marks)
    {
        SCOPED_TRACE(testing::Message() << "ball " << c.nBall << " type " << c.nType << " pocketed " << c.bPocketed);
        EXPECT_EQ(c.crMark, PathEndColour(c.nBall, c.nCue, c.bPocketed, c.nType));
    }
}
