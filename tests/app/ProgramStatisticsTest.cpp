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

TEST(ProgramStatisticsTest, AJudgedShotIsKeptInTheShootersFileBesideWhatItHeldBefore)
{
    CProgramRun run(VORN_PROGRAM, VORN_APP_FIXTURE_DIR);
    const std::string strIni = (run.Program() / "Vorn.ini").string();
    WritePrivateProfileString("Settings", "Player1", "Ann", strIni.c_str());
    WritePrivateProfileString("Settings", "GameType", "8", strIni.c_str());
    WritePrivateProfileString("Settings", "Competition Type", "0", strIni.c_str());
    // Ann has played before: four racks won and a streak of nine behind her, two shots into this one.
    const std::filesystem::path annFile = run.Program() / "Ann.ini";
    std::ofstream(annFile) << "[1]\nm_nRoundsWon=4\nm_nLongestStreak=9\nm_nCurrentStreak=2\n";
    // The ball in hand set down, the camera flies behind it; once it is there Enter breaks.
    ASSERT_EQ(0, run.Run("seen Game: at rest, it can be saved or loaded\nafter 0 mouse down left 400 300\n"
                         "after 0 mouse up left 400 300\nseen Game: at rest, it can be saved or loaded\n"
                         "frame +3 key press Return\nseen Game: shot 1 judged\nafter 0 close\nanswer ok\n"))
        << run.Log();
    const std::string strLog = run.Log();
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
} // namespace
