#include "ui/LabelStatic.h"

#include <string>

namespace
{
constexpr COLORREF LABEL_TEXT = RGB(235, 235, 133);
} // namespace

void CLabelStatic::DrawItem(const DRAWITEMSTRUCT* pDrawItem)
{
    HDC hDC = pDrawItem->hDC;
    RECT rc = pDrawItem->rcItem;
    // The item rectangle is in the dialog's coordinates already: clip the dialog's erase to it.
    const int nSaved = SaveDC(hDC);
    IntersectClipRect(hDC, rc.left, rc.top, rc.right, rc.bottom);
    ::SendMessage(GetParent(m_hWnd), WM_ERASEBKGND, reinterpret_cast<WPARAM>(hDC), 0);
    RestoreDC(hDC, nSaved);
    m_font.SetHeavy16();
    HGDIOBJ hOldFont = SelectObject(hDC, m_font.GetSafeHandle());
    const int nOldMode = SetBkMode(hDC, TRANSPARENT);
    const COLORREF crOld = SetTextColor(hDC, LABEL_TEXT);
    const std::string strText = GetWindowText().GetString();
    DrawText(hDC, strText.c_str(), static_cast<int>(strText.size()), &rc,
             m_bCentred != 0 ? DT_SINGLELINE | DT_CENTER | DT_VCENTER : DT_WORDBREAK);
    SetTextColor(hDC, crOld);
    SetBkMode(hDC, nOldMode);
    SelectObject(hDC, hOldFont);
}
