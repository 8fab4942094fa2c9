#include "platform/dx/FrameConvert.h"

#include "platform/dx/WorkerPool.h"

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

/// What a conversion maps: the source rectangle onto rcDest of a w x h output, each destination pixel's centre
/// mapped back to the nearest source pixel when the sizes differ.
struct SMapping
{
    const SPixelRows* pRows = nullptr;
    RECT rcSource{};
    int w = 0;
    RECT rcDest{};
    std::vector<LONG> aColumn; // scaled: the source column of each destination column of rcDest
};

/// The rows [yBegin, yEnd) of the output: black outside rcDest, the source's pixels inside.
void ConvertOutputRows(const SMapping& m, DWORD* pDst, LONG yBegin, LONG yEnd)
{
    const CRowDecoder decoder(*m.pRows->pLayout);
    const LONG sw = m.rcSource.right - m.rcSource.left, sh = m.rcSource.bottom - m.rcSource.top;
    const LONG dw = m.rcDest.right - m.rcDest.left, dh = m.rcDest.bottom - m.rcDest.top;
    const size_t nWidth = static_cast<size_t>(m.w);
    std::vector<DWORD> aRow(m.aColumn.empty() ? 0 : static_cast<size_t>(sw));
    LONG nLoaded = -1;
    const DWORD* pPrevious = nullptr;
    for (LONG y = yBegin; y < yEnd; ++y)
    {
        DWORD* pOutRow = pDst + nWidth * static_cast<size_t>(y);
        if (y < m.rcDest.top || y >= m.rcDest.bottom)
        {
            std::fill_n(pOutRow, nWidth, 0);
            continue;
        }
        std::fill_n(pOutRow, m.rcDest.left, 0);
        std::fill(pOutRow + m.rcDest.right, pOutRow + nWidth, 0);
        DWORD* pOut = pOutRow + m.rcDest.left;
        if (m.aColumn.empty())
        {
            ReadSourceRow(*m.pRows, decoder, m.rcSource, m.rcSource.top + (y - m.rcDest.top), pOut);
            continue;
        }
        const LONG sy = static_cast<LONG>((static_cast<std::int64_t>(2 * (y - m.rcDest.top) + 1) * sh) / (2 * dh));
        if (sy == nLoaded)
        {
            // An enlarged frame repeats rows: copy the one made from the same source row.
            std::copy_n(pPrevious, dw, pOut);
            continue;
        }
        ReadSourceRow(*m.pRows, decoder, m.rcSource, m.rcSource.top + sy, aRow.data());
        nLoaded = sy;
        for (LONG x = 0; x < dw; ++x)
            pOut[x] = aRow[static_cast<size_t>(m.aColumn[static_cast<size_t>(x)])];
        pPrevious = pOut;
    }
}

/// Output rows converted as one job of a pool.
constexpr LONG ROWS_PER_JOB = 32;

void ConvertRows(const SPixelRows& rows, const RECT& rcSource, DWORD* pDst, int w, int h, const RECT& rcDest,
                 CWorkerPool* pPool)
{
    const LONG sw = rcSource.right - rcSource.left, sh = rcSource.bottom - rcSource.top;
    const LONG dw = rcDest.right - rcDest.left, dh = rcDest.bottom - rcDest.top;
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0 || rcDest.left < 0 || rcDest.top < 0 || rcDest.right > w ||
        rcDest.bottom > h)
    {
        std::fill_n(pDst, static_cast<size_t>(w) * static_cast<size_t>(h), 0);
        return;
    }
    SMapping m{&rows, rcSource, w, rcDest, {}};
    if (sw != dw || sh != dh)
    {
        m.aColumn.resize(static_cast<size_t>(dw));
        for (LONG x = 0; x < dw; ++x)
            m.aColumn[static_cast<size_t>(x)] =
                static_cast<LONG>((static_cast<std::int64_t>(2 * x + 1) * sw) / (2 * dw));
    }
    const int nJobs = static_cast<int>((h + ROWS_PER_JOB - 1) / ROWS_PER_JOB);
    const auto job = [&](int j)
    {
        const LONG y0 = j * ROWS_PER_JOB;
        ConvertOutputRows(m, pDst, y0, std::min<LONG>(h, y0 + ROWS_PER_JOB));
    };
    if (pPool == nullptr)
        for (int j = 0; j < nJobs; ++j)
            job(j);
    else
        pPool->Run(nJobs, job);
}
} // namespace

void ConvertFrame(const CDirectDrawSurface& surface, const RECT& rcSource, DWORD* pDst, int w, int h,
                  const RECT& rcDest, CWorkerPool* pPool)
{
    ConvertRows(RowsOf(surface), rcSource, pDst, w, h, rcDest, pPool);
}

void ScaleFrame(const DWORD* pSrc, int sw, int sh, DWORD* pDst, int w, int h, const RECT& rcDest)
{
    CPixelLayout xrgb;
    CPixelLayout::Describe(MakeRgbPixelFormat(32), &xrgb);
    const SPixelRows rows{reinterpret_cast<const BYTE*>(pSrc), static_cast<size_t>(std::max(sw, 0)) * 4,
                          RECT{0, 0, sw, sh}, &xrgb};
    ConvertRows(rows, RECT{0, 0, sw, sh}, pDst, w, h, rcDest, nullptr);
}
