#include "foundation/BallTextureData.h"

#include "platform/win32/ByteStream.h"

#include <cmath>

namespace
{
std::string BallText(int nBall) { return "ball " + std::to_string(nBall) + ": "; }

bool CheckBall(const SBallTexture& ball, int nBall, std::string& strError)
{
    if (ball.levels.empty() || ball.levels.size() > BALL_DISC_MAX_LEVELS)
    {
        strError = BallText(nBall) + "needs 1 to " + std::to_string(BALL_DISC_MAX_LEVELS) + " disc images";
        return false;
    }
    for (const SBallDisc& disc : ball.levels)
    {
        if (disc.nSide == 0 || disc.nSide > BALL_DISC_MAX_SIDE || disc.texels.size() != disc.nSide * disc.nSide)
        {
            strError = BallText(nBall) + "a disc image's texels do not match its side";
            return false;
        }
    }
    return true;
}

DWORD ThresholdWord(double dThreshold) { return static_cast<DWORD>(std::lround(dThreshold * BALL_THRESHOLD_ONE)); }

// Reads the record and images of one ball from the offsets of its slots.
bool ReadBall(std::span<const BYTE> data, DWORD nRecordOffset, const DWORD* pImageOffsets, SBallTexture& ball,
              int nBall, std::string& strError)
{
    CByteReader rd(data);
    DWORD nThreshold = 0, nLevels = 0, nSide = 0, nReserved = 0;
    if (!rd.Seek(nRecordOffset) || !rd.ReadU32LE(nThreshold) || !rd.ReadU32LE(nLevels) || !rd.ReadU32LE(nSide) ||
        !rd.ReadU32LE(nReserved))
    {
        strError = BallText(nBall) + "the ball record lies outside the resource";
        return false;
    }
    if (nLevels == 0 || nLevels > BALL_DISC_MAX_LEVELS || nLevels >= BALL_TEXTURE_SLOTS)
    {
        strError = BallText(nBall) + "bad number of disc images";
        return false;
    }
    ball.dThreshold = nThreshold / BALL_THRESHOLD_ONE;
    ball.levels.assign(nLevels, {});
    for (DWORD i = 0; i < nLevels; ++i)
    {
        SBallDisc& disc = ball.levels[i];
        if (!rd.Seek(pImageOffsets[i]) || !rd.ReadU32LE(disc.nSide) || disc.nSide == 0 ||
            disc.nSide > BALL_DISC_MAX_SIDE || !rd.ReadBytes(std::size_t{disc.nSide} * disc.nSide, disc.texels))
        {
            strError = BallText(nBall) + "disc image " + std::to_string(i) + " lies outside the resource";
            return false;
        }
    }
    if (ball.levels[0].nSide != nSide)
    {
        strError = BallText(nBall) + "the record's side differs from the largest image";
        return false;
    }
    return true;
}
} // namespace

double BallDiscRadius(double dThreshold) { return std::sqrt(std::max(0.0, 1.0 - dThreshold * dThreshold)); }

bool WriteBallTextures(const SBallTextureSet& set, std::vector<BYTE>& out, std::string& strError)
{
    for (int b = 0; b < BALL_TEXTURE_BALLS; ++b)
        if (!CheckBall(set.balls[b], b, strError))
            return false;
    CByteWriter data; // the records and images, placed after the header
    std::vector<DWORD> offsets;
    for (const SBallTexture& ball : set.balls)
    {
        const auto nRecord = static_cast<DWORD>(BALL_TEXTURE_HEADER_BYTES + data.Size());
        data.WriteU32LE(ThresholdWord(ball.dThreshold));
        data.WriteU32LE(static_cast<DWORD>(ball.levels.size()));
        data.WriteU32LE(ball.levels[0].nSide);
        data.WriteU32LE(0);
        std::vector<DWORD> slots(BALL_TEXTURE_SLOTS, nRecord);
        for (std::size_t i = 0; i < ball.levels.size(); ++i)
        {
            slots[1 + i] = static_cast<DWORD>(BALL_TEXTURE_HEADER_BYTES + data.Size());
            data.WriteU32LE(ball.levels[i].nSide);
            data.WriteBytes(ball.levels[i].texels);
            data.PadTo(4);
        }
        offsets.insert(offsets.end(), slots.begin(), slots.end());
    }
    CByteWriter wr;
    for (const DWORD nColor : set.palette)
    {
        wr.WriteU8(static_cast<BYTE>(nColor & 0xFF));
        wr.WriteU8(static_cast<BYTE>((nColor >> 8) & 0xFF));
        wr.WriteU8(static_cast<BYTE>((nColor >> 16) & 0xFF));
        wr.WriteU8(0);
    }
    for (const DWORD nOffset : offsets)
        wr.WriteU32LE(nOffset);
    wr.WriteBytes(data.Bytes());
    out = wr.Take();
    return true;
}

bool ReadBallTextures(std::span<const BYTE> data, SBallTextureSet& set, std::string& strError)
{
    CByteReader rd(data);
    for (DWORD& nColor : set.palette)
    {
        BYTE nBlue = 0, nGreen = 0, nRed = 0, nZero = 0;
        if (!rd.ReadU8(nBlue) || !rd.ReadU8(nGreen) || !rd.ReadU8(nRed) || !rd.ReadU8(nZero))
        {
            strError = "the resource is shorter than its palette";
            return false;
        }
        nColor = DWORD{nRed} << 16 | DWORD{nGreen} << 8 | nBlue;
    }
    std::vector<DWORD> offsets(BALL_TEXTURE_OFFSETS);
    for (DWORD& nOffset : offsets)
    {
        if (!rd.ReadU32LE(nOffset))
        {
            strError = "the resource is shorter than its offsets";
            return false;
        }
    }
    for (const DWORD nOffset : offsets)
    {
        if (nOffset < BALL_TEXTURE_HEADER_BYTES || nOffset >= data.size())
        {
            strError = "an offset points outside the resource's data";
            return false;
        }
    }
    for (int b = 0; b < BALL_TEXTURE_BALLS; ++b)
    {
        const DWORD* pSlots = offsets.data() + b * BALL_TEXTURE_SLOTS;
        if (!ReadBall(data, pSlots[0], pSlots + 1, set.balls[b], b, strError))
            return false;
    }
    return true;
}
