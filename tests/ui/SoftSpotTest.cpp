#include "ui/SoftSpot.h"

#include "WidgetFixture.h"

#include "ui/ClickPanels.h"

#include <gtest/gtest.h>

class SoftSpotTest : public CWidgetFixture
{
protected:
    void TearDown() override
    {
        ReleaseSoftSpotTexture();
        CWidgetFixture::TearDown();
    }
};

TEST_F(SoftSpotTest, BlobFallsFromTheCentreToTheCornersSymmetrically)
{
    EXPECT_EQ(254, SoftSpotAlpha(63, 63));
    EXPECT_EQ(0, SoftSpotAlpha(0, 0));
    EXPECT_EQ(0, SoftSpotAlpha(127, 0));
    for (DWORD i = 0; i < 64; ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(SoftSpotAlpha(i, 40), SoftSpotAlpha(127 - i, 40));
        EXPECT_EQ(SoftSpotAlpha(40, i), SoftSpotAlpha(40, 127 - i));
        if (i > 0)
        {
            EXPECT_LE(SoftSpotAlpha(i - 1, 63), SoftSpotAlpha(i, 63)); // rising towards the centre
        }
    }
}

TEST_F(SoftSpotTest, TextureTakesTheFormatWithMostAlphaAndGoesWithTheClickPanels)
{
    EXPECT_TRUE(CreateSoftSpotTexture());
    ASSERT_NE(nullptr, g_pSoftSpotTexture);
    const SurfacePtr pFirst = g_pSoftSpotTexture;
    EXPECT_TRUE(CreateSoftSpotTexture()); // made once
    EXPECT_EQ(pFirst, g_pSoftSpotTexture);
    // The device's 16-bit formats with alpha: 1-5-5-5 and 4-4-4-4; four bits win.
    EXPECT_EQ(16u, pFirst->GetBitsPerPixel());
    EXPECT_EQ(0xF000u, pFirst->GetPixelFormat().dwRGBAlphaBitMask);
    const auto texel = [&](DWORD x, DWORD y)
    { return reinterpret_cast<const WORD*>(pFirst->GetBits() + y * static_cast<DWORD>(pFirst->GetPitch()))[x]; };
    EXPECT_EQ(0x0FFFu, texel(0, 0));   // white, transparent
    EXPECT_EQ(0xBFFFu, texel(63, 64)); // white, 254 x 3 / 4 = 190 in the top nibble

    CTextWidget panel(42);
    panel.ReleaseSurfaces();
    EXPECT_EQ(nullptr, g_pSoftSpotTexture);
}
