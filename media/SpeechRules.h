// The commentator's rules, read from the text "SPEECHRULES.SET": each rule names a recorded
// phrase, its written text, the moment and kind of event it comments on, the chance that it
// speaks and the game type it is for. The list chooses the best rule for a query.
//
// The text, line by line after a line "@" (lines before it are skipped, a line "@@" ends it):
//   /comment
//   #percent                    the default chance of the rules that follow (50 at first)
//   $after;before;              the delays (ms) of after-shot and before-shot rules
//   sound%text%event%moment%percent%gametype%extra%moment2%
#pragma once

#include "platform/mfc/Arrays.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

#include <memory>
#include <string_view>
#include <vector>

// Moments of play (the fourth field).
inline constexpr int MOMENT_AFTER_HUMAN_DONE = 0;
inline constexpr int MOMENT_AFTER_HUMAN_FAIL = 1;
inline constexpr int MOMENT_AFTER_ROBOT_DONE = 2;
inline constexpr int MOMENT_AFTER_ROBOT_FAIL = 3;
inline constexpr int MOMENT_BEFORE_HUMAN = 4;
inline constexpr int MOMENT_BEFORE_ROBOT = 5;
inline constexpr int MOMENT_ON_BREAK = 6;
/// An unknown moment word: the rule matches no query.
inline constexpr int MOMENT_NONE = -2;
/// The second moment of a rule without one.
inline constexpr int MOMENT2_NONE = 8;

// Events (the third field).
inline constexpr int EVENT_LAST_BALL = 0;
inline constexpr int EVENT_HALF_WAY = 1;
inline constexpr int EVENT_2_LONG = 2;
inline constexpr int EVENT_3_LONG = 3;
inline constexpr int EVENT_LONG = 4;
inline constexpr int EVENT_DELAY = 5;
inline constexpr int EVENT_HARD = 6;
inline constexpr int EVENT_AIMING = 7;
/// Any other word: the general case, and the fallback of every query.
inline constexpr int EVENT_GENERAL = 8;

/// A rule for every game type.
inline constexpr int GAME_TYPE_ANY = -1;
/// The default chance in percent until a "#" line changes it.
inline constexpr int RULE_DEFAULT_PERCENT = 50;

/// The rules text: a file of this name in the program folder, else a resource of the speech
/// module (type "SET").
inline constexpr const char* SPEECH_RULES_NAME = "SPEECHRULES.SET";
inline constexpr const char* SPEECH_RULES_TYPE = "SET";

class CSpeechRule
{
public:
    virtual ~CSpeechRule() = default;

    /// The rule's score for a query at time dwNow (ms): how long it has been silent while it has
    /// spoken less often than its chance, else -1. Counts the scoring.
    double Score(DWORD dwNow);
    void MarkUsed(DWORD dwNow);

    CString m_strText;
    CString m_strSound; ///< the first field with ".wav" appended
    int m_nMoment = MOMENT_NONE;
    int m_nEvent = EVENT_GENERAL;
    int m_nPercent = RULE_DEFAULT_PERCENT;
    int m_nGameType = GAME_TYPE_ANY;
    CString m_strExtra;
    int m_nMoment2 = MOMENT2_NONE;
    int m_nUseCount = 0;
    int m_nAskCount = 0;
    DWORD m_dwLastUse = 0; ///< timeGetTime of the last use
    BOOL m_bUsed = FALSE;
    BOOL m_bEnabled = TRUE;
    int m_nIndex = -1;
    DWORD m_dwDelay = 0; ///< ms of quiet after the previous phrase
};

/// What a trigger asks the rules for.
struct CSpeechQuery
{
    BOOL m_bRobot = FALSE;
    int m_nCount = 0;
    BOOL m_bFlag = TRUE;
    BOOL m_bFail = FALSE;
    DWORD m_dwTime = 0;
    int m_nGameType = 3;
    int m_nMoment = -1;
    int m_nEvent = -1;
    int m_nPotted = 0; ///< as the speech object's run record: balls potted since the last failure
};

/// The rule list with its scan order, default chance and delays.
class CSpeechRules
{
public:
    /// Reads the rules text from the program folder's file, else from the module's resource.
    /// 1 when a text was found and read, 0 when there was neither.
    BOOL LoadRules(HMODULE hModule);
    /// Reads a whole rules text (ends at its first zero byte; a byte-order mark is skipped).
    void ParseText(std::string_view text);
    /// One rule from a rule line, added to the list.
    void ParseRule(std::string_view line);

    /// Enables the rules of a game type (and those for every type), disables the rest.
    void EnableForGameType(int nGameType);
    /// A new random scan order, seeded with timeGetTime.
    void Shuffle();
    /// Clears every rule's used flag.
    void DropUsed();
    /// The best rule for the query, falling back to the general event; null when none.
    CSpeechRule* FindRule(const CSpeechQuery& query);
    void Clear();

    int GetCount() const { return static_cast<int>(m_rules.size()); }
    CSpeechRule* GetRule(int i) const { return m_rules[static_cast<std::size_t>(i)].get(); }
    const CDWordArray& GetOrder() const { return m_order; }
    int GetDefaultPercent() const { return m_nDefaultPercent; }
    DWORD GetAfterShotDelay() const { return m_dwAfterShotDelay; }
    DWORD GetBeforeShotDelay() const { return m_dwBeforeShotDelay; }

private:
    void ParseLine(std::string_view line);
    void ParseDelays(std::string_view text);
    CSpeechRule* FindRuleForEvent(const CSpeechQuery& query, int nEvent);

    std::vector<std::unique_ptr<CSpeechRule>> m_rules;
    CDWordArray m_order;
    int m_nDefaultPercent = RULE_DEFAULT_PERCENT;
    DWORD m_dwAfterShotDelay = 0;
    DWORD m_dwBeforeShotDelay = 0;
    bool m_bStarted = false; // an "@" line was seen
    bool m_bEnded = false;   // an "@@" line was seen
};

/// A decimal number as atoi reads it (leading blanks, a sign, digits), held to the int range.
int ReadSaturatedInt(std::string_view text);
