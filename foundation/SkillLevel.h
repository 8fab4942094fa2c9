// Names of the computer opponent's skill levels, shared by the players, the settings and the
// dialogs.
#pragma once

/// 1 to 3 "Scrub", 4 to 6 "Schmoe", 7 to 9 "Shark"; "ERROR" for 0 (a human player) and for
/// any level outside 0 to 9.
const char* GetSkillLevelName(int nLevel);
