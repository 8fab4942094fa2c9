// Device-independent bitmaps drawn straight onto a device context: the frames of the game's clips.
#include "platform/win32/Gdi.h"

#include <cstddef>
#include <cstdlib>
#include <vector>

namespace
{
/// Bytes of one source row: rows are padded to a multiple of 4 bytes.
std::size_t DibRowBytes(LONG nWidth, WORD nBits) { return ((static_cast<std::size_t>(nWidth) * nBits + 31) / 32) * 4; }

/// One pixel of a 16-bit 5-5-5 or 24-bit row as blue, green, red bytes.
void ReadDibPixel(const BYTE* pRow, LONG x, WORD nBits, BYTE* pBgr)
{
    if (nBits == 24)
    {
        const BYTE* p = pRow + static_cast<std::size_t>(x) * 3;
        pBgr[0] = p[0], pBgr[1] = p[1], pBgr[2] = p[2];
        return;
    }
    const BYTE* p = pRow + static_cast<std::size_t>(x) * 2;
    const unsigned nWord = static_cast<unsigned>(p[0]) | (static_cast<unsigned>(p[1]) << 8);
    // Five bits widened to eight by repeating the top bits, so full intensity stays 255.
    const auto Widen = [](unsigned n) { return static_cast<BYTE>((n << 3) | (n >> 2)); };
    pBgr[0] = Widen(nWord & 0x1F);
    pBgr[1] = Widen((nWord >> 5) & 0x1F);
    pBgr[2] = Widen((nWord >> 10) & 0x1F);
}

/// The source rectangle as a 24-bit bitmap, top row first; null when it lies outside the picture.
HBITMAP CopyDibRect(const BITMAPINFOHEADER& hdr, const BYTE* pBits, int xSrc, int ySrc, int nWidth, int nHeight)
{
    const LONG nRows = std::abs(hdr.biHeight);
    if (xSrc < 0 || ySrc < 0 || nWidth <= 0 || nHeight <= 0 || xSrc + nWidth > hdr.biWidth || ySrc + nHeight > nRows)
        return nullptr;
    const std::size_t nSourceRow = DibRowBytes(hdr.biWidth, hdr.biBitCount);
    const std::size_t nCopyRow = DibRowBytes(nWidth, 24);
    std::vector<BYTE> aCopy(nCopyRow * static_cast<std::size_t>(nHeight));
    for (int y = 0; y < nHeight; ++y)
    {
        // A positive height means the rows are stored bottom first.
        const LONG nRow = hdr.biHeight > 0 ? nRows - 1 - (ySrc + y) : ySrc + y;
        const BYTE* pRow = pBits + static_cast<std::size_t>(nRow) * nSourceRow;
        for (int x = 0; x < nWidth; ++x)
            ReadDibPixel(pRow, xSrc + x, hdr.biBitCount, &aCopy[static_cast<std::size_t>(y) * nCopyRow + x * 3u]);
    }
    BITMAPINFOHEADER copy;
    copy.biSize = BITMAPINFOHEADER_SIZE;
    copy.biWidth = nWidth;
    copy.biHeight = -nHeight;
    copy.biPlanes = 1;
    copy.biBitCount = 24;
    return CreateDIBitmap(nullptr, &copy, CBM_INIT, aCopy.data(), nullptr, DIB_RGB_COLORS);
}
} // namespace

int StretchDIBits(HDC hDC, int xDest, int yDest, int nDestWidth, int nDestHeight, int xSrc, int ySrc, int nSrcWidth,
                  int nSrcHeight, const void* pBits, const BITMAPINFO* pInfo, UINT nUsage, DWORD dwRop)
{
    if (hDC == nullptr || pBits == nullptr || pInfo == nullptr || nUsage != DIB_RGB_COLORS || dwRop != SRCCOPY)
        return 0;
    const BITMAPINFOHEADER& hdr = pInfo->bmiHeader;
    if ((hdr.biBitCount != 16 && hdr.biBitCount != 24) || hdr.biCompression != BI_RGB || hdr.biWidth <= 0 ||
        hdr.biWidth > MAX_BITMAP_SIDE || hdr.biHeight == 0 || std::abs(hdr.biHeight) > MAX_BITMAP_SIDE)
        return 0;
    const HBITMAP hCopy = CopyDibRect(hdr, static_cast<const BYTE*>(pBits), xSrc, ySrc, nSrcWidth, nSrcHeight);
    if (hCopy == nullptr)
        return 0;
    const HDC hMem = CreateCompatibleDC(hDC);
    const HGDIOBJ hOld = SelectObject(hMem, hCopy);
    const BOOL bDrawn =
        StretchBlt(hDC, xDest, yDest, nDestWidth, nDestHeight, hMem, 0, 0, nSrcWidth, nSrcHeight, SRCCOPY);
    SelectObject(hMem, hOld);
    DeleteDC(hMem);
    DeleteObject(hCopy);
    return bDrawn ? nSrcHeight : 0;
}
