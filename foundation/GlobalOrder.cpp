#include "foundation/GlobalOrder.h"

#include <array>

namespace
{
// Plain values, set before main while the globals are built (one thread) and only read after.
// They need no building themselves, so they may be written by the first mark already.
constexpr std::size_t MAX_ROWS = 64;
std::array<int, MAX_ROWS> s_anBuilt;
std::size_t s_nBuilt = 0;
} // namespace

CGlobalRowMark::CGlobalRowMark(int nRow)
{
    if (s_nBuilt < MAX_ROWS)
        s_anBuilt[s_nBuilt++] = nRow;
}

std::span<const int> GetGlobalRowsBuilt() { return {s_anBuilt.data(), s_nBuilt}; }
