#include "platform/mfc/BitmapButton.h"

#include "platform/mfc/Dialog.h"

BOOL CBitmapButton::SubclassDlgItem(UINT nID, CDialog* pParent)
{
    m_bPushed = FALSE;
    return CBoundControl::SubclassDlgItem(nID, pParent);
}

void CBitmapButton::SizeToContent()
{
    BITMAP bm{};
    if (m_hWnd == nullptr || m_bitmap.GetSafeHandle() == nullptr || m_bitmap.GetBitmap(&bm) == 0)
        return;
    SetWindowPos(nullptr, 0, 0, bm.bmWidth, bm.bmHeight, SWP_NOMOVE | SWP_NOZORDER);
}

void CBitmapButton::DrawItem(const DRAWITEMSTRUCT* pDrawItem)
{
    const CBitmap* pLook = &m_bitmap;
    if ((pDrawItem->itemState & ODS_DISABLED) != 0)
        pLook = &m_bitmapDisabled;
    else if ((pDrawItem->itemState & ODS_SELECTED) != 0)
        pLook = &m_bitmapSel;
    else if ((pDrawItem->itemState & ODS_FOCUS) != 0)
        pLook = &m_bitmapFocus;
    if (pLook->GetSafeHandle() == nullptr)
        pLook = &m_bitmap;
    BITMAP bm{};
    if (pLook->GetSafeHandle() == nullptr || pLook->GetBitmap(&bm) == 0)
        return;
    HDC hMemDC = CreateCompatibleDC(pDrawItem->hDC);
    HGDIOBJ hOld = SelectObject(hMemDC, pLook->GetSafeHandle());
    const RECT& rc = pDrawItem->rcItem;
    BitBlt(pDrawItem->hDC, rc.left, rc.top, std::min<LONG>(bm.bmWidth, rc.right - rc.left),
           std::min<LONG>(bm.bmHeight, rc.bottom - rc.top), hMemDC, 0, 0, SRCCOPY);
    SelectObject(hMemDC, hOld);
    DeleteDC(hMemDC);
}
