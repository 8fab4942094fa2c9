// Targa pictures: uncompressed (type 2) and run-length (type 10) true-colour images of 24 or 32
// bits without a colour map, the form of the particles' star and bubble pictures.
//
// Header (18 bytes, little-endian): id length, colour-map type, image type, colour-map fields (5
// bytes), x and y origin, width, height (u16 each), bits per pixel, descriptor. Pixels are stored
// blue, green, red[, alpha]; rows bottom first unless bit 0x20 of the descriptor (top-left origin)
// is set. A run-length packet starts with a byte: count (low 7 bits) + 1 pixels, one pixel repeated
// when bit 0x80 is set, else that many literal pixels.
#pragma once

#include "platform/win32/WinTypes.h"

#include <span>
#include <string>
#include <vector>

inline constexpr std::size_t TGA_HEADER_SIZE = 18;
/// Largest side accepted, in pixels.
inline constexpr DWORD TGA_MAX_SIDE = 8192;

struct STgaImage
{
    DWORD dwWidth = 0;
    DWORD dwHeight = 0;
    /// Top row first; each pixel red << 24 | green << 16 | blue << 8 | alpha (255 without alpha).
    std::vector<DWORD> aPixels;
    bool bHasAlpha = false; ///< some pixel's alpha is below 255
};

/// Decodes a TGA held in memory; false with the reason in strError for another image type, a
/// colour map, a size of 0 or past TGA_MAX_SIDE, other bit depths, or data cut short (a run that
/// passes the image or the file's end included).
bool ReadTga(std::span<const BYTE> file, STgaImage& image, std::string& strError);
