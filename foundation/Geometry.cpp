#include "foundation/Geometry.h"

#include <cmath>

namespace
{
// How far a ray is followed by IntersectRayTriangle, in scene units (the float 1e6).
constexpr float RAY_REACH = 1000000.0f;
// Widening of PointInBoxTolerant on every side, in scene units.
constexpr double BOX_TOLERANCE = 0.001;

double Dot(const CVector3& a, const CVector3& b) { return Dot3(a.x, a.y, a.z, b.x, b.y, b.z); }

void Store(CVector3* pOut, const CVector3& v)
{
    if (pOut != nullptr)
        *pOut = v;
}

bool InRange(float f, float a, float b) { return f >= MinFloat(a, b) && f <= MaxFloat(a, b); }

// One face of the box: three corners spanning its plane and two opposite corners bounding it.
struct SBoxFace
{
    int nA, nB, nC; // corners for the plane
    int nLo, nHi;   // opposite corners
};

// Corner i of the box has x from bit 0, y from bit 1, z from bit 2 (0 = min, 1 = max).
CVector3 BoxCorner(const CVector3& lo, const CVector3& hi, int i)
{
    return CVector3((i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z);
}

// Whether the segment point at parameter t counts: strictly closer than the segment's length to
// both ends.
bool OnSegment(const CVector3& hit, const CVector3& p0, const CVector3& p1, float fLength)
{
    return hit.Distance(p0) < fLength && hit.Distance(p1) < fLength;
}
} // namespace

float MinFloat(float a, float b) { return b < a ? b : a; }

float MaxFloat(float a, float b) { return b > a ? b : a; }

int IntersectSegmentPlane(const CVector3& p0, const CVector3& p1, const CVector3& n, float d, CVector3* pHit)
{
    const CVector3 u = (p1 - p0).Normalize();
    const double k = Dot(u, n);
    if (k == 0.0)
        return 0;
    const double t = (double(d) - Dot(p0, n)) / k;
    const CVector3 hit = p0 + u * static_cast<float>(t);
    if (!InRange(hit.x, p0.x, p1.x) || !InRange(hit.y, p0.y, p1.y) || !InRange(hit.z, p0.z, p1.z))
        return 0;
    Store(pHit, hit);
    return 1;
}

int IntersectRayTriangle(const CVector3& origin, const CVector3& dir, const CVector3& a, const CVector3& b,
                         const CVector3& c, CVector3* pHit)
{
    const CVector3 n = (a - b).Cross(c - b);
    if (n.Length() == 0.0)
        return 0;
    const float d = static_cast<float>(Dot(n, a));
    const CVector3 far = origin + dir * RAY_REACH;
    return IntersectSegmentPlane(origin, far, n, d, pHit);
}

int IntersectRayPlane3(const CVector3& origin, const CVector3& dir, const CVector3& a, const CVector3& b,
                       const CVector3& c, CVector3* pHit)
{
    const CVector3 w = a - origin;
    const CVector3 n = (b - a).Cross(c - a).GetNormalized();
    const CVector3 unitDir = dir.GetNormalized();
    const double k = Dot(n, unitDir);
    if (k == 0.0)
        return 0;
    const float t = static_cast<float>(Dot(n, w) / k);
    Store(pHit, origin + unitDir * t);
    return 1;
}

int IntersectSegmentBox(const CVector3& origin, const CVector3& dir, const CVector3& boxMin, const CVector3& boxMax,
                        CVector3* pHit)
{
    // Faces in the order they are tried, each with whether the origin lies outside it.
    const struct
    {
        bool bOutside;
        SBoxFace face;
    } faces[] = {
        {origin.y > boxMax.y, {2, 3, 6, 2, 7}}, // top
        {origin.x < boxMin.x, {0, 2, 4, 0, 6}}, // x min
        {origin.x > boxMax.x, {1, 3, 5, 1, 7}}, // x max
        {origin.z < boxMin.z, {0, 1, 2, 0, 3}}, // z min
        {origin.z > boxMax.z, {4, 5, 6, 4, 7}}, // z max
        {origin.y < boxMin.y, {0, 1, 4, 0, 5}}, // bottom
    };
    for (const auto& f : faces)
    {
        if (!f.bOutside)
            continue;
        const SBoxFace& face = f.face;
        CVector3 hit;
        if (IntersectRayTriangle(origin, dir, BoxCorner(boxMin, boxMax, face.nA), BoxCorner(boxMin, boxMax, face.nB),
                                 BoxCorner(boxMin, boxMax, face.nC), &hit) &&
            PointInBoxTolerant(hit, BoxCorner(boxMin, boxMax, face.nLo), BoxCorner(boxMin, boxMax, face.nHi)))
        {
            Store(pHit, hit);
            return 1;
        }
    }
    return 0;
}

int PointInBoxTolerant(const CVector3& p, const CVector3& a, const CVector3& b)
{
    const float pc[3] = {p.x, p.y, p.z};
    const float ac[3] = {a.x, a.y, a.z};
    const float bc[3] = {b.x, b.y, b.z};
    for (int i = 0; i < 3; ++i)
    {
        const float lo = static_cast<float>(MinFloat(ac[i], bc[i]) - BOX_TOLERANCE);
        const float hi = static_cast<float>(MaxFloat(ac[i], bc[i]) + BOX_TOLERANCE);
        if (!(pc[i] >= lo && pc[i] <= hi))
            return 0;
    }
    return 1;
}

int IntersectSegmentSphere(const CVector3& p0, const CVector3& p1, const CVector3& c, float r, CVector3* pHit1,
                           CVector3* pHit2)
{
    const CVector3 u = p1 - p0;
    const double A = u.LengthSq();
    if (A == 0.0)
        return 0;
    // |p0 - c|^2 - r^2, with the difference taken in double: the same quantity as
    // |c|^2 + |p0|^2 - 2 c.p0 - r^2 without its cancellation far from the origin.
    const double dX = double(p0.x) - c.x, dY = double(p0.y) - c.y, dZ = double(p0.z) - c.z;
    const double B = 2.0 * (u.x * dX + u.y * dY + u.z * dZ);
    const double C = dX * dX + dY * dY + dZ * dZ - double(r) * r;
    const double D = B * B - 4.0 * A * C;
    if (D < 0.0)
        return 0;

    const int nRoots = D == 0.0 ? 1 : 2;
    const float fLength = static_cast<float>(std::sqrt(A));
    CVector3 counted[2], others[2];
    int nCounted = 0, nOthers = 0;
    for (int i = 0; i < nRoots; ++i)
    {
        // Entry root first: t = (-B -+ sqrt(D)) / 2A.
        const double t = (-B + (i == 0 ? -1.0 : 1.0) * std::sqrt(D)) / (2.0 * A);
        const CVector3 hit = p0 + u * static_cast<float>(t);
        if (OnSegment(hit, p0, p1, fLength))
            counted[nCounted++] = hit;
        else
            others[nOthers++] = hit;
    }
    // Counted points first, so that the count says how many of hit1, hit2 are on the segment.
    CVector3 ordered[2];
    int n = 0;
    for (int i = 0; i < nCounted; ++i)
        ordered[n++] = counted[i];
    for (int i = 0; i < nOthers; ++i)
        ordered[n++] = others[i];
    Store(pHit1, ordered[0]);
    if (nRoots == 2)
        Store(pHit2, ordered[1]);
    return nCounted;
}
