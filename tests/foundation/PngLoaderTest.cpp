#include "foundation/PngLoader.h"

#include "fixtures/ImageFixtures.h"

#include "platform/TempFolder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <png.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
struct SPngCase
{
    const char* szName;
    int nColorType;
    int nBitDepth;
    bool bTransparency = false; // add a tRNS chunk
    bool bInterlaced = false;
};

// Palette entries of the test pictures (fewer where the depth holds fewer).
constexpr unsigned PALETTE_SIZE = 5;

// A picture of every sample value the depth allows, in a pattern that differs per channel.
SPngDesc MakeSpec(const SPngCase& c)
{
    SPngDesc desc;
    desc.nWidth = 13;
    desc.nHeight = 7;
    desc.nColorType = c.nColorType;
    desc.nBitDepth = c.nBitDepth;
    desc.bInterlaced = c.bInterlaced;
    const unsigned nPaletteSize = std::min(PALETTE_SIZE, 1u << c.nBitDepth);
    const unsigned nLimit = c.nColorType == PNG_COLOR_TYPE_PALETTE ? nPaletteSize : 1u << c.nBitDepth;
    const std::size_t nSamples = std::size_t{desc.nWidth} * desc.nHeight * PngSamplesPerPixel(c.nColorType);
    for (std::size_t i = 0; i < nSamples; ++i)
        desc.samples.push_back(static_cast<unsigned>((i * 7919 + i / 3) % nLimit));
    if (c.nColorType == PNG_COLOR_TYPE_PALETTE)
    {
        for (unsigned k = 0; k < nPaletteSize; ++k)
            desc.palette.insert(desc.palette.end(), {static_cast<BYTE>(k * 50), static_cast<BYTE>(255 - k * 30),
                                                     static_cast<BYTE>(k * 17 + 3)});
        if (c.bTransparency)
            desc.transparency = {0, 128, 255};
    }
    else if (c.bTransparency)
    {
        desc.transparent = c.nColorType == PNG_COLOR_TYPE_GRAY
                               ? std::vector<unsigned>{desc.samples[0]}
                               : std::vector<unsigned>{desc.samples[0], desc.samples[1], desc.samples[2]};
    }
    return desc;
}

// A sample scaled to 8 bits the way the loader promises: low depths stretched, 16 bits cut.
BYTE To8Bits(unsigned nValue, int nBitDepth)
{
    if (nBitDepth == 16)
        return static_cast<BYTE>(nValue >> 8);
    return static_cast<BYTE>(nValue * 255 / ((1u << nBitDepth) - 1));
}

DWORD Word(unsigned r, unsigned g, unsigned b, unsigned a) { return (r << 24) | (g << 16) | (b << 8) | a; }

// What the loader must return for the desc, worked out from the samples alone.
std::vector<DWORD> ExpectedWords(const SPngDesc& desc)
{
    std::vector<DWORD> words;
    const std::size_t nPer = PngSamplesPerPixel(desc.nColorType);
    for (std::size_t i = 0; i < std::size_t{desc.nWidth} * desc.nHeight; ++i)
    {
        const unsigned* s = &desc.samples[i * nPer];
        const auto v = [&](std::size_t k) { return unsigned{To8Bits(s[k], desc.nBitDepth)}; };
        switch (desc.nColorType)
        {
        case PNG_COLOR_TYPE_PALETTE:
        {
            const BYTE* p = &desc.palette[s[0] * 3];
            const unsigned nAlpha = s[0] < desc.transparency.size() ? desc.transparency[s[0]] : 255u;
            words.push_back(Word(p[0], p[1], p[2], nAlpha));
            break;
        }
        case PNG_COLOR_TYPE_GRAY:
        {
            const bool bClear = !desc.transparent.empty() && s[0] == desc.transparent[0];
            words.push_back(Word(v(0), v(0), v(0), bClear ? 0 : 255));
            break;
        }
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            words.push_back(Word(v(0), v(0), v(0), v(1)));
            break;
        case PNG_COLOR_TYPE_RGB:
        {
            const bool bClear = !desc.transparent.empty() && s[0] == desc.transparent[0] &&
                                s[1] == desc.transparent[1] && s[2] == desc.transparent[2];
            words.push_back(Word(v(0), v(1), v(2), bClear ? 0 : 255));
            break;
        }
        default:
            words.push_back(Word(v(0), v(1), v(2), v(3)));
        }
    }
    return words;
}

bool CarriesAlpha(const SPngDesc& desc)
{
    return (desc.nColorType & PNG_COLOR_MASK_ALPHA) != 0 || !desc.transparency.empty() || !desc.transparent.empty();
}
} // namespace

TEST(PngLoaderTest, EveryColourTypeAndDepthBecomesRgbaWords)
{
    const SPngCase cases[] = {
        {"grey 1 bit", PNG_COLOR_TYPE_GRAY, 1},
        {"grey 2 bits", PNG_COLOR_TYPE_GRAY, 2},
        {"grey 4 bits", PNG_COLOR_TYPE_GRAY, 4},
        {"grey 8 bits", PNG_COLOR_TYPE_GRAY, 8},
        {"grey 16 bits", PNG_COLOR_TYPE_GRAY, 16},
        {"grey 8 bits, transparent grey", PNG_COLOR_TYPE_GRAY, 8, true},
        {"grey and alpha 8 bits", PNG_COLOR_TYPE_GRAY_ALPHA, 8},
        {"grey and alpha 16 bits", PNG_COLOR_TYPE_GRAY_ALPHA, 16},
        {"RGB 8 bits", PNG_COLOR_TYPE_RGB, 8},
        {"RGB 16 bits", PNG_COLOR_TYPE_RGB, 16},
        {"RGB 8 bits, transparent colour", PNG_COLOR_TYPE_RGB, 8, true},
        {"RGBA 8 bits", PNG_COLOR_TYPE_RGB_ALPHA, 8},
        {"RGBA 16 bits", PNG_COLOR_TYPE_RGB_ALPHA, 16},
        {"RGBA 8 bits, interlaced", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, true},
        {"palette 1 bit", PNG_COLOR_TYPE_PALETTE, 1},
        {"palette 2 bits", PNG_COLOR_TYPE_PALETTE, 2},
        {"palette 4 bits", PNG_COLOR_TYPE_PALETTE, 4},
        {"palette 8 bits", PNG_COLOR_TYPE_PALETTE, 8},
        {"palette 8 bits with transparency", PNG_COLOR_TYPE_PALETTE, 8, true},
        {"palette 4 bits with transparency, interlaced", PNG_COLOR_TYPE_PALETTE, 4, true, true},
    };
    CTempFolder folder;
    for (const SPngCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        const SPngDesc desc = MakeSpec(c);
        const std::vector<BYTE> png = EncodePng(desc);
        ASSERT_FALSE(png.empty());
        const std::string strPath = folder.File("picture.png");
        ASSERT_TRUE(WriteBytes(strPath, png));

        std::vector<DWORD> fromMemory, fromFile;
        UINT nWidth = 0, nHeight = 0;
        BYTE bAlpha = 9;
        ASSERT_EQ(TRUE, LoadPngImage(png.data(), png.size(), fromMemory, nWidth, nHeight, bAlpha));
        EXPECT_EQ(desc.nWidth, nWidth);
        EXPECT_EQ(desc.nHeight, nHeight);
        EXPECT_EQ(CarriesAlpha(desc) ? 1 : 0, bAlpha);
        EXPECT_EQ(ExpectedWords(desc), fromMemory);

        ASSERT_EQ(TRUE, LoadPngImage(strPath.c_str(), 0, fromFile, nWidth, nHeight, bAlpha));
        EXPECT_EQ(fromMemory, fromFile);
    }
}

TEST(PngLoaderTest, DamagedPicturesAreRefused)
{
    SPngDesc desc = MakeSpec({"rgba", PNG_COLOR_TYPE_RGB_ALPHA, 8});
    const std::vector<BYTE> good = EncodePng(desc);
    const std::vector<BYTE> palette = EncodePng(MakeSpec({"palette", PNG_COLOR_TYPE_PALETTE, 8}));
    const auto cut = [&](std::size_t n)
    { return std::vector<BYTE>(good.begin(), good.begin() + static_cast<long>(n)); };
    std::vector<BYTE> badCrc = good;
    badCrc[20] ^= 0xFF; // inside the header chunk: its checksum no longer matches
    struct SCase
    {
        const char* szName;
        std::vector<BYTE> bytes;
    };
    const SCase cases[] = {
        {"signature only", cut(8)},
        {"cut in the header", cut(20)},
        {"cut in the pixel data", cut(good.size() - 30)},
        {"end chunk missing", cut(good.size() - 12)},
        {"one byte", cut(1)},
        {"not a PNG", std::vector<BYTE>(64, 0x42)},
        {"header checksum wrong", badCrc},
        {"palette picture without its palette", RemovePngChunk(palette, "PLTE")},
        {"header claims 100000 x 100000", SetPngSize(good, 100000, 100000)},
        {"header claims 16000 x 16000", SetPngSize(good, 16000, 16000)},
        {"header claims zero width", SetPngSize(good, 0, 7)},
        {"header claims more rows than the data holds", SetPngSize(good, 13, 700)},
    };
    CTempFolder folder;
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        std::vector<DWORD> buffer(3, 7);
        UINT nWidth = 5, nHeight = 5;
        BYTE bAlpha = 1;
        EXPECT_EQ(FALSE, LoadPngImage(c.bytes.data(), c.bytes.size(), buffer, nWidth, nHeight, bAlpha));
        EXPECT_TRUE(buffer.empty());
        EXPECT_EQ(0u, nWidth);
        EXPECT_EQ(0u, nHeight);
        EXPECT_EQ(0, bAlpha);

        const std::string strPath = folder.File("damaged.png");
        ASSERT_TRUE(WriteBytes(strPath, c.bytes));
        EXPECT_EQ(FALSE, LoadPngImage(strPath.c_str(), 0, buffer, nWidth, nHeight, bAlpha));
    }
}

TEST(PngLoaderTest, MissingEmptyOrSpecialFileIsRefused)
{
    CTempFolder folder;
    std::vector<DWORD> buffer;
    UINT nWidth = 0, nHeight = 0;
    BYTE bAlpha = 0;
    EXPECT_EQ(FALSE, LoadPngImage(folder.File("none.png").c_str(), 0, buffer, nWidth, nHeight, bAlpha));
    ASSERT_TRUE(WriteBytes(folder.File("empty.png"), {}));
    EXPECT_EQ(FALSE, LoadPngImage(folder.File("empty.png").c_str(), 0, buffer, nWidth, nHeight, bAlpha));
    ASSERT_EQ(0, ::mkfifo(folder.File("pipe.png").c_str(), 0666)); // refused, not waited on
    EXPECT_EQ(FALSE, LoadPngImage(folder.File("pipe.png").c_str(), 0, buffer, nWidth, nHeight, bAlpha));
    EXPECT_EQ(FALSE, LoadPngImage(nullptr, 0, buffer, nWidth, nHeight, bAlpha));
}
