#include "tools/aviclip/GameClips.h"

#include "platform/media/AviFormat.h"
#include "tools/art/ArtPaint.h"
#include "tools/texgen/Sprites.h"
#include "tools/texgen/UiPictures.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace
{
/// The splash's clip places (left, top, right, bottom), as the splash window lays them out.
constexpr int FLAME_RECT[4] = {100, 262, 148, 310};
constexpr int JUKEBOX_RECT[4] = {378, 204, 430, 308};
/// The splash's title and its line below lie above this row.
constexpr int TITLE_BOTTOM = 210;

/// A picture as a clip frame: rows bottom-up at the DIB stride, 24-bit B, G, R or 16-bit 5-5-5.
std::vector<BYTE> ToFrame(const CArtImage& image, WORD nBitCount)
{
    const LONG w = image.Width(), h = image.Height();
    const DWORD dwStride = DibStride(w, nBitCount);
    std::vector<BYTE> pixels(dwStride * static_cast<DWORD>(h), 0);
    for (LONG y = 0; y < h; ++y)
        for (LONG x = 0; x < w; ++x)
        {
            const SArtColor& c = image.At(static_cast<int>(x), static_cast<int>(h - 1 - y));
            BYTE* p = &pixels[static_cast<std::size_t>(y) * dwStride + static_cast<std::size_t>(x) * nBitCount / 8];
            const BYTE r = ChannelByte(c.r), g = ChannelByte(c.g), b = ChannelByte(c.b);
            if (nBitCount == 24)
            {
                p[0] = b;
                p[1] = g;
                p[2] = r;
                continue;
            }
            const WORD v = static_cast<WORD>((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
            p[0] = static_cast<BYTE>(v);
            p[1] = static_cast<BYTE>(v >> 8);
        }
    return pixels;
}

/// The piece of a picture under a rectangle.
CArtImage Crop(const CArtImage& image, const int (&rc)[4])
{
    CArtImage piece(rc[2] - rc[0], rc[3] - rc[1]);
    for (int y = 0; y < piece.Height(); ++y)
        for (int x = 0; x < piece.Width(); ++x)
            piece.At(x, y) = image.At(rc[0] + x, rc[1] + y);
    return piece;
}

SAviClipDesc Clip(int nWidth, int nHeight, WORD nBitCount, DWORD dwRate)
{
    SAviClipDesc desc;
    desc.nWidth = nWidth;
    desc.nHeight = nHeight;
    desc.nBitCount = nBitCount;
    desc.dwRate = dwRate;
    return desc;
}

/// The splash with a band of light crossing the title from left to right, then resting.
SAviClipDesc StartClip(const CArtImage& splash)
{
    constexpr int FRAMES = 8, CROSSING = 6;
    SAviClipDesc desc = Clip(splash.Width(), splash.Height(), 24, FRAMES);
    for (int n = 0; n < FRAMES; ++n)
    {
        CArtImage frame = splash;
        // The band's centre along the slanted axis x + y / 2, off the picture at both ends.
        const double dCentre = -120.0 + (splash.Width() + 240.0) * n / (CROSSING - 1);
        for (int y = 0; y < TITLE_BOTTOM && n < CROSSING; ++y)
            for (int x = 0; x < frame.Width(); ++x)
            {
                // Light falls on what is bright already (the brass letters), hardly on the dark wall.
                const double d = (x + y * 0.5 - dCentre) / 40.0;
                SArtColor& c = frame.At(x, y);
                const float fBright = (c.r + c.g + c.b) / 3.0f;
                const float fLight =
                    static_cast<float>(std::exp(-d * d)) * std::min(1.0f, 1.6f * fBright * std::sqrt(fBright));
                c = c.Mix(SArtColor::Hex(0xFFF2C0), fLight);
            }
        desc.frames.push_back(ToFrame(frame, desc.nBitCount));
    }
    return desc;
}

/// A flame that flickers over its piece of the splash: a glow, then an outer and an inner tongue
/// whose height and lean change from frame to frame.
SAviClipDesc FlameClip(const CArtImage& splash)
{
    constexpr int FRAMES = 16;
    const CArtImage ground = Crop(splash, FLAME_RECT);
    SAviClipDesc desc = Clip(ground.Width(), ground.Height(), 24, 15);
    for (int n = 0; n < FRAMES; ++n)
    {
        CArtImage frame = ground;
        const double t = 2.0 * std::numbers::pi * n / FRAMES;
        const double dHeight = 30.0 + 4.0 * std::sin(t) + 2.0 * std::sin(3.0 * t + 1.0);
        const double dLean = 3.0 * std::sin(2.0 * t + 0.5);
        const double cx = frame.Width() / 2.0, base = frame.Height() - 8.0;
        FillDisc(frame, cx, base - 10, 17, SArtColor::Hex(0xFF8A20, 0.18f));
        const auto tongue = [&](double dScale, std::uint32_t nRgb)
        {
            const double h = dHeight * dScale, r = 8.5 * dScale;
            FillDisc(frame, cx, base - r, r, SArtColor::Hex(nRgb));
            const double tip[3][2] = {{cx - r, base - r}, {cx + r, base - r}, {cx + dLean * dScale, base - h}};
            FillPolygon(frame, tip, 3, SArtColor::Hex(nRgb));
        };
        tongue(1.0, 0xE8561A);
        tongue(0.72, 0xFFA62E);
        tongue(0.42, 0xFFF0A0);
        desc.frames.push_back(ToFrame(frame, desc.nBitCount));
    }
    return desc;
}

/// A small jukebox over its piece of the splash: an arched brass case whose bands of light run
/// through the colours, one band after the other.
SAviClipDesc JukeboxClip(const CArtImage& splash)
{
    constexpr int FRAMES = 12, BANDS = 5;
    constexpr std::uint32_t COLOURS[] = {0xFF4A4A, 0xFFB23A, 0xF6E85A, 0x5AD86A, 0x4AA8FF, 0xB86AFF};
    const CArtImage ground = Crop(splash, JUKEBOX_RECT);
    SAviClipDesc desc = Clip(ground.Width(), ground.Height(), 24, 10);
    for (int n = 0; n < FRAMES; ++n)
    {
        CArtImage frame = ground;
        const double w = frame.Width(), h = frame.Height();
        FillRoundRect(frame, 4, 4, w - 4, h - 4, (w - 8) / 2, SArtColor::Hex(0xB48A3A));
        FillRoundRect(frame, 8, 8, w - 8, h - 8, (w - 16) / 2, SArtColor::Hex(0x2A140C));
        for (int b = 0; b < BANDS; ++b)
        {
            const double y0 = 24 + b * 11.0;
            const std::uint32_t nRgb = COLOURS[static_cast<std::size_t>((b + n) % std::size(COLOURS))];
            const float fGlow = (b + n) % 3 == 0 ? 1.0f : 0.65f;
            FillRoundRect(frame, 12, y0, w - 12, y0 + 7, 3, SArtColor::Hex(nRgb).Scaled(fGlow));
        }
        FillRoundRect(frame, 14, h - 22, w - 14, h - 12, 2, SArtColor::Hex(0x6A4A2A));
        desc.frames.push_back(ToFrame(frame, desc.nBitCount));
    }
    return desc;
}

/// The pocket arrow's texture with a glow running from its tail to its head, then a rest.
SAviClipDesc ArrowClip()
{
    constexpr int FRAMES = 12, RUNNING = 9;
    const CArtImage arrow = MakeArrowPicture();
    SAviClipDesc desc = Clip(arrow.Width(), arrow.Height(), 16, 12);
    for (int n = 0; n < FRAMES; ++n)
    {
        CArtImage frame = arrow;
        const double dBand = arrow.Height() * (1.0 - static_cast<double>(n) / (RUNNING - 1));
        for (int y = 0; y < frame.Height() && n < RUNNING; ++y)
        {
            const double d = (y - dBand) / 24.0;
            const float fLight = static_cast<float>(0.6 * std::exp(-d * d));
            for (int x = 0; x < frame.Width(); ++x)
            {
                SArtColor& c = frame.At(x, y);
                // Only the arrow's warm colours light up, not the dark ground around it.
                if (c.r > 0.5f)
                    c = c.Mix(SArtColor::Hex(0xFFFFE0), fLight);
            }
        }
        desc.frames.push_back(ToFrame(frame, desc.nBitCount));
    }
    return desc;
}
} // namespace

std::vector<SNamedClip> MakeGameClips()
{
    const CArtImage splash = MakeSplashPicture();
    return {{"Start.avi", StartClip(splash)},
            {"Flame.AVI", FlameClip(splash)},
            {"jbspl.avi", JukeboxClip(splash)},
            {"arrow.avi", ArrowClip()}};
}
