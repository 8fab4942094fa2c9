#include "foundation/JpegFile.h"

#include "fixtures/ImageFixtures.h"

#include "foundation/ErrorBox.h"
#include "platform/TempFolder.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
// Records what the decoder shows in the error box.
class JpegFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetErrorBoxHandler([this](const char* szText) { m_messages.emplace_back(szText); });
    }
    void TearDown() override { SetErrorBoxHandler({}); }

    std::vector<std::string> m_messages;
    CTempFolder m_folder;
};

std::vector<BYTE> FlatColour(UINT nWidth, UINT nHeight, std::vector<BYTE> colour)
{
    std::vector<BYTE> samples;
    for (std::size_t i = 0; i < std::size_t{nWidth} * nHeight; ++i)
        samples.insert(samples.end(), colour.begin(), colour.end());
    return samples;
}

// The picture with a stretch of its coded pixel data overwritten.
std::vector<BYTE> Overwritten(std::vector<BYTE> jpeg)
{
    std::fill(jpeg.end() - 120, jpeg.end() - 60, BYTE{0xA5});
    return jpeg;
}

// JPEG is lossy: a flat colour comes back within a few steps.
constexpr int FLAT_COLOUR_TOLERANCE = 4;
} // namespace

TEST_F(JpegFileTest, PicturesDecodeFromFileAndMemoryAlike)
{
    struct SCase
    {
        const char* szName;
        UINT nWidth;
        UINT nHeight;
        int nComponents;
        std::vector<BYTE> colour; // what every pixel holds
    };
    const SCase cases[] = {
        {"colour 1x1", 1, 1, 3, {200, 40, 90}},    {"colour, odd size", 17, 9, 3, {10, 220, 130}},
        {"colour, wide", 64, 4, 3, {255, 255, 0}}, {"grey 7x5", 7, 5, 1, {77}},
        {"grey 1 pixel wide", 1, 16, 1, {250}},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        const std::vector<BYTE> jpeg =
            EncodeJpeg(c.nWidth, c.nHeight, c.nComponents, FlatColour(c.nWidth, c.nHeight, c.colour), 100);
        const std::string strPath = m_folder.File("picture.jpg");
        ASSERT_TRUE(WriteBytes(strPath, jpeg));

        UINT nWidth = 0, nHeight = 0, nMemWidth = 0, nMemHeight = 0;
        const std::vector<BYTE> fromFile = JpegFile::Read(strPath.c_str(), nWidth, nHeight);
        const std::vector<BYTE> fromMemory = JpegFile::ReadMemory(jpeg.data(), jpeg.size(), nMemWidth, nMemHeight);
        EXPECT_EQ(c.nWidth, nWidth);
        EXPECT_EQ(c.nHeight, nHeight);
        EXPECT_EQ(nWidth, nMemWidth);
        EXPECT_EQ(nHeight, nMemHeight);
        ASSERT_EQ(std::size_t{c.nWidth} * c.nHeight * 3, fromFile.size());
        EXPECT_EQ(fromFile, fromMemory);
        for (std::size_t i = 0; i < fromFile.size(); i += 3)
        {
            for (std::size_t ch = 0; ch < 3; ++ch)
            {
                const int nExpected = c.colour[c.nComponents == 1 ? 0 : ch];
                ASSERT_NEAR(nExpected, fromFile[i + ch], FLAT_COLOUR_TOLERANCE) << "byte " << i + ch;
            }
            if (c.nComponents == 1) // grey comes back with equal channels
            {
                ASSERT_TRUE(fromFile[i] == fromFile[i + 1] && fromFile[i] == fromFile[i + 2]);
            }
        }
        EXPECT_TRUE(m_messages.empty());
    }
}

TEST_F(JpegFileTest, DamagedPicturesGiveNothingAndOneMessage)
{
    const std::vector<BYTE> good = EncodeJpeg(40, 30, 3, MakeGradientRgb(40, 30));
    const std::vector<BYTE> large = EncodeJpeg(2000, 1500, 3, MakeGradientRgb(2000, 1500), 50);
    struct SCase
    {
        const char* szName;
        std::vector<BYTE> bytes;
        const char* szMessage; // what the error box shows
    };
    const auto cut = [](const std::vector<BYTE>& v, std::size_t n)
    { return std::vector<BYTE>(v.begin(), v.begin() + static_cast<long>(n)); };
    const SCase cases[] = {
        {"cut in the pixel data", cut(good, good.size() - 50), "Premature end of JPEG file"},
        {"header only", cut(good, 20), "Premature end of JPEG file"},
        {"two bytes", cut(good, 2), "Premature end of JPEG file"},
        {"not a JPEG", std::vector<BYTE>(100, 0x55), "Not a JPEG file: starts with 0x55 0x55"},
        {"CMYK", EncodeJpeg(8, 8, 4, std::vector<BYTE>(8 * 8 * 4, 100)), "JpegFile :\nUnsupported colour space"},
        {"header claims 60000 x 60000", SetJpegSize(good, 60000, 60000), "JpegFile :\nPicture too large"},
        {"header claims zero width", SetJpegSize(good, 0, 30), "Empty JPEG image (DNL not supported)"},
        {"large picture with a tenth of its data", cut(large, large.size() / 10), "Premature end of JPEG file"},
        {"small picture's data claiming 16384 x 4096", SetJpegSize(good, 16384, 4096),
         "Corrupt JPEG data: premature end of data segment"},
        {"bytes overwritten in the pixel data", Overwritten(good), "Corrupt JPEG data: premature end of data segment"},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        m_messages.clear();
        UINT nWidth = 99, nHeight = 99;
        EXPECT_TRUE(JpegFile::ReadMemory(c.bytes.data(), c.bytes.size(), nWidth, nHeight).empty());
        EXPECT_EQ(0u, nWidth);
        EXPECT_EQ(0u, nHeight);
        ASSERT_EQ(1u, m_messages.size());
        EXPECT_EQ(c.szMessage, m_messages[0]);

        const std::string strPath = m_folder.File("damaged.jpg");
        ASSERT_TRUE(WriteBytes(strPath, c.bytes));
        EXPECT_TRUE(JpegFile::Read(strPath.c_str(), nWidth, nHeight).empty());
        EXPECT_EQ(2u, m_messages.size());
    }
}

TEST_F(JpegFileTest, MissingInputGivesNothing)
{
    UINT nWidth = 0, nHeight = 0;
    EXPECT_TRUE(JpegFile::Read(m_folder.File("none.jpg").c_str(), nWidth, nHeight).empty());
    EXPECT_TRUE(m_messages.empty()) << "a missing file is silent";
    EXPECT_TRUE(JpegFile::ReadMemory(nullptr, 0, nWidth, nHeight).empty());
    EXPECT_TRUE(JpegFile::Read(nullptr, nWidth, nHeight).empty());
    ASSERT_EQ(0, ::mkfifo(m_folder.File("pipe.jpg").c_str(), 0666)); // refused, not waited on
    EXPECT_TRUE(JpegFile::Read(m_folder.File("pipe.jpg").c_str(), nWidth, nHeight).empty());
}

TEST(JpegBufferTest, SwapRedBlueSwapsTheOuterBytesOfEveryPixel)
{
    std::vector<BYTE> rgb = {1, 2, 3, 4, 5, 6};
    JpegFile::SwapRedBlue(rgb.data(), 2, 1);
    EXPECT_EQ((std::vector<BYTE>{3, 2, 1, 6, 5, 4}), rgb);
    JpegFile::SwapRedBlue(nullptr, 2, 1); // does nothing
}

TEST(JpegBufferTest, AlignedRowsArePaddedWithZeros)
{
    struct SCase
    {
        UINT nWidth;
        UINT nRowSize;
    };
    const SCase cases[] = {{1, 4}, {2, 8}, {3, 12}, {4, 12}, {5, 16}};
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.nWidth);
        const UINT nHeight = 3;
        std::vector<BYTE> rgb(std::size_t{c.nWidth} * nHeight * 3);
        for (std::size_t i = 0; i < rgb.size(); ++i)
            rgb[i] = static_cast<BYTE>(i + 1);
        UINT nRowSize = 0;
        const std::vector<BYTE> padded = JpegFile::MakeDwordAlignedBuffer(rgb.data(), c.nWidth, nHeight, nRowSize);
        EXPECT_EQ(c.nRowSize, nRowSize);
        ASSERT_EQ(std::size_t{c.nRowSize} * nHeight, padded.size());
        for (UINT y = 0; y < nHeight; ++y)
        {
            for (UINT i = 0; i < nRowSize; ++i)
            {
                const BYTE nExpected = i < c.nWidth * 3 ? rgb[y * c.nWidth * 3 + i] : 0;
                EXPECT_EQ(nExpected, padded[y * nRowSize + i]) << "row " << y << " byte " << i;
            }
        }
    }
    UINT nRowSize = 7;
    EXPECT_TRUE(JpegFile::MakeDwordAlignedBuffer(nullptr, 4, 4, nRowSize).empty());
}

TEST(JpegBufferTest, FlipSwapsRowsTopToBottom)
{
    for (UINT nRows : {1u, 2u, 3u, 4u})
    {
        SCOPED_TRACE(nRows);
        std::vector<BYTE> rows;
        for (UINT r = 0; r < nRows; ++r)
            rows.insert(rows.end(), {static_cast<BYTE>(r), static_cast<BYTE>(r + 100)});
        ASSERT_EQ(TRUE, JpegFile::FlipImageVertically(rows.data(), 2, nRows));
        for (UINT r = 0; r < nRows; ++r)
        {
            EXPECT_EQ(nRows - 1 - r, rows[r * 2]);
            EXPECT_EQ(nRows - 1 - r + 100, rows[r * 2 + 1]);
        }
    }
    EXPECT_EQ(FALSE, JpegFile::FlipImageVertically(nullptr, 4, 4));
}
