// The handlers of the english, of no mode, of the pause and of the overhead view's aiming, of ball
// in hand and free placement (the frame drags the ball), the camera's steering while the computer
// strokes, the pause toggle and the aiming aid's preview time.
#include "foundation/Stopwatch.h"
#include "gameflow/AimSteps.h"
#include "gameflow/CallShotState.h"
#include "gameflow/GameFlow.h"

#include <algorithm>
#include <cmath>

namespace
{
/// The cue tip's offsets on the ball's face stay within this.
constexpr float MAX_TIP_OFFSET = 50.0f;
/// The preview time's range and the mouse's divisor for it. Seconds.
constexpr double MIN_PREVIEW_S = 0.1;
constexpr double MAX_PREVIEW_S = 10.0;
constexpr float PREVIEW_DIVISOR = 30.0f;
/// The stroke camera's nearest distance and the cue ball's largest size on screen.
constexpr float MIN_STROKE_DISTANCE = 20.0f;
constexpr float MAX_STROKE_SCALE = 250.0f;
/// A Shift+Ctrl turn smaller than this counts as none. Degrees.
constexpr float MIN_TURN = 0.001f;
/// The mouse's counts over these move a ball in hand and a freely placed ball. Scene units.
constexpr float BALL_IN_HAND_DIVISOR = 8.0f;
constexpr float PLACEMENT_DIVISOR = 40.0f;
/// A drag smaller than this on both axes moves nothing. Scene units.
constexpr float MIN_DRAG = 0.001f;
} // namespace

void CGameFlow::HandleCueTipMode(float fFactor)
{
    if (HasGameFlag(gmShotRunning))
        return;
    const SFlowInput& in = m_Input;
    if (HandleModeKeys(in.nPressedKey, GetReturnMode(), modeAim, modeElevation))
        return;
    if (in.IsDown(KEY_F))
    {
        AdjustPreviewTime(fFactor);
        return;
    }
    if (StrokeOrZoomByButtons())
        return;
    if (!HasCueBall())
        return;
    const float dx =
        MouseResponse(static_cast<float>(in.nMouseX) * fFactor, m_Response.strHorzQuad, m_Response.strHorzLinear);
    const float dy =
        MouseResponse(-static_cast<float>(in.nMouseY) * fFactor, m_Response.strHorzQuad, m_Response.strHorzLinear);
    m_Cue.fTipX = std::clamp(m_Cue.fTipX - dx, -MAX_TIP_OFFSET, MAX_TIP_OFFSET);
    m_Cue.fTipY = std::clamp(m_Cue.fTipY - dy, -MAX_TIP_OFFSET, MAX_TIP_OFFSET);
    float fClear = 0.0f;
    FindClearElevation(&fClear);
    m_Host.AlignCue();
    if (dx != 0.0f || dy != 0.0f)
        m_Host.RestartAimPreview();
}

void CGameFlow::HandleIdleModeKeys()
{
    if (HasGameFlag(gmShotRunning))
        return;
    if (HandleModeKeys(m_Input.nPressedKey, modeEnglish, modeAim, modeElevation))
        return;
    if (m_Input.bLeftReleased)
        SetGameMode((g_nPrevGameMode & modeBallInHand) != 0 ? modeBallInHand : modeAim);
}

void CGameFlow::HandlePanelInput(float fFactor)
{
    m_Host.HandleLinks();
    const SFlowInput& in = m_Input;
    const bool bOverhead = m_Settings.nOverheadView != 0;
    const bool bHuman = m_pCurrent->GetRobotLevel() == 0;
    const bool bRight = IsArrow(in, KEY_RIGHT), bLeft = IsArrow(in, KEY_LEFT);
    const bool bUp = IsArrow(in, KEY_UP), bDown = IsArrow(in, KEY_DOWN);
    if (bRight || bLeft || bUp || bDown)
    {
        // In the overhead view the arrows turn the cue and set the power; the counter runs
        // whoever plays.
        if (bOverhead && bHuman && (bRight || bLeft))
        {
            m_Cue.fAim = NormalizeYaw(m_Cue.fAim + (bRight ? ArrowYawStep() : -ArrowYawStep()));
            m_Host.AlignCue();
            UpdateAimCamera(0);
            m_Host.RestartAimPreview();
        }
        else if (bOverhead && bHuman)
        {
            StepPullBack(bUp ? PULL_BACK_STEP : -PULL_BACK_STEP, m_nKeyRepeat % 3 == 0);
            UpdateAimCamera(0);
            m_Host.RestartAimPreview();
        }
        ++m_nKeyRepeat;
        return;
    }
    m_nKeyRepeat = 0;
    const DWORD dwMode = GetModeField();
    if (in.nPressedKey == KEY_ESC)
    {
        // A call made can be made again: the pause, if the game is behind it, ends into the call.
        if (g_pCallShotState != nullptr && g_pCallShotState->IsDone())
        {
            const DWORD dwReturn = dwMode == modeWaiting ? GetReturnMode() : dwMode;
            ResumeFromPause();
            m_Host.EnterCallShotMode(m_nGameType, dwReturn);
        }
        return;
    }
    if (in.nPressedKey == KEY_ENTER)
    {
        if (bOverhead && dwMode != modeCallShot && bHuman && m_Cue.fMax > 0.0f &&
            m_Cue.fPullBack / m_Cue.fMax >= MIN_POWER_SHARE)
        {
            // The overhead view's panel stays where the person aimed from, the shot rolling behind
            // it; only its pause ends.
            m_bPaused = false;
            m_Host.HideStrokeWidgets();
            StrikeCueBall();
            SetGameMode(GetReturnMode());
        }
        return;
    }
    if (in.nPressedKey == KEY_SPACE)
    {
        if (dwMode != modeCallShot && dwMode != modeBallInHand && dwMode != modeCameraFlight)
            TogglePause();
        return;
    }
    // The widgets take the mouse first; over one of them the tick's mouse is theirs alone.
    if (m_Host.RouteMouseToWidgets())
        return;
    if (HasGameFlag(gmKeepView) || !in.IsShift() || !in.IsCtrl())
        return;
    TurnCameraByMouse(fFactor);
}

void CGameFlow::TurnCameraByMouse(float fFactor)
{
    const SFlowInput& in = m_Input;
    const float fYaw = MouseResponse(static_cast<float>(in.nMouseX), m_Response.strHorzQuad, m_Response.strHorzLinear);
    const float fPitch =
        MouseResponse(static_cast<float>(in.nMouseY) * fFactor, m_Response.strVertQuad, m_Response.strVertLinear);
    if (std::fabs(fYaw) > MIN_TURN)
        TurnYaw(fYaw);
    if (std::fabs(fPitch) > MIN_TURN)
        m_Camera.SetPitch(m_Camera.fPitch + fPitch);
    m_Host.ClipCursorToView();
    UpdateAimCamera(1);
}

void CGameFlow::SteerCameraDuringStroke(float fFactor)
{
    (void)fFactor;
    if (!HasGameFlag(gmStroking) || m_Settings.nViewType != 2 || HasGameFlag(gmKeepView))
        return;
    if (HasGameFlag(gmGameOver))
    {
        SetGameMode(modeAim);
        return;
    }
    if (m_Input.bRightDown)
    {
        ZoomCamera(MouseResponse(static_cast<float>(m_Input.nMouseY), m_Response.strZoomQuad, m_Response.strZoomLinear),
                   MIN_STROKE_DISTANCE, MAX_STROKE_SCALE);
        return;
    }
    // The view turns; the computer's cue keeps its aim.
    m_Camera.fYaw = NormalizeYaw(m_Camera.fYaw + MouseResponse(static_cast<float>(m_Input.nMouseX),
                                                               m_Response.strHorzQuad, m_Response.strHorzLinear));
    UpdateAimCamera(0);
}

void CGameFlow::TogglePause()
{
    if (HasGameFlag(gmSettingsPreview))
    {
        m_Host.EndSettingsPreview();
        return;
    }
    const bool bHuman = m_pCurrent->GetRobotLevel() == 0;
    // The overhead view's panel stays open while a person aims from it.
    if (m_Settings.nOverheadView == 1 && m_bPaused && !HasGameFlag(gmShotRunning) && bHuman)
        return;
    m_bPaused = !m_bPaused;
    m_Host.ShowPausePanel(m_bPaused);
    if (m_bPaused)
    {
        g_FrameStopwatch.Pause();
        SetGameMode(modeWaiting);
        return;
    }
    g_FrameStopwatch.Resume();
    SetGameMode(GetReturnMode());
}

void CGameFlow::ResumeFromPause()
{
    if (!m_bPaused)
        return;
    m_bPaused = false;
    m_Host.ShowPausePanel(false);
    g_FrameStopwatch.Resume();
}

void CGameFlow::OpenOverheadPanel()
{
    // The panel is where the person aims, not a pause: the clock runs on, and a shot struck from it
    // rolls behind it.
    m_bPaused = true;
    m_Host.ShowPausePanel(true);
    SetGameMode(modeWaiting);
}

void CGameFlow::AdjustPreviewTime(float fFactor)
{
    if (m_Settings.nAimingAid == 0)
        return;
    const float r =
        MouseResponse(static_cast<float>(m_Input.nMouseY) * fFactor, m_Response.strVertQuad, m_Response.strVertLinear);
    m_dPreviewTime = std::clamp(m_dPreviewTime - r / PREVIEW_DIVISOR, MIN_PREVIEW_S, MAX_PREVIEW_S);
    if (r != 0.0f)
        m_Host.RestartAimPreview();
}

void CGameFlow::HandleBallInHand(float fFactor)
{
    if (HasGameFlag(gmShotRunning))
        return;
    const SFlowInput& in = m_Input;
    if (in.nPressedKey == KEY_G)
        m_Host.ToggleDrawLevel();
    else if (in.nPressedKey == KEY_SPACE && m_Settings.nOverheadView == 0)
        TogglePause();
    else if (in.bLeftReleased)
    {
        // A refused drop beeps and the same drag goes on next tick.
        if (m_Host.DropBall())
            EndBallInHand();
    }
    else if (in.bRightDown)
        StartZoom();
    else
    {
        if (!m_Host.IsBallDragging())
            m_Host.BeginBallDrag(m_nCueBall, true, m_bBallInHandAnywhere);
        if (in.IsShift() && in.IsCtrl() && !HasGameFlag(gmKeepView))
            TurnCameraByMouse(fFactor);
        else
            DragBallByMouse(fFactor / BALL_IN_HAND_DIVISOR, true);
    }
}

void CGameFlow::EndBallInHand()
{
    ClearGameFlag(modeBallInHand);
    if (m_Settings.nOverheadView == 0)
    {
        StartFlight(std::make_unique<CCameraFlight>(), AimViewAt(m_Camera.fYaw, m_Camera.fPitch, m_Camera.fDistance),
                    static_cast<int>(modeAim), 0);
        SetGameMode(modeCameraFlight);
    }
    else
        SetGameMode(modeAim);
    m_Host.RestartAimPreview();
}

void CGameFlow::DragBallByMouse(float fScale, bool bFollowBall)
{
    const float dx = static_cast<float>(m_Input.nMouseX) * fScale;
    const float dy = static_cast<float>(m_Input.nMouseY) * fScale;
    if (std::fabs(dx) > MIN_DRAG || std::fabs(dy) > MIN_DRAG)
    {
        m_Host.DragBall(dx, dy);
        // The ball in hand is carried with the camera on it: the camera looks at the ball's place
        // on the cloth, unless it is held at the top view.
        if (CVector3 vBall; bFollowBall && !HasGameFlag(gmKeepView) && GetBallScenePosition(m_nCueBall, vBall))
            SetCameraTarget(vBall.x, vBall.y, vBall.z);
    }
    UpdateAimCamera(1);
}

bool CGameFlow::IsCueBallHeldBehindHeadString() const
{
    // Nine-ball and three-ball break from behind the head string; after the break the ball in
    // hand goes anywhere.
    return (m_nGameType == GAME_9BALL || m_nGameType == GAME_3BALL) && m_pReferee != nullptr &&
           !m_pReferee->HasBreakMade();
}

void CGameFlow::BeginBallInHand(int nAnywhere)
{
    m_bBallInHandAnywhere = nAnywhere != 0;
    SetGameMode(modeBallInHand);
}

void CGameFlow::HandlePlaceCueBall(float fFactor)
{
    // The cue stays out of the way of the ball being placed.
    m_Host.RefreshCue();
    if (m_Settings.nOverheadView != 0)
        HandlePanelInput(fFactor);
    const SFlowInput& in = m_Input;
    const int nKey = in.nPressedKey;
    if (nKey == KEY_A || nKey == KEY_SPACE || nKey == KEY_M)
    {
        m_Host.CancelBallDrag();
        SetGameMode(modeAim);
    }
    else if (nKey == KEY_G)
        m_Host.ToggleDrawLevel();
    else if (in.bLeftReleased)
    {
        // The first click takes up the ball under the cursor, the next sets it down.
        if (!m_Host.IsBallDragging())
        {
            if (const int nBall = m_Host.HighlightBall(); nBall >= 0)
                m_Host.BeginBallDrag(nBall, false, true);
        }
        else if (m_Host.DropBall())
            SetGameMode(modeAim);
        m_Host.ClipCursorToView();
    }
    else if (in.bRightDown)
        StartZoom();
    else if (in.IsShift() && in.IsCtrl() && !HasGameFlag(gmKeepView))
        TurnCameraByMouse(fFactor);
    else if (!m_Host.IsBallDragging())
        m_Host.HighlightBall();
    else
        DragBallByMouse(fFactor / PLACEMENT_DIVISOR, false);
}
