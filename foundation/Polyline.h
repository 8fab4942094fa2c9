// The ball event list: the collisions of a shot, each with its kind, a strength level from the
// impact speed and the place where it happened. The list itself has no lock; engines that share
// lists copy them under their own lock.
#pragma once

#include "foundation/Vector3.h"
#include "platform/mfc/Arrays.h"

/// One event: the caller's event code, the strength level 0..level count - 1 and the position.
struct CPolyRecord
{
    int nKind = 0;
    int nLevel = 0;
    CVector3 vPos;
};

class CPolyline
{
public:
    /// An empty list whose strength levels run from 0 to nLevels - 1 (a count below 1 counts as 1).
    explicit CPolyline(int nLevels);

    int GetCount() const { return m_Records.GetSize(); }
    int GetLevelCount() const { return m_nLevels; }
    /// Changes the number of strength levels for the events added from now on.
    void SetLevelCount(int nLevels);

    /// The kind of record i, and when the pointers are given its level and position.
    /// Returns -1 and writes nothing when i is not a record of the list.
    int GetRecord(int i, int* pLevel = nullptr, CVector3* pPosition = nullptr) const;

    /// Appends an event for a ball at position with the given velocity (m/s), relative to the
    /// other ball's velocity when that is given; returns the new record's index.
    /// The strength level is floor((levels - 1) * sqrt(speed / 5 m/s)), at most levels - 1.
    int AddBallEvent(int nKind, const CVector3& position, const CVector3& velocity,
                     const CVector3* pOtherVelocity = nullptr);

    /// Replaces the records and the level count with those of list.
    void Copy(const CPolyline& list);

    /// The strength level of a relative speed in m/s for a list of nLevels levels.
    static int LevelForSpeed(double dSpeed, int nLevels);

private:
    CArray<CPolyRecord> m_Records;
    int m_nLevels;
};
