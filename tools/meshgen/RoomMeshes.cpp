#include "tools/meshgen/RoomMeshes.h"

#include "tools/art/BallMapping.h"
#include "tools/meshgen/TableMeshes.h"

#include <cmath>
#include <numbers>

namespace
{
/// The room's box, inches: the walls stand at these x and z, the ceiling at CEILING.
constexpr double ROOM_X0 = -240.0, ROOM_X1 = 250.0, ROOM_Z0 = -290.0, ROOM_Z1 = 330.0, CEILING = 140.0;
/// Top of the wall panels and of the chair rail above them.
constexpr double PANEL_TOP = 40.0;
/// The floor and the walls are cut into cells this wide (inches), so that the lamps light pools on them.
constexpr double LIT_CELL = 20.0;
constexpr double TWO_PI = 2.0 * std::numbers::pi;

SMaterial Textured(const char* szTexture, double dGrey = 1.0, double dPower = 0.0, double dSpecular = 0.0)
{
    SMaterial m;
    m.color = {dGrey, dGrey, dGrey, 1.0};
    m.strTexture = szTexture;
    m.dPower = dPower;
    m.specular = {dSpecular, dSpecular, dSpecular};
    return m;
}

SMaterial Colored(double r, double g, double b, double dPower = 0.0, double dSpecular = 0.0, double dGlow = 0.0)
{
    SMaterial m;
    m.color = {r, g, b, 1.0};
    m.dPower = dPower;
    m.specular = {dSpecular, dSpecular, dSpecular};
    m.emissive = {r * dGlow, g * dGlow, b * dGlow};
    return m;
}

/// A flat disc in the plane of two unit axes, facing `normal`; the texture's square holds it.
void AddPlaneDisc(CMeshBuilder& mesh, const SVec3& c, const SVec3& right, const SVec3& up, double r,
                  const SVec3& normal, double dTextureRadius)
{
    const int nCentre = mesh.AddVertex({c, normal, 0.5, 0.5});
    std::vector<int> rim;
    for (int i = 0; i <= 48; ++i)
    {
        const double a = TWO_PI * i / 48, ca = std::cos(a), sa = std::sin(a);
        rim.push_back(mesh.AddVertex(
            {c + right * (r * ca) + up * (r * sa), normal, 0.5 + dTextureRadius * ca, 0.5 - dTextureRadius * sa}));
    }
    for (int i = 0; i < 48; ++i)
        mesh.AddTriangle(nCentre, rim[i], rim[i + 1], normal);
}

/// A wall of the room from (x0, z0) to (x1, z1), facing `normal`: panels below, paper above.
void AddWall(CMeshBuilder& room, double x0, double z0, double x1, double z1, const SVec3& normal)
{
    room.UseMaterial(Textured("wallpanel.jpg"));
    room.AddTiledGrid({SVec3{x0, 0, z0}, SVec3{x1, 0, z1}, SVec3{x1, PANEL_TOP, z1}, SVec3{x0, PANEL_TOP, z0}}, normal,
                      PANEL_TOP, LIT_CELL);
    room.UseMaterial(Textured("wallpaper.jpg"));
    room.AddTiledGrid(
        {SVec3{x0, PANEL_TOP, z0}, SVec3{x1, PANEL_TOP, z1}, SVec3{x1, CEILING, z1}, SVec3{x0, CEILING, z0}}, normal,
        48.0, LIT_CELL);
    // The chair rail: a wooden strip standing a little out of the wall.
    const SVec3 out = normal * 1.0;
    room.UseMaterial(Textured("walnut.jpg", 1.0, 20.0, 0.2));
    room.AddTiledQuad({SVec3{x0, PANEL_TOP, z0} + out, SVec3{x1, PANEL_TOP, z1} + out,
                       SVec3{x1, PANEL_TOP + 2.5, z1} + out, SVec3{x0, PANEL_TOP + 2.5, z0} + out},
                      normal, 24.0);
    room.AddTiledQuad({SVec3{x0, PANEL_TOP + 2.5, z0}, SVec3{x1, PANEL_TOP + 2.5, z1},
                       SVec3{x1, PANEL_TOP + 2.5, z1} + out, SVec3{x0, PANEL_TOP + 2.5, z0} + out},
                      {0, 1, 0}, 24.0);
}

CMeshBuilder Room()
{
    CMeshBuilder room("Room");
    room.UseMaterial(Textured("floor.jpg"));
    room.AddTiledGrid({SVec3{ROOM_X0, 0, ROOM_Z0}, SVec3{ROOM_X1, 0, ROOM_Z0}, SVec3{ROOM_X1, 0, ROOM_Z1},
                       SVec3{ROOM_X0, 0, ROOM_Z1}},
                      {0, 1, 0}, 64.0, LIT_CELL);
    room.UseMaterial(Textured("wallpaper.jpg", 0.45));
    room.AddTiledQuad({SVec3{ROOM_X0, CEILING, ROOM_Z0}, SVec3{ROOM_X1, CEILING, ROOM_Z0},
                       SVec3{ROOM_X1, CEILING, ROOM_Z1}, SVec3{ROOM_X0, CEILING, ROOM_Z1}},
                      {0, -1, 0}, 48.0);
    AddWall(room, ROOM_X0, ROOM_Z0, ROOM_X1, ROOM_Z0, {0, 0, 1});
    AddWall(room, ROOM_X0, ROOM_Z1, ROOM_X1, ROOM_Z1, {0, 0, -1});
    AddWall(room, ROOM_X0, ROOM_Z0, ROOM_X0, ROOM_Z1, {1, 0, 0});
    AddWall(room, ROOM_X1, ROOM_Z0, ROOM_X1, ROOM_Z1, {-1, 0, 0});
    return room;
}

/// The lamp over the table: a brass bar on two rods from the ceiling, three green shades with
/// glowing bulbs.
CMeshBuilder Lamp()
{
    CMeshBuilder lamp("Lamp");
    lamp.UseMaterial(Textured("brass.jpg", 1.0, 60.0, 0.9));
    lamp.AddBox({-1.0, 104.0, -38.0}, {1.0, 106.0, 38.0}, 6.0);
    for (const double z : {-34.0, 34.0})
        lamp.AddBox({-0.3, 106.0, z - 0.3}, {0.3, CEILING, z + 0.3}, 6.0);
    for (const double z : {-30.0, 0.0, 30.0})
    {
        lamp.UseMaterial(Textured("lampshade.jpg", 1.0, 30.0, 0.5));
        lamp.AddTube(0.0, z, 95.0, 9.5, 104.0, 3.5, 32, true);
        lamp.UseMaterial(Colored(0.95, 0.90, 0.75, 0.0, 0.0, 0.6));
        lamp.AddTube(0.0, z, 95.0, 9.4, 104.0, 3.4, 32, false);
        lamp.UseMaterial(Colored(1.0, 0.95, 0.8, 0.0, 0.0, 1.0));
        lamp.AddDisc(0.0, z, 100.0, 2.2, 24, false);
    }
    return lamp;
}

/// The ceiling fan, centred over the table so that its motion turns it in place.
CMeshBuilder Fan()
{
    CMeshBuilder fan("Fan");
    fan.UseMaterial(Textured("brass.jpg", 1.0, 60.0, 0.9));
    fan.AddTube(0.0, 0.0, 130.0, 3.0, CEILING, 1.2, 24, true);
    fan.AddDisc(0.0, 0.0, 130.0, 3.0, 24, false);
    fan.UseMaterial(Textured("walnut.jpg", 1.0, 10.0, 0.2));
    for (int k = 0; k < 4; ++k)
    {
        const double a = TWO_PI * (k + 0.5) / 4.0, ca = std::cos(a), sa = std::sin(a);
        const SVec3 along{ca, 0, sa}, across{-sa, 0, ca};
        const auto at = [&](double r, double w, double y) { return SVec3{0, y, 0} + along * r + across * w; };
        const std::array<SVec3, 4> blade = {at(3.5, -2.0, 131.0), at(24.0, -2.8, 131.0), at(24.0, 2.8, 131.0),
                                            at(3.5, 2.0, 131.0)};
        const std::array<std::array<double, 2>, 4> uv = {{{0, 0}, {1, 0}, {1, 0.25}, {0, 0.25}}};
        fan.AddQuad(blade, {0, -1, 0}, uv);
        std::array<SVec3, 4> top = blade;
        for (SVec3& p : top)
            p.y += 0.3;
        fan.AddQuad(top, {0, 1, 0}, uv);
    }
    return fan;
}

/// A wall sconce on the left wall: a brass cup holding a flickering flame-coloured glass.
CMeshBuilder Sconce()
{
    CMeshBuilder sconce("Sconce");
    const double x = ROOM_X0 + 6.0;
    sconce.UseMaterial(Textured("brass.jpg", 1.0, 60.0, 0.9));
    sconce.AddBox({ROOM_X0, 62.0, -1.0}, {x, 63.5, 1.0}, 6.0);
    sconce.AddTube(x, 0.0, 63.5, 1.2, 66.0, 2.4, 16, true);
    sconce.UseMaterial(Colored(1.0, 0.55, 0.2, 0.0, 0.0, 0.9));
    sconce.AddTube(x, 0.0, 66.0, 1.6, 73.0, 1.2, 16, true);
    sconce.AddDisc(x, 0.0, 73.0, 1.2, 16, true);
    return sconce;
}

/// The clock on the far wall: its face and brass case around the hands' axis.
CMeshBuilder Clock()
{
    CMeshBuilder clock("Clock");
    const SVec3 c{CLOCK_AXIS[0], CLOCK_AXIS[1], CLOCK_AXIS[2]};
    // Seen from the room (looking towards +z), x runs to the right and y up.
    clock.UseMaterial(Textured("clockface.jpg", 1.0, 10.0, 0.2));
    AddPlaneDisc(clock, c, {1, 0, 0}, {0, 1, 0}, 10.0, {0, 0, -1}, 250.0 / 512.0);
    clock.UseMaterial(Textured("brass.jpg", 1.0, 60.0, 0.9));
    for (int i = 0; i < 48; ++i)
    {
        const double a0 = TWO_PI * i / 48, a1 = TWO_PI * (i + 1) / 48, am = (a0 + a1) / 2;
        const auto at = [&](double a, double z) {
            return SVec3{c.x + 10.2 * std::cos(a), c.y + 10.2 * std::sin(a), z};
        };
        clock.AddQuad({at(a0, c.z - 0.6), at(a1, c.z - 0.6), at(a1, ROOM_Z1), at(a0, ROOM_Z1)},
                      {std::cos(am), std::sin(am), 0}, {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}});
    }
    return clock;
}

/// A clock hand pointing at twelve, just in front of the face, turned by the game about the axis.
CMeshBuilder Hand(const char* szName, double dLength, double dWidth, double dGap)
{
    CMeshBuilder hand(szName);
    const double x = CLOCK_AXIS[0], y = CLOCK_AXIS[1], z = CLOCK_AXIS[2] - dGap;
    hand.UseMaterial(Colored(0.08, 0.06, 0.05, 20.0, 0.3));
    hand.AddQuad({SVec3{x - dWidth, y - 1.2, z}, SVec3{x + dWidth, y - 1.2, z}, SVec3{x + dWidth * 0.4, y + dLength, z},
                  SVec3{x - dWidth * 0.4, y + dLength, z}},
                 {0, 0, -1}, {{{0, 1}, {1, 1}, {1, 0}, {0, 0}}});
    return hand;
}

/// A picture on a side wall: one quad, whose first triangle spans the whole picture (the game
/// takes the link's box from it).
CMeshBuilder Picture(const char* szName, const char* szTexture, double x, double zCentre, bool bLeftWall)
{
    CMeshBuilder picture(szName);
    picture.UseMaterial(Textured(szTexture));
    const double z0 = zCentre - 18.0, z1 = zCentre + 18.0, y0 = 62.0, y1 = 98.0;
    const SVec3 normal{bLeftWall ? 1.0 : -1.0, 0, 0};
    // Seen from the room the picture's left edge is at z1 on the left wall and z0 on the right.
    const double zl = bLeftWall ? z1 : z0, zr = bLeftWall ? z0 : z1;
    picture.AddQuad({SVec3{x, y0, zl}, SVec3{x, y1, zl}, SVec3{x, y1, zr}, SVec3{x, y0, zr}}, normal,
                    {{{0, 1}, {0, 0}, {1, 0}, {1, 1}}});
    return picture;
}

/// Where the trophy stands: on a low walnut cabinet against the far wall, left of the clock as the
/// room is seen looking towards +z; the medal faces the room.
constexpr double TROPHY_X = -65.0, CABINET_TOP = 10.0, CABINET_BACK = ROOM_Z1 - 2.0, CABINET_FRONT = ROOM_Z1 - 16.0;
constexpr double MEDAL_RADIUS = 5.0, MEDAL_Z = ROOM_Z1 - 9.0, MEDAL_THICKNESS = 1.0;
/// Texture coordinates tiled this coarsely stay at the picture's corner, its plain metal.
constexpr double PLAIN_METAL_TILE = 1.0e6;

/// The trophy: a foot and a post holding an upright medal, all in the medal's picture, which the
/// game sets by the player's trophy (the medal on both faces, the metal of its corners elsewhere).
CMeshBuilder Trophy()
{
    CMeshBuilder trophy("Trophy");
    trophy.UseMaterial(Textured("bronze.bmp", 1.0, 40.0, 0.6));
    const double y0 = CABINET_TOP, zBack = MEDAL_Z + MEDAL_THICKNESS / 2, zFront = MEDAL_Z - MEDAL_THICKNESS / 2;
    trophy.AddBox({TROPHY_X - 4.0, y0, MEDAL_Z - 2.5}, {TROPHY_X + 4.0, y0 + 1.5, MEDAL_Z + 2.5}, PLAIN_METAL_TILE);
    trophy.AddBox({TROPHY_X - 0.6, y0 + 1.5, MEDAL_Z - 0.4}, {TROPHY_X + 0.6, y0 + 2.5, MEDAL_Z + 0.4},
                  PLAIN_METAL_TILE);
    const SVec3 c{TROPHY_X, y0 + 2.5 + MEDAL_RADIUS, MEDAL_Z};
    constexpr double PICTURE_RADIUS = 120.0 / 256.0;
    AddPlaneDisc(trophy, c + SVec3{0, 0, zFront - MEDAL_Z}, {1, 0, 0}, {0, 1, 0}, MEDAL_RADIUS, {0, 0, -1},
                 PICTURE_RADIUS);
    AddPlaneDisc(trophy, c + SVec3{0, 0, zBack - MEDAL_Z}, {-1, 0, 0}, {0, 1, 0}, MEDAL_RADIUS, {0, 0, 1},
                 PICTURE_RADIUS);
    // The medal's edge.
    constexpr int EDGE = 48;
    for (int i = 0; i < EDGE; ++i)
    {
        const double a0 = TWO_PI * i / EDGE, a1 = TWO_PI * (i + 1) / EDGE, am = (a0 + a1) / 2;
        const auto at = [&](double a, double z) {
            return SVec3{c.x + MEDAL_RADIUS * std::cos(a), c.y + MEDAL_RADIUS * std::sin(a), z};
        };
        trophy.AddQuad({at(a0, zFront), at(a1, zFront), at(a1, zBack), at(a0, zBack)}, {std::cos(am), std::sin(am), 0},
                       {{{0, 0}, {0, 0}, {0, 0}, {0, 0}}});
    }
    return trophy;
}

/// The trophy's cabinet: a walnut box against the far wall.
CMeshBuilder TrophyCabinet()
{
    CMeshBuilder cabinet("TrophyCabinet");
    cabinet.UseMaterial(Textured("walnut.jpg", 1.0, 20.0, 0.2));
    cabinet.AddBox({TROPHY_X - 14.0, 0.0, CABINET_FRONT}, {TROPHY_X + 14.0, CABINET_TOP, CABINET_BACK}, 24.0);
    return cabinet;
}

/// The ball: a sphere of radius 1.12 (2.24 across) wrapped by its face picture (BallMapping.h).
CMeshBuilder Ball()
{
    CMeshBuilder ball("Ball");
    constexpr int SLICES = 32, STACKS = 16;
    constexpr double R = 1.12;
    SMaterial m;
    m.strTexture = "b_00.bmp";
    m.dPower = 40.0;
    m.specular = {0.6, 0.6, 0.6};
    ball.UseMaterial(m);
    std::vector<int> grid;
    for (int i = 0; i <= STACKS; ++i)
        for (int j = 0; j <= SLICES; ++j)
        {
            const double u = static_cast<double>(j) / SLICES, v = static_cast<double>(i) / STACKS;
            const auto p = BallPointFromUv(u, v);
            const SVec3 n{p[0], p[1], p[2]};
            grid.push_back(ball.AddVertex({n * R, n, u, v}));
        }
    for (int i = 0; i < STACKS; ++i)
        for (int j = 0; j < SLICES; ++j)
        {
            const int a = grid[i * (SLICES + 1) + j], b = grid[i * (SLICES + 1) + j + 1];
            const int c = grid[(i + 1) * (SLICES + 1) + j + 1], d = grid[(i + 1) * (SLICES + 1) + j];
            const auto p = BallPointFromUv((j + 0.5) / SLICES, (i + 0.5) / STACKS);
            const SVec3 out{p[0], p[1], p[2]};
            if (i > 0)
                ball.AddTriangle(a, b, c, out);
            if (i < STACKS - 1)
                ball.AddTriangle(a, c, d, out);
        }
    return ball;
}

/// The cue: its tip at the origin, running along -z for 57 inches, from a 0.25 tip to a 0.6
/// butt; a blue chalked tip, an ivory ferrule, then the shaft and butt of the cue picture.
CMeshBuilder Cue()
{
    CMeshBuilder cue("Cue");
    constexpr double LENGTH = 57.0;
    constexpr int SIDES = 16;
    struct SRing
    {
        double z, r;
    };
    const auto section = [&](const SRing& a, const SRing& b, const SMaterial& material)
    {
        cue.UseMaterial(material);
        std::vector<int> ra, rb;
        for (int i = 0; i <= SIDES; ++i)
        {
            const double t = TWO_PI * i / SIDES;
            const SVec3 n{std::cos(t), std::sin(t), 0};
            ra.push_back(cue.AddVertex({SVec3{a.r * n.x, a.r * n.y, a.z}, n, 1.0 + a.z / LENGTH, t / TWO_PI}));
            rb.push_back(cue.AddVertex({SVec3{b.r * n.x, b.r * n.y, b.z}, n, 1.0 + b.z / LENGTH, t / TWO_PI}));
        }
        for (int i = 0; i < SIDES; ++i)
        {
            const double t = TWO_PI * (i + 0.5) / SIDES;
            const SVec3 out{std::cos(t), std::sin(t), 0};
            cue.AddTriangle(ra[i], ra[i + 1], rb[i + 1], out);
            cue.AddTriangle(ra[i], rb[i + 1], rb[i], out);
        }
    };
    section({0.0, 0.25}, {-0.4, 0.26}, Colored(0.3, 0.4, 0.6, 5.0, 0.1));
    section({-0.4, 0.26}, {-1.2, 0.27}, Colored(0.95, 0.93, 0.86, 30.0, 0.5));
    SMaterial wood;
    wood.strTexture = "cue.jpg";
    wood.dPower = 30.0;
    wood.specular = {0.4, 0.4, 0.4};
    section({-1.2, 0.27}, {-LENGTH, 0.6}, wood);
    cue.UseMaterial(Colored(0.05, 0.05, 0.05, 10.0, 0.2));
    const int nCentre = cue.AddVertex({{0, 0, -LENGTH}, {0, 0, -1}, 0, 0});
    std::vector<int> rim;
    for (int i = 0; i <= SIDES; ++i)
    {
        const double t = TWO_PI * i / SIDES;
        rim.push_back(cue.AddVertex({{0.6 * std::cos(t), 0.6 * std::sin(t), -LENGTH}, {0, 0, -1}, 0, 0}));
    }
    for (int i = 0; i < SIDES; ++i)
        cue.AddTriangle(nCentre, rim[i], rim[i + 1], {0, 0, -1});
    return cue;
}

/// The pocket arrow: a flat arrow pointing down with its tip at the origin, seen from both sides,
/// the arrow picture laid on it.
CMeshBuilder Arrow()
{
    CMeshBuilder arrow("Arrow");
    arrow.UseMaterial(Textured("arrow.bmp", 1.0, 0.0, 0.0));
    // The picture's arrow (256 texels, tip at the top) on the mesh at 50 texels an inch, so the
    // picture's tip lands on the mesh's tip.
    const auto v = [](double x, double y) {
        return std::array<double, 2>{(128.0 + 50.0 * x) / 256.0, (20.0 + 50.0 * y) / 256.0};
    };
    const double head[3][2] = {{0, 0}, {2.0, 2.2}, {-2.0, 2.2}};
    const double shaft[4][2] = {{0.8, 2.2}, {0.8, 4.32}, {-0.8, 4.32}, {-0.8, 2.2}};
    for (const double dSide : {-1.0, 1.0})
    {
        const SVec3 normal{0, 0, dSide};
        const double z = 0.05 * dSide;
        std::vector<int> h, s;
        for (const auto& p : head)
            h.push_back(arrow.AddVertex({{p[0], p[1], z}, normal, v(p[0], p[1])[0], v(p[0], p[1])[1]}));
        for (const auto& p : shaft)
            s.push_back(arrow.AddVertex({{p[0], p[1], z}, normal, v(p[0], p[1])[0], v(p[0], p[1])[1]}));
        arrow.AddTriangle(h[0], h[1], h[2], normal);
        arrow.AddTriangle(s[0], s[1], s[2], normal);
        arrow.AddTriangle(s[0], s[2], s[3], normal);
    }
    return arrow;
}
} // namespace

std::vector<SNamedMesh> MakeRoomMeshes()
{
    std::vector<SNamedMesh> meshes;
    meshes.push_back({"Room.x", Room()});
    meshes.push_back({"Lamp.x", Lamp()});
    meshes.push_back({"Fan.x", Fan()});
    meshes.push_back({"Sconce.x", Sconce()});
    meshes.push_back({"Clock.x", Clock()});
    meshes.push_back({"HourHand.x", Hand("HourHand", 5.5, 0.5, 0.15)});
    meshes.push_back({"MinuteHand.x", Hand("MinuteHand", 8.0, 0.35, 0.25)});
    meshes.push_back({"Picture1.x", Picture("Picture1", "link1.jpg", ROOM_X0 + 0.5, -60.0, true)});
    meshes.push_back({"Picture2.x", Picture("Picture2", "link2.jpg", ROOM_X0 + 0.5, 120.0, true)});
    meshes.push_back({"Picture3.x", Picture("Picture3", "link3.jpg", ROOM_X1 - 0.5, -60.0, false)});
    meshes.push_back({"Picture4.x", Picture("Picture4", "link4.jpg", ROOM_X1 - 0.5, 120.0, false)});
    meshes.push_back({"Ball.x", Ball()});
    meshes.push_back({"Cue.x", Cue()});
    meshes.push_back({"Arrow.x", Arrow()});
    std::vector<CMeshBuilder> cabinet;
    cabinet.push_back(TrophyCabinet());
    meshes.push_back({"Trophy.x", Trophy(), std::move(cabinet)});
    return meshes;
}
