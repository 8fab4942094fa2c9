#include "foundation/TgaFile.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
/// An 18-byte TGA header and nothing else.
std::vector<BYTE> Header(BYTE nType, WORD nWidth, WORD nHeight, BYTE nBits, BYTE nDescriptor, BYTE nIdLength = 0,
                         BYTE nColourMap = 0)
{
    return {nIdLength,
            nColourMap,
            nType,
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            static_cast<BYTE>(nWidth),
            static_cast<BYTE>(nWidth >> 8),
            static_cast<BYTE>(nHeight),
            static_cast<BYTE>(nHeight >> 8),
            nBits,
            nDescriptor};
}

void Append(std::vector<BYTE>& v, std::initializer_list<BYTE> bytes) { v.insert(v.end(), bytes); }
} // namespace

TEST(TgaFileTest, UncompressedRowsBottomFirstUnlessTheTopOriginBitIsSet)
{
    // 2 x 2, 24 bits: file rows (bottom first) red, green / blue, white.
    for (BYTE nDescriptor : {BYTE{0x00}, BYTE{0x10}, BYTE{0x20}})
    {
        SCOPED_TRACE(nDescriptor);
        std::vector<BYTE> file = Header(2, 2, 2, 24, nDescriptor, 3);
        Append(file, {'i', 'd', '!'});
        Append(file, {0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255});
        STgaImage image;
        std::string strError;
        ASSERT_TRUE(ReadTga(file, image, strError)) << strError;
        const bool bTop = nDescriptor == 0x20; // bit 0x10 (right to left) does not flip rows
        EXPECT_EQ(bTop ? 0xFF0000FFu : 0x0000FFFFu, image.aPixels[0]);
        EXPECT_EQ(bTop ? 0xFFFFFFFFu : 0x00FF00FFu, image.aPixels[3]);
        EXPECT_FALSE(image.bHasAlpha);
    }
}

TEST(TgaFileTest, RunLengthPacketsAndAlpha)
{
    // 4 x 1, 32 bits: a run of three half-transparent greys, then one literal opaque red.
    std::vector<BYTE> file = Header(10, 4, 1, 32, 0x08);
    Append(file, {0x82, 128, 128, 128, 100, 0x00, 0, 0, 255, 255});
    STgaImage image;
    std::string strError;
    ASSERT_TRUE(ReadTga(file, image, strError)) << strError;
    EXPECT_EQ(std::vector<DWORD>({0x80808064u, 0x80808064u, 0x80808064u, 0xFF0000FFu}), image.aPixels);
    EXPECT_TRUE(image.bHasAlpha);
}

TEST(TgaFileTest, BadHeadersAndDataAreRefused)
{
    auto WithPixels = [](std::vector<BYTE> v, std::size_t n)
    {
        v.resize(v.size() + n, 7);
        return v;
    };
    struct SCase
    {
        const char* szName;
        std::vector<BYTE> file;
    };
    std::vector<BYTE> runPast = Header(10, 2, 1, 24, 0);
    Append(runPast, {0x83, 1, 2, 3}); // four pixels into an image of two
    std::vector<BYTE> cutRun = Header(10, 200, 1, 24, 0);
    Append(cutRun, {0x7F, 1, 2, 3, 0x7F, 1, 2, 3}); // a literal packet of 128 pixels with one given
    const SCase aCases[] = {
        {"empty", {}},
        {"short header", {0, 0, 2, 0}},
        {"colour-mapped type", WithPixels(Header(1, 1, 1, 8, 0), 1)},
        {"grey type", WithPixels(Header(3, 1, 1, 8, 0), 1)},
        {"colour map with a true-colour type", WithPixels(Header(2, 1, 1, 24, 0, 0, 1), 3)},
        {"16 bits", WithPixels(Header(2, 1, 1, 16, 0), 2)},
        {"zero width", Header(2, 0, 1, 24, 0)},
        {"huge", WithPixels(Header(2, 65535, 65535, 32, 0), 16)},
        {"pixels cut short", WithPixels(Header(2, 4, 4, 24, 0), 47)},
        {"id past the end", Header(2, 1, 1, 24, 0, 200)},
        {"run past the image", runPast},
        {"literal packet past the file", cutRun},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        STgaImage image;
        std::string strError;
        EXPECT_FALSE(ReadTga(c.file, image, strError));
        EXPECT_FALSE(strError.empty());
        EXPECT_TRUE(image.aPixels.empty());
    }
}
