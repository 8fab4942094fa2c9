// The texts of the heads-up display: the match title, the turn banner with the control bar's tip it
// asks for, and the score panels' texts and icons. Pure: the main frame hands in the game state and
// the string resources' texts.
#pragma once

#include "platform/mfc/CString.h"

#include <functional>

/// String resources of the display.
inline constexpr UINT IDS_WAITING = 149;
inline constexpr UINT IDS_TURN_SANDWICH = 152;
inline constexpr UINT IDS_TURN_TUMBLER = 153;
inline constexpr UINT IDS_TURN_DUCKY = 154;
inline constexpr UINT IDS_FRAME_RATE = 21554;
inline constexpr UINT IDS_CALL_THE_SHOT = 21569;
inline constexpr UINT IDS_PLACE_BALL = 21571;
inline constexpr UINT IDS_SETTINGS_PREVIEW = 21620;

/// Loads a string resource's text; the main frame passes the resource library's.
using FStringLoader = std::function<CString(UINT)>;

/// The string resource of a built-in game type's name (demo and bonus included); 0 for a type
/// that a rule plug-in names.
UINT GameNameStringId(int nGameType);
/// "%s - Best of %d" with 2 x goal - 1 games in a match, "%s - Practice" in practice.
CString FormatMatchTitle(const char* szGame, int nCompetitionType, int nGamesGoal);

/// What the turn banner shows.
struct SBannerState
{
    DWORD dwMode = 0;         // the game-mode word
    bool bOverhead = false;   // the "OverHead View" setting
    bool bHumanTurn = true;   // the current player plays at this machine in person
    CString strPlayer;        // the current player's name
    int nPickedBall = -1;     // the ball picked up for free placement; -1 none
    bool bWaitWidget = false; // the in-game wait widget is visible
};
struct SBanner
{
    CString strText;  // empty: no text
    int nBarMode = 0; // the control bar's tip to ask for; 0 leaves it
};
SBanner GetTurnBanner(const SBannerState& state, const FStringLoader& load);

/// The two texts of a built-in game type's score panel; false (both empty) for the types that have
/// none (demo, the base type, bonus and plug-in types).
bool GetScoreTexts(int nGameType, LONG nPoints, LONG nGames, LONG nFouls, LONG nBallGoal, CString& strLeft,
                   CString& strRight);
/// The ball a score panel shows: in 8-ball a player's group (1 solids, 9 stripes), in 3- and
/// 9-ball the ball to play on the current player's panel; -1 none.
int GetScoreIconBall(int nGameType, LONG nGroup, bool bCurrent, int nTarget);

/// What decides the ball whose number the label shows.
struct SBallLabelState
{
    bool bCallState = false;    // a call-the-shot state exists
    bool bOverhead = false;     // the "OverHead View" setting
    bool bShotRunning = false;  // game-mode bit 0x10000
    bool bCallShotMode = false; // the game is in call-the-shot mode
    int nGameType = 0;
    int nHovered = -1; // the ball under the cursor; -1 none
    int nCalled = -1;  // the called ball; -1 none
    int nMarked = -1;  // the ball the call's marker points at; -1 none
};
/// The ball whose number is shown, -1 none: without a call state in the overhead view the ball
/// under the cursor (not the cue ball, and none while a shot runs); else, outside call-the-shot
/// mode, the called ball unless a shot runs; in call-the-shot mode, in the pyramid and 14.1
/// continuous only, the marked ball, else the called one.
int GetLabelBall(const SBallLabelState& state);
/// Whether the called pocket's marker shows: a call state exists, a pocket is called, and the
/// call is open in call-the-shot mode or the game is 8-ball.
bool ShowsCalledPocket(bool bCallState, bool bCallShotMode, bool bCallDone, int nGameType, int nPocket);
