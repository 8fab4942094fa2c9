// Pixel formats of the memory surfaces: which formats the stand-in accepts, how a pixel of each is taken
// apart into 8-bit channels and put together again, and whole rows converted at once.
//
// Accepted colour formats are RGB formats of 16 or 32 bits whose masks are contiguous, do not overlap and are at
// most 8 bits wide each (565, 555, 1555, 4444, XRGB, ARGB, XBGR, ABGR, ...). 24-bit, palettised and FourCC
// formats are refused, as are depth buffers other than 16 bits (mask 0xFFFF) and 32 bits (mask 0xFFFFFFFF).
#pragma once

#include "platform/dx/DxTypes.h"

#include <array>
#include <cstdint>

/// One channel of a packed pixel: the position of its lowest bit and its width (0: the format lacks it).
struct SChannelMask
{
    std::uint8_t nShift = 0;
    std::uint8_t nBits = 0;
    friend bool operator==(const SChannelMask&, const SChannelMask&) = default;
};

class CPixelLayout
{
public:
    /// The layout of an accepted colour format; false for any other (depth formats included).
    static bool Describe(const DDPIXELFORMAT& ddpf, CPixelLayout* pLayout);
    /// Whether a surface may be created in this format (colour or depth).
    static bool IsSupported(const DDPIXELFORMAT& ddpf);

    /// A raw pixel as 0xAARRGGBB; channels narrower than 8 bits are widened by repeating their bits, a format
    /// without alpha reads as opaque.
    DWORD ToArgb(DWORD dwRaw) const;
    /// 0xAARRGGBB as a raw pixel; each channel keeps its top bits.
    DWORD FromArgb(DWORD dwArgb) const;
    /// Converts a row of raw pixels to 0xAARRGGBB (bulk paths for the common formats).
    void RowToArgb(const BYTE* pSrc, DWORD* pDst, int nCount) const;

    int GetBytesPerPixel() const { return m_nBytes; }
    bool HasAlpha() const { return m_a.nBits > 0; }
    /// 32-bit 0x00RRGGBB or 0xAARRGGBB: raw pixels are already what ToArgb returns (up to the alpha byte).
    bool IsXrgb8888() const { return m_bXrgb8888; }
    friend bool operator==(const CPixelLayout&, const CPixelLayout&) = default;

private:
    friend class CRowDecoder;
    void RowOfByteChannels(const BYTE* pSrc, DWORD* pDst, int nCount) const;
    SChannelMask m_r, m_g, m_b, m_a;
    int m_nBytes = 4;
    bool m_bXrgb8888 = true;
    bool m_bByteChannels = true; // 32 bits, every channel present 8 bits wide: a row converts by shifts alone
};

/// Converts whole rows of one layout to 0xAARRGGBB quickly. For 16-bit pixels it keeps two tables of 256 entries:
/// widening a channel only shifts and ORs its bits, so the colour of a pixel is the OR of its two bytes' colours.
class CRowDecoder
{
public:
    explicit CRowDecoder(const CPixelLayout& layout);
    void Row(const BYTE* pSrc, DWORD* pDst, int nCount) const;

private:
    const CPixelLayout& m_layout;
    std::array<DWORD, 512> m_aTable{}; // low byte's colours, then high byte's (16-bit layouts only)
};
