// The device draws a scene's triangles and clears when the scene ends; whoever touches the target, the depth
// buffer or a texture in use before that must find the queued drawing done, on one thread and on many.
#include "RenderFixture.h"

#include <functional>
#include <vector>

namespace
{
constexpr DWORD FRAME = 200; // pixels: large enough for the drawing threads to split the work
constexpr DWORD CLEAR_COLOUR = 0x2040C0;
constexpr DWORD QUAD_COLOUR = 0xC08020;

std::vector<D3DTLVERTEX> Quad(float x0, float y0, float x1, float y1, D3DCOLOR color, float z = 0.5f)
{
    return {Tl(x0, y0, color, z, 0, 0), Tl(x1, y0, color, z, 1, 0), Tl(x0, y1, color, z, 0, 1),
            Tl(x1, y1, color, z, 1, 1)};
}

/// Pixel (x, y) of a 32-bit surface as stored, without finishing any drawing queued for it.
DWORD StoredPixel(CDirectDrawSurface& s, int x, int y)
{
    DWORD dw = 0;
    std::memcpy(&dw, s.GetDrawingBits() + y * s.GetPitch() + x * 4, sizeof(dw));
    return dw & 0xFFFFFF;
}

void LockAndUnlock(CDirectDrawSurface& s)
{
    DDSURFACEDESC2 desc;
    ASSERT_EQ(DD_OK, s.Lock(nullptr, &desc, DDLOCK_WAIT, nullptr));
    ASSERT_EQ(DD_OK, s.Unlock(nullptr));
}

WORD StoredDepth(CDirectDrawSurface& s, int x, int y)
{
    WORD w = 0;
    std::memcpy(&w, s.GetDrawingBits() + y * s.GetPitch() + x * 2, sizeof(w));
    return w;
}
} // namespace

class CDeferredDrawTest : public CRenderFixture
{
protected:
    /// A scene left open after a clear and a quad over the left half of the frame at depth 0.5.
    void QueueClearAndQuad(int nThreads)
    {
        SetUpTarget(FRAME, FRAME);
        m_pDevice->SetRenderThreads(nThreads);
        ASSERT_EQ(D3D_OK, m_pViewport->Clear2(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, CLEAR_COLOUR, 1.0f, 0));
        ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
        const std::vector<D3DTLVERTEX> aQuad = Quad(0, 0, FRAME / 2, FRAME, 0xFF000000 | QUAD_COLOUR);
        ASSERT_EQ(D3D_OK, m_pDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, aQuad.data(), 4, 0));
    }
};

TEST_F(CDeferredDrawTest, EveryAccessToTheSurfacesFindsTheQueuedDrawingDone)
{
    // Each access is made while the scene is open; what it must see is then read from the stored pixels (or
    // from the copy it made), which by themselves finish nothing.
    SurfacePtr pCopy = CDirectDrawSurface::Create(FRAME, FRAME, MakeRgbPixelFormat(32), DDSCAPS_OFFSCREENPLAIN);
    struct SCase
    {
        const char* szName;
        std::function<void()> fnAccess;
        bool bFromCopy; // the colour is read from pCopy, else from the target
    };
    const SCase aCases[] = {
        {"read a pixel", [this] { Pixel(0, 0); }, false},
        {"the bits", [this] { m_pTarget->GetBits(); }, false},
        {"lock", [this] { LockAndUnlock(*m_pTarget); }, false},
        {"device context",
         [this]
         {
             HDC hDC = nullptr;
             ASSERT_EQ(DD_OK, m_pTarget->GetDC(&hDC));
             ASSERT_EQ(DD_OK, m_pTarget->ReleaseDC(hDC));
         },
         false},
        {"blit from the target", [&] { ASSERT_EQ(DD_OK, pCopy->Blt(nullptr, m_pTarget.get(), nullptr, 0, nullptr)); },
         true},
        {"fill of another part",
         [this]
         {
             const RECT rc{FRAME - 1, FRAME - 1, FRAME, FRAME};
             ASSERT_EQ(DD_OK, m_pTarget->ColorFill(&rc, 0, nullptr));
         },
         false},
        {"depth buffer lock", [this] { LockAndUnlock(*m_pZ); }, false},
        {"pixel count", [this] { m_pDevice->TakePixelsDrawn(); }, false},
        {"device gone", [this] { m_pDevice.reset(); }, false},
    };
    for (const int nThreads : {1, 8})
        for (const SCase& c : aCases)
        {
            SCOPED_TRACE(testing::Message() << c.szName << " on " << nThreads << " threads");
            QueueClearAndQuad(nThreads);
            c.fnAccess();
            CDirectDrawSurface& seen = c.bFromCopy ? *pCopy : *m_pTarget;
            EXPECT_EQ(QUAD_COLOUR, StoredPixel(seen, 10, 100));
            EXPECT_EQ(CLEAR_COLOUR, StoredPixel(seen, FRAME - 10, 100));
            EXPECT_EQ(32767, StoredDepth(*m_pZ, 10, 100)) << "the quad's depth";
            EXPECT_EQ(65535, StoredDepth(*m_pZ, FRAME - 10, 100)) << "the cleared depth";
            m_pDevice.reset();
        }
}

TEST_F(CDeferredDrawTest, TextureRewrittenOrDroppedWithinASceneKeepsWhatEachDrawSaw)
{
    // Texture only, point filtered: the left quad is drawn with red texels, which are then rewritten green for
    // the middle quad; the right quad uses a second texture after the application let go of the first.
    for (const int nThreads : {1, 8})
    {
        SCOPED_TRACE(nThreads);
        SetUpTarget(FRAME, FRAME);
        m_pDevice->SetRenderThreads(nThreads);
        m_pDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        SurfacePtr pFirst = MakeRawTexture(4, 4, MakeRgbPixelFormat(16), std::vector<DWORD>(16, 0xF800));
        m_pDevice->SetTexture(0, pFirst);
        ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
        const auto draw = [&](float x0, float x1)
        {
            const std::vector<D3DTLVERTEX> aQuad = Quad(x0, 0, x1, FRAME, 0xFFFFFFFF);
            ASSERT_EQ(D3D_OK, m_pDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, aQuad.data(), 4, 0));
        };
        draw(0, 60);
        const RECT rcAll{0, 0, 4, 4};
        ASSERT_EQ(DD_OK, pFirst->ColorFill(&rcAll, 0x07E0, nullptr));
        draw(60, 120);
        m_pDevice->SetTexture(0, MakeRawTexture(4, 4, MakeRgbPixelFormat(16), std::vector<DWORD>(16, 0x001F)));
        pFirst.reset();
        draw(120, FRAME);
        ASSERT_EQ(D3D_OK, m_pDevice->EndScene());
        EXPECT_EQ(0xFF0000u, Pixel(30, 100));
        EXPECT_EQ(0x00FF00u, Pixel(90, 100));
        EXPECT_EQ(0x0000FFu, Pixel(160, 100));
    }
}

TEST_F(CDeferredDrawTest, TextureAndStateChangesWithinASceneApplyFromTheNextDraw)
{
    // One scene of strips side by side over the clear colour, each drawn after a change of texture or state; the
    // last strip's depth test never passes.
    SurfacePtr pRed = MakeRawTexture(2, 2, MakeRgbPixelFormat(32), std::vector<DWORD>(4, 0xFF0000));
    SurfacePtr pGreen = MakeRawTexture(2, 2, MakeRgbPixelFormat(32), std::vector<DWORD>(4, 0x00FF00));
    struct SStrip
    {
        const char* szName;
        std::function<void(CDirect3DDevice&)> fnChange;
        DWORD dwExpected;
    };
    const SStrip aStrips[] = {
        {"red texture", [&](CDirect3DDevice& d) { d.SetTexture(0, pRed); }, 0xFF0000},
        {"green texture", [&](CDirect3DDevice& d) { d.SetTexture(0, pGreen); }, 0x00FF00},
        {"diffuse colour", [](CDirect3DDevice& d) { d.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2); },
         QUAD_COLOUR},
        {"added to the frame",
         [](CDirect3DDevice& d)
         {
             d.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
             d.SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
             d.SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
         },
         0xE0C0E0},
        {"depth test never passes", [](CDirect3DDevice& d) { d.SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_NEVER); },
         CLEAR_COLOUR},
    };
    constexpr float STRIP = static_cast<float>(FRAME) / std::size(aStrips);
    for (const int nThreads : {1, 8})
    {
        SCOPED_TRACE(nThreads);
        SetUpTarget(FRAME, FRAME);
        m_pDevice->SetRenderThreads(nThreads);
        m_pDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        ASSERT_EQ(D3D_OK, m_pViewport->Clear2(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, CLEAR_COLOUR, 1.0f, 0));
        ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
        float x = 0;
        for (const SStrip& strip : aStrips)
        {
            strip.fnChange(*m_pDevice);
            const std::vector<D3DTLVERTEX> aQuad = Quad(x, 0, x + STRIP, FRAME, 0xFF000000 | QUAD_COLOUR);
            ASSERT_EQ(D3D_OK, m_pDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, aQuad.data(), 4, 0));
            x += STRIP;
        }
        ASSERT_EQ(D3D_OK, m_pDevice->EndScene());
        for (size_t i = 0; i < std::size(aStrips); ++i)
            EXPECT_EQ(aStrips[i].dwExpected, Pixel(static_cast<int>((static_cast<float>(i) + 0.5f) * STRIP), 100))
                << aStrips[i].szName;
    }
}

namespace
{
/// A lit quad facing the eye at depth 5, half the view wide, its normals towards the eye.
std::vector<D3DVERTEX> LitQuad()
{
    std::vector<D3DVERTEX> a(4);
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        a[i].x = (i & 1) ? 1.0f : -1.0f;
        a[i].y = (i & 2) ? -1.0f : 1.0f;
        a[i].z = 5.0f;
        a[i].nz = -1.0f;
    }
    return a;
}
} // namespace

TEST_F(CDeferredDrawTest, ADrawShowsWhatItWasGivenWhateverChangesBeforeTheSceneEnds)
{
    // Each draw is done only when the scene ends: what the application changes after the call, before that,
    // must not reach it. Each change, made before the draw, would change the frame.
    auto pLight = std::make_shared<CDirect3DLight>();
    auto pMaterial = std::make_shared<CDirect3DMaterial>();
    std::vector<D3DVERTEX> aQuad;
    struct SCase
    {
        const char* szName;
        std::function<void()> fnChange;
    };
    const SCase aCases[] = {
        {"vertices moved", [&] { aQuad[0].x = -3.0f; }},
        {"light recoloured",
         [&]
         {
             D3DLIGHT2 l;
             pLight->GetLight(&l);
             l.dcvColor = D3DCOLORVALUE{0.1f, 0.9f, 0.2f, 1};
             pLight->SetLight(&l);
         }},
        {"light taken away", [&] { m_pViewport->DeleteLight(pLight.get()); }},
        {"material recoloured",
         [&]
         {
             D3DMATERIAL mat;
             pMaterial->GetMaterial(&mat);
             mat.diffuse = D3DCOLORVALUE{0.2f, 0.2f, 1, 1};
             pMaterial->SetMaterial(&mat);
         }},
        {"world moved",
         [&]
         {
             D3DMATRIX m{};
             for (int i = 0; i < 4; ++i)
                 m.m[i][i] = 1;
             m.m[3][0] = 1.5f;
             m_pDevice->SetTransform(D3DTRANSFORMSTATE_WORLD, &m);
         }},
        {"culled the other way", [&] { m_pDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CW); }},
    };
    // The frame of the quad drawn in a scene of its own, after fnBefore and with fnAfter between the call and
    // the scene's end.
    const auto frame = [&](int nThreads, const std::function<void()>& fnBefore, const std::function<void()>& fnAfter)
    {
        SetUpTarget(64, 64);
        m_pDevice->SetRenderThreads(nThreads);
        SetPerspective(0.8f);
        D3DLIGHT2 l;
        l.dwSize = sizeof(l);
        l.dltType = D3DLIGHT_DIRECTIONAL;
        l.dcvColor = D3DCOLORVALUE{0.9f, 0.5f, 0.3f, 1};
        l.dvDirection = D3DVECTOR{0, 0, 1};
        pLight->SetLight(&l);
        m_pViewport->AddLight(pLight);
        D3DMATERIAL mat;
        mat.diffuse = mat.ambient = D3DCOLORVALUE{1, 1, 1, 1};
        pMaterial->SetMaterial(&mat);
        DWORD dwHandle = 0;
        pMaterial->GetHandle(m_pDevice.get(), &dwHandle);
        m_pDevice->SetLightState(D3DLIGHTSTATE_MATERIAL, dwHandle);
        aQuad = LitQuad();
        fnBefore();
        EXPECT_EQ(D3D_OK, m_pDevice->BeginScene());
        EXPECT_EQ(D3D_OK, m_pDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_VERTEX, aQuad.data(), 4, 0));
        fnAfter();
        EXPECT_EQ(D3D_OK, m_pDevice->EndScene());
        std::vector<DWORD> aPixels;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                aPixels.push_back(Pixel(x, y));
        return aPixels;
    };
    const auto nothing = [] {};
    for (const int nThreads : {1, 8})
    {
        const std::vector<DWORD> aPlain = frame(nThreads, nothing, nothing);
        EXPECT_NE(0u, aPlain[32 * 64 + 32]) << "the quad is drawn";
        for (const SCase& c : aCases)
        {
            SCOPED_TRACE(testing::Message() << c.szName << " on " << nThreads << " threads");
            EXPECT_TRUE(frame(nThreads, nothing, c.fnChange) == aPlain);
            EXPECT_FALSE(frame(nThreads, c.fnChange, nothing) == aPlain) << "the change shows when made first";
        }
    }
}

TEST_F(CDeferredDrawTest, AClearBetweenDrawsOfASceneCoversOnlyWhatCameBeforeIt)
{
    // Left and right quads, a clear of the whole frame between them: only the right one is left.
    for (const int nThreads : {1, 8})
    {
        SCOPED_TRACE(nThreads);
        SetUpTarget(FRAME, FRAME);
        m_pDevice->SetRenderThreads(nThreads);
        ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
        const std::vector<D3DTLVERTEX> aLeft = Quad(0, 0, FRAME / 2, FRAME, 0xFF000000 | QUAD_COLOUR);
        const std::vector<D3DTLVERTEX> aRight = Quad(FRAME / 2, 0, FRAME, FRAME, 0xFF000000 | QUAD_COLOUR);
        ASSERT_EQ(D3D_OK, m_pDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, aLeft.data(), 4, 0));
        ASSERT_EQ(D3D_OK, m_pViewport->Clear2(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, CLEAR_COLOUR, 1.0f, 0));
        ASSERT_EQ(D3D_OK, m_pDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, aRight.data(), 4, 0));
        ASSERT_EQ(D3D_OK, m_pDevice->EndScene());
        EXPECT_EQ(CLEAR_COLOUR, Pixel(10, 100));
        EXPECT_EQ(QUAD_COLOUR, Pixel(FRAME - 10, 100));
    }
}

TEST_F(CDeferredDrawTest, ScenesNobodyLooksAtStayQueuedOnlyUntilTheQueueIsLarge)
{
    SetUpTarget(FRAME, FRAME);
    ASSERT_EQ(D3D_OK, m_pViewport->Clear2(0, nullptr, D3DCLEAR_TARGET, CLEAR_COLOUR, 1.0f, 0));
    const std::vector<D3DTLVERTEX> aDot = Quad(10, 100, 12, 102, 0xFF000000 | QUAD_COLOUR);
    const auto scene = [&]
    {
        ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
        ASSERT_EQ(D3D_OK, m_pDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, aDot.data(), 4, 0));
        ASSERT_EQ(D3D_OK, m_pDevice->EndScene());
    };
    scene();
    EXPECT_EQ(CLEAR_COLOUR, StoredPixel(*m_pTarget, 10, 100)) << "an ended scene waits for its surfaces' next use";
    int nScenes = 1;
    for (; nScenes < 100000 && StoredPixel(*m_pTarget, 10, 100) == CLEAR_COLOUR; ++nScenes)
        scene();
    EXPECT_EQ(QUAD_COLOUR, StoredPixel(*m_pTarget, 10, 100));
    EXPECT_LT(nScenes, 100000) << "the queue was drawn once it had grown large";
}
