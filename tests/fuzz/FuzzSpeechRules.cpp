// Speech rules texts of any bytes. Properties: every rule knows its place and names a ".wav"
// phrase; choosing rules for every moment and event never fails.
#include "tests/fuzz/FuzzTarget.h"

#include "media/SpeechRules.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    CSpeechRules rules;
    rules.ParseText(std::string_view(reinterpret_cast<const char*>(pData), nSize));
    for (int i = 0; i < rules.GetCount(); ++i)
    {
        FuzzCheck(rules.GetRule(i)->m_nIndex == i, "a rule out of its place");
        FuzzCheck(rules.GetRule(i)->m_strSound.Str().ends_with(".wav"), "a rule's phrase without .wav");
    }
    rules.Shuffle();
    rules.EnableForGameType(8);
    CSpeechQuery query;
    for (query.m_nMoment = MOMENT_AFTER_HUMAN_DONE; query.m_nMoment <= MOMENT_ON_BREAK; ++query.m_nMoment)
    {
        for (query.m_nEvent = EVENT_LAST_BALL; query.m_nEvent <= EVENT_GENERAL; ++query.m_nEvent)
        {
            CSpeechRule* pRule = rules.FindRule(query);
            FuzzCheck(pRule == nullptr || pRule->m_nMoment == query.m_nMoment, "a rule of another moment");
        }
    }
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    return {FuzzBytes("header\r\n@\r\n#30\r\n$1500;4000;\r\n/ comment\r\n"
                      "nice%Nice shot!%2Long%AfterHumanDone%70%14+1%x%BeforeRobot%\r\n"
                      "go%Go on%%BeforeHuman%%American%\r\ntwo%Two%%BeforeRobot%50\r\n@@\r\nafter%After%%OnBreak%\r\n"),
            FuzzBytes("\xEF\xBB\xBF@\na%A%Aiming%BeforeHuman%100%")};
}
