// One time step of a ball: dropping into a pocket, flight, rolling, sliding, side-spin decay,
// the position step and the turning of the ball's texture frame.
//
// Move, stage by stage:
//   dropping (roll mode 4) -> falls along its velocity, kept over the bed rectangle; nothing else
//   in the air            -> ballistic flight, spin turns the ball; nothing else
//   on a surface          -> deceleration (roll) or friction (slide), side-spin decay,
//                            position step, stop when both the roll and the side spin ended
#include "simulation/Ball.h"
#include "simulation/CueBall.h"
#include "simulation/PhysicsCoefficients.h"
#include "simulation/PhysicsConstants.h"

#include <algorithm>
#include <cmath>

namespace
{
/// Take-off speed that carries a ball h metres high in the game's flight model: sqrt(h * 0.5 * g).
float SpeedForHeight(float h) { return static_cast<float>(std::sqrt(double(h) * 0.5 * GRAVITY_MPS2)); }
} // namespace

void CBall::Move(double dMs)
{
    if (m_bMoving != TRUE)
        return;
    if (!HasFiniteState())
    {
        TakeOffTableBroken();
        return;
    }
    const float t = static_cast<float>(dMs * 0.001);
    if (m_nRollMode == ROLL_MODE_DROPPING)
    {
        MoveDropping(t);
        return;
    }
    // A recorded track ends where the ball leaves the bed.
    if (m_bWritePos == TRUE && IsOutsideBed())
    {
        RecordPoint(TRACK_POINT_PLAIN);
        m_bWritePos = FALSE;
    }
    if (UpdateFlight())
    {
        FlightStep(t);
        SpinRotate(t);
        return;
    }

    // On a surface: only the struck ball may slide; every other ball rolls.
    if (m_nIndex != GetCueBallNumber())
        m_nRollMode = ROLL_MODE_ROLLING;
    const CVector3 vBefore = m_vVel;
    const float fDecel = GetRollDeceleration();
    const float dv = fDecel * t;
    BOOL bStopped = FALSE;
    if (m_nRollMode == ROLL_MODE_ROLLING)
        RollStep(dv, bStopped);
    else
        SlideStep(t);
    const BOOL bSpinEnded = SideSpinStep(t);
    AdvancePosition(vBefore, t, bStopped, fDecel);
    if (bStopped && bSpinEnded)
    {
        Stop();
        RecordPoint(TRACK_POINT_PLAIN);
        return;
    }
    SpinRotate(t);
    CVector3 vVel = m_vVel;
    vVel.z = 0.0f;
    SetVelocity(vVel);
    m_vPos.z = GetSurfaceHeight();
}

void CBall::MoveDropping(float t)
{
    // Keep the ball sinking (or, in principle, rising) at a visible rate.
    CVector3 v = m_vVel;
    if (v.z >= 0.0f && v.z < POCKET_DROP_MIN_VERTICAL_MPS)
        v.z = POCKET_DROP_MIN_VERTICAL_MPS;
    else if (v.z < 0.0f && v.z > -POCKET_DROP_MIN_VERTICAL_MPS)
        v.z = -POCKET_DROP_MIN_VERTICAL_MPS;
    SetVelocity(v);
    CVector3 p = m_vPos + m_vVel * t;
    p.x = std::clamp(p.x, 0.0f, TABLE_WIDTH_M);
    p.y = std::clamp(p.y, 0.0f, TABLE_LENGTH_M);
    SetPosition(p);
}

BOOL CBall::UpdateFlight()
{
    // The highest take-off speed follows the present coefficient, so that a change in the physics
    // settings counts at once (computing it once would keep the first value for the whole run).
    const float fMaxUp = SpeedForHeight(Coef(g_PhysicsCoefficients.m_dMaxFlightHeightPerR) * BALL_RADIUS_M);
    CVector3 v = m_vVel;
    if (!IsAirborne())
    {
        v.z = 0.0f;
        m_vPos.z = GetSurfaceHeight();
        if (m_nRollMode == ROLL_MODE_FLYING)
            m_nRollMode = ROLL_MODE_SLIDING;
        if (m_vPos.z < FLOOR_LANDING_BELOW_M)
            m_nRollMode = ROLL_MODE_ROLLING;
        SetVelocity(v);
        return FALSE;
    }
    m_nRollMode = ROLL_MODE_FLYING;
    v.z = std::min(v.z, fMaxUp);
    SetVelocity(v);
    return TRUE;
}

BOOL CBall::IsAirborne() const
{
    const float fLanding = SpeedForHeight(LANDING_HEIGHT_M);
    const bool bLanded = m_vVel.z <= fLanding && m_vPos.z - GetSurfaceHeight() <= LANDING_HEIGHT_M;
    return bLanded ? FALSE : TRUE;
}

double CBall::GetAirStepS() const
{
    // Solves |vz| t + g t^2 / 2 = AIR_STEP_HEIGHT_M for t: an upper bound of the height change in
    // either direction of flight.
    const double dVz = std::fabs(double(m_vVel.z));
    const double g = GRAVITY_MPS2;
    return (std::sqrt(dVz * dVz + 2.0 * g * AIR_STEP_HEIGHT_M) - dVz) / g;
}

void CBall::FlightStep(float t)
{
    CVector3 p = m_vPos + m_vVel * t;
    m_vPos = p;
    p.z = std::max(p.z, GetSurfaceHeight());
    SetPosition(p);
    SetVelocity(m_vVel + CVector3(0.0f, 0.0f, -GRAVITY_MPS2) * t);
}

void CBall::RollStep(float dv, BOOL& bStopped)
{
    const double dSpeed = m_vVel.Length();
    if (dv >= dSpeed || IsFarOffTable())
    {
        SetVelocity(CVector3());
        bStopped = TRUE;
    }
    else
    {
        SetVelocity(m_vVel * static_cast<float>((dSpeed - dv) / dSpeed));
    }
    RollFromSpeed();
}

void CBall::SlideStep(float t)
{
    const float fR = BALL_RADIUS_M;
    // Slip of the contact point on the cloth: the velocity plus the spin's surface speed.
    CVector3 u = m_vVel + CVector3(-m_vForwardSpin.y, m_vForwardSpin.x, 0.0f) * fR;
    RoundVector4Places(u);
    if (u.Length() < SLIDE_TO_ROLL_SLIP_MPS)
    {
        m_nRollMode = ROLL_MODE_ROLLING;
        RollFromSpeed();
        return;
    }
    const float fAccel = Coef(g_PhysicsCoefficients.accelRollDeceler);
    // Friction against the slip slows the ball and winds the spin towards rolling.
    SetVelocity(m_vVel - u.GetNormalized() * (SLIDE_DECEL_FACTOR * fAccel * t));
    SetForwardSpin(m_vForwardSpin + CVector3(-u.y, u.x, 0.0f).GetNormalized() * (fAccel * t * SLIDE_SPIN_FACTOR));
}

BOOL CBall::SideSpinStep(float t)
{
    const float d = Coef(g_PhysicsCoefficients.SideSpinDeceleration) * t;
    float s = m_vSideSpin.z;
    BOOL bEnded = FALSE;
    if (std::fabs(s) > d)
    {
        s -= (s < 0.0f ? -1.0f : 1.0f) * d;
    }
    else
    {
        s = 0.0f;
        bEnded = TRUE;
    }
    CVector3 vSpin = m_vSideSpin;
    vSpin.z = s;
    SetSideSpin(vSpin);
    return bEnded;
}

// The position step covers the distance the ball really travels in the step: the mean of the
// velocities before and after it (for a rolling ball, the velocity before less half the step's
// deceleration). A ball that stops within the step travels its remaining stopping distance
// v^2 / 2a. Taking the velocity after the step instead would shorten every step by a*t^2 and make
// long steps (the aiming aid's) end short of where frame-sized steps end.
void CBall::AdvancePosition(const CVector3& vBefore, float t, BOOL bStopped, float fDecel)
{
    CVector3 p = m_vPos;
    if (!bStopped)
    {
        p += (vBefore + m_vVel) * 0.5f * t;
    }
    else if (!IsFarOffTable() && fDecel > 0.0f)
    {
        const double dSpeed = vBefore.Length();
        p += vBefore.GetNormalized() * static_cast<float>(dSpeed * dSpeed / (2.0 * fDecel));
    }
    SetPosition(p);
}

void CBall::SpinRotate(float t)
{
    const CVector3 w = m_vForwardSpin + m_vSideSpin;
    const double dRate = w.Length();
    if (dRate != 0.0)
        Rotate(w, static_cast<float>(-dRate * t));
}

void CBall::RollFromSpeed() { SetForwardSpin(GetRollAxis() * static_cast<float>(m_vVel.Length() / BALL_RADIUS_M)); }

float CBall::GetRollDeceleration() const
{
    const float fAccel = Coef(g_PhysicsCoefficients.accelRollDeceler);
    const float fSpeed = static_cast<float>(m_vVel.Length());
    if (fSpeed >= SLOW_ROLL_SPEED_MPS)
        return fAccel;
    // Slow balls decelerate in proportion to their speed, but never below a fifth of the full
    // value, so that they still stop.
    return std::max(fSpeed / SLOW_ROLL_SPEED_MPS * fAccel, fAccel / ROLL_DECEL_FLOOR_DIVISOR);
}

float CBall::GetSurfaceHeight() const
{
    const float fLo = -CUSHION_BAND_M;
    const BOOL bOverTable = m_vPos.x >= fLo && m_vPos.x <= TABLE_WIDTH_M + CUSHION_BAND_M && m_vPos.y >= fLo &&
                            m_vPos.y <= TABLE_LENGTH_M + CUSHION_BAND_M;
    return bOverTable ? 0.0f : FLOOR_HEIGHT_M;
}

BOOL CBall::IsOutsideBed() const
{
    return m_vPos.x < 0.0f || m_vPos.x > TABLE_WIDTH_M || m_vPos.y < 0.0f || m_vPos.y > TABLE_LENGTH_M;
}

BOOL CBall::IsFarOffTable() const
{
    return m_vPos.x < -FAR_OFF_TABLE_M || m_vPos.x > TABLE_WIDTH_M + FAR_OFF_TABLE_M || m_vPos.y < -FAR_OFF_TABLE_M ||
           m_vPos.y > TABLE_LENGTH_M + FAR_OFF_TABLE_M;
}
