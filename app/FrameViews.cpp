// The main frame's views: the width a zooming flight moves the view towards, the wide view of each
// frame, the camera's box, and the window minimised.
#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "gameflow/GameMode.h"
#include "media/DirectInputDevices.h"
#include "render/Environment3D.h"
#include "render/SceneObject.h"

#include <cstdio>

namespace
{
/// The scene object left out of the wide view.
constexpr int KIND_NARROW_VIEW_ONLY = 0x100;
} // namespace

float CMainFrame::GetViewWidthFactor()
{
    RECT rc{};
    ::GetClientRect(m_hWnd, &rc);
    const auto fWidth = static_cast<float>(rc.right - rc.left);
    const auto fHeight = static_cast<float>(rc.bottom - rc.top);
    // A window of no size (not yet made, or minimised) gives a 4:3 view's factor.
    if (fWidth <= 0.0f || fHeight <= 0.0f)
        return IFlowHost::GetViewWidthFactor();
    return 1.333f / (fWidth / fHeight) * 0.7f;
}

int CMainFrame::ApplyWideView(int nFlags)
{
    bool bKey = g_DIKeyboard.IsDIKeyDown(DIK_X) != 0;
    // A mouse stroke keeps the playing view whatever is held.
    if (bKey && HasMode(modeMouseStroke))
        bKey = false;
    if (bKey != m_bWideViewKey)
        nFlags = 0;
    m_bWideViewKey = bKey;
    // Calling a shot, and the wait that follows it, show the whole table as the top view does.
    const bool bCalling = HasMode(modeCallShot) || (HasMode(modeWaiting) && (g_nPrevGameMode & modeCallShot) != 0);
    const bool bWide = bKey || HasGameFlag(gmKeepView) || bCalling;
    if (CSceneObject* pObject = CSceneObject::FindSceneObjectByKind(KIND_NARROW_VIEW_ONLY); pObject != nullptr)
        pObject->SetEnabled(!bWide && pObject->m_nLevel <= g_Settings.m_nDrawLevel);
    const float fFieldOfView = bWide ? GetViewWidthFactor() : g_fFieldOfView;
    if (fFieldOfView == g_fLastFieldOfView)
        return nFlags;
    SetFieldOfView(fFieldOfView);
    char szLine[64];
    std::snprintf(szLine, sizeof szLine, "View: field of view %.2f\n", static_cast<double>(fFieldOfView));
    OutputDebugString(szLine);
    // Nothing of the last frame's picture can be copied into a view of another width.
    return 0;
}

void CMainFrame::SetCameraBoundsFirst(float fValue) { m_rackScene.SetCameraBoundsFirst(fValue); }

void CMainFrame::MinimizeWindow()
{
    ShowWindow(SW_MINIMIZE);
    OutputDebugString("Window: minimised\n");
}
