// A whole scene loaded from libraries the way the game's set-up builds it: the scene text, the
// room's objects, the table's parts, sixteen balls from the ball template's mesh with their own
// textures, the lamps of [Lights]; drawn from above the table and written as PNG.
#include "fixtures/ImageFixtures.h"

#include "foundation/Matrix.h"
#include "platform/dx/RenderFixture.h"
#include "render/ArtLibraries.h"
#include "render/Light.h"
#include "render/SceneObject.h"
#include "render/SceneReader.h"
#include "render/TextureManager.h"

#include <cmath>
#include <gtest/gtest.h>

namespace
{
constexpr int BALL_TEMPLATE_ID = 0x10;

std::string Quad(float x0, float x1, float y, float z0, float z1, const char* szTexture, float r, float g, float b)
{
    char sz[512];
    // Two triangles, clockwise seen from above (the device culls counter-clockwise faces); normals
    // apply to faces of three corners only.
    std::snprintf(sz, sizeof sz,
                  "xof 0303txt 0032\nMesh { 4; %g;%g;%g;, %g;%g;%g;, %g;%g;%g;, %g;%g;%g;; 2; 3;0,1,2;, 3;0,2,3;;\n"
                  " MeshMaterialList { 1; 2; 0, 0;; Material { %g;%g;%g;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { "
                  "\"%s\"; } } }\n MeshNormals { 1; 0;1;0;; 2; 3;0,0,0;, 3;0,0,0;; }\n"
                  " MeshTextureCoords { 4; 0;0;, 0;1;, 1;1;, 1;0;; } }\n",
                  x0, y, z0, x0, y, z1, x1, y, z1, x1, y, z0, r, g, b, szTexture);
    return sz;
}

/// A ball of radius 1.12 around the origin, both windings.
std::string BallMesh()
{
    const int nRings = 8, nSegments = 12;
    std::string v, f, n;
    int nFaces = 0;
    for (int r = 0; r <= nRings; ++r)
        for (int k = 0; k <= nSegments; ++k)
        {
            const double t = M_PI * r / nRings, p = 2 * M_PI * k / nSegments;
            char sz[128];
            std::snprintf(sz, sizeof sz, "%f;%f;%f;%s", 1.12 * std::sin(t) * std::cos(p), 1.12 * std::cos(t),
                          1.12 * std::sin(t) * std::sin(p), (r == nRings && k == nSegments) ? ";" : ",");
            v += sz;
        }
    for (int r = 0; r < nRings; ++r)
        for (int k = 0; k < nSegments; ++k)
        {
            const int a = r * (nSegments + 1) + k, b = a + nSegments + 1;
            for (const auto& t : {std::array<int, 3>{a, a + 1, b}, std::array<int, 3>{a + 1, b + 1, b},
                                  std::array<int, 3>{a, b, a + 1}, std::array<int, 3>{a + 1, b, b + 1}})
            {
                f += (nFaces++ > 0 ? "," : "") + std::string("3;") + std::to_string(t[0]) + "," + std::to_string(t[1]) +
                     "," + std::to_string(t[2]) + ";";
            }
        }
    return "xof 0303txt 0032\nMesh { " + std::to_string((nRings + 1) * (nSegments + 1)) + "; " + v + " " +
           std::to_string(nFaces) + "; " + f + "; }\n";
}

std::string FlatJpeg(BYTE r, BYTE g, BYTE b)
{
    std::vector<BYTE> samples;
    for (int i = 0; i < 64 * 64; ++i)
        samples.insert(samples.end(), {r, g, b});
    const std::vector<BYTE> bytes = EncodeJpeg(64, 64, 3, samples, 95);
    return std::string(bytes.begin(), bytes.end());
}

std::string FlatBmp(DWORD dwColour)
{
    SBmpDesc desc;
    desc.nWidth = desc.nHeight = 16;
    desc.pixels.assign(256, dwColour);
    const std::vector<BYTE> bytes = EncodeBmp(desc);
    return std::string(bytes.begin(), bytes.end());
}

const char* const SCENE_TEXT = "Version = 3\n"
                               "Bounds = -205 0 -265.5 238 135.67 250\n"
                               "[Lights]\n"
                               "Ambient, 0, 0.3,0.3,0.3, 0,0,0, 0,0,1, 256, 0.3,0.4, 1,0,0;\n"
                               "Down, 2, 0.8,0.8,0.8, 0,155,0, 0,-1,0, 300, 1.2,2.0, 1,0,0;\n"
                               "[Objects]\n"
                               "0x10, Ball, Ball.x, 0,0,0, 0, 5, -1, -1, 0, 0, -1, 1, 1, 120, 0;\n"
                               "0x1, Floor, Floor.x, 0,0,0, 0, 0, -1, -1, 0, 0, -1, 1, 1, 120, 0;\n"
                               "[Table]\n"
                               "0x1000040, Bed, Bed.x, 0,0,0, 0, 1, -1, -1, 0, 0, -1, 1, 1, 120, 0;\n";
} // namespace

TEST_F(CRenderFixture, WholeSceneFromItsLibrariesRendersEveryObjectWithItsTextures)
{
    CArtLibraries libs;
    libs.Add("Imagery.dll", "SET", "3-DVORN.ART", SCENE_TEXT)
        .Add("Imagery.dll", "XFILE", "Bed.x", Quad(-44, 44, 26, -22, 22, "felt", 1, 1, 1))
        .Add("Imagery.dll", "XFILE", "Floor.x", Quad(-200, 200, 0, -200, 200, "floor.bmp", 1, 1, 1))
        .Add("Imagery.dll", "XFILE", "Ball.x", BallMesh())
        .Add("Imagery.dll", "JPG", "felt", FlatJpeg(30, 140, 60))
        .Add("Imagery.dll", "#2", "floor.bmp", FlatBmp(0x604020));
    const DWORD aBallColours[2] = {0xF0F0F0, 0xD02020};
    for (int i = 0; i < 16; ++i)
    {
        char sz[16];
        std::snprintf(sz, sizeof sz, "b_%02d.bmp", i);
        libs.Add("Imagery.dll", "#2", sz, FlatBmp(aBallColours[i == 0 ? 0 : 1]));
    }
    libs.Install();
    SetUpTarget(160, 120);

    // The scene set-up: the text, the lamps, the objects (the ball template makes the balls), the table.
    CSceneReader reader;
    ASSERT_TRUE(reader.Open());
    CStringArray astrLights;
    ASSERT_TRUE(reader.ReadLights(astrLights));
    std::vector<CSceneObjectRec> aObjects, aTable;
    ASSERT_TRUE(reader.ReadObjects(aObjects));
    ASSERT_TRUE(reader.ReadTable(aTable));
    reader.Close();
    CLightSource lights;
    lights.ApplyLines(astrLights, m_pDevice.get());
    std::vector<std::unique_ptr<CSceneObject>> aScene;
    auto Add = [&](std::unique_ptr<CSceneObject> p, const CSceneObjectRec& rec)
    {
        p->ApplyRecord(rec);
        for (BYTE nLamp : rec.m_aLights)
            p->AddLightNumber(nLamp);
        aScene.push_back(std::move(p));
    };
    for (const CSceneObjectRec& rec : aObjects)
        if (rec.m_nId != BALL_TEMPLATE_ID)
        {
            auto p = std::make_unique<CSceneObject>();
            ASSERT_TRUE(p->LoadMesh(rec.m_strFile)) << rec.m_strFile.Str();
            Add(std::move(p), rec);
        }
    for (const CSceneObjectRec& rec : aTable)
    {
        auto p = std::make_unique<CSceneObject>();
        ASSERT_TRUE(p->LoadMesh(rec.m_strFile)) << rec.m_strFile.Str();
        Add(std::move(p), rec);
    }
    const CSceneObjectRec ballRec = CSceneReader::FindObjectRecById(aObjects, BALL_TEMPLATE_ID);
    ASSERT_TRUE(ballRec.m_bValid);
    for (int i = 0; i < 16; ++i)
    {
        auto pBall = std::make_unique<CBallSceneObject>();
        pBall->LoadMesh(1.0f, i, ballRec.m_strFile, 0, false);
        ASSERT_NE(nullptr, pBall->GetFrame());
        pBall->SetImage(nullptr);
        // A rack of fifteen and the cue ball.
        const int nRow = i == 0 ? 0 : (i <= 1 ? 1 : i <= 3 ? 2 : i <= 6 ? 3 : i <= 10 ? 4 : 5);
        const int nFirst = nRow <= 1 ? i : (nRow == 2 ? 2 : nRow == 3 ? 4 : nRow == 4 ? 7 : 11);
        const float fX = i == 0 ? -22.0f : 10.0f + nRow * 1.94f;
        const float fZ = i == 0 ? 0.0f : (static_cast<float>(i - nFirst) - (nRow - 1) / 2.0f) * 2.24f;
        pBall->Move(fX, 26 + 1.12f, fZ);
        Add(std::move(pBall), ballRec);
    }
    ApplyDetailLevel(9, nullptr);

    // Every object has its mesh and every texture a mesh names is found and made.
    ASSERT_EQ(S_OK, RestoreAllTextures(m_pDevice.get()));
    for (const auto& p : aScene)
    {
        ASSERT_NE(nullptr, p->GetFrame());
        const CXFileObject* pMesh = p->GetFrame()->GetFirstMesh();
        ASSERT_NE(nullptr, pMesh);
        for (const SXFileGroup& g : pMesh->Groups())
        {
            SCOPED_TRACE(g.strTexture);
            EXPECT_FALSE(g.strTexture.empty());
            EXPECT_NE(nullptr, GetTextureSurface(g.strTexture.c_str()));
        }
    }
    EXPECT_EQ(18u, aScene.size());

    // Seen from above the head of the table, looking down at its middle.
    D3DMATRIX view, proj;
    MatrixLookAt(view, CVector3(-70, 90, 0), CVector3(70, -64, 0), CVector3(0, 1, 0));
    ASSERT_EQ(S_OK, MatrixPerspective(proj, 0.8f, 160.0f / 120.0f, 6.0f, 750.0f));
    m_pDevice->SetTransform(D3DTRANSFORMSTATE_VIEW, &view);
    m_pDevice->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &proj);
    m_pDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
    int nDrawn = 0;
    for (const auto& p : aScene)
        if (p->IsEnabled())
            nDrawn += p->Render(*m_pDevice, *m_pViewport, false);
    ASSERT_EQ(D3D_OK, m_pDevice->EndScene());
    SaveFrame();
    EXPECT_EQ(18, nDrawn);
    EXPECT_EQ(2u, m_pViewport->GetLights().size() + 1); // "Down" in the viewport; "Ambient" is no light

    // The felt in the middle of the picture is green, a red ball of the rack red.
    const DWORD dwFelt = Pixel(80, 60);
    EXPECT_GT(Green(dwFelt), Red(dwFelt) + 30);
    EXPECT_GT(Green(dwFelt), Blue(dwFelt) + 20);
    int nRedPixels = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x)
        {
            const DWORD c = Pixel(x, y);
            nRedPixels += Red(c) > Green(c) + 60 && Red(c) > Blue(c) + 60 ? 1 : 0;
        }
    EXPECT_GT(nRedPixels, 30);
    CLightTable::DeleteAll();
    DeleteAllTextures();
}
