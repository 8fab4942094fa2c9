// The game-mode word: every per-frame decision of the game switches on it. Bits 5 to 15 (the mode
// field) hold one mode at a time; the other bits are flags that say what else is going on. Modes
// and flags are always tested by their bits, never by comparing the whole word, because flags
// ride along with every mode.
#pragma once

#include "foundation/GameModeWord.h"
#include "platform/win32/WinTypes.h"

/// The mode field of the word.
inline constexpr DWORD MODE_FIELD = 0xffe0;
/// The bits kept when the mode field is replaced.
inline constexpr DWORD MODE_KEEP_FLAGS = 0xffff001f;
/// The flags a new rack keeps (stroking, the top view's keep flag and the start-up flag among them).
inline constexpr DWORD MODE_RACK_FLAGS = 0x0800001c;

// Modes: one bit of the mode field each.
inline constexpr DWORD modeNone = 0;
inline constexpr DWORD modeAim = 0x20;
inline constexpr DWORD modeMouseStroke = 0x40;
inline constexpr DWORD modeElevation = 0x80;
inline constexpr DWORD modeStrikeNow = 0x100;
inline constexpr DWORD modeEnglish = 0x200;
inline constexpr DWORD modeZoom = 0x400; ///< ORed in beside another mode while the right button is held
inline constexpr DWORD modeBallInHand = 0x800;
inline constexpr DWORD modeCameraFlight = 0x1000;
inline constexpr DWORD modePlaceCueBall = 0x2000;
inline constexpr DWORD modeCallShot = 0x4000;
inline constexpr DWORD modeWaiting = 0x8000;

// Flags outside the mode field.
inline constexpr DWORD gmStroking = 0x2;
inline constexpr DWORD gmShotRunning = 0x10000;
inline constexpr DWORD gmRackDecided = 0x20000;
inline constexpr DWORD gmRobotStroke = 0x40000;
inline constexpr DWORD gmReplay = 0x80000;
inline constexpr DWORD gmKeepView = 0x100000;
inline constexpr DWORD gmInputOff = 0x400000;
inline constexpr DWORD gmGameOver = 0x800000;
inline constexpr DWORD gmPresentation = 0x1000000;
inline constexpr DWORD gmLightEdit = 0x4000000;
inline constexpr DWORD gmStartupFlag = 0x8000000;

/// The flags a game at rest carries into a saved game: the rack's flags and the top view's keep
/// flag. Every other flag belongs to something under way (a shot, a stroke, the computer's turn, a
/// replay, a preview behind a dialog, text input, light editing) or to a game that is over, and
/// would come back with nothing to end it.
inline constexpr DWORD MODE_RESTING_FLAGS = MODE_RACK_FLAGS | gmKeepView;

/// The copy of the game-mode word (foundation/GameModeWord.h) from before the last mode change.
/// Main thread only.
extern DWORD g_nPrevGameMode;

/// Tab is held and Alt is not: sampled by the main frame's tick before the game's input is read.
/// Main thread only.
extern int g_bTabHeld;

/// Whether a mode or flag bit is set in the word.
inline bool HasMode(DWORD dwBits) { return (g_nGameMode & dwBits) != 0; }
inline bool HasGameFlag(DWORD dwBits) { return (g_nGameMode & dwBits) != 0; }
inline void SetGameFlag(DWORD dwBits) { g_nGameMode |= dwBits; }
inline void ClearGameFlag(DWORD dwBits) { g_nGameMode &= ~dwBits; }
/// The mode field as it stands.
inline DWORD GetModeField() { return g_nGameMode & MODE_FIELD; }
/// The mode a return to the previous mode enters: the old field without the zoom bit, which is
/// never a mode of its own.
inline DWORD GetReturnMode() { return g_nPrevGameMode & MODE_FIELD & ~modeZoom; }
