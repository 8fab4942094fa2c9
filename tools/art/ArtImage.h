// A picture being drawn by the art generators: floating-point red, green, blue and alpha in
// [0, 1] per pixel, rows top first. Drawing blends with coverage, so edges come out anti-aliased.
#pragma once

#include <cstdint>
#include <vector>

struct SArtColor
{
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 1.0f;

    /// From 0xRRGGBB.
    static SArtColor Hex(std::uint32_t nRgb, float fAlpha = 1.0f);
    /// This colour mixed with other by t (0 this, 1 other), alpha included.
    SArtColor Mix(const SArtColor& other, float t) const;
    /// The colour's channels multiplied by f (alpha kept), limited to [0, 1].
    SArtColor Scaled(float f) const;
};

class CArtImage
{
public:
    CArtImage(int nWidth, int nHeight, SArtColor fill = {});

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    SArtColor& At(int x, int y) { return m_pixels[static_cast<std::size_t>(y) * m_nWidth + x]; }
    const SArtColor& At(int x, int y) const { return m_pixels[static_cast<std::size_t>(y) * m_nWidth + x]; }
    /// Blends colour over the pixel with the colour's alpha times fCoverage; outside pixels are
    /// ignored.
    void Blend(int x, int y, const SArtColor& color, float fCoverage);
    /// Copies another picture with its top-left corner at (x, y), blended by its alpha.
    void Paste(const CArtImage& other, int x, int y);
    /// A copy scaled to the given size by averaging (box filter); for smaller sizes only.
    CArtImage Reduced(int nWidth, int nHeight) const;

    /// 8-bit channels, rows top first: red, green, blue per pixel.
    std::vector<std::uint8_t> Rgb() const;
    /// 8-bit channels, rows top first: red, green, blue, alpha per pixel.
    std::vector<std::uint8_t> Rgba() const;

private:
    int m_nWidth;
    int m_nHeight;
    std::vector<SArtColor> m_pixels;
};

/// A channel in [0, 1] as a byte, rounded.
std::uint8_t ChannelByte(float f);
