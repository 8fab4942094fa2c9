#include "tools/texgen/PanelPictures.h"

#include "fixtures/ImageFixtures.h"

#include "tools/art/ArtPaint.h"
#include "tools/art/ArtText.h"
#include "ui/ControlBar.h"
#include "ui/PanelPictures.h"

#include <algorithm>
#include <array>
#include <string>

namespace
{
// Black is not drawn; with no alpha, pasting leaves what lies below.
const SArtColor CLEAR = SArtColor{0, 0, 0, 0};
const SArtColor TEXT_COLOR = SArtColor::Hex(0xF2EEE2);
const SArtColor BRASS = SArtColor::Hex(0xC8A24E);
const SArtColor BRASS_LIGHT = SArtColor::Hex(0xF2D27A);
const SArtColor BRASS_DARK = SArtColor::Hex(0x9A7428);
const SArtColor DARK_TEXT = SArtColor::Hex(0x1A1208);
// Glass stays above the colour key in its blue channel, so none of it is dropped when drawn.
const SArtColor GLASS_TOP = SArtColor::Hex(0x3A4C60);
const SArtColor GLASS_BOTTOM = SArtColor::Hex(0x202C3C);
const SArtColor HOT_TOP = SArtColor::Hex(0x5A7898);
const SArtColor HOT_BOTTOM = SArtColor::Hex(0x2E4460);
const SArtColor SLOT = SArtColor::Hex(0x2C3240);
const SArtColor IVORY = SArtColor::Hex(0xF4EEDC);

constexpr int BAR_WIDTH = BAR_PICTURE_SIZE.cx;
constexpr int BAR_HEIGHT = BAR_PICTURE_SIZE.cy;
/// The bar's glass starts here; the rows above are clear (the pop-up menu opens over them, and the
/// lamps' tooltips are read from the top 64).
constexpr int BAR_BODY_TOP = 104;
constexpr int LAMP_WIDTH = BAR_LAMP_SIZE.cx;
constexpr int LAMP_HEIGHT = BAR_LAMP_SIZE.cy;
constexpr int PLATE_WIDTH = BAR_NAME_SIZE.cx;
constexpr int PLATE_HEIGHT = BAR_NAME_SIZE.cy;
/// The tips take the top of their area, over the bar's upper edge, and leave the controls seen.
constexpr int TIP_WIDTH = BAR_TIP_SIZE.cx;
constexpr int TIP_HEIGHT = 30;
constexpr int ROW_WIDTH = 124;
constexpr int ROW_HEIGHT = 32;
/// Centres of the two lamps inside the lamps' picture.
constexpr double LAMP_X[2] = {6.0, 18.0};
constexpr double LAMP_Y = 13.0;

/// A rounded rectangle of glass shaded from top to bottom, blended onto the picture.
void Glass(CArtImage& image, int x0, int y0, int x1, int y1, double dRadius, const SArtColor& top,
           const SArtColor& bottom)
{
    const int w = x1 - x0, h = y1 - y0;
    CArtImage shape(w, h, SArtColor{0, 0, 0, 0});
    FillRoundRect(shape, 0, 0, w, h, dRadius, SArtColor{1, 1, 1, 1});
    for (int y = 0; y < h; ++y)
    {
        const SArtColor c = top.Mix(bottom, h > 1 ? static_cast<float>(y) / static_cast<float>(h - 1) : 0.0f);
        for (int x = 0; x < w; ++x)
            image.Blend(x0 + x, y0 + y, c, shape.At(x, y).a);
    }
}

/// A glass plate with a brass trim and its label; the hot look is lighter with a brighter trim.
CArtImage Plate(int nWidth, int nHeight, const std::string& strLabel, bool bHot, int nEmPixels)
{
    CArtImage image(nWidth, nHeight, CLEAR);
    const double r = std::min(8.0, nHeight * 0.3);
    Glass(image, 0, 0, nWidth, nHeight, r, bHot ? HOT_TOP : GLASS_TOP, bHot ? HOT_BOTTOM : GLASS_BOTTOM);
    StrokeRoundRect(image, 0.5, 0.5, nWidth - 0.5, nHeight - 0.5, r, bHot ? 2.2 : 1.5, bHot ? BRASS_LIGHT : BRASS);
    DrawArtText(image, strLabel, 4, 0, nWidth - 8, nHeight,
                SArtTextStyle{nEmPixels, true, bHot ? SArtColor::Hex(0xFFFFFF) : TEXT_COLOR, true});
    return image;
}

/// A brass name plate with dark engraved text: the computer opponent's skill.
CArtImage SkillPlate(const std::string& strName)
{
    CArtImage image(PLATE_WIDTH, PLATE_HEIGHT, CLEAR);
    Glass(image, 0, 0, PLATE_WIDTH, PLATE_HEIGHT, 4.0, BRASS_LIGHT, BRASS_DARK);
    DrawArtText(image, strName, 0, 0, PLATE_WIDTH, PLATE_HEIGHT, SArtTextStyle{13, true, DARK_TEXT, true});
    return image;
}

/// The power bar's fill: green through yellow to red, with a highlight along its top.
CArtImage PowerFill()
{
    CArtImage image(BAR_POWER_WIDTH, BAR_POWER_HEIGHT, CLEAR);
    const SArtColor green = SArtColor::Hex(0x3CB043), yellow = SArtColor::Hex(0xE8D040), red = SArtColor::Hex(0xE04030);
    for (int y = 0; y < BAR_POWER_HEIGHT; ++y)
        for (int x = 0; x < BAR_POWER_WIDTH; ++x)
        {
            const float t = static_cast<float>(x) / (BAR_POWER_WIDTH - 1);
            const SArtColor c = t < 0.5f ? green.Mix(yellow, t * 2) : yellow.Mix(red, t * 2 - 1);
            const float fShade = 1.25f - 0.5f * static_cast<float>(y) / (BAR_POWER_HEIGHT - 1);
            image.At(x, y) = c.Scaled(fShade);
        }
    return image;
}

/// The english marker: a small red dot whose centre is the strike point.
CArtImage EnglishMarker()
{
    constexpr int SIDE = 2 * BAR_ENGLISH_MARKER_OFFSET + 1;
    CArtImage image(SIDE, SIDE, CLEAR);
    FillDisc(image, SIDE / 2.0, SIDE / 2.0, SIDE / 2.0, SArtColor::Hex(0x801010));
    FillDisc(image, SIDE / 2.0, SIDE / 2.0, SIDE / 2.0 - 1.2, SArtColor::Hex(0xE83030));
    return image;
}

/// A player lamp lit (the other one left clear, so the background's unlit lamp shows).
CArtImage LitLamp(int nPlayer)
{
    CArtImage image(LAMP_WIDTH, LAMP_HEIGHT, CLEAR);
    const double x = LAMP_X[nPlayer - 1];
    FillDisc(image, x, LAMP_Y, 5.5, SArtColor::Hex(0xB07818));
    FillDisc(image, x, LAMP_Y, 4.5, SArtColor::Hex(0xFFC850));
    FillDisc(image, x - 1.3, LAMP_Y - 1.3, 1.6, SArtColor::Hex(0xFFF4D0));
    return image;
}

/// The tip shown over the top of the bar.
CArtImage Tip(const std::string& strText)
{
    CArtImage image(TIP_WIDTH, TIP_HEIGHT, CLEAR);
    Glass(image, 0, 0, TIP_WIDTH, TIP_HEIGHT, 8.0, SArtColor::Hex(0x4A5A3A), SArtColor::Hex(0x2A3A24));
    StrokeRoundRect(image, 0.5, 0.5, TIP_WIDTH - 0.5, TIP_HEIGHT - 0.5, 8.0, 1.5, BRASS);
    DrawArtText(image, strText, 8, 0, TIP_WIDTH - 16, TIP_HEIGHT, SArtTextStyle{15, true, TEXT_COLOR, true});
    return image;
}

/// A small label in the bar's text colour.
void Label(CArtImage& image, const std::string& strText, int x, int y, int w, int h)
{
    DrawArtText(image, strText, x, y, w, h, SArtTextStyle{11, false, TEXT_COLOR, true});
}

/// The power bar's recessed slot, with its label below.
void PowerSlot(CArtImage& image)
{
    const double x0 = BAR_POWER_AT.x - 2.0, y0 = BAR_POWER_AT.y - 2.0;
    const double x1 = BAR_POWER_AT.x + BAR_POWER_WIDTH + 2.0, y1 = BAR_POWER_AT.y + BAR_POWER_HEIGHT + 2.0;
    FillRoundRect(image, x0, y0, x1, y1, 3.0, SLOT);
    StrokeRoundRect(image, x0, y0, x1, y1, 3.0, 1.2, BRASS);
    Label(image, "Power", BAR_POWER_AT.x, BAR_POWER_AT.y + BAR_POWER_HEIGHT + 2, BAR_POWER_WIDTH, 17);
}

/// The cue ball the english point is set on: ivory in a brass ring, with a faint cross.
void CueBall(CArtImage& image)
{
    const double cx = BAR_CUE_BALL_CENTRE.x + 0.5, cy = BAR_CUE_BALL_CENTRE.y + 0.5, r = BAR_ENGLISH_RADIUS;
    FillDisc(image, cx, cy, r + 2.0, BRASS);
    FillDisc(image, cx, cy, r, IVORY);
    FillDisc(image, cx - 5.0, cy - 5.0, 6.0, SArtColor{1, 1, 1, 0.45f});
    const SArtColor cross = SArtColor::Hex(0xA89C88, 0.7f);
    FillRoundRect(image, cx - 0.5, cy - r + 3, cx + 0.5, cy + r - 3, 0.0, cross);
    FillRoundRect(image, cx - r + 3, cy - 0.5, cx + r - 3, cy + 0.5, 0.0, cross);
    const int nLeft = BAR_CUE_BALL_CENTRE.x - 40;
    Label(image, "English", nLeft, BAR_CUE_BALL_CENTRE.y + 20, 80, 17);
}

/// The lamps' housing with both lamps unlit and numbered (the skill plate is drawn beside it only
/// when the computer plays).
void Lamps(CArtImage& image)
{
    const double x0 = BAR_LAMP_AT.x, y0 = BAR_LAMP_AT.y;
    FillRoundRect(image, x0, y0, x0 + LAMP_WIDTH, y0 + LAMP_HEIGHT, 4.0, SLOT);
    StrokeRoundRect(image, x0, y0, x0 + LAMP_WIDTH, y0 + LAMP_HEIGHT, 4.0, 1.2, BRASS);
    for (int i = 0; i < 2; ++i)
    {
        FillDisc(image, x0 + LAMP_X[i], y0 + LAMP_Y, 5.0, SArtColor::Hex(0x6A5A3C));
        DrawArtText(image, std::to_string(i + 1), static_cast<int>(x0 + LAMP_X[i]) - 6, BAR_LAMP_AT.y + 24, 12, 18,
                    SArtTextStyle{11, true, TEXT_COLOR, true});
    }
}

/// "BottomMenuBG.bmp": the bar's glass below its clear top rows, with its controls painted on.
CArtImage BarBackground()
{
    CArtImage image(BAR_WIDTH, BAR_HEIGHT, CLEAR);
    Glass(image, 0, BAR_BODY_TOP, BAR_WIDTH, BAR_HEIGHT + 12, 12.0, GLASS_TOP, GLASS_BOTTOM);
    FillRoundRect(image, 10, BAR_BODY_TOP, BAR_WIDTH - 10, BAR_BODY_TOP + 2, 1.0, BRASS);
    // The game's name at the left end; the right end stays plain, the score panels are drawn there.
    DrawArtText(image, "Vorn", 20, BAR_BODY_TOP + 24, 120, 50, SArtTextStyle{32, true, BRASS, true});
    const RECT& button = BAR_ELEMENTS[BAR_ELEMENT_MENU_BUTTON];
    image.Paste(Plate(ROW_WIDTH, ROW_HEIGHT, "Menu", false, 15), button.left, button.top);
    PowerSlot(image);
    CueBall(image);
    Lamps(image);
    return image;
}

void AddPicture(std::vector<SNamedPicture>& pictures, const char* szName, CArtImage image)
{
    pictures.push_back(SNamedPicture{szName, std::move(image)});
}

/// The control bar's items, in the order the bar takes them.
void AddBarItems(std::vector<SNamedPicture>& pictures)
{
    const auto row = [&](EBarItem eNormal, const char* szLabel)
    {
        AddPicture(pictures, CONTROL_BAR_PICTURES[4 + eNormal], Plate(ROW_WIDTH, ROW_HEIGHT, szLabel, false, 15));
        AddPicture(pictures, CONTROL_BAR_PICTURES[4 + eNormal + 1], Plate(ROW_WIDTH, ROW_HEIGHT, szLabel, true, 15));
    };
    const auto item = [&](EBarItem e, CArtImage image) { AddPicture(pictures, CONTROL_BAR_PICTURES[4 + e], image); };
    item(BAR_POWER, PowerFill());
    item(BAR_ENGLISH, EnglishMarker());
    row(BAR_MENU_NORMAL, "Menu");
    row(BAR_OPTIONS_NORMAL, "Options");
    row(BAR_EXIT_NORMAL, "Exit");
    row(BAR_RULES_NORMAL, "Rules");
    row(BAR_NEW_GAME_NORMAL, "New Game");
    item(BAR_LAMP1, LitLamp(1));
    item(BAR_LAMP2, LitLamp(2));
    item(BAR_TIP, Tip("Top view: aim with the mouse, then strike"));
    item(BAR_TIP_CALL, Tip("Call the shot: click a ball, then its pocket"));
    item(BAR_NAME_SCHMOE, SkillPlate("Schmoe"));
    item(BAR_NAME_SCRUB, SkillPlate("Scrub"));
    item(BAR_NAME_SHARK, SkillPlate("Shark"));
    item(BAR_TIP_3D, Tip("Aim with the mouse, click to stroke; hold Tab to use this bar"));
    item(BAR_BLANK, Plate(ROW_WIDTH, ROW_HEIGHT, "", false, 15));
    item(BAR_PAUSE, Plate(ROW_WIDTH, ROW_HEIGHT, "Paused", false, 15));
    item(BAR_TIP_HAND, Tip("Ball in hand: place the cue ball, then aim"));
}

/// The main panel: a strip of the game's keys shown while it waits. It stands bottom-centred as
/// the bar does, so its glass lies just above the bar's and the rows the bar covers stay clear;
/// it is slim, for the overhead view's panel stays open over the table while a person aims.
CArtImage MainPanel()
{
    constexpr int W = 720, GLASS_HEIGHT = 50, H = GLASS_HEIGHT + 4 + (BAR_HEIGHT - BAR_BODY_TOP);
    CArtImage image(W, H, CLEAR);
    Glass(image, 0, 0, W, GLASS_HEIGHT, 10.0, GLASS_TOP, GLASS_BOTTOM);
    StrokeRoundRect(image, 1, 1, W - 1, GLASS_HEIGHT - 1, 10.0, 1.5, BRASS);
    // Two rows of a key in brass and what it does in the panel's text colour.
    static const char* const s_aKeys[][2] = {
        {"Space", "play on"}, {"Tab held", "the panels"}, {"Arrows", "aim, power"}, {"Enter", "strike"},
        {"M", "move a ball"}, {"E", "english"},           {"B", "elevation"},       {"F1", "the rules"},
        {"F2", "new game"},   {"Ctrl+S, O", "save, load"}};
    constexpr int COLUMNS = 5, ROW_TOP = 5, ROW_STEP = 20, KEY_WIDTH = 62, COLUMN_WIDTH = (W - 16) / COLUMNS;
    for (int i = 0; i < static_cast<int>(std::size(s_aKeys)); ++i)
    {
        const int x = 10 + (i % COLUMNS) * COLUMN_WIDTH, y = ROW_TOP + (i / COLUMNS) * ROW_STEP;
        DrawArtText(image, s_aKeys[i][0], x, y, KEY_WIDTH, ROW_STEP, SArtTextStyle{12, true, BRASS_LIGHT, false});
        DrawArtText(image, s_aKeys[i][1], x + KEY_WIDTH, y, COLUMN_WIDTH - KEY_WIDTH, ROW_STEP,
                    SArtTextStyle{12, false, TEXT_COLOR, false});
    }
    return image;
}
} // namespace

std::vector<SNamedPicture> MakePanelPictures()
{
    std::vector<SNamedPicture> pictures;
    AddPicture(pictures, CONTROL_BAR_PICTURES[0], BarBackground());
    AddBarItems(pictures);
    const struct
    {
        const char* const* names;
        const char* szLabel;
    } clickPanels[] = {{WEB_PANEL_PICTURES, "Visit the web site"},
                       {CREDITS_PANEL_PICTURES, "Credits"},
                       {COMMENTS_PANEL_PICTURES, "Send comments"}};
    for (const auto& panel : clickPanels)
    {
        AddPicture(pictures, panel.names[0], Plate(150, 28, panel.szLabel, false, 13));
        AddPicture(pictures, panel.names[1], Plate(150, 28, panel.szLabel, true, 13));
    }
    CArtImage top(BAR_WIDTH, 32, CLEAR);
    Glass(top, 0, -12, BAR_WIDTH, 32, 12.0, GLASS_BOTTOM, GLASS_TOP);
    FillRoundRect(top, 10, 30, BAR_WIDTH - 10, 32, 1.0, BRASS);
    AddPicture(pictures, TOP_PANEL_PICTURES[0], std::move(top));
    AddPicture(pictures, PAUSED_PANEL_PICTURES[0], Plate(200, 60, "Paused", false, 28));
    AddPicture(pictures, MAIN_PANEL_PICTURES[0], MainPanel());
    return pictures;
}

std::vector<std::uint8_t> MakeControlBarMask()
{
    std::vector<DWORD> indices(static_cast<std::size_t>(BAR_WIDTH) * BAR_HEIGHT, 0);
    for (int y = BAR_LAMP_AT.y; y < BAR_LAMP_AT.y + LAMP_HEIGHT; ++y)
        for (int x = BAR_LAMP_AT.x; x < BAR_LAMP_AT.x + LAMP_WIDTH; ++x)
            indices[static_cast<std::size_t>(y) * BAR_WIDTH + x] = x < BAR_LAMP_AT.x + LAMP_WIDTH / 2 ? 1 : 2;
    return EncodeGreyIndexedBmp(BAR_WIDTH, BAR_HEIGHT, std::move(indices));
}
