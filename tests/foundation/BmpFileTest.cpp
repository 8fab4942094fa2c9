#include "foundation/BmpFile.h"

#include "fixtures/ImageFixtures.h"

#include "platform/TempFolder.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
constexpr DWORD BITFIELDS = 3;
constexpr DWORD RLE8 = 1;

// A channel of mask width scaled to 0..255 the way the reader promises (rounded).
BYTE Scale(DWORD nValue, DWORD nMax) { return static_cast<BYTE>((nValue * 255 + nMax / 2) / nMax); }

// Red, green, blue of one desc pixel, worked out from the desc alone.
std::vector<BYTE> ExpectedPixel(const SBmpDesc& desc, DWORD v)
{
    const auto rgb = [](DWORD c) {
        return std::vector<BYTE>{static_cast<BYTE>(c >> 16), static_cast<BYTE>(c >> 8), static_cast<BYTE>(c)};
    };
    switch (desc.nBits)
    {
    case 16:
        if (desc.nCompression == BITFIELDS) // 5-6-5
            return {Scale(v >> 11, 31), Scale((v >> 5) & 63, 63), Scale(v & 31, 31)};
        return {Scale((v >> 10) & 31, 31), Scale((v >> 5) & 31, 31), Scale(v & 31, 31)};
    case 24:
    case 32:
        return rgb(v & 0xFFFFFF);
    default:
        return rgb(desc.palette[v]);
    }
}

std::vector<BYTE> ExpectedRgb(const SBmpDesc& desc)
{
    std::vector<BYTE> out;
    for (DWORD v : desc.pixels)
    {
        const std::vector<BYTE> pixel = ExpectedPixel(desc, v);
        out.insert(out.end(), pixel.begin(), pixel.end());
    }
    return out;
}

// A picture of the given depth with a pattern of values the depth allows.
SBmpDesc MakeSpec(WORD nBits, LONG nWidth, LONG nHeight)
{
    SBmpDesc desc;
    desc.nBits = nBits;
    desc.nWidth = nWidth;
    desc.nHeight = nHeight;
    const std::size_t nCount =
        static_cast<std::size_t>(nWidth) * static_cast<std::size_t>(nHeight < 0 ? -nHeight : nHeight);
    if (nBits <= 8)
    {
        for (DWORD k = 0; k < (1u << nBits); ++k)
            desc.palette.push_back((k * 0x3B) << 16 | (255 - k) << 8 | ((k * 7) & 0xFF));
    }
    for (std::size_t i = 0; i < nCount; ++i)
    {
        const DWORD v = static_cast<DWORD>(i * 2654435761u);
        desc.pixels.push_back(nBits <= 8 ? v % (1u << nBits) : nBits == 16 ? v & 0x7FFF : v & 0xFFFFFF);
    }
    return desc;
}

class BmpFileTest : public ::testing::Test
{
protected:
    std::vector<BYTE> Read(const std::vector<BYTE>& bytes, UINT& nWidth, UINT& nHeight)
    {
        const std::string strPath = m_folder.File("picture.bmp");
        EXPECT_TRUE(WriteBytes(strPath, bytes));
        return m_bmp.ReadBmpFile(strPath.c_str(), nWidth, nHeight);
    }

    CTempFolder m_folder;
    CBmpFile m_bmp;
};
} // namespace

TEST_F(BmpFileTest, EveryDepthAndHeaderReadsAsRgbTopFirst)
{
    struct SCase
    {
        const char* szName;
        SBmpDesc desc;
    };
    std::vector<SCase> cases = {
        {"1 bit, 13 wide", MakeSpec(1, 13, 5)},
        {"4 bits, 5 wide", MakeSpec(4, 5, 3)},
        {"8 bits, colours used 0 means 256", MakeSpec(8, 7, 4)},
        {"16 bits 5-5-5", MakeSpec(16, 3, 3)},
        {"24 bits, 1 wide", MakeSpec(24, 1, 4)},
        {"24 bits, 3 wide (padded rows)", MakeSpec(24, 3, 2)},
        {"24 bits, top row first", MakeSpec(24, 5, -3)},
        {"32 bits", MakeSpec(32, 4, 2)},
        {"8 bits, top row first", MakeSpec(8, 6, -4)},
    };
    SBmpDesc fewColours = MakeSpec(8, 4, 4);
    fewColours.palette.resize(3);
    fewColours.nColorsUsed = 3;
    for (DWORD& v : fewColours.pixels)
        v %= 3;
    cases.push_back({"8 bits, 3 colours used", fewColours});
    SBmpDesc rgb565 = MakeSpec(16, 4, 3);
    rgb565.nCompression = BITFIELDS;
    rgb565.masks = {0xF800, 0x07E0, 0x001F};
    for (DWORD& v : rgb565.pixels)
        v = v * 3 & 0xFFFF;
    cases.push_back({"16 bits 5-6-5 bit fields after a 40-byte header", rgb565});
    SBmpDesc v5 = MakeSpec(32, 3, -2);
    v5.nInfoSize = 124;
    v5.nCompression = BITFIELDS;
    v5.masks = {0xFF0000, 0xFF00, 0xFF};
    cases.push_back({"32 bits, bit fields in a 124-byte header", v5});
    SBmpDesc v4 = MakeSpec(24, 3, 3);
    v4.nInfoSize = 108;
    cases.push_back({"24 bits, 108-byte header", v4});
    SBmpDesc v4Palette = MakeSpec(4, 9, 2);
    v4Palette.nInfoSize = 108;
    cases.push_back({"4 bits, 108-byte header", v4Palette});

    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        UINT nWidth = 0, nHeight = 0;
        const std::vector<BYTE> bytes = EncodeBmp(c.desc);
        const std::vector<BYTE> rgb = Read(bytes, nWidth, nHeight);
        EXPECT_STREQ("OK", m_bmp.GetErrorText());
        EXPECT_EQ(static_cast<UINT>(c.desc.nWidth), nWidth);
        EXPECT_EQ(static_cast<UINT>(c.desc.nHeight < 0 ? -c.desc.nHeight : c.desc.nHeight), nHeight);
        EXPECT_EQ(ExpectedRgb(c.desc), rgb);
        EXPECT_EQ(bytes.size(), m_bmp.GetBytesRead());
    }
}

TEST_F(BmpFileTest, DamagedFilesGiveTheirErrorText)
{
    const std::vector<BYTE> good = EncodeBmp(MakeSpec(24, 4, 4));
    const std::vector<BYTE> good8 = EncodeBmp(MakeSpec(8, 4, 4));
    const auto patch32 = [](std::vector<BYTE> bytes, std::size_t nPos, DWORD value)
    {
        for (int i = 0; i < 4; ++i)
            bytes.at(nPos + static_cast<std::size_t>(i)) = static_cast<BYTE>(value >> (8 * i));
        return bytes;
    };
    const auto patch16 = [](std::vector<BYTE> bytes, std::size_t nPos, WORD value)
    {
        bytes.at(nPos) = static_cast<BYTE>(value & 0xFF);
        bytes.at(nPos + 1) = static_cast<BYTE>(value >> 8);
        return bytes;
    };
    const auto cut = [](const std::vector<BYTE>& v, std::size_t n)
    { return std::vector<BYTE>(v.begin(), v.begin() + static_cast<long>(n)); };
    // Offsets: 2 file size, 10 pixel offset, 14 header size, 18 width, 22 height, 28 bits,
    // 30 compression, 46 colours used; the palette of good8 starts at 54.
    std::vector<BYTE> badIndex = EncodeBmp(MakeSpec(8, 4, 4));
    badIndex = patch32(badIndex, 46, 2); // two colours, while the pixels use all 256

    struct SCase
    {
        const char* szName;
        std::vector<BYTE> bytes;
        const char* szError;
    };
    const SCase cases[] = {
        {"empty file", {}, "Read Error!"},
        {"one byte", cut(good, 1), "Read Error!"},
        {"wrong signature", patch16(good, 0, 0x4142), "Not a valid BMP File"},
        {"cut in the header", cut(good, 30), "Read Error!"},
        {"cut in the pixels", cut(good, good.size() - 1), "Read Error"},
        {"cut in the palette", cut(good8, 54 + 100), "Read Error!"},
        {"run-length compressed", patch32(good8, 30, RLE8), "This is a compressed file."},
        {"bit fields at 24 bits", patch32(good, 30, BITFIELDS), "This is a compressed file."},
        {"2 bits per pixel", patch16(good, 28, 2), "Unsupported bit depth"},
        {"0 bits per pixel", patch16(good, 28, 0), "Unsupported bit depth"},
        {"12-byte core header", patch32(good, 14, 12), "Not a valid BMP File"},
        {"header size past the end", patch32(good, 14, 100000), "Read Error!"},
        {"zero width", patch32(good, 18, 0), "Invalid image size"},
        {"negative width", patch32(good, 18, 0xFFFFFFFF), "Invalid image size"},
        {"zero height", patch32(good, 22, 0), "Invalid image size"},
        {"most negative height", patch32(good, 22, 0x80000000), "Invalid image size"},
        {"100000 x 100000", patch32(patch32(good, 18, 100000), 22, 100000), "Invalid image size"},
        {"16000 x 16000 with 4 x 4 of data", patch32(patch32(good, 18, 16000), 22, 16000), "Invalid image size"},
        {"2000 x 2000 with 4 x 4 of data", patch32(patch32(good, 18, 2000), 22, 2000), "Read Error"},
        {"pixel offset inside the palette", patch32(good8, 10, 60), "Corrupt palette"},
        {"pixel offset past the end", patch32(good, 10, 5000), "Read Error!"},
        {"more colours used than the depth holds", patch32(good8, 46, 300), "Corrupt palette"},
        {"pixel index beyond the palette", badIndex, "Corrupt palette"},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        UINT nWidth = 7, nHeight = 7;
        EXPECT_TRUE(Read(c.bytes, nWidth, nHeight).empty());
        EXPECT_STREQ(c.szError, m_bmp.GetErrorText());
        EXPECT_EQ(0u, nWidth);
        EXPECT_EQ(0u, nHeight);
    }
}

TEST_F(BmpFileTest, MissingFileNamesThePath)
{
    const std::string strPath = m_folder.File("none.bmp");
    UINT nWidth = 0, nHeight = 0;
    EXPECT_TRUE(m_bmp.ReadBmpFile(strPath.c_str(), nWidth, nHeight).empty());
    EXPECT_EQ("Can't open file for reading :\n" + strPath, std::string(m_bmp.GetErrorText()));
    // The next read starts again from "OK".
    ASSERT_TRUE(WriteBytes(strPath, EncodeBmp(MakeSpec(24, 2, 2))));
    EXPECT_FALSE(m_bmp.ReadBmpFile(strPath.c_str(), nWidth, nHeight).empty());
    EXPECT_STREQ("OK", m_bmp.GetErrorText());
}
