#include "ui/SkinList.h"

#include "foundation/GlobalOrder.h"

#include <algorithm>

VORN_GLOBAL_ROW(GLOBAL_ROW_BANNER, 0) CSkinList g_BannerList;

namespace
{
std::string Trimmed(const std::string& str)
{
    const std::size_t nFirst = str.find_first_not_of(' ');
    if (nFirst == std::string::npos)
        return {};
    return str.substr(nFirst, str.find_last_not_of(' ') - nFirst + 1);
}
} // namespace

CSkinCtrl::CSkinCtrl(CWnd* pParent, const RECT* pRect, int nType, const char* szText)
    : m_nType(nType), m_strText(szText != nullptr ? szText : ""), m_pParent(pParent)
{
    if (pRect != nullptr)
        m_rect = *pRect;
}

void CSkinCtrl::SetRect(int nLeft, int nTop, int nRight, int nBottom)
{
    m_rect = RECT{nLeft, nTop, nRight, nBottom};
    Move(nLeft, nTop);
    Size(nRight - nLeft, nBottom - nTop);
}

void CSkinCtrl::Move(int x, int y)
{
    const LONG nWidth = m_rect.right - m_rect.left;
    const LONG nHeight = m_rect.bottom - m_rect.top;
    m_rect = RECT{x, y, x + nWidth, y + nHeight};
}

void CSkinCtrl::Size(int nWidth, int nHeight)
{
    m_rect.right = m_rect.left + nWidth;
    m_rect.bottom = m_rect.top + nHeight;
}

CSkinList::CSkinList(CWnd* pParent, const RECT* pRect, int nType, const char* szText)
    : CSkinCtrl(pParent, pRect, nType, szText)
{
    if (pRect != nullptr)
        m_title.m_rect = *pRect;
}

void CSkinList::SetTitle(const RECT& rc, const char* szText)
{
    m_title.SetRect(rc.left, rc.top, rc.right, rc.bottom);
    m_title.m_strText = szText != nullptr ? szText : "";
}

void CSkinList::ResetContent()
{
    m_aLines.RemoveAll();
    m_nSelection = -1;
    m_nTopIndex = 0;
    m_nSpare = 0;
}

SIZE CSkinList::Measure(HDC hDC, const std::string& strText)
{
    if (strText.empty() || hDC == nullptr)
        return SIZE{0, 0};
    const HGDIOBJ hOldFont = SelectObject(hDC, m_font.GetSafeHandle());
    const COLORREF crOld = SetTextColor(hDC, m_crText);
    const int nOldMode = SetBkMode(hDC, TRANSPARENT);
    RECT rc{0, 0, 0, 0};
    DrawText(hDC, strText.c_str(), static_cast<int>(strText.size()), &rc, DT_CALCRECT | DT_NOCLIP);
    SetBkMode(hDC, nOldMode);
    SetTextColor(hDC, crOld);
    SelectObject(hDC, hOldFont);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

int CSkinList::AddString(HDC hDC, const char* szText)
{
    std::string strRest = szText != nullptr ? szText : "";
    const LONG nAvailable = (m_rect.right - m_rect.left) - 2 * m_nLineHeight;
    // With no room for a character every line would be empty and the text never used up.
    if (strRest.empty() || nAvailable <= 0)
        return -1;
    int nLast = -1;
    for (bool bFirst = true;; bFirst = false)
    {
        strRest = Trimmed(strRest);
        if (strRest.empty()) // the text ended in spaces after a break
            return nLast;
        // Lines after the first are measured with the space they follow.
        const std::string strMeasured = bFirst ? strRest : " " + strRest;
        const LONG nWidth = Measure(hDC, strMeasured).cx;
        if (nWidth <= 0)
            return nLast;
        if (nWidth <= nAvailable)
            return m_aLines.Add(CString(strRest.c_str()));
        const auto nLength = static_cast<long long>(strRest.size());
        // At least one character a line, so that the text is used up.
        const auto nFit = static_cast<std::size_t>(std::clamp<long long>(nLength * nAvailable / nWidth, 1, nLength));
        const std::size_t nSpace = strRest.rfind(' ', nFit - 1);
        const std::size_t nBreak = nSpace != std::string::npos && nSpace > 0 ? nSpace : nFit;
        nLast = m_aLines.Add(CString(strRest.substr(0, nBreak).c_str()));
        strRest = strRest.substr(nBreak);
    }
}

int CSkinList::GetVisibleLines(HDC hDC)
{
    if (hDC == nullptr || GetCount() == 0)
        return m_nVisibleLines;
    RECT rcArea = m_rect;
    if (!m_title.m_strText.IsEmpty())
        rcArea.top = m_title.m_rect.bottom;
    const LONG nHeight = Measure(hDC, m_aLines[0].GetString()).cy;
    if (nHeight <= 0) // nothing to divide by: keep the last count
        return m_nVisibleLines;
    m_nLineHeight = static_cast<int>(nHeight);
    rcArea.bottom -= nHeight;
    m_nVisibleLines = std::max<int>(0, static_cast<int>((rcArea.bottom - rcArea.top) / nHeight));
    return m_nVisibleLines;
}

int CSkinList::SetTopIndex(int nIndex)
{
    m_nTopIndex = nIndex < 0 ? std::max(0, GetCount() - m_nVisibleLines) : nIndex;
    return m_nTopIndex;
}
