// What the computer player's search sees of the table: where each ball lies, the pockets' aim
// points, the ball range its path tests judge blockers by, and the scratch-check switch. Taken
// once per search from the live engine (or built directly by tests), so that the thousands of
// candidates of a search read plain values instead of the engine's locked ball list.
#pragma once

#include "foundation/Vector3.h"
#include "platform/win32/WinTypes.h"

#include <array>

class CBallEngine;

/// Ball numbers run from 0 to this minus one; pockets from 0 to SHOT_POCKET_COUNT minus one.
inline constexpr int SHOT_BALL_COUNT = 16;
inline constexpr int SHOT_POCKET_COUNT = 6;

struct SShotBall
{
    BOOL bPresent = FALSE; ///< in the engine's ball list
    BOOL bOnTable = FALSE; ///< present and not in a pocket
    CVector3 vPos;         ///< centre (m, table plane)
};

struct SShotPocket
{
    CVector3 vNear;       ///< the lip point in front of the pocket (m)
    CVector3 vFar;        ///< the pocket's position, the centre of its capture circle (m)
    float fRadius = 0.0f; ///< capture radius (m)
};

class CShotTable
{
public:
    /// No balls; the six pockets of the standard table.
    CShotTable();

    /// The balls and pockets of an engine, read under its lock.
    static CShotTable FromEngine(CBallEngine& engine);

    /// Ball n present and lying on the table at (x, y).
    void SetBall(int n, float x, float y);
    /// Ball n present but in a pocket.
    void SetPocketed(int n);
    /// Ball n not in the ball list.
    void RemoveBall(int n);

    BOOL IsPresent(int n) const { return IsBallNumber(n) && m_aBalls[Index(n)].bPresent; }
    BOOL IsOnTable(int n) const { return IsBallNumber(n) && m_aBalls[Index(n)].bOnTable; }
    /// Position of ball n; the caller checks IsOnTable first.
    const CVector3& GetPos(int n) const { return m_aBalls[Index(n)].vPos; }
    const SShotPocket& GetPocket(int i) const { return m_aPockets[Index(i)]; }
    void SetPocket(int i, const SShotPocket& pocket) { m_aPockets[Index(i)] = pocket; }

    /// The point an object ball at vObject is sent to for pocket i: the near (lip) point when the
    /// ball lies within 8 ball radii of it, else the pocket's position.
    CVector3 GetAimPoint(int nPocket, const CVector3& vObject) const;
    /// Whether a ball centred at v would overlap a cushion or lie in a pocket's capture circle.
    BOOL IsPlacementBlocked(const CVector3& v) const;

    /// The ball range the path tests judge blockers by: numbers nFrom up to but not including nTo;
    /// nFrom -1 means no range.
    void SetBallRange(int nFrom, int nTo, BOOL bOnFirst);
    BOOL HasBallRange() const { return m_nRangeFrom != -1; }
    BOOL IsInBallRange(int n) const;
    BOOL IsRangeOnFirst() const { return m_bRangeOnFirst; }

    void SetScratchCheck(BOOL bOn) { m_bScratchCheck = bOn; }
    BOOL GetScratchCheck() const { return m_bScratchCheck; }

    static BOOL IsBallNumber(int n) { return n >= 0 && n < SHOT_BALL_COUNT; }

private:
    static std::size_t Index(int n) { return static_cast<std::size_t>(n); }

    std::array<SShotBall, SHOT_BALL_COUNT> m_aBalls{};
    std::array<SShotPocket, SHOT_POCKET_COUNT> m_aPockets{};
    int m_nRangeFrom = -1;
    int m_nRangeTo = -1;
    BOOL m_bRangeOnFirst = FALSE;
    BOOL m_bScratchCheck = TRUE;
};
