// The real program on the headless display (a 1024 x 768 screen): "FullScreen" = 1, the first
// start's default, opens the game over the whole screen; Alt+Enter takes it to a window of 812 x
// 570 in the middle of the screen and back, whichever way it starts; the window brought back from
// the task bar stays as it was; and "FullScreen" is saved as the window is.
#include "fixtures/ProgramRun.h"
#include "tests/app/LinesInOrder.h"

#include "foundation/PngLoader.h"
#include "platform/win32/MenuBar.h"
#include "platform/win32/Profile.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
constexpr const char* FULL_SCREEN = "Display: \"Vorn Deluxe\" shown full screen, 1024 x 768";
constexpr const char* IN_A_WINDOW = "Display: \"Vorn Deluxe\" shown in a window, 812 x 570 at 106, 99";

/// Alt+Enter as a person presses it: Alt held over a few frames, so that it is still down when
/// Enter's message is read; then the script waits for the display to show the window's new state.
std::string AltEnter(const char* szShown)
{
    return "after 0 key down Left Alt\nframe +2 key press Return\nframe +2 key up Left Alt\nseen " +
           std::string(szShown) + "\n";
}

/// The size of the frame a script's "png" action wrote.
SIZE FrameSize(const std::string& strPng)
{
    std::vector<DWORD> aPixels;
    UINT nWidth = 0, nHeight = 0;
    BYTE bAlpha = 0;
    if (!LoadPngImage(strPng.c_str(), 0, aPixels, nWidth, nHeight, bAlpha))
        return SIZE{0, 0};
    return SIZE{static_cast<LONG>(nWidth), static_cast<LONG>(nHeight)};
}

TEST(ProgramFullScreenTest, AltEnterGoesBothWaysAndTheSettingFollowsTheWindow)
{
    struct SCase
    {
        const char* szName;
        const char* szStoredFullScreen;    // null: the first start, with no settings file
        std::vector<const char*> aToggles; // what the display shows after each Alt+Enter
        int nSaved;                        // "FullScreen" once the game has closed
    };
    const SCase aCases[] = {
        {"the first start opens full screen; to a window and back", nullptr, {IN_A_WINDOW, FULL_SCREEN}, 1},
        {"full screen to a window: the setting says so", "1", {IN_A_WINDOW}, 0},
        {"a window to full screen and back", "0", {FULL_SCREEN, IN_A_WINDOW}, 0},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CProgramRun run(VORN_PROGRAM, VORN_APP_FIXTURE_DIR);
        const std::string strIni = (run.Program() / "Vorn.ini").string();
        if (c.szStoredFullScreen != nullptr)
            WritePrivateProfileString("Settings", "FullScreen", c.szStoredFullScreen, strIni.c_str());
        // A frame at the start and one after each change, as the display shows them.
        std::vector<std::string> aPngs{(run.Root() / "start.png").string()};
        std::string strScript = "seen Game started\nframe +3 png " + aPngs.back() + "\n";
        for (const char* szShown : c.aToggles)
        {
            aPngs.push_back((run.Root() / ("after" + std::to_string(aPngs.size()) + ".png")).string());
            strScript += AltEnter(szShown) + "frame +3 png " + aPngs.back() + "\n";
        }
        ASSERT_EQ(0, run.Run(strScript + "after 0 close\nanswer ok\n")) << run.Log();
        const std::string strLog = run.Log();

        const bool bStartsFull = c.szStoredFullScreen == nullptr || std::string(c.szStoredFullScreen) == "1";
        // The display thread writes what it shows beside the game's own lines, so the start's
        // full screen may be logged before or after "Game started"; the toggles come after it.
        std::vector<std::string> aShown;
        if (bStartsFull)
            aShown.emplace_back(FULL_SCREEN);
        aShown.insert(aShown.end(), c.aToggles.begin(), c.aToggles.end());
        EXPECT_TRUE(HasLinesInOrder(strLog, aShown)) << strLog;
        EXPECT_NE(std::string::npos, strLog.find("Game started")) << strLog;
        if (!bStartsFull)
        {
            EXPECT_EQ(std::string::npos, strLog.substr(0, strLog.find("Game started")).find(FULL_SCREEN)) << strLog;
        }
        for (std::size_t i = 0; i < aPngs.size(); ++i)
        {
            SCOPED_TRACE(aPngs[i]);
            const bool bFull = i == 0 ? bStartsFull : std::string(c.aToggles[i - 1]) == FULL_SCREEN;
            // A window's picture holds the menu bar's band above its 812 by 570 client area.
            const SIZE size = FrameSize(aPngs[i]);
            EXPECT_EQ(bFull ? 1024 : 812, size.cx);
            EXPECT_EQ(bFull ? 768 : 570 + MENU_BAR_HEIGHT, size.cy);
        }
        EXPECT_EQ(c.nSaved, static_cast<int>(GetPrivateProfileInt("Settings", "FullScreen", -1, strIni.c_str())));
    }
}

TEST(ProgramFullScreenTest, FullScreenBroughtBackFromTheTaskBarStaysFullScreen)
{
    CProgramRun run(VORN_PROGRAM, VORN_APP_FIXTURE_DIR);
    // Restored, the window is made again as it stands: over the whole screen.
    const std::string strPng = (run.Root() / "restored.png").string();
    ASSERT_EQ(0, run.Run("seen Game started\nframe +3 minimise\nafter 0 restore\nafter 0 focus\n"
                         "seen Environment: field of view\nframe +3 png " +
                         strPng + "\nafter 0 close\nanswer ok\n"))
        << run.Log();
    EXPECT_EQ(std::string::npos, run.Log().find("shown in a window")) << run.Log();
    EXPECT_EQ(1024, FrameSize(strPng).cx);
    EXPECT_EQ(1, static_cast<int>(GetPrivateProfileInt("Settings", "FullScreen", -1,
                                                       (run.Program() / "Vorn.ini").string().c_str())));
}
} // namespace
