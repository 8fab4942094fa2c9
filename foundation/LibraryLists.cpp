#include "foundation/LibraryLists.h"

CStringArray g_astrArtworkLibraries;
CStringArray g_astrBallSetLibraries;
