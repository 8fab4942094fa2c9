#include "ui/HotSpot.h"

#include "platform/win32/Clock.h"

CHotSpot* CHotSpot::s_pActive = nullptr;
DWORD CHotSpot::s_dwActiveTime = 0;
int CHotSpot::s_nPendingCommand = -1;

CHotSpot::CHotSpot(CWidget* pOwner) : m_pOwner(pOwner) { ClearActive(); }

CHotSpot::~CHotSpot()
{
    if (s_pActive == this)
        ClearActive();
}

void CHotSpot::ClearActive()
{
    s_pActive = nullptr;
    s_dwActiveTime = 0;
}

BOOL CHotSpot::HitTest(LONG x, LONG y, int* pResult)
{
    const RECT& rc = m_rcButton;
    if (x < rc.left || x >= rc.right || y < rc.top || y >= rc.bottom)
    {
        *pResult = 0;
        return FALSE;
    }
    if (m_nHovered == 0)
    {
        if (s_pActive != nullptr)
            s_pActive->m_nHovered = 0;
        m_nHovered = 1;
        const LONG w = m_rcTipSource.right - m_rcTipSource.left;
        const LONG h = m_rcTipSource.bottom - m_rcTipSource.top;
        const LONG nLeft = rc.left + (rc.right - rc.left) / 2 - w / 2;
        m_rcTooltip = RECT{nLeft, rc.top - h + TOOLTIP_OVERLAP, nLeft + w, rc.top + TOOLTIP_OVERLAP};
        s_pActive = this;
        s_dwActiveTime = timeGetTime();
    }
    *pResult = 1;
    return TRUE;
}
