#include "platform/win32/Profile.h"

#include "platform/win32/AtomicFile.h"
#include "platform/win32/Paths.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

namespace
{
// One lock for every profile file of the process: a read-modify-write of one caller never
// interleaves with another's.
std::recursive_mutex& ProfileMutex()
{
    static std::recursive_mutex s_mutex;
    return s_mutex;
}

bool IsBlank(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\v' || ch == '\f'; }

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// "[name]" (the closing bracket may be missing): the trimmed name.
std::optional<std::string_view> SectionName(std::string_view line)
{
    line = Trim(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    line.remove_prefix(1);
    return Trim(line.substr(0, line.find(']')));
}

struct SEntry
{
    std::string_view key;
    std::string_view value;
};

// "key = value": both trimmed. A line without "=" is no entry.
std::optional<SEntry> Entry(std::string_view line)
{
    const std::size_t nEq = line.find('=');
    if (nEq == std::string_view::npos || SectionName(line))
        return std::nullopt;
    return SEntry{Trim(line.substr(0, nEq)), Trim(line.substr(nEq + 1))};
}

std::string_view Unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// The lines of one profile file, kept as they were except where a write changes them.
class CProfileText
{
public:
    void Parse(const std::string& bytes)
    {
        m_lines.clear();
        m_strEol = "\r\n";
        std::size_t nPos = 0;
        while (nPos < bytes.size())
        {
            std::size_t nEnd = bytes.find('\n', nPos);
            const bool bLast = nEnd == std::string::npos;
            if (bLast)
                nEnd = bytes.size();
            std::string line = bytes.substr(nPos, nEnd - nPos);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            else if (!bLast && m_lines.empty())
                m_strEol = "\n"; // keep the line ends the file already uses
            m_lines.push_back(std::move(line));
            nPos = nEnd + 1;
        }
    }

    std::string Serialize() const
    {
        std::string out;
        for (const std::string& line : m_lines)
            out += line + m_strEol;
        return out;
    }

    std::optional<std::string_view> FindValue(std::string_view app, std::string_view key) const
    {
        const int nHeader = FindSection(app);
        if (nHeader < 0)
            return std::nullopt;
        const int nLine = FindKey(nHeader, key);
        if (nLine < 0)
            return std::nullopt;
        return Unquote(Entry(m_lines[static_cast<std::size_t>(nLine)])->value);
    }

    std::vector<std::string> SectionNames() const
    {
        std::vector<std::string> names;
        for (const std::string& line : m_lines)
            if (auto name = SectionName(line))
                names.emplace_back(*name);
        return names;
    }

    std::vector<std::string> KeyNames(std::string_view app) const
    {
        std::vector<std::string> names;
        const int nHeader = FindSection(app);
        if (nHeader < 0)
            return names;
        for (int i = nHeader + 1; i < SectionEnd(nHeader); ++i)
            if (auto entry = Entry(m_lines[static_cast<std::size_t>(i)]))
                names.emplace_back(entry->key);
        return names;
    }

    // Deletes every section of that name (so no older copy can shadow a rewritten one).
    void DeleteSection(std::string_view app)
    {
        for (int nHeader = FindSection(app); nHeader >= 0; nHeader = FindSection(app))
            Erase(nHeader, SectionEnd(nHeader));
    }

    void DeleteKey(std::string_view app, std::string_view key)
    {
        const int nHeader = FindSection(app);
        if (nHeader < 0)
            return;
        for (int nLine = FindKey(nHeader, key); nLine >= 0; nLine = FindKey(nHeader, key))
            Erase(nLine, nLine + 1);
    }

    void AddSection(std::string_view app)
    {
        if (FindSection(app) < 0)
            m_lines.push_back("[" + std::string(app) + "]");
    }

    void SetValue(std::string_view app, std::string_view key, std::string value)
    {
        std::replace_if(
            value.begin(), value.end(), [](char ch) { return ch == '\r' || ch == '\n'; }, ' ');
        int nHeader = FindSection(app);
        if (nHeader < 0)
        {
            m_lines.push_back("[" + std::string(app) + "]");
            m_lines.push_back(std::string(key) + "=" + value);
            return;
        }
        const int nLine = FindKey(nHeader, key);
        if (nLine >= 0)
        {
            std::string& line = m_lines[static_cast<std::size_t>(nLine)];
            line = std::string(Entry(line)->key) + "=" + value;
            return;
        }
        int nInsert = nHeader + 1;
        for (int i = nHeader + 1; i < SectionEnd(nHeader); ++i)
            if (Entry(m_lines[static_cast<std::size_t>(i)]))
                nInsert = i + 1;
        m_lines.insert(m_lines.begin() + nInsert, std::string(key) + "=" + value);
    }

private:
    int FindSection(std::string_view app) const
    {
        for (std::size_t i = 0; i < m_lines.size(); ++i)
        {
            const auto name = SectionName(m_lines[i]);
            if (name && EqualNoCase(*name, app))
                return static_cast<int>(i);
        }
        return -1;
    }

    int SectionEnd(int nHeader) const
    {
        for (std::size_t i = static_cast<std::size_t>(nHeader) + 1; i < m_lines.size(); ++i)
            if (SectionName(m_lines[i]))
                return static_cast<int>(i);
        return static_cast<int>(m_lines.size());
    }

    int FindKey(int nHeader, std::string_view key) const
    {
        for (int i = nHeader + 1; i < SectionEnd(nHeader); ++i)
        {
            const auto entry = Entry(m_lines[static_cast<std::size_t>(i)]);
            if (entry && EqualNoCase(entry->key, key))
                return i;
        }
        return -1;
    }

    void Erase(int nFirst, int nEnd) { m_lines.erase(m_lines.begin() + nFirst, m_lines.begin() + nEnd); }

    std::vector<std::string> m_lines;
    std::string m_strEol = "\r\n";
};

bool LoadProfile(LPCSTR lpFileName, CProfileText& text)
{
    std::string bytes;
    if (lpFileName == nullptr || !ReadWholeFile(ResolvePath(lpFileName), bytes))
        return false;
    text.Parse(bytes);
    return true;
}

// Copies text cut to nSize - 1 characters; returns the length copied.
DWORD CopyValue(std::string_view text, LPSTR lpOut, DWORD nSize)
{
    const std::size_t n = std::min<std::size_t>(text.size(), nSize - 1);
    std::memcpy(lpOut, text.data(), n);
    lpOut[n] = '\0';
    return static_cast<DWORD>(std::strlen(lpOut)); // a zero byte inside the value ends it
}

// Copies names as a double-zero-terminated list; a list that does not fit is cut.
DWORD CopyList(const std::vector<std::string>& names, LPSTR lpOut, DWORD nSize)
{
    std::string list;
    for (const std::string& name : names)
        list.append(name).push_back('\0');
    if (list.size() + 1 <= nSize)
    {
        std::memcpy(lpOut, list.data(), list.size());
        lpOut[list.size()] = '\0';
        return static_cast<DWORD>(list.size());
    }
    if (nSize < 2)
    {
        lpOut[0] = '\0';
        return 0;
    }
    std::memcpy(lpOut, list.data(), nSize - 2);
    lpOut[nSize - 2] = '\0';
    lpOut[nSize - 1] = '\0';
    return nSize - 2;
}

int ParseLeadingInt(std::string_view text)
{
    std::size_t i = 0;
    const bool bNegative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+'))
        ++i;
    long long nValue = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        nValue = std::min(nValue * 10 + (text[i] - '0'), static_cast<long long>(INT_MAX) + 1);
    nValue = bNegative ? -nValue : std::min(nValue, static_cast<long long>(INT_MAX));
    return static_cast<int>(nValue);
}

void ApplyWrite(CProfileText& text, LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString)
{
    if (lpKeyName == nullptr)
        text.DeleteSection(lpAppName);
    else if (lpString == nullptr)
        text.DeleteKey(lpAppName, lpKeyName);
    else
        text.SetValue(lpAppName, lpKeyName, lpString);
}
} // namespace

DWORD GetPrivateProfileString(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString, DWORD nSize,
                              LPCSTR lpFileName)
{
    if (lpReturnedString == nullptr || nSize == 0)
        return 0;
    std::lock_guard lock(ProfileMutex());
    CProfileText text;
    const bool bLoaded = LoadProfile(lpFileName, text);
    if (lpAppName == nullptr)
        return CopyList(bLoaded ? text.SectionNames() : std::vector<std::string>(), lpReturnedString, nSize);
    if (lpKeyName == nullptr)
        return CopyList(bLoaded ? text.KeyNames(lpAppName) : std::vector<std::string>(), lpReturnedString, nSize);
    const auto value = bLoaded ? text.FindValue(lpAppName, lpKeyName) : std::nullopt;
    if (value)
        return CopyValue(*value, lpReturnedString, nSize);
    std::string_view def = lpDefault != nullptr ? lpDefault : "";
    while (!def.empty() && def.back() == ' ')
        def.remove_suffix(1);
    return CopyValue(def, lpReturnedString, nSize);
}

UINT GetPrivateProfileInt(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName)
{
    if (lpAppName == nullptr || lpKeyName == nullptr)
        return static_cast<UINT>(nDefault);
    std::lock_guard lock(ProfileMutex());
    CProfileText text;
    if (!LoadProfile(lpFileName, text))
        return static_cast<UINT>(nDefault);
    const auto value = text.FindValue(lpAppName, lpKeyName);
    if (!value || value->empty())
        return static_cast<UINT>(nDefault);
    return static_cast<UINT>(ParseLeadingInt(*value));
}

BOOL WritePrivateProfileString(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName)
{
    CProfileEdit edit(lpFileName);
    edit.WriteString(lpAppName, lpKeyName, lpString);
    return edit.Commit();
}

struct CProfileEdit::SState
{
    std::unique_lock<std::recursive_mutex> lock{ProfileMutex()};
    std::string strPath;
    CProfileText text;
    bool bValid = false;
};

CProfileEdit::CProfileEdit(LPCSTR lpFileName) : m_pState(std::make_unique<SState>())
{
    if (lpFileName == nullptr || *lpFileName == '\0')
        return;
    m_pState->strPath = ResolvePath(lpFileName);
    m_pState->bValid = true;
    std::string bytes;
    if (ReadWholeFile(m_pState->strPath, bytes))
        m_pState->text.Parse(bytes);
}

CProfileEdit::~CProfileEdit() = default;

void CProfileEdit::WriteString(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString)
{
    if (lpAppName == nullptr)
    {
        m_pState->bValid = false; // the system refuses a write without a section
        return;
    }
    ApplyWrite(m_pState->text, lpAppName, lpKeyName, lpString);
}

void CProfileEdit::AddSection(LPCSTR lpAppName)
{
    if (lpAppName != nullptr)
        m_pState->text.AddSection(lpAppName);
}

std::optional<std::string> CProfileEdit::GetString(LPCSTR lpAppName, LPCSTR lpKeyName) const
{
    if (lpAppName == nullptr || lpKeyName == nullptr)
        return std::nullopt;
    const auto value = m_pState->text.FindValue(lpAppName, lpKeyName);
    return value ? std::optional<std::string>(std::string(*value)) : std::nullopt;
}

std::vector<std::string> CProfileEdit::GetSectionNames() const { return m_pState->text.SectionNames(); }

BOOL CProfileEdit::Commit()
{
    if (!m_pState->bValid)
        return FALSE;
    return ReplaceFileContents(m_pState->strPath, m_pState->text.Serialize()) ? TRUE : FALSE;
}
