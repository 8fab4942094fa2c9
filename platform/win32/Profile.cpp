#include "platform/win32/Profile.h"

#include "platform/win32/AtomicFile.h"
#include "platform/win32/Paths.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <ctime>
#include <mutex>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unordered_map>
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

// "key = value": both trimmed. A line without "=" is no entry, nor is a comment (";").
std::optional<SEntry> Entry(std::string_view line)
{
    const std::size_t nEq = line.find('=');
    if (nEq == std::string_view::npos || SectionName(line) || Trim(line).starts_with(';'))
        return std::nullopt;
    return SEntry{Trim(line.substr(0, nEq)), Trim(line.substr(nEq + 1))};
}

std::string_view Unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// A value as it is written: one that reading would change (blanks at either end, which reading
// trims, or a matching pair of quotes round it, which reading removes) is put in double quotes,
// which reading removes again.
std::string Protected(std::string value)
{
    if (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) || Unquote(value).size() != value.size()))
        return '"' + value + '"';
    return value;
}

std::string LowerCase(std::string_view text)
{
    std::string lower(text);
    for (char& ch : lower)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return lower;
}

// One "[name]" and the lines up to the next one (the lines before the first section form a
// section without header). Each line is kept as it was; the first line of each key name (in
// lower case) is indexed.
struct SSection
{
    std::optional<std::string> header;
    std::vector<std::string> lines;
    std::unordered_map<std::string, std::size_t> keys;
    std::size_t nAfterLastKey = 0; // where a new key goes: after the section's last key

    void AddLine(std::string line)
    {
        if (const auto entry = Entry(line))
        {
            keys.try_emplace(LowerCase(entry->key), lines.size());
            nAfterLastKey = lines.size() + 1;
        }
        lines.push_back(std::move(line));
    }

    void Reindex()
    {
        std::vector<std::string> old = std::move(lines);
        lines.clear();
        keys.clear();
        nAfterLastKey = 0;
        for (std::string& line : old)
            AddLine(std::move(line));
    }
};

// The lines of one profile file, kept as they were except where a write changes them, with an
// index of sections and keys so that a lookup does not scan the file.
class CProfileText
{
public:
    void Parse(std::string_view bytes)
    {
        *this = CProfileText();
        // An editor may start the file with a UTF-8 byte-order mark; it is no part of the
        // first line, and it is written back as it was.
        if (bytes.starts_with(s_szBom))
        {
            m_bBom = true;
            bytes.remove_prefix(std::strlen(s_szBom));
        }
        std::size_t nPos = 0;
        while (nPos < bytes.size())
        {
            std::size_t nEnd = bytes.find('\n', nPos);
            const bool bLast = nEnd == std::string_view::npos;
            if (bLast)
                nEnd = bytes.size();
            std::string line(bytes.substr(nPos, nEnd - nPos));
            const bool bCarriageReturn = !line.empty() && line.back() == '\r';
            // Every carriage return before the line feed belongs to the line's end (an editor may
            // leave more than one): a line kept is written back with the file's own end alone,
            // and the file written reads back as the same lines.
            while (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!bCarriageReturn && !bLast && m_nLines == 0)
                m_strEol = "\n"; // keep the line ends the file already uses
            AddLine(std::move(line));
            nPos = nEnd + 1;
        }
    }

    std::string Serialize() const
    {
        std::string out = m_bBom ? s_szBom : "";
        for (const SSection& section : m_sections)
        {
            if (section.header)
                out += *section.header + m_strEol;
            for (const std::string& line : section.lines)
                out += line + m_strEol;
        }
        return out;
    }

    std::optional<std::string_view> FindValue(std::string_view app, std::string_view key) const
    {
        const SSection* pSection = Find(app);
        if (pSection == nullptr)
            return std::nullopt;
        const auto it = pSection->keys.find(LowerCase(key));
        if (it == pSection->keys.end())
            return std::nullopt;
        return Unquote(Entry(pSection->lines[it->second])->value);
    }

    std::vector<std::string> SectionNames() const
    {
        std::vector<std::string> names;
        for (const SSection& section : m_sections)
            if (section.header)
                names.emplace_back(*SectionName(*section.header));
        return names;
    }

    std::vector<std::string> KeyNames(std::string_view app) const
    {
        std::vector<std::string> names;
        if (const SSection* pSection = Find(app))
            for (const std::string& line : pSection->lines)
                if (auto entry = Entry(line))
                    names.emplace_back(entry->key);
        return names;
    }

    // Deletes every section of that name (so no older copy can shadow a rewritten one).
    // Returns whether anything was deleted.
    bool DeleteSection(std::string_view app)
    {
        const std::string name = LowerCase(app);
        const auto nBefore = m_sections.size();
        std::erase_if(m_sections, [&](const SSection& section)
                      { return section.header && LowerCase(*SectionName(*section.header)) == name; });
        if (m_sections.size() == nBefore)
            return false;
        Reindex();
        return true;
    }

    bool DeleteKey(std::string_view app, std::string_view key)
    {
        SSection* pSection = Find(app);
        const std::string name = LowerCase(key);
        if (pSection == nullptr || !pSection->keys.contains(name))
            return false;
        std::erase_if(pSection->lines,
                      [&](const std::string& line)
                      {
                          const auto entry = Entry(line);
                          return entry && LowerCase(entry->key) == name;
                      });
        pSection->Reindex();
        return true;
    }

    bool AddSection(std::string_view app)
    {
        if (Find(app) != nullptr)
            return false;
        AddLine("[" + std::string(app) + "]");
        return true;
    }

    void SetValue(std::string_view app, std::string_view key, std::string value)
    {
        std::replace_if(
            value.begin(), value.end(), [](char ch) { return ch == '\r' || ch == '\n'; }, ' ');
        value = Protected(std::move(value));
        SSection* pSection = Find(app);
        if (pSection == nullptr)
        {
            AddLine("[" + std::string(app) + "]");
            AddLine(std::string(key) + "=" + value);
            return;
        }
        const auto it = pSection->keys.find(LowerCase(key));
        if (it != pSection->keys.end())
        {
            std::string& line = pSection->lines[it->second];
            line = std::string(Entry(line)->key) + "=" + value;
            return;
        }
        const std::size_t nInsert = pSection->nAfterLastKey;
        if (nInsert == pSection->lines.size())
            pSection->AddLine(std::string(key) + "=" + value);
        else
        {
            pSection->lines.insert(pSection->lines.begin() + static_cast<std::ptrdiff_t>(nInsert),
                                   std::string(key) + "=" + value);
            pSection->Reindex();
        }
    }

private:
    static constexpr const char* s_szBom = "\xEF\xBB\xBF";

    // A line that is a section header starts a new section; any other line belongs to the last.
    void AddLine(std::string line)
    {
        ++m_nLines;
        if (SectionName(line))
        {
            m_sections.emplace_back();
            m_sections.back().header = std::move(line);
            m_first.try_emplace(LowerCase(*SectionName(*m_sections.back().header)), m_sections.size() - 1);
            return;
        }
        m_sections.back().AddLine(std::move(line));
    }

    void Reindex()
    {
        m_first.clear();
        for (std::size_t i = 0; i < m_sections.size(); ++i)
            if (m_sections[i].header)
                m_first.try_emplace(LowerCase(*SectionName(*m_sections[i].header)), i);
    }

    // The first section of that name, compared without case.
    std::optional<std::size_t> IndexOf(std::string_view app) const
    {
        const auto it = m_first.find(LowerCase(app));
        return it == m_first.end() ? std::nullopt : std::optional<std::size_t>(it->second);
    }
    SSection* Find(std::string_view app)
    {
        const auto n = IndexOf(app);
        return n ? &m_sections[*n] : nullptr;
    }
    const SSection* Find(std::string_view app) const
    {
        const auto n = IndexOf(app);
        return n ? &m_sections[*n] : nullptr;
    }

    std::vector<SSection> m_sections{1};
    std::unordered_map<std::string, std::size_t> m_first;
    std::size_t m_nLines = 0;
    std::string m_strEol = "\r\n";
    bool m_bBom = false;
};

// Where profile files are kept: on the disk, or, for tests, in this process's memory (callers
// hold the profile lock). A memory file changes only through these calls, each replacement a new
// version, so its identity can always be trusted.
struct SMemoryFiles
{
    bool bOn = false;
    std::unordered_map<std::string, std::string> files;
    std::unordered_map<std::string, ino_t> versions;
    ino_t nLastVersion = 0;

    void Put(const std::string& strPath, std::string bytes)
    {
        files[strPath] = std::move(bytes);
        versions[strPath] = ++nLastVersion;
    }
};

SMemoryFiles& MemoryFiles()
{
    static SMemoryFiles s_files;
    return s_files;
}

/// The Linux path of a profile file; a memory file is named by its text as it stands, so that
/// finding it never looks at the disk.
std::string ProfilePath(LPCSTR lpFileName)
{
    return MemoryFiles().bOn ? std::string(lpFileName) : ResolvePath(lpFileName);
}

/// What identifies this version of the file; false when there is no file.
bool ProfileFileIdentity(const std::string& strPath, struct stat& identity)
{
    const SMemoryFiles& memory = MemoryFiles();
    if (!memory.bOn)
        return ::stat(strPath.c_str(), &identity) == 0;
    const auto it = memory.files.find(strPath);
    if (it == memory.files.end())
        return false;
    identity = {};
    identity.st_ino = memory.versions.at(strPath);
    identity.st_size = static_cast<off_t>(it->second.size());
    return true;
}

EFileRead ReadProfileFile(const std::string& strPath, std::string& bytes)
{
    const SMemoryFiles& memory = MemoryFiles();
    if (!memory.bOn)
        return ReadWholeFileChecked(strPath, bytes);
    const auto it = memory.files.find(strPath);
    if (it == memory.files.end())
        return EFileRead::Missing;
    bytes = it->second;
    return EFileRead::Read;
}

bool ReplaceProfileFile(const std::string& strPath, std::string bytes)
{
    SMemoryFiles& memory = MemoryFiles();
    if (!memory.bOn)
        return ReplaceFileContents(strPath, bytes);
    memory.Put(strPath, std::move(bytes));
    return true;
}

// The last file read, parsed, with its bytes and what identifies that version of it on the disk.
struct SParsedFile
{
    std::string strPath;
    std::string bytes;
    struct stat identity
    {
    };
    bool bSettled = false; // unchanged for a while before it was read: its identity can be trusted
    CProfileText text;
};

bool SameVersion(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

// File times advance in coarse steps, so two edits in place close together can leave the same
// size and times. A file last changed more than this before it was read has no such twin.
constexpr long SETTLED_SECONDS = 2;

bool IsSettled(const struct stat& identity)
{
    if (MemoryFiles().bOn)
        return true;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec - std::max(identity.st_mtim.tv_sec, identity.st_ctim.tv_sec) > SETTLED_SECONDS;
}

// The parsed file (callers hold the profile lock); null when it cannot be read. A file whose
// identity is unchanged since it settled is not read again; any other is read, and parsed
// again only when its bytes changed. Reading settings key by key so parses the file once.
const CProfileText* LoadProfile(LPCSTR lpFileName)
{
    static SParsedFile s_cache;
    if (lpFileName == nullptr)
        return nullptr;
    const std::string strPath = ProfilePath(lpFileName);
    struct stat identity
    {
    };
    if (!ProfileFileIdentity(strPath, identity))
        return nullptr;
    if (s_cache.strPath == strPath && s_cache.bSettled && SameVersion(s_cache.identity, identity))
        return &s_cache.text;
    const bool bSettled = IsSettled(identity); // judged before the read, so no later edit is missed
    std::string bytes;
    if (ReadProfileFile(strPath, bytes) != EFileRead::Read)
        return nullptr;
    if (s_cache.strPath != strPath || s_cache.bytes != bytes)
    {
        s_cache.strPath.clear(); // no half-made entry if the parse throws
        s_cache.text.Parse(bytes);
        s_cache.bytes = std::move(bytes);
        s_cache.strPath = strPath;
    }
    s_cache.identity = identity;
    s_cache.bSettled = bSettled;
    return &s_cache.text;
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

// Returns whether the text changed (a deletion may find nothing to delete).
bool ApplyWrite(CProfileText& text, LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString)
{
    if (lpKeyName == nullptr)
        return text.DeleteSection(lpAppName);
    if (lpString == nullptr)
        return text.DeleteKey(lpAppName, lpKeyName);
    text.SetValue(lpAppName, lpKeyName, lpString);
    return true;
}
} // namespace

DWORD GetPrivateProfileString(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString, DWORD nSize,
                              LPCSTR lpFileName)
{
    if (lpReturnedString == nullptr || nSize == 0)
        return 0;
    std::lock_guard lock(ProfileMutex());
    const CProfileText* pText = LoadProfile(lpFileName);
    if (lpAppName == nullptr)
        return CopyList(pText ? pText->SectionNames() : std::vector<std::string>(), lpReturnedString, nSize);
    if (lpKeyName == nullptr)
        return CopyList(pText ? pText->KeyNames(lpAppName) : std::vector<std::string>(), lpReturnedString, nSize);
    const auto value = pText ? pText->FindValue(lpAppName, lpKeyName) : std::nullopt;
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
    const CProfileText* pText = LoadProfile(lpFileName);
    if (pText == nullptr)
        return static_cast<UINT>(nDefault);
    const auto value = pText->FindValue(lpAppName, lpKeyName);
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
    bool bExisted = false;
    bool bChanged = false; // a write that changes nothing leaves a missing file missing
};

CProfileEdit::CProfileEdit(LPCSTR lpFileName) : m_pState(std::make_unique<SState>())
{
    if (lpFileName == nullptr || *lpFileName == '\0')
        return;
    m_pState->strPath = ProfilePath(lpFileName);
    std::string bytes;
    // A file that exists but cannot be read is never replaced by one holding only the changes.
    const EFileRead eRead = ReadProfileFile(m_pState->strPath, bytes);
    m_pState->bValid = eRead != EFileRead::Refused;
    m_pState->bExisted = eRead == EFileRead::Read;
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
    if (ApplyWrite(m_pState->text, lpAppName, lpKeyName, lpString))
        m_pState->bChanged = true;
}

void CProfileEdit::AddSection(LPCSTR lpAppName)
{
    if (lpAppName != nullptr && m_pState->text.AddSection(lpAppName))
        m_pState->bChanged = true;
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
    if (!m_pState->bExisted && !m_pState->bChanged)
        return TRUE;
    return ReplaceProfileFile(m_pState->strPath, m_pState->text.Serialize()) ? TRUE : FALSE;
}

void SetProfileFilesInMemoryForTest(bool bOn)
{
    std::lock_guard lock(ProfileMutex());
    SMemoryFiles& memory = MemoryFiles();
    memory.files.clear();
    memory.versions.clear(); // the version count goes on, so no parse cached before is taken for a new file
    memory.bOn = bOn;
}

void PutProfileFileForTest(LPCSTR lpFileName, std::string bytes)
{
    std::lock_guard lock(ProfileMutex());
    MemoryFiles().Put(lpFileName, std::move(bytes));
}

std::optional<std::string> GetProfileFileForTest(LPCSTR lpFileName)
{
    std::lock_guard lock(ProfileMutex());
    const SMemoryFiles& memory = MemoryFiles();
    const auto it = memory.files.find(lpFileName);
    return it != memory.files.end() ? std::optional<std::string>(it->second) : std::nullopt;
}
