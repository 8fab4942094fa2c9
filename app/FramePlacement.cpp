// Ball in hand and free placement on the main frame: the dragged ball is a scene position (lifted
// above the cloth) whose table point the live engine takes at each move; the dragger's callbacks
// keep it on the table and decide whether it may be set down.
#include "app/FramePlacement.h"

#include "app/FrameCallShot.h"
#include "app/MainFrame.h"
#include "gameflow/FlowCamera.h"
#include "gameflow/GameFlow.h"
#include "platform/dx/Device.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/MessageBox.h"
#include "render/Environment3D.h"
#include "render/TableSpace.h"
#include "simulation/BallEngine.h"
#include "simulation/PhysicsConstants.h"

#include <cmath>

namespace
{
constexpr float INCHES_PER_METRE = 1.0f / 0.0254f;
constexpr float BALL_RADIUS = BALL_RADIUS_M * INCHES_PER_METRE;
constexpr int TABLE_BALLS = 16;
/// A ball taken up is lifted by this many radii.
constexpr float LIFT_RADII = 4.0f;
/// A refused drop takes the height back from where the drag began (the dragger's y axis).
constexpr int AXIS_HEIGHT = 2;
/// How far a drop may lie outside the allowed area before it is refused (the area is kept in
/// whole hundredths). Scene units.
constexpr float DROP_TOLERANCE = 0.05f;
/// The lifted ball's shadow lies this far above the cloth. Scene units.
constexpr float SHADOW_LIFT = 0.02f;

/// The user value the callbacks get: the ball and whether it may lie anywhere on the bed.
int PackUserValue(int nBall, bool bAnywhere) { return nBall * 2 + (bAnywhere ? 1 : 0); }
int UserBall(int nUserValue) { return nUserValue / 2; }
bool UserAnywhere(int nUserValue) { return (nUserValue & 1) != 0; }

/// The balls on the live table in scene units, the dragged one among them.
std::vector<SPickBall> TableBalls()
{
    std::vector<SPickBall> balls;
    for (int n = 0; n < TABLE_BALLS; ++n)
        if (CVector3 v; g_BallEngineMain.GetBallPosition(n, v, nullptr) && !g_BallEngineMain.AskBall(n))
            balls.push_back(SPickBall{n, TableToScene(CVector3(v.x, v.y, BALL_RADIUS_M)), BALL_RADIUS});
    return balls;
}

/// Each move is held on the table: 1 when it stood as proposed.
int KeepOnTable(int nUserValue, CVector3* pPosition, int)
{
    return ClampBallInHand(TableBalls(), UserBall(nUserValue), pPosition, UserAnywhere(nUserValue) ? FALSE : TRUE,
                           GetPlacementTable());
}

/// A drop is taken inside the allowed area and clear of every other ball; the ball comes down
/// onto the cloth.
int AcceptDrop(int nUserValue, CVector3* pPosition, int)
{
    const std::vector<SPickBall> balls = TableBalls();
    const SBallInHandTable table = GetPlacementTable();
    CVector3 vHeld = *pPosition;
    ClampBallInHand(balls, UserBall(nUserValue), &vHeld, UserAnywhere(nUserValue) ? FALSE : TRUE, table);
    if (std::fabs(vHeld.x - pPosition->x) > DROP_TOLERANCE || std::fabs(vHeld.z - pPosition->z) > DROP_TOLERANCE)
        return 0;
    // Compared on the cloth: the lifted ball passes over the others.
    CVector3 vDown = *pPosition;
    vDown.y = table.fRestingHeight;
    if (CheckBallInHandFree(balls, UserBall(nUserValue), &vDown, table) == 0)
        return 0;
    *pPosition = vDown;
    return 1;
}
} // namespace

SBallInHandTable GetPlacementTable()
{
    const CVector3 vHeadLeft = TableToScene(CVector3(0.0f, 0.0f, 0.0f));
    const CVector3 vFootRight = TableToScene(CVector3(TABLE_WIDTH_M, TABLE_LENGTH_M, 0.0f));
    SBallInHandTable table;
    table.bounds = {vHeadLeft.x, SCENE_BED_HEIGHT, vHeadLeft.z, vFootRight.x, SCENE_BED_HEIGHT, vFootRight.z};
    // The head string runs through the head spot, a quarter of the length from the first end.
    table.fHeadSpotZ = TableToScene(CVector3(0.0f, TABLE_LENGTH_M / 4.0f, 0.0f)).z;
    table.fRestingHeight = SCENE_BED_HEIGHT + BALL_RADIUS;
    return table;
}

CFramePlacement::CFramePlacement(CMainFrame& frame) : m_frame(frame), m_ball(*this) { m_shadowCaster.CreateFrame(); }

CFramePlacement::~CFramePlacement()
{
    if (g_BallDragger.IsActive())
        g_BallDragger.Cancel();
}

CGameFlow& CFramePlacement::Flow() const { return m_frame.GetGameFlow(); }

void CFramePlacement::Begin(int nBall, bool bBallInHand, bool bAnywhere)
{
    CVector3 v;
    if (!Flow().GetBallScenePosition(nBall, v))
        return;
    if (g_BallDragger.IsActive())
        g_BallDragger.Cancel(); // a drag left over from an earlier mode
    // A ball in hand is taken up at the head spot, which every game lets it be set down on.
    if (bBallInHand)
        v = BallToScene(CVector3(TABLE_WIDTH_M / 2.0f, TABLE_LENGTH_M / 4.0f, 0.0f));
    v.y += LIFT_RADII * BALL_RADIUS;
    m_ball.Take(nBall, v);
    m_ball.SetPosition(v);
    g_BallDragger.SetHeightFlag(bBallInHand ? 1 : 0);
    const POINT pt = GetClientCursor(m_frame.m_hWnd);
    g_BallDragger.Begin(&m_ball, PackUserValue(nBall, bAnywhere), KeepOnTable, AcceptDrop, this, pt.x, pt.y,
                        AXIS_HEIGHT);
}

void CFramePlacement::PutCursorOnBall()
{
    int nBall = -1;
    CVector3 vCentre;
    if (!GetLiftedBall(nBall, vCentre))
        return;
    const CVector3 vScreen = ProjectToScreen(vCentre);
    // A ball behind the camera has no place on the screen.
    if (vScreen.z <= 0.0f || vScreen.z >= 1.0f)
        return;
    const POINT pt{static_cast<LONG>(vScreen.x), static_cast<LONG>(vScreen.y)};
    // Only a cursor that left the ball is put back: the mouse moves the ball by its counts.
    if (const POINT ptCursor = GetClientCursor(m_frame.m_hWnd); ptCursor.x != pt.x || ptCursor.y != pt.y)
        SetCursorToClient(m_frame.m_hWnd, pt.x, pt.y);
}

bool CFramePlacement::GetLiftedBall(int& nBall, CVector3& vCentre) const
{
    if (!g_BallDragger.IsActive() || m_ball.GetBall() < 0)
        return false;
    nBall = m_ball.GetBall();
    vCentre = m_ball.GetPosition();
    return true;
}

void CFramePlacement::DrawShadow(CDirect3DDevice& device, const CVector3& vEye)
{
    int nBall = -1;
    CVector3 vCentre;
    if (!GetLiftedBall(nBall, vCentre))
        return;
    CVector3 vNow;
    m_shadowCaster.GetPosition(nullptr, vNow);
    m_shadowCaster.Move(vCentre.x - vNow.x, vCentre.y - vNow.y, vCentre.z - vNow.z);
    // Just above the cloth, so that the cloth does not hide it; lit from straight above.
    if (m_shadowCaster.UpdateShadow(SCENE_BED_HEIGHT + SHADOW_LIFT, nullptr, false) == 0)
        return;
    m_shadowCaster.SelectShadowTexture(device, (vCentre - vEye).Length());
    device.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
}

void CFramePlacement::Cancel()
{
    // Free placement with nothing taken up has nothing to put back.
    if (g_BallDragger.IsActive())
        g_BallDragger.Cancel();
    m_picker.Clear();
}

int CFramePlacement::GetPickedBall() const { return g_BallDragger.IsActive() ? m_ball.GetBall() : -1; }

int CFramePlacement::Highlight()
{
    const std::vector<SPickBall> balls = GetPickableBalls(Flow());
    const POINT pt = GetClientCursor(m_frame.m_hWnd);
    const SPickBall* pBall =
        m_picker.Highlight(balls, static_cast<float>(pt.x), static_cast<float>(pt.y), GetSceneViewRect(m_frame));
    return pBall != nullptr ? pBall->nId : -1;
}

CVector3 CFramePlacement::GetViewDirection() const { return Flow().Camera().vDirection; }

float CFramePlacement::GetViewYaw() const { return Flow().Camera().fYaw; }

CVector3 CFramePlacement::ProjectToScreen(const CVector3& v) const
{
    CVector3 vScreen;
    ::ProjectToScreen(&vScreen, &v);
    return vScreen;
}

void CFramePlacement::SetCursorToClient(HWND hWnd, int x, int y)
{
    POINT pt{x, y};
    ::ClientToScreen(hWnd, &pt);
    SetCursorPos(pt.x, pt.y);
}

void CFramePlacement::Beep() { MessageBeep(0xFFFFFFFF); }

void CFramePlacement::CDraggedBall::Take(int nBall, const CVector3& v)
{
    m_nBall = nBall;
    m_vPosition = v;
}

void CFramePlacement::CDraggedBall::SetPosition(const CVector3& v)
{
    m_vPosition = v;
    // The engine takes the table point under the ball.
    const CVector3 vTable = SceneToTable(v);
    m_owner.Flow().Engine().SetBallPosition(m_nBall, vTable.x, vTable.y);
}

CFramePlacement& CMainFrame::Placement()
{
    if (m_pPlacement == nullptr)
        m_pPlacement = std::make_shared<CFramePlacement>(*this);
    return *m_pPlacement;
}

void CMainFrame::KeepCursorOnLiftedBall()
{
    if (m_pPlacement != nullptr)
        m_pPlacement->PutCursorOnBall();
}

void CMainFrame::BeginBallDrag(int nBall, bool bBallInHand, bool bAnywhere)
{
    Placement().Begin(nBall, bBallInHand, bAnywhere);
}

bool CMainFrame::IsBallDragging() { return g_BallDragger.IsActive() != FALSE; }

void CMainFrame::DragBall(float dx, float dy) { g_BallDragger.Drag(dx, dy); }

bool CMainFrame::DropBall()
{
    g_BallDragger.Drop();
    return g_BallDragger.IsActive() == FALSE;
}

void CMainFrame::CancelBallDrag() { Placement().Cancel(); }

int CMainFrame::HighlightBall() { return Placement().Highlight(); }
