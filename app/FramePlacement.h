// Ball in hand and free placement on the main frame: the ball dragger moves the ball over the
// table along the camera's axes, and the table decides where it may be set down: one radius inside
// the cushions, clear of every other ball by two radii, and, for a ball in hand that may not go
// anywhere, behind the head string.
#pragma once

#include "gameflow/BallDragger.h"
#include "render/Picking.h"
#include "render/SceneObject.h"

class CDirect3DDevice;

class CMainFrame;
class CGameFlow;

/// The rules a ball in hand or a placed ball is held to, in scene units (inches, y up, the table's
/// length along z): the bed's bounds, the head string and a resting ball's centre height.
SBallInHandTable GetPlacementTable();

/// The frame's side of the drag: the dragged ball and the scene the dragger asks.
class CFramePlacement final : public IDragScene
{
public:
    explicit CFramePlacement(CMainFrame& frame);
    /// A drag still running is undone, so that the dragger holds nothing of this frame.
    ~CFramePlacement() override;
    CFramePlacement(const CFramePlacement&) = delete;
    CFramePlacement& operator=(const CFramePlacement&) = delete;

    void Begin(int nBall, bool bBallInHand, bool bAnywhere);
    void Cancel();
    int Highlight();
    /// The ball being dragged; -1 while none is.
    int GetPickedBall() const;
    /// While a ball is taken up: its number and its lifted centre in the scene.
    bool GetLiftedBall(int& nBall, CVector3& vCentre) const;
    /// The taken-up ball's shadow on the cloth below it, as the lamp straight above casts it;
    /// nothing while no ball is taken up. vEye: the camera's place.
    void DrawShadow(CDirect3DDevice& device, const CVector3& vEye);
    /// While a ball is taken up, the system cursor is put on its place on the screen as the view
    /// now shows it, so that the hand is on the ball when the cursor shows again.
    void PutCursorOnBall();

    CVector3 GetViewDirection() const override;
    float GetViewYaw() const override;
    CVector3 ProjectToScreen(const CVector3& v) const override;
    void SetCursorToClient(HWND hWnd, int x, int y) override;
    void Beep() override;

private:
    /// The dragged ball: a scene position whose table point the live engine takes.
    class CDraggedBall final : public IDragObject
    {
    public:
        explicit CDraggedBall(CFramePlacement& owner) : m_owner(owner) {}
        void Take(int nBall, const CVector3& v);
        int GetBall() const { return m_nBall; }
        CVector3 GetPosition() const override { return m_vPosition; }
        void SetPosition(const CVector3& v) override;

    private:
        CFramePlacement& m_owner;
        int m_nBall = -1;
        CVector3 m_vPosition;
    };

    CGameFlow& Flow() const;

    CMainFrame& m_frame;
    CDraggedBall m_ball;
    CHoverPicker m_picker;
    /// Casts the lifted ball's shadow: an object without a mesh, kept at the ball's place.
    CBallSceneObject m_shadowCaster;
};
