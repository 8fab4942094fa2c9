#include "tools/respack/Manifest.h"

#include "platform/win32/Accelerators.h"
#include "platform/win32/Menus.h"

#include <cctype>
#include <charconv>
#include <sstream>

bool TokenizeLine(const std::string& strLine, std::vector<std::string>& tokens, std::string& strError)
{
    std::size_t i = 0;
    while (i < strLine.size())
    {
        if (std::isspace(static_cast<unsigned char>(strLine[i])))
        {
            ++i;
            continue;
        }
        if (strLine[i] == '#')
            break;
        std::string token;
        if (strLine[i] != '"')
        {
            while (i < strLine.size() && !std::isspace(static_cast<unsigned char>(strLine[i])))
                token += strLine[i++];
            tokens.push_back(token);
            continue;
        }
        for (++i;; ++i)
        {
            if (i >= strLine.size())
            {
                strError = "a quoted text is not closed";
                return false;
            }
            if (strLine[i] == '"')
                break;
            if (strLine[i] != '\\')
            {
                token += strLine[i];
                continue;
            }
            if (++i >= strLine.size())
                continue; // the missing closing quote is reported above
            switch (strLine[i])
            {
            case 'n':
                token += '\n';
                break;
            case 't':
                token += '\t';
                break;
            case 'r':
                token += '\r';
                break;
            case '"':
            case '\\':
                token += strLine[i];
                break;
            default:
                strError = std::string("unknown escape \\") + strLine[i];
                return false;
            }
        }
        ++i;
        tokens.push_back(token);
    }
    return true;
}

bool ParseSourceNumber(const std::string& strToken, unsigned long nMax, unsigned long& nValue)
{
    int nBase = 10;
    std::size_t nStart = 0;
    if (strToken.size() > 2 && strToken[0] == '0' && (strToken[1] == 'x' || strToken[1] == 'X'))
    {
        nBase = 16;
        nStart = 2;
    }
    const char* pEnd = strToken.data() + strToken.size();
    const auto result = std::from_chars(strToken.data() + nStart, pEnd, nValue, nBase);
    return !strToken.empty() && result.ec == std::errc() && result.ptr == pEnd && nValue <= nMax;
}

namespace
{
bool IsDigits(const std::string& strToken)
{
    for (char ch : strToken)
    {
        if (!std::isdigit(static_cast<unsigned char>(ch)))
            return false;
    }
    return !strToken.empty();
}

// A type or name: digits only make a numeric id, anything else a name.
bool ParseKey(const std::string& strToken, SResourceKey& key, std::string& strError)
{
    if (!IsDigits(strToken))
    {
        if (strToken.empty() || strToken.size() > RESLIB_MAX_NAME)
        {
            strError = "a name must have 1 to " + std::to_string(RESLIB_MAX_NAME) + " characters";
            return false;
        }
        // The resource calls read "#123" as the numeric id 123, so such a name could never be found.
        if (strToken.size() > 1 && strToken[0] == '#' && IsDigits(strToken.substr(1)))
        {
            strError = "a name cannot be # and digits, which is read as a numeric id: " + strToken;
            return false;
        }
        key = SResourceKey::Name(strToken);
        return true;
    }
    unsigned long nId = 0;
    if (!ParseSourceNumber(strToken, 0xFFFF, nId) || nId == 0)
    {
        strError = "a numeric id must lie between 1 and 65535: " + strToken;
        return false;
    }
    key = SResourceKey::Id(static_cast<WORD>(nId));
    return true;
}

bool ParseVersion(const std::vector<std::string>& tokens, SResourceVersion& version, std::string& strError)
{
    unsigned long anParts[4] = {};
    std::istringstream in(tokens.size() == 2 ? tokens[1] : std::string());
    std::string strPart;
    int nCount = 0;
    while (std::getline(in, strPart, '.'))
    {
        if (nCount == 4 || !IsDigits(strPart) || !ParseSourceNumber(strPart, 0xFFFF, anParts[nCount]))
        {
            nCount = -1; // a wrong part: the rest is not read
            break;
        }
        ++nCount;
    }
    if (nCount != 4)
    {
        strError = "write the version as four numbers 0..65535: version 1.0.0.0";
        return false;
    }
    version.dwMs = static_cast<DWORD>(anParts[0] << 16 | anParts[1]);
    version.dwLs = static_cast<DWORD>(anParts[2] << 16 | anParts[3]);
    return true;
}

bool ParseStatement(const std::vector<std::string>& tokens, int nLine, SManifest& manifest, WORD& nLanguage,
                    std::string& strError)
{
    if (tokens[0] == "version")
        return ParseVersion(tokens, manifest.version, strError);
    if (tokens[0] == "language")
    {
        unsigned long nValue = 0;
        if (tokens.size() != 2 || !ParseSourceNumber(tokens[1], 0xFFFF, nValue))
        {
            strError = "write the language as one number 0..0xFFFF";
            return false;
        }
        nLanguage = static_cast<WORD>(nValue);
        return true;
    }
    SManifestEntry entry;
    entry.nLanguage = nLanguage;
    entry.nLine = nLine;
    if (tokens[0] == "string")
    {
        if (tokens.size() != 3)
        {
            strError = "write a string as: string <id> \"text\"";
            return false;
        }
        entry.type = SResourceKey::Id(RT_STRING_ID);
        entry.strText = tokens[2];
        if (!ParseKey(tokens[1], entry.name, strError))
            return false;
        if (entry.name.IsName())
        {
            strError = "a string needs a numeric id";
            return false;
        }
    }
    else if (tokens[0] == "menu" || tokens[0] == "accelerators")
    {
        if (tokens.size() != 3)
        {
            strError = "write a " + tokens[0] + " entry as: " + tokens[0] + " <name> <file>";
            return false;
        }
        const bool bMenu = tokens[0] == "menu";
        entry.eSource = bMenu ? EEntrySource::Menu : EEntrySource::Accelerators;
        entry.type = SResourceKey::Id(bMenu ? RT_MENU_ID : RT_ACCELERATOR_ID);
        entry.strFile = tokens[2];
        if (!ParseKey(tokens[1], entry.name, strError))
            return false;
    }
    else
    {
        if (tokens.size() != 3)
        {
            strError = "write an entry as: <type> <name> <file>";
            return false;
        }
        entry.strFile = tokens[2];
        if (!ParseKey(tokens[0], entry.type, strError) || !ParseKey(tokens[1], entry.name, strError))
            return false;
    }
    manifest.entries.push_back(std::move(entry));
    return true;
}
} // namespace

bool ParseManifest(const std::string& strText, SManifest& manifest, std::string& strError)
{
    manifest = SManifest{};
    std::istringstream in(strText);
    std::string strLine;
    WORD nLanguage = 0;
    for (int nLine = 1; std::getline(in, strLine); ++nLine)
    {
        if (!strLine.empty() && strLine.back() == '\r')
            strLine.pop_back();
        std::vector<std::string> tokens;
        std::string strWhat;
        const bool bParsed = TokenizeLine(strLine, tokens, strWhat) &&
                             (tokens.empty() || ParseStatement(tokens, nLine, manifest, nLanguage, strWhat));
        if (!bParsed)
        {
            strError = "line " + std::to_string(nLine) + ": " + strWhat;
            return false;
        }
    }
    return true;
}
