// The mouse and keyboard dispatcher and the cue's handlers: aiming, the elevation, the mouse
// stroke and the zoom. The dispatcher reads the devices once per tick, runs the steps common to
// every mode and hands the tick to the handler of the mode, first match in this order:
//
//   mode or flag set        handler
//   modeWaiting             HandlePanelInput (the pause)
//   modeZoom                HandleZoom
//   modeAim                 HandleAimKeys
//   modeElevation           HandleKeys
//   modeMouseStroke         HandleMouseStroke
//   modeStrikeNow           StrikeCueBall
//   modeEnglish             HandleCueTipMode
//   modeCameraFlight        TickCameraFlight
//   modeBallInHand          HandleBallInHand
//   modePlaceCueBall        HandlePlaceCueBall
//   modeCallShot            HandlePanelInput, then the call-the-shot state
//   none of them            HandleIdleModeKeys
#include "gameflow/AimSteps.h"
#include "gameflow/CallShotState.h"
#include "gameflow/CuePlacement.h"
#include "gameflow/GameFlow.h"
#include "simulation/CallRecord.h"

#include <algorithm>
#include <cmath>

namespace
{
/// The input factor with Ctrl held: finer everywhere but in the mouse stroke, which is coarser.
constexpr float FINE_FACTOR = 1.0f / 10.0f;
constexpr float COARSE_STROKE_FACTOR = 5.0f;
constexpr int POWER_STEPS = 13;
/// How far the arrow keys turn the view of a player who cannot aim. Degrees.
constexpr float VIEW_TURN = 2.0f;
/// The elevation moves by the mouse's count over this.
constexpr float ELEVATION_DIVISOR = 16.0f;
constexpr float MAX_ELEVATION = 60.0f;
/// The camera never comes nearer the cue ball than this. Scene units.
constexpr float MIN_ZOOM_DISTANCE = 20.0f;
/// The cue ball's largest size on screen while zooming. Pixels.
constexpr float MAX_AIM_SCALE = 200.0f;
/// How far behind the cue ball the look from the cue stands when the scene has no cue. Scene units.
constexpr float CUE_SIGHT_DISTANCE = 57.0f;
} // namespace

void CGameFlow::HandleMouse()
{
    m_Input = SFlowInput{};
    if (m_pInput != nullptr)
        m_pInput->Read(m_Input);
    else
        m_Host.ReadFlowInput(m_Input);
    if (HasGameFlag(gmSettingsPreview))
    {
        const int k = m_Input.nPressedKey;
        if (k == KEY_ESC || k == KEY_SPACE || k == KEY_ENTER)
            m_Host.EndSettingsPreview();
        return;
    }
    // While a shot rolls, a shot is called or the ball is in hand, the right button belongs to
    // the zoom's own handler and does nothing else.
    if (HasGameFlag(gmShotRunning | modeCallShot | modeBallInHand) && (m_Input.bRightDown || m_Input.bRightReleased))
        return;
    if (m_Input.bRightDoubleClick)
        return;
    m_Host.StepTexts(m_Input.bLeftReleased);
    float fFactor = 1.0f;
    if (m_Input.IsCtrl() && !m_Input.IsShift())
        fFactor = HasMode(modeMouseStroke) ? COARSE_STROKE_FACTOR : FINE_FACTOR;
    // Tab held: the mouse leaves the game for the panels and the links, and the computer's
    // stroke waits for it.
    if (g_bTabHeld != 0)
    {
        m_Host.HandleMenuScreenMouse();
        return;
    }
    m_Host.HideHoverWidgets();
    if (HasGameFlag(gmStroking) && GetModeField() != modeWaiting && RunShotPhase(fFactor) != 0)
        return;
    if (HasGameFlag(gmPresentation))
    {
        TickPresentationFlight();
        return;
    }
    if (!m_Host.HasFocus())
        return;
    m_bLookFromCue = !HasMode(modeMouseStroke) && m_Input.IsDown(KEY_X);
    OfferIdleComment();
    if (ChooseCueBallByClick())
        return;
    DispatchMode(fFactor);
}

void CGameFlow::OfferIdleComment()
{
    if (HasMode(modeAim | modeElevation | modeEnglish | modeZoom) && m_pCurrent->GetRobotLevel() == 0)
        m_Host.OfferIdleComment(m_nGameType);
}

SFlowCamera CGameFlow::GetViewCamera() const
{
    if (!m_bLookFromCue)
        return m_Camera;
    // The eye sights along the cue from its butt, over the cue ball: the orbit's yaw is the aim
    // and the cue's elevation tips it down onto the ball.
    SFlowCamera look = m_Camera;
    ICueScene* pScene = m_Host.GetCueScene();
    look.fYaw = m_Cue.fAim;
    look.SetPitch(360.0f - m_Cue.fElevation);
    look.fDistance = m_Cue.fPullBack + (pScene != nullptr ? pScene->GetCueLength() : CUE_SIGHT_DISTANCE);
    look.fShift1 = look.fShift2 = 0.0f;
    look.Place();
    return look;
}

void CGameFlow::DispatchMode(float fFactor)
{
    if (HasMode(modeWaiting))
        HandlePanelInput(fFactor);
    else if (HasMode(modeZoom))
        HandleZoom(fFactor);
    else if (HasMode(modeAim))
        HandleAimKeys(fFactor);
    else if (HasMode(modeElevation))
        HandleKeys(fFactor);
    else if (HasMode(modeMouseStroke))
        HandleMouseStroke(fFactor);
    else if (HasMode(modeStrikeNow))
        StrikeCueBall();
    else if (HasMode(modeEnglish))
        HandleCueTipMode(fFactor);
    else if (HasMode(modeCameraFlight))
        TickCameraFlight(fFactor);
    else if (HasMode(modeBallInHand))
        HandleBallInHand(fFactor);
    else if (HasMode(modePlaceCueBall))
        HandlePlaceCueBall(fFactor);
    else if (HasMode(modeCallShot))
        HandleCallShot(fFactor);
    else
        HandleIdleModeKeys();
}

void CGameFlow::ShowPower()
{
    const bool bRange = m_Cue.fMax > 0.0f;
    m_fPowerValue =
        bRange && m_Cue.fPullBack / m_Cue.fMax > MIN_POWER_SHARE ? m_Cue.fPullBack / (m_Cue.fMax / 2) : 0.0f;
}

float CGameFlow::ArrowYawStep() const
{
    // Slow for the first ticks, then faster the longer the key is held.
    const int c = m_nKeyRepeat;
    float fStep = c <= 2 ? 0.1f : 0.5f;
    if (c > 20 && c < 40)
        fStep += 1.0f;
    if (c > 40)
        fStep += 5.0f;
    return fStep;
}

void CGameFlow::TurnYaw(float fDelta)
{
    m_Camera.fYaw = NormalizeYaw(m_Camera.fYaw + fDelta);
    m_Cue.fAim = m_Camera.fYaw;
}

void CGameFlow::StepPullBack(float fDelta, bool bSound)
{
    m_Cue.fPullBack = std::clamp(m_Cue.fPullBack + fDelta, m_Cue.fMin, std::max(m_Cue.fMin, m_Cue.fMax / 2));
    ShowPower();
    m_Host.AlignCue();
    if (bSound && m_Cue.fMax > 0.0f)
        m_Host.PlayPowerStep(std::clamp(static_cast<int>(m_Cue.fPullBack / m_Cue.fMax * 10.0f), 0, POWER_STEPS - 1));
}

bool CGameFlow::HandleModeKeys(int nKey, DWORD dwOnE, DWORD dwOnA, DWORD dwOnB)
{
    switch (nKey)
    {
    case KEY_E:
        SetGameMode(dwOnE);
        return true;
    case KEY_A:
        SetGameMode(dwOnA);
        return true;
    case KEY_B:
        SetGameMode(dwOnB);
        return true;
    case KEY_G:
        m_Host.ToggleDrawLevel();
        return true;
    case KEY_SPACE:
        TogglePause();
        return true;
    default:
        return false;
    }
}

void CGameFlow::HandleAimKeys(float fFactor)
{
    if (HasGameFlag(gmShotRunning))
        return;
    const SFlowInput& in = m_Input;
    const bool bHuman = m_pCurrent->GetRobotLevel() == 0;
    const bool bTurn = IsArrow(in, KEY_RIGHT) || IsArrow(in, KEY_LEFT);
    const bool bPull = IsArrow(in, KEY_UP) || IsArrow(in, KEY_DOWN);
    if (bHuman && bTurn)
    {
        TurnYaw(IsArrow(in, KEY_RIGHT) ? ArrowYawStep() : -ArrowYawStep());
        m_Host.AlignCue();
        UpdateAimCamera(1);
        m_Host.RestartAimPreview();
        ++m_nKeyRepeat;
    }
    else if (bHuman && bPull)
    {
        StepPullBack(IsArrow(in, KEY_UP) ? PULL_BACK_STEP : -PULL_BACK_STEP, true);
        UpdateAimCamera(1);
        m_Host.RestartAimPreview();
        ++m_nKeyRepeat;
    }
    else if (!bTurn && !bPull)
        m_nKeyRepeat = 0;

    const int nKey = in.nPressedKey;
    if (nKey == KEY_ENTER)
    {
        if (bHuman && m_Cue.fMax > 0.0f && m_Cue.fPullBack / m_Cue.fMax >= MIN_POWER_SHARE)
        {
            m_Host.HideStrokeWidgets();
            StrikeCueBall();
            SetGameMode(GetReturnMode());
        }
        return;
    }
    if (nKey == KEY_M)
    {
        if (m_Host.CanAcceptCommand())
        {
            SetGameMode(modePlaceCueBall);
            m_Host.RefreshCue();
        }
        return;
    }
    if (HandleModeKeys(nKey, modeEnglish, GetReturnMode(), modeElevation))
        return;
    if (in.IsDown(KEY_F))
    {
        AdjustPreviewTime(fFactor);
        return;
    }
    if (!bHuman && (bTurn || bPull))
    {
        // A player who cannot aim still looks round the table.
        if (in.IsDown(KEY_LEFT))
            TurnView(VIEW_TURN, 0.0f);
        else if (in.IsDown(KEY_RIGHT))
            TurnView(-VIEW_TURN, 0.0f);
        else if (in.IsDown(KEY_UP))
            TurnView(0.0f, -VIEW_TURN);
        else if (in.IsDown(KEY_DOWN))
            TurnView(0.0f, VIEW_TURN);
    }
    if (StrokeOrZoomByButtons())
        return;
    if (in.nMouseX == 0 && in.nMouseY == 0)
        return;
    m_Camera.SetPitch(m_Camera.fPitch + MouseResponse(static_cast<float>(in.nMouseY) * fFactor, m_Response.strVertQuad,
                                                      m_Response.strVertLinear));
    if (!HasGameFlag(gmKeepView))
        TurnYaw(
            MouseResponse(static_cast<float>(in.nMouseX) * fFactor, m_Response.strHorzQuad, m_Response.strHorzLinear));
    UpdateAimCamera(1);
    m_Host.RestartAimPreview();
}

void CGameFlow::HandleKeys(float fFactor)
{
    if (HasGameFlag(gmShotRunning))
        return;
    const SFlowInput& in = m_Input;
    if (HandleModeKeys(in.nPressedKey, modeEnglish, modeAim, GetReturnMode()))
        return;
    if (in.bLeftReleased)
    {
        // Back to the previous mode; the other of aiming and the mouse stroke becomes the next
        // previous one.
        const DWORD dwPrev = GetReturnMode();
        const DWORD dwSwap = dwPrev == modeAim ? modeMouseStroke : dwPrev == modeMouseStroke ? modeAim : modeElevation;
        g_nGameMode = (g_nGameMode & ~MODE_FIELD) | dwSwap;
        SetGameMode(dwPrev);
        return;
    }
    if (in.bRightDown)
    {
        StartZoom();
        return;
    }
    float e = std::clamp(m_Cue.fRequestedElevation - static_cast<float>(in.nMouseY) * fFactor / ELEVATION_DIVISOR, 0.0f,
                         MAX_ELEVATION);
    m_Cue.fRequestedElevation = e;
    if (IsCueObstructedAt(e))
    {
        FindClearElevation(&e);
        m_Host.Beep();
    }
    m_Cue.fRequestedElevation = m_Cue.fElevation = e;
    m_Host.AlignCue();
    if (in.nMouseX != 0 || in.nMouseY != 0)
        m_Host.RestartAimPreview();
}

void CGameFlow::HandleZoom(float fFactor)
{
    (void)fFactor;
    if (HasGameFlag(gmKeepView) || !m_Input.bRightDown)
    {
        ClearGameFlag(modeZoom);
        m_Host.ClipCursorToView();
        return;
    }
    ZoomCamera(MouseResponse(static_cast<float>(m_Input.nMouseY), m_Response.strZoomQuad, m_Response.strZoomLinear),
               MIN_ZOOM_DISTANCE, MAX_AIM_SCALE);
}

void CGameFlow::HandleMouseStroke(float fFactor)
{
    if (HasGameFlag(gmGameOver))
    {
        SetGameMode(modeAim);
        return;
    }
    if (HasGameFlag(gmShotRunning))
        return;
    if (m_bClearTextsOnStroke)
    {
        // The texts of the start or of the last shot have been read once the player strokes.
        m_Host.ClearTexts();
        m_bClearTextsOnStroke = false;
    }
    const SFlowInput& in = m_Input;
    if (in.nPressedKey == KEY_ESC)
    {
        SetGameMode(modeAim);
        return;
    }
    if (in.nPressedKey == KEY_SPACE)
    {
        TogglePause();
        return;
    }
    if (in.bRightDown)
    {
        if (!HasGameFlag(gmKeepView))
            m_Camera.SetPitch(m_Camera.fPitch + MouseResponse(static_cast<float>(in.nMouseY) * fFactor,
                                                              m_Response.strVertQuad, m_Response.strVertLinear));
        UpdateAimCamera(0);
        return;
    }
    if (in.bLeftReleased)
    {
        StrikeCueBall();
        return;
    }
    const float d = static_cast<float>(in.nMouseY) * fFactor;
    if (d == 0.0f || !HasCueBall())
        return;
    // The cue follows the mouse: drawn back towards the player, pushed forward away from it. A
    // turn of direction larger than a ball's size switches between the two.
    const float R = m_Cue.fMin;
    const float P = m_Cue.fPullBack;
    const float fHalf = std::max(m_Cue.fMin, m_Cue.fMax / 2);
    float r = 0.0f;
    if (m_nPhase != phaseShot)
    {
        if (!(P < 2 * R && d < 0.0f))
        {
            r = MouseResponse(d, m_Response.strBackQuad, m_Response.strBackLinear);
            if (r > 0.0f)
                m_fStrokeMark = std::min(m_fStrokeMark + r, fHalf);
            if (d < 0.0f && m_fStrokeMark - (P + r) > 2 * R)
            {
                m_nPhase = phaseShot;
                m_fStrokeReference = P;
            }
        }
    }
    else
    {
        r = MouseResponse(d, m_Response.strForwardQuad, m_Response.strForwardLinear);
        if (d > 0.0f)
            m_fStrokeReference += r;
        if (P + r - m_fStrokeReference > 2 * R)
        {
            m_nPhase = phaseSwing;
            m_fStrokeMark += r;
        }
    }
    m_Cue.fPullBack = std::clamp(P + r, m_Cue.fMin, fHalf);
    float fClear = 0.0f;
    FindClearElevation(&fClear);
    m_Cue.fElevation = std::max(m_Cue.fElevation, fClear);
    m_fPowerValue = m_Cue.fMax > 0.0f ? m_Cue.fPullBack / (m_Cue.fMax / 2) : 0.0f;
    m_Host.AlignCue();
}

void CGameFlow::StartZoom()
{
    SetGameFlag(modeZoom);
    m_Host.ClipCursorToView();
}

bool CGameFlow::StrokeOrZoomByButtons()
{
    if (m_Input.bLeftReleased)
        SetGameMode(modeMouseStroke);
    else if (m_Input.bRightDown)
        StartZoom();
    else
        return false;
    return true;
}

void CGameFlow::HandleCallShot(float fFactor)
{
    HandlePanelInput(fFactor);
    if (g_pCallShotState == nullptr)
        return;
    g_pCallShotState->HandleInput();
    if (!g_pCallShotState->IsDone())
        return;
    g_pCallShotState->Leave();
    // The shot record carries the call the shot is judged by.
    m_ShotRecord.SetCalledBall(g_SavedCallRecord.nBall);
    m_ShotRecord.SetCalledPocket(g_SavedCallRecord.nPocket);
}
