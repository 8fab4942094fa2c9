#include "ui/SideBars.h"

#include "WidgetFixture.h"

#include <gtest/gtest.h>

namespace
{
/// The mask index of a point of a bar laid out in the given rectangles (index i + 1 for the i-th).
template <std::size_t N> DWORD IndexIn(const RECT (&layout)[N], LONG x, LONG y)
{
    for (std::size_t i = 0; i < N; ++i)
    {
        const RECT& rc = layout[i];
        if (x >= rc.left && x < rc.right && y >= rc.top && y < rc.bottom)
            return static_cast<DWORD>(i + 1);
    }
    return 0;
}

constexpr RECT LEFT_MASK[] = {{0, 0, 16, 12},  {0, 13, 16, 24}, {0, 25, 16, 36},  {0, 37, 16, 48},  {0, 49, 16, 60},
                              {0, 61, 16, 72}, {0, 73, 16, 84}, {0, 87, 16, 136}, {0, 137, 16, 140}};
constexpr RECT RIGHT_MASK[] = {{0, 0, 16, 19}, {0, 20, 16, 70}, {0, 72, 16, 91}};
} // namespace

class SideBarsTest : public CWidgetFixture
{
protected:
    void SetUp() override
    {
        CWidgetFixture::SetUp();
        AddPicture("Bar.bmp", FlatBitmap(16, 140, 0x404040));
        AddPicture("BarDown.bmp", FlatBitmap(16, 140, 0xA0A0A0));
        AddPicture("BarExtra.bmp", FlatBitmap(16, 140, 0x2060E0));
        AddPicture("Knob.bmp", FlatBitmap(12, 6, 0xE0E000));
        // Index 9 lies below the track: a button the layout has no place for.
        AddPicture("LeftMask.bmp", MaskFile(16, 140, [](LONG x, LONG y) { return IndexIn(LEFT_MASK, x, y); }));
        AddPicture("RightMask.bmp", MaskFile(16, 140, [](LONG x, LONG y) { return IndexIn(RIGHT_MASK, x, y); }));
        Install();
    }

    template <class T> void Load(T& bar, const char* szMask, int nFlags, bool bExtra)
    {
        CStringArray names;
        for (const char* sz : {"Bar.bmp", "BarDown.bmp", szMask, "", "Knob.bmp"})
            names.Add(sz);
        if (bExtra)
            names.Add("BarExtra.bmp");
        ASSERT_TRUE(bar.CreateFromNames(names, &m_rcClient));
        ASSERT_TRUE(bar.LoadImages("Bar.bmp", &m_rcClient, 0));
        bar.PlaceInRect(nFlags, m_rcClient);
        bar.Show();
    }

    /// Routes a frame at a point relative to the bar.
    void At(const CWidget& bar, LONG x, LONG y, bool bDown = false, bool bUp = false)
    {
        RouteWidgetMouse(Mouse(bar.m_rcScreen.left + x, bar.m_rcScreen.top + y, bDown, bUp), true);
    }
};

TEST_F(SideBarsTest, LeftBarTakesItsFixedLayoutAndDropsExtraButtons)
{
    CSliderWidget bar;
    Load(bar, "LeftMask.bmp", PLACE_VCENTRE | PLACE_LEFT, false);
    ASSERT_EQ(8u, bar.m_aHotSpots.size());
    for (std::size_t i = 0; i < 8; ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(LEFT_MASK[i], bar.m_aHotSpots[i]->m_rcButton);
        EXPECT_EQ(static_cast<int>(45 + i), bar.m_aHotSpots[i]->m_desc.nCommand);
    }
    ASSERT_NE(nullptr, bar.m_pKnob);
    EXPECT_EQ(49, bar.m_pKnob->TrackHeight());
    bar.SetValue(150);
    EXPECT_EQ(100, bar.GetValue());
    bar.SetValue(-5);
    EXPECT_EQ(0, bar.GetValue());
    // An empty range keeps the knob where it is rather than dividing by nothing.
    bar.SetValue(100);
    bar.SetRange(30, 30);
    bar.SetValue(70);
    EXPECT_EQ(49, bar.m_pKnob->GetKnobPosition().y);
    EXPECT_EQ(30, bar.GetValue());
    bar.SetRange(0, 100);

    At(bar, 8, 30);
    At(bar, 8, 30, true);
    At(bar, 8, 30, false, true);
    EXPECT_EQ((std::vector<SCommand>{{47, 0}}), TakeCommands());
}

TEST_F(SideBarsTest, DraggingTheKnobSendsOncePerChangeAndNothingOnRelease)
{
    CSliderWidget bar;
    Load(bar, "LeftMask.bmp", PLACE_VCENTRE | PLACE_LEFT, false);
    bar.SetValue(50);
    const LONG nKnobY = 87 + bar.m_pKnob->GetKnobPosition().y;
    At(bar, 8, nKnobY);       // over the knob
    At(bar, 8, nKnobY, true); // press
    At(bar, 8, 60, true);     // above the track's top
    EXPECT_EQ(0, bar.GetValue());
    At(bar, 8, 40, true); // further up: no change
    EXPECT_EQ((std::vector<SCommand>{{CMD_LEFT_KNOB, 0}}), TakeCommands());
    At(bar, 8, 139, true); // below the bottom
    EXPECT_EQ(100, bar.GetValue());
    At(bar, 8, 139, false, true);
    EXPECT_EQ((std::vector<SCommand>{{CMD_LEFT_KNOB, 0}}), TakeCommands());
    At(bar, 8, 100); // not pressed: the knob stays
    EXPECT_EQ(100, bar.GetValue());
    EXPECT_TRUE(TakeCommands().empty());
}

TEST_F(SideBarsTest, RightBarShowsItsModeAndItsToggleSendsOnRelease)
{
    CSliderWidget2 bar;
    Load(bar, "RightMask.bmp", PLACE_VCENTRE | PLACE_RIGHT, true);
    ASSERT_NE(nullptr, bar.m_pModeButton);
    EXPECT_EQ(2, bar.m_pModeButton->GetState());
    const auto modePixel = [&]
    {
        bar.Draw(0);
        return FramePixel(bar.m_rcScreen.left + 8, bar.m_rcScreen.top + 5);
    };
    EXPECT_EQ(0x2060E0u, modePixel()); // mode 2: the extra image
    bar.SetMode(1);
    EXPECT_EQ(0xA0A0A0u, modePixel());
    bar.SetMode(0);
    EXPECT_EQ(0x404040u, modePixel());

    At(bar, 8, 5); // the mode button sends nothing
    At(bar, 8, 5, true);
    At(bar, 8, 5, false, true);
    EXPECT_TRUE(TakeCommands().empty());
    EXPECT_EQ(0, bar.m_pModeButton->GetState());
    At(bar, 8, 80);
    At(bar, 8, 80, true);
    At(bar, 8, 80, false, true);
    EXPECT_EQ((std::vector<SCommand>{{CMD_RIGHT_TOGGLE, 0}}), TakeCommands());
    EXPECT_EQ(1, bar.FindHotSpot(3)->GetState()); // a toggle keeps its state

    bar.Hide();
    bar.TickFade();
    EXPECT_FALSE(bar.IsVisible()); // a hidden bar stays hidden
}
