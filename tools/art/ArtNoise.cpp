#include "tools/art/ArtNoise.h"

#include "tools/art/ArtRandom.h"

#include <cmath>

namespace
{
int Wrap(int i, int nPeriod) { return ((i % nPeriod) + nPeriod) % nPeriod; }
/// Smoothstep: a blend whose slope is zero at both lattice points, so cells join smoothly.
double Fade(double t) { return t * t * (3.0 - 2.0 * t); }
} // namespace

double CValueNoise::Lattice(int i, int j, int nOctaveSeed) const
{
    const std::uint64_t nKey = m_nSeed * 0x9E3779B97F4A7C15ull + (static_cast<std::uint64_t>(nOctaveSeed) << 40) +
                               (static_cast<std::uint64_t>(static_cast<std::uint32_t>(i)) << 20) +
                               static_cast<std::uint32_t>(j);
    return static_cast<double>(CArtRandom::Mix(nKey) >> 11) * (2.0 / 9007199254740992.0) - 1.0;
}

double CValueNoise::Sample(double x, double y, int nPeriod) const
{
    const double fx = std::floor(x), fy = std::floor(y);
    const int i = static_cast<int>(fx), j = static_cast<int>(fy);
    const double tx = Fade(x - fx), ty = Fade(y - fy);
    const int i0 = Wrap(i, nPeriod), i1 = Wrap(i + 1, nPeriod);
    const int j0 = Wrap(j, nPeriod), j1 = Wrap(j + 1, nPeriod);
    const double a = Lattice(i0, j0, nPeriod), b = Lattice(i1, j0, nPeriod);
    const double c = Lattice(i0, j1, nPeriod), d = Lattice(i1, j1, nPeriod);
    return (a + (b - a) * tx) * (1.0 - ty) + (c + (d - c) * tx) * ty;
}

double CValueNoise::Fractal(double u, double v, int nPeriod, int nOctaves) const
{
    double dSum = 0.0, dAmp = 1.0, dNorm = 0.0;
    int nCells = nPeriod;
    for (int o = 0; o < nOctaves; ++o)
    {
        dSum += dAmp * Sample(u * nCells, v * nCells, nCells);
        dNorm += dAmp;
        dAmp *= 0.5;
        nCells *= 2;
    }
    return dSum / dNorm;
}
