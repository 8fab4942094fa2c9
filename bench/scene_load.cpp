// Loading the whole scene from its libraries: the scene text with every section, the meshes of
// every object, the lamps, and every texture made and uploaded to the device. The scene is one of
// the game's size made here (48 objects over 24 meshes of 2,048 triangles and sixteen balls from
// the balls' template, 16 lamps, 32 textures); with VORN_GAME_DIR naming the folder of the game's
// libraries (build/game), their own scene is loaded as well.
#include "fixtures/ImageFixtures.h"

#include "foundation/LibraryLists.h"
#include "platform/win32/Files.h"
#include "platform/win32/ResourceLibrary.h"
#include "render/Light.h"
#include "render/SceneObject.h"
#include "render/SceneReader.h"
#include "render/TextureManager.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
constexpr int MESH_COUNT = 24;
constexpr int OBJECT_COUNT = 48;
constexpr int GRID = 32; // quads per side of each mesh: 2,048 triangles

std::vector<BYTE> Bytes(const std::string& s) { return std::vector<BYTE>(s.begin(), s.end()); }

std::string GridMesh(int nMesh)
{
    std::string s = "xof 0303txt 0032\nMesh {\n" + std::to_string((GRID + 1) * (GRID + 1)) + ";\n";
    char sz[96];
    for (int y = 0; y <= GRID; ++y)
        for (int x = 0; x <= GRID; ++x)
        {
            std::snprintf(sz, sizeof sz, "%.4f;%.4f;%.4f;%c\n", x * 0.5, 0.1 * ((x + y + nMesh) % 5), y * 0.5,
                          (x == GRID && y == GRID) ? ';' : ',');
            s += sz;
        }
    s += std::to_string(GRID * GRID) + ";\n";
    for (int y = 0; y < GRID; ++y)
        for (int x = 0; x < GRID; ++x)
        {
            const int a = y * (GRID + 1) + x;
            std::snprintf(sz, sizeof sz, "4;%d,%d,%d,%d;%c\n", a, a + GRID + 1, a + GRID + 2, a + 1,
                          (x == GRID - 1 && y == GRID - 1) ? ';' : ',');
            s += sz;
        }
    s += "MeshMaterialList { 1; 1; 0;; Material { 0.8;0.8;0.8;1;; 10; 0.2;0.2;0.2;; 0;0;0;; TextureFilename { \"tex" +
         std::to_string(nMesh % 16) + ".jpg\"; } } }\nMeshNormals { 1; 0;1;0;; " + std::to_string(GRID * GRID) + ";\n";
    for (int i = 0; i < GRID * GRID; ++i)
        s += std::string("4;0,0,0,0;") + (i + 1 < GRID * GRID ? "," : ";") + "\n";
    s += "}\nMeshTextureCoords { " + std::to_string((GRID + 1) * (GRID + 1)) + ";\n";
    for (int y = 0; y <= GRID; ++y)
        for (int x = 0; x <= GRID; ++x)
        {
            std::snprintf(sz, sizeof sz, "%.4f;%.4f;%c\n", x / double(GRID), y / double(GRID),
                          (x == GRID && y == GRID) ? ';' : ',');
            s += sz;
        }
    return s + "}\n}\n";
}

std::string SceneText()
{
    std::string s = "Version = 3\nBounds = -205 0 -265.5 238 135.67 250\n[Levels]\n0, Low;\n9, High;\n[Lights]\n";
    for (int i = 0; i < 16; ++i)
        s += "Lamp" + std::to_string(i) + ", 2, 0.8,0.8,0.8, " + std::to_string(i * 10) +
             ",150,0, 0,-1,0, 200, 0.3,0.8, 1,0.0001,0.00001;\n";
    s += "[Motions]\n1, Fan, 33;\n[Links]\nlink.bmp, http://x, Link;\n[Objects]\n"
         "0x10, Balls, Mesh0.x, 0,0,0, 0, 20, -1, -1, 0, 0, -1, 1, 1, 150, 0;\n";
    for (int i = 0; i < OBJECT_COUNT; ++i)
        s += "0x" + std::to_string(1000 + i) + ", Obj" + std::to_string(i) + ", Mesh" + std::to_string(i % MESH_COUNT) +
             ".x, 0,0,0, 0, " + std::to_string(i) + ", -1, -1, 0, 0, -1, 3, 0, 1, 2, 200, 0;\n";
    return s;
}

/// The made-up game libraries, written once into a temporary folder.
class CSceneLibraries
{
public:
    CSceneLibraries()
    {
        m_strFolder =
            (std::filesystem::temp_directory_path() / ("vorn_bench_scene_" + std::to_string(::getpid()))).string();
        std::filesystem::create_directories(m_strFolder);
        CResourceLibraryWriter writer;
        std::string strError;
        writer.Add(SResourceKey::Name("SET"), SResourceKey::Name("3-DVORN.ART"), 0, Bytes(SceneText()), strError);
        for (int i = 0; i < MESH_COUNT; ++i)
            writer.Add(SResourceKey::Name("XFILE"), SResourceKey::Name("Mesh" + std::to_string(i) + ".x"), 0,
                       Bytes(GridMesh(i)), strError);
        std::vector<BYTE> rgb = MakeGradientRgb(256, 256);
        for (int i = 0; i < 16; ++i)
            writer.Add(SResourceKey::Name("JPG"), SResourceKey::Name("tex" + std::to_string(i)), 0,
                       EncodeJpeg(256, 256, 3, rgb, 90), strError);
        SBmpDesc ball;
        ball.nWidth = 256;
        ball.nHeight = 128;
        ball.pixels.assign(256 * 128, 0xC02020);
        for (int i = 0; i < 16; ++i)
        {
            char sz[16];
            std::snprintf(sz, sizeof sz, "b_%02d.bmp", i);
            writer.Add(SResourceKey::Id(2), SResourceKey::Name(sz), 0, EncodeBmp(ball), strError);
        }
        m_strLibrary = m_strFolder + "/Imagery.dll";
        if (!writer.WriteFile(m_strLibrary, strError))
            std::fprintf(stderr, "cannot write the scene library: %s\n", strError.c_str());
    }
    ~CSceneLibraries()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_strFolder, ec);
    }
    const std::string& Library() const { return m_strLibrary; }

private:
    std::string m_strFolder, m_strLibrary;
};

/// Everything the scene set-up makes, loaded from the libraries now listed.
struct SLoadedScene
{
    std::vector<std::unique_ptr<CSceneObject>> aObjects;
    int nTextures = 0;
};

constexpr int BALL_TEMPLATE_ID = 0x10;

bool LoadScene(CDirect3DDevice& device, SLoadedScene& scene)
{
    const CLibraryListHold hold(g_astrArtworkLibraries);
    CSceneReader reader;
    if (!reader.Open())
        return false;
    CStringArray astrLevels, astrLights;
    reader.ReadLevels(astrLevels);
    reader.ReadLinks();
    reader.ReadMotions();
    reader.ReadLights(astrLights);
    std::vector<CSceneObjectRec> aRecs;
    reader.ReadObjects(aRecs);
    reader.ReadTable(aRecs);
    float afBounds[6] = {};
    reader.ReadBounds(afBounds);
    reader.Close();
    CLightSource lights;
    lights.ApplyLines(astrLights, &device);
    for (const CSceneObjectRec& rec : aRecs)
    {
        if (rec.m_nId == BALL_TEMPLATE_ID)
            continue;
        auto pObject = std::make_unique<CSceneObject>();
        if (!pObject->LoadMesh(rec.m_strFile))
            continue;
        pObject->ApplyRecord(rec);
        for (BYTE n : rec.m_aLights)
            pObject->AddLightNumber(n);
        scene.aObjects.push_back(std::move(pObject));
    }
    // Sixteen balls from the template's mesh, each with its face.
    const CSceneObjectRec ballRec = CSceneReader::FindObjectRecById(aRecs, BALL_TEMPLATE_ID);
    for (int i = 0; i < 16 && ballRec.m_bValid; ++i)
    {
        auto pBall = std::make_unique<CBallSceneObject>();
        pBall->LoadMesh(1.23f, i, ballRec.m_strFile, 0, false);
        pBall->ApplyRecord(ballRec);
        pBall->SetImage(nullptr);
        scene.aObjects.push_back(std::move(pBall));
    }
    RestoreAllTextures(&device);
    for (int i = 0; i < 1024; ++i)
        scene.nTextures += FindTexture(("tex" + std::to_string(i) + ".jpg").c_str()) != nullptr ? 1 : 0;
    return true;
}

void Unload(SLoadedScene& scene)
{
    scene.aObjects.clear();
    DeleteAllTextures();
    CLightTable::DeleteAll();
}

void BM_LoadWholeScene(benchmark::State& state)
{
    static const CSceneLibraries s_libs;
    g_astrArtworkLibraries.RemoveAll();
    g_astrArtworkLibraries.Add(CString(s_libs.Library()));
    SurfacePtr pTarget = CDirectDrawSurface::Create(64, 64, MakeRgbPixelFormat(32), DDSCAPS_3DDEVICE);
    CDirect3DDevice device(pTarget);
    for (auto _ : state)
    {
        SLoadedScene scene;
        if (!LoadScene(device, scene) || scene.aObjects.size() != OBJECT_COUNT + 16)
        {
            state.SkipWithError(("the scene did not load whole: " + std::to_string(scene.aObjects.size())).c_str());
            break;
        }
        state.PauseTiming();
        Unload(scene);
        state.ResumeTiming();
    }
    g_astrArtworkLibraries.RemoveAll();
}
BENCHMARK(BM_LoadWholeScene)->Unit(benchmark::kMillisecond);

/// The game's own libraries, when VORN_GAME_DIR names their folder and they hold the scene.
void BM_LoadGameScene(benchmark::State& state)
{
    const char* szDir = std::getenv("VORN_GAME_DIR");
    if (szDir == nullptr)
    {
        state.SkipWithError("VORN_GAME_DIR is not set");
        return;
    }
    g_astrArtworkLibraries.RemoveAll();
    for (const char* szLib : {"Imagery1.dll", "Imagery.dll"})
        g_astrArtworkLibraries.Add(CString(std::string(szDir) + "/" + szLib));
    SurfacePtr pTarget = CDirectDrawSurface::Create(64, 64, MakeRgbPixelFormat(32), DDSCAPS_3DDEVICE);
    CDirect3DDevice device(pTarget);
    for (auto _ : state)
    {
        SLoadedScene scene;
        if (!LoadScene(device, scene) || scene.aObjects.size() <= 16)
        {
            state.SkipWithError("the game's scene did not load");
            break;
        }
        state.PauseTiming();
        Unload(scene);
        state.ResumeTiming();
    }
    g_astrArtworkLibraries.RemoveAll();
}
BENCHMARK(BM_LoadGameScene)->Unit(benchmark::kMillisecond);
} // namespace
