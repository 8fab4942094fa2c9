// The table's meshes, built from the simulation's own cushions and pockets so that the balls
// rebound where the cushions are drawn and drop where the pockets are.
//
// The table in the scene: the physics table (metres, x across, y along, z up) is drawn in inches
// with y up and centred on the origin: scene x = (x - W/2) k, scene z = (y - L/2) k, scene
// y = 26 + z k, with k = 1/0.0254 inches a metre, as the game places it (render/TableSpace.h). The
// bed is then 44 by 88 at height 26; the physics table's y = 0 end, the head, is at scene z = -44.
//
// The table's parts by the scene kinds the table set names: the bed (0x1000040), the four sides
// (rail, cushions, sight diamonds and their pockets' liners and rims): A at scene z = -44, the
// head (0x4000040), B at z = +44, the foot (0x8000040), C at x = -22 (0x10000040), D at x = +22 (0x20000040);
// the watermark on the cloth (0x2000040); and the body with its legs, a scene object of its own.
#pragma once

#include "tools/meshgen/MeshBuilder.h"

inline constexpr double BED_HEIGHT = 26.0;
inline constexpr double INCHES_PER_METRE = 1.0 / 0.0254;

/// A point of the physics table (metres, z up) in the scene (inches, y up).
SVec3 TableToScene(double x, double y, double z);

struct STableMeshes
{
    CMeshBuilder bed{"Bed"};
    CMeshBuilder sides[4]{CMeshBuilder{"SideA"}, CMeshBuilder{"SideB"}, CMeshBuilder{"SideC"}, CMeshBuilder{"SideD"}};
    CMeshBuilder watermark{"Watermark"};
    CMeshBuilder body{"Body"};
};

/// What a table set dresses the table in: the textures of its cloth, its rails and its pocket rims.
struct STableLook
{
    const char* szCloth = "felt.bmp";          ///< the bed
    const char* szCushionCloth = "felt_d.bmp"; ///< the cushions' tops and faces
    const char* szRail = "walnut.jpg";         ///< the rails' tops and outer faces
    const char* szRim = "brass.jpg";           ///< the rims round the pockets
};

/// The table's meshes in a look (by default the walnut table with green felt that the player's
/// "Table color" tints).
STableMeshes MakeTableMeshes(const STableLook& look = STableLook());
