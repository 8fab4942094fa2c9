#include "platform/win32/Gdi.h"

#include "platform/win32/LastError.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

// A memory bitmap; its handle is its address.
struct HBITMAP__
{
    LONG nWidth = 0;
    LONG nHeight = 0;
    LONG nRowBytes = 0;
    std::vector<BYTE> bits; // rows top first, blue-green-red, padded to 4 bytes
};

// The screen's device context: one object whose address is the handle.
struct HDC__
{
};

namespace
{
// Every live bitmap. Any thread may create and delete bitmaps; the mutex guards the list.
std::mutex s_mutex;
std::vector<std::unique_ptr<HBITMAP__>> s_bitmaps;
HDC__ s_screenDC;

HBITMAP__* FindBitmapLocked(HGDIOBJ hObject)
{
    for (const auto& pBitmap : s_bitmaps)
    {
        if (pBitmap.get() == hObject)
            return pBitmap.get();
    }
    return nullptr;
}

LONG RowBytes24(LONG nWidth) { return ((nWidth * 24 + 31) >> 3) & ~3; }

bool IsSupportedDib(const BITMAPINFOHEADER& hdr)
{
    const std::int64_t nRows = std::abs(static_cast<std::int64_t>(hdr.biHeight));
    return hdr.biWidth > 0 && hdr.biWidth <= MAX_BITMAP_SIDE && nRows > 0 && nRows <= MAX_BITMAP_SIDE &&
           hdr.biBitCount == 24 && hdr.biCompression == BI_RGB;
}
} // namespace

HDC GetDC(HWND /*hWnd*/) { return &s_screenDC; }

int ReleaseDC(HWND /*hWnd*/, HDC hDC) { return hDC == &s_screenDC ? 1 : 0; }

HBITMAP CreateDIBitmap(HDC /*hDC*/, const BITMAPINFOHEADER* pHeader, DWORD dwInit, const void* pBits,
                       const BITMAPINFO* /*pInfo*/, UINT nUsage)
{
    if (pHeader == nullptr || !IsSupportedDib(*pHeader) || nUsage != DIB_RGB_COLORS ||
        ((dwInit & CBM_INIT) != 0 && pBits == nullptr))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto pBitmap = std::make_unique<HBITMAP__>();
    pBitmap->nWidth = pHeader->biWidth;
    pBitmap->nHeight = std::abs(pHeader->biHeight);
    pBitmap->nRowBytes = RowBytes24(pBitmap->nWidth);
    const auto nRowBytes = static_cast<std::size_t>(pBitmap->nRowBytes);
    pBitmap->bits.assign(nRowBytes * static_cast<std::size_t>(pBitmap->nHeight), 0);
    if ((dwInit & CBM_INIT) != 0)
    {
        // A positive height means the source's rows run bottom first.
        const auto* pSource = static_cast<const BYTE*>(pBits);
        const bool bBottomUp = pHeader->biHeight > 0;
        for (LONG y = 0; y < pBitmap->nHeight; ++y)
        {
            const LONG nSourceRow = bBottomUp ? pBitmap->nHeight - 1 - y : y;
            std::memcpy(&pBitmap->bits[static_cast<std::size_t>(y) * nRowBytes],
                        pSource + static_cast<std::size_t>(nSourceRow) * nRowBytes, nRowBytes);
        }
    }
    std::lock_guard lock(s_mutex);
    s_bitmaps.push_back(std::move(pBitmap));
    return s_bitmaps.back().get();
}

BOOL DeleteObject(HGDIOBJ hObject)
{
    std::lock_guard lock(s_mutex);
    if (FindBitmapLocked(hObject) == nullptr)
        return FALSE;
    std::erase_if(s_bitmaps, [hObject](const auto& p) { return p.get() == hObject; });
    return TRUE;
}

int GetObject(HGDIOBJ hObject, int nSize, LPVOID pObject)
{
    std::lock_guard lock(s_mutex);
    HBITMAP__* pBitmap = FindBitmapLocked(hObject);
    if (pBitmap == nullptr || pObject == nullptr || nSize < static_cast<int>(sizeof(BITMAP)))
        return 0;
    BITMAP& bm = *static_cast<BITMAP*>(pObject);
    bm = BITMAP{0, pBitmap->nWidth, pBitmap->nHeight, pBitmap->nRowBytes, 1, 24, nullptr};
    return static_cast<int>(sizeof(BITMAP));
}

LONG GetBitmapBits(HBITMAP hBitmap, LONG nCount, LPVOID pBits)
{
    std::lock_guard lock(s_mutex);
    const HBITMAP__* pBitmap = FindBitmapLocked(hBitmap);
    if (pBitmap == nullptr || pBits == nullptr || nCount <= 0)
        return 0;
    const auto nCopy = std::min(static_cast<std::size_t>(nCount), pBitmap->bits.size());
    std::memcpy(pBits, pBitmap->bits.data(), nCopy);
    return static_cast<LONG>(nCopy);
}
