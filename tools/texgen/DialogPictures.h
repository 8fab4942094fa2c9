// The pictures of the game's skinned dialogs: each dialog's background (calm felt in an embossed
// brass frame, its title and fixed texts drawn in) and its image buttons in their looks, at the
// sizes the dialogs' layouts place them.
#pragma once

#include "tools/texgen/SurfaceTextures.h"

#include <vector>

/// Every dialog picture of the program library, named by its id.
std::vector<SNamedPicture> MakeDialogPictures();
