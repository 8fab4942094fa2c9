#include "foundation/Matrix.h"

#include <cmath>

namespace
{
// Sine of a half angle below which a projection would divide by (almost) zero.
constexpr double MIN_HALF_ANGLE_SINE = 0.01;
// Closest near and far plane distances the projection accepts, in scene units (the float 0.01).
constexpr double MIN_DEPTH_RANGE = 0.01f;
// Tolerance of the affine test on the last column (the float 0.001).
constexpr double AFFINE_TOLERANCE = 0.001f;

bool IsZeroVector(const CVector3& v) { return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f; }

double Dot(const CVector3& a, const CVector3& b) { return Dot3(a.x, a.y, a.z, b.x, b.y, b.z); }

// The part of v perpendicular to the unit vector d, normalised (zero when v is parallel to d).
CVector3 PerpendicularUnit(const CVector3& v, const CVector3& d)
{
    CVector3 u = v - d * static_cast<float>(Dot(v, d));
    return u.Normalize();
}

// The world axis least aligned with the unit vector d (y preferred, as the scene's up axis).
CVector3 LeastAlignedAxis(const CVector3& d)
{
    const float ax = std::fabs(d.x), ay = std::fabs(d.y), az = std::fabs(d.z);
    if (ay <= ax && ay <= az)
        return CVector3(0, 1, 0);
    return az <= ax ? CVector3(0, 0, 1) : CVector3(1, 0, 0);
}

// (x, y, z, 1) times m in row form: component j is x*m0j + y*m1j + z*m2j + m3j.
void RowTransform(const CVector3& v, const D3DMATRIX& m, double out[4])
{
    for (int j = 0; j < 4; ++j)
        out[j] = double(v.x) * m.m[0][j] + double(v.y) * m.m[1][j] + double(v.z) * m.m[2][j] + m.m[3][j];
}

// The three components divided by w (when bDivide), each rounded to float first.
CVector3 DivideByW(const double xyz[3], float w, bool bDivide)
{
    CVector3 r(static_cast<float>(xyz[0]), static_cast<float>(xyz[1]), static_cast<float>(xyz[2]));
    if (bDivide)
        r = CVector3(static_cast<float>(r.x / double(w)), static_cast<float>(r.y / double(w)),
                     static_cast<float>(r.z / double(w)));
    return r;
}

bool AllFinite(const D3DMATRIX& m)
{
    for (const auto& row : m.m)
        for (float f : row)
            if (!std::isfinite(f))
                return false;
    return true;
}
} // namespace

void MatrixSetIdentity(D3DMATRIX& m)
{
    MatrixZero(m);
    for (int i = 0; i < 4; ++i)
        m.m[i][i] = 1.0f;
}

D3DMATRIX& MatrixZero(D3DMATRIX& m)
{
    m = D3DMATRIX{};
    return m;
}

float* MatrixElement(D3DMATRIX& m, int r, int c)
{
    if (r < 0 || r > 3 || c < 0 || c > 3)
    {
        ASSERT(!"MatrixElement: row and column must lie in 0..3");
        return nullptr;
    }
    return &m.m[r][c];
}

void MatrixMultiply(D3DMATRIX& out, const D3DMATRIX& a, const D3DMATRIX& b)
{
    // Accumulated in a temporary so that out may alias a or b; the sum is kept as float after
    // each product, as the temporary holds floats.
    D3DMATRIX tmp{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k)
                tmp.m[i][j] = static_cast<float>(double(tmp.m[i][j]) + double(b.m[i][k]) * a.m[k][j]);
    out = tmp;
}

HRESULT MatrixInvertAffine(D3DMATRIX& out, const D3DMATRIX& m)
{
    const auto& e = m.m;
    if (!(std::fabs(double(e[3][3]) - 1.0) < AFFINE_TOLERANCE) || !(std::fabs(double(e[0][3])) < AFFINE_TOLERANCE) ||
        !(std::fabs(double(e[1][3])) < AFFINE_TOLERANCE) || !(std::fabs(double(e[2][3])) < AFFINE_TOLERANCE))
        return E_INVALIDARG;

    const double m00 = e[0][0], m01 = e[0][1], m02 = e[0][2];
    const double m10 = e[1][0], m11 = e[1][1], m12 = e[1][2];
    const double m20 = e[2][0], m21 = e[2][1], m22 = e[2][2];
    const double det = m00 * (m11 * m22 - m12 * m21) - m01 * (m10 * m22 - m12 * m20) + m02 * (m10 * m21 - m11 * m20);
    // A singular matrix has no inverse; reporting success with infinities would hide that.
    if (det == 0.0 || !std::isfinite(det))
        return E_INVALIDARG;
    const double k = 1.0 / det;

    // Upper 3x3 by cofactors over the determinant.
    D3DMATRIX inv{};
    auto& r = inv.m;
    r[0][0] = static_cast<float>(k * (m11 * m22 - m12 * m21));
    r[0][1] = static_cast<float>(-k * (m01 * m22 - m02 * m21));
    r[0][2] = static_cast<float>(k * (m01 * m12 - m02 * m11));
    r[1][0] = static_cast<float>(-k * (m10 * m22 - m12 * m20));
    r[1][1] = static_cast<float>(k * (m00 * m22 - m02 * m20));
    r[1][2] = static_cast<float>(-k * (m00 * m12 - m02 * m10));
    r[2][0] = static_cast<float>(k * (m10 * m21 - m11 * m20));
    r[2][1] = static_cast<float>(-k * (m00 * m21 - m01 * m20));
    r[2][2] = static_cast<float>(k * (m00 * m11 - m01 * m10));
    // Translation row: minus the old translation carried through the inverse rotation.
    for (int j = 0; j < 3; ++j)
        r[3][j] =
            static_cast<float>(-(double(e[3][0]) * r[0][j] + double(e[3][1]) * r[1][j] + double(e[3][2]) * r[2][j]));
    r[3][3] = 1.0f;
    // A nearly singular matrix can still overflow float.
    if (!AllFinite(inv))
        return E_INVALIDARG;
    out = inv;
    return S_OK;
}

HRESULT MatrixPerspective(D3DMATRIX& m, float fov, float aspect, float fNear, float fFar)
{
    if (std::fabs(double(fFar) - fNear) < MIN_DEPTH_RANGE)
        return E_INVALIDARG;
    const double dHalfFov = double(fov) / 2;
    const double dHalfWide = double(fov) * aspect / 2;
    // The horizontal check guards the cotangent below against a zero or tiny aspect ratio.
    if (!(std::fabs(std::sin(dHalfFov)) >= MIN_HALF_ANGLE_SINE) ||
        !(std::fabs(std::sin(dHalfWide)) >= MIN_HALF_ANGLE_SINE))
        return E_INVALIDARG;

    const double w = std::cos(dHalfWide) / std::sin(dHalfWide);
    const double h = std::cos(dHalfFov) / std::sin(dHalfFov);
    const double q = double(fFar) / (double(fFar) - fNear);
    MatrixZero(m);
    m.m[0][0] = static_cast<float>(w);
    m.m[1][1] = static_cast<float>(h);
    m.m[2][2] = static_cast<float>(q);
    m.m[2][3] = 1.0f;
    m.m[3][2] = static_cast<float>(-q * fNear);
    return S_OK;
}

D3DMATRIX& MatrixLookAt(D3DMATRIX& m, const CVector3& eye, const CVector3& dir, const CVector3& up)
{
    // A zero direction looks along +z, the view direction of the identity view.
    CVector3 d = dir.GetNormalized();
    if (IsZeroVector(d))
        d.SetVec3(0, 0, 1);
    // With up along the view direction nothing is left of it once d is removed; the world axis
    // least aligned with d gives the picture a defined roll instead of a NaN matrix.
    CVector3 u = PerpendicularUnit(up, d);
    if (IsZeroVector(u))
        u = PerpendicularUnit(LeastAlignedAxis(d), d);
    const CVector3 r = u.Cross(d);

    const CVector3* columns[3] = {&r, &u, &d};
    for (int c = 0; c < 3; ++c)
    {
        m.m[0][c] = columns[c]->x;
        m.m[1][c] = columns[c]->y;
        m.m[2][c] = columns[c]->z;
        m.m[c][3] = 0.0f;
        m.m[3][c] = static_cast<float>(-Dot(*columns[c], eye));
    }
    m.m[3][3] = 1.0f;
    return m;
}

D3DMATRIX& MatrixRotationAxis(D3DMATRIX& m, const CVector3& axis, float angle)
{
    const CVector3 n = axis.GetNormalized();
    if (IsZeroVector(n))
    {
        MatrixSetIdentity(m);
        return m;
    }
    const double x = n.x, y = n.y, z = n.z;
    const double c = std::cos(double(angle));
    const double s = std::sin(double(angle));
    const double t = 1.0 - c;
    const double rows[3][3] = {
        {x * x * t + c, x * y * t - z * s, x * z * t + y * s},
        {y * x * t + z * s, y * y * t + c, y * z * t - x * s},
        {z * x * t - y * s, z * y * t + x * s, z * z * t + c},
    };
    MatrixSetIdentity(m);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            m.m[i][j] = static_cast<float>(rows[i][j]);
    return m;
}

CVector3* Vec3Add(CVector3* out, const CVector3* a, const CVector3* b)
{
    if (out == nullptr || a == nullptr || b == nullptr)
        return nullptr;
    return &AddVectors(*out, *a, *b);
}

CVector3* Vec3Subtract(CVector3* out, const CVector3* a, const CVector3* b)
{
    if (out == nullptr || a == nullptr || b == nullptr)
        return nullptr;
    return &SubtractVectors(*out, *a, *b);
}

CVector3* Vec3Cross(CVector3* out, const CVector3* a, const CVector3* b)
{
    if (out == nullptr || a == nullptr || b == nullptr)
        return nullptr;
    *out = VectorCross(*a, *b);
    return out;
}

CVector3* Vec3Scale(CVector3* out, const CVector3* v, float s)
{
    if (out == nullptr || v == nullptr)
        return nullptr;
    *out = Vector3Scale(*v, s);
    return out;
}

double Vec3Dot(const CVector3* a, const CVector3* b)
{
    if (a == nullptr || b == nullptr)
        return 0.0;
    return VectorDot(*a, *b);
}

float Vec3Length(const CVector3* v) { return v == nullptr ? 0.0f : static_cast<float>(VectorLength(*v)); }

CVector3* Vec3Normalize(CVector3* v)
{
    if (v == nullptr)
        return nullptr;
    *v = VectorNormalize(*v);
    return v;
}

CVector3* Vec3RotateAxis(CVector3* out, const CVector3* v, const CVector3* axis, float angle)
{
    if (out == nullptr || v == nullptr || axis == nullptr)
        return nullptr;
    D3DMATRIX rotation;
    MatrixRotationAxis(rotation, *axis, angle);
    *out = *v;
    return Vec3TransformCoord(out, rotation);
}

CVector3* Vec3TransformCoord(CVector3* v, const D3DMATRIX& m)
{
    if (v == nullptr)
        return nullptr;
    // Column form: component i is row i of m times (x, y, z, 1).
    double xyzw[4];
    for (int i = 0; i < 4; ++i)
        xyzw[i] = double(m.m[i][0]) * v->x + double(m.m[i][1]) * v->y + double(m.m[i][2]) * v->z + m.m[i][3];
    const float w = static_cast<float>(xyzw[3]);
    *v = DivideByW(xyzw, w, w != 0.0f && w != 1.0f);
    return v;
}

CVector3* Vec3TransformRowCoord(CVector3* v, const D3DMATRIX& m)
{
    if (v == nullptr)
        return nullptr;
    double xyzw[4];
    RowTransform(*v, m, xyzw);
    const float w = static_cast<float>(xyzw[3]);
    *v = DivideByW(xyzw, w, w != 0.0f && w != 1.0f);
    return v;
}

CVector3* Vec3ProjectRowCoord(CVector3* out, const CVector3* v, const D3DMATRIX& m)
{
    if (out == nullptr || v == nullptr)
        return nullptr;
    double xyzw[4];
    RowTransform(*v, m, xyzw);
    const float w = static_cast<float>(xyzw[3]);
    *out = DivideByW(xyzw, w, w != 0.0f);
    return out;
}
