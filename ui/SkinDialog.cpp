#include "ui/SkinDialog.h"

#include "platform/win32/Cursor.h"

CSkinDialog::CSkinDialog(int nIDTemplate, LPCSTR szResourceType, int nResourceId, CWnd* pParent)
    : CDialog(static_cast<UINT>(nIDTemplate) & 0xFFFFu, pParent), m_szResourceType(szResourceType),
      m_nResourceId(nResourceId)
{
}

BOOL CSkinDialog::SetButtonImages(int nSet, UINT nFirst, UINT nSecond, int nThird)
{
    if (nSet != 0 && nSet != 1)
        return FALSE;
    const UINT nFocus = nThird == -1 ? nSecond : static_cast<UINT>(nThird);
    m_abSetLoaded[static_cast<std::size_t>(nSet)] =
        m_aButtons[static_cast<std::size_t>(nSet)].LoadBitmaps(nSecond, nFirst, nFocus, 0);
    return m_abSetLoaded[static_cast<std::size_t>(nSet)];
}

void CSkinDialog::LoadBackgroundResource()
{
    m_background.DeleteObject();
    m_bBackgroundLoaded =
        LoadJpegBitmapResource(&m_background, static_cast<UINT>(m_nResourceId) & 0xFFFFu, m_szResourceType);
    BITMAP bm{};
    if (m_bBackgroundLoaded && m_background.GetBitmap(&bm) != 0)
    {
        m_nWidth = bm.bmWidth;
        m_nHeight = bm.bmHeight;
    }
}

BOOL CSkinDialog::OnInitDialog()
{
    LoadBackgroundResource();
    if (m_bBackgroundLoaded && m_bFitToBackground)
        SetWindowPos(nullptr, 0, 0, m_nWidth, m_nHeight, SWP_NOMOVE | SWP_NOZORDER);
    CDialog::OnInitDialog();
    for (std::size_t i = 0; i < m_aButtons.size(); ++i)
    {
        const UINT nControl = i == 0 ? IDOK : IDCANCEL;
        if (m_abSetLoaded[i] && GetDlgItem(static_cast<int>(nControl)) != nullptr &&
            m_aButtons[i].SubclassDlgItem(nControl, this))
            m_aButtons[i].SizeToContent();
    }
    ShowSystemCursorNow();
    return TRUE;
}

LRESULT CSkinDialog::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_SETCURSOR && m_bShowCursorOnSetCursor)
        ShowSystemCursorNow();
    return CDialog::WindowProc(uMsg, wParam, lParam);
}

void ShowSystemCursorNow()
{
    while (ShowCursor(TRUE) < 0)
    {
    }
}

BOOL CSkinDialog::OnEraseBkgnd(HDC hDC)
{
    if (!m_bBackgroundLoaded || hDC == nullptr)
        return TRUE;
    RECT rc;
    GetClientRect(&rc);
    HDC hMemDC = CreateCompatibleDC(hDC);
    HGDIOBJ hOld = SelectObject(hMemDC, m_background.GetSafeHandle());
    const int nOldMode = SetStretchBltMode(hDC, COLORONCOLOR);
    StretchBlt(hDC, 0, 0, rc.right - rc.left, rc.bottom - rc.top, hMemDC, 0, 0, m_nWidth, m_nHeight, SRCCOPY);
    SetStretchBltMode(hDC, nOldMode);
    SelectObject(hMemDC, hOld);
    DeleteDC(hMemDC);
    return TRUE;
}

void CSkinDialog::CenterOnOwner()
{
    RECT rcOwner{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (m_pParentWnd != nullptr)
        ::GetWindowRect(m_pParentWnd->m_hWnd, &rcOwner);
    RECT rc;
    GetWindowRect(&rc);
    const LONG nWidth = rc.right - rc.left;
    const LONG nHeight = rc.bottom - rc.top;
    SetWindowPos(nullptr, rcOwner.left + (rcOwner.right - rcOwner.left - nWidth) / 2,
                 rcOwner.top + (rcOwner.bottom - rcOwner.top - nHeight) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
