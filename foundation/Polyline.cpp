#include "foundation/Polyline.h"

#include <algorithm>
#include <cmath>

namespace
{
// Relative speed at and above which an event has the top strength level. Metres per second.
constexpr double TOP_LEVEL_SPEED_MPS = 5.0;
} // namespace

CPolyline::CPolyline(int nLevels) : m_nLevels(std::max(nLevels, 1)) {}

void CPolyline::SetLevelCount(int nLevels) { m_nLevels = std::max(nLevels, 1); }

int CPolyline::GetRecord(int i, int* pLevel, CVector3* pPosition) const
{
    if (i < 0 || i >= GetCount())
        return -1;
    const CPolyRecord& record = m_Records.GetAt(i);
    if (pLevel != nullptr)
        *pLevel = record.nLevel;
    if (pPosition != nullptr)
        *pPosition = record.vPos;
    return record.nKind;
}

int CPolyline::LevelForSpeed(double dSpeed, int nLevels)
{
    const int nTop = std::max(nLevels, 1) - 1;
    const double dLevel = std::floor(nTop * std::sqrt(dSpeed / TOP_LEVEL_SPEED_MPS));
    // Also catches NaN (a broken velocity) and negatives, whose conversion to int would be undefined.
    if (!(dLevel >= 0.0))
        return 0;
    return dLevel >= nTop ? nTop : static_cast<int>(dLevel);
}

int CPolyline::AddBallEvent(int nKind, const CVector3& position, const CVector3& velocity,
                            const CVector3* pOtherVelocity)
{
    const CVector3 relative = pOtherVelocity != nullptr ? velocity - *pOtherVelocity : velocity;
    CPolyRecord record;
    record.nKind = nKind;
    record.nLevel = LevelForSpeed(relative.Length(), m_nLevels);
    record.vPos = position;
    return m_Records.Add(record);
}

void CPolyline::Copy(const CPolyline& list)
{
    m_nLevels = list.m_nLevels;
    m_Records.Copy(list.m_Records);
}
