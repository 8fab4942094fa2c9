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
#include <numbers>

namespace
{
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
    const float fNew = std::clamp(-static_cast<float>(static_cast<LONG>(lParam)) * ENGLISH_TIP_PER_PIXEL,
                                  -MAX_TIP_OFFSET, MAX_TIP_OFFSET);
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
        ReleasePowerControl();
        break;
    case CMD_AREA_RIGHT_UP:
        ReleasePowerControl();
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
    // A press on the bar's menu button or an open menu's row is the bar's, never a stroke.
    const POINT pt = GetClientCursor(m_hWnd);
    const int nElement = g_controlBar.IsVisible() ? g_controlBar.HitElement(pt.x, pt.y) : -1;
    const bool bOnMenu = nElement == 0 || (nElement > 0 && CWidget::IsMenuOpen());
    if (HasMode(modeBallInHand) || bOnMenu || !IsNearCueOnScreen(pt))
        return;
    m_bPowerControlActive = true;
    // The frame runs the drag: the bar takes no press or move until it is let go.
    g_controlBar.m_nInputLocked = 1;
    g_controlBar.SetMode(0);
    // The left press arms the aim by drags; the right one the drawing back.
    if (bLeft)
        g_mouseArea.SetArmed(1);
    else
        g_mouseArea.m_nRightDragActive = 1;
}

void CMainFrame::ReleasePowerControl()
{
    m_bPowerControlActive = false;
    g_controlBar.m_nInputLocked = 0;
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
    CVector3 vBall;
    const float fScale = flow.GetBallScreenScale(CueBallNumber());
    if (!IsNearCueOnScreen(pt) || !ProjectCueBall(vBall) || fScale <= 0.0f || cue.fMax <= 0.0f)
        return;
    // The cursor's distance from the cue ball, in quarters of the ball's size on the screen.
    const float fRatio = std::hypot(pt.x - vBall.x, pt.y - vBall.y) / (fScale / 4.0f);
    const float fOld = cue.fPullBack;
    cue.fPullBack = std::clamp(fRatio * (cue.fMax / 2.0f), cue.fMin, std::max(cue.fMin, cue.fMax / 2.0f));
    if (cue.fPullBack != fOld)
        PlayPowerStep(std::clamp(static_cast<int>(std::lround(fRatio * 10.0f)), 0, POWER_STEP_COUNT - 1));
    AlignCue();
}

void CMainFrame::HideStrokeWidgets()
{
    // The corner panels and the side bars give the table to the shot; the bar's tip goes.
    HideCornerPanelsAndBars();
    g_controlBar.SetMode(0);
}

void CMainFrame::StrikeByPowerControl()
{
    const SCueStroke& cue = m_pGameFlow->Cue();
    if (!(cue.fMax > 0.0f) || cue.fPullBack / cue.fMax < MIN_POWER_SHARE)
        return;
    HideStrokeWidgets();
    m_pGameFlow->StrikeCueBall();
    m_pGameFlow->SetGameMode(GetReturnMode());
}
