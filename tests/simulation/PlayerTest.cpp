#include "simulation/Player.h"

#include "tests/platform/EnvScope.h"
#include "tests/platform/TempFolder.h"

#include "foundation/ErrorBox.h"
#include "foundation/Flags.h"
#include "foundation/Folders.h"
#include "platform/mfc/AfxResource.h"
#include "platform/win32/Clock.h"
#include "platform/win32/CrtRandom.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Files.h"
#include "platform/win32/Modules.h"
#include "platform/win32/Profile.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;

// Every test runs with its own program folder, which is writable and so the data folder.
class PlayerStatsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::create_directories(m_DataFolder);
        OverrideProgramFilePath((m_DataFolder / "Vorn").string());
        ASSERT_EQ(m_DataFolder.string() + "/", FindDataFolder().Str());
    }
    void TearDown() override
    {
        OverrideProgramFilePath("");
        FindDataFolder();
    }

    std::vector<std::string> FilesIn(const fs::path& folder) const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            names.push_back(fs::relative(entry.path(), folder).string());
        std::sort(names.begin(), names.end());
        return names;
    }
    int ReadKey(const std::string& strFile, int nSection, EStatsKey eKey) const
    {
        return static_cast<int>(GetPrivateProfileInt(std::to_string(nSection).c_str(), g_aszStatsKeys[eKey], -999,
                                                     (m_DataFolder / strFile).c_str()));
    }

    CTempFolder m_Temp;
    fs::path m_DataFolder = m_Temp.Path() / "game";
};

// A distinct value for every key and section, so that a mix-up shows; the longest streak stays
// above the current one, so saving keeps it.
LONG ValueOf(int nKey, int nSection) { return 100 * (STATS_KEY_COUNT - nKey) + nSection; }
} // namespace

TEST_F(PlayerStatsTest, RoundTripThroughTheSixSectionsOfThePlayersFile)
{
    CPlayerStats stats;
    stats.Load("Ann");
    for (int nKey = 0; nKey < STATS_KEY_COUNT; ++nKey)
        for (int nSection = 0; nSection < STATS_SECTION_COUNT; ++nSection)
            stats.Set(static_cast<EStatsKey>(nKey), nSection, ValueOf(nKey, nSection));
    ASSERT_EQ(TRUE, stats.Save());

    EXPECT_EQ(std::vector<std::string>({"Ann.ini"}), FilesIn(m_DataFolder));
    for (int nKey = 0; nKey < STATS_KEY_COUNT; ++nKey)
        for (int nSection = 0; nSection < STATS_SECTION_COUNT; ++nSection)
            EXPECT_EQ(ValueOf(nKey, nSection), ReadKey("Ann.ini", nSection, static_cast<EStatsKey>(nKey)))
                << g_aszStatsKeys[static_cast<std::size_t>(nKey)] << " in section " << nSection;
    EXPECT_EQ(-999, ReadKey("Ann.ini", 6, STATS_ROUNDS_WON)) << "the seventh column is never saved";

    CPlayerStats loaded;
    loaded.Load("Ann");
    for (int nKey = 0; nKey < STATS_KEY_COUNT; ++nKey)
    {
        for (int nSection = 0; nSection < STATS_SECTION_COUNT; ++nSection)
            EXPECT_EQ(ValueOf(nKey, nSection), loaded.Get(static_cast<EStatsKey>(nKey), nSection));
        EXPECT_EQ(0, loaded.Get(static_cast<EStatsKey>(nKey), 6));
    }
}

TEST_F(PlayerStatsTest, AnInstalledGameKeepsThemInThePlayersDataFolder)
{
    // /proc/self/ takes no file, even from root, as an installed game's folder takes none.
    const CEnvScope data("XDG_DATA_HOME", (m_Temp.Path() / "data").c_str());
    OverrideProgramFilePath("/proc/self/Vorn");
    FindDataFolder();
    CPlayerStats stats;
    stats.Load("Ann");
    stats.Set(STATS_ROUNDS_WON, 3, 12);
    ASSERT_EQ(TRUE, stats.Save());
    EXPECT_EQ(std::vector<std::string>({"Ann.ini"}), FilesIn(m_Temp.Path() / "data" / "vorn"));

    CPlayerStats next; // at the next start
    FindDataFolder();
    next.Load("Ann");
    EXPECT_EQ(12, next.Get(STATS_ROUNDS_WON, 3));
}

TEST_F(PlayerStatsTest, SaveRaisesTheLongestStreakAndAlwaysWritesIt)
{
    struct SCase
    {
        const char* szName;
        LONG nCurrent, nLongest, nExpectedLongest;
    };
    const SCase cases[] = {
        {"current above longest", 5, 3, 5},
        {"current below longest", 2, 3, 3},
        {"equal", 4, 4, 4},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CPlayerStats stats;
        stats.Load(c.szName);
        stats.Set(STATS_CURRENT_STREAK, 2, c.nCurrent);
        stats.Set(STATS_LONGEST_STREAK, 2, c.nLongest);
        ASSERT_EQ(TRUE, stats.Save());
        EXPECT_EQ(c.nExpectedLongest, stats.Get(STATS_LONGEST_STREAK, 2));
        const std::string strFile = std::string(c.szName) + ".ini";
        EXPECT_EQ(c.nExpectedLongest, ReadKey(strFile, 2, STATS_LONGEST_STREAK));
        EXPECT_EQ(c.nCurrent, ReadKey(strFile, 2, STATS_CURRENT_STREAK));
    }
}

TEST_F(PlayerStatsTest, MissingKeysKeepThePlayersValuesInMemoryButNeverAnotherPlayers)
{
    struct SCase
    {
        const char* szName;
        const char* szBefore; ///< the player whose numbers are in memory before Bob is loaded
        LONG nScratches;      ///< Bob's scratches after the load: his file has none
    };
    const SCase cases[] = {
        {"Bob loaded again", "Bob", 4},
        {"Bob after Ann: her numbers are not his", "Ann", 0},
    };
    m_Temp.Write("game/Bob.ini", "[1]\nm_nRoundsWon=7\n");
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CPlayerStats stats;
        stats.Load(c.szBefore);
        stats.Set(STATS_ROUNDS_WON, 1, 3);
        stats.Set(STATS_SCRATCHES, 1, 4);
        stats.Load("Bob");
        EXPECT_EQ(7, stats.Get(STATS_ROUNDS_WON, 1));
        EXPECT_EQ(c.nScratches, stats.Get(STATS_SCRATCHES, 1));
    }
}

TEST_F(PlayerStatsTest, CorruptFilesLoadAsZeros)
{
    struct SCase
    {
        const char* szName;
        std::string strContent;
    };
    const SCase cases[] = {
        {"binary", std::string("\x00\xff\x7f[\x01]\n=\x00\x00zz\x80\n", 14)},
        {"words for numbers", "[0]\nm_nRoundsWon=many\nm_nScratches=\n[3]\nm_nCurrentStreak=--5x\n"},
        {"cut off", "[0]\nm_nRoundsWon"},
        {"sections without end", "[0\n[[1]]\n]\nm_nMatchesWon=9\n"},
        {"empty", ""},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        m_Temp.Write("game/Cat.ini", c.strContent);
        CPlayerStats stats;
        stats.Load("Cat");
        for (int nKey = 0; nKey < STATS_KEY_COUNT; ++nKey)
            for (int nSection = 0; nSection < STATS_COLUMN_COUNT; ++nSection)
                EXPECT_EQ(0, stats.Get(static_cast<EStatsKey>(nKey), nSection));
    }
}

TEST_F(PlayerStatsTest, HostileNamesStayInsideTheDataFolder)
{
    struct SCase
    {
        const char* szName;
        const char* szStem;
    };
    const SCase cases[] = {
        {"../escape", "___escape"},
        {"..\\..\\escape", "___.._escape"},
        {"/etc/passwd", "_etc_passwd"},
        {"..", "__"},
        {".hidden", "_hidden"},
        {"", "_"},
        {"C:\\Temp\\x", "C__Temp_x"},
        {"a*b?c\"d<e>f|g:h", "a_b_c_d_e_f_g_h"},
        {"tab\there\nline", "tab_here_line"},
        {"Vorn", "Vorn_"},
        {"gralbeck", "gralbeck_"},
        {"TESSAVIEW", "TESSAVIEW_"},
        {"Ann Lee", "Ann Lee"},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        fs::remove_all(m_DataFolder);
        fs::create_directories(m_DataFolder);
        CPlayerStats stats;
        stats.Load(c.szName);
        EXPECT_EQ(c.szStem, stats.GetStem().Str());
        stats.Set(STATS_ROUNDS_WON, 0, 1);
        ASSERT_EQ(TRUE, stats.Save());
        EXPECT_EQ(std::vector<std::string>({std::string(c.szStem) + ".ini"}), FilesIn(m_DataFolder));
    }
    // Nothing was ever written beside the data folder.
    for (const auto& entry : fs::directory_iterator(m_Temp.Path()))
        EXPECT_EQ(m_DataFolder, entry.path());
    EXPECT_FALSE(fs::exists(m_Temp.Path() / "escape.ini"));

    // A very long name still gives a file name the file system takes.
    CPlayerStats stats;
    stats.Load(std::string(1000, 'x').c_str());
    EXPECT_EQ(CPlayerStats::STATS_MAX_STEM, stats.GetStem().GetLength());
    EXPECT_EQ(TRUE, stats.Save());
}

TEST_F(PlayerStatsTest, StatisticsThatCannotBeSavedAreLoggedEachTimeAndShownOnce)
{
    std::vector<std::string> aBoxes, aLog;
    SetErrorBoxHandler([&](const char* szText) { aBoxes.emplace_back(szText); });
    SetDebugLogSink([&](const std::string& strLine) { aLog.push_back(strLine); });
    CPlayerStats stats;
    stats.Load("Dan");
    fs::create_directory(m_DataFolder / "Dan.ini"); // in the file's place: the save cannot replace it
    EXPECT_EQ(FALSE, stats.Save());
    EXPECT_EQ(FALSE, stats.Save());
    SetDebugLogSink(nullptr);
    SetErrorBoxHandler({});
    const std::string strText = "The statistics could not be saved to " + (m_DataFolder / "Dan.ini").string() + ".";
    EXPECT_EQ(std::vector<std::string>{strText}, aBoxes);
    EXPECT_EQ(2, std::count(aLog.begin(), aLog.end(), strText + "\n"));
    EXPECT_TRUE(fs::is_directory(m_DataFolder / "Dan.ini"));
}

TEST_F(PlayerStatsTest, SaveWithoutALoadedFileWritesNothing)
{
    CPlayerStats stats;
    EXPECT_EQ(FALSE, stats.Save());
    EXPECT_TRUE(FilesIn(m_DataFolder).empty());
}

// ---------------------------------------------------------------------------------------------
// CPlayer

namespace
{
class PlayerTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        g_nGoal = 50;
        g_nPlayerCounter = -1;
        g_nDefaultNameNumber = 0;
    }

    // A player with every field set to something other than a fresh player's.
    static void Fill(CPlayer& player)
    {
        player.SetId(17);
        player.GetNameRef() = "Zoe";
        player.SetGames(3);
        player.SetPoints(42);
        player.SetFouls(2);
        player.SetLocal();
        player.SetLevel(7);
        player.SetGroup(1);
        CViewRecord view;
        view.Set(10.5f, 20.25f, 3.0f, 0.5f, 0.25f, -1.0f, 0.125f, -0.5f, 45.0f, 90.0f, 7.75f);
        player.SetViewRecord(view);
        player.GetStats().Set(STATS_SCRATCHES, 4, 9);
    }
};
} // namespace

TEST_F(PlayerTest, NewPlayersAreNumberedFromARandomStartThatWrapsFrom9To1)
{
    CTestClockScope clock(123456);
    CrtSrand(123456);
    const int nFirst = CrtRand() % 10;
    CPlayer first;
    EXPECT_EQ("Player " + std::to_string(nFirst), first.GetNameRef().Str());
    EXPECT_EQ(-1, first.GetId());
    EXPECT_TRUE(first.IsDead());
    EXPECT_TRUE(first.HasNoGroup());
    EXPECT_EQ(0, first.GetRobotLevel());

    g_nPlayerCounter = 7;
    const char* aszExpected[] = {"Player 7", "Player 8", "Player 1", "Player 2"};
    for (const char* szExpected : aszExpected)
    {
        CPlayer player;
        EXPECT_EQ(szExpected, player.GetNameRef().Str());
    }
}

TEST_F(PlayerTest, DefaultNamesAlternateAndTheComputerIsNamedAfterItsLevel)
{
    CTempFolder folder;
    const std::string strLibrary = folder.File("VornRes.dll");
    {
        CResourceLibraryWriter writer;
        std::string strError;
        const std::string strText = "Guest";
        ASSERT_TRUE(writer.Add(SResourceKey::Id(RT_STRING_ID), SResourceKey::Id(21534), 0,
                               std::vector<BYTE>(strText.begin(), strText.end()), strError));
        ASSERT_TRUE(writer.WriteFile(strLibrary, strError)) << strError;
    }
    const HMODULE hLibrary = LoadLibrary(strLibrary.c_str());
    ASSERT_NE(nullptr, hLibrary);
    AfxSetResourceHandle(hLibrary);

    CPlayer player;
    struct SStep
    {
        const char* szText;
        int nLevel;
        const char* szExpected;
    };
    const SStep steps[] = {
        {nullptr, 0, "Guest 1"}, {"", 0, "Guest 2"},    {"Ann", 0, "Ann"},     {nullptr, 0, "Guest 1"},
        {"Ann", 5, "Schmoe"},    {nullptr, 1, "Scrub"}, {nullptr, 9, "Shark"}, {nullptr, 0, "Guest 2"},
    };
    for (const SStep& step : steps)
    {
        SCOPED_TRACE(step.szExpected);
        player.SetLevel(step.nLevel);
        player.SetDefaultName(step.szText);
        EXPECT_EQ(step.szExpected, player.GetNameRef().Str());
    }
    AfxSetResourceHandle(nullptr);
    FreeLibrary(hLibrary);

    // Without the resource library the default name still reads as a name.
    player.SetLevel(0);
    player.SetDefaultName(nullptr);
    EXPECT_EQ("Player 1", player.GetNameRef().Str());
}

TEST_F(PlayerTest, ResetKeepsNameGamesStatisticsAndViewAssignCopiesEverything)
{
    CPlayer player;
    Fill(player);
    CPlayer copy;
    EXPECT_EQ(&copy, &copy.Assign(player));

    player.Reset();
    EXPECT_EQ(0, player.GetPoints());
    EXPECT_EQ(0, player.GetFouls());
    EXPECT_TRUE(player.IsDead());
    EXPECT_EQ(0, player.GetRobotLevel());
    EXPECT_TRUE(player.HasNoGroup());
    EXPECT_EQ("Zoe", player.GetNameRef().Str());
    EXPECT_EQ(3, player.GetGames());
    EXPECT_EQ(9, player.GetStats().Get(STATS_SCRATCHES, 4));
    EXPECT_TRUE(player.GetViewRecord().IsValid());

    EXPECT_EQ(17, copy.GetId());
    EXPECT_EQ("Zoe", copy.GetNameRef().Str());
    EXPECT_EQ(3, copy.GetGames());
    EXPECT_EQ(42, copy.GetPoints());
    EXPECT_EQ(2, copy.GetFouls());
    EXPECT_TRUE(copy.IsLocal());
    EXPECT_EQ(7, copy.GetRobotLevel());
    EXPECT_TRUE(copy.IsGroupOne());
    EXPECT_EQ(player.GetViewRecord(), copy.GetViewRecord());
    EXPECT_EQ(9, copy.GetStats().Get(STATS_SCRATCHES, 4));
}

TEST_F(PlayerTest, StatsColumnOfEachGameType)
{
    const std::pair<int, int> cases[] = {{3, 0},  {8, 1}, {9, 2}, {15, 3}, {18, 3},  {16, 4},
                                         {17, 5}, {0, 0}, {1, 0}, {42, 0}, {101, 0}, {-1, 0}};
    for (const auto& [nType, nColumn] : cases)
        EXPECT_EQ(nColumn, CPlayer::GetStatsColumn(nType)) << "game type " << nType;
}

// ---------------------------------------------------------------------------------------------
// The player record of a saved game

namespace
{
// The newest record as the writer makes it, cut down to the form of an older version.
std::vector<BYTE> RecordOfVersion(const CPlayer& player, int nVersion)
{
    CByteWriter writer;
    player.Write(writer);
    std::vector<BYTE> bytes = writer.Take();
    // Newest layout: id at 0, seven more words, the robot level at 28.
    if (nVersion < PLAYER_RECORD_VERSION_LEVEL)
        bytes.erase(bytes.begin() + 28, bytes.begin() + 32);
    if (nVersion < PLAYER_RECORD_VERSION_ID)
        bytes.erase(bytes.begin(), bytes.begin() + 4);
    return bytes;
}
} // namespace

TEST_F(PlayerTest, TheGoalIsReachedAtItsPointsAndTheOneWhoReachedItWins)
{
    // The winner of a points game: player 2 (1) exactly when "player 1 is current" and "the
    // current player reached the goal" differ, whoever shot last.
    const struct
    {
        const char* szName;
        LONG nGoal, nCurrentPoints;
        bool bPlayer1Current;
        BOOL bReached;
        int nWinner;
    } aCases[] = {
        {"one short", 50, 49, true, FALSE, 1},       {"at the goal", 50, 50, true, TRUE, 0},
        {"past it", 50, 63, true, TRUE, 0},          {"player 2 at the goal", 12, 12, false, TRUE, 1},
        {"player 2 short", 12, 11, false, FALSE, 0}, {"a goal of 0", 0, 0, false, TRUE, 1},
        {"negative points", 1, -15, true, FALSE, 1},
    };
    for (const auto& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_nGoal = c.nGoal;
        CPlayer current;
        current.SetPoints(c.nCurrentPoints);
        EXPECT_EQ(c.bReached, current.HasReachedGoal());
        EXPECT_EQ(c.nWinner, LogicalXor(c.bPlayer1Current, current.HasReachedGoal()));
    }
    EXPECT_EQ(0, LogicalXor(2, 3)) << "any non-zero value is one flag";
    EXPECT_EQ(1, LogicalXor(0, 5));
    EXPECT_EQ(0, LogicalXor(0, 0));
}

TEST_F(PlayerTest, RecordGoldenBytes)
{
    CPlayer player;
    Fill(player);
    g_nGoal = 0x0A0B0C0D;
    CByteWriter writer;
    player.Write(writer);
    const std::vector<BYTE> expected = {
        17,   0,    0,    0,    // id
        1,    0,    0,    0,    // group
        0x0D, 0x0C, 0x0B, 0x0A, // goal
        3,    0,    0,    0,    // games
        42,   0,    0,    0,    // points
        2,    0,    0,    0,    // fouls
        0,    0,    0,    0,    // location
        7,    0,    0,    0,    // robot level
        1,    0,    0,    0,    // view: valid flag and three zero bytes
        0x00, 0x00, 0x28, 0x41, // camera 10.5
        0x00, 0x00, 0xA2, 0x41, // 20.25
        0x00, 0x00, 0x40, 0x40, // 3.0
        0x00, 0x00, 0x00, 0x3F, // view point 0.5
        0x00, 0x00, 0x80, 0x3E, // 0.25
        0x00, 0x00, 0x80, 0xBF, // -1.0
        0x00, 0x00, 0x00, 0x3E, // shift 0.125
        0x00, 0x00, 0x00, 0xBF, // -0.5
        0x00, 0x00, 0x34, 0x42, // cue 45
        0x00, 0x00, 0xB4, 0x42, // 90
        0x00,                   // the lowest byte of the cue's z (7.75 = 0x40F80000)
        'Z',  'o',  'e',  0,
    };
    EXPECT_EQ(expected, writer.Bytes());
}

TEST_F(PlayerTest, RecordRoundTripsForEachVersion)
{
    struct SCase
    {
        int nVersion;
        bool bHasId, bHasLevel;
    };
    const SCase cases[] = {{53, false, false}, {54, true, false}, {55, true, true}};
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.nVersion);
        CPlayer written;
        Fill(written);
        g_nGoal = 77;
        const std::vector<BYTE> bytes = RecordOfVersion(written, c.nVersion);
        g_nGoal = 50;

        CPlayer read;
        read.SetId(5);
        read.SetLevel(2);
        const int nInts = 6 + (c.bHasId ? 1 : 0) + (c.bHasLevel ? 1 : 0);
        EXPECT_EQ(4 * nInts + 45 + 3 + 1, read.Read(bytes.data(), bytes.size(), c.nVersion));
        EXPECT_EQ(77, g_nGoal);
        EXPECT_EQ(c.bHasId ? 17 : 5, read.GetId());
        EXPECT_EQ(c.bHasLevel ? 7 : 2, read.GetRobotLevel());
        EXPECT_EQ(1, read.GetGroup());
        EXPECT_EQ(3, read.GetGames());
        EXPECT_EQ(42, read.GetPoints());
        EXPECT_EQ(2, read.GetFouls());
        EXPECT_TRUE(read.IsLocal());
        EXPECT_EQ("Zoe", read.GetNameRef().Str());
        // The view comes back whole except the cue's z, of which the record holds one byte.
        CViewRecord expected = written.GetViewRecord();
        expected.m_vCue.z = 0.0f;
        EXPECT_EQ(expected, read.GetViewRecord());
    }
}

TEST_F(PlayerTest, TruncatedRecordsFailAndChangeNothing)
{
    CPlayer written;
    Fill(written);
    g_nGoal = 77;
    for (int nVersion : {53, 54, 55})
    {
        const std::vector<BYTE> bytes = RecordOfVersion(written, nVersion);
        for (std::size_t nSize = 0; nSize < bytes.size(); ++nSize)
        {
            g_nGoal = 50;
            CPlayer read;
            const std::string strName = read.GetNameRef().Str();
            EXPECT_EQ(0, read.Read(bytes.data(), nSize, nVersion)) << "version " << nVersion << ", " << nSize;
            EXPECT_EQ(50, g_nGoal);
            EXPECT_EQ(strName, read.GetNameRef().Str());
            EXPECT_EQ(0, read.GetGames());
            EXPECT_FALSE(read.GetViewRecord().IsValid());
        }
    }
    CPlayer read;
    EXPECT_EQ(0, read.Read(nullptr, 100, 55));
}

TEST_F(PlayerTest, RecordsOutOfRangeAreRefusedWhole)
{
    CPlayer written;
    Fill(written);
    const std::vector<BYTE> good = RecordOfVersion(written, 55);
    // Newest layout: id, group, goal, games, points, fouls, location, level, then the view
    // block (valid flag, three zeros, ten floats).
    const auto WithWord = [&](std::size_t nOffset, DWORD dw)
    {
        std::vector<BYTE> bytes = good;
        for (std::size_t i = 0; i < 4; ++i)
            bytes[nOffset + i] = static_cast<BYTE>(dw >> (8 * i));
        return bytes;
    };
    constexpr DWORD NAN_BITS = 0x7FC00000u;
    constexpr DWORD INF_BITS = 0x7F800000u;
    struct SCase
    {
        const char* szName;
        std::size_t nOffset;
        DWORD dwValue;
    };
    const SCase cases[] = {
        {"robot level 10", 28, 10},
        {"robot level -1", 28, 0xFFFFFFFFu},
        {"group 2", 4, 2},
        {"group -2", 4, 0xFFFFFFFEu},
        {"negative goal", 8, 0xFFFFFFFFu},
        {"negative games", 12, 0x80000000u},
        {"negative points", 16, 0xFFFFFFFFu},
        {"negative fouls", 20, 0xFFFFFFFFu},
        {"camera yaw not a number", 36, NAN_BITS},
        {"view point infinite", 48, INF_BITS},
        {"shift not a number", 60, NAN_BITS},
        {"cue angle infinite", 68, INF_BITS},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        g_nGoal = 50;
        CPlayer read;
        const std::vector<BYTE> bytes = WithWord(c.nOffset, c.dwValue);
        EXPECT_EQ(0, read.Read(bytes.data(), bytes.size(), 55));
        EXPECT_EQ(50, g_nGoal);
        EXPECT_EQ(0, read.GetGames());
        EXPECT_FALSE(read.GetViewRecord().IsValid());
    }
    // The edges of each range are still read.
    for (const SCase& c : {SCase{"human", 28, 0}, SCase{"level 9", 28, 9}, SCase{"no group", 4, 0xFFFFFFFFu},
                           SCase{"any location", 24, 7}})
    {
        SCOPED_TRACE(c.szName);
        CPlayer read;
        const std::vector<BYTE> bytes = WithWord(c.nOffset, c.dwValue);
        EXPECT_EQ(static_cast<int>(bytes.size()), read.Read(bytes.data(), bytes.size(), 55));
    }
}
