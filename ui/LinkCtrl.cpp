#include "ui/LinkCtrl.h"

#include "platform/win32/WindowTable.h"

#include <string>

namespace
{
constexpr UINT LABEL_FORMAT = DT_LEFT | DT_WORDBREAK | DT_NOPREFIX;
constexpr char ELLIPSIS[] = "...";

// The height the text takes wrapped to nWidth pixels.
LONG WrappedHeight(HDC hDC, const std::string& str, LONG nWidth)
{
    RECT rc{0, 0, nWidth, 0};
    DrawText(hDC, str.c_str(), static_cast<int>(str.size()), &rc, LABEL_FORMAT | DT_CALCRECT);
    return rc.bottom;
}
/// The text shortened to fit the rectangle wrapped on words. A path keeps its beginning and its last
/// part (from the last separator on) with the ellipsis between, so the file it names stays readable;
/// where even the last part does not fit, or there is no separator, the beginning is kept, cut after
/// a word where possible, and the ellipsis ends it.
std::string Shortened(HDC hDC, const std::string& strText, const RECT& rc)
{
    const auto fits = [&](const std::string& str)
    { return WrappedHeight(hDC, str, rc.right - rc.left) <= rc.bottom - rc.top; };
    std::string strEnd = ELLIPSIS;
    if (const std::size_t nSeparator = strText.find_last_of("\\/");
        nSeparator != std::string::npos && nSeparator > 0 && fits(ELLIPSIS + strText.substr(nSeparator)))
        strEnd += strText.substr(nSeparator);
    const bool bPath = strEnd.size() > sizeof ELLIPSIS - 1;
    // The longest beginning that fits with the end after it.
    std::size_t nLow = 0;
    std::size_t nHigh = strText.size() - (strEnd.size() - (sizeof ELLIPSIS - 1));
    while (nLow < nHigh)
    {
        const std::size_t nMid = (nLow + nHigh + 1) / 2;
        if (fits(strText.substr(0, nMid) + strEnd))
            nLow = nMid;
        else
            nHigh = nMid - 1;
    }
    std::size_t nCut = nLow;
    if (const std::size_t nSpace = strText.rfind(' ', nLow);
        !bPath && nLow < strText.size() && nSpace != std::string::npos && nSpace > 0)
        nCut = nSpace;
    return strText.substr(0, nCut) + strEnd;
}
} // namespace

CLinkCtrl::CLinkCtrl() : m_crText(GetSysColor(COLOR_WINDOWTEXT)) {}

CLinkCtrl::~CLinkCtrl()
{
    if (m_bOwnBrush)
        DeleteObject(m_hBackground);
}

CLinkCtrl& CLinkCtrl::SetText(const CString& strText)
{
    ::SetWindowText(m_hWnd, strText.GetString());
    return *this;
}

CLinkCtrl& CLinkCtrl::SetTextColor(COLORREF crText)
{
    m_crText = crText;
    return RedrawNow();
}

CLinkCtrl& CLinkCtrl::SetBold(bool bBold)
{
    m_font.SetBold(bBold ? TRUE : FALSE);
    return RedrawNow();
}

CLinkCtrl& CLinkCtrl::SetUnderline(BYTE nUnderline)
{
    m_font.SetUnderline(nUnderline);
    return RedrawNow();
}

CLinkCtrl& CLinkCtrl::SetFontSize(int n)
{
    m_font.SetHeight(n);
    return RedrawNow();
}

CLinkCtrl& CLinkCtrl::SetFontName(const CString& strName)
{
    m_font.SetFaceName(strName.GetString());
    return RedrawNow();
}

CLinkCtrl& CLinkCtrl::RedrawNow()
{
    // The new look shows at once, even when the caller goes on working before the next message.
    if (m_hWnd != nullptr)
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return *this;
}

CLinkCtrl& CLinkCtrl::SetTransparent(bool bTransparent)
{
    if (bTransparent == m_bTransparent)
        return *this;
    if (m_bOwnBrush)
        DeleteObject(m_hBackground);
    m_bOwnBrush = !bTransparent;
    m_hBackground =
        bTransparent ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)) : CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    m_bTransparent = bTransparent;
    return *this;
}

CLinkCtrl& CLinkCtrl::FitPathText()
{
    RECT rc;
    GetWindowRect(&rc);
    const std::string strText = GetText().GetString();
    HDC hDC = CreateCompatibleDC(nullptr);
    HGDIOBJ hOld = SelectObject(hDC, m_font.GetSafeHandle());
    if (WrappedHeight(hDC, strText, rc.right - rc.left) > rc.bottom - rc.top)
        SetText(CString(Shortened(hDC, strText, rc)));
    SelectObject(hDC, hOld);
    DeleteDC(hDC);
    return *this;
}

void CLinkCtrl::DrawItem(const DRAWITEMSTRUCT* pDrawItem)
{
    HDC hDC = pDrawItem->hDC;
    RECT rc = pDrawItem->rcItem;
    if (m_hBackground != nullptr && !m_bTransparent)
        FillRect(hDC, &rc, m_hBackground);
    HGDIOBJ hOld = SelectObject(hDC, m_font.GetSafeHandle());
    ::SetTextColor(hDC, m_crText);
    SetBkMode(hDC, TRANSPARENT);
    const std::string strText = GetText().GetString();
    DrawText(hDC, strText.c_str(), static_cast<int>(strText.size()), &rc, LABEL_FORMAT);
    SelectObject(hDC, hOld);
}
