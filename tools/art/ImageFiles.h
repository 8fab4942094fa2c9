// Pictures written in the forms the game reads: BMP (24-bit), JPEG (at the one fixed quality of
// the art build), PNG (RGB or RGBA) by the project's own writers, and TGA by the writer here:
// 32-bit, uncompressed, rows bottom first with the descriptor's bits 0x10 and 0x20 clear, so
// that every reading of the origin bits gives the same picture.
#pragma once

#include "tools/art/ArtImage.h"

#include <cstdint>
#include <vector>

/// The JPEG quality of every picture the art build writes.
inline constexpr int ART_JPEG_QUALITY = 90;

std::vector<std::uint8_t> EncodeArtBmp(const CArtImage& image);
std::vector<std::uint8_t> EncodeArtJpeg(const CArtImage& image);
std::vector<std::uint8_t> EncodeArtPng(const CArtImage& image, bool bAlpha);
std::vector<std::uint8_t> EncodeArtTga(const CArtImage& image);

/// TGA header fields of the writer (image type 2, 32 bits, 8 alpha bits, bottom-up).
inline constexpr std::size_t TGA_HEADER_SIZE = 18;
inline constexpr std::uint8_t TGA_TYPE_TRUE_COLOUR = 2;
inline constexpr std::uint8_t TGA_DESCRIPTOR_ALPHA_8 = 0x08;
