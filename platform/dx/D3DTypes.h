// The Direct3D value types the game's maths and rendering share.
#pragma once

#include <type_traits>

/// 4x4 single-precision matrix, row-major: element (row r, column c) is m[r][c], index 4r + c.
/// Row 3 holds the translation for row vectors.
struct D3DMATRIX
{
    float m[4][4];
};

static_assert(sizeof(D3DMATRIX) == 16 * sizeof(float) && std::is_standard_layout_v<D3DMATRIX>,
              "D3DMATRIX must keep the sixteen-float layout");
