// The players of a match and their lifetime statistics.
//
// CPlayer is one participant: a person at this machine or the computer opponent at a skill
// level. It holds the name, the match counters, the ball group, where the player sits, the
// camera view the player last used and the statistics, which live in one ini file per player in
// the data folder. A saved game stores each player as a player record (Write/Read).
//
// Statistics file <data folder><stem>.ini: sections "0" to "5" (the statistics column of the game
// type, GetStatsColumn), in each the seven keys of EStatsKey as decimal integers. The stem is
// made from the player's name so that it always names a file inside the data folder
// (MakeFileStem); the shown name stays as the player typed it.
//
// Player record, all integers 32-bit little-endian:
//   m_nId           records of version 54 ('6') and later
//   m_nGroup, the program-wide goal, m_nGames, m_nPoints, m_nFouls, m_nLocation
//   m_nRobotLevel   records of version 55 ('7') and later
//   view block      45 bytes (WriteViewBlock)
//   name            its characters and a terminating zero
// The version is the saved game's, the character code of its fourth byte.
#pragma once

#include "foundation/ViewRecord.h"
#include "platform/mfc/CString.h"
#include "platform/win32/ByteStream.h"
#include "platform/win32/WinTypes.h"

#include <array>
#include <cstddef>

/// The statistics kept per column, in file and memory order.
enum EStatsKey : int
{
    STATS_ROUNDS_WON,
    STATS_ROUNDS_LOST,
    STATS_MATCHES_WON,
    STATS_MATCHES_LOST,
    STATS_SCRATCHES,
    STATS_LONGEST_STREAK,
    STATS_CURRENT_STREAK,
    STATS_KEY_COUNT
};

/// Columns held per key; columns 0 to STATS_SECTION_COUNT - 1 are the file's sections, the last
/// one is kept at zero and never loaded or saved.
inline constexpr int STATS_COLUMN_COUNT = 7;
inline constexpr int STATS_SECTION_COUNT = 6;
static_assert(STATS_SECTION_COUNT < STATS_COLUMN_COUNT);

/// The ini key of each statistic.
extern const std::array<const char*, STATS_KEY_COUNT> g_aszStatsKeys;

class CPlayerStats
{
public:
    CPlayerStats();
    virtual ~CPlayerStats() = default;
    CPlayerStats(const CPlayerStats&) = delete;
    CPlayerStats& operator=(const CPlayerStats&) = delete;

    /// Copies the forty-nine numbers and the stem.
    CPlayerStats& Assign(const CPlayerStats& other);

    /// A value; 0 for a column outside 0 to STATS_COLUMN_COUNT - 1.
    LONG Get(EStatsKey eKey, int nColumn) const;
    /// Sets a value of column 0 to STATS_SECTION_COUNT - 1; other columns are not stored.
    void Set(EStatsKey eKey, int nColumn, LONG nValue);

    /// Takes the stem from the name, then reads every key of sections "0" to "5". A missing file,
    /// section or key keeps the value in memory, which is 0 unless the stem was this one already;
    /// a value that is not a number reads as 0.
    void Load(LPCSTR szName);
    /// Raises the longest streak of each section to the current streak when that is larger, then
    /// writes all seven keys of the six sections in one replacement of the file. FALSE (and a line
    /// in the debug log) when there is no stem yet or the file cannot be written.
    BOOL Save();

    const CString& GetStem() const { return m_strStem; }
    /// data folder + stem + ".ini".
    CString GetFilePath() const;

    /// The file stem for a player's name: path separators, the characters Windows forbids in
    /// names, control characters and leading dots become "_"; an empty name becomes "_"; a stem
    /// that names one of the program's own ini files (the program title, "Gralbeck",
    /// "Tessaview", compared without case) gets "_" appended; a stem is cut to
    /// STATS_MAX_STEM characters so that the file name stays valid.
    static CString MakeFileStem(LPCSTR szName);
    static constexpr int STATS_MAX_STEM = 200;

private:
    std::array<std::array<LONG, STATS_COLUMN_COUNT>, STATS_KEY_COUNT> m_anValues{};
    CString m_strStem;
};

/// Player record versions (saved-game versions, the character code of the version digit).
inline constexpr int PLAYER_RECORD_VERSION_ID = 54;    ///< '6': the identifier is present
inline constexpr int PLAYER_RECORD_VERSION_LEVEL = 55; ///< '7': the robot level is present
inline constexpr int PLAYER_RECORD_NEWEST = PLAYER_RECORD_VERSION_LEVEL;

/// The program-wide goal (points needed to win), 50 at start; every player record stores it and
/// reading one restores it. Main thread; tests set it directly.
extern LONG g_nGoal;

/// The counter that numbers new players' names ("Player %d"); -1 until the first player is built,
/// which draws its start. Main thread; tests set it back to -1 to draw again.
extern int g_nPlayerCounter;

/// The number that SetDefaultName appends to the default name: 0 before the first call, then
/// alternating 1 and 2. Main thread; tests set it back to 0.
extern int g_nDefaultNameNumber;

class CPlayer
{
public:
    CPlayer();
    virtual ~CPlayer() = default;
    CPlayer(const CPlayer&) = delete;
    CPlayer& operator=(const CPlayer&) = delete;

    /// Points, fouls, location, robot level and group back to a fresh player's; the name, games,
    /// statistics and view stay.
    void Reset();

    LPCSTR GetName() const { return m_strName; }
    CString& GetNameRef() { return m_strName; }
    const CString& GetNameRef() const { return m_strName; }
    /// Appends szText to the name when it is given.
    void AppendName(LPCSTR szText);
    /// szText when it is given and not empty, else the default name "<string 21534> <1 or 2>";
    /// the computer opponent is named after its skill level instead.
    void SetDefaultName(LPCSTR szText);

    BOOL IsDead() const { return m_nLocation == -1; }
    void SetLocal() { m_nLocation = 0; }
    void SetDead() { m_nLocation = -1; }
    BOOL IsLocal() const { return m_nLocation == 0; }
    BOOL IsRemote() const { return m_nLocation == 1; }
    LONG GetLocation() const { return m_nLocation; }

    CPlayer& SetLevel(int nLevel);
    int GetRobotLevel() const { return m_nRobotLevel; }
    /// Whether the computer plays this side.
    bool IsRobot() const { return m_nRobotLevel != 0; }

    void SetViewRecord(const CViewRecord& view) { m_View = view; }
    CViewRecord GetViewRecord() const { return m_View; }

    LONG GetGames() const { return m_nGames; }
    void SetGames(LONG n) { m_nGames = n; }
    LONG GetPoints() const { return m_nPoints; }
    void SetPoints(LONG n) { m_nPoints = n; }
    LONG GetFouls() const { return m_nFouls; }
    void SetFouls(LONG n) { m_nFouls = n; }
    /// Whether the player's points have reached the program-wide goal.
    BOOL HasReachedGoal() const { return m_nPoints >= g_nGoal; }

    LONG GetGroup() const { return m_nGroup; }
    void SetGroup(LONG n) { m_nGroup = n; }
    void ClearGroup() { m_nGroup = -1; }
    BOOL IsGroupOne() const { return m_nGroup == 1; }
    BOOL HasNoGroup() const { return m_nGroup == -1; }

    LONG GetId() const { return m_nId; }
    void SetId(LONG n) { m_nId = n; }

    CPlayerStats& GetStats() { return m_Stats; }
    const CPlayerStats& GetStats() const { return m_Stats; }

    /// Copies every field of the other player; returns this player.
    CPlayer& Assign(const CPlayer& other);

    /// The statistics column (ini section) of a game type.
    static int GetStatsColumn(int nGameType);

    /// Appends the player record in its newest form.
    void Write(CByteWriter& archive) const;
    /// Reads a player record of the given version from the first nSize bytes of pBuffer and sets
    /// the program-wide goal from it; returns the bytes it took. A record that does not fit in
    /// the buffer (or a name without its terminating zero) gives 0 and changes nothing, as does
    /// one with a value out of range: a robot level outside 0 to 9, a group outside -1 to 1, a
    /// negative goal, game, point or foul count, or a view value that is not a finite number.
    int Read(const BYTE* pBuffer, std::size_t nSize, int nVersion);

private:
    LONG m_nId = -1;
    CPlayerStats m_Stats;
    CString m_strName;
    LONG m_nGames = 0;
    LONG m_nPoints = 0;
    LONG m_nFouls = 0;
    /// -1 dead (no player), 0 local, 1 remote, any other value visitor.
    LONG m_nLocation = -1;
    /// 1 to 9 for the computer opponent; 0 for a person.
    LONG m_nRobotLevel = 0;
    CViewRecord m_View;
    /// -1 until a ball group is assigned.
    LONG m_nGroup = -1;
};
