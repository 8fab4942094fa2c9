// One ball's physical state and its time-stepped motion: rolling, sliding, side spin, flight,
// falling into a pocket, the ball-ball contact and the safe time step. A ball engine owns up to
// sixteen balls and steps them; the cushions and pockets (TableParts.h) act on them.
//
// All state is single precision; vector arithmetic runs in double and is stored as float
// (foundation/Vector3.h). Every set of position, velocity or spin passes through
// RoundVector4Places, which rounds only while the global rounding switch is on.
#pragma once

#include "foundation/SceneObjectBase.h"
#include "foundation/Vector3.h"
#include "platform/mfc/CString.h"
#include "platform/win32/Gdi.h"
#include "platform/win32/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

/// Roll modes (CBall::m_nRollMode).
enum : int
{
    ROLL_MODE_ROLLING = 0,  ///< rolls without slip
    ROLL_MODE_SLIDING = 1,  ///< slides with spin until the slip is gone (a struck or landed ball)
    ROLL_MODE_RESTORED = 2, ///< only ever taken from a motion record; slides like mode 1
    ROLL_MODE_FLYING = 3,   ///< in the air
    ROLL_MODE_DROPPING = 4, ///< falling into a pocket
};

/// Kinds of the last contact (CBall::GetLastContactKind).
enum : int
{
    CONTACT_NONE = 0,
    CONTACT_CUE = 1,     ///< struck by the cue
    CONTACT_BALL = 2,    ///< another ball
    CONTACT_CUSHION = 3, ///< a cushion
};

/// Kinds of the recorded track points (CBall::RecordPoint).
enum : int
{
    TRACK_POINT_PLAIN = 0, ///< start, rest, leaving the bed or touching the bed's edge
    TRACK_POINT_BALL = 2,
    TRACK_POINT_CUSHION = 3,
};

/// Bytes a saved game stores per ball (CBall::Serialize).
inline constexpr DWORD BALL_STATE_SIZE = 148;
/// Bytes of a motion record (CBall::ApplyMotionRecord).
inline constexpr std::size_t MOTION_RECORD_SIZE = 88;
/// Ball numbers run from 0 to this minus one.
inline constexpr int MAX_BALLS = 16;

/// The ball radius R in metres.
float GetBallRadius();

/// Whether all three components are finite (no NaN, no infinity).
bool IsFiniteVector(const CVector3& v);

/// Where the cue ball's centre must be at contact to drive the ball at `vBall` towards `vTarget`:
/// 2R from the ball on the far side from the target. Both points are taken by value.
CVector3 CalcGhostBallPos(CVector3 vBall, CVector3 vTarget);
/// Only the y component of CalcGhostBallPos.
float CalcGhostBallPosY(CVector3 vBall, CVector3 vTarget);

/// A ball is a scene object of type 0 whose index is its ball number.
class CBall : public CSceneObjectBase
{
public:
    /// A pocketed ball (off the table) at the origin.
    explicit CBall(int nNumber);
    CBall(int nNumber, float x, float y, float z);
    /// On the bed (z = 0).
    CBall(int nNumber, float x, float y);
    CBall(const CBall&) = delete;
    CBall& operator=(const CBall&) = delete;
    virtual ~CBall() = default;

    // -- Operations in their fixed order -----------------------------------------------------------

    /// 1 when the two balls touch and close in; needs at least one of them moving. Balls that are
    /// pocketed or dropping into a pocket take no part in contacts.
    virtual BOOL IsApproaching(const CBall& other) const;
    /// Resolves a contact between this ball and `other` (equal masses; the struck ball gets a
    /// follow term and its spin handled as the game's model has it, not as elastic billiards).
    virtual void Collide(CBall& other);
    /// Draws the ball on the table diagram (TableDiagram.h) as a disc of its radius in the
    /// context's pen and brush; the cue ball also gets a cross of half its radius.
    virtual void Draw2D(HDC hDC) const;
    /// Advances the ball by dMs milliseconds. A ball whose state is not finite (a NaN or infinite
    /// component that reached it past the setters) is stopped and taken off the table instead.
    virtual void Move(double dMs);
    /// Sets the state from an 88-byte motion record; FALSE (nothing changed) when its ball number
    /// or roll mode is out of range or a value is not finite.
    virtual BOOL ApplyMotionRecord(std::span<const BYTE, MOTION_RECORD_SIZE> record);
    /// Takes the motion state of another ball (number, position, velocity, orientation, spins,
    /// roll mode, pocket state, last contact kind); the stop position becomes the position.
    virtual void CopyMotionFrom(const CBall& other);
    /// Becomes `other` (CopyFrom), but placed at the fraction t of the way from where this ball
    /// was, with the orientation blended likewise.
    virtual void InterpolateTo(const CBall& other, float t);
    /// Turns both orientation vectors about `axis` by `fAngle` radians.
    virtual void Rotate(const CVector3& axis, float fAngle);
    virtual BOOL IsPocketed() const { return m_bPocketed; }
    /// Stores the pocketed flag; a pocketed ball stops, and with bRecord records a track point.
    virtual void SetPocketed(BOOL bPocketed, BOOL bRecord, int nPocket);
    /// The cushion-contact flag, reset to 0.
    virtual int TakeCushionContact();
    /// The number of the last ball touched, reset to -1.
    virtual int TakeLastBallHit();
    /// The longest step in milliseconds this ball can take without passing through another ball
    /// or a cushion: `balls` is the engine's list (this ball may be in it), lo and hi the bed's
    /// corners, nMovingCount the number of moving balls. NO_STEP_LIMIT_MS when it sets no limit.
    /// Balls at a place that is not finite are ignored, this one included; so are balls falling
    /// into a pocket. nMovingCount counts no ball falling into a pocket.
    virtual double GetSafeTimeStep(std::span<const CBall* const> balls, const CVector3& lo, const CVector3& hi,
                                   int nMovingCount) const;
    virtual void SetLastContactKind(int nKind) { m_nLastContactKind = nKind; }
    virtual int GetLastContactKind() const { return m_nLastContactKind; }

    // -- Accessors ---------------------------------------------------------------------------------

    const CVector3* GetPosition() const { return &m_vPos; }
    /// Refuses a non-finite position (the ball keeps its own; a line in the debug log).
    void SetPosition(CVector3 v);
    void SetPositionXYZ(float x, float y, float z) { SetPosition(CVector3(x, y, z)); }
    const CVector3& GetStopPosition() const { return m_vStopPos; }
    void SetStopPosition(const CVector3& v) { m_vStopPos = v; }
    const CVector3& GetVelocity() const { return m_vVel; }
    /// Stores the velocity and marks the ball moving (only Stop clears that). Refuses a non-finite
    /// velocity (the ball keeps its state; a line in the debug log).
    void SetVelocity(CVector3 v);
    void GetOrientation(CVector3& vOrY, CVector3& vOrZ) const;
    void SetOrientation(const CVector3& vOrY, const CVector3& vOrZ);
    void ResetOrientation();
    const CVector3& GetForwardSpin() const { return m_vForwardSpin; }
    void SetForwardSpin(CVector3 v);
    /// Forward spin of `fSpin` rad/s about the roll axis of the current velocity.
    void SetRollSpin(float fSpin);
    const CVector3& GetSideSpin() const { return m_vSideSpin; }
    void SetSideSpin(CVector3 v);
    /// Side spin about z: clamped to +-50 rad/s, cut to a tenth on a nearly resting ball.
    void SetSideSpinZ(float w);
    int GetRollMode() const { return m_nRollMode; }
    void SetRollMode(int nMode) { m_nRollMode = nMode; }
    BOOL IsRollMode4() const { return m_nRollMode == ROLL_MODE_DROPPING; }
    BOOL IsMoving() const { return m_bMoving; }
    int GetPocket() const { return m_nPocket; }
    /// The pocket a ball is falling into, before it counts as pocketed (-1 none).
    void SetPocketNumber(int nPocket) { m_nPocket = nPocket; }
    /// Set by a cushion's response; read and reset by TakeCushionContact.
    void SetCushionContact(int nContact) { m_nCushionContact = nContact; }
    /// Velocity and spins to zero, not moving, stop position = position.
    void Stop();
    void SetWritePos(BOOL bWrite) { m_bWritePos = bWrite; }
    BOOL GetWritePos() const { return m_bWritePos; }
    void SetWriteNet(BOOL bWrite) { m_bWriteNet = bWrite; }
    void ClearTrack();
    double GetDistanceFromStop() const;
    double GetSpeed() const { return m_vVel.Length(); }
    float GetForwardSpinAcceleration() const { return ForwardSpinAcceleration; }
    /// The unit axis a ball rolling along its velocity turns about: (-vy, vx, 0) normalised.
    CVector3 GetRollAxis() const;
    /// Rolling deceleration at the present speed, m/s^2.
    float GetRollDeceleration() const;
    /// Height of the surface under the ball: the bed and its cushion band, else the floor.
    float GetSurfaceHeight() const;
    /// Whether position, velocity, spins and orientation are all finite.
    bool HasFiniteState() const;
    /// TRUE when the next Move flies the ball: it rises faster than the landing speed or is higher
    /// above its surface than the landing height.
    BOOL IsAirborne() const;

    /// Appends the position and kind to the track while recording is on.
    void RecordPoint(int nKind);
    /// Appends a value to the track's value list while recording is on.
    void RecordValue(std::int32_t nValue);
    const std::vector<CVector3>& GetTrackPoints() const { return m_aTrackPoints; }
    const std::vector<std::int32_t>& GetTrackKinds() const { return m_aTrackKinds; }
    const std::vector<std::int32_t>& GetTrackValues() const { return m_aTrackValues; }

    /// Appends seven formatted pieces describing the ball to `lines`.
    void Dump(CStringArray& lines) const;
    /// Copies everything, the track included.
    void CopyFrom(const CBall& other);

    // -- Saved-game record (148 bytes) and motion record (88 bytes) ---------------------------------

    /// Writes the 148-byte ball state to `buffer`; nSize receives the bytes written. FALSE (nothing
    /// written) when the buffer is too small.
    BOOL Serialize(std::span<BYTE> buffer, DWORD& nSize) const;
    /// Reads the 148-byte ball state; nSize receives the bytes read. What the record does not carry
    /// takes its resting, on-the-table value. FALSE (nothing changed) when the buffer is too short,
    /// the ball number is out of range or a value is not finite.
    BOOL LoadState(std::span<const BYTE> buffer, DWORD& nSize);
    static DWORD GetStateSize() { return BALL_STATE_SIZE; }
    /// The mirror of ApplyMotionRecord: the ball's motion state as an 88-byte record, undefined
    /// bytes zero.
    void WriteMotionRecord(std::span<BYTE, MOTION_RECORD_SIZE> record) const;

private:
    void Init(const CVector3& vPos);
    void TurnAtRandom();
    /// Notes in the debug log that szWhat refused a non-finite value for this ball.
    void LogRefusal(const char* szWhat) const;
    void TakeOffTableBroken();

    // Stages of Move.
    void MoveDropping(float t);
    BOOL UpdateFlight();
    /// The longest flight step that changes the height by at most AIR_STEP_HEIGHT_M. Seconds.
    double GetAirStepS() const;
    void FlightStep(float t);
    void RollStep(float dv, BOOL& bStopped);
    void SlideStep(float t);
    BOOL SideSpinStep(float t);
    void AdvancePosition(const CVector3& vBefore, float t, BOOL bStopped, float fDecel);
    void SpinRotate(float t);
    void RollFromSpeed();
    BOOL IsOutsideBed() const;
    BOOL IsFarOffTable() const;

    std::vector<std::int32_t> m_aTrackValues; ///< values appended by RecordValue
    std::vector<CVector3> m_aTrackPoints;     ///< positions appended by RecordPoint (m)
    std::vector<std::int32_t> m_aTrackKinds;  ///< kind of each track point (TRACK_POINT_...)
    /// FrictSlideForce * R / (mass * 0.4 * R^2), computed at construction; carried in the records
    /// and the dump, used by nothing else.
    float ForwardSpinAcceleration = 0.0f;
    CVector3 m_vPos;         ///< centre position (m)
    CVector3 m_vStopPos;     ///< where the ball last came to rest (m)
    CVector3 m_vVel;         ///< velocity (m/s)
    CVector3 m_vOrY;         ///< orientation of the texture frame, first vector (unit)
    CVector3 m_vOrZ;         ///< orientation of the texture frame, second vector (unit)
    CVector3 m_vForwardSpin; ///< rolling spin: horizontal axis times rad/s
    CVector3 m_vSideSpin;    ///< side spin: only z is used (rad/s)
    int m_nRollMode = ROLL_MODE_ROLLING;
    BOOL m_bMoving = FALSE;
    BOOL m_bPocketed = TRUE;
    int m_nCushionContact = 0;
    int m_nLastBallHit = -1;
    int m_nLastContactKind = CONTACT_NONE;
    BOOL m_bWritePos = FALSE;
    BOOL m_bWriteNet = FALSE;
    int m_nPocket = -1;
};
