#include "tools/texgen/Sprites.h"

#include "tools/art/ArtPaint.h"
#include "tools/art/ArtText.h"

#include <cmath>
#include <cstdint>
#include <numbers>

namespace
{
constexpr int MARK = 256;
constexpr int PARTICLE = 64;

/// The pocket arrow: a glowing amber arrow pointing up on a dark ground, brightest at its tip.
CArtImage Arrow()
{
    CArtImage image(MARK, MARK);
    FillVerticalGradient(image, SArtColor::Hex(0x3A2008), SArtColor::Hex(0x120804));
    const double shape[7][2] = {{128, 20}, {228, 130}, {168, 130}, {168, 236}, {88, 236}, {88, 130}, {28, 130}};
    // The head and the shaft as two convex parts.
    const double head[3][2] = {{shape[0][0], shape[0][1]}, {shape[1][0], shape[1][1]}, {shape[6][0], shape[6][1]}};
    const double shaft[4][2] = {{shape[2][0], shape[2][1] - 1},
                                {shape[3][0], shape[3][1]},
                                {shape[4][0], shape[4][1]},
                                {shape[5][0], shape[5][1] - 1}};
    FillPolygon(image, head, 3, SArtColor::Hex(0xFFD040));
    FillPolygon(image, shaft, 4, SArtColor::Hex(0xF08A1E));
    return image;
}

/// Disabled: a grey ring with a bar across it on a dark ground.
CArtImage Disable()
{
    CArtImage image(MARK, MARK);
    FillVerticalGradient(image, SArtColor::Hex(0x303438), SArtColor::Hex(0x181A1C));
    const SArtColor red = SArtColor::Hex(0xC83030);
    FillRing(image, 128, 128, 78, 100, red);
    const double d = 100 / std::numbers::sqrt2, w = 11 / std::numbers::sqrt2;
    const double bar[4][2] = {
        {128 - d - w, 128 - d + w}, {128 - d + w, 128 - d - w}, {128 + d + w, 128 + d - w}, {128 + d - w, 128 + d + w}};
    FillPolygon(image, bar, 4, red);
    return image;
}

/// Chat: a speech bubble with three dots.
CArtImage Chat()
{
    CArtImage image(MARK, MARK);
    FillVerticalGradient(image, SArtColor::Hex(0x1E2A3A), SArtColor::Hex(0x0E141C));
    const SArtColor paper = SArtColor::Hex(0xF2EEE2);
    FillRoundRect(image, 36, 48, 220, 168, 28, paper);
    const double tail[3][2] = {{70, 160}, {110, 160}, {56, 214}};
    FillPolygon(image, tail, 3, paper);
    for (int i = 0; i < 3; ++i)
        FillDisc(image, 88 + 40 * i, 108, 12, SArtColor::Hex(0x2A3A4E));
    return image;
}

/// A five-pointed star around (cx, cy): its points reach dTip, the corners between them dInner.
void FillStar(CArtImage& image, double cx, double cy, double dTip, double dInner, const SArtColor& color)
{
    for (int k = 0; k < 5; ++k)
    {
        const double b = k * 2.0 * std::numbers::pi / 5.0;
        const double point[3][2] = {{cx + dTip * std::sin(b), cy - dTip * std::cos(b)},
                                    {cx + dInner * std::sin(b + 0.63), cy - dInner * std::cos(b + 0.63)},
                                    {cx + dInner * std::sin(b - 0.63), cy - dInner * std::cos(b - 0.63)}};
        FillPolygon(image, point, 3, color);
    }
    FillDisc(image, cx, cy, dInner, color);
}

/// The watermark's mark colour: a shade lighter than the felt.
SArtColor WatermarkShade() { return SArtColor::Hex(DEFAULT_CLOTH_RGB).Scaled(1.12f); }

/// The watermark on the cloth: a faint ring and letter on the felt.
CArtImage Watermark()
{
    CArtImage image(MARK, MARK, SArtColor::Hex(DEFAULT_CLOTH_RGB));
    FillRing(image, 128, 128, 100, 110, WatermarkShade());
    DrawArtText(image, "V", 0, 0, MARK, MARK, SArtTextStyle{150, true, WatermarkShade(), true});
    return image;
}

/// The watermark of a player with the silver trophy: the letter in a wreath of leaves.
CArtImage WaterWeed()
{
    CArtImage image = Watermark();
    for (int i = 0; i < 18; ++i)
    {
        const double a = i * 2.0 * std::numbers::pi / 18.0, r = 105.0;
        const double cx = 128 + r * std::sin(a), cy = 128 - r * std::cos(a);
        // A leaf pointing along the ring.
        const double tx = std::cos(a), ty = std::sin(a), nx = -ty, ny = tx;
        const double leaf[4][2] = {{cx - 14 * tx, cy - 14 * ty},
                                   {cx + 5 * nx, cy + 5 * ny},
                                   {cx + 14 * tx, cy + 14 * ty},
                                   {cx - 5 * nx, cy - 5 * ny}};
        FillPolygon(image, leaf, 4, WatermarkShade().Scaled(1.06f));
    }
    return image;
}

/// The watermark of a player with the gold trophy: the letter in a ring of stars.
CArtImage WaterStars()
{
    CArtImage image = Watermark();
    for (int i = 0; i < 12; ++i)
    {
        const double a = i * 2.0 * std::numbers::pi / 12.0;
        const double cx = 128 + 105 * std::sin(a), cy = 128 - 105 * std::cos(a);
        FillStar(image, cx, cy, 12, 5, WatermarkShade().Scaled(1.08f));
    }
    return image;
}

/// The three medals by the trophy they stand for.
struct SMedal
{
    const char* szName;
    std::uint32_t nMetal; // the plain metal, which also fills the picture round the medal
    int nStars;           // the first trophy one star, the second two, the third three
};
constexpr SMedal MEDALS[] = {
    {"bronze.bmp", 0xB8733A, 1},
    {"silver.bmp", 0xC8CCD4, 2},
    {"gold.bmp", 0xE8C040, 3},
};

/// A medal filling the picture: a bright rim, a ring of beads and a darker field holding its
/// stars, on the plain metal that the trophy's foot and post take from the picture's corners.
CArtImage Medal(const SMedal& medal)
{
    const SArtColor metal = SArtColor::Hex(medal.nMetal);
    CArtImage image(MARK, MARK, metal);
    FillDisc(image, 128, 128, 120, metal.Scaled(1.18f));
    FillDisc(image, 128, 128, 108, metal.Scaled(0.78f));
    FillRing(image, 128, 128, 100, 104, metal.Scaled(1.1f));
    for (int i = 0; i < 24; ++i)
    {
        const double a = i * 2.0 * std::numbers::pi / 24.0;
        FillDisc(image, 128 + 92 * std::sin(a), 128 - 92 * std::cos(a), 3.5, metal.Scaled(1.12f));
    }
    // One star in the middle, two or three side by side.
    for (int k = 0; k < medal.nStars; ++k)
    {
        const double cx = 128 + (k - (medal.nStars - 1) / 2.0) * 52.0;
        FillStar(image, cx + 2, 130, medal.nStars == 1 ? 62 : 30, medal.nStars == 1 ? 25 : 12, metal.Scaled(0.5f));
        FillStar(image, cx, 128, medal.nStars == 1 ? 62 : 30, medal.nStars == 1 ? 25 : 12, metal.Scaled(1.25f));
    }
    return image;
}

/// A soft five-pointed white star on transparency.
CArtImage Star()
{
    CArtImage image(PARTICLE, PARTICLE, SArtColor{1, 1, 1, 0});
    const double c = PARTICLE / 2.0;
    FillDisc(image, c, c, 10, SArtColor{1, 1, 0.9f, 0.6f});
    for (int i = 0; i < 5; ++i)
    {
        const double a = i * 2.0 * std::numbers::pi / 5.0;
        const double b = a + std::numbers::pi / 5.0, e = a - std::numbers::pi / 5.0;
        const double point[3][2] = {{c + 30 * std::sin(a), c - 30 * std::cos(a)},
                                    {c + 11 * std::sin(b), c - 11 * std::cos(b)},
                                    {c + 11 * std::sin(e), c - 11 * std::cos(e)}};
        FillPolygon(image, point, 3, SArtColor{1, 1, 1, 1});
    }
    FillDisc(image, c, c, 11.5, SArtColor{1, 1, 1, 1});
    return image;
}

/// A bubble: a thin bright rim, a clear middle and a small highlight.
CArtImage Bubble()
{
    CArtImage image(PARTICLE, PARTICLE, SArtColor{1, 1, 1, 0});
    const double c = PARTICLE / 2.0;
    FillDisc(image, c, c, 28, SArtColor{0.8f, 0.9f, 1, 0.15f});
    FillRing(image, c, c, 25, 29, SArtColor{0.9f, 0.95f, 1, 0.8f});
    FillDisc(image, c - 9, c - 10, 5, SArtColor{1, 1, 1, 0.9f});
    return image;
}
} // namespace

CArtImage MakeArrowPicture() { return Arrow(); }

std::vector<SNamedPicture> MakeMarkPictures()
{
    std::vector<SNamedPicture> pictures;
    pictures.push_back({"arrow.bmp", MakeArrowPicture()});
    pictures.push_back({"Disable.bmp", Disable()});
    pictures.push_back({"Chat.bmp", Chat()});
    pictures.push_back({"watermark.bmp", Watermark()});
    pictures.push_back({"waterweed.bmp", WaterWeed()});
    for (const SMedal& medal : MEDALS)
        pictures.push_back({medal.szName, Medal(medal)});
    return pictures;
}

std::vector<SNamedPicture> MakeMarkJpegPictures()
{
    std::vector<SNamedPicture> pictures;
    pictures.push_back({"waterstars.jpg", WaterStars()});
    return pictures;
}

std::vector<SNamedPicture> MakeParticlePictures()
{
    std::vector<SNamedPicture> pictures;
    pictures.push_back({"star.tga", Star()});
    pictures.push_back({"bubble.tga", Bubble()});
    return pictures;
}
