#include "render/XFile.h"

#include "tests/platform/dx/XFileBinaryWriter.h"

#include "platform/dx/RenderFixture.h"
#include "platform/dx/XFileText.h"
#include "render/ArtLibraries.h"

#include <cmath>
#include <gtest/gtest.h>

namespace
{
std::unique_ptr<CXFileFrame> Build(const std::string& strBody, std::string& strError)
{
    SXFrame file;
    if (!ParseXFileText("xof 0303txt 0032\n" + strBody, file, strError))
        return nullptr;
    return BuildXFileTree(file, strError);
}

CXFileObject* FirstMesh(const std::unique_ptr<CXFileFrame>& pRoot) { return pRoot ? pRoot->GetFirstMesh() : nullptr; }

const char* const PENTAGON = "Mesh { 5; 0;0;0;, 1;0;0;, 2;1;0;, 1;2;0;, 0;1;0;; 1; 5;0,1,2,3,4;; }";
} // namespace

TEST(XFileTest, PolygonFacesAreFannedAroundTheirFirstCorner)
{
    std::string strError;
    auto pRoot = Build(PENTAGON, strError);
    CXFileObject* pMesh = FirstMesh(pRoot);
    ASSERT_NE(nullptr, pMesh) << strError;
    EXPECT_EQ(std::vector<WORD>({0, 1, 2, 0, 2, 3, 0, 3, 4}), pMesh->Indices());
    ASSERT_EQ(1u, pMesh->Groups().size());
    EXPECT_EQ(3u, pMesh->Groups()[0].dwTriangles);
    EXPECT_FLOAT_EQ(1.0f, pMesh->Groups()[0].material.diffuse.g); // white without a material list
}

TEST(XFileTest, GroupsCopySharedVerticesAndTakeTheirFacesMaterial)
{
    // Two faces share the edge 0-2; a quad (two triangles) takes material 1 and a triangle material 0.
    // Per face, not per triangle: reading entry i for triangle i would give the quad's second
    // triangle the triangle face's material.
    std::string strError;
    auto pRoot = Build("Mesh { 5; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;, 2;0;0;;\n"
                       " 2; 4;0,1,2,3;, 3;1,4,2;;\n"
                       " MeshMaterialList { 2; 2; 1, 0;;\n"
                       "  Material { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"a.bmp\"; } }\n"
                       "  Material { 0;0;1;1;; 0; 0;0;0;; 0;0;0;; } }\n"
                       " MeshTextureCoords { 5; 0;0;, 1;0;, 1;1;, 0;1;, 2;0;; } }",
                       strError);
    CXFileObject* pMesh = FirstMesh(pRoot);
    ASSERT_NE(nullptr, pMesh) << strError;
    const auto& aGroups = pMesh->Groups();
    ASSERT_EQ(2u, aGroups.size());
    // Group 0 (red, textured): the triangle face 1, 4, 2.
    EXPECT_EQ(1u, aGroups[0].dwTriangles);
    EXPECT_EQ(0u, aGroups[0].dwFirstVertex);
    EXPECT_EQ(3u, aGroups[0].dwVertices);
    EXPECT_EQ("a.bmp", aGroups[0].strTexture);
    EXPECT_FLOAT_EQ(1.0f, aGroups[0].material.diffuse.r);
    // Group 1 (blue): the quad's two triangles, with its own copies of vertices 1 and 2.
    EXPECT_EQ(1u, aGroups[1].dwFirstTriangle);
    EXPECT_EQ(2u, aGroups[1].dwTriangles);
    EXPECT_EQ(3u, aGroups[1].dwFirstVertex);
    EXPECT_EQ(4u, aGroups[1].dwVertices);
    EXPECT_EQ(7u, pMesh->Vertices().size());
    const auto& aIdx = pMesh->Indices();
    for (std::size_t i = 0; i < aIdx.size(); ++i)
    {
        const SXFileGroup& g = aGroups[i < 3 ? 0 : 1];
        EXPECT_GE(aIdx[i], g.dwFirstVertex);
        EXPECT_LT(aIdx[i], g.dwFirstVertex + g.dwVertices);
    }
    // The copies carry their texture coordinates: vertex 4 (u = 2) is in group 0 only.
    EXPECT_FLOAT_EQ(2.0f, pMesh->Vertices()[aIdx[1]].tu);
}

TEST(XFileTest, NormalsAndCoordinatesAreUsedOnlyWhenTheirCountsMatch)
{
    struct SCase
    {
        const char* szName;
        const char* szExtra;
        float fNormalZ;
        float fU;
    };
    const SCase aCases[] = {
        {"both match", "MeshNormals { 1; 0;0;-1;; 1; 3;0,0,0;; } MeshTextureCoords { 3; 0;0;, 0.5;0;, 0;1;; }", -1,
         0.5f},
        {"normals cover other faces", "MeshNormals { 1; 0;0;-1;; 2; 3;0,0,0;, 3;0,0,0;; }", 0, 0},
        {"coordinates for other vertices", "MeshTextureCoords { 2; 0;0;, 0.5;0;; }", 0, 0},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        std::string strError;
        auto pRoot = Build(std::string("Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; ") + c.szExtra + " }", strError);
        CXFileObject* pMesh = FirstMesh(pRoot);
        ASSERT_NE(nullptr, pMesh) << strError;
        EXPECT_FLOAT_EQ(c.fNormalZ, pMesh->Vertices()[1].nz);
        EXPECT_FLOAT_EQ(c.fU, pMesh->Vertices()[1].tu);
    }
}

TEST(XFileTest, IndicesThatNameNothingFailTheMesh)
{
    struct SCase
    {
        const char* szName;
        const char* szBody;
        const char* szReason;
    };
    const SCase aCases[] = {
        {"face vertex", "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,3;; }", "names vertex 3"},
        {"two corners", "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 2;0,1;; }", "fewer than three"},
        {"face material",
         "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshMaterialList { 1; 1; 4;; Material { 1;1;1;1;; 0; "
         "0;0;0;; 0;0;0;; } } }",
         "face material 4"},
        {"normal", "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshNormals { 1; 0;0;1;; 1; 3;0,0,9;; } }",
         "names normal 9"},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        std::string strError;
        EXPECT_EQ(nullptr, Build(c.szBody, strError));
        EXPECT_NE(std::string::npos, strError.find(c.szReason)) << strError;
    }
}

TEST(XFileTest, MoreThan65535VerticesAfterRegroupingFail)
{
    // 65535 distinct vertices fit; one more (or copies made by regrouping) would wrap the 16-bit indices.
    auto Mesh = [](unsigned nTriangles, unsigned nMaterials)
    {
        SXMesh mesh;
        for (unsigned t = 0; t < nTriangles; ++t)
        {
            for (unsigned k = 0; k < 3; ++k)
                mesh.aVertices.push_back({static_cast<float>(t), static_cast<float>(k), 0});
            mesh.aFaces.push_back({3 * t, 3 * t + 1, 3 * t + 2});
        }
        mesh.bHasMaterialList = nMaterials > 0;
        mesh.aMaterials.resize(nMaterials);
        for (unsigned t = 0; t < nTriangles && nMaterials > 0; ++t)
            mesh.aFaceMaterials.push_back(t % nMaterials);
        return mesh;
    };
    std::string strError;
    EXPECT_NE(nullptr, CXFileObject::Build(Mesh(21845, 0), strError)); // 65535 vertices
    EXPECT_EQ(nullptr, CXFileObject::Build(Mesh(21846, 0), strError));
    EXPECT_NE(std::string::npos, strError.find("65535"));
    EXPECT_NE(nullptr, CXFileObject::Build(Mesh(21845, 3), strError)); // groups without shared vertices
}

TEST(XFileTest, FramePlacement)
{
    CXFileFrame frame, reference;
    reference.SetPosition(&reference, 10, 20, 30);
    EXPECT_FALSE(frame.SetPosition(nullptr, 1, 2, 3)); // without a reference nothing moves
    CVector3 v;
    frame.GetPosition(nullptr, v);
    EXPECT_FLOAT_EQ(0.0f, v.x);
    ASSERT_TRUE(frame.SetPosition(&reference, 1, 2, 3));
    frame.GetPosition(nullptr, v);
    EXPECT_FLOAT_EQ(11.0f, v.x);
    EXPECT_FLOAT_EQ(33.0f, v.z);
    frame.GetPosition(&reference, v);
    EXPECT_FLOAT_EQ(2.0f, v.y);
    ASSERT_TRUE(frame.SetPosition(&frame, 1, 0, 0)); // itself: moves by the amount
    frame.GetPosition(nullptr, v);
    EXPECT_FLOAT_EQ(12.0f, v.x);

    // Direction along +x, up tilted: rows are right = up x dir, up = dir x right, direction.
    EXPECT_FALSE(frame.SetOrientation(nullptr, CVector3(1, 0, 0), CVector3(0, 1, 0)));
    ASSERT_TRUE(frame.SetOrientation(&reference, CVector3(2, 0, 0), CVector3(0, 1, 1)));
    const D3DMATRIX& m = frame.Matrix();
    const float s = std::sqrt(0.5f);
    const float aExpected[3][3] = {{0, s, -s}, {0, s, s}, {1, 0, 0}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(aExpected[r][c], m.m[r][c], 1e-6) << r << "," << c;
    EXPECT_FLOAT_EQ(12.0f, m.m[3][0]); // turning keeps the place
    CVector3 vDir, vUp;
    EXPECT_FALSE(frame.GetOrientation(nullptr, vDir, vUp));
    ASSERT_TRUE(frame.GetOrientation(&reference, vDir, vUp));
    EXPECT_FLOAT_EQ(1.0f, vDir.x);
    EXPECT_NEAR(s, vUp.z, 1e-6);
}

TEST(XFileTest, TheThirdLibraryIsSearchedAfterTwoMisses)
{
    CLogRecorder log;
    CArtLibraries libs;
    libs.Add("Imagery3.dll", "XFILE", "Other.x", std::string("xof 0303txt 0032\n") + PENTAGON)
        .Add("Imagery3.dll", "XFILE", "Binary.x", xbin::FromText(std::string("xof 0303txt 0032\n") + PENTAGON))
        .Add("Imagery2.dll", "XFILE", "Ball.x", "xof 0303bin 0032 broken")
        .Add("Imagery1.dll", "XFILE", "Ball.x", std::string("xof 0303txt 0032\n") + PENTAGON)
        .Install();
    auto pRoot = LoadXFile("ball.X");
    ASSERT_NE(nullptr, pRoot);
    EXPECT_NE(nullptr, pRoot->GetFirstMesh());
    EXPECT_NE(std::string::npos, log.Text().find("unknown token")); // the second library's reason
    EXPECT_EQ(nullptr, LoadXFile("Missing.x"));
    // A library named first is tried before the list.
    auto pFirst = LoadXFile("Other.x", libs.Path("Imagery3.dll").c_str());
    EXPECT_NE(nullptr, pFirst);
    // A mesh in the binary form is the same mesh.
    auto pBinary = LoadXFile("Binary.x");
    ASSERT_NE(nullptr, pBinary);
    ASSERT_NE(nullptr, pBinary->GetFirstMesh());
    EXPECT_EQ(pRoot->GetFirstMesh()->Vertices().size(), pBinary->GetFirstMesh()->Vertices().size());
    EXPECT_EQ(pRoot->GetFirstMesh()->Indices(), pBinary->GetFirstMesh()->Indices());
}

TEST(XFileTest, NoArtworkLibraryGivesNull)
{
    CLogRecorder log;
    EXPECT_EQ(nullptr, LoadXFile("Ball.x"));
    EXPECT_NE(std::string::npos, log.Text().find("no artwork library"));
}

TEST(XFileTest, BoxCoversTheMeshThroughItsFrames)
{
    std::string strError;
    auto pRoot =
        Build("Frame { FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 10,0,0,1;; } " + std::string(PENTAGON) + " }",
              strError);
    ASSERT_NE(nullptr, pRoot) << strError;
    SBox box;
    ASSERT_TRUE(pRoot->GetBox(box));
    EXPECT_FLOAT_EQ(10.0f, box.vMin.x);
    EXPECT_FLOAT_EQ(14.0f, box.vMax.x);
    EXPECT_FLOAT_EQ(4.0f, box.vMax.y);
    CXFileFrame empty;
    EXPECT_FALSE(empty.GetBox(box));
}

// A unit quad two frames deep: the inner frame moves it by (1, 0, 0), the outer scales by 2 and
// pushes it to z = 10. Drawn in the right order the quad covers x 1..3, y -1..1; the other order
// would put it at x 0.5..1.5, y -0.5..0.5.
TEST_F(CRenderFixture, MeshTwoFramesDeepIsDrawnAtTheProductOfTheirMatrices)
{
    std::string strError;
    auto pRoot = Build("Frame Outer { FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 0,0,10,1;; }\n"
                       " Frame Inner { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 1,0,0,1;; }\n"
                       "  Mesh { 4; -0.5;-0.5;0;, -0.5;0.5;0;, 0.5;0.5;0;, 0.5;-0.5;0;; 1; 4;0,1,2,3;;\n"
                       "   MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 1;1;1;; } } } } }",
                       strError);
    ASSERT_NE(nullptr, pRoot) << strError;
    SetPerspective(static_cast<float>(M_PI / 2)); // tan(fov / 2) = 1
    ASSERT_EQ(D3D_OK, m_pDevice->BeginScene());
    D3DMATRIX identity;
    for (int i = 0; i < 4; ++i)
        identity.m[i][i] = 1;
    pRoot->Render(*m_pDevice, SCENE_BLEND_OPAQUE, identity);
    ASSERT_EQ(D3D_OK, m_pDevice->EndScene());
    SaveFrame();
    // Screen x = 32 + 32 * world x / 10 (and y mirrored): x 1..3 -> pixels 35..41, y -1..1 -> 29..35.
    EXPECT_EQ(0xFFFFFFu, Pixel(38, 32));
    EXPECT_EQ(0xFFFFFFu, Pixel(36, 30));
    EXPECT_EQ(0u, Pixel(34, 32)); // x 0.3: inside the wrong order's quad only
    EXPECT_EQ(0u, Pixel(38, 27));
    EXPECT_EQ(0u, Pixel(42, 32));
    // The frame gave the world transform back.
    D3DMATRIX world;
    m_pDevice->GetTransform(D3DTRANSFORMSTATE_WORLD, &world);
    EXPECT_FLOAT_EQ(0.0f, world.m[3][2]);
}

TEST_F(CRenderFixture, BlendModesSetTheirFactorsWhateverCameBefore)
{
    std::string strError;
    auto pRoot = Build(PENTAGON, strError);
    ASSERT_NE(nullptr, pRoot);
    D3DMATRIX identity;
    for (int i = 0; i < 4; ++i)
        identity.m[i][i] = 1;
    struct SCase
    {
        int nBlend;
        DWORD dwEnable, dwSrc, dwDest;
    };
    const SCase aCases[] = {{1, TRUE, D3DBLEND_ONE, D3DBLEND_SRCCOLOR},
                            {2, TRUE, D3DBLEND_ONE, D3DBLEND_ONE},
                            {0, FALSE, D3DBLEND_ONE, D3DBLEND_ONE},
                            {5, TRUE, D3DBLEND_ONE, D3DBLEND_ONE}};
    m_pDevice->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ZERO);
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.nBlend);
        pRoot->Render(*m_pDevice, c.nBlend, identity);
        DWORD dwEnable = 0, dwSrc = 0, dwDest = 0;
        m_pDevice->GetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, &dwEnable);
        m_pDevice->GetRenderState(D3DRENDERSTATE_SRCBLEND, &dwSrc);
        m_pDevice->GetRenderState(D3DRENDERSTATE_DESTBLEND, &dwDest);
        EXPECT_EQ(c.dwEnable, dwEnable);
        if (c.dwEnable)
        {
            EXPECT_EQ(c.dwSrc, dwSrc);
            EXPECT_EQ(c.dwDest, dwDest);
        }
    }
}
