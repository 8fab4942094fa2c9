// Drawing on device contexts: lines in solid and styled pens, ellipses, rectangles, fills, single
// pixels and blits between contexts of any pixel format.
#include "platform/win32/GdiInternal.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace
{
RECT Intersect(const RECT& a, const RECT& b)
{
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

RECT ToDevice(const HDC__& dc, LONG l, LONG t, LONG r, LONG b)
{
    const POINT o = dc.state.ptOrigin;
    return RECT{l + o.x, t + o.y, r + o.x, b + o.y};
}

/// Whether a styled pen draws at this step of its pattern.
bool PatternOn(int nStyle, int nPhase)
{
    switch (nStyle)
    {
    case PS_DOT:
        return nPhase % 6 < 3;
    case PS_DASH:
        return nPhase % 24 < 18;
    default:
        return true;
    }
}

void PlotPen(const HDC__& dc, const HPEN__& pen, LONG x, LONG y, const RECT& rcClip)
{
    if (pen.nWidth <= 1)
    {
        if (InRect(rcClip, x, y))
            WritePixel(dc.pixels, x, y, pen.crColor);
        return;
    }
    const LONG x0 = x - pen.nWidth / 2, y0 = y - pen.nWidth / 2;
    FillDeviceRect(dc, RECT{x0, y0, x0 + pen.nWidth, y0 + pen.nWidth}, pen.crColor);
}

/// Bresenham's line from one device point to the other, the last point left out as GDI does.
void DrawDeviceLine(HDC__& dc, POINT a, POINT b)
{
    const HPEN__& pen = *dc.state.pPen;
    if (pen.nStyle == PS_NULL || dc.pixels.pBits == nullptr)
        return;
    const RECT rcClip = DeviceClip(dc);
    const LONG dx = std::abs(b.x - a.x), dy = -std::abs(b.y - a.y);
    const LONG sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
    LONG err = dx + dy;
    while (a.x != b.x || a.y != b.y)
    {
        if (PatternOn(pen.nStyle, dc.nPatternPhase++))
            PlotPen(dc, pen, a.x, a.y, rcClip);
        const LONG e2 = 2 * err;
        if (e2 >= dy)
        {
            err += dy;
            a.x += sx;
        }
        if (e2 <= dx)
        {
            err += dx;
            a.y += sy;
        }
    }
}

/// The columns [from, to) of one row of an ellipse that lie inside it (pixel centres tested).
struct SSpan
{
    LONG nFrom = 0;
    LONG nTo = 0;
};

SSpan EllipseSpan(double cx, double cy, double rx, double ry, LONG y)
{
    if (rx <= 0 || ry <= 0)
        return {};
    const double dy = (y + 0.5 - cy) / ry;
    if (dy * dy > 1.0)
        return {};
    const double dHalf = rx * std::sqrt(1.0 - dy * dy);
    return SSpan{static_cast<LONG>(std::ceil(cx - dHalf - 0.5)), static_cast<LONG>(std::floor(cx + dHalf - 0.5)) + 1};
}

void FillSpan(const HDC__& dc, LONG y, LONG nFrom, LONG nTo, COLORREF c)
{
    if (nTo > nFrom)
        FillDeviceRect(dc, RECT{nFrom, y, nTo, y + 1}, c);
}

void CopyPixels(const HDC__& dest, const RECT& rcDest, const HDC__& src, LONG xSrc, LONG ySrc)
{
    const LONG nWidth = rcDest.right - rcDest.left;
    const bool bSameFormat = dest.pixels.eFormat == src.pixels.eFormat;
    for (LONG y = rcDest.top; y < rcDest.bottom; ++y)
    {
        const LONG ys = ySrc + (y - rcDest.top);
        if (bSameFormat)
        {
            const BYTE* pFrom = PixelAddress(src.pixels, xSrc, ys);
            BYTE* pTo = PixelAddress(dest.pixels, rcDest.left, y);
            std::memmove(pTo, pFrom, static_cast<std::size_t>(PixelAddress(dest.pixels, rcDest.right, y) - pTo));
            continue;
        }
        for (LONG x = 0; x < nWidth; ++x)
            WritePixel(dest.pixels, rcDest.left + x, y, ReadPixel(src.pixels, xSrc + x, ys));
    }
}

/// Fills for the raster operations that take no source; false for one that needs a source.
bool FillForRop(HDC__& dc, const RECT& rc, DWORD dwRop)
{
    switch (dwRop)
    {
    case BLACKNESS:
        FillDeviceRect(dc, rc, RGB(0, 0, 0));
        return true;
    case WHITENESS:
        FillDeviceRect(dc, rc, RGB(255, 255, 255));
        return true;
    case PATCOPY:
        if (!dc.state.pBrush->bNull)
            FillDeviceRect(dc, rc, dc.state.pBrush->crColor);
        return true;
    default:
        return false;
    }
}

/// Makes a rectangle's width and height positive; says whether each was flipped.
void Normalise(LONG& x, LONG& nWidth, bool& bFlip)
{
    if (nWidth < 0)
    {
        x += nWidth;
        nWidth = -nWidth;
        bFlip = !bFlip;
    }
}
} // namespace

void FillDeviceRect(const HDC__& dc, RECT rc, COLORREF c)
{
    rc = Intersect(rc, DeviceClip(dc));
    if (rc.right <= rc.left || rc.bottom <= rc.top)
        return;
    for (LONG y = rc.top; y < rc.bottom; ++y)
    {
        if (dc.pixels.eFormat == EGdiPixelFormat::Xrgb32)
        {
            auto* pRow = reinterpret_cast<DWORD*>(PixelAddress(dc.pixels, rc.left, y));
            std::fill(pRow, pRow + (rc.right - rc.left),
                      0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
            continue;
        }
        for (LONG x = rc.left; x < rc.right; ++x)
            WritePixel(dc.pixels, x, y, c);
    }
}

BOOL MoveToEx(HDC hDC, int x, int y, POINT* pOld)
{
    if (hDC == nullptr)
        return FALSE;
    if (pOld != nullptr)
        *pOld = hDC->state.ptCurrent;
    hDC->state.ptCurrent = POINT{x, y};
    hDC->nPatternPhase = 0;
    return TRUE;
}

BOOL LineTo(HDC hDC, int x, int y)
{
    if (hDC == nullptr)
        return FALSE;
    const POINT o = hDC->state.ptOrigin;
    const POINT from = hDC->state.ptCurrent;
    DrawDeviceLine(*hDC, POINT{from.x + o.x, from.y + o.y}, POINT{x + o.x, y + o.y});
    hDC->state.ptCurrent = POINT{x, y};
    return TRUE;
}

BOOL Polyline(HDC hDC, const POINT* pPoints, int nCount)
{
    if (hDC == nullptr || pPoints == nullptr || nCount < 2)
        return FALSE;
    // Polyline leaves the current position where it was.
    const POINT saved = hDC->state.ptCurrent;
    MoveToEx(hDC, pPoints[0].x, pPoints[0].y, nullptr);
    for (int i = 1; i < nCount; ++i)
        LineTo(hDC, pPoints[i].x, pPoints[i].y);
    hDC->state.ptCurrent = saved;
    return TRUE;
}

BOOL Ellipse(HDC hDC, int nLeft, int nTop, int nRight, int nBottom)
{
    if (hDC == nullptr)
        return FALSE;
    const RECT rc = ToDevice(*hDC, std::min(nLeft, nRight), std::min(nTop, nBottom), std::max(nLeft, nRight),
                             std::max(nTop, nBottom));
    const HPEN__& pen = *hDC->state.pPen;
    const HBRUSH__& brush = *hDC->state.pBrush;
    const double cx = (rc.left + rc.right) / 2.0, cy = (rc.top + rc.bottom) / 2.0;
    const double rx = (rc.right - rc.left) / 2.0, ry = (rc.bottom - rc.top) / 2.0;
    // The outline is what lies between the ellipse and one shrunk by the pen's width.
    const double dPen = pen.nStyle == PS_NULL ? 0.0 : pen.nWidth;
    for (LONG y = rc.top; y < rc.bottom; ++y)
    {
        const SSpan outer = EllipseSpan(cx, cy, rx, ry, y);
        if (outer.nTo <= outer.nFrom)
            continue;
        SSpan inner = EllipseSpan(cx, cy, rx - dPen, ry - dPen, y);
        if (inner.nTo <= inner.nFrom)
            inner = SSpan{outer.nTo, outer.nTo};
        if (!brush.bNull)
            FillSpan(*hDC, y, inner.nFrom, inner.nTo, brush.crColor);
        if (dPen > 0)
        {
            FillSpan(*hDC, y, outer.nFrom, inner.nFrom, pen.crColor);
            FillSpan(*hDC, y, std::max(inner.nTo, inner.nFrom), outer.nTo, pen.crColor);
        }
    }
    return TRUE;
}

BOOL Rectangle(HDC hDC, int nLeft, int nTop, int nRight, int nBottom)
{
    if (hDC == nullptr)
        return FALSE;
    const RECT rc = ToDevice(*hDC, std::min(nLeft, nRight), std::min(nTop, nBottom), std::max(nLeft, nRight),
                             std::max(nTop, nBottom));
    const HPEN__& pen = *hDC->state.pPen;
    const LONG w = pen.nStyle == PS_NULL ? 0 : pen.nWidth;
    if (!hDC->state.pBrush->bNull)
        FillDeviceRect(*hDC, RECT{rc.left + w, rc.top + w, rc.right - w, rc.bottom - w}, hDC->state.pBrush->crColor);
    if (w == 0)
        return TRUE;
    FillDeviceRect(*hDC, RECT{rc.left, rc.top, rc.right, rc.top + w}, pen.crColor);
    FillDeviceRect(*hDC, RECT{rc.left, rc.bottom - w, rc.right, rc.bottom}, pen.crColor);
    FillDeviceRect(*hDC, RECT{rc.left, rc.top + w, rc.left + w, rc.bottom - w}, pen.crColor);
    FillDeviceRect(*hDC, RECT{rc.right - w, rc.top + w, rc.right, rc.bottom - w}, pen.crColor);
    return TRUE;
}

int FillRect(HDC hDC, const RECT* pRect, HBRUSH hBrush)
{
    if (hDC == nullptr || pRect == nullptr || FindGdiObject(hBrush, EGdiKind::Brush) == nullptr)
        return 0;
    if (!hBrush->bNull)
        FillDeviceRect(*hDC, ToDevice(*hDC, pRect->left, pRect->top, pRect->right, pRect->bottom), hBrush->crColor);
    return 1;
}

int FrameRect(HDC hDC, const RECT* pRect, HBRUSH hBrush)
{
    if (hDC == nullptr || pRect == nullptr || FindGdiObject(hBrush, EGdiKind::Brush) == nullptr)
        return 0;
    if (hBrush->bNull || pRect->right <= pRect->left || pRect->bottom <= pRect->top)
        return 1;
    const RECT rc = ToDevice(*hDC, pRect->left, pRect->top, pRect->right, pRect->bottom);
    const COLORREF c = hBrush->crColor;
    FillDeviceRect(*hDC, RECT{rc.left, rc.top, rc.right, rc.top + 1}, c);
    FillDeviceRect(*hDC, RECT{rc.left, rc.bottom - 1, rc.right, rc.bottom}, c);
    FillDeviceRect(*hDC, RECT{rc.left, rc.top, rc.left + 1, rc.bottom}, c);
    FillDeviceRect(*hDC, RECT{rc.right - 1, rc.top, rc.right, rc.bottom}, c);
    return 1;
}

COLORREF SetPixel(HDC hDC, int x, int y, COLORREF crColor)
{
    if (hDC == nullptr)
        return CLR_INVALID;
    const POINT o = hDC->state.ptOrigin;
    if (!InRect(DeviceClip(*hDC), x + o.x, y + o.y))
        return CLR_INVALID;
    WritePixel(hDC->pixels, x + o.x, y + o.y, crColor);
    return ReadPixel(hDC->pixels, x + o.x, y + o.y);
}

COLORREF GetPixel(HDC hDC, int x, int y)
{
    if (hDC == nullptr)
        return CLR_INVALID;
    const POINT o = hDC->state.ptOrigin;
    if (!InRect(DeviceClip(*hDC), x + o.x, y + o.y))
        return CLR_INVALID;
    return ReadPixel(hDC->pixels, x + o.x, y + o.y);
}

BOOL PatBlt(HDC hDC, int x, int y, int nWidth, int nHeight, DWORD dwRop)
{
    if (hDC == nullptr)
        return FALSE;
    LONG l = x, t = y, w = nWidth, h = nHeight;
    bool bFlip = false;
    Normalise(l, w, bFlip);
    Normalise(t, h, bFlip);
    return FillForRop(*hDC, ToDevice(*hDC, l, t, l + w, t + h), dwRop) ? TRUE : FALSE;
}

BOOL BitBlt(HDC hDest, int x, int y, int nWidth, int nHeight, HDC hSrc, int xSrc, int ySrc, DWORD dwRop)
{
    if (hDest == nullptr)
        return FALSE;
    if (dwRop != SRCCOPY)
        return PatBlt(hDest, x, y, nWidth, nHeight, dwRop);
    if (hSrc == nullptr || nWidth <= 0 || nHeight <= 0)
        return FALSE;
    if (hDest->pixels.pBits == nullptr || hSrc->pixels.pBits == nullptr)
        return TRUE;
    // Source coordinates in the source's device space; the copy keeps to both sides' pixels.
    const POINT os = hSrc->state.ptOrigin;
    const LONG xs = xSrc + os.x, ys = ySrc + os.y;
    RECT rcDest = ToDevice(*hDest, x, y, x + nWidth, y + nHeight);
    const RECT rcSrcInDest{rcDest.left - xs, rcDest.top - ys, rcDest.left - xs + hSrc->pixels.nWidth,
                           rcDest.top - ys + hSrc->pixels.nHeight};
    rcDest = Intersect(Intersect(rcDest, DeviceClip(*hDest)), rcSrcInDest);
    if (rcDest.right <= rcDest.left || rcDest.bottom <= rcDest.top)
        return TRUE;
    const RECT rcFull = ToDevice(*hDest, x, y, x + nWidth, y + nHeight);
    CopyPixels(*hDest, rcDest, *hSrc, xs + (rcDest.left - rcFull.left), ys + (rcDest.top - rcFull.top));
    return TRUE;
}

BOOL StretchBlt(HDC hDest, int x, int y, int nWidth, int nHeight, HDC hSrc, int xSrc, int ySrc, int nSrcWidth,
                int nSrcHeight, DWORD dwRop)
{
    if (hDest == nullptr)
        return FALSE;
    if (dwRop != SRCCOPY)
        return PatBlt(hDest, x, y, nWidth, nHeight, dwRop);
    if (hSrc == nullptr || nWidth == 0 || nHeight == 0 || nSrcWidth == 0 || nSrcHeight == 0)
        return FALSE;
    if (nWidth == nSrcWidth && nHeight == nSrcHeight && nWidth > 0 && nHeight > 0)
        return BitBlt(hDest, x, y, nWidth, nHeight, hSrc, xSrc, ySrc, SRCCOPY);
    if (hDest->pixels.pBits == nullptr || hSrc->pixels.pBits == nullptr)
        return TRUE;
    LONG xd = x, yd = y, wd = nWidth, hd = nHeight, xs = xSrc, ys = ySrc, ws = nSrcWidth, hs = nSrcHeight;
    bool bFlipX = false, bFlipY = false;
    Normalise(xd, wd, bFlipX);
    Normalise(yd, hd, bFlipY);
    Normalise(xs, ws, bFlipX);
    Normalise(ys, hs, bFlipY);
    const RECT rcDest = ToDevice(*hDest, xd, yd, xd + wd, yd + hd);
    const RECT rcDraw = Intersect(rcDest, DeviceClip(*hDest));
    const POINT os = hSrc->state.ptOrigin;
    const RECT rcSrcPixels{0, 0, hSrc->pixels.nWidth, hSrc->pixels.nHeight};
    for (LONG yy = rcDraw.top; yy < rcDraw.bottom; ++yy)
    {
        // Nearest source pixel of each destination pixel's centre.
        LONG sy = static_cast<LONG>(((yy - rcDest.top) * 2 + 1) * static_cast<std::int64_t>(hs) / (2 * hd));
        sy = (bFlipY ? hs - 1 - sy : sy) + ys + os.y;
        for (LONG xx = rcDraw.left; xx < rcDraw.right; ++xx)
        {
            LONG sx = static_cast<LONG>(((xx - rcDest.left) * 2 + 1) * static_cast<std::int64_t>(ws) / (2 * wd));
            sx = (bFlipX ? ws - 1 - sx : sx) + xs + os.x;
            if (InRect(rcSrcPixels, sx, sy))
                WritePixel(hDest->pixels, xx, yy, ReadPixel(hSrc->pixels, sx, sy));
        }
    }
    return TRUE;
}
