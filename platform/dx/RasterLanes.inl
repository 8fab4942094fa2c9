// Eight-lane vectors for the span functions, included inside a namespace before RasterSpan.inl by
// RasterSpanSse2.cpp and RasterSpanAvx2.cpp. With VORN_SPAN_WIDE a vector is one AVX2 register, otherwise two
// SSE2 registers (lanes 0-3 and 4-7). Every operation here acts on each lane, or within each half of four lanes,
// alone, and does the same IEEE or integer operation in both builds: a pixel shaded in one lane gets the same
// bits from either build. No fused multiply-add is used (it would round differently).

#if defined(VORN_SPAN_WIDE)
struct VF
{
    __m256 v;
};
struct VI
{
    __m256i v;
};
#define VORN_LANES_2(T, NAME, OP_WIDE, OP_NARROW)                                                                      \
    [[gnu::always_inline]] inline T NAME(T a, T b) { return {OP_WIDE(a.v, b.v)}; }
#define VORN_LANES_1(TR, T, NAME, OP_WIDE, OP_NARROW)                                                                  \
    [[gnu::always_inline]] inline TR NAME(T a) { return {OP_WIDE(a.v)}; }
#else
struct VF
{
    __m128 lo, hi;
};
struct VI
{
    __m128i lo, hi;
};
#define VORN_LANES_2(T, NAME, OP_WIDE, OP_NARROW)                                                                      \
    [[gnu::always_inline]] inline T NAME(T a, T b) { return {OP_NARROW(a.lo, b.lo), OP_NARROW(a.hi, b.hi)}; }
#define VORN_LANES_1(TR, T, NAME, OP_WIDE, OP_NARROW)                                                                  \
    [[gnu::always_inline]] inline TR NAME(T a) { return {OP_NARROW(a.lo), OP_NARROW(a.hi)}; }
#endif

VORN_LANES_2(VF, Add, _mm256_add_ps, _mm_add_ps)
VORN_LANES_2(VF, Sub, _mm256_sub_ps, _mm_sub_ps)
VORN_LANES_2(VF, Mul, _mm256_mul_ps, _mm_mul_ps)
VORN_LANES_2(VF, Div, _mm256_div_ps, _mm_div_ps)
// Min and Max return the second operand where either is NaN, in both builds.
VORN_LANES_2(VF, Min, _mm256_min_ps, _mm_min_ps)
VORN_LANES_2(VF, Max, _mm256_max_ps, _mm_max_ps)
VORN_LANES_1(VI, VF, Trunc, _mm256_cvttps_epi32, _mm_cvttps_epi32)
// To the nearest integer, ties to even (the processor's rounding mode, the same for both builds).
VORN_LANES_1(VI, VF, Round, _mm256_cvtps_epi32, _mm_cvtps_epi32)
VORN_LANES_1(VF, VI, ToFloat, _mm256_cvtepi32_ps, _mm_cvtepi32_ps)

VORN_LANES_2(VI, Add32, _mm256_add_epi32, _mm_add_epi32)
VORN_LANES_2(VI, Sub32, _mm256_sub_epi32, _mm_sub_epi32)
VORN_LANES_2(VI, CmpEq32, _mm256_cmpeq_epi32, _mm_cmpeq_epi32)
VORN_LANES_2(VI, CmpGt32, _mm256_cmpgt_epi32, _mm_cmpgt_epi32)
VORN_LANES_2(VI, And, _mm256_and_si256, _mm_and_si128)
VORN_LANES_2(VI, Or, _mm256_or_si256, _mm_or_si128)
VORN_LANES_2(VI, AndNot, _mm256_andnot_si256, _mm_andnot_si128) // ~a & b
VORN_LANES_2(VI, Add16, _mm256_add_epi16, _mm_add_epi16)
VORN_LANES_2(VI, Sub16, _mm256_sub_epi16, _mm_sub_epi16)
VORN_LANES_2(VI, Mul16, _mm256_mullo_epi16, _mm_mullo_epi16)
VORN_LANES_2(VI, MulHiU16, _mm256_mulhi_epu16, _mm_mulhi_epu16) // the upper 16 bits of unsigned products
// The product of lanes holding 0 .. 32767 (a multiply-add of 16-bit halves whose upper ones are zero).
VORN_LANES_2(VI, MulSmall, _mm256_madd_epi16, _mm_madd_epi16)
VORN_LANES_2(VI, UnpackLo8, _mm256_unpacklo_epi8, _mm_unpacklo_epi8)
VORN_LANES_2(VI, UnpackHi8, _mm256_unpackhi_epi8, _mm_unpackhi_epi8)
VORN_LANES_2(VI, UnpackLo16, _mm256_unpacklo_epi16, _mm_unpacklo_epi16)
VORN_LANES_2(VI, UnpackHi16, _mm256_unpackhi_epi16, _mm_unpackhi_epi16)
VORN_LANES_2(VI, UnpackLo32, _mm256_unpacklo_epi32, _mm_unpacklo_epi32)
VORN_LANES_2(VI, UnpackHi32, _mm256_unpackhi_epi32, _mm_unpackhi_epi32)
VORN_LANES_2(VI, PackS32, _mm256_packs_epi32, _mm_packs_epi32)
VORN_LANES_2(VI, PackUS16, _mm256_packus_epi16, _mm_packus_epi16)
VORN_LANES_2(VI, AddSatU8, _mm256_adds_epu8, _mm_adds_epu8)

#undef VORN_LANES_1
#undef VORN_LANES_2

/// Lanes set in mask take a's value, the others b's.
[[gnu::always_inline]] inline VI Select(VI mask, VI a, VI b) { return Or(And(mask, a), AndNot(mask, b)); }

#if defined(VORN_SPAN_WIDE)
[[gnu::always_inline]] inline VF SetF(float f) { return {_mm256_set1_ps(f)}; }
[[gnu::always_inline]] inline VI SetI(int i) { return {_mm256_set1_epi32(i)}; }
[[gnu::always_inline]] inline VI Set16(short i) { return {_mm256_set1_epi16(i)}; }
[[gnu::always_inline]] inline VI Iota() { return {_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7)}; }
[[gnu::always_inline]] inline VI FromHalves(__m128i lo, __m128i hi) { return {_mm256_set_m128i(hi, lo)}; }
template <int N> [[gnu::always_inline]] inline VI ShiftRight32(VI a) { return {_mm256_srli_epi32(a.v, N)}; }
template <int N> [[gnu::always_inline]] inline VI ShiftLeft32(VI a) { return {_mm256_slli_epi32(a.v, N)}; }
template <int N> [[gnu::always_inline]] inline VI ShiftRight16(VI a) { return {_mm256_srli_epi16(a.v, N)}; }
/// floor() of values below 2^31 in magnitude. Of larger ones and NaN, Trunc gives the integer indefinite in both
/// builds.
[[gnu::always_inline]] inline VF Floor(VF a) { return {_mm256_floor_ps(a.v)}; }
[[gnu::always_inline]] inline bool AnyLane(VI mask) { return _mm256_movemask_epi8(mask.v) != 0; }
[[gnu::always_inline]] inline void Store(int* p, VI a) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), a.v); }
[[gnu::always_inline]] inline VI Load(const int* p)
{
    return {_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p))};
}
[[gnu::always_inline]] inline VI CmpGt(VF a, VF b)
{
    return {_mm256_castps_si256(_mm256_cmp_ps(a.v, b.v, _CMP_GT_OS))};
}
/// Stores the lanes whose bit is set in nBits; the others' memory is neither read nor written (reading it could
/// wait for a line another core holds).
[[gnu::always_inline]] inline void StoreMasked(int* p, VI a, unsigned nBits)
{
    if (nBits == 0xFF)
    {
        Store(p, a);
        return;
    }
    const __m256i vBit = _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128);
    const __m256i vMask = _mm256_cmpeq_epi32(_mm256_and_si256(_mm256_set1_epi32(static_cast<int>(nBits)), vBit), vBit);
    _mm256_maskstore_epi32(p, vMask, a.v);
}
#else
[[gnu::always_inline]] inline VF SetF(float f) { return {_mm_set1_ps(f), _mm_set1_ps(f)}; }
[[gnu::always_inline]] inline VI SetI(int i) { return {_mm_set1_epi32(i), _mm_set1_epi32(i)}; }
[[gnu::always_inline]] inline VI Set16(short i) { return {_mm_set1_epi16(i), _mm_set1_epi16(i)}; }
[[gnu::always_inline]] inline VI Iota() { return {_mm_setr_epi32(0, 1, 2, 3), _mm_setr_epi32(4, 5, 6, 7)}; }
[[gnu::always_inline]] inline VI FromHalves(__m128i lo, __m128i hi) { return {lo, hi}; }
template <int N> [[gnu::always_inline]] inline VI ShiftRight32(VI a)
{
    return {_mm_srli_epi32(a.lo, N), _mm_srli_epi32(a.hi, N)};
}
template <int N> [[gnu::always_inline]] inline VI ShiftLeft32(VI a)
{
    return {_mm_slli_epi32(a.lo, N), _mm_slli_epi32(a.hi, N)};
}
template <int N> [[gnu::always_inline]] inline VI ShiftRight16(VI a)
{
    return {_mm_srli_epi16(a.lo, N), _mm_srli_epi16(a.hi, N)};
}
/// floor() of values below 2^31 in magnitude: truncation, one less where it rounded up. Of larger ones and NaN, Trunc
/// gives the integer indefinite, as of the wide build's floor.
[[gnu::always_inline]] inline __m128 FloorHalf(__m128 a)
{
    const __m128 t = _mm_cvtepi32_ps(_mm_cvttps_epi32(a));
    return _mm_sub_ps(t, _mm_and_ps(_mm_cmpgt_ps(t, a), _mm_set1_ps(1.0f)));
}
[[gnu::always_inline]] inline VF Floor(VF a) { return {FloorHalf(a.lo), FloorHalf(a.hi)}; }
[[gnu::always_inline]] inline bool AnyLane(VI mask) { return (_mm_movemask_epi8(_mm_or_si128(mask.lo, mask.hi))) != 0; }
[[gnu::always_inline]] inline void Store(int* p, VI a)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), a.lo);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 4), a.hi);
}
[[gnu::always_inline]] inline VI Load(const int* p)
{
    return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 4))};
}
[[gnu::always_inline]] inline VI CmpGt(VF a, VF b)
{
    return {_mm_castps_si128(_mm_cmpgt_ps(a.lo, b.lo)), _mm_castps_si128(_mm_cmpgt_ps(a.hi, b.hi))};
}
/// Stores the lanes whose bit is set in nBits; the others' memory is neither read nor written.
[[gnu::always_inline]] inline void StoreMasked(int* p, VI a, unsigned nBits)
{
    if (nBits == 0xFF)
    {
        Store(p, a);
        return;
    }
    alignas(16) int aLane[8];
    Store(aLane, a);
    for (int i = 0; i < 8; ++i)
        if ((nBits >> i) & 1)
            p[i] = aLane[i];
}
#endif
