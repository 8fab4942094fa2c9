// Frame time of the software rasterizer: a frame of bilinear-textured, lit, depth-tested triangles in three
// full-screen layers (every pixel drawn three times), drawn far to near so that every layer passes the depth
// test. 800 x 600 on one core and on all cores, and 1920 x 1080 on all cores. Reports the frame time, the
// fill rate in megapixels per second and the processor time of all threads per frame.
#include "platform/dx/Device.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <ctime>
#include <vector>

namespace
{
constexpr int GRID_X = 32;             // quads across a layer
constexpr int GRID_Y = 24;             // quads down a layer
constexpr float TAN_HALF_FOV = 0.577f; // 60 degrees vertical

struct SScene
{
    DWORD dwWidth = 800, dwHeight = 600; // pixels
    SurfacePtr pTarget, pZ, pTexture;
    std::unique_ptr<CDirect3DDevice> pDevice;
    ViewportPtr pViewport;
    std::vector<LightPtr> aLights;
    MaterialPtr pMaterial;
    std::vector<std::vector<D3DVERTEX>> aLayers;
    std::vector<WORD> aIndices;
};

SurfacePtr MakeTexture()
{
    // 256 x 256 checker with a colour ramp, so that bilinear filtering has work to do everywhere.
    SurfacePtr p = CDirectDrawSurface::Create(256, 256, MakeRgbPixelFormat(32), DDSCAPS_TEXTURE);
    DDSURFACEDESC2 desc;
    p->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
    for (DWORD y = 0; y < 256; ++y)
        for (DWORD x = 0; x < 256; ++x)
        {
            const DWORD c = ((x / 16 + y / 16) % 2) ? 0xE0E0E0 : (x << 16) | (y << 8) | 0x40;
            reinterpret_cast<DWORD*>(static_cast<BYTE*>(desc.lpSurface) + y * desc.lPitch)[x] = c;
        }
    p->Unlock(nullptr);
    return p;
}

/// A grid covering the whole view at depth fDepth (tilted so depth varies across it), clockwise from the eye.
std::vector<D3DVERTEX> MakeLayer(float fDepth, float fTilt, float fAspect)
{
    std::vector<D3DVERTEX> a;
    const float fHalfH = TAN_HALF_FOV * fDepth * 1.3f;
    const float fHalfW = fHalfH * fAspect;
    for (int j = 0; j <= GRID_Y; ++j)
        for (int i = 0; i <= GRID_X; ++i)
        {
            D3DVERTEX v;
            v.x = -fHalfW + 2 * fHalfW * static_cast<float>(i) / GRID_X;
            v.y = fHalfH - 2 * fHalfH * static_cast<float>(j) / GRID_Y;
            v.z = fDepth + fTilt * v.x;
            const float n = std::sqrt(1 + fTilt * fTilt);
            v.nx = fTilt / n;
            v.nz = -1 / n;
            v.tu = static_cast<float>(i) / 4;
            v.tv = static_cast<float>(j) / 4;
            a.push_back(v);
        }
    return a;
}

void BuildScene(SScene& s)
{
    s.pTarget = CDirectDrawSurface::Create(s.dwWidth, s.dwHeight, MakeRgbPixelFormat(32), DDSCAPS_3DDEVICE);
    s.pZ = CDirectDrawSurface::Create(s.dwWidth, s.dwHeight, MakeZBufferPixelFormat(16), DDSCAPS_ZBUFFER);
    s.pTarget->AddAttachedSurface(s.pZ);
    s.pDevice = std::make_unique<CDirect3DDevice>(s.pTarget);
    s.pViewport = std::make_shared<CDirect3DViewport>();
    const D3DVIEWPORT2 vp = MakeFullViewport(s.dwWidth, s.dwHeight);
    s.pViewport->SetViewport2(&vp);
    s.pDevice->AddViewport(s.pViewport);
    s.pDevice->SetCurrentViewport(s.pViewport);

    D3DMATRIX proj{};
    const float fNear = 6, fFar = 750; // the game's planes, scene inches
    proj.m[0][0] = 1 / TAN_HALF_FOV * static_cast<float>(s.dwHeight) / static_cast<float>(s.dwWidth);
    proj.m[1][1] = 1 / TAN_HALF_FOV;
    proj.m[2][2] = fFar / (fFar - fNear);
    proj.m[2][3] = 1;
    proj.m[3][2] = -fNear * fFar / (fFar - fNear);
    s.pDevice->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &proj);

    D3DLIGHT2 dir;
    dir.dltType = D3DLIGHT_DIRECTIONAL;
    dir.dcvColor = {0.6f, 0.6f, 0.6f, 1};
    dir.dvDirection = {0.3f, -0.4f, 0.8f};
    D3DLIGHT2 point;
    point.dltType = D3DLIGHT_POINT;
    point.dcvColor = {0.8f, 0.7f, 0.5f, 1};
    point.dvPosition = {0, 20, 30};
    point.dvRange = 400;
    point.dvAttenuation1 = 0.005f;
    for (const D3DLIGHT2& l : {dir, point})
    {
        auto p = std::make_shared<CDirect3DLight>();
        p->SetLight(&l);
        s.pViewport->AddLight(p);
        s.aLights.push_back(p);
    }
    s.pMaterial = std::make_shared<CDirect3DMaterial>();
    D3DMATERIAL mat;
    mat.diffuse = mat.ambient = {1, 1, 1, 1};
    s.pMaterial->SetMaterial(&mat);
    DWORD dwHandle = 0;
    s.pMaterial->GetHandle(s.pDevice.get(), &dwHandle);
    s.pDevice->SetLightState(D3DLIGHTSTATE_MATERIAL, dwHandle);
    s.pDevice->SetLightState(D3DLIGHTSTATE_AMBIENT, 0x00303030);
    s.pDevice->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, FALSE);

    s.pTexture = MakeTexture();
    s.pDevice->SetTexture(0, s.pTexture);
    s.pDevice->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
    s.pDevice->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTFG_LINEAR);

    // Far to near: each layer is nearer than the last everywhere, so every pixel is shaded three times.
    const float fAspect = static_cast<float>(s.dwWidth) / static_cast<float>(s.dwHeight);
    s.aLayers = {MakeLayer(300, 0.2f, fAspect), MakeLayer(150, -0.15f, fAspect), MakeLayer(60, 0.1f, fAspect)};
    for (int j = 0; j < GRID_Y; ++j)
        for (int i = 0; i < GRID_X; ++i)
        {
            const WORD a = static_cast<WORD>(j * (GRID_X + 1) + i), b = static_cast<WORD>(a + GRID_X + 1);
            s.aIndices.insert(s.aIndices.end(),
                              {a, static_cast<WORD>(a + 1), b, static_cast<WORD>(a + 1), static_cast<WORD>(b + 1), b});
        }
}

void RenderFrame(SScene& s)
{
    s.pViewport->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
    s.pDevice->BeginScene();
    for (const std::vector<D3DVERTEX>& layer : s.aLayers)
        s.pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, layer.data(),
                                        static_cast<DWORD>(layer.size()), s.aIndices.data(),
                                        static_cast<DWORD>(s.aIndices.size()), 0);
    s.pDevice->EndScene();
}

/// Arguments: frame width, height, drawing threads (0: every core) and whether the AVX2 path may be used.
void BM_RenderFrame(benchmark::State& state)
{
    SScene scene;
    scene.dwWidth = static_cast<DWORD>(state.range(0));
    scene.dwHeight = static_cast<DWORD>(state.range(1));
    BuildScene(scene);
    if (state.range(2) > 0)
        scene.pDevice->SetRenderThreads(static_cast<int>(state.range(2)));
    scene.pDevice->SetWideSpans(state.range(3) != 0);
    RenderFrame(scene);
    scene.pDevice->TakePixelsDrawn();
    std::uint64_t nPixels = 0;
    const std::clock_t start = std::clock(); // processor time of every thread of the process
    for (auto _ : state)
    {
        RenderFrame(scene);
        nPixels += scene.pDevice->TakePixelsDrawn();
        benchmark::DoNotOptimize(scene.pTarget->GetBits());
    }
    state.counters["overdraw"] =
        static_cast<double>(nPixels) / static_cast<double>(state.iterations()) / (scene.dwWidth * scene.dwHeight);
    state.counters["Mpix/s"] = benchmark::Counter(static_cast<double>(nPixels) / 1e6, benchmark::Counter::kIsRate);
    // The work of all threads per frame: on a busy machine the wall time says little about the parallel cost.
    state.counters["all_threads_ms"] =
        1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC / static_cast<double>(state.iterations());
}
BENCHMARK(BM_RenderFrame)
    ->ArgNames({"width", "height", "threads", "avx2"})
    ->Args({800, 600, 1, 0})
    ->Args({800, 600, 1, 1})
    ->Args({800, 600, 0, 1})
    ->Args({1920, 1080, 0, 1})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();
} // namespace
