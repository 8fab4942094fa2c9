#include "platform/win32/CrtRandom.h"

#include <atomic>
#include <cstdint>

namespace
{
std::atomic<std::uint32_t> s_nState{1};
} // namespace

void CrtSrand(unsigned int nSeed) { s_nState.store(nSeed, std::memory_order_relaxed); }

int CrtRand()
{
    std::uint32_t nOld = s_nState.load(std::memory_order_relaxed);
    std::uint32_t nNew = 0;
    do
    {
        nNew = nOld * 214013u + 2531011u;
    } while (!s_nState.compare_exchange_weak(nOld, nNew, std::memory_order_relaxed));
    return static_cast<int>((nNew >> 16) & 0x7FFFu);
}
