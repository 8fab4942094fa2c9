#include "gameflow/CallShotState.h"

#include "gameflow/GameMode.h"
#include "simulation/CallRecord.h"

#include <cmath>
#include <numbers>

CCallShotState* g_pCallShotState = nullptr;

namespace
{
// DirectInput scan codes of the keys the state answers.
constexpr int KEY_ESCAPE = 1;
constexpr int KEY_E = 18;
constexpr int KEY_G = 34;
constexpr int KEY_A = 30;
constexpr int KEY_B = 48;
constexpr int KEY_M = 50;
/// The view flag cleared while calling.
constexpr DWORD VIEW_FLAG_CALLING_OFF = 0x80;
/// The field of view the game plays with. Radians.
constexpr float PLAY_FIELD_OF_VIEW = 0.4f;
constexpr int CURSOR_CALL = 262;
constexpr int CURSOR_CALLED = 263;
constexpr int CURSOR_ARROW = 32649;
} // namespace

CCallShotState::CCallShotState(ICallShotHost& host) : m_host(host), m_nReturnMode(modeAim) { ResetCallRecords(); }

CCallShotState::~CCallShotState()
{
    g_CallRecord.nFlag = 1;
    ResetCallRecords();
}

void CCallShotState::Begin(const CViewRecord& view, DWORD nReturnMode)
{
    m_bDone = FALSE;
    m_bBothCalled = FALSE;
    m_bLeft = false;
    m_View = view;
    g_CallRecord = SCallRecord{};
    m_nCompletionTime = 0;
    m_nReturnMode = nReturnMode;
    m_nPickedBall = -1;
    m_host.ApplyViewRecord(view);
    m_host.UpdateAimCamera(0);
    m_nSavedViewFlags = m_host.GetViewFlags();
    m_host.SetViewFlags(m_nSavedViewFlags & ~VIEW_FLAG_CALLING_OFF);
    m_host.SetGameMode(modeCallShot);
    m_host.ClipCursorToView();
}

void CCallShotState::Finish()
{
    if (g_CallRecord.nBall >= 0)
        m_host.TintBall(g_CallRecord.nBall, false);
    g_CallRecord = SCallRecord{};
    m_bDone = TRUE;
    SetCursorKind(0);
    m_host.SetPanelRepaint();
    m_bBothCalled = FALSE;
    Leave();
}

void CCallShotState::FinishInto(DWORD nMode)
{
    Finish();
    m_nReturnMode = nMode;
    m_host.SetGameMode(nMode);
}

void CCallShotState::HandleInput()
{
    switch (m_host.GetPressedKey())
    {
    case KEY_ESCAPE:
        Finish();
        return;
    case KEY_E:
        FinishInto(modeEnglish);
        return;
    case KEY_A:
        FinishInto(modeAim);
        return;
    case KEY_B:
        FinishInto(modeElevation);
        return;
    case KEY_G:
        m_host.ToggleDrawLevel();
        return;
    case KEY_M:
        Finish();
        m_host.PanelKeyAction(KEY_M);
        return;
    default:
        break;
    }
    if (!m_bBothCalled)
    {
        HandlePointer();
        return;
    }
    // A person's call ends at once; the computer's stays on screen a while. The tick count
    // wraps, so the difference is taken unsigned.
    if (m_host.IsCurrentPlayerOne() || !m_host.IsPlayer2Computer() ||
        m_host.GetTickCount() - m_nCompletionTime > CALL_SHOT_ROBOT_WAIT_MS)
        m_bDone = TRUE;
}

void CCallShotState::HandlePointer()
{
    const int nBall = m_host.PickBall();
    m_nPickedBall = nBall;
    if (nBall < 0)
    {
        const int nPocket = PocketUnderCursor();
        if (nPocket < 0)
        {
            SetCursorKind(0);
            return;
        }
        SetCursorKind(nPocket == g_CallRecord.nPocket ? 2 : 1);
        if (m_host.WasLeftReleased())
            ClickPocket(nPocket);
        return;
    }
    if (nBall == m_host.GetCueBallNumber())
    {
        SetCursorKind(0); // the cue ball is never called
        return;
    }
    SetCursorKind(nBall == g_CallRecord.nBall ? 2 : 1);
    if (m_host.WasLeftReleased())
        ClickBall(nBall);
}

void CCallShotState::ClickPocket(int nPocket)
{
    if (nPocket == g_CallRecord.nPocket)
    {
        g_CallRecord.nPocket = -1;
        return;
    }
    g_CallRecord.nPocket = nPocket;
    if (g_CallRecord.nBall >= 0)
        NoteCompletion();
}

void CCallShotState::ClickBall(int nBall)
{
    m_host.PostPanelCommand(CALL_SHOT_PANEL_COMMAND);
    if (g_CallRecord.nBall >= 0)
        m_host.TintBall(g_CallRecord.nBall, false);
    if (nBall == g_CallRecord.nBall)
    {
        g_CallRecord.nBall = -1;
        return;
    }
    g_CallRecord.nBall = nBall;
    m_host.ResetBallOrientation(nBall);
    m_host.TintBall(nBall, true);
    if (g_CallRecord.nPocket >= 0)
        NoteCompletion();
}

void CCallShotState::NoteCompletion()
{
    m_nCompletionTime = m_host.GetTickCount();
    m_bBothCalled = TRUE;
}

int CCallShotState::PocketUnderCursor() const
{
    const POINT cursor = m_host.GetCursorPoint();
    for (int i = 0; i < 6; ++i)
    {
        POINT pt{};
        if (!m_host.ProjectPocket(i, pt))
            continue;
        const double dx = static_cast<double>(pt.x) - cursor.x;
        const double dy = static_cast<double>(pt.y) - cursor.y;
        if (dx * dx + dy * dy < double{CALL_SHOT_POCKET_RADIUS} * CALL_SHOT_POCKET_RADIUS)
            return i;
    }
    return -1;
}

void CCallShotState::Resume(int nBall, int nPocket)
{
    g_CallRecord.nBall = nBall;
    g_CallRecord.nPocket = nPocket;
    if (nBall >= 0)
        m_host.TintBall(nBall, true);
    if (nBall >= 0 && nPocket >= 0)
        NoteCompletion();
}

void CCallShotState::RestoreFinished(int nBall, int nPocket)
{
    m_bDone = TRUE;
    m_bLeft = true;
    g_CallRecord = SCallRecord{nBall, nPocket, nBall < 0 ? 1 : 0};
    g_SavedCallRecord.nBall = nBall;
    g_SavedCallRecord.nPocket = nPocket;
}

void CCallShotState::SetCursorKind(int nKind)
{
    m_host.SetCursorResource(nKind == 1 ? CURSOR_CALL : nKind == 2 ? CURSOR_CALLED : CURSOR_ARROW);
}

void CCallShotState::Leave()
{
    // Finish leaves at once and the dispatcher leaves a finished state again: only the first counts.
    if (m_bLeft)
        return;
    m_bLeft = true;
    m_host.PostPanelCommand(CALL_SHOT_PANEL_COMMAND);
    m_host.SetFieldOfView(PLAY_FIELD_OF_VIEW);
    m_host.SetViewFlags(m_nSavedViewFlags);
    if (m_bBothCalled)
        FlyToCall();
    else
    {
        m_host.ApplyViewRecord(m_View);
        m_host.SelectCueBall(1);
        m_host.UpdateAimCamera(0);
        if (m_nReturnMode == modeBallInHand)
            m_host.BeginBallInHand(1);
        else
            m_host.SetGameMode(m_nReturnMode);
    }
    m_host.UpdatePocketArrow();
    if (g_CallRecord.nBall >= 0)
        m_host.TintBall(g_CallRecord.nBall, false);
    SetCursorKind(0);
    m_host.SetPanelRepaint();
    g_CallRecord.nFlag = g_CallRecord.nBall < 0 ? 1 : 0;
    m_host.DiscardInput();
}

void CCallShotState::FlyToCall()
{
    g_SavedCallRecord.nBall = g_CallRecord.nBall;
    g_SavedCallRecord.nPocket = g_CallRecord.nPocket;
    g_CallRecord.nFlag = 0;
    m_host.SelectCueBall(1);
    // The camera looks along the line from the cue ball to the called pocket's cushion point; the
    // camera's yaw is 3 pi / 2 minus that line's angle.
    const CVector3 vCue = m_host.GetCueBallPosition();
    const CVector3 vPocket = m_host.GetCushionPoint(g_CallRecord.nPocket);
    const double dAngle = std::atan2(static_cast<double>(vPocket.y) - vCue.y, static_cast<double>(vPocket.x) - vCue.x);
    const auto fYaw = static_cast<float>((3.0 * std::numbers::pi / 2.0 - dAngle) * 180.0 / std::numbers::pi);
    if (m_host.StartAimFlight(fYaw, m_nReturnMode))
    {
        m_host.SetGameMode(modeCameraFlight);
        return;
    }
    if (m_nReturnMode == modeBallInHand)
        m_host.BeginBallInHand(1);
    else
        m_host.SetGameMode(m_nReturnMode);
}

CCallShotStatePreset::CCallShotStatePreset(ICallShotHost& host, int nBall, int nPocket) : CCallShotState(host)
{
    g_SavedCallRecord.nBall = nBall;
    g_SavedCallRecord.nPocket = nPocket;
}

void CCallShotStatePreset::Finish()
{
    CCallShotState::Finish();
    g_CallRecord.nBall = g_SavedCallRecord.nBall;
    g_CallRecord.nPocket = g_SavedCallRecord.nPocket;
    g_CallRecord.nFlag = 0;
    m_host.UpdatePocketArrow();
}
