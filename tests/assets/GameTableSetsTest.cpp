// The real program on the game's own libraries puts the table set that "Table number" names on the
// table: the walnut table with its green felt, or the tournament table with its blue cloth and
// ebony rails. The two frames are written for a person to look at.
#include "fixtures/ProgramRun.h"
#include "tests/assets/GameFiles.h"

#include "foundation/PngLoader.h"
#include "platform/win32/Profile.h"

#include <array>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
struct SFrame
{
    std::vector<DWORD> aPixels; // red << 24 | green << 16 | blue << 8 | alpha
    UINT nWidth = 0, nHeight = 0;

    /// The mean colour (red, green, blue) of the square of 9 by 9 pixels round a point.
    std::array<int, 3> Around(UINT x, UINT y) const
    {
        std::array<int, 3> sum{};
        for (UINT v = y - 4; v <= y + 4; ++v)
            for (UINT u = x - 4; u <= x + 4; ++u)
            {
                const DWORD dw = aPixels[static_cast<std::size_t>(v) * nWidth + u];
                for (int c = 0; c < 3; ++c)
                    sum[static_cast<std::size_t>(c)] += static_cast<int>(dw >> (24 - 8 * c) & 0xFF);
            }
        for (int& n : sum)
            n /= 81;
        return sum;
    }
};

/// The table in ball in hand once the intro has lit the room and the camera come to rest, with the
/// table set of that number: the frame shown, and the program's log.
SFrame ShowTable(int nTableNumber, std::string& strLog)
{
    CProgramRun run(GamePath("Vorn"), VORN_GAME_DIR);
    const std::string strIni = (run.Program() / "Vorn.ini").string();
    for (const auto& [szKey, szValue] :
         {std::pair{"GameType", "8"}, std::pair{"Competition Type", "1"}, std::pair{"Player level 2", "0"},
          std::pair{"AdvancedLighting", "0"}, std::pair{"AutoPlaceTime", "0"}})
        WritePrivateProfileString("Settings", szKey, szValue, strIni.c_str());
    WritePrivateProfileString("Settings", "Table number", std::to_string(nTableNumber).c_str(), strIni.c_str());
    // The intro's lamps come on at once, so the frame looked at is lit however loaded the machine.
    WritePrivateProfileString("Intro", "Blink lamp", "", strIni.c_str());
    WritePrivateProfileString("Intro", "Increase time", "0", strIni.c_str());
    const std::string strPng = "FrameTableSet" + std::to_string(nTableNumber) + ".png";
    const std::string strPath = (run.Root() / strPng).string();
    EXPECT_EQ(0, run.Run("seen Game: at rest, it can be saved or loaded\nframe +3 png " + strPath +
                         "\nafter 0 close\nanswer ok\n"))
        << run.Log();
    strLog = run.Log();
    SFrame frame;
    BYTE bAlpha = 0;
    EXPECT_TRUE(LoadPngImage(strPath.c_str(), 0, frame.aPixels, frame.nWidth, frame.nHeight, bAlpha));
    std::filesystem::create_directories(VORN_TEST_OUTPUT_DIR);
    std::filesystem::copy_file(strPath, std::filesystem::path(VORN_TEST_OUTPUT_DIR) / strPng,
                               std::filesystem::copy_options::overwrite_existing);
    return frame;
}

/// The share of the pixels whose colour differs by more than a little between two frames.
double ChangedShare(const SFrame& a, const SFrame& b)
{
    std::size_t nChanged = 0;
    for (std::size_t i = 0; i < a.aPixels.size(); ++i)
    {
        const DWORD x = a.aPixels[i], y = b.aPixels[i];
        int nDifference = 0;
        for (const int nShift : {24, 16, 8})
            nDifference += std::abs(static_cast<int>(x >> nShift & 0xFF) - static_cast<int>(y >> nShift & 0xFF));
        nChanged += nDifference > 30 ? 1 : 0;
    }
    return static_cast<double>(nChanged) / static_cast<double>(a.aPixels.size());
}
} // namespace

TEST(GameTableSetsTest, TheTableNumberPutsItsTableSetOnTheTable)
{
    std::string strWalnutLog, strTournamentLog;
    const SFrame walnut = ShowTable(0, strWalnutLog);
    const SFrame tournament = ShowTable(1, strTournamentLog);
    EXPECT_NE(std::string::npos, strWalnutLog.find("Table: set 1 on the table")) << strWalnutLog;
    EXPECT_NE(std::string::npos, strTournamentLog.find("Table: set 2 on the table")) << strTournamentLog;
    ASSERT_FALSE(walnut.aPixels.empty());
    ASSERT_EQ(walnut.nWidth, tournament.nWidth);
    ASSERT_EQ(walnut.nHeight, tournament.nHeight);
    // The room and the balls are the same; the cloth and the rails are not.
    EXPECT_GT(ChangedShare(walnut, tournament), 0.25);
    EXPECT_LT(ChangedShare(walnut, tournament), 0.9);
    // The cloth left of the cue ball, in the middle of the view: green felt, and blue cloth.
    const UINT x = walnut.nWidth * 7 / 20, y = walnut.nHeight * 11 / 20;
    const std::array<int, 3> felt = walnut.Around(x, y), cloth = tournament.Around(x, y);
    EXPECT_GT(felt[1], felt[2] + 15) << "green";
    EXPECT_GT(cloth[2], cloth[1] + 15) << "blue";
}
