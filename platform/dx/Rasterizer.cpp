#include "platform/dx/Rasterizer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace
{
using Gradients = CRasterizer::SGradients;

/// Fixed point with 16 fraction bits, the format of every per-pixel stepper.
constexpr float FIX_ONE = 65536.0f;
/// Texture coordinates are kept within this many texels of the span start so that 16.16 never overflows.
constexpr float MAX_TEXEL_OFFSET = 16384.0f;

int FloorLog2Mask(int n)
{
    // The largest power of two not above n, minus one: a wrap mask that never reads outside the texture.
    int p = 1;
    while (p * 2 <= n)
        p *= 2;
    return p - 1;
}

/// t * c / 255, rounded, for t and c in 0..255.
inline DWORD Mul255(DWORD t, DWORD c)
{
    const DWORD x = t * c + 128;
    return (x + (x >> 8)) >> 8;
}

/// Linear blend of two packed 8-bit-per-channel colours with weight f / 256 for b.
inline DWORD Lerp8888(DWORD a, DWORD b, DWORD f)
{
    const DWORD g = 256 - f;
    const DWORD rb = (((a & 0xFF00FF) * g + (b & 0xFF00FF) * f) >> 8) & 0xFF00FF;
    const DWORD ag = (((a >> 8) & 0xFF00FF) * g + ((b >> 8) & 0xFF00FF) * f) & 0xFF00FF00;
    return rb | ag;
}

/// The texture as the span loop reads it, copied into locals so that pixel stores cannot alias it.
struct STexels
{
    const DWORD* pTex;
    int nWidth;
    int nUMask, nVMask;
};

template <ETextureFilter FILTER> [[gnu::always_inline]] inline DWORD FetchTexel(const STexels& t, int uf, int vf)
{
    if constexpr (FILTER == TEXFILTER_POINT)
        return t.pTex[((vf >> 16) & t.nVMask) * t.nWidth + ((uf >> 16) & t.nUMask)];
    else
    {
        const int x0 = (uf >> 16) & t.nUMask;
        const int x1 = ((uf >> 16) + 1) & t.nUMask;
        const DWORD* pRow0 = t.pTex + ((vf >> 16) & t.nVMask) * t.nWidth;
        const DWORD* pRow1 = t.pTex + (((vf >> 16) + 1) & t.nVMask) * t.nWidth;
        const DWORD fu = (static_cast<DWORD>(uf) >> 8) & 0xFF;
        const DWORD fv = (static_cast<DWORD>(vf) >> 8) & 0xFF;
        return Lerp8888(Lerp8888(pRow0[x0], pRow0[x1], fu), Lerp8888(pRow1[x0], pRow1[x1], fu), fv);
    }
}

/// ceil() without a library call; |f| < 2^31.
inline int FastCeil(float f)
{
    const int i = static_cast<int>(f);
    return static_cast<float>(i) < f ? i + 1 : i;
}

/// floor() without a library call (the baseline instruction set has no rounding instruction); |f| < 2^31.
inline float FastFloor(float f)
{
    const float i = static_cast<float>(static_cast<int>(f));
    return i > f ? i - 1.0f : i;
}

inline DWORD BlendFactor(D3DBLEND e, DWORD value, DWORD srcChannel)
{
    switch (e)
    {
    case D3DBLEND_ZERO:
        return 0;
    case D3DBLEND_SRCCOLOR:
        return Mul255(value, srcChannel);
    default:
        return value;
    }
}

/// dest = src * srcBlend + dest * destBlend per channel, saturated.
[[gnu::always_inline]] inline DWORD BlendPixel(const SRasterState& s, DWORD src, DWORD dst)
{
    DWORD out = 0;
    for (int shift = 0; shift < 24; shift += 8)
    {
        const DWORD sc = (src >> shift) & 0xFF;
        const DWORD dc = (dst >> shift) & 0xFF;
        const DWORD v = BlendFactor(s.eSrcBlend, sc, sc) + BlendFactor(s.eDestBlend, dc, sc);
        out |= std::min<DWORD>(v, 255) << shift;
    }
    return out;
}

inline DWORD Rgb565ToXrgb(WORD p)
{
    const DWORD r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
    return (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
}

inline WORD XrgbTo565(DWORD c)
{
    return static_cast<WORD>(((c >> 8) & 0xF800) | ((c >> 5) & 0x07E0) | ((c >> 3) & 0x001F));
}

/// Converts the attributes at a point (divided by w) into fixed-point texel coordinates and colours.
struct SSegmentEnd
{
    float u, v; // texels
    float c[7]; // 0..255
};

/// NC colour channels are used: four (diffuse) or seven (with specular); the others stay zero.
template <int NC> inline SSegmentEnd Resolve(const float* a, int w, int h, bool bBilinear)
{
    SSegmentEnd e;
    const float fw = 1.0f / a[0];
    // Bilinear filtering samples around texel centres, so it works half a texel back.
    const float fHalf = bBilinear ? 0.5f : 0.0f;
    e.u = a[1] * fw * static_cast<float>(w) - fHalf;
    e.v = a[2] * fw * static_cast<float>(h) - fHalf;
    for (int k = 0; k < NC; ++k)
        e.c[k] = std::clamp(a[3 + k] * fw, 0.0f, 255.0f);
    for (int k = NC; k < 7; ++k)
        e.c[k] = 0;
    return e;
}

inline int ToFix(float f) { return static_cast<int>(f * FIX_ONE); }

#if defined(__SSE2__)
/// Colour of one pixel: the diffuse colour stepped in 16.16 per channel, times the texel, plus the specular,
/// four channels at a time in 16-bit lanes (blue, green, red, alpha).
struct SShade
{
    __m128i vDiffuse, vDiffuseStep, vSpecular, vSpecularStep;

    SShade(const int* cf, const int* dc)
        : vDiffuse(_mm_set_epi32(cf[3], cf[0], cf[1], cf[2])), vDiffuseStep(_mm_set_epi32(dc[3], dc[0], dc[1], dc[2])),
          vSpecular(_mm_set_epi32(0, cf[4], cf[5], cf[6])), vSpecularStep(_mm_set_epi32(0, dc[4], dc[5], dc[6]))
    {
    }

    template <ETextureFilter FILTER> [[gnu::always_inline]] static __m128i Texel16(const STexels& t, int uf, int vf)
    {
        const __m128i zero = _mm_setzero_si128();
        if constexpr (FILTER == TEXFILTER_POINT)
            return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(
                                         t.pTex[((vf >> 16) & t.nVMask) * t.nWidth + ((uf >> 16) & t.nUMask)])),
                                     zero);
        else
        {
            const int x0 = (uf >> 16) & t.nUMask;
            const int x1 = ((uf >> 16) + 1) & t.nUMask;
            const DWORD* pRow0 = t.pTex + ((vf >> 16) & t.nVMask) * t.nWidth;
            const DWORD* pRow1 = t.pTex + (((vf >> 16) + 1) & t.nVMask) * t.nWidth;
            const int fu = (uf >> 8) & 0xFF;
            const int fv = (vf >> 8) & 0xFF;
            // Each texel channel times a weight of at most 256 stays below 65536: unsigned 16-bit lanes suffice.
            const __m128i top = _mm_unpacklo_epi8(_mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(pRow0[x0])),
                                                                     _mm_cvtsi32_si128(static_cast<int>(pRow0[x1]))),
                                                  zero);
            const __m128i bottom = _mm_unpacklo_epi8(_mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(pRow1[x0])),
                                                                        _mm_cvtsi32_si128(static_cast<int>(pRow1[x1]))),
                                                     zero);
            // Weights broadcast by shuffles: lanes of (256 - f, f) pairs spread to four lanes each.
            const __m128i wv = _mm_unpacklo_epi16(_mm_cvtsi32_si128((fv << 16) | (256 - fv)),
                                                  _mm_cvtsi32_si128((fv << 16) | (256 - fv)));
            const __m128i wh = _mm_unpacklo_epi16(_mm_cvtsi32_si128((fu << 16) | (256 - fu)),
                                                  _mm_cvtsi32_si128((fu << 16) | (256 - fu)));
            __m128i v = _mm_add_epi16(_mm_mullo_epi16(top, _mm_shuffle_epi32(wv, 0x00)),
                                      _mm_mullo_epi16(bottom, _mm_shuffle_epi32(wv, 0x55)));
            v = _mm_srli_epi16(v, 8);
            v = _mm_mullo_epi16(v, _mm_unpacklo_epi32(wh, wh));
            return _mm_srli_epi16(_mm_add_epi16(v, _mm_srli_si128(v, 8)), 8);
        }
    }

    template <ETextureFilter FILTER, bool SPECULAR>
    [[gnu::always_inline]] DWORD Shade(const STexels& t, int uf, int vf) const
    {
        const __m128i zero = _mm_setzero_si128();
        __m128i c16 = _mm_packs_epi32(_mm_srli_epi32(vDiffuse, 16), zero);
        if constexpr (FILTER != TEXFILTER_NONE)
        {
            // t * c / 255 rounded: x = t * c + 128, (x + (x >> 8)) >> 8.
            const __m128i x = _mm_add_epi16(_mm_mullo_epi16(Texel16<FILTER>(t, uf, vf), c16), _mm_set1_epi16(128));
            c16 = _mm_srli_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), 8);
        }
        __m128i c8 = _mm_packus_epi16(c16, c16);
        if constexpr (SPECULAR)
        {
            const __m128i s16 = _mm_packs_epi32(_mm_srli_epi32(vSpecular, 16), zero);
            c8 = _mm_adds_epu8(c8, _mm_packus_epi16(s16, s16));
        }
        return static_cast<DWORD>(_mm_cvtsi128_si32(c8)) & 0x00FFFFFF;
    }

    template <bool SPECULAR> [[gnu::always_inline]] void Step()
    {
        vDiffuse = _mm_add_epi32(vDiffuse, vDiffuseStep);
        if constexpr (SPECULAR)
            vSpecular = _mm_add_epi32(vSpecular, vSpecularStep);
    }
};
#else
/// Colour of one pixel: the diffuse colour stepped in 16.16 per channel, times the texel, plus the specular.
struct SShade
{
    int cf[7], dc[7];

    SShade(const int* pcf, const int* pdc)
    {
        std::copy(pcf, pcf + 7, cf);
        std::copy(pdc, pdc + 7, dc);
    }

    template <ETextureFilter FILTER, bool SPECULAR>
    [[gnu::always_inline]] DWORD Shade(const STexels& t, int uf, int vf) const
    {
        DWORD cr = static_cast<DWORD>(cf[0] >> 16), cg = static_cast<DWORD>(cf[1] >> 16),
              cb = static_cast<DWORD>(cf[2] >> 16);
        if constexpr (FILTER != TEXFILTER_NONE)
        {
            const DWORD texel = FetchTexel<FILTER>(t, uf, vf);
            cr = Mul255((texel >> 16) & 0xFF, cr);
            cg = Mul255((texel >> 8) & 0xFF, cg);
            cb = Mul255(texel & 0xFF, cb);
        }
        if constexpr (SPECULAR)
        {
            cr = std::min<DWORD>(255, cr + static_cast<DWORD>(cf[4] >> 16));
            cg = std::min<DWORD>(255, cg + static_cast<DWORD>(cf[5] >> 16));
            cb = std::min<DWORD>(255, cb + static_cast<DWORD>(cf[6] >> 16));
        }
        return (cr << 16) | (cg << 8) | cb;
    }

    template <bool SPECULAR> [[gnu::always_inline]] void Step()
    {
        for (int k = 0; k < (SPECULAR ? 7 : 3); ++k)
            cf[k] += dc[k];
    }
};
#endif

template <ETextureFilter FILTER, bool BLEND, bool SPECULAR, int BITS>
void DrawSpan(CRasterizer& r, const Gradients& g, int y, int x0, int x1)
{
    const SRasterTarget& t = r.m_target;
    BYTE* pRow = t.pColor + static_cast<std::ptrdiff_t>(y) * t.lColorPitch;
    WORD* pZRow =
        t.pZ ? reinterpret_cast<WORD*>(reinterpret_cast<BYTE*>(t.pZ) + static_cast<std::ptrdiff_t>(y) * t.lZPitch)
             : nullptr;
    const bool bZTest = pZRow != nullptr && r.m_state.bZTest;
    const bool bZWrite = pZRow != nullptr && r.m_state.bZWrite;

    // Depth: 16.16 fixed point of the 16-bit buffer value, linear over the span, clamped at both ends.
    const float fy = static_cast<float>(y) + 0.5f - g.y0;
    const float fx0 = static_cast<float>(x0) + 0.5f - g.x0;
    const int n = x1 - x0;
    const float zs = std::clamp(g.z0 + g.dzdx * fx0 + g.dzdy * fy, 0.0f, 1.0f);
    const float ze = std::clamp(g.z0 + g.dzdx * (fx0 + static_cast<float>(n - 1)) + g.dzdy * fy, 0.0f, 1.0f);
    const double dZScale = 65535.0 * 65536.0;
    std::int64_t zf = static_cast<std::int64_t>(zs * dZScale);
    const std::int64_t dzf = n > 1 ? static_cast<std::int64_t>((ze - zs) * dZScale) / (n - 1) : 0;

    float a[Gradients::COUNT];
    for (int k = 0; k < Gradients::COUNT; ++k)
        a[k] = g.a0[k] + g.dx[k] * fx0 + g.dy[k] * fy;
    const int tw = r.m_texture.nWidth, th = r.m_texture.nHeight;
    const STexels tex{r.m_texture.pTexels, tw, r.m_nUMask, r.m_nVMask};
    const float fInvW = tw > 0 ? 1.0f / static_cast<float>(tw) : 0.0f;
    const float fInvH = th > 0 ? 1.0f / static_cast<float>(th) : 0.0f;
    const SRasterState state = r.m_state;
    constexpr int NC = SPECULAR ? 7 : 4;
    SSegmentEnd s = Resolve<NC>(a, tw, th, FILTER == TEXFILTER_LINEAR);

    std::uint64_t nDrawn = 0;
    for (int x = x0; x < x1;)
    {
        const int m = std::min(CRasterizer::SPAN_STEP, x1 - x);
        for (int k = 0; k < 3 + NC; ++k)
            a[k] += g.dx[k] * static_cast<float>(m);
        const SSegmentEnd e = Resolve<NC>(a, tw, th, FILTER == TEXFILTER_LINEAR);
        const float fInvM = 1.0f / static_cast<float>(m);

        int uf = 0, vf = 0, du = 0, dv = 0;
        if constexpr (FILTER != TEXFILTER_NONE)
        {
            // Move both ends by the same whole number of texture widths: the wrap hides it.
            const float uBase = FastFloor(s.u * fInvW) * static_cast<float>(tw);
            const float vBase = FastFloor(s.v * fInvH) * static_cast<float>(th);
            const auto clampOff = [](float f) { return std::clamp(f, -MAX_TEXEL_OFFSET, MAX_TEXEL_OFFSET); };
            const float us = clampOff(s.u - uBase), ue = clampOff(e.u - uBase);
            const float vs = clampOff(s.v - vBase), ve = clampOff(e.v - vBase);
            uf = ToFix(us);
            vf = ToFix(vs);
            du = ToFix((ue - us) * fInvM);
            dv = ToFix((ve - vs) * fInvM);
        }
        int cf[7] = {}, dc[7] = {};
        for (int k = 0; k < NC; ++k)
        {
            // Half a unit of bias turns the truncation of the per-pixel shift into rounding.
            cf[k] = ToFix(s.c[k]) + 0x8000;
            dc[k] = ToFix((e.c[k] - s.c[k]) * fInvM);
        }
        SShade shade(cf, dc);

        for (int i = 0; i < m; ++i, ++x)
        {
            const DWORD z16 = static_cast<DWORD>(zf >> 16);
            zf += dzf;
            const bool bPass = !bZTest || z16 <= pZRow[x];
            if (bPass)
            {
                if (bZWrite)
                    pZRow[x] = static_cast<WORD>(z16);
                DWORD color = shade.template Shade<FILTER, SPECULAR>(tex, uf, vf);
                if constexpr (BITS == 32)
                {
                    DWORD* pPixel = reinterpret_cast<DWORD*>(pRow) + x;
                    if constexpr (BLEND)
                        color = BlendPixel(state, color, *pPixel);
                    *pPixel = color;
                }
                else
                {
                    WORD* pPixel = reinterpret_cast<WORD*>(pRow) + x;
                    if constexpr (BLEND)
                        color = BlendPixel(state, color, Rgb565ToXrgb(*pPixel));
                    *pPixel = XrgbTo565(color);
                }
                ++nDrawn;
            }
            if constexpr (FILTER != TEXFILTER_NONE)
            {
                uf += du;
                vf += dv;
            }
            shade.template Step<SPECULAR>();
        }
        s = e;
    }
    r.m_nPixelsDrawn += nDrawn;
}

// Every combination of the per-pixel choices is its own span function, picked once per state change.
template <ETextureFilter FILTER, bool BLEND, bool SPECULAR> CRasterizer::SpanFn PickBits(int nBits)
{
    return nBits == 16 ? &DrawSpan<FILTER, BLEND, SPECULAR, 16> : &DrawSpan<FILTER, BLEND, SPECULAR, 32>;
}

template <ETextureFilter FILTER> CRasterizer::SpanFn PickSpan(const SRasterState& s, int nBits)
{
    if (s.bBlend)
        return s.bSpecular ? PickBits<FILTER, true, true>(nBits) : PickBits<FILTER, true, false>(nBits);
    return s.bSpecular ? PickBits<FILTER, false, true>(nBits) : PickBits<FILTER, false, false>(nBits);
}

/// An edge walked from its upper to its lower end point.
struct SEdge
{
    float x0, y0, slope;
    float XAt(float y) const { return x0 + (y - y0) * slope; }
};

SEdge MakeEdge(const SRasterVertex& top, const SRasterVertex& bottom)
{
    const float dy = bottom.y - top.y;
    return SEdge{top.x, top.y, dy > 0 ? (bottom.x - top.x) / dy : 0.0f};
}
} // namespace

void CRasterizer::SetTexture(const SRasterTexture& texture)
{
    m_texture = texture;
    m_nUMask = FloorLog2Mask(std::max(texture.nWidth, 1));
    m_nVMask = FloorLog2Mask(std::max(texture.nHeight, 1));
}

void CRasterizer::SetState(const SRasterState& state)
{
    m_state = state;
    // The combination "one, zero" is no blend at all; skip the read of the destination.
    if (m_state.bBlend && m_state.eSrcBlend == D3DBLEND_ONE && m_state.eDestBlend == D3DBLEND_ZERO)
        m_state.bBlend = false;
    ETextureFilter eFilter = m_state.eFilter;
    if (m_texture.pTexels == nullptr || m_texture.nWidth <= 0 || m_texture.nHeight <= 0)
        eFilter = TEXFILTER_NONE;
    const int nBits = m_target.nColorBits;
    switch (eFilter)
    {
    case TEXFILTER_POINT:
        m_pfnSpan = PickSpan<TEXFILTER_POINT>(m_state, nBits);
        break;
    case TEXFILTER_LINEAR:
        m_pfnSpan = PickSpan<TEXFILTER_LINEAR>(m_state, nBits);
        break;
    default:
        m_pfnSpan = PickSpan<TEXFILTER_NONE>(m_state, nBits);
        break;
    }
}

void CRasterizer::DrawTriangle(const SRasterVertex& a, const SRasterVertex& b, const SRasterVertex& c)
{
    if (m_pfnSpan == nullptr || m_target.pColor == nullptr)
        return;
    // Sort by y; ties keep their order, which does not matter: a horizontal edge is never walked.
    const SRasterVertex* v[3] = {&a, &b, &c};
    if (v[1]->y < v[0]->y)
        std::swap(v[0], v[1]);
    if (v[2]->y < v[1]->y)
        std::swap(v[1], v[2]);
    if (v[1]->y < v[0]->y)
        std::swap(v[0], v[1]);
    const SRasterVertex& p0 = *v[0];
    const SRasterVertex& p1 = *v[1];
    const SRasterVertex& p2 = *v[2];

    const float dx1 = p1.x - p0.x, dy1 = p1.y - p0.y;
    const float dx2 = p2.x - p0.x, dy2 = p2.y - p0.y;
    const float fArea2 = dx1 * dy2 - dx2 * dy1;
    if (!(std::fabs(fArea2) > 1e-12f) || !std::isfinite(fArea2))
        return;
    // Callers clip to a guard band; anything far beyond it is garbage and would overflow the integer maths.
    constexpr float MAX_COORD = 1.0e6f;
    for (const SRasterVertex* p : v)
        if (!(std::fabs(p->x) < MAX_COORD && std::fabs(p->y) < MAX_COORD))
            return;

    // Plane equations of 1/w and the attributes over w.
    SGradients g;
    g.x0 = p0.x;
    g.y0 = p0.y;
    const float fInvArea = 1.0f / fArea2;
    const auto setPlane = [&](float A0, float A1, float A2, float& base, float& ddx, float& ddy)
    {
        base = A0;
        ddx = ((A1 - A0) * dy2 - (A2 - A0) * dy1) * fInvArea;
        ddy = ((A2 - A0) * dx1 - (A1 - A0) * dx2) * fInvArea;
    };
    const auto attr = [](const SRasterVertex& p, int k)
    {
        if (k == 0)
            return p.rhw;
        if (k == 1)
            return p.u * p.rhw;
        if (k == 2)
            return p.v * p.rhw;
        return p.c[k - 3] * p.rhw;
    };
    for (int k = 0; k < SGradients::COUNT; ++k)
        setPlane(attr(p0, k), attr(p1, k), attr(p2, k), g.a0[k], g.dx[k], g.dy[k]);
    setPlane(p0.z, p1.z, p2.z, g.z0, g.dzdx, g.dzdy);

    // Scanlines whose centres lie in [top, bottom), clipped.
    const int yTop = std::max(FastCeil(p0.y - 0.5f), static_cast<int>(m_target.rcClip.top));
    const int yBottom = std::min(FastCeil(p2.y - 0.5f), static_cast<int>(m_target.rcClip.bottom));
    const SEdge eLong = MakeEdge(p0, p2);
    const SEdge eUpper = MakeEdge(p0, p1);
    const SEdge eLower = MakeEdge(p1, p2);
    // The long edge is on the left when the middle vertex lies to its right.
    const bool bLongLeft = fArea2 > 0;
    const int xMin = m_target.rcClip.left, xMax = m_target.rcClip.right;
    for (int y = yTop; y < yBottom; ++y)
    {
        const float yc = static_cast<float>(y) + 0.5f;
        const float xLong = eLong.XAt(yc);
        const float xShort = yc < p1.y ? eUpper.XAt(yc) : eLower.XAt(yc);
        const float xl = bLongLeft ? xLong : xShort;
        const float xr = bLongLeft ? xShort : xLong;
        const int ix0 = std::max(FastCeil(xl - 0.5f), xMin);
        const int ix1 = std::min(FastCeil(xr - 0.5f), xMax);
        if (ix0 < ix1)
            m_pfnSpan(*this, g, y, ix0, ix1);
    }
}
