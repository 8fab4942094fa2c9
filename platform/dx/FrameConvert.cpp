#include "platform/dx/FrameConvert.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

RECT FitFrame(int fw, int fh, int w, int h)
{
    if (fw <= 0 || fh <= 0 || w <= 0 || h <= 0)
        return RECT{0, 0, std::max(w, 0), std::max(h, 0)};
    // Full width when the output is relatively taller than the frame, else full height.
    if (static_cast<std::int64_t>(w) * fh <= static_cast<std::int64_t>(h) * fw)
    {
        const int nHeight = static_cast<int>(static_cast<std::int64_t>(w) * fh / fw);
        const int nTop = (h - nHeight) / 2;
        return RECT{0, nTop, w, nTop + nHeight};
    }
    const int nWidth = static_cast<int>(static_cast<std::int64_t>(h) * fw / fh);
    const int nLeft = (w - nWidth) / 2;
    return RECT{nLeft, 0, nLeft + nWidth, h};
}

namespace
{
/// Rows of raw pixels: pBits is the top-left pixel of rcHeld, the only part of the source that exists.
struct SPixelRows
{
    const BYTE* pBits = nullptr;
    size_t nPitch = 0;
    RECT rcHeld{};
    const CPixelLayout* pLayout = nullptr;
};

SPixelRows RowsOf(const CDirectDrawSurface& s)
{
    return SPixelRows{s.GetBits(), static_cast<size_t>(s.GetPitch()),
                      RECT{0, 0, static_cast<LONG>(s.GetWidth()), static_cast<LONG>(s.GetHeight())}, &s.GetLayout()};
}

/// One row of the source rectangle as 0xAARRGGBB, black where it leaves the held pixels.
void ReadSourceRow(const SPixelRows& rows, const CRowDecoder& decoder, const RECT& rcSource, LONG sy, DWORD* pRow)
{
    const LONG nWidth = rcSource.right - rcSource.left;
    const LONG x0 = std::max(rcSource.left, rows.rcHeld.left);
    const LONG x1 = std::min(rcSource.right, rows.rcHeld.right);
    if (sy < rows.rcHeld.top || sy >= rows.rcHeld.bottom || x0 >= x1)
    {
        std::fill_n(pRow, nWidth, 0);
        return;
    }
    std::fill_n(pRow, x0 - rcSource.left, 0);
    std::fill(pRow + (x1 - rcSource.left), pRow + nWidth, 0);
    const BYTE* pSrc =
        rows.pBits + static_cast<size_t>(sy - rows.rcHeld.top) * rows.nPitch +
        static_cast<size_t>(x0 - rows.rcHeld.left) * static_cast<size_t>(rows.pLayout->GetBytesPerPixel());
    decoder.Row(pSrc, pRow + (x0 - rcSource.left), static_cast<int>(x1 - x0));
}

/// Blackens the output around rcDest (which lies inside it): whole rows above and below, bars at the sides.
void FillAround(DWORD* pDst, int w, int h, const RECT& rcDest)
{
    const size_t nWidth = static_cast<size_t>(w);
    std::fill_n(pDst, nWidth * static_cast<size_t>(rcDest.top), 0);
    std::fill(pDst + nWidth * static_cast<size_t>(rcDest.bottom), pDst + nWidth * static_cast<size_t>(h), 0);
    if (rcDest.left == 0 && rcDest.right == w)
        return;
    for (LONG y = rcDest.top; y < rcDest.bottom; ++y)
    {
        DWORD* pRow = pDst + nWidth * static_cast<size_t>(y);
        std::fill_n(pRow, rcDest.left, 0);
        std::fill(pRow + rcDest.right, pRow + w, 0);
    }
}

/// Nearest pixel: each destination centre mapped back into the source rectangle; each source row read once.
void ConvertScaled(const SPixelRows& rows, const CRowDecoder& decoder, const RECT& rcSource, DWORD* pDst, int w,
                   const RECT& rcDest)
{
    const LONG sw = rcSource.right - rcSource.left, sh = rcSource.bottom - rcSource.top;
    const LONG dw = rcDest.right - rcDest.left, dh = rcDest.bottom - rcDest.top;
    std::vector<LONG> aColumn(static_cast<size_t>(dw));
    for (LONG x = 0; x < dw; ++x)
        aColumn[static_cast<size_t>(x)] = static_cast<LONG>((static_cast<std::int64_t>(2 * x + 1) * sw) / (2 * dw));
    std::vector<DWORD> aRow(static_cast<size_t>(sw));
    LONG nLoaded = -1;
    const DWORD* pPrevious = nullptr;
    for (LONG y = 0; y < dh; ++y)
    {
        const LONG sy = static_cast<LONG>((static_cast<std::int64_t>(2 * y + 1) * sh) / (2 * dh));
        DWORD* pOut = pDst + static_cast<size_t>(rcDest.top + y) * static_cast<size_t>(w) + rcDest.left;
        if (sy == nLoaded)
        {
            // An enlarged frame repeats rows: copy the one made from the same source row.
            std::copy_n(pPrevious, dw, pOut);
            continue;
        }
        ReadSourceRow(rows, decoder, rcSource, rcSource.top + sy, aRow.data());
        nLoaded = sy;
        for (LONG x = 0; x < dw; ++x)
            pOut[x] = aRow[static_cast<size_t>(aColumn[static_cast<size_t>(x)])];
        pPrevious = pOut;
    }
}

void ConvertRows(const SPixelRows& rows, const RECT& rcSource, DWORD* pDst, int w, int h, const RECT& rcDest)
{
    const LONG sw = rcSource.right - rcSource.left, sh = rcSource.bottom - rcSource.top;
    const LONG dw = rcDest.right - rcDest.left, dh = rcDest.bottom - rcDest.top;
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0 || rcDest.left < 0 || rcDest.top < 0 || rcDest.right > w ||
        rcDest.bottom > h)
    {
        std::fill_n(pDst, static_cast<size_t>(w) * static_cast<size_t>(h), 0);
        return;
    }
    FillAround(pDst, w, h, rcDest);
    const CRowDecoder decoder(*rows.pLayout);
    if (sw != dw || sh != dh)
    {
        ConvertScaled(rows, decoder, rcSource, pDst, w, rcDest);
        return;
    }
    for (LONG y = 0; y < dh; ++y)
        ReadSourceRow(rows, decoder, rcSource, rcSource.top + y,
                      pDst + static_cast<size_t>(rcDest.top + y) * static_cast<size_t>(w) + rcDest.left);
}
} // namespace

void ConvertFrame(const CDirectDrawSurface& surface, const RECT& rcSource, DWORD* pDst, int w, int h,
                  const RECT& rcDest)
{
    ConvertRows(RowsOf(surface), rcSource, pDst, w, h, rcDest);
}

void CFrameSnapshot::Take(const CDirectDrawSurface& surface, const RECT& rcSource)
{
    m_layout = surface.GetLayout();
    m_rcSource = rcSource;
    const SPixelRows whole = RowsOf(surface);
    m_rcCopied = RECT{std::max(rcSource.left, whole.rcHeld.left), std::max(rcSource.top, whole.rcHeld.top),
                      std::min(rcSource.right, whole.rcHeld.right), std::min(rcSource.bottom, whole.rcHeld.bottom)};
    if (m_rcCopied.left >= m_rcCopied.right || m_rcCopied.top >= m_rcCopied.bottom)
        m_rcCopied = RECT{};
    const size_t nBytesPerPixel = static_cast<size_t>(m_layout.GetBytesPerPixel());
    m_nPitch = static_cast<size_t>(m_rcCopied.right - m_rcCopied.left) * nBytesPerPixel;
    m_aBytes.resize(m_nPitch * static_cast<size_t>(m_rcCopied.bottom - m_rcCopied.top));
    for (LONG y = m_rcCopied.top; y < m_rcCopied.bottom; ++y)
        std::memcpy(m_aBytes.data() + static_cast<size_t>(y - m_rcCopied.top) * m_nPitch,
                    whole.pBits + static_cast<size_t>(y) * whole.nPitch +
                        static_cast<size_t>(m_rcCopied.left) * nBytesPerPixel,
                    m_nPitch);
}

void CFrameSnapshot::Convert(DWORD* pDst, int w, int h, const RECT& rcDest) const
{
    ConvertRows(SPixelRows{m_aBytes.data(), m_nPitch, m_rcCopied, &m_layout}, m_rcSource, pDst, w, h, rcDest);
}
