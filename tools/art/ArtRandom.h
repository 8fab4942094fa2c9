// The art generators' own random numbers: a fixed algorithm (SplitMix64) and fixed seeds, so the
// same sources give the same bytes on every machine and every run, whatever the C library does.
#pragma once

#include <cstdint>

class CArtRandom
{
public:
    explicit CArtRandom(std::uint64_t nSeed) : m_nState(nSeed) {}

    std::uint64_t NextU64();
    /// Uniform in [0, 1).
    double NextUnit();
    /// Uniform in [-1, 1).
    double NextSigned() { return 2.0 * NextUnit() - 1.0; }

    /// The SplitMix64 mixing function: a well-spread 64-bit hash of a value.
    static std::uint64_t Mix(std::uint64_t nValue);

private:
    std::uint64_t m_nState;
};
