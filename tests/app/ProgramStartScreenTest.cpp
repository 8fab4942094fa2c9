// The real program's start screen, with the game's own libraries, driven by the input script:
// clicks choose the game type and the kind of match and Play starts that game; Leave and Escape
// end the program normally.
#include "fixtures/ProgramRun.h"
#include "tests/app/LinesInOrder.h"
#include "tests/app/ProgramScripts.h"

#include "platform/win32/Profile.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
int IniInt(const CProgramRun& run, const char* szKey)
{
    const std::string strIni = (run.Program() / "Vorn.ini").string();
    return static_cast<int>(GetPrivateProfileInt("Settings", szKey, -99, strIni.c_str()));
}

/// A run of the game's program whose start screen the test answers itself.
class CStartScreenRun : public CProgramRun
{
public:
    CStartScreenRun() : CProgramRun(VORN_GAME_DIR "/Vorn", VORN_GAME_DIR) { SetStartScreenAnswer(""); }
};

TEST(ProgramStartScreenTest, ClicksChooseTheGameAndTheMatchAndPlayStartsIt)
{
    struct SCase
    {
        const char* szName;
        int x, y; // the game type's button
        int nGameType;
        int xKind; // the match kind's button, all on one row
        int nCompetition, nLevel2;
    };
    // The computer plays at the default level, 3.
    const SCase aCases[] = {
        {"straight pool, practice", 56, 222, 18, 66, 0, 0},
        {"American, against the computer", 555, 320, 17, 250, 1, 3},
        {"eight-ball, two players", 56, 125, 8, 435, 1, 0},
        {"nine-ball, practice", 555, 222, 9, 66, 0, 0},
        {"pyramid, against the computer", 56, 320, 16, 250, 1, 3},
        {"three-ball, two players", 555, 125, 3, 435, 1, 0},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CStartScreenRun run;
        const std::string strScript =
            ClickAt(c.x, c.y) + ClickAt(c.xKind, 453) + ClickAt(638, 451) + "frame 2 close\nanswer ok\n";
        ASSERT_EQ(0, run.Run(strScript)) << run.Log();
        const std::string strLog = run.Log();
        EXPECT_NE(std::string::npos, strLog.find("Start screen: ended with 1\n")) << strLog;
        EXPECT_NE(std::string::npos, strLog.find("Game: type " + std::to_string(c.nGameType) + ", ")) << strLog;
        EXPECT_NE(std::string::npos, strLog.find("Game started")) << strLog;
        EXPECT_EQ(c.nGameType, IniInt(run, "GameType"));
        EXPECT_EQ(c.nCompetition, IniInt(run, "Competition Type"));
        if (c.nCompetition != 0)
        {
            EXPECT_EQ(c.nLevel2, IniInt(run, "Player level 2"));
        }
    }
}

TEST(ProgramStartScreenTest, LeaveEscapeAndTheWindowsCloseEndTheProgramWithoutAGame)
{
    // The window's close button, with the start screen holding the window, closes the screen as
    // Escape does.
    struct SCase
    {
        const char* szName;
        std::string strScript;
        int nResult; // the start screen's
    };
    const SCase aCases[] = {
        {"Leave", ClickAt(402, 503), 666},
        {"Escape", "dialog 1 key press Escape\n", 2},
        {"the window's close", "dialog 1 close\n", 2},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CStartScreenRun run;
        ASSERT_EQ(0, run.Run(c.strScript)) << run.Log();
        const std::string strLog = run.Log();
        EXPECT_NE(std::string::npos, strLog.find("Start screen: ended with " + std::to_string(c.nResult) + "\n"))
            << strLog;
        EXPECT_EQ(std::string::npos, strLog.find("Game started")) << strLog;
    }
}

TEST(ProgramStartScreenTest, HelpButtonAndF1OpenTheHelpDialogAndTheScreenAnswersAfterIt)
{
    struct SCase
    {
        const char* szName;
        std::string strOpen;
    };
    const SCase aCases[] = {
        {"the help button, in view beside Leave", ClickAt(570, 503)},
        {"F1", "dialog 1 key press F1\n"},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CStartScreenRun run;
        const std::string strScript = c.strOpen + "dialog 2 key press Escape\nwait Dialog 267: ended with 2\n"
                                                  "after 300 mouse down left 650 463\nafter 50 mouse up left 650 463\n"
                                                  "wait Game started\nframe +2 close\nanswer ok\n";
        ASSERT_EQ(0, run.Run(strScript)) << run.Log();
        const std::string strLog = run.Log();
        const std::size_t nHelp = strLog.find("Dialog 267: ended with 2\n");
        EXPECT_NE(std::string::npos, nHelp) << strLog;
        EXPECT_LT(nHelp, strLog.find("Start screen: ended with 1\n")) << strLog;
        EXPECT_NE(std::string::npos, strLog.find("Game started")) << strLog;
    }
}

TEST(ProgramStartScreenTest, AHelpPageNotFoundIsNamedAndTheScreenGoesOn)
{
    // Without the program folder's help page, the help dialog's button names the page sought.
    CStartScreenRun run;
    std::filesystem::remove_all(run.Program() / "Help");
    ASSERT_EQ(0, run.Run("dialog 1 key press F1\ndialog 2 key press Return\ndialog 2 key press Escape\n"
                         "wait Dialog 267: ended with 2\nafter 100 key press Escape\n"))
        << run.Log();
    const std::string strLog = run.Log();
    const std::size_t nMessage = strLog.find("Vorn: The help page ");
    EXPECT_NE(std::string::npos, nMessage) << strLog;
    EXPECT_NE(std::string::npos, strLog.find(" could not be opened.\n", nMessage)) << strLog;
    EXPECT_NE(std::string::npos, strLog.find("Start screen: ended with 2\n")) << strLog;
}
TEST(ProgramStartScreenTest, AHelpPageOverAFullScreenGameAsksFirstAndOkGivesTheScreenUp)
{
    // A game running full screen, the start screen asked for with F2 and its help page opened: the
    // player is asked first; OK minimises the game's window for the page, Escape keeps the window
    // and opens nothing. Either way the start screen, left, hands the game back.
    struct SCase
    {
        const char* szName;
        const char* szAnswer;
        int nHelpResult;
        bool bMinimised;
    };
    const SCase aCases[] = {
        {"OK", "Return", 1, true},
        {"Escape", "Escape", 2, false},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CProgramRun run(VORN_GAME_DIR "/Vorn", VORN_GAME_DIR);
        WritePrivateProfileString("Settings", "FullScreen", "1", (run.Program() / "Vorn.ini").string().c_str());
        const std::string strHelpEnd = "Dialog 267: ended with " + std::to_string(c.nHelpResult);
        const std::string strScript = std::string(AT_REST) +
                                      "after 0 key press F2\ndialog +1 key press Return\n"
                                      "dialog +1 key press F1\ndialog +1 key press Return\ndialog +1 key press " +
                                      c.szAnswer + "\nwait " + strHelpEnd +
                                      "\nafter 100 key press Escape\nwait Start screen: ended with 2\n"
                                      "after 0 close\nanswer ok\n";
        ASSERT_EQ(0, run.Run(strScript)) << run.Log();
        const std::string strLog = run.Log();
        const std::string strAsked = "Dialog 567: ended with " + std::to_string(c.nHelpResult);
        EXPECT_TRUE(HasLinesInOrder(strLog, {"Game started", strAsked, strHelpEnd, "Start screen: ended with 2"}))
            << strLog;
        EXPECT_EQ(c.bMinimised, strLog.find("Window: minimised\n") != std::string::npos) << strLog;
        if (c.bMinimised)
        {
            EXPECT_LT(strLog.find("Window: minimised\n"), strLog.find(strHelpEnd)) << strLog;
        }
    }
}
} // namespace
