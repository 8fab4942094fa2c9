// The framework's current resource library: the module whose dialogs, strings and pictures the
// program uses unless it names another one.
#pragma once

#include "platform/win32/WinTypes.h"

/// The current resource library, null until the program sets one. Set once at start-up on the
/// main thread and read from any thread after that; tests set it and reset it to null.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hInstance);
