// Private to the GDI stand-in: the objects behind its handles, the device context's state and
// pixel access in each format. Nothing outside platform/win32 includes this header.
#pragma once

#include "platform/win32/Gdi.h"

#include <memory>
#include <vector>

class CGlyphFace;

enum class EGdiKind : BYTE
{
    Bitmap,
    Pen,
    Brush,
    Font,
};

/// What every handle's object shares: its kind and its life among the device contexts.
struct SGdiObject
{
    explicit SGdiObject(EGdiKind eKind) : m_eKind(eKind) {}
    virtual ~SGdiObject() = default;
    SGdiObject(const SGdiObject&) = delete;
    SGdiObject& operator=(const SGdiObject&) = delete;

    EGdiKind m_eKind;
    const void* m_hSelf = nullptr; // the handle: the address of the object as its own type
    bool m_bStock = false;
    int m_nSelected = 0;           // contexts holding it selected; guarded by the registry's mutex
    bool m_bDeletePending = false; // deleted while selected: freed when the last context lets go
};

struct HBITMAP__ : SGdiObject
{
    HBITMAP__() : SGdiObject(EGdiKind::Bitmap) {}
    LONG nWidth = 0;
    LONG nHeight = 0;
    LONG nRowBytes = 0;
    std::vector<BYTE> bits; // rows top first, blue-green-red, padded to 4 bytes
};

struct HPEN__ : SGdiObject
{
    HPEN__() : SGdiObject(EGdiKind::Pen) {}
    int nStyle = PS_SOLID;
    int nWidth = 1;
    COLORREF crColor = 0;
};

struct HBRUSH__ : SGdiObject
{
    HBRUSH__() : SGdiObject(EGdiKind::Brush) {}
    bool bNull = false;
    COLORREF crColor = 0;
};

struct HFONT__ : SGdiObject
{
    HFONT__() : SGdiObject(EGdiKind::Font) {}
    LOGFONT lf;
    CGlyphFace* pFace = nullptr; // owned by the glyph cache, which lives as long as the program
};

/// The state SaveDC keeps and RestoreDC takes back.
struct SDcState
{
    HBITMAP__* pBitmap = nullptr;
    HPEN__* pPen = nullptr;
    HBRUSH__* pBrush = nullptr;
    HFONT__* pFont = nullptr;
    COLORREF crText = RGB(0, 0, 0);
    COLORREF crBk = RGB(255, 255, 255);
    int nBkMode = OPAQUE;
    int nStretchMode = BLACKONWHITE;
    POINT ptOrigin;  // device position of logical (0, 0)
    POINT ptCurrent; // logical
    bool bClip = false;
    RECT rcClip; // device coordinates
};

enum class EDcKind : BYTE
{
    Screen, // draws nothing
    Memory, // draws on its selected bitmap
    Pixels, // draws on pixels handed in (a memory surface's)
};

struct HDC__
{
    EDcKind eKind = EDcKind::Screen;
    SGdiPixels pixels; // what drawing writes; no bits when there is nothing to draw on
    SDcState state;
    std::vector<SDcState> saved;
    int nPatternPhase = 0; // position in a styled pen's pattern, carried from line to line
};

// ---------------------------------------------------------------------------------------------
// Registry of live objects (Gdi.cpp)

/// The object behind a handle when it is live and of the kind asked for; null otherwise.
SGdiObject* FindGdiObject(HGDIOBJ hObject, EGdiKind eKind);
/// Adds a new object to the live ones under the handle given.
void AddGdiObject(const void* hHandle, std::unique_ptr<SGdiObject> pObject);
/// Adds a new object to the live ones; returns its handle.
template <class T> T* RegisterGdiObject(std::unique_ptr<T> pObject)
{
    T* hHandle = pObject.get();
    AddGdiObject(hHandle, std::move(pObject));
    return hHandle;
}

// ---------------------------------------------------------------------------------------------
// Pixels

inline RECT DeviceClip(const HDC__& dc)
{
    RECT rc{0, 0, dc.pixels.pBits ? dc.pixels.nWidth : 0, dc.pixels.pBits ? dc.pixels.nHeight : 0};
    if (dc.state.bClip)
    {
        rc.left = rc.left > dc.state.rcClip.left ? rc.left : dc.state.rcClip.left;
        rc.top = rc.top > dc.state.rcClip.top ? rc.top : dc.state.rcClip.top;
        rc.right = rc.right < dc.state.rcClip.right ? rc.right : dc.state.rcClip.right;
        rc.bottom = rc.bottom < dc.state.rcClip.bottom ? rc.bottom : dc.state.rcClip.bottom;
    }
    return rc;
}

inline bool InRect(const RECT& rc, LONG x, LONG y)
{
    return x >= rc.left && x < rc.right && y >= rc.top && y < rc.bottom;
}

inline BYTE* PixelAddress(const SGdiPixels& px, LONG x, LONG y)
{
    static constexpr LONG BYTES[] = {4, 2, 3};
    return px.pBits + static_cast<std::ptrdiff_t>(y) * px.nPitch +
           static_cast<std::ptrdiff_t>(x) * BYTES[static_cast<int>(px.eFormat)];
}

inline COLORREF ReadPixel(const SGdiPixels& px, LONG x, LONG y)
{
    const BYTE* p = PixelAddress(px, x, y);
    switch (px.eFormat)
    {
    case EGdiPixelFormat::Xrgb32:
        return RGB(p[2], p[1], p[0]);
    case EGdiPixelFormat::Rgb565:
    {
        const unsigned v = p[0] | (p[1] << 8);
        const unsigned r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
        return RGB(static_cast<BYTE>((r << 3) | (r >> 2)), static_cast<BYTE>((g << 2) | (g >> 4)),
                   static_cast<BYTE>((b << 3) | (b >> 2)));
    }
    case EGdiPixelFormat::Bgr24:
        return RGB(p[2], p[1], p[0]);
    }
    return 0;
}

inline void WritePixel(const SGdiPixels& px, LONG x, LONG y, COLORREF c)
{
    BYTE* p = PixelAddress(px, x, y);
    switch (px.eFormat)
    {
    case EGdiPixelFormat::Xrgb32:
        p[0] = GetBValue(c);
        p[1] = GetGValue(c);
        p[2] = GetRValue(c);
        p[3] = 0xFF;
        return;
    case EGdiPixelFormat::Rgb565:
    {
        const unsigned v = ((GetRValue(c) >> 3) << 11) | ((GetGValue(c) >> 2) << 5) | (GetBValue(c) >> 3);
        p[0] = static_cast<BYTE>(v & 0xFF);
        p[1] = static_cast<BYTE>(v >> 8);
        return;
    }
    case EGdiPixelFormat::Bgr24:
        p[0] = GetBValue(c);
        p[1] = GetGValue(c);
        p[2] = GetRValue(c);
        return;
    }
}

/// Mixes a colour into a pixel by a coverage of 0 (none) to 255 (full).
inline void BlendPixel(const SGdiPixels& px, LONG x, LONG y, COLORREF c, unsigned nCoverage)
{
    if (nCoverage >= 255)
    {
        WritePixel(px, x, y, c);
        return;
    }
    const COLORREF d = ReadPixel(px, x, y);
    const auto mix = [nCoverage](unsigned s, unsigned t)
    { return static_cast<BYTE>((t * (255 - nCoverage) + s * nCoverage + 127) / 255); };
    WritePixel(px, x, y,
               RGB(mix(GetRValue(c), GetRValue(d)), mix(GetGValue(c), GetGValue(d)), mix(GetBValue(c), GetBValue(d))));
}

/// Fills a device rectangle, clipped to the context's visible area.
void FillDeviceRect(const HDC__& dc, RECT rc, COLORREF c);
