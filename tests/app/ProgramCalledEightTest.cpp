// The real program judging a called eight: the eight-ball game resumed from "lastgame" with Ann
// on the eight and the call already made.
#include "fixtures/ProgramRun.h"
#include "tests/app/CalledEightGame.h"

#include "platform/win32/Profile.h"

#include <gtest/gtest.h>
#include <string>

namespace
{
TEST(ProgramCalledEightTest, TheCalledEightWinsTheRackInTheCalledPocketAndLosesItInAnother)
{
    struct SCase
    {
        const char* szName;
        int nCalledPocket;
        const char* szRackWinner;
    };
    const SCase aCases[] = {
        {"called into the pocket it drops in", LEFT_SIDE_POCKET, "Game: Ann wins the rack"},
        {"called into the pocket across the table", RIGHT_SIDE_POCKET, "Game: Bob wins the rack"},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CProgramRun run(VORN_PROGRAM, VORN_APP_FIXTURE_DIR);
        WriteCalledEight(run.Program() / "Saved" / "lastgame", c.nCalledPocket);
        const std::string strIni = (run.Program() / "Vorn.ini").string();
        WritePrivateProfileString("Settings", "GameType", "33", strIni.c_str());
        WritePrivateProfileString("Settings", "Games Goal", "2", strIni.c_str());
        WritePrivateProfileString("Settings", "BallPath1", "0", strIni.c_str());
        // Each press of Up draws the cue back one step: four of them, and Enter strikes at a
        // little over 1 m/s. The match goes on into its next rack.
        std::string strScript = "seen Game: at rest, it can be saved or loaded\n";
        for (int i = 0; i < 4; ++i)
            strScript += "frame +3 key press Up\n";
        strScript += "frame +3 key press Return\nseen Game: shot 1 judged\nseen wins the rack\n"
                     "seen to play with the ball in hand\nafter 0 close\nanswer ok\n";
        ASSERT_EQ(0, run.Run(strScript)) << run.Log();
        const std::string strLog = run.Log();
        EXPECT_NE(strLog.find(c.szRackWinner), std::string::npos) << strLog;
        EXPECT_EQ(strLog.find("wins the rack"), strLog.rfind("wins the rack")) << "one rack is decided";
        EXPECT_TRUE(std::filesystem::exists(run.Program() / "Ann.ini")) << "the resumed shooter's statistics are kept";
    }
}
} // namespace
