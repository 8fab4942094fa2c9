// When the main window's commands are enabled: each command that has a rule is enabled only in the
// states its rule allows, and a disabled command does nothing whether it comes from a key, a menu
// or a panel. The rules read only the game-mode word, the settings' competition type, the players
// and the replay, so they are a plain function of that state.
#pragma once

#include "platform/win32/WinTypes.h"

/// The state the rules read.
struct SCommandState
{
    DWORD dwMode = 0;          ///< the game-mode word
    int nCompetitionType = 0;  ///< the settings' competition type
    bool bCurrentHuman = true; ///< no current player, or the current one is not the computer
    bool bBothHuman = true;    ///< neither player is the computer
    bool bReplayRunning = false;
    int nGameType = 0;
    bool bCallingAllowed = false; ///< the referee lets the player call the shot (eight-ball)
};

/// The enable rules; a command without one is always enabled, and one command never is.
enum class ECommandRule
{
    Always,
    Never,
    R1,
    R3,
    R4,
    R5,
    R6,
    R7,
    R8,
    R9,
    R10,
    R11,
    R12,
    R13,
    R14,
    R15,
    R16,
    R17,
};

/// Whether the state meets the rule.
bool IsRuleMet(ECommandRule eRule, const SCommandState& state);
/// The rule of a command id (Always for a command without one).
ECommandRule GetCommandRule(UINT nID);
/// Whether the command may run in the state.
inline bool IsCommandEnabled(UINT nID, const SCommandState& state) { return IsRuleMet(GetCommandRule(nID), state); }

// The main window's command ids (its menu, keys and panels use the same ones).
inline constexpr UINT ID_TOGGLE_FULL_SCREEN = 32072;
inline constexpr UINT ID_SHOW_RULES = 32073;
inline constexpr UINT ID_TOGGLE_MUSIC = 32091;
inline constexpr UINT ID_TURN_FLIGHT = 32118;
inline constexpr UINT ID_SETUP_COMMAND = 32130;
inline constexpr UINT ID_STOP_ACTION = 32134;
inline constexpr UINT ID_SETUP_DIALOG = 32138;
inline constexpr UINT ID_UNMAPPED_32140 = 32140;
inline constexpr UINT ID_PHYSICS_DIALOG = 32148;
inline constexpr UINT ID_RESTART_RACK = 32151;
inline constexpr UINT ID_TOGGLE_OVERHEAD = 32154;
inline constexpr UINT ID_TOGGLE_BALL_PATH = 32155;
inline constexpr UINT ID_TOGGLE_HEAD_LINE = 32156;
inline constexpr UINT ID_REPLAY = 32157;
inline constexpr UINT ID_STOP_PLAYBACK = 32158;
inline constexpr UINT ID_FASTER = 32159;
inline constexpr UINT ID_SLOWER = 32160;
inline constexpr UINT ID_EXIT_GAME = 32161;
inline constexpr UINT ID_EMPTY_32162 = 32162;
inline constexpr UINT ID_SYNC_VIEW_RECORD = 32163;
inline constexpr UINT ID_CALL_SHOT = 32164;
inline constexpr UINT ID_PASS_TURN = 32165;
inline constexpr UINT ID_COMPUTER_STROKE = 32166;
inline constexpr UINT ID_CALL_SHOT_MODE = 32167;
inline constexpr UINT ID_TOGGLE_SHORT_PATH = 32171;
inline constexpr UINT ID_TOGGLE_OPTION4 = 32176;
inline constexpr UINT ID_RESET_CAMERA = 32177;
inline constexpr UINT ID_OPEN_TUTORIAL = 32179;
inline constexpr UINT ID_NEW_GAME = 32180;
inline constexpr UINT ID_EMPTY_32181 = 32181;
inline constexpr UINT ID_DEVELOPER_LEVEL_0 = 32182;
inline constexpr UINT ID_DEVELOPER_LEVEL_9 = 32191;
/// The players' statistics over the game (the start screen's statistics button is hidden).
inline constexpr UINT ID_STATISTICS_DIALOG = 32192;
