// What a change of the settings asks of the running game: the live settings are compared with a
// copy taken before a dialog or a command changed them, and each difference names the part of the
// game to bring up to date (the main frame does that, SettingsChanges.cpp).
#pragma once

#include "platform/win32/WinTypes.h"

class CSettings;

/// The parts of the game a settings change touches, one bit each.
inline constexpr DWORD SC_DEVICE = 0x1;         ///< "Driver", "Device", "Mode" or "FullScreen"
inline constexpr DWORD SC_LIGHTING = 0x2;       ///< "AdvancedLighting"
inline constexpr DWORD SC_BALL_TEXTURES = 0x4;  ///< "HighBallTexture" or "Specular"
inline constexpr DWORD SC_DETAIL_LEVEL = 0x8;   ///< "DrawLevel"
inline constexpr DWORD SC_CLIPS = 0x10;         ///< "AnimTV"
inline constexpr DWORD SC_AD_DISPLAY = 0x20;    ///< "Ad Display enable"
inline constexpr DWORD SC_MUSIC_TRACK = 0x40;   ///< "MusicFile"
inline constexpr DWORD SC_MUSIC_VOLUME = 0x80;  ///< "Music Volume"
inline constexpr DWORD SC_MUSIC_SWITCH = 0x100; ///< "Music enable"
inline constexpr DWORD SC_VOLUME = 0x200;       ///< "Volume"
inline constexpr DWORD SC_AIMING_AID = 0x400;   ///< "BallPath1"
inline constexpr DWORD SC_COMMENTARY = 0x800;   ///< "Speech Mode"

/// The parts that differ between the two settings. The device's names compare with case, the
/// music file's without (it names a file).
DWORD CompareSettings(const CSettings& old, const CSettings& now);

/// The play-list entry the settings' music file names (without regard to case), empty when it
/// names none.
const char* WantedMusicTrack(const CSettings& settings);

/// Whether the commentary speaks: only against the computer, with the speech mode 2, and never in
/// game type 32.
bool IsCommentaryOn(const CSettings& settings, bool bBothHuman);
