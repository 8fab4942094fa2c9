// The main frame's keyboard and mouse as the game flow reads them: the DirectInput devices the
// frame read this frame, handed over as one reading with the camera's settings as they stand, and
// the focus, the beep and the "DrawLevel" switch of the window.
#include "app/CommandRules.h"
#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "media/DirectInputDevices.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/MessageBox.h"
#include "render/D3DFramework.h"
#include "render/Picking.h"
#include "render/SceneObject.h"
#include "render/TableSpace.h"
#include "simulation/Ball.h"

#include <vector>

void CMainFrame::ReadFlowInput(SFlowInput& input)
{
    input.nPressedKey = g_DIKeyboard.GetDIPressedKey();
    for (int nKey = 1; nKey < static_cast<int>(input.keys.size()); ++nKey)
        input.keys.set(static_cast<std::size_t>(nKey), g_DIKeyboard.IsDIKeyDown(nKey) != 0);
    input.nMouseX = static_cast<int>(g_DIMouse.GetX());
    input.nMouseY = static_cast<int>(g_DIMouse.GetY());
    input.bRightDown = g_DIMouse.IsRightDown() != FALSE;
    input.bLeftReleased = g_DIMouse.WasLeftReleased() != FALSE;
    input.bRightReleased = g_DIMouse.WasRightReleased() != FALSE;
    input.bRightDoubleClick = g_DIMouse.IsRightDoubleClick() != FALSE;

    // The handlers read the camera's settings and the view's scale as they stand this tick.
    SFlowSettings& flow = m_pGameFlow->Settings();
    flow.nCameraMotion = g_Settings.m_nCameraMotion;
    flow.nViewType = g_Settings.m_nViewType;
    flow.nDrawLevel = g_Settings.m_nDrawLevel;
    if (g_fBallPixelSize > 0.0f)
        m_pGameFlow->SetScreenScale(g_fBallPixelSize);
}

bool CMainFrame::HasFocus() { return ::GetFocus() == m_hWnd; }

void CMainFrame::Beep() { MessageBeep(static_cast<UINT>(-1)); }

bool CMainFrame::CanAcceptCommand()
{
    if (IsRuleMet(ECommandRule::R1, GetCommandState()))
        return true;
    Beep();
    return false;
}

void CMainFrame::OnPanelAction()
{
    if (!IsRuleMet(ECommandRule::R1, GetCommandState()))
        return;
    m_pGameFlow->SetGameMode(modePlaceCueBall);
    RefreshCue();
}

void CMainFrame::ToggleDrawLevel() { SetDrawLevelSwitch(g_Settings.m_nDrawLevel == DRAW_LEVEL_OFF); }

void CMainFrame::SetDrawLevelSwitch(bool bOn)
{
    ApplyPanelSetting(g_Settings.m_nDrawLevel, bOn ? DRAW_LEVEL_ON : DRAW_LEVEL_OFF);
}

int CMainFrame::PickBallUnderCursor()
{
    // The ball's radius in scene units: the engine's metres taken into the scene.
    const float fRadius = (TableToScene(CVector3(GetBallRadius(), 0.0f, 0.0f)) - TableToScene(CVector3())).Length();
    std::vector<SPickBall> balls;
    for (int n = 0; n < REFEREE_BALLS; ++n)
        if (CVector3 v; m_pGameFlow->GetBallScenePosition(n, v))
            balls.push_back(SPickBall{n, v, fRadius});
    // Screen coordinates in full screen, the window's client coordinates in a window.
    POINT pt;
    GetCursorPos(&pt);
    if (m_pFramework == nullptr || !m_pFramework->IsFullscreen())
        ::ScreenToClient(m_hWnd, &pt);
    RECT rcView;
    GetPanelRect(rcView);
    const SPickBall* pBall = m_BallPicker.Highlight(balls, static_cast<float>(pt.x), static_cast<float>(pt.y), rcView);
    return pBall != nullptr ? pBall->nId : -1;
}
