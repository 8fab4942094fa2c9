// The main frame's views: the width a zooming flight moves the view towards, the camera's box,
// and the window minimised.
#include "app/MainFrame.h"

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

void CMainFrame::SetCameraBoundsFirst(float fValue) { m_rackScene.SetCameraBoundsFirst(fValue); }

void CMainFrame::MinimizeWindow() { ShowWindow(SW_MINIMIZE); }
