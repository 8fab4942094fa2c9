// The framework's wrappers of GDI objects (bitmaps, pens, brushes, fonts): an object owns its
// handle and deletes it at the end of its life.
#pragma once

#include "platform/win32/Gdi.h"

class CGdiObject
{
public:
    CGdiObject() = default;
    virtual ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    /// Takes ownership of a handle; FALSE when the object already holds one or the handle is null.
    BOOL Attach(HGDIOBJ hObject);
    /// Gives the handle up without deleting it.
    HGDIOBJ Detach();
    /// Deletes the held object; FALSE when there is none.
    BOOL DeleteObject();
    HGDIOBJ GetSafeHandle() const { return m_hObject; }

    HGDIOBJ m_hObject = nullptr;
};

class CBitmap : public CGdiObject
{
public:
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    int GetBitmap(BITMAP* pBitmap) const { return GetObject(m_hObject, sizeof(BITMAP), pBitmap); }
    BOOL CreateCompatibleBitmap(HDC hDC, int nWidth, int nHeight)
    {
        return Attach(::CreateCompatibleBitmap(hDC, nWidth, nHeight));
    }
};

class CPen : public CGdiObject
{
public:
    CPen() = default;
    CPen(int nStyle, int nWidth, COLORREF crColor) { CreatePen(nStyle, nWidth, crColor); }
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
    BOOL CreatePen(int nStyle, int nWidth, COLORREF crColor) { return Attach(::CreatePen(nStyle, nWidth, crColor)); }
};

class CBrush : public CGdiObject
{
public:
    CBrush() = default;
    explicit CBrush(COLORREF crColor) { CreateSolidBrush(crColor); }
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
    BOOL CreateSolidBrush(COLORREF crColor) { return Attach(::CreateSolidBrush(crColor)); }
};

class CFont : public CGdiObject
{
public:
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
    BOOL CreateFontIndirect(const LOGFONT* pLogFont) { return Attach(::CreateFontIndirect(pLogFont)); }
    /// The font's description; 0 when there is no font.
    int GetLogFont(LOGFONT* pLogFont) const { return GetObject(m_hObject, sizeof(LOGFONT), pLogFont); }
};
