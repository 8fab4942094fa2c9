#include "foundation/SkillLevel.h"

#include <array>

const char* GetSkillLevelName(int nLevel)
{
    static const std::array<const char*, 10> s_aszNames = {
        "ERROR", "Scrub", "Scrub", "Scrub", "Schmoe", "Schmoe", "Schmoe", "Shark", "Shark", "Shark",
    };
    // Callers pass 0 to 9; anything else is answered like 0 instead of reading past the table.
    if (nLevel < 0 || nLevel >= static_cast<int>(s_aszNames.size()))
        return s_aszNames[0];
    return s_aszNames[static_cast<std::size_t>(nLevel)];
}
