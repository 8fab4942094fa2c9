// The music play list kept with the settings: built from an ".m3u" play-list file or from the
// music files of a folder. The settings load builds it; the music player plays from it.
#pragma once

#include "platform/mfc/CString.h"

class CSettings;

/// Empties the play list of settings, sets its index to 0 and its play-list flag to 1, and
/// makes strPath the music folder; then, when the file opens, adds its entries line by line:
/// lines starting with "#" and empty lines are skipped, a line without a drive or a folder has
/// "/" turned into "\" and, unless its folder then starts with "\", the play list's own folder
/// put in front. Lines too long to be a path (4096 characters or more) are skipped.
void LoadPlayListFile(CSettings& settings, const CString& strPath);

/// Empties the play list of settings, sets its index and flag to 0 and makes strFolder the
/// music folder; then adds folder + name of every ".mp3", ".m3u" and ".asf" file of the folder
/// (extension without case), sorted without case. 0 when the folder cannot be read, else 1.
/// The current folder of the process is not touched.
BOOL ScanMusicFolder(CSettings& settings, const CString& strFolder);
