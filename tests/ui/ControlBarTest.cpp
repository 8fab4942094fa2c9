#include "ui/ControlBar.h"

#include "WidgetFixture.h"
#include "fixtures/ControlBarPictures.h"

#include <gtest/gtest.h>

namespace
{
constexpr DWORD POWER_COLOUR = 0xE04010;
constexpr DWORD BACKGROUND = 0x303850;
} // namespace

class ControlBarTest : public CWidgetFixture
{
protected:
    /// The bar's 27 pictures: an 800 x 190 background, a mask with the lamps at indices 1 and 2, and
    /// small items, the power bar 131 x 21 in its own colour.
    void SetUp() override
    {
        CWidgetFixture::SetUp();
        AddPicture("BottomMenuBG.bmp", FlatBitmap(800, 190, BACKGROUND));
        AddPicture("BottomMenuMask.bmp", MaskFile(800, 190,
                                                  [](LONG x, LONG y) -> DWORD
                                                  {
                                                      if (y < 142 || x < 563 || x >= 587)
                                                          return 0;
                                                      return x < 575 ? 1 : 2;
                                                  }));
        for (int i = 0; i < CONTROL_BAR_FIRST_ITEM; ++i)
            m_names.Add(CONTROL_BAR_PICTURES[i]);
        DWORD dwColour = 0x405060;
        for (std::size_t i = CONTROL_BAR_FIRST_ITEM; i < std::size(CONTROL_BAR_PICTURES); ++i)
        {
            const char* sz = CONTROL_BAR_PICTURES[i];
            m_names.Add(sz);
            const bool bPower = std::string(sz) == "PowerBar.bmp";
            AddPicture(sz, FlatBitmap(bPower ? 131 : 6, bPower ? 21 : 6, bPower ? POWER_COLOUR : dwColour));
            dwColour += 0x030201;
        }
        Install();
        ASSERT_TRUE(m_bar.CreateFromNames(m_names, &m_rcClient));
        ASSERT_TRUE(m_bar.LoadImages("BottomMenuBG.bmp", &m_rcClient, 0));
        m_bar.PlaceInRect(PLACE_BOTTOM | PLACE_HCENTRE, m_rcClient);
        m_bar.Show();
        ASSERT_EQ((RECT{6, 410, 806, 600}), m_bar.m_rcScreen);
    }

    /// A press and release at a point of the bar (relative to it), a frame each.
    void Click(LONG x, LONG y)
    {
        const LONG cx = m_bar.m_rcScreen.left + x, cy = m_bar.m_rcScreen.top + y;
        RouteWidgetMouse(Mouse(cx, cy), true);
        RouteWidgetMouse(Mouse(cx, cy, true), true);
        RouteWidgetMouse(Mouse(cx, cy, false, true), true);
    }

    CListWidget m_bar;
    CStringArray m_names;
};

TEST_F(ControlBarTest, PressesInsideTheCueBallCircleSetTheEnglishPoint)
{
    struct SCase
    {
        const char* szName;
        POINT d;
        bool bInside;
    };
    const SCase cases[] = {{"centre", {0, 0}, true},
                           {"16.97 pixels out", {12, -12}, true},
                           {"17 pixels out", {17, 0}, false},
                           {"17 pixels out, slanted", {-8, 15}, false}};
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        m_bar.ClearPair();
        Click(BAR_CUE_BALL_CENTRE.x + c.d.x, BAR_CUE_BALL_CENTRE.y + c.d.y);
        const std::vector<SCommand> expected =
            c.bInside ? std::vector<SCommand>{{CMD_ENGLISH_X, c.d.x}, {CMD_ENGLISH_Y, c.d.y}} : std::vector<SCommand>{};
        EXPECT_EQ(expected, TakeCommands());
        EXPECT_EQ(c.bInside ? c.d : (POINT{0, 0}), m_bar.m_ptEnglish);
    }
}

TEST_F(ControlBarTest, DragsMoveTheEnglishPointOnEveryFifthMove)
{
    const LONG cx = m_bar.m_rcScreen.left + BAR_CUE_BALL_CENTRE.x, cy = m_bar.m_rcScreen.top + BAR_CUE_BALL_CENTRE.y;
    RouteWidgetMouse(Mouse(cx, cy, true), true);
    TakeCommands();
    std::vector<int> updates;
    for (int i = 1; i <= 12; ++i)
    {
        RouteWidgetMouse(Mouse(cx + i % 3, cy, true), true);
        if (!TakeCommands().empty())
            updates.push_back(i);
    }
    // The press frame's move is the first: the fifth and tenth moves update.
    EXPECT_EQ((std::vector<int>{4, 9}), updates);
    RouteWidgetMouse(Mouse(cx, cy, false, true), true);
}

TEST_F(ControlBarTest, MenuOpensOnceAndEachRowSendsItsCommand)
{
    struct SCase
    {
        const char* szName;
        int nRow; // element 3 to 7
        std::vector<SCommand> commands;
    };
    const SCase cases[] = {{"row 1 only closes", 3, {}},
                           {"new game", 4, {{CMD_MENU_NEW_GAME, 0}}},
                           {"options", 5, {{CMD_MENU_OPTIONS, 0}}},
                           {"rules", 6, {{CMD_MENU_RULES, 0}}},
                           {"exit", 7, {{CMD_MENU_EXIT, 0}}}};
    const RECT& button = BAR_ELEMENTS[BAR_ELEMENT_MENU_BUTTON];
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        Click(button.left + 2, button.bottom - 2);
        EXPECT_EQ((std::vector<SCommand>{{CMD_MENU_OPENED, 0}}), TakeCommands());
        EXPECT_TRUE(CWidget::IsMenuOpen());
        // The middle of the row, where rows 2 and 3 lie over element 0.
        const RECT& row = BAR_ELEMENTS[c.nRow];
        Click(row.left + 40, row.top + 16);
        EXPECT_EQ(c.commands, TakeCommands());
        EXPECT_FALSE(CWidget::IsMenuOpen());
    }
    // Where the menu button overlaps the last row, an open menu takes the release as the row's.
    Click(button.left + 2, button.bottom - 2);
    TakeCommands();
    Click(200, 150);
    EXPECT_EQ((std::vector<SCommand>{{CMD_MENU_EXIT, 0}}), TakeCommands());
    EXPECT_EQ(2, m_bar.HitElement(m_bar.m_rcScreen.left + 200, m_bar.m_rcScreen.top + 40)); // row 2
    EXPECT_EQ(-1, m_bar.HitElement(m_bar.m_rcScreen.left + 10, m_bar.m_rcScreen.top + 10));
}

TEST_F(ControlBarTest, LampsAreButtonsThatSendOnRelease)
{
    Click(566, 160);
    EXPECT_EQ((std::vector<SCommand>{{CMD_LAMPS, 0}}), TakeCommands());
    Click(580, 160);
    EXPECT_EQ((std::vector<SCommand>{{CMD_LAMPS, 0}}), TakeCommands());
    // A press that arrives with the move that brought it off the lamps (one reading for both) acts
    // on what lies under it: the menu button opens the menu, the lamps send nothing.
    const LONG lx = m_bar.m_rcScreen.left + 566, ly = m_bar.m_rcScreen.top + 160;
    const LONG mx = m_bar.m_rcScreen.left + 200, my = m_bar.m_rcScreen.top + 150;
    RouteWidgetMouse(Mouse(lx, ly), true);
    RouteWidgetMouse(Mouse(mx, my, true), true);
    RouteWidgetMouse(Mouse(mx, my, false, true), true);
    EXPECT_EQ((std::vector<SCommand>{{CMD_MENU_OPENED, 0}}), TakeCommands());
    CWidget::ClearMenuOpen();
    m_bar.m_nInputLocked = 1; // the main frame handles a drag: presses are ignored
    RouteWidgetMouse(Mouse(m_bar.m_rcScreen.left + 566, m_bar.m_rcScreen.top + 160, true), true);
    EXPECT_TRUE(TakeCommands().empty());
}

TEST_F(ControlBarTest, TipsClearAfterFourAndAHalfSecondsAndAreNotAskedTwice)
{
    m_bar.SetMode(2);
    m_clock.Advance(BAR_TIP_MS);
    m_bar.Draw(0);
    EXPECT_EQ(2, m_bar.GetMode());
    m_clock.Advance(1);
    m_bar.Draw(0);
    EXPECT_EQ(0, m_bar.GetMode());
    m_bar.SetMode(2); // the same tip again: nothing
    EXPECT_EQ(0, m_bar.GetMode());
    m_bar.SetMode(4);
    EXPECT_EQ(4, m_bar.GetMode());
    m_clock.Advance(60000); // a frame very late still clears it
    m_bar.Draw(0);
    EXPECT_EQ(0, m_bar.GetMode());
}

TEST_F(ControlBarTest, PowerFillsItsShareOfTheBarAndAHiddenBarDrawsNothing)
{
    struct SCase
    {
        double dPower;
        LONG nFill;
    };
    const LONG y = m_bar.m_rcScreen.top + BAR_POWER_AT.y + 10;
    for (const SCase& c : {SCase{0.0, 0}, SCase{0.5, 65}, SCase{1.0, 131}, SCase{1.7, 131}, SCase{-2.0, 0}})
    {
        SCOPED_TRACE(c.dPower);
        m_bar.SetValue(c.dPower);
        m_bar.Draw(0);
        LONG nFill = 0;
        for (LONG x = m_bar.m_rcScreen.left + BAR_POWER_AT.x; FramePixel(x, y) == POWER_COLOUR; ++x)
            ++nFill;
        EXPECT_EQ(c.nFill, nFill);
    }
    m_bar.Hide();
    HDC hDC = nullptr;
    ASSERT_EQ(DD_OK, m_frame.pBackBuffer->GetDC(&hDC));
    PatBlt(hDC, 0, 0, FRAME_WIDTH, FRAME_HEIGHT, BLACKNESS);
    m_frame.pBackBuffer->ReleaseDC(hDC);
    m_bar.Draw(0);
    for (LONG yy = 0; yy < FRAME_HEIGHT; yy += 7)
        for (LONG x = 0; x < FRAME_WIDTH; x += 3)
            ASSERT_EQ(0u, FramePixel(x, yy));
}

TEST(ControlBarPlatesTest, SkillPlatesByLevel)
{
    const int expected[] = {-1,
                            BAR_NAME_SCRUB,
                            BAR_NAME_SCRUB,
                            BAR_NAME_SCRUB,
                            BAR_NAME_SCHMOE,
                            BAR_NAME_SCHMOE,
                            BAR_NAME_SCHMOE,
                            BAR_NAME_SHARK,
                            BAR_NAME_SHARK,
                            BAR_NAME_SHARK,
                            -1};
    for (int nLevel = 0; nLevel <= 10; ++nLevel)
    {
        SCOPED_TRACE(nLevel);
        EXPECT_EQ(expected[nLevel], SkillPlate(nLevel));
    }
}
