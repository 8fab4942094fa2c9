#include "platform/window/InputScript.h"

#include "platform/win32/MessageBox.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <sstream>

namespace
{
std::vector<std::string> SplitWords(const std::string& strLine)
{
    std::istringstream in(strLine);
    std::vector<std::string> aWords;
    for (std::string strWord; in >> strWord;)
        aWords.push_back(strWord);
    return aWords;
}

std::optional<long long> ParseNumber(const std::string& str)
{
    long long n = 0;
    const auto [p, ec] = std::from_chars(str.data(), str.data() + str.size(), n);
    if (ec != std::errc() || p != str.data() + str.size() || n < 0)
        return std::nullopt;
    return n;
}

std::string Lower(std::string str)
{
    std::transform(str.begin(), str.end(), str.begin(), [](unsigned char c) { return std::tolower(c); });
    return str;
}

std::optional<int> ParseAnswer(const std::string& strWord)
{
    static const std::pair<const char*, int> s_aNames[] = {{"ok", IDOK},       {"cancel", IDCANCEL}, {"abort", IDABORT},
                                                           {"retry", IDRETRY}, {"ignore", IDIGNORE}, {"yes", IDYES},
                                                           {"no", IDNO}};
    for (const auto& [szName, nId] : s_aNames)
        if (Lower(strWord) == szName)
            return nId;
    const auto n = ParseNumber(strWord);
    return n.has_value() && *n <= 0xFFFF ? std::optional<int>(static_cast<int>(*n)) : std::nullopt;
}

/// Checks an action's shape; returns the reason it is wrong, empty when it is right.
std::string CheckAction(const std::vector<std::string>& aWords)
{
    const std::string strVerb = aWords.empty() ? std::string() : aWords[0];
    const size_t n = aWords.size();
    const auto isNumber = [&](size_t i) { return i < n && ParseNumber(aWords[i]).has_value(); };
    if (strVerb == "key")
        return n >= 3 && (aWords[1] == "down" || aWords[1] == "up" || aWords[1] == "press")
                   ? ""
                   : "key down|up|press <name>";
    if (strVerb == "text")
        return n >= 2 ? "" : "text <characters>";
    if (strVerb == "mouse" && n == 4 && aWords[1] == "move")
        return isNumber(2) && isNumber(3) ? "" : "mouse move <x> <y>";
    if (strVerb == "mouse")
        return n == 5 && (aWords[1] == "down" || aWords[1] == "up") &&
                       (aWords[2] == "left" || aWords[2] == "right" || aWords[2] == "middle") && isNumber(3) &&
                       isNumber(4)
                   ? ""
                   : "mouse down|up left|right|middle <x> <y>";
    if (strVerb == "wheel")
        return n == 2 ? "" : "wheel <notches>";
    if (strVerb == "close" || strVerb == "minimise" || strVerb == "restore" || strVerb == "focus" ||
        strVerb == "unfocus")
        return n == 1 ? "" : strVerb + " takes nothing";
    if (strVerb == "png")
        return n == 2 ? "" : "png <path>";
    return "unknown action '" + strVerb + "'";
}
/// The line's characters after the first occurrence of the word and the blank that follows it.
std::string TextAfter(const std::string& strLine, const std::string& strWord)
{
    const size_t nStart = strLine.find(strWord) + strWord.size() + 1;
    return nStart < strLine.size() ? strLine.substr(nStart) : std::string();
}

/// The entry kinds that run an action at a number.
const std::pair<std::string, SScriptEntry::EWhen> s_aKinds[] = {{"at", SScriptEntry::AtMs},
                                                                {"frame", SScriptEntry::AtFrame},
                                                                {"dialog", SScriptEntry::AtDialog},
                                                                {"after", SScriptEntry::AfterMs}};
} // namespace

std::optional<SInputScript> ParseInputScript(const std::string& strText, std::string& strError)
{
    SInputScript script;
    std::istringstream in(strText);
    int nLine = 0;
    for (std::string strLine; std::getline(in, strLine);)
    {
        ++nLine;
        std::vector<std::string> aWords = SplitWords(strLine);
        if (aWords.empty() || aWords[0][0] == ';')
            continue;
        const auto fail = [&](const std::string& strWhy)
        {
            strError = "line " + std::to_string(nLine) + ": " + strWhy;
            return std::nullopt;
        };
        if (aWords[0] == "answer")
        {
            const auto nAnswer = aWords.size() == 2 ? ParseAnswer(aWords[1]) : std::nullopt;
            if (!nAnswer.has_value())
                return fail("answer <button>");
            script.aAnswers.push_back(*nAnswer);
            continue;
        }
        if (aWords[0] == "boxes")
        {
            if (aWords.size() != 2 || aWords[1] != "shown")
                return fail("boxes shown");
            script.bBoxesShown = true;
            continue;
        }
        if (aWords[0] == "wait" || aWords[0] == "seen")
        {
            if (aWords.size() < 2)
                return fail(aWords[0] + " <text>");
            const SScriptEntry::EWhen eWhen = aWords[0] == "wait" ? SScriptEntry::AfterTrace : SScriptEntry::SeenTrace;
            script.aEntries.push_back(
                SScriptEntry{eWhen, 0, {}, nLine, TextAfter(strLine, aWords[0]), {}, false, false});
            continue;
        }
        // "frame +<n>" and "dialog +<n>" count from the entry before.
        const bool bRelative = (aWords[0] == "frame" || aWords[0] == "dialog") && aWords.size() >= 2 &&
                               aWords[1].size() > 1 && aWords[1][0] == '+';
        if (bRelative)
            aWords[1].erase(0, 1);
        const auto itKind = std::find_if(std::begin(s_aKinds), std::end(s_aKinds),
                                         [&](const auto& kind) { return aWords[0] == kind.first; });
        if (itKind == std::end(s_aKinds) || aWords.size() < 3 || !ParseNumber(aWords[1]).has_value())
            return fail("expected 'at <ms> <action>', 'frame [+]<n> <action>', 'dialog [+]<n> <action>', "
                        "'after <ms> <action>', 'wait <text>', 'seen <text>', 'answer <button>' or 'boxes shown'");
        const SScriptEntry::EWhen eRelative =
            aWords[0] == "frame" ? SScriptEntry::AfterFrame : SScriptEntry::AfterDialog;
        SScriptEntry entry{bRelative ? eRelative : itKind->second,
                           *ParseNumber(aWords[1]),
                           std::vector<std::string>(aWords.begin() + 2, aWords.end()),
                           nLine,
                           {},
                           {},
                           false,
                           false};
        if (entry.aWords[0] == "text")
            entry.aWords = {"text", TextAfter(strLine, "text")}; // typed as written, blanks included
        const auto itAt = std::find_if(entry.aWords.begin(), entry.aWords.end(),
                                       [](const std::string& strWord) { return strWord[0] == '@'; });
        const bool bFromLog = entry.aWords[0] == "mouse" && itAt != entry.aWords.end();
        if (bFromLog)
        {
            // The point comes from the log: the words up to '@' are the action, the rest of the
            // line the text.
            entry.strPointTrace = strLine.substr(strLine.find('@') + 1);
            entry.aWords.erase(itAt, entry.aWords.end());
            if (entry.strPointTrace.find_first_not_of(" \t\r") == std::string::npos)
                return fail("mouse ... @<text>");
        }
        // "in dialog" or "in menu" ends the action's words (before an '@').
        if (const size_t n = entry.aWords.size(); entry.aWords[0] == "mouse" && n > 2 && entry.aWords[n - 2] == "in" &&
                                                  (entry.aWords[n - 1] == "dialog" || entry.aWords[n - 1] == "menu"))
        {
            (entry.aWords[n - 1] == "dialog" ? entry.bInDialog : entry.bInMenu) = true;
            entry.aWords.resize(n - 2);
        }
        if (bFromLog)
            entry.aWords.insert(entry.aWords.end(), {"0", "0"});
        if (const std::string strWhy = CheckAction(entry.aWords); !strWhy.empty())
            return fail(strWhy);
        script.aEntries.push_back(std::move(entry));
    }
    return script;
}

std::optional<SInputScript> LoadInputScript(const std::string& strPath, std::string& strError)
{
    std::ifstream in(strPath, std::ios::binary);
    if (!in)
    {
        strError = "cannot read " + strPath;
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    auto script = ParseInputScript(text.str(), strError);
    if (!script.has_value())
        strError = strPath + ", " + strError;
    return script;
}
