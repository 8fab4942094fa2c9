// The game's clips, drawn for the places that show them: the splash's start clip over the whole
// splash picture (a shine that crosses the title), its flame and its jukebox at their places on
// the splash (each over the piece of the picture it covers), and the pocket arrow's glow on the
// arrow's texture.
#pragma once

#include "tools/aviclip/AviWriter.h"

#include <string>
#include <vector>

struct SNamedClip
{
    std::string strName; ///< the file name, as the game names it
    SAviClipDesc desc;
};

/// "Start.avi", "Flame.AVI", "jbspl.avi" and "arrow.avi".
std::vector<SNamedClip> MakeGameClips();
