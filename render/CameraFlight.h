// Camera flights: timed, eased moves from one view record to another. Each of the eleven channels
// (camera yaw, pitch and distance, view point x, y, z, the two shift values, the cue's two angles
// and third value) speeds up from its start to the midpoint and slows down onto its target over
// the flight duration; angles are flown in radians the short way round. The variants add a
// condition or a motion of their own. The game flow starts a flight, updates it once per frame
// until it is done, finishes it and enters the mode it carries. Time comes from the frame
// stopwatch. Main thread.
#pragma once

#include "foundation/Vector3.h"
#include "foundation/ViewRecord.h"
#include "platform/win32/WinTypes.h"

#include <array>

/// The flight duration, seconds: 1.4 until the main frame takes "AutoPlaceTime".
extern double g_dFlightDuration;
/// The view-width factor the aiming guide, the sprite effects and the display read (0.4 at start).
extern float g_fViewWidthFactor;
/// The table height and a second height the game flow's scene set-up replaces.
extern float g_fTableLevel;
extern float g_fSecondLevel;

/// The table height plus 0.1.
float GetLevelA();
/// The second height plus 0.05.
float GetLevelB();

/// What a flight asks of the main frame and the game flow. Every answer defaults to the plainest
/// one, which is what a flight without a frame gets.
class ICameraFlightHost
{
public:
    virtual ~ICameraFlightHost() = default;
    /// The aiming path's step: TRUE when the hold is over.
    virtual BOOL HoldAimPath() { return FALSE; }
    /// Moves the view point to follow the play: TRUE when done.
    virtual BOOL FollowViewPoint(CVector3& /*vViewPoint*/) { return FALSE; }
    /// TRUE when Escape is the earliest key pressed since the last read; a host that sees it
    /// also hands the mouse back to the system.
    virtual BOOL TakeEscape() { return FALSE; }
    /// TRUE while a ball of the live table moves.
    virtual BOOL AnyBallMoving() { return FALSE; }
    virtual float GetCameraDistance() { return 0.0f; }
    virtual void SetCameraDistance(float /*fDistance*/) {}
    /// Stores the first float of the camera object's bounds box.
    virtual void SetCameraBoundsFirst(float /*fValue*/) {}
    /// Puts the camera at the view (degrees) and re-aims the cue and the camera.
    virtual void ApplyViewRecord(const CViewRecord& /*view*/) {}
    /// The width factor a zooming flight moves towards.
    virtual float GetViewWidthFactor() { return g_fViewWidthFactor; }
};

/// Channels of a flight in record order.
inline constexpr int FLIGHT_CHANNELS = 11;
using SFlightChannels = std::array<float, FLIGHT_CHANNELS>;

class CViewTransition
{
public:
    CViewTransition();
    virtual ~CViewTransition() = default;

    virtual void StepChannel(float& fStart, float& fCurrent, float fTarget, float dt, float& fTime, float& fAccel,
                             float& fDone);
    /// 1 when the flight is done, else 0.
    virtual int Update(ICameraFlightHost* pHost);
    virtual BOOL IsDone() const { return m_bDone; }
    virtual void SetDone(BOOL bDone) { m_bDone = bDone; }
    /// Arms the flight from `from` to `to` (angles in degrees); delay in ms before moving, -1 to
    /// also move nothing in the first update.
    virtual void Start(CViewRecord from, CViewRecord to, int nNextMode, int nDelay);
    virtual BOOL IsOverhead() const { return m_bOverhead; }
    /// Snaps the current view onto the target.
    virtual void Finish(ICameraFlightHost* pHost);
    virtual int GetNextMode() const { return m_nNextMode; }
    virtual void SetNextMode(int nMode) { m_nNextMode = nMode; }
    /// Camera triple (yaw and pitch in radians, distance).
    virtual CVector3 GetCurrentCamera() const;
    virtual CVector3 GetCurrentViewPoint() const;
    /// Cue triple (two angles in radians, third value).
    virtual CVector3 GetCurrentCue() const;
    virtual CVector3 GetCurrentShift() const;
    virtual void Prepare() {}
    virtual void Translate(float fCamDx, float fCamDy, float fCamDz, float fViewDx, float fViewDy, float fViewDz);

protected:
    /// Moves every channel by this frame's time; returns m_bDone.
    int StepAll(float dt);
    /// Adds the frame's milliseconds; FALSE while the first update is skipped or the delay runs.
    BOOL Elapse();

    SFlightChannels m_rcStart{}, m_rcTarget{}, m_rcCurrent{}, m_rcDone{}, m_rcDirection{}, m_rcAccel{}, m_rcTime{};
    BOOL m_bDone = TRUE;
    DWORD m_dwDelay = 0;
    DWORD m_dwElapsed = 0;
    int m_nNextMode = 0;
    BOOL m_bSkipFirst = FALSE;
    BOOL m_bOverhead = FALSE;
    DWORD m_dwFrameMs = 0; // this update's milliseconds
};

class CCameraFlight : public CViewTransition
{
public:
    void Prepare() override;
    /// The target as a view record (angles in degrees).
    CViewRecord GetViewRecord() const;
};

/// Holds while the aiming path runs: done only when the game flow's step says so.
class CCameraFlightA : public CCameraFlight
{
public:
    int Update(ICameraFlightHost* pHost) override;
};

/// Follows the play's view point until the game flow says it is done.
class CCameraFlightB : public CCameraFlight
{
public:
    int Update(ICameraFlightHost* pHost) override;
};

/// The computer's turn: Escape hands the mouse back; the cue's second angle stays put.
class CCameraFlightC : public CCameraFlight
{
public:
    int Update(ICameraFlightHost* pHost) override;
};

/// A flight, then optionally the camera distance stepped to a target one unit a frame.
class CCameraFlightD : public CCameraFlight
{
public:
    void Start(CViewRecord from, CViewRecord to, int nNextMode, int nDelay) override;
    int Update(ICameraFlightHost* pHost) override;
    void Finish(ICameraFlightHost* pHost) override;

    int m_nPhase = 0;
    BOOL m_bStepDistance = FALSE;
    float m_fTargetDistance = 5.0f;
    float m_fFinalValue = 0.0f;
};

/// The tour: one full turn round the view point in 5 s.
class CCameraFlightE : public CCameraFlight
{
public:
    void Start(CViewRecord from, CViewRecord to, int nNextMode, int nDelay) override;
    int Update(ICameraFlightHost* pHost) override;
    void Prepare() override {}
};

/// Follows the shot: done once no ball moves.
class CCameraFlightF : public CCameraFlight
{
public:
    void Start(CViewRecord from, CViewRecord to, int nNextMode, int nDelay) override;
    int Update(ICameraFlightHost* pHost) override;
    void Translate(float fCamDx, float fCamDy, float fCamDz, float fViewDx, float fViewDy, float fViewDz) override;

private:
    BOOL m_bWaitOver = FALSE;
};

/// Into play: the whole record is flown and the view width eases to the host's.
class CCameraFlightG : public CCameraFlight
{
public:
    void Start(CViewRecord from, CViewRecord to, int nNextMode, int nDelay) override;
    int Update(ICameraFlightHost* pHost) override;
    void Finish(ICameraFlightHost* pHost) override;

    float m_fSavedZoom = 0.0f;
};
