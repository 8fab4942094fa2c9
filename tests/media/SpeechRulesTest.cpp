// The speech rules text: its lines, fields and quirks, damaged texts, and the choice of a rule.
#include "media/SpeechRules.h"

#include "platform/TempFolder.h"
#include "platform/win32/Modules.h"
#include "platform/win32/ResourceLibrary.h"

#include <algorithm>
#include <climits>
#include <gtest/gtest.h>
#include <random>
#include <string>

using namespace std::string_literals;

namespace
{

CSpeechRules Parse(std::string_view text)
{
    CSpeechRules rules;
    rules.ParseText(text);
    return rules;
}

CSpeechQuery Query(int nMoment, int nEvent, DWORD dwTime, int nGameType = 3)
{
    CSpeechQuery query;
    query.m_nMoment = nMoment;
    query.m_nEvent = nEvent;
    query.m_dwTime = dwTime;
    query.m_nGameType = nGameType;
    return query;
}

} // namespace

TEST(SpeechRulesTest, LinesAreReadBetweenTheMarkers)
{
    struct SCase
    {
        const char* szName;
        std::string text;
        int nRules;
    };
    const SCase aCases[] = {
        {"no @ line: nothing", "a%A%%OnBreak%50%\r\nb%B%%OnBreak%50%\r\n", 0},
        {"rules after @", "header\r\n@\r\na%A%%OnBreak%50%\r\n\r\n/ comment\r\nb%B%%OnBreak%50%\r\n", 2},
        {"nothing after @@", "@\r\na%A%%OnBreak%50%\r\n@@\r\nb%B%%OnBreak%50%\r\n", 1},
        {"line feeds alone", "@\na%A%%OnBreak%50%\nb%B%%OnBreak%50%\n", 2},
        {"the last line without its line feed", "@\r\na%A%%OnBreak%50%\r\nb%B%%OnBreak%50%", 2},
        {"a byte-order mark before @", "\xEF\xBB\xBF@\r\na%A%%OnBreak%50%\r\n", 1},
        {"the text ends at its first zero byte", "@\r\na%A%%OnBreak%50%\r\n\0b%B%%OnBreak%50%\r\n"s, 1},
        {"blanks around the markers", "  @ \t\r\na%A%%OnBreak%50%\r\n @@\r\nb%B%%OnBreak%50%", 1},
        {"a line feed first", "\n@\na%A%%OnBreak%50%", 1},
        {"empty", "", 0},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        const CSpeechRules rules = Parse(c.text);
        ASSERT_EQ(rules.GetCount(), c.nRules);
        for (int i = 0; i < rules.GetCount(); ++i)
        {
            EXPECT_EQ(rules.GetRule(i)->m_nIndex, i);
            EXPECT_EQ(rules.GetRule(i)->m_strSound.Str().back(), 'v'); // "x.wav": no character lost
        }
    }
}

TEST(SpeechRulesTest, RuleFieldsAndTheirWords)
{
    const CSpeechRules rules = Parse("@\r\n"
                                     "$1500;4000;\r\n"
                                     " nice %  Nice shot! %2Long%AfterHumanDone%70%14+1%x%BeforeRobot%\r\n"
                                     "go%Go on%LastBall%BeforeHuman%%American%\r\n"
                                     "brk%Break%%OnBreak%20%Nonsense%\r\n"
                                     "case%Case%longshot%AfterRobotFail%40%\r\n"
                                     "two%Two%%BeforeRobot%50\r\n"
                                     "twoc%Two closed%%BeforeRobot%50%\r\n"
                                     "more%No closing%%BeforeRobot%100\r\n"
                                     "odd%Odd%%Sometime%10%\r\n"
                                     "m2%Moment2%%OnBreak%10%%%OnBreak%\r\n");
    ASSERT_EQ(rules.GetCount(), 9);
    struct SExpect
    {
        const char* szSound;
        const char* szText;
        int nEvent;
        int nMoment;
        int nPercent;
        int nGameType;
        int nMoment2;
        DWORD dwDelay;
    };
    const SExpect aExpect[] = {
        {"nice.wav", "Nice shot!", EVENT_2_LONG, MOMENT_AFTER_HUMAN_DONE, 70, 15, MOMENT_BEFORE_ROBOT, 1500},
        {"go.wav", "Go on", EVENT_LAST_BALL, MOMENT_BEFORE_HUMAN, RULE_DEFAULT_PERCENT, 17, MOMENT2_NONE, 4000},
        {"brk.wav", "Break", EVENT_GENERAL, MOMENT_ON_BREAK, 20, GAME_TYPE_ANY, MOMENT2_NONE, 0},
        {"case.wav", "Case", EVENT_GENERAL, MOMENT_AFTER_ROBOT_FAIL, 40, GAME_TYPE_ANY, MOMENT2_NONE, 1500},
        {"two.wav", "Two", EVENT_GENERAL, MOMENT_BEFORE_ROBOT, 0, GAME_TYPE_ANY, MOMENT2_NONE, 4000},
        {"twoc.wav", "Two closed", EVENT_GENERAL, MOMENT_BEFORE_ROBOT, 50, GAME_TYPE_ANY, MOMENT2_NONE, 4000},
        {"more.wav", "No closing", EVENT_GENERAL, MOMENT_BEFORE_ROBOT, RULE_DEFAULT_PERCENT, GAME_TYPE_ANY,
         MOMENT2_NONE, 4000},
        {"odd.wav", "Odd", EVENT_GENERAL, MOMENT_NONE, 10, GAME_TYPE_ANY, MOMENT2_NONE, 0},
        {"m2.wav", "Moment2", EVENT_GENERAL, MOMENT_ON_BREAK, 10, GAME_TYPE_ANY, MOMENT2_NONE, 0},
    };
    for (int i = 0; i < rules.GetCount(); ++i)
    {
        const SExpect& e = aExpect[i];
        SCOPED_TRACE(e.szSound);
        const CSpeechRule& rule = *rules.GetRule(i);
        EXPECT_EQ(rule.m_strSound, e.szSound);
        EXPECT_EQ(rule.m_strText, e.szText);
        EXPECT_EQ(rule.m_nEvent, e.nEvent);
        EXPECT_EQ(rule.m_nMoment, e.nMoment);
        EXPECT_EQ(rule.m_nPercent, e.nPercent);
        EXPECT_EQ(rule.m_nGameType, e.nGameType);
        EXPECT_EQ(rule.m_nMoment2, e.nMoment2);
        EXPECT_EQ(rule.m_dwDelay, e.dwDelay);
    }
    EXPECT_EQ(rules.GetRule(0)->m_strExtra, "x");
}

TEST(SpeechRulesTest, DefaultPercentAndDelaysChangeOnlyWhatFollows)
{
    // An empty percent field gives the default, but only with more than two characters after the
    // moment field (a shorter rest reads as 0).
    const CSpeechRules rules = Parse("@\r\n"
                                     "a%A%%AfterHumanDone%% %%\r\n"
                                     "#30\r\n"
                                     "b%B%%AfterHumanDone%% %%\r\n"
                                     "$1500;4000\r\n"
                                     "c%C%%BeforeHuman%% %%\r\n"
                                     "$700,900,\r\n"
                                     "d%D%%BeforeHuman%% %%\r\n"
                                     "$200;\r\n"
                                     "e%E%%BeforeHuman%% %%\r\n"
                                     "#\r\n"
                                     "f%F%%BeforeHuman%% %%\r\n");
    ASSERT_EQ(rules.GetCount(), 6);
    EXPECT_EQ(rules.GetRule(0)->m_nPercent, 50);
    EXPECT_EQ(rules.GetRule(1)->m_nPercent, 30);
    EXPECT_EQ(rules.GetRule(5)->m_nPercent, 30); // "#" with nothing after it changes nothing
    // "$1500;4000" lacks its closing separator: the before-shot delay stays 0.
    EXPECT_EQ(rules.GetRule(2)->m_dwDelay, 0u);
    EXPECT_EQ(rules.GetRule(3)->m_dwDelay, 900u);
    // "$200;" leaves no rest for the second number: it reads as 0.
    EXPECT_EQ(rules.GetRule(4)->m_dwDelay, 0u);
    EXPECT_EQ(rules.GetAfterShotDelay(), 200u);
    EXPECT_EQ(rules.GetBeforeShotDelay(), 0u);
}

TEST(SpeechRulesTest, DamagedTextsGiveRulesOrNoneButNeverFail)
{
    struct SCase
    {
        const char* szName;
        std::string text;
        int nRules;
        int nDefaultPercent;
        DWORD dwAfter;
    };
    const std::string strLong(1 << 20, 'x');
    const SCase aCases[] = {
        {"a 1 MB line", "@\r\n" + strLong + "%" + strLong + "%%OnBreak%%\r\n", 1, 50, 0},
        {"a lone %", "@\r\n%\r\n", 1, 50, 0},
        {"a lone $", "@\r\n$\r\n", 0, 50, 0},
        {"$ without separators", "@\r\n$15004000\r\n", 0, 50, 0},
        {"huge numbers saturate", "@\r\n#99999999999999999999\r\n$99999999999999;-5;\r\n", 0, INT_MAX, INT_MAX},
        {"negative huge", "@\r\n#-99999999999999999999\r\n", 0, INT_MIN, 0},
        {"only CRs", "@\r\r\r\r", 0, 50, 0},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        const CSpeechRules rules = Parse(c.text);
        EXPECT_EQ(rules.GetCount(), c.nRules);
        EXPECT_EQ(rules.GetDefaultPercent(), c.nDefaultPercent);
        EXPECT_EQ(rules.GetAfterShotDelay(), c.dwAfter);
    }
    // Binary garbage, with and without a start marker.
    std::mt19937 random(7);
    for (int nRound = 0; nRound < 50; ++nRound)
    {
        std::string text = nRound % 2 == 0 ? "@\n" : "";
        for (int i = 0; i < 2000; ++i)
            text.push_back(static_cast<char>(random() & 0xFF));
        CSpeechRules rules = Parse(text);
        rules.Shuffle();
        rules.FindRule(Query(MOMENT_ON_BREAK, EVENT_GENERAL, 1000));
    }
}

TEST(SpeechRulesTest, HugeNumbersSaturateToTheIntRange)
{
    EXPECT_EQ(ReadSaturatedInt("99999999999999999999"), INT_MAX);
    EXPECT_EQ(ReadSaturatedInt("  -99999999999999999999x"), INT_MIN);
    EXPECT_EQ(ReadSaturatedInt("2147483647"), INT_MAX);
    EXPECT_EQ(ReadSaturatedInt("-2147483648"), INT_MIN);
    EXPECT_EQ(ReadSaturatedInt(" +42;"), 42);
    EXPECT_EQ(ReadSaturatedInt("abc"), 0);
    EXPECT_EQ(ReadSaturatedInt(""), 0);
}

TEST(SpeechRulesTest, FindRulePrefersTheLongestSilentAndFallsBackToGeneral)
{
    CSpeechRules rules = Parse("@\r\n"
                               "a%A%%BeforeHuman%100%\r\n"
                               "b%B%%BeforeHuman%100%\r\n"
                               "aim%Aim%Aiming%BeforeHuman%100%\r\n"
                               "nine%Nine%Aiming%BeforeHuman%100%9Ball%\r\n");
    // No order array: the scan follows the file.
    CSpeechRule* pFirst = rules.FindRule(Query(MOMENT_BEFORE_HUMAN, EVENT_GENERAL, 1000));
    ASSERT_NE(pFirst, nullptr);
    EXPECT_EQ(pFirst->m_strSound, "a.wav"); // equal scores: the first scanned wins
    pFirst->MarkUsed(1000);
    EXPECT_EQ(rules.FindRule(Query(MOMENT_BEFORE_HUMAN, EVENT_GENERAL, 2000))->m_strSound, "b.wav");
    // Asked for the aiming event in 8-ball, the 9-ball rule is skipped.
    EXPECT_EQ(rules.FindRule(Query(MOMENT_BEFORE_HUMAN, EVENT_AIMING, 2000, 8))->m_strSound, "aim.wav");
    // With the aiming rules disabled, the query falls back to the general rules.
    rules.EnableForGameType(8);
    EXPECT_FALSE(rules.GetRule(3)->m_bEnabled);
    EXPECT_TRUE(rules.GetRule(2)->m_bEnabled);
    rules.GetRule(2)->m_bEnabled = FALSE;
    EXPECT_NE(rules.FindRule(Query(MOMENT_BEFORE_HUMAN, EVENT_AIMING, 3000, 8)), nullptr);
    // No rule of another moment.
    EXPECT_EQ(rules.FindRule(Query(MOMENT_AFTER_ROBOT_DONE, EVENT_GENERAL, 3000)), nullptr);
}

TEST(SpeechRulesTest, ARuleThatSpokeAtEveryScoringIsPassedOver)
{
    CSpeechRules rules = Parse("@\r\nonly%Only%%OnBreak%100%\r\nnever%Never%%OnBreak%0%\r\n");
    CSpeechRule* pRule = rules.FindRule(Query(MOMENT_ON_BREAK, EVENT_GENERAL, 500));
    ASSERT_NE(pRule, nullptr);
    pRule->MarkUsed(500);
    // Used once in one scoring: the average reaches 1, which is not below 100 %.
    EXPECT_EQ(rules.FindRule(Query(MOMENT_ON_BREAK, EVENT_GENERAL, 900)), nullptr);
    EXPECT_EQ(pRule->m_nAskCount, 2);
    // Once it has been asked more often than used, it may speak again.
    EXPECT_EQ(rules.FindRule(Query(MOMENT_ON_BREAK, EVENT_GENERAL, 900)), pRule);
    rules.DropUsed();
    EXPECT_FALSE(pRule->m_bUsed);
}

TEST(SpeechRulesTest, ShuffleGivesAPermutationOfTheRules)
{
    std::string text = "@\r\n";
    for (int i = 0; i < 40; ++i)
        text += "r" + std::to_string(i) + "%R%%OnBreak%50%\r\n";
    CSpeechRules rules = Parse(text);
    rules.Shuffle();
    std::vector<DWORD> order;
    for (int i = 0; i < rules.GetOrder().GetSize(); ++i)
        order.push_back(rules.GetOrder()[i]);
    std::sort(order.begin(), order.end());
    ASSERT_EQ(order.size(), 40u);
    for (DWORD i = 0; i < 40; ++i)
        EXPECT_EQ(order[i], i);
}

TEST(SpeechRulesTest, RulesComeFromTheSpeechModule)
{
    const CTempFolder folder;
    CResourceLibraryWriter writer;
    std::string strError;
    const std::string text = "@\r\na%A%%OnBreak%50%\r\n"s + '\0' + "garbage";
    ASSERT_TRUE(writer.Add(SResourceKey::Name("SET"), SResourceKey::Name("SpeechRules.set"), 0,
                           std::vector<BYTE>(text.begin(), text.end()), strError));
    ASSERT_TRUE(writer.Add(SResourceKey::Name("WAVE"), SResourceKey::Name("a.wav"), 0, {1, 2, 3}, strError));
    ASSERT_TRUE(writer.WriteFile(folder.File("speech.dat"), strError));
    HMODULE hModule = LoadLibraryA(folder.File("speech.dat").c_str());
    ASSERT_NE(hModule, nullptr);
    CSpeechRules rules;
    EXPECT_TRUE(rules.LoadRules(hModule));
    EXPECT_EQ(rules.GetCount(), 1);
    FreeLibrary(hModule);
    CSpeechRules none;
    EXPECT_FALSE(none.LoadRules(nullptr));
    EXPECT_EQ(none.GetCount(), 0);
}
