// Size limits shared by the image readers. A picture larger than these is refused before any
// pixel memory is allocated, so a damaged or hostile header cannot ask for gigabytes.
#pragma once

#include "platform/win32/Gdi.h"

#include <cstdint>

/// Longest side, pixels: the game's largest pictures are 1024 wide.
inline constexpr std::uint32_t MAX_IMAGE_SIDE = 16384;
/// Most pixels in one picture (64 Mpixel: 192 MB as 24-bit RGB).
inline constexpr std::uint64_t MAX_IMAGE_PIXELS = std::uint64_t{1} << 26;
static_assert(MAX_IMAGE_SIDE <= static_cast<std::uint32_t>(MAX_BITMAP_SIDE),
              "every picture a reader accepts must also fit a memory bitmap");

inline constexpr bool ImageSizeAllowed(std::uint64_t nWidth, std::uint64_t nHeight)
{
    return nWidth > 0 && nHeight > 0 && nWidth <= MAX_IMAGE_SIDE && nHeight <= MAX_IMAGE_SIDE &&
           nWidth * nHeight <= MAX_IMAGE_PIXELS;
}
