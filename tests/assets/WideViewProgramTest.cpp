// The real program on the game's own libraries, aiming in its still game: holding X widens the
// view while it is held, and letting it go brings the playing view back. The frames are written as
// PNG for a person to look at and compared by how much of them the cloth takes.
#include "tests/assets/StillGameFrames.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace
{
/// Where a frame is written for a person to look at.
std::string FramePath(const char* szName)
{
    const std::filesystem::path dir = VORN_TEST_OUTPUT_DIR;
    std::filesystem::create_directories(dir);
    std::filesystem::remove(dir / szName);
    return (dir / szName).string();
}

/// How many pixels of the frame show the green cloth.
std::size_t ClothPixels(const SShownFrame& frame)
{
    std::size_t nCloth = 0;
    for (const DWORD dwPixel : frame.aPixels)
    {
        const int r = PixelChannel(dwPixel, 0), g = PixelChannel(dwPixel, 1), b = PixelChannel(dwPixel, 2);
        if (g > r + 20 && g > b + 20)
            ++nCloth;
    }
    return nCloth;
}

TEST(WideViewProgramTest, HoldingXWhileAimingShowsMoreOfTheRoomAndLettingGoNarrowsTheViewAgain)
{
    CProgramRun run(GamePath("Vorn"), VORN_GAME_DIR);
    WriteStillGameSettings(run);
    const std::string strNarrow = FramePath("WideViewNarrow.png"), strWide = FramePath("WideViewHeld.png");
    const std::string strBack = FramePath("WideViewReleased.png");
    // Each frame is written a few frames after the program has named the view it changed to.
    const std::string strScript = "seen Game started\nframe +5 png " + strNarrow +
                                  "\nframe +1 key down X\nseen View: field of view\nframe +3 png " + strWide +
                                  "\nframe +1 key up X\nseen View: field of view 0.40\nframe +3 png " + strBack +
                                  "\nafter 0 close\nanswer ok\n";
    ASSERT_EQ(0, run.Run(strScript)) << run.Log();
    const SShownFrame narrow = ReadShownFrame(strNarrow), wide = ReadShownFrame(strWide);
    const SShownFrame back = ReadShownFrame(strBack);
    ASSERT_FALSE(narrow.aPixels.empty());
    ASSERT_EQ(narrow.aPixels.size(), wide.aPixels.size());
    ASSERT_EQ(narrow.aPixels.size(), back.aPixels.size());

    const auto nNarrow = static_cast<double>(ClothPixels(narrow));
    ASSERT_GT(nNarrow, static_cast<double>(narrow.aPixels.size()) / 20) << "the aim looks at the cloth";
    // The wider view shows the same table smaller, with more of the room around it.
    EXPECT_LT(static_cast<double>(ClothPixels(wide)), 0.8 * nNarrow);
    EXPECT_NEAR(nNarrow, static_cast<double>(ClothPixels(back)), 0.05 * nNarrow) << "let go, the view is as before";
}
} // namespace
