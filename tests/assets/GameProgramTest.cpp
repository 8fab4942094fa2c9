// The real program in a copy of the program folder the build filled: start-up's required-files
// check, its library scans, the ball sets and the scene text pass on the game's own libraries, the
// game starts with its sound effects loaded, a key reaches the game's keyboard, and quitting stops
// speech and sound.
#include "fixtures/ProgramRun.h"
#include "tests/assets/GameFiles.h"

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
    ASSERT_EQ(0, run.Run("frame 3 key press A\nframe 6 close\nanswer ok\n")) << run.Log();
    const std::string strLog = run.Log();
    EXPECT_NE(std::string::npos, strLog.find("Sound: 34 effects loaded")) << strLog;
    EXPECT_NE(std::string::npos, strLog.find("Input: key 0x1E pressed")) << "A's scan code reached the game\n"
                                                                         << strLog;
    EXPECT_EQ(std::string::npos, strLog.find("Sound: the device refused")) << strLog;
}
