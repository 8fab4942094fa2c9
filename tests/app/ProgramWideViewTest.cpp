// The real program through the input script: holding X while the window is brought back from the
// task bar (an environment change) gives the wider view of field 0.7; without X the stored one.
#include "fixtures/ProgramRun.h"

#include <gtest/gtest.h>
#include <string>

namespace
{
TEST(ProgramWideViewTest, HoldingXThroughAnEnvironmentChangeGivesTheWiderView)
{
    struct SCase
    {
        const char* szName;
        bool bHoldX;
        const char* szAfterChange;
    };
    const SCase aCases[] = {
        {"X held", true, "Environment: field of view 0.70"},
        {"nothing held", false, "Environment: field of view 0.40"},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CProgramRun run(VORN_PROGRAM, VORN_APP_FIXTURE_DIR);
        // The window closes once the environment made after the game started has named its view.
        std::string strScript = "seen Game started\n";
        strScript += c.bHoldX ? "after 300 key down X\n" : "after 300 key down Y\n";
        strScript += "after 300 minimise\nafter 300 restore\nafter 300 focus\nseen Environment: field of view\n"
                     "after 0 close\nanswer ok\n";
        ASSERT_EQ(0, run.Run(strScript, {})) << run.Log();
        const std::string strLog = run.Log();
        // The first environment is made with the stored view; the one after the change as asked.
        const size_t nFirst = strLog.find("Environment: field of view 0.40");
        ASSERT_NE(std::string::npos, nFirst) << strLog;
        const size_t nStarted = strLog.find("Game started", nFirst);
        ASSERT_NE(std::string::npos, nStarted) << strLog;
        EXPECT_NE(std::string::npos, strLog.find(c.szAfterChange, nStarted)) << strLog;
    }
}
} // namespace
