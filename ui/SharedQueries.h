// Small questions the main window, the game flow and the panels share about the game-mode word and
// the settings, and the default point of the game start.
#pragma once

#include "foundation/GameModeWord.h" // IsSettingsSaveOff: the settings preview's mode bit
#include "foundation/Vector3.h"

/// The settings' competition type is 0.
bool IsCompetitionTypeZero();
/// The settings' competition type is not 2.
bool IsCompetitionTypeNotTwo();
/// (206.11, 352.8, 360.0): the point the game start uses.
CVector3 GetDefaultPoint3D();
