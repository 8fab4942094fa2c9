// The real program on its own libraries, paused so that its panel handler hands the mouse to the
// widgets, clicked through the input script: the english point, the lamps, the menu button and its
// first and last rows, the top panel and the mouse area post their panel commands once a press,
// however many frames the button is held, and the menu's exit row ends the game through its
// question.
#include "fixtures/ProgramRun.h"
#include "tests/assets/GameFiles.h"

#include "platform/win32/Profile.h"
#include "ui/ControlBar.h"

#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <utility>
#include <vector>

namespace
{
using SCommand = std::pair<int, long>;

long Packed(LONG x, LONG y) { return static_cast<long>(static_cast<WORD>(x) | static_cast<DWORD>(y) << 16); }

/// The panel commands the widgets posted, in order, from the debug log; a command repeated with
/// the same value while its button is held (the english point every fifth frame, the right press
/// until the frame takes it as a drag) counts once.
std::vector<SCommand> PostedCommands(const std::string& strLog)
{
    std::vector<SCommand> commands;
    static const std::regex s_line("Widgets: panel command (\\d+), (-?\\d+)");
    bool bRepeatedX = false; // the english point's x came again with the value it had
    for (auto it = std::sregex_iterator(strLog.begin(), strLog.end(), s_line); it != std::sregex_iterator(); ++it)
    {
        const SCommand command{std::stoi((*it)[1]), std::stol((*it)[2])};
        const std::size_t n = commands.size();
        const SCommand last = n >= 1 ? commands[n - 1] : SCommand{0, 0};
        if (command.first == CMD_ENGLISH_X && n >= 2 && last.first == CMD_ENGLISH_Y && commands[n - 2] == command)
            bRepeatedX = true;
        else if (command.first == CMD_ENGLISH_Y && bRepeatedX && last == command)
            bRepeatedX = false;
        else if (!(command.first == 62 && last == command))
            commands.push_back(command);
    }
    return commands;
}

struct SClick
{
    POINT at;     // client coordinates
    bool bRight;  // the right button, else the left
    int nHeldFor; // frames between press and release
};
} // namespace

TEST(GameProgramClicksTest, WidgetsPostTheirCommandsOnceAPressHeldOrNot)
{
    // The bar lies at the bottom centre of the 812 x 570 window; the top panel at its top.
    const LONG bx = (812 - BAR_PICTURE_SIZE.cx) / 2, by = 570 - BAR_PICTURE_SIZE.cy;
    const POINT english{bx + BAR_CUE_BALL_CENTRE.x + 6, by + BAR_CUE_BALL_CENTRE.y - 3};
    const POINT lamp{bx + BAR_LAMP_AT.x + 3, by + BAR_LAMP_AT.y + 18};
    const RECT& button = BAR_ELEMENTS[BAR_ELEMENT_MENU_BUTTON];
    const POINT menu{bx + button.left + 30, by + button.top + 8};
    const RECT& first = BAR_ELEMENTS[BAR_ELEMENT_FIRST_ROW];
    const RECT& last = BAR_ELEMENTS[BAR_ELEMENT_COUNT - 1];
    const POINT firstRow{bx + first.left + 40, by + first.top + 16};
    const POINT exitRow{bx + last.left + 40, by + last.top + 6}; // above the menu button's top
    const POINT top{406, 15}, area{100, 100};
    const SClick clicks[] = {{english, false, 12}, {lamp, false, 8}, {menu, false, 8}, {firstRow, false, 4},
                             {top, false, 12},     {area, true, 4},  {menu, false, 4}, {exitRow, false, 4}};
    // Space pauses the game: the waiting game's handler gives the mouse to the widgets. Each click
    // comes ten frames after the move that brings the cursor there, so that each reading holds one
    // even when a loaded machine shows frames late.
    std::string strScript = "frame 8 key press Space\n";
    int nFrame = 14;
    for (const SClick& c : clicks)
    {
        const std::string strAt = std::to_string(c.at.x) + " " + std::to_string(c.at.y);
        const std::string strButton = c.bRight ? "right " : "left ";
        strScript += "frame " + std::to_string(nFrame) + " mouse move " + strAt + "\n";
        strScript += "frame " + std::to_string(nFrame + 10) + " mouse down " + strButton + strAt + "\n";
        nFrame += 10 + c.nHeldFor;
        strScript += "frame " + std::to_string(nFrame) + " mouse up " + strButton + strAt + "\n";
        nFrame += 4;
    }
    // The exit row's question, centred over the window: its Yes ends the program.
    strScript += "dialog +1 mouse down left 337 349\ndialog +0 mouse up left 337 349\n";
    CProgramRun run(GamePath("Vorn"), VORN_GAME_DIR);
    // The intro over in a few frames: no blink and no fade.
    const std::string strIni = (run.Program() / "Vorn.ini").string();
    WritePrivateProfileString("Intro", "Blink lamp", "", strIni.c_str());
    WritePrivateProfileString("Intro", "Increase time", "0", strIni.c_str());
    WritePrivateProfileString("Settings", "FullScreen", "0", strIni.c_str()); // the 812 x 570 window
    ASSERT_EQ(0, run.Run(strScript)) << run.Log();

    const auto at = [](POINT pt) { return Packed(pt.x, pt.y); };
    const std::vector<SCommand> expected = {
        {65, at(english)},    {CMD_ENGLISH_X, 6},
        {CMD_ENGLISH_Y, -3},  {66, at(english)}, // the english point
        {65, at(lamp)},       {66, at(lamp)},
        {CMD_LAMPS, 0}, // a lamp, on release
        {65, at(menu)},       {66, at(menu)},
        {CMD_MENU_OPENED, 0},                     // the menu opens
        {65, at(firstRow)},   {66, at(firstRow)}, // row 1 only closes it
        {65, at(top)},        {59, 0},
        {66, at(top)},                        // the top panel, on press
        {62, at(area)},       {63, at(area)}, // the right button
        {65, at(menu)},       {66, at(menu)},
        {CMD_MENU_OPENED, 0}, //
        {65, at(exitRow)},    {66, at(exitRow)},
        {CMD_MENU_EXIT, 0}, // the exit row
    };
    EXPECT_EQ(expected, PostedCommands(run.Log())) << run.Log();
}
