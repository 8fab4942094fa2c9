// The framework's device context: a thin owner of an HDC whose members call GDI.
#pragma once

#include "platform/win32/Gdi.h"

class CGdiObject;

class CDC
{
public:
    CDC() = default;
    /// Deletes a context made by CreateCompatibleDC; an attached one is only let go.
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    BOOL CreateCompatibleDC(CDC* pDC);
    BOOL DeleteDC();
    /// Takes a context made elsewhere (a surface's GetDC, GetDC(NULL)) without owning it.
    BOOL Attach(HDC hDC);
    HDC Detach();
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    HGDIOBJ SelectObject(CGdiObject* pObject);
    HGDIOBJ SelectObject(HGDIOBJ hObject) { return ::SelectObject(m_hDC, hObject); }
    HGDIOBJ SelectStockObject(int nIndex) { return ::SelectObject(m_hDC, GetStockObject(nIndex)); }
    COLORREF SetTextColor(COLORREF crColor) { return ::SetTextColor(m_hDC, crColor); }
    COLORREF SetBkColor(COLORREF crColor) { return ::SetBkColor(m_hDC, crColor); }
    int SetBkMode(int nMode) { return ::SetBkMode(m_hDC, nMode); }
    POINT SetViewportOrg(int x, int y);
    int IntersectClipRect(const RECT& rc) { return ::IntersectClipRect(m_hDC, rc.left, rc.top, rc.right, rc.bottom); }
    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int nSavedDC) { return ::RestoreDC(m_hDC, nSavedDC); }

    POINT MoveTo(int x, int y);
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL Polyline(const POINT* pPoints, int nCount) { return ::Polyline(m_hDC, pPoints, nCount); }
    BOOL Ellipse(int nLeft, int nTop, int nRight, int nBottom)
    {
        return ::Ellipse(m_hDC, nLeft, nTop, nRight, nBottom);
    }
    BOOL Rectangle(int nLeft, int nTop, int nRight, int nBottom)
    {
        return ::Rectangle(m_hDC, nLeft, nTop, nRight, nBottom);
    }
    void FillRect(const RECT* pRect, HBRUSH hBrush) { ::FillRect(m_hDC, pRect, hBrush); }
    BOOL PatBlt(int x, int y, int nWidth, int nHeight, DWORD dwRop)
    {
        return ::PatBlt(m_hDC, x, y, nWidth, nHeight, dwRop);
    }
    BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrc, int xSrc, int ySrc, DWORD dwRop);
    BOOL StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrc, int xSrc, int ySrc, int nSrcWidth, int nSrcHeight,
                    DWORD dwRop);

    int DrawText(LPCSTR szText, int nCount, RECT* pRect, UINT nFormat)
    {
        return ::DrawText(m_hDC, szText, nCount, pRect, nFormat);
    }
    SIZE GetTextExtent(LPCSTR szText, int nCount) const;
    BOOL GetTextMetrics(TEXTMETRIC* pMetrics) const { return ::GetTextMetrics(m_hDC, pMetrics); }
    BOOL TextOut(int x, int y, LPCSTR szText, int nCount) { return ::TextOut(m_hDC, x, y, szText, nCount); }

    HDC m_hDC = nullptr;

private:
    bool m_bOwned = false;
};
