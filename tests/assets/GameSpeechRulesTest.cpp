// The commentator's rules in the game's speech module, read by the game's own reader.
#include "media/SpeechRules.h"
#include "platform/win32/Modules.h"

#include <gtest/gtest.h>
#include <string>

TEST(GameSpeechRulesTest, EveryRuleHasAMomentAndAPhraseOfTheModule)
{
    const HMODULE hLib = LoadLibrary((std::string(VORN_GAME_DIR) + "/VornSpeech.dat").c_str());
    ASSERT_NE(nullptr, hLib);
    CSpeechRules rules;
    ASSERT_TRUE(rules.LoadRules(hLib));
    EXPECT_EQ(rules.GetCount(), 10);
    EXPECT_EQ(rules.GetAfterShotDelay(), 1500u);
    EXPECT_EQ(rules.GetBeforeShotDelay(), 4000u);
    for (int i = 0; i < rules.GetCount(); ++i)
    {
        const CSpeechRule& rule = *rules.GetRule(i);
        SCOPED_TRACE(rule.m_strText.Str());
        EXPECT_NE(rule.m_nMoment, MOMENT_NONE);
        EXPECT_GT(rule.m_nPercent, 0);
        EXPECT_FALSE(rule.m_strText.IsEmpty());
        EXPECT_NE(FindResource(hLib, rule.m_strSound, "WAVE"), nullptr);
    }
    FreeLibrary(hLib);
}
