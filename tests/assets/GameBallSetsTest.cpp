// The ball-set libraries: their lists "TEXTURES.SET", read by the game's own reader, name a set
// per variant and flag, and each set's number discs and colour table are in the same library,
// whole and readable.
#include "tests/assets/GameFiles.h"

#include "foundation/BallTextureData.h"
#include "foundation/LibraryLists.h"
#include "render/TextureSet.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

namespace
{
struct SExpectedSet
{
    const char* szLibrary;
    const char* szVariant;
    int nFlag;
};
const SExpectedSet s_aSets[] = {
    {"VornBall.dat", "standard", 1},
    {"VornBall1.dat", "standard", 0},
    {"VornBall1.dat", "american", 0},
    {"VornBall1.dat", "bonus", 0},
};

/// The ball painter's fixed colours, which the standard set's table repeats.
constexpr BYTE STANDARD_COLORS[27] = {0xFF, 0xFF, 0xFF, 0xC4, 0xC4, 0x1F, 0x2E, 0x2E, 0xF0,
                                      0xDD, 0x25, 0x25, 0xBA, 0x25, 0xBA, 0xF2, 0x6E, 0x25,
                                      0x25, 0x76, 0x25, 0x70, 0x43, 0x23, 0x25, 0x25, 0x25};
} // namespace

TEST(GameBallSetsTest, EveryVariantAndFlagHasAWholeSet)
{
    for (const std::string& strFile : BallLibraries())
        g_astrBallSetLibraries.Add(GamePath(strFile).c_str());
    CTextureSet list;
    list.LoadTextureSet();
    g_astrBallSetLibraries.RemoveAll();
    for (const SExpectedSet& expected : s_aSets)
    {
        SCOPED_TRACE(std::string(expected.szLibrary) + " " + expected.szVariant);
        CTextureSetRec rec;
        for (int i = 0; i < list.GetCount(); ++i)
        {
            const CTextureSetRec candidate = list.GetAt(i);
            const std::string strLibrary = candidate.m_strLibrary.GetString();
            if (candidate.m_strName == expected.szVariant && candidate.m_nValue == expected.nFlag &&
                strLibrary.ends_with(std::string("/") + expected.szLibrary))
                rec = candidate;
        }
        ASSERT_FALSE(rec.m_strName.IsEmpty());
        const auto colors = FindIn(expected.szLibrary, rec.m_strField4.GetString(), "COLOR_TABLES");
        ASSERT_TRUE(colors.has_value());
        EXPECT_EQ(27u, colors->size());
        if (expected.nFlag == 1)
        {
            EXPECT_EQ(std::vector<BYTE>(std::begin(STANDARD_COLORS), std::end(STANDARD_COLORS)), *colors);
        }
        const auto discs = FindIn(expected.szLibrary, rec.m_strField2.GetString(), "TEXTURES");
        ASSERT_TRUE(discs.has_value());
        SBallTextureSet set;
        std::string strError;
        ASSERT_TRUE(ReadBallTextures(*discs, set, strError)) << strError;
        EXPECT_NEAR(0.99, set.balls[0].dThreshold, 1e-4);
        const SBallDisc& dot = set.balls[0].levels[0];
        EXPECT_GE(dot.texels[dot.nSide / 2 * dot.nSide + dot.nSide / 2], 128) << "the cue ball's dot";
        for (int b = 1; b < BALL_TEXTURE_BALLS; ++b)
        {
            SCOPED_TRACE(b);
            EXPECT_LT(set.balls[b].dThreshold, 0.99);
            // Palette 0 to 127 runs from the white to the ink: the numeral is the dark half.
            const std::vector<BYTE>& texels = set.balls[b].levels[0].texels;
            const auto nInk = std::count_if(texels.begin(), texels.end(), [](BYTE t) { return t >= 64 && t < 128; });
            EXPECT_GT(nInk, static_cast<long>(texels.size() / 40));
        }
    }
}
