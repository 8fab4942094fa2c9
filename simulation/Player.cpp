#include "simulation/Player.h"

#include "foundation/SkillLevel.h"
#include "platform/mfc/AfxResource.h"
#include "platform/win32/Clock.h"
#include "platform/win32/CrtRandom.h"
#include "platform/win32/Modules.h"

#include <cmath>
#include <optional>

LONG g_nGoal = 50;
int g_nPlayerCounter = -1;
int g_nDefaultNameNumber = 0;

namespace
{
/// String resource of the default player name's text.
constexpr UINT IDS_DEFAULT_PLAYER_NAME = 21534;

// The next number for a new player's name: a random start from 0 to 9 on the first call, then
// counting up and wrapping from 9 back to 1.
int NextPlayerNumber()
{
    // Every player's construction reseeds the shared generator from the clock.
    CrtSrand(timeGetTime());
    if (g_nPlayerCounter < 0)
        g_nPlayerCounter = CrtRand() % 10;
    const int nNumber = g_nPlayerCounter;
    if (++g_nPlayerCounter >= 9)
        g_nPlayerCounter = 1;
    return nNumber;
}

CString DefaultNameText()
{
    char szText[256] = {};
    if (LoadString(AfxGetResourceHandle(), IDS_DEFAULT_PLAYER_NAME, szText, static_cast<int>(sizeof(szText))) > 0)
        return CString(szText);
    // Without the resource library the default name still reads as a name.
    return CString("Player");
}
} // namespace

CPlayer::CPlayer() { m_strName.Format("Player %d", NextPlayerNumber()); }

void CPlayer::Reset()
{
    m_nPoints = 0;
    m_nFouls = 0;
    m_nLocation = -1;
    m_nRobotLevel = 0;
    m_nGroup = -1;
}

void CPlayer::AppendName(LPCSTR szText)
{
    if (szText != nullptr)
        m_strName += szText;
}

void CPlayer::SetDefaultName(LPCSTR szText)
{
    if (IsRobot())
    {
        m_strName = GetSkillLevelName(m_nRobotLevel);
        return;
    }
    if (szText != nullptr && szText[0] != '\0')
    {
        m_strName = szText;
        return;
    }
    g_nDefaultNameNumber = g_nDefaultNameNumber == 1 ? 2 : 1;
    m_strName.Format("%s %d", DefaultNameText().GetString(), g_nDefaultNameNumber);
}

CPlayer& CPlayer::SetLevel(int nLevel)
{
    m_nRobotLevel = nLevel;
    return *this;
}

CPlayer& CPlayer::Assign(const CPlayer& other)
{
    m_nId = other.m_nId;
    m_Stats.Assign(other.m_Stats);
    m_strName = other.m_strName;
    m_nGames = other.m_nGames;
    m_nPoints = other.m_nPoints;
    m_nFouls = other.m_nFouls;
    m_nLocation = other.m_nLocation;
    m_nRobotLevel = other.m_nRobotLevel;
    m_View = other.m_View;
    m_nGroup = other.m_nGroup;
    return *this;
}

int CPlayer::GetStatsColumn(int nGameType)
{
    switch (nGameType)
    {
    case 3:
        return 0;
    case 8:
        return 1;
    case 9:
        return 2;
    case 15:
    case 18:
        return 3;
    case 16:
        return 4;
    case 17:
        return 5;
    default:
        return 0;
    }
}

void CPlayer::Write(CByteWriter& archive) const
{
    for (LONG n : {m_nId, m_nGroup, g_nGoal, m_nGames, m_nPoints, m_nFouls, m_nLocation, m_nRobotLevel})
        archive.WriteS32LE(n);
    WriteViewBlock(archive, m_View);
    archive.WriteText(m_strName.Str());
    archive.WriteU8(0);
}

namespace
{
// The fields of a player record, read completely before any of them is applied.
struct SPlayerRecord
{
    std::optional<LONG> nId;
    LONG nGroup = 0, nGoal = 0, nGames = 0, nPoints = 0, nFouls = 0, nLocation = 0;
    std::optional<LONG> nRobotLevel;
    CViewRecord view;
    std::string strName;
};

bool ReadName(CByteReader& in, std::string& strName)
{
    strName.clear();
    BYTE ch = 0;
    while (in.ReadU8(ch))
    {
        if (ch == 0)
            return true;
        strName += static_cast<char>(ch);
    }
    return false; // the buffer ended before the terminating zero
}

bool ReadPlayerRecord(CByteReader& in, int nVersion, SPlayerRecord& rec)
{
    if (nVersion >= PLAYER_RECORD_VERSION_ID && !in.ReadS32LE(rec.nId.emplace()))
        return false;
    for (LONG* pn : {&rec.nGroup, &rec.nGoal, &rec.nGames, &rec.nPoints, &rec.nFouls, &rec.nLocation})
    {
        if (!in.ReadS32LE(*pn))
            return false;
    }
    if (nVersion >= PLAYER_RECORD_VERSION_LEVEL && !in.ReadS32LE(rec.nRobotLevel.emplace()))
        return false;
    return ReadViewBlock(in, rec.view) && ReadName(in, rec.strName);
}

bool IsFinite(const CVector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// A record the game could have written: a level of 0 (a person) to 9, a group of -1 (none yet),
// 0 or 1, counters and the goal not negative, and a view of finite numbers. The identifier and
// the location take any value.
bool IsPlausible(const SPlayerRecord& rec)
{
    const LONG nLevel = rec.nRobotLevel.value_or(0);
    const CViewRecord& v = rec.view;
    return nLevel >= 0 && nLevel <= 9 && rec.nGroup >= -1 && rec.nGroup <= 1 && rec.nGoal >= 0 && rec.nGames >= 0 &&
           rec.nPoints >= 0 && rec.nFouls >= 0 && IsFinite(v.m_vCamera) && IsFinite(v.m_vViewPoint) &&
           std::isfinite(v.m_fShift1) && std::isfinite(v.m_fShift2) && IsFinite(v.m_vCue);
}
} // namespace

int CPlayer::Read(const BYTE* pBuffer, std::size_t nSize, int nVersion)
{
    if (pBuffer == nullptr)
        return 0;
    CByteReader in(std::span<const BYTE>(pBuffer, nSize));
    SPlayerRecord rec;
    if (!ReadPlayerRecord(in, nVersion, rec) || !IsPlausible(rec))
        return 0;
    // Older records keep this player's identifier and level, as they carry none.
    m_nId = rec.nId.value_or(m_nId);
    m_nGroup = rec.nGroup;
    g_nGoal = rec.nGoal;
    m_nGames = rec.nGames;
    m_nPoints = rec.nPoints;
    m_nFouls = rec.nFouls;
    m_nLocation = rec.nLocation;
    m_nRobotLevel = rec.nRobotLevel.value_or(m_nRobotLevel);
    m_View = rec.view;
    m_strName = rec.strName;
    return static_cast<int>(in.Position());
}
