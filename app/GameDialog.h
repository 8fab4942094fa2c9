// Running one of the game's dialogs from the main frame.
#pragma once

class CDialog;

/// Runs a dialog of the game; one that cannot be shown (its template or picture missing from the
/// resource library) says so in the error box and counts as cancelled.
int RunGameDialog(CDialog& dlg, int nResource);
