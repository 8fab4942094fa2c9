// The cursor while the game plays: whether the mouse is captured (the cursor confined to the view)
// and whether the cursor is shown, by the game-mode word.
#pragma once

#include "platform/win32/WinTypes.h"

struct SCursorState
{
    bool bCapture = false;
    bool bShow = true;
};

/// Before the game has started the mouse is free and the cursor shown. Then the mouse is captured
/// in every mode but none and the pause, and the cursor shown with no mode, while calling the
/// shot, in free placement with no ball taken up and in the pause, never while zooming or while
/// the computer's cue strokes. pGiven replaces both answers; the overhead view never captures.
SCursorState DecideCursorState(bool bGameStarted, DWORD dwGameMode, bool bDragging, bool bOverhead,
                               const SCursorState* pGiven = nullptr);
