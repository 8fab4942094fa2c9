#include "render/CursorManager.h"

#include "foundation/GlobalOrder.h"
#include "platform/dx/Surface.h"
#include "platform/mfc/AfxResource.h"
#include "platform/win32/Modules.h"
#include "render/D3DFramework.h"
#include "render/Environment3D.h"

VORN_GLOBAL_ROW(GLOBAL_ROW_CURSOR_MANAGER) CCursorManager g_CursorManager;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_CURSOR_MANAGER);

BOOL CCursorManager::SetCursor(HCURSOR hCursor)
{
    m_hCursor = hCursor;
    ICONINFO info;
    if (hCursor != nullptr && GetIconInfo(hCursor, &info))
    {
        m_ptHotSpot = {static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)};
        DeleteObject(info.hbmMask);
        DeleteObject(info.hbmColor);
    }
    m_bValid = hCursor != nullptr ? TRUE : FALSE;
    return m_bValid;
}

BOOL CCursorManager::SetSystemCursor(LPCSTR szId) { return SetCursor(LoadCursor(nullptr, szId)); }

BOOL CCursorManager::ShowSystemCursor(LPCSTR szId)
{
    const BOOL bValid = SetSystemCursor(szId);
    ShowCursorCounted(TRUE);
    return bValid;
}

BOOL CCursorManager::SetPosition(int x, int y)
{
    m_ptPosition = {x, y};
    return TRUE;
}

BOOL CCursorManager::IsSoftwareCursor() const
{
    return m_bValid && g_b3DReady && g_pFramework != nullptr && g_pFramework->IsFullscreen() && !m_bMenuLoop;
}

BOOL CCursorManager::Draw()
{
    if (!IsVisible() || m_hCursor == nullptr || g_pFramework == nullptr || g_pFramework->GetD3DDevice() == nullptr)
        return FALSE;
    const SurfacePtr pTarget = g_pFramework->GetRenderTarget();
    HDC hDC = nullptr;
    if (pTarget == nullptr || FAILED(pTarget->GetDC(&hDC)))
        return FALSE;
    DrawIcon(hDC, m_ptPosition.x - m_ptHotSpot.x, m_ptPosition.y - m_ptHotSpot.y, m_hCursor);
    pTarget->ReleaseDC(hDC);
    return TRUE;
}

namespace
{
/// Brings the system's show count to exactly nTarget, from wherever unbalanced calls left it.
void SetSystemShowCount(int nTarget)
{
    int n = ::ShowCursor(FALSE);
    while (n < nTarget)
        n = ::ShowCursor(TRUE);
    while (n > nTarget)
        n = ::ShowCursor(FALSE);
}
} // namespace

int ShowCursorCounted(BOOL bShow)
{
    CCursorManager& manager = g_CursorManager;
    if (manager.IsSoftwareCursor())
    {
        // The game draws the cursor: the system's stays hidden.
        SetSystemShowCount(-1);
        manager.m_nDisplayCount = bShow ? 0 : -1;
        return manager.m_nDisplayCount;
    }
    manager.m_nDisplayCount = -1;
    SetSystemShowCount(bShow ? 0 : -1);
    return bShow ? 0 : -1;
}

void SelectLibraryCursor(int nId)
{
    HCURSOR hCursor = LoadCursor(AfxGetResourceHandle(), MAKEINTRESOURCE(static_cast<WORD>(nId)));
    g_CursorManager.SetCursor(hCursor);
    if (hCursor == nullptr)
        hCursor = LoadCursor(nullptr, IDC_ARROW);
    if (hCursor != GetCursor())
        ::SetCursor(hCursor);
}
