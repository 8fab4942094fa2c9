// Image tests of the 3-D device: small scenes rendered headless, checked pixel by pixel against values
// computed from the geometry, with the frames written as PNG beside the test output.
#include "RenderFixture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

namespace
{
D3DLVERTEX Lv(float x, float y, float z, D3DCOLOR color, float u = 0, float v = 0)
{
    D3DLVERTEX l;
    l.x = x;
    l.y = y;
    l.z = z;
    l.color = color;
    l.tu = u;
    l.tv = v;
    return l;
}

struct SPoint2
{
    double x, y;
};

/// Whether p lies strictly inside the convex polygon (either winding).
bool InsideConvex(const std::vector<SPoint2>& poly, SPoint2 p)
{
    int nSign = 0;
    for (size_t i = 0; i < poly.size(); ++i)
    {
        const SPoint2 a = poly[i], b = poly[(i + 1) % poly.size()];
        const double c = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
        const int s = c > 0 ? 1 : (c < 0 ? -1 : 0);
        if (s == 0 || (nSign != 0 && s != nSign))
            return false;
        nSign = s;
    }
    return true;
}
} // namespace

// ---------------------------------------------------------------------------------------------------------------------
// Coverage: shared edges are drawn exactly once
// ---------------------------------------------------------------------------------------------------------------------

class CCoverageTest : public CRenderFixture
{
protected:
    /// Additive blending of one step of blue per triangle: a pixel's blue value counts the triangles covering it.
    void UseCountingState()
    {
        m_pDevice->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
        m_pDevice->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
        m_pDevice->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
        m_pDevice->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_ALWAYS);
        m_pDevice->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, FALSE);
        m_pDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    }
    static constexpr D3DCOLOR STEP = 0x000020;

    /// Every pixel must be covered once inside the outline and never outside it.
    void ExpectCoveredOnce(const std::vector<SPoint2>& outline)
    {
        int nWrong = 0;
        for (int y = 0; y < static_cast<int>(m_dwHeight); ++y)
            for (int x = 0; x < static_cast<int>(m_dwWidth); ++x)
            {
                const int nCount = Blue(Pixel(x, y)) / static_cast<int>(STEP);
                const int nWant = InsideConvex(outline, {x + 0.5, y + 0.5}) ? 1 : 0;
                if (nCount != nWant && ++nWrong <= 5)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") covered " << nCount << " times, want " << nWant;
            }
        EXPECT_EQ(0, nWrong);
    }
};

TEST_F(CCoverageTest, FanAroundACentreCoversEveryPixelOnce)
{
    UseCountingState();
    // A convex 9-gon with a fan of triangles from an off-centre point; nothing lies on a pixel centre.
    std::vector<SPoint2> outline;
    std::vector<D3DTLVERTEX> aVerts{Tl(30.37f, 33.61f, STEP)};
    for (int i = 0; i <= 9; ++i)
    {
        const double a = i * 2 * 3.14159265358979 / 9 + 0.1;
        const SPoint2 p{32.13 + 27.3 * std::cos(a), 31.71 + 25.9 * std::sin(a)};
        if (i < 9)
            outline.push_back(p);
        aVerts.push_back(Tl(static_cast<float>(p.x), static_cast<float>(p.y), STEP));
    }
    std::vector<WORD> aIndices;
    for (WORD i = 1; i <= 9; ++i)
        aIndices.insert(aIndices.end(), {0, i, static_cast<WORD>(i + 1)});
    ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
    ASSERT_EQ(D3D_OK, m_pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX, aVerts.data(),
                                                      static_cast<DWORD>(aVerts.size()), aIndices.data(),
                                                      static_cast<DWORD>(aIndices.size()), 0));
    ASSERT_EQ(D3D_OK, m_pDevice->EndScene());
    SaveFrame();
    ExpectCoveredOnce(outline);
}

TEST_F(CCoverageTest, JitteredGridOfStripsCoversEveryPixelOnce)
{
    UseCountingState();
    // A 6 x 6 grid whose inner vertices are moved off the lattice, some onto exact pixel centres and
    // half-pixel lines, drawn as one triangle strip per row.
    constexpr int N = 6;
    const float fX0 = 2.3f, fY0 = 1.6f, fX1 = 61.7f, fY1 = 60.2f;
    const float aJitter[] = {0.0f, 0.5f, -3.25f, 2.0f, 1.5f, -0.75f, 3.0f};
    std::vector<D3DTLVERTEX> aGrid;
    for (int j = 0; j <= N; ++j)
        for (int i = 0; i <= N; ++i)
        {
            float x = fX0 + (fX1 - fX0) * static_cast<float>(i) / N;
            float y = fY0 + (fY1 - fY0) * static_cast<float>(j) / N;
            if (i > 0 && i < N && j > 0 && j < N)
            {
                x = std::round(x + aJitter[(i + 2 * j) % 7]) + 0.5f * static_cast<float>((i * j) % 2);
                y = std::round(y + aJitter[(3 * i + j) % 7]);
            }
            aGrid.push_back(Tl(x, y, STEP));
        }
    ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
    for (int j = 0; j < N; ++j)
    {
        std::vector<WORD> aStrip;
        for (int i = 0; i <= N; ++i)
            aStrip.insert(aStrip.end(), {static_cast<WORD>(j * (N + 1) + i), static_cast<WORD>((j + 1) * (N + 1) + i)});
        ASSERT_EQ(D3D_OK, m_pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, aGrid.data(),
                                                          static_cast<DWORD>(aGrid.size()), aStrip.data(),
                                                          static_cast<DWORD>(aStrip.size()), 0));
    }
    ASSERT_EQ(D3D_OK, m_pDevice->EndScene());
    SaveFrame();
    ExpectCoveredOnce({{fX0, fY0}, {fX1, fY0}, {fX1, fY1}, {fX0, fY1}});
}

TEST_F(CCoverageTest, TopLeftRuleOnPixelAlignedSquare)
{
    UseCountingState();
    // Edges exactly through pixel centres: the left and top ones take those pixels, the right and bottom
    // ones do not, so the square 10.5..20.5 covers columns and rows 10..19.
    const D3DTLVERTEX aQuad[] = {Tl(10.5f, 10.5f, STEP), Tl(20.5f, 10.5f, STEP), Tl(10.5f, 20.5f, STEP),
                                 Tl(20.5f, 20.5f, STEP)};
    ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
    ASSERT_EQ(D3D_OK, m_pDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, aQuad, 4, 0));
    ASSERT_EQ(D3D_OK, m_pDevice->EndScene());
    for (int y = 8; y < 23; ++y)
        for (int x = 8; x < 23; ++x)
        {
            const int nWant = (x >= 10 && x < 20 && y >= 10 && y < 20) ? 1 : 0;
            ASSERT_EQ(nWant, Blue(Pixel(x, y)) / static_cast<int>(STEP)) << x << ", " << y;
        }
}

// ---------------------------------------------------------------------------------------------------------------------
// Depth: crossing triangles
// ---------------------------------------------------------------------------------------------------------------------

TEST_F(CRenderFixture, CrossingQuadsShowTheNearerOneAtEveryPixel)
{
    SetUpTarget(96, 64);
    SetPerspective(1.2f);
    // Quad A lies in z = 10 + x / 2 (red), quad B in z = 10 - x / 2 (green): A is nearer left of x = 0.
    const float fHalfW = 4, fHalfH = 3;
    const auto quad = [&](float fSlope, D3DCOLOR c)
    {
        // Clockwise as seen from the eye: up the left side, then across.
        return std::array<D3DLVERTEX, 4>{
            Lv(-fHalfW, -fHalfH, 10 - fSlope * fHalfW, c), Lv(-fHalfW, fHalfH, 10 - fSlope * fHalfW, c),
            Lv(fHalfW, fHalfH, 10 + fSlope * fHalfW, c), Lv(fHalfW, -fHalfH, 10 + fSlope * fHalfW, c)};
    };
    const auto a = quad(0.5f, 0xFFFF0000), b = quad(-0.5f, 0xFF00FF00);
    const WORD aIdx[] = {0, 1, 2, 0, 2, 3};
    ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
    ASSERT_EQ(D3D_OK, m_pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, a.data(), 4, aIdx, 6, 0));
    ASSERT_EQ(D3D_OK, m_pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, b.data(), 4, aIdx, 6, 0));
    ASSERT_EQ(D3D_OK, m_pDevice->EndScene());
    SaveFrame();

    int nChecked = 0;
    for (int y = 0; y < static_cast<int>(m_dwHeight); ++y)
        for (int x = 0; x < static_cast<int>(m_dwWidth); ++x)
        {
            const D3DVECTOR r = RayThroughPixel(x, y);
            // Distances along the ray to each plane: t = 10 / (1 -+ r.x / 2).
            const float tA = 10 / (1 - 0.5f * r.x), tB = 10 / (1 + 0.5f * r.x);
            const float t = std::min(tA, tB);
            const bool bInside =
                std::fabs(r.x * std::max(tA, tB)) < fHalfW - 0.1f && std::fabs(r.y * std::max(tA, tB)) < fHalfH - 0.1f;
            if (!bInside || std::fabs(tA - tB) < 0.05f * t)
                continue;
            ++nChecked;
            ASSERT_EQ(tA < tB ? 0xFF0000u : 0x00FF00u, Pixel(x, y)) << "pixel " << x << ", " << y;
        }
    EXPECT_GT(nChecked, 500);
}

// ---------------------------------------------------------------------------------------------------------------------
// Texturing
// ---------------------------------------------------------------------------------------------------------------------

namespace
{
SurfacePtr MakeTexture(DWORD w, DWORD h, const std::vector<DWORD>& aTexels)
{
    SurfacePtr p = CDirectDrawSurface::Create(w, h, MakeRgbPixelFormat(32), DDSCAPS_TEXTURE);
    DDSURFACEDESC2 desc;
    EXPECT_EQ(DD_OK, p->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr));
    for (DWORD y = 0; y < h; ++y)
        std::copy_n(aTexels.data() + y * w, w,
                    reinterpret_cast<DWORD*>(static_cast<BYTE*>(desc.lpSurface) + y * desc.lPitch));
    EXPECT_EQ(DD_OK, p->Unlock(nullptr));
    return p;
}
} // namespace

TEST_F(CRenderFixture, CheckeredFloorUnderPerspectiveMatchesRayCasting)
{
    SetUpTarget(128, 96);
    SetPerspective(1.2f);
    // Floor y = -1 from z = 2 to 40, x = -8..8, one 2 x 2 checker texture per 2 x 2 units: one check per unit.
    m_pDevice->SetTexture(0, MakeTexture(2, 2, {0xFFFFFF, 0x000000, 0x000000, 0xFFFFFF}));
    const float fZ0 = 2, fZ1 = 40, fX = 8;
    const D3DLVERTEX aFloor[] = {Lv(-fX, -1, fZ0, 0xFFFFFFFF, 0, 0), Lv(-fX, -1, fZ1, 0xFFFFFFFF, 0, (fZ1 - fZ0) / 2),
                                 Lv(fX, -1, fZ0, 0xFFFFFFFF, fX, 0), Lv(fX, -1, fZ1, 0xFFFFFFFF, fX, (fZ1 - fZ0) / 2)};
    ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
    ASSERT_EQ(D3D_OK, m_pDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_LVERTEX, aFloor, 4, 0));
    ASSERT_EQ(D3D_OK, m_pDevice->EndScene());
    SaveFrame();

    int nChecked = 0;
    for (int y = 0; y < static_cast<int>(m_dwHeight); ++y)
        for (int x = 0; x < static_cast<int>(m_dwWidth); ++x)
        {
            const D3DVECTOR r = RayThroughPixel(x, y);
            if (r.y >= 0)
            {
                ASSERT_EQ(0u, Pixel(x, y)) << "above the horizon " << x << ", " << y;
                continue;
            }
            const double t = -1.0 / r.y, wx = r.x * t + fX, wz = t - fZ0;
            const double fx = wx - std::floor(wx), fz = wz - std::floor(wz);
            // Leave out pixels within a tenth of a check of a border and the floor's outline.
            if (t > fZ1 - 1 || wz < 0.5 || wx < 0.5 || wx > 2 * fX - 0.5 || fx < 0.1 || fx > 0.9 || fz < 0.1 ||
                fz > 0.9)
                continue;
            const bool bWhite = (static_cast<long>(std::floor(wx)) + static_cast<long>(std::floor(wz))) % 2 == 0;
            ++nChecked;
            ASSERT_EQ(bWhite ? 0xFFFFFFu : 0u, Pixel(x, y)) << "pixel " << x << ", " << y << " at depth " << t;
        }
    EXPECT_GT(nChecked, 2000);
}

TEST_F(CRenderFixture, BilinearFilterBlendsNeighbouringTexels)
{
    // A 2 x 2 texture stretched over 64 x 64 pixels: texel centres land at pixels 16 and 48, halfway between
    // them the four texels mix equally, and the diffuse colour modulates the result.
    m_pDevice->SetTexture(0, MakeTexture(2, 2, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF}));
    m_pDevice->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
    m_pDevice->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTFG_LINEAR);
    const D3DCOLOR dwDiffuse = 0xFFFF80FF; // green halved
    const D3DTLVERTEX aQuad[] = {Tl(0, 0, dwDiffuse, 0.5f, 0, 0), Tl(64, 0, dwDiffuse, 0.5f, 1, 0),
                                 Tl(0, 64, dwDiffuse, 0.5f, 0, 1), Tl(64, 64, dwDiffuse, 0.5f, 1, 1)};
    ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
    ASSERT_EQ(D3D_OK, m_pDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, aQuad, 4, 0));
    ASSERT_EQ(D3D_OK, m_pDevice->EndScene());
    SaveFrame();
    struct SCase
    {
        const char* szName;
        int x, y;
        int r, g, b;
    };
    // Pixel x samples texel coordinate (x + 0.5) / 32 - 0.5, wrapping: pixel 16 is 1/64 past texel 0's centre.
    const SCase aCases[] = {
        {"next to the black texel's centre", 16, 16, 4, 2, 0},  {"next to the red texel's centre", 48, 15, 247, 0, 4},
        {"next to the blue texel's centre", 48, 48, 4, 0, 247}, {"middle: about a quarter of each", 31, 31, 64, 32, 60},
        {"halfway red to blue", 48, 31, 129, 1, 121},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        const DWORD p = Pixel(c.x, c.y);
        ExpectRgbNear(c.r, c.g, c.b, p, 5);
    }
}

// ---------------------------------------------------------------------------------------------------------------------
// Lighting
// ---------------------------------------------------------------------------------------------------------------------

TEST_F(CRenderFixture, LitSphereUnderEachLightType)
{
    struct SCase
    {
        const char* szName;
        D3DLIGHT2 light;
        DWORD dwAmbient;
        float fSpecularPower; // 0: no specular
        int r, g, b;          // expected at the pole, which faces the eye from (0, 0, 4)
    };
    D3DLIGHT2 near = MakeLight(D3DLIGHT_POINT, {0, 0, 2}, {});
    near.dvAttenuation1 = 0.5f; // distance 2: 1 / (1 + 0.5 * 2) = 1 / 2
    D3DLIGHT2 outOfRange = near;
    outOfRange.dvRange = 1.5f;
    D3DLIGHT2 zeroAtten = MakeLight(D3DLIGHT_POINT, {0, 0, 2}, {});
    zeroAtten.dvAttenuation0 = 0; // all-zero attenuation lights fully instead of dividing by zero
    zeroAtten.dvRange = 0;        // and a range of 0 reaches everywhere
    const SCase aCases[] = {
        {"directional", MakeLight(D3DLIGHT_DIRECTIONAL, {}, {0, 0, 1}), 0, 0, 204, 153, 102},
        {"directional with specular", MakeLight(D3DLIGHT_DIRECTIONAL, {}, {0, 0, 1}), 0, 10, 255, 255, 204},
        {"point, attenuated by half", near, 0, 0, 102, 77, 51},
        {"point out of range", outOfRange, 0, 0, 0, 0, 0},
        {"point with zero attenuation", zeroAtten, 0, 0, 204, 153, 102},
        {"spot, pole inside the cone", MakeLight(D3DLIGHT_SPOT, {0, 0, 2}, {0, 0, 1}), 0, 0, 204, 153, 102},
        {"spot pointing away", MakeLight(D3DLIGHT_SPOT, {0, 0, 2}, {1, 0, 0}), 0, 0, 0, 0, 0},
        {"parallel point", MakeLight(D3DLIGHT_PARALLELPOINT, {0, 0, -10}, {}), 0, 0, 204, 153, 102},
        {"ambient only", MakeLight(D3DLIGHT_DIRECTIONAL, {}, {0, 0, -1}), 0x00402010, 0, 64, 32, 16},
    };
    std::vector<D3DVERTEX> aVerts;
    std::vector<WORD> aIdx;
    MakeSphere(24, 48, aVerts, aIdx);
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        SetUpTarget(64, 64);
        SetPerspective(0.6f);
        auto pLight = std::make_shared<CDirect3DLight>();
        pLight->SetLight(&c.light);
        ASSERT_EQ(D3D_OK, m_pViewport->AddLight(pLight));
        auto pMaterial = std::make_shared<CDirect3DMaterial>();
        D3DMATERIAL mat;
        mat.diffuse = mat.ambient = D3DCOLORVALUE{1, 1, 1, 1};
        mat.specular = D3DCOLORVALUE{1, 1, 1, 1};
        mat.power = c.fSpecularPower;
        pMaterial->SetMaterial(&mat);
        DWORD dwHandle = 0;
        ASSERT_EQ(D3D_OK, pMaterial->GetHandle(m_pDevice.get(), &dwHandle));
        m_pDevice->SetLightState(D3DLIGHTSTATE_MATERIAL, dwHandle);
        m_pDevice->SetLightState(D3DLIGHTSTATE_AMBIENT, c.dwAmbient);
        m_pDevice->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, c.fSpecularPower > 0);
        ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
        ASSERT_EQ(D3D_OK, m_pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, aVerts.data(),
                                                          static_cast<DWORD>(aVerts.size()), aIdx.data(),
                                                          static_cast<DWORD>(aIdx.size()), 0));
        ASSERT_EQ(D3D_OK, m_pDevice->EndScene());
        SaveFrame(std::string("_") + c.szName);
        const DWORD p = Pixel(32, 32);
        // The pixel centre is half a pixel off the pole, and specular light falls off fast around it.
        ExpectRgbNear(c.r, c.g, c.b, p, 5);
        EXPECT_EQ(0u, Pixel(1, 1)) << "outside the sphere";
    }
}

TEST_F(CRenderFixture, DirectionalLightFollowsTheCosineAcrossTheSphere)
{
    SetPerspective(0.6f);
    // Light from the upper left front: every pixel's colour is 255 * max(0, N.L) for the sphere's true normal,
    // up to the faceting of the mesh and Gouraud interpolation.
    const D3DVECTOR dir{0.5f, -0.5f, 0.7071f};
    D3DLIGHT2 l = MakeLight(D3DLIGHT_DIRECTIONAL, {}, dir);
    l.dcvColor = D3DCOLORVALUE{1, 1, 1, 1};
    auto pLight = std::make_shared<CDirect3DLight>();
    pLight->SetLight(&l);
    m_pViewport->AddLight(pLight);
    std::vector<D3DVERTEX> aVerts;
    std::vector<WORD> aIdx;
    MakeSphere(32, 64, aVerts, aIdx);
    ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
    ASSERT_EQ(D3D_OK, m_pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, aVerts.data(),
                                                      static_cast<DWORD>(aVerts.size()), aIdx.data(),
                                                      static_cast<DWORD>(aIdx.size()), 0));
    ASSERT_EQ(D3D_OK, m_pDevice->EndScene());
    SaveFrame();
    int nChecked = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
        {
            // Ray-sphere intersection: |t r - c|^2 = 1 with c = (0, 0, 5).
            const D3DVECTOR r = RayThroughPixel(x, y);
            const double rr = r.x * r.x + r.y * r.y + r.z * r.z, rc = 5.0 * r.z;
            const double disc = rc * rc - rr * 24.0;
            if (disc < 0.1) // skip the silhouette, where facets and pixels disagree most
                continue;
            const double t = (rc - std::sqrt(disc)) / rr;
            const double nx = t * r.x, ny = t * r.y, nz = t * r.z - 5;
            const double len = std::sqrt(dir.x * dir.x + dir.y * dir.y + dir.z * dir.z);
            const double nl = -(nx * dir.x + ny * dir.y + nz * dir.z) / len;
            const int want = static_cast<int>(std::lround(255 * std::max(0.0, nl)));
            ++nChecked;
            ASSERT_NEAR(want, Red(Pixel(x, y)), 8) << "pixel " << x << ", " << y;
        }
    EXPECT_GT(nChecked, 300);
}

TEST_F(CRenderFixture, LitVertexGetsTheSameColourWhereverItStandsInTheDraw)
{
    // Vertices are lit several at a time. The same sphere under a spot light with a soft edge, a point light and
    // highlights, drawn after 0 to 3 vertices it does not use (one at the spot light, one without a normal, one
    // far away), must give the same frame to the bit.
    SetPerspective(0.6f);
    D3DLIGHT2 spot = MakeLight(D3DLIGHT_SPOT, {0.3f, 0.2f, 2}, {0, 0, 1});
    spot.dvFalloff = 2;
    D3DLIGHT2 point = MakeLight(D3DLIGHT_POINT, {-1, 1, 3}, {});
    point.dvAttenuation1 = 0.2f;
    for (const D3DLIGHT2& l : {spot, point})
    {
        auto pLight = std::make_shared<CDirect3DLight>();
        pLight->SetLight(&l);
        ASSERT_EQ(D3D_OK, m_pViewport->AddLight(pLight));
    }
    auto pMaterial = std::make_shared<CDirect3DMaterial>();
    D3DMATERIAL mat;
    mat.diffuse = mat.ambient = mat.specular = D3DCOLORVALUE{1, 1, 1, 1};
    mat.power = 6;
    pMaterial->SetMaterial(&mat);
    DWORD dwHandle = 0;
    ASSERT_EQ(D3D_OK, pMaterial->GetHandle(m_pDevice.get(), &dwHandle));
    m_pDevice->SetLightState(D3DLIGHTSTATE_MATERIAL, dwHandle);
    m_pDevice->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, TRUE);
    std::vector<D3DVERTEX> aSphere;
    std::vector<WORD> aSphereIdx;
    MakeSphere(9, 17, aSphere, aSphereIdx);
    D3DVERTEX aUnused[3];
    aUnused[0].x = 0.3f, aUnused[0].y = 0.2f, aUnused[0].z = 2, aUnused[0].nz = -1;
    aUnused[1].z = 5;
    aUnused[2].x = aUnused[2].y = aUnused[2].z = 1e6f, aUnused[2].nx = 1;
    std::vector<DWORD> aFirst;
    for (WORD nBefore = 0; nBefore <= 3; ++nBefore)
    {
        SCOPED_TRACE(nBefore);
        std::vector<D3DVERTEX> aVerts(aUnused, aUnused + nBefore);
        aVerts.insert(aVerts.end(), aSphere.begin(), aSphere.end());
        std::vector<WORD> aIdx;
        for (const WORD i : aSphereIdx)
            aIdx.push_back(static_cast<WORD>(i + nBefore));
        ASSERT_EQ(D3D_OK, m_pViewport->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER));
        ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
        ASSERT_EQ(D3D_OK, m_pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, aVerts.data(),
                                                          static_cast<DWORD>(aVerts.size()), aIdx.data(),
                                                          static_cast<DWORD>(aIdx.size()), 0));
        ASSERT_EQ(D3D_OK, m_pDevice->EndScene());
        std::vector<DWORD> aFrame;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                aFrame.push_back(Pixel(x, y));
        if (nBefore == 0)
            aFirst = aFrame;
        else
            EXPECT_TRUE(aFrame == aFirst);
    }
    EXPECT_NE(aFirst.front(), aFirst[32 * 64 + 32]) << "the sphere is drawn";
}

// ---------------------------------------------------------------------------------------------------------------------
// Blending and target formats
// ---------------------------------------------------------------------------------------------------------------------

TEST_F(CRenderFixture, BlendedQuadCombinesWithTheFrame)
{
    struct SCase
    {
        const char* szName;
        BOOL bBlend;
        D3DBLEND eSrc, eDest;
        DWORD dwAlpha; // the quad's
        int r, g, b;
    };
    // Frame (100, 150, 200), quad (40, 80, 120).
    const SCase aCases[] = {
        {"blending off", FALSE, D3DBLEND_ONE, D3DBLEND_ONE, 0xFF, 40, 80, 120},
        {"one, one: sum, saturated", TRUE, D3DBLEND_ONE, D3DBLEND_ONE, 0xFF, 140, 230, 255},
        {"one, one: the quad's alpha plays no part", TRUE, D3DBLEND_ONE, D3DBLEND_ONE, 0x40, 140, 230, 255},
        {"zero, source colour: product", TRUE, D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, 0xFF, 16, 47, 94},
        {"one, source colour", TRUE, D3DBLEND_ONE, D3DBLEND_SRCCOLOR, 0xFF, 56, 127, 214},
        {"one, zero: plain copy", TRUE, D3DBLEND_ONE, D3DBLEND_ZERO, 0xFF, 40, 80, 120},
        {"source alpha, one: the sum weighed by half", TRUE, D3DBLEND_SRCALPHA, D3DBLEND_ONE, 0x80, 120, 190, 255},
        {"source alpha, zero: a quarter of the quad", TRUE, D3DBLEND_SRCALPHA, D3DBLEND_ZERO, 0x40, 10, 20, 30},
        {"source alpha, one: opaque adds all", TRUE, D3DBLEND_SRCALPHA, D3DBLEND_ONE, 0xFF, 140, 230, 255},
        {"source alpha, one: clear adds nothing", TRUE, D3DBLEND_SRCALPHA, D3DBLEND_ONE, 0x00, 100, 150, 200},
        {"zero, source alpha: the frame dimmed", TRUE, D3DBLEND_ZERO, D3DBLEND_SRCALPHA, 0x80, 50, 75, 100},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        SetUpTarget(16, 16);
        m_pViewport->Clear2(0, nullptr, D3DCLEAR_TARGET, 0x6496C8, 1, 0);
        m_pDevice->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, c.bBlend);
        m_pDevice->SetRenderState(D3DRENDERSTATE_SRCBLEND, c.eSrc);
        m_pDevice->SetRenderState(D3DRENDERSTATE_DESTBLEND, c.eDest);
        const D3DCOLOR q = c.dwAlpha << 24 | 0x285078;
        const D3DTLVERTEX aQuad[] = {Tl(2, 2, q), Tl(14, 2, q), Tl(2, 14, q), Tl(14, 14, q)};
        ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
        ASSERT_EQ(D3D_OK, m_pDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, aQuad, 4, 0));
        ASSERT_EQ(D3D_OK, m_pDevice->EndScene());
        const DWORD p = Pixel(8, 8);
        ExpectRgbNear(c.r, c.g, c.b, p, 1);
        EXPECT_EQ(0x6496C8u, Pixel(0, 0)) << "outside the quad the frame stays";
    }
}

TEST_F(CRenderFixture, AlphaWeighedSpriteAddsByItsTexelsAlphaTimesItsOwn)
{
    // A sprite's texture: white, its shape only in alpha (opaque middle, clear rim), as the particles'
    // pictures hold it; the quad's own alpha halves it. Added to the frame by source alpha, each texel
    // adds white times its alpha times a half, and the rim adds nothing: no square shows. A texture
    // whose format has no alpha adds as opaque, whatever its texels' top bytes hold.
    struct SCase
    {
        const char* szName;
        DDPIXELFORMAT ddpf;
        DWORD dwTargetBits;
        DWORD dwRim, dwMiddle; // raw texels
        int nRim, nMiddle;     // what each adds to the frame's channels
    };
    const SCase aCases[] = {
        {"ARGB 8888 on 32 bits", MakeArgbPixelFormat(), 32, 0x00FFFFFF, 0xFFFFFFFF, 0, 128},
        {"ARGB 8888, half alpha", MakeArgbPixelFormat(), 32, 0x00FFFFFF, 0x80FFFFFF, 0, 64},
        {"ARGB 4444 on 16 bits", MakePixelFormat(16, 0x0F00, 0x00F0, 0x000F, 0xF000), 16, 0x0FFF, 0xFFFF, 0, 128},
        {"XRGB 8888: opaque everywhere", MakeRgbPixelFormat(32), 32, 0x00FFFFFF, 0x00FFFFFF, 128, 128},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        SetUpTarget(16, 16, c.dwTargetBits);
        m_pViewport->Clear2(0, nullptr, D3DCLEAR_TARGET, 0x204060, 1, 0);
        const DWORD dwFrame = Pixel(0, 0); // as the target's format holds it
        // 4 x 4 texels over 16 x 16 pixels, each texel 4 pixels a side: the rim texels cover the outer ring.
        std::vector<DWORD> aTexels(16, c.dwRim);
        for (const int i : {5, 6, 9, 10})
            aTexels[static_cast<std::size_t>(i)] = c.dwMiddle;
        SurfacePtr pTexture = MakeRawTexture(4, 4, c.ddpf, aTexels);
        ASSERT_NE(nullptr, pTexture);
        m_pDevice->SetTexture(0, pTexture);
        m_pDevice->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
        m_pDevice->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
        m_pDevice->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
        const D3DCOLOR q = 0x80FFFFFF;
        const D3DTLVERTEX aQuad[] = {Tl(0, 0, q, 0.5f, 0, 0), Tl(16, 0, q, 0.5f, 1, 0), Tl(0, 16, q, 0.5f, 0, 1),
                                     Tl(16, 16, q, 0.5f, 1, 1)};
        DrawStrip(aQuad, 4);
        for (const auto& [x, y, n] :
             {std::tuple{0, 0, c.nRim}, std::tuple{15, 0, c.nRim}, std::tuple{0, 9, c.nRim}, std::tuple{15, 15, c.nRim},
              std::tuple{7, 7, c.nMiddle}, std::tuple{8, 4, c.nMiddle}})
        {
            SCOPED_TRACE(std::to_string(x) + ", " + std::to_string(y));
            // 5-6-5 keeps a channel within 7 of its value.
            ExpectRgbNear(Red(dwFrame) + n, Green(dwFrame) + n, Blue(dwFrame) + n, Pixel(x, y),
                          c.dwTargetBits == 16 ? 7 : 1);
        }
    }
}

TEST_F(CRenderFixture, SixteenBitTargetHoldsFiveSixFiveColours)
{
    SetUpTarget(16, 16, 16);
    const D3DTLVERTEX aQuad[] = {Tl(0, 0, 0xFFFF8000), Tl(16, 0, 0xFFFF8000), Tl(0, 16, 0xFFFF8000),
                                 Tl(16, 16, 0xFFFF8000)};
    ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
    ASSERT_EQ(D3D_OK, m_pDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, aQuad, 4, 0));
    ASSERT_EQ(D3D_OK, m_pDevice->EndScene());
    WORD w = 0;
    std::memcpy(&w, m_pTarget->GetBits() + 5 * m_pTarget->GetPitch() + 5 * 2, 2);
    EXPECT_EQ(0xFC00, w); // red 31, green 32 of 63, blue 0
    EXPECT_EQ(0xFF8200u, Pixel(5, 5));
}

// ---------------------------------------------------------------------------------------------------------------------
// Clipping and culling
// ---------------------------------------------------------------------------------------------------------------------

TEST_F(CRenderFixture, TriangleCrossingTheNearPlaneIsClippedNotWrapped)
{
    SetUpTarget(96, 64);
    SetPerspective(1.2f);
    m_pDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    // A floor triangle (y = -1) with one corner behind the eye: without clipping its projection would wrap.
    const SPoint2 a{0, -4}, b{-3, 8}, c{3, 8}; // (x, z)
    const D3DLVERTEX aTri[] = {Lv(static_cast<float>(a.x), -1, static_cast<float>(a.y), 0xFFFFFFFF),
                               Lv(static_cast<float>(b.x), -1, static_cast<float>(b.y), 0xFFFFFFFF),
                               Lv(static_cast<float>(c.x), -1, static_cast<float>(c.y), 0xFFFFFFFF)};
    ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
    ASSERT_EQ(D3D_OK, m_pDevice->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, aTri, 3, 0));
    ASSERT_EQ(D3D_OK, m_pDevice->EndScene());
    SaveFrame();

    // Cast each pixel's ray onto the floor; it is drawn where the hit lies in the triangle and beyond the near
    // plane. Pixels whose hit is within a hair of an edge or of the near plane may go either way.
    int nDrawn = 0, nWrong = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 96; ++x)
        {
            const D3DVECTOR r = RayThroughPixel(x, y);
            bool bWant = false, bEdge = false;
            if (r.y < 0)
            {
                const double t = -1.0 / r.y;
                const SPoint2 p{r.x * t, t};
                bWant = t >= NEAR_Z && InsideConvex({a, b, c}, p);
                const SPoint2 q{p.x + 0.02 * t, p.y}, s{p.x - 0.02 * t, p.y};
                bEdge = std::fabs(t - NEAR_Z) < 0.02 || InsideConvex({a, b, c}, q) != InsideConvex({a, b, c}, s);
            }
            const bool bDrawn = Pixel(x, y) != 0;
            nDrawn += bDrawn ? 1 : 0;
            if (bDrawn != bWant && !bEdge)
                ++nWrong;
        }
    EXPECT_EQ(0, nWrong);
    EXPECT_GT(nDrawn, 500);
}

TEST_F(CRenderFixture, CullingDropsCounterClockwiseFacesOnly)
{
    struct SCase
    {
        const char* szName;
        D3DCULL eCull;
        bool bClockwiseShown, bCounterShown;
    };
    const SCase aCases[] = {
        {"default: cull counter-clockwise", D3DCULL_CCW, true, false},
        {"cull clockwise", D3DCULL_CW, false, true},
        {"no culling", D3DCULL_NONE, true, true},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        SetUpTarget(32, 16);
        if (c.eCull != D3DCULL_CCW)
            m_pDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, c.eCull);
        // Left triangle clockwise on screen (y down), right one counter-clockwise.
        const D3DTLVERTEX aTris[] = {Tl(1, 1, 0xFFFFFFFF),  Tl(15, 1, 0xFFFFFFFF),  Tl(1, 15, 0xFFFFFFFF),
                                     Tl(17, 1, 0xFFFFFFFF), Tl(17, 15, 0xFFFFFFFF), Tl(31, 1, 0xFFFFFFFF)};
        ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
        ASSERT_EQ(D3D_OK, m_pDevice->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX, aTris, 6, 0));
        ASSERT_EQ(D3D_OK, m_pDevice->EndScene());
        EXPECT_EQ(c.bClockwiseShown, Pixel(4, 4) != 0);
        EXPECT_EQ(c.bCounterShown, Pixel(20, 4) != 0);
    }
}

TEST_F(CRenderFixture, DrawCallsRefuseBadInput)
{
    const D3DTLVERTEX aTri[] = {Tl(1, 1, 0xFFFFFFFF), Tl(15, 1, 0xFFFFFFFF), Tl(1, 15, 0xFFFFFFFF)};
    const WORD aBadIndex[] = {0, 1, 3};
    EXPECT_EQ(D3DERR_SCENE_NOT_IN_SCENE, m_pDevice->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX, aTri, 3, 0));
    ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
    EXPECT_EQ(D3DERR_SCENE_IN_SCENE, m_pDevice->BeginScene());
    EXPECT_EQ(D3DERR_INVALIDVERTEXTYPE, m_pDevice->DrawPrimitive(D3DPT_TRIANGLELIST, 0x3, aTri, 3, 0));
    EXPECT_EQ(D3DERR_INVALIDPRIMITIVETYPE,
              m_pDevice->DrawPrimitive(static_cast<D3DPRIMITIVETYPE>(2), D3DFVF_TLVERTEX, aTri, 3, 0));
    EXPECT_EQ(DDERR_INVALIDPARAMS,
              m_pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX, aTri, 3, aBadIndex, 3, 0));
    EXPECT_EQ(D3D_OK, m_pDevice->EndScene());
    EXPECT_EQ(0u, Pixel(4, 4)) << "nothing drawn by refused calls";
}
