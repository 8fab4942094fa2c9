#include "render/BallDepth.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace
{
/// The stored value of projected depth z (0 near, 1 far) in a buffer of nBits.
template <class T> T ScaleDepth(double z, double dMax) { return static_cast<T>(std::clamp(z, 0.0, 1.0) * dMax); }

template <class T>
void WriteRows(const DDSURFACEDESC2& depth, const RECT& rc, const SBallDepth& ball, const D3DMATRIX& proj, double dMax)
{
    const double r2 = static_cast<double>(ball.fRadius) * ball.fRadius;
    for (LONG y = rc.top; y < rc.bottom; ++y)
    {
        auto* pRow = reinterpret_cast<T*>(static_cast<BYTE*>(depth.lpSurface) + y * depth.lPitch);
        const double dy = y + 0.5 - ball.fCentreY;
        for (LONG x = rc.left; x < rc.right; ++x)
        {
            const double dx = x + 0.5 - ball.fCentreX;
            const double d2 = dx * dx + dy * dy;
            if (d2 >= r2)
                continue;
            // The near surface lies in front of the centre by the sphere's height over the disc.
            const double w = ball.fViewZ - ball.fSceneRadius * std::sqrt(1.0 - d2 / r2);
            if (w <= 0.0)
                continue;
            pRow[x] = ScaleDepth<T>(proj.m[2][2] + proj.m[3][2] / w, dMax);
        }
    }
}
} // namespace

void WriteBallDepth(const DDSURFACEDESC2& depth, const RECT& rcClip, const SBallDepth& ball,
                    const D3DMATRIX& matProjection)
{
    if (depth.lpSurface == nullptr || !(ball.fRadius > 0.0f) || !(ball.fViewZ > 0.0f))
        return;
    // The disc's pixels, clipped to the rectangle and the surface.
    RECT rc;
    rc.left = std::max<LONG>({rcClip.left, 0, static_cast<LONG>(std::floor(ball.fCentreX - ball.fRadius))});
    rc.top = std::max<LONG>({rcClip.top, 0, static_cast<LONG>(std::floor(ball.fCentreY - ball.fRadius))});
    rc.right = std::min<LONG>({rcClip.right, static_cast<LONG>(depth.dwWidth),
                               static_cast<LONG>(std::ceil(ball.fCentreX + ball.fRadius)) + 1});
    rc.bottom = std::min<LONG>({rcClip.bottom, static_cast<LONG>(depth.dwHeight),
                                static_cast<LONG>(std::ceil(ball.fCentreY + ball.fRadius)) + 1});
    if (rc.left >= rc.right || rc.top >= rc.bottom)
        return;
    switch (depth.ddpfPixelFormat.dwRGBBitCount)
    {
    case 16:
        WriteRows<std::uint16_t>(depth, rc, ball, matProjection, 65535.0);
        break;
    case 32:
        WriteRows<std::uint32_t>(depth, rc, ball, matProjection, 4294967295.0);
        break;
    default:
        break;
    }
}
