// Meshes built by the mesh generator and written as text X files ("xof 0302txt 0032") with the
// templates the game's reader knows: Mesh, MeshMaterialList, Material, TextureFilename,
// MeshNormals and MeshTextureCoords. Units are inches, y up. Every triangle is stored with its
// front face clockwise as seen from outside (the device culls counter-clockwise faces): the
// builder orders each triangle's corners so that its face normal points the way asked.
#pragma once

#include <array>
#include <string>
#include <vector>

struct SVec3
{
    double x = 0.0, y = 0.0, z = 0.0;
    SVec3 operator+(const SVec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    SVec3 operator-(const SVec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    SVec3 operator*(double f) const { return {x * f, y * f, z * f}; }
};
double Dot(const SVec3& a, const SVec3& b);
SVec3 Cross(const SVec3& a, const SVec3& b);
SVec3 Normalized(const SVec3& v);

/// A surface look: colour, shine and an optional texture (by the name the game looks it up by).
struct SMaterial
{
    std::array<double, 4> color = {1, 1, 1, 1};
    double dPower = 0.0;
    std::array<double, 3> specular = {0, 0, 0};
    std::array<double, 3> emissive = {0, 0, 0};
    std::string strTexture;
};

struct SVertex
{
    SVec3 position;
    SVec3 normal;
    double u = 0.0, v = 0.0;
};

class CMeshBuilder
{
public:
    explicit CMeshBuilder(std::string strName) : m_strName(std::move(strName)) {}

    /// Makes the material current for the triangles that follow (a new group when it is new).
    void UseMaterial(const SMaterial& material);
    int AddVertex(const SVertex& vertex);
    /// A triangle of three vertices, turned so that its face normal points along `outward`.
    void AddTriangle(int a, int b, int c, const SVec3& outward);
    /// A flat quad a-b-c-d (in order around it) with one normal and the given texture corners.
    void AddQuad(const std::array<SVec3, 4>& corners, const SVec3& normal,
                 const std::array<std::array<double, 2>, 4>& uvs);
    /// A flat quad whose texture coordinates are its corners' positions divided by dTile, taken
    /// along the two axes the normal leaves (tiling textures on floors, walls and rails).
    void AddTiledQuad(const std::array<SVec3, 4>& corners, const SVec3& normal, double dTile);
    /// The same quad cut into a grid of cells at most dCell across: its vertices, where the lamps
    /// are reckoned, lie close enough together that a lamp near it lights a pool of its own.
    void AddTiledGrid(const std::array<SVec3, 4>& corners, const SVec3& normal, double dTile, double dCell);
    /// An axis-aligned box (all six faces, outward), tiled.
    void AddBox(const SVec3& lo, const SVec3& hi, double dTile);
    /// The side of a frustum around the y axis through (cx, cz), from radius r0 at y0 to r1 at y1,
    /// nSides faces, facing out (or in); u runs around, v along y.
    void AddTube(double cx, double cz, double y0, double r0, double y1, double r1, int nSides, bool bOutward);
    /// A flat disc facing up (or down) at height y.
    void AddDisc(double cx, double cz, double y, double r, int nSides, bool bUp);

    int VertexCount() const { return static_cast<int>(m_vertices.size()); }
    int TriangleCount() const;
    /// The mesh as a text X file's Mesh object.
    std::string XText() const;

private:
    struct SGroup
    {
        SMaterial material;
        std::vector<std::array<int, 3>> triangles;
    };

    std::string m_strName;
    std::vector<SVertex> m_vertices;
    std::vector<SGroup> m_groups;
    int m_nGroup = -1;
};

/// A whole X file of the given meshes.
std::string XFileText(const std::vector<const CMeshBuilder*>& meshes);
