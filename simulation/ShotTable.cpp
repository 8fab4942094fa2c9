#include "simulation/ShotTable.h"

#include "simulation/PhysicsConstants.h"
#include "simulation/TableParts.h"

static_assert(SHOT_POCKET_COUNT == POCKET_COUNT, "the search walks every pocket of the table");

namespace
{
// A ball lying exactly one radius from a cushion touches it without overlapping; float positions
// must not turn that into an overlap. Metres.
constexpr double PLACEMENT_SLACK_M = 1.0e-6;
// The near aim point is used within this many ball radii of it.
constexpr double NEAR_POINT_REACH_RADII = 8.0;
} // namespace

CShotTable::CShotTable()
{
    for (int i = 0; i < SHOT_POCKET_COUNT; ++i)
    {
        const CWorldObject pocket(i);
        SShotPocket& p = m_aPockets[Index(i)];
        p.vNear = pocket.GetNearPoint();
        p.vFar = pocket.GetFarPoint();
        p.fRadius = pocket.GetRadius();
    }
}

void CShotTable::SetBall(int n, float x, float y)
{
    if (!IsBallNumber(n))
        return;
    m_aBalls[Index(n)] = SShotBall{TRUE, TRUE, CVector3(x, y, 0.0f)};
}

void CShotTable::SetPocketed(int n)
{
    if (!IsBallNumber(n))
        return;
    m_aBalls[Index(n)] = SShotBall{TRUE, FALSE, CVector3()};
}

void CShotTable::RemoveBall(int n)
{
    if (IsBallNumber(n))
        m_aBalls[Index(n)] = SShotBall{};
}

CVector3 CShotTable::GetAimPoint(int nPocket, const CVector3& vObject) const
{
    const SShotPocket& p = GetPocket(nPocket);
    const double dReach = NEAR_POINT_REACH_RADII * BALL_RADIUS_M;
    if ((p.vNear - vObject).LengthSq() < dReach * dReach)
        return p.vNear;
    return p.vFar;
}

BOOL CShotTable::IsPlacementBlocked(const CVector3& v) const
{
    const double r = BALL_RADIUS_M - PLACEMENT_SLACK_M;
    if (v.x < r || v.y < r || v.x > TABLE_WIDTH_M - r || v.y > TABLE_LENGTH_M - r)
        return TRUE;
    for (const SShotPocket& p : m_aPockets)
    {
        if ((p.vFar - v).LengthSq() < double(p.fRadius) * p.fRadius)
            return TRUE;
    }
    return FALSE;
}

void CShotTable::SetBallRange(int nFrom, int nTo, BOOL bOnFirst)
{
    m_nRangeFrom = nFrom;
    m_nRangeTo = nTo == -1 ? nFrom + 1 : nTo;
    m_bRangeOnFirst = bOnFirst;
}

BOOL CShotTable::IsInBallRange(int n) const
{
    if (!HasBallRange())
        return TRUE;
    return n >= m_nRangeFrom && n < m_nRangeTo;
}
