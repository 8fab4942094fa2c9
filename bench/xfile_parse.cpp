// X-file reading speed: a grid mesh of 128 x 128 quads with normals, texture coordinates and two
// materials, written as text the way the art tools write it; parsing alone, then parsing and
// building the drawable mesh. Reported as bytes per second of X-file text.
#include "platform/dx/XFileText.h"
#include "render/XFile.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <string>

namespace
{
std::string MakeGridFile(int n)
{
    std::string s = "xof 0303txt 0032\nFrame Grid {\n FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n";
    char sz[128];
    const int nVerts = (n + 1) * (n + 1);
    s += " Mesh {\n  " + std::to_string(nVerts) + ";\n";
    for (int y = 0; y <= n; ++y)
        for (int x = 0; x <= n; ++x)
        {
            std::snprintf(sz, sizeof sz, "  %.6f;%.6f;%.6f;%s\n", x * 0.25, 0.01 * ((x * 7 + y * 3) % 11), y * 0.25,
                          (x == n && y == n) ? ";" : ",");
            s += sz;
        }
    s += "  " + std::to_string(n * n) + ";\n";
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
        {
            const int a = y * (n + 1) + x;
            std::snprintf(sz, sizeof sz, "  4;%d,%d,%d,%d;%s\n", a, a + n + 1, a + n + 2, a + 1,
                          (x == n - 1 && y == n - 1) ? ";" : ",");
            s += sz;
        }
    s += "  MeshMaterialList { 2; " + std::to_string(n * n) + ";\n";
    for (int i = 0; i < n * n; ++i)
        s += (i % 2 != 0 ? "1" : "0") + std::string(i + 1 < n * n ? "," : ";;") + "\n";
    s += "   Material { 0.2;0.6;0.2;1.0;; 10.0; 0.1;0.1;0.1;; 0;0;0;; TextureFilename { \"felt\"; } }\n"
         "   Material { 0.5;0.3;0.1;1.0;; 10.0; 0.1;0.1;0.1;; 0;0;0;; }\n  }\n";
    s += "  MeshNormals { 1; 0;1;0;; " + std::to_string(n * n) + ";\n";
    for (int i = 0; i < n * n; ++i)
        s += "  4;0,0,0,0;" + std::string(i + 1 < n * n ? "," : ";") + "\n";
    s += "  }\n  MeshTextureCoords { " + std::to_string(nVerts) + ";\n";
    for (int y = 0; y <= n; ++y)
        for (int x = 0; x <= n; ++x)
        {
            std::snprintf(sz, sizeof sz, "  %.6f;%.6f;%s\n", x / double(n), y / double(n),
                          (x == n && y == n) ? ";" : ",");
            s += sz;
        }
    s += "  }\n }\n}\n";
    return s;
}

const std::string& GridFile()
{
    static const std::string s_strFile = MakeGridFile(128);
    return s_strFile;
}

void BM_ParseXFileText(benchmark::State& state)
{
    const std::string& strFile = GridFile();
    for (auto _ : state)
    {
        SXFrame root;
        std::string strError;
        if (!ParseXFileText(strFile, root, strError))
            state.SkipWithError(strError.c_str());
        benchmark::DoNotOptimize(root);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * strFile.size()));
}
BENCHMARK(BM_ParseXFileText)->Unit(benchmark::kMillisecond);

void BM_ParseAndBuildMesh(benchmark::State& state)
{
    const std::string& strFile = GridFile();
    for (auto _ : state)
    {
        SXFrame root;
        std::string strError;
        if (!ParseXFileText(strFile, root, strError))
            state.SkipWithError(strError.c_str());
        auto pTree = BuildXFileTree(root, strError);
        if (!pTree)
            state.SkipWithError(strError.c_str());
        benchmark::DoNotOptimize(pTree);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * strFile.size()));
}
BENCHMARK(BM_ParseAndBuildMesh)->Unit(benchmark::kMillisecond);
} // namespace
