// The real program started on a damaged settings file: what cannot be read takes its default, the
// rest is kept, and the game starts and ends normally.
#include "fixtures/ProgramRun.h"

#include "platform/win32/Profile.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>

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
} // namespace
