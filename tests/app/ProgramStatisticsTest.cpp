// The real program keeping a player's statistics in the file of the player's name.
#include "fixtures/ProgramRun.h"

#include "platform/win32/Profile.h"
#include "simulation/Player.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace
{
/// Eight-ball keeps its statistics in the file's section "1".
constexpr const char* EIGHT_BALL_SECTION = "1";

int StatsKey(const std::filesystem::path& file, const char* szKey)
{
    return static_cast<int>(GetPrivateProfileInt(EIGHT_BALL_SECTION, szKey, -99, file.string().c_str()));
}

/// Ann practises eight-ball, her statistics file holding what is given; she breaks once and the
/// program closes. The program's log.
std::string BreakOnceAsAnn(CProgramRun& run, const std::string& strFile)
{
    const std::string strIni = (run.Program() / "Vorn.ini").string();
    WritePrivateProfileString("Settings", "Player1", "Ann", strIni.c_str());
    WritePrivateProfileString("Settings", "GameType", "8", strIni.c_str());
    WritePrivateProfileString("Settings", "Competition Type", "0", strIni.c_str());
    std::ofstream(run.Program() / "Ann.ini") << strFile;
    // The ball in hand set down, the camera flies behind it; once it is there Enter breaks.
    EXPECT_EQ(0, run.Run("seen Game: at rest, it can be saved or loaded\nafter 0 mouse down left 400 300\n"
                         "after 0 mouse up left 400 300\nseen Game: at rest, it can be saved or loaded\n"
                         "frame +3 key press Return\nseen Game: shot 1 judged\nafter 0 close\nanswer ok\n"))
        << run.Log();
    return run.Log();
}

TEST(ProgramStatisticsTest, AJudgedShotIsKeptInTheShootersFileBesideWhatItHeldBefore)
{
    CProgramRun run(VORN_PROGRAM, VORN_APP_FIXTURE_DIR);
    // Ann has played before: four racks won and a streak of nine behind her, two shots into this one.
    const std::string strLog = BreakOnceAsAnn(run, "[1]\nm_nRoundsWon=4\nm_nLongestStreak=9\nm_nCurrentStreak=2\n");
    const std::filesystem::path annFile = run.Program() / "Ann.ini";
    EXPECT_EQ(strLog.find("no player file loaded"), std::string::npos) << strLog;
    ASSERT_TRUE(std::filesystem::exists(annFile)) << strLog;
    for (const char* szKey : g_aszStatsKeys)
        EXPECT_NE(-99, StatsKey(annFile, szKey)) << szKey << " is in the file";
    EXPECT_EQ(4, StatsKey(annFile, "m_nRoundsWon")) << "what the file held is kept";
    EXPECT_EQ(9, StatsKey(annFile, "m_nLongestStreak"));
    // A clean break goes on with the streak, a foul ends it.
    const int nStreak = StatsKey(annFile, "m_nCurrentStreak");
    EXPECT_TRUE(nStreak == 3 || nStreak == 0) << nStreak;
}

TEST(ProgramStatisticsTest, AStreakBeyondTheLongestStaysInTheFileAsTheLongestWhenAFoulEndsIt)
{
    // Twelve shots into her streak, three beyond her longest. A foul (the next shot from the ball
    // in hand) ends it and the file keeps the twelve as the longest; a clean break goes on to
    // thirteen, the longest with it.
    CProgramRun run(VORN_PROGRAM, VORN_APP_FIXTURE_DIR);
    const std::string strLog = BreakOnceAsAnn(run, "[1]\nm_nLongestStreak=9\nm_nCurrentStreak=12\n");
    const std::filesystem::path annFile = run.Program() / "Ann.ini";
    const bool bFoul = strLog.find("Game: Ann to play with the ball in hand") != std::string::npos;
    EXPECT_EQ(bFoul ? 0 : 13, StatsKey(annFile, "m_nCurrentStreak")) << strLog;
    EXPECT_EQ(bFoul ? 12 : 13, StatsKey(annFile, "m_nLongestStreak")) << strLog;
}
} // namespace
