// The X-file reader: the text form of DirectX's mesh files ("xof 0302txt" and "0303txt"), with
// the standard templates built in. It reads Header, Frame, FrameTransformMatrix, Mesh,
// MeshMaterialList, Material (inline, or named at the top level and referenced as "{ Name }"),
// TextureFilename, MeshNormals and MeshTextureCoords; every other object, and every template
// declaration, is skipped by matching its braces. The binary form is read as the text form it
// says (XFileBinary.h); compressed files are refused.
//
// The reader checks what it can before it allocates: nesting is bounded, and every count must
// fit the bytes that are left. It does not check indices against counts: that is the mesh
// builder's work, which knows what each index names.
#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

/// Deepest nesting of data objects accepted (a frame inside a frame ... inside a mesh's material).
inline constexpr int XFILE_MAX_DEPTH = 32;

struct SXMaterial
{
    std::array<float, 4> afFace = {1, 1, 1, 1}; ///< r, g, b, a
    float fPower = 0;
    std::array<float, 3> afSpecular = {};
    std::array<float, 3> afEmissive = {};
    std::string strTexture; ///< TextureFilename, empty when none
};

struct SXMesh
{
    std::string strName;
    std::vector<std::array<float, 3>> aVertices;
    std::vector<std::vector<unsigned>> aFaces; ///< vertex indices per face
    bool bHasMaterialList = false;
    std::vector<unsigned> aFaceMaterials;
    std::vector<SXMaterial> aMaterials;
    bool bHasNormals = false;
    std::vector<std::array<float, 3>> aNormals;
    std::vector<std::vector<unsigned>> aNormalFaces; ///< normal indices per face
    bool bHasTexCoords = false;
    std::vector<std::array<float, 2>> aTexCoords;
};

struct SXFrame;

/// A frame's child: a frame or a mesh, in file order.
struct SXChild
{
    std::unique_ptr<SXFrame> pFrame;
    std::unique_ptr<SXMesh> pMesh;
};

struct SXFrame
{
    std::string strName;
    std::array<float, 16> afMatrix = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; ///< rows, row vectors
    std::vector<SXChild> aChildren;
};

/// Parses a text X file held in memory. The top-level frames and meshes become the children of
/// root. False with the reason in strError for a binary, compressed or malformed file.
bool ParseXFileText(std::string_view text, SXFrame& root, std::string& strError);
/// The same for an X file in its text or its binary form. False with the reason for a compressed
/// or malformed file.
bool ParseXFile(std::string_view file, SXFrame& root, std::string& strError);
