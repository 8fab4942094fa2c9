// Device-independent bitmaps stretched onto a device context: both row orders, both depths, the
// source rectangle and the formats refused.
#include "GdiFixture.h"

#include "platform/win32/Gdi.h"

#include <cstdlib>
#include <vector>

namespace
{
/// A 2 x 2 picture: top row red, green; bottom row blue, white; rows padded to 4 bytes.
std::vector<BYTE> TwoByTwo(WORD nBits, bool bBottomUp)
{
    const DWORD aTop[2] = {0xFF0000, 0x00FF00};
    const DWORD aBottom[2] = {0x0000FF, 0xFFFFFF};
    const std::size_t nRow = ((2u * nBits + 31) / 32) * 4;
    std::vector<BYTE> aBits(nRow * 2, 0);
    for (int y = 0; y < 2; ++y)
    {
        const DWORD* pColours = y == 0 ? aTop : aBottom;
        BYTE* pRow = &aBits[(bBottomUp ? 1 - y : y) * nRow];
        for (int x = 0; x < 2; ++x)
        {
            const DWORD c = pColours[x];
            if (nBits == 24)
            {
                pRow[x * 3] = static_cast<BYTE>(c), pRow[x * 3 + 1] = static_cast<BYTE>(c >> 8);
                pRow[x * 3 + 2] = static_cast<BYTE>(c >> 16);
                continue;
            }
            const unsigned n = ((c >> 19) & 0x1F) << 10 | ((c >> 11) & 0x1F) << 5 | ((c >> 3) & 0x1F);
            pRow[x * 2] = static_cast<BYTE>(n), pRow[x * 2 + 1] = static_cast<BYTE>(n >> 8);
        }
    }
    return aBits;
}

BITMAPINFO Info(WORD nBits, bool bBottomUp)
{
    BITMAPINFO info;
    info.bmiHeader.biSize = BITMAPINFOHEADER_SIZE;
    info.bmiHeader.biWidth = 2;
    info.bmiHeader.biHeight = bBottomUp ? 2 : -2;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = nBits;
    return info;
}

using GdiDibTest = CGdiFixture;

TEST_F(GdiDibTest, PicturesOfBothDepthsAndRowOrdersAreStretchedTopRowFirst)
{
    for (const WORD nBits : {WORD{16}, WORD{24}})
        for (const bool bBottomUp : {true, false})
        {
            SCOPED_TRACE(testing::Message() << nBits << " bits, bottom-up " << bBottomUp);
            PatBlt(m_hDC, 0, 0, 200, 100, BLACKNESS);
            const std::vector<BYTE> aBits = TwoByTwo(nBits, bBottomUp);
            const BITMAPINFO info = Info(nBits, bBottomUp);
            EXPECT_EQ(2,
                      StretchDIBits(m_hDC, 10, 10, 40, 20, 0, 0, 2, 2, aBits.data(), &info, DIB_RGB_COLORS, SRCCOPY));
            EXPECT_EQ(0xFF0000u, Pixel(10, 10));
            EXPECT_EQ(0x00FF00u, Pixel(49, 10));
            EXPECT_EQ(0x0000FFu, Pixel(10, 29));
            EXPECT_EQ(0xFFFFFFu, Pixel(49, 29));
            EXPECT_EQ(0u, Pixel(50, 10)) << "nothing outside the destination";
        }
}

TEST_F(GdiDibTest, SourceRectangleCountsFromTheTopAndBadRequestsDrawNothing)
{
    const std::vector<BYTE> aBits = TwoByTwo(24, true);
    const BITMAPINFO info = Info(24, true);
    EXPECT_EQ(1, StretchDIBits(m_hDC, 0, 0, 4, 4, 1, 1, 1, 1, aBits.data(), &info, DIB_RGB_COLORS, SRCCOPY));
    EXPECT_EQ(0xFFFFFFu, Pixel(3, 3)) << "the bottom right pixel";

    struct SCase
    {
        const char* szName;
        WORD nBits;
        DWORD dwCompression;
        int xSrc, nSrcWidth;
        DWORD dwRop;
    };
    const SCase aCases[] = {{"8 bits", 8, BI_RGB, 0, 2, SRCCOPY},
                            {"compressed", 24, BI_RLE8, 0, 2, SRCCOPY},
                            {"past the right edge", 24, BI_RGB, 1, 2, SRCCOPY},
                            {"empty source", 24, BI_RGB, 0, 0, SRCCOPY},
                            {"another raster operation", 24, BI_RGB, 0, 2, PATCOPY}};
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        PatBlt(m_hDC, 0, 0, 200, 100, BLACKNESS);
        BITMAPINFO bad = Info(c.nBits, true);
        bad.bmiHeader.biCompression = c.dwCompression;
        EXPECT_EQ(0, StretchDIBits(m_hDC, 0, 0, 4, 4, c.xSrc, 0, c.nSrcWidth, 2, aBits.data(), &bad, DIB_RGB_COLORS,
                                   c.dwRop));
        EXPECT_TRUE(Ink().Empty());
    }
}
} // namespace
