#include "foundation/ErrorBox.h"
#include "foundation/Folders.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Paths.h"
#include "platform/win32/Profile.h"
#include "simulation/Player.h"

#include <string>

const std::array<const char*, STATS_KEY_COUNT> g_aszStatsKeys = {
    "m_nRoundsWon", "m_nRoundsLost",    "m_nMatchesWon",    "m_nMatchesLost",
    "m_nScratches", "m_nLongestStreak", "m_nCurrentStreak",
};

namespace
{
bool IsValidColumn(int nColumn) { return nColumn >= 0 && nColumn < STATS_COLUMN_COUNT; }

// Characters that may not stand in a file name: both path separators, what Windows forbids in
// names, and the control characters.
bool IsForbiddenInStem(char ch)
{
    const auto uch = static_cast<unsigned char>(ch);
    return uch < 0x20 || uch == 0x7F || std::string_view("\\/:*?\"<>|").find(ch) != std::string_view::npos;
}

// The ini files of the program itself live in the same folder; a player's file must never be one.
bool IsReservedStem(const std::string& strStem)
{
    const CString strTitle = GetProgramTitle();
    return EqualNoCase(strStem, "Gralbeck") || EqualNoCase(strStem, "Tessaview") ||
           (!strTitle.IsEmpty() && EqualNoCase(strStem, strTitle.Str()));
}

std::string SectionName(int nColumn) { return std::to_string(nColumn); }
} // namespace

CPlayerStats::CPlayerStats() = default;

CPlayerStats& CPlayerStats::Assign(const CPlayerStats& other)
{
    m_anValues = other.m_anValues;
    m_strStem = other.m_strStem;
    return *this;
}

LONG CPlayerStats::Get(EStatsKey eKey, int nColumn) const
{
    ASSERT(eKey >= 0 && eKey < STATS_KEY_COUNT && "statistics key out of range");
    if (eKey < 0 || eKey >= STATS_KEY_COUNT || !IsValidColumn(nColumn))
        return 0;
    return m_anValues[static_cast<std::size_t>(eKey)][static_cast<std::size_t>(nColumn)];
}

void CPlayerStats::Set(EStatsKey eKey, int nColumn, LONG nValue)
{
    ASSERT(eKey >= 0 && eKey < STATS_KEY_COUNT && "statistics key out of range");
    if (eKey < 0 || eKey >= STATS_KEY_COUNT || nColumn < 0 || nColumn >= STATS_SECTION_COUNT)
        return;
    m_anValues[static_cast<std::size_t>(eKey)][static_cast<std::size_t>(nColumn)] = nValue;
}

CString CPlayerStats::MakeFileStem(LPCSTR szName)
{
    std::string strStem = szName != nullptr ? szName : "";
    if (strStem.size() > static_cast<std::size_t>(STATS_MAX_STEM))
        strStem.resize(static_cast<std::size_t>(STATS_MAX_STEM));
    for (char& ch : strStem)
    {
        if (IsForbiddenInStem(ch))
            ch = '_';
    }
    // Leading dots would hide the file or, as "..", name the folder above.
    for (std::size_t i = 0; i < strStem.size() && strStem[i] == '.'; ++i)
        strStem[i] = '_';
    if (strStem.empty() || IsReservedStem(strStem))
        strStem += '_';
    return CString(strStem);
}

CString CPlayerStats::GetFilePath() const { return GetDataFolder() + m_strStem + ".ini"; }

void CPlayerStats::Load(LPCSTR szName)
{
    // Another player's numbers are never read as this one's: a player without a file starts at 0.
    const CString strStem = MakeFileStem(szName);
    if (strStem != m_strStem)
        m_anValues = {};
    m_strStem = strStem;
    const CString strPath = GetFilePath();
    for (int nColumn = 0; nColumn < STATS_SECTION_COUNT; ++nColumn)
    {
        const std::string strSection = SectionName(nColumn);
        for (std::size_t nKey = 0; nKey < g_aszStatsKeys.size(); ++nKey)
        {
            LONG& nValue = m_anValues[nKey][static_cast<std::size_t>(nColumn)];
            nValue = static_cast<LONG>(
                GetPrivateProfileInt(strSection.c_str(), g_aszStatsKeys[nKey], static_cast<INT>(nValue), strPath));
        }
    }
}

BOOL CPlayerStats::Save()
{
    if (m_strStem.IsEmpty())
    {
        OutputDebugString("CPlayerStats::Save: no player file loaded, nothing written\n");
        return FALSE;
    }
    const CString strPath = GetFilePath();
    CProfileEdit edit(strPath);
    for (int nColumn = 0; nColumn < STATS_SECTION_COUNT; ++nColumn)
    {
        const auto nCol = static_cast<std::size_t>(nColumn);
        LONG& nLongest = m_anValues[STATS_LONGEST_STREAK][nCol];
        nLongest = std::max(nLongest, m_anValues[STATS_CURRENT_STREAK][nCol]);
        const std::string strSection = SectionName(nColumn);
        for (std::size_t nKey = 0; nKey < g_aszStatsKeys.size(); ++nKey)
            edit.WriteString(strSection.c_str(), g_aszStatsKeys[nKey], std::to_string(m_anValues[nKey][nCol]).c_str());
    }
    if (!edit.Commit())
    {
        ReportSaveFailure("statistics", strPath);
        return FALSE;
    }
    return TRUE;
}
