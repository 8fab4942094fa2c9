// The meshes as the game reads them: every X file parses with the game's reader, stays within
// 16-bit indices, names only textures the artwork libraries hold, and faces outwards; the table's
// cushions and pockets stand where the simulation has them.
#include "tests/assets/GameFiles.h"

#include "platform/dx/XFileText.h"
#include "render/TableSpace.h"
#include "simulation/PhysicsConstants.h"
#include "simulation/TableParts.h"
#include "tools/meshgen/TableMeshes.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

namespace
{
struct SMeshFile
{
    const char* szLibrary;
    const char* szName;
    int nMeshes = 1; // the trophy's cabinet is a mesh of its own, kept when the medal changes
};
const SMeshFile s_aMeshes[] = {
    {"Imagery1.dll", "TableBed.x"},   {"Imagery1.dll", "TableSideA.x"}, {"Imagery1.dll", "TableSideB.x"},
    {"Imagery1.dll", "TableSideC.x"}, {"Imagery1.dll", "TableSideD.x"}, {"Imagery1.dll", "TableMark.x"},
    {"Imagery1.dll", "TourBed.x"},    {"Imagery1.dll", "TourSideA.x"},  {"Imagery1.dll", "TourSideB.x"},
    {"Imagery1.dll", "TourSideC.x"},  {"Imagery1.dll", "TourSideD.x"},  {"Imagery.dll", "TableBody.x"},
    {"Imagery.dll", "Room.x"},        {"Imagery.dll", "Lamp.x"},        {"Imagery.dll", "Fan.x"},
    {"Imagery.dll", "Sconce.x"},      {"Imagery.dll", "Clock.x"},       {"Imagery.dll", "HourHand.x"},
    {"Imagery.dll", "MinuteHand.x"},  {"Imagery.dll", "Picture1.x"},    {"Imagery.dll", "Picture2.x"},
    {"Imagery.dll", "Picture3.x"},    {"Imagery.dll", "Picture4.x"},    {"Imagery.dll", "Ball.x"},
    {"Imagery.dll", "Cue.x"},         {"Imagery.dll", "Arrow.x"},       {"Imagery.dll", "Trophy.x", 2},
};

SXFrame ParseMesh(const char* szLibrary, const char* szName)
{
    SXFrame root;
    const auto text = FindIn(szLibrary, szName, "XFILE");
    EXPECT_TRUE(text.has_value());
    if (!text)
        return root;
    std::string strError;
    EXPECT_TRUE(
        ParseXFileText(std::string_view(reinterpret_cast<const char*>(text->data()), text->size()), root, strError))
        << strError;
    return root;
}

void ForEachMesh(const SXFrame& frame, const std::function<void(const SXMesh&)>& visit)
{
    for (const SXChild& child : frame.aChildren)
    {
        if (child.pMesh)
            visit(*child.pMesh);
        if (child.pFrame)
            ForEachMesh(*child.pFrame, visit);
    }
}

/// A texture by the texture manager's lookup: a "JPG" resource by the bare name, else a bitmap by
/// the whole name, in the artwork libraries.
bool TextureExists(const std::string& strName)
{
    const std::string strBare = strName.substr(0, strName.find('.'));
    return FindFirst(ArtworkLibraries(), strBare.c_str(), "JPG").has_value() ||
           FindFirst(ArtworkLibraries(), strName.c_str(), RT_BITMAP).has_value();
}

std::array<float, 3> Sub(const std::array<float, 3>& a, const std::array<float, 3>& b)
{
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

/// A table point (metres) where the game draws it in the scene.
SVec3 GameScenePoint(double x, double y, double z)
{
    const CVector3 v = ::TableToScene(CVector3(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)));
    return {v.x, v.y, v.z};
}

bool HasVertexNear(const SXMesh& mesh, const SVec3& p, double dTolerance)
{
    return std::any_of(mesh.aVertices.begin(), mesh.aVertices.end(),
                       [&](const std::array<float, 3>& v)
                       {
                           return std::fabs(v[0] - p.x) < dTolerance && std::fabs(v[1] - p.y) < dTolerance &&
                                  std::fabs(v[2] - p.z) < dTolerance;
                       });
}

/// The four sides of one table set (the meshes' names begin with strSet) against the simulation's
/// cushions and pockets.
void ExpectCushionsAndPocketsOfTheSimulation(const std::string& strSet)
{
    std::string aszSides[4];
    SXMesh sides[4];
    for (int s = 0; s < 4; ++s)
    {
        aszSides[s] = strSet + "Side" + static_cast<char>('A' + s) + ".x";
        ForEachMesh(ParseMesh("Imagery1.dll", aszSides[s].c_str()), [&](const SXMesh& mesh) { sides[s] = mesh; });
    }
    const auto onItsSide = [](int nSide, const std::array<float, 3>& v)
    {
        const float aOut[4] = {-v[2], v[2], -v[0], v[0]};
        return aOut[nSide] > 0.0f;
    };
    for (int s = 0; s < 4; ++s)
    {
        SCOPED_TRACE(aszSides[s]);
        EXPECT_FALSE(sides[s].aVertices.empty());
        EXPECT_TRUE(std::all_of(sides[s].aVertices.begin(), sides[s].aVertices.end(),
                                [&](const std::array<float, 3>& v) { return onItsSide(s, v); }));
    }
    constexpr int CUSHION_SIDE[CUSHION_COUNT] = {2, 2, 3, 3, 1, 0};
    for (int c = 0; c < CUSHION_COUNT; ++c)
    {
        SCOPED_TRACE("cushion " + std::to_string(c));
        const CCushion cushion(c);
        for (int i = 1; i <= 2; ++i)
        {
            const CVector3 p = cushion.GetPoint(i);
            const SVec3 nose = GameScenePoint(p.x, p.y, CUSHION_NOSE_HEIGHT_M);
            EXPECT_TRUE(HasVertexNear(sides[CUSHION_SIDE[c]], nose, 1e-3));
        }
    }
    constexpr int POCKET_SIDE[POCKET_COUNT] = {1, 2, 0, 1, 3, 0};
    for (int p = 0; p < POCKET_COUNT; ++p)
    {
        SCOPED_TRACE("pocket " + std::to_string(p));
        const CWorldObject pocket(p);
        const SVec3 c = GameScenePoint(pocket.GetPosition().x, pocket.GetPosition().y, 0.0);
        const double r = pocket.GetRadius() * INCHES_PER_METRE;
        const auto& vertices = sides[POCKET_SIDE[p]].aVertices;
        const auto nRim =
            std::count_if(vertices.begin(), vertices.end(),
                          [&](const std::array<float, 3>& v)
                          { return std::fabs(std::hypot(v[0] - c.x, v[2] - c.z) - r) < 1e-3 && v[1] > BED_HEIGHT; });
        EXPECT_GE(nRim, 32);
    }
}

} // namespace

TEST(GameMeshesTest, EveryXFileParsesAndNamesOnlyTexturesThatExist)
{
    for (const SMeshFile& file : s_aMeshes)
    {
        SCOPED_TRACE(file.szName);
        int nMeshes = 0;
        ForEachMesh(ParseMesh(file.szLibrary, file.szName),
                    [&](const SXMesh& mesh)
                    {
                        ++nMeshes;
                        EXPECT_LE(mesh.aVertices.size(), 65535u);
                        EXPECT_FALSE(mesh.aFaces.empty());
                        EXPECT_TRUE(mesh.bHasNormals && mesh.aNormals.size() == mesh.aVertices.size());
                        EXPECT_TRUE(mesh.bHasTexCoords && mesh.aTexCoords.size() == mesh.aVertices.size());
                        EXPECT_EQ(mesh.aFaces.size(), mesh.aFaceMaterials.size());
                        for (const SXMaterial& material : mesh.aMaterials)
                            if (!material.strTexture.empty())
                            {
                                EXPECT_TRUE(TextureExists(material.strTexture)) << material.strTexture;
                            }
                    });
        EXPECT_EQ(file.nMeshes, nMeshes);
    }
}

// The device culls counter-clockwise triangles: seen from outside each of the ball's triangles
// must run clockwise, which in the scene's left-handed frame makes (b - a) x (c - a) point out.
TEST(GameMeshesTest, BallIsASphereOfTheBallsSizeFacingOut)
{
    ForEachMesh(ParseMesh("Imagery.dll", "Ball.x"),
                [](const SXMesh& mesh)
                {
                    for (const auto& v : mesh.aVertices)
                        EXPECT_NEAR(1.12, std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]), 1e-4);
                    for (const auto& face : mesh.aFaces)
                    {
                        ASSERT_EQ(3u, face.size());
                        const auto& a = mesh.aVertices[face[0]];
                        const auto ab = Sub(mesh.aVertices[face[1]], a), ac = Sub(mesh.aVertices[face[2]], a);
                        const std::array<float, 3> n = {ab[1] * ac[2] - ab[2] * ac[1], ab[2] * ac[0] - ab[0] * ac[2],
                                                        ab[0] * ac[1] - ab[1] * ac[0]};
                        EXPECT_GT(n[0] * a[0] + n[1] * a[1] + n[2] * a[2], 0.0f);
                    }
                });
}

// The balls rebound where the cushions are drawn and drop where the pockets are: every cushion
// nose corner of the simulation, where the game places it in the scene, is a vertex of its side
// of the table, and every pocket's liner has the pocket's radius round its centre, on every table
// set. The sides lie where the painter's order by heading takes them: A at the head (-z), B at the
// foot (+z), C at -x, D at +x.
TEST(GameMeshesTest, CushionsAndPocketsStandWhereTheSimulationHasThem)
{
    for (const char* szSet : {"Table", "Tour"})
    {
        SCOPED_TRACE(szSet);
        ExpectCushionsAndPocketsOfTheSimulation(szSet);
    }
}
