#include "tools/meshgen/MeshBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

double Dot(const SVec3& a, const SVec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

SVec3 Cross(const SVec3& a, const SVec3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

SVec3 Normalized(const SVec3& v)
{
    const double d = std::sqrt(Dot(v, v));
    return d > 0.0 ? v * (1.0 / d) : v;
}

namespace
{
bool SameMaterial(const SMaterial& a, const SMaterial& b)
{
    return a.color == b.color && a.dPower == b.dPower && a.specular == b.specular && a.emissive == b.emissive &&
           a.strTexture == b.strTexture;
}

/// A number as the X files write it: fixed, six decimals, the C locale's point.
std::string Num(double d)
{
    char sz[48];
    std::snprintf(sz, sizeof sz, "%.6f", std::fabs(d) < 5e-7 ? 0.0 : d);
    return sz;
}

/// Writes a list of items, each ending in ";" inside, joined by "," and closed by ";".
template <class T, class F> void WriteList(std::string& out, const std::vector<T>& items, F write)
{
    for (std::size_t i = 0; i < items.size(); ++i)
    {
        out += "  ";
        write(out, items[i]);
        out += i + 1 < items.size() ? ",\n" : ";\n";
    }
}
} // namespace

void CMeshBuilder::UseMaterial(const SMaterial& material)
{
    for (std::size_t i = 0; i < m_groups.size(); ++i)
    {
        if (SameMaterial(m_groups[i].material, material))
        {
            m_nGroup = static_cast<int>(i);
            return;
        }
    }
    m_groups.push_back({material, {}});
    m_nGroup = static_cast<int>(m_groups.size()) - 1;
}

int CMeshBuilder::AddVertex(const SVertex& vertex)
{
    m_vertices.push_back(vertex);
    return static_cast<int>(m_vertices.size()) - 1;
}

void CMeshBuilder::AddTriangle(int a, int b, int c, const SVec3& outward)
{
    if (m_nGroup < 0)
        UseMaterial(SMaterial{});
    // In the scene's left-handed frame a triangle whose corners run clockwise, seen from outside,
    // has (b - a) x (c - a) pointing outside.
    const SVec3 face =
        Cross(m_vertices[b].position - m_vertices[a].position, m_vertices[c].position - m_vertices[a].position);
    if (Dot(face, outward) < 0.0)
        std::swap(b, c);
    m_groups[m_nGroup].triangles.push_back({a, b, c});
}

void CMeshBuilder::AddQuad(const std::array<SVec3, 4>& corners, const SVec3& normal,
                           const std::array<std::array<double, 2>, 4>& uvs)
{
    int ai[4];
    for (int i = 0; i < 4; ++i)
        ai[i] = AddVertex({corners[i], normal, uvs[i][0], uvs[i][1]});
    AddTriangle(ai[0], ai[1], ai[2], normal);
    AddTriangle(ai[0], ai[2], ai[3], normal);
}

void CMeshBuilder::AddTiledQuad(const std::array<SVec3, 4>& corners, const SVec3& normal, double dTile)
{
    std::array<std::array<double, 2>, 4> uvs{};
    for (int i = 0; i < 4; ++i)
    {
        const SVec3& p = corners[i];
        if (std::fabs(normal.y) > 0.7)
            uvs[i] = {p.x / dTile, p.z / dTile};
        else if (std::fabs(normal.x) > 0.7)
            uvs[i] = {p.z / dTile, -p.y / dTile};
        else
            uvs[i] = {p.x / dTile, -p.y / dTile};
    }
    AddQuad(corners, normal, uvs);
}

void CMeshBuilder::AddTiledGrid(const std::array<SVec3, 4>& corners, const SVec3& normal, double dTile, double dCell)
{
    const auto cells = [dCell](const SVec3& a, const SVec3& b)
    { return std::max(1, static_cast<int>(std::ceil(std::sqrt(Dot(b - a, b - a)) / dCell))); };
    const int nU = cells(corners[0], corners[1]), nV = cells(corners[0], corners[3]);
    // A point of the quad, bilinear between its corners.
    const auto at = [&](int i, int j)
    {
        const double u = static_cast<double>(i) / nU, v = static_cast<double>(j) / nV;
        return corners[0] * ((1 - u) * (1 - v)) + corners[1] * (u * (1 - v)) + corners[2] * (u * v) +
               corners[3] * ((1 - u) * v);
    };
    for (int j = 0; j < nV; ++j)
        for (int i = 0; i < nU; ++i)
            AddTiledQuad({at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)}, normal, dTile);
}

void CMeshBuilder::AddBox(const SVec3& lo, const SVec3& hi, double dTile)
{
    const double x0 = lo.x, y0 = lo.y, z0 = lo.z, x1 = hi.x, y1 = hi.y, z1 = hi.z;
    AddTiledQuad({{{x0, y1, z0}, {x1, y1, z0}, {x1, y1, z1}, {x0, y1, z1}}}, {0, 1, 0}, dTile);
    AddTiledQuad({{{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}}}, {0, -1, 0}, dTile);
    AddTiledQuad({{{x0, y0, z0}, {x1, y0, z0}, {x1, y1, z0}, {x0, y1, z0}}}, {0, 0, -1}, dTile);
    AddTiledQuad({{{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}}}, {0, 0, 1}, dTile);
    AddTiledQuad({{{x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}}}, {-1, 0, 0}, dTile);
    AddTiledQuad({{{x1, y0, z0}, {x1, y0, z1}, {x1, y1, z1}, {x1, y1, z0}}}, {1, 0, 0}, dTile);
}

void CMeshBuilder::AddTube(double cx, double cz, double y0, double r0, double y1, double r1, int nSides, bool bOutward)
{
    const double dSign = bOutward ? 1.0 : -1.0;
    std::vector<int> bottom, top;
    for (int i = 0; i <= nSides; ++i)
    {
        const double a = 2.0 * std::numbers::pi * i / nSides;
        const double c = std::cos(a), s = std::sin(a);
        // The side's slope tilts the normal up or down.
        const SVec3 n = Normalized(SVec3{c * (y1 - y0), r0 - r1, s * (y1 - y0)} * dSign);
        const double u = static_cast<double>(i) / nSides;
        bottom.push_back(AddVertex({{cx + r0 * c, y0, cz + r0 * s}, n, u, 1.0}));
        top.push_back(AddVertex({{cx + r1 * c, y1, cz + r1 * s}, n, u, 0.0}));
    }
    for (int i = 0; i < nSides; ++i)
    {
        const double a = 2.0 * std::numbers::pi * (i + 0.5) / nSides;
        const SVec3 out = SVec3{std::cos(a), 0.0, std::sin(a)} * dSign;
        AddTriangle(bottom[i], bottom[i + 1], top[i + 1], out);
        AddTriangle(bottom[i], top[i + 1], top[i], out);
    }
}

void CMeshBuilder::AddDisc(double cx, double cz, double y, double r, int nSides, bool bUp)
{
    const SVec3 n{0.0, bUp ? 1.0 : -1.0, 0.0};
    const int nCentre = AddVertex({{cx, y, cz}, n, 0.5, 0.5});
    std::vector<int> rim;
    for (int i = 0; i <= nSides; ++i)
    {
        const double a = 2.0 * std::numbers::pi * i / nSides;
        rim.push_back(AddVertex(
            {{cx + r * std::cos(a), y, cz + r * std::sin(a)}, n, 0.5 + 0.5 * std::cos(a), 0.5 - 0.5 * std::sin(a)}));
    }
    for (int i = 0; i < nSides; ++i)
        AddTriangle(nCentre, rim[i], rim[i + 1], n);
}

int CMeshBuilder::TriangleCount() const
{
    int n = 0;
    for (const SGroup& group : m_groups)
        n += static_cast<int>(group.triangles.size());
    return n;
}

std::string CMeshBuilder::XText() const
{
    std::vector<std::array<int, 3>> triangles;
    std::vector<int> materialOfTriangle;
    for (std::size_t g = 0; g < m_groups.size(); ++g)
        for (const auto& t : m_groups[g].triangles)
        {
            triangles.push_back(t);
            materialOfTriangle.push_back(static_cast<int>(g));
        }
    std::string out = "Mesh " + m_strName + " {\n  " + std::to_string(m_vertices.size()) + ";\n";
    WriteList(out, m_vertices,
              [](std::string& s, const SVertex& v)
              { s += Num(v.position.x) + ";" + Num(v.position.y) + ";" + Num(v.position.z) + ";"; });
    const auto writeFaces = [&](std::string& s)
    {
        s += "  " + std::to_string(triangles.size()) + ";\n";
        WriteList(s, triangles,
                  [](std::string& t, const std::array<int, 3>& f) {
                      t += "3;" + std::to_string(f[0]) + "," + std::to_string(f[1]) + "," + std::to_string(f[2]) + ";";
                  });
    };
    writeFaces(out);
    out += " MeshMaterialList {\n  " + std::to_string(m_groups.size()) + ";\n  " + std::to_string(triangles.size()) +
           ";\n";
    WriteList(out, materialOfTriangle, [](std::string& s, int m) { s += std::to_string(m); });
    for (const SGroup& group : m_groups)
    {
        const SMaterial& m = group.material;
        out += "  Material {\n   " + Num(m.color[0]) + ";" + Num(m.color[1]) + ";" + Num(m.color[2]) + ";" +
               Num(m.color[3]) + ";;\n   " + Num(m.dPower) + ";\n   " + Num(m.specular[0]) + ";" + Num(m.specular[1]) +
               ";" + Num(m.specular[2]) + ";;\n   " + Num(m.emissive[0]) + ";" + Num(m.emissive[1]) + ";" +
               Num(m.emissive[2]) + ";;\n";
        if (!m.strTexture.empty())
            out += "   TextureFilename {\n    \"" + m.strTexture + "\";\n   }\n";
        out += "  }\n";
    }
    out += " }\n MeshNormals {\n  " + std::to_string(m_vertices.size()) + ";\n";
    WriteList(out, m_vertices,
              [](std::string& s, const SVertex& v)
              {
                  const SVec3 n = Normalized(v.normal);
                  s += Num(n.x) + ";" + Num(n.y) + ";" + Num(n.z) + ";";
              });
    writeFaces(out);
    out += " }\n MeshTextureCoords {\n  " + std::to_string(m_vertices.size()) + ";\n";
    WriteList(out, m_vertices, [](std::string& s, const SVertex& v) { s += Num(v.u) + ";" + Num(v.v) + ";"; });
    out += " }\n}\n";
    return out;
}

std::string XFileText(const std::vector<const CMeshBuilder*>& meshes)
{
    std::string out = "xof 0302txt 0032\n";
    for (const CMeshBuilder* pMesh : meshes)
        out += pMesh->XText();
    return out;
}
