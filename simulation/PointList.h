// The rack spots: where the cue ball and the object balls are placed for a new rack, in the
// table's plane coordinates (metres). Also the bisection record the stroke code halves an
// interval with.
#pragma once

#include "foundation/TableMap.h"
#include "foundation/Vector3.h"
#include "platform/win32/WinTypes.h"

#include <vector>

/// One spot: a position and whether it is still free (1) or taken (0).
struct SRackSpot
{
    double x = 0.0; ///< across the table (m)
    double y = 0.0; ///< along the table (m)
    int bFree = TRUE;
};

/// The table's head spot (a quarter of the length from the first end, centred across) in scene
/// coordinates from the table bounds: x and z set, y 0.
CVector3 GetTableSpotA();
/// The foot spot, a quarter of the length from the other end.
CVector3 GetTableSpotB();
/// The head and foot spots' points on the 2-D table diagram that `map` describes.
CVector3 MapTableSpotAToScreen(const CTableMap& map);
CVector3 MapTableSpotBToScreen(const CTableMap& map);

class CPointList
{
public:
    CPointList() = default;
    virtual ~CPointList() = default;

    /// Rebuilds the list for a rack of nCount balls (the cue ball included): spot 0 the cue ball's
    /// spot (the head spot, jittered at random), then the object balls row by row from the foot
    /// spot: a triangle, or the diamonds of the 10-ball and 5-ball racks. Every spot is free.
    void Build(double dWidth, double dLength, double dRadius, int nCount);

    /// Spot i's position, marked taken; FALSE (outputs untouched) when there is no spot i.
    BOOL TakeSpot(int i, double& dX, double& dY);
    /// Spot 1, free or not, marked taken; FALSE when the rack has no object ball or no spot 1.
    BOOL TakeNextSpot(double& dX, double& dY);
    /// Marks taken every spot of the rack within one ball radius of (x, y) (inclusive).
    void MarkWithinRadius(double x, double y);
    /// Frees every object-ball spot (all but spot 0).
    void FreeAllButFirst();

    const std::vector<SRackSpot>& GetSpots() const { return m_Points; }
    int GetCount() const { return m_nCount; }
    double GetRadius() const { return m_dRadius; }

private:
    void AddSpot(double x, double y) { m_Points.push_back(SRackSpot{x, y, TRUE}); }
    void AddRows(double x0, double y0, double h, int nSpots);
    /// Index bound of the rack's spots: m_nCount, but never past the list.
    int RackEnd() const;

    std::vector<SRackSpot> m_Points; ///< index 0 the cue ball's spot
    double m_dWidth = 100.0;         ///< table width (m once built for racking)
    double m_dLength = 200.0;        ///< table length (m)
    double m_dRadius = 1.0;          ///< ball radius (m)
    int m_nCount = 16;               ///< balls of the rack, cue ball included
};

/// The one rack spot list: built by the engine's racking, marked and freed by the game flow after
/// a shot. Main thread only.
extern CPointList g_PointList;

/// Halves an interval step by step: the value moves up or down by half the previous step.
class CBisector
{
public:
    CBisector(double dLower, double dUpper, double dTolerance);

    /// Halves the step and adds it; fValue receives the new value. Returns TRUE while the step
    /// before halving was not below the tolerance.
    BOOL StepUp(float& fValue);
    /// The same, subtracting the halved step.
    BOOL StepDown(float& fValue);

private:
    BOOL Step(double dSign, float& fValue);

    double m_dLower;
    double m_dUpper;
    double m_dTolerance;
    double m_dValue; ///< starts at the lower bound
    double m_dStep;  ///< starts at upper - lower
};
