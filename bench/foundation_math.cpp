// Cost of the vector and matrix operations the ball engine and the camera call most.
#include "foundation/Matrix.h"
#include "foundation/Vector3.h"

#include <array>
#include <benchmark/benchmark.h>

namespace
{
// A small spread of vectors, so that the loop does not fold into a constant.
std::array<CVector3, 64> MakeVectors()
{
    std::array<CVector3, 64> v;
    for (int i = 0; i < 64; ++i)
        v[static_cast<std::size_t>(i)].SetVec3(0.01f * i - 0.3f, 1.1176f - 0.02f * i, 0.028448f * (i % 5));
    return v;
}

const std::array<CVector3, 64> s_vectors = MakeVectors();

const CVector3& Pick(std::size_t i) { return s_vectors[i & 63]; }

void BM_VectorAdd(benchmark::State& state)
{
    std::size_t i = 0;
    for (auto _ : state)
    {
        CVector3 sum = Pick(i) + Pick(i + 1);
        benchmark::DoNotOptimize(sum);
        ++i;
    }
}
BENCHMARK(BM_VectorAdd);

void BM_VectorLength(benchmark::State& state)
{
    std::size_t i = 0;
    for (auto _ : state)
    {
        double d = Pick(i++).Length();
        benchmark::DoNotOptimize(d);
    }
}
BENCHMARK(BM_VectorLength);

void BM_VectorNormalize(benchmark::State& state)
{
    std::size_t i = 0;
    for (auto _ : state)
    {
        CVector3 v = Pick(i++);
        benchmark::DoNotOptimize(v.Normalize());
    }
}
BENCHMARK(BM_VectorNormalize);

void BM_RotateAboutAxis(benchmark::State& state)
{
    std::size_t i = 0;
    const CVector3 axis(0.3f, 0.2f, 1.0f);
    for (auto _ : state)
    {
        CVector3 out;
        benchmark::DoNotOptimize(Vec3RotateAxis(&out, &Pick(i), &axis, 0.001f * static_cast<float>(i & 63)));
        ++i;
    }
}
BENCHMARK(BM_RotateAboutAxis);

void BM_MatrixMultiply(benchmark::State& state)
{
    D3DMATRIX a, b, out;
    MatrixRotationAxis(a, CVector3(1, 2, 3), 0.5f);
    MatrixRotationAxis(b, CVector3(-1, 0, 2), 1.5f);
    b.m[3][0] = 4.0f;
    for (auto _ : state)
    {
        MatrixMultiply(out, a, b);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MatrixMultiply);
} // namespace
