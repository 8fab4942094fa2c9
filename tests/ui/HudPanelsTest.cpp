#include "ui/HudPanels.h"

#include "WidgetFixture.h"

#include "ui/PanelFont.h"

#include <cstring>
#include <gtest/gtest.h>

class HudPanelsTest : public CWidgetFixture
{
protected:
    /// Fills the frame with one colour through GDI.
    void FillFrame(COLORREF c)
    {
        HDC hDC = nullptr;
        ASSERT_EQ(DD_OK, m_frame.pBackBuffer->GetDC(&hDC));
        const HBRUSH hBrush = CreateSolidBrush(c);
        FillRect(hDC, &m_rcClient, hBrush);
        DeleteObject(hBrush);
        m_frame.pBackBuffer->ReleaseDC(hDC);
    }

    /// The bounding box of the frame pixels of exactly one colour (0x00RRGGBB).
    RECT Box(DWORD dwColour) const
    {
        RECT rc{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (LONG y = 0; y < FRAME_HEIGHT; ++y)
            for (LONG x = 0; x < FRAME_WIDTH; ++x)
                if (FramePixel(x, y) == dwColour)
                    rc = RECT{std::min(rc.left, x), std::min(rc.top, y), std::max(rc.right, x + 1),
                              std::max(rc.bottom, y + 1)};
        return rc;
    }
};

TEST_F(HudPanelsTest, BallLabelIsDrawnWithItsShadowOverTheFrameAndLeavesTheFontAsItWas)
{
    FillFrame(RGB(0, 0, 160));
    CPanelFont font;
    font.SetHeight(20).SetItalic(1);
    LOGFONT before;
    font.SaveLogFont(before);
    CBallLabel label;
    label.Draw(-1, POINT{100, 100}, font);
    EXPECT_EQ(nullptr, label.GetSurface()); // no ball: nothing
    label.Draw(12, POINT{100, 100}, font);
    LOGFONT after;
    font.SaveLogFont(after);
    EXPECT_EQ(0, std::memcmp(&before, &after, sizeof(LOGFONT)));

    const RECT text = Box(0xEBEB85);
    const RECT shadow = Box(0x000800);
    ASSERT_LT(text.left, text.right);
    ASSERT_LT(shadow.left, shadow.right);
    // The black of the label's surface is transparent; its ink stays inside the label.
    const RECT labelRect{100, 100, 100 + BALL_LABEL_WIDTH, 100 + BALL_LABEL_HEIGHT};
    for (const RECT& rc : {text, shadow})
    {
        EXPECT_GE(rc.left, labelRect.left - 1);
        EXPECT_LE(rc.right, labelRect.right);
        EXPECT_GE(rc.top, labelRect.top - 1);
        EXPECT_LE(rc.bottom, labelRect.bottom);
    }
    EXPECT_EQ(text.right + 1, shadow.right); // the shadow one pixel right of the text
    EXPECT_EQ(text.bottom + 1, shadow.bottom);
    EXPECT_EQ(0x0000A0u, FramePixel(100, 100));
}

TEST_F(HudPanelsTest, CalledPocketMarkerIsAGreenDiscOfRadiusTwo)
{
    HDC hDC = nullptr;
    ASSERT_EQ(DD_OK, m_frame.pBackBuffer->GetDC(&hDC));
    DrawCalledPocketMarker(hDC, POINT{50, 60});
    m_frame.pBackBuffer->ReleaseDC(hDC);
    EXPECT_EQ((RECT{48, 58, 53, 63}), Box(0x00FF00));
    EXPECT_EQ(0x00FF00u, FramePixel(50, 60));
}
