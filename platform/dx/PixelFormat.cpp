#include "platform/dx/PixelFormat.h"

#include <bit>
#include <cstring>

namespace
{
/// A mask as shift and width; false when its bits are not one run or are wider than 8.
bool SplitMask(DWORD dwMask, SChannelMask* pChannel)
{
    *pChannel = SChannelMask{};
    if (dwMask == 0)
        return true;
    const int nShift = std::countr_zero(dwMask);
    const DWORD dwRun = dwMask >> nShift;
    if ((dwRun & (dwRun + 1)) != 0) // not of the form 0...01...1
        return false;
    const int nBits = std::popcount(dwRun);
    if (nBits > 8)
        return false;
    pChannel->nShift = static_cast<std::uint8_t>(nShift);
    pChannel->nBits = static_cast<std::uint8_t>(nBits);
    return true;
}

/// An n-bit value widened to 8 bits by repeating its bits from the top (5 bits: abcde -> abcdeabc).
DWORD Widen(DWORD v, int nBits)
{
    DWORD out = 0;
    for (int nPos = 8 - nBits;; nPos -= nBits)
    {
        out |= nPos >= 0 ? v << nPos : v >> -nPos;
        if (nPos <= 0)
            return out;
    }
}

DWORD Extract(DWORD dwRaw, SChannelMask c) { return Widen((dwRaw >> c.nShift) & ((1u << c.nBits) - 1), c.nBits); }

DWORD Insert(DWORD dw8, SChannelMask c) { return c.nBits ? (dw8 >> (8 - c.nBits)) << c.nShift : 0; }

bool IsSupportedDepth(const DDPIXELFORMAT& ddpf)
{
    return (ddpf.dwRGBBitCount == 16 && ddpf.dwRBitMask == 0xFFFF) ||
           (ddpf.dwRGBBitCount == 32 && ddpf.dwRBitMask == 0xFFFFFFFF);
}
} // namespace

bool CPixelLayout::Describe(const DDPIXELFORMAT& ddpf, CPixelLayout* pLayout)
{
    constexpr DWORD dwRefused = DDPF_PALETTEINDEXED8 | DDPF_FOURCC | DDPF_ZBUFFER;
    if (!(ddpf.dwFlags & DDPF_RGB) || (ddpf.dwFlags & dwRefused) ||
        (ddpf.dwRGBBitCount != 16 && ddpf.dwRGBBitCount != 32))
        return false;
    const DWORD dwAlpha = (ddpf.dwFlags & DDPF_ALPHAPIXELS) ? ddpf.dwRGBAlphaBitMask : 0;
    const DWORD aMasks[4] = {ddpf.dwRBitMask, ddpf.dwGBitMask, ddpf.dwBBitMask, dwAlpha};
    const DWORD dwLimit = ddpf.dwRGBBitCount == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    DWORD dwSeen = 0;
    for (const DWORD m : aMasks)
    {
        if ((m & dwSeen) != 0 || (m & ~dwLimit) != 0)
            return false;
        dwSeen |= m;
    }
    CPixelLayout l;
    if (!SplitMask(aMasks[0], &l.m_r) || !SplitMask(aMasks[1], &l.m_g) || !SplitMask(aMasks[2], &l.m_b) ||
        !SplitMask(aMasks[3], &l.m_a) || l.m_r.nBits == 0 || l.m_g.nBits == 0 || l.m_b.nBits == 0)
        return false;
    l.m_nBytes = static_cast<int>(ddpf.dwRGBBitCount / 8);
    l.m_bXrgb8888 = l.m_nBytes == 4 && aMasks[0] == 0xFF0000 && aMasks[1] == 0xFF00 && aMasks[2] == 0xFF &&
                    (aMasks[3] == 0 || aMasks[3] == 0xFF000000);
    l.m_bByteChannels = l.m_nBytes == 4 && l.m_r.nBits == 8 && l.m_g.nBits == 8 && l.m_b.nBits == 8 &&
                        (l.m_a.nBits == 0 || l.m_a.nBits == 8);
    *pLayout = l;
    return true;
}

bool CPixelLayout::IsSupported(const DDPIXELFORMAT& ddpf)
{
    if (ddpf.dwFlags & DDPF_ZBUFFER)
        return IsSupportedDepth(ddpf);
    CPixelLayout l;
    return Describe(ddpf, &l);
}

DWORD CPixelLayout::ToArgb(DWORD dwRaw) const
{
    if (m_bXrgb8888)
        return m_a.nBits ? dwRaw : (dwRaw | 0xFF000000);
    const DWORD a = m_a.nBits ? Extract(dwRaw, m_a) : 0xFF;
    return (a << 24) | (Extract(dwRaw, m_r) << 16) | (Extract(dwRaw, m_g) << 8) | Extract(dwRaw, m_b);
}

DWORD CPixelLayout::FromArgb(DWORD dwArgb) const
{
    if (m_bXrgb8888)
        return m_a.nBits ? dwArgb : (dwArgb & 0x00FFFFFF);
    return Insert(dwArgb >> 24, m_a) | Insert((dwArgb >> 16) & 0xFF, m_r) | Insert((dwArgb >> 8) & 0xFF, m_g) |
           Insert(dwArgb & 0xFF, m_b);
}

void CPixelLayout::RowToArgb(const BYTE* pSrc, DWORD* pDst, int nCount) const
{
    if (m_bXrgb8888)
    {
        std::memcpy(pDst, pSrc, static_cast<size_t>(nCount) * 4);
        if (m_a.nBits == 0)
            for (int i = 0; i < nCount; ++i)
                pDst[i] |= 0xFF000000;
        return;
    }
    if (m_nBytes == 2)
    {
        for (int i = 0; i < nCount; ++i)
        {
            WORD w;
            std::memcpy(&w, pSrc + i * 2, 2);
            pDst[i] = ToArgb(w);
        }
        return;
    }
    if (m_bByteChannels)
    {
        RowOfByteChannels(pSrc, pDst, nCount);
        return;
    }
    for (int i = 0; i < nCount; ++i)
    {
        DWORD d;
        std::memcpy(&d, pSrc + i * 4, 4);
        pDst[i] = ToArgb(d);
    }
}

void CPixelLayout::RowOfByteChannels(const BYTE* pSrc, DWORD* pDst, int nCount) const
{
    // Shifts only, the same for every pixel, so the compiler turns the loop into vector code.
    const int r = m_r.nShift, g = m_g.nShift, b = m_b.nShift, a = m_a.nBits ? m_a.nShift : 0;
    const DWORD dwAlphaMask = m_a.nBits ? 0xFFu : 0u, dwOpaque = m_a.nBits ? 0u : 0xFF000000u;
    for (int i = 0; i < nCount; ++i)
    {
        DWORD d;
        std::memcpy(&d, pSrc + static_cast<size_t>(i) * 4, 4);
        pDst[i] = ((d >> a) & dwAlphaMask) << 24 | ((d >> r) & 0xFF) << 16 | ((d >> g) & 0xFF) << 8 |
                  ((d >> b) & 0xFF) | dwOpaque;
    }
}

CRowDecoder::CRowDecoder(const CPixelLayout& layout) : m_layout(layout)
{
    if (layout.m_nBytes != 2)
        return;
    // Each byte's share of every channel, widened; a layout without alpha reads as opaque through the low byte.
    const auto partOf = [&](DWORD dwRaw)
    {
        const auto widen = [&](SChannelMask c)
        { return c.nBits ? Widen((dwRaw >> c.nShift) & ((1u << c.nBits) - 1), c.nBits) : 0; };
        return (widen(layout.m_a) << 24) | (widen(layout.m_r) << 16) | (widen(layout.m_g) << 8) | widen(layout.m_b);
    };
    const DWORD dwOpaque = layout.HasAlpha() ? 0 : 0xFF000000;
    for (DWORD i = 0; i < 256; ++i)
    {
        m_aTable[i] = partOf(i) | dwOpaque;
        m_aTable[256 + i] = partOf(i << 8);
    }
}

void CRowDecoder::Row(const BYTE* pSrc, DWORD* pDst, int nCount) const
{
    if (m_layout.m_nBytes != 2)
    {
        m_layout.RowToArgb(pSrc, pDst, nCount);
        return;
    }
    for (int i = 0; i < nCount; ++i)
        pDst[i] = m_aTable[pSrc[2 * i]] | m_aTable[256 + pSrc[2 * i + 1]];
}
