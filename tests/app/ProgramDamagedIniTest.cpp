// The real program started on a damaged settings file: what cannot be read takes its default, the
// rest is kept, and the game starts and ends normally.
#include "fixtures/ProgramRun.h"

#include "platform/win32/Profile.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

namespace
{
/// The settings every row keeps: a nine-ball match of Ann against Bob.
constexpr const char* KEPT_KEYS = "Player1=Ann\nPlayer2=Bob\nCompetition Type=1\nPlayer level 2=0\n";

std::string IniText(const CProgramRun& run, const char* szKey)
{
    char szText[256] = {};
    const std::string strIni = (run.Program() / "Vorn.ini").string();
    GetPrivateProfileString("Settings", szKey, "(none)", szText, sizeof szText, strIni.c_str());
    return szText;
}

TEST(ProgramDamagedIniTest, WhatCannotBeReadTakesItsDefaultAndTheRestIsKept)
{
    struct SCase
    {
        const char* szName;
        std::string strIni;
        const char* szGame;    // the start of the game's log line
        const char* szPlayer1; // in the settings file after the run
    };
    const std::string strKept = KEPT_KEYS;
    const std::string strNineBall = strKept + "GameType=9\n";
    const SCase aCases[] = {
        {"garbage lines among the keys",
         "\x01\x02\xff garbage\n[Settings]\nno equals sign here\n=a value without a key\n\xfe\xfd=\x80\x81\n" +
             strNineBall + "Volume=\x7f\x7f\n",
         "Game: type 9, Ann against Bob", "Ann"},
        {"nothing but garbage: every key its default",
         std::string("\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR\x00\x01", 18) + "\n\xff\xff\xff\n",
         "Game: type 3, Player 1 against ", "Player 1"},
        {"a game type that does not exist: three-ball", "[Settings]\n" + strKept + "GameType=77\n",
         "Game: type 3, Ann against Bob", "Ann"},
        {"a negative game type: three-ball", "[Settings]\n" + strKept + "GameType=-9\n",
         "Game: type 3, Ann against Bob", "Ann"},
        // Text that is no number reads as 0, as the ini reader gives it: the base game, a valid type.
        {"a game type that is not a number", "[Settings]\n" + strKept + "GameType=nine\n",
         "Game: type 0, Ann against Bob", "Ann"},
        {"a music file not in the list, music on",
         "[Settings]\n" + strNineBall + "Music enable=1\nMusicFile=" + std::string(3000, 'm') + ".mp3\n",
         "Game: type 9, Ann against Bob", "Ann"},
        {"trophies out of range",
         "[Settings]\n" + strNineBall + "Trophy0=-5\nTrophy1=99\nTrophy2=abc\nTrophy5=2147483648\n",
         "Game: type 9, Ann against Bob", "Ann"},
        {"a table number out of range", "[Settings]\n" + strNineBall + "Table number=-7\nTable color=99999999999\n",
         "Game: type 9, Ann against Bob", "Ann"},
        {"overlong lines",
         "[Settings]\nPlayer1=Ann\nPlayer2=" + std::string(100000, 'b') + "\nCompetition Type=1\nPlayer level 2=0\n" +
             "Padding=" + std::string(200000, 'p') + "\nGameType=9\n",
         "Game: type 9, Ann against bbbb", "Ann"},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CProgramRun run(VORN_PROGRAM, VORN_APP_FIXTURE_DIR);
        std::ofstream(run.Program() / "Vorn.ini", std::ios::binary) << c.strIni;
        ASSERT_EQ(0, run.Run("frame 10 close\nanswer ok\n")) << run.Log();
        const std::string strLog = run.Log();
        EXPECT_NE(std::string::npos, strLog.find(c.szGame)) << strLog;
        EXPECT_NE(std::string::npos, strLog.find("Game started")) << strLog;
        EXPECT_EQ(c.szPlayer1, IniText(run, "Player1"));
    }
}

TEST(ProgramDamagedIniTest, PhysicsCoefficientsThatWouldMakeTheTableUnphysicalAreRefusedAndTheBreakPlays)
{
    // A cushion that speeds a ball up, a cloth and a spin that never stop it: each refused with a
    // line in the log, the break hard enough to reach the cushions is judged, and the window closes
    // with the settings saved. Their texts are kept as written.
    const std::string strStrike = "seen Game: at rest, it can be saved or loaded\n"
                                  "after 0 mouse down left 400 300\nafter 0 mouse up left 400 300\n"
                                  "after 3000 mouse move 400 300\n"
                                  "frame +3 key down Up\nframe +60 key up Up\nframe +3 key press Return\n"
                                  "seen Game: shot 1 judged\nafter 0 close\nanswer ok\n";
    CProgramRun run(VORN_PROGRAM, VORN_APP_FIXTURE_DIR);
    std::ofstream(run.Program() / "Vorn.ini", std::ios::binary)
        << "[Settings]\n"
        << KEPT_KEYS
        << "GameType=9\nm_strDecay=5\nm_strSideSpinDecay=3\nm_strAccelRollDeceler=-1\n"
           "m_strSideSpinDeceleration_rads=0\nm_strSideSpinInfluence=0.2\n";
    ASSERT_EQ(0, run.Run(strStrike)) << run.Log();
    const std::string strLog = run.Log();
    for (const char* szRefused :
         {"m_strDecay 5 is outside 0 to 0.9", "m_strSideSpinDecay 3 is outside 0 to 1",
          "m_strAccelRollDeceler -1 is outside 0.05 to 1", "m_strSideSpinDeceleration_rads 0 is outside 1 to 100"})
        EXPECT_NE(std::string::npos, strLog.find(szRefused)) << szRefused << "\n" << strLog;
    EXPECT_EQ(std::string::npos, strLog.find("m_strSideSpinInfluence 0.2")) << "a value in range is taken";
    EXPECT_EQ("5", IniText(run, "m_strDecay"));
    EXPECT_EQ("21845", IniText(run, "Volume")) << "the settings were saved at the close";
}

TEST(ProgramDamagedIniTest, SettingsThatCannotBeSavedAreReportedOnceAndWhatIsThereIsKept)
{
    // The settings are saved at several points of a run (after the game is set up, at the close):
    // each failure goes to the log, the error box tells the player once.
    struct SCase
    {
        const char* szName;
        std::function<void(const std::filesystem::path&)> make; ///< puts it in the settings file's place
        std::filesystem::file_type type;                        ///< what stays there
    };
    const SCase aCases[] = {
        {"a folder", [](const std::filesystem::path& ini) { std::filesystem::create_directory(ini); },
         std::filesystem::file_type::directory},
        {"a FIFO", [](const std::filesystem::path& ini) { ASSERT_EQ(0, ::mkfifo(ini.c_str(), 0600)); },
         std::filesystem::file_type::fifo},
    };
    const auto count = [](const std::string& strLog, const std::string& strWhat)
    {
        int n = 0;
        for (std::size_t at = strLog.find(strWhat); at != std::string::npos; at = strLog.find(strWhat, at + 1))
            ++n;
        return n;
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CProgramRun run(VORN_PROGRAM, VORN_APP_FIXTURE_DIR);
        const std::filesystem::path ini = run.Program() / "Vorn.ini";
        c.make(ini);
        ASSERT_EQ(0, run.Run("frame 10 close\nanswer ok\nanswer ok\n")) << run.Log();
        const std::string strLog = run.Log();
        const std::string strText = "The settings could not be saved to " + ini.string() + ".";
        EXPECT_EQ(1, count(strLog, "Vorn: " + strText)) << "told once, in the error box\n" << strLog;
        EXPECT_LE(2, count(strLog, strText + "\n")) << "each failed save is logged\n" << strLog;
        EXPECT_EQ(c.type, std::filesystem::symlink_status(ini).type());
    }
}
} // namespace
