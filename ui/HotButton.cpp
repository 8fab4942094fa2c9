#include "ui/HotButton.h"

#include "platform/mfc/AfxResource.h"

void CHotButton::SetCursorName(LPCSTR szName, BOOL bSystem)
{
    if (HCURSOR hCursor = LoadCursor(bSystem != 0 ? nullptr : AfxGetResourceHandle(), szName); hCursor != nullptr)
        m_hCursor = hCursor;
}

bool CHotButton::OnDialogSetCursor()
{
    ::SetCursor(m_hCursor != nullptr ? m_hCursor : LoadCursor(nullptr, IDC_ARROW));
    return true;
}
