#include "platform/mfc/Dc.h"

#include "platform/mfc/Bitmap.h"

CDC::~CDC() { DeleteDC(); }

BOOL CDC::CreateCompatibleDC(CDC* pDC)
{
    if (m_hDC != nullptr)
        return FALSE;
    m_hDC = ::CreateCompatibleDC(pDC != nullptr ? pDC->m_hDC : nullptr);
    m_bOwned = m_hDC != nullptr;
    return m_bOwned ? TRUE : FALSE;
}

BOOL CDC::DeleteDC()
{
    if (m_hDC == nullptr)
        return FALSE;
    const BOOL bDeleted = m_bOwned ? ::DeleteDC(m_hDC) : TRUE;
    m_hDC = nullptr;
    m_bOwned = false;
    return bDeleted;
}

BOOL CDC::Attach(HDC hDC)
{
    if (m_hDC != nullptr || hDC == nullptr)
        return FALSE;
    m_hDC = hDC;
    m_bOwned = false;
    return TRUE;
}

HDC CDC::Detach()
{
    HDC hDC = m_hDC;
    m_hDC = nullptr;
    m_bOwned = false;
    return hDC;
}

HGDIOBJ CDC::SelectObject(CGdiObject* pObject)
{
    return pObject != nullptr ? ::SelectObject(m_hDC, pObject->GetSafeHandle()) : nullptr;
}

POINT CDC::SetViewportOrg(int x, int y)
{
    POINT old;
    ::SetViewportOrgEx(m_hDC, x, y, &old);
    return old;
}

POINT CDC::MoveTo(int x, int y)
{
    POINT old;
    ::MoveToEx(m_hDC, x, y, &old);
    return old;
}

BOOL CDC::BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrc, int xSrc, int ySrc, DWORD dwRop)
{
    return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrc != nullptr ? pSrc->m_hDC : nullptr, xSrc, ySrc, dwRop);
}

BOOL CDC::StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrc, int xSrc, int ySrc, int nSrcWidth,
                     int nSrcHeight, DWORD dwRop)
{
    return ::StretchBlt(m_hDC, x, y, nWidth, nHeight, pSrc != nullptr ? pSrc->m_hDC : nullptr, xSrc, ySrc, nSrcWidth,
                        nSrcHeight, dwRop);
}

SIZE CDC::GetTextExtent(LPCSTR szText, int nCount) const
{
    SIZE size;
    ::GetTextExtentPoint32(m_hDC, szText, nCount, &size);
    return size;
}
