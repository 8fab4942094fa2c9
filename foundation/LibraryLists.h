// The scanned lists of the game's data libraries: the artwork libraries (Imagery*.dll: scene
// text, meshes, textures) and the ball-set libraries (VornBall*.dat), searched in list order,
// the first library holding a resource winning. Each entry is what LoadLibrary opens.
#pragma once

#include "platform/mfc/CString.h"

/// Filled by start-up on the main thread before the scene is read, read on the main thread
/// after; tests fill them with their own libraries and empty them again.
extern CStringArray g_astrArtworkLibraries;
extern CStringArray g_astrBallSetLibraries;
