// The span functions of the rasterizer, included inside a namespace by RasterSpanSse2.cpp and RasterSpanAvx2.cpp
// (the latter compiles every function here for AVX2) after RasterLanes.inl. Includes nothing itself: its
// includers include RasterSpan.h, <algorithm>, <bit>, <cstring> and the intrinsics first.
//
// Every pixel is shaded alone: 1/w, the texture coordinates and the colours are the triangle's planes at the
// pixel's centre, divided by 1/w there. So a pixel's value is a function of the triangle and the pixel's
// position only, whichever span, band or group of lanes draws it. A row is shaded eight pixels at a time from
// its first pixel, one pixel a lane.

/// Pixels shaded at once.
constexpr int GROUP = 8;
/// The filter is chosen per pixel between MINFILTER and MAGFILTER by the texel footprint.
constexpr int FILTER_MIXED = 3;
/// Texture coordinates are clamped to this many repeats either way before their whole part is dropped, so that
/// floor() stays exact; a coordinate that far out has no meaningful fraction left anyway.
constexpr float MAX_REPEATS = 4194304.0f; // 2^22
/// Sub-texel steps of the bilinear weights.
constexpr int SUBTEXELS = 256;
/// The depth function mask of "less or equal" (see SSpanContext::nZFuncMask).
constexpr int LESS_EQUAL_MASK = 3;

/// Set bits of a group's pass mask (SWAR: the baseline instruction set has no population count).
inline std::uint64_t CountBits(unsigned v)
{
    v = v - ((v >> 1) & 0x55555555u);
    v = (v & 0x33333333u) + ((v >> 2) & 0x33333333u);
    return (((v + (v >> 4)) & 0x0F0F0F0Fu) * 0x01010101u) >> 24;
}

/// t * c / 255, rounded, for t and c in 0..255.
inline DWORD Mul255(DWORD t, DWORD c)
{
    const DWORD x = t * c + 128;
    return (x + (x >> 8)) >> 8;
}

inline DWORD BlendFactor(D3DBLEND e, DWORD value, DWORD srcChannel, DWORD srcAlpha)
{
    switch (e)
    {
    case D3DBLEND_ZERO:
        return 0;
    case D3DBLEND_SRCCOLOR:
        return Mul255(value, srcChannel);
    case D3DBLEND_SRCALPHA:
        return Mul255(value, srcAlpha);
    default:
        return value;
    }
}

/// dest = src * srcBlend + dest * destBlend per channel, saturated. The source's alpha is its top byte.
[[gnu::always_inline]] inline DWORD BlendPixel(const SRasterState& s, DWORD src, DWORD dst)
{
    const DWORD sa = src >> 24;
    DWORD out = 0;
    for (int shift = 0; shift < 24; shift += 8)
    {
        const DWORD sc = (src >> shift) & 0xFF;
        const DWORD dc = (dst >> shift) & 0xFF;
        const DWORD v = BlendFactor(s.eSrcBlend, sc, sc, sa) + BlendFactor(s.eDestBlend, dc, sc, sa);
        out |= std::min<DWORD>(v, 255) << shift;
    }
    return out;
}

/// Depth of a row: 16.16 fixed point of the buffer's units at column 0, and the clamp.
struct SRowDepth
{
    std::int64_t zRow, dzx, zMax;
    VI vSteps; // lane i: i * dzx, modulo 2^32
};

/// Lane i: i * dzx modulo 2^32, the offsets of a group's depths from its first one.
inline VI DepthSteps(std::int64_t dzx)
{
    const auto d = static_cast<std::uint32_t>(dzx);
    alignas(32) int a[GROUP];
    for (int i = 0; i < GROUP; ++i)
        a[i] = static_cast<int>(static_cast<std::uint32_t>(i) * d);
    return Load(a);
}

/// The depth test over a group's pixels. CLAMPED: depths may leave the buffer's range and are clamped.
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
/// Tests of the usual function on a 16-bit buffer at the eight pixels from pZ, of which the first n are drawn, as
/// TestDepthLoop does them. The drawn pixels' depths all lie in 0 .. 2^32 - 1 (the caller checked the ends), so
/// sums modulo 2^32 in 32-bit lanes are exact. All eight depths are written back, the failing and undrawn ones
/// unchanged: the row lies in the caller's band, so this races with nobody.
inline unsigned TestEightLessEqual16(BYTE* pZ, std::int64_t zFirst, const VI& vSteps, int n, bool bZWrite)
{
    const __m256i iota = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i zf =
        _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(static_cast<std::uint32_t>(zFirst))), vSteps.v);
    const __m256i z = _mm256_srli_epi32(zf, 16);
    const __m256i old = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pZ)));
    const __m256i pass =
        _mm256_andnot_si256(_mm256_cmpgt_epi32(z, old), _mm256_cmpgt_epi32(_mm256_set1_epi32(n), iota));
    if (bZWrite)
    {
        const __m256i merged = _mm256_blendv_epi8(old, z, pass);
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi32(merged, merged), 0xD8);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pZ), _mm256_castsi256_si128(packed));
    }
    return static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(pass)));
}
#else
/// Tests of the usual function on a 16-bit buffer at the eight pixels from pZ, of which the first n are drawn, as
/// TestDepthLoop does them, in SSE2. The drawn pixels' depths all lie in 0 .. 2^32 - 1 (the caller checked the
/// ends), so sums modulo 2^32 are exact. All eight depths are written back, the failing and undrawn ones
/// unchanged: the row lies in the caller's band, so this races with nobody.
inline unsigned TestEightLessEqual16(BYTE* pZ, std::int64_t zFirst, const VI& vSteps, int n, bool bZWrite)
{
    const __m128i z0 = _mm_set1_epi32(static_cast<int>(static_cast<std::uint32_t>(zFirst)));
    const __m128i vLow = _mm_add_epi32(z0, vSteps.lo), vHigh = _mm_add_epi32(z0, vSteps.hi);
    // Unsigned 16-bit values compared as signed ones after moving them down by 32768.
    const __m128i bias32 = _mm_set1_epi32(32768), bias16 = _mm_set1_epi16(static_cast<short>(0x8000));
    const __m128i z = _mm_packs_epi32(_mm_sub_epi32(_mm_srli_epi32(vLow, 16), bias32),
                                      _mm_sub_epi32(_mm_srli_epi32(vHigh, 16), bias32));
    const __m128i old = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pZ)), bias16);
    const __m128i drawn =
        _mm_cmpgt_epi16(_mm_set1_epi16(static_cast<short>(n)), _mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7));
    const __m128i pass = _mm_andnot_si128(_mm_cmpgt_epi16(z, old), drawn);
    if (bZWrite)
    {
        const __m128i merged = _mm_or_si128(_mm_and_si128(pass, z), _mm_andnot_si128(pass, old));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pZ), _mm_xor_si128(merged, bias16));
    }
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(pass, pass))) & 0xFF;
}
#endif

/// Depth test of the pixels [x, x + n), n at most GROUP: bit i of the result is set when pixel x + i passes.
/// Passing depths are stored when writes are on. bWhole: the GROUP pixels from x lie inside the row, so all of
/// them may be read and written back. Inlined into the span loop: a call per group costs several per cent of a
/// frame of small triangles.
template <typename ZTYPE> [[gnu::always_inline]] inline unsigned TestDepth(BYTE* pZRow, const SRowDepth& d, int x,
                                                                           int n, bool bWhole, int nZMask, bool bZWrite)
{
    // Locals: the stores go through a byte pointer, which could alias anything the loop reads.
    const std::int64_t dzx = d.dzx, zMax = d.zMax;
    // Stepping adds exactly what the product from column 0 would give: integers do not round.
    const std::int64_t zFirst = d.zRow + x * dzx, zLast = zFirst + (n - 1) * dzx;
    // Depth is linear: when both ends are inside the buffer's range, every pixel between is.
    const bool bInside = zFirst >= 0 && zFirst <= zMax && zLast >= 0 && zLast <= zMax;
    BYTE* pZ = pZRow + x * static_cast<int>(sizeof(ZTYPE));
    if (bInside && nZMask == LESS_EQUAL_MASK)
    {
        if constexpr (sizeof(ZTYPE) == 2)
            if (bWhole)
                return TestEightLessEqual16(pZ, zFirst, d.vSteps, n, bZWrite);
        return TestDepthLoop<ZTYPE, false, true>(pZ, zFirst, dzx, zMax, n, nZMask, bZWrite);
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

/// One side of the texture, its sizes broadcast to every lane once per triangle: the groups use them as they are
/// rather than broadcast them again each.
struct STexAxis
{
    VF fSize, fUnits, fUnitsBack; // texels; 1 / SUBTEXELS steps of a repeat; the same less half a texel
    VI iSize, iLast, iUnits, iLastUnit;

    explicit STexAxis(int n)
        : fSize(SetF(static_cast<float>(n))), fUnits(SetF(static_cast<float>(n * SUBTEXELS))),
          fUnitsBack(SetF(static_cast<float>(n * SUBTEXELS - SUBTEXELS / 2))), iSize(SetI(n)), iLast(SetI(n - 1)),
          iUnits(SetI(n * SUBTEXELS)), iLastUnit(SetI(n * SUBTEXELS - 1))
    {
    }
};

/// The texture as the span loop reads it, copied into locals so that pixel stores cannot alias it.
struct STexels
{
    const int* pTex; // 0xAARRGGBB rows of the texture's width
    STexAxis x, y;
    bool bPowerOfTwo; // both sides
    bool bOpaque;     // alpha, where it is shaded, is 255 at every texel

    explicit STexels(const SRasterTexture& t)
        : pTex(reinterpret_cast<const int*>(t.pTexels)), x(t.nWidth), y(t.nHeight),
          bPowerOfTwo(std::has_single_bit(static_cast<unsigned>(t.nWidth)) &&
                      std::has_single_bit(static_cast<unsigned>(t.nHeight))),
          bOpaque(t.bOpaque)
    {
    }
};

/// Groups handed from the first pass to the second at a time, from one row or several: the second pass then
/// always has several groups to overlap, however short the rows.
constexpr int RUN = 4;
/// Rows whose extent, depth and planes are found at a time, ahead of their groups.
constexpr int ROWS_AHEAD = 16;

/// A triangle's planes broadcast to every lane: at a pixel centre X columns from the triangle's x0 in a row whose
/// bases are base, plane k's value is base[k] + dx[k] * X. NPLANES: 1/w, u, v and the diffuse blue, green and red
/// (6), with the diffuse alpha (7), or up to the specular (10). The bases of ROWS_AHEAD rows are kept side by side, so
/// that they are found ahead of the rows' groups and a run of groups may span rows.
template <int NPLANES> struct SRowPlanes
{
    using SBases = VF[NPLANES];
    SBases aBase[ROWS_AHEAD];
    VF a0[NPLANES], dx[NPLANES], dy[NPLANES];
    VF x0; // the triangle's x0

    explicit SRowPlanes(const SRasterTriangle& t) : x0(SetF(t.x0))
    {
        for (int k = 0; k < NPLANES; ++k)
        {
            a0[k] = SetF(t.a0[k]);
            dx[k] = SetF(t.dx[k]);
            dy[k] = SetF(t.dy[k]);
        }
    }

    /// Plane k times a power of two, which changes no bits but the exponent's.
    void Scale(int k, VF vFactor)
    {
        a0[k] = Mul(a0[k], vFactor);
        dx[k] = Mul(dx[k], vFactor);
        dy[k] = Mul(dy[k], vFactor);
    }

    /// The pixel centres of the group from column x. Whole numbers and halves: steps of GROUP along a row are
    /// exact.
    [[gnu::always_inline]] static VF Centres(int x) { return Add(ToFloat(Add32(SetI(x), Iota())), SetF(0.5f)); }

    /// X of pixel centres.
    [[gnu::always_inline]] VF Columns(VF vCentres) const { return Sub(vCentres, x0); }

    /// The bases of the row Y rows below the triangle's y0, in slot nSlot.
    [[gnu::always_inline]] void SetRow(float Y, int nSlot)
    {
        const VF vY = SetF(Y);
#pragma GCC unroll 10
        for (int k = 0; k < NPLANES; ++k)
            aBase[nSlot][k] = Add(a0[k], Mul(dy[k], vY));
    }

    [[gnu::always_inline]] VF At(const VF* pBase, int k, VF vX) const { return Add(pBase[k], Mul(dx[k], vX)); }
};

/// A colour plane over w at the lanes' pixels, clamped to 0..255 and rounded.
template <int N> [[gnu::always_inline]] inline VI Channel(const SRowPlanes<N>& p, const VF* pBase, int k, VF vX, VF vW)
{
    return Round(Min(Max(Mul(p.At(pBase, k, vX), vW), SetF(0.0f)), SetF(255.0f)));
}

/// Blue, green, red and alpha in 32-bit lanes to the pixels' 16-bit channel lanes: pixels 0 and 1 (4 and 5) in
/// lo, 2 and 3 (6 and 7) in hi, the order in which unpacking texels' bytes leaves them.
[[gnu::always_inline]] inline void ToPixelLanes(VI b, VI g, VI r, VI a, VI& lo, VI& hi)
{
    const VI bg = PackS32(b, g), ra = PackS32(r, a);
    const VI br = UnpackLo16(bg, ra), ga = UnpackHi16(bg, ra);
    lo = UnpackLo16(br, ga);
    hi = UnpackHi16(br, ga);
}

/// The same with alpha zero.
[[gnu::always_inline]] inline void ToPixelLanes(VI b, VI g, VI r, VI& lo, VI& hi)
{
    ToPixelLanes(b, g, r, SetI(0), lo, hi);
}

/// The alpha channel's 16-bit lanes of ToPixelLanes' layout set to 255, the others zero.
[[gnu::always_inline]] inline VI OpaqueAlphaLanes()
{
    alignas(32) static constexpr int ALPHA[GROUP] = {0, 0xFF0000, 0, 0xFF0000, 0, 0xFF0000, 0, 0xFF0000};
    return Load(ALPHA);
}

/// A 32-bit lane per pixel widened to the four 16-bit channel lanes of ToPixelLanes' layout.
[[gnu::always_inline]] inline void SpreadToPixelLanes(VI v, VI& lo, VI& hi)
{
    lo = UnpackLo32(v, v);
    hi = UnpackHi32(v, v);
}

/// t * c / 255 rounded, per 16-bit lane: x = t * c + 128, (x + (x >> 8)) >> 8, which is (x * 257) >> 16 for any
/// x below 65536.
[[gnu::always_inline]] inline VI Modulate(VI t, VI c) { return MulHiU16(Add16(Mul16(t, c), Set16(128)), Set16(257)); }

/// The place within its repeat of a texture coordinate, in [0, 1).
[[gnu::always_inline]] inline VF Repeat(VF c)
{
    const VF clamped = Min(Max(c, SetF(-MAX_REPEATS)), SetF(MAX_REPEATS));
    return Sub(clamped, Floor(clamped)); // exact: the fraction's bits are the coordinate's own
}

/// The texel holding a place within the repeat, along an axis.
[[gnu::always_inline]] inline VI NearestTexel(VF f, const STexAxis& a)
{
    const VI i = Trunc(Mul(f, a.fSize));
    return Sub32(i, And(CmpGt32(i, a.iLast), a.iSize)); // f * size may round up to the size
}

/// A bilinear sample along one axis: the texels before and after it (wrapped) and the latter's weight in
/// 1 / SUBTEXELS.
struct SAxisSample
{
    VI i0, i1, w;
};

/// A bilinear sample along an axis whose size is a power of two, from the coordinate in 1 / SUBTEXELS steps of a
/// texel: the same sample as LinearSample's, with the repeat wrapped by a mask. A coordinate too large for 32 bits
/// (or NaN) converts to the same integer in both builds, and the mask wraps it like any other.
[[gnu::always_inline]] inline SAxisSample LinearSampleMasked(VF units, const STexAxis& a)
{
    const VI c = And(Trunc(Floor(Sub(units, SetF(SUBTEXELS / 2)))), a.iLastUnit);
    SAxisSample s;
    s.i0 = ShiftRight32<8>(c);
    s.w = And(c, SetI(SUBTEXELS - 1));
    s.i1 = And(Add32(s.i0, SetI(1)), a.iLast);
    return s;
}

[[gnu::always_inline]] inline SAxisSample LinearSample(VF f, const STexAxis& a)
{
    // Samples blend around texel centres, half a texel back; a repeat ahead keeps the sum positive for the
    // truncation, and the wrap takes it back.
    VI c = Trunc(Add(Mul(f, a.fUnits), a.fUnitsBack));
    c = Sub32(c, And(CmpGt32(c, a.iLastUnit), a.iUnits));
    SAxisSample s;
    s.i0 = ShiftRight32<8>(c);
    s.w = And(c, SetI(SUBTEXELS - 1));
    const VI next = Add32(s.i0, SetI(1));
    s.i1 = AndNot(CmpEq32(next, a.iSize), next);
    return s;
}

/// Texels by index: scalar loads beat a gather.
[[gnu::always_inline]] inline __m128i GatherFour(const int* pTex, const int* pIndex)
{
    return _mm_setr_epi32(pTex[pIndex[0]], pTex[pIndex[1]], pTex[pIndex[2]], pTex[pIndex[3]]);
}

[[gnu::always_inline]] inline VI Gather(const int* pTex, const int* pIndex)
{
    return FromHalves(GatherFour(pTex, pIndex), GatherFour(pTex, pIndex + 4));
}

[[gnu::always_inline]] inline VI Gather(const int* pTex, VI index)
{
    alignas(32) int a[GROUP];
    Store(a, index);
    return Gather(pTex, a);
}

/// The texel pairs (an index's texel and the one right of it, side by side in memory: one 64-bit load a pixel) of
/// pixels i and j, in the low and high half of a vector.
[[gnu::always_inline]] inline __m128 LoadPairs(const int* pTex, const int* pIndex, int i, int j)
{
    const __m128 low = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pTex + pIndex[i])));
    return _mm_loadh_pi(low, reinterpret_cast<const __m64*>(pTex + pIndex[j]));
}

/// Each index's texel and the one right of it.
[[gnu::always_inline]] inline void GatherPairs(const int* pTex, const int* pIndex, VI& left, VI& right)
{
    // Pairs of pixels 0, 1 (4, 5) and 2, 3 (6, 7); the left texels are the even 32-bit lanes, the right ones the odd.
#if defined(VORN_SPAN_WIDE)
    const __m256 a = _mm256_set_m128(LoadPairs(pTex, pIndex, 4, 5), LoadPairs(pTex, pIndex, 0, 1));
    const __m256 b = _mm256_set_m128(LoadPairs(pTex, pIndex, 6, 7), LoadPairs(pTex, pIndex, 2, 3));
    left.v = _mm256_castps_si256(_mm256_shuffle_ps(a, b, 0x88));
    right.v = _mm256_castps_si256(_mm256_shuffle_ps(a, b, 0xDD));
#else
    const __m128 a0 = LoadPairs(pTex, pIndex, 0, 1), b0 = LoadPairs(pTex, pIndex, 2, 3);
    const __m128 a1 = LoadPairs(pTex, pIndex, 4, 5), b1 = LoadPairs(pTex, pIndex, 6, 7);
    left = {_mm_castps_si128(_mm_shuffle_ps(a0, b0, 0x88)), _mm_castps_si128(_mm_shuffle_ps(a1, b1, 0x88))};
    right = {_mm_castps_si128(_mm_shuffle_ps(a0, b0, 0xDD)), _mm_castps_si128(_mm_shuffle_ps(a1, b1, 0xDD))};
#endif
}

/// Where each lane's pixel reads its texels.
struct STaps
{
    // Texel indices, read one by one: the nearest texel, or a bilinear sample's upper left one, and (bilinear)
    // the texel below it.
    alignas(32) int aTop[GROUP];
    alignas(32) int aBottom[GROUP];
    VI step;        // bilinear: from a left texel to its right neighbour, 1 or back to the row's start
    VI wu, wv;      // bilinear: the right and lower texels' weights, in both 16-bit halves of the lane
    bool bAdjacent; // bilinear: every right neighbour lies at step 1
};

/// The taps of bilinear samples along both axes.
[[gnu::always_inline]] inline STaps LinearTaps(const STexels& t, const SAxisSample& sx, const SAxisSample& sy)
{
    STaps taps;
    const VI vWidth = t.x.iSize;
    Store(taps.aTop, Add32(MulSmall(sy.i0, vWidth), sx.i0));
    Store(taps.aBottom, Add32(MulSmall(sy.i1, vWidth), sx.i0));
    taps.step = Sub32(sx.i1, sx.i0);
    taps.wu = Or(sx.w, ShiftLeft32<16>(sx.w));
    taps.wv = Or(sy.w, ShiftLeft32<16>(sy.w));
    taps.bAdjacent = !AnyLane(CmpEq32(sx.i1, SetI(0)));
    return taps;
}

template <int FILTER> [[gnu::always_inline]] inline STaps FindTaps(const STexels& t, VF un, VF vn)
{
    if constexpr (FILTER == TEXFILTER_POINT)
    {
        STaps taps;
        const VI x = NearestTexel(Repeat(un), t.x), y = NearestTexel(Repeat(vn), t.y);
        Store(taps.aTop, Add32(MulSmall(y, t.x.iSize), x));
        return taps;
    }
    else
        return LinearTaps(t, LinearSample(Repeat(un), t.x), LinearSample(Repeat(vn), t.y));
}

/// The texels at the taps, filtered, in the pixels' 16-bit channel lanes.
template <int FILTER> [[gnu::always_inline]] inline void ReadTaps(const STexels& t, const STaps& taps, VI& lo, VI& hi)
{
    const VI zero = SetI(0);
    if constexpr (FILTER == TEXFILTER_POINT)
    {
        const VI texel = Gather(t.pTex, taps.aTop);
        lo = UnpackLo8(texel, zero);
        hi = UnpackHi8(texel, zero);
    }
    else
    {
        VI t00, t01, t10, t11;
        if (taps.bAdjacent)
        {
            GatherPairs(t.pTex, taps.aTop, t00, t01);
            GatherPairs(t.pTex, taps.aBottom, t10, t11);
        }
        else
        {
            t00 = Gather(t.pTex, taps.aTop);
            t01 = Gather(t.pTex, Add32(Load(taps.aTop), taps.step));
            t10 = Gather(t.pTex, taps.aBottom);
            t11 = Gather(t.pTex, Add32(Load(taps.aBottom), taps.step));
        }
        // Each texel channel times a weight of at most 256 stays below 65536: unsigned 16-bit lanes suffice.
        const VI full = Set16(SUBTEXELS);
        const auto filter = [&](const auto& part, VI wu, VI wv)
        {
            const VI wu0 = Sub16(full, wu), wv0 = Sub16(full, wv);
            const VI left = ShiftRight16<8>(Add16(Mul16(part(t00), wv0), Mul16(part(t10), wv)));
            const VI right = ShiftRight16<8>(Add16(Mul16(part(t01), wv0), Mul16(part(t11), wv)));
            return ShiftRight16<8>(Add16(Mul16(left, wu0), Mul16(right, wu)));
        };
        VI wuLo, wuHi, wvLo, wvHi;
        SpreadToPixelLanes(taps.wu, wuLo, wuHi);
        SpreadToPixelLanes(taps.wv, wvLo, wvHi);
        lo = filter([&](VI v) { return UnpackLo8(v, zero); }, wuLo, wvLo);
        hi = filter([&](VI v) { return UnpackHi8(v, zero); }, wuHi, wvHi);
    }
}

/// Lanes whose texel is smaller than the pixel: the larger of the screen axes' texel steps exceeds 1.
[[gnu::always_inline]] inline VI Minified(const SRasterTriangle& t, const STexels& tex, VF un, VF vn, VF w)
{
    const auto footprint = [&](const float* d)
    {
        const VF du = Mul(Mul(Sub(SetF(d[1]), Mul(un, SetF(d[0]))), w), tex.x.fSize);
        const VF dv = Mul(Mul(Sub(SetF(d[2]), Mul(vn, SetF(d[0]))), w), tex.y.fSize);
        return Add(Mul(du, du), Mul(dv, dv));
    };
    return CmpGt(Max(footprint(t.dx), footprint(t.dy)), SetF(1.0f));
}

/// One filter is linear and the other point: both are sampled and each pixel takes its own.
[[gnu::always_inline]] inline void MixedTexels(const SRasterTriangle& t, const STexels& tex, const SRasterState& s,
                                               VF un, VF vn, VF w, VI& lo, VI& hi)
{
    VI linLo, linHi, ptLo, ptHi, minLo, minHi;
    ReadTaps<TEXFILTER_LINEAR>(tex, FindTaps<TEXFILTER_LINEAR>(tex, un, vn), linLo, linHi);
    ReadTaps<TEXFILTER_POINT>(tex, FindTaps<TEXFILTER_POINT>(tex, un, vn), ptLo, ptHi);
    SpreadToPixelLanes(Minified(t, tex, un, vn, w), minLo, minHi);
    const bool bMinLinear = s.eMinFilter == TEXFILTER_LINEAR;
    lo = Select(minLo, bMinLinear ? linLo : ptLo, bMinLinear ? ptLo : linLo);
    hi = Select(minHi, bMinLinear ? linHi : ptHi, bMinLinear ? ptHi : linHi);
}

/// A group of pixels between the two passes over a run of groups: the first tests depth, divides and finds the
/// texel taps; the second reads the texels and shades. Apart, each pass's iterations are short and independent,
/// so the processor overlaps several groups' divisions and texel loads.
struct SGroup
{
    STaps taps;
    VF vX, w;
    const VF* pBase; // the row's plane bases
    BYTE* pRow;
    int x, n;
    unsigned nPass;
};

/// The colours of a group's pixels, as 0x00RRGGBB lanes: the colours' alpha lanes are zero, and so is any
/// texel's alpha modulated by them. With ALPHA, 0xAARRGGBB: the diffuse alpha, times the texel's as the colours.
template <int FILTER, bool SPECULAR, bool ALPHA, int N> [[gnu::always_inline]] inline VI
ShadeGroup(const SRowPlanes<N>& p, const SRasterTriangle& t, const STexels& tex, const SRasterState& s, const SGroup& g)
{
    VI lo, hi;
    if constexpr (ALPHA)
        ToPixelLanes(Channel(p, g.pBase, 3, g.vX, g.w), Channel(p, g.pBase, 4, g.vX, g.w),
                     Channel(p, g.pBase, 5, g.vX, g.w), Channel(p, g.pBase, 6, g.vX, g.w), lo, hi);
    else
        ToPixelLanes(Channel(p, g.pBase, 3, g.vX, g.w), Channel(p, g.pBase, 4, g.vX, g.w),
                     Channel(p, g.pBase, 5, g.vX, g.w), lo, hi);
    if constexpr (FILTER != TEXFILTER_NONE)
    {
        VI texLo, texHi;
        if constexpr (FILTER == FILTER_MIXED)
            MixedTexels(t, tex, s, Mul(p.At(g.pBase, 1, g.vX), g.w), Mul(p.At(g.pBase, 2, g.vX), g.w), g.w, texLo,
                        texHi);
        else
            ReadTaps<FILTER>(tex, g.taps, texLo, texHi);
        if constexpr (ALPHA)
            if (tex.bOpaque)
            {
                texLo = Or(texLo, OpaqueAlphaLanes());
                texHi = Or(texHi, OpaqueAlphaLanes());
            }
        lo = Modulate(texLo, lo);
        hi = Modulate(texHi, hi);
    }
    VI c = PackUS16(lo, hi);
    if constexpr (SPECULAR)
    {
        VI specLo, specHi;
        ToPixelLanes(Channel(p, g.pBase, 7, g.vX, g.w), Channel(p, g.pBase, 8, g.vX, g.w),
                     Channel(p, g.pBase, 9, g.vX, g.w), specLo, specHi);
        c = AddSatU8(c, PackUS16(specLo, specHi));
    }
    return c;
}

/// The pixels of a triangle's row between its edges, clipped: [x0, x1). A function of the triangle and y alone,
/// whoever draws the row.
inline void RowExtent(const SRasterTriangle& t, const RECT& rcClip, int y, int& x0, int& x1)
{
    const float yc = static_cast<float>(y) + 0.5f;
    const float xLong = t.eLong.XAt(yc);
    const float xShort = yc < t.yMid ? t.eUpper.XAt(yc) : t.eLower.XAt(yc);
    const float xl = t.bLongLeft ? xLong : xShort;
    const float xr = t.bLongLeft ? xShort : xLong;
    x0 = std::max(FastCeil(xl - 0.5f), static_cast<int>(rcClip.left));
    x1 = std::min(FastCeil(xr - 0.5f), static_cast<int>(rcClip.right));
}

/// Depth of a row: 16.16 fixed point of the buffer's units at column 0.
inline std::int64_t RowDepth(const SRasterTriangle& t, int y)
{
    // Bounded so that the row's sums stay inside 64 bits (the slopes are bounded at set-up).
    constexpr double MAX_ROW_DEPTH = 17592186044416.0; // 2^44 buffer units
    const double dZ = t.z0 + t.dzdy * (static_cast<double>(y) + 0.5 - t.y0) + t.dzdx * (0.5 - t.x0);
    return static_cast<std::int64_t>(std::clamp(dZ, -MAX_ROW_DEPTH, MAX_ROW_DEPTH) * 65536.0);
}

/// ALPHA (only with BLEND): alpha is shaded for a blend that weighs by it; its plane follows the colours'.
template <int FILTER, bool BLEND, bool SPECULAR, bool ALPHA = false>
std::uint64_t DrawRows(const SSpanContext& ctx, const SRasterTriangle& t, int yBegin, int yEnd)
{
    const SRasterTarget& tg = ctx.target;
    SRowDepth depth{};
    depth.dzx = t.dzx;
    depth.vSteps = DepthSteps(t.dzx);
    depth.zMax = (tg.nZBits == 32 ? std::int64_t{0xFFFFFFFF} : std::int64_t{0xFFFF}) << 16;
    SRowPlanes<SPECULAR ? SRasterTriangle::COUNT : ALPHA ? 7 : 6> planes(t);
    const STexels tex(ctx.texture);
    // Bilinear samples of a texture whose sides are powers of two take the texture coordinates in sub-texel steps
    // straight from the planes, and wrap them with a mask.
    const bool bMasked = FILTER == TEXFILTER_LINEAR && tex.bPowerOfTwo;
    if (bMasked)
    {
        planes.Scale(1, tex.x.fUnits);
        planes.Scale(2, tex.y.fUnits);
    }
    // Unblended XRGB pixels are stored straight into the target; the rest through StorePixels.
    const bool bStraight = !BLEND && tg.layout.IsXrgb8888() && !tg.layout.HasAlpha();
    // Groups that end before this column may read and write back depths past the span's end.
    const int xWhole = static_cast<int>(tg.rcClip.right) - GROUP;
    const bool bLessEqual16 = tg.nZBits == 16 && ctx.nZFuncMask == LESS_EQUAL_MASK;

    std::uint64_t nDrawn = 0;
    SGroup aRun[RUN];
    int nGroups = 0;
    // The second pass over the groups waiting: shading and stores.
    const auto shade = [&] [[gnu::always_inline]]
    {
        for (int i = 0; i < nGroups; ++i)
        {
            const SGroup& g = aRun[i];
            const VI c = ShadeGroup<FILTER, SPECULAR, ALPHA>(planes, t, tex, ctx.state, g);
            if (bStraight)
                StoreMasked(reinterpret_cast<int*>(g.pRow) + g.x, c, g.nPass);
            else
            {
                alignas(32) int aColor[GROUP];
                Store(aColor, c);
                StorePixels<BLEND>(ctx, g.pRow, g.x, g.n, g.nPass, reinterpret_cast<const DWORD*>(aColor));
            }
            nDrawn += CountBits(g.nPass);
        }
        nGroups = 0;
    };
    yEnd = std::min(t.yBottom, yEnd);
    // Rows' extents, depths and planes are found several rows ahead, apart from the groups' work, so that the
    // processor overlaps their chains of dependent steps.
    struct SRowSpan
    {
        int x0, x1;
        std::int64_t zRow;
    };
    SRowSpan aRows[ROWS_AHEAD];
    int nRows = 0, iRow = 0;
    for (int y = std::max(t.yTop, yBegin); y < yEnd; ++y, ++iRow)
    {
        if (iRow == nRows)
        {
            shade(); // the groups waiting use the planes of the rows about to be replaced
            nRows = std::min(ROWS_AHEAD, yEnd - y);
            for (int i = 0; i < nRows; ++i)
            {
                RowExtent(t, tg.rcClip, y + i, aRows[i].x0, aRows[i].x1);
                aRows[i].zRow = tg.pZ != nullptr ? RowDepth(t, y + i) : 0;
                planes.SetRow(static_cast<float>(y + i) + 0.5f - t.y0, i);
            }
            iRow = 0;
        }
        const int cx0 = aRows[iRow].x0, cx1 = aRows[iRow].x1;
        if (cx0 >= cx1)
            continue;
        BYTE* pRow = tg.pColor + static_cast<std::ptrdiff_t>(y) * tg.lColorPitch;
        BYTE* pZRow = tg.pZ != nullptr ? tg.pZ + static_cast<std::ptrdiff_t>(y) * tg.lZPitch : nullptr;
        // Depth is linear along the row: when both ends lie in the buffer's range, every group of a 16-bit buffer
        // under the usual function takes the eight-lane test without checks of its own.
        bool bEightLanes = false;
        if (pZRow != nullptr)
        {
            depth.zRow = aRows[iRow].zRow;
            const std::int64_t zFirst = depth.zRow + cx0 * depth.dzx, zLast = depth.zRow + (cx1 - 1) * depth.dzx;
            bEightLanes = bLessEqual16 && zFirst >= 0 && zFirst <= depth.zMax && zLast >= 0 && zLast <= depth.zMax;
        }
        const VF* pBase = planes.aBase[iRow];
        VF vCentres = planes.Centres(cx0);
        for (int x = cx0; x < cx1; x += GROUP, vCentres = Add(vCentres, SetF(GROUP)))
        {
            const int n = std::min(GROUP, cx1 - x);
            const bool bWhole = x <= xWhole;
            unsigned nPass = (1u << n) - 1;
            if (bEightLanes && bWhole)
                nPass =
                    TestEightLessEqual16(pZRow + 2 * x, depth.zRow + x * depth.dzx, depth.vSteps, n, ctx.state.bZWrite);
            else if (pZRow != nullptr)
                nPass = tg.nZBits == 32
                            ? TestDepth<DWORD>(pZRow, depth, x, n, bWhole, ctx.nZFuncMask, ctx.state.bZWrite)
                            : TestDepth<WORD>(pZRow, depth, x, n, bWhole, ctx.nZFuncMask, ctx.state.bZWrite);
            // Depth first: pixels hidden whole cost no shading.
            if (nPass == 0)
                continue;
            SGroup& g = aRun[nGroups++];
            g.x = x;
            g.n = n;
            g.nPass = nPass;
            g.pBase = pBase;
            g.pRow = pRow;
            g.vX = planes.Columns(vCentres);
            // A pixel centre inside the triangle has 1/w > 0; the guard keeps lanes past the row's end, and
            // rounding at a sliver, from dividing by 0.
            g.w = Div(SetF(1.0f), Max(planes.At(pBase, 0, g.vX), SetF(1e-30f)));
            if constexpr (FILTER == TEXFILTER_POINT || FILTER == TEXFILTER_LINEAR)
            {
                const VF u = Mul(planes.At(pBase, 1, g.vX), g.w), v = Mul(planes.At(pBase, 2, g.vX), g.w);
                g.taps = bMasked ? LinearTaps(tex, LinearSampleMasked(u, tex.x), LinearSampleMasked(v, tex.y))
                                 : FindTaps<FILTER>(tex, u, v);
            }
            if (nGroups == RUN)
                shade();
        }
    }
    shade();
    return nDrawn;
}

// Every combination of the per-pixel choices is its own span function, picked once per state change.
template <int FILTER> RowsFn PickByState(const SRasterState& s)
{
    if (s.BlendsByAlpha())
        return s.bSpecular ? &DrawRows<FILTER, true, true, true> : &DrawRows<FILTER, true, false, true>;
    if (s.bBlend)
        return s.bSpecular ? &DrawRows<FILTER, true, true> : &DrawRows<FILTER, true, false>;
    return s.bSpecular ? &DrawRows<FILTER, false, true> : &DrawRows<FILTER, false, false>;
}

inline RowsFn PickSpan(const SRasterState& s)
{
    if (s.eMagFilter == TEXFILTER_NONE || s.eMinFilter == TEXFILTER_NONE)
        return PickByState<TEXFILTER_NONE>(s);
    if (s.eMagFilter != s.eMinFilter)
        return PickByState<FILTER_MIXED>(s);
    return s.eMagFilter == TEXFILTER_LINEAR ? PickByState<TEXFILTER_LINEAR>(s) : PickByState<TEXFILTER_POINT>(s);
}
