// The stroke's mouse controls of the main frame: the fine aim of the control bar's english ball
// (panel codes 57 and 58) and, in the overhead view, the mouse area's aim and power control (61 to
// 66): a press near the cue on the screen takes the power control, a right drag draws the cue back
// by the distance from the cue ball, its release strikes, and a left drag turns the cue towards
// the cursor.
#include "app/FrameCallShot.h"
#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "gameflow/AimSteps.h"
#include "gameflow/CuePlacement.h"
#include "gameflow/FlowCamera.h"
#include "gameflow/GameFlow.h"
#include "platform/win32/MessageBox.h"
#include "render/Environment3D.h"
#include "ui/ClickPanels.h"
#include "ui/ControlBar.h"
#include "ui/GameWidgets.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>

namespace
{
/// The english marker's offset in pixels times this is the cue tip's offset on the ball's face.
constexpr float FINE_AIM_SCALE = 2.94f;
/// The cue tip's offsets stay within this, as the english mode keeps them.
constexpr float MAX_TIP_OFFSET = 50.0f;
/// The beep of a fine aim refused while the cue strokes.
constexpr UINT STROKE_BEEP = 0x0FFFFFFF;
/// A press takes the power control within this many pixels of the cue on the screen, and this
/// far beyond its ends.
constexpr float CUE_HIT_DISTANCE = 30.0f;
constexpr float CUE_HIT_BEYOND = 20.0f;
/// The control bar's tip that calls the shot.
constexpr int TIP_CALL_SHOT = 2;
/// The step sounds of the drawn-back cue: thirteen, soft to hard.
constexpr int POWER_STEP_SOUNDS[] = {3007, 3008, 3009, 3010, 3011, 3012, 3013, 3014, 3000, 3001, 3002, 3003, 3015};
constexpr int LAST_POWER_STEP = static_cast<int>(std::size(POWER_STEP_SOUNDS)) - 1;

/// A client point as a float pair.
CVector3 ToScreenPoint(POINT pt) { return CVector3(static_cast<float>(pt.x), static_cast<float>(pt.y), 0.0f); }

/// Whether p lies within fDistance of the segment a-b and at most fBeyond past either end.
bool IsNearSegment(const CVector3& p, const CVector3& a, const CVector3& b, float fDistance, float fBeyond)
{
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float fLength = std::hypot(dx, dy);
    if (fLength <= 0.0f)
        return std::hypot(p.x - a.x, p.y - a.y) <= fDistance;
    // Along the segment from a, and across it.
    const float fAlong = ((p.x - a.x) * dx + (p.y - a.y) * dy) / fLength;
    const float fAcross = std::fabs((p.x - a.x) * dy - (p.y - a.y) * dx) / fLength;
    return fAcross <= fDistance && fAlong >= -fBeyond && fAlong <= fLength + fBeyond;
}
} // namespace

bool CMainFrame::ProjectCueBall(CVector3& vScreen) const
{
    CVector3 vBall;
    if (!m_pGameFlow->GetBallScenePosition(CueBallNumber(), vBall))
        return false;
    ProjectToScreen(&vScreen, &vBall);
    return vScreen.z > 0.0f && vScreen.z < 1.0f;
}

int CMainFrame::CueBallNumber() const
{
    const CReferee* pReferee = m_pGameFlow->GetReferee();
    return pReferee != nullptr ? pReferee->GetCueBall() : 0;
}

bool CMainFrame::IsNearCueOnScreen(POINT ptCursor)
{
    // The cue runs from the cue ball back along its direction for its length.
    ICueScene& cue = *GetCueScene();
    CVector3 vBall;
    if (!cue.GetCueBallCentre(vBall))
        return false;
    const SCuePose pose = cue.GetCuePose();
    const CVector3 vButt = vBall - pose.vDirection * (cue.GetCueLength() + cue.GetPullBack());
    CVector3 vA, vB;
    ProjectToScreen(&vA, &vBall);
    ProjectToScreen(&vB, &vButt);
    return IsNearSegment(ToScreenPoint(ptCursor), vA, vB, CUE_HIT_DISTANCE, CUE_HIT_BEYOND);
}

void CMainFrame::FineAim(int nCode, LPARAM lParam)
{
    CGameFlow& flow = *m_pGameFlow;
    if (IsComputerToPlay())
    {
        g_controlBar.ClearPair();
        return;
    }
    if (HasGameFlag(gmShotRunning) || !flow.HasCueBall())
        return;
    if (HasGameFlag(gmStroking))
    {
        MessageBeep(STROKE_BEEP);
        return;
    }
    // The bar sends where its marker lies on the ball, so the tip is set from it, not moved by it.
    float& fTip = nCode == CMD_ENGLISH_X ? flow.Cue().fTipX : flow.Cue().fTipY;
    const float fNew =
        std::clamp(-static_cast<float>(static_cast<LONG>(lParam)) * FINE_AIM_SCALE, -MAX_TIP_OFFSET, MAX_TIP_OFFSET);
    const bool bChanged = fNew != fTip;
    fTip = fNew;
    if (bChanged)
        UpdateAimPreview();
    AlignCue();
}

void CMainFrame::OnMouseAreaCommand(int nCode)
{
    const bool bOverhead = g_Settings.m_nOverHeadView != 0;
    switch (nCode)
    {
    case CMD_AREA_LEFT_UP:
        m_bPowerControlActive = false;
        break;
    case CMD_AREA_RIGHT_UP:
        m_bPowerControlActive = false;
        if (bOverhead)
            StrikeByPowerControl();
        break;
    case CMD_AREA_LEFT_DOWN:
    case CMD_AREA_RIGHT_DOWN:
        if (bOverhead)
            TakePowerControl(nCode == CMD_AREA_LEFT_DOWN);
        break;
    case CMD_AREA_RIGHT_DRAG:
        if (bOverhead && g_mouseArea.m_nRightDragActive != 0)
            DrawCueBack();
        break;
    case CMD_AREA_LEFT_DRAG:
        if (bOverhead && !IsComputerToPlay())
            AimByMouse();
        break;
    default:
        break;
    }
}

void CMainFrame::TakePowerControl(bool bLeft)
{
    if (HasMode(modeBallInHand) || !IsNearCueOnScreen(GetClientCursor(m_hWnd)))
        return;
    m_bPowerControlActive = true;
    g_controlBar.SetMode(0);
    // The left press arms the aim by drags; the right one the drawing back.
    if (bLeft)
        g_mouseArea.SetArmed(1);
    else
        g_mouseArea.m_nRightDragActive = 1;
}

void CMainFrame::AimByMouse()
{
    if (HasMode(modeCallShot))
    {
        if (g_controlBar.GetMode() == 0)
            g_controlBar.SetMode(TIP_CALL_SHOT);
        return;
    }
    if (g_controlBar.GetMode() == TIP_CALL_SHOT)
        g_controlBar.SetMode(0);
    g_controlBar.m_bPressed = 0;
    CVector3 vBall;
    if (g_mouseArea.IsArmed() == 0 || !ProjectCueBall(vBall))
        return;
    const POINT pt = GetClientCursor(m_hWnd);
    const double dAim = std::atan2(pt.y - static_cast<double>(vBall.y), pt.x - static_cast<double>(vBall.x));
    m_pGameFlow->Cue().fAim = NormalizeYaw(static_cast<float>(dAim * 180.0 / std::numbers::pi));
    AlignCue();
    if (pt.x != m_ptLastAimCursor.x || pt.y != m_ptLastAimCursor.y)
    {
        m_ptLastAimCursor = pt;
        UpdateAimPreview();
    }
}

void CMainFrame::DrawCueBack()
{
    CGameFlow& flow = *m_pGameFlow;
    SCueStroke& cue = flow.Cue();
    const POINT pt = GetClientCursor(m_hWnd);
    CVector3 vBall, vAt;
    const float fScale = flow.GetBallScreenScale(CueBallNumber());
    if (!IsNearCueOnScreen(pt) || !ProjectCueBall(vBall) || !flow.GetBallScenePosition(CueBallNumber(), vAt) ||
        fScale <= 0.0f || cue.fMax <= 0.0f)
        return;
    // The cursor's distance from the cue ball, in quarters of the ball's size on the screen.
    const float fRatio = std::hypot(pt.x - vBall.x, pt.y - vBall.y) / (fScale / 4.0f);
    const float fOld = cue.fPullBack;
    cue.fPullBack = std::clamp(fRatio * (cue.fMax / 2.0f), cue.fMin, std::max(cue.fMin, cue.fMax / 2.0f));
    const bool bShown = cue.fPullBack / cue.fMax >= MIN_POWER_SHARE;
    g_controlBar.SetValue(bShown ? cue.fPullBack / (cue.fMax / 2.0f) : 0.0);
    if (cue.fPullBack != fOld)
    {
        const int nStep = std::clamp(static_cast<int>(std::lround(fRatio * 10.0f)), 0, LAST_POWER_STEP);
        PlayGameSound(POWER_STEP_SOUNDS[nStep], vAt);
    }
    AlignCue();
}

void CMainFrame::HideStrokeWidgets()
{
    // The corner panels and the side bars give the table to the shot.
    for (CWidget* pWidget :
         std::initializer_list<CWidget*>{&g_webPanel, &g_creditsPanel, &g_commentsPanel, &g_leftBar, &g_rightBar})
        if (pWidget->IsVisible())
            pWidget->Hide();
}

void CMainFrame::StrikeByPowerControl()
{
    const SCueStroke& cue = m_pGameFlow->Cue();
    if (!(cue.fMax > 0.0f) || cue.fPullBack / cue.fMax < MIN_POWER_SHARE)
        return;
    HideStrokeWidgets();
    g_controlBar.SetMode(0);
    m_pGameFlow->StrikeCueBall();
    m_pGameFlow->SetGameMode(GetReturnMode());
}
