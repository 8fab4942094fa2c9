// Smooth random patterns for the textures: value noise on a lattice that wraps, so that textures
// made from it tile without seams, and fractal sums of it.
#pragma once

#include <cstdint>

class CValueNoise
{
public:
    explicit CValueNoise(std::uint64_t nSeed) : m_nSeed(nSeed) {}

    /// Noise in [-1, 1] at (x, y) on a lattice of nPeriod cells that repeats (x and y in cells).
    double Sample(double x, double y, int nPeriod) const;
    /// Octaves of Sample, each twice the frequency and half the amplitude of the one before, for
    /// a point (u, v) in [0, 1) of a tile whose coarsest lattice has nPeriod cells; about [-1, 1].
    double Fractal(double u, double v, int nPeriod, int nOctaves) const;

private:
    double Lattice(int i, int j, int nOctaveSeed) const;

    std::uint64_t m_nSeed;
};
