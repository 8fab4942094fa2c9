#include "platform/mfc/Controls.h"

BOOL CChildControl::CreateChild(LPCSTR szClass, LPCSTR szText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                                UINT nID)
{
    WNDCLASS wc;
    wc.lpfnWndProc = &::DefWindowProc;
    wc.lpszClassName = szClass;
    RegisterClass(&wc); // fails harmlessly once registered
    m_nCtrlId = nID;
    return CreateEx(0, szClass, szText, dwStyle | WS_CHILD, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr, nullptr);
}
