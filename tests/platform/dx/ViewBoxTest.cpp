// A box of the world is out of view only when nothing in it can reach a pixel of the viewport: a mesh
// filling the box then draws nothing, and a box that reaches into the view is never called out of it.
#include "RenderFixture.h"

#include <array>
#include <vector>

namespace
{
D3DMATRIX Identity()
{
    D3DMATRIX m{};
    for (int i = 0; i < 4; ++i)
        m.m[i][i] = 1;
    return m;
}

/// The twelve triangles of the box's six faces, unlit (drawn white), both windings kept.
void DrawBox(CDirect3DDevice& device, const D3DVECTOR& vMin, const D3DVECTOR& vMax)
{
    std::vector<D3DVERTEX> aCorners(8);
    for (int k = 0; k < 8; ++k)
    {
        aCorners[k].x = (k & 1) != 0 ? vMax.x : vMin.x;
        aCorners[k].y = (k & 2) != 0 ? vMax.y : vMin.y;
        aCorners[k].z = (k & 4) != 0 ? vMax.z : vMin.z;
    }
    const std::array<WORD, 36> aFaces = {0, 1, 3, 0, 3, 2, 4, 5, 7, 4, 7, 6, 0, 1, 5, 0, 5, 4,
                                         2, 3, 7, 2, 7, 6, 0, 2, 6, 0, 6, 4, 1, 3, 7, 1, 7, 5};
    ASSERT_EQ(D3D_OK, device.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, aCorners.data(), 8, aFaces.data(),
                                                  static_cast<DWORD>(aFaces.size()), 0));
}
} // namespace

TEST_F(CRenderFixture, BoxesBeyondOnePlaneOfTheViewAreOutOfItAndTheirMeshesDrawNothing)
{
    // A 90 degree view: at depth 10 the viewport spans x and y from -10 to 10; depths 1 to 100.
    SetPerspective(1.5707964f);
    const D3DMATRIX identity = Identity();
    ASSERT_EQ(D3D_OK, m_pDevice->SetTransform(D3DTRANSFORMSTATE_WORLD, &identity));
    ASSERT_EQ(D3D_OK, m_pDevice->SetTransform(D3DTRANSFORMSTATE_VIEW, &identity));
    m_pDevice->SetRenderState(D3DRENDERSTATE_LIGHTING, FALSE);
    m_pDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    struct SCase
    {
        const char* szName;
        D3DVECTOR vMin, vMax;
        bool bOutside;
    };
    const SCase aCases[] = {
        {"in front, in the middle", {-1, -1, 5}, {1, 1, 6}, false},
        {"behind the eye", {-5, -5, -6}, {5, 5, -2}, true},
        {"between the eye and the near plane", {-1, -1, 0.2f}, {1, 1, 0.9f}, true},
        {"across the near plane", {-1, -1, 0.5f}, {1, 1, 3}, false},
        {"beyond the far plane", {-30, -30, 101}, {30, 30, 130}, true},
        {"across the far plane", {-30, -30, 90}, {30, 30, 130}, false},
        {"left of the view", {-30, -1, 10}, {-12, 1, 11}, true},
        {"right of the view, inside the clipping's wider band", {12, -1, 10}, {15, 1, 11}, true},
        {"above the view", {-1, 12, 10}, {1, 20, 11}, true},
        {"below the view", {-1, -20, 10}, {1, -12, 11}, true},
        {"across the left edge", {-10.5f, -1, 10}, {-9.5f, 1, 10.5f}, false},
        {"left of the view near it, reaching right of it far away", {-3, -1, 1.5f}, {30, 1, 40}, false},
        {"round the eye", {-50, -50, -50}, {50, 50, 50}, false},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        EXPECT_EQ(c.bOutside, m_pDevice->IsBoxOutsideView(c.vMin, c.vMax));
        ASSERT_EQ(D3D_OK, m_pViewport->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER));
        ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
        DrawBox(*m_pDevice, c.vMin, c.vMax);
        ASSERT_EQ(D3D_OK, m_pDevice->EndScene());
        int nLit = 0;
        for (DWORD y = 0; y < m_dwHeight; ++y)
            for (DWORD x = 0; x < m_dwWidth; ++x)
                nLit += Pixel(static_cast<int>(x), static_cast<int>(y)) != 0 ? 1 : 0;
        EXPECT_EQ(c.bOutside, nLit == 0) << nLit << " pixels drawn";
    }
}

TEST_F(CRenderFixture, ABoxIsJudgedInTheWorldTransformAndTheViewportsClipRectangle)
{
    SetPerspective(1.5707964f);
    D3DMATRIX world = Identity();
    ASSERT_EQ(D3D_OK, m_pDevice->SetTransform(D3DTRANSFORMSTATE_VIEW, &world));
    world.m[3][2] = -20; // the world moves the box 20 units towards the eye
    ASSERT_EQ(D3D_OK, m_pDevice->SetTransform(D3DTRANSFORMSTATE_WORLD, &world));
    EXPECT_TRUE(m_pDevice->IsBoxOutsideView({-1, -1, 5}, {1, 1, 6}));
    EXPECT_FALSE(m_pDevice->IsBoxOutsideView({-1, -1, 25}, {1, 1, 26}));
    // A viewport showing only the right half of the clip space: the left half is out of view.
    D3DVIEWPORT2 vp = MakeFullViewport(m_dwWidth, m_dwHeight);
    vp.dvClipX = 0;
    vp.dvClipWidth = 1;
    ASSERT_EQ(D3D_OK, m_pViewport->SetViewport2(&vp));
    EXPECT_TRUE(m_pDevice->IsBoxOutsideView({-5, -1, 25}, {-1, 1, 26}));
    EXPECT_FALSE(m_pDevice->IsBoxOutsideView({1, -1, 25}, {5, 1, 26}));
}
