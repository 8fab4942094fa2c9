// The real program resuming the game kept as "lastgame" in its saved-games folder.
#include "fixtures/ProgramRun.h"

#include "gameflow/GameMode.h"
#include "gameflow/SavedGame.h"
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

/// A nine-ball game with ball 4 down, Bob to play in aiming, written by the game's own writer.
std::string WriteLastGame(const std::filesystem::path& file)
{
    std::filesystem::create_directories(file.parent_path());
    CSavedGame save(CString(file.string()));
    for (int i = 0; i < 16; ++i)
        save.m_apBalls[static_cast<std::size_t>(i)]->SetPositionXYZ(0.2f + 0.07f * static_cast<float>(i), 1.0f, 0.0f);
    CReferee9Ball referee;
    referee.Init(GAME_9BALL);
    referee.GetBallTable()->SetPocketedBefore(4, TRUE);
    int nSize = 0;
    const BYTE* pState = referee.PackState(&nSize, 0);
    save.m_abRefereeState.assign(pState, pState + nSize);
    save.m_Player1.GetNameRef() = "Ann";
    save.m_Player1.SetPoints(3);
    save.m_Player2.GetNameRef() = "Bob";
    save.m_Player2.SetPoints(5);
    for (CPlayer* pPlayer : {&save.m_Player1, &save.m_Player2})
        pPlayer->SetLocal();
    save.m_nCurrentPlayer = 2;
    save.m_nGameMode = modeAim;
    save.m_Settings = SSavedSettings{1, 1, 0, GAME_9BALL, 1, 1, 0x336633, 0};
    EXPECT_TRUE(save.Write()) << save.GetReason().Str();
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
    EXPECT_EQ(strLog.find("could not be read"), std::string::npos) << strLog;
    const std::string strIni = (run.Program() / "Vorn.ini").string();
    EXPECT_EQ(GAME_9BALL, IniInt(strIni, "GameType"));
    EXPECT_EQ(1, IniInt(strIni, "Competition Type"));
    EXPECT_EQ(1, IniInt(strIni, "BallPath1"));
    EXPECT_EQ(strBytes, ReadBytes(lastGame)) << "the last game is only read";
}

TEST(ProgramLastGameTest, DamagedTruncatedOrForeignLastGameIsReportedAndANewGameIsPlayed)
{
    struct SCase
    {
        const char* szName;
        std::function<std::string(const std::string&)> make; ///< the file from a sound one
    };
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
    // The break is struck once the table is at rest; the window closes while the shot runs.
    ASSERT_EQ(0, run.Run("seen Game: at rest, it can be saved or loaded\nafter 0 mouse down left 400 300\n"
                         "after 0 mouse up left 400 300\nframe +3 key press Return\nseen Game: shot 1 struck by\n"
                         "after 0 close\nanswer ok\n"))
        << run.Log();
    for (const auto& entry : std::filesystem::recursive_directory_iterator(run.Root()))
        EXPECT_NE("lastgame", entry.path().filename().string()) << entry.path();
}
} // namespace
