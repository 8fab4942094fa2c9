// The real program on the game's own libraries with two of the tests' rule plug-ins installed in
// its folder: the start screen's "More games" button goes through the plug-ins' games, each shown
// with its picture and name where the game types show theirs; Play then plays the game chosen,
// here the one whose one shot ends the match, to its end. The start screen is written for a
// person to look at.
#include "tests/app/TestProgramRun.h"

#include "foundation/PngLoader.h"
#include "platform/win32/MenuBar.h"
#include "platform/win32/Profile.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
/// A click a little inside the top-left corner of a start screen's control placed at (x, y).
std::string ClickAt(int x, int y)
{
    const std::string strAt = std::to_string(x + 12) + " " + std::to_string(y + 12) + "\n";
    return "after 0 mouse down left " + strAt + "after 0 mouse up left " + strAt;
}

/// Whether the texts occur in the log in this order.
bool InOrder(const std::string& strLog, const std::vector<std::string>& aTexts)
{
    std::size_t nAt = 0;
    for (const std::string& str : aTexts)
    {
        nAt = strLog.find(str, nAt);
        if (nAt == std::string::npos)
            return false;
        nAt += str.size();
    }
    return true;
}

TEST(ProgramPluginMenuTest, AGameOfARulePlugInIsChosenOnTheStartScreenAndPlayedToItsEnd)
{
    CTestProgramRun run(VORN_GAME_DIR "/Vorn", VORN_GAME_DIR);
    run.SetStartScreenAnswer("");
    for (const char* szPlugin : {"TestGame.gam", "TestOneShot.gam"})
        std::filesystem::copy_file(std::string(VORN_TEST_PLUGIN_DIR) + szPlugin, run.Program() / szPlugin);
    const std::string strIni = (run.Program() / "Vorn.ini").string();
    for (const auto& [szKey, szValue] :
         {std::pair{"GameType", "8"}, std::pair{"Competition Type", "1"}, std::pair{"Player level 2", "0"},
          std::pair{"AdvancedLighting", "0"}, std::pair{"AutoPlaceTime", "0"}})
        WritePrivateProfileString("Settings", szKey, szValue, strIni.c_str());
    const std::string strMenu = (run.Root() / "menu.png").string();
    // "More games" twice: the first plug-in's game, then the second's; Play. Then one turn: a
    // click sets the ball in hand down, Enter strikes with the cue at rest or a second click does;
    // the match ends with that shot, its new-game question (the second dialog, however soon it
    // opens) is declined and the window closed.
    const std::string strClick = "frame +3 mouse down left 400 300\nafter 0 mouse up left 400 300\n";
    const std::string strScript =
        "dialog 1 mouse move 100 100\n" + ClickAt(676, 503) + "seen Test Game shown\n" + ClickAt(676, 503) +
        "seen One Shot Test Game shown\nafter 300 png " + strMenu + "\n" + ClickAt(638, 451) + "seen Game: type 45\n" +
        "seen Game: at rest, it can be saved or loaded\n" + strClick +
        "after 3000 mouse move 400 300\nframe +3 key press Return\n" + strClick +
        "seen Game: the match has ended\ndialog 2 key press Escape\n" + "after 1000 close\nanswer ok\n";
    ASSERT_EQ(0, run.Run(strScript)) << run.Log();
    const std::string strLog = run.Log();
    EXPECT_TRUE(
        InOrder(strLog, {"Start screen: the rule plug-in's game Test Game shown",
                         "Start screen: the rule plug-in's game One Shot Test Game shown", "Start screen: ended with 1",
                         "Game: type 45", "Game: shot 1 judged", "Game: the match has ended"}))
        << strLog;
    EXPECT_EQ(std::string::npos, strLog.find("Unhandled")) << strLog;
    EXPECT_EQ(45, static_cast<int>(GetPrivateProfileInt("Settings", "GameType", 0, strIni.c_str())));

    // The picture frame shows the plug-in's own picture: its red corner at the top right.
    std::vector<DWORD> aPixels;
    UINT nWidth = 0, nHeight = 0;
    BYTE bAlpha = 0;
    ASSERT_TRUE(LoadPngImage(strMenu.c_str(), 0, aPixels, nWidth, nHeight, bAlpha));
    // The window's picture holds the menu bar's 20 rows above the client area.
    constexpr UINT CORNER_ROW = MENU_BAR_HEIGHT + 135;
    ASSERT_GT(nHeight, CORNER_ROW);
    const DWORD dwCorner = aPixels[CORNER_ROW * nWidth + 500];
    EXPECT_GT(static_cast<int>(dwCorner >> 24 & 0xFF), 150) << std::hex << dwCorner;
    EXPECT_LT(static_cast<int>(dwCorner >> 16 & 0xFF), 90) << std::hex << dwCorner;
    std::filesystem::create_directories(VORN_TEST_OUTPUT_DIR);
    std::filesystem::copy_file(strMenu, std::filesystem::path(VORN_TEST_OUTPUT_DIR) / "ProgramPluginMenu.png",
                               std::filesystem::copy_options::overwrite_existing);
}
} // namespace
