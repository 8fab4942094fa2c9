// The first felt the game draws is its picture tinted with the settings' "Table color" (each
// texel averaged with the colour): two starts of the real program with two colours differ on the
// cloth and nowhere else, and there by what the tint makes of the picture, channel by channel.
#include "tests/assets/StillGameFrames.h"

#include "foundation/JpegFile.h"

#include <array>
#include <gtest/gtest.h>

namespace
{
/// The first frame of a start with this table colour (0x00BBGGRR).
SShownFrame FirstFrame(DWORD dwTableColour)
{
    CProgramRun run(GamePath("Vorn"), VORN_GAME_DIR);
    WriteStillGameSettings(run, {{"Table color", std::to_string(dwTableColour)}});
    const std::string strPng = (run.Root() / "first.png").string();
    EXPECT_EQ(0, run.Run("seen Game started\nframe +5 png " + strPng + "\nafter 0 close\nanswer ok\n")) << run.Log();
    return ReadShownFrame(strPng);
}

/// The felt picture's mean red, green and blue.
std::array<double, 3> FeltPictureMean()
{
    const auto jpeg = FindFirst(ArtworkLibraries(), "felt", "JPG");
    EXPECT_TRUE(jpeg.has_value());
    if (!jpeg)
        return {};
    UINT nWidth = 0, nHeight = 0;
    const std::vector<BYTE> rgb = JpegFile::ReadMemory(jpeg->data(), jpeg->size(), nWidth, nHeight);
    std::array<double, 3> aMean{};
    for (std::size_t i = 0; i < rgb.size(); ++i)
        aMean[i % 3] += rgb[i];
    for (double& d : aMean)
        d /= static_cast<double>(rgb.size() / 3);
    return aMean;
}

TEST(FeltColourProgramTest, TheFirstFeltIsItsPictureTintedByTheTableColour)
{
    // The default green, and a red cloth.
    constexpr DWORD GREEN = 0x2A8E22, RED = 0x1E1E8C;
    const SShownFrame green = FirstFrame(GREEN), red = FirstFrame(RED);
    ASSERT_FALSE(green.aPixels.empty());
    ASSERT_EQ(green.aPixels.size(), red.aPixels.size());

    // The cloth is where the two frames differ; the light on it is the same in both, so channel by
    // channel the sums over it stand as the tinted pictures do.
    std::array<double, 3> aGreenSum{}, aRedSum{};
    std::size_t nCloth = 0;
    for (std::size_t i = 0; i < green.aPixels.size(); ++i)
    {
        int nDiffers = 0;
        for (int c = 0; c < 3; ++c)
            nDiffers =
                std::max(nDiffers, std::abs(PixelChannel(green.aPixels[i], c) - PixelChannel(red.aPixels[i], c)));
        if (nDiffers <= 6)
            continue;
        ++nCloth;
        for (int c = 0; c < 3; ++c)
        {
            aGreenSum[c] += PixelChannel(green.aPixels[i], c);
            aRedSum[c] += PixelChannel(red.aPixels[i], c);
        }
    }
    ASSERT_GT(nCloth, green.aPixels.size() / 10) << "the first felt takes the table colour";
    const std::array<double, 3> aPicture = FeltPictureMean();
    for (int c = 0; c < 3; ++c)
    {
        SCOPED_TRACE(c);
        const auto tinted = [&](DWORD dwColour) { return (aPicture[c] + ((dwColour >> (8 * c)) & 0xFF)) / 2.0; };
        const double dExpected = tinted(RED) / tinted(GREEN);
        EXPECT_NEAR(dExpected, aRedSum[c] / aGreenSum[c], 0.04 * dExpected);
    }
}
} // namespace
