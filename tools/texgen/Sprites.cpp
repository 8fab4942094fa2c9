#include "tools/texgen/Sprites.h"

#include "tools/art/ArtPaint.h"
#include "tools/art/ArtText.h"

#include <cmath>
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
        for (int k = 0; k < 5; ++k)
        {
            const double b = k * 2.0 * std::numbers::pi / 5.0;
            const double point[3][2] = {{cx + 12 * std::sin(b), cy - 12 * std::cos(b)},
                                        {cx + 5 * std::sin(b + 0.63), cy - 5 * std::cos(b + 0.63)},
                                        {cx + 5 * std::sin(b - 0.63), cy - 5 * std::cos(b - 0.63)}};
            FillPolygon(image, point, 3, WatermarkShade().Scaled(1.08f));
        }
        FillDisc(image, cx, cy, 5, WatermarkShade().Scaled(1.08f));
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
