// The game's dialogs opened in the real program, with its own libraries, as a player meets them:
// by their keys or the control bar's menu once the table is at rest, the error box by a game that
// cannot be loaded or resumed, the start-up question by a game waiting in the launcher, the
// match's results by the end of a pyramid match resumed at its last ball. The input
// script clicks in them, writes the window with the dialog over it as PNG and closes them with
// Escape (boxes are shown for it, not answered unseen); the debug log tells how each ended, the
// settings file and the registry's store what it changed.
#include "tests/app/LinesInOrder.h"
#include "tests/app/SavedRefereeState.h"
#include "tests/app/TestProgramRun.h"
#include "tests/ui/StoredWarning.h"

#include "gameflow/GameMode.h"
#include "gameflow/SavedGame.h"
#include "platform/win32/DialogTemplate.h"
#include "platform/win32/MessageBox.h"
#include "platform/win32/Profile.h"
#include "platform/win32/WindowTable.h"
#include "simulation/Player.h"
#include "simulation/RefereeTypes.h"
#include "ui/ControlBar.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <ostream>
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

constexpr const char* AT_REST = "seen Game: at rest, it can be saved or loaded\n";
/// The window closed and the quit question, shown for the script, agreed to with Enter.
constexpr const char* CLOSE = "after 0 close\ndialog +1 key press Return\n";

/// Space pauses the game, so that the bar takes the mouse; the menu button opens the menu and the
/// row chooses its command.
std::string MenuRow(int nElement, LONG dy)
{
    return AT_REST + std::string("after 0 key press Space\n") + BarClick(BAR_ELEMENT_MENU_BUTTON, 30, 8) +
           BarClick(nElement, 40, dy);
}

/// Ctrl+O at rest, and Enter in the saved-games dialog it opens: the first game of the list.
std::string LoadFirstSavedGame()
{
    return AT_REST + std::string("after 0 key down Left Ctrl\nafter 100 key press O\ndialog +1 key up Left Ctrl\n"
                                 "after 100 key press Return\n");
}

struct SDialogRow
{
    const char* szName;                                      // also the name of the PNG written
    std::vector<std::pair<const char*, int>> aBefore;        // settings in the file before the start
    std::vector<std::pair<const char*, std::string>> aFiles; // files of the program folder before the start
    std::string strOpen;        // the entries that open the dialog, after the start screen's answer
    int nTemplate;              // the dialog's template, as the log names it
    POINT ptDialog;             // the dialog's client area in the window's
    std::vector<POINT> aClicks; // in the dialog's client area
    std::vector<std::pair<const char*, int>> aAfter; // settings in the file at the end
    std::vector<std::string> aLogged;                // lines the log holds, in order
    const char* szNotLogged;                         // a line it does not hold, or null
};

/// A row is listed by its name.
void PrintTo(const SDialogRow& row, std::ostream* pOut) { *pOut << row.szName; }

/// The script of a row: the dialog opened, clicked, written and closed with Escape; once it has
/// gone, the window is closed and the quit question agreed to.
std::string RowScript(const SDialogRow& row, const std::filesystem::path& png)
{
    std::string strScript = "boxes shown\n" + row.strOpen;
    strScript += "dialog +1 mouse move " + At(row.ptDialog);
    for (const POINT& pt : row.aClicks)
    {
        const std::string strAt = At(POINT{row.ptDialog.x + pt.x, row.ptDialog.y + pt.y});
        strScript +=
            "after 0 mouse move " + strAt + "after 0 mouse down left " + strAt + "after 0 mouse up left " + strAt;
    }
    // The dialog draws itself after each message it takes: the picture waits a little for the last.
    strScript += "after 300 png " + png.string() + "\nafter 0 key press Escape\n";
    strScript += "seen Dialog " + std::to_string(row.nTemplate) + ": ended with 2\n" + CLOSE;
    return strScript;
}

/// The dialogs and what is done in each.
std::vector<SDialogRow> DialogRows()
{
    // Where the dialogs lie in the window: the message dialogs in its middle, the options screen
    // where it places itself on the desktop, inside the window.
    constexpr POINT MESSAGE_AT{(812 - 340) / 2, (570 - 200) / 2};
    constexpr POINT RULES_AT{(812 - 586) / 2, (570 - 500) / 2};
    constexpr POINT OPTIONS_AT{124, 7};
    // The options screen's controls, in its client area.
    constexpr POINT PATH1{270, 390}, PATH2{390, 390}, LEVEL9{430, 460}, GAMES_UP{343, 315}, GAMES_DOWN{343, 332};
    const std::string strOptions = MenuRow(BAR_ELEMENT_FIRST_ROW + 2, 16);
    return {
        {"ProgramRulesCard",
         {},
         {},
         AT_REST + std::string("after 0 key press F1\n"),
         299,
         RULES_AT,
         {},
         {},
         {"Rules asked for", "Dialog 299: ended with 2"},
         nullptr},
        {"ProgramNewGameQuestion",
         {},
         {},
         AT_REST + std::string("after 0 key press F2\n"),
         299,
         MESSAGE_AT,
         {},
         {},
         {"Dialog 299: ended with 2", "Do you really want to quit?"},
         "New game\n"},
        {"ProgramExitQuestion",
         {},
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
         {},
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
         {},
         strOptions,
         231,
         OPTIONS_AT,
         {GAMES_DOWN, {295, 219}}, // the first volume rectangle's right edge lies outside it
         {{"Games Goal", 1}, {"Volume", 10999}},
         {"Dialog 231: ended with 2"},
         nullptr},
        {"ProgramOptionsGamesFromThree",
         {{"Games Goal", 2}, {"Volume", 0}},
         {},
         strOptions,
         231,
         OPTIONS_AT,
         {GAMES_DOWN, {306, 230}}, // the second's left edge
         {{"Games Goal", 1}, {"Volume", 20000}},
         {"Dialog 231: ended with 2"},
         nullptr},
        {"ProgramOptionsGamesFromFive",
         {{"Games Goal", 3}, {"Volume", 0}},
         {},
         strOptions,
         231,
         OPTIONS_AT,
         {GAMES_UP, {350, 239}}, // the third's bottom right
         {{"Games Goal", 4}, {"Volume", 40000}},
         {"Dialog 231: ended with 2"},
         nullptr},
        // The error box, a window of its own, with a text and with a string of the library.
        {"ProgramErrorBoxText",
         {},
         {{"Saved/Bad.sav", "not a saved game"}},
         LoadFirstSavedGame(),
         294,
         {0, 0},
         {},
         {},
         {"Dialog 580: ended with 1", "Vorn: \"Bad.sav\" could not be loaded", "Dialog 294: ended with 2"},
         "Game: resumed"},
        {"ProgramErrorBoxString",
         {{"GameType", 33}, {"Competition Type", 0}},
         {{"Saved/lastgame", ""}},
         "",
         294,
         {0, 0},
         {},
         {{"GameType", 3}},
         {"Vorn: The last game could not be read.", "Dialog 294: ended with 2"},
         "Game: resumed"},
    };
}

/// One run of the program a dialog; ctest runs the dialogs side by side as its load allows.
class ProgramDialogTest : public ::testing::TestWithParam<SDialogRow>
{
};

TEST_P(ProgramDialogTest, OpensOverTheGameTakesItsClicksAndClosesWithEscape)
{
    const SDialogRow& row = GetParam();
    const std::filesystem::path frames(VORN_TEST_OUTPUT_DIR);
    std::filesystem::create_directories(frames);
    const std::filesystem::path png = frames / (std::string(row.szName) + ".png");
    std::filesystem::remove(png);
    CProgramRun run(VORN_GAME_DIR "/Vorn", VORN_GAME_DIR);
    const std::string strIni = (run.Program() / "Vorn.ini").string();
    // The intro is over in a few frames: no blink and no fade.
    WritePrivateProfileString("Intro", "Blink lamp", "", strIni.c_str());
    WritePrivateProfileString("Intro", "Increase time", "0", strIni.c_str());
    WritePrivateProfileString("Settings", "GameType", "9", strIni.c_str());
    // The clicks are measured in the window of the frame's size.
    WritePrivateProfileString("Settings", "FullScreen", "0", strIni.c_str());
    for (const auto& [szKey, nValue] : row.aBefore)
        WritePrivateProfileString("Settings", szKey, std::to_string(nValue).c_str(), strIni.c_str());
    for (const auto& [szFile, strBytes] : row.aFiles)
    {
        std::filesystem::create_directories((run.Program() / szFile).parent_path());
        std::ofstream(run.Program() / szFile, std::ios::binary) << strBytes;
    }
    // Each step waits on the program's log or its dialogs, never on the time.
    ASSERT_EQ(0, run.Run(RowScript(row, png))) << run.Log();
    const std::string strLog = run.Log();
    EXPECT_TRUE(HasLinesInOrder(strLog, row.aLogged)) << strLog;
    if (row.szNotLogged != nullptr)
    {
        EXPECT_EQ(std::string::npos, strLog.find(row.szNotLogged)) << strLog;
    }
    for (const auto& [szKey, nValue] : row.aAfter)
    {
        EXPECT_EQ(nValue, static_cast<int>(GetPrivateProfileInt("Settings", szKey, -1, strIni.c_str()))) << szKey;
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(png));
}

INSTANTIATE_TEST_SUITE_P(Dialogs, ProgramDialogTest, ::testing::ValuesIn(DialogRows()),
                         [](const ::testing::TestParamInfo<SDialogRow>& row) { return std::string(row.param.szName); });

/// A launcher's window in this process, answering under its class and title; it stays open.
LRESULT WaitingLauncherProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return uMsg == WM_CLOSE ? 0 : DefWindowProc(hWnd, uMsg, wParam, lParam);
}

TEST(ProgramDialogsTest, TheStartUpQuestionStoresItsBoxAndEndsTheStartOrClosesTheLauncher)
{
    // The question, a window of its own before the game's, has its check box at (50, 66) in
    // dialog units of its 8-point font.
    const SIZE base = DialogBaseUnits(8, "MS Sans Serif");
    const std::string strTick = std::to_string(55 * base.cx / 4) + " " + std::to_string(72 * base.cy / 8) + "\n";
    struct SCase
    {
        const char* szName;
        std::string strAnswer; // the script's actions in the question
        int nStatus;
        long nStored;
        bool bLauncherClosed;
    };
    const SCase aCases[] = {
        {"ticked, then Escape: the start ends",
         "dialog 1 mouse down left " + strTick + "after 0 mouse up left " + strTick +
             "after 200 png PNG\nafter 0 key press Escape\n",
         1, 1, false},
        {"not ticked, then Enter: the launcher is closed and the game starts",
         "dialog 1 png PNG\nafter 0 key press Return\ndialog 2 key press Return\nseen Game started\n" +
             std::string(CLOSE),
         0, 0, true},
    };
    WNDCLASS wc;
    wc.lpfnWndProc = &WaitingLauncherProc;
    wc.lpszClassName = "Vorn Launcher class";
    RegisterClass(&wc);
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CTestProgramRun run(VORN_GAME_DIR "/Vorn", VORN_GAME_DIR);
        run.SetStartScreenAnswer("");
        run.ShareEnvironment();
        const HWND hLauncher = CreateWindowEx(WS_EX_APPWINDOW, "Vorn Launcher class", "Vorn Launcher", WS_POPUP, 0, 0,
                                              10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, hLauncher);
        std::string strScript = "boxes shown\n" + c.strAnswer;
        const std::string strPng =
            (std::filesystem::path(VORN_TEST_OUTPUT_DIR) / "ProgramStartUpQuestion.png").string();
        strScript.replace(strScript.find("PNG"), 3, strPng);
        std::filesystem::create_directories(VORN_TEST_OUTPUT_DIR);
        EXPECT_EQ(c.nStatus, run.Run(strScript)) << run.Log();
        EXPECT_NE(std::string::npos,
                  run.Log().find("Dialog 1300: ended with " + std::to_string(c.nStatus == 0 ? IDOK : IDCANCEL)))
            << run.Log();
        EXPECT_EQ(c.nStored, StoredWarning());
        MSG msg;
        bool bClosed = false;
        while (PeekMessage(&msg, hLauncher, 0, 0, PM_REMOVE))
            bClosed = bClosed || msg.message == WM_CLOSE;
        EXPECT_EQ(c.bLauncherClosed, bClosed);
        EXPECT_TRUE(std::filesystem::is_regular_file(strPng));
        DestroyWindow(hLauncher);
    }
}

/// The last game of a pyramid match at its last ball: one ball beside the side pocket and the
/// computer Bob at level 9 to play against Ann, a person or a computer at the same level.
struct SPyramidMatchBall
{
    int nAnnLevel;
    LONG nAnnTally; // balls pocketed in the rack so far
    LONG nBobTally;
};

void WritePyramidMatchBall(const std::filesystem::path& file, const SPyramidMatchBall& game)
{
    std::filesystem::create_directories(file.parent_path());
    CSavedGame save(CString(file.string()));
    CRefereePyramid referee;
    referee.Init(GAME_PYRAMID);
    for (int n = 0; n < 16; ++n)
    {
        CVector3 vAt(0.3f, 0.2f + 0.12f * static_cast<float>(n), 0.0f); // where a pocketed ball is kept
        if (n == 0)
            vAt = CVector3(0.60f, 0.70f, 0.0f);
        else if (n == 1)
            vAt = CVector3(0.06f, 1.1176f, 0.0f);
        else
            referee.GetBallTable()->SetPocketedBefore(n, TRUE);
        save.m_apBalls[static_cast<std::size_t>(n)]->SetPosition(vAt);
    }
    KeepRefereeAfterBreak(save, referee);
    save.m_Player1.GetNameRef() = "Ann";
    save.m_Player1.SetLevel(game.nAnnLevel).SetLocal();
    save.m_Player1.SetFouls(game.nAnnTally);
    save.m_Player2.GetNameRef() = "Bob";
    save.m_Player2.SetLevel(9).SetLocal();
    save.m_Player2.SetFouls(game.nBobTally);
    save.m_nCurrentPlayer = 2;
    save.m_nGameMode = modeAim;
    save.m_Settings = SSavedSettings{1, 0, 0, GAME_PYRAMID, 1, 1, 0x336633, 0};
    // The players' records carry the match's goal: a one-rack match.
    const LONG nGoal = g_nGoal;
    g_nGoal = 1;
    const BOOL bWritten = save.Write();
    g_nGoal = nGoal;
    ASSERT_TRUE(bWritten) << save.GetReason().Str();
}

TEST(ProgramDialogsTest, AResumedPyramidMatchEndsWithItsResultTheMatchWonAndTheNewGameQuestion)
{
    // The match won, a window of its own, has its OK at (185, 144).
    const std::string strOk = "210 155\n";
    struct SCase
    {
        const char* szName; // also the start of the PNGs' names
        SPyramidMatchBall game;
        int nResultTemplate;     // the winner's text, or the lost match against the computer
        const char* szWinner;    // by the rack's tally, whoever pockets the last ball
        std::string strMatchWon; // the script's actions in the match won
        int nMatchWonResult;
        int nTrophy; // pyramid's trophies in the settings file at the end
    };
    const SCase aCases[] = {
        // Ann beat the computer at level 3 of the settings: pyramid's bronze trophy, kept by OK.
        {"ProgramMatchWonByAComputer",
         {9, 60, 10},
         298,
         "Ann",
         "after 0 mouse down left " + strOk + "after 0 mouse up left " + strOk,
         IDOK,
         1},
        {"ProgramMatchLost", {0, 10, 60}, 296, "Bob", "after 0 key press Escape\n", IDCANCEL, 0},
    };
    const std::filesystem::path frames(VORN_TEST_OUTPUT_DIR);
    std::filesystem::create_directories(frames);
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        const auto png = [&](const char* szPart) { return (frames / (c.szName + std::string(szPart))).string(); };
        CProgramRun run(VORN_GAME_DIR "/Vorn", VORN_GAME_DIR);
        WritePyramidMatchBall(run.Program() / "Saved" / "lastgame", c.game);
        const std::string strIni = (run.Program() / "Vorn.ini").string();
        // The last game resumed in a one-game match.
        for (const auto& [szKey, szValue] : {std::pair{"GameType", "33"}, std::pair{"Games Goal", "1"},
                                             std::pair{"AI Default Level", "3"}, std::pair{"OverHead View", "0"}})
            WritePrivateProfileString("Settings", szKey, szValue, strIni.c_str());
        // Two seconds after the last shot the result, closed with Escape, then the match won, then
        // the new-game question, closed with Escape.
        ASSERT_EQ(0, run.Run("boxes shown\nseen Game: resumed\ndialog +1 png " + png("Result.png") +
                             "\nafter 0 key press Escape\ndialog +1 mouse move " + strOk + "after 300 png " +
                             png(".png") + "\n" + c.strMatchWon + "dialog +1 png " + png("Question.png") +
                             "\nafter 0 key press Escape\nseen Dialog 299: ended with 2\n" + CLOSE))
            << run.Log();
        const std::string strLog = run.Log();
        EXPECT_TRUE(HasLinesInOrder(strLog, {"Game: resumed", "Game: shot 1 struck by Bob",
                                             "Dialog " + std::to_string(c.nResultTemplate) + ": ended with 2",
                                             "Game: " + std::string(c.szWinner) + " has won the match",
                                             "Dialog 585: ended with " + std::to_string(c.nMatchWonResult),
                                             "Game: the match has ended", "Dialog 299: ended with 2"}))
            << strLog;
        EXPECT_EQ(c.nTrophy, static_cast<int>(GetPrivateProfileInt("Settings", "Trophy4", -1, strIni.c_str())));
        for (const char* szPart : {"Result.png", ".png", "Question.png"})
        {
            EXPECT_TRUE(std::filesystem::is_regular_file(png(szPart))) << szPart;
        }
    }
}
} // namespace

TEST(ProgramDialogsTest, ClosingTheWindowAtTheNewGameQuestionClosesTheQuestionAndTheProgramEndsSoundly)
{
    // The window that the match's end question holds takes no close: the question does, declined as
    // by Escape, and the game goes on until the window is closed again and the quit agreed to.
    CProgramRun run(VORN_GAME_DIR "/Vorn", VORN_GAME_DIR);
    WritePyramidMatchBall(run.Program() / "Saved" / "lastgame", {0, 10, 60});
    const std::string strIni = (run.Program() / "Vorn.ini").string();
    for (const auto& [szKey, szValue] : {std::pair{"GameType", "33"}, std::pair{"Games Goal", "1"},
                                         std::pair{"AI Default Level", "3"}, std::pair{"OverHead View", "0"}})
        WritePrivateProfileString("Settings", szKey, szValue, strIni.c_str());
    // The result and the match lost closed with Escape, then the window closed at the question.
    ASSERT_EQ(0, run.Run("boxes shown\nseen Game: resumed\ndialog +1 key press Escape\ndialog +1 key press "
                         "Escape\ndialog +1 close\nseen Dialog 299: ended with 2\n" +
                         std::string(CLOSE)))
        << run.Log();
    const std::string strLog = run.Log();
    EXPECT_TRUE(HasLinesInOrder(strLog, {"Game: the match has ended", "Dialog 299: ended with 2"})) << strLog;
    EXPECT_EQ(std::string::npos, strLog.find("ERROR: AddressSanitizer")) << strLog;
    // The settings were saved whole at the end, with the resumed game's pyramid.
    EXPECT_EQ(GAME_PYRAMID, static_cast<int>(GetPrivateProfileInt("Settings", "GameType", -1, strIni.c_str())));
    EXPECT_EQ(1, static_cast<int>(GetPrivateProfileInt("Settings", "Games Goal", -1, strIni.c_str())));
    EXPECT_EQ(0, static_cast<int>(GetPrivateProfileInt("Settings", "Trophy4", -1, strIni.c_str())));
}

TEST(ProgramDialogsTest, ClosingTheWindowAsksInTheGamesSkinOverThePausedGameAndDeclinedPlaysOn)
{
    // The window closed at rest: the are-you-sure question over the game, paused behind it. Escape
    // declines and the game plays on; closed again, Enter agrees and the program ends.
    const std::filesystem::path frames(VORN_TEST_OUTPUT_DIR);
    std::filesystem::create_directories(frames);
    const std::string strPng = (frames / "ProgramCloseQuestion.png").string();
    std::filesystem::remove(strPng);
    CProgramRun run(VORN_GAME_DIR "/Vorn", VORN_GAME_DIR);
    const std::string strScript = "boxes shown\n" + std::string(AT_REST) + "after 0 close\ndialog +1 png " + strPng +
                                  "\nafter 0 key press Escape\n"
                                  "seen Dialog 299: ended with 2\n" +
                                  CLOSE;
    ASSERT_EQ(0, run.Run(strScript)) << run.Log();
    EXPECT_TRUE(HasLinesInOrder(run.Log(), {"Do you really want to quit?", "Dialog 299: ended with 2",
                                            "Do you really want to quit?", "Dialog 299: ended with 1"}))
        << run.Log();
    EXPECT_TRUE(std::filesystem::is_regular_file(strPng));
}
