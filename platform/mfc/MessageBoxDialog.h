// The dialog toolkit's message box: the text wrapped on words above a row of buttons, drawn by the
// toolkit over its owner like any dialog. Enter presses the default button; Escape answers Cancel,
// or OK when OK is the only button.
#pragma once

#include "platform/mfc/Dialog.h"

/// The template of a box: caption, the text in a static and the type's buttons in a centred row.
SDialogTemplate MakeMessageBoxTemplate(const SMessageBoxRequest& request);

/// Shows the box over hOwner until a button is pressed; the button's id.
int ShowToolkitMessageBox(HWND hOwner, const SMessageBoxRequest& request);

/// From now on boxes shown once a window exists are the toolkit's.
void InstallToolkitMessageBoxes();
