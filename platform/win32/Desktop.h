// The desktop window: the screen rectangle that window placements are centred on.
#pragma once

#include "platform/win32/WinTypes.h"

/// The desktop window's rectangle (GetWindowRect of the desktop window). Any thread.
RECT GetDesktopWindowRect();

/// Sets the desktop rectangle: the window backend does it with the real screen at start-up,
/// tests with the screen they need. Until then it is 1024 by 768.
void SetDesktopWindowRect(const RECT& rc);

/// GetWindowPlacement of the desktop window: shown normally over the whole desktop, with no
/// minimised or maximised position (-1, -1). FALSE when the length field is not 44.
BOOL GetDesktopWindowPlacement(WINDOWPLACEMENT* pwp);
