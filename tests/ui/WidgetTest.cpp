#include "ui/Widget.h"

#include "WidgetFixture.h"

#include "foundation/Stopwatch.h"
#include "ui/ClickPanels.h"

#include <gtest/gtest.h>
#include <vector>

namespace
{
/// A bare widget whose main surface a test sets.
class CTestWidget : public CWidget
{
public:
    CTestWidget() : CWidget(2, 0) {}
    BOOL Create(const RECT*) override { return m_bCreates; }
    void ReleaseSurfaces() override
    {
        if (m_pReleased != nullptr)
            m_pReleased->push_back(this);
        CWidget::ReleaseSurfaces();
    }
    BOOL m_bCreates = TRUE;
    std::vector<CWidget*>* m_pReleased = nullptr; // where the release is noted
};

std::vector<CWidget*> ListOrder()
{
    std::vector<CWidget*> order;
    for (CWidget* p = CWidget::GetFirst(); p != nullptr; p = p->GetNext())
        order.push_back(p);
    return order;
}
} // namespace

class WidgetTest : public CWidgetFixture
{
};

TEST_F(WidgetTest, WidgetsJoinTheListInOrderAndLeaveItWithTheirLives)
{
    EXPECT_EQ(nullptr, CWidget::GetFirst());
    EXPECT_EQ(TRUE, CWidget::BroadcastToAll(&m_rcClient, 0)); // no widgets: 1
    {
        CTestWidget a;
        auto pB = std::make_unique<CTestWidget>();
        CTestWidget c;
        EXPECT_EQ((std::vector<CWidget*>{&a, pB.get(), &c}), ListOrder());
        pB->m_bCreates = FALSE;
        EXPECT_EQ(FALSE, CWidget::BroadcastToAll(&m_rcClient, 0));
        pB.reset();
        EXPECT_EQ((std::vector<CWidget*>{&a, &c}), ListOrder());
        EXPECT_EQ(TRUE, CWidget::BroadcastToAll(&m_rcClient, 0));
        std::vector<CWidget*> aReleased;
        a.m_pReleased = c.m_pReleased = &aReleased;
        ReleaseGlobalList();
        EXPECT_EQ((std::vector<CWidget*>{&a, &c}), aReleased) << "every widget of the list, in list order";
    }
    EXPECT_EQ(nullptr, CWidget::GetFirst());
}

TEST_F(WidgetTest, PlacementFlags)
{
    struct SCase
    {
        const char* szName;
        int nFlags;
        LONG nWidth, nHeight;
        POINT topLeft;
    };
    const SCase cases[] = {
        {"bottom left", PLACE_BOTTOM | PLACE_LEFT, 100, 50, {0, 550}},
        {"bottom centre", PLACE_BOTTOM | PLACE_HCENTRE, 100, 50, {356, 550}},
        {"top right", PLACE_TOP | PLACE_RIGHT, 100, 50, {712, 0}},
        {"centred both ways", PLACE_VCENTRE | PLACE_HCENTRE, 101, 51, {355, 274}},
        {"centring wins over the edges",
         PLACE_HCENTRE | PLACE_RIGHT | PLACE_VCENTRE | PLACE_BOTTOM,
         100,
         50,
         {356, 275}},
        {"no flags", 0, 100, 50, {0, 0}},
        {"wider than the rectangle, centred: starts left of it", PLACE_HCENTRE, 900, 50, {-44, 0}},
        {"wider than the rectangle, right", PLACE_RIGHT, 900, 50, {-88, 0}},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CTestWidget w;
        w.m_pSurface1 = CDirectDrawSurface::Create(static_cast<DWORD>(c.nWidth), static_cast<DWORD>(c.nHeight),
                                                   MakeRgbPixelFormat(32), DDSCAPS_OFFSCREENPLAIN);
        w.PlaceInRect(c.nFlags, m_rcClient);
        EXPECT_EQ(c.nFlags, w.m_nPlacement);
        EXPECT_EQ((RECT{c.topLeft.x, c.topLeft.y, c.topLeft.x + c.nWidth, c.topLeft.y + c.nHeight}), w.m_rcScreen);
    }
    CTestWidget empty;
    empty.PlaceInRect(PLACE_BOTTOM | PLACE_RIGHT, m_rcClient);
    EXPECT_EQ((RECT{812, 600, 812, 600}), empty.m_rcScreen);
    empty.MoveTo(10.9f, -3.7f);
    EXPECT_EQ((RECT{10, -3, 10, -3}), empty.m_rcScreen);
}

TEST_F(WidgetTest, FadesRunOnTheClockAndIgnoreCallsWhileRunning)
{
    CTestWidget w;
    w.m_dwShowDuration = 300;
    w.m_dwHideDuration = 0;
    w.Show();
    EXPECT_FALSE(w.IsIdle());
    EXPECT_TRUE(w.IsVisible());
    EXPECT_TRUE(w.IsShowing());
    w.Hide(); // a fade runs: nothing
    EXPECT_TRUE(w.IsShowing());
    m_clock.Advance(299);
    w.TickFade();
    EXPECT_FALSE(w.IsIdle());
    m_clock.Advance(1);
    w.TickFade();
    EXPECT_TRUE(w.IsIdle());
    EXPECT_TRUE(w.IsVisible());
    w.Show(); // already shown: nothing
    EXPECT_TRUE(w.IsIdle());
    m_clock.Advance(40);
    g_FrameStopwatch.Tick();
    ASSERT_GT(g_FrameStopwatch.GetElapsed(), 0u);
    w.Hide();
    EXPECT_EQ(0u, g_FrameStopwatch.GetElapsed()); // the next frame steps no time
    EXPECT_TRUE(w.IsVisible());                   // drawn while it fades out
    EXPECT_TRUE(w.IsHiding());
    w.TickFade(); // a zero duration ends at the first tick
    EXPECT_TRUE(w.IsIdle());
    EXPECT_FALSE(w.IsVisible());
    EXPECT_FALSE(w.HitTest(0, 0));
}

TEST_F(WidgetTest, TextureSurfacesAreCopiedOrScaledAndDarkPixelsAreTransparent)
{
    // Left half at the key's top (transparent), right half just above it (drawn).
    AddPicture("Key.bmp", BitmapFile(20, 10, [](LONG x, LONG) { return x < 10 ? 0x282828u : 0x292929u; }));
    AddPicture("Stripes.bmp", BitmapFile(20, 10, [](LONG x, LONG) { return x % 2 ? 0xFF0000u : 0x0000FFu; }));
    Install();
    CTestWidget w;
    const SurfacePtr pSame = w.LoadTextureSurface("Key.bmp", 0, 0);
    ASSERT_NE(nullptr, pSame);
    EXPECT_EQ(20u, pSame->GetWidth());
    EXPECT_EQ((RECT{0, 0, 20, 10}), w.m_rcScreen);
    EXPECT_EQ(0x292929u, pSame->GetPixelXrgb(15, 5));
    m_frame.pBackBuffer->BltFast(100, 100, pSame.get(), nullptr, DDBLTFAST_SRCCOLORKEY);
    EXPECT_EQ(0u, FramePixel(105, 105));
    EXPECT_EQ(0x292929u, FramePixel(115, 105));

    // Asked for 10 wide: half the size, nearest pixels (the even columns, blue).
    const SurfacePtr pHalf = w.LoadTextureSurface("Stripes.bmp", 10, 600);
    ASSERT_NE(nullptr, pHalf);
    EXPECT_EQ(10u, pHalf->GetWidth());
    EXPECT_EQ(5u, pHalf->GetHeight());
    // Asked for more than the picture: its own size.
    const SurfacePtr pOwn = w.LoadTextureSurface("Stripes.bmp", 400, 600);
    ASSERT_NE(nullptr, pOwn);
    EXPECT_EQ(20u, pOwn->GetWidth());
    EXPECT_EQ(nullptr, w.LoadTextureSurface("Missing.bmp", 0, 0));
}

TEST_F(WidgetTest, ClickPanelSendsOncePerPressAndIsDrawnInFromItsEdge)
{
    AddPicture("Web.bmp", FlatBitmap(40, 20, 0x804020));
    AddPicture("WebCheck.bmp", FlatBitmap(40, 20, 0xF0F0F0));
    Install();
    CTextWidget panel(42);
    CStringArray names;
    names.Add("Web.bmp");
    names.Add("WebCheck.bmp");
    ASSERT_TRUE(panel.CreateFromNames(names, &m_rcClient));
    panel.PlaceInRect(PLACE_TOP | PLACE_LEFT, m_rcClient);
    panel.Show();
    EXPECT_TRUE(panel.IsVisible());
    EXPECT_TRUE(panel.IsIdle());

    panel.Draw(0);
    EXPECT_EQ(0u, FramePixel(0, 0));
    EXPECT_EQ(0x804020u, FramePixel(8, 0)); // 8 pixels right of its placed rectangle
    EXPECT_EQ(0x804020u, FramePixel(47, 19));

    // Held for three frames, released, pressed again.
    EXPECT_TRUE(RouteWidgetMouse(Mouse(5, 5, true), true));
    EXPECT_TRUE(RouteWidgetMouse(Mouse(5, 5, true), true));
    EXPECT_TRUE(RouteWidgetMouse(Mouse(6, 5, true), true));
    EXPECT_EQ((std::vector<SCommand>{{42, 0}}), TakeCommands());
    EXPECT_EQ(&panel, CWidget::GetHoveredWidget());
    panel.Draw(0);
    EXPECT_EQ(0xF0F0F0u, FramePixel(8, 0)); // the highlighted image under the cursor
    RouteWidgetMouse(Mouse(6, 5, false, true), true);
    RouteWidgetMouse(Mouse(6, 5, true), true);
    EXPECT_EQ((std::vector<SCommand>{{42, 0}}), TakeCommands());

    // The hit test uses the placed rectangle, not the drawn one.
    EXPECT_FALSE(RouteWidgetMouse(Mouse(45, 5, false, true), true));
    EXPECT_EQ(nullptr, CWidget::GetHoveredWidget());
    panel.Hide();
    EXPECT_FALSE(panel.IsVisible());
    EXPECT_FALSE(RouteWidgetMouse(Mouse(5, 5, true), true));
    EXPECT_TRUE(TakeCommands().empty());
}

TEST_F(WidgetTest, MouseAreaTurnsButtonsAndDragsIntoCommands)
{
    CPanelWidget area(60);
    CStringArray names;
    names.Add("BottomMenuBG.bmp");
    names.Add("Paused.bmp");
    ASSERT_TRUE(area.CreateFromNames(names, &m_rcClient));
    area.Show();
    // Far corners of a large full screen still count.
    ASSERT_TRUE(area.HitTest(1500, 1100));

    const auto press = [&](SWidgetMouse m) { RouteWidgetMouse(m, true); };
    const LPARAM at = MAKELPARAM(300, 200);
    press(Mouse(300, 200, true));
    press(Mouse(300, 200, true)); // held: no second command
    EXPECT_EQ((std::vector<SCommand>{{CMD_AREA_LEFT_DOWN, at}}), TakeCommands());
    area.SetArmed(1); // the main frame starts a drag
    press(Mouse(310, 205, true));
    EXPECT_EQ((std::vector<SCommand>{{CMD_AREA_LEFT_DRAG, MAKELPARAM(310, 205)}}), TakeCommands());
    press(Mouse(310, 205, false, true));
    EXPECT_EQ((std::vector<SCommand>{{CMD_AREA_LEFT_UP, MAKELPARAM(310, 205)}}), TakeCommands());
    EXPECT_EQ(0, area.IsArmed());

    SWidgetMouse right = Mouse(-20, 700);
    right.bRightDown = true;
    press(right);
    press(right); // repeats until the main frame sets the drag flag
    EXPECT_EQ((std::vector<SCommand>{{CMD_AREA_RIGHT_DOWN, MAKELPARAM(-20, 700)},
                                     {CMD_AREA_RIGHT_DOWN, MAKELPARAM(-20, 700)}}),
              TakeCommands());
    area.m_nRightDragActive = 1;
    press(right);
    EXPECT_EQ((std::vector<SCommand>{{CMD_AREA_RIGHT_DRAG, MAKELPARAM(-20, 700)}}), TakeCommands());
    right.bRightDown = false;
    right.bRightReleased = true;
    press(right);
    EXPECT_EQ((std::vector<SCommand>{{CMD_AREA_RIGHT_UP, MAKELPARAM(-20, 700)}}), TakeCommands());
    EXPECT_EQ(0, area.m_nRightDragActive);
    EXPECT_EQ(-20, GET_X_LPARAM(MAKELPARAM(-20, 700))); // packed points are signed

    area.Hide(); // keeps receiving the mouse
    EXPECT_TRUE(area.HitTest(10, 10));
}
