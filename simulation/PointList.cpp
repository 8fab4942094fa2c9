#include "simulation/PointList.h"

#include "foundation/GlobalOrder.h"
#include "platform/win32/CrtRandom.h"
#include "simulation/TableBounds.h"

#include <algorithm>
#include <cmath>

VORN_GLOBAL_ROW(GLOBAL_ROW_RACK_POINTS) CPointList g_PointList;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_RACK_POINTS);

CVector3 GetTableSpotA()
{
    const CVector3& lo = g_TableBounds.vMin;
    const CVector3& hi = g_TableBounds.vMax;
    return CVector3(lo.x + (hi.x - lo.x) / 2.0f, 0.0f, lo.z + (hi.z - lo.z) / 4.0f);
}

CVector3 GetTableSpotB()
{
    const CVector3& lo = g_TableBounds.vMin;
    const CVector3& hi = g_TableBounds.vMax;
    return CVector3(lo.x + (hi.x - lo.x) / 2.0f, 0.0f, hi.z - (hi.z - lo.z) / 4.0f);
}

CVector3 MapTableSpotAToScreen(const CTableMap& map)
{
    CVector3 out;
    return map.MapTableToPoint(out, GetTableSpotA());
}

CVector3 MapTableSpotBToScreen(const CTableMap& map)
{
    CVector3 out;
    return map.MapTableToPoint(out, GetTableSpotB());
}

void CPointList::Build(double dWidth, double dLength, double dRadius, int nCount)
{
    m_dWidth = dWidth;
    m_dLength = dLength;
    m_dRadius = dRadius;
    m_nCount = nCount;
    m_Points.clear();

    // The cue ball's spot: the head spot, moved a little at random so that breaks differ.
    const CVector3 vA = GetTableSpotA();
    double x = vA.x;
    double y = vA.z;
    const int k = CrtRand() % 10;
    x *= (k % 2 == 0) ? 1.0 + 0.01 * k : 1.0 - 0.01 * k;
    const int k2 = CrtRand() % 10;
    y -= 0.001 * k2;
    AddSpot(x, y);

    const CVector3 vB = GetTableSpotB();
    const double x0 = vB.x;
    const double y0 = vB.z;
    // Touching balls in neighbouring rows lie sqrt(3) R apart along the table.
    const double h = std::sqrt(3.0) * dRadius;
    if (nCount == 10)
    {
        // A diamond of 1, 2, 3, 2, 1: three rows of the triangle, then two and one below.
        AddRows(x0, y0, h, 6);
        AddSpot(m_Points[2].x, y0 + 3.0 * h);
        AddSpot(m_Points[3].x, y0 + 3.0 * h);
        AddSpot(m_Points[5].x, y0 + 4.0 * h);
    }
    else if (nCount == 5)
    {
        AddSpot(x0, y0);
        AddSpot(x0 - dRadius, y0 + h);
        AddSpot(x0 + dRadius, y0 + h);
        AddSpot(x0, y0 + 2.0 * h);
    }
    else
    {
        AddRows(x0, y0, h, nCount - 1);
    }
}

void CPointList::AddRows(double x0, double y0, double h, int nSpots)
{
    // Row n (1, 2, 3 ...) holds n balls 2R apart, centred on x0, at y0 + (n - 1) h.
    for (int n = 1; nSpots > 0; ++n)
    {
        for (int j = 0; j < n && nSpots > 0; ++j, --nSpots)
            AddSpot(x0 - (n - 1) * m_dRadius + 2.0 * j * m_dRadius, y0 + (n - 1) * h);
    }
}

int CPointList::RackEnd() const { return std::min(m_nCount, static_cast<int>(m_Points.size())); }

BOOL CPointList::TakeSpot(int i, double& dX, double& dY)
{
    if (i < 0 || i >= static_cast<int>(m_Points.size()))
        return FALSE;
    SRackSpot& spot = m_Points[static_cast<std::size_t>(i)];
    dX = spot.x;
    dY = spot.y;
    spot.bFree = FALSE;
    return TRUE;
}

BOOL CPointList::TakeNextSpot(double& dX, double& dY)
{
    if (m_nCount <= 1)
        return FALSE;
    return TakeSpot(1, dX, dY);
}

void CPointList::MarkWithinRadius(double x, double y)
{
    for (int i = 0; i < RackEnd(); ++i)
    {
        SRackSpot& spot = m_Points[static_cast<std::size_t>(i)];
        if (std::hypot(spot.x - x, spot.y - y) <= m_dRadius)
            spot.bFree = FALSE;
    }
}

void CPointList::FreeAllButFirst()
{
    for (int i = 1; i < RackEnd(); ++i)
        m_Points[static_cast<std::size_t>(i)].bFree = TRUE;
}

CBisector::CBisector(double dLower, double dUpper, double dTolerance)
    : m_dLower(dLower), m_dUpper(dUpper), m_dTolerance(dTolerance), m_dValue(dLower), m_dStep(dUpper - dLower)
{
}

BOOL CBisector::StepUp(float& fValue) { return Step(1.0, fValue); }

BOOL CBisector::StepDown(float& fValue) { return Step(-1.0, fValue); }

BOOL CBisector::Step(double dSign, float& fValue)
{
    const BOOL bGoOn = m_dStep >= m_dTolerance ? TRUE : FALSE;
    m_dStep /= 2.0;
    m_dValue += dSign * m_dStep;
    fValue = static_cast<float>(m_dValue);
    return bGoOn;
}
