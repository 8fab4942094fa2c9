// The depth a painted ball leaves in the depth buffer: its near surface, scaled as the device
// stores depth, inside its disc and the clip rectangle only.
#include "render/BallDepth.h"

#include "foundation/Matrix.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

namespace
{
constexpr int SIZE = 40;
constexpr DWORD GUARD = 0xA5A5A5A5u;

/// A depth surface of SIZE x SIZE at nBits, every value the guard.
struct SDepthBuffer
{
    explicit SDepthBuffer(DWORD dwBits) : aBytes(SIZE * SIZE * dwBits / 8, 0xA5)
    {
        desc.dwWidth = SIZE;
        desc.dwHeight = SIZE;
        desc.lPitch = static_cast<LONG>(SIZE * dwBits / 8);
        desc.ddpfPixelFormat.dwRGBBitCount = dwBits;
        desc.lpSurface = aBytes.data();
    }
    DWORD At(int x, int y) const
    {
        const BYTE* p = aBytes.data() + y * desc.lPitch;
        if (desc.ddpfPixelFormat.dwRGBBitCount == 16)
            return reinterpret_cast<const std::uint16_t*>(p)[x];
        return reinterpret_cast<const std::uint32_t*>(p)[x];
    }
    std::vector<BYTE> aBytes;
    DDSURFACEDESC2 desc{};
};

D3DMATRIX Projection()
{
    // z' = 1.01 z - 1.01, w' = z: depth 0 at 1, 1 at about 101.
    D3DMATRIX m{};
    m.m[0][0] = m.m[1][1] = 1.0f;
    m.m[2][2] = 1.01f;
    m.m[2][3] = 1.0f;
    m.m[3][2] = -1.01f;
    return m;
}

TEST(BallDepthTest, TheNearSurfaceIsWrittenInsideTheDiscAndTheClipOnly)
{
    const D3DMATRIX proj = Projection();
    const SBallDepth ball{20.0f, 20.0f, 10.0f, 50.0f, 1.0f};
    for (const DWORD dwBits : {16u, 32u})
    {
        SCOPED_TRACE(dwBits);
        const double dMax = dwBits == 16 ? 65535.0 : 4294967295.0;
        const DWORD dwGuard = dwBits == 16 ? 0xA5A5u : GUARD;
        SDepthBuffer buffer(dwBits);
        const RECT rcClip = {0, 0, SIZE, 25}; // the rows from 25 down are the panel's
        WriteBallDepth(buffer.desc, rcClip, ball, proj);
        // The centre pixel: the sphere's front, one radius nearer than the centre.
        const double dFront = (1.01 - 1.01 / 49.0) * dMax;
        EXPECT_NEAR(dFront, static_cast<double>(buffer.At(19, 19)), dMax * 1e-4);
        const struct
        {
            int x, y;
            bool bWritten;
        } cases[] = {{19, 19, true},  {11, 19, true},  {28, 20, true}, {9, 19, false},  {31, 19, false}, {13, 13, true},
                     {12, 12, false}, {13, 11, false}, {20, 24, true}, {20, 25, false}, {20, 29, false}};
        for (const auto& c : cases)
        {
            SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
            EXPECT_EQ(c.bWritten, buffer.At(c.x, c.y) != dwGuard);
        }
        EXPECT_LT(buffer.At(19, 19), buffer.At(11, 19)) << "the middle is nearer than the rim";
    }
}

TEST(BallDepthTest, NothingIsWrittenForABallNotInFrontOrAnotherFormat)
{
    const D3DMATRIX proj = Projection();
    const RECT rcAll = {0, 0, SIZE, SIZE};
    const struct
    {
        const char* szName;
        SBallDepth ball;
        DWORD dwBits;
    } cases[] = {
        {"behind the eye", {20.0f, 20.0f, 10.0f, -5.0f, 1.0f}, 32},
        {"no size", {20.0f, 20.0f, 0.0f, 50.0f, 1.0f}, 32},
        {"off the surface", {-30.0f, 20.0f, 10.0f, 50.0f, 1.0f}, 32},
        {"a 24-bit buffer", {20.0f, 20.0f, 10.0f, 50.0f, 1.0f}, 24},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.szName);
        SDepthBuffer buffer(c.dwBits);
        WriteBallDepth(buffer.desc, rcAll, c.ball, proj);
        EXPECT_EQ(std::vector<BYTE>(buffer.aBytes.size(), 0xA5), buffer.aBytes);
    }
}
} // namespace
