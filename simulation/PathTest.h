// Path tests of the computer player's shot candidates: whether a straight path between two points
// on the table is free of other balls, and whether the cue ball risks running on into a pocket
// after the contact. Each evaluates on construction; its value (the range base's) says the result.
#pragma once

#include "foundation/Range.h"
#include "foundation/Vector3.h"
#include "platform/win32/WinTypes.h"

class CShotTable;

/// Value 1.0 when the path is free, 0.0 when a ball (or the placement at its end) blocks it, -1.0
/// when the blocker is a ball outside the search's ball range (a cue-ball path only).
class CPathBlockTest : public CRange
{
public:
    /// Tests the path from vFrom to vTo for a ball travelling along it; the balls nIgnore1 and
    /// nIgnore2 (-1 none) are the shot's own. Unless bSkipPlaceTest, a ball must also fit at vTo.
    CPathBlockTest(double dWeight, const CShotTable& table, const CVector3& vFrom, const CVector3& vTo, int nIgnore1,
                   int nIgnore2, BOOL bSkipPlaceTest);

    static constexpr double FREE = 1.0;
    static constexpr double BLOCKED = 0.0;
    static constexpr double BLOCKED_OUTSIDE_RANGE = -1.0;

    /// Whether the ball at vBall lies within two radii of the segment from vFrom to vTo and between
    /// its ends.
    static BOOL IsOnPath(const CVector3& vFrom, const CVector3& vTo, const CVector3& vBall);
};

/// The scratch test. Value 1.0 when safe, -1.0 when the cue ball, leaving the contact along its
/// tangent line, heads for another pocket through a free path (the candidate is then dropped).
class CPathBlockTest2 : public CRange
{
public:
    /// The cue ball from vCue strikes the ball at vObject to send it towards vTarget; nPocket is the
    /// shot's pocket, which the cue ball may follow into without risk here; nCueBall and nObjectBall
    /// are left out of the path test.
    CPathBlockTest2(double dWeight, const CShotTable& table, const CVector3& vCue, const CVector3& vObject,
                    const CVector3& vTarget, int nPocket, int nCueBall, int nObjectBall);

    static constexpr double SAFE = 1.0;
    static constexpr double SCRATCH = -1.0;
};
