// The game's dialogs opened in the real program, with its own libraries, as a player opens them:
// by their keys or the control bar's menu once the table is at rest. The input script clicks in
// them, writes the window with the dialog over it as PNG and closes them with Escape; the debug
// log tells how each ended and the settings file what it changed.
#include "fixtures/ProgramRun.h"

#include "platform/win32/Profile.h"
#include "ui/ControlBar.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace
{
/// The program's window is 812 x 570; the control bar lies at its bottom centre.
constexpr POINT BAR_AT{(812 - BAR_PICTURE_SIZE.cx) / 2, 570 - BAR_PICTURE_SIZE.cy};

std::string At(POINT pt) { return std::to_string(pt.x) + " " + std::to_string(pt.y) + "\n"; }

/// A click of the control bar: the game samples the mouse once a frame, so the press comes some
/// frames after the move and the release some frames after the press.
std::string BarClick(int nElement, LONG dx, LONG dy)
{
    const RECT& rc = BAR_ELEMENTS[nElement];
    const POINT pt{BAR_AT.x + rc.left + dx, BAR_AT.y + rc.top + dy};
    return "frame +4 mouse move " + At(pt) + "frame +10 mouse down left " + At(pt) + "frame +4 mouse up left " + At(pt);
}

/// Space pauses the game, so that the bar takes the mouse; the menu button opens the menu and the
/// row chooses its command.
std::string MenuRow(int nElement, LONG dy)
{
    return "after 0 key press Space\n" + BarClick(BAR_ELEMENT_MENU_BUTTON, 30, 8) + BarClick(nElement, 40, dy);
}

struct SDialogRow
{
    const char* szName;                               // also the name of the PNG written
    std::vector<std::pair<const char*, int>> aBefore; // settings in the file before the start
    std::string strOpen;                              // what opens the dialog once the table is at rest
    int nTemplate;                                    // the dialog's template, as the log names it
    POINT ptDialog;                                   // the dialog's client area in the window's
    std::vector<POINT> aClicks;                       // in the dialog's client area
    std::vector<std::pair<const char*, int>> aAfter;  // settings in the file at the end
    std::vector<std::string> aLogged;                 // lines the log holds, in order
    const char* szNotLogged;                          // a line it does not hold, or null
};

/// The script of a row: the dialog opened, clicked, written and closed with Escape; once it has
/// gone, the window is closed and the quit question answered.
std::string RowScript(const SDialogRow& row, const std::filesystem::path& png)
{
    std::string strScript = "seen Game: at rest, it can be saved or loaded\n" + row.strOpen;
    strScript += "dialog +1 mouse move " + At(row.ptDialog);
    for (const POINT& pt : row.aClicks)
    {
        const std::string strAt = At(POINT{row.ptDialog.x + pt.x, row.ptDialog.y + pt.y});
        strScript +=
            "after 0 mouse move " + strAt + "after 0 mouse down left " + strAt + "after 0 mouse up left " + strAt;
    }
    // The dialog draws itself after each message it takes: the picture waits a little for the last.
    strScript += "after 300 png " + png.string() + "\nafter 0 key press Escape\n";
    strScript += "seen Dialog " + std::to_string(row.nTemplate) + ": ended with 2\nafter 0 close\nanswer ok\n";
    return strScript;
}

bool HasInOrder(const std::string& strLog, const std::vector<std::string>& aLines)
{
    std::size_t at = 0;
    for (const std::string& strLine : aLines)
    {
        at = strLog.find(strLine, at);
        if (at == std::string::npos)
            return false;
        at += strLine.size();
    }
    return true;
}

TEST(ProgramDialogsTest, EachDialogOpensOverTheGameTakesItsClicksAndClosesWithEscape)
{
    // Where the dialogs lie in the window: the message dialogs in its middle, the options screen
    // where it places itself on the desktop, inside the window.
    constexpr POINT MESSAGE_AT{(812 - 340) / 2, (570 - 200) / 2};
    constexpr POINT RULES_AT{(812 - 586) / 2, (570 - 500) / 2};
    constexpr POINT OPTIONS_AT{124, 7};
    // The options screen's controls, in its client area.
    constexpr POINT PATH1{270, 390}, PATH2{390, 390}, LEVEL9{430, 460}, GAMES_UP{343, 315}, GAMES_DOWN{343, 332};
    const std::string strOptions = MenuRow(BAR_ELEMENT_FIRST_ROW + 2, 16);
    const SDialogRow aRows[] = {
        {"ProgramRulesCard",
         {},
         "after 0 key press F1\n",
         299,
         RULES_AT,
         {},
         {},
         {"Rules asked for", "Dialog 299: ended with 2"},
         nullptr},
        {"ProgramNewGameQuestion",
         {},
         "after 0 key press F2\n",
         299,
         MESSAGE_AT,
         {},
         {},
         {"Dialog 299: ended with 2", "Do you really want to quit?"},
         "New game\n"},
        {"ProgramExitQuestion",
         {},
         MenuRow(BAR_ELEMENT_COUNT - 1, 6),
         299,
         MESSAGE_AT,
         {},
         {},
         {"Widgets: panel command 33", "Dialog 299: ended with 2", "Do you really want to quit?"},
         nullptr},
        // The path buttons cycle full, short, none; the level marks the computer's; the volume
        // takes the step whose rectangle holds the release, its last pixel included.
        {"ProgramOptionsPathsLevelVolume",
         {{"BallPath1", 1},
          {"ShortPath1", 0},
          {"BallPath2", 1},
          {"ShortPath2", 0},
          {"AI Default Level", 3},
          {"Volume", 40000}},
         strOptions,
         231,
         OPTIONS_AT,
         {PATH1, PATH1, PATH2, LEVEL9, {294, 239}},
         {{"BallPath1", 0},
          {"ShortPath1", 1},
          {"BallPath2", 1},
          {"ShortPath2", 1},
          {"AI Default Level", 9},
          {"Volume", 5000}},
         {"Widgets: panel command 31", "Dialog 231: ended with 2"},
         nullptr},
        // Games of a match from 1, 3 and 5 (goals 1, 2, 3): never fewer than one, two more a step.
        {"ProgramOptionsGamesFromOne",
         {{"Games Goal", 1}, {"Volume", 10999}},
         strOptions,
         231,
         OPTIONS_AT,
         {GAMES_DOWN, {295, 219}}, // the first volume rectangle's right edge lies outside it
         {{"Games Goal", 1}, {"Volume", 10999}},
         {"Dialog 231: ended with 2"},
         nullptr},
        {"ProgramOptionsGamesFromThree",
         {{"Games Goal", 2}, {"Volume", 0}},
         strOptions,
         231,
         OPTIONS_AT,
         {GAMES_DOWN, {306, 230}}, // the second's left edge
         {{"Games Goal", 1}, {"Volume", 20000}},
         {"Dialog 231: ended with 2"},
         nullptr},
        {"ProgramOptionsGamesFromFive",
         {{"Games Goal", 3}, {"Volume", 0}},
         strOptions,
         231,
         OPTIONS_AT,
         {GAMES_UP, {350, 239}}, // the third's bottom right
         {{"Games Goal", 4}, {"Volume", 40000}},
         {"Dialog 231: ended with 2"},
         nullptr},
    };
    const std::filesystem::path frames(VORN_TEST_OUTPUT_DIR);
    std::filesystem::create_directories(frames);
    // The runs go on side by side; each waits on its own log, never on the time.
    std::vector<std::unique_ptr<CProgramRun>> apRuns;
    for (const SDialogRow& row : aRows)
    {
        auto pRun = std::make_unique<CProgramRun>(VORN_GAME_DIR "/Vorn", VORN_GAME_DIR);
        const std::string strIni = (pRun->Program() / "Vorn.ini").string();
        // The intro is over in a few frames: no blink and no fade.
        WritePrivateProfileString("Intro", "Blink lamp", "", strIni.c_str());
        WritePrivateProfileString("Intro", "Increase time", "0", strIni.c_str());
        WritePrivateProfileString("Settings", "GameType", "9", strIni.c_str());
        for (const auto& [szKey, nValue] : row.aBefore)
            WritePrivateProfileString("Settings", szKey, std::to_string(nValue).c_str(), strIni.c_str());
        std::filesystem::remove(frames / (std::string(row.szName) + ".png"));
        EXPECT_TRUE(pRun->Start(RowScript(row, frames / (std::string(row.szName) + ".png")))) << row.szName;
        apRuns.push_back(std::move(pRun));
    }
    for (std::size_t i = 0; i < apRuns.size(); ++i)
    {
        const SDialogRow& row = aRows[i];
        CProgramRun& run = *apRuns[i];
        SCOPED_TRACE(row.szName);
        ASSERT_EQ(0, run.Wait(300)) << run.Log();
        const std::string strLog = run.Log();
        EXPECT_TRUE(HasInOrder(strLog, row.aLogged)) << strLog;
        if (row.szNotLogged != nullptr)
        {
            EXPECT_EQ(std::string::npos, strLog.find(row.szNotLogged)) << strLog;
        }
        const std::string strIni = (run.Program() / "Vorn.ini").string();
        for (const auto& [szKey, nValue] : row.aAfter)
        {
            EXPECT_EQ(nValue, static_cast<int>(GetPrivateProfileInt("Settings", szKey, -1, strIni.c_str()))) << szKey;
        }
        EXPECT_TRUE(std::filesystem::is_regular_file(frames / (std::string(row.szName) + ".png")));
    }
}
} // namespace
