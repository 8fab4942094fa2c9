// The game-mode word: the game flow's process-wide bit field of the current mode and its flags.
// The game flow owns its meaning; the foundation needs only the flag that stops settings saves.
#pragma once

#include "platform/win32/WinTypes.h"

/// Bits 5 to 15 the current mode, the other bits flags. Main thread; tests set it directly.
extern DWORD g_nGameMode;

/// A settings preview runs behind a dialog: the settings are not saved while it is set.
inline constexpr DWORD gmSettingsPreview = 0x2000000;

inline bool IsSettingsSaveOff() { return (g_nGameMode & gmSettingsPreview) != 0; }
