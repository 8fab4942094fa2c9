#include "foundation/Vector3.h"

#include <algorithm>

std::atomic<int> g_nVectorRounding{0};

namespace
{
// The vector from three doubles, each rounded to float as it is stored.
CVector3 StoreAsFloat(double dX, double dY, double dZ)
{
    return CVector3(static_cast<float>(dX), static_cast<float>(dY), static_cast<float>(dZ));
}

// a / length with the length rounded to float first, as every stored normal is computed.
CVector3 DivideByFloatLength(const CVector3& v)
{
    const double dLength = static_cast<float>(v.Length());
    return StoreAsFloat(v.x / dLength, v.y / dLength, v.z / dLength);
}

bool IsZero(const CVector3& v) { return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f; }

// One component of RoundVector4Places: add half a unit of the fourth place with the component's
// sign, scale by 10000, truncate toward zero, scale back; a float store after each step.
float RoundComponent4Places(float f)
{
    if (f == 0.0f)
        return f;
    const float fHalfUnit = f > 0.0f ? 5e-5f : -5e-5f;
    const float fShifted = static_cast<float>(double(f) + fHalfUnit);
    const float fScaled = static_cast<float>(double(fShifted) * 10000.0f);
    const float fWhole = std::trunc(fScaled);
    return static_cast<float>(double(fWhole) / 10000.0);
}
} // namespace

CVector3& CVector3::SetVec3(float fX, float fY, float fZ)
{
    x = fX;
    y = fY;
    z = fZ;
    return *this;
}

CVector3 CVector3::operator+(const CVector3& b) const
{
    return StoreAsFloat(double(x) + b.x, double(y) + b.y, double(z) + b.z);
}

CVector3 CVector3::operator-(const CVector3& b) const
{
    return StoreAsFloat(double(x) - b.x, double(y) - b.y, double(z) - b.z);
}

CVector3 CVector3::AddTo(CVector3 v) const { return v + *this; }

CVector3 CVector3::SubtractFrom(CVector3 v) const { return v - *this; }

CVector3& CVector3::operator+=(const CVector3& b)
{
    x = static_cast<float>(double(x) + b.x);
    y = static_cast<float>(double(y) + b.y);
    z = static_cast<float>(double(z) + b.z);
    return *this;
}

CVector3& CVector3::operator-=(const CVector3& b)
{
    x = static_cast<float>(double(x) - b.x);
    y = static_cast<float>(double(y) - b.y);
    z = static_cast<float>(double(z) - b.z);
    return *this;
}

CVector3 CVector3::Cross(const CVector3& b) const
{
    return StoreAsFloat(double(y) * b.z - double(z) * b.y, double(z) * b.x - double(x) * b.z,
                        double(x) * b.y - double(y) * b.x);
}

CVector3 CVector3::operator*(float s) const { return StoreAsFloat(double(x) * s, double(y) * s, double(z) * s); }

CVector3 CVector3::operator/(float s) const
{
    ASSERT(s != 0.0f);
    return StoreAsFloat(double(x) / s, double(y) / s, double(z) / s);
}

double CVector3::LengthSq() const { return VectorLengthSq(*this); }

double CVector3::Length() const { return std::sqrt(LengthSq()); }

CVector3& CVector3::Normalize()
{
    if (!IsZero(*this))
        *this = DivideByFloatLength(*this);
    return *this;
}

CVector3 CVector3::GetNormalized() const { return IsZero(*this) ? CVector3() : DivideByFloatLength(*this); }

double CVector3::Distance(const CVector3& p) const
{
    const double dX = double(p.x) - x;
    const double dY = double(p.y) - y;
    const double dZ = double(p.z) - z;
    return std::sqrt(dX * dX + dY * dY + dZ * dZ);
}

CVector3& CVector3::SetSpherical(float r, float a, float e)
{
    // The horizontal radius is rounded to float separately for x and y, as the stored results expect.
    float t = static_cast<float>(double(r) * std::cos(double(e)));
    x = static_cast<float>(std::cos(double(a)) * t);
    t = static_cast<float>(std::cos(double(e)) * r);
    y = static_cast<float>(std::sin(double(a)) * t);
    z = static_cast<float>(std::sin(double(e)) * r);
    return RoundVector4Places(*this);
}

void CVector3::GetSpherical(float& r, float& a, float& e) const
{
    r = static_cast<float>(Length());
    e = static_cast<float>(std::atan2(double(z), std::sqrt(double(x) * x + double(y) * y)));
    a = static_cast<float>(std::atan2(double(y), double(x)));
}

CVector3& CVector3::Reflect(const CVector3& n)
{
    // The dot product is handed on as a float, as operator* takes it.
    const float fDot = static_cast<float>(Dot3(x, y, z, n.x, n.y, n.z));
    *this = *this - (n * 2.0f) * fDot;
    return *this;
}

CVector3& AddVectors(CVector3& out, const CVector3& a, const CVector3& b)
{
    out = a + b;
    return out;
}

CVector3& SubtractVectors(CVector3& out, const CVector3& a, const CVector3& b)
{
    out = a - b;
    return out;
}

double Dot3(float ax, float ay, float az, float bx, float by, float bz)
{
    return double(ax) * bx + double(ay) * by + double(az) * bz;
}

double AngleBetween(CVector3 a, CVector3 b)
{
    const float fLengthA = static_cast<float>(a.Length());
    const float fLengthB = static_cast<float>(b.Length());
    if (fLengthA == 0.0f || fLengthB == 0.0f)
        return 0.0;
    // Rounding can push the cosine of (anti)parallel vectors just past +-1, where acos is NaN.
    const double dCos = Dot3(a.x, a.y, a.z, b.x, b.y, b.z) / (double(fLengthA) * fLengthB);
    return std::acos(std::clamp(dCos, -1.0, 1.0));
}

double PointLineDistance2D(float px, float py, float x1, float y1, float x2, float y2)
{
    // Line a*x + b*y + c = 0 through both points, coefficients stored as float.
    const float a = static_cast<float>(double(y2) - y1);
    const float b = static_cast<float>(-(double(x2) - x1));
    const float c = static_cast<float>(-double(x1) * (double(y2) - y1) + (double(x2) - x1) * y1);
    const double dNorm = std::sqrt(double(a) * a + double(b) * b);
    if (dNorm == 0.0)
        return std::hypot(double(px) - x1, double(py) - y1);
    return std::fabs(double(a) * px + double(b) * py + c) / dNorm;
}

CVector3& RoundVector4Places(CVector3& v)
{
    if (g_nVectorRounding.load(std::memory_order_relaxed) == 0)
        return v;
    v.x = RoundComponent4Places(v.x);
    v.y = RoundComponent4Places(v.y);
    v.z = RoundComponent4Places(v.z);
    return v;
}
