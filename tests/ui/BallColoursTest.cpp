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
