#include "media/SpeechRules.h"

#include "foundation/Folders.h"
#include "foundation/RandomPermutation.h"
#include "platform/win32/AtomicFile.h"
#include "platform/win32/Clock.h"
#include "platform/win32/Modules.h"
#include "platform/win32/Paths.h"

#include <algorithm>
#include <climits>

namespace
{

constexpr std::string_view BLANKS = " \t\r\n\v\f";
constexpr std::string_view BYTE_ORDER_MARK = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text)
{
    const std::size_t nFirst = text.find_first_not_of(BLANKS);
    if (nFirst == std::string_view::npos)
        return {};
    return text.substr(nFirst, text.find_last_not_of(BLANKS) - nFirst + 1);
}

/// Cuts the text before the next '%' (or all of it) off the front, trimmed; the rest follows
/// the '%' (empty when there was none).
std::string_view NextField(std::string_view& rest)
{
    const std::size_t nPercent = rest.find('%');
    const std::string_view field = rest.substr(0, nPercent);
    rest = nPercent == std::string_view::npos ? std::string_view{} : rest.substr(nPercent + 1);
    return Trim(field);
}

struct SWord
{
    std::string_view word;
    int nValue;
};

constexpr SWord MOMENT_WORDS[] = {
    {"AfterHumanDone", MOMENT_AFTER_HUMAN_DONE},
    {"AfterHumanFail", MOMENT_AFTER_HUMAN_FAIL},
    {"AfterRobotDone", MOMENT_AFTER_ROBOT_DONE},
    {"AfterRobotFail", MOMENT_AFTER_ROBOT_FAIL},
    {"BeforeHuman", MOMENT_BEFORE_HUMAN},
    {"BeforeRobot", MOMENT_BEFORE_ROBOT},
    {"OnBreak", MOMENT_ON_BREAK},
};
constexpr SWord EVENT_WORDS[] = {
    {"LastBall", EVENT_LAST_BALL}, {"HalfWay", EVENT_HALF_WAY}, {"2Long", EVENT_2_LONG}, {"3Long", EVENT_3_LONG},
    {"Long", EVENT_LONG},          {"Delay", EVENT_DELAY},      {"Hard", EVENT_HARD},    {"Aiming", EVENT_AIMING},
};
constexpr SWord GAME_TYPE_WORDS[] = {
    {"3Ball", 3}, {"8Ball", 8}, {"9Ball", 9}, {"14+1", 15}, {"American", 17}, {"Pyramid", 16},
};

/// The value of a word (letter case counts), or nOther.
template <std::size_t N> int Lookup(const SWord (&words)[N], std::string_view word, int nOther)
{
    for (const SWord& entry : words)
    {
        if (entry.word == word)
            return entry.nValue;
    }
    return nOther;
}

} // namespace

int ReadSaturatedInt(std::string_view text)
{
    const std::size_t nFirst = text.find_first_not_of(BLANKS);
    if (nFirst == std::string_view::npos)
        return 0;
    text.remove_prefix(nFirst);
    bool bNegative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
    {
        bNegative = text.front() == '-';
        text.remove_prefix(1);
    }
    long long nValue = 0;
    for (const char ch : text)
    {
        if (ch < '0' || ch > '9')
            break;
        nValue = std::min<long long>(nValue * 10 + (ch - '0'), 1LL + INT_MAX);
    }
    nValue = bNegative ? -nValue : nValue;
    return static_cast<int>(std::clamp<long long>(nValue, INT_MIN, INT_MAX));
}

// ---------------------------------------------------------------------------------------------------------------------
// Rules
// ---------------------------------------------------------------------------------------------------------------------

double CSpeechRule::Score(DWORD dwNow)
{
    const double dChance = m_nPercent * 0.01;
    const int nAverage = m_nAskCount == 0 ? 0 : m_nUseCount / m_nAskCount;
    ++m_nAskCount;
    if (nAverage < dChance)
        return static_cast<double>(static_cast<DWORD>(dwNow - m_dwLastUse));
    return -1.0;
}

void CSpeechRule::MarkUsed(DWORD dwNow)
{
    m_dwLastUse = dwNow;
    ++m_nUseCount;
    m_bUsed = TRUE;
}

// ---------------------------------------------------------------------------------------------------------------------
// Reading the text
// ---------------------------------------------------------------------------------------------------------------------

BOOL CSpeechRules::LoadRules(HMODULE hModule)
{
    std::string strText;
    const std::string strFile = ResolvePath((GetProgramFolder() + SPEECH_RULES_NAME).GetString());
    if (!ReadWholeFile(strFile, strText))
    {
        const HRSRC hInfo = FindResourceA(hModule, SPEECH_RULES_NAME, SPEECH_RULES_TYPE);
        const auto* pText = static_cast<const char*>(LockResource(LoadResource(hModule, hInfo)));
        if (pText == nullptr)
            return FALSE;
        strText.assign(pText, SizeofResource(hModule, hInfo));
    }
    ParseText(strText);
    return TRUE;
}

void CSpeechRules::ParseText(std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    if (text.starts_with(BYTE_ORDER_MARK))
        text.remove_prefix(BYTE_ORDER_MARK.size());
    m_bStarted = false;
    m_bEnded = false;
    // Lines end in CR LF or LF alone; the last line counts without a line feed too.
    while (!text.empty() && !m_bEnded)
    {
        const std::size_t nFeed = text.find('\n');
        std::string_view line = text.substr(0, nFeed);
        text = nFeed == std::string_view::npos ? std::string_view{} : text.substr(nFeed + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        ParseLine(Trim(line));
    }
}

void CSpeechRules::ParseLine(std::string_view line)
{
    if (line == "@@")
    {
        m_bEnded = true;
        return;
    }
    if (!m_bStarted)
    {
        m_bStarted = line == "@";
        return;
    }
    if (line.empty() || line.front() == '/')
        return;
    if (line.front() == '#')
    {
        if (line.size() > 1)
            m_nDefaultPercent = ReadSaturatedInt(line.substr(1));
        return;
    }
    if (line.front() == '$')
    {
        ParseDelays(line.substr(1));
        return;
    }
    ParseRule(line);
}

// "$after;before;": each number needs a ';' or ',' after it, else it and any later one stay as
// they were; a rest of two characters or fewer reads as 0.
void CSpeechRules::ParseDelays(std::string_view text)
{
    for (DWORD* pdwDelay : {&m_dwAfterShotDelay, &m_dwBeforeShotDelay})
    {
        if (text.size() <= 2)
        {
            *pdwDelay = 0;
            text = {};
            continue;
        }
        const std::size_t nSeparator = text.find_first_of(";,");
        if (nSeparator == std::string_view::npos)
            return;
        *pdwDelay = static_cast<DWORD>(std::max(0, ReadSaturatedInt(text.substr(0, nSeparator))));
        text.remove_prefix(nSeparator + 1);
    }
}

void CSpeechRules::ParseRule(std::string_view line)
{
    auto pRule = std::make_unique<CSpeechRule>();
    std::string_view rest = line;
    pRule->m_strSound = CString(NextField(rest)) + ".wav";
    pRule->m_strText = CString(NextField(rest));
    pRule->m_nEvent = Lookup(EVENT_WORDS, NextField(rest), EVENT_GENERAL);
    pRule->m_nMoment = Lookup(MOMENT_WORDS, NextField(rest), MOMENT_NONE);
    pRule->m_nPercent = m_nDefaultPercent;
    // The percent's own rule: a rest of two characters or fewer means 0 and nothing more; a
    // longer rest without a further '%' keeps the defaults.
    if (rest.size() <= 2)
        pRule->m_nPercent = 0;
    else if (rest.find('%') != std::string_view::npos)
    {
        const std::string_view percent = NextField(rest);
        if (!percent.empty())
            pRule->m_nPercent = ReadSaturatedInt(percent);
        pRule->m_nGameType = Lookup(GAME_TYPE_WORDS, NextField(rest), GAME_TYPE_ANY);
        pRule->m_strExtra = CString(NextField(rest));
        const int nMoment2 = Lookup(MOMENT_WORDS, NextField(rest), MOMENT2_NONE);
        pRule->m_nMoment2 = nMoment2 == MOMENT_ON_BREAK ? MOMENT2_NONE : nMoment2;
    }
    if (pRule->m_nMoment >= MOMENT_AFTER_HUMAN_DONE && pRule->m_nMoment <= MOMENT_AFTER_ROBOT_FAIL)
        pRule->m_dwDelay = m_dwAfterShotDelay;
    else if (pRule->m_nMoment == MOMENT_BEFORE_HUMAN || pRule->m_nMoment == MOMENT_BEFORE_ROBOT)
        pRule->m_dwDelay = m_dwBeforeShotDelay;
    pRule->m_nIndex = GetCount();
    m_rules.push_back(std::move(pRule));
}

// ---------------------------------------------------------------------------------------------------------------------
// Choosing
// ---------------------------------------------------------------------------------------------------------------------

void CSpeechRules::EnableForGameType(int nGameType)
{
    for (const auto& pRule : m_rules)
        pRule->m_bEnabled = pRule->m_nGameType == GAME_TYPE_ANY || pRule->m_nGameType == nGameType;
}

void CSpeechRules::Shuffle()
{
    m_order.RemoveAll();
    MakeRandomPermutation(GetCount(), m_order, timeGetTime());
}

void CSpeechRules::DropUsed()
{
    for (const auto& pRule : m_rules)
        pRule->m_bUsed = FALSE;
}

void CSpeechRules::Clear()
{
    m_rules.clear();
    m_order.RemoveAll();
}

CSpeechRule* CSpeechRules::FindRule(const CSpeechQuery& query)
{
    CSpeechRule* pRule = FindRuleForEvent(query, query.m_nEvent);
    // The fallback walk is skipped for a general query: walking the same rules again would only
    // score them twice and let a rule that just spoke through.
    if (pRule != nullptr || query.m_nEvent == EVENT_GENERAL)
        return pRule;
    return FindRuleForEvent(query, EVENT_GENERAL);
}

CSpeechRule* CSpeechRules::FindRuleForEvent(const CSpeechQuery& query, int nEvent)
{
    CSpeechRule* pBest = nullptr;
    double dBest = -1.0;
    for (int i = 0; i < GetCount(); ++i)
    {
        // An index past the order array stands for itself.
        const int nIndex = i < m_order.GetSize() ? static_cast<int>(m_order[i]) : i;
        if (nIndex < 0 || nIndex >= GetCount())
            continue;
        CSpeechRule& rule = *m_rules[static_cast<std::size_t>(nIndex)];
        if (!rule.m_bEnabled || rule.m_nMoment != query.m_nMoment || rule.m_nEvent != nEvent)
            continue;
        if (rule.m_nGameType != GAME_TYPE_ANY && rule.m_nGameType != query.m_nGameType)
            continue;
        const double dScore = rule.Score(query.m_dwTime);
        if (dScore > dBest)
        {
            dBest = dScore;
            pBest = &rule;
        }
    }
    return pBest;
}
