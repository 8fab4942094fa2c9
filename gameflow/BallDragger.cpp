#include "gameflow/BallDragger.h"

#include "foundation/GlobalOrder.h"

#include <cmath>
#include <numbers>

namespace
{
/// Below this length the view direction has no horizontal part: the camera looks straight down.
constexpr double MIN_SIDE_LENGTH = 1e-4;
} // namespace

VORN_GLOBAL_ROW(GLOBAL_ROW_BALL_DRAGGER) CBallDragger g_BallDragger;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_BALL_DRAGGER);

void CBallDragger::GetAxes(CVector3& vRight, CVector3& vForward) const
{
    const CVector3 vUp(0.0f, 1.0f, 0.0f);
    vRight = m_pScene->GetViewDirection().Cross(vUp);
    if (vRight.Length() < MIN_SIDE_LENGTH)
    {
        // Straight down the cross product vanishes; the yaw still says which way the view faces.
        const double dYaw = m_pScene->GetViewYaw() * std::numbers::pi / 180.0;
        vRight = CVector3(static_cast<float>(-std::cos(dYaw)), 0.0f, static_cast<float>(std::sin(dYaw)));
    }
    vRight.Normalize();
    // The right axis turned a quarter turn about the vertical: (x, z) -> (z, -x).
    vForward = CVector3(vRight.z, 0.0f, -vRight.x).GetNormalized();
}

CVector3 CBallDragger::Moved(float dx, float dy) const
{
    CVector3 vRight;
    CVector3 vForward;
    GetAxes(vRight, vForward);
    return m_pObject->GetPosition() - vRight * dx - vForward * dy;
}

int CBallDragger::AskMove(CVector3& v) const
{
    return m_pfnMove != nullptr ? m_pfnMove(m_nUserValue, &v, m_nHeightFlag) : 1;
}

void CBallDragger::Begin(IDragObject* pObject, int nUserValue, FDragCallback pfnMove, FDragCallback pfnDrop,
                         IDragScene* pScene, int nCursorX, int nCursorY, int nAxisMask)
{
    if (pObject == nullptr || pScene == nullptr)
    {
        Drop();
        return;
    }
    m_pObject = pObject;
    m_nUserValue = nUserValue;
    m_pScene = pScene;
    m_nCursorX = nCursorX;
    m_nCursorY = nCursorY;
    m_pfnMove = pfnMove;
    m_pfnDrop = pfnDrop;
    m_nAxisMask = nAxisMask;
    m_bActive = TRUE;
    // After a refused drop the position the first drag started from stays the one to go back to.
    if (!m_bRefused)
        m_vSaved = pObject->GetPosition();
    m_vScreen = pScene->ProjectToScreen(m_vSaved);
}

int CBallDragger::Drag(float dx, float dy)
{
    if (!m_bActive || m_pObject == nullptr)
        return 1;
    CVector3 v = Moved(dx, dy);
    const int nAccepted = AskMove(v);
    m_pObject->SetPosition(v);
    return nAccepted;
}

int CBallDragger::MoveToCursor(int x, int y, HWND hWnd)
{
    if (!m_bActive || m_pObject == nullptr)
        return 1;
    CVector3 v = Moved(static_cast<float>(x - m_nCursorX), static_cast<float>(y - m_nCursorY));
    const int nAccepted = AskMove(v);
    if (nAccepted == 0)
    {
        // The callback corrected the position: the cursor follows the object's screen point, so
        // that the hand stays on the ball.
        const CVector3 vScreen = m_pScene->ProjectToScreen(v);
        x = m_nCursorX + static_cast<int>(vScreen.x - m_vScreen.x);
        y = m_nCursorY + static_cast<int>(vScreen.y - m_vScreen.y);
        m_vScreen = vScreen;
        if (hWnd != nullptr)
            m_pScene->SetCursorToClient(hWnd, x, y);
    }
    m_nCursorX = x;
    m_nCursorY = y;
    m_pObject->SetPosition(v);
    return nAccepted;
}

void CBallDragger::Drop()
{
    if (m_pObject == nullptr)
        return;
    CVector3 v = m_pObject->GetPosition();
    if ((m_nAxisMask & 1) != 0)
        v.x = m_vSaved.x;
    if ((m_nAxisMask & 2) != 0)
        v.y = m_vSaved.y;
    if ((m_nAxisMask & 4) != 0)
        v.z = m_vSaved.z;
    m_pObject->SetPosition(v);
    const int nAccepted = m_pfnDrop != nullptr ? m_pfnDrop(m_nUserValue, &v, 0) : 1;
    if (nAccepted == 0)
    {
        m_bRefused = TRUE;
        m_pScene->Beep();
        return;
    }
    m_pObject->SetPosition(v);
    m_bActive = FALSE;
    m_pObject = nullptr;
    m_bRefused = FALSE;
    m_nHeightFlag = 0;
}

void CBallDragger::Restore()
{
    if (m_pObject != nullptr)
        m_pObject->SetPosition(m_vSaved);
    m_bActive = FALSE;
    m_pObject = nullptr;
    m_nUserValue = -1;
    m_nHeightFlag = 0;
}

void CBallDragger::Cancel()
{
    Restore();
    m_bRefused = FALSE;
}
