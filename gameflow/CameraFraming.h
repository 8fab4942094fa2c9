// View geometry that keeps the interesting part of the table on screen: the follow camera moves
// sideways and back just enough that every moving ball stays in view, and the table framing finds
// a place from which the whole table fills the view. Both use a pinhole model of the view: the
// camera at P looking along the unit direction D with up U, right R = D x U, and the half-angle
// tangents of the field of view.
#pragma once

#include "foundation/Vector3.h"

#include <span>

/// A point nearer the camera than this counts as out of view. Scene units.
inline constexpr float VIEW_NEAR_DEPTH = 6.0f;

/// The camera's pose and the view's opening.
struct SViewModel
{
    CVector3 P;
    CVector3 D;         ///< unit
    CVector3 U;         ///< unit, perpendicular to D
    float fFov = 0.4f;  ///< the vertical field of view, radians
    float fWidth = 800; ///< the viewport, pixels
    float fHeight = 600;

    CVector3 Right() const { return D.Cross(U); }
    float TanVertical() const;
    float TanHorizontal() const;
    /// The same view from another place.
    SViewModel At(const CVector3& vPosition) const;
};

/// Whether the point is at least the near depth in front of the camera and inside the field of view.
bool IsPointInView(const SViewModel& view, const CVector3& vPoint);

/// The camera moved sideways (along R) just enough that the points out of view to one side come in;
/// bOutOfView tells whether any point was out of view (also above or below, which no sideways move
/// mends).
CVector3 FitPointsSideways(const SViewModel& view, std::span<const CVector3> points, bool& bOutOfView);

/// How much further back along D the camera must stand to see the point.
float DistanceToSeePoint(const SViewModel& view, const CVector3& vPoint);

/// The camera moved along R and U to the middle of the points' extent across the view.
CVector3 CentreBoxInView(const SViewModel& view, std::span<const CVector3> points);

/// The camera moved along R and U so that the four points' projections sit centred on the screen.
CVector3 CentrePointsInView(const SViewModel& view, std::span<const CVector3, 4> points);

/// A point's place on the screen, pixels from the top left.
CVector3 ProjectToView(const SViewModel& view, const CVector3& vPoint);
