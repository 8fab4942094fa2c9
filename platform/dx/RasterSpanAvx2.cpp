// The span functions for processors with AVX2: the same source as the SSE2 ones, every function compiled for
// AVX2 by a target pragma (the function-level target attribute applied to all of them), so the program still
// starts on any x86-64 and takes this path only where CPUID reports AVX2. FMA is not enabled: a fused
// multiply-add would round differently from the SSE2 path.
#include "platform/dx/RasterSpan.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <immintrin.h>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

namespace
{
#define VORN_SPAN_WIDE
#include "platform/dx/RasterLanes.inl"
#include "platform/dx/RasterSpan.inl"
#undef VORN_SPAN_WIDE
} // namespace

RowsFn PickSpanAvx2(const SRasterState& state) { return PickSpan(state); }

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
