// Ball-set number discs ("TEXTURES") read from any bytes, as the ball painter reads them.
// Properties: every ball read has 1 to 8 images, each holding its side's texels; a set read is
// written again as bytes that read back as the same set.
#include "tests/fuzz/FuzzTarget.h"

#include "foundation/BallTextureData.h"

namespace
{
bool SameSet(const SBallTextureSet& a, const SBallTextureSet& b)
{
    if (a.palette != b.palette)
        return false;
    for (int i = 0; i < BALL_TEXTURE_BALLS; ++i)
    {
        const SBallTexture& ta = a.balls[static_cast<std::size_t>(i)];
        const SBallTexture& tb = b.balls[static_cast<std::size_t>(i)];
        if (ta.dThreshold != tb.dThreshold || ta.levels.size() != tb.levels.size())
            return false;
        for (std::size_t k = 0; k < ta.levels.size(); ++k)
            if (ta.levels[k].nSide != tb.levels[k].nSide || ta.levels[k].texels != tb.levels[k].texels)
                return false;
    }
    return true;
}

/// A small set: each ball a disc of nSide texels and its smaller images.
SBallTextureSet SmallSet(UINT nSide, int nLevels)
{
    SBallTextureSet set;
    for (std::size_t c = 0; c < set.palette.size(); ++c)
        set.palette[c] = static_cast<DWORD>(c * 0x010203);
    for (int i = 0; i < BALL_TEXTURE_BALLS; ++i)
    {
        SBallTexture& ball = set.balls[static_cast<std::size_t>(i)];
        ball.dThreshold = i == 0 ? 0.99 : 0.5 + 0.01 * i;
        for (UINT nLevelSide = nSide; static_cast<int>(ball.levels.size()) < nLevels; nLevelSide /= 2)
            ball.levels.push_back(
                SBallDisc{nLevelSide, std::vector<BYTE>(nLevelSide * nLevelSide, static_cast<BYTE>(i))});
    }
    return set;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    SBallTextureSet set;
    std::string strError;
    if (!ReadBallTextures(std::span<const BYTE>(pData, nSize), set, strError))
    {
        FuzzCheck(!strError.empty(), "a texture set refused without a reason");
        return 0;
    }
    for (const SBallTexture& ball : set.balls)
    {
        FuzzCheck(!ball.levels.empty() && ball.levels.size() <= BALL_DISC_MAX_LEVELS, "a ball without its images");
        for (std::size_t k = 0; k < ball.levels.size(); ++k)
        {
            const SBallDisc& disc = ball.levels[k];
            FuzzCheck(disc.nSide >= 1 && disc.nSide <= BALL_DISC_MAX_SIDE &&
                          disc.texels.size() == static_cast<std::size_t>(disc.nSide) * disc.nSide,
                      "an image is not of its side");
        }
    }
    std::vector<BYTE> written;
    FuzzCheck(WriteBallTextures(set, written, strError), "a set read cannot be written");
    SBallTextureSet again;
    FuzzCheck(ReadBallTextures(written, again, strError) && SameSet(set, again), "a set written reads otherwise");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    std::vector<std::vector<BYTE>> seeds;
    for (const auto& [nSide, nLevels] : {std::pair{4u, 3}, std::pair{1u, 1}, std::pair{16u, 2}})
    {
        std::vector<BYTE> bytes;
        std::string strError;
        FuzzCheck(WriteBallTextures(SmallSet(nSide, nLevels), bytes, strError), "a seed set cannot be written");
        seeds.push_back(bytes);
    }
    return seeds;
}
