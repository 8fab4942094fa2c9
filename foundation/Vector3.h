// The program's 3-D vector and point type, and the free functions on three-float vectors.
//
// Every operation computes in double and stores each resulting component as float; that rounding
// after each stored step is part of the results the simulation and its tests depend on, so the
// build must not fuse multiply-adds (-ffp-contract=off) nor use fast maths.
#pragma once

#include "platform/win32/Assert.h"

#include <atomic>
#include <cmath>
#include <concepts>
#include <type_traits>

/// Three floats x, y, z and nothing else: the same layout as a three-float array and as the
/// rendering layer's vector, so either can stand for the other.
class CVector3
{
public:
    float x;
    float y;
    float z;

    CVector3() : x(0.0f), y(0.0f), z(0.0f) {}
    CVector3(float fX, float fY, float fZ) : x(fX), y(fY), z(fZ) {}

    /// The basic setter; returns the vector.
    CVector3& SetVec3(float fX, float fY, float fZ);

    CVector3 operator+(const CVector3& b) const;
    CVector3 operator-(const CVector3& b) const;
    /// v + this.
    CVector3 AddTo(CVector3 v) const;
    /// v - this (the operands of operator- swapped).
    CVector3 SubtractFrom(CVector3 v) const;
    CVector3& operator+=(const CVector3& b);
    CVector3& operator-=(const CVector3& b);
    CVector3 Cross(const CVector3& b) const;
    /// Each component times s.
    CVector3 operator*(float s) const;
    /// Each component divided by s; the caller guarantees s != 0.
    CVector3 operator/(float s) const;

    double LengthSq() const;
    double Length() const;
    /// In place: divides by the length rounded to float. The zero vector (also with -0.0 parts)
    /// stays as it is, so a zero direction never becomes NaN.
    CVector3& Normalize();
    /// The normalised copy; (0, 0, 0) for the zero vector.
    CVector3 GetNormalized() const;
    /// Distance between this point and p.
    double Distance(const CVector3& p) const;

    /// From radius r, azimuth a and elevation e (radians), then rounded by RoundVector4Places.
    CVector3& SetSpherical(float r, float a, float e);
    /// Radius, azimuth atan2(y, x) and elevation atan2(z, |xy|), each stored as float.
    void GetSpherical(float& r, float& a, float& e) const;
    /// In place: mirrors the vector at the plane with unit normal n: this - (n*2)*(this.n).
    CVector3& Reflect(const CVector3& n);
};

static_assert(sizeof(CVector3) == 3 * sizeof(float), "CVector3 must keep the three-float layout");
static_assert(std::is_standard_layout_v<CVector3> && std::is_trivially_copyable_v<CVector3>,
              "CVector3 must stay usable as a three-float array");

/// Rounding switch for RoundVector4Places: non-zero rounds to four places. The game start sets it
/// from the game-mode word on the main thread; the engines' worker threads read it, hence atomic.
/// Tests set it directly and put back 0.
extern std::atomic<int> g_nVectorRounding;

/// out = a + b; returns out.
CVector3& AddVectors(CVector3& out, const CVector3& a, const CVector3& b);
/// out = a - b; returns out.
CVector3& SubtractVectors(CVector3& out, const CVector3& a, const CVector3& b);
/// ax*bx + ay*by + az*bz in double.
double Dot3(float ax, float ay, float az, float bx, float by, float bz);
/// Angle between a and b in radians: 0 when either has zero length, else acos of the clamped cosine.
double AngleBetween(CVector3 a, CVector3 b);
/// Distance of (px, py) from the infinite line through (x1, y1) and (x2, y2), never negative.
/// When the two line points coincide there is no line; the distance to that point is returned
/// instead of the 0/0 the line formula would give.
double PointLineDistance2D(float px, float py, float x1, float y1, float x2, float y2);
/// While g_nVectorRounding is on, rounds each non-zero component half away from zero to four
/// decimal places (a float store after each step); otherwise leaves v alone. Returns v.
CVector3& RoundVector4Places(CVector3& v);

// Free functions on bare three-float vectors (the rendering layer's vector has the same layout).
// They accept any standard-layout type of exactly three float members x, y, z.

template <class V>
concept Float3Vector = std::is_standard_layout_v<V> && sizeof(V) == 3 * sizeof(float) && requires(V& v)
{
    {
        v.x
        } -> std::same_as<float&>;
    {
        v.y
        } -> std::same_as<float&>;
    {
        v.z
        } -> std::same_as<float&>;
};

template <Float3Vector V> void Vector3Set(V& v, float fX, float fY, float fZ)
{
    v.x = fX;
    v.y = fY;
    v.z = fZ;
}

template <Float3Vector V> V& Vector3Copy(V& dst, const V& src)
{
    dst.x = src.x;
    dst.y = src.y;
    dst.z = src.z;
    return dst;
}

/// Address of component i (0 = x, 1 = y, 2 = z); null for any other i.
template <Float3Vector V> float* VectorElement(V& v, int i)
{
    switch (i)
    {
    case 0:
        return &v.x;
    case 1:
        return &v.y;
    case 2:
        return &v.z;
    default:
        ASSERT(!"VectorElement: component index must be 0, 1 or 2");
        return nullptr;
    }
}

/// 1 when all three components are exactly equal, else 0.
template <Float3Vector V> int Vector3Equal(const V& a, const V& b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z ? 1 : 0;
}

template <Float3Vector V> double VectorDot(const V& a, const V& b)
{
    return double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
}

/// Cross product; in each component the first product is rounded to float before the second is
/// subtracted.
template <Float3Vector V> V VectorCross(const V& a, const V& b)
{
    V r;
    r.x = float(double(float(double(a.y) * b.z)) - double(a.z) * b.y);
    r.y = float(double(float(double(a.z) * b.x)) - double(a.x) * b.z);
    r.z = float(double(float(double(a.x) * b.y)) - double(a.y) * b.x);
    return r;
}

template <Float3Vector V> V Vector3Scale(const V& v, double s)
{
    V r;
    r.x = float(v.x * s);
    r.y = float(v.y * s);
    r.z = float(v.z * s);
    return r;
}

/// v / s; the caller guarantees s != 0.
template <Float3Vector V> V Vector3Divide(const V& v, double s)
{
    ASSERT(s != 0.0);
    V r;
    r.x = float(v.x / s);
    r.y = float(v.y / s);
    r.z = float(v.z / s);
    return r;
}

template <Float3Vector V> double VectorLengthSq(const V& v)
{
    return double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z;
}

template <Float3Vector V> double VectorLength(const V& v) { return std::sqrt(VectorLengthSq(v)); }

/// v / |v|. A zero vector stays zero, like CVector3::Normalize, instead of becoming NaN.
template <Float3Vector V> V VectorNormalize(const V& v)
{
    const double dLength = VectorLength(v);
    if (dLength == 0.0)
        return v;
    return Vector3Divide(v, dLength);
}
