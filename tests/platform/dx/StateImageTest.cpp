// Image tests of the device's states: every depth function, MINFILTER against MAGFILTER, the texture stage's
// colour operations, and frames that are the same to the bit whatever the threads and the span path.
#include "RenderFixture.h"

#include <vector>

namespace
{
/// A w x h quad at one depth and colour.
std::vector<D3DTLVERTEX> Quad(float x0, float y0, float x1, float y1, D3DCOLOR color, float z = 0.5f, float u1 = 1,
                              float v1 = 1)
{
    return {Tl(x0, y0, color, z, 0, 0), Tl(x1, y0, color, z, u1, 0), Tl(x0, y1, color, z, 0, v1),
            Tl(x1, y1, color, z, u1, v1)};
}
} // namespace

TEST_F(CRenderFixture, EveryDepthFunctionPassesItsOwnSides)
{
    // Red at depth 0.5 everywhere, then green with the function under test: nearer (0.25) on the left third,
    // equal in the middle third, farther (0.75) on the right third.
    struct SCase
    {
        const char* szName;
        D3DCMPFUNC eFunc;
        bool bNearer, bEqual, bFarther;
    };
    const SCase aCases[] = {
        {"never", D3DCMP_NEVER, false, false, false},
        {"less", D3DCMP_LESS, true, false, false},
        {"equal", D3DCMP_EQUAL, false, true, false},
        {"less or equal", D3DCMP_LESSEQUAL, true, true, false},
        {"greater", D3DCMP_GREATER, false, false, true},
        {"not equal", D3DCMP_NOTEQUAL, true, false, true},
        {"greater or equal", D3DCMP_GREATEREQUAL, false, true, true},
        {"always", D3DCMP_ALWAYS, true, true, true},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        SetUpTarget(48, 16);
        m_pDevice->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_ALWAYS);
        const std::vector<D3DTLVERTEX> aBack = Quad(0, 0, 48, 16, 0xFFFF0000);
        DrawStrip(aBack.data(), 4);
        m_pDevice->SetRenderState(D3DRENDERSTATE_ZFUNC, c.eFunc);
        const float aDepth[3] = {0.25f, 0.5f, 0.75f};
        const bool aPass[3] = {c.bNearer, c.bEqual, c.bFarther};
        for (int i = 0; i < 3; ++i)
        {
            const float x = static_cast<float>(16 * i);
            const std::vector<D3DTLVERTEX> aThird = Quad(x, 0, x + 16, 16, 0xFF00FF00, aDepth[i]);
            DrawStrip(aThird.data(), 4);
        }
        for (int i = 0; i < 3; ++i)
            for (const int x : {16 * i, 16 * i + 7, 16 * i + 15})
                EXPECT_EQ(aPass[i] ? 0x00FF00u : 0xFF0000u, Pixel(x, 8)) << "third " << i << ", x " << x;
    }
}

TEST_F(CRenderFixture, MinFilterAppliesToShrunkTexturesAndMagFilterToEnlargedOnes)
{
    // Stripes of black and white texels. Enlarged (4 x 4 texels over 32 x 32 pixels) and shrunk (64 x 64 texels
    // over 16 x 16 pixels, every pixel centre halfway between two texels): grey pixels appear exactly where the
    // filter in charge is linear.
    std::vector<DWORD> aSmall(16), aLarge(64 * 64);
    for (size_t i = 0; i < aSmall.size(); ++i)
        aSmall[i] = (i % 2) ? 0xFFFFFF : 0;
    for (size_t i = 0; i < aLarge.size(); ++i)
        aLarge[i] = (i % 2) ? 0xFFFFFF : 0;
    struct SCase
    {
        const char* szName;
        bool bEnlarged;
        D3DTEXTUREFILTER eMag, eMin;
        bool bGrey;
    };
    const SCase aCases[] = {
        {"enlarged, linear mag", true, D3DTFG_LINEAR, D3DTFN_POINT, true},
        {"enlarged, point mag", true, D3DTFG_POINT, D3DTFN_LINEAR, false},
        {"shrunk, linear min", false, D3DTFG_POINT, D3DTFN_LINEAR, true},
        {"shrunk, point min", false, D3DTFG_LINEAR, D3DTFN_POINT, false},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        SetUpTarget(32, 32);
        m_pDevice->SetTexture(0, c.bEnlarged ? MakeRawTexture(4, 4, MakeRgbPixelFormat(32), aSmall)
                                             : MakeRawTexture(64, 64, MakeRgbPixelFormat(32), aLarge));
        m_pDevice->SetTextureStageState(0, D3DTSS_MAGFILTER, c.eMag);
        m_pDevice->SetTextureStageState(0, D3DTSS_MINFILTER, c.eMin);
        const float fSide = c.bEnlarged ? 32.0f : 16.0f;
        const std::vector<D3DTLVERTEX> aQuad = Quad(0, 0, fSide, fSide, 0xFFFFFFFF);
        DrawStrip(aQuad.data(), 4);
        int nGrey = 0;
        for (int y = 0; y < static_cast<int>(fSide); ++y)
            for (int x = 0; x < static_cast<int>(fSide); ++x)
                nGrey += (Red(Pixel(x, y)) > 16 && Red(Pixel(x, y)) < 240) ? 1 : 0;
        EXPECT_EQ(c.bGrey, nGrey > 0) << nGrey << " grey pixels";
    }
}

TEST_F(CRenderFixture, ColourOperationsSelectTheirArguments)
{
    // Diffuse 0x804020 over a texture of 0x20C0FF.
    SurfacePtr pTexture = MakeRawTexture(2, 2, MakeRgbPixelFormat(32), std::vector<DWORD>(4, 0x20C0FF));
    struct SCase
    {
        const char* szName;
        D3DTEXTUREOP eOp;
        DWORD dwArg1, dwArg2;
        DWORD dwExpected;
    };
    const SCase aCases[] = {
        {"select 1: texture", D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0x20C0FF},
        {"select 1: diffuse", D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE, 0x804020},
        {"select 2: texture", D3DTOP_SELECTARG2, D3DTA_DIFFUSE, D3DTA_TEXTURE, 0x20C0FF},
        {"select 2: diffuse", D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0x804020},
        {"modulate", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0x103020},
        {"disabled", D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0x804020},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        SetUpTarget(8, 8);
        m_pDevice->SetTexture(0, pTexture);
        m_pDevice->SetTextureStageState(0, D3DTSS_COLOROP, c.eOp);
        m_pDevice->SetTextureStageState(0, D3DTSS_COLORARG1, c.dwArg1);
        m_pDevice->SetTextureStageState(0, D3DTSS_COLORARG2, c.dwArg2);
        const std::vector<D3DTLVERTEX> aQuad = Quad(0, 0, 8, 8, 0xFF804020);
        DrawStrip(aQuad.data(), 4);
        EXPECT_EQ(c.dwExpected, Pixel(4, 4));
    }
}

// ---------------------------------------------------------------------------------------------------------------------
// The same frame on every path
// ---------------------------------------------------------------------------------------------------------------------

class CRasterPathTest : public CRenderFixture
{
protected:
    /// A busy frame: a jittered grid of triangles at random depths with random colours and texture coordinates,
    /// drawn opaque with bilinear filtering, then again additively with point filtering and specular, then with
    /// mixed filters and "greater", then in one scene with a partial clear between draws, last as sprites added by
    /// their alpha with and without specular; returns the colour and depth buffers' bytes. dwLeft: the viewport's
    /// left edge.
    std::vector<BYTE> DrawBusyFrame(int nThreads, bool bWide, DWORD dwLeft = 0)
    {
        SetUpTarget(320, 200);
        D3DVIEWPORT2 vp = MakeFullViewport(320, 200);
        vp.dwX = dwLeft;
        vp.dwWidth = 320 - dwLeft;
        EXPECT_EQ(D3D_OK, m_pViewport->SetViewport2(&vp));
        m_pDevice->SetRenderThreads(nThreads);
        m_pDevice->SetWideSpans(bWide);
        std::vector<DWORD> aTexels(37 * 23);
        std::uint32_t nSeed = 12345;
        const auto next = [&nSeed]
        {
            nSeed = nSeed * 1664525u + 1013904223u;
            return nSeed >> 8;
        };
        for (DWORD& t : aTexels)
            t = next() & 0xFFFFFF;
        m_pDevice->SetTexture(0, MakeRawTexture(37, 23, MakeRgbPixelFormat(32), aTexels));
        std::vector<D3DTLVERTEX> aVerts;
        constexpr int GRID = 24;
        for (int j = 0; j <= GRID; ++j)
            for (int i = 0; i <= GRID; ++i)
            {
                const float fx = -20 + 360.0f * static_cast<float>(i) / GRID + static_cast<float>(next() % 9);
                const float fy = -20 + 240.0f * static_cast<float>(j) / GRID + static_cast<float>(next() % 9);
                D3DTLVERTEX v = Tl(fx, fy, 0xFF000000 | (next() & 0xFFFFFF), static_cast<float>(next() % 1000) / 1000,
                                   static_cast<float>(next() % 700) / 100, static_cast<float>(next() % 500) / 100);
                v.rhw = 0.2f + static_cast<float>(next() % 100) / 50;
                v.specular = next() & 0x3F3F3F;
                aVerts.push_back(v);
            }
        std::vector<WORD> aIdx;
        for (int j = 0; j < GRID; ++j)
            for (int i = 0; i < GRID; ++i)
            {
                const auto a = static_cast<WORD>(j * (GRID + 1) + i), b = static_cast<WORD>(a + GRID + 1);
                aIdx.insert(aIdx.end(),
                            {a, static_cast<WORD>(a + 1), b, static_cast<WORD>(a + 1), static_cast<WORD>(b + 1), b});
            }
        m_pDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
        const auto draw = [&]
        {
            ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
            ASSERT_EQ(D3D_OK, m_pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX, aVerts.data(),
                                                              static_cast<DWORD>(aVerts.size()), aIdx.data(),
                                                              static_cast<DWORD>(aIdx.size()), 0));
            ASSERT_EQ(D3D_OK, m_pDevice->EndScene());
        };
        m_pDevice->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
        m_pDevice->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTFN_LINEAR);
        draw();
        m_pDevice->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
        m_pDevice->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
        m_pDevice->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_SRCCOLOR);
        m_pDevice->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_ALWAYS);
        m_pDevice->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_POINT);
        m_pDevice->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTFN_POINT);
        draw();
        m_pDevice->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
        m_pDevice->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_GREATER);
        m_pDevice->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTFN_LINEAR);
        for (D3DTLVERTEX& v : aVerts)
            v.sz = 1 - v.sz;
        draw();
        // One scene of draws with a clear of part of the frame between them, each with and without a change of
        // state since the last: the clear and the draws must land in the order they were made.
        EXPECT_EQ(D3D_OK, m_pDevice->BeginScene());
        const auto drawInScene = [&]
        {
            ASSERT_EQ(D3D_OK, m_pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX, aVerts.data(),
                                                              static_cast<DWORD>(aVerts.size()), aIdx.data(),
                                                              static_cast<DWORD>(aIdx.size()), 0));
        };
        m_pDevice->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_LESSEQUAL);
        drawInScene();
        const D3DRECT rcClear{50, 37, 270, 141};
        EXPECT_EQ(D3D_OK, m_pViewport->Clear2(1, &rcClear, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x406080, 0.7f, 0));
        for (D3DTLVERTEX& v : aVerts)
            v.sx = 320 - v.sx;
        drawInScene();
        m_pDevice->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
        drawInScene();
        // A texture whose sides are powers of two is sampled on a path of its own. Coordinates far outside it,
        // some beyond 32 bits in sub-texel steps, must wrap alike on every path.
        std::vector<DWORD> aSquare(16 * 8);
        for (DWORD& t : aSquare)
            t = next() & 0xFFFFFF;
        m_pDevice->SetTexture(0, MakeRawTexture(16, 8, MakeRgbPixelFormat(32), aSquare));
        for (size_t i = 0; i < aVerts.size(); ++i)
        {
            aVerts[i].tu = i % 7 == 0 ? 3e6f : aVerts[i].tu * -13;
            aVerts[i].tv = i % 5 == 0 ? -4e7f : aVerts[i].tv;
        }
        drawInScene();
        // Sprites: added to the frame as much as each texel's alpha times its vertices' says.
        std::vector<DWORD> aSprite(16 * 16);
        for (DWORD& t : aSprite)
            t = next() << 8 | (next() & 0xFF);
        m_pDevice->SetTexture(0, MakeRawTexture(16, 16, MakeArgbPixelFormat(), aSprite));
        for (D3DTLVERTEX& v : aVerts)
            v.color = (v.color & 0xFFFFFF) | (next() & 0xFF) << 24;
        m_pDevice->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
        m_pDevice->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
        m_pDevice->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
        drawInScene();
        m_pDevice->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, FALSE);
        m_pDevice->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTFN_POINT);
        drawInScene();
        EXPECT_EQ(D3D_OK, m_pDevice->EndScene());
        std::vector<BYTE> aBytes(m_pTarget->GetBits(), m_pTarget->GetBits() + m_pTarget->GetPitch() * 200);
        aBytes.insert(aBytes.end(), m_pZ->GetBits(), m_pZ->GetBits() + m_pZ->GetPitch() * 200);
        return aBytes;
    }
};

TEST_F(CRasterPathTest, FramesAreTheSameOnOneTwoAndEightThreads)
{
    const std::vector<BYTE> aOne = DrawBusyFrame(1, false);
    SaveFrame();
    for (const int nThreads : {2, 8})
    {
        SCOPED_TRACE(nThreads);
        EXPECT_TRUE(DrawBusyFrame(nThreads, false) == aOne);
    }
}

TEST_F(CRasterPathTest, AvxAndSseSpansDrawTheSameFrame)
{
    if (!CRasterizer::ProcessorHasWideSpans())
        GTEST_SKIP() << "this processor has no AVX2";
    const std::vector<BYTE> aSse = DrawBusyFrame(1, false);
    EXPECT_TRUE(DrawBusyFrame(1, true) == aSse);
    EXPECT_TRUE(DrawBusyFrame(8, true) == aSse);
}

TEST_F(CRasterPathTest, PixelsRightOfAClipEdgeAreTheSameWhereverTheRowsAreCut)
{
    // Every pixel is shaded on its own: rows cut at an odd column leave the pixels right of the cut unchanged.
    constexpr DWORD LEFT = 13;
    const std::vector<BYTE> aWhole = DrawBusyFrame(1, false);
    const std::vector<BYTE> aCut = DrawBusyFrame(1, false, LEFT);
    const size_t nColourPitch = static_cast<size_t>(m_pTarget->GetPitch()),
                 nZPitch = static_cast<size_t>(m_pZ->GetPitch());
    int nDifferentRows = 0;
    for (size_t y = 0; y < 200; ++y)
    {
        const size_t nColour = y * nColourPitch + LEFT * 4, nZ = 200 * nColourPitch + y * nZPitch + LEFT * 2;
        const bool bSame =
            std::equal(aWhole.begin() + nColour, aWhole.begin() + nColour + (320 - LEFT) * 4, aCut.begin() + nColour) &&
            std::equal(aWhole.begin() + nZ, aWhole.begin() + nZ + (320 - LEFT) * 2, aCut.begin() + nZ);
        nDifferentRows += bSame ? 0 : 1;
    }
    EXPECT_EQ(0, nDifferentRows);
}

TEST_F(CRenderFixture, LargeClearsFillExactlyTheirRectangleOnOneAndEightThreads)
{
    // Large enough for the rows to be split among the threads; the rectangle's edges cut the last band short.
    const RECT rc{13, 7, 390, 293};
    for (const int nThreads : {1, 8})
    {
        SCOPED_TRACE(nThreads);
        SetUpTarget(400, 300);
        m_pDevice->SetRenderThreads(nThreads);
        const D3DRECT rcClear{rc.left, rc.top, rc.right, rc.bottom};
        ASSERT_EQ(D3D_OK, m_pViewport->Clear2(1, &rcClear, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x123456, 0.5f, 0));
        int nWrong = 0;
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 400; ++x)
            {
                const bool bInside = x >= rc.left && x < rc.right && y >= rc.top && y < rc.bottom;
                WORD wZ = 0;
                std::memcpy(&wZ, m_pZ->GetBits() + y * m_pZ->GetPitch() + x * 2, sizeof(wZ));
                if (Pixel(x, y) != (bInside ? 0x123456u : 0u) || wZ != (bInside ? 32768 : 65535))
                    ++nWrong;
            }
        EXPECT_EQ(0, nWrong);
    }
}
