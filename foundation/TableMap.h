// The table map of the game flow: a screen rectangle (the 2-D table diagram) and the table
// coordinates at its edges. Table x runs left to right across the rectangle, table z from its top
// to its bottom edge.
#pragma once

#include "foundation/Vector3.h"

/// (b1 - b0) * (v - a0) / (a1 - a0) + b0 in doubles. With a1 == a0 the range has no width to map
/// from, and b0 is returned instead of an infinity.
double LinearMap(double a0, double a1, double b0, double b1, double v);

class CTableMap
{
public:
    double m_dLeftX = 0.0;   // table x at the rectangle's left edge
    double m_dBottomZ = 0.0; // table z at its bottom edge
    double m_dRightX = 0.0;  // table x at its right edge
    double m_dTopZ = 0.0;    // table z at its top edge
    float m_fLeft = 0.0f;    // the rectangle, in screen units
    float m_fTop = 0.0f;
    float m_fRight = 0.0f;
    float m_fBottom = 0.0f;

    /// The point of the diagram for the table point p (its y is ignored); out.z is 0. Returns out.
    CVector3& MapTableToPoint(CVector3& out, const CVector3& p) const;
    /// The inverse: the table point (x, fHeight, z) shown at the diagram point (x, y).
    CVector3 MapPointToTable(float x, float y, float fHeight) const;
};
