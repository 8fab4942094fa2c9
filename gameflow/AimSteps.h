// Steps the aiming handlers share (private to the game flow).
#pragma once

#include "gameflow/FlowInput.h"

/// The pull-back per tick of an arrow key held.
inline constexpr float PULL_BACK_STEP = 0.5f;
/// Below this share of the stroke range the cue is at rest: no power shown, Enter does not strike.
inline constexpr float MIN_POWER_SHARE = 0.05f;

/// An arrow key held or pressed this tick.
inline bool IsArrow(const SFlowInput& in, int nKey) { return in.IsDown(nKey) || in.nPressedKey == nKey; }
