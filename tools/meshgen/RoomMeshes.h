// The room around the table and the things in it: floor, panelled walls and ceiling, the lamp
// over the table, the ceiling fan, a wall sconce, the clock with its hands, the pictures with
// their links, the trophy on its cabinet; and the game's small meshes: the ball, the cue and the
// pocket arrow.
#pragma once

#include "tools/meshgen/MeshBuilder.h"

#include <string>
#include <vector>

/// The clock's axis: the hands turn about the z axis through this point (scene inches).
inline constexpr double CLOCK_AXIS[3] = {10.693614, 77.027481, 328.188568};

struct SNamedMesh
{
    std::string strFile; // the X file's name, e.g. "Room.x"
    CMeshBuilder mesh;
    /// Further meshes of the file after the first: a picture the game sets on the object goes on
    /// the first mesh alone, so these keep their own look.
    std::vector<CMeshBuilder> parts = {};
};

/// Every mesh of the room, the props and the game's small meshes.
std::vector<SNamedMesh> MakeRoomMeshes();
