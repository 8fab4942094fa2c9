#include "foundation/TableMap.h"

double LinearMap(double a0, double a1, double b0, double b1, double v)
{
    if (a1 == a0)
        return b0;
    return (b1 - b0) * (v - a0) / (a1 - a0) + b0;
}

CVector3& CTableMap::MapTableToPoint(CVector3& out, const CVector3& p) const
{
    out.SetVec3(static_cast<float>(LinearMap(m_dLeftX, m_dRightX, m_fLeft, m_fRight, p.x)),
                static_cast<float>(LinearMap(m_dTopZ, m_dBottomZ, m_fTop, m_fBottom, p.z)), 0.0f);
    return out;
}

CVector3 CTableMap::MapPointToTable(float x, float y, float fHeight) const
{
    return CVector3(static_cast<float>(LinearMap(m_fLeft, m_fRight, m_dLeftX, m_dRightX, x)), fHeight,
                    static_cast<float>(LinearMap(m_fTop, m_fBottom, m_dTopZ, m_dBottomZ, y)));
}
