#include "platform/win32/CrtRandom.h"

#include <atomic>
#include <cstdint>

namespace
{
std::atomic<std::uint32_t> s_nState{1};
thread_local CPrivateCrtRandom* t_pPrivate = nullptr;

std::uint32_t Next(std::uint32_t nState) { return nState * 214013u + 2531011u; }

int Value(std::uint32_t nState) { return static_cast<int>((nState >> 16) & 0x7FFFu); }
} // namespace

CPrivateCrtRandom::CPrivateCrtRandom() : m_pOuter(t_pPrivate) { t_pPrivate = this; }

CPrivateCrtRandom::~CPrivateCrtRandom() { t_pPrivate = m_pOuter; }

void CrtSrand(unsigned int nSeed)
{
    if (t_pPrivate != nullptr)
        t_pPrivate->m_nState = nSeed;
    else
        s_nState.store(nSeed, std::memory_order_relaxed);
}

int CrtRand()
{
    if (t_pPrivate != nullptr)
    {
        t_pPrivate->m_nState = Next(t_pPrivate->m_nState);
        return Value(t_pPrivate->m_nState);
    }
    std::uint32_t nOld = s_nState.load(std::memory_order_relaxed);
    std::uint32_t nNew = 0;
    do
    {
        nNew = Next(nOld);
    } while (!s_nState.compare_exchange_weak(nOld, nNew, std::memory_order_relaxed));
    return Value(nNew);
}
