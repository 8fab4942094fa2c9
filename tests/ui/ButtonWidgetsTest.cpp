#include "ui/ButtonWidgets.h"

#include "WidgetFixture.h"

#include "platform/win32/Cursor.h"
#include "ui/WidgetMask.h"

#include <gtest/gtest.h>

namespace
{
SMaskImage Mask(LONG w, LONG h, std::vector<BYTE> indices) { return SMaskImage{w, h, std::move(indices)}; }

std::span<const BYTE> Bytes(const std::string& s)
{
    return std::span<const BYTE>(reinterpret_cast<const BYTE*>(s.data()), s.size());
}
} // namespace

TEST(WidgetMaskTest, ScanFindsBoxesOfButtonIndicesOnly)
{
    struct SCase
    {
        const char* szName;
        BYTE nIndex;
        std::vector<POINT> pixels;
        bool bButton;
        RECT rc;
    };
    const SCase cases[] = {
        {"block", 5, {{2, 1}, {3, 1}, {4, 1}, {2, 2}, {3, 2}, {4, 2}, {2, 3}, {3, 3}, {4, 3}}, true, {2, 1, 4, 3}},
        {"index 1", 1, {{0, 0}, {1, 0}, {0, 1}, {1, 1}}, true, {0, 0, 1, 1}},
        {"index 0 is background", 0, {{0, 0}, {1, 0}, {0, 1}, {1, 1}}, false, {}},
        {"index 200 is background", 200, {{0, 0}, {1, 0}, {0, 1}, {1, 1}}, false, {}},
        {"one pixel", 7, {{3, 3}}, false, {}},
        {"one column", 7, {{3, 1}, {3, 2}, {3, 3}}, false, {}},
        {"one row", 7, {{1, 3}, {2, 3}, {3, 3}}, false, {}},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        SMaskImage mask = Mask(6, 5, std::vector<BYTE>(30, 0));
        for (const POINT& p : c.pixels)
            mask.indices[static_cast<std::size_t>(p.y * 6 + p.x)] = c.nIndex;
        const auto boxes = ScanMask(mask);
        int nButtons = 0;
        for (int v = 1; v < MASK_INDEX_LIMIT; ++v)
        {
            const RECT& rc = boxes[v].rc;
            if (boxes[v].bTouched && rc.right > rc.left && rc.bottom > rc.top)
            {
                ++nButtons;
                EXPECT_EQ(c.nIndex, v);
                EXPECT_EQ(c.rc, rc);
            }
        }
        EXPECT_EQ(c.bButton ? 1 : 0, nButtons);
    }
}

TEST(WidgetMaskTest, MasksAreReadAndScaledByIndex)
{
    const std::string file = MaskFile(4, 2, [](LONG x, LONG y) { return static_cast<DWORD>(y * 4 + x + 1); });
    SMaskImage mask;
    ASSERT_TRUE(ReadMaskBitmap(Bytes(file), mask));
    EXPECT_EQ((std::vector<BYTE>{1, 2, 3, 4, 5, 6, 7, 8}), mask.indices);
    // Doubled and halved: every index is one of the source's, never a blend of two.
    const SMaskImage twice = ScaleMask(mask, 8, 4);
    EXPECT_EQ((std::vector<BYTE>{1, 1, 2, 2, 3, 3, 4, 4}),
              std::vector<BYTE>(twice.indices.begin(), twice.indices.begin() + 8));
    const SMaskImage half = ScaleMask(mask, 2, 1);
    EXPECT_EQ((std::vector<BYTE>{6, 8}), half.indices);

    SMaskImage bad;
    EXPECT_FALSE(ReadMaskBitmap(Bytes(file.substr(0, file.size() - 3)), bad)); // rows end early
    EXPECT_FALSE(ReadMaskBitmap(Bytes(FlatBitmap(4, 2, 0x010203)), bad));      // not 8-bit
    EXPECT_FALSE(ReadMaskBitmap(std::span<const BYTE>(), bad));
}

class ButtonWidgetsTest : public CWidgetFixture
{
protected:
    /// A 60 x 40 second panel: button 1 (command 35) top left, button 6 (command 40) bottom right,
    /// and index 9, which has no row.
    void MakePanel()
    {
        AddPicture("Panel.bmp", FlatBitmap(60, 40, 0x404040));
        AddPicture("PanelDown.bmp", FlatBitmap(60, 40, 0xC0C0C0));
        AddPicture("PanelTips.bmp", FlatBitmap(50, 7 * TOOLTIP_ROW_HEIGHT, 0x30A030));
        AddPicture("PanelMask.bmp", MaskFile(60, 40,
                                             [](LONG x, LONG y) -> DWORD
                                             {
                                                 if (x < 20 && y < 20)
                                                     return 1;
                                                 if (x >= 40 && y >= 20)
                                                     return 6;
                                                 return x >= 25 && x < 35 ? 9 : 0;
                                             }));
        Install();
        CStringArray names;
        for (const char* sz : {"Panel.bmp", "PanelDown.bmp", "PanelMask.bmp", "PanelTips.bmp"})
            names.Add(sz);
        ASSERT_TRUE(m_panel.CreateFromNames(names, &m_rcClient));
        ASSERT_TRUE(m_panel.LoadImages("Panel.bmp", &m_rcClient, 0));
        m_panel.PlaceInRect(PLACE_TOP | PLACE_LEFT, m_rcClient);
        m_panel.Show();
    }

    CWidgetType3 m_panel;
};

TEST_F(ButtonWidgetsTest, MaskIndicesWithRowsBecomeButtonsWithTheirTooltips)
{
    MakePanel();
    ASSERT_EQ(2u, m_panel.m_aHotSpots.size());
    const CHotSpot* pFirst = m_panel.FindHotSpot(1);
    ASSERT_NE(nullptr, pFirst);
    EXPECT_EQ((SHotSpotDesc{1, 35, 0, 2, 0}), pFirst->m_desc);
    EXPECT_EQ((RECT{0, 0, 19, 19}), pFirst->m_rcButton);
    EXPECT_EQ((RECT{0, 64, 50, 96}), pFirst->m_rcTipSource); // row 2 of the tooltip column
    EXPECT_EQ(nullptr, m_panel.FindHotSpot(9));

    // Entering the button places its tooltip centred over it, overlapping its top by 7 pixels.
    RouteWidgetMouse(Mouse(45, 25), true);
    CHotSpot* pSixth = m_panel.FindHotSpot(6);
    ASSERT_EQ(pSixth, CHotSpot::GetActive());
    EXPECT_EQ((RECT{40 + 19 / 2 - 25, 20 - 32 + 7, 40 + 19 / 2 + 25, 20 + 7}), pSixth->m_rcTooltip);
}

TEST_F(ButtonWidgetsTest, PushButtonShowsPressedAndSendsOnReleaseOnce)
{
    MakePanel();
    RouteWidgetMouse(Mouse(5, 5), true); // hover first
    RouteWidgetMouse(Mouse(5, 5, true), true);
    RouteWidgetMouse(Mouse(5, 5, true), true);
    EXPECT_TRUE(TakeCommands().empty());
    m_panel.Draw(0);
    EXPECT_EQ(0xC0C0C0u, FramePixel(5, 15));  // the pressed image in the button's area, below its tooltip
    EXPECT_EQ(0x404040u, FramePixel(30, 30)); // the rest as it was
    RouteWidgetMouse(Mouse(5, 5, false, true), true);
    EXPECT_EQ((std::vector<SCommand>{{35, 0}}), TakeCommands());
    RouteWidgetMouse(Mouse(5, 5, false, true), true);
    EXPECT_TRUE(TakeCommands().empty());
    m_panel.Draw(0);
    EXPECT_EQ(0x404040u, FramePixel(5, 15));
    // A press read together with the move that left the button (one frame's reading) presses
    // what lies under it: nothing here, so nothing is sent.
    RouteWidgetMouse(Mouse(5, 5), true);
    RouteWidgetMouse(Mouse(30, 30, true), true);
    RouteWidgetMouse(Mouse(30, 30, false, true), true);
    EXPECT_TRUE(TakeCommands().empty());
}

TEST_F(ButtonWidgetsTest, CommandFortyHidesItsPanelBeforeItIsPosted)
{
    MakePanel();
    RouteWidgetMouse(Mouse(45, 25), true);
    RouteWidgetMouse(Mouse(45, 25, true), true);
    RouteWidgetMouse(Mouse(45, 25, false, true), true);
    EXPECT_EQ((std::vector<SCommand>{{CMD_HIDES_PANEL, 0}}), TakeCommands());
    EXPECT_FALSE(m_panel.IsVisible());
    EXPECT_TRUE(m_panel.IsIdle());
    EXPECT_EQ(FADE_NONE, m_panel.m_nFadeState);
}

// A panel shown puts up the system arrow, whatever the cursor was, for the player to click it with.
TEST_F(ButtonWidgetsTest, ShowingAPanelPutsUpTheArrow)
{
    AddPicture("MainPanel.bmp", FlatBitmap(40, 20, 0xFF8000));
    MakePanel();
    CWidgetType2 mainPanel;
    ASSERT_TRUE(mainPanel.LoadImages("MainPanel.bmp", &m_rcClient, 0));
    const HCURSOR hArrow = LoadCursor(nullptr, IDC_ARROW);
    ASSERT_NE(nullptr, hArrow);
    for (CWidget* pPanel : {static_cast<CWidget*>(&m_panel), static_cast<CWidget*>(&mainPanel)})
    {
        pPanel->Hide();
        pPanel->TickFade();
        SetCursor(LoadCursor(nullptr, IDC_HAND));
        pPanel->Show();
        EXPECT_EQ(hArrow, GetCursor()) << (pPanel == &m_panel ? "the button panel" : "the main panel");
    }
}

TEST_F(ButtonWidgetsTest, MainPanelFadesInThroughItsAlpha)
{
    AddPicture("MainPanel.bmp", FlatBitmap(40, 20, 0xFF8000));
    Install();
    CWidgetType2 panel;
    CStringArray names;
    for (const char* sz : {"MainPanel.bmp", "MainPanelChecked.bmp", "CtrlsU.bmp", "MainPanelMask.bmp",
                           "MainPanelTips.bmp", "MainPanelCandle.avi", "MainPanelCandle.bmp"})
        names.Add(sz);
    ASSERT_TRUE(panel.CreateFromNames(names, &m_rcClient));
    EXPECT_TRUE(panel.m_aHotSpots.empty());
    ASSERT_TRUE(panel.LoadImages("MainPanel.bmp", &m_rcClient, 0));
    panel.PlaceInRect(PLACE_TOP | PLACE_LEFT, m_rcClient);
    panel.m_dwShowDuration = 1000;
    panel.Show();
    m_clock.Advance(500);
    panel.TickFade();
    EXPECT_EQ(64, panel.m_nAlpha); // 500 x 128 / 1000
    panel.Draw(0);
    // Red 255 x 64 / 256 = 63 over black; green 128 x 64 / 256 = 32.
    EXPECT_EQ(0x3F2000u, FramePixel(10, 10));
    m_clock.Advance(500);
    panel.TickFade();
    EXPECT_TRUE(panel.IsIdle());
    panel.Draw(0);
    EXPECT_EQ(0xFF8000u, FramePixel(10, 10));
}

// Shown, the main panel's toggles take the states of the panel items their commands name; its push
// buttons keep theirs.
TEST_F(ButtonWidgetsTest, MainPanelsTogglesShowTheirItemsStates)
{
    AddPicture("MainPanel.bmp", FlatBitmap(40, 20, 0xFF8000));
    Install();
    CWidgetType2 panel;
    ASSERT_TRUE(panel.LoadImages("MainPanel.bmp", &m_rcClient, 0));
    const auto add = [&panel](int nCommand, int nKind, int nState)
    {
        auto pSpot = std::make_unique<CHotSpot>(&panel);
        pSpot->m_desc = SHotSpotDesc{static_cast<int>(panel.m_aHotSpots.size()) + 1, nCommand, nKind, -1, 0};
        pSpot->m_nState = nState;
        panel.m_aHotSpots.push_back(std::move(pSpot));
    };
    add(14, HOTSPOT_TOGGLE, 0); // an item that is on
    add(15, HOTSPOT_TOGGLE, 1); // one that is off
    add(16, HOTSPOT_PUSH, 1);   // a push button, whatever its item says
    std::vector<int> asked;
    panel.RefreshToggles(
        [&asked](int nItem)
        {
            asked.push_back(nItem);
            return nItem == 14 || nItem == 16 ? 1 : 0;
        });
    EXPECT_EQ((std::vector<int>{14, 15}), asked);
    EXPECT_EQ(1, panel.m_aHotSpots[0]->m_nState);
    EXPECT_EQ(0, panel.m_aHotSpots[1]->m_nState);
    EXPECT_EQ(1, panel.m_aHotSpots[2]->m_nState);
    EXPECT_TRUE(panel.IsLoaded()) << "restored";
}
