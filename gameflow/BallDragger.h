// The ball dragger: moves one object across the table plane with the mouse, as the camera sees
// it, asks the caller's callbacks whether each new position is allowed, and on release sets the
// object down or refuses with a beep. Ball in hand and free placement share the one instance.
// It knows nothing of balls or rules: the callbacks decide.
//
//   state                     event                  next
//   idle                      Begin(object)          active (position saved unless refused)
//   idle                      Begin(null)            idle (acts as Drop: nothing happens)
//   active                    Drag / MoveToCursor    active, object moved
//   active                    Drop, accepted         idle
//   active                    Drop, refused          active + refused (beep); the next Begin
//                                                    keeps the first saved position
//   active or refused         Restore / Cancel       idle, object back at the saved position
#pragma once

#include "foundation/Vector3.h"
#include "platform/win32/WinTypes.h"

/// The object being moved: its position in the frame of the reference object (the table).
class IDragObject
{
public:
    virtual ~IDragObject() = default;
    virtual CVector3 GetPosition() const = 0;
    virtual void SetPosition(const CVector3& v) = 0;
};

/// What the dragger asks of the scene and the window.
class IDragScene
{
public:
    virtual ~IDragScene() = default;
    /// The direction the camera looks along, in the reference frame.
    virtual CVector3 GetViewDirection() const = 0;
    /// The yaw of that direction in degrees (from +z about the vertical axis y), which gives the
    /// axes when the camera looks straight down.
    virtual float GetViewYaw() const = 0;
    /// A point of the reference frame projected to window pixels.
    virtual CVector3 ProjectToScreen(const CVector3& v) const = 0;
    /// Puts the system cursor at a client point of the window; a refused move is harmless.
    virtual void SetCursorToClient(HWND hWnd, int x, int y) = 0;
    /// The default beep of a refused drop.
    virtual void Beep() = 0;
};

/// Non-zero when the proposed position is accepted as it stands; it may correct the position in
/// place. nFlag is the dragger's height flag (the move callback) or 0 (the drop callback).
using FDragCallback = int (*)(int nUserValue, CVector3* pPosition, int nFlag);

class CBallDragger
{
public:
    CBallDragger() = default;
    virtual ~CBallDragger() = default;
    CBallDragger(const CBallDragger&) = delete;
    CBallDragger& operator=(const CBallDragger&) = delete;

    /// Takes the object at the cursor point; a null object runs Drop instead. nAxisMask (bit 1 x,
    /// 2 y, 4 z) names the axes a refused drop takes back from the saved position.
    virtual void Begin(IDragObject* pObject, int nUserValue, FDragCallback pfnMove, FDragCallback pfnDrop,
                       IDragScene* pScene, int nCursorX, int nCursorY, int nAxisMask);
    /// Moves by a mouse movement (the counts scaled by the caller); the move callback's answer (1
    /// when idle).
    virtual int Drag(float dx, float dy);
    /// Moves to a cursor point; when the callback corrects the position the system cursor follows
    /// the object's screen point (when a window is given). The callback's answer (1 when idle).
    virtual int MoveToCursor(int x, int y, HWND hWnd);
    /// Sets the object down when the drop callback accepts it, else beeps and stays active.
    virtual void Drop();
    virtual BOOL IsActive() const { return m_bActive; }
    /// Puts the object back where the drag began and ends it.
    virtual void Restore();
    /// Restore, and forget a refused drop.
    virtual void Cancel();

    void SetHeightFlag(int nFlag) { m_nHeightFlag = nFlag; }
    int GetUserValue() const { return m_nUserValue; }
    BOOL IsRefused() const { return m_bRefused; }
    const CVector3& GetSavedPosition() const { return m_vSaved; }
    const CVector3& GetScreenPoint() const { return m_vScreen; }

private:
    /// The camera's right and forward axes on the table plane.
    void GetAxes(CVector3& vRight, CVector3& vForward) const;
    /// The position after a mouse movement, before the move callback.
    CVector3 Moved(float dx, float dy) const;
    int AskMove(CVector3& v) const;

    IDragObject* m_pObject = nullptr;
    int m_nUserValue = 0;
    int m_nCursorX = 0;
    int m_nCursorY = 0;
    BOOL m_bActive = FALSE;
    BOOL m_bRefused = FALSE;
    IDragScene* m_pScene = nullptr;
    FDragCallback m_pfnMove = nullptr;
    FDragCallback m_pfnDrop = nullptr;
    CVector3 m_vSaved;
    CVector3 m_vScreen;
    int m_nAxisMask = 0;
    int m_nHeightFlag = 0;
};

/// The one dragger of ball in hand and free placement. Main thread.
extern CBallDragger g_BallDragger;
