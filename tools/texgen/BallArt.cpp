#include "tools/texgen/BallArt.h"

#include "foundation/BallTextureData.h"
#include "tools/art/ArtPaint.h"
#include "tools/art/ArtText.h"
#include "tools/art/BallMapping.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
/// Texels a side of the largest number-disc image; three halvings follow it.
constexpr int DISC_SIDE = 128;
constexpr int DISC_LEVELS = 4;
/// Width of the anti-aliased edge of a stripe or disc, in units of the axis coordinate.
constexpr double EDGE_WIDTH = 0.012;

double Threshold(int nBall) { return nBall == 0 ? CUE_BALL_DOT_THRESHOLD : BALL_DISC_THRESHOLD; }

/// How much of a texel at axis coordinate c lies beyond the edge at dEdge, 0 to 1.
float Beyond(double c, double dEdge)
{
    return static_cast<float>(std::clamp((c - dEdge) / EDGE_WIDTH + 0.5, 0.0, 1.0));
}

/// The disc's marking as coverage (in the red channel, 0 background to 1 ink or dot): the cue
/// ball's whole small disc is its dot; the other balls' discs carry their numeral in Liberation
/// Sans Bold, two digits a little smaller so that they stay inside the rim; 6 and 9 are
/// underlined so that they are told apart.
CArtImage DiscCoverage(int nBall)
{
    if (nBall == 0)
    {
        CArtImage dot(DISC_SIDE, DISC_SIDE, SArtColor{0, 0, 0, 1});
        FillDisc(dot, DISC_SIDE / 2.0, DISC_SIDE / 2.0, DISC_SIDE / 2.0 - 1.0, SArtColor{1, 1, 1, 1});
        return dot;
    }
    const SArtTextStyle style{nBall < 10 ? 76 : 66, true, SArtColor{1, 1, 1, 1}, true};
    CArtImage disc = TextCoverage(std::to_string(nBall), DISC_SIDE, DISC_SIDE, style);
    if (nBall == 6 || nBall == 9)
        FillRoundRect(disc, DISC_SIDE * 0.36, DISC_SIDE * 0.80, DISC_SIDE * 0.64, DISC_SIDE * 0.86, 2.0,
                      SArtColor{1, 1, 1, 1});
    return disc;
}

/// Bilinear sample of the coverage at (a, b), both in [-1, 1] across the image.
float SampleCoverage(const CArtImage& disc, double a, double b)
{
    const double x = (a + 1.0) / 2.0 * disc.Width() - 0.5, y = (b + 1.0) / 2.0 * disc.Height() - 0.5;
    const int x0 = std::clamp(static_cast<int>(std::floor(x)), 0, disc.Width() - 1);
    const int y0 = std::clamp(static_cast<int>(std::floor(y)), 0, disc.Height() - 1);
    const int x1 = std::min(x0 + 1, disc.Width() - 1), y1 = std::min(y0 + 1, disc.Height() - 1);
    const auto fx = static_cast<float>(std::clamp(x - x0, 0.0, 1.0)),
               fy = static_cast<float>(std::clamp(y - y0, 0.0, 1.0));
    const float top = disc.At(x0, y0).r + (disc.At(x1, y0).r - disc.At(x0, y0).r) * fx;
    const float bottom = disc.At(x0, y1).r + (disc.At(x1, y1).r - disc.At(x0, y1).r) * fx;
    return top + (bottom - top) * fy;
}

/// The colour of ball n outside its disc at axis coordinate c.
SArtColor BodyColor(const SBallSet& set, int nBall, double c)
{
    const SArtColor white = SArtColor::Hex(set.colors[0]);
    if (nBall == 0)
        return white;
    if (nBall <= 8)
        return SArtColor::Hex(set.colors[nBall]);
    const float fOutside = Beyond(std::fabs(c), BALL_STRIPE_HALF_WIDTH);
    return SArtColor::Hex(set.colors[nBall - 8]).Mix(white, fOutside);
}

std::vector<SBallSet> MakeSets()
{
    return {
        // The ball painter's fixed table: white, yellow, blue, red, purple, orange, green, maroon, black.
        {"BALLS_STANDARD",
         "COLORS_STANDARD",
         {0xFFFFFF, 0xC4C41F, 0x2E2EF0, 0xDD2525, 0xBA25BA, 0xF26E25, 0x257625, 0x704323, 0x252525},
         0xFFFFFF,
         0x141414,
         0xB0282A},
        // Pyramid: ivory balls with brown numerals.
        {"BALLS_IVORY",
         "COLORS_IVORY",
         {0xFFF8E4, 0xF2E8CC, 0xF2E8CC, 0xF2E8CC, 0xF2E8CC, 0xF2E8CC, 0xF2E8CC, 0xF2E8CC, 0xF2E8CC},
         0xFFF8E4,
         0x3A1E10,
         0x8A1A1A},
        // American: cream balls with deep red numerals, a pale yellow cue ball.
        {"BALLS_AMERICAN",
         "COLORS_AMERICAN",
         {0xF6DC6A, 0xEFE2C0, 0xEFE2C0, 0xEFE2C0, 0xEFE2C0, 0xEFE2C0, 0xEFE2C0, 0xEFE2C0, 0xEFE2C0},
         0xF8F0DC,
         0x8A1010,
         0x8A1010},
        // Bonus: bright candy colours.
        {"BALLS_BONUS",
         "COLORS_BONUS",
         {0xFFFFFF, 0xF2D22E, 0x19B6C8, 0xF0407A, 0x8A4AE0, 0x9AD22E, 0xF08A1E, 0x2E6AE0, 0x1E1E3A},
         0xFFFFFF,
         0x1E1E3A,
         0xF0407A},
    };
}
} // namespace

const std::vector<SBallSet>& AllBallSets()
{
    static const std::vector<SBallSet> s_sets = MakeSets();
    return s_sets;
}

const SBallSet& StandardBallSet() { return AllBallSets().front(); }

CArtImage MakeBallFace(const SBallSet& set, int nBall, int nSide)
{
    CArtImage face(nSide, nSide);
    const CArtImage disc = DiscCoverage(nBall);
    const double dThreshold = Threshold(nBall);
    const double dRim = BallDiscRadius(dThreshold);
    const SArtColor paper = SArtColor::Hex(set.nPaper);
    const SArtColor mark = SArtColor::Hex(nBall == 0 ? set.nDot : set.nInk);
    for (int y = 0; y < nSide; ++y)
        for (int x = 0; x < nSide; ++x)
        {
            const auto p = BallPointFromUv((x + 0.5) / nSide, (y + 0.5) / nSide);
            const double c = p[2];
            SArtColor color = BodyColor(set, nBall, c);
            const float fDisc = Beyond(std::fabs(c), dThreshold);
            if (fDisc > 0.0f)
            {
                // Seen from its own side each disc reads the right way round, so the back one
                // runs along +x.
                const double a = (c >= 0.0 ? -p[0] : p[0]) / dRim, b = -p[1] / dRim;
                const SArtColor discColor = paper.Mix(mark, SampleCoverage(disc, a, b));
                color = color.Mix(discColor, fDisc);
            }
            face.At(x, y) = color;
        }
    return face;
}

std::vector<std::uint8_t> MakeBallTextures(const SBallSet& set)
{
    // Palette: 0 to 127 run from the discs' ground to the ink, 128 to 255 from it to the dot.
    SBallTextureSet textures;
    const SArtColor white = SArtColor::Hex(set.nPaper);
    for (int i = 0; i < 128; ++i)
    {
        for (const auto& [nIndex, mark] :
             {std::pair{i, SArtColor::Hex(set.nInk)}, std::pair{128 + i, SArtColor::Hex(set.nDot)}})
        {
            const SArtColor c = white.Mix(mark, static_cast<float>(i) / 127.0f);
            textures.palette[nIndex] = DWORD{ChannelByte(c.r)} << 16 | DWORD{ChannelByte(c.g)} << 8 | ChannelByte(c.b);
        }
    }
    for (int b = 0; b < BALL_TEXTURE_BALLS; ++b)
    {
        SBallTexture& ball = textures.balls[b];
        ball.dThreshold = Threshold(b);
        const CArtImage disc = DiscCoverage(b);
        const int nBase = b == 0 ? 128 : 0;
        for (int l = 0; l < DISC_LEVELS; ++l)
        {
            const int nSide = DISC_SIDE >> l;
            const CArtImage level = disc.Reduced(nSide, nSide);
            SBallDisc out{static_cast<UINT>(nSide), {}};
            for (int y = 0; y < nSide; ++y)
                for (int x = 0; x < nSide; ++x)
                    out.texels.push_back(
                        static_cast<BYTE>(nBase + std::lround(std::clamp(level.At(x, y).r, 0.0f, 1.0f) * 127.0f)));
            ball.levels.push_back(std::move(out));
        }
    }
    std::vector<BYTE> bytes;
    std::string strError;
    if (!WriteBallTextures(textures, bytes, strError))
        std::fprintf(stderr, "%s: %s\n", set.szTextures, strError.c_str());
    return bytes;
}

std::vector<std::uint8_t> MakeColorTable(const SBallSet& set)
{
    std::vector<std::uint8_t> bytes;
    for (const std::uint32_t nColor : set.colors)
        bytes.insert(bytes.end(), {static_cast<std::uint8_t>(nColor >> 16), static_cast<std::uint8_t>(nColor >> 8),
                                   static_cast<std::uint8_t>(nColor)});
    return bytes;
}
