// The generated pictures as the game finds and decodes them: at their sizes, none a flat fill,
// the felt green at the default cloth colour, each ball face in its colour.
#include "tests/assets/GameFiles.h"

#include "foundation/BmpFile.h"
#include "foundation/JpegFile.h"
#include "foundation/Settings.h"
#include "platform/TempFolder.h"
#include "tools/art/BallMapping.h"

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>

namespace
{
struct SPicture
{
    UINT nWidth = 0;
    UINT nHeight = 0;
    std::vector<BYTE> rgb; // rows top first

    const BYTE* At(UINT x, UINT y) const { return &rgb[(std::size_t{y} * nWidth + x) * 3]; }
};

/// A texture by the game's lookup: a "JPG" resource by its bare name, else a bitmap by its name.
SPicture LoadTexture(const std::string& strName)
{
    SPicture picture;
    const std::string strBare = strName.substr(0, strName.find('.'));
    if (const auto jpeg = FindFirst(ArtworkLibraries(), strBare.c_str(), "JPG"))
    {
        picture.rgb = JpegFile::ReadMemory(jpeg->data(), jpeg->size(), picture.nWidth, picture.nHeight);
        return picture;
    }
    const auto bmp = FindFirst(ArtworkLibraries(), strName.c_str(), RT_BITMAP);
    if (!bmp)
        return picture;
    CTempFolder folder;
    folder.Write("texture.bmp", std::string(bmp->begin(), bmp->end()));
    CBmpFile reader;
    picture.rgb = reader.ReadBmpFile(folder.File("texture.bmp").c_str(), picture.nWidth, picture.nHeight);
    return picture;
}

double Luminance(const BYTE* p) { return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]; }

double LuminanceSpread(const SPicture& picture)
{
    double dSum = 0.0, dSquares = 0.0;
    const double n = static_cast<double>(picture.nWidth) * picture.nHeight;
    for (UINT y = 0; y < picture.nHeight; ++y)
        for (UINT x = 0; x < picture.nWidth; ++x)
        {
            const double l = Luminance(picture.At(x, y));
            dSum += l;
            dSquares += l * l;
        }
    return std::sqrt(std::max(0.0, dSquares / n - (dSum / n) * (dSum / n)));
}

std::vector<std::string> TextureNames()
{
    std::vector<std::string> names = {"felt.bmp",      "felt_d.bmp",  "walnut.jpg",  "floor.jpg",     "wallpanel.jpg",
                                      "wallpaper.jpg", "brass.jpg",   "leather.jpg", "clockface.jpg", "lampshade.jpg",
                                      "cue.jpg",       "link1.jpg",   "link2.jpg",   "link3.jpg",     "link4.jpg",
                                      "arrow.bmp",     "Disable.bmp", "Chat.bmp"};
    for (int n = 0; n < 16; ++n)
    {
        char sz[32];
        std::snprintf(sz, sizeof sz, "b_%02d.bmp", n);
        names.push_back(sz);
        std::snprintf(sz, sizeof sz, "b_sm_%02d.bmp", n);
        names.push_back(sz);
    }
    return names;
}

bool IsPowerOfTwoTextureSide(UINT n) { return n >= 256 && n <= 512 && (n & (n - 1)) == 0; }

/// Ball colours of the standard set, 0xRRGGBB: the white, then balls 1 to 8.
constexpr DWORD BALL_COLORS[9] = {0xFFFFFF, 0xC4C41F, 0x2E2EF0, 0xDD2525, 0xBA25BA,
                                  0xF26E25, 0x257625, 0x704323, 0x252525};

bool Near(const BYTE* p, DWORD nRgb, int nTolerance)
{
    return std::abs(p[0] - static_cast<int>(nRgb >> 16)) <= nTolerance &&
           std::abs(p[1] - static_cast<int>((nRgb >> 8) & 0xFF)) <= nTolerance &&
           std::abs(p[2] - static_cast<int>(nRgb & 0xFF)) <= nTolerance;
}
} // namespace

TEST(GamePicturesTest, EveryTextureDecodesAtAPowerOfTwoAndIsNoFlatFill)
{
    for (const std::string& strName : TextureNames())
    {
        SCOPED_TRACE(strName);
        const SPicture picture = LoadTexture(strName);
        ASSERT_FALSE(picture.rgb.empty());
        EXPECT_TRUE(IsPowerOfTwoTextureSide(picture.nWidth)) << picture.nWidth;
        EXPECT_TRUE(IsPowerOfTwoTextureSide(picture.nHeight)) << picture.nHeight;
        EXPECT_GT(LuminanceSpread(picture), 2.0);
    }
}

// The texture manager averages the felt with the cloth colour; drawn at the default colour, the
// felt keeps its look.
TEST(GamePicturesTest, FeltIsGreenAtTheDefaultTableColor)
{
    CSettings defaults;
    defaults.SetDefaults();
    const auto nCloth = static_cast<DWORD>(defaults.m_nTableColor); // 0x00BBGGRR
    const int aCloth[3] = {static_cast<int>(nCloth & 0xFF), static_cast<int>((nCloth >> 8) & 0xFF),
                           static_cast<int>((nCloth >> 16) & 0xFF)};
    for (const char* szName : {"felt.bmp", "felt_d.bmp"})
    {
        SCOPED_TRACE(szName);
        const SPicture felt = LoadTexture(szName);
        ASSERT_FALSE(felt.rgb.empty());
        double aSum[3] = {};
        for (std::size_t i = 0; i < felt.rgb.size(); ++i)
            aSum[i % 3] += felt.rgb[i];
        const double nPixels = static_cast<double>(felt.nWidth) * felt.nHeight;
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(aCloth[c], aSum[c] / nPixels, 4.0) << "channel " << c;
        EXPECT_GT(aSum[1], 2.0 * aSum[0]);
        EXPECT_GT(aSum[1], 2.0 * aSum[2]);
    }
}

// Solids are their colour all round but for the number discs; stripes their colour in the band
// and white beyond it; the cue ball white; the number discs dark ink on white. Points are chosen
// through the faces' mapping.
TEST(GamePicturesTest, EachBallFaceWearsItsColour)
{
    for (int n = 0; n < 16; ++n)
    {
        char szName[32];
        std::snprintf(szName, sizeof szName, "b_%02d.bmp", n);
        SCOPED_TRACE(szName);
        const SPicture face = LoadTexture(szName);
        ASSERT_FALSE(face.rgb.empty());
        int nBand = 0, nBandRight = 0, nOutside = 0, nOutsideRight = 0, nDisc = 0, nInk = 0, nPaper = 0;
        for (UINT y = 0; y < face.nHeight; y += 4)
            for (UINT x = 0; x < face.nWidth; x += 4)
            {
                const auto p = BallPointFromUv((x + 0.5) / face.nWidth, (y + 0.5) / face.nHeight);
                const double c = std::fabs(p[2]);
                const DWORD nBandColor = n == 0 ? BALL_COLORS[0] : BALL_COLORS[n <= 8 ? n : n - 8];
                const DWORD nOutsideColor = n <= 8 ? nBandColor : BALL_COLORS[0];
                if (c < BALL_STRIPE_HALF_WIDTH - 0.05)
                {
                    ++nBand;
                    nBandRight += Near(face.At(x, y), nBandColor, 6);
                }
                else if (c > BALL_STRIPE_HALF_WIDTH + 0.05 && c < BALL_DISC_THRESHOLD - 0.05)
                {
                    ++nOutside;
                    nOutsideRight += Near(face.At(x, y), nOutsideColor, 6);
                }
                else if (c > BALL_DISC_THRESHOLD + 0.01)
                {
                    ++nDisc;
                    nInk += Luminance(face.At(x, y)) < 60.0;
                    nPaper += Near(face.At(x, y), BALL_COLORS[0], 6);
                }
            }
        EXPECT_GT(nBandRight, nBand * 98 / 100);
        EXPECT_GT(nOutsideRight, nOutside * 98 / 100);
        // A numeral of dark ink on white; the cue ball's disc is its small dot.
        if (n > 0)
        {
            EXPECT_GT(nInk, nDisc / 40);
            EXPECT_GT(nPaper, nDisc / 3);
        }
    }
}
