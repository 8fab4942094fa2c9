// Key G in the real program on the game's own libraries: it takes the room away, leaving the
// table, the balls and the cue as they were; the next start remembers it; G again gives the room
// back as it was, up to the sconce's flickering flame. A stored detail level that is neither on nor off starts with the
// room drawn.
#include "tests/assets/StillGameFrames.h"

#include "platform/win32/MenuBar.h"

#include <gtest/gtest.h>

namespace
{
/// Pixels of the frame drawn black: where no scene object is.
std::size_t BlackPixels(const SShownFrame& frame)
{
    return static_cast<std::size_t>(std::count_if(frame.aPixels.begin(), frame.aPixels.end(), IsBlack));
}

/// Whether two frames' pixels show the same room: the sconce's flame flickers its red and green by up
/// to a quarter, differently in each run.
bool SameUpToTheFlicker(DWORD a, DWORD b)
{
    constexpr int FLICKER = 64;
    for (int c = 0; c < 3; ++c)
        if (std::abs(PixelChannel(a, c) - PixelChannel(b, c)) > FLICKER)
            return false;
    return true;
}

/// The rows of the mode's one-line help under the turn banner: text drawn over the scene, whose
/// glyphs' edges blend with what lies behind them. Pixels of the window's picture, whose menu bar's
/// band lies above the view.
constexpr int HINT_TOP = MENU_BAR_HEIGHT + 48, HINT_BOTTOM = MENU_BAR_HEIGHT + 66;

bool IsInHint(std::size_t i, int nWidth)
{
    const int y = static_cast<int>(i / static_cast<std::size_t>(nWidth));
    return y >= HINT_TOP && y < HINT_BOTTOM;
}

int SavedDrawLevel(const CProgramRun& run)
{
    return static_cast<int>(
        GetPrivateProfileInt("Settings", "DrawLevel", -1, (run.Program() / "Vorn.ini").string().c_str()));
}

/// A start's first frame, then G, then the frame after it.
std::pair<SShownFrame, SShownFrame> StartThenG(CProgramRun& run)
{
    const std::string strStart = (run.Root() / "start.png").string(), strAfter = (run.Root() / "after.png").string();
    EXPECT_EQ(0, run.Run("seen Game started\nframe +5 png " + strStart + "\nafter 0 key press G\nframe +5 png " +
                         strAfter + "\nafter 0 close\nanswer ok\n"))
        << run.Log();
    return {ReadShownFrame(strStart), ReadShownFrame(strAfter)};
}

TEST(RoomDetailProgramTest, KeyGTakesTheRoomAwayUntilGAgainEvenOverANewStart)
{
    CProgramRun run(GamePath("Vorn"), VORN_GAME_DIR);
    WriteStillGameSettings(run);
    const auto [withRoom, withoutRoom] = StartThenG(run);
    ASSERT_FALSE(withRoom.aPixels.empty());
    ASSERT_EQ(withRoom.aPixels.size(), withoutRoom.aPixels.size());
    const std::size_t nFrame = withRoom.aPixels.size();
    const auto count = [nFrame](auto isCounted)
    {
        std::size_t n = 0;
        for (std::size_t i = 0; i < nFrame; ++i)
            n += isCounted(i) ? 1 : 0;
        return n;
    };
    EXPECT_LT(BlackPixels(withRoom), nFrame / 100) << "the room is drawn";
    EXPECT_GT(BlackPixels(withoutRoom), nFrame / 4) << "the room is gone";
    // What is left is drawn as before, the cue among it (the help line's text blends with the room).
    EXPECT_EQ(0u, count(
                      [&](std::size_t i)
                      {
                          return !IsBlack(withoutRoom.aPixels[i]) && withoutRoom.aPixels[i] != withRoom.aPixels[i] &&
                                 !IsInHint(i, withRoom.nWidth);
                      }));
    EXPECT_EQ(0, SavedDrawLevel(run));

    // The next start opens without the room but with all the rest; G brings the room back as it
    // was. A new rack turns other faces of the balls up, which changes a pixel or two at their edges.
    const auto [startedWithout, given] = StartThenG(run);
    ASSERT_EQ(nFrame, startedWithout.aPixels.size());
    ASSERT_EQ(nFrame, given.aPixels.size());
    const std::size_t nBallEdges = nFrame / 10000;
    EXPECT_GT(BlackPixels(startedWithout), nFrame / 4) << "the room is still gone";
    EXPECT_LT(
        count([&](std::size_t i) { return !IsBlack(withoutRoom.aPixels[i]) && IsBlack(startedWithout.aPixels[i]); }),
        nBallEdges)
        << "the table, the balls and the cue are drawn";
    EXPECT_LT(count(
                  [&](std::size_t i) {
                      return IsBlack(withoutRoom.aPixels[i]) &&
                             !SameUpToTheFlicker(given.aPixels[i], withRoom.aPixels[i]);
                  }),
              nBallEdges)
        << "the room is back";
    EXPECT_EQ(255, SavedDrawLevel(run));
}

TEST(RoomDetailProgramTest, AStoredLevelNeitherOnNorOffStartsWithTheRoomDrawn)
{
    CProgramRun run(GamePath("Vorn"), VORN_GAME_DIR);
    WriteStillGameSettings(run, {{"DrawLevel", "1"}});
    const std::string strPng = (run.Root() / "start.png").string();
    ASSERT_EQ(0, run.Run("seen Game started\nframe +5 png " + strPng + "\nafter 0 close\nanswer ok\n")) << run.Log();
    const SShownFrame frame = ReadShownFrame(strPng);
    ASSERT_FALSE(frame.aPixels.empty());
    EXPECT_LT(BlackPixels(frame), frame.aPixels.size() / 100) << "the room is drawn";
    EXPECT_NE(std::string::npos, run.Log().find("Settings: DrawLevel 1 is neither 0 nor 255; 255 is used"))
        << run.Log();
    EXPECT_EQ(255, SavedDrawLevel(run));
}
} // namespace
