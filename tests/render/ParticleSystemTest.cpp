// Particle systems on the test clock with the runtime's generator seeded: clamps, owed counts,
// the emitting flag, end of life, billboards facing the camera, a burst drawn where it projects.
#include "render/ParticleSystem.h"

#include "foundation/Matrix.h"
#include "platform/dx/Device.h"
#include "platform/win32/CrtRandom.h"

#include <cmath>
#include <gtest/gtest.h>

TEST(ParticleSystem, CountsClampedAndParticlesFreeAtFirst)
{
    struct SCase
    {
        int nCount, nExpected;
    } cases[] = {{250, 250}, {20000, 10000}, {-5, 0}, {0, 0}};
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.nCount);
        CParticleSystemA system(c.nCount, "star.tga");
        EXPECT_EQ(system.GetMaxParticles(), c.nExpected);
        ASSERT_EQ(static_cast<int>(system.Particles().size()), c.nExpected);
        for (const SParticle& p : system.Particles())
            ASSERT_TRUE(p.IsFree());
    }
    CParticleSystemA none(-5, "star.tga");
    EXPECT_EQ(none.Emit(3, 0), 0);
}

TEST(ParticleSystem, EmittedValuesWithinTheirClamps)
{
    CrtSrand(7);
    // C's start size 0 +- 0.2 is always lifted to 0.5; B's sizes stay within 0.5..10.
    CParticleSystemC smoke(500, "bubble.tga");
    ASSERT_EQ(smoke.Emit(500, 0), 1);
    CParticleSystemB bubbles(10, 500, "bubble.tga");
    ASSERT_EQ(bubbles.Emit(500, 0), 1);
    for (const SParticle& p : smoke.Particles())
    {
        ASSERT_FLOAT_EQ(p.fSize, 0.5f);
        ASSERT_FLOAT_EQ(p.fLife, 3000.0f);
    }
    for (const SParticle& p : bubbles.Particles())
    {
        ASSERT_GE(p.fSize, 0.5f);
        ASSERT_LE(p.fSize, 10.0f);
        ASSERT_GE(p.fLife, 0.1f);
        ASSERT_GE(p.fAlpha, 0.0f);
        ASSERT_LE(p.fAlpha, 1.0f);
        const float fSpeed =
            std::sqrt(p.vVelocity.x * p.vVelocity.x + p.vVelocity.y * p.vVelocity.y + p.vVelocity.z * p.vVelocity.z);
        ASSERT_LE(fSpeed, 0.0055f + 0.0025f + 1e-6f);
    }
    EXPECT_EQ(bubbles.GetLiveCount(), 500);
    EXPECT_EQ(bubbles.Emit(1, 0), 0) << "no free slot left";
}

TEST(ParticleSystem, OwedParticlesAndTheEmittingFlag)
{
    CrtSrand(1);
    CParticleSystemA sparks(250, "star.tga");
    sparks.SetEmitting(TRUE);
    EXPECT_EQ(sparks.Update(1000), 1); // the first update only takes the time
    EXPECT_EQ(sparks.GetLiveCount(), 0);
    // 30 a second: 50 ms owe 1.5, so the updates place 1, 2, 1, 2 ...
    int nEmitted = 0;
    for (int k = 1; k <= 4; ++k)
        sparks.Update(1000 + 50 * k);
    for (const SParticle& p : sparks.Particles())
        nEmitted += p.IsFree() ? 0 : 1;
    EXPECT_EQ(nEmitted, 6);
    // Off: nothing emitted however long; back on, no burst for the time spent off.
    CParticleSystemB bubbles(20, 50, "bubble.tga");
    bubbles.Update(0);
    bubbles.Update(100000);
    EXPECT_EQ(bubbles.GetLiveCount(), 0);
    bubbles.SetEmitting(TRUE);
    bubbles.Update(100100);
    int nLive = 0;
    for (const SParticle& p : bubbles.Particles())
        nLive += p.IsFree() ? 0 : 1;
    EXPECT_EQ(nLive, 2);
}

TEST(ParticleSystem, StepMovesAgesAndFreesAtTheEndOfLife)
{
    SParticle p;
    p.fAge = 0.0f;
    p.fLife = 100.0f;
    p.vPosition = CVector3(0, 30, 6); // at the attractor: no pull
    p.vVelocity = CVector3(1, 0, 0);
    p.fAlpha = 1.0f;
    p.fAlphaChange = -0.01f;
    p.fSize = 1.0f;
    p.fSizeChange = 0.01f;
    StepParticle(p, 10.0f);
    EXPECT_FLOAT_EQ(p.fAge, 10.0f);
    EXPECT_FLOAT_EQ(p.vPosition.x, 10.0f);
    EXPECT_FLOAT_EQ(p.vPrevious.x, 0.0f);
    EXPECT_FLOAT_EQ(p.fAlpha, 0.9f);
    EXPECT_FLOAT_EQ(p.fSize, 1.1f);
    StepParticle(p, 89.0f);
    EXPECT_FALSE(p.IsFree());
    StepParticle(p, 1.0f);
    EXPECT_TRUE(p.IsFree()) << "age reaching the life frees the slot";
    StepParticle(p, 1.0f);
    EXPECT_TRUE(p.IsFree());
}

TEST(ParticleSystem, BillboardsFaceTheCamera)
{
    D3DMATRIX view;
    MatrixLookAt(view, CVector3(10, 40, -60), CVector3(-10, -14, 66), CVector3(0, 1, 0));
    const D3DMATRIX world = BillboardMatrix(view, CVector3(1, 2, 3));
    D3DMATRIX product;
    MatrixMultiply(product, view, world); // world * view
    // The square's plane lands flat in view space, its corners at the particle's view position
    // plus (x, y, 0).
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(product.m[r][c], r == c ? 1.0f : 0.0f, 1e-5) << r << "," << c;
    EXPECT_FLOAT_EQ(world.m[3][0], 1.0f);
    EXPECT_FLOAT_EQ(world.m[3][2], 3.0f);
}

TEST(ParticleSystem, BurstDrawnAroundItsPoint)
{
    constexpr DWORD W = 160, H = 120;
    SurfacePtr pTarget =
        CDirectDrawSurface::Create(W, H, MakeRgbPixelFormat(32), DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE);
    CDirect3DDevice device(pTarget);
    auto pViewport = std::make_shared<CDirect3DViewport>();
    const D3DVIEWPORT2 vp = MakeFullViewport(W, H);
    pViewport->SetViewport2(&vp);
    device.AddViewport(pViewport);
    device.SetCurrentViewport(pViewport);
    D3DMATRIX view, projection;
    MatrixLookAt(view, CVector3(0, 0, -50), CVector3(0, 0, 1), CVector3(0, 1, 0));
    ASSERT_EQ(S_OK, MatrixPerspective(projection, 0.8f, static_cast<float>(W) / H, 6.0f, 750.0f));
    device.SetTransform(D3DTRANSFORMSTATE_VIEW, &view);
    device.SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
    pViewport->Clear(0, nullptr, D3DCLEAR_TARGET);

    CrtSrand(3);
    CParticleSystemA sparks(40, "no texture");
    sparks.MoveTo(0, 0, 0);
    sparks.MoveTo(0, 0, 0);
    ASSERT_EQ(sparks.Emit(40, 0), 1);
    ASSERT_EQ(D3D_OK, device.BeginScene());
    sparks.Render(device, view);
    ASSERT_EQ(D3D_OK, device.EndScene());
    // The sparks sit at the origin, at most 2.2 units across: all lit pixels within the box
    // that size projects to around the frame's middle.
    const float fHalf = 2.2f * projection.m[0][0] / 50.0f * W / 2.0f + 1.0f;
    int nLit = 0;
    for (DWORD y = 0; y < H; ++y)
        for (DWORD x = 0; x < W; ++x)
            if (pTarget->GetPixelXrgb(x, y) != 0)
            {
                ++nLit;
                ASSERT_LE(std::fabs(x + 0.5f - W / 2.0f), fHalf) << x << "," << y;
                ASSERT_LE(std::fabs(y + 0.5f - H / 2.0f), fHalf) << x << "," << y;
            }
    EXPECT_GT(nLit, 4);
}
