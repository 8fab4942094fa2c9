// System-wide switches the game reads and changes: the screen saver, and the program's own
// cursor clip. The display applies the screen-saver switch to the real screen; the clip is only
// kept.
#pragma once

#include "platform/win32/WinTypes.h"

#include <functional>

inline constexpr UINT SPI_GETSCREENSAVEACTIVE = 16;
inline constexpr UINT SPI_SETSCREENSAVEACTIVE = 17;

/// SPI_GETSCREENSAVEACTIVE writes the switch (TRUE or FALSE) to the BOOL at pvParam;
/// SPI_SETSCREENSAVEACTIVE sets it to uiParam. FALSE for other actions.
BOOL SystemParametersInfo(UINT uiAction, UINT uiParam, void* pvParam, UINT fWinIni);

/// The display's side: told of every change of the screen-saver switch. Null removes it.
void SetScreenSaverHandler(std::function<void(bool bActive)> handler);

/// Confining the cursor (screen coordinates; null frees it) is kept but not applied to the screen.
BOOL ClipCursor(const RECT* pRect);
/// The confinement kept, or the whole desktop when the cursor is free.
BOOL GetClipCursor(RECT* pRect);
