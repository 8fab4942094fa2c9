// The span functions of the rasterizer, included inside a namespace by RasterSpanSse2.cpp and RasterSpanAvx2.cpp
// (the latter compiles every function here for AVX2). Includes nothing itself: its includers include
// RasterSpan.h, <algorithm>, <cstring> and <emmintrin.h> first.
//
// A row is drawn in blocks of SPAN_STEP pixel columns aligned on multiples of SPAN_STEP. At each block's
// ends (clamped to the row) the planes are evaluated and divided by 1/w; between them texture coordinates and
// colours step linearly in 16.16 fixed point. A pixel's values depend on its block's ends and its offset in the
// block only, never on where the drawing of the row started.

/// Fixed point with 16 fraction bits, the format of every per-pixel stepper.
constexpr float FIX_ONE = 65536.0f;
/// Texture coordinates are kept within this many texels of the block's start, so that 16.16 never overflows;
/// textures up to this wide are addressed exactly.
constexpr float MAX_TEXEL_OFFSET = 8192.0f;
/// The filter is chosen per block between MINFILTER and MAGFILTER by the texel footprint.
constexpr int FILTER_MIXED = 3;

/// 1 / m for the block lengths, so that every build divides alike.
struct SInverseSteps
{
    float a[CRasterizer::SPAN_STEP + 1] = {};
    constexpr SInverseSteps()
    {
        for (int i = 1; i <= CRasterizer::SPAN_STEP; ++i)
            a[i] = 1.0f / static_cast<float>(i);
    }
};
constexpr SInverseSteps INV_STEPS;

inline int ToFix(float f) { return static_cast<int>(f * FIX_ONE); }

/// floor() without a library call (the baseline instruction set has no rounding instruction); |f| < 2^31.
inline float FastFloor(float f)
{
    const float i = static_cast<float>(static_cast<int>(f));
    return i > f ? i - 1.0f : i;
}

/// t * c / 255, rounded, for t and c in 0..255.
inline DWORD Mul255(DWORD t, DWORD c)
{
    const DWORD x = t * c + 128;
    return (x + (x >> 8)) >> 8;
}

/// A texel index wrapped into [0, n): a compare in the usual case, a division for indices further out.
[[gnu::always_inline]] inline int WrapIndex(int i, int n)
{
    if (static_cast<unsigned>(i) < static_cast<unsigned>(n))
        return i;
    const int r = i % n;
    return r < 0 ? r + n : r;
}

/// The texture as the span loop reads it, copied into locals so that pixel stores cannot alias it.
struct STexels
{
    const DWORD* pTex;
    int nWidth, nHeight;
};

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
        {
            const int x = WrapIndex(uf >> 16, t.nWidth);
            const int y = WrapIndex(vf >> 16, t.nHeight);
            return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(t.pTex[y * t.nWidth + x])), zero);
        }
        else
        {
            const int x0 = WrapIndex(uf >> 16, t.nWidth);
            const int x1 = x0 + 1 == t.nWidth ? 0 : x0 + 1;
            const int y0 = WrapIndex(vf >> 16, t.nHeight);
            const int y1 = y0 + 1 == t.nHeight ? 0 : y0 + 1;
            const DWORD* pRow0 = t.pTex + y0 * t.nWidth;
            const DWORD* pRow1 = t.pTex + y1 * t.nWidth;
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

/// The attributes at one pixel centre of a row, divided by w.
struct SResolved
{
    float w;      // w itself
    float un, vn; // texture coordinates, 0..1 per repeat
    float u, v;   // texels
    float c[7];   // colours 0..255
};

template <int NC> [[gnu::always_inline]] inline SResolved Resolve(const float* pRowBase, const SRasterTriangle& t,
                                                                  int x, float fTexW, float fTexH)
{
    const float X = static_cast<float>(x) + 0.5f - t.x0;
    float a[3 + NC];
    for (int k = 0; k < 3 + NC; ++k)
        a[k] = pRowBase[k] + t.dx[k] * X;
    SResolved r;
    // A pixel centre inside the triangle has 1/w > 0; the guard keeps rounding at a sliver from dividing by 0.
    r.w = 1.0f / std::max(a[0], 1e-30f);
    r.un = a[1] * r.w;
    r.vn = a[2] * r.w;
    r.u = r.un * fTexW;
    r.v = r.vn * fTexH;
    for (int k = 0; k < NC; ++k)
        r.c[k] = std::clamp(a[3 + k] * r.w, 0.0f, 255.0f);
    for (int k = NC; k < 7; ++k)
        r.c[k] = 0;
    return r;
}

/// Whether a texel at this pixel is smaller than the pixel: the larger of the screen axes' texel steps exceeds 1.
inline bool IsMinified(const SRasterTriangle& t, const SResolved& r, float fTexW, float fTexH)
{
    const float dudx = (t.dx[1] - r.un * t.dx[0]) * r.w * fTexW, dvdx = (t.dx[2] - r.vn * t.dx[0]) * r.w * fTexH;
    const float dudy = (t.dy[1] - r.un * t.dy[0]) * r.w * fTexW, dvdy = (t.dy[2] - r.vn * t.dy[0]) * r.w * fTexH;
    return std::max(dudx * dudx + dvdx * dvdx, dudy * dudy + dvdy * dvdy) > 1.0f;
}

/// One block's steppers at its first pixel to draw.
struct SBlock
{
    int uf = 0, vf = 0, du = 0, dv = 0;
    int cf[7] = {}, dc[7] = {};
};

template <int NC> inline SBlock MakeBlock(const SResolved& s, const SResolved& e, float fInvM, int nOffset,
                                          bool bTextured, bool bLinear, float fTexW, float fTexH)
{
    SBlock b;
    if (bTextured)
    {
        // Move both ends by the same whole number of texture sizes: the wrap hides it.
        const float uBase = FastFloor(s.u / fTexW) * fTexW;
        const float vBase = FastFloor(s.v / fTexH) * fTexH;
        const auto clampOff = [](float f) { return std::clamp(f, -MAX_TEXEL_OFFSET, MAX_TEXEL_OFFSET); };
        const float us = clampOff(s.u - uBase), ue = clampOff(e.u - uBase);
        const float vs = clampOff(s.v - vBase), ve = clampOff(e.v - vBase);
        b.du = ToFix((ue - us) * fInvM);
        b.dv = ToFix((ve - vs) * fInvM);
        // Bilinear filtering samples around texel centres, so it works half a texel back.
        const int nHalf = bLinear ? 0x8000 : 0;
        b.uf = ToFix(us) + nOffset * b.du - nHalf;
        b.vf = ToFix(vs) + nOffset * b.dv - nHalf;
    }
    for (int k = 0; k < NC; ++k)
    {
        b.dc[k] = ToFix((e.c[k] - s.c[k]) * fInvM);
        // Half a unit of bias turns the truncation of the per-pixel shift into rounding.
        b.cf[k] = ToFix(s.c[k]) + 0x8000 + nOffset * b.dc[k];
    }
    return b;
}

/// Depth of a row: 16.16 fixed point of the buffer's units at column 0, and the clamp.
struct SRowDepth
{
    std::int64_t zRow, dzx, zMax;
};

/// Depth test of the pixels [x, x + n), n at most SPAN_STEP: bit i of the result is set when pixel x + i passes.
/// Passing depths are stored when writes are on.
template <typename ZTYPE> [[gnu::always_inline]] inline unsigned TestDepth(BYTE* pZRow, const SRowDepth& d, int x,
                                                                           int n, int nZMask, bool bZWrite)
{
    unsigned nPass = 0;
    // Locals: the stores below go through a byte pointer, which could alias anything the loop reads.
    const std::int64_t dzx = d.dzx, zMax = d.zMax;
    // Stepping adds exactly what the product from column 0 would give: integers do not round.
    const std::int64_t zFirst = d.zRow + x * dzx, zLast = zFirst + (n - 1) * dzx;
    // Depth is linear: when both ends are inside the buffer's range, every pixel between is.
    const bool bInside = zFirst >= 0 && zFirst <= zMax && zLast >= 0 && zLast <= zMax;
    std::int64_t zStep = zFirst;
    BYTE* pZ = pZRow + x * static_cast<int>(sizeof(ZTYPE));
    for (int i = 0; i < n; ++i, zStep += dzx)
    {
        const std::int64_t zf = bInside ? zStep : std::clamp<std::int64_t>(zStep, 0, zMax);
        const auto z = static_cast<ZTYPE>(zf >> 16);
        ZTYPE zOld;
        std::memcpy(&zOld, pZ + i * static_cast<int>(sizeof(ZTYPE)), sizeof(ZTYPE));
        // 0 nearer, 1 equal, 2 farther: the bit of the depth function's mask that decides.
        const int nSide = (z >= zOld ? 1 : 0) + (z > zOld ? 1 : 0);
        const unsigned nBit = static_cast<unsigned>((nZMask >> nSide) & 1);
        nPass |= nBit << i;
        if (nBit != 0 && bZWrite)
            std::memcpy(pZ + i * static_cast<int>(sizeof(ZTYPE)), &z, sizeof(ZTYPE));
    }
    return nPass;
}

/// Stores the shaded colours of the passing pixels, blended with what is there when blending is on.
template <bool BLEND>
inline void StorePixels(const SSpanContext& ctx, BYTE* pRow, int x, int n, unsigned nPass, const DWORD* pColor)
{
    const CPixelLayout& layout = ctx.target.layout;
    if (layout.IsXrgb8888())
    {
        const DWORD dwAlpha = layout.HasAlpha() ? 0xFF000000 : 0;
        DWORD* pPixel = reinterpret_cast<DWORD*>(pRow) + x;
        for (int i = 0; i < n; ++i)
            if ((nPass >> i) & 1)
                pPixel[i] = (BLEND ? BlendPixel(ctx.state, pColor[i], pPixel[i]) : pColor[i]) | dwAlpha;
        return;
    }
    const int nBytes = layout.GetBytesPerPixel();
    for (int i = 0; i < n; ++i)
        if ((nPass >> i) & 1)
        {
            BYTE* p = pRow + (x + i) * nBytes;
            DWORD raw = 0;
            std::memcpy(&raw, p, static_cast<size_t>(nBytes));
            const DWORD color = BLEND ? BlendPixel(ctx.state, pColor[i], layout.ToArgb(raw)) : pColor[i];
            raw = layout.FromArgb(color | 0xFF000000);
            std::memcpy(p, &raw, static_cast<size_t>(nBytes));
        }
}

/// Draws the pixels [x, xEnd) of one block: depth test first, then only the passing pixels are shaded.
template <ETextureFilter FILTER, bool BLEND, bool SPECULAR>
std::uint64_t DrawPixels(const SSpanContext& ctx, BYTE* pRow, BYTE* pZRow, const SRowDepth& d, int x, int xEnd,
                         const STexels& tex, SBlock b)
{
    const int n = xEnd - x;
    unsigned nPass = n == 32 ? ~0u : (1u << n) - 1;
    if (pZRow != nullptr)
    {
        nPass = ctx.target.nZBits == 32 ? TestDepth<DWORD>(pZRow, d, x, n, ctx.nZFuncMask, ctx.state.bZWrite)
                                        : TestDepth<WORD>(pZRow, d, x, n, ctx.nZFuncMask, ctx.state.bZWrite);
        if (nPass == 0)
            return 0;
    }
    DWORD aColor[CRasterizer::SPAN_STEP];
    SShade shade(b.cf, b.dc);
    for (int i = 0; i < n; ++i)
    {
        if ((nPass >> i) & 1)
            aColor[i] = shade.template Shade<FILTER, SPECULAR>(tex, b.uf, b.vf);
        if constexpr (FILTER != TEXFILTER_NONE)
        {
            b.uf += b.du;
            b.vf += b.dv;
        }
        shade.template Step<SPECULAR>();
    }
    StorePixels<BLEND>(ctx, pRow, x, n, nPass, aColor);
    return static_cast<std::uint64_t>(__builtin_popcount(nPass));
}

template <int FILTER, bool BLEND, bool SPECULAR>
std::uint64_t DrawSpan(const SSpanContext& ctx, const SRasterTriangle& t, int y, int cx0, int cx1, int x0, int x1)
{
    constexpr int NC = SPECULAR ? 7 : 4;
    constexpr bool TEXTURED = FILTER != TEXFILTER_NONE;
    const SRasterTarget& tg = ctx.target;
    BYTE* pRow = tg.pColor + static_cast<std::ptrdiff_t>(y) * tg.lColorPitch;
    BYTE* pZRow = tg.pZ != nullptr ? tg.pZ + static_cast<std::ptrdiff_t>(y) * tg.lZPitch : nullptr;

    const float Y = static_cast<float>(y) + 0.5f - t.y0;
    float aRowBase[3 + NC];
    for (int k = 0; k < 3 + NC; ++k)
        aRowBase[k] = t.a0[k] + t.dy[k] * Y;
    SRowDepth depth{};
    if (pZRow != nullptr)
    {
        const double dZ = t.z0 + t.dzdy * (static_cast<double>(y) + 0.5 - t.y0) + t.dzdx * (0.5 - t.x0);
        depth.zRow = static_cast<std::int64_t>(dZ * 65536.0);
        depth.dzx = t.dzx;
        depth.zMax = (tg.nZBits == 32 ? std::int64_t{0xFFFFFFFF} : std::int64_t{0xFFFF}) << 16;
    }
    const STexels tex{ctx.texture.pTexels, ctx.texture.nWidth, ctx.texture.nHeight};
    const float fTexW = static_cast<float>(tex.nWidth), fTexH = static_cast<float>(tex.nHeight);

    std::uint64_t nDrawn = 0;
    int xResolved = -1;
    SResolved last{};
    for (int x = x0; x < x1;)
    {
        // The block's ends, clamped to the row: [xs, xe] are evaluated exactly.
        const int xb = x & ~(CRasterizer::SPAN_STEP - 1);
        const int xs = std::max(xb, cx0);
        const int xe = std::min(xb + CRasterizer::SPAN_STEP, cx1 - 1);
        const int xEnd = std::min(xb + CRasterizer::SPAN_STEP, x1);
        const SResolved s = xs == xResolved ? last : Resolve<NC>(aRowBase, t, xs, fTexW, fTexH);
        const SResolved e = xe == xs ? s : Resolve<NC>(aRowBase, t, xe, fTexW, fTexH);
        xResolved = xe;
        last = e;

        int nFilter = FILTER;
        if constexpr (FILTER == FILTER_MIXED)
            nFilter = IsMinified(t, s, fTexW, fTexH) ? ctx.state.eMinFilter : ctx.state.eMagFilter;
        const SBlock b =
            MakeBlock<NC>(s, e, INV_STEPS.a[xe - xs], x - xs, TEXTURED, nFilter == TEXFILTER_LINEAR, fTexW, fTexH);
        if (nFilter == TEXFILTER_LINEAR)
            nDrawn += DrawPixels<TEXFILTER_LINEAR, BLEND, SPECULAR>(ctx, pRow, pZRow, depth, x, xEnd, tex, b);
        else if (nFilter == TEXFILTER_POINT)
            nDrawn += DrawPixels<TEXFILTER_POINT, BLEND, SPECULAR>(ctx, pRow, pZRow, depth, x, xEnd, tex, b);
        else
            nDrawn += DrawPixels<TEXFILTER_NONE, BLEND, SPECULAR>(ctx, pRow, pZRow, depth, x, xEnd, tex, b);
        x = xEnd;
    }
    return nDrawn;
}

// Every combination of the per-pixel choices is its own span function, picked once per state change.
template <int FILTER> SpanFn PickByState(const SRasterState& s)
{
    if (s.bBlend)
        return s.bSpecular ? &DrawSpan<FILTER, true, true> : &DrawSpan<FILTER, true, false>;
    return s.bSpecular ? &DrawSpan<FILTER, false, true> : &DrawSpan<FILTER, false, false>;
}

inline SpanFn PickSpan(const SRasterState& s)
{
    if (s.eMagFilter == TEXFILTER_NONE || s.eMinFilter == TEXFILTER_NONE)
        return PickByState<TEXFILTER_NONE>(s);
    if (s.eMagFilter != s.eMinFilter)
        return PickByState<FILTER_MIXED>(s);
    return s.eMagFilter == TEXFILTER_LINEAR ? PickByState<TEXFILTER_LINEAR>(s) : PickByState<TEXFILTER_POINT>(s);
}
