// meshgen <output folder>: writes the game's meshes as text X files, "meshes/<name>.x": the
// table's parts from the simulation's cushions and pockets, the room, its props and the game's
// small meshes.
#include "tools/art/ArtOutput.h"
#include "tools/meshgen/RoomMeshes.h"
#include "tools/meshgen/TableMeshes.h"

#include <cstdio>

namespace
{
/// The most vertices a mesh may have: the game draws with 16-bit indices.
constexpr int MAX_VERTICES = 65535;

bool WriteMesh(CArtOutput& output, const std::string& strFile, const CMeshBuilder& mesh)
{
    if (mesh.VertexCount() > MAX_VERTICES)
    {
        std::fprintf(stderr, "%s: %d vertices, more than 16-bit indices reach\n", strFile.c_str(), mesh.VertexCount());
        return false;
    }
    const std::string strText = XFileText({&mesh});
    return output.Write("meshes/" + strFile, std::vector<std::uint8_t>(strText.begin(), strText.end()));
}

bool Generate(CArtOutput& output)
{
    const STableMeshes table = MakeTableMeshes();
    bool bOk = WriteMesh(output, "TableBed.x", table.bed);
    const char* const aszSides[4] = {"TableSideA.x", "TableSideB.x", "TableSideC.x", "TableSideD.x"};
    for (int i = 0; i < 4; ++i)
        bOk = WriteMesh(output, aszSides[i], table.sides[i]) && bOk;
    bOk = WriteMesh(output, "TableMark.x", table.watermark) && bOk;
    bOk = WriteMesh(output, "TableBody.x", table.body) && bOk;
    for (const SNamedMesh& named : MakeRoomMeshes())
        bOk = WriteMesh(output, named.strFile, named.mesh) && bOk;
    return bOk;
}
} // namespace

int main(int argc, char** argv) { return RunArtGenerator(argc, argv, "meshgen", Generate); }
