// The real program in a copy of the program folder the build filled: start-up's required-files
// check and its library scans pass on the game's own libraries, and the game starts.
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
    size_t nAt = 0;
    for (const char* szStep : {"resources", "artwork libraries", "ball sets", "Game started"})
    {
        SCOPED_TRACE(szStep);
        nAt = strLog.find(szStep, nAt);
        ASSERT_NE(std::string::npos, nAt) << strLog;
    }
}
