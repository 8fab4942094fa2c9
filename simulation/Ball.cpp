// The ball's state: construction, accessors, copies, the track and the text dump.
#include "simulation/Ball.h"

#include "foundation/Matrix.h"
#include "platform/win32/CrtRandom.h"
#include "platform/win32/DebugLog.h"
#include "simulation/CueBall.h"
#include "simulation/PhysicsCoefficients.h"
#include "simulation/PhysicsConstants.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
/// Degrees to radians as the game converts them.
constexpr double DEG_TO_RAD = 0.017453292519444445;

/// The sum of the components in double: it cannot overflow, so it is finite exactly when every
/// component is (one test in place of one per component; the checks run at every step).
double SumOf(const CVector3& v) { return double(v.x) + double(v.y) + double(v.z); }
} // namespace

float GetBallRadius() { return BALL_RADIUS_M; }

bool IsFiniteVector(const CVector3& v) { return std::isfinite(SumOf(v)); }

/// Scene-object type id of every ball.
static constexpr int BALL_TYPE_ID = 0;

CBall::CBall(int nNumber) : CSceneObjectBase(BALL_TYPE_ID, nNumber) { Init(CVector3()); }

CBall::CBall(int nNumber, float x, float y, float z) : CSceneObjectBase(BALL_TYPE_ID, nNumber)
{
    Init(CVector3(x, y, z));
}

CBall::CBall(int nNumber, float x, float y) : CSceneObjectBase(BALL_TYPE_ID, nNumber) { Init(CVector3(x, y, 0.0f)); }

void CBall::Init(const CVector3& vPos)
{
    // Spin acceleration of sliding friction on a solid sphere (moment of inertia 0.4 m R^2).
    const double dR = BALL_RADIUS_M;
    ForwardSpinAcceleration =
        static_cast<float>(Coef(g_PhysicsCoefficients.FrictSlideForce) * dR / (BALL_MASS_KG * 0.4 * dR * dR));
    m_vPos = vPos;
    m_vStopPos = vPos;
    m_vOrY.SetVec3(0.0f, 0.0f, 1.0f);
    m_vOrZ.SetVec3(0.0f, 1.0f, 0.0f);
    // The cue ball always starts in the same orientation; the others show a random face.
    if (m_nIndex != GetCueBallNumber())
        TurnAtRandom();
}

void CBall::TurnAtRandom()
{
    // Three separate statements: the draws must happen in x, y, z order.
    const int nX = CrtRand() % 100;
    const int nY = CrtRand() % 100;
    const int nZ = CrtRand() % 100;
    CVector3 axis(static_cast<float>(nX), static_cast<float>(nY), static_cast<float>(nZ));
    if (nX == 0 && nY == 0 && nZ == 0)
        axis.SetVec3(1.0f, 0.0f, 0.0f);
    axis.Normalize();
    const int nDegrees = CrtRand() % 360;
    Rotate(axis, static_cast<float>(nDegrees * DEG_TO_RAD));
}

void CBall::Rotate(const CVector3& axis, float fAngle)
{
    // One matrix turns both vectors (a moving ball turns at every step).
    D3DMATRIX rotation;
    MatrixRotationAxis(rotation, axis, fAngle);
    Vec3TransformCoord(&m_vOrY, rotation);
    Vec3TransformCoord(&m_vOrZ, rotation);
}

void CBall::SetPocketed(BOOL bPocketed, BOOL bRecord, int nPocket)
{
    m_bPocketed = bPocketed;
    if (bPocketed)
    {
        Stop();
        if (bRecord)
            RecordPoint(TRACK_POINT_PLAIN);
    }
    m_nPocket = nPocket;
}

int CBall::TakeCushionContact()
{
    const int n = m_nCushionContact;
    m_nCushionContact = 0;
    return n;
}

int CBall::TakeLastBallHit()
{
    const int n = m_nLastBallHit;
    m_nLastBallHit = -1;
    return n;
}

void CBall::SetPosition(CVector3 v)
{
    if (!IsFiniteVector(v))
    {
        LogRefusal("CBall::SetPosition");
        return;
    }
    m_vPos = RoundVector4Places(v);
}

void CBall::SetVelocity(CVector3 v)
{
    // A NaN velocity would never stop (both stop tests are false for NaN) and stall the game.
    if (!IsFiniteVector(v))
    {
        LogRefusal("CBall::SetVelocity");
        return;
    }
    m_vVel = RoundVector4Places(v);
    m_bMoving = TRUE;
}

bool CBall::HasFiniteState() const
{
    return std::isfinite(SumOf(m_vPos) + SumOf(m_vVel) + SumOf(m_vForwardSpin) + SumOf(m_vSideSpin) + SumOf(m_vOrY) +
                         SumOf(m_vOrZ));
}

void CBall::LogRefusal(const char* szWhat) const
{
    char szText[128];
    std::snprintf(szText, sizeof szText, "%s: ball %d: a value that is not finite, refused\n", szWhat, m_nIndex);
    OutputDebugString(szText);
}

void CBall::TakeOffTableBroken()
{
    // A non-finite spin or orientation (or a copy of a broken ball) got past the setters: the ball
    // can neither move on nor be stepped around, so it leaves play, at a finite place.
    LogRefusal("CBall::Move (taken off the table)");
    if (!IsFiniteVector(m_vPos))
        m_vPos = IsFiniteVector(m_vStopPos) ? m_vStopPos : CVector3();
    if (!IsFiniteVector(m_vOrY) || !IsFiniteVector(m_vOrZ))
        ResetOrientation();
    m_nRollMode = ROLL_MODE_ROLLING;
    SetPocketed(TRUE, TRUE, -1);
}

void CBall::GetOrientation(CVector3& vOrY, CVector3& vOrZ) const
{
    vOrY = m_vOrY;
    vOrZ = m_vOrZ;
}

void CBall::SetOrientation(const CVector3& vOrY, const CVector3& vOrZ)
{
    m_vOrY = vOrY;
    m_vOrZ = vOrZ;
}

void CBall::ResetOrientation()
{
    m_vOrZ.SetVec3(0.0f, -1.0f, 1.0f);
    m_vOrY.SetVec3(0.0f, 0.0f, 1.0f);
}

void CBall::SetForwardSpin(CVector3 v) { m_vForwardSpin = RoundVector4Places(v); }

void CBall::SetRollSpin(float fSpin) { SetForwardSpin(GetRollAxis() * fSpin); }

void CBall::SetSideSpin(CVector3 v) { m_vSideSpin = RoundVector4Places(v); }

void CBall::SetSideSpinZ(float w)
{
    w = std::clamp(w, -SIDE_SPIN_LIMIT_RADS, SIDE_SPIN_LIMIT_RADS);
    // A nearly resting ball cannot take up full spin.
    if (GetSpeed() < SLOW_SPIN_SPEED_MPS)
        w /= SLOW_SPIN_DIVISOR;
    CVector3 vSpin = m_vSideSpin;
    vSpin.z = w;
    SetSideSpin(vSpin);
}

void CBall::Stop()
{
    m_vVel = CVector3();
    m_vForwardSpin = CVector3();
    m_vSideSpin = CVector3();
    m_bMoving = FALSE;
    m_vStopPos = m_vPos;
}

void CBall::ClearTrack()
{
    m_aTrackValues.clear();
    m_aTrackPoints.clear();
    m_aTrackKinds.clear();
}

double CBall::GetDistanceFromStop() const { return (m_vPos - m_vStopPos).Length(); }

CVector3 CBall::GetRollAxis() const
{
    const CVector3 u = m_vVel.GetNormalized();
    return CVector3(-u.y, u.x, 0.0f);
}

void CBall::RecordPoint(int nKind)
{
    if (m_bWritePos != TRUE)
        return;
    m_aTrackPoints.push_back(m_vPos);
    m_aTrackKinds.push_back(nKind);
}

void CBall::RecordValue(std::int32_t nValue)
{
    if (m_bWritePos == TRUE)
        m_aTrackValues.push_back(nValue);
}

void CBall::CopyFrom(const CBall& other)
{
    if (&other == this)
        return;
    m_nTypeId = other.m_nTypeId;
    m_nIndex = other.m_nIndex;
    ForwardSpinAcceleration = other.ForwardSpinAcceleration;
    m_vPos = other.m_vPos;
    m_vStopPos = other.m_vStopPos;
    m_vVel = other.m_vVel;
    m_vOrY = other.m_vOrY;
    m_vOrZ = other.m_vOrZ;
    m_vForwardSpin = other.m_vForwardSpin;
    m_vSideSpin = other.m_vSideSpin;
    m_nRollMode = other.m_nRollMode;
    m_bMoving = other.m_bMoving;
    m_bPocketed = other.m_bPocketed;
    m_nCushionContact = other.m_nCushionContact;
    m_nLastBallHit = other.m_nLastBallHit;
    m_nLastContactKind = other.m_nLastContactKind;
    m_bWritePos = other.m_bWritePos;
    m_bWriteNet = other.m_bWriteNet;
    m_nPocket = other.m_nPocket;
    m_aTrackValues = other.m_aTrackValues;
    m_aTrackPoints = other.m_aTrackPoints;
    m_aTrackKinds = other.m_aTrackKinds;
}

void CBall::CopyMotionFrom(const CBall& other)
{
    m_nIndex = other.m_nIndex;
    m_vPos = other.m_vPos;
    m_vStopPos = other.m_vPos;
    m_vVel = other.m_vVel;
    // The moving flag goes with the velocity, so that a copy of a resting ball rests.
    m_bMoving = other.m_bMoving;
    m_vOrY = other.m_vOrY;
    m_vOrZ = other.m_vOrZ;
    m_vForwardSpin = other.m_vForwardSpin;
    m_vSideSpin.SetVec3(0.0f, 0.0f, other.m_vSideSpin.z);
    m_nRollMode = other.m_nRollMode;
    m_bPocketed = other.m_bPocketed;
    m_nPocket = other.m_nPocket;
    m_nLastContactKind = other.m_nLastContactKind;
}

void CBall::InterpolateTo(const CBall& other, float t)
{
    const CVector3 vFrom = m_vPos;
    const CVector3 vOrYFrom = m_vOrY.GetNormalized();
    const CVector3 vOrZFrom = m_vOrZ.GetNormalized();
    CopyFrom(other);
    m_vPos = vFrom + (other.m_vPos - vFrom) * t;
    m_vOrY = (vOrYFrom + (other.m_vOrY.GetNormalized() - vOrYFrom) * t).GetNormalized();
    m_vOrZ = (vOrZFrom + (other.m_vOrZ.GetNormalized() - vOrZFrom) * t).GetNormalized();
}

void CBall::Dump(CStringArray& lines) const
{
    CString str;
    str.Format("Ball %d(type-%d) : ", m_nIndex, GetTypeId());
    lines.Add(str);
    str.Format(" mass-%10.8f, radius-%10.8f, accelRollDeceler-%10.8f, FrictSlideForce-%10.8f ", double(BALL_MASS_KG),
               double(BALL_RADIUS_M), double(Coef(g_PhysicsCoefficients.accelRollDeceler)),
               double(Coef(g_PhysicsCoefficients.FrictSlideForce)));
    lines.Add(str);
    str.Format(" ForwardSpinAcceleration-%10.8f, SideSpinDeceleration-%10.8f, BallBallFriction-%10.8f, "
               "m_dMaxFlightHeightPerR-%10.8f ",
               double(ForwardSpinAcceleration), double(Coef(g_PhysicsCoefficients.SideSpinDeceleration)),
               double(Coef(g_PhysicsCoefficients.BallBallFriction)),
               double(Coef(g_PhysicsCoefficients.m_dMaxFlightHeightPerR)));
    lines.Add(str);
    str.Format(" pos(%10.8f, %10.8f, %10.8f), stop pos(%10.8f, %10.8f, %10.8f), vel(%10.8f, %10.8f, %10.8f)",
               double(m_vPos.x), double(m_vPos.y), double(m_vPos.z), double(m_vStopPos.x), double(m_vStopPos.y),
               double(m_vStopPos.z), double(m_vVel.x), double(m_vVel.y), double(m_vVel.z));
    lines.Add(str);
    str.Format(" orY(%10.8f, %10.8f, %10.8f), orZ(%10.8f, %10.8f, %10.8f)", double(m_vOrY.x), double(m_vOrY.y),
               double(m_vOrY.z), double(m_vOrZ.x), double(m_vOrZ.y), double(m_vOrZ.z));
    lines.Add(str);
    str.Format(" roll mode %d, spin : forw(%10.8f, %10.8f, %10.8f), side(%10.8f, %10.8f, %10.8f)", m_nRollMode,
               double(m_vForwardSpin.x), double(m_vForwardSpin.y), double(m_vForwardSpin.z), double(m_vSideSpin.x),
               double(m_vSideSpin.y), double(m_vSideSpin.z));
    lines.Add(str);
    str.Format(" moved-%d, pocketed-%d, collide bord-%d, write: pos-%d, net-%d, collisions: ball-%d, obj-%d, pocket-%d",
               m_bMoving, m_bPocketed, m_nCushionContact, m_bWritePos, m_bWriteNet, m_nLastBallHit, m_nLastContactKind,
               m_nPocket);
    lines.Add(str);
}
