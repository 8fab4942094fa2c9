// Marks drawn into the racked table's frame at 800 x 600 from the default camera, in the game's
// own art: the pocket arrow over each pocket in view and a burst of stars over the table's
// centre change pixels inside their projected boxes and none outside them.
#include "tests/assets/GameFiles.h"

#include "foundation/LibraryLists.h"
#include "foundation/Matrix.h"
#include "platform/dx/Device.h"
#include "platform/dx/SurfacePng.h"
#include "platform/win32/CrtRandom.h"
#include "render/D3DFramework.h"
#include "render/Environment3D.h"
#include "render/Light.h"
#include "render/ParticleSystem.h"
#include "render/Picking.h"
#include "render/SceneObject.h"
#include "render/SceneRecords.h"
#include "render/SceneSetUp.h"
#include "render/SpriteEffects.h"
#include "render/TableSpace.h"
#include "render/TextureManager.h"
#include "simulation/BallEngine.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace
{
constexpr DWORD WIDTH = 800, HEIGHT = 600;
/// The line the game builds the pocket arrow from.
constexpr const char* POCKET_ARROW_LINE =
    "0x200, PocketArrow,  Arrow.x,   0,0,0, 1, 10,  -1, -1, 0, 0,  -1,   0,    220, 0;";

/// A screen rectangle, grown point by point.
struct SArea
{
    float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
    void Add(float x, float y)
    {
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
    }
    void AddProjected(const CVector3& v, const RECT& rc)
    {
        CVector3 s;
        ProjectToScreenIn(&s, &v, rc);
        Add(s.x, s.y);
    }
    bool Contains(float x, float y, float fMargin) const
    {
        return x >= x0 - fMargin && x <= x1 + fMargin && y >= y0 - fMargin && y <= y1 + fMargin;
    }
};

/// The game's room and table on an 800 x 600 target of 32 bits, seen from the camera's reset orbit.
class RackMarksTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const std::string& strFile : ArtworkLibraries())
            g_astrArtworkLibraries.Add(GamePath(strFile).c_str());
        CCameraObject camera;
        camera.Reset();
        CVector3 vEye(0.0f, SCENE_BED_HEIGHT, 0.0f), vOut;
        OrbitPoint(camera.m_fYaw, camera.m_fPitch, camera.m_fDistance, vEye, vOut);
        MatrixLookAt(g_matView, vEye, CVector3(-vOut.x, -vOut.y, -vOut.z), CVector3(0, 1, 0));
        g_nPanelHeight = 0;
        ASSERT_EQ(S_OK, BuildProjection(g_fFieldOfView, WIDTH, HEIGHT, nullptr));
        m_pTarget = CDirectDrawSurface::Create(WIDTH, HEIGHT, MakeRgbPixelFormat(32),
                                               DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE);
        SurfacePtr pDepth = CDirectDrawSurface::Create(WIDTH, HEIGHT, MakeZBufferPixelFormat(16), DDSCAPS_ZBUFFER);
        ASSERT_EQ(DD_OK, m_pTarget->AddAttachedSurface(pDepth));
        m_pDevice = std::make_unique<CDirect3DDevice>(m_pTarget);
        m_pViewport = std::make_shared<CDirect3DViewport>();
        const D3DVIEWPORT2 vp = MakeFullViewport(WIDTH, HEIGHT);
        m_pViewport->SetViewport2(&vp);
        m_pDevice->AddViewport(m_pViewport);
        m_pDevice->SetCurrentViewport(m_pViewport);
        m_pDevice->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &g_matProjection);
        m_pDevice->SetTransform(D3DTRANSFORMSTATE_VIEW, &g_matView);
        ASSERT_TRUE(BuildSceneObjects(*m_pDevice, m_objects));
        m_root.CreateFrame();
    }
    void TearDown() override
    {
        m_objects.clear();
        CLightTable::DeleteAll();
        DeleteAllTextures();
        g_astrArtworkLibraries.RemoveAll();
    }

    /// The room and table drawn, then the mark; the frame's pixels.
    std::vector<DWORD> Draw(const std::function<void()>& drawMark)
    {
        m_pViewport->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
        m_pDevice->SetRenderState(D3DRENDERSTATE_ZENABLE, TRUE);
        m_pDevice->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
        EXPECT_EQ(D3D_OK, m_pDevice->BeginScene());
        RenderSceneObjects(*m_pDevice, *m_pViewport, m_objects);
        if (drawMark)
            drawMark();
        m_pDevice->EndScene();
        std::vector<DWORD> aPixels(static_cast<std::size_t>(WIDTH) * HEIGHT);
        for (DWORD y = 0; y < HEIGHT; ++y)
            for (DWORD x = 0; x < WIDTH; ++x)
                aPixels[y * WIDTH + x] = m_pTarget->GetPixelXrgb(x, y);
        return aPixels;
    }

    /// Counts the pixels that differ, and those of them outside the area.
    static void CompareInside(const std::vector<DWORD>& a, const std::vector<DWORD>& b, const SArea& area,
                              int& nChanged, int& nOutside)
    {
        nChanged = nOutside = 0;
        for (DWORD y = 0; y < HEIGHT; ++y)
            for (DWORD x = 0; x < WIDTH; ++x)
                if (a[y * WIDTH + x] != b[y * WIDTH + x])
                {
                    ++nChanged;
                    nOutside += area.Contains(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f, 2.0f) ? 0 : 1;
                }
    }

    void SavePng(const char* szName) const
    {
        const std::filesystem::path dir = VORN_TEST_OUTPUT_DIR;
        std::filesystem::create_directories(dir);
        EXPECT_TRUE(SaveSurfaceToPng(*m_pTarget, (dir / szName).string()));
    }

    SurfacePtr m_pTarget;
    std::unique_ptr<CDirect3DDevice> m_pDevice;
    ViewportPtr m_pViewport;
    std::vector<std::unique_ptr<CSceneObject>> m_objects;
    CSceneObject m_root; // the scene's origin, that marks are placed from
    const RECT m_rc = {0, 0, static_cast<LONG>(WIDTH), static_cast<LONG>(HEIGHT)};
};

TEST_F(RackMarksTest, PocketArrowOverEachPocketInViewChangesOnlyItsBox)
{
    CSceneObjectRec rec;
    ASSERT_TRUE(rec.Parse(POCKET_ARROW_LINE));
    CSceneObject arrow;
    ASSERT_TRUE(arrow.LoadMesh(rec.m_strFile.GetString()));
    arrow.ApplyRecord(rec);
    arrow.m_dwLightMask = 0xFFFF; // under the scene's lamps
    arrow.SetEnabled(true);
    RestoreAllTextures(m_pDevice.get());
    const std::vector<DWORD> aTable = Draw(nullptr);

    const CBallEngineMain engine;
    int nInView = 0;
    for (int nPocket = 0; nPocket < 6; ++nPocket)
    {
        SCOPED_TRACE(nPocket);
        // Where the game puts it: one unit above the pocket's cushion point on the table.
        const CVector3 vAt = TableToScene(engine.GetCushionPoint(nPocket));
        arrow.SetPositionRelative(&m_root, vAt.x, vAt.y + 1.0f, vAt.z);
        SBox box;
        ASSERT_TRUE(arrow.GetBox(box));
        SArea area;
        for (int i = 0; i < 8; ++i)
            area.AddProjected(CVector3((i & 1) ? box.vMax.x : box.vMin.x, (i & 2) ? box.vMax.y : box.vMin.y,
                                       (i & 4) ? box.vMax.z : box.vMin.z),
                              m_rc);
        if (area.x1 < 0 || area.x0 >= WIDTH || area.y1 < 0 || area.y0 >= HEIGHT)
            continue;
        ++nInView;
        const std::vector<DWORD> aMarked = Draw([&] { arrow.Render(*m_pDevice, *m_pViewport, false); });
        int nChanged = 0, nOutside = 0;
        CompareInside(aTable, aMarked, area, nChanged, nOutside);
        EXPECT_GT(nChanged, 20) << "the arrow shows";
        EXPECT_EQ(0, nOutside);
        if (nPocket == 0)
            SavePng("PocketArrow.png");
    }
    EXPECT_GE(nInView, 4) << "the default camera sees most pockets";
}

TEST_F(RackMarksTest, StarBurstChangesOnlyThePlaceOfItsParticles)
{
    const auto systems = CreateSpriteEffects(m_pDevice.get(), "", (std::string(VORN_GAME_DIR) + "/").c_str());
    ASSERT_EQ(std::size_t{SPRITE_COUNT}, systems.size());
    CParticleSystem& sparkles = *systems[SPRITE_POCKET]; // the stars, which fly apart
    const std::vector<DWORD> aTable = Draw(nullptr);
    CrtSrand(3);
    // A burst over the table's centre, a fifth of a second old.
    sparkles.MoveTo(0.0f, SCENE_BED_HEIGHT + 6.0f, 0.0f);
    sparkles.MoveTo(0.0f, SCENE_BED_HEIGHT + 6.0f, 0.0f); // still: a burst at one point
    sparkles.Update(1000);
    sparkles.Emit(50, 1000);
    sparkles.Update(1200);
    ASSERT_EQ(50, sparkles.GetLiveCount());
    SArea area;
    for (const SParticle& p : sparkles.Particles())
        if (!p.IsFree())
            for (int i = 0; i < 8; ++i)
                area.AddProjected(CVector3(p.vPosition.x + ((i & 1) ? p.fSize : -p.fSize),
                                           p.vPosition.y + ((i & 2) ? p.fSize : -p.fSize),
                                           p.vPosition.z + ((i & 4) ? p.fSize : -p.fSize)),
                                  m_rc);
    // The burst stays a small patch over the table.
    EXPECT_LT(area.x1 - area.x0, WIDTH / 3.0f);
    EXPECT_LT(area.y1 - area.y0, HEIGHT / 3.0f);
    const std::vector<DWORD> aMarked = Draw([&] { sparkles.Render(*m_pDevice, g_matView); });
    int nChanged = 0, nOutside = 0;
    CompareInside(aTable, aMarked, area, nChanged, nOutside);
    EXPECT_GT(nChanged, 50) << "the stars show";
    EXPECT_EQ(0, nOutside);
    SavePng("StarBurst.png");
}
} // namespace
