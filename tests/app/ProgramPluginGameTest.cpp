// The real program playing a rule plug-in's game through the input script: a shot is played and
// judged by the plug-in's referee, and closing the window then ends the program cleanly.
#include "tests/app/TestProgramRun.h"

#include "platform/win32/Profile.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace
{
TEST(ProgramPluginGameTest, APlugInGameThenClosingExitsCleanly)
{
    CTestProgramRun run;
    std::filesystem::copy_file(std::string(VORN_TEST_PLUGIN_DIR) + "TestGame.gam", run.Program() / "TestGame.gam");
    const std::string strIni = (run.Program() / "Vorn.ini").string();
    WritePrivateProfileString("Settings", "GameType", "42", strIni.c_str());
    WritePrivateProfileString("Settings", "Competition Type", "1", strIni.c_str());
    WritePrivateProfileString("Settings", "Player level 2", "0", strIni.c_str());
    // One turn: a click sets a ball in hand down (or takes up the mouse's stroke), the flight
    // behind it passes, Enter strikes with the cue at rest or a second click does; once the shot
    // is judged the window is closed and the question answered.
    const std::string strClick = "frame +3 mouse down left 400 300\nafter 0 mouse up left 400 300\n";
    const std::string strScript = "seen Game: type 42\nseen Game: at rest, it can be saved or loaded\n" + strClick +
                                  "after 3000 mouse move 400 300\nframe +3 key press Return\n" + strClick +
                                  "seen Game: shot 1 judged\nframe +3 close\nanswer ok\n";
    ASSERT_EQ(0, run.Run(strScript)) << run.Log();
    const std::string strLog = run.Log();
    EXPECT_NE(std::string::npos, strLog.find("Game: shot 1 judged")) << strLog;
    EXPECT_EQ(std::string::npos, strLog.find("Unhandled")) << strLog;
}
} // namespace
