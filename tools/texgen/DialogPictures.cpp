#include "tools/texgen/DialogPictures.h"

#include "tools/art/ArtNoise.h"
#include "tools/art/ArtPaint.h"
#include "tools/art/ArtText.h"
#include "tools/texgen/UiPictures.h"

#include <cmath>
#include <string>

namespace
{
const SArtColor TITLE_COLOR = SArtColor::Hex(0xE2C26A);
const SArtColor BODY_COLOR = SArtColor::Hex(0xF2EEE2);
const SArtColor BRASS = SArtColor::Hex(0xC8A24E);

// The message dialogs' layout: the window is the picture, buttons 74 x 30 on the row at y = 150.
constexpr int MESSAGE_W = 340, MESSAGE_H = 200;
constexpr int BUTTON_W = 74, BUTTON_H = 30;
// The game-type cards: their close button at (256, 457).
constexpr int CARD_W = 586, CARD_H = 500;
// The exit choice: three buttons 90 wide.
constexpr int EXIT_W = 420, EXIT_H = 200, EXIT_BUTTON_W = 90;
// The help dialog.
constexpr int HELP_W = 420, HELP_H = 260;

/// Dark felt lit from above, in an embossed brass frame: the ground of every dialog.
CArtImage Felt(int nWidth, int nHeight)
{
    CArtImage image(nWidth, nHeight);
    const CValueNoise noise(0x5EED'D1A1);
    const SArtColor cloth = SArtColor::Hex(DEFAULT_CLOTH_RGB);
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x)
        {
            const double dx = (x - nWidth / 2.0) / nWidth, dy = (y - nHeight * 0.35) / nHeight;
            const double fLight = 0.5 - 0.5 * (dx * dx + dy * dy) + 0.03 * noise.Fractal(x / 128.0, y / 128.0, 16, 3);
            image.At(x, y) = cloth.Scaled(static_cast<float>(fLight));
        }
    StrokeRoundRect(image, 2, 2, nWidth - 2, nHeight - 2, 10.0, 4.0, BRASS);
    StrokeRoundRect(image, 6, 6, nWidth - 6, nHeight - 6, 7.0, 1.5, SArtColor{0, 0, 0, 0.45f});
    StrokeRoundRect(image, 1, 1, nWidth - 1, nHeight - 1, 11.0, 1.0, SArtColor::Hex(0xF6E2A0, 0.6f));
    return image;
}

/// A dialog's background: the title in brass at the top, the body text wrapped below it.
CArtImage Background(int nWidth, int nHeight, const std::string& strTitle, const std::string& strBody, int nBodyBottom)
{
    CArtImage image = Felt(nWidth, nHeight);
    DrawArtText(image, strTitle, 16, 12, nWidth - 32, 34, SArtTextStyle{22, true, TITLE_COLOR, true});
    StrokeRoundRect(image, 40, 48, nWidth - 40, 50, 1.0, 1.0, BRASS.Mix(SArtColor{0, 0, 0, 1}, 0.4f));
    if (!strBody.empty())
        DrawArtText(image, strBody, 24, 58, nWidth - 48, nBodyBottom - 58, SArtTextStyle{15, false, BODY_COLOR, false});
    return image;
}

CArtImage MessageBackground(const std::string& strTitle, const std::string& strBody)
{
    return Background(MESSAGE_W, MESSAGE_H, strTitle, strBody, 142);
}

/// A button's normal and pressed looks under their ids.
void AddButton(std::vector<SNamedPicture>& out, int nNormal, int nPressed, const char* szLabel, int nWidth = BUTTON_W)
{
    out.push_back({std::to_string(nNormal), MakeButtonPicture(nWidth, BUTTON_H, szLabel, EButtonLook::Normal)});
    out.push_back({std::to_string(nPressed), MakeButtonPicture(nWidth, BUTTON_H, szLabel, EButtonLook::Pressed)});
}

void AddMessageDialogs(std::vector<SNamedPicture>& out)
{
    out.push_back({"324", MessageBackground("Error", "")});
    out.push_back({"326", MessageBackground("Match lost", "Your opponent has won the match. Better luck next time!")});
    out.push_back({"328", MessageBackground("Leave the game", "Do you really want to quit?")});
    out.push_back({"698", MessageBackground("New game", "Do you want to start a new game?")});
    out.push_back(
        {"925", MessageBackground("New game", "A game is running. Do you want to end it and start a new one?")});
    out.push_back({"331", MessageBackground("Match over", "")});
    out.push_back({"472", MessageBackground("Leave Vorn", "Do you want to close the game?")});
    out.push_back({"568", Background(HELP_W, HELP_H, "Help",
                                     "Aim with the mouse and click to shoot. F1 shows the rules of the game, F2 "
                                     "starts a new game and Alt+Enter switches between a window and full screen.",
                                     200)});
    out.push_back({"651", Background(EXIT_W, EXIT_H, "Leave the match",
                                     "End the match and give your opponent the win, quit at once, or go back to "
                                     "the table.",
                                     142)});
    AddButton(out, 490, 489, "OK");
    AddButton(out, 307, 306, "OK");
    AddButton(out, 315, 314, "Yes");
    AddButton(out, 317, 316, "No");
    AddButton(out, 488, 487, "OK");
    AddButton(out, 476, 475, "Yes");
    AddButton(out, 474, 473, "No");
    AddButton(out, 569, 570, "OK");
    AddButton(out, 571, 572, "Close");
    AddButton(out, 645, 646, "End match", EXIT_BUTTON_W);
    AddButton(out, 649, 650, "Back", EXIT_BUTTON_W);
    AddButton(out, 647, 648, "Quit now", EXIT_BUTTON_W);
}

/// The rules card of each game type, shown by the game-type command.
void AddRuleCards(std::vector<SNamedPicture>& out)
{
    const struct
    {
        int nId;
        const char* szTitle;
        const char* szRules;
    } cards[] = {
        {919, "American",
         "Any ball may be potted, and every potted ball scores its number. A shot that misses every ball or sends a "
         "ball off the table is a foul and costs a ball. The player who first passes half of all points wins the "
         "rack."},
        {920, "Eight ball",
         "After the break the first legally potted ball decides the groups: solids 1 to 7 or stripes 9 to 15. "
         "Always hit a ball of your own group first. When your group is cleared, call a pocket for the 8 and pot "
         "it to win. Potting the 8 early, or with a foul, loses the rack."},
        {921, "Nine ball",
         "The cue ball must first hit the lowest numbered ball on the table. Any ball potted on a legal shot lets "
         "you go on. Potting the 9 on a legal shot wins the rack. After a foul your opponent has the cue ball in "
         "hand."},
        {922, "Pyramid",
         "Fifteen object balls are racked in a triangle. Each ball potted on a legal shot scores one point. A foul "
         "costs a point and gives your opponent the turn. The first player to reach the match goal wins."},
        {923, "Straight pool",
         "Call the ball and the pocket before each shot. Every called ball potted scores one point. When only one "
         "object ball is left, the other fourteen are racked again and play goes on. The first player to reach the "
         "match goal wins."},
        {924, "Three ball",
         "Three object balls are racked. Pot all of them in as few strokes as you can; every stroke counts, and a "
         "foul adds one more. The player with fewer strokes wins."},
    };
    for (const auto& card : cards)
        out.push_back({std::to_string(card.nId), Background(CARD_W, CARD_H, card.szTitle, card.szRules, 440)});
}
/// A label on a dialog's background: off-white, left-aligned in its box.
void Label(CArtImage& image, const std::string& strText, int x, int y, int nWidth, int nHeight, int nSize = 16)
{
    DrawArtText(image, strText, x, y, nWidth, nHeight, SArtTextStyle{nSize, true, BODY_COLOR, false});
}

/// A caption centred over a control.
void Caption(CArtImage& image, const std::string& strText, int x, int y, int nWidth)
{
    DrawArtText(image, strText, x, y, nWidth, 18, SArtTextStyle{13, false, BODY_COLOR.Mix(TITLE_COLOR, 0.4f), true});
}

/// A lamp button of the options: dark when not chosen, lit brass when chosen.
CArtImage Lamp(int nWidth, int nHeight, bool bOn)
{
    CArtImage image = MakeButtonPicture(nWidth, nHeight, "", bOn ? EButtonLook::Pressed : EButtonLook::Normal);
    FillDisc(image, nWidth / 2.0, nHeight / 2.0, 7, bOn ? SArtColor::Hex(0x60E070) : SArtColor::Hex(0x303830));
    return image;
}

/// An arrow button 16 pixels square, up or down, normal or pressed.
CArtImage Arrow(bool bUp, bool bPressed)
{
    CArtImage image(16, 16, SArtColor::Hex(0x101418));
    FillRoundRect(image, 0.5, 0.5, 15.5, 15.5, 3.0, bPressed ? SArtColor::Hex(0xE2C26A) : SArtColor::Hex(0x24303C));
    const double aTip[3][2] = {{8, bUp ? 3.5 : 12.5}, {13, bUp ? 11.5 : 4.5}, {3, bUp ? 11.5 : 4.5}};
    FillPolygon(image, aTip, 3, bPressed ? SArtColor::Hex(0x1A1208) : BODY_COLOR);
    return image;
}

/// The options screen, 550 x 555: the rows of choices with their labels, the three volume steps.
void AddSetupDialog(std::vector<SNamedPicture>& out)
{
    CArtImage image = Background(550, 555, "Options", "", 0);
    Label(image, "Camera", 24, 70, 200, 20);
    Label(image, "Volume", 100, 219, 160, 21);
    for (const int x : {277, 306, 333})
    {
        FillRoundRect(image, x, 219, x + 18, 240, 3.0, SArtColor::Hex(0x0C1A10));
        StrokeRoundRect(image, x, 219, x + 18, 240, 3.0, 1.0, BRASS);
    }
    Caption(image, "soft", 262, 242, 48);
    Caption(image, "loud", 318, 242, 48);
    Label(image, "Games in a match", 100, 317, 200, 20);
    Label(image, "Aiming path", 24, 381, 190, 20);
    Caption(image, "Player 1", 220, 351, 110);
    Caption(image, "Player 2", 338, 351, 110);
    Label(image, "Opponent", 24, 451, 190, 20);
    Caption(image, "Scrub", 210, 426, 80);
    Caption(image, "Schmoe", 299, 426, 80);
    Caption(image, "Shark", 393, 426, 80);
    out.push_back({"177", image});
    out.push_back({"902", MakeButtonPicture(110, 40, "Full path", EButtonLook::Normal)});
    out.push_back({"900", MakeButtonPicture(110, 40, "Short path", EButtonLook::Normal)});
    out.push_back({"901", MakeButtonPicture(110, 40, "No path", EButtonLook::Normal)});
    out.push_back({"711", Lamp(60, 28, false)});
    out.push_back({"712", Lamp(60, 28, true)});
    out.push_back({"713", MakeButtonPicture(80, 24, "Window", EButtonLook::Normal)});
    out.push_back({"714", MakeButtonPicture(80, 24, "Full screen", EButtonLook::Pressed)});
    out.push_back({"715", MakeButtonPicture(180, 40, "Overhead view", EButtonLook::Normal)});
    out.push_back({"716", MakeButtonPicture(180, 40, "Overhead view", EButtonLook::Pressed)});
    out.push_back({"717", MakeButtonPicture(180, 40, "Player's view", EButtonLook::Normal)});
    out.push_back({"718", MakeButtonPicture(180, 40, "Player's view", EButtonLook::Pressed)});
    CArtImage marker(18, 21, SArtColor::Hex(0x0C1A10));
    FillRoundRect(marker, 0, 0, 18, 21, 3.0, SArtColor::Hex(0xE2C26A));
    FillRoundRect(marker, 4, 4, 14, 17, 2.0, SArtColor::Hex(0x60E070));
    out.push_back({"719", marker});
    out.push_back({"906", Arrow(true, false)});
    out.push_back({"905", Arrow(true, true)});
    out.push_back({"904", Arrow(false, false)});
    out.push_back({"903", Arrow(false, true)});
    AddButton(out, 423, 422, "OK", 120);
}
/// The statistics dialog, 490 x 550: column heads and the ten row bands; the page pictures name the
/// game type of each page; the arrows turn the pages.
void AddStatisticsDialog(std::vector<SNamedPicture>& out)
{
    CArtImage image = Felt(490, 550);
    const struct
    {
        const char* szHead;
        int x, nWidth;
    } heads[] = {
        {"Player", 23, 109}, {"Rounds", 136, 65}, {"Matches", 214, 65}, {"Scratches", 289, 65}, {"Best run", 385, 65}};
    for (const auto& head : heads)
        Caption(image, head.szHead, head.x - 6, 92, head.nWidth + 12);
    for (int i = 0; i < 10; ++i)
        FillRoundRect(image, 18, 118 + 39 * i - 2, 472, 118 + 39 * i + 32, 5.0,
                      SArtColor{0, 0, 0, i % 2 == 0 ? 0.28f : 0.16f});
    out.push_back({"945", image});
    const struct
    {
        int nId;
        const char* szTitle;
    } pages[] = {{938, "Three ball"},    {939, "Eight ball"}, {940, "Nine ball"},
                 {943, "Straight pool"}, {942, "Pyramid"},    {941, "American"}};
    for (const auto& page : pages)
    {
        CArtImage picture(260, 44, SArtColor::Hex(0x101418));
        FillRoundRect(picture, 0.5, 0.5, 259.5, 43.5, 8.0, SArtColor::Hex(0x1C2630));
        StrokeRoundRect(picture, 0.5, 0.5, 259.5, 43.5, 8.0, 1.8, BRASS);
        DrawArtText(picture, page.szTitle, 0, 0, 260, 44, SArtTextStyle{22, true, TITLE_COLOR, true});
        out.push_back({std::to_string(page.nId), picture});
    }
    for (const bool bNext : {true, false})
        for (const bool bPressed : {false, true})
        {
            CArtImage arrow(30, 36, SArtColor::Hex(0x101418));
            FillRoundRect(arrow, 0.5, 0.5, 29.5, 35.5, 6.0,
                          bPressed ? SArtColor::Hex(0xE2C26A) : SArtColor::Hex(0x24303C));
            const double aTip[3][2] = {{bNext ? 22.0 : 8.0, 18}, {bNext ? 9.0 : 21.0, 8}, {bNext ? 9.0 : 21.0, 28}};
            FillPolygon(arrow, aTip, 3, bPressed ? SArtColor::Hex(0x1A1208) : BODY_COLOR);
            const int nId = bNext ? (bPressed ? 948 : 947) : (bPressed ? 946 : 944);
            out.push_back({std::to_string(nId), arrow});
        }
    AddButton(out, 936, 935, "Close", 120);
}
/// The saved-games dialog, 420 x 400: its two titles, the list's heading, OK and Cancel.
void AddSavedGamesDialog(std::vector<SNamedPicture>& out)
{
    CArtImage image = Felt(420, 400);
    // The list's well and the name line's, under the controls the dialog places there.
    FillRoundRect(image, 34, 86, 386, 268, 6.0, SArtColor{0, 0, 0, 0.28f});
    FillRoundRect(image, 34, 270, 386, 306, 6.0, SArtColor{0, 0, 0, 0.16f});
    out.push_back({"627", image});
    for (const auto& [nId, szTitle] : {std::pair{624, "Save the game"}, std::pair{625, "Load a game"}})
    {
        CArtImage title(260, 44, SArtColor::Hex(0x101418));
        FillRoundRect(title, 0.5, 0.5, 259.5, 43.5, 8.0, SArtColor::Hex(0x1C2630));
        StrokeRoundRect(title, 0.5, 0.5, 259.5, 43.5, 8.0, 1.8, BRASS);
        DrawArtText(title, szTitle, 0, 0, 260, 44, SArtTextStyle{22, true, TITLE_COLOR, true});
        out.push_back({std::to_string(nId), title});
    }
    CArtImage heading(340, 22, SArtColor::Hex(0x1C2630));
    DrawArtText(heading, "Saved games", 4, 0, 332, 22, SArtTextStyle{15, true, BODY_COLOR, false});
    out.push_back({"626", heading});
    AddButton(out, 623, 622, "OK", 120);
    AddButton(out, 621, 620, "Cancel", 120);
}
} // namespace

std::vector<SNamedPicture> MakeDialogPictures()
{
    std::vector<SNamedPicture> out;
    AddMessageDialogs(out);
    AddRuleCards(out);
    AddSetupDialog(out);
    AddStatisticsDialog(out);
    AddSavedGamesDialog(out);
    // The match won: its title above the winner's line, OK below.
    out.push_back({"32216", Background(490, 193, "Match won", "", 0)});
    return out;
}
