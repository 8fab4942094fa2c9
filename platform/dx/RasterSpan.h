// Private to the rasterizer: a triangle as set up once, and the span functions that draw its rows. The span
// functions are compiled twice from RasterSpan.inl, for SSE2 and for AVX2 (chosen at run time); both builds
// do the same integer and float operations in the same order, so they write the same bits.
#pragma once

#include "platform/dx/Rasterizer.h"

#include <cstdint>

/// ceil() without a library call; |f| < 2^31.
inline int FastCeil(float f)
{
    const int i = static_cast<int>(f);
    return static_cast<float>(i) < f ? i + 1 : i;
}

/// An edge walked from its upper to its lower end point.
struct SRasterEdge
{
    float x0 = 0, y0 = 0, slope = 0;
    float XAt(float y) const { return x0 + (y - y0) * slope; }
};

struct SRasterTriangle
{
    // Plane equations: value at pixel centre (X, Y) = a0 + dx * (X - x0) + dy * (Y - y0), for 1/w and the
    // attributes divided by w: u, v, then the colours in the order of the span's vector lanes (diffuse blue,
    // green, red, alpha, specular blue, green, red).
    static constexpr int COUNT = 10;
    static constexpr int PADDED = 12; // three vectors of four; the last two planes stay zero
    float x0 = 0, y0 = 0;
    alignas(16) float a0[PADDED] = {};
    alignas(16) float dx[PADDED] = {};
    alignas(16) float dy[PADDED] = {};
    // Depth in units of the depth buffer (0 .. 65535 or 0 .. 2^32 - 1) at (X, Y) = z0 + dzdx (X - x0) + dzdy (Y - y0).
    double z0 = 0, dzdx = 0, dzdy = 0;
    std::int64_t dzx = 0; // depth step per pixel, 16.16 fixed point of the buffer's units
    SRasterEdge eLong, eUpper, eLower;
    float yMid = 0;           // y of the middle vertex: the short edge changes there
    bool bLongLeft = false;   // the long edge bounds the rows on the left
    bool bNoSpecular = false; // no specular colour at any corner
    int yTop = 0, yBottom = 0;
    int xLeft = 0, xRight = 0; // bounding columns, clipped
};

/// What every span of one flush shares.
struct SSpanContext
{
    SRasterTarget target;
    SRasterTexture texture;
    SRasterState state;
    int nZFuncMask = 0; // bit 0: pass when nearer, bit 1: when equal, bit 2: when farther
};

RowsFn PickSpanSse2(const SRasterState& state);
RowsFn PickSpanAvx2(const SRasterState& state);
