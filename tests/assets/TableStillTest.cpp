// A still of the racked table from the default camera, rendered headless through the game's
// scene reader, mesh loader, texture manager, lamps and scene objects, written as
// frames/TableStill.png for a person to look at, and checked for the look: green cloth in the
// lamp's pool, a darker room around it.
#include "tests/assets/GameFiles.h"

#include "foundation/LibraryLists.h"
#include "foundation/Matrix.h"
#include "platform/dx/Device.h"
#include "platform/dx/SurfacePng.h"
#include "render/Light.h"
#include "render/SceneObject.h"
#include "render/SceneReader.h"
#include "render/TextureManager.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace
{
constexpr DWORD WIDTH = 800, HEIGHT = 600;
/// The camera's default place: yaw 180, pitch 345 (15 degrees above the cloth), distance 136 from
/// the table's centre; the field of view 0.4 radians; near and far planes.
constexpr float CAMERA_DISTANCE = 136.0f, CAMERA_ELEVATION_RAD = 15.0f * 3.14159265f / 180.0f;
constexpr float FIELD_OF_VIEW = 0.4f, NEAR_PLANE = 6.0f, FAR_PLANE = 750.0f;
constexpr float BED_Y = 26.0f, BALL_R = 1.12f;

struct SScene
{
    std::vector<std::unique_ptr<CSceneObject>> objects;
};

/// The objects of a section, each with its mesh, record and lamps, enabled.
void AddObjects(SScene& scene, const std::vector<CSceneObjectRec>& recs)
{
    for (const CSceneObjectRec& rec : recs)
    {
        if (rec.m_nId == 0x10)
            continue; // the balls' template: the balls are made from it below
        auto pObject = std::make_unique<CSceneObject>();
        EXPECT_TRUE(pObject->LoadMesh(rec.m_strFile.GetString())) << rec.m_strFile.GetString();
        pObject->ApplyRecord(rec);
        for (const BYTE nLight : rec.m_aLights)
            pObject->AddLightNumber(nLight);
        pObject->SetEnabled(true);
        scene.objects.push_back(std::move(pObject));
    }
}

/// Fifteen balls racked with the apex towards the camera at scene z = +22, the cue ball at -22.
void AddRackedBalls(SScene& scene, const CSceneObjectRec& rec)
{
    const float dx = BALL_R * 1.0005f, dz = BALL_R * std::sqrt(3.0f) * 1.0005f;
    const int aRack[15] = {1, 9, 2, 10, 8, 3, 11, 4, 12, 5, 13, 6, 14, 7, 15};
    int k = 0;
    for (int row = 0; row < 5; ++row)
        for (int i = 0; i <= row; ++i)
        {
            auto pBall = std::make_unique<CBallSceneObject>();
            pBall->LoadMesh(1.23f, aRack[k], "Ball.x", 0, false);
            pBall->ApplyRecord(rec);
            pBall->SetImage(nullptr);
            pBall->Move(static_cast<float>(2 * i - row) * dx, BED_Y + BALL_R, 22.0f + row * dz);
            for (const BYTE nLight : rec.m_aLights)
                pBall->AddLightNumber(nLight);
            pBall->SetEnabled(true);
            scene.objects.push_back(std::move(pBall));
            ++k;
        }
    auto pCue = std::make_unique<CBallSceneObject>();
    pCue->LoadMesh(1.23f, 0, "Ball.x", 0, false);
    pCue->ApplyRecord(rec);
    pCue->SetImage(nullptr);
    pCue->Move(0.0f, BED_Y + BALL_R, -22.0f);
    for (const BYTE nLight : rec.m_aLights)
        pCue->AddLightNumber(nLight);
    pCue->SetEnabled(true);
    scene.objects.push_back(std::move(pCue));
}

double Luminance(DWORD c) { return 0.299 * ((c >> 16) & 0xFF) + 0.587 * ((c >> 8) & 0xFF) + 0.114 * (c & 0xFF); }
} // namespace

TEST(TableStillTest, RackedTableFromTheDefaultCamera)
{
    for (const std::string& strFile : ArtworkLibraries())
        g_astrArtworkLibraries.Add(GamePath(strFile).c_str());

    SurfacePtr pTarget =
        CDirectDrawSurface::Create(WIDTH, HEIGHT, MakeRgbPixelFormat(32), DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE);
    SurfacePtr pDepth = CDirectDrawSurface::Create(WIDTH, HEIGHT, MakeZBufferPixelFormat(16), DDSCAPS_ZBUFFER);
    ASSERT_EQ(DD_OK, pTarget->AddAttachedSurface(pDepth));
    CDirect3DDevice device(pTarget);
    auto pViewport = std::make_shared<CDirect3DViewport>();
    const D3DVIEWPORT2 vp = MakeFullViewport(WIDTH, HEIGHT);
    pViewport->SetViewport2(&vp);
    device.AddViewport(pViewport);
    device.SetCurrentViewport(pViewport);

    CSceneReader reader;
    ASSERT_TRUE(reader.Open());
    CStringArray lights;
    reader.ReadLights(lights);
    CLightSource source;
    source.ApplyLines(lights, &device);
    std::vector<CSceneObjectRec> objects, table;
    reader.ReadObjects(objects);
    reader.ReadTable(table);
    reader.Close();
    {
        SScene scene;
        AddObjects(scene, objects);
        AddObjects(scene, table);
        AddRackedBalls(scene, CSceneReader::FindObjectRecById(objects, 0x10));
        RestoreAllTextures(&device);
        std::stable_sort(scene.objects.begin(), scene.objects.end(),
                         [](const auto& a, const auto& b) { return a->m_nParam8 < b->m_nParam8; });

        D3DMATRIX view, projection;
        const CVector3 target(0.0f, BED_Y, 0.0f);
        const CVector3 eye(0.0f, BED_Y + CAMERA_DISTANCE * std::sin(CAMERA_ELEVATION_RAD),
                           -CAMERA_DISTANCE * std::cos(CAMERA_ELEVATION_RAD));
        MatrixLookAt(view, eye, CVector3(target.x - eye.x, target.y - eye.y, target.z - eye.z), CVector3(0, 1, 0));
        ASSERT_EQ(S_OK, MatrixPerspective(projection, FIELD_OF_VIEW, static_cast<float>(WIDTH) / HEIGHT, NEAR_PLANE,
                                          FAR_PLANE));
        device.SetTransform(D3DTRANSFORMSTATE_VIEW, &view);
        device.SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
        device.SetRenderState(D3DRENDERSTATE_ZENABLE, TRUE);
        device.SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
        pViewport->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
        ASSERT_EQ(D3D_OK, device.BeginScene());
        for (const auto& pObject : scene.objects)
            pObject->Render(device, *pViewport, false);
        ASSERT_EQ(D3D_OK, device.EndScene());
    }
    const std::filesystem::path dir = VORN_TEST_OUTPUT_DIR;
    std::filesystem::create_directories(dir);
    EXPECT_TRUE(SaveSurfaceToPng(*pTarget, (dir / "TableStill.png").string()));

    // The cloth between the cue ball and the rack: green, and brighter than the room's corner.
    const DWORD cloth = pTarget->GetPixelXrgb(WIDTH / 2 + 60, HEIGHT / 2 + 40);
    EXPECT_GT((cloth >> 8) & 0xFF, (cloth >> 16) & 0xFF) << std::hex << cloth;
    EXPECT_GT((cloth >> 8) & 0xFF, cloth & 0xFF) << std::hex << cloth;
    EXPECT_GT(Luminance(cloth), Luminance(pTarget->GetPixelXrgb(4, 4)));

    CLightTable::DeleteAll();
    DeleteAllTextures();
    g_astrArtworkLibraries.RemoveAll();
}
