#include "ui/HoverButton.h"

void CHoverButton::OnDialogMouseMove(POINT ptClient)
{
    RECT rc;
    GetWindowRect(&rc);
    const bool bInside =
        ptClient.x >= 0 && ptClient.y >= 0 && ptClient.x < rc.right - rc.left && ptClient.y < rc.bottom - rc.top;
    if (bInside != m_bHovering)
    {
        m_bHovering = bInside;
        SetState(bInside ? TRUE : FALSE);
    }
}

bool CHoverButton::OnDialogSetCursor()
{
    if (m_hCursor == nullptr)
        m_hCursor = LoadCursor(nullptr, IDC_HAND);
    if (m_hCursor == nullptr)
        return false;
    ::SetCursor(m_hCursor);
    return true;
}
