#include "platform/win32/Gdi.h"

#include "platform/mfc/Bitmap.h"

#include <gtest/gtest.h>
#include <vector>

namespace
{
BITMAPINFOHEADER Header24(LONG nWidth, LONG nHeight)
{
    BITMAPINFOHEADER hdr;
    hdr.biSize = BITMAPINFOHEADER_SIZE;
    hdr.biWidth = nWidth;
    hdr.biHeight = nHeight;
    hdr.biPlanes = 1;
    hdr.biBitCount = 24;
    hdr.biCompression = BI_RGB;
    return hdr;
}
} // namespace

TEST(GdiTest, BitmapsKeepRowsTopFirstWhateverTheSourceOrder)
{
    // Two rows of one pixel, padded to 4 bytes: row A then row B in memory.
    const std::vector<BYTE> bits = {1, 2, 3, 0, 4, 5, 6, 0};
    struct SCase
    {
        const char* szName;
        LONG nHeight;
        std::vector<BYTE> expected;
    };
    const SCase cases[] = {
        {"top first (negative height)", -2, {1, 2, 3, 0, 4, 5, 6, 0}},
        {"bottom first", 2, {4, 5, 6, 0, 1, 2, 3, 0}},
    };
    const HDC hDC = GetDC(nullptr);
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        const BITMAPINFOHEADER hdr = Header24(1, c.nHeight);
        CBitmap bitmap;
        ASSERT_EQ(TRUE, bitmap.Attach(CreateDIBitmap(hDC, &hdr, CBM_INIT, bits.data(), nullptr, DIB_RGB_COLORS)));
        BITMAP bm;
        ASSERT_EQ(static_cast<int>(sizeof(BITMAP)), bitmap.GetBitmap(&bm));
        EXPECT_EQ(1, bm.bmWidth);
        EXPECT_EQ(2, bm.bmHeight);
        EXPECT_EQ(4, bm.bmWidthBytes);
        EXPECT_EQ(24, bm.bmBitsPixel);
        std::vector<BYTE> read(8, 0xEE);
        EXPECT_EQ(8, GetBitmapBits(bitmap, 100, read.data()));
        EXPECT_EQ(c.expected, read);
    }
    EXPECT_EQ(1, ReleaseDC(nullptr, hDC));
}

TEST(GdiTest, UnsupportedBitmapsAreRefused)
{
    const std::vector<BYTE> bits(64 * 4, 0);
    struct SCase
    {
        const char* szName;
        BITMAPINFOHEADER hdr;
    };
    BITMAPINFOHEADER eightBits = Header24(4, 4);
    eightBits.biBitCount = 8;
    BITMAPINFOHEADER compressed = Header24(4, 4);
    compressed.biCompression = BI_RLE8;
    const SCase cases[] = {
        {"zero width", Header24(0, 4)},
        {"zero height", Header24(4, 0)},
        {"too wide", Header24(MAX_BITMAP_SIDE + 1, 1)},
        {"most negative height", Header24(4, -2147483647 - 1)},
        {"8 bits", eightBits},
        {"compressed", compressed},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        EXPECT_EQ(nullptr, CreateDIBitmap(GetDC(nullptr), &c.hdr, CBM_INIT, bits.data(), nullptr, DIB_RGB_COLORS));
    }
    const BITMAPINFOHEADER hdr = Header24(4, 4);
    EXPECT_EQ(nullptr, CreateDIBitmap(GetDC(nullptr), &hdr, CBM_INIT, nullptr, nullptr, DIB_RGB_COLORS));
    EXPECT_EQ(nullptr, CreateDIBitmap(GetDC(nullptr), nullptr, 0, nullptr, nullptr, DIB_RGB_COLORS));
}

TEST(GdiTest, ObjectsDeleteOnceAndOwnersDeleteTheirs)
{
    const BITMAPINFOHEADER hdr = Header24(2, 2);
    const HBITMAP hBitmap = CreateDIBitmap(GetDC(nullptr), &hdr, 0, nullptr, nullptr, DIB_RGB_COLORS);
    ASSERT_NE(nullptr, hBitmap);
    {
        CBitmap owner;
        ASSERT_EQ(TRUE, owner.Attach(hBitmap));
        EXPECT_EQ(FALSE, owner.Attach(hBitmap)) << "an owner holds one object";
    }
    EXPECT_EQ(FALSE, DeleteObject(hBitmap)) << "the owner deleted it";
    BITMAP bm;
    EXPECT_EQ(0, GetObject(hBitmap, sizeof(bm), &bm));
    EXPECT_EQ(0, GetBitmapBits(hBitmap, 4, &bm));
}
