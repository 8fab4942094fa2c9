// The real program on its own libraries, played through the input script as a person would, its
// frames written as PNG and read back: the pause's panels over the table, the overhead view's
// panel a person aims from, the control bar following the cue (the power drawn back, the english
// set in the english mode, the computer's skill plate) and the bar worked with the mouse while
// Tab is held.
#include "fixtures/ProgramRun.h"
#include "tests/assets/PanelPicture.h"

#include "platform/win32/Profile.h"
#include "ui/PanelPictures.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace
{
/// Where the frames are written for a person to look at.
std::string FramePath(const std::string& strName)
{
    const std::filesystem::path dir = VORN_TEST_OUTPUT_DIR;
    std::filesystem::create_directories(dir);
    const std::filesystem::path file = dir / strName;
    std::filesystem::remove(file);
    return file.string();
}

/// The game at rest after its intro (which the settings keep short); a person's first turn has
/// the cue ball in hand.
const std::string AT_REST = "seen Game: at rest, it can be saved or loaded\n";
/// The ball in hand set down where it lies: the game comes to rest again in the aim.
const std::string BALL_SET_DOWN =
    AT_REST + "frame +5 mouse down left 400 300\nframe +2 mouse up left 400 300\n" + AT_REST;

/// Runs the program with the settings given ("key=value" of the "Settings" section) and the
/// script, which ends by closing the window; the debug log, after the test checked the status.
std::string RunGame(const std::vector<std::pair<const char*, const char*>>& settings, const std::string& strScript)
{
    CProgramRun run(GamePath("Vorn"), VORN_GAME_DIR);
    const std::string strIni = (run.Program() / "Vorn.ini").string();
    WritePrivateProfileString("Intro", "Blink lamp", "", strIni.c_str());
    WritePrivateProfileString("Intro", "Increase time", "0", strIni.c_str());
    // The scripts click at the places of an 812 by 570 window.
    WritePrivateProfileString("Settings", "FullScreen", "0", strIni.c_str());
    for (const auto& [szKey, szValue] : settings)
        WritePrivateProfileString("Settings", szKey, szValue, strIni.c_str());
    EXPECT_EQ(0, run.Run(strScript + "frame +1 close\nanswer ok\n")) << run.Log();
    return run.Log();
}

CShownFrame LoadFrame(const std::string& strPng)
{
    CShownFrame frame;
    EXPECT_TRUE(frame.Load(strPng)) << strPng;
    return frame;
}

/// The paused picture, centred in the view.
double ShowsPausedPicture(const CShownFrame& frame, const SPicture& paused)
{
    return frame.Shows(paused, (static_cast<LONG>(frame.Width()) - static_cast<LONG>(paused.nWidth)) / 2,
                       frame.ViewTop() + (frame.ViewHeight() - static_cast<LONG>(paused.nHeight)) / 2);
}

/// The menu panel, at the bottom centre of the view over the bar.
double ShowsMenuPanel(const CShownFrame& frame, const SPicture& panel)
{
    return frame.Shows(panel, (static_cast<LONG>(frame.Width()) - static_cast<LONG>(panel.nWidth)) / 2,
                       frame.ViewTop() + frame.ViewHeight() - static_cast<LONG>(panel.nHeight));
}

/// The share of the power bar the frame shows filled.
double PowerShown(const CShownFrame& frame, const SPicture& fill)
{
    const LONG y = BAR_POWER_HEIGHT / 2;
    int nFilled = 0;
    for (LONG x = 0; x < BAR_POWER_WIDTH; ++x)
        nFilled += Near(frame.OnBar(BAR_POWER_AT.x + x, BAR_POWER_AT.y + y), fill.At(x, y), 16) ? 1 : 0;
    return static_cast<double>(nFilled) / BAR_POWER_WIDTH;
}

/// The english marker's red middle on the bar's cue ball, relative to the ball's centre.
POINT EnglishMarker(const CShownFrame& frame)
{
    constexpr DWORD MARKER_RED = 0xE83030;
    LONG nSumX = 0, nSumY = 0, nCount = 0;
    for (LONG dy = -20; dy <= 20; ++dy)
        for (LONG dx = -20; dx <= 20; ++dx)
            if (Near(frame.OnBar(BAR_CUE_BALL_CENTRE.x + dx, BAR_CUE_BALL_CENTRE.y + dy), MARKER_RED, 40))
            {
                nSumX += dx;
                nSumY += dy;
                ++nCount;
            }
    EXPECT_GT(nCount, 0) << "the marker shows";
    return nCount > 0 ? POINT{nSumX / nCount, nSumY / nCount} : POINT{1000, 1000};
}
} // namespace

// Space pauses: the paused picture stands in the middle of the view over the table, and the strip
// of the game's keys just above the bar; a click on the paused picture plays on.
TEST(GameProgramPanelsTest, SpaceShowsThePausedPictureAndTheKeysOverTheTableAndAClickOnItPlaysOn)
{
    const std::string strPlaying = FramePath("ProgramPlaying.png"), strPaused = FramePath("ProgramPaused.png");
    const std::string strPlaysOn = FramePath("ProgramPlaysOn.png");
    // The paused picture's middle: 812 by 570, the picture centred.
    const std::string strScript = BALL_SET_DOWN + "frame +5 png " + strPlaying + "\nframe +1 key press Space\n" +
                                  "frame +10 png " + strPaused + "\nframe +1 mouse move 406 285\n" +
                                  "frame +5 mouse down left 406 285\nframe +3 mouse up left 406 285\n" +
                                  "frame +10 png " + strPlaysOn + "\n";
    const std::string strLog = RunGame({}, strScript);
    EXPECT_NE(strLog.find("Widgets: panel command 60, 0"), std::string::npos) << strLog;

    const SPicture paused = LoadPanelPicture(PAUSED_PANEL_PICTURES[0]);
    const SPicture panel = LoadPanelPicture(MAIN_PANEL_PICTURES[0]);
    ASSERT_FALSE(paused.rgb.empty());
    ASSERT_FALSE(panel.rgb.empty());
    const CShownFrame frame = LoadFrame(strPaused);
    EXPECT_GT(ShowsPausedPicture(frame, paused), 0.95);
    EXPECT_GT(ShowsMenuPanel(frame, panel), 0.95);
    for (const std::string& strPng : {strPlaying, strPlaysOn})
    {
        SCOPED_TRACE(strPng);
        const CShownFrame playing = LoadFrame(strPng);
        EXPECT_LT(ShowsPausedPicture(playing, paused), 0.3);
        EXPECT_LT(ShowsMenuPanel(playing, panel), 0.3);
    }
    // The keys' strip leaves the bar as it is: its menu button still shows.
    EXPECT_GT(frame.ShowsOnBar(LoadPanelPicture(BarItem(BAR_MENU_NORMAL)), BAR_ELEMENTS[BAR_ELEMENT_MENU_BUTTON].left,
                               BAR_ELEMENTS[BAR_ELEMENT_MENU_BUTTON].top),
              0.9);
}

// In the overhead view a person aims from its panel, which comes each time the aim does: the keys'
// strip shows while the person aims, the paused picture only while the shot struck from it rolls.
TEST(GameProgramPanelsTest, TheOverheadViewsPanelStaysWhileAPersonAimsAndSaysPausedOnlyWhileTheShotRolls)
{
    const std::string strAiming = FramePath("ProgramOverheadAiming.png");
    const std::string strRolling = FramePath("ProgramOverheadRolling.png");
    const std::string strNext = FramePath("ProgramOverheadNextAim.png");
    // The ball in hand set down, the person aims at once: no flight comes between.
    const std::string strOpened = "seen Panels: the pause panel shown\n";
    const std::string strScript =
        AT_REST + "frame +5 mouse down left 400 300\nframe +2 mouse up left 400 300\n" + strOpened + "frame +5 png " +
        strAiming + "\nframe +1 key down Up\nframe +40 key up Up\nframe +3 key press Return\n" + "frame +4 png " +
        strRolling + "\nseen judged\n" + strOpened + "frame +5 png " + strNext + "\n";
    const std::string strLog = RunGame({{"OverHead View", "1"}}, strScript);
    EXPECT_NE(strLog.find("Game: Player 1 strikes at "), std::string::npos) << strLog;

    const SPicture paused = LoadPanelPicture(PAUSED_PANEL_PICTURES[0]);
    const SPicture panel = LoadPanelPicture(MAIN_PANEL_PICTURES[0]);
    const struct
    {
        const std::string& strPng;
        bool bPaused;
    } aCases[] = {{strAiming, false}, {strRolling, true}, {strNext, false}};
    for (const auto& c : aCases)
    {
        SCOPED_TRACE(c.strPng);
        const CShownFrame frame = LoadFrame(c.strPng);
        EXPECT_GT(ShowsMenuPanel(frame, panel), 0.9);
        EXPECT_EQ(c.bPaused, ShowsPausedPicture(frame, paused) > 0.9);
    }
}

// The power bar shows how far the cue is drawn back: nothing with the cue let forward to its
// least, half of it halfway, all of it at the end of the swing.
TEST(GameProgramPanelsTest, ThePowerBarFillsAsTheCueIsDrawnBack)
{
    const std::string strEmpty = FramePath("ProgramPower0.png"), strHalf = FramePath("ProgramPower50.png");
    const std::string strFull = FramePath("ProgramPower100.png");
    // Up draws the cue back by half a scene unit each frame from its least, one ball radius; the
    // scene's cue strokes 25 radii, so 12 frames bring it about halfway.
    const std::string strScript = BALL_SET_DOWN + "frame +5 key down Down\nframe +30 key up Down\nframe +5 png " +
                                  strEmpty + "\nframe +1 key down Up\nframe +12 key up Up\nframe +5 png " + strHalf +
                                  "\nframe +1 key down Up\nframe +40 key up Up\nframe +5 png " + strFull + "\n";
    RunGame({}, strScript);

    const SPicture fill = LoadPanelPicture(BarItem(BAR_POWER));
    ASSERT_FALSE(fill.rgb.empty());
    EXPECT_LT(PowerShown(LoadFrame(strEmpty), fill), 0.03);
    EXPECT_NEAR(PowerShown(LoadFrame(strHalf), fill), 0.5, 0.1);
    EXPECT_GT(PowerShown(LoadFrame(strFull), fill), 0.97);
}

// E takes the mouse to the cue tip on the ball: the bar's marker leaves the middle of its cue ball
// the way the mouse went, and stays there once E gives the mouse back to the aim.
TEST(GameProgramPanelsTest, TheEnglishMarkerFollowsTheCueTipSetInTheEnglishMode)
{
    const std::string strBefore = FramePath("ProgramEnglishCentre.png");
    const std::string strAfter = FramePath("ProgramEnglishSet.png");
    const std::string strScript = BALL_SET_DOWN + "frame +5 png " + strBefore +
                                  "\nframe +1 key press E\nframe +5 mouse move 500 300\nframe +3 mouse move 600 300\n"
                                  "frame +3 key press E\nframe +5 png " +
                                  strAfter + "\n";
    RunGame({}, strScript);

    const POINT centre = EnglishMarker(LoadFrame(strBefore));
    EXPECT_LE(std::abs(centre.x), 1);
    EXPECT_LE(std::abs(centre.y), 1);
    const POINT set = EnglishMarker(LoadFrame(strAfter));
    EXPECT_GE(set.x, 4) << "to the right, as the mouse went";
    EXPECT_LE(set.x, static_cast<LONG>(BAR_ENGLISH_RADIUS));
    EXPECT_LE(std::abs(set.y), 1);
}

// A computer of level 7 is a shark: the plate beside the lamps says so (its level's name, not the
// middle plate).
TEST(GameProgramPanelsTest, AComputerOfLevelSevenShowsTheSharkPlate)
{
    const std::string strPng = FramePath("ProgramSkillPlate7.png");
    const std::string strLog = RunGame({{"Competition Type", "1"}, {"Player level 2", "1"}, {"AI Default Level", "7"}},
                                       AT_REST + "frame +5 png " + strPng + "\n");
    EXPECT_NE(strLog.find("against Shark"), std::string::npos) << strLog;

    const CShownFrame frame = LoadFrame(strPng);
    const SPicture shark = LoadPanelPicture(BarItem(BAR_NAME_SHARK));
    ASSERT_FALSE(shark.rgb.empty());
    EXPECT_GT(frame.ShowsOnBar(shark, BAR_NAME_AT.x, BAR_NAME_AT.y), 0.95);
    for (const EBarItem eOther : {BAR_NAME_SCHMOE, BAR_NAME_SCRUB})
        EXPECT_GT(frame.ShowsRatherOnBar(shark, LoadPanelPicture(BarItem(eOther)), BAR_NAME_AT.x, BAR_NAME_AT.y), 0.9)
            << BarItem(eOther);
}

// While Tab is held the mouse works the bar: the menu button lights under the cursor, a click
// opens the menu with the row under the cursor lit, and letting Tab go closes it, for the mouse
// aims again.
TEST(GameProgramPanelsTest, HoldingTabTheMenuButtonLightsUnderTheCursorAndAClickOpensTheMenu)
{
    const std::string strHovered = FramePath("ProgramTabHovered.png");
    const std::string strOpened = FramePath("ProgramTabMenuOpen.png");
    const std::string strLetGo = FramePath("ProgramTabLetGo.png");
    const RECT& button = BAR_ELEMENTS[BAR_ELEMENT_MENU_BUTTON];
    const RECT& newGame = BAR_ELEMENTS[BAR_ELEMENT_FIRST_ROW + 1];
    const LONG bx = (812 - BAR_PICTURE_SIZE.cx) / 2, by = 570 - BAR_PICTURE_SIZE.cy;
    const std::string strOnButton = std::to_string(bx + button.left + 60) + " " + std::to_string(by + button.top + 15);
    const std::string strOnRow = std::to_string(bx + newGame.left + 60) + " " + std::to_string(by + newGame.top + 15);
    const std::string strScript = BALL_SET_DOWN + "frame +5 key down Tab\nframe +5 mouse move " + strOnButton +
                                  "\nframe +8 png " + strHovered + "\nframe +1 mouse down left " + strOnButton +
                                  "\nframe +5 mouse up left " + strOnButton + "\nframe +3 mouse move " + strOnRow +
                                  "\nframe +8 png " + strOpened + "\nframe +1 key up Tab\nframe +8 png " + strLetGo +
                                  "\n";
    const std::string strLog = RunGame({}, strScript);
    EXPECT_NE(strLog.find("Widgets: panel command 34, 0"), std::string::npos) << "the menu opened\n" << strLog;
    EXPECT_EQ(strLog.find("strikes at"), std::string::npos) << "no stroke\n" << strLog;

    const SPicture normal = LoadPanelPicture(BarItem(BAR_MENU_NORMAL));
    const SPicture hover = LoadPanelPicture(BarItem(BAR_MENU_HOVER));
    EXPECT_GT(LoadFrame(strHovered).ShowsRatherOnBar(hover, normal, button.left, button.top), 0.9);
    const CShownFrame opened = LoadFrame(strOpened);
    EXPECT_GT(opened.ShowsRatherOnBar(LoadPanelPicture(BarItem(BAR_NEW_GAME_HOVER)),
                                      LoadPanelPicture(BarItem(BAR_NEW_GAME_NORMAL)), newGame.left, newGame.top),
              0.9);
    const RECT& options = BAR_ELEMENTS[BAR_ELEMENT_FIRST_ROW + 2];
    const SPicture optionsRow = LoadPanelPicture(BarItem(BAR_OPTIONS_NORMAL));
    EXPECT_GT(opened.ShowsOnBar(optionsRow, options.left, options.top), 0.95);
    EXPECT_LT(LoadFrame(strLetGo).ShowsOnBar(optionsRow, options.left, options.top), 0.3);
}

namespace
{
/// The head message's core ink in the message's box (the view less 40 pixels at the sides and an
/// eighth of its height above and below): how many pixels, and their extent across.
struct SMessageInk
{
    int nPixels = 0;
    LONG nWidth = 0;
};
SMessageInk MessageInk(const CShownFrame& frame)
{
    constexpr DWORD MESSAGE_INK = 0xFAFAFA;
    const LONG w = static_cast<LONG>(frame.Width()), h = frame.ViewHeight(), top = frame.ViewTop();
    SMessageInk ink;
    LONG nLeft = w, nRight = -1;
    for (LONG y = top + h / 8; y < top + h - h / 8; ++y)
        for (LONG x = 40; x < w - 40; ++x)
            if (frame.At(x, y) == MESSAGE_INK)
            {
                ++ink.nPixels;
                nLeft = std::min(nLeft, x);
                nRight = std::max(nRight, x);
            }
    ink.nWidth = nRight >= nLeft ? nRight - nLeft + 1 : 0;
    return ink;
}
/// The cue ball's highlight has a few pixels of that white; a message has hundreds.
constexpr int MESSAGE_LEAST_PIXELS = 60;

/// The extent across of the turn banner's ink: the banner's 288 by 38 at (311, 4) of the
/// 812-wide layout.
LONG BannerWidth(const CShownFrame& frame)
{
    constexpr DWORD ink = 0xEBEB85; // the HUD's texts: RGB(235, 235, 133)
    const LONG x0 = (static_cast<LONG>(frame.Width()) - 812) / 2 + 311;
    LONG nLeft = 1 << 20, nRight = -1;
    const LONG y0 = frame.ViewTop() + 4;
    for (LONG y = y0; y < y0 + 38; ++y)
        for (LONG x = x0; x < x0 + 288; ++x)
            if (Near(frame.At(x, y), ink, 8))
            {
                nLeft = std::min(nLeft, x);
                nRight = std::max(nRight, x);
            }
    return nRight >= nLeft ? nRight - nLeft + 1 : 0;
}
} // namespace

// The first game of a run tells the person to use the mouse until the first click; a match
// begins by wishing its first player luck, for a few seconds, before that hint.
TEST(GameProgramPanelsTest, TheFirstGameSaysToUseTheMouseUntilAClickAndAMatchWishesLuckFirst)
{
    const std::string strHint = FramePath("ProgramUseMouseHint.png");
    const std::string strClicked = FramePath("ProgramHintDismissed.png");
    RunGame({}, AT_REST + "frame +5 png " + strHint +
                    "\nframe +1 mouse down left 400 300\nframe +2 mouse up left 400 300\n" + AT_REST + "frame +5 png " +
                    strClicked + "\n");
    const SMessageInk hint = MessageInk(LoadFrame(strHint));
    EXPECT_GT(hint.nPixels, MESSAGE_LEAST_PIXELS);
    EXPECT_GT(hint.nWidth, 250) << "\"Use the mouse to aim, and click to shoot.\" stands on one line";
    EXPECT_LT(MessageInk(LoadFrame(strClicked)).nPixels, MESSAGE_LEAST_PIXELS) << "the click took the hint away";

    const std::string strMatch = FramePath("ProgramGoodLuck.png");
    RunGame({{"Competition Type", "1"}}, AT_REST + "frame +5 png " + strMatch + "\n");
    const SMessageInk greeting = MessageInk(LoadFrame(strMatch));
    EXPECT_GT(greeting.nPixels, MESSAGE_LEAST_PIXELS) << "\"Good luck, Player 1!\"";
    EXPECT_LT(greeting.nWidth, hint.nWidth - 60) << "shorter than the hint that follows it";
}

namespace
{
/// The turn banner's width while M's free placement asks for a ball with the cursor at the point,
/// and once a click there took the ball under it up.
std::pair<LONG, LONG> PlacementBannerWidths(const std::string& strPoint, const std::string& strName)
{
    const std::string strAsking = FramePath("ProgramPlace" + strName + "Asking.png");
    const std::string strTaken = FramePath("ProgramPlace" + strName + "Taken.png");
    RunGame({}, BALL_SET_DOWN + "frame +5 key press M\nframe +5 mouse move " + strPoint + "\nframe +5 png " +
                    strAsking + "\nframe +1 mouse down left " + strPoint + "\nframe +2 mouse up left " + strPoint +
                    "\nframe +5 png " + strTaken + "\n");
    return {BannerWidth(LoadFrame(strAsking)), BannerWidth(LoadFrame(strTaken))};
}
} // namespace

// M takes up a ball to place: the banner asks for the ball until one is taken, and says nothing
// once the cue ball is in the hand.
TEST(GameProgramPanelsTest, FreePlacementAsksForABallUntilTheCueBallIsTaken)
{
    // The cue ball, set down at the head, lies in the middle of the aim's view.
    const auto [nAsking, nTaken] = PlacementBannerWidths("406 295", "CueBall");
    EXPECT_GT(nAsking, 40) << "\"Place Ball\"";
    EXPECT_EQ(0, nTaken);
}

// An object ball taken up for placement is named by its number after the request.
TEST(GameProgramPanelsTest, FreePlacementNamesTheObjectBallTaken)
{
    // The rack's nearest ball, on the far half of the cloth straight ahead.
    const auto [nAsking, nTaken] = PlacementBannerWidths("396 200", "ObjectBall");
    EXPECT_GT(nAsking, 40) << "\"Place Ball\"";
    EXPECT_GT(nTaken, nAsking + 4) << "\"Place Ball n\"";
}
