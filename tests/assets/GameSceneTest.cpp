// The game's own scene, built from the program folder's libraries the way the game's set-up
// builds it: every section of the scene text reads, every lamp line makes a lamp, every object
// of [Objects] and [Table] and each of the sixteen balls has its mesh, and every texture a mesh
// names (the balls' faces and the link pictures included) is found and made, and the camera's box
// of its Bounds line lies inside the room.
#include "tests/assets/GameFiles.h"

#include "foundation/LibraryLists.h"
#include "render/Light.h"
#include "render/SceneObject.h"
#include "render/SceneReader.h"
#include "render/TextureManager.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace
{
constexpr int BALL_TEMPLATE_ID = 0x10;
constexpr int ROOM_ID = 0x1;
/// How near the camera's view begins.
constexpr float NEAR_PLANE = 6.0f;

/// Every texture the meshes below the node name, each found with a surface made.
void ExpectTexturesFound(const CXFileNode& node)
{
    for (const CXFileNode* p = node.GetChild(); p != nullptr; p = p->GetNext())
    {
        if (const auto* pMesh = dynamic_cast<const CXFileObject*>(p))
            for (const SXFileGroup& g : pMesh->Groups())
                if (!g.strTexture.empty())
                {
                    SCOPED_TRACE(g.strTexture);
                    EXPECT_NE(nullptr, GetTextureSurface(g.strTexture.c_str()));
                }
        ExpectTexturesFound(*p);
    }
}
} // namespace

TEST(GameSceneTest, EveryObjectHasItsMeshAndEveryTextureIsFound)
{
    for (const std::string& strFile : ArtworkLibraries())
        g_astrArtworkLibraries.Add(GamePath(strFile).c_str());
    const CLibraryListHold hold(g_astrArtworkLibraries);
    SurfacePtr pTarget = CDirectDrawSurface::Create(64, 64, MakeRgbPixelFormat(32), DDSCAPS_3DDEVICE);
    CDirect3DDevice device(pTarget);

    CSceneReader reader;
    ASSERT_TRUE(reader.Open());
    CStringArray astrLevels, astrLights;
    EXPECT_TRUE(reader.ReadLevels(astrLevels));
    EXPECT_EQ(10, astrLevels.GetSize());
    EXPECT_TRUE(reader.ReadMotions());
    EXPECT_TRUE(reader.ReadLinks());
    ASSERT_TRUE(reader.ReadLights(astrLights));
    CString strPure;
    EXPECT_TRUE(reader.ReadPureLights(strPure));
    EXPECT_FALSE(strPure.IsEmpty());
    std::vector<CSceneObjectRec> aObjects, aTable;
    ASSERT_TRUE(reader.ReadObjects(aObjects));
    ASSERT_TRUE(reader.ReadTable(aTable));
    float afBounds[6] = {};
    EXPECT_TRUE(reader.ReadBounds(afBounds));
    reader.Close();

    CLightSource lights;
    for (const CString& strLine : astrLights)
    {
        SCOPED_TRACE(strLine.Str());
        EXPECT_NE(nullptr, lights.ApplyLine(strLine, &device));
    }
    std::vector<std::unique_ptr<CSceneObject>> aScene;
    for (const auto* pRecs : {&aObjects, &aTable})
        for (const CSceneObjectRec& rec : *pRecs)
        {
            if (rec.m_nId == BALL_TEMPLATE_ID)
                continue;
            SCOPED_TRACE(rec.m_strFile.Str());
            auto p = std::make_unique<CSceneObject>();
            EXPECT_TRUE(p->LoadMesh(rec.m_strFile));
            p->ApplyRecord(rec);
            aScene.push_back(std::move(p));
        }
    const CSceneObjectRec ballRec = CSceneReader::FindObjectRecById(aObjects, BALL_TEMPLATE_ID);
    ASSERT_TRUE(ballRec.m_bValid);
    for (int i = 0; i < 16; ++i)
    {
        auto pBall = std::make_unique<CBallSceneObject>();
        pBall->LoadMesh(1.23f, i, ballRec.m_strFile, 0, false);
        EXPECT_NE(nullptr, pBall->GetFrame()) << i;
        pBall->SetImage(nullptr);
        aScene.push_back(std::move(pBall));
    }
    for (int i = 0; i < g_linkList.GetSize(); ++i)
    {
        const CString strPicture = g_linkList.GetAt(i).m_strPicture;
        SCOPED_TRACE(strPicture.Str());
        EXPECT_EQ(S_OK, CreateTexture(strPicture));
    }
    ASSERT_EQ(S_OK, RestoreAllTextures(&device));
    for (const auto& p : aScene)
    {
        SCOPED_TRACE(p->m_strMesh);
        ASSERT_NE(nullptr, p->GetFrame());
        ExpectTexturesFound(*p->GetFrame());
    }
    for (int i = 0; i < g_linkList.GetSize(); ++i)
        EXPECT_NE(nullptr, GetTextureSurface(g_linkList.GetAt(i).m_strPicture));

    // The camera's box lies inside the room's walls, floor and ceiling, with room for the near
    // plane (6 units) at its walls and ceiling: from anywhere in it the view shows the room.
    const auto room = std::find_if(aScene.begin(), aScene.end(), [](const auto& p) { return p->m_nId == ROOM_ID; });
    ASSERT_NE(room, aScene.end());
    SBox box;
    ASSERT_TRUE((*room)->GetBox(box));
    const float afRoomMin[3] = {box.vMin.x, box.vMin.y, box.vMin.z},
                afRoomMax[3] = {box.vMax.x, box.vMax.y, box.vMax.z};
    for (int i = 0; i < 3; ++i)
    {
        SCOPED_TRACE("axis " + std::to_string(i));
        EXPECT_LT(afBounds[i], afBounds[i + 3]);
        EXPECT_GE(afBounds[i], afRoomMin[i] + (i == 1 ? 0.0f : NEAR_PLANE));
        EXPECT_LE(afBounds[i + 3], afRoomMax[i] - NEAR_PLANE);
    }

    aScene.clear();
    CLightTable::DeleteAll();
    DeleteAllTextures();
    g_astrArtworkLibraries.RemoveAll();
}
