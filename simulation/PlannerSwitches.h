// The game flow's switches that the computer player's search reads. Each is program-wide, set by
// the game flow on the main thread when a game starts or an option changes; tests set them and
// put back the defaults.
#pragma once

#include "platform/win32/WinTypes.h"

#include <functional>

/// Scratch-check switch: while on, a shot candidate is dropped when the cue ball would run free
/// into another pocket after the contact. The game flow turns it on for every game type but
/// American and bonus pool. On until set.
BOOL GetScratchCheck();
void SetScratchCheck(BOOL bOn);

/// Display option word: while non-zero, the search draws a frame now and then so that the screen
/// stays alive. 0 until set.
DWORD GetPlannerDisplayOption();
void SetPlannerDisplayOption(DWORD dwOption);

/// Draws one frame of the scene. Empty while there is no main window (tests, benchmarks, start-up).
using PlannerFrameDrawer = std::function<void()>;
const PlannerFrameDrawer& GetPlannerFrameDrawer();
void SetPlannerFrameDrawer(PlannerFrameDrawer drawer);
