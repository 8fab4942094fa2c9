#include "foundation/BallTextureData.h"

#include "platform/win32/ByteStream.h"

#include <gtest/gtest.h>

namespace
{
// Two levels per ball (4 and 2 texels a side), texels numbered so every image differs.
SBallTextureSet MakeSet()
{
    SBallTextureSet set;
    for (int i = 0; i < 256; ++i)
        set.palette[i] = static_cast<DWORD>(i * 0x010203) & 0xFFFFFF;
    for (int b = 0; b < BALL_TEXTURE_BALLS; ++b)
    {
        SBallTexture& ball = set.balls[b];
        ball.dThreshold = b == 0 ? 0.99 : 0.8;
        for (const UINT nSide : {4u, 2u})
        {
            SBallDisc disc{nSide, {}};
            for (UINT t = 0; t < nSide * nSide; ++t)
                disc.texels.push_back(static_cast<BYTE>(b * 16 + t + nSide));
            ball.levels.push_back(disc);
        }
    }
    return set;
}

void PutU32(std::vector<BYTE>& data, std::size_t nAt, DWORD nValue)
{
    for (int i = 0; i < 4; ++i)
        data[nAt + i] = static_cast<BYTE>(nValue >> (8 * i));
}
} // namespace

TEST(BallTextureDataTest, SetRoundTripsWithEveryOffsetInside)
{
    const SBallTextureSet set = MakeSet();
    std::vector<BYTE> data;
    std::string strError;
    ASSERT_TRUE(WriteBallTextures(set, data, strError)) << strError;
    CByteReader rd(data);
    ASSERT_TRUE(rd.Seek(BALL_TEXTURE_PALETTE_BYTES));
    for (std::size_t i = 0; i < BALL_TEXTURE_OFFSETS; ++i)
    {
        DWORD nOffset = 0;
        ASSERT_TRUE(rd.ReadU32LE(nOffset));
        EXPECT_GE(nOffset, BALL_TEXTURE_HEADER_BYTES);
        EXPECT_LT(nOffset, data.size());
    }
    SBallTextureSet back;
    ASSERT_TRUE(ReadBallTextures(data, back, strError)) << strError;
    EXPECT_EQ(set.palette, back.palette);
    for (int b = 0; b < BALL_TEXTURE_BALLS; ++b)
    {
        SCOPED_TRACE(b);
        EXPECT_NEAR(set.balls[b].dThreshold, back.balls[b].dThreshold, 1.0 / BALL_THRESHOLD_ONE);
        ASSERT_EQ(2u, back.balls[b].levels.size());
        for (int l = 0; l < 2; ++l)
        {
            EXPECT_EQ(set.balls[b].levels[l].nSide, back.balls[b].levels[l].nSide);
            EXPECT_EQ(set.balls[b].levels[l].texels, back.balls[b].levels[l].texels);
        }
    }
}

TEST(BallTextureDataTest, DamagedResourcesAreRefused)
{
    std::vector<BYTE> good;
    std::string strError;
    ASSERT_TRUE(WriteBallTextures(MakeSet(), good, strError));
    struct SCase
    {
        const char* szName;
        void (*pfnDamage)(std::vector<BYTE>&);
        const char* szError;
    };
    const SCase cases[] = {
        {"cut inside the offsets", [](std::vector<BYTE>& d) { d.resize(BALL_TEXTURE_HEADER_BYTES - 2); },
         "the resource is shorter than its offsets"},
        {"offset past the end",
         [](std::vector<BYTE>& d) { PutU32(d, BALL_TEXTURE_PALETTE_BYTES + 4, static_cast<DWORD>(d.size())); },
         "an offset points outside the resource's data"},
        {"offset into the header", [](std::vector<BYTE>& d) { PutU32(d, BALL_TEXTURE_PALETTE_BYTES, 8); },
         "an offset points outside the resource's data"},
        {"image cut by the end", [](std::vector<BYTE>& d) { d.resize(d.size() - 2); },
         "ball 15: disc image 1 lies outside the resource"},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        std::vector<BYTE> data = good;
        c.pfnDamage(data);
        SBallTextureSet set;
        EXPECT_FALSE(ReadBallTextures(data, set, strError));
        EXPECT_EQ(c.szError, strError);
    }
    SBallTextureSet bad = MakeSet();
    bad.balls[3].levels[1].texels.pop_back();
    std::vector<BYTE> out;
    EXPECT_FALSE(WriteBallTextures(bad, out, strError));
    EXPECT_EQ("ball 3: a disc image's texels do not match its side", strError);
}
