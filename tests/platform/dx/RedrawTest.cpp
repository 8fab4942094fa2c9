// A device that draws a scene again after a change, small or large, gives the frame a fresh device gives: the
// results it keeps from the frame before never stand in for what changed.
#include "RenderFixture.h"

#include <functional>
#include <vector>

namespace
{
D3DMATRIX Translation(float x, float y, float z)
{
    D3DMATRIX m;
    for (int i = 0; i < 4; ++i)
        m.m[i][i] = 1;
    m.m[3][0] = x;
    m.m[3][1] = y;
    m.m[3][2] = z;
    return m;
}

/// Two lit spheres side by side under a sun and a lamp of short range that reaches part of the left one only.
struct SScene
{
    D3DMATRIX aWorld[2] = {Translation(-1.3f, 0, 0), Translation(1.3f, 0, 0)};
    D3DMATRIX view = Translation(0, 0, 0);
    D3DLIGHT2 sun = MakeLight(D3DLIGHT_DIRECTIONAL, {}, {0.3f, -0.4f, 1});
    D3DLIGHT2 lamp = [] // a candle between them, nearer the left one
    {
        D3DLIGHT2 l = MakeLight(D3DLIGHT_POINT, {-0.1f, 0.3f, 4.2f}, {});
        l.dcvColor = D3DCOLORVALUE{1, 0.55f, 0.25f, 1};
        l.dvRange = 0.6f;
        l.dvAttenuation1 = 0.5f;
        return l;
    }();
    D3DMATERIAL material = []
    {
        D3DMATERIAL m;
        m.diffuse = m.ambient = D3DCOLORVALUE{0.9f, 0.8f, 0.7f, 1};
        m.specular = D3DCOLORVALUE{1, 1, 1, 1};
        m.power = 8;
        return m;
    }();
    DWORD dwAmbient = 0x00202020;
    float fNormalTilt = 0;   // added to the x of one normal of the right sphere
    DWORD dwDrawnBefore = 0; // vertices of a small draw of their own before the spheres (0: none)
};

class CRedrawTest : public CRenderFixture
{
protected:
    CRedrawTest()
    {
        MakeSphere(24, 48, m_aSphere, m_aIndices);
        m_aSmallIndices.assign(m_aIndices.begin(), m_aIndices.begin() + 6 * 48);
    }

    /// The last of the frames, drawn one after another on a fresh device.
    std::vector<DWORD> DrawFrames(const std::vector<const SScene*>& aFrames)
    {
        SetUpTarget(96, 64);
        SetPerspective(0.8f);
        m_pDevice->SetRenderThreads(4);
        m_pDevice->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, TRUE);
        auto pSun = std::make_shared<CDirect3DLight>(), pLamp = std::make_shared<CDirect3DLight>();
        EXPECT_EQ(D3D_OK, m_pViewport->AddLight(pSun));
        EXPECT_EQ(D3D_OK, m_pViewport->AddLight(pLamp));
        auto pMaterial = std::make_shared<CDirect3DMaterial>();
        DWORD dwHandle = 0;
        EXPECT_EQ(D3D_OK, pMaterial->GetHandle(m_pDevice.get(), &dwHandle));
        m_pDevice->SetLightState(D3DLIGHTSTATE_MATERIAL, dwHandle);
        for (const SScene* pScene : aFrames)
        {
            pSun->SetLight(&pScene->sun);
            pLamp->SetLight(&pScene->lamp);
            pMaterial->SetMaterial(&pScene->material);
            DrawScene(*pScene);
        }
        std::vector<DWORD> aPixels;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 96; ++x)
                aPixels.push_back(Pixel(x, y));
        return aPixels;
    }

private:
    void DrawScene(const SScene& scene)
    {
        m_pDevice->SetLightState(D3DLIGHTSTATE_AMBIENT, scene.dwAmbient);
        m_pDevice->SetTransform(D3DTRANSFORMSTATE_VIEW, &scene.view);
        EXPECT_EQ(D3D_OK, m_pViewport->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER));
        EXPECT_EQ(D3D_OK, m_pDevice->BeginScene());
        if (scene.dwDrawnBefore > 0)
            Draw(Translation(-2.2f, 1.2f, 0), {m_aSphere.begin(), m_aSphere.begin() + scene.dwDrawnBefore},
                 m_aSmallIndices);
        std::vector<D3DVERTEX> aRight = m_aSphere;
        aRight[300].nx += scene.fNormalTilt;
        Draw(scene.aWorld[0], m_aSphere, m_aIndices);
        Draw(scene.aWorld[1], aRight, m_aIndices);
        EXPECT_EQ(D3D_OK, m_pDevice->EndScene());
        m_pDevice->Flush(); // as showing the frame does
    }

    void Draw(const D3DMATRIX& world, const std::vector<D3DVERTEX>& aVerts, const std::vector<WORD>& aIndices)
    {
        m_pDevice->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);
        EXPECT_EQ(D3D_OK, m_pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, aVerts.data(),
                                                          static_cast<DWORD>(aVerts.size()), aIndices.data(),
                                                          static_cast<DWORD>(aIndices.size()), 0));
    }

    // Each sphere's vertices are several jobs' worth, so that the lamp reaches some of its jobs and not others.
    std::vector<D3DVERTEX> m_aSphere;
    std::vector<WORD> m_aIndices;
    std::vector<WORD> m_aSmallIndices; // the first ring's triangles only, over the first 98 vertices
};
} // namespace

TEST_F(CRedrawTest, AFrameAfterAChangeIsTheFrameAFreshDeviceDraws)
{
    struct SCase
    {
        const char* szName;
        std::function<void(SScene&)> change;
        std::function<void(SScene&)> setUp = [](SScene&) {}; // of both frames
        bool bShows = true;                                  // the change shows in the frame
    };
    const SCase aCases[] = {
        {"the lamp flickers", [](SScene& s) { s.lamp.dcvColor.g = 0.3f, s.lamp.dvAttenuation0 = 1.2f; }},
        {"the lamp moves to the right one", [](SScene& s) { s.lamp.dvPosition.x = 0.1f; }},
        {"the lamp shines everywhere",
         [](SScene& s) {
             s.lamp.dltType = D3DLIGHT_DIRECTIONAL, s.lamp.dvDirection = {0, 0, 1};
         }},
        {"the lamp reaches further", [](SScene& s) { s.lamp.dvRange = 4; }},
        {"the lamp goes out", [](SScene& s) { s.lamp.dwFlags = 0; }},
        {"the sun turns", [](SScene& s) { s.sun.dvDirection.x = -0.3f; }},
        {"the right sphere moves", [](SScene& s) { s.aWorld[1] = Translation(1.2f, 0.1f, 0); }},
        {"the material changes", [](SScene& s) { s.material.diffuse.b = 0.2f; }},
        {"the ambient light changes", [](SScene& s) { s.dwAmbient = 0x00604020; }},
        {"the eye moves", [](SScene& s) { s.view = Translation(0.05f, 0, 0); }},
        {"a vertex's normal changes", [](SScene& s) { s.fNormalTilt = 0.8f; }},
        {"a draw comes first", [](SScene& s) { s.dwDrawnBefore = 98; }},
        // The spheres' vertices move to other slots while every draw stays as many vertex jobs as it was.
        {"the draw before has more vertices", [](SScene& s) { s.dwDrawnBefore = 120; },
         [](SScene& s) { s.dwDrawnBefore = 98; }, false},
    };
    const SScene base;
    EXPECT_EQ(DrawFrames({&base}), DrawFrames({&base, &base})) << "the same scene twice";
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        SScene before = base;
        c.setUp(before);
        SScene after = before;
        c.change(after);
        const std::vector<DWORD> aBefore = DrawFrames({&before}), aFresh = DrawFrames({&after});
        EXPECT_EQ(c.bShows, aBefore != aFresh) << "whether the change shows";
        EXPECT_EQ(aFresh, DrawFrames({&before, &after}));
        EXPECT_EQ(aBefore, DrawFrames({&after, &before})) << "and back";
    }
}
