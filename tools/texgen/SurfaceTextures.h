// The textures of the table and the room: felt, woods, walls, floor, brass, leather, the clock's
// face, the lamp's shade, the cue and the pictures on the walls. Each is a tile drawn from noise
// and shapes with its own fixed seed.
#pragma once

#include "tools/art/ArtImage.h"

#include <string>
#include <vector>

/// The cloth colour the felt is drawn at: the default "Table color" (RGB 0x22, 0x8E, 0x2A), so the
/// texture manager's averaging with that colour leaves the felt as it is drawn.
inline constexpr std::uint32_t DEFAULT_CLOTH_RGB = 0x228E2A;
/// The tournament table's own blue cloth, which no "Table color" tints.
inline constexpr std::uint32_t TOURNAMENT_CLOTH_RGB = 0x1E4E96;

struct SNamedPicture
{
    std::string strName; // the file name the game asks for, e.g. "felt.jpg"
    CArtImage image;
};

/// Every surface texture, written as JPEG under its name.
std::vector<SNamedPicture> MakeSurfaceTextures();
