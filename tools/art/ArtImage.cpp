#include "tools/art/ArtImage.h"

#include <algorithm>
#include <cmath>

SArtColor SArtColor::Hex(std::uint32_t nRgb, float fAlpha)
{
    return {static_cast<float>((nRgb >> 16) & 0xFF) / 255.0f, static_cast<float>((nRgb >> 8) & 0xFF) / 255.0f,
            static_cast<float>(nRgb & 0xFF) / 255.0f, fAlpha};
}

SArtColor SArtColor::Mix(const SArtColor& other, float t) const
{
    return {r + (other.r - r) * t, g + (other.g - g) * t, b + (other.b - b) * t, a + (other.a - a) * t};
}

SArtColor SArtColor::Scaled(float f) const
{
    return {std::clamp(r * f, 0.0f, 1.0f), std::clamp(g * f, 0.0f, 1.0f), std::clamp(b * f, 0.0f, 1.0f), a};
}

CArtImage::CArtImage(int nWidth, int nHeight, SArtColor fill)
    : m_nWidth(nWidth), m_nHeight(nHeight), m_pixels(static_cast<std::size_t>(nWidth) * nHeight, fill)
{
}

void CArtImage::Blend(int x, int y, const SArtColor& color, float fCoverage)
{
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight)
        return;
    const float t = std::clamp(color.a * fCoverage, 0.0f, 1.0f);
    SArtColor& dst = At(x, y);
    // Source over: the colour covers t of the pixel; the alpha gathers what both cover.
    const float fAlpha = t + dst.a * (1.0f - t);
    dst = {dst.r + (color.r - dst.r) * t, dst.g + (color.g - dst.g) * t, dst.b + (color.b - dst.b) * t, fAlpha};
}

void CArtImage::Paste(const CArtImage& other, int x, int y)
{
    for (int j = 0; j < other.Height(); ++j)
        for (int i = 0; i < other.Width(); ++i)
            Blend(x + i, y + j, other.At(i, j), 1.0f);
}

CArtImage CArtImage::Reduced(int nWidth, int nHeight) const
{
    CArtImage out(nWidth, nHeight);
    for (int y = 0; y < nHeight; ++y)
    {
        for (int x = 0; x < nWidth; ++x)
        {
            const int x0 = x * m_nWidth / nWidth, x1 = std::max(x0 + 1, (x + 1) * m_nWidth / nWidth);
            const int y0 = y * m_nHeight / nHeight, y1 = std::max(y0 + 1, (y + 1) * m_nHeight / nHeight);
            SArtColor sum{0, 0, 0, 0};
            for (int j = y0; j < y1; ++j)
            {
                for (int i = x0; i < x1; ++i)
                {
                    const SArtColor& c = At(i, j);
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b, sum.a + c.a};
                }
            }
            const auto fCount = static_cast<float>((x1 - x0) * (y1 - y0));
            out.At(x, y) = {sum.r / fCount, sum.g / fCount, sum.b / fCount, sum.a / fCount};
        }
    }
    return out;
}

std::uint8_t ChannelByte(float f) { return static_cast<std::uint8_t>(std::lround(std::clamp(f, 0.0f, 1.0f) * 255.0f)); }

std::vector<std::uint8_t> CArtImage::Rgb() const
{
    std::vector<std::uint8_t> out;
    out.reserve(m_pixels.size() * 3);
    for (const SArtColor& c : m_pixels)
        out.insert(out.end(), {ChannelByte(c.r), ChannelByte(c.g), ChannelByte(c.b)});
    return out;
}

std::vector<std::uint8_t> CArtImage::Rgba() const
{
    std::vector<std::uint8_t> out;
    out.reserve(m_pixels.size() * 4);
    for (const SArtColor& c : m_pixels)
        out.insert(out.end(), {ChannelByte(c.r), ChannelByte(c.g), ChannelByte(c.b), ChannelByte(c.a)});
    return out;
}
