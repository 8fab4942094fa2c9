#include "gameflow/TableSets.h"

#include "foundation/GlobalOrder.h"
#include "foundation/Tokens.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Modules.h"

#include <string_view>

VORN_GLOBAL_ROW(GLOBAL_ROW_TABLE_SETS) CTableSetList g_tableSets;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_TABLE_SETS);

namespace
{
/// The mesh field of each table-part kind, in field order 4 to 9.
constexpr int TABLE_PART_KINDS[6] = {0x1000040, 0x4000040, 0x8000040, 0x10000040, 0x20000040, 0x2000040};
} // namespace

const CString& CTableSetEntry::GetMeshForKind(int nKind) const
{
    static const CString s_strNone;
    for (int i = 0; i < 6; ++i)
        if (TABLE_PART_KINDS[i] == nKind)
            return m_astrField[3 + i];
    return s_strNone;
}

void CTableSetList::ReadLine(const char* szLibrary, const CString& strLine)
{
    if (strLine.IsEmpty() || strLine[0] == '/')
        return; // a comment
    CTableSetEntry entry;
    entry.m_strLibrary = szLibrary;
    CString line = strLine;
    for (CString& strField : entry.m_astrField)
        strField = ExtractStringToken(line);
    // A rest of one character is what a line's closing separator or stray blank leaves.
    while (line.GetLength() >= 2)
        entry.m_astrExtra.push_back(ExtractStringToken(line));
    if (entry.m_astrField[1].IsEmpty())
        return;
    // The key is kept with a line feed in place of its first character, as the scene set-up
    // compares it.
    entry.m_astrField[1].SetAt(0, '\n');
    m_aEntries.push_back(std::move(entry));
}

void CTableSetList::ReadText(const char* szLibrary, const char* pText, std::size_t nSize)
{
    // The text ends at the resource's end or at a NUL byte, whichever comes first; every line is
    // read, the last one too whether or not a line feed ends it.
    std::string_view text(pText, nSize);
    text = text.substr(0, text.find('\0'));
    while (!text.empty())
    {
        const std::size_t nEnd = text.find('\n');
        std::string_view line = text.substr(0, nEnd);
        text = nEnd == std::string_view::npos ? std::string_view() : text.substr(nEnd + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        ReadLine(szLibrary, CString(line));
    }
}

int CTableSetList::Select(int nTableNumber)
{
    if (m_aEntries.empty())
        m_nSelected = -1;
    else
        m_nSelected = nTableNumber >= 0 && nTableNumber < GetCount() ? nTableNumber : 0;
    return m_nSelected;
}

const CTableSetEntry* CTableSetList::GetSelected() const
{
    return m_nSelected >= 0 && m_nSelected < GetCount() ? &m_aEntries[static_cast<std::size_t>(m_nSelected)] : nullptr;
}

void CTableSetList::RemoveAll()
{
    m_aEntries.clear();
    m_nSelected = -1;
}

void LoadTablesSet(const CStringArray& astrLibraries)
{
    g_tableSets.RemoveAll();
    for (int i = 0; i < astrLibraries.GetSize(); ++i)
    {
        const CString& strLib = astrLibraries[i];
        const HMODULE hModule = LoadLibraryA(strLib);
        if (hModule == nullptr)
            continue;
        const HRSRC hRes = FindResourceA(hModule, "TABLES.SET", "SET");
        const auto* p = hRes != nullptr ? static_cast<const char*>(LockResource(LoadResource(hModule, hRes))) : nullptr;
        if (p != nullptr)
            g_tableSets.ReadText(strLib, p, SizeofResource(hModule, hRes));
        else
            OutputDebugString(("TABLES.SET missing in " + strLib.Str() + "\n").c_str());
        FreeLibrary(hModule);
    }
}
