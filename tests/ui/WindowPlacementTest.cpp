#include "ui/WindowPlacement.h"

#include "platform/win32/Desktop.h"

#include <gtest/gtest.h>

namespace
{
class WindowPlacementTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_rcOldDesktop = GetDesktopWindowRect();
        SetDesktopWindowRect(RECT{0, 0, 1024, 768});
    }
    void TearDown() override { SetDesktopWindowRect(m_rcOldDesktop); }

    RECT m_rcOldDesktop;
};

TEST_F(WindowPlacementTest, FitsWindowRectanglesToTheDesktop)
{
    struct SCase
    {
        const char* szName;
        RECT rcIn;
        RECT rcOut;
    };
    const SCase aCases[] = {
        {"fits already", {10, 20, 810, 620}, {10, 20, 810, 620}},
        {"too large: 640 x 480 at its corner", {100, 50, 2100, 1550}, {100, 50, 740, 530}},
        {"too large, corner outside", {-300, -200, 1700, 1300}, {0, 0, 640, 480}},
        {"left of the desktop", {-50, 10, 750, 610}, {0, 10, 800, 610}},
        {"top below the desktop keeps its height", {10, 900, 410, 1200}, {10, 0, 410, 300}},
        {"left beyond the right edge", {1100, 10, 1500, 310}, {0, 10, 400, 310}},
        {"clipped at the right and bottom", {500, 400, 1300, 1000}, {500, 400, 1024, 768}},
        {"not normalised", {810, 620, 10, 20}, {10, 20, 810, 620}},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        RECT rc = c.rcIn;
        FitWindowRectToDesktop(&rc);
        EXPECT_EQ(c.rcOut, rc);
    }
}

TEST_F(WindowPlacementTest, BannerSitsInTheTopRightCorner)
{
    EXPECT_EQ((RECT{360, 40, 760, 160}), CalcBannerRectTopRight(RECT{0, 0, 800, 600}));
    EXPECT_EQ((RECT{115, 25, 220, 45}), CalcBannerRectTopRight(RECT{20, 15, 230, 115}));
    EXPECT_EQ((RECT{0, 0, 0, 0}), CalcBannerRectTopRight(RECT{0, 0, 0, 0}));
}
} // namespace
