// Calling the shot on the main frame: the flow's call message makes the call-the-shot state (the
// preset kind for the pyramid and 14.1 continuous, which keeps the call made before) and begins it
// at the view the turn's flight is heading for; the frame answers the state from its game flow,
// the live engine, its input devices and the cursor manager.
#include "app/FrameCallShot.h"

#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "media/DirectInputDevices.h"
#include "platform/win32/Clock.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/KeyState.h"
#include "render/CursorManager.h"
#include "render/D3DFramework.h"
#include "render/Environment3D.h"
#include "render/SceneObject.h"
#include "render/TableSpace.h"
#include "simulation/BallEngine.h"
#include "simulation/CallRecord.h"
#include "simulation/PhysicsConstants.h"

#include <algorithm>

namespace
{
constexpr float INCHES_PER_METRE = 1.0f / 0.0254f;
constexpr int TABLE_BALLS = 16;
/// The panel code of free placement, the frame's action of the M key.
constexpr WPARAM PANEL_PLACE_BALL = 20;
} // namespace

std::vector<SPickBall> GetPickableBalls(const CGameFlow& flow)
{
    std::vector<SPickBall> balls;
    for (int n = 0; n < TABLE_BALLS; ++n)
        if (CVector3 v; flow.GetBallScenePosition(n, v))
            balls.push_back(SPickBall{n, v, BALL_RADIUS_M * INCHES_PER_METRE});
    return balls;
}

POINT GetClientCursor(HWND hWnd)
{
    POINT pt{0, 0};
    GetCursorPos(&pt);
    ::ScreenToClient(hWnd, &pt);
    return pt;
}

RECT GetSceneViewRect(const CMainFrame& frame)
{
    // The rectangle ProjectToScreen projects into, so that picks and pockets agree.
    RECT rcView{};
    if (CD3DFramework* pFramework = frame.GetFramework(); pFramework != nullptr)
        rcView = *pFramework->GetViewportRect();
    else
        frame.GetPanelRect(rcView);
    return rcView;
}

CCallShotState& CMainFrame::ReplaceCallState(bool bPreset, int nBall, int nPocket)
{
    delete g_pCallShotState;
    g_pCallShotState = nullptr;
    if (m_pCallShotHost == nullptr)
        m_pCallShotHost = std::make_shared<CFrameCallShotHost>(*this);
    if (bPreset)
        g_pCallShotState = new CCallShotStatePreset(*m_pCallShotHost, nBall, nPocket);
    else
        g_pCallShotState = new CCallShotState(*m_pCallShotHost);
    m_pCallShotHost->BeginNotes();
    return *g_pCallShotState;
}

void CMainFrame::EndCallShot()
{
    delete g_pCallShotState;
    g_pCallShotState = nullptr;
    HidePocketArrow();
}

void CMainFrame::EnterCallShotMode(int nGameType, DWORD dwReturnMode)
{
    g_DIMouse.ReadDIMouseState(); // a click that led here is not a call
    CViewRecord view = m_pGameFlow->GetCurrentView();
    if (const auto* pFlight = dynamic_cast<const CCameraFlight*>(m_pGameFlow->GetFlight());
        pFlight != nullptr && HasMode(modeCameraFlight))
        view = pFlight->GetViewRecord();
    // The preset state keeps the call of the last shot; the old state's end resets both records,
    // so the call is read before it goes.
    const SCallRecord saved = g_SavedCallRecord;
    ReplaceCallState(nGameType == GAME_PYRAMID || nGameType == GAME_14_1, saved.nBall, saved.nPocket)
        .Begin(view, dwReturnMode);
}

void CMainFrame::ResumeCall(DWORD dwMode, int nBall, int nPocket)
{
    CCallShotState& state = ReplaceCallState(false, -1, -1);
    if (dwMode == modeCallShot)
    {
        state.Begin(m_pGameFlow->GetCurrentView(), modeAim);
        state.Resume(nBall, nPocket);
        return;
    }
    state.RestoreFinished(nBall, nPocket);
    m_pGameFlow->SetGameMode(dwMode);
}

void CMainFrame::CallTheRecordedShot()
{
    // The planned shot becomes a finished call, shown by the pocket arrow: eight-ball's plain state,
    // every other game's preset one with nothing saved.
    const CShotInfo& shot = m_pGameFlow->ShotRecord();
    ReplaceCallState(m_pGameFlow->GetGameType() != GAME_8BALL, -1, -1)
        .RestoreFinished(shot.GetCalledValue(), shot.m_nPocket);
    UpdatePocketArrow();
}

void CMainFrame::NoteCallTargets()
{
    if (m_pCallShotHost != nullptr && g_pCallShotState != nullptr && !g_pCallShotState->IsDone() &&
        HasMode(modeCallShot))
        m_pCallShotHost->NoteTargets();
}

void CFrameCallShotHost::NoteTargets()
{
    if (m_bTargetsNoted)
        return;
    m_bTargetsNoted = true;
    const RECT rcView = GetSceneViewRect(m_frame);
    const auto inView = [&rcView](const POINT& pt)
    { return pt.x >= rcView.left && pt.x < rcView.right && pt.y >= rcView.top && pt.y < rcView.bottom; };
    const std::vector<SPickBall> balls = GetPickableBalls(Flow());
    const auto pickedAt = [&](const POINT& pt)
    {
        const SPickBall* pBall = PickAtPoint(balls, static_cast<float>(pt.x), static_cast<float>(pt.y), rcView);
        return pBall != nullptr ? pBall->nId : -1;
    };
    CString strLine;
    // A ball counts where a click at its centre picks it, and not the cue ball.
    for (const SPickBall& ball : balls)
    {
        CVector3 vScreen;
        ProjectToScreen(&vScreen, &ball.vPosition);
        const POINT pt{static_cast<LONG>(vScreen.x), static_cast<LONG>(vScreen.y)};
        if (ball.nId == GetCueBallNumber() || !inView(pt) || pickedAt(pt) != ball.nId)
            continue;
        strLine.Format("Call: ball %d can be called at %ld %ld\n", ball.nId, static_cast<long>(pt.x),
                       static_cast<long>(pt.y));
        OutputDebugString(strLine.GetString());
    }
    // A pocket counts where no ball lies in the way of the click and it is the first pocket near it.
    std::vector<POINT> aPockets;
    for (int i = 0; i < 6; ++i)
    {
        POINT pt{-CALL_SHOT_POCKET_RADIUS * 4, -CALL_SHOT_POCKET_RADIUS * 4};
        const bool bPlaced = ProjectPocket(i, pt);
        const bool bFirst =
            std::none_of(aPockets.begin(), aPockets.end(),
                         [&pt](const POINT& q)
                         {
                             const long dx = q.x - pt.x, dy = q.y - pt.y;
                             return dx * dx + dy * dy < long{CALL_SHOT_POCKET_RADIUS} * CALL_SHOT_POCKET_RADIUS;
                         });
        aPockets.push_back(pt);
        if (!bPlaced || !bFirst || !inView(pt) || pickedAt(pt) >= 0)
            continue;
        strLine.Format("Call: pocket %d can be called at %ld %ld\n", i, static_cast<long>(pt.x),
                       static_cast<long>(pt.y));
        OutputDebugString(strLine.GetString());
    }
}

CFrameCallShotHost::~CFrameCallShotHost()
{
    // Only the frame makes states on its host: one still open goes with it.
    delete g_pCallShotState;
    g_pCallShotState = nullptr;
}

CGameFlow& CFrameCallShotHost::Flow() const { return m_frame.GetGameFlow(); }

CViewRecord CFrameCallShotHost::GetCurrentView() const { return Flow().GetCurrentView(); }

void CFrameCallShotHost::ApplyViewRecord(const CViewRecord& view) { Flow().ApplyViewRecord(view); }

void CFrameCallShotHost::UpdateAimCamera(int nMoveCamera) { Flow().UpdateAimCamera(nMoveCamera); }

DWORD CFrameCallShotHost::GetViewFlags() const { return m_frame.m_dwOptionWord; }

void CFrameCallShotHost::SetViewFlags(DWORD nFlags) { m_frame.m_dwOptionWord = nFlags; }

void CFrameCallShotHost::SetFieldOfView(float fFov) { ::SetFieldOfView(fFov); }

void CFrameCallShotHost::SetGameMode(DWORD nMode) { Flow().SetGameMode(nMode); }

void CFrameCallShotHost::BeginBallInHand(int nAnywhere) { Flow().BeginBallInHand(nAnywhere); }

void CFrameCallShotHost::SelectCueBall(int nMoveCamera) { Flow().SelectCueBall(nMoveCamera); }

void CFrameCallShotHost::ClipCursorToView() { m_frame.ClipCursorToView(); }

bool CFrameCallShotHost::StartAimFlight(float fYawDeg, DWORD nEndMode)
{
    Flow().FlyToCalledLine(fYawDeg, nEndMode);
    return true;
}

int CFrameCallShotHost::GetPressedKey() { return Flow().GetInput().nPressedKey; }

bool CFrameCallShotHost::WasLeftReleased() { return Flow().GetInput().bLeftReleased; }

void CFrameCallShotHost::DiscardInput()
{
    g_DIMouse.ReadDIMouseState();
    g_DIKeyboard.ReadDIKeyboardBuffer();
}

POINT CFrameCallShotHost::GetCursorPoint() const { return GetClientCursor(m_frame.m_hWnd); }

int CFrameCallShotHost::PickBall()
{
    const std::vector<SPickBall> balls = GetPickableBalls(Flow());
    const POINT pt = GetCursorPoint();
    const SPickBall* pBall =
        PickAtPoint(balls, static_cast<float>(pt.x), static_cast<float>(pt.y), GetSceneViewRect(m_frame));
    return pBall != nullptr ? pBall->nId : -1;
}

int CFrameCallShotHost::GetCueBallNumber() const
{
    const CReferee* pReferee = Flow().GetReferee();
    return pReferee != nullptr ? pReferee->GetCueBall() : 0;
}

bool CFrameCallShotHost::ProjectPocket(int i, POINT& pt) const
{
    if (Flow().Engine().GetWorldObject(i) == nullptr)
        return false;
    CVector3 vPocket = TableToScene(Flow().Engine().GetCushionPoint(i));
    vPocket.y = SCENE_BED_HEIGHT;
    CVector3 vScreen;
    ProjectToScreen(&vScreen, &vPocket);
    if (!(vScreen.z > 0.0f && vScreen.z < 1.0f))
        return false; // behind the camera
    pt = POINT{static_cast<LONG>(vScreen.x), static_cast<LONG>(vScreen.y)};
    return true;
}

CVector3 CFrameCallShotHost::GetCueBallPosition() const
{
    CVector3 v;
    Flow().Engine().GetBallPosition(GetCueBallNumber(), v, nullptr);
    return v;
}

CVector3 CFrameCallShotHost::GetCushionPoint(int nPocket) const { return Flow().Engine().GetCushionPoint(nPocket); }

void CFrameCallShotHost::TintBall(int nBall, bool bCalled)
{
    if (nBall < 0 || nBall >= CBallObjects::BALL_OBJECTS)
        return;
    // The tint's fourth value marks the called ball; the object is placed again at its ball, so
    // that a called ball whose turn was just reset shows its number at once.
    CSceneObject::SetObjectTint(Flow().BallObjects().Get(nBall).GetFrame(), nullptr, 1.0f, 1.0f, 1.0f,
                                bCalled ? 1.0f : 0.0f);
    Flow().PlaceBallObject(nBall);
}

void CFrameCallShotHost::ResetBallOrientation(int nBall)
{
    if (CBall* pBall = Flow().Engine().FindBall(nBall); pBall != nullptr)
        pBall->ResetOrientation();
}

void CFrameCallShotHost::PostPanelCommand(WPARAM wParam) { m_frame.PostMessage(WM_PANELCOMMAND, wParam, 0); }

void CFrameCallShotHost::SetCursorResource(int nId) { SelectLibraryCursor(nId); }

void CFrameCallShotHost::ToggleDrawLevel() { m_frame.ToggleDrawLevel(); }

void CFrameCallShotHost::PanelKeyAction(int nKey)
{
    (void)nKey; // M is the only key with a panel action: free placement, under its rule
    m_frame.SendMessage(WM_PANELCOMMAND, PANEL_PLACE_BALL, 0);
}

void CFrameCallShotHost::UpdatePocketArrow() { m_frame.UpdatePocketArrow(); }

void CFrameCallShotHost::SetPanelRepaint() { g_bPanelRedraw = TRUE; }

bool CFrameCallShotHost::IsCurrentPlayerOne() const { return Flow().IsPlayer1Current(); }

bool CFrameCallShotHost::IsPlayer2Computer() const { return g_Settings.m_nPlayerLevel2 != 0; }

DWORD CFrameCallShotHost::GetTickCount() const { return timeGetTime(); }
