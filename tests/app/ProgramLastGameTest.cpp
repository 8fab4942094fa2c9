// The real program resuming the game kept as "lastgame" in its saved-games folder.
#include "fixtures/LastGameFile.h"
#include "fixtures/ProgramRun.h"

#include "gameflow/GameMode.h"
#include "platform/win32/Profile.h"
#include "simulation/RefereeTypes.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace
{
std::string ReadBytes(const std::filesystem::path& file)
{
    std::string strBytes(std::filesystem::file_size(file), '\0');
    std::ifstream(file, std::ios::binary).read(strBytes.data(), static_cast<std::streamsize>(strBytes.size()));
    return strBytes;
}

/// By default ball 4 is down and Bob is to play in aiming, Ann 3 points against Bob's 5.
std::string WriteLastGame(const std::filesystem::path& file, const SNineBallGame& game = {})
{
    std::string strReason;
    EXPECT_TRUE(WriteNineBallLastGame(file, game, strReason)) << strReason;
    return ReadBytes(file);
}

int IniInt(const std::string& strIni, const char* szKey)
{
    return static_cast<int>(GetPrivateProfileInt("Settings", szKey, -99, strIni.c_str()));
}

/// A run whose settings ask for the last game, against no computer, in practice.
void AskForTheLastGame(const CProgramRun& run)
{
    const std::string strIni = (run.Program() / "Vorn.ini").string();
    WritePrivateProfileString("Settings", "GameType", "33", strIni.c_str());
    WritePrivateProfileString("Settings", "Competition Type", "0", strIni.c_str());
    WritePrivateProfileString("Settings", "Player level 2", "0", strIni.c_str());
    WritePrivateProfileString("Settings", "BallPath1", "0", strIni.c_str());
}

TEST(ProgramLastGameTest, LastGameResumesBallsPlayersRefereeModeAndOptions)
{
    CProgramRun run(VORN_PROGRAM, VORN_APP_FIXTURE_DIR);
    const std::filesystem::path lastGame = run.Program() / "Saved" / "lastgame";
    const std::string strBytes = WriteLastGame(lastGame);
    AskForTheLastGame(run);
    ASSERT_EQ(0, run.Run("frame 10 close\nanswer ok\n")) << run.Log();
    const std::string strLog = run.Log();
    // Nine-ball's ten balls less ball 4; the players' points; Bob's turn in aiming (0x20).
    EXPECT_NE(strLog.find("lastgame: type 9, balls on the table 0x3ef, Ann 3 against Bob 5, Bob to play, mode 0x"),
              std::string::npos)
        << strLog;
    EXPECT_NE(strLog.find(", shot kind 2 ball 5 pocket 3\n"), std::string::npos) << strLog;
    EXPECT_EQ(strLog.find("could not be read"), std::string::npos) << strLog;
    const std::string strIni = (run.Program() / "Vorn.ini").string();
    EXPECT_EQ(GAME_9BALL, IniInt(strIni, "GameType"));
    EXPECT_EQ(1, IniInt(strIni, "Competition Type"));
    EXPECT_EQ(1, IniInt(strIni, "BallPath1"));
    EXPECT_EQ(strBytes, ReadBytes(lastGame)) << "the last game is only read";
}

TEST(ProgramLastGameTest, TwoComputersOfTheLastGamePlayItToTheMatchEnd)
{
    // The settings' "Player level 1" always loads as a person: the first seat is the computer's only
    // in a saved game. Here both seats of the last game are, with the nine alone against the cue
    // ball, at the side pocket's lip, to the settings' one game.
    CProgramRun run(VORN_PROGRAM, VORN_APP_FIXTURE_DIR);
    SNineBallGame game;
    game.place = [](int n)
    {
        if (n == 0)
            return CVector3(0.60f, 0.70f, 0.0f);
        return n == 9 ? CVector3(0.06f, 1.1176f, 0.0f) : CVector3(0.2f + 0.07f * static_cast<float>(n), 1.0f, 0.0f);
    };
    game.wDownBefore = 0x1fe;
    game.nLevel1 = 9;
    game.nLevel2 = 9;
    game.nCurrentPlayer = 1;
    WriteLastGame(run.Program() / "Saved" / "lastgame", game);
    AskForTheLastGame(run);
    const std::string strIni = (run.Program() / "Vorn.ini").string();
    WritePrivateProfileString("Settings", "Games Goal", "1", strIni.c_str());
    WritePrivateProfileString("Settings", "Player level 1", "9", strIni.c_str());
    // The new-game question at the match's end has no picture in this library: its box is
    // answered, and the two computers play a new rack until the window is closed.
    ASSERT_EQ(0, run.Run("answer ok\nat 20000 close\nanswer ok\n")) << run.Log();
    const std::string strLog = run.Log();
    std::size_t nAt = 0;
    for (const char* szStep :
         {"balls on the table 0x201, Ann 3 against Bob 5, Ann to play", "Game: shot 1 struck by Ann",
          "Game: shot 1 judged", "Game: the match has ended", "(925) is missing"})
    {
        nAt = strLog.find(szStep, nAt);
        ASSERT_NE(nAt, std::string::npos) << szStep << "\n" << strLog;
    }
    EXPECT_EQ(0, IniInt(strIni, "Player level 1")) << "the first seat is a person's again in the settings";
}

TEST(ProgramLastGameTest, DamagedTruncatedOrForeignLastGameIsReportedAndANewGameIsPlayed)
{
    struct SCase
    {
        const char* szName;
        std::function<std::string(const std::string&)> make; ///< the file from a sound one
        const char* szWhy = "";                              ///< what the log gives as the reason
    };
    // The game-mode word with a flag of something under way beside its aiming mode: the window's
    // close ignored and the settings never saved (0x2000000), or nobody to strike (the others).
    const auto withFlag = [](DWORD dwFlag)
    {
        return [dwFlag](const std::string& s)
        {
            std::string strDamaged = s;
            const DWORD dwMode = modeAim | dwFlag;
            for (std::size_t i = 0; i < 4; ++i)
                strDamaged[s.size() - 4 * 8 - 36 - 4 + i] = static_cast<char>((dwMode >> (8 * i)) & 0xff);
            return strDamaged;
        };
    };
    const char* const szBusy = "that a game at rest has not";
    const SCase aCases[] = {
        {"truncated", [](const std::string& s) { return s.substr(0, s.size() / 2); }},
        {"foreign", [](const std::string&) { return std::string("\x89PNG\r\n\x1a\n and more of a picture"); }},
        {"damaged: player 1 to play is 7",
         [](const std::string& s)
         {
             std::string strDamaged = s;
             strDamaged[s.size() - 4 * 8 - 36 - 4 - 4 - 12 - 12] = 7;
             return strDamaged;
         }},
        {"empty", [](const std::string&) { return std::string(); }},
        {"settings preview", withFlag(gmSettingsPreview), szBusy},
        {"rack decided", withFlag(gmRackDecided), szBusy},
        {"game over", withFlag(gmGameOver), szBusy},
        {"presentation", withFlag(gmPresentation), szBusy},
        {"computer's stroke under way", withFlag(gmRobotStroke), szBusy},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CProgramRun run(VORN_PROGRAM, VORN_APP_FIXTURE_DIR);
        const std::filesystem::path lastGame = run.Program() / "Saved" / "lastgame";
        const std::string strBytes = c.make(WriteLastGame(lastGame));
        std::ofstream(lastGame, std::ios::binary | std::ios::trunc) << strBytes;
        AskForTheLastGame(run);
        ASSERT_EQ(0, run.Run("answer ok\nframe 10 close\nanswer ok\n")) << run.Log();
        const std::string strLog = run.Log();
        EXPECT_NE(strLog.find("The last game could not be read."), std::string::npos) << strLog;
        EXPECT_NE(strLog.find(c.szWhy), std::string::npos) << strLog;
        EXPECT_EQ(strLog.find("Game: resumed"), std::string::npos) << strLog;
        EXPECT_NE(strLog.find("Game started"), std::string::npos) << "a new game is played instead";
        const std::string strIni = (run.Program() / "Vorn.ini").string();
        EXPECT_EQ(GAME_3BALL, IniInt(strIni, "GameType")) << "the next start is clean";
        EXPECT_EQ(0, IniInt(strIni, "Competition Type")) << "nothing of the file is applied";
        EXPECT_EQ(strBytes, ReadBytes(lastGame));
    }
}
TEST(ProgramLastGameTest, AGameAndAQuitLeaveNoLastGame)
{
    CProgramRun run(VORN_PROGRAM, VORN_APP_FIXTURE_DIR);
    // The break is struck once the table is at rest and the flight behind the ball set down has
    // ended; the window closes while the shot runs.
    ASSERT_EQ(0, run.Run("seen Game: at rest, it can be saved or loaded\nafter 0 mouse down left 400 300\n"
                         "after 0 mouse up left 400 300\nafter 3000 mouse move 400 300\nframe +3 key press "
                         "Return\nseen Game: shot 1 struck by\n"
                         "after 0 close\nanswer ok\n"))
        << run.Log();
    for (const auto& entry : std::filesystem::recursive_directory_iterator(run.Root()))
        EXPECT_NE("lastgame", entry.path().filename().string()) << entry.path();
}
} // namespace
