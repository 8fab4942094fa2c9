// The game window's menu bar in the real program with its own libraries, as a player uses it: the
// menu opened by a press on the bar, by Alt and by F10, each command chosen by a click or by its
// underlined letter, and the command reaching its handler (the log names it) and doing what it
// does: the dialog it opens, the setting it switches, the turn it passes, the flight it starts. The
// input script writes the window with the menu open as PNG: each way of opening it, the switches'
// checks, the menu over a full-screen game.
#include "tests/app/LinesInOrder.h"
#include "tests/app/TestProgramRun.h"

#include "foundation/PngLoader.h"
#include "platform/win32/MenuBar.h"
#include "platform/win32/Profile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace
{
enum class EOpen
{
    Press, // a press on the bar item
    Alt,   // Alt let go alone, then Right to the item and Down
    F10
};

struct SMenuRow
{
    const char* szName;
    EOpen eOpen;
    int nBar;                         // the bar item: 0 Game, 1 View, 2 Options, 3 Help
    UINT nId;                         // the command
    char cLetter;                     // chosen by its letter; 0: by a click
    int nDialog;                      // the template of the dialog it opens, which Escape closes; 0 for none
    std::string strThen;              // what the script does once the command has run
    std::vector<std::string> aLogged; // lines the log holds after the command's (before its dialog's end)
    const char* szPng = nullptr;      // the window written with the menu open
    std::string strBefore = {};       // what the script does before it opens the menu
};

std::string Png(const char* szName)
{
    const std::filesystem::path frames(VORN_TEST_OUTPUT_DIR);
    std::filesystem::create_directories(frames);
    return (frames / szName).string();
}

/// The log's line once the table is at rest, for the script to wait on.
constexpr char AT_REST[] = "seen Game: at rest, it can be saved or loaded\n";

/// The ball in hand set down in the middle of the table: the player aims.
std::string SetDownTheBall()
{
    return std::string("frame +3 mouse down left 400 300\nafter 0 mouse up left 400 300\n") + AT_REST;
}

/// The width and height a PNG file's header gives.
SIZE PngSize(const std::string& strPath)
{
    std::ifstream in(strPath, std::ios::binary);
    unsigned char header[24] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    const auto word = [&](int n)
    { return static_cast<LONG>(header[n] << 24 | header[n + 1] << 16 | header[n + 2] << 8 | header[n + 3]); };
    return SIZE{word(16), word(20)};
}

std::string OpenMenu(const SMenuRow& row)
{
    if (row.eOpen == EOpen::Press)
    {
        const std::string strAt = " in menu @Menu bar item " + std::to_string(row.nBar) + " at\n";
        return "after 0 mouse move" + strAt + "after 0 mouse down left" + strAt + "after 0 mouse up left" + strAt;
    }
    std::string strKeys = row.eOpen == EOpen::Alt ? "after 0 key press Left Alt\n" : "after 0 key press F10\n";
    strKeys += "seen Menu: opened\n";
    for (int i = 0; i < row.nBar; ++i)
        strKeys += "after 0 key press Right\n";
    return strKeys + "after 0 key press Down\n";
}

std::string ChooseCommand(const SMenuRow& row)
{
    if (row.cLetter != 0)
        return "after 0 key press " + std::string(1, row.cLetter) + "\n";
    const std::string strAt = " @Menu item " + std::to_string(row.nId) + " at\n";
    return "after 0 mouse move" + strAt + "after 0 mouse down left" + strAt + "after 0 mouse up left" + strAt;
}

/// The rows one after another once the table is at rest, then the window closed and its question
/// agreed to.
std::string MenuScript(const std::vector<SMenuRow>& aRows)
{
    std::string strScript = std::string("boxes shown\n") + AT_REST;
    for (const SMenuRow& row : aRows)
    {
        strScript += row.strBefore + OpenMenu(row) + "seen Menu item " + std::to_string(row.nId) + " at\n";
        if (row.szPng != nullptr)
            strScript += "after 0 png " + Png(row.szPng) + "\n";
        strScript += ChooseCommand(row);
        // A dialog opens after the choice's last entry ran: counted from there, whenever the log
        // names the command.
        if (row.nDialog != 0)
            strScript += "dialog +1 key press Escape\nseen Dialog " + std::to_string(row.nDialog) + ": ended with 2\n";
        else
            strScript += "seen Command " + std::to_string(row.nId) + "\n";
        strScript += row.strThen;
    }
    return strScript + "after 0 close\ndialog +1 key press Return\n";
}

class ProgramMenuTest : public ::testing::Test
{
protected:
    ProgramMenuTest() : m_run(VORN_GAME_DIR "/Vorn", VORN_GAME_DIR)
    {
        // The intro is over in a few frames: no blink and no fade.
        WritePrivateProfileString("Intro", "Blink lamp", "", Ini().c_str());
        WritePrivateProfileString("Intro", "Increase time", "0", Ini().c_str());
        // In a window, where the bar is in view and a press opens it; one row goes full screen.
        Set("FullScreen", "0");
    }
    std::string Ini() const { return (m_run.Program() / "Vorn.ini").string(); }
    void Set(const char* szKey, const char* szValue) const
    {
        WritePrivateProfileString("Settings", szKey, szValue, Ini().c_str());
    }
    int Get(const char* szKey) const
    {
        return static_cast<int>(GetPrivateProfileInt("Settings", szKey, -1, Ini().c_str()));
    }

    /// Runs the rows and checks that each command ran, after it the lines its row names.
    void RunRows(const std::vector<SMenuRow>& aRows, const std::vector<std::string>& aArgs = {})
    {
        ASSERT_EQ(0, m_run.Run(MenuScript(aRows), aArgs)) << m_run.Log();
        const std::string strLog = m_run.Log();
        for (const SMenuRow& row : aRows)
        {
            SCOPED_TRACE(row.szName);
            std::vector<std::string> aLines{"Menu: chose " + std::to_string(row.nId),
                                            "Command " + std::to_string(row.nId) + "\n"};
            aLines.insert(aLines.end(), row.aLogged.begin(), row.aLogged.end());
            if (row.nDialog != 0)
                aLines.push_back("Dialog " + std::to_string(row.nDialog) + ": ended with 2");
            EXPECT_TRUE(HasLinesInOrder(strLog, aLines)) << strLog;
            if (row.szPng != nullptr)
            {
                // A windowed game's picture holds the bar's band above the window's 812 by 570.
                const SIZE size = PngSize(Png(row.szPng));
                if (std::string(row.szPng) != "ProgramMenuFullScreen.png")
                {
                    EXPECT_EQ(812, size.cx);
                    EXPECT_EQ(570 + MENU_BAR_HEIGHT, size.cy);
                }
            }
        }
    }

    CTestProgramRun m_run;
};

TEST_F(ProgramMenuTest, EachDialogOfTheMenuOpensOverTheGameAndClosesWithEscape)
{
    const std::vector<SMenuRow> aRows = {
        {"New game by Alt and its letter", EOpen::Alt, 0, 32180, 'N', 299, "", {}, "ProgramMenuOpenedByAlt.png"},
        {"Save game by a press and a click", EOpen::Press, 0, 57603, 0, 580, "", {}, "ProgramMenuOpenedByAPress.png"},
        {"Load game by F10 and its letter", EOpen::F10, 0, 57601, 'L', 580, "", {}, "ProgramMenuOpenedByF10.png"},
        {"Statistics", EOpen::Press, 0, 32192, 'A', 582, "", {}},
        {"Exit", EOpen::Alt, 0, 32161, 0, 299, "", {}},
        {"Set-up", EOpen::F10, 2, 32138, 'S', 231, "", {}},
        {"Physics", EOpen::Press, 2, 32148, 0, 150, "", {}},
        // Then, without the teacher option, the tutorial's item is greyed: its letter lights it and
        // Enter chooses nothing.
        {"Rules",
         EOpen::Alt,
         3,
         32073,
         'R',
         299,
         "after 0 key press F10\nseen Menu: opened\nafter 0 key press Down\nafter 0 key press U\n"
         "after 0 key press Return\nafter 0 key press Escape\nafter 0 key press Escape\nseen Menu: closed\n",
         {"Rules asked for"}},
    };
    RunRows(aRows);
    EXPECT_EQ(std::string::npos, m_run.Log().find("Command 32179")) << m_run.Log();
}

TEST_F(ProgramMenuTest, TheSwitchesOfTheMenuChangeTheirSettingsAndShowTheirChecks)
{
    Set("HeadLine", "0");
    Set("BallPath1", "1");
    Set("ShortPath1", "0");
    Set("Music Volume", "40000");
    Set("Music enable", "1");
    // The aiming aid's switch is greyed while the ball is in hand: the ball is set down first.
    const std::string strSetDown = SetDownTheBall();
    const std::vector<SMenuRow> aRows = {
        {"Head line", EOpen::Alt, 1, 32156, 'H', 0, "", {}, "ProgramMenuSwitches.png"},
        {"Ball path", EOpen::Press, 1, 32155, 0, 0, "", {}, nullptr, strSetDown},
        {"Short path", EOpen::F10, 1, 32171, 'S', 0, "", {}},
        {"Reset camera", EOpen::Press, 1, 32177, 'R', 0, "", {}},
        {"Turn flight", EOpen::Alt, 1, 32118, 0, 0, "", {}},
        {"Music", EOpen::Press, 2, 32091, 'M', 0, "", {}},
        {"Faster", EOpen::Alt, 2, 32159, 0, 0, "", {}},
        {"Slower", EOpen::F10, 2, 32160, 'L', 0, "", {}},
    };
    RunRows(aRows);
    EXPECT_EQ(1, Get("HeadLine"));
    EXPECT_EQ(0, Get("BallPath1"));
    EXPECT_EQ(1, Get("ShortPath1"));
    EXPECT_EQ(0, Get("Music enable"));
}

/// The pixels of the frame-rate counter's yellow in a written window's top rows.
int RateInkIn(const std::string& strPng)
{
    std::vector<DWORD> aPixels;
    UINT nWidth = 0, nHeight = 0;
    BYTE bAlpha = 0;
    if (!LoadPngImage(strPng.c_str(), 0, aPixels, nWidth, nHeight, bAlpha))
        return -1;
    constexpr UINT TOP_ROWS = 80;
    int nInk = 0;
    for (UINT i = 0; i < std::min(nHeight, TOP_ROWS) * nWidth; ++i)
    {
        const DWORD rgba = aPixels[i];
        nInk += (rgba >> 24 & 0xFF) > 240 && (rgba >> 16 & 0xFF) > 240 && (rgba >> 8 & 0xFF) < 16 ? 1 : 0;
    }
    return nInk;
}

TEST_F(ProgramMenuTest, TheFrameRateOfTheViewMenuShowsTheCounterAtTheTopUntilChosenAgain)
{
    const std::string strShown = Png("ProgramMenuFrameRate.png"), strGone = Png("ProgramMenuFrameRateGone.png");
    const std::vector<SMenuRow> aRows = {
        {"Frame rate on", EOpen::Alt, 1, 32176, 'M', 0, "frame +3 png " + strShown + "\n", {}},
        {"Frame rate off", EOpen::Press, 1, 32176, 0, 0, "frame +3 png " + strGone + "\n", {}},
    };
    RunRows(aRows);
    EXPECT_GT(RateInkIn(strShown), 20) << strShown;
    EXPECT_EQ(0, RateInkIn(strGone)) << strGone;
}

TEST_F(ProgramMenuTest, TheGameCommandsOfTheMenuPassTheTurnRackAgainFlyAndGoFullScreen)
{
    // Two people at the machine: the turn passes from whoever breaks to the other.
    Set("Player1", "Ann");
    Set("Player2", "Bob");
    Set("Competition Type", "1");
    Set("Player level 2", "0");
    Set("OverHead View", "0");
    const std::string strAtRest = AT_REST;
    // The ball in hand set down: the player aims, and may ask for the recommended shot.
    const std::string strSetDown = SetDownTheBall();
    const std::vector<SMenuRow> aRows = {
        {"Recommended shot", EOpen::Alt, 0, 32164, 'H', 0, strAtRest, {"Game: at rest"}, nullptr, strSetDown},
        {"Pass turn", EOpen::Alt, 0, 32165, 'P', 0, "", {" to play"}},
        {"Replay", EOpen::Press, 0, 32157, 'Y', 0, "", {}},
        {"Stop", EOpen::F10, 0, 32134, 0, 0, "", {}},
        {"New rack", EOpen::Press, 0, 57600, 0, 0, "", {}},
        // The rack presented by a tour round the table, into the turn.
        {"Restart rack", EOpen::F10, 0, 32151, 'K', 0, strAtRest, {"Game: at rest"}},
        {"Overhead view", EOpen::Alt, 1, 32154, 'O', 0, "", {}},
        {"Full screen", EOpen::Press, 1, 32072, 0, 0, "", {}},
        // Full screen, the bar shows over the game's top rows while the menu is open.
        {"Set-up in full screen", EOpen::F10, 2, 32138, 'S', 231, "", {}, "ProgramMenuFullScreen.png"},
    };
    RunRows(aRows);
    const std::string strLog = m_run.Log();
    const bool bAnnBreaks = strLog.find("Ann breaks") != std::string::npos;
    EXPECT_TRUE(HasLinesInOrder(strLog, {"Command 32165\n", bAnnBreaks ? "Game: Bob to play" : "Game: Ann to play"}))
        << strLog;
    EXPECT_EQ(1, Get("OverHead View"));
    // The window took the whole screen, with the bar over its top rows while the menu is open.
    const SIZE full = PngSize(Png("ProgramMenuFullScreen.png"));
    EXPECT_GT(full.cx, 812);
    EXPECT_GT(full.cy, 570 + MENU_BAR_HEIGHT);
}
TEST_F(ProgramMenuTest, InStraightPoolTheMenuCallsTheShot)
{
    Set("GameType", "15");
    Set("Competition Type", "0");
    // Once the call begins, the balls that can be called are named.
    const std::string strSetDown = SetDownTheBall();
    RunRows({{"Call the shot",
              EOpen::F10,
              0,
              32167,
              'C',
              0,
              "",
              {"Call: ball "},
              "ProgramMenuCallTheShot.png",
              strSetDown}});
}

TEST_F(ProgramMenuTest, TheTutorialChooserListsTheLessonsAndOpensTheSecondByKeysAndByADoubleClick)
{
    const std::filesystem::path tutorial = m_run.Program() / "Tutorial";
    std::filesystem::create_directories(tutorial);
    for (const char* szName : {"Safety.ttr", "Break.ttr", "Cut shots.ttr", "Notes.txt"})
        std::ofstream(tutorial / szName) << "lesson\n";
    const std::string strOpen = "after 0 key press F10\n"
                                "seen Menu: opened\nafter 0 key press Down\nafter 0 key press U\n"
                                "seen File chooser: Safety.ttr at\n";
    const std::string strAt = " in dialog @File chooser: Cut shots.ttr at\n";
    const std::string strClick = "after 0 mouse down left" + strAt + "after 0 mouse up left" + strAt;
    // Tab from the name line to the list, Down to its first row and its second, Enter; then the
    // second row clicked twice.
    const std::string strScript =
        std::string("boxes shown\n") + AT_REST + strOpen + "after 0 png " + Png("ProgramTutorialChooser.png") +
        "\nafter 0 key press Tab\nafter 0 key press Down\nafter 0 key press Down\n"
        "seen File chooser: Cut shots.ttr selected\nafter 0 png " +
        Png("ProgramTutorialChooserSecondChosen.png") + "\nafter 0 key press Return\nseen Tutorial chosen: \n" +
        strOpen + strClick + strClick + "seen Tutorial chosen: \nafter 0 close\ndialog +1 key press Return\n";
    ASSERT_EQ(0, m_run.Run(strScript, {"-teacher"})) << m_run.Log();
    const std::string strLog = m_run.Log();
    const std::vector<std::string> aListed = {"File chooser: Break.ttr at", "File chooser: Cut shots.ttr at",
                                              "File chooser: Safety.ttr at"};
    std::vector<std::string> aTwice = aListed;
    aTwice.push_back("Tutorial chosen: ");
    aTwice.push_back("Tutorial\\Cut shots.ttr\n");
    aTwice.insert(aTwice.end(), aTwice.begin(), aTwice.end());
    EXPECT_TRUE(HasLinesInOrder(strLog, aTwice)) << strLog;
    // Only the lessons are listed.
    EXPECT_EQ(std::string::npos, strLog.find("File chooser: Notes.txt")) << strLog;
}

} // namespace
