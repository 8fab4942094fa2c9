#include "platform/win32/DialogTemplate.h"

#include "platform/win32/Gdi.h"

#include <array>
#include <charconv>
#include <utility>

namespace
{
struct SToken
{
    std::string strText;
    bool bQuoted = false;
};

// Cuts a line at blanks; a token in double quotes keeps its blanks and takes \" and \\ escapes.
bool Tokenize(std::string_view line, std::vector<SToken>& aTokens, std::string& strError)
{
    std::size_t i = 0;
    while (i < line.size())
    {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')
        {
            ++i;
            continue;
        }
        SToken token;
        if (line[i] != '"')
        {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
                token.strText += line[i++];
            aTokens.push_back(std::move(token));
            continue;
        }
        token.bQuoted = true;
        for (++i;; ++i)
        {
            if (i >= line.size())
            {
                strError = "a text in quotes is not closed";
                return false;
            }
            if (line[i] == '"')
                break;
            if (line[i] == '\\' && i + 1 < line.size())
                ++i;
            token.strText += line[i];
        }
        ++i;
        aTokens.push_back(std::move(token));
    }
    return true;
}

bool ParseNumber(const SToken& token, int nMin, int nMax, int& nValue)
{
    const char* pEnd = token.strText.data() + token.strText.size();
    const auto [p, ec] = std::from_chars(token.strText.data(), pEnd, nValue);
    return !token.bQuoted && ec == std::errc{} && p == pEnd && nValue >= nMin && nValue <= nMax;
}

// Four numbers from aTokens[nFirst] on: x, y, width, height, as a rectangle.
bool ParseRect(const std::vector<SToken>& aTokens, std::size_t nFirst, RECT& rc)
{
    std::array<int, 4> an{};
    for (std::size_t i = 0; i < an.size(); ++i)
        if (nFirst + i >= aTokens.size() || !ParseNumber(aTokens[nFirst + i], 0, 32767, an[i]))
            return false;
    rc = RECT{an[0], an[1], an[0] + an[2], an[1] + an[3]};
    return true;
}

bool ParseControlKind(const std::string& strKind, EDialogControl& eKind)
{
    static constexpr std::array<std::pair<const char*, EDialogControl>, 7> s_aKinds = {{
        {"static", EDialogControl::Static},
        {"push", EDialogControl::PushButton},
        {"default", EDialogControl::DefaultButton},
        {"check", EDialogControl::CheckBox},
        {"ownerbutton", EDialogControl::OwnerDrawButton},
        {"edit", EDialogControl::Edit},
        {"listbox", EDialogControl::ListBox},
    }};
    for (const auto& [szName, eValue] : s_aKinds)
        if (strKind == szName)
        {
            eKind = eValue;
            return true;
        }
    return false;
}

bool ParseFlag(const std::string& strFlag, SDialogControlTemplate& control)
{
    if (strFlag == "tabstop")
        control.bTabStop = true;
    else if (strFlag == "disabled")
        control.bDisabled = true;
    else if (strFlag == "hidden")
        control.bHidden = true;
    else
        return false;
    return true;
}

bool ParseControl(const std::vector<SToken>& aTokens, SDialogControlTemplate& control, std::string& strError)
{
    if (aTokens.size() < 7 || !ParseControlKind(aTokens[1].strText, control.eKind) ||
        !ParseNumber(aTokens[2], 0, 65535, control.nId) || !ParseRect(aTokens, 3, control.rcUnits))
    {
        strError = "write a control as: control <kind> <id> <x> <y> <width> <height> [\"text\"] [flag...]";
        return false;
    }
    std::size_t i = 7;
    if (i < aTokens.size() && aTokens[i].bQuoted)
        control.strText = aTokens[i++].strText;
    for (; i < aTokens.size(); ++i)
        if (aTokens[i].bQuoted || !ParseFlag(aTokens[i].strText, control))
        {
            strError = "unknown control flag '" + aTokens[i].strText + "'";
            return false;
        }
    return true;
}

bool ParseStatement(const std::vector<SToken>& aTokens, SDialogTemplate& dialogTemplate, bool& bDialogSeen,
                    std::string& strError)
{
    const std::string& strWord = aTokens[0].strText;
    if (strWord == "dialog")
    {
        if (bDialogSeen || aTokens.size() != 5 || !ParseRect(aTokens, 1, dialogTemplate.rcUnits))
        {
            strError = "write the dialog once, as: dialog <x> <y> <width> <height>";
            return false;
        }
        bDialogSeen = true;
        return true;
    }
    if (!bDialogSeen)
    {
        strError = "the dialog line comes first";
        return false;
    }
    if (strWord == "caption" && aTokens.size() == 2 && aTokens[1].bQuoted)
    {
        dialogTemplate.strCaption = aTokens[1].strText;
        return true;
    }
    if (strWord == "font")
    {
        if (aTokens.size() != 3 || !ParseNumber(aTokens[1], 1, 72, dialogTemplate.nPointSize) || !aTokens[2].bQuoted ||
            aTokens[2].strText.empty())
        {
            strError = "write the font as: font <points 1..72> \"face\"";
            return false;
        }
        dialogTemplate.strFace = aTokens[2].strText;
        return true;
    }
    if (strWord == "control")
    {
        SDialogControlTemplate control;
        if (!ParseControl(aTokens, control, strError))
            return false;
        dialogTemplate.aControls.push_back(std::move(control));
        return true;
    }
    strError = "unknown statement '" + strWord + "'";
    return false;
}
} // namespace

bool ParseDialogTemplate(std::string_view text, SDialogTemplate& dialogTemplate, std::string& strError)
{
    dialogTemplate = SDialogTemplate{};
    bool bDialogSeen = false;
    int nLine = 0;
    while (!text.empty())
    {
        const std::size_t nEnd = text.find('\n');
        const std::string_view line = text.substr(0, nEnd);
        text = nEnd == std::string_view::npos ? std::string_view{} : text.substr(nEnd + 1);
        ++nLine;
        std::vector<SToken> aTokens;
        std::string strWhat;
        if (!Tokenize(line, aTokens, strWhat) ||
            (!aTokens.empty() && !aTokens[0].bQuoted && !aTokens[0].strText.starts_with(';') &&
             !ParseStatement(aTokens, dialogTemplate, bDialogSeen, strWhat)))
        {
            strError = "line " + std::to_string(nLine) + ": " + strWhat;
            return false;
        }
    }
    if (!bDialogSeen || dialogTemplate.nPointSize == 0)
    {
        strError = bDialogSeen ? "the template has no font" : "the template has no dialog line";
        return false;
    }
    return true;
}

SIZE DialogBaseUnits(int nPointSize, const std::string& strFace)
{
    HDC hDC = CreateCompatibleDC(nullptr);
    const int nHeight = -((nPointSize * 96 + 36) / 72); // points at 96 dots per inch, as an em height
    HFONT hFont = CreateFont(nHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, strFace.c_str());
    HGDIOBJ hOld = SelectObject(hDC, hFont);
    static constexpr char s_szLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE letters;
    GetTextExtentPoint32(hDC, s_szLetters, 52, &letters);
    TEXTMETRIC metrics;
    GetTextMetrics(hDC, &metrics);
    SelectObject(hDC, hOld);
    DeleteObject(hFont);
    DeleteDC(hDC);
    return SIZE{(letters.cx / 26 + 1) / 2, metrics.tmHeight};
}

RECT DialogUnitsToPixels(const RECT& rcUnits, SIZE base)
{
    const auto x = [&](LONG n) { return static_cast<LONG>(n * base.cx / 4); };
    const auto y = [&](LONG n) { return static_cast<LONG>(n * base.cy / 8); };
    return RECT{x(rcUnits.left), y(rcUnits.top), x(rcUnits.right), y(rcUnits.bottom)};
}
