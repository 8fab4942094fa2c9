#include "tools/art/ArtRandom.h"

std::uint64_t CArtRandom::Mix(std::uint64_t nValue)
{
    nValue = (nValue ^ (nValue >> 30)) * 0xBF58476D1CE4E5B9ull;
    nValue = (nValue ^ (nValue >> 27)) * 0x94D049BB133111EBull;
    return nValue ^ (nValue >> 31);
}

std::uint64_t CArtRandom::NextU64()
{
    m_nState += 0x9E3779B97F4A7C15ull;
    return Mix(m_nState);
}

double CArtRandom::NextUnit()
{
    // The top 53 bits fill a double's mantissa exactly.
    return static_cast<double>(NextU64() >> 11) * (1.0 / 9007199254740992.0);
}
