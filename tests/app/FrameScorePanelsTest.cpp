// The score panels of a match on the control bar's right end, on screens of 800 by 600, 1024 by
// 768 and 1920 by 1080 in the game's own art: the bar stands at the bottom centre whatever the
// screen, and the players' scores stand on it, not at the screen's edge; written as PNG.
#include "tests/app/WholeFrame.h"

#include "gameflow/GameMode.h"
#include "ui/ControlBar.h"
#include "ui/HudPanels.h"

#include <gtest/gtest.h>
#include <string>

namespace
{
/// Where the score panels lie on the bar: its right end, below the glass's top edge.
constexpr RECT SCORES_ON_BAR{BAR_PICTURE_SIZE.cx - 109, 144, BAR_PICTURE_SIZE.cx, BAR_PICTURE_SIZE.cy};

bool IsScoreInk(DWORD rgb)
{
    const auto channel = [rgb](int nShift) { return static_cast<int>((rgb >> nShift) & 0xFF); };
    const DWORD ink = HUD_TEXT_COLOUR;
    const int r = GetRValue(ink), g = GetGValue(ink), b = GetBValue(ink);
    return std::abs(channel(16) - r) < 10 && std::abs(channel(8) - g) < 10 && std::abs(channel(0) - b) < 10;
}
} // namespace

TEST(FrameScorePanelsTest, AMatchsScoresStandOnTheBarsRightEndOnEveryScreen)
{
    for (const SIZE screen : {SIZE{800, 600}, SIZE{1024, 768}, SIZE{1920, 1080}})
    {
        const std::string strSize = std::to_string(screen.cx) + "x" + std::to_string(screen.cy);
        SCOPED_TRACE(strSize);
        CWholeFrame whole(32, screen);
        ASSERT_TRUE(whole.FillTheScreen());
        g_Settings.m_nCompetitionType = 1; // a match: both players' panels
        g_nGameMode = modeAim;
        const std::vector<DWORD> aPixels = whole.Tick();
        EXPECT_TRUE(whole.SavePng("FrameScorePanels" + strSize + ".png"));

        // The bar at the bottom centre, the scores' ink on its right end and nowhere else below
        // the view's middle (the turn banner above uses the same ink).
        const LONG nLeft = (screen.cx - BAR_PICTURE_SIZE.cx) / 2, nTop = screen.cy - BAR_PICTURE_SIZE.cy;
        const RECT rcScores{nLeft + SCORES_ON_BAR.left, nTop + SCORES_ON_BAR.top, nLeft + SCORES_ON_BAR.right,
                            nTop + SCORES_ON_BAR.bottom};
        int nInside = 0, nOutside = 0;
        for (LONG y = screen.cy / 2; y < screen.cy; ++y)
            for (LONG x = 0; x < screen.cx; ++x)
            {
                if (!IsScoreInk(aPixels[static_cast<std::size_t>(y * screen.cx + x)] & 0xFFFFFF))
                    continue;
                const bool bInside =
                    x >= rcScores.left && x < rcScores.right && y >= rcScores.top && y < rcScores.bottom;
                ++(bInside ? nInside : nOutside);
            }
        EXPECT_GT(nInside, 40) << "two panels' texts";
        EXPECT_EQ(0, nOutside);
        g_nGameMode = 0;
    }
}
