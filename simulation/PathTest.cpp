#include "simulation/PathTest.h"

#include "simulation/Ball.h"
#include "simulation/PhysicsConstants.h"
#include "simulation/ShotTable.h"

#include <cmath>

namespace
{
// Half the width a pocket offers a ball running at it: the path to a pocket at distance L counts
// as heading for it within atan2(this, L). Metres.
constexpr double POCKET_HALF_WIDTH_M = 0.063119;
// A path test to a pocket at or above this value is free.
constexpr double FREE_THRESHOLD = 0.1;

double Dot2(const CVector3& a, const CVector3& b) { return double(a.x) * b.x + double(a.y) * b.y; }
} // namespace

BOOL CPathBlockTest::IsOnPath(const CVector3& vFrom, const CVector3& vTo, const CVector3& vBall)
{
    if (PointLineDistance2D(vBall.x, vBall.y, vFrom.x, vFrom.y, vTo.x, vTo.y) > 2.0 * BALL_RADIUS_M)
        return FALSE;
    // Between the ends: the angles at both ends are at most a right angle.
    return Dot2(vTo - vFrom, vBall - vFrom) >= 0.0 && Dot2(vFrom - vTo, vBall - vTo) >= 0.0;
}

CPathBlockTest::CPathBlockTest(double dWeight, const CShotTable& table, const CVector3& vFrom, const CVector3& vTo,
                               int nIgnore1, int nIgnore2, BOOL bSkipPlaceTest)
    : CRange(dWeight)
{
    m_dValue = FREE;
    if (!bSkipPlaceTest && table.IsPlacementBlocked(vTo))
    {
        m_dValue = BLOCKED;
        return;
    }
    // The range judges blockers of the cue ball's path only: an object-ball leg ignores two
    // object balls (neither is the cue ball 0).
    const BOOL bObjectLeg = nIgnore1 != 0 && nIgnore2 != 0;
    for (int n = 0; n < SHOT_BALL_COUNT; ++n)
    {
        if (n == nIgnore1 || n == nIgnore2 || !table.IsOnTable(n) || !IsOnPath(vFrom, vTo, table.GetPos(n)))
            continue;
        m_dValue = table.HasBallRange() && !bObjectLeg && !table.IsInBallRange(n) ? BLOCKED_OUTSIDE_RANGE : BLOCKED;
        return;
    }
}

CPathBlockTest2::CPathBlockTest2(double dWeight, const CShotTable& table, const CVector3& vCue, const CVector3& vObject,
                                 const CVector3& vTarget, int nPocket, int nCueBall, int nObjectBall)
    : CRange(dWeight)
{
    m_dValue = SAFE;
    // At the contact the cue ball sits at the ghost point; it leaves along its incoming direction
    // less the part along the line of centres (the object ball's new direction).
    const CVector3 vContact = CalcGhostBallPos(vObject, vTarget);
    const CVector3 vNormal = (vTarget - vObject).GetNormalized();
    const CVector3 vIn = vContact - vCue;
    const CVector3 vTangent = vIn - vNormal * static_cast<float>(Dot2(vIn, vNormal));
    if (vTangent.LengthSq() < 1.0e-12)
        return; // a full hit: no tangent line
    for (int q = 0; q < SHOT_POCKET_COUNT; ++q)
    {
        if (q == nPocket)
            continue;
        const CVector3 vToPocket = table.GetPocket(q).vFar - vContact;
        const double L = vToPocket.Length();
        if (AngleBetween(vTangent, vToPocket) > std::atan2(POCKET_HALF_WIDTH_M, L))
            continue;
        CPathBlockTest path(1.0, table, vContact, table.GetPocket(q).vFar, nCueBall, nObjectBall, TRUE);
        if (path.GetValue() >= FREE_THRESHOLD)
        {
            m_dValue = SCRATCH;
            return;
        }
    }
}
