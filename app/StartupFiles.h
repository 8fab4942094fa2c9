// The files start-up looks for and prepares: the artwork and ball-set libraries beside the program,
// the ball painter's disc table tables.dat, and the ini file's first-start defaults.
#pragma once

#include "platform/mfc/CString.h"

#include <functional>
#include <string_view>

/// The full path of tables.dat once it exists; read by the ball painter. Main thread.
extern CString g_strTablesDatPath;

/// Fills g_astrArtworkLibraries with the names of the program folder's Imagery*.dll in descending
/// order without regard to case (a later name is searched first). TRUE when one was found.
BOOL ScanArtworkLibraries();
/// The same for the ball-set libraries VornBall*.dat into g_astrBallSetLibraries.
BOOL ScanBallDataFiles();

/// Builds tables.dat at a path; 0 on success.
using TablesDatBuilder = std::function<int(std::string_view path)>;
/// Takes the first non-empty tables.dat of the artwork, program and temporary folders; else builds one
/// in the program, artwork and temporary folders in turn. TRUE with g_strTablesDatPath set, FALSE when
/// none could be found or built.
BOOL PrepareTablesData(const TablesDatBuilder& build);

/// On the first start only (no ini file yet): the "Artwork" keys, the whole "Settings" section with
/// its defaults and the "Intro" section, and the default music folder.
void WriteArtworkDefaults();
