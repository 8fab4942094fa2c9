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
    // A short blink and fade (the lamps take their colours at the end), so the test stays short.
    const std::string strIni = (run.Program() / "Vorn.ini").string();
    WritePrivateProfileString("Intro", "Blink lamp", "300, 200;", strIni.c_str());
    WritePrivateProfileString("Intro", "Increase time", "1000", strIni.c_str());
    const std::string strDark = (run.Root() / "dark.png").string(), strLit = (run.Root() / "lit.png").string();
    ASSERT_EQ(0, run.Run("frame 3 png " + strDark + "\nat 6000 png " + strLit + "\nat 6200 close\nanswer ok\n"))
        << run.Log();
    const std::string strLog = run.Log();
    EXPECT_TRUE(InOrder(strLog, {"Game started", "Intro: the lamps come on", "Intro: finished", "Do you really"}))
        << strLog;
    const double dDark = MeanBrightness(strDark), dLit = MeanBrightness(strLit);
    CopyFrame(strDark, "IntroDark.png");
    CopyFrame(strLit, "IntroLit.png");
    ASSERT_GE(dDark, 0);
    EXPECT_LT(dDark, dLit * 0.7) << "dark " << dDark << ", lit " << dLit;
    // The ini's keys were written back.
    char sz[16] = {};
    GetPrivateProfileString("Intro", "Start light", "", sz, sizeof sz, strIni.c_str());
    EXPECT_STREQ("20", sz);
}

TEST(IntroProgramTest, EscapeEndsTheIntroAtOnce)
{
    CProgramRun run(GamePath("Vorn"), VORN_GAME_DIR);
    // The full intro takes some five seconds; Escape after its tenth frame ends it.
    ASSERT_EQ(0, run.Run("frame 15 key press Escape\nframe 25 close\nanswer ok\n")) << run.Log();
    EXPECT_TRUE(InOrder(run.Log(), {"Intro: the lamps come on", "Intro: finished", "Do you really"})) << run.Log();
}
} // namespace
