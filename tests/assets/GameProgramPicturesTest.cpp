// The program library's pictures, cursors and icon: every picture decodes as a JPEG, the looks of
// each button share its size and differ visibly, and the cursors and icon are whole files of
// their kind.
#include "tests/assets/GameFiles.h"

#include "foundation/JpegFile.h"
#include "platform/win32/ByteStream.h"

#include <cmath>
#include <gtest/gtest.h>

namespace
{
struct SPicture
{
    UINT nWidth = 0, nHeight = 0;
    std::vector<BYTE> rgb;
};

SPicture LoadData(int nId)
{
    SPicture picture;
    const auto jpeg = FindIn("VornRes.dll", MAKEINTRESOURCE(static_cast<WORD>(nId)), "_DATA");
    EXPECT_TRUE(jpeg.has_value()) << nId;
    if (jpeg)
        picture.rgb = JpegFile::ReadMemory(jpeg->data(), jpeg->size(), picture.nWidth, picture.nHeight);
    return picture;
}

/// The mean difference of two pictures of one size, per channel, 0 to 255.
double MeanDifference(const SPicture& a, const SPicture& b)
{
    double dSum = 0.0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i)
        dSum += std::abs(a.rgb[i] - b.rgb[i]);
    return dSum / static_cast<double>(a.rgb.size());
}

/// A button's looks by id: normal first.
const std::vector<std::vector<int>> s_aButtons = {
    {338, 339},      {804, 805, 806}, {812, 813, 814}, {808, 809, 810}, {826, 825},      {816, 819},
    {822, 823},      {835, 832},      {949, 950},      {846, 847},      {800, 802},      {850, 851, 852},
    {854, 855, 856}, {858, 859, 860}, {862, 863, 864}, {866, 867, 868}, {870, 871, 872},
};
} // namespace

TEST(GameProgramPicturesTest, ButtonLooksShareASizeAndDifferVisibly)
{
    for (const std::vector<int>& looks : s_aButtons)
    {
        SCOPED_TRACE(looks[0]);
        const SPicture normal = LoadData(looks[0]);
        ASSERT_FALSE(normal.rgb.empty());
        for (std::size_t i = 1; i < looks.size(); ++i)
        {
            const SPicture other = LoadData(looks[i]);
            ASSERT_EQ(normal.nWidth, other.nWidth);
            ASSERT_EQ(normal.nHeight, other.nHeight);
            EXPECT_GT(MeanDifference(normal, other), 8.0) << looks[i];
        }
    }
}

TEST(GameProgramPicturesTest, SplashHelpGamePicturesAndTrophiesDecode)
{
    struct SCase
    {
        int nId;
        UINT nWidth, nHeight;
    };
    const SCase cases[] = {{180, 640, 480}, {268, 512, 384}, {629, 210, 220}, {594, 210, 220}, {383, 210, 220},
                           {384, 210, 220}, {593, 210, 220}, {382, 210, 220}, {927, 22, 70},   {928, 22, 70},
                           {929, 22, 70},   {930, 22, 70},   {931, 22, 70},   {932, 22, 70},   {933, 22, 70}};
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.nId);
        const SPicture picture = LoadData(c.nId);
        EXPECT_EQ(c.nWidth, picture.nWidth);
        EXPECT_EQ(c.nHeight, picture.nHeight);
    }
}

TEST(GameProgramPicturesTest, CursorsAndIconAreWholeFilesOfTheirKind)
{
    struct SCase
    {
        int nId;
        const char* szType;
        WORD nKind; // 2 cursor, 1 icon
    };
    for (const SCase& c :
         {SCase{369, MAKEINTRESOURCE(12), 2}, SCase{32649, MAKEINTRESOURCE(12), 2}, SCase{262, MAKEINTRESOURCE(12), 2},
          SCase{263, MAKEINTRESOURCE(12), 2}, SCase{128, MAKEINTRESOURCE(14), 1}})
    {
        SCOPED_TRACE(c.nId);
        const auto bytes = FindIn("VornRes.dll", MAKEINTRESOURCE(static_cast<WORD>(c.nId)), c.szType);
        ASSERT_TRUE(bytes.has_value());
        CByteReader rd(*bytes);
        WORD nReserved = 0, nKind = 0, nCount = 0, nHotX = 0, nHotY = 0;
        BYTE nWidth = 0, nHeight = 0, nColors = 0, nZero = 0;
        DWORD nSize = 0, nOffset = 0;
        ASSERT_TRUE(rd.ReadU16LE(nReserved) && rd.ReadU16LE(nKind) && rd.ReadU16LE(nCount) && rd.ReadU8(nWidth) &&
                    rd.ReadU8(nHeight) && rd.ReadU8(nColors) && rd.ReadU8(nZero) && rd.ReadU16LE(nHotX) &&
                    rd.ReadU16LE(nHotY) && rd.ReadU32LE(nSize) && rd.ReadU32LE(nOffset));
        EXPECT_EQ(c.nKind, nKind);
        EXPECT_EQ(1, nCount);
        EXPECT_EQ(32, nWidth);
        EXPECT_EQ(32, nHeight);
        EXPECT_EQ(bytes->size(), std::size_t{nOffset} + nSize);
        // 40-byte header, 32-bit colour rows, 1-bit mask rows.
        EXPECT_EQ(40u + 32 * 32 * 4 + 32 * 4, nSize);
        if (c.nKind == 2)
        {
            EXPECT_LT(nHotX, 32);
            EXPECT_LT(nHotY, 32);
        }
    }
}
