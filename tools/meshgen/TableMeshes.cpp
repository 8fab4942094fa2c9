#include "tools/meshgen/TableMeshes.h"

#include "simulation/PhysicsConstants.h"
#include "simulation/TableParts.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

namespace
{
constexpr double W = TABLE_WIDTH_M;
constexpr double L = TABLE_LENGTH_M;
/// Height of the cushion nose and of the rail top above the bed, inches.
const double NOSE_HEIGHT = CUSHION_NOSE_HEIGHT_M * INCHES_PER_METRE;
constexpr double RAIL_HEIGHT = 1.45;
/// Width of the wooden rail beyond the cushions, metres.
constexpr double RAIL_WIDTH_M = 5.0 * 0.0254;
/// Bottom of the rails' outer faces and the top of the body, inches above the floor.
constexpr double APRON_BOTTOM = 19.0;
/// Depth of the pocket liners below the bed, inches.
constexpr double LINER_DEPTH = 5.0;
/// Grid cells of the bed and of the rails, metres.
constexpr double BED_CELL_M = 0.0254;
constexpr double RAIL_CELL_M = 0.0127;

SMaterial Textured(const char* szTexture, double dPower = 0.0, double dSpecular = 0.0)
{
    SMaterial m;
    m.strTexture = szTexture;
    m.dPower = dPower;
    m.specular = {dSpecular, dSpecular, dSpecular};
    return m;
}

SMaterial Colored(double r, double g, double b, double dPower, double dSpecular)
{
    SMaterial m;
    m.color = {r, g, b, 1.0};
    m.dPower = dPower;
    m.specular = {dSpecular, dSpecular, dSpecular};
    return m;
}

struct SHole
{
    double x, y, r; // metres
};

/// The cushions' back line: the rectangle of their jaws' outer points.
double BackLine() { return -CCushion(0).GetPoint(0).x; }

/// The side (0 A .. 3 D) that a point of the rail ring belongs to: the edge it lies beyond most.
int SideOf(double x, double y)
{
    const double d = BackLine();
    const double aBeyond[4] = {-d - y, y - (L + d), -d - x, x - (W + d)};
    return static_cast<int>(std::max_element(aBeyond, aBeyond + 4) - aBeyond);
}

/// The side a pocket's liner and rim belong to.
int SideOfPocket(int nPocket)
{
    constexpr int SIDES[POCKET_COUNT] = {1, 2, 0, 1, 3, 0};
    return SIDES[nPocket];
}

std::vector<SHole> Holes()
{
    std::vector<SHole> holes;
    for (int p = 0; p < POCKET_COUNT; ++p)
    {
        const CWorldObject pocket(p);
        holes.push_back({pocket.GetPosition().x, pocket.GetPosition().y, pocket.GetRadius()});
    }
    return holes;
}

/// Moves a point inside a hole out to the hole's edge; false when it lies at a hole's centre.
bool SnapOutOfHoles(double& x, double& y, const std::vector<SHole>& holes)
{
    for (const SHole& h : holes)
    {
        const double dx = x - h.x, dy = y - h.y, d = std::hypot(dx, dy);
        if (d >= h.r)
            continue;
        if (d < 1e-9)
            return false;
        x = h.x + dx / d * h.r;
        y = h.y + dy / d * h.r;
    }
    return true;
}

bool InsideAHole(double x, double y, const std::vector<SHole>& holes)
{
    return std::any_of(holes.begin(), holes.end(), [&](const SHole& h) { return std::hypot(x - h.x, y - h.y) < h.r; });
}

/// A flat grid over a rectangle of the table (metres) at dHeight inches above the bed, its cells
/// chosen by pick (which mesh a cell centre goes to, or null), the pockets cut out of it: cells
/// wholly in a hole are left out and corners in a hole are moved to its edge, so the holes come
/// out round.
void AddHoledGrid(double x0, double y0, double x1, double y1, double dCell, double dHeight,
                  const std::vector<SHole>& holes, const std::function<CMeshBuilder*(double, double)>& pick,
                  double dTile)
{
    const int nx = static_cast<int>(std::ceil((x1 - x0) / dCell)), ny = static_cast<int>(std::ceil((y1 - y0) / dCell));
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i)
        {
            const double ax[2] = {x0 + (x1 - x0) * i / nx, x0 + (x1 - x0) * (i + 1) / nx};
            const double ay[2] = {y0 + (y1 - y0) * j / ny, y0 + (y1 - y0) * (j + 1) / ny};
            CMeshBuilder* pMesh = pick((ax[0] + ax[1]) / 2, (ay[0] + ay[1]) / 2);
            const bool bAllInHoles = InsideAHole(ax[0], ay[0], holes) && InsideAHole(ax[1], ay[0], holes) &&
                                     InsideAHole(ax[1], ay[1], holes) && InsideAHole(ax[0], ay[1], holes);
            if (pMesh == nullptr || bAllInHoles)
                continue;
            std::array<SVec3, 4> corners;
            bool bOk = true;
            const int aCorner[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
            for (int c = 0; c < 4; ++c)
            {
                double x = ax[aCorner[c][0]], y = ay[aCorner[c][1]];
                bOk = SnapOutOfHoles(x, y, holes) && bOk;
                corners[c] = TableToScene(x, y, 0.0);
                corners[c].y += dHeight;
            }
            if (bOk)
                pMesh->AddTiledQuad(corners, {0, 1, 0}, dTile);
        }
}

/// The felt bed: under the whole cushion band, with the pockets cut out.
void AddBed(CMeshBuilder& bed, const std::vector<SHole>& holes, const STableLook& look)
{
    const double d = BackLine();
    bed.UseMaterial(Textured(look.szCloth));
    AddHoledGrid(
        -d, -d, W + d, L + d, BED_CELL_M, 0.0, holes, [&](double, double) { return &bed; }, 12.0);
}

/// One cushion: its felt top from the nose up to the rail and its three faces, from the
/// simulation's corner points: jaw, face, jaw.
void AddCushion(CMeshBuilder& side, int nCushion, const STableLook& look)
{
    const CCushion cushion(nCushion);
    side.UseMaterial(Textured(look.szCushionCloth));
    SVec3 top[4], foot[4];
    for (int i = 0; i < 4; ++i)
    {
        const CVector3 p = cushion.GetPoint(i);
        top[i] = TableToScene(p.x, p.y, 0.0);
        foot[i] = top[i];
        top[i].y += (i == 0 || i == 3) ? RAIL_HEIGHT : NOSE_HEIGHT;
    }
    // The top slopes from the nose (points 1, 2) up to the rail at the back line (points 0, 3).
    const SVec3 up = Normalized(Cross(top[2] - top[1], top[0] - top[1]));
    const SVec3 topUp = up.y < 0 ? up * -1.0 : up;
    side.AddTiledQuad({top[0], top[1], top[2], top[3]}, topUp, 12.0);
    for (int i = 0; i < 3; ++i)
    {
        const CVector3 n = cushion.GetSegment(i).GetNormal();
        const SVec3 normal = Normalized(TableToScene(n.x, n.y, 0.0) - TableToScene(0, 0, 0));
        side.AddTiledQuad({foot[i], foot[i + 1], top[i + 1], top[i]}, normal, 12.0);
    }
}

/// The rails' outer faces, from the rail top down to the body.
void AddRailFaces(STableMeshes& meshes, const STableLook& look)
{
    const double o = BackLine() + RAIL_WIDTH_M;
    const double yTop = BED_HEIGHT + RAIL_HEIGHT;
    // One face from table corner (x0, y0) to (x1, y1), facing out along (nx, ny).
    const auto face = [&](double x0, double y0, double x1, double y1, double nx, double ny)
    {
        const SVec3 p = TableToScene(x0, y0, 0), q = TableToScene(x1, y1, 0);
        const SVec3 n = Normalized(TableToScene(nx, ny, 0) - TableToScene(0, 0, 0));
        CMeshBuilder& mesh = meshes.sides[SideOf((x0 + x1) / 2 + nx * o, (y0 + y1) / 2 + ny * o)];
        mesh.UseMaterial(Textured(look.szRail, 20.0, 0.25));
        mesh.AddTiledQuad({SVec3{p.x, APRON_BOTTOM, p.z}, SVec3{q.x, APRON_BOTTOM, q.z}, SVec3{q.x, yTop, q.z},
                           SVec3{p.x, yTop, p.z}},
                          n, 24.0);
    };
    face(-o, -o, W + o, -o, 0, -1);
    face(-o, L + o, W + o, L + o, 0, 1);
    face(-o, -o, -o, L + o, -1, 0);
    face(W + o, -o, W + o, L + o, 1, 0);
}

/// The sight diamonds on the rail tops: three on each end rail, six on each side rail, half way
/// across the rail, in mother-of-pearl.
void AddDiamonds(STableMeshes& meshes)
{
    const double dMid = BackLine() + RAIL_WIDTH_M / 2.0;
    const double y = BED_HEIGHT + RAIL_HEIGHT + 0.03;
    const auto diamond = [&](double x, double yTable, bool bAlongZ)
    {
        CMeshBuilder& mesh = meshes.sides[SideOf(x, yTable)];
        const SVec3 c = TableToScene(x, yTable, 0);
        const double a = bAlongZ ? 0.25 : 0.5, b = bAlongZ ? 0.5 : 0.25;
        mesh.UseMaterial(Colored(0.93, 0.90, 0.85, 40.0, 0.8));
        mesh.AddQuad({SVec3{c.x - a, y, c.z}, SVec3{c.x, y, c.z - b}, SVec3{c.x + a, y, c.z}, SVec3{c.x, y, c.z + b}},
                     {0, 1, 0}, {{{0, 0.5}, {0.5, 0}, {1, 0.5}, {0.5, 1}}});
    };
    for (int i = 1; i <= 3; ++i)
    {
        diamond(W * i / 4, L + dMid, false);
        diamond(W * i / 4, -dMid, false);
    }
    for (const int i : {1, 2, 3, 5, 6, 7})
    {
        diamond(-dMid, L * i / 8, true);
        diamond(W + dMid, L * i / 8, true);
    }
}

/// A pocket: its black leather liner down from the rail into the dark, and a brass rim on the
/// rail around the part of the hole that lies in the rail.
void AddPocket(CMeshBuilder& side, const SHole& hole, const STableLook& look)
{
    const SVec3 c = TableToScene(hole.x, hole.y, 0);
    const double r = hole.r * INCHES_PER_METRE;
    constexpr int SIDES = 32;
    side.UseMaterial(Textured("leather.jpg", 4.0, 0.1));
    side.AddTube(c.x, c.z, BED_HEIGHT - LINER_DEPTH, r * 0.8, BED_HEIGHT + RAIL_HEIGHT, r, SIDES, false);
    side.AddDisc(c.x, c.z, BED_HEIGHT - LINER_DEPTH, r * 0.8, SIDES, true);
    side.UseMaterial(Textured(look.szRim, 60.0, 0.9));
    const double d = BackLine(), y = BED_HEIGHT + RAIL_HEIGHT + 0.04, rOut = r + 0.7;
    for (int i = 0; i < 48; ++i)
    {
        const double a0 = 2.0 * std::numbers::pi * i / 48, a1 = 2.0 * std::numbers::pi * (i + 1) / 48;
        const double am = (a0 + a1) / 2, rm = (hole.r + rOut / INCHES_PER_METRE) / 2;
        const double mx = hole.x + rm * std::cos(am), my = hole.y + rm * std::sin(am);
        if (mx > -d && mx < W + d && my > -d && my < L + d)
            continue; // over the cushions and the bed: no rim
        // Table angle a points along (cos a, sin a) in table x, y; rr is in inches.
        const auto at = [&](double a, double rr)
        {
            const double m = rr / INCHES_PER_METRE;
            const SVec3 p = TableToScene(hole.x + m * std::cos(a), hole.y + m * std::sin(a), 0);
            return SVec3{p.x, y, p.z};
        };
        side.AddQuad({at(a0, r), at(a1, r), at(a1, rOut), at(a0, rOut)}, {0, 1, 0}, {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}});
    }
}

/// The body under the rails and its six legs.
void AddBody(CMeshBuilder& body)
{
    const double o = BackLine() + RAIL_WIDTH_M;
    const SVec3 lo = TableToScene(-o, -o, 0), hi = TableToScene(W + o, L + o, 0);
    body.UseMaterial(Textured("walnut.jpg", 20.0, 0.25));
    body.AddBox({lo.x + 0.2, APRON_BOTTOM - 4.0, lo.z + 0.2}, {hi.x - 0.2, BED_HEIGHT - 0.5, hi.z - 0.2}, 24.0);
    for (const double fx : {0.0, 1.0})
        for (const double fz : {0.0, 0.5, 1.0})
        {
            const double x = lo.x + 4.0 + (hi.x - lo.x - 8.0) * fx, z = lo.z + 4.0 + (hi.z - lo.z - 8.0) * fz;
            body.UseMaterial(Textured("walnut.jpg", 20.0, 0.25));
            body.AddBox({x - 2.2, 1.5, z - 2.2}, {x + 2.2, APRON_BOTTOM - 4.0, z + 2.2}, 24.0);
            body.UseMaterial(Textured("brass.jpg", 60.0, 0.9));
            body.AddBox({x - 2.5, 0.0, z - 2.5}, {x + 2.5, 1.5, z + 2.5}, 6.0);
        }
}

/// The watermark: a disc on the cloth between the centre and the foot spot that carries the
/// trophy pictures, clear of the rack and of the cue ball's spot.
void AddWatermark(CMeshBuilder& mark)
{
    const SVec3 c = TableToScene(W / 2, L * 0.62, 0);
    mark.UseMaterial(Textured("watermark.bmp"));
    mark.AddDisc(c.x, c.z, BED_HEIGHT + 0.02, 4.5, 32, true);
}
} // namespace

SVec3 TableToScene(double x, double y, double z)
{
    return {(x - W / 2.0) * INCHES_PER_METRE, BED_HEIGHT + z * INCHES_PER_METRE, (y - L / 2.0) * INCHES_PER_METRE};
}

STableMeshes MakeTableMeshes(const STableLook& look)
{
    STableMeshes meshes;
    const std::vector<SHole> holes = Holes();
    AddBed(meshes.bed, holes, look);
    const double d = BackLine(), o = d + RAIL_WIDTH_M;
    for (CMeshBuilder& side : meshes.sides)
        side.UseMaterial(Textured(look.szRail, 20.0, 0.25));
    AddHoledGrid(
        -o, -o, W + o, L + o, RAIL_CELL_M, RAIL_HEIGHT, holes,
        [&](double x, double y) -> CMeshBuilder*
        {
            const bool bInside = x > -d && x < W + d && y > -d && y < L + d;
            return bInside ? nullptr : &meshes.sides[SideOf(x, y)];
        },
        24.0);
    constexpr int CUSHION_SIDE[CUSHION_COUNT] = {2, 2, 3, 3, 1, 0};
    for (int c = 0; c < CUSHION_COUNT; ++c)
        AddCushion(meshes.sides[CUSHION_SIDE[c]], c, look);
    AddRailFaces(meshes, look);
    AddDiamonds(meshes);
    for (int p = 0; p < POCKET_COUNT; ++p)
        AddPocket(meshes.sides[SideOfPocket(p)], holes[p], look);
    AddBody(meshes.body);
    AddWatermark(meshes.watermark);
    return meshes;
}
