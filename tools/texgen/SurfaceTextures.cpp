#include "tools/texgen/SurfaceTextures.h"

#include "tools/art/ArtNoise.h"
#include "tools/art/ArtPaint.h"
#include "tools/art/ArtRandom.h"

#include <cmath>
#include <numbers>

namespace
{
constexpr int TILE = 512;

/// Adds brightness noise of amplitude dAmp to every pixel (multiplicative, centred on 1).
void AddGrain(CArtImage& image, std::uint64_t nSeed, int nPeriod, int nOctaves, double dAmp)
{
    const CValueNoise noise(nSeed);
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
        {
            const double n = noise.Fractal((x + 0.5) / image.Width(), (y + 0.5) / image.Height(), nPeriod, nOctaves);
            image.At(x, y) = image.At(x, y).Scaled(static_cast<float>(1.0 + dAmp * n));
        }
}

/// Felt: a cloth colour with fine fibre noise whose mean is zero, so the tile averages to the
/// cloth colour.
CArtImage Felt(std::uint64_t nSeed, double dAmp, std::uint32_t nCloth = DEFAULT_CLOTH_RGB)
{
    CArtImage image(TILE, TILE, SArtColor::Hex(nCloth));
    AddGrain(image, nSeed, 128, 2, dAmp);
    AddGrain(image, nSeed + 1, 16, 3, dAmp * 0.5);
    return image;
}

/// Wood with rings running along x: light and dark bands bent by noise, with fine streaks.
CArtImage Wood(std::uint64_t nSeed, std::uint32_t nLight, std::uint32_t nDark, double dRings)
{
    CArtImage image(TILE, TILE);
    const CValueNoise bend(nSeed), streak(nSeed + 7);
    const SArtColor light = SArtColor::Hex(nLight), dark = SArtColor::Hex(nDark);
    for (int y = 0; y < TILE; ++y)
        for (int x = 0; x < TILE; ++x)
        {
            const double u = (x + 0.5) / TILE, v = (y + 0.5) / TILE;
            const double dRing =
                v * dRings + 0.6 * bend.Fractal(u, v, 3, 3) + 0.15 * std::sin(2.0 * std::numbers::pi * u);
            const double dBand = 0.5 + 0.5 * std::sin(2.0 * std::numbers::pi * dRing);
            // Streaks: noise stretched along the grain (many cells across, few along).
            const double dStreak = streak.Sample(u * 8.0, v * 128.0, 128) * 0.5 + 0.5;
            const auto t = static_cast<float>(0.55 * std::pow(dBand, 3.0) + 0.35 * dStreak);
            image.At(x, y) = light.Mix(dark, t);
        }
    return image;
}

/// Floor boards: planks of wood along x, each with its own tint and joints, dark gaps between.
CArtImage Floor()
{
    CArtImage image = Wood(41, 0x7A5232, 0x3F2612, 26.0);
    CArtRandom random(42);
    const int nPlank = TILE / 8;
    for (int p = 0; p < 8; ++p)
    {
        const auto fTint = static_cast<float>(0.85 + 0.3 * random.NextUnit());
        const int nJoint = static_cast<int>(random.NextUnit() * TILE);
        for (int y = p * nPlank; y < (p + 1) * nPlank; ++y)
            for (int x = 0; x < TILE; ++x)
            {
                const bool bGap = y % nPlank < 2 || std::abs(x - nJoint) < 2;
                image.At(x, y) = bGap ? SArtColor::Hex(0x1A100A) : image.At(x, y).Scaled(fTint);
            }
    }
    return image;
}

/// A dark panelled wall: a raised wooden panel with bevelled edges inside a frame.
CArtImage WallPanel()
{
    CArtImage image = Wood(51, 0x4A2E1C, 0x22140C, 9.0);
    const double dInset = 56.0, dBevel = 14.0;
    // The bevel: light along the top and left (the lamp's side), dark along the bottom and right.
    StrokeRoundRect(image, dInset, dInset, TILE - dInset, TILE - dInset, 6.0, dBevel, SArtColor::Hex(0x000000, 0.35f));
    StrokeRoundRect(image, dInset - 4, dInset - 4, TILE - dInset - 8, TILE - dInset - 8, 6.0, 4.0,
                    SArtColor::Hex(0xC89A6A, 0.35f));
    StrokeRoundRect(image, dInset + 8, dInset + 8, TILE - dInset + 4, TILE - dInset + 4, 6.0, 4.0,
                    SArtColor::Hex(0x000000, 0.45f));
    return image;
}

/// Plaster above the panels: warm dark wallpaper with a faint diamond pattern.
CArtImage Wallpaper()
{
    CArtImage image(TILE, TILE, SArtColor::Hex(0x3A2A22));
    for (int y = 0; y < TILE; ++y)
        for (int x = 0; x < TILE; ++x)
        {
            const double u = (x + 0.5) / TILE * 8.0, v = (y + 0.5) / TILE * 8.0;
            const double d = std::fabs(u - std::floor(u) - 0.5) + std::fabs(v - std::floor(v) - 0.5);
            if (d < 0.08 || std::fabs(d - 0.25) < 0.03)
                image.At(x, y) = SArtColor::Hex(0x5A4030);
        }
    AddGrain(image, 61, 32, 3, 0.12);
    return image;
}

/// Brushed brass: a warm gradient with streaks along x.
CArtImage Brass()
{
    CArtImage image(TILE, TILE);
    FillVerticalGradient(image, SArtColor::Hex(0xE2C26A), SArtColor::Hex(0x8A6424));
    const CValueNoise streak(71);
    for (int y = 0; y < TILE; ++y)
        for (int x = 0; x < TILE; ++x)
        {
            const double n = streak.Sample((x + 0.5) / TILE * 4.0, (y + 0.5) / TILE * 256.0, 256);
            image.At(x, y) = image.At(x, y).Scaled(static_cast<float>(1.0 + 0.12 * n));
        }
    return image;
}

/// Polished chrome: a cool gradient with streaks along x.
CArtImage Chrome()
{
    CArtImage image(TILE, TILE);
    FillVerticalGradient(image, SArtColor::Hex(0xF0F3F6), SArtColor::Hex(0x6A727C));
    const CValueNoise streak(131);
    for (int y = 0; y < TILE; ++y)
        for (int x = 0; x < TILE; ++x)
        {
            const double n = streak.Sample((x + 0.5) / TILE * 4.0, (y + 0.5) / TILE * 256.0, 256);
            image.At(x, y) = image.At(x, y).Scaled(static_cast<float>(1.0 + 0.06 * n));
        }
    return image;
}

/// Black pocket leather with a soft pebble grain.
CArtImage Leather()
{
    CArtImage image(TILE, TILE, SArtColor::Hex(0x1E1A18));
    AddGrain(image, 81, 64, 3, 0.35);
    return image;
}

/// The clock's face: cream dial, twelve hour marks, a brass ring.
CArtImage ClockFace()
{
    CArtImage image(TILE, TILE, SArtColor::Hex(0x6A4A2A));
    const double c = TILE / 2.0;
    FillDisc(image, c, c, 250.0, SArtColor::Hex(0xB8913E));
    FillDisc(image, c, c, 226.0, SArtColor::Hex(0xF2EAD2));
    for (int h = 0; h < 60; ++h)
    {
        const double a = h * std::numbers::pi / 30.0;
        const bool bHour = h % 5 == 0;
        const double r0 = bHour ? 178.0 : 200.0, r1 = 214.0, w = bHour ? 7.0 : 2.0;
        const double sx = std::sin(a), sy = -std::cos(a), px = -sy * w / 2, py = sx * w / 2;
        const double corners[4][2] = {{c + sx * r0 - px, c + sy * r0 - py},
                                      {c + sx * r1 - px, c + sy * r1 - py},
                                      {c + sx * r1 + px, c + sy * r1 + py},
                                      {c + sx * r0 + px, c + sy * r0 + py}};
        FillPolygon(image, corners, 4, SArtColor::Hex(0x2A2018));
    }
    FillDisc(image, c, c, 12.0, SArtColor::Hex(0x2A2018));
    AddGrain(image, 91, 32, 2, 0.04);
    return image;
}

/// The lamp's green glass shade, lit from inside: brighter towards its lower rim.
CArtImage LampShade()
{
    CArtImage image(TILE, TILE);
    FillVerticalGradient(image, SArtColor::Hex(0x0C3A1C), SArtColor::Hex(0x3FA060));
    AddGrain(image, 101, 16, 2, 0.06);
    for (int y = TILE - 24; y < TILE; ++y)
        for (int x = 0; x < TILE; ++x)
            image.At(x, y) = SArtColor::Hex(0xC8A24E);
    return image;
}

/// The cue: ebony butt at the left, maple shaft to the right, a brass joint between.
CArtImage Cue()
{
    CArtImage image = Wood(111, 0xE8CFA0, 0xC8A070, 3.0);
    CArtImage butt = Wood(112, 0x2A1A12, 0x0E0806, 5.0);
    for (int y = 0; y < TILE; ++y)
        for (int x = 0; x < TILE * 2 / 5; ++x)
            image.At(x, y) = butt.At(x, y);
    for (int y = 0; y < TILE; ++y)
        for (int x = TILE * 2 / 5; x < TILE * 2 / 5 + 10; ++x)
            image.At(x, y) = SArtColor::Hex(0xC8A24E);
    return image;
}

/// A landscape for a picture on the wall: sky, sun, two rows of hills and a lake.
CArtImage Landscape(std::uint64_t nSeed, std::uint32_t nSkyTop, std::uint32_t nSkyLow, std::uint32_t nHillFar,
                    std::uint32_t nHillNear)
{
    CArtImage image(TILE, TILE);
    FillVerticalGradient(image, SArtColor::Hex(nSkyTop), SArtColor::Hex(nSkyLow));
    CArtRandom random(nSeed);
    FillDisc(image, 120 + 280 * random.NextUnit(), 130 + 60 * random.NextUnit(), 38, SArtColor::Hex(0xFFF2C0, 0.9f));
    const CValueNoise ridge(nSeed);
    for (int x = 0; x < TILE; ++x)
    {
        const double u = (x + 0.5) / TILE;
        const double dFar = 300 + 60 * ridge.Fractal(u, 0.25, 3, 3);
        const double dNear = 370 + 50 * ridge.Fractal(u, 0.75, 2, 3);
        for (int y = 0; y < TILE; ++y)
        {
            if (y > 430)
                image.At(x, y) = SArtColor::Hex(nSkyLow).Mix(SArtColor::Hex(0x203040), 0.5f);
            else if (y > dNear)
                image.At(x, y) = SArtColor::Hex(nHillNear);
            else if (y > dFar)
                image.At(x, y) = SArtColor::Hex(nHillFar);
        }
    }
    AddGrain(image, nSeed + 1, 64, 3, 0.06);
    StrokeRoundRect(image, 0, 0, TILE, TILE, 0.0, 20.0, SArtColor::Hex(0xB8913E));
    return image;
}
} // namespace

std::vector<SNamedPicture> MakeSurfaceTextures()
{
    std::vector<SNamedPicture> pictures;
    pictures.push_back({"felt.jpg", Felt(11, 0.10)});
    pictures.push_back({"felt_d.jpg", Felt(12, 0.16)});
    pictures.push_back({"walnut.jpg", Wood(21, 0x6A4228, 0x2C190C, 22.0)});
    // The tournament table: a blue cloth of its own and ebony rails with chrome rims.
    pictures.push_back({"tourfelt.jpg", Felt(13, 0.10, TOURNAMENT_CLOTH_RGB)});
    pictures.push_back({"tourfelt_d.jpg", Felt(14, 0.16, TOURNAMENT_CLOTH_RGB)});
    pictures.push_back({"ebony.jpg", Wood(22, 0x3C2A22, 0x0C0806, 30.0)});
    pictures.push_back({"chrome.jpg", Chrome()});
    pictures.push_back({"floor.jpg", Floor()});
    pictures.push_back({"wallpanel.jpg", WallPanel()});
    pictures.push_back({"wallpaper.jpg", Wallpaper()});
    pictures.push_back({"brass.jpg", Brass()});
    pictures.push_back({"leather.jpg", Leather()});
    pictures.push_back({"clockface.jpg", ClockFace()});
    pictures.push_back({"lampshade.jpg", LampShade()});
    pictures.push_back({"cue.jpg", Cue()});
    pictures.push_back({"link1.jpg", Landscape(121, 0x2A4C8C, 0xE8A070, 0x4A5A6A, 0x24402A)});
    pictures.push_back({"link2.jpg", Landscape(122, 0x0E1A3A, 0x6A4A7A, 0x2A2A44, 0x141A22)});
    pictures.push_back({"link3.jpg", Landscape(123, 0x5A9AD8, 0xD8ECF4, 0x6A8A5A, 0x3A6A2A)});
    pictures.push_back({"link4.jpg", Landscape(124, 0xC85A2A, 0xF8D070, 0x7A4A3A, 0x3A2A22)});
    return pictures;
}
