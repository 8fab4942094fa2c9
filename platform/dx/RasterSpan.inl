// The span functions of the rasterizer, included inside a namespace by RasterSpanSse2.cpp and RasterSpanAvx2.cpp
// (the latter compiles every function here for AVX2). Includes nothing itself: its includers include
// RasterSpan.h, <algorithm>, <cstring> and <emmintrin.h> first.
//
// A row is drawn in blocks of SPAN_STEP pixel columns counted from the row's first pixel. At each block's
// ends (the last one ends at the row's last pixel) the planes are evaluated and divided by 1/w; between them
// texture coordinates and colours step linearly in 16.16 fixed point. A pixel's values depend on its block's
// ends and its offset in the block only.

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

/// Set bits of a block's pass mask (SWAR: the baseline instruction set has no population count).
inline std::uint64_t CountBits(unsigned v)
{
    v = v - ((v >> 1) & 0x55555555u);
    v = (v & 0x33333333u) + ((v >> 2) & 0x33333333u);
    return (((v + (v >> 4)) & 0x0F0F0F0Fu) * 0x01010101u) >> 24;
}

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

    SShade(__m128i diffuse, __m128i diffuseStep, __m128i specular, __m128i specularStep)
        : vDiffuse(diffuse), vDiffuseStep(diffuseStep), vSpecular(specular), vSpecularStep(specularStep)
    {
    }

    /// WRAP: the block's texel indices may leave the texture and are wrapped; else they are used as they are.
    template <ETextureFilter FILTER, bool WRAP>
    [[gnu::always_inline]] static __m128i Texel16(const STexels& t, int uf, int vf)
    {
        const __m128i zero = _mm_setzero_si128();
        if constexpr (FILTER == TEXFILTER_POINT)
        {
            const int x = WRAP ? WrapIndex(uf >> 16, t.nWidth) : uf >> 16;
            const int y = WRAP ? WrapIndex(vf >> 16, t.nHeight) : vf >> 16;
            return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(t.pTex[y * t.nWidth + x])), zero);
        }
        else
        {
            const int x0 = WRAP ? WrapIndex(uf >> 16, t.nWidth) : uf >> 16;
            const int x1 = WRAP && x0 + 1 == t.nWidth ? 0 : x0 + 1;
            const int y0 = WRAP ? WrapIndex(vf >> 16, t.nHeight) : vf >> 16;
            const int y1 = WRAP && y0 + 1 == t.nHeight ? 0 : y0 + 1;
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

    template <ETextureFilter FILTER, bool SPECULAR, bool WRAP>
    [[gnu::always_inline]] DWORD Shade(const STexels& t, int uf, int vf) const
    {
        const __m128i zero = _mm_setzero_si128();
        __m128i c16 = _mm_packs_epi32(_mm_srli_epi32(vDiffuse, 16), zero);
        if constexpr (FILTER != TEXFILTER_NONE)
        {
            // t * c / 255 rounded: x = t * c + 128, (x + (x >> 8)) >> 8.
            const __m128i x =
                _mm_add_epi16(_mm_mullo_epi16(Texel16<FILTER, WRAP>(t, uf, vf), c16), _mm_set1_epi16(128));
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
    float w;         // w itself
    float un, vn;    // texture coordinates, 0..1 per repeat
    float u, v;      // texels
    __m128 diffuse;  // blue, green, red, alpha, 0..255
    __m128 specular; // blue, green, red, 0, 0..255
};

/// The planes along one row: at column X, counted from the triangle's x0, a plane's value is base + dx * X. Four
/// planes a vector, as registers: 1/w, u and v (and a colour); the diffuse colour; the specular colour and a
/// zero plane. Loading a vector that straddles two just-stored vectors of an array would stall the processor.
struct SRowPlanes
{
    static constexpr int FIRST_PLANE[3] = {0, 3, 7};
    __m128 base[3], dx[3];

    SRowPlanes(const SRasterTriangle& t, float Y)
    {
        const __m128 vY = _mm_set1_ps(Y);
        for (int k = 0; k < 3; ++k)
        {
            const int o = FIRST_PLANE[k];
            base[k] = _mm_add_ps(_mm_loadu_ps(t.a0 + o), _mm_mul_ps(_mm_loadu_ps(t.dy + o), vY));
            dx[k] = _mm_loadu_ps(t.dx + o);
        }
    }

    [[gnu::always_inline]] __m128 At(int k, __m128 vX) const { return _mm_add_ps(base[k], _mm_mul_ps(dx[k], vX)); }
};

template <int NC> [[gnu::always_inline]] inline SResolved Resolve(const SRowPlanes& p, const SRasterTriangle& t, int x,
                                                                  float fTexW, float fTexH)
{
    const __m128 vX = _mm_set1_ps(static_cast<float>(x) + 0.5f - t.x0);
    const __m128 a = p.At(0, vX);
    SResolved r;
    // A pixel centre inside the triangle has 1/w > 0; the guard keeps rounding at a sliver from dividing by 0.
    r.w = 1.0f / std::max(_mm_cvtss_f32(a), 1e-30f);
    r.un = _mm_cvtss_f32(_mm_shuffle_ps(a, a, 1)) * r.w;
    r.vn = _mm_cvtss_f32(_mm_shuffle_ps(a, a, 2)) * r.w;
    r.u = r.un * fTexW;
    r.v = r.vn * fTexH;
    // The colour planes are stored in lane order (see SRasterTriangle).
    const __m128 vW = _mm_set1_ps(r.w), v255 = _mm_set1_ps(255.0f), vZero = _mm_setzero_ps();
    r.diffuse = _mm_max_ps(_mm_min_ps(_mm_mul_ps(p.At(1, vX), vW), v255), vZero);
    r.specular = vZero;
    if constexpr (NC == 7)
        r.specular = _mm_max_ps(_mm_min_ps(_mm_mul_ps(p.At(2, vX), vW), v255), vZero);
    return r;
}

/// Whether a texel at this pixel is smaller than the pixel: the larger of the screen axes' texel steps exceeds 1.
inline bool IsMinified(const SRasterTriangle& t, const SResolved& r, float fTexW, float fTexH)
{
    const float dudx = (t.dx[1] - r.un * t.dx[0]) * r.w * fTexW, dvdx = (t.dx[2] - r.vn * t.dx[0]) * r.w * fTexH;
    const float dudy = (t.dy[1] - r.un * t.dy[0]) * r.w * fTexW, dvdy = (t.dy[2] - r.vn * t.dy[0]) * r.w * fTexH;
    return std::max(dudx * dudx + dvdx * dvdx, dudy * dudy + dvdy * dvdy) > 1.0f;
}

/// One block's steppers at its first pixel.
struct SBlock
{
    int uf = 0, vf = 0, du = 0, dv = 0;
    __m128i diffuse, diffuseStep, specular, specularStep; // 16.16 per lane, as SShade steps them
};

/// Start value at the block's first pixel and step of one colour vector, in 16.16.
inline void ColourSteppers(__m128 s, __m128 e, float fInvM, __m128i& start, __m128i& step)
{
    const __m128 vFix = _mm_set1_ps(FIX_ONE);
    step = _mm_cvttps_epi32(_mm_mul_ps(_mm_mul_ps(_mm_sub_ps(e, s), _mm_set1_ps(fInvM)), vFix));
    // Half a unit of bias turns the truncation of the per-pixel shift into rounding.
    start = _mm_add_epi32(_mm_cvttps_epi32(_mm_mul_ps(s, vFix)), _mm_set1_epi32(0x8000));
}

template <int NC> inline SBlock MakeBlock(const SResolved& s, const SResolved& e, float fInvM, bool bTextured,
                                          bool bLinear, float fTexW, float fTexH)
{
    SBlock b;
    if (bTextured)
    {
        // Move both ends by the same whole number of texture sizes: the wrap hides it.
        const float uBase = FastFloor(s.un) * fTexW;
        const float vBase = FastFloor(s.vn) * fTexH;
        const auto clampOff = [](float f) { return std::clamp(f, -MAX_TEXEL_OFFSET, MAX_TEXEL_OFFSET); };
        const float us = clampOff(s.u - uBase), ue = clampOff(e.u - uBase);
        const float vs = clampOff(s.v - vBase), ve = clampOff(e.v - vBase);
        b.du = ToFix((ue - us) * fInvM);
        b.dv = ToFix((ve - vs) * fInvM);
        // Bilinear filtering samples around texel centres, so it works half a texel back.
        const int nHalf = bLinear ? 0x8000 : 0;
        b.uf = ToFix(us) - nHalf;
        b.vf = ToFix(vs) - nHalf;
    }
    ColourSteppers(s.diffuse, e.diffuse, fInvM, b.diffuse, b.diffuseStep);
    b.specular = b.specularStep = _mm_setzero_si128();
    if constexpr (NC == 7)
        ColourSteppers(s.specular, e.specular, fInvM, b.specular, b.specularStep);
    return b;
}

/// Depth of a row: 16.16 fixed point of the buffer's units at column 0, and the clamp.
struct SRowDepth
{
    std::int64_t zRow, dzx, zMax;
};

/// The depth test over one block's pixels. CLAMPED: depths may leave the buffer's range and are clamped.
/// LESS_EQUAL: the usual function, tested directly; otherwise the function's mask decides.
template <typename ZTYPE, bool CLAMPED, bool LESS_EQUAL> inline unsigned
TestDepthLoop(BYTE* pZ, std::int64_t zStep, std::int64_t dzx, std::int64_t zMax, int n, int nZMask, bool bZWrite)
{
    unsigned nPass = 0;
    for (int i = 0; i < n; ++i, zStep += dzx)
    {
        const std::int64_t zf = CLAMPED ? std::clamp<std::int64_t>(zStep, 0, zMax) : zStep;
        const auto z = static_cast<ZTYPE>(zf >> 16);
        ZTYPE zOld;
        std::memcpy(&zOld, pZ + i * static_cast<int>(sizeof(ZTYPE)), sizeof(ZTYPE));
        unsigned nBit;
        if constexpr (LESS_EQUAL)
            nBit = z <= zOld ? 1 : 0;
        else
        {
            // 0 nearer, 1 equal, 2 farther: the bit of the depth function's mask that decides.
            const int nSide = (z >= zOld ? 1 : 0) + (z > zOld ? 1 : 0);
            nBit = static_cast<unsigned>((nZMask >> nSide) & 1);
        }
        nPass |= nBit << i;
        if (nBit != 0 && bZWrite)
            std::memcpy(pZ + i * static_cast<int>(sizeof(ZTYPE)), &z, sizeof(ZTYPE));
    }
    return nPass;
}

#if defined(VORN_SPAN_WIDE)
/// Eight tests of the usual function on a 16-bit buffer at once, as TestDepthLoop does them. The block's depths
/// all lie in 0 .. 2^32 - 1 (the caller checked its ends), so sums modulo 2^32 in 32-bit lanes are exact.
inline unsigned TestEightLessEqual16(BYTE* pZ, std::int64_t zFirst, std::int64_t dzx, bool bZWrite)
{
    const __m256i iota = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i zf = _mm256_add_epi32(
        _mm256_set1_epi32(static_cast<int>(static_cast<std::uint32_t>(zFirst))),
        _mm256_mullo_epi32(iota, _mm256_set1_epi32(static_cast<int>(static_cast<std::uint32_t>(dzx)))));
    const __m256i z = _mm256_srli_epi32(zf, 16);
    const __m256i old = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pZ)));
    const __m256i fail = _mm256_cmpgt_epi32(z, old);
    const unsigned nPass = ~static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(fail))) & 0xFF;
    if (bZWrite && nPass != 0)
    {
        // Failing pixels keep their depth: the row lies in this band, so writing it back races with nobody.
        const __m256i merged = _mm256_blendv_epi8(z, old, fail);
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi32(merged, merged), 0xD8);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pZ), _mm256_castsi256_si128(packed));
    }
    return nPass;
}
#else
/// Eight tests of the usual function on a 16-bit buffer at once, as TestDepthLoop does them, in SSE2. The block's
/// depths all lie in 0 .. 2^32 - 1 (the caller checked its ends), so sums modulo 2^32 are exact.
inline unsigned TestEightLessEqual16(BYTE* pZ, std::int64_t zFirst, std::int64_t dzx, bool bZWrite)
{
    const auto z0 = static_cast<std::uint32_t>(zFirst), d = static_cast<std::uint32_t>(dzx);
    const __m128i vLow = _mm_set_epi32(static_cast<int>(z0 + 3 * d), static_cast<int>(z0 + 2 * d),
                                       static_cast<int>(z0 + d), static_cast<int>(z0));
    const __m128i vHigh = _mm_add_epi32(vLow, _mm_set1_epi32(static_cast<int>(4 * d)));
    // Unsigned 16-bit values compared as signed ones after moving them down by 32768.
    const __m128i bias32 = _mm_set1_epi32(32768), bias16 = _mm_set1_epi16(static_cast<short>(0x8000));
    const __m128i z = _mm_packs_epi32(_mm_sub_epi32(_mm_srli_epi32(vLow, 16), bias32),
                                      _mm_sub_epi32(_mm_srli_epi32(vHigh, 16), bias32));
    const __m128i old = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pZ)), bias16);
    const __m128i fail = _mm_cmpgt_epi16(z, old);
    const unsigned nPass = ~static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(fail, fail))) & 0xFF;
    if (bZWrite && nPass != 0)
    {
        // Failing pixels keep their depth: the row lies in this band, so writing it back races with nobody.
        const __m128i merged = _mm_or_si128(_mm_andnot_si128(fail, z), _mm_and_si128(fail, old));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pZ), _mm_xor_si128(merged, bias16));
    }
    return nPass;
}
#endif

/// Depth test of the pixels [x, x + n), n at most SPAN_STEP: bit i of the result is set when pixel x + i passes.
/// Passing depths are stored when writes are on. Inlined into the span loop, as DrawPixels is: a call per block
/// costs several per cent of a frame of small triangles.
template <typename ZTYPE> [[gnu::always_inline]] inline unsigned TestDepth(BYTE* pZRow, const SRowDepth& d, int x,
                                                                           int n, int nZMask, bool bZWrite)
{
    // Locals: the stores go through a byte pointer, which could alias anything the loop reads.
    const std::int64_t dzx = d.dzx, zMax = d.zMax;
    // Stepping adds exactly what the product from column 0 would give: integers do not round.
    const std::int64_t zFirst = d.zRow + x * dzx, zLast = zFirst + (n - 1) * dzx;
    // Depth is linear: when both ends are inside the buffer's range, every pixel between is.
    const bool bInside = zFirst >= 0 && zFirst <= zMax && zLast >= 0 && zLast <= zMax;
    BYTE* pZ = pZRow + x * static_cast<int>(sizeof(ZTYPE));
    constexpr int LESS_EQUAL_MASK = 3;
    if (bInside && nZMask == LESS_EQUAL_MASK)
    {
        int i = 0;
        unsigned nPass = 0;
        if constexpr (sizeof(ZTYPE) == 2)
            for (; i + 8 <= n; i += 8)
                nPass |= TestEightLessEqual16(pZ + i * 2, zFirst + i * dzx, dzx, bZWrite) << i;
        return nPass | TestDepthLoop<ZTYPE, false, true>(pZ + i * static_cast<int>(sizeof(ZTYPE)), zFirst + i * dzx,
                                                         dzx, zMax, n - i, nZMask, bZWrite)
                           << i;
    }
    if (bInside)
        return TestDepthLoop<ZTYPE, false, false>(pZ, zFirst, dzx, zMax, n, nZMask, bZWrite);
    return TestDepthLoop<ZTYPE, true, false>(pZ, zFirst, dzx, zMax, n, nZMask, bZWrite);
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

/// Whether the texels a block reads all lie inside the texture, so that no index needs wrapping.
template <ETextureFilter FILTER> inline bool StaysInside(const STexels& t, const SBlock& b, int n)
{
    if constexpr (FILTER == TEXFILTER_NONE)
        return true;
    // The far corner of a bilinear sample is one texel further.
    constexpr int nExtra = FILTER == TEXFILTER_LINEAR ? 1 : 0;
    const int u0 = b.uf >> 16, u1 = (b.uf + (n - 1) * b.du) >> 16;
    const int v0 = b.vf >> 16, v1 = (b.vf + (n - 1) * b.dv) >> 16;
    return std::min(u0, u1) >= 0 && std::max(u0, u1) + nExtra < t.nWidth && std::min(v0, v1) >= 0 &&
           std::max(v0, v1) + nExtra < t.nHeight;
}

#if defined(VORN_SPAN_WIDE)
/// Eight pixels of a block at once, from pixel i0, in SShade's 16-bit lanes: each pixel's four channels side by
/// side, pixels 0, 1, 4 and 5 in one vector and 2, 3, 6 and 7 in the other (the order in which unpacking bytes
/// leaves them), so that every operation is SShade's, on the same values.
template <ETextureFilter FILTER, bool SPECULAR>
inline void ShadeEight(const STexels& t, const SBlock& b, int i0, unsigned nPass, DWORD* pColor)
{
    const __m256i iota = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), one = _mm256_set1_epi32(1);
    const __m256i vI = _mm256_add_epi32(iota, _mm256_set1_epi32(i0));
    const __m256i vPass = _mm256_cmpeq_epi32(
        _mm256_and_si256(_mm256_srlv_epi32(_mm256_set1_epi32(static_cast<int>(nPass >> i0)), iota), one), one);
    // Integer steps: the i-th pixel's values are exactly the start plus i steps.
    const __m256i uf = _mm256_add_epi32(_mm256_set1_epi32(b.uf), _mm256_mullo_epi32(vI, _mm256_set1_epi32(b.du)));
    const __m256i vf = _mm256_add_epi32(_mm256_set1_epi32(b.vf), _mm256_mullo_epi32(vI, _mm256_set1_epi32(b.dv)));
    const __m256i vWidth = _mm256_set1_epi32(t.nWidth), ff = _mm256_set1_epi32(0xFF);
    const __m256i idx =
        _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srai_epi32(vf, 16), vWidth), _mm256_srai_epi32(uf, 16));
    const int* pTex = reinterpret_cast<const int*>(t.pTex);
    const __m256i zero = _mm256_setzero_si256();
    const auto low = [&](__m256i v) { return _mm256_unpacklo_epi8(v, zero); };  // pixels 0, 1, 4, 5
    const auto high = [&](__m256i v) { return _mm256_unpackhi_epi8(v, zero); }; // pixels 2, 3, 6, 7
    __m256i texLow, texHigh;
    if constexpr (FILTER == TEXFILTER_LINEAR)
    {
        // Each row's two texels side by side come as one 64-bit load, pixel by pixel: scalar loads beat a gather.
        // Lanes that do not pass read texel 0 and its neighbours (a passing lane proves the texture has them):
        // their own indices may lie outside the texture.
        alignas(32) int aIndex[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(aIndex), _mm256_and_si256(idx, vPass));
        const auto pairs = [&](int nRowOffset, int nFirst)
        {
            const auto load = [&](int i)
            { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pTex + aIndex[nFirst + i] + nRowOffset)); };
            const __m128i lo = _mm_unpacklo_epi64(load(0), load(1)), hi = _mm_unpacklo_epi64(load(2), load(3));
            return _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
        };
        // Left texels are the even 32-bit lanes of the pairs, right ones the odd; the shuffle leaves the pixels in
        // the order 0 1 4 5 2 3 6 7, which the permutation puts right.
        const auto split = [](__m256i lo, __m256i hi, __m256i& left, __m256i& right)
        {
            const __m256 fa = _mm256_castsi256_ps(lo), fb = _mm256_castsi256_ps(hi);
            left = _mm256_permute4x64_epi64(_mm256_castps_si256(_mm256_shuffle_ps(fa, fb, 0x88)), 0xD8);
            right = _mm256_permute4x64_epi64(_mm256_castps_si256(_mm256_shuffle_ps(fa, fb, 0xDD)), 0xD8);
        };
        __m256i t00, t01, t10, t11;
        split(pairs(0, 0), pairs(0, 4), t00, t01);
        split(pairs(t.nWidth, 0), pairs(t.nWidth, 4), t10, t11);
        // A pixel's weight, below 2^16, spread over its four channels' lanes.
        const __m256i fu = _mm256_and_si256(_mm256_srai_epi32(uf, 8), ff);
        const __m256i fv = _mm256_and_si256(_mm256_srai_epi32(vf, 8), ff);
        const __m256i fu2 = _mm256_or_si256(fu, _mm256_slli_epi32(fu, 16));
        const __m256i fv2 = _mm256_or_si256(fv, _mm256_slli_epi32(fv, 16));
        const __m256i w256 = _mm256_set1_epi16(256);
        // Each texel channel times a weight of at most 256 stays below 65536: unsigned 16-bit lanes suffice.
        const auto filter = [&](const auto& part, __m256i wu, __m256i wv)
        {
            const __m256i wu0 = _mm256_sub_epi16(w256, wu), wv0 = _mm256_sub_epi16(w256, wv);
            const __m256i left = _mm256_srli_epi16(
                _mm256_add_epi16(_mm256_mullo_epi16(part(t00), wv0), _mm256_mullo_epi16(part(t10), wv)), 8);
            const __m256i right = _mm256_srli_epi16(
                _mm256_add_epi16(_mm256_mullo_epi16(part(t01), wv0), _mm256_mullo_epi16(part(t11), wv)), 8);
            return _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(left, wu0), _mm256_mullo_epi16(right, wu)), 8);
        };
        texLow = filter(low, _mm256_unpacklo_epi32(fu2, fu2), _mm256_unpacklo_epi32(fv2, fv2));
        texHigh = filter(high, _mm256_unpackhi_epi32(fu2, fu2), _mm256_unpackhi_epi32(fv2, fv2));
    }
    else
    {
        // Scalar loads beat a gather; lanes that do not pass read texel 0, as their own indices may lie outside.
        alignas(32) int aIndex[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(aIndex), _mm256_and_si256(idx, vPass));
        const __m256i t00 = _mm256_setr_epi32(pTex[aIndex[0]], pTex[aIndex[1]], pTex[aIndex[2]], pTex[aIndex[3]],
                                              pTex[aIndex[4]], pTex[aIndex[5]], pTex[aIndex[6]], pTex[aIndex[7]]);
        texLow = low(t00);
        texHigh = high(t00);
    }
    // A colour stepper's values at the pixels, in the same layout: a vector of pixels i0 and i0 + 4, stepped.
    const auto colour = [&](__m128i start, __m128i step, __m256i& lo, __m256i& hi)
    {
        const __m256i vStep = _mm256_broadcastsi128_si256(step);
        const __m256i vFirst = _mm256_setr_epi32(i0, i0, i0, i0, i0 + 4, i0 + 4, i0 + 4, i0 + 4);
        const __m256i p0 = _mm256_add_epi32(_mm256_broadcastsi128_si256(start), _mm256_mullo_epi32(vFirst, vStep));
        const __m256i p1 = _mm256_add_epi32(p0, vStep), p2 = _mm256_add_epi32(p1, vStep);
        const __m256i p3 = _mm256_add_epi32(p2, vStep);
        lo = _mm256_packs_epi32(_mm256_srli_epi32(p0, 16), _mm256_srli_epi32(p1, 16));
        hi = _mm256_packs_epi32(_mm256_srli_epi32(p2, 16), _mm256_srli_epi32(p3, 16));
    };
    __m256i dLow, dHigh;
    colour(b.diffuse, b.diffuseStep, dLow, dHigh);
    // t * c / 255 rounded: x = t * c + 128, (x + (x >> 8)) >> 8.
    const auto modulate = [&](__m256i tex, __m256i c)
    {
        const __m256i x = _mm256_add_epi16(_mm256_mullo_epi16(tex, c), _mm256_set1_epi16(128));
        return _mm256_srli_epi16(_mm256_add_epi16(x, _mm256_srli_epi16(x, 8)), 8);
    };
    __m256i out = _mm256_packus_epi16(modulate(texLow, dLow), modulate(texHigh, dHigh));
    if constexpr (SPECULAR)
    {
        __m256i sLow, sHigh;
        colour(b.specular, b.specularStep, sLow, sHigh);
        out = _mm256_adds_epu8(out, _mm256_packus_epi16(sLow, sHigh));
    }
    out = _mm256_and_si256(out, _mm256_set1_epi32(0x00FFFFFF));
    // A masked store is slow: blocks where every pixel passes store plainly.
    if (((nPass >> i0) & 0xFF) == 0xFF)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(pColor + i0), out);
    else
        _mm256_maskstore_epi32(reinterpret_cast<int*>(pColor + i0), vPass, out);
}
#endif

/// Shades the passing pixels of a block into pColor.
template <ETextureFilter FILTER, bool SPECULAR, bool WRAP>
inline void ShadePixels(const STexels& tex, SBlock b, int n, unsigned nPass, DWORD* pColor)
{
#if defined(VORN_SPAN_WIDE)
    if constexpr (!WRAP && FILTER != TEXFILTER_NONE)
    {
        for (int i0 = 0; i0 < n; i0 += 8)
            if (((nPass >> i0) & 0xFF) != 0)
                ShadeEight<FILTER, SPECULAR>(tex, b, i0, nPass, pColor);
        return;
    }
#endif
    SShade shade(b.diffuse, b.diffuseStep, b.specular, b.specularStep);
    for (int i = 0; i < n; ++i)
    {
        if ((nPass >> i) & 1)
            pColor[i] = shade.template Shade<FILTER, SPECULAR, WRAP>(tex, b.uf, b.vf);
        if constexpr (FILTER != TEXFILTER_NONE)
        {
            b.uf += b.du;
            b.vf += b.dv;
        }
        shade.template Step<SPECULAR>();
    }
}

/// Shades and stores the passing pixels of the n pixels of a block from x.
template <ETextureFilter FILTER, bool BLEND, bool SPECULAR> [[gnu::always_inline]] inline std::uint64_t
DrawPixels(const SSpanContext& ctx, BYTE* pRow, int x, int n, unsigned nPass, const STexels& tex, const SBlock& b)
{
    // Unblended XRGB pixels are shaded straight into the target; the rest through a block of colours.
    const CPixelLayout& layout = ctx.target.layout;
    const bool bStraight = !BLEND && layout.IsXrgb8888() && !layout.HasAlpha();
    DWORD aColor[CRasterizer::SPAN_STEP];
    DWORD* pColor = bStraight ? reinterpret_cast<DWORD*>(pRow) + x : aColor;
    if (StaysInside<FILTER>(tex, b, n))
        ShadePixels<FILTER, SPECULAR, false>(tex, b, n, nPass, pColor);
    else
        ShadePixels<FILTER, SPECULAR, true>(tex, b, n, nPass, pColor);
    if (!bStraight)
        StorePixels<BLEND>(ctx, pRow, x, n, nPass, aColor);
    return CountBits(nPass);
}

template <int FILTER, bool BLEND, bool SPECULAR>
std::uint64_t DrawSpan(const SSpanContext& ctx, const SRasterTriangle& t, int y, int cx0, int cx1)
{
    constexpr int NC = SPECULAR ? 7 : 4;
    constexpr bool TEXTURED = FILTER != TEXFILTER_NONE;
    const SRasterTarget& tg = ctx.target;
    BYTE* pRow = tg.pColor + static_cast<std::ptrdiff_t>(y) * tg.lColorPitch;
    BYTE* pZRow = tg.pZ != nullptr ? tg.pZ + static_cast<std::ptrdiff_t>(y) * tg.lZPitch : nullptr;

    const SRowPlanes planes(t, static_cast<float>(y) + 0.5f - t.y0);
    SRowDepth depth{};
    if (pZRow != nullptr)
    {
        // Bounded so that the row's sums stay inside 64 bits (the slopes are bounded at set-up).
        constexpr double MAX_ROW_DEPTH = 17592186044416.0; // 2^44 buffer units
        const double dZ = t.z0 + t.dzdy * (static_cast<double>(y) + 0.5 - t.y0) + t.dzdx * (0.5 - t.x0);
        depth.zRow = static_cast<std::int64_t>(std::clamp(dZ, -MAX_ROW_DEPTH, MAX_ROW_DEPTH) * 65536.0);
        depth.dzx = t.dzx;
        depth.zMax = (tg.nZBits == 32 ? std::int64_t{0xFFFFFFFF} : std::int64_t{0xFFFF}) << 16;
    }
    const STexels tex{ctx.texture.pTexels, ctx.texture.nWidth, ctx.texture.nHeight};
    const float fTexW = static_cast<float>(tex.nWidth), fTexH = static_cast<float>(tex.nHeight);

    std::uint64_t nDrawn = 0;
    SResolved s{};
    int xResolved = -1; // where s was resolved
    for (int xs = cx0; xs < cx1; xs += CRasterizer::SPAN_STEP)
    {
        // The block's ends, clamped to the row: [xs, xe] are evaluated exactly.
        const int xe = std::min(xs + CRasterizer::SPAN_STEP, cx1 - 1);
        const int n = std::min(xs + CRasterizer::SPAN_STEP, cx1) - xs;
        // Depth first: a block hidden whole costs neither divisions nor set-up.
        unsigned nPass = n == 32 ? ~0u : (1u << n) - 1;
        if (pZRow != nullptr)
        {
            nPass = tg.nZBits == 32 ? TestDepth<DWORD>(pZRow, depth, xs, n, ctx.nZFuncMask, ctx.state.bZWrite)
                                    : TestDepth<WORD>(pZRow, depth, xs, n, ctx.nZFuncMask, ctx.state.bZWrite);
            if (nPass == 0)
                continue;
        }
        if (xResolved != xs)
            s = Resolve<NC>(planes, t, xs, fTexW, fTexH);
        const SResolved e = xe == xs ? s : Resolve<NC>(planes, t, xe, fTexW, fTexH);

        int nFilter = FILTER;
        if constexpr (FILTER == FILTER_MIXED)
            nFilter = IsMinified(t, s, fTexW, fTexH) ? ctx.state.eMinFilter : ctx.state.eMagFilter;
        const SBlock b = MakeBlock<NC>(s, e, INV_STEPS.a[xe - xs], TEXTURED, nFilter == TEXFILTER_LINEAR, fTexW, fTexH);
        if (nFilter == TEXFILTER_LINEAR)
            nDrawn += DrawPixels<TEXFILTER_LINEAR, BLEND, SPECULAR>(ctx, pRow, xs, n, nPass, tex, b);
        else if (nFilter == TEXFILTER_POINT)
            nDrawn += DrawPixels<TEXFILTER_POINT, BLEND, SPECULAR>(ctx, pRow, xs, n, nPass, tex, b);
        else
            nDrawn += DrawPixels<TEXFILTER_NONE, BLEND, SPECULAR>(ctx, pRow, xs, n, nPass, tex, b);
        s = e;
        xResolved = xe;
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
