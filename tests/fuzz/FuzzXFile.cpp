// X files, text or binary, read from any bytes and built into mesh trees. Properties: every mesh's indices name
// its vertices, three per triangle, and its groups cover its triangles and vertices in order.
#include "tests/fuzz/FuzzTarget.h"
#include "tests/platform/dx/XFileBinaryWriter.h"

#include "platform/dx/XFileText.h"
#include "render/XFile.h"

#include <string_view>

namespace
{
void CheckMeshes(const CXFileNode& node)
{
    for (const CXFileNode* p = node.GetChild(); p != nullptr; p = p->GetNext())
    {
        if (const auto* pMesh = dynamic_cast<const CXFileObject*>(p))
        {
            FuzzCheck(pMesh->Indices().size() % 3 == 0, "indices are not whole triangles");
            FuzzCheck(pMesh->Vertices().size() <= 65535, "more vertices than 16-bit indices reach");
            DWORD dwTriangle = 0, dwVertex = 0;
            for (const SXFileGroup& g : pMesh->Groups())
            {
                FuzzCheck(g.dwFirstTriangle == dwTriangle && g.dwFirstVertex == dwVertex, "groups are not in order");
                for (DWORD i = g.dwFirstTriangle * 3; i < (g.dwFirstTriangle + g.dwTriangles) * 3; ++i)
                    FuzzCheck(pMesh->Indices()[i] >= g.dwFirstVertex &&
                                  pMesh->Indices()[i] < g.dwFirstVertex + g.dwVertices,
                              "an index leaves its group");
                dwTriangle += g.dwTriangles;
                dwVertex += g.dwVertices;
            }
            FuzzCheck(dwTriangle * 3 == pMesh->Indices().size() && dwVertex == pMesh->Vertices().size(),
                      "groups do not cover the mesh");
        }
        CheckMeshes(*p);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    SXFrame file;
    std::string strError;
    const std::string_view bytes(reinterpret_cast<const char*>(pData), nSize);
    if (!ParseXFile(bytes, file, strError))
    {
        FuzzCheck(!strError.empty(), "a refused file without a reason");
        return 0;
    }
    if (auto pRoot = BuildXFileTree(file, strError))
        CheckMeshes(*pRoot);
    else
        FuzzCheck(!strError.empty(), "a refused mesh without a reason");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    const std::string strSmall = "xof 0302txt 0064\r\nMesh { 3; 0;0;0;, 1;0;0;, 0;1.5;0;; 1; 3;0,1,2;; }\r\n";
    return {FuzzBytes(xbin::FromText(strSmall)), FuzzBytes(xbin::FromText(strSmall, true)),
            FuzzBytes("xof 0303txt 0032\ntemplate T { <3D82AB43-62DA-11cf-AB39-0020AF71E433> DWORD n; }\n"
                      "Material Red { 1;0;0;1;; 5; 0;0;0;; 0;0;0;; TextureFilename { \"red.bmp\"; } }\n"
                      "Frame F { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 5,6,7,1;; }\n"
                      " Mesh M { 5; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;, 2;0;0;; 2; 4;0,1,2,3;, 3;1,4,2;;\n"
                      "  MeshMaterialList { 2; 2; 1, 0;; {Red} Material { 0;1;0;1;; 0; 0;0;0;; 0;0;0;; } }\n"
                      "  MeshNormals { 1; 0;0;-1;; 2; 4;0,0,0,0;, 3;0,0,0;; }\n"
                      "  MeshTextureCoords { 5; 0;0;, 1;0;, 1;1;, 0;1;, 2;0;; } } }\n"),
            FuzzBytes(strSmall)};
}
