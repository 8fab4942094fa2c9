#include "ui/SharedQueries.h"

#include "foundation/Settings.h"
#include "gameflow/GameMode.h"

#include <gtest/gtest.h>

namespace
{
TEST(SharedQueriesTest, GameModeAndCompetitionTypePredicates)
{
    const DWORD nOldMode = g_nGameMode;
    const int nOldType = g_Settings.m_nCompetitionType;
    struct SCase
    {
        DWORD nMode;
        int nType;
        bool bSaveOff;
        bool bZero;
        bool bNotTwo;
    };
    const SCase aCases[] = {
        {0, 0, false, true, true},
        {gmSettingsPreview, 1, true, false, true},
        {gmSettingsPreview | 0x1, 2, true, false, false},
        {~gmSettingsPreview, 3, false, false, true},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.nType);
        g_nGameMode = c.nMode;
        g_Settings.m_nCompetitionType = c.nType;
        EXPECT_EQ(c.bSaveOff, IsSettingsSaveOff());
        EXPECT_EQ(c.bZero, IsCompetitionTypeZero());
        EXPECT_EQ(c.bNotTwo, IsCompetitionTypeNotTwo());
    }
    g_nGameMode = nOldMode;
    g_Settings.m_nCompetitionType = nOldType;
    const CVector3 point = GetDefaultPoint3D();
    EXPECT_FLOAT_EQ(206.11f, point.x);
    EXPECT_FLOAT_EQ(352.8f, point.y);
    EXPECT_FLOAT_EQ(360.0f, point.z);
}
} // namespace
