// The real program on the game's own libraries opens with the intro's lamp sequence: the room is
// first dark, then lit, and the game goes on; Escape ends the intro at once. The frames are
// written for a person to look at.
#include "fixtures/ProgramRun.h"
#include "tests/assets/GameFiles.h"

#include "foundation/PngLoader.h"
#include "platform/win32/Profile.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
/// The mean of red, green and blue over the picture; -1 when it cannot be read.
double MeanBrightness(const std::string& strPng)
{
    std::vector<DWORD> aPixels;
    UINT nWidth = 0, nHeight = 0;
    BYTE bAlpha = 0;
    if (!LoadPngImage(strPng.c_str(), 0, aPixels, nWidth, nHeight, bAlpha) || aPixels.empty())
        return -1;
    double dSum = 0;
    for (const DWORD dw : aPixels)
        dSum += ((dw >> 24) & 0xFF) + ((dw >> 16) & 0xFF) + ((dw >> 8) & 0xFF);
    return dSum / (3.0 * static_cast<double>(aPixels.size()));
}

/// Whether the texts occur in the log in this order.
bool InOrder(const std::string& strLog, const std::vector<std::string>& aTexts)
{
    size_t nAt = 0;
    for (const std::string& str : aTexts)
    {
        nAt = strLog.find(str, nAt);
        if (nAt == std::string::npos)
            return false;
    }
    return true;
}

void CopyFrame(const std::string& strPng, const char* szName)
{
    std::filesystem::create_directories(VORN_TEST_OUTPUT_DIR);
    std::filesystem::copy_file(strPng, std::filesystem::path(VORN_TEST_OUTPUT_DIR) / szName,
                               std::filesystem::copy_options::overwrite_existing);
}

TEST(IntroProgramTest, TheGameOpensInTheDarkRoomAndPlaysOnOnceTheLampsAreLit)
{
    CProgramRun run(GamePath("Vorn"), VORN_GAME_DIR);
    // A dark phase of a second and a half and a short fade (the lamps take their colours at its
    // end). The frames are taken by the log and the frames shown, however slowly a loaded machine
    // draws them: the three after the lamps come on (the dark room's), and one well after the
    // intro.
    const std::string strIni = (run.Program() / "Vorn.ini").string();
    WritePrivateProfileString("Intro", "Blink lamp", "1500;", strIni.c_str());
    WritePrivateProfileString("Intro", "Increase time", "500", strIni.c_str());
    std::vector<std::string> aPngs;
    std::string strScript = "seen Intro: the lamps come on\n";
    for (int i = 1; i <= 4; ++i)
    {
        aPngs.push_back((run.Root() / ("frame" + std::to_string(i) + ".png")).string());
        strScript += (i < 4 ? "frame +1 png " : "seen Intro: finished\nframe +10 png ") + aPngs.back() + "\n";
    }
    ASSERT_EQ(0, run.Run(strScript + "after 0 close\nanswer ok\n")) << run.Log();
    const std::string strLog = run.Log();
    // At its end the camera flies from the dark room to the table, where the person's game begins.
    EXPECT_TRUE(InOrder(strLog, {"Game started", "Intro: the lamps come on", "Intro: finished",
                                 "Intro: the camera flies to the table", "Do you really"}))
        << strLog;
    // The darkest frame shown (a frame at all: not an empty one) is well darker than the lit room.
    const double dLit = MeanBrightness(aPngs.back());
    ASSERT_GT(dLit, 5.0);
    size_t nDarkest = 0;
    double dDarkest = dLit;
    for (size_t i = 0; i < aPngs.size(); ++i)
        if (const double d = MeanBrightness(aPngs[i]); d > 5.0 && d < dDarkest)
        {
            dDarkest = d;
            nDarkest = i;
        }
    CopyFrame(aPngs[nDarkest], "IntroDark.png");
    CopyFrame(aPngs.back(), "IntroLit.png");
    EXPECT_LT(dDarkest, dLit * 0.7) << "darkest " << dDarkest << ", lit " << dLit;
    // The ini's keys were written back.
    char sz[16] = {};
    GetPrivateProfileString("Intro", "Start light", "", sz, sizeof sz, strIni.c_str());
    EXPECT_STREQ("20", sz);
}

TEST(IntroProgramTest, EscapeEndsTheIntroAtOnceAndTheCameraFliesToTheChosenView)
{
    struct SCase
    {
        const char* szOverheadView; // the settings' "OverHead View"
        const char* szFlight;       // the log's line of the flight at the intro's end
    };
    for (const SCase& c :
         {SCase{"0", "Intro: the camera flies to the table"}, SCase{"1", "Intro: the camera flies to the top view"}})
    {
        SCOPED_TRACE(c.szFlight);
        CProgramRun run(GamePath("Vorn"), VORN_GAME_DIR);
        // A dark phase of ten minutes: only Escape ends the intro. The intro takes no key in its
        // program's first ten frames, so Escape is pressed on each of the intro's first thirty
        // frames, however slowly a loaded machine draws them; once the intro has ended the window
        // is closed.
        const std::string strIni = (run.Program() / "Vorn.ini").string();
        WritePrivateProfileString("Intro", "Blink lamp", "600000;", strIni.c_str());
        WritePrivateProfileString("Settings", "OverHead View", c.szOverheadView, strIni.c_str());
        std::string strScript = "seen Intro: the lamps come on\n";
        for (int i = 0; i < 30; ++i)
            strScript += "frame +1 key press Escape\n";
        ASSERT_EQ(0, run.Run(strScript + "seen Intro: finished\nafter 0 close\nanswer ok\n")) << run.Log();
        EXPECT_TRUE(InOrder(run.Log(), {"Intro: the lamps come on", "Intro: finished", c.szFlight, "Do you really"}))
            << run.Log();
    }
}
} // namespace
