// 4x4 matrix maths for the camera and the rendering code, and the pointer-style vector functions
// that check their arguments for null.
//
// Two conventions meet here. Row form (a row vector times the matrix, translation in row 3):
// MatrixLookAt, Vec3TransformRowCoord, Vec3ProjectRowCoord, MatrixInvertAffine. Column form (the
// matrix times a column vector, translation in column 3): Vec3TransformCoord, MatrixRotationAxis.
// Everything is computed in double and stored as float.
#pragma once

#include "foundation/Vector3.h"
#include "platform/dx/DxTypes.h"
#include "platform/win32/WinTypes.h"

void MatrixSetIdentity(D3DMATRIX& m);
/// Sets all sixteen elements to 0; returns m.
D3DMATRIX& MatrixZero(D3DMATRIX& m);
/// Address of element (r, c); null (and an assertion) outside 0..3.
float* MatrixElement(D3DMATRIX& m, int r, int c);

/// out[i][j] = sum over k of b[i][k] * a[k][j], i.e. out = b * a. out may be a or b.
void MatrixMultiply(D3DMATRIX& out, const D3DMATRIX& a, const D3DMATRIX& b);

/// Inverse of an affine row-form matrix. E_INVALIDARG, with out untouched, when m is not affine
/// (m33 not 1 or m03/m13/m23 not 0, tolerance 0.001) or when its 3x3 part cannot be inverted.
HRESULT MatrixInvertAffine(D3DMATRIX& out, const D3DMATRIX& m);

/// Perspective projection, fov in radians; the horizontal term is cot(fov * aspect / 2).
/// E_INVALIDARG, with m untouched, when far and near are closer than 0.01 or either half angle
/// (fov / 2, fov * aspect / 2) has a sine below 0.01, which includes a zero aspect ratio.
HRESULT MatrixPerspective(D3DMATRIX& m, float fov, float aspect, float fNear, float fFar);

/// Row-form view matrix looking from eye along dir with up as the upward hint. The matrix stays
/// orthonormal when up is parallel to dir or dir is zero: then a world axis stands in (below).
D3DMATRIX& MatrixLookAt(D3DMATRIX& m, const CVector3& eye, const CVector3& dir, const CVector3& up);

/// Column-form rotation by angle (radians) about axis (normalised here). A zero axis gives the
/// identity rather than a scaling by cos(angle).
D3DMATRIX& MatrixRotationAxis(D3DMATRIX& m, const CVector3& axis, float angle);

/// out = a + b, a - b, a x b and v * s; each returns out, or null without writing when a pointer
/// is null.
CVector3* Vec3Add(CVector3* out, const CVector3* a, const CVector3* b);
CVector3* Vec3Subtract(CVector3* out, const CVector3* a, const CVector3* b);
CVector3* Vec3Cross(CVector3* out, const CVector3* a, const CVector3* b);
CVector3* Vec3Scale(CVector3* out, const CVector3* v, float s);
/// a . b; 0.0 when a pointer is null.
double Vec3Dot(const CVector3* a, const CVector3* b);
/// |v| as a float; 0.0 for null.
float Vec3Length(const CVector3* v);
/// In place v / |v|; returns v, null for null. The zero vector stays zero.
CVector3* Vec3Normalize(CVector3* v);
/// out = v rotated by angle about axis; returns out, null when a pointer is null.
CVector3* Vec3RotateAxis(CVector3* out, const CVector3* v, const CVector3* axis, float angle);

/// In place, column form: (x', y', z', w) = m * (x, y, z, 1); divided by w unless w is 0 or
/// exactly 1. Returns v, null for null.
CVector3* Vec3TransformCoord(CVector3* v, const D3DMATRIX& m);
/// In place, row form: (x', y', z', w) = (x, y, z, 1) * m; divided by w unless w is exactly 1 or
/// 0 (a point in the camera plane has no finite image; it is left undivided). Returns v.
CVector3* Vec3TransformRowCoord(CVector3* v, const D3DMATRIX& m);
/// out = (x', y', z') / w of the row form, the projection of a point to the screen; with w = 0 the
/// undivided values are stored instead of infinities. Returns out, null when a pointer is null.
CVector3* Vec3ProjectRowCoord(CVector3* out, const CVector3* v, const D3DMATRIX& m);
