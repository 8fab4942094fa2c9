// The scan converter under the 3-D device (private to platform/dx): fills screen-space triangles span by span
// into a 32-bit or 16-bit colour surface with a 16-bit depth buffer.
//
// Coverage follows the top-left rule on pixel centres (x + 0.5, y + 0.5): a centre exactly on a left or top
// edge is inside, on a right or bottom edge outside. Every edge is walked from its upper to its lower end and
// its x at a scanline is a function of the two end points alone, so two triangles sharing an edge agree on it
// to the bit: no cracks and no pixel drawn twice.
//
// Attributes are interpolated from plane equations, never accumulated across scanlines. Texture coordinates
// and colours are perspective-correct at every SPAN_STEP-th pixel and linear in between (a fraction of a texel
// of error on the game's scenes); depth is linear in screen space as the projection makes it.
#pragma once

#include "platform/dx/DxTypes.h"

#include <cstdint>

/// A vertex after projection: screen position in pixels, depth 0..1, 1/w, and the attributes.
struct SRasterVertex
{
    float x = 0, y = 0, z = 0, rhw = 1;
    float u = 0, v = 0;
    float c[7] = {}; // diffuse r, g, b, a and specular r, g, b, each 0..255
};

enum ETextureFilter : std::uint8_t
{
    TEXFILTER_NONE,  // no texture: the diffuse colour alone
    TEXFILTER_POINT, // nearest texel
    TEXFILTER_LINEAR // bilinear between the four nearest texels
};

struct SRasterTexture
{
    const DWORD* pTexels = nullptr; // 32-bit XRGB/ARGB rows of nWidth texels
    int nWidth = 0;
    int nHeight = 0;
};

/// What a triangle is drawn into; the clip rectangle is inside both surfaces.
struct SRasterTarget
{
    BYTE* pColor = nullptr;
    LONG lColorPitch = 0; // bytes
    int nColorBits = 32;  // 32 (XRGB) or 16 (565)
    WORD* pZ = nullptr;   // null: no depth buffer
    LONG lZPitch = 0;     // bytes
    RECT rcClip;
};

struct SRasterState
{
    ETextureFilter eFilter = TEXFILTER_NONE;
    bool bZTest = true;
    bool bZWrite = true;
    bool bSpecular = false;
    bool bBlend = false;
    D3DBLEND eSrcBlend = D3DBLEND_ONE;
    D3DBLEND eDestBlend = D3DBLEND_ZERO;
};

class CRasterizer
{
public:
    /// Pixels covered per span step between two exact perspective divisions.
    static constexpr int SPAN_STEP = 16;

    void SetTarget(const SRasterTarget& target) { m_target = target; }
    void SetTexture(const SRasterTexture& texture);
    void SetState(const SRasterState& state);
    /// Fills one triangle of either winding (culling is the caller's business).
    void DrawTriangle(const SRasterVertex& a, const SRasterVertex& b, const SRasterVertex& c);
    /// Pixels that passed the depth test since the counter was last reset (benchmarks and tests).
    std::uint64_t GetPixelsDrawn() const { return m_nPixelsDrawn; }
    void ResetPixelsDrawn() { m_nPixelsDrawn = 0; }

    /// Per-triangle set-up that the span functions read.
    struct SGradients
    {
        // Plane equations: value at (x, y) = a0 + dx * (x - x0) + dy * (y - y0) for 1/w and the
        // attributes divided by w (u, v, then the seven colour channels); depth has its own.
        static constexpr int COUNT = 10;
        float x0 = 0, y0 = 0;
        float a0[COUNT] = {};
        float dx[COUNT] = {};
        float dy[COUNT] = {};
        float z0 = 0, dzdx = 0, dzdy = 0;
    };
    using SpanFn = void (*)(CRasterizer& r, const SGradients& g, int y, int x0, int x1);

    // Read by the span functions.
    SRasterTarget m_target;
    SRasterTexture m_texture;
    SRasterState m_state;
    int m_nUMask = 0, m_nVMask = 0; // texture size minus one (power-of-two sizes)
    std::uint64_t m_nPixelsDrawn = 0;

private:
    SpanFn m_pfnSpan = nullptr;
};
