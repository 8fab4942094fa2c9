// The scanned lists of the game's data libraries: the artwork libraries (Imagery*.dll: scene
// text, meshes, textures) and the ball-set libraries (VornBall*.dat), searched in list order,
// the first library holding a resource winning. Each entry is what LoadLibrary opens.
#pragma once

#include "platform/mfc/CString.h"

/// Filled by start-up on the main thread before the scene is read, read on the main thread
/// after; tests fill them with their own libraries and empty them again.
extern CStringArray g_astrArtworkLibraries;
extern CStringArray g_astrBallSetLibraries;

#include "platform/win32/WinTypes.h"

#include <vector>

/// Keeps every library of a list open while it lives, so that the many lookups of a scene's
/// loading find them open instead of reading each library file again. Main thread.
class CLibraryListHold
{
public:
    explicit CLibraryListHold(const CStringArray& astrLibraries);
    ~CLibraryListHold();
    CLibraryListHold(const CLibraryListHold&) = delete;
    CLibraryListHold& operator=(const CLibraryListHold&) = delete;

private:
    std::vector<HMODULE> m_ahModules;
};
