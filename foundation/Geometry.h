// Intersection tests on single-precision points: segments and rays against planes, triangles,
// axis-aligned boxes and spheres. Used by the camera (keeping it in the room), the aiming code and
// the computer player's path tests. Each returns the number of intersections found (0, 1 or 2)
// and writes the points through the out-pointers, which may be null when the caller only asks
// whether there is a hit.
#pragma once

#include "foundation/Vector3.h"

/// The smaller of a and b (a when they are equal).
float MinFloat(float a, float b);
/// The larger of a and b (a when they are equal).
float MaxFloat(float a, float b);

/// Where the segment p0-p1 meets the plane n.x = d, when that point lies in the segment's bounding
/// box (bounds included); 1 or 0. A segment parallel to the plane (or of zero length) gives 0.
int IntersectSegmentPlane(const CVector3& p0, const CVector3& p1, const CVector3& n, float d, CVector3* pHit);

/// Where the ray from origin along dir meets the plane of the triangle a, b, c, looking forward
/// up to origin + 1e6 * dir; 1 or 0. Only the plane is tested, not the triangle's edges; a
/// degenerate triangle gives 0.
int IntersectRayTriangle(const CVector3& origin, const CVector3& dir, const CVector3& a, const CVector3& b,
                         const CVector3& c, CVector3* pHit);

/// Where the whole line through origin along dir meets the plane through a, b, c, behind the
/// origin as well; 1 or 0 (0 when the line is parallel or the three points make no plane).
int IntersectRayPlane3(const CVector3& origin, const CVector3& dir, const CVector3& a, const CVector3& b,
                       const CVector3& c, CVector3* pHit);

/// Where the ray from origin along dir enters the axis-aligned box [boxMin, boxMax]; 1 or 0.
/// Faces are tried top (y max), x min, x max, z min, z max, bottom, each only when the origin is
/// strictly outside it; from inside the box no face is tried.
int IntersectSegmentBox(const CVector3& origin, const CVector3& dir, const CVector3& boxMin, const CVector3& boxMax,
                        CVector3* pHit);

/// 1 when p lies in the box spanned by the corners a and b, widened by 0.001 on every side.
int PointInBoxTolerant(const CVector3& p, const CVector3& a, const CVector3& b);

/// How many of the line's intersections with the sphere (centre c, radius r) lie on the segment
/// p0-p1, strictly closer than the segment's length to both ends: 0, 1 or 2. The counted points
/// come first: pHit1 holds the first counted point (entry before exit), pHit2 the second. Points
/// of the line that do not count follow them, so pHit1 is written whenever the line meets the
/// sphere and pHit2 whenever it crosses it at two points.
int IntersectSegmentSphere(const CVector3& p0, const CVector3& p1, const CVector3& c, float r, CVector3* pHit1,
                           CVector3* pHit2);
