// The span functions for every x86-64 processor (SSE2).
#include "platform/dx/RasterSpan.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <emmintrin.h>

namespace
{
#include "platform/dx/RasterLanes.inl"
#include "platform/dx/RasterSpan.inl"
} // namespace

RowsFn PickSpanSse2(const SRasterState& state) { return PickSpan(state); }
