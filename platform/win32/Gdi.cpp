// GDI objects and device contexts: the registry of live handles, bitmaps, pens, brushes, stock
// objects, selection, clip rectangle, viewport origin and saved states.
#include "platform/win32/Gdi.h"

#include "platform/win32/GdiGlyphs.h"
#include "platform/win32/GdiInternal.h"
#include "platform/win32/LastError.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace
{
constexpr int STOCK_COUNT = DEFAULT_GUI_FONT + 1;
constexpr int SYS_COLOR_COUNT = 31;

/// Every live object and device context. Any thread may make and delete them; the mutex guards
/// the maps and the objects' selection counts.
struct SRegistry
{
    SRegistry();

    std::mutex mutex;
    std::unordered_map<const void*, std::unique_ptr<SGdiObject>> objects;
    std::unordered_map<const HDC__*, std::unique_ptr<HDC__>> dcs;
    std::array<HGDIOBJ, STOCK_COUNT> stock{};
    std::array<HBRUSH, SYS_COLOR_COUNT> sysBrushes{};
    HBITMAP defaultBitmap = nullptr; // what a memory context holds before a bitmap is selected
    HDC__ screen;
};

template <class T> T* AddStock(SRegistry& reg, std::unique_ptr<T> pObject)
{
    pObject->m_bStock = true;
    T* p = pObject.get();
    pObject->m_hSelf = p;
    reg.objects.emplace(static_cast<const void*>(p), std::move(pObject));
    return p;
}

std::unique_ptr<HBRUSH__> MakeBrush(COLORREF crColor, bool bNull)
{
    auto p = std::make_unique<HBRUSH__>();
    p->crColor = crColor;
    p->bNull = bNull;
    return p;
}

std::unique_ptr<HPEN__> MakePen(int nStyle, int nWidth, COLORREF crColor)
{
    auto p = std::make_unique<HPEN__>();
    p->nStyle = nStyle;
    p->nWidth = std::max(nWidth, 1);
    p->crColor = crColor;
    return p;
}

std::unique_ptr<HFONT__> MakeStockFont(LONG lHeight, LONG lWeight)
{
    auto p = std::make_unique<HFONT__>();
    p->lf.lfHeight = lHeight;
    p->lf.lfWeight = lWeight;
    std::strcpy(p->lf.lfFaceName, "MS Sans Serif");
    p->pFace = FindGlyphFace(p->lf);
    return p;
}

std::unique_ptr<HBITMAP__> MakeBitmap(LONG nWidth, LONG nHeight)
{
    auto p = std::make_unique<HBITMAP__>();
    p->nWidth = nWidth;
    p->nHeight = nHeight;
    p->nRowBytes = ((nWidth * 24 + 31) >> 3) & ~3;
    p->bits.assign(static_cast<std::size_t>(p->nRowBytes) * static_cast<std::size_t>(nHeight), 0);
    return p;
}

// The classic grey theme.
constexpr COLORREF SYS_COLORS[SYS_COLOR_COUNT] = {
    RGB(192, 192, 192), RGB(58, 110, 165),  RGB(0, 0, 128),     RGB(128, 128, 128), RGB(192, 192, 192),
    RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(255, 255, 255),
    RGB(192, 192, 192), RGB(192, 192, 192), RGB(128, 128, 128), RGB(0, 0, 128),     RGB(255, 255, 255),
    RGB(192, 192, 192), RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(192, 192, 192),
    RGB(255, 255, 255), RGB(64, 64, 64),    RGB(223, 223, 223), RGB(0, 0, 0),       RGB(255, 255, 225),
    RGB(180, 180, 180), RGB(0, 0, 255),     RGB(16, 132, 208),  RGB(181, 181, 181), RGB(0, 0, 128),
    RGB(192, 192, 192)};

SRegistry::SRegistry()
{
    static constexpr COLORREF BRUSH_COLORS[] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128),
                                                RGB(64, 64, 64), RGB(0, 0, 0)};
    for (int i = WHITE_BRUSH; i <= BLACK_BRUSH; ++i)
        stock[i] = AddStock(*this, MakeBrush(BRUSH_COLORS[i], false));
    stock[NULL_BRUSH] = AddStock(*this, MakeBrush(0, true));
    stock[WHITE_PEN] = AddStock(*this, MakePen(PS_SOLID, 1, RGB(255, 255, 255)));
    stock[BLACK_PEN] = AddStock(*this, MakePen(PS_SOLID, 1, RGB(0, 0, 0)));
    stock[NULL_PEN] = AddStock(*this, MakePen(PS_NULL, 1, 0));
    stock[ANSI_VAR_FONT] = AddStock(*this, MakeStockFont(-13, FW_NORMAL));
    stock[SYSTEM_FONT] = AddStock(*this, MakeStockFont(16, FW_BOLD));
    stock[DEFAULT_GUI_FONT] = AddStock(*this, MakeStockFont(-11, FW_NORMAL));
    for (int i = 0; i < SYS_COLOR_COUNT; ++i)
        sysBrushes[i] = AddStock(*this, MakeBrush(SYS_COLORS[i], false));
    defaultBitmap = AddStock(*this, MakeBitmap(1, 1));
    screen.state.pPen = static_cast<HPEN__*>(stock[BLACK_PEN]);
    screen.state.pBrush = static_cast<HBRUSH__*>(stock[WHITE_BRUSH]);
    screen.state.pFont = static_cast<HFONT__*>(stock[SYSTEM_FONT]);
}

SRegistry& Registry()
{
    static SRegistry s_registry;
    return s_registry;
}

SGdiObject* FindLocked(SRegistry& reg, HGDIOBJ hObject)
{
    const auto it = reg.objects.find(hObject);
    return it == reg.objects.end() ? nullptr : it->second.get();
}

HDC__* FindDcLocked(SRegistry& reg, HDC hDC)
{
    const auto it = reg.dcs.find(hDC);
    return it == reg.dcs.end() ? nullptr : it->second.get();
}

void HoldLocked(SGdiObject* p)
{
    if (p != nullptr)
        ++p->m_nSelected;
}

void LetGoLocked(SRegistry& reg, SGdiObject* p)
{
    if (p == nullptr)
        return;
    --p->m_nSelected;
    if (p->m_nSelected == 0 && p->m_bDeletePending)
        reg.objects.erase(p->m_hSelf);
}

// The objects of a state count as selected while the state is live or saved.
void HoldStateLocked(const SDcState& s)
{
    HoldLocked(s.pBitmap);
    HoldLocked(s.pPen);
    HoldLocked(s.pBrush);
    HoldLocked(s.pFont);
}

void LetGoStateLocked(SRegistry& reg, const SDcState& s)
{
    LetGoLocked(reg, s.pBitmap);
    LetGoLocked(reg, s.pPen);
    LetGoLocked(reg, s.pBrush);
    LetGoLocked(reg, s.pFont);
}

void PointPixelsAtBitmap(HDC__& dc)
{
    HBITMAP__* p = dc.state.pBitmap;
    dc.pixels = SGdiPixels{p->bits.data(), p->nWidth, p->nHeight, p->nRowBytes, EGdiPixelFormat::Bgr24};
}

HDC AddDc(std::unique_ptr<HDC__> pDc)
{
    SRegistry& reg = Registry();
    pDc->state.pPen = static_cast<HPEN__*>(reg.stock[BLACK_PEN]);
    pDc->state.pBrush = static_cast<HBRUSH__*>(reg.stock[WHITE_BRUSH]);
    pDc->state.pFont = static_cast<HFONT__*>(reg.stock[SYSTEM_FONT]);
    if (pDc->eKind == EDcKind::Memory)
    {
        pDc->state.pBitmap = reg.defaultBitmap;
        PointPixelsAtBitmap(*pDc);
    }
    std::lock_guard lock(reg.mutex);
    HoldStateLocked(pDc->state);
    HDC hDC = pDc.get();
    reg.dcs.emplace(hDC, std::move(pDc));
    return hDC;
}

bool IsSupportedDib(const BITMAPINFOHEADER& hdr)
{
    const std::int64_t nRows = std::abs(static_cast<std::int64_t>(hdr.biHeight));
    return hdr.biWidth > 0 && hdr.biWidth <= MAX_BITMAP_SIDE && nRows > 0 && nRows <= MAX_BITMAP_SIDE &&
           hdr.biBitCount == 24 && hdr.biCompression == BI_RGB;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Registry

SGdiObject* FindGdiObject(HGDIOBJ hObject, EGdiKind eKind)
{
    SRegistry& reg = Registry();
    std::lock_guard lock(reg.mutex);
    SGdiObject* p = FindLocked(reg, hObject);
    return p != nullptr && p->m_eKind == eKind && !p->m_bDeletePending ? p : nullptr;
}

void AddGdiObject(const void* hHandle, std::unique_ptr<SGdiObject> pObject)
{
    pObject->m_hSelf = hHandle;
    SRegistry& reg = Registry();
    std::lock_guard lock(reg.mutex);
    reg.objects.emplace(hHandle, std::move(pObject));
}

// ---------------------------------------------------------------------------------------------
// Bitmaps

HDC GetDC(HWND /*hWnd*/) { return &Registry().screen; }

int ReleaseDC(HWND /*hWnd*/, HDC hDC) { return hDC == &Registry().screen ? 1 : 0; }

HBITMAP CreateDIBitmap(HDC /*hDC*/, const BITMAPINFOHEADER* pHeader, DWORD dwInit, const void* pBits,
                       const BITMAPINFO* /*pInfo*/, UINT nUsage)
{
    if (pHeader == nullptr || !IsSupportedDib(*pHeader) || nUsage != DIB_RGB_COLORS ||
        ((dwInit & CBM_INIT) != 0 && pBits == nullptr))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto pBitmap = MakeBitmap(pHeader->biWidth, std::abs(pHeader->biHeight));
    if ((dwInit & CBM_INIT) != 0)
    {
        // A positive height means the source's rows run bottom first.
        const auto nRowBytes = static_cast<std::size_t>(pBitmap->nRowBytes);
        const auto* pSource = static_cast<const BYTE*>(pBits);
        const bool bBottomUp = pHeader->biHeight > 0;
        for (LONG y = 0; y < pBitmap->nHeight; ++y)
        {
            const LONG nSourceRow = bBottomUp ? pBitmap->nHeight - 1 - y : y;
            std::memcpy(&pBitmap->bits[static_cast<std::size_t>(y) * nRowBytes],
                        pSource + static_cast<std::size_t>(nSourceRow) * nRowBytes, nRowBytes);
        }
    }
    return RegisterGdiObject(std::move(pBitmap));
}

HBITMAP CreateCompatibleBitmap(HDC /*hDC*/, int nWidth, int nHeight)
{
    if (nWidth <= 0 || nWidth > MAX_BITMAP_SIDE || nHeight <= 0 || nHeight > MAX_BITMAP_SIDE)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return RegisterGdiObject(MakeBitmap(nWidth, nHeight));
}

BOOL DeleteObject(HGDIOBJ hObject)
{
    SRegistry& reg = Registry();
    std::lock_guard lock(reg.mutex);
    SGdiObject* p = FindLocked(reg, hObject);
    if (p == nullptr || p->m_bDeletePending)
        return FALSE;
    if (p->m_bStock)
        return TRUE;
    if (p->m_nSelected > 0)
        p->m_bDeletePending = true;
    else
        reg.objects.erase(hObject);
    return TRUE;
}

namespace
{
template <class T> int CopyOut(const T& value, int nSize, LPVOID pObject)
{
    if (pObject == nullptr || nSize < static_cast<int>(sizeof(T)))
        return 0;
    std::memcpy(pObject, &value, sizeof(T));
    return static_cast<int>(sizeof(T));
}
} // namespace

int GetObject(HGDIOBJ hObject, int nSize, LPVOID pObject)
{
    SRegistry& reg = Registry();
    std::lock_guard lock(reg.mutex);
    const SGdiObject* p = FindLocked(reg, hObject);
    if (p == nullptr)
        return 0;
    switch (p->m_eKind)
    {
    case EGdiKind::Bitmap:
    {
        const auto& b = static_cast<const HBITMAP__&>(*p);
        return CopyOut(BITMAP{0, b.nWidth, b.nHeight, b.nRowBytes, 1, 24, nullptr}, nSize, pObject);
    }
    case EGdiKind::Pen:
    {
        const auto& pen = static_cast<const HPEN__&>(*p);
        return CopyOut(LOGPEN{static_cast<UINT>(pen.nStyle), POINT{pen.nWidth, 0}, pen.crColor}, nSize, pObject);
    }
    case EGdiKind::Brush:
    {
        const auto& brush = static_cast<const HBRUSH__&>(*p);
        return CopyOut(LOGBRUSH{brush.bNull ? BS_NULL : BS_SOLID, brush.crColor, 0}, nSize, pObject);
    }
    case EGdiKind::Font:
        return CopyOut(static_cast<const HFONT__&>(*p).lf, nSize, pObject);
    }
    return 0;
}

LONG GetBitmapBits(HBITMAP hBitmap, LONG nCount, LPVOID pBits)
{
    SRegistry& reg = Registry();
    std::lock_guard lock(reg.mutex);
    const SGdiObject* p = FindLocked(reg, hBitmap);
    if (p == nullptr || p->m_eKind != EGdiKind::Bitmap || pBits == nullptr || nCount <= 0)
        return 0;
    const auto& bits = static_cast<const HBITMAP__*>(p)->bits;
    const auto nCopy = std::min(static_cast<std::size_t>(nCount), bits.size());
    std::memcpy(pBits, bits.data(), nCopy);
    return static_cast<LONG>(nCopy);
}

// ---------------------------------------------------------------------------------------------
// Pens and brushes

HPEN CreatePen(int nStyle, int nWidth, COLORREF crColor)
{
    if (nStyle != PS_SOLID && nStyle != PS_DASH && nStyle != PS_DOT && nStyle != PS_NULL)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // GDI draws wide pens solid whatever their style.
    return RegisterGdiObject(MakePen(nWidth > 1 && nStyle != PS_NULL ? PS_SOLID : nStyle, nWidth, crColor));
}

HBRUSH CreateSolidBrush(COLORREF crColor) { return RegisterGdiObject(MakeBrush(crColor, false)); }

HBRUSH CreateBrushIndirect(const LOGBRUSH* pLogBrush)
{
    if (pLogBrush == nullptr || (pLogBrush->lbStyle != BS_SOLID && pLogBrush->lbStyle != BS_NULL))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return RegisterGdiObject(MakeBrush(pLogBrush->lbColor, pLogBrush->lbStyle == BS_NULL));
}

HGDIOBJ GetStockObject(int nIndex)
{
    return nIndex >= 0 && nIndex < STOCK_COUNT ? Registry().stock[static_cast<std::size_t>(nIndex)] : nullptr;
}

COLORREF GetSysColor(int nIndex) { return nIndex >= 0 && nIndex < SYS_COLOR_COUNT ? SYS_COLORS[nIndex] : RGB(0, 0, 0); }

HBRUSH GetSysColorBrush(int nIndex)
{
    return nIndex >= 0 && nIndex < SYS_COLOR_COUNT ? Registry().sysBrushes[static_cast<std::size_t>(nIndex)]
                                                   : static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
}

// ---------------------------------------------------------------------------------------------
// Device contexts

HDC CreatePixelsDC(const SGdiPixels& pixels)
{
    if (pixels.pBits == nullptr || pixels.nWidth <= 0 || pixels.nHeight <= 0)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto pDc = std::make_unique<HDC__>();
    pDc->eKind = EDcKind::Pixels;
    pDc->pixels = pixels;
    return AddDc(std::move(pDc));
}

HDC CreateCompatibleDC(HDC /*hDC*/)
{
    auto pDc = std::make_unique<HDC__>();
    pDc->eKind = EDcKind::Memory;
    return AddDc(std::move(pDc));
}

BOOL DeleteDC(HDC hDC)
{
    SRegistry& reg = Registry();
    std::lock_guard lock(reg.mutex);
    HDC__* pDc = FindDcLocked(reg, hDC);
    if (pDc == nullptr)
        return FALSE;
    LetGoStateLocked(reg, pDc->state);
    for (const SDcState& s : pDc->saved)
        LetGoStateLocked(reg, s);
    reg.dcs.erase(hDC);
    return TRUE;
}

namespace
{
// Puts a new object in one of the state's slots; returns the old one's handle.
template <class T> HGDIOBJ Swap(SRegistry& reg, T*& pSlot, T* pNew)
{
    T* pOld = pSlot;
    HoldLocked(pNew);
    pSlot = pNew;
    LetGoLocked(reg, pOld);
    return pOld;
}
} // namespace

HGDIOBJ SelectObject(HDC hDC, HGDIOBJ hObject)
{
    if (hDC == nullptr)
        return nullptr;
    SRegistry& reg = Registry();
    std::lock_guard lock(reg.mutex);
    SGdiObject* p = FindLocked(reg, hObject);
    if (p == nullptr || p->m_bDeletePending)
        return nullptr;
    SDcState& s = hDC->state;
    switch (p->m_eKind)
    {
    case EGdiKind::Bitmap:
    {
        auto* pBitmap = static_cast<HBITMAP__*>(p);
        if (hDC->eKind != EDcKind::Memory || (!p->m_bStock && p->m_nSelected > 0 && s.pBitmap != pBitmap))
            return nullptr;
        HGDIOBJ hOld = Swap(reg, s.pBitmap, pBitmap);
        PointPixelsAtBitmap(*hDC);
        return hOld;
    }
    case EGdiKind::Pen:
        return Swap(reg, s.pPen, static_cast<HPEN__*>(p));
    case EGdiKind::Brush:
        return Swap(reg, s.pBrush, static_cast<HBRUSH__*>(p));
    case EGdiKind::Font:
        return Swap(reg, s.pFont, static_cast<HFONT__*>(p));
    }
    return nullptr;
}

int SaveDC(HDC hDC)
{
    if (hDC == nullptr)
        return 0;
    SRegistry& reg = Registry();
    std::lock_guard lock(reg.mutex);
    HoldStateLocked(hDC->state);
    hDC->saved.push_back(hDC->state);
    return static_cast<int>(hDC->saved.size());
}

BOOL RestoreDC(HDC hDC, int nSavedDC)
{
    if (hDC == nullptr)
        return FALSE;
    const int nCount = static_cast<int>(hDC->saved.size());
    const int nIndex = nSavedDC < 0 ? nCount + nSavedDC : nSavedDC - 1;
    if (nIndex < 0 || nIndex >= nCount)
        return FALSE;
    SRegistry& reg = Registry();
    std::lock_guard lock(reg.mutex);
    // The restored state's hold passes from the saved copy to the live one.
    LetGoStateLocked(reg, hDC->state);
    hDC->state = hDC->saved[static_cast<std::size_t>(nIndex)];
    for (std::size_t i = static_cast<std::size_t>(nIndex) + 1; i < hDC->saved.size(); ++i)
        LetGoStateLocked(reg, hDC->saved[i]);
    hDC->saved.resize(static_cast<std::size_t>(nIndex));
    if (hDC->eKind == EDcKind::Memory)
        PointPixelsAtBitmap(*hDC);
    return TRUE;
}

int IntersectClipRect(HDC hDC, int nLeft, int nTop, int nRight, int nBottom)
{
    if (hDC == nullptr)
        return ERROR_REGION;
    SDcState& s = hDC->state;
    RECT rc{nLeft + s.ptOrigin.x, nTop + s.ptOrigin.y, nRight + s.ptOrigin.x, nBottom + s.ptOrigin.y};
    if (s.bClip)
    {
        rc.left = std::max(rc.left, s.rcClip.left);
        rc.top = std::max(rc.top, s.rcClip.top);
        rc.right = std::min(rc.right, s.rcClip.right);
        rc.bottom = std::min(rc.bottom, s.rcClip.bottom);
    }
    rc.right = std::max(rc.right, rc.left);
    rc.bottom = std::max(rc.bottom, rc.top);
    s.rcClip = rc;
    s.bClip = true;
    return rc.right > rc.left && rc.bottom > rc.top ? SIMPLEREGION : NULLREGION;
}

int SelectClipRgn(HDC hDC, void* hRgn)
{
    if (hDC == nullptr || hRgn != nullptr)
        return ERROR_REGION;
    hDC->state.bClip = false;
    return SIMPLEREGION;
}

int GetClipBox(HDC hDC, RECT* pRect)
{
    if (hDC == nullptr || pRect == nullptr)
        return ERROR_REGION;
    const RECT rc = DeviceClip(*hDC);
    const POINT o = hDC->state.ptOrigin;
    *pRect = RECT{rc.left - o.x, rc.top - o.y, std::max(rc.right, rc.left) - o.x, std::max(rc.bottom, rc.top) - o.y};
    return pRect->right > pRect->left && pRect->bottom > pRect->top ? SIMPLEREGION : NULLREGION;
}

BOOL SetViewportOrgEx(HDC hDC, int x, int y, POINT* pOld)
{
    if (hDC == nullptr)
        return FALSE;
    if (pOld != nullptr)
        *pOld = hDC->state.ptOrigin;
    hDC->state.ptOrigin = POINT{x, y};
    return TRUE;
}

BOOL GetViewportOrgEx(HDC hDC, POINT* pOrigin)
{
    if (hDC == nullptr || pOrigin == nullptr)
        return FALSE;
    *pOrigin = hDC->state.ptOrigin;
    return TRUE;
}

int SetStretchBltMode(HDC hDC, int nMode)
{
    if (hDC == nullptr)
        return 0;
    return std::exchange(hDC->state.nStretchMode, nMode);
}
