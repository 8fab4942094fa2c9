// The program's error box: the user interface's skinned, modal error dialog. Code below the user
// interface reports through this seam; the user interface installs its dialog at start-up.
#pragma once

#include <functional>

/// Shows the text in the error box and returns when the player has closed it. Until a handler
/// is installed the text goes to the debug log. Main thread.
void ShowErrorBoxText(const char* szText);

/// Installs the error box (the user interface at start-up, a recorder in tests); an empty
/// function restores the debug-log default.
void SetErrorBoxHandler(std::function<void(const char*)> handler);

/// Shows string resource nId in the error box ("Error nId." when no string source has it).
void ShowErrorBox(unsigned int nId);

/// A file the player's data was to be saved in could not be written (the old file is kept): says
/// so in the debug log each time, and in the error box the first time for each kind of data
/// ("settings", "statistics"), so a failing disk is not reported at every save. Main thread.
void ReportSaveFailure(const char* szKind, const char* szPath);
