// The real program in a copy of the program folder the build filled: start-up's required-files
// check, its library scans, the ball sets and the scene text pass on the game's own libraries, the
// game starts with its sound effects loaded and the music folder playing, a key reaches the game's
// keyboard, and quitting stops speech, music and sound.
#include "fixtures/AudioFixtures.h"
#include "fixtures/ProgramRun.h"
#include "fixtures/WaitFor.h"
#include "tests/assets/GameFiles.h"

#include "platform/EnvScope.h"
#include "platform/win32/Messages.h"
#include "platform/win32/WindowTable.h"

#include <filesystem>
#include <gtest/gtest.h>

TEST(GameProgramTest, StartsOnTheGamesOwnLibraries)
{
    CProgramRun run(GamePath("Vorn"), VORN_GAME_DIR);
    ASSERT_EQ(0, run.Run("frame 3 close\nanswer ok\n")) << run.Log();
    const std::string strLog = run.Log();
    EXPECT_EQ(std::string::npos, strLog.find("not found or corrupt")) << strLog;
    EXPECT_EQ(std::string::npos, strLog.find("old version")) << strLog;
    EXPECT_EQ(std::string::npos, strLog.find("No ball textures were found")) << strLog;
    EXPECT_EQ(std::string::npos, strLog.find("Scene text:")) << strLog;
    EXPECT_EQ(std::string::npos, strLog.find("The scene description could not be read")) << strLog;
    size_t nAt = 0;
    for (const char* szStep : {"resources", "artwork libraries", "ball sets", "Game started"})
    {
        SCOPED_TRACE(szStep);
        nAt = strLog.find(szStep, nAt);
        ASSERT_NE(std::string::npos, nAt) << strLog;
    }
}

TEST(GameProgramTest, LoadsTheEffectsAndReadsAKeyThroughTheKeyboardDevice)
{
    CProgramRun run(GamePath("Vorn"), VORN_GAME_DIR);
    // The game reads its keys once the intro's lamps are up.
    ASSERT_EQ(0, run.Run("seen Intro: finished\nframe +3 key press A\nframe +3 close\nanswer ok\n")) << run.Log();
    const std::string strLog = run.Log();
    EXPECT_NE(std::string::npos, strLog.find("Sound: 63 effects loaded")) << strLog;
    EXPECT_NE(std::string::npos, strLog.find("Input: key 0x1E pressed")) << "A's scan code reached the game\n"
                                                                         << strLog;
    EXPECT_EQ(std::string::npos, strLog.find("Sound: the device refused")) << strLog;
}

TEST(GameProgramTest, PlaysTheMusicFolderAndIsToldOfTheTracksEnd)
{
    if (!HasMp3Encoder())
        GTEST_SKIP() << "lame is not installed (scripts/setup.sh installs it)";
    CProgramRun run(GamePath("Vorn"), VORN_GAME_DIR);
    std::filesystem::create_directory(run.Program() / "Music");
    ASSERT_TRUE(EncodeMp3((run.Program() / "Music" / "tone.mp3").string(), 440.0, 0.2));
    // Music is on by default: the folder's track plays at the game's start and its end reaches the
    // window. The test waits for that however slow the start is, then closes the window as a peer.
    const CEnvScope runtime("XDG_RUNTIME_DIR", (run.Root() / "run").c_str());
    ASSERT_TRUE(run.Start("answer ok\nat 60000 close\n"));
    WaitFor([&] { return run.Log().find("Music: a track ended") != std::string::npos; });
    EXPECT_NE(std::string::npos, run.Log().find("Music: a track ended")) << run.Log();
    EXPECT_TRUE(PostMessage(FindWindow("Vorn class", "Vorn Deluxe"), WM_CLOSE, 0, 0));
    EXPECT_EQ(0, run.Wait()) << run.Log();
    EXPECT_EQ(std::string::npos, run.Log().find("Music: " + (run.Program() / "Music").string())) << "no decoding error";
}
