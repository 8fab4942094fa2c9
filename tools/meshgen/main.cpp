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

/// One X file of the meshes, in their order.
bool WriteMeshes(CArtOutput& output, const std::string& strFile, const std::vector<const CMeshBuilder*>& meshes)
{
    for (const CMeshBuilder* pMesh : meshes)
        if (pMesh->VertexCount() > MAX_VERTICES)
        {
            std::fprintf(stderr, "%s: %d vertices, more than 16-bit indices reach\n", strFile.c_str(),
                         pMesh->VertexCount());
            return false;
        }
    const std::string strText = XFileText(meshes);
    return output.Write("meshes/" + strFile, std::vector<std::uint8_t>(strText.begin(), strText.end()));
}

bool WriteMesh(CArtOutput& output, const std::string& strFile, const CMeshBuilder& mesh)
{
    return WriteMeshes(output, strFile, {&mesh});
}

/// The table's bed and sides in a look, under the names a table set gives them; its watermark too
/// when a name is given.
bool WriteTable(CArtOutput& output, const STableLook& look, const std::string& strPrefix, const char* szWatermark)
{
    const STableMeshes table = MakeTableMeshes(look);
    bool bOk = WriteMesh(output, strPrefix + "Bed.x", table.bed);
    for (int i = 0; i < 4; ++i)
        bOk = WriteMesh(output, strPrefix + "Side" + static_cast<char>('A' + i) + ".x", table.sides[i]) && bOk;
    if (szWatermark != nullptr)
        bOk = WriteMesh(output, szWatermark, table.watermark) && bOk;
    return bOk;
}

bool Generate(CArtOutput& output)
{
    // The walnut table with its green felt, and the tournament table (blue cloth, ebony rails,
    // chrome rims), which shares its watermark.
    bool bOk = WriteTable(output, STableLook(), "Table", "TableMark.x");
    bOk =
        WriteTable(output, STableLook{"tourfelt.jpg", "tourfelt_d.jpg", "ebony.jpg", "chrome.jpg"}, "Tour", nullptr) &&
        bOk;
    bOk = WriteMesh(output, "TableBody.x", MakeTableMeshes().body) && bOk;
    for (const SNamedMesh& named : MakeRoomMeshes())
    {
        std::vector<const CMeshBuilder*> meshes = {&named.mesh};
        for (const CMeshBuilder& part : named.parts)
            meshes.push_back(&part);
        bOk = WriteMeshes(output, named.strFile, meshes) && bOk;
    }
    return bOk;
}
} // namespace

int main(int argc, char** argv) { return RunArtGenerator(argc, argv, "meshgen", Generate); }
