#include "platform/dx/FrameConvert.h"

#include <algorithm>
#include <cstdint>
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
/// One row of the source rectangle as 0xAARRGGBB, black where it leaves the surface.
void ReadSourceRow(const CDirectDrawSurface& s, const CRowDecoder& decoder, const RECT& rcSource, LONG sy, DWORD* pRow)
{
    const LONG nWidth = rcSource.right - rcSource.left;
    std::fill_n(pRow, nWidth, 0);
    if (sy < 0 || sy >= static_cast<LONG>(s.GetHeight()))
        return;
    const LONG x0 = std::max<LONG>(rcSource.left, 0);
    const LONG x1 = std::min<LONG>(rcSource.right, static_cast<LONG>(s.GetWidth()));
    if (x0 >= x1)
        return;
    const CPixelLayout& layout = s.GetLayout();
    const BYTE* pSrc = s.GetBits() + static_cast<size_t>(sy) * s.GetPitch() +
                       static_cast<size_t>(x0) * static_cast<size_t>(layout.GetBytesPerPixel());
    decoder.Row(pSrc, pRow + (x0 - rcSource.left), static_cast<int>(x1 - x0));
}
} // namespace

void ConvertFrame(const CDirectDrawSurface& surface, const RECT& rcSource, DWORD* pDst, int w, int h,
                  const RECT& rcDest)
{
    std::fill_n(pDst, static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    const LONG sw = rcSource.right - rcSource.left, sh = rcSource.bottom - rcSource.top;
    const LONG dw = rcDest.right - rcDest.left, dh = rcDest.bottom - rcDest.top;
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0 || rcDest.left < 0 || rcDest.top < 0 || rcDest.right > w ||
        rcDest.bottom > h)
        return;
    const CRowDecoder decoder(surface.GetLayout());
    if (sw == dw && sh == dh)
    {
        for (LONG y = 0; y < dh; ++y)
            ReadSourceRow(surface, decoder, rcSource, rcSource.top + y,
                          pDst + static_cast<size_t>(rcDest.top + y) * static_cast<size_t>(w) + rcDest.left);
        return;
    }
    // Nearest pixel: each destination centre mapped back into the source rectangle; each source row read once.
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
        ReadSourceRow(surface, decoder, rcSource, rcSource.top + sy, aRow.data());
        nLoaded = sy;
        for (LONG x = 0; x < dw; ++x)
            pOut[x] = aRow[static_cast<size_t>(aColumn[static_cast<size_t>(x)])];
        pPrevious = pOut;
    }
}
