// Ball-ball contacts, the safe time step and the ghost-ball point.
#include "simulation/Ball.h"
#include "simulation/CueBall.h"
#include "simulation/PhysicsCoefficients.h"
#include "simulation/PhysicsConstants.h"

#include <algorithm>
#include <cmath>

namespace
{
double Dot(const CVector3& a, const CVector3& b) { return Dot3(a.x, a.y, a.z, b.x, b.y, b.z); }

/// Pocketed balls and balls falling into a pocket are out of play: no contacts with them. (Without
/// this a dropping ball could knock a pocketed one back onto the table.)
bool IsOutOfPlay(const CBall& ball) { return ball.IsPocketed() || ball.IsRollMode4(); }

/// The squared reach of GetSafeTimeStep's quick test is widened by this factor (about a millionth
/// of the distance), many orders above the rounding of the exact bound it stands in for.
constexpr double SAFE_STEP_REACH_MARGIN = 1.0 + 1e-6;
} // namespace

BOOL CBall::IsApproaching(const CBall& other) const
{
    if (m_bMoving != TRUE && other.m_bMoving != TRUE)
        return FALSE;
    if (IsOutOfPlay(*this) || IsOutOfPlay(other))
        return FALSE;
    const CVector3 vApart = other.m_vPos - m_vPos;
    if (vApart.LengthSq() > BALL_CONTACT_DIST_SQ)
        return FALSE;
    // Closing in when the relative velocity points against the line of centres. Equal velocities
    // give a zero relative velocity, whose angle reads 0: no contact.
    return AngleBetween(vApart, other.m_vVel - m_vVel) >= HALF_PI_LITERAL ? TRUE : FALSE;
}

void CBall::Collide(CBall& other)
{
    CBall& a = *this;
    CBall& b = other;
    const int nCue = GetCueBallNumber();
    const float fR = BALL_RADIUS_M;
    const CVector3 vA = a.m_vVel;
    const CVector3 vB = b.m_vVel;
    const CVector3 vSideA = a.m_vSideSpin;
    const CVector3 vSideB = b.m_vSideSpin;

    // Equal masses: the normal part of the relative velocity passes from A to B, the tangential
    // part stays with A.
    const CVector3 u = vA - vB;
    const CVector3 n = (b.m_vPos - a.m_vPos).GetNormalized();
    const CVector3 un = n * static_cast<float>(Dot(u, n));
    const CVector3 ut = u - un;
    CVector3 vNewA = vB + ut;
    CVector3 vNewB = vB + un;
    // The struck ball keeps a part of its own normal speed (the game's follow term).
    if (a.m_nIndex == nCue)
        vNewA += vA.GetNormalized() * static_cast<float>(CUE_FOLLOW_FACTOR * Dot(vA, n));
    if (b.m_nIndex == nCue)
        vNewB += vB.GetNormalized() * static_cast<float>(CUE_FOLLOW_FACTOR * Dot(vB, n));
    a.SetVelocity(vNewA);
    b.SetVelocity(vNewB);

    // Throw of side spin is strongest for half-ball hits and vanishes for full and thin ones.
    const double dTheta = AngleBetween(u, n);
    const float k = static_cast<float>(std::fabs(std::sin(dTheta) * std::cos(dTheta)));

    if (a.m_nIndex == nCue)
    {
        if ((vSideA + a.m_vForwardSpin).Length() < CUE_ROLL_SPIN_LIMIT_RADS)
        {
            a.m_nRollMode = ROLL_MODE_ROLLING;
            a.RollFromSpeed();
        }
        else if (u.Length() < CUE_STUN_SPEED_MPS)
        {
            a.SetForwardSpin(a.m_vForwardSpin * 0.5f);
            a.m_nRollMode = ROLL_MODE_SLIDING;
        }
    }

    const float fTransfer = 0.5f * Coef(g_PhysicsCoefficients.BallBallFriction) * k;
    const CVector3 vDeltaA = (n.Cross(u) / fR - vSideB) * fTransfer;
    const CVector3 vDeltaB = ((n * -1.0f).Cross(u) / fR - vSideA) * fTransfer;
    a.SetSideSpinZ(vSideA.z + vDeltaA.z);
    b.SetSideSpinZ(vSideB.z + vDeltaB.z);

    a.m_nLastContactKind = CONTACT_BALL;
    b.m_nLastContactKind = CONTACT_BALL;
    a.m_nLastBallHit = b.m_nIndex;
    b.m_nLastBallHit = a.m_nIndex;
}

double CBall::GetSafeTimeStep(std::span<const CBall* const> balls, const CVector3& lo, const CVector3& hi,
                              int nMovingCount) const
{
    // A ball at a place that is not finite (its next Move takes it off the table) sets no limit.
    // (Its velocity is always finite: every store of it refuses other values.) Nor does a ball
    // falling into a pocket: it touches nothing more, and the aiming aid, which pockets it at once,
    // must step the rest of the table as the live table does.
    if (m_bMoving != TRUE || !IsFiniteVector(m_vPos) || IsOutOfPlay(*this))
        return NO_STEP_LIMIT_MS;
    const double dSpeed = m_vVel.Length();
    // A moving ball without speed (spinning in place) sets no limit; the bound below would divide
    // by its zero speed.
    if (!(dSpeed > 0.0) || !std::isfinite(dSpeed))
        return NO_STEP_LIMIT_MS;
    const double dR = BALL_RADIUS_M;
    double t = LONGEST_STEP_S;

    // Never close more than half the gap to another ball in one step.
    for (const CBall* pOther : balls)
    {
        if (pOther == nullptr || pOther == this || IsOutOfPlay(*pOther))
            continue;
        // A ball at a place that is not finite (it leaves the table at its next Move) gives an
        // infinite or NaN gap, and neither max nor min below takes a NaN from its second argument:
        // it bounds nothing, without a test in this innermost loop.
        const CVector3 vApart = pOther->m_vPos - m_vPos;
        // A ball farther than the centre distance at which its bound would equal t (with a margin
        // far above the rounding) cannot lower t: the root and the division are left out for it.
        const double dReach = 2.0 * dR + 2.0 * t * dSpeed;
        if (vApart.LengthSq() > dReach * dReach * SAFE_STEP_REACH_MARGIN)
            continue;
        const double dGap = std::max(vApart.Length() - 2.0 * dR, 0.0);
        t = std::min(t, 0.5 * dGap / dSpeed);
    }

    const double x = m_vPos.x;
    const double y = m_vPos.y;
    if (lo.x + dR < x && x < hi.x - dR && lo.y + dR < y && y < hi.y - dR)
    {
        // Inside: stop at the line one radius from each cushion the ball moves towards.
        double t2 = t;
        if (m_vVel.x > 0.0f)
            t2 = std::min(t2, (hi.x - dR - x) / m_vVel.x);
        else if (m_vVel.x < 0.0f)
            t2 = std::min(t2, (x - (lo.x + dR)) / -m_vVel.x);
        if (m_vVel.y > 0.0f)
            t2 = std::min(t2, (hi.y - dR - y) / m_vVel.y);
        else if (m_vVel.y < 0.0f)
            t2 = std::min(t2, (y - (lo.y + dR)) / -m_vVel.y);
        t = std::min(t, std::fabs(t2));
    }
    else
    {
        // Among the cushions: only the smallest steps below.
        const double dReach = CUSHION_BAND_M + dR;
        if (lo.x - dReach <= x && x <= hi.x + dReach && lo.y - dReach <= y && y <= hi.y + dReach)
            t = 0.0;
    }
    const double dDecel = GetRollDeceleration();
    if (dDecel > 0.0)
        t = std::min(t, dSpeed / dDecel);
    // Every moving ball advances at least R / 20 (times the number of moving balls) per step.
    t = std::max(t, nMovingCount * (dR / MIN_STEP_DIVISOR) / dSpeed);
    // A flight is stepped finely whatever the period (see AIR_STEP_HEIGHT_M).
    if (m_nRollMode != ROLL_MODE_DROPPING && IsAirborne())
        t = std::min(t, GetAirStepS());
    return t * 1000.0;
}

CVector3 CalcGhostBallPos(CVector3 vBall, CVector3 vTarget)
{
    const CVector3 d = vTarget - vBall;
    return vBall + CVector3(-d.x, -d.y, d.z).GetNormalized() * (2.0f * BALL_RADIUS_M);
}

float CalcGhostBallPosY(CVector3 vBall, CVector3 vTarget) { return CalcGhostBallPos(vBall, vTarget).y; }
