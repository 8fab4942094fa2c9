#include "tools/respack/MenuSource.h"

#include "platform/win32/Accelerators.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/Menus.h"
#include "tools/respack/Manifest.h"

#include <array>
#include <cctype>
#include <functional>
#include <sstream>
#include <utility>

namespace
{
// Runs fnLine over each line's tokens (blank lines skipped); on the first failure strError gets
// "line N: " and the reason.
bool ForEachLine(const std::string& strText, std::string& strError,
                 const std::function<bool(const std::vector<std::string>&, std::string&)>& fnLine)
{
    std::istringstream in(strText);
    std::string strLine;
    for (int nLine = 1; std::getline(in, strLine); ++nLine)
    {
        if (!strLine.empty() && strLine.back() == '\r')
            strLine.pop_back();
        std::vector<std::string> tokens;
        std::string strWhat;
        if (!TokenizeLine(strLine, tokens, strWhat) || (!tokens.empty() && !fnLine(tokens, strWhat)))
        {
            strError = "line " + std::to_string(nLine) + ": " + strWhat;
            return false;
        }
    }
    return true;
}

bool ParseCommandId(const std::string& strToken, WORD& nId, std::string& strError)
{
    unsigned long nValue = 0;
    if (!ParseSourceNumber(strToken, 0xFFFF, nValue) || nValue == 0)
    {
        strError = "a command id must lie between 1 and 65535: " + strToken;
        return false;
    }
    nId = static_cast<WORD>(nValue);
    return true;
}

std::string Lower(std::string strText)
{
    for (char& ch : strText)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return strText;
}

// The virtual key of a key name without modifiers; 0 when unknown.
WORD VirtualKey(const std::string& strName)
{
    if (strName.size() == 1 && std::isalnum(static_cast<unsigned char>(strName[0])))
        return static_cast<WORD>(std::toupper(static_cast<unsigned char>(strName[0])));
    const std::string strLower = Lower(strName);
    if (strLower.size() >= 2 && strLower[0] == 'f')
    {
        unsigned long nF = 0;
        if (ParseSourceNumber(strLower.substr(1), 12, nF) && nF >= 1)
            return static_cast<WORD>(VK_F1 + nF - 1);
    }
    static const std::array<std::pair<const char*, int>, 17> s_aNamed = {{
        {"esc", VK_ESCAPE},
        {"enter", VK_RETURN},
        {"space", VK_SPACE},
        {"tab", VK_TAB},
        {"backspace", VK_BACK},
        {"insert", VK_INSERT},
        {"delete", VK_DELETE},
        {"home", VK_HOME},
        {"end", VK_END},
        {"pageup", VK_PRIOR},
        {"pagedown", VK_NEXT},
        {"left", VK_LEFT},
        {"right", VK_RIGHT},
        {"up", VK_UP},
        {"down", VK_DOWN},
        {"pause", VK_PAUSE},
        {"escape", VK_ESCAPE},
    }};
    for (const auto& [szName, nKey] : s_aNamed)
    {
        if (strLower == szName)
            return static_cast<WORD>(nKey);
    }
    return 0;
}

bool ParseKey(const std::string& strToken, ACCEL& accel, std::string& strError)
{
    accel.fVirt = FVIRTKEY;
    std::string strRest = strToken;
    for (std::size_t nPlus = strRest.find('+'); nPlus != std::string::npos && nPlus + 1 < strRest.size();
         nPlus = strRest.find('+'))
    {
        const std::string strModifier = Lower(strRest.substr(0, nPlus));
        const WORD fFlag = strModifier == "ctrl"    ? FCONTROL
                           : strModifier == "alt"   ? FALT
                           : strModifier == "shift" ? FSHIFT
                                                    : 0;
        if (fFlag == 0 || (accel.fVirt & fFlag) != 0)
        {
            strError = "unknown or repeated modifier in " + strToken;
            return false;
        }
        accel.fVirt = static_cast<WORD>(accel.fVirt | fFlag);
        strRest = strRest.substr(nPlus + 1);
    }
    accel.key = VirtualKey(strRest);
    if (accel.key == 0)
    {
        strError = "unknown key " + strToken;
        return false;
    }
    return true;
}

// The menu being compiled: the open popups, innermost last.
class CMenuCompiler
{
public:
    CMenuCompiler() : m_aOpen(1) {}

    bool Line(const std::vector<std::string>& tokens, std::string& strError)
    {
        SMenuItem item;
        if (tokens[0] == "popup" && tokens.size() == 2)
        {
            if (m_aOpen.size() >= MENU_MAX_DEPTH)
                return Fail("popups nest deeper than " + std::to_string(MENU_MAX_DEPTH) + " levels", strError);
            item.nFlags = MF_POPUP;
            if (!TakeText(tokens[1], item, strError))
                return false;
            m_aOpen.push_back(item);
            return true;
        }
        if (tokens[0] == "end" && tokens.size() == 1)
        {
            if (m_aOpen.size() == 1)
                return Fail("an end without its popup", strError);
            if (m_aOpen.back().items.empty())
                return Fail("a popup needs at least one item", strError);
            item = std::move(m_aOpen.back());
            m_aOpen.pop_back();
        }
        else if (tokens[0] == "separator" && tokens.size() == 1)
            item.nFlags = MF_SEPARATOR;
        else if (tokens[0] == "item" && tokens.size() == 3)
        {
            if (!TakeText(tokens[2], item, strError) || !ParseCommandId(tokens[1], item.nId, strError))
                return false;
        }
        else
            return Fail("write popup \"text\", item <id> \"text\", separator or end", strError);
        m_aOpen.back().items.push_back(std::move(item));
        return true;
    }

    /// A text ends at its NUL in the compiled menu: one inside it would cut the item short and
    /// leave the rest of its bytes to be read as the next item.
    static bool TakeText(const std::string& strText, SMenuItem& item, std::string& strError)
    {
        if (strText.find('\0') != std::string::npos)
            return Fail("a menu text cannot hold a NUL character", strError);
        item.strText = strText;
        return true;
    }

    bool Finish(std::vector<BYTE>& data, std::string& strError) const
    {
        if (m_aOpen.size() != 1)
            return Fail("a popup is not closed with end", strError);
        if (m_aOpen[0].items.empty())
            return Fail("the menu has no items", strError);
        data = EncodeMenu(m_aOpen[0].items);
        return true;
    }

private:
    static bool Fail(const std::string& strWhat, std::string& strError)
    {
        strError = strWhat;
        return false;
    }

    std::vector<SMenuItem> m_aOpen; // [0] holds the top level
};
} // namespace

bool CompileMenuSource(const std::string& strText, std::vector<BYTE>& data, std::string& strError)
{
    CMenuCompiler compiler;
    if (!ForEachLine(strText, strError,
                     [&](const auto& tokens, std::string& strWhat) { return compiler.Line(tokens, strWhat); }))
        return false;
    return compiler.Finish(data, strError);
}

bool CompileAcceleratorSource(const std::string& strText, std::vector<BYTE>& data, std::string& strError)
{
    std::vector<ACCEL> table;
    const auto fnLine = [&](const std::vector<std::string>& tokens, std::string& strWhat)
    {
        ACCEL accel;
        if (tokens.size() != 2)
        {
            strWhat = "write a key as: <key> <command id>";
            return false;
        }
        if (!ParseKey(tokens[0], accel, strWhat) || !ParseCommandId(tokens[1], accel.cmd, strWhat))
            return false;
        for (const ACCEL& other : table)
        {
            if (other.fVirt == accel.fVirt && other.key == accel.key)
            {
                strWhat = "the key " + tokens[0] + " is given twice";
                return false;
            }
        }
        table.push_back(accel);
        return true;
    };
    if (!ForEachLine(strText, strError, fnLine))
        return false;
    if (table.empty())
    {
        strError = "the table has no keys";
        return false;
    }
    data = EncodeAcceleratorTable(table);
    return true;
}
