#include "tools/art/ImageFiles.h"

// The project's picture writers live with the test fixtures, which the art build shares rather
// than having a second copy of each.
#include "fixtures/ImageFixtures.h"

#include "platform/win32/ByteStream.h"

#include <png.h>

std::vector<std::uint8_t> EncodeArtBmp(const CArtImage& image)
{
    SBmpDesc desc;
    desc.nWidth = image.Width();
    desc.nHeight = image.Height();
    desc.nBits = 24;
    const std::vector<std::uint8_t> rgb = image.Rgb();
    desc.pixels.reserve(rgb.size() / 3);
    for (std::size_t i = 0; i < rgb.size(); i += 3)
        desc.pixels.push_back(DWORD{rgb[i]} << 16 | DWORD{rgb[i + 1]} << 8 | rgb[i + 2]);
    return EncodeBmp(desc);
}

std::vector<std::uint8_t> EncodeArtJpeg(const CArtImage& image)
{
    return EncodeJpeg(static_cast<UINT>(image.Width()), static_cast<UINT>(image.Height()), 3, image.Rgb(),
                      ART_JPEG_QUALITY);
}

std::vector<std::uint8_t> EncodeArtPng(const CArtImage& image, bool bAlpha)
{
    SPngDesc desc;
    desc.nWidth = static_cast<UINT>(image.Width());
    desc.nHeight = static_cast<UINT>(image.Height());
    desc.nColorType = bAlpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB;
    const std::vector<std::uint8_t> bytes = bAlpha ? image.Rgba() : image.Rgb();
    desc.samples.assign(bytes.begin(), bytes.end());
    return EncodePng(desc);
}

std::vector<std::uint8_t> EncodeArtTga(const CArtImage& image)
{
    CByteWriter wr;
    wr.WriteU8(0); // no image identifier
    wr.WriteU8(0); // no colour map
    wr.WriteU8(TGA_TYPE_TRUE_COLOUR);
    for (int i = 0; i < 5; ++i) // colour-map fields, unused
        wr.WriteU8(0);
    wr.WriteU16LE(0); // x origin
    wr.WriteU16LE(0); // y origin
    wr.WriteU16LE(static_cast<WORD>(image.Width()));
    wr.WriteU16LE(static_cast<WORD>(image.Height()));
    wr.WriteU8(32);
    wr.WriteU8(TGA_DESCRIPTOR_ALPHA_8); // bits 0x10 and 0x20 clear: left to right, bottom row first
    for (int y = image.Height() - 1; y >= 0; --y)
    {
        for (int x = 0; x < image.Width(); ++x)
        {
            const SArtColor& c = image.At(x, y);
            wr.WriteU8(ChannelByte(c.b));
            wr.WriteU8(ChannelByte(c.g));
            wr.WriteU8(ChannelByte(c.r));
            wr.WriteU8(ChannelByte(c.a));
        }
    }
    return wr.Take();
}
