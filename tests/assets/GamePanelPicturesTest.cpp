// The in-game panels' pictures as the widgets find them in the artwork libraries: every name the
// panel loader gives is a bitmap at the size of its place in the control bar's layout, the bar is
// clear above its glass (its top rows double as the lamps' tooltips), its mask marks the two lamps
// and nothing else, and each pop-up row's hover look differs from its normal one. The running
// program draws the bar at the bottom of its window.
#include "fixtures/ProgramRun.h"
#include "tests/assets/PanelPicture.h"

#include "ui/PanelPictures.h"
#include "ui/WidgetMask.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

namespace
{
SIZE Size(const RECT& rc) { return SIZE{rc.right - rc.left, rc.bottom - rc.top}; }
} // namespace

TEST(GamePanelPicturesTest, EveryPictureThePanelsNameIsABitmapTheSizeOfItsPlace)
{
    std::vector<const char*> names(std::begin(CONTROL_BAR_PICTURES), std::end(CONTROL_BAR_PICTURES));
    for (const auto& panel :
         {std::span<const char* const>(WEB_PANEL_PICTURES), std::span<const char* const>(CREDITS_PANEL_PICTURES),
          std::span<const char* const>(COMMENTS_PANEL_PICTURES), std::span<const char* const>(TOP_PANEL_PICTURES),
          std::span<const char* const>(PAUSED_PANEL_PICTURES)})
        names.insert(names.end(), panel.begin(), panel.end());
    names.push_back(MAIN_PANEL_PICTURES[0]); // the only one the main panel draws
    for (const char* szName : names)
    {
        SCOPED_TRACE(szName);
        const SPicture picture = LoadPanelPicture(szName);
        EXPECT_FALSE(picture.rgb.empty());
    }

    const SIZE row = Size(BAR_ELEMENTS[BAR_ELEMENT_FIRST_ROW]);
    const LONG nMarker = 2 * BAR_ENGLISH_MARKER_OFFSET + 1;
    struct SCase
    {
        const char* szName;
        SIZE size;
        bool bExact; // else it fits inside
    };
    std::vector<SCase> cases = {
        {"BottomMenuBG.bmp", BAR_PICTURE_SIZE, true},
        {BarItem(BAR_POWER), {BAR_POWER_WIDTH, BAR_POWER_HEIGHT}, true},
        {BarItem(BAR_ENGLISH), {nMarker, nMarker}, true},
        {BarItem(BAR_LAMP1), BAR_LAMP_SIZE, true},
        {BarItem(BAR_LAMP2), BAR_LAMP_SIZE, true},
        {BarItem(BAR_NAME_SCRUB), BAR_NAME_SIZE, true},
        {BarItem(BAR_NAME_SCHMOE), BAR_NAME_SIZE, true},
        {BarItem(BAR_NAME_SHARK), BAR_NAME_SIZE, true},
        {BarItem(BAR_TIP), BAR_TIP_SIZE, false},
        {BarItem(BAR_TIP_CALL), BAR_TIP_SIZE, false},
        {BarItem(BAR_TIP_3D), BAR_TIP_SIZE, false},
        {BarItem(BAR_TIP_HAND), BAR_TIP_SIZE, false},
        {BarItem(BAR_BLANK), row, true},
        {BarItem(BAR_PAUSE), row, true},
    };
    for (int e = BAR_MENU_NORMAL; e <= BAR_NEW_GAME_HOVER; ++e)
        cases.push_back({BarItem(static_cast<EBarItem>(e)), row, true});
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        const SPicture picture = LoadPanelPicture(c.szName);
        if (c.bExact)
        {
            EXPECT_EQ(static_cast<UINT>(c.size.cx), picture.nWidth);
            EXPECT_EQ(static_cast<UINT>(c.size.cy), picture.nHeight);
        }
        else
        {
            EXPECT_EQ(static_cast<UINT>(c.size.cx), picture.nWidth);
            EXPECT_GT(picture.nHeight, 0u);
            EXPECT_LE(picture.nHeight, static_cast<UINT>(c.size.cy));
        }
    }
}

TEST(GamePanelPicturesTest, BarIsClearAboveItsGlassAndItsMaskMarksOnlyTheLamps)
{
    const SPicture bar = LoadPanelPicture("BottomMenuBG.bmp");
    ASSERT_EQ(static_cast<UINT>(BAR_PICTURE_SIZE.cx), bar.nWidth);
    ASSERT_EQ(static_cast<UINT>(BAR_PICTURE_SIZE.cy), bar.nHeight);
    // The pop-up menu opens over the rows above the tip area; the lamps' tooltips are the top 64.
    for (LONG y = 0; y < BAR_TIP_AT.y; ++y)
        for (LONG x = 0; x < BAR_PICTURE_SIZE.cx; ++x)
            ASSERT_TRUE(IsClear(bar.At(x, y))) << x << ", " << y;
    // The glass shows everywhere inside its edges, and the cue ball is light.
    for (LONG y = BAR_TIP_AT.y + 8; y < BAR_PICTURE_SIZE.cy - 4; ++y)
        for (LONG x = 12; x < BAR_PICTURE_SIZE.cx - 12; ++x)
            ASSERT_FALSE(IsClear(bar.At(x, y))) << x << ", " << y;
    const DWORD ball = bar.At(BAR_CUE_BALL_CENTRE.x + 8, BAR_CUE_BALL_CENTRE.y + 8);
    EXPECT_GT(Channel(ball, 16) + Channel(ball, 8) + Channel(ball, 0), 3 * 200) << std::hex << ball;

    const auto bytes = FindFirst(ArtworkLibraries(), "BottomMenuMask.bmp", RT_BITMAP);
    ASSERT_TRUE(bytes.has_value());
    SMaskImage mask;
    ASSERT_TRUE(ReadMaskBitmap(*bytes, mask));
    EXPECT_EQ(BAR_PICTURE_SIZE.cx, mask.nWidth);
    EXPECT_EQ(BAR_PICTURE_SIZE.cy, mask.nHeight);
    const auto boxes = ScanMask(mask);
    const RECT lamps{BAR_LAMP_AT.x, BAR_LAMP_AT.y, BAR_LAMP_AT.x + BAR_LAMP_SIZE.cx, BAR_LAMP_AT.y + BAR_LAMP_SIZE.cy};
    for (int i = 1; i < MASK_INDEX_LIMIT; ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(i <= 2, boxes[static_cast<std::size_t>(i)].bTouched);
    }
    for (int i = 1; i <= 2; ++i)
    {
        SCOPED_TRACE(i);
        const RECT& rc = boxes[static_cast<std::size_t>(i)].rc;
        EXPECT_LT(rc.left, rc.right);
        EXPECT_LT(rc.top, rc.bottom);
        EXPECT_GE(rc.left, lamps.left);
        EXPECT_GE(rc.top, lamps.top);
        EXPECT_LT(rc.right, lamps.right);
        EXPECT_LT(rc.bottom, lamps.bottom);
    }
    EXPECT_LT(boxes[1].rc.right, boxes[2].rc.left) << "lamp 1 left of lamp 2";
}

TEST(GamePanelPicturesTest, HoverLooksDifferVisiblyFromTheNormalOnes)
{
    for (const auto& [eNormal, szOther] : {std::pair{BarItem(BAR_MENU_NORMAL), BarItem(BAR_MENU_HOVER)},
                                           std::pair{BarItem(BAR_OPTIONS_NORMAL), BarItem(BAR_OPTIONS_HOVER)},
                                           std::pair{BarItem(BAR_EXIT_NORMAL), BarItem(BAR_EXIT_HOVER)},
                                           std::pair{BarItem(BAR_RULES_NORMAL), BarItem(BAR_RULES_HOVER)},
                                           std::pair{BarItem(BAR_NEW_GAME_NORMAL), BarItem(BAR_NEW_GAME_HOVER)},
                                           std::pair{WEB_PANEL_PICTURES[0], WEB_PANEL_PICTURES[1]},
                                           std::pair{CREDITS_PANEL_PICTURES[0], CREDITS_PANEL_PICTURES[1]},
                                           std::pair{COMMENTS_PANEL_PICTURES[0], COMMENTS_PANEL_PICTURES[1]},
                                           std::pair{BarItem(BAR_LAMP1), BarItem(BAR_LAMP2)}})
    {
        SCOPED_TRACE(eNormal);
        const SPicture a = LoadPanelPicture(eNormal), b = LoadPanelPicture(szOther);
        ASSERT_EQ(a.rgb.size(), b.rgb.size());
        ASSERT_FALSE(a.rgb.empty());
        double dSum = 0.0;
        for (std::size_t i = 0; i < a.rgb.size(); ++i)
            dSum += std::abs(a.rgb[i] - b.rgb[i]);
        EXPECT_GT(dSum / static_cast<double>(a.rgb.size()), 8.0);
    }
}

// The program on its own libraries shows the bar at the bottom centre of its window: the cue ball
// and the power bar's half fill (the power starts at a half) where the layout puts them.
TEST(GamePanelPicturesTest, RunningProgramDrawsTheBarAtTheBottomOfItsWindow)
{
    const std::filesystem::path dir = VORN_TEST_OUTPUT_DIR;
    std::filesystem::create_directories(dir);
    const std::string strPng = (dir / "GameWindowControlBar.png").string();
    std::filesystem::remove(strPng);
    CProgramRun run(GamePath("Vorn"), VORN_GAME_DIR);
    ASSERT_EQ(0, run.Run("frame 12 png " + strPng + "\nframe 13 close\nanswer ok\n")) << run.Log();
    std::vector<DWORD> frame;
    UINT nWidth = 0, nHeight = 0;
    BYTE bAlpha = 0;
    ASSERT_EQ(TRUE, LoadPngImage(strPng.c_str(), 0, frame, nWidth, nHeight, bAlpha));
    const auto pixel = [&](LONG x, LONG y) { return frame[static_cast<std::size_t>(y) * nWidth + x] >> 8; };
    const LONG x0 = (static_cast<LONG>(nWidth) - BAR_PICTURE_SIZE.cx) / 2;
    const LONG y0 = static_cast<LONG>(nHeight) - BAR_PICTURE_SIZE.cy;
    const SPicture bar = LoadPanelPicture("BottomMenuBG.bmp");
    const SPicture fill = LoadPanelPicture(BarItem(BAR_POWER));
    ASSERT_FALSE(bar.rgb.empty());
    ASSERT_FALSE(fill.rgb.empty());
    struct SCase
    {
        const char* szWhat;
        POINT at; // in the bar
        DWORD expected;
    };
    const LONG nFillY = BAR_POWER_AT.y + BAR_POWER_HEIGHT / 2;
    // Off the english marker, which lies on the centre.
    const POINT ball{BAR_CUE_BALL_CENTRE.x + 8, BAR_CUE_BALL_CENTRE.y + 8};
    for (const SCase& c :
         {SCase{"cue ball", ball, bar.At(ball.x, ball.y)},
          SCase{"menu button",
                {BAR_ELEMENTS[BAR_ELEMENT_MENU_BUTTON].left + 8, BAR_ELEMENTS[BAR_ELEMENT_MENU_BUTTON].top + 6},
                bar.At(BAR_ELEMENTS[BAR_ELEMENT_MENU_BUTTON].left + 8, BAR_ELEMENTS[BAR_ELEMENT_MENU_BUTTON].top + 6)},
          SCase{"power filled", {BAR_POWER_AT.x + 10, nFillY}, fill.At(10, BAR_POWER_HEIGHT / 2)},
          SCase{"power empty",
                {BAR_POWER_AT.x + BAR_POWER_WIDTH - 10, nFillY},
                bar.At(BAR_POWER_AT.x + BAR_POWER_WIDTH - 10, nFillY)}})
    {
        SCOPED_TRACE(c.szWhat);
        const DWORD got = pixel(x0 + c.at.x, y0 + c.at.y);
        EXPECT_TRUE(Near(got, c.expected, 10)) << std::hex << got << " against " << c.expected;
    }
}
