#include "gameflow/CameraFraming.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace
{
float Dot(const CVector3& a, const CVector3& b) { return static_cast<float>(VectorDot(a, b)); }

/// Below this depth DistanceToSeePoint first backs the camera up to the near depth.
constexpr float NEAR_BACK_UP_DEPTH = 5.99f;
/// The step of the screen-centring's probe along R and U. Scene units.
constexpr float PROBE_STEP = 0.1f;
} // namespace

float SViewModel::TanVertical() const { return std::tan(fFov / 2.0f); }

float SViewModel::TanHorizontal() const
{
    const float fAspect = fHeight > 0.0f ? fWidth / fHeight : 1.0f;
    return std::tan(fFov * fAspect / 2.0f);
}

SViewModel SViewModel::At(const CVector3& vPosition) const
{
    SViewModel view = *this;
    view.P = vPosition;
    return view;
}

bool IsPointInView(const SViewModel& view, const CVector3& vPoint)
{
    const CVector3 V = vPoint - view.P;
    const float d = Dot(V, view.D);
    if (d < VIEW_NEAR_DEPTH)
        return false;
    return std::fabs(Dot(V, view.U)) / d <= view.TanVertical() &&
           std::fabs(Dot(V, view.Right())) / d <= view.TanHorizontal();
}

CVector3 FitPointsSideways(const SViewModel& view, std::span<const CVector3> points, bool& bOutOfView)
{
    bOutOfView = false;
    const CVector3 R = view.Right();
    float fMaxV = 0.0f, fMinV = 0.0f, fMaxH = 0.0f, fMinH = 0.0f, fMaxHDepth = 0.0f, fMinHDepth = 0.0f;
    for (const CVector3& p : points)
    {
        if (IsPointInView(view, p))
            continue;
        const CVector3 V = p - view.P;
        const float d = Dot(V, view.D);
        if (d == 0.0f)
        {
            bOutOfView = true;
            continue;
        }
        const float v = Dot(V, view.U) / d, h = Dot(V, R) / d;
        fMaxV = std::max(fMaxV, v);
        fMinV = std::min(fMinV, v);
        if (h > fMaxH)
        {
            fMaxH = h;
            fMaxHDepth = d;
        }
        if (h < fMinH)
        {
            fMinH = h;
            fMinHDepth = d;
        }
    }
    const float tv = view.TanVertical(), th = view.TanHorizontal();
    if (fMaxV > tv || fMinV < -tv)
        bOutOfView = true;
    const bool bRightOut = fMaxH > th, bLeftOut = fMinH < -th;
    float fShift = 0.0f;
    if (bRightOut || bLeftOut)
        bOutOfView = true;
    const float fRight = (fMaxH - th) * fMaxHDepth, fLeft = (fMinH + th) * fMinHDepth;
    if (bRightOut && bLeftOut)
        fShift = (fRight + fLeft) / 2.0f;
    else if (bRightOut)
        fShift = fRight;
    else if (bLeftOut)
        fShift = fLeft;
    return view.P + R * fShift;
}

float DistanceToSeePoint(const SViewModel& view, const CVector3& vPoint)
{
    CVector3 V = vPoint - view.P;
    float d = Dot(V, view.D);
    // Behind or too near: first back up to the near depth, then see it from there. The point then
    // lies at the near depth by construction; taking that depth rather than measuring it again
    // keeps a far point, whose depth a float cannot resolve, from backing up without end.
    float fBack = 0.0f;
    if (d < NEAR_BACK_UP_DEPTH)
    {
        fBack = VIEW_NEAR_DEPTH - d;
        V = V + view.D * fBack;
        d = VIEW_NEAR_DEPTH;
    }
    const float tv = view.TanVertical(), th = view.TanHorizontal();
    const float ev = std::max(std::fabs(Dot(V, view.U)) / d - tv, 0.0f);
    const float eh = std::max(std::fabs(Dot(V, view.Right())) / d - th, 0.0f);
    return fBack + (eh <= ev ? d * ev / tv : d * eh / th);
}

CVector3 CentreBoxInView(const SViewModel& view, std::span<const CVector3> points)
{
    if (points.empty())
        return view.P;
    const CVector3 R = view.Right();
    float fMinR = 0.0f, fMaxR = 0.0f, fMinU = 0.0f, fMaxU = 0.0f;
    bool bFirst = true;
    for (const CVector3& p : points)
    {
        const CVector3 V = p - view.P;
        const float r = Dot(V, R), u = Dot(V, view.U);
        fMinR = bFirst ? r : std::min(fMinR, r);
        fMaxR = bFirst ? r : std::max(fMaxR, r);
        fMinU = bFirst ? u : std::min(fMinU, u);
        fMaxU = bFirst ? u : std::max(fMaxU, u);
        bFirst = false;
    }
    return view.P + R * ((fMinR + fMaxR) / 2.0f) + view.U * ((fMinU + fMaxU) / 2.0f);
}

CVector3 ProjectToView(const SViewModel& view, const CVector3& vPoint)
{
    const CVector3 V = vPoint - view.P;
    const float d = Dot(V, view.D);
    if (d == 0.0f)
        return CVector3(view.fWidth / 2.0f, view.fHeight / 2.0f, 0.0f);
    const float x = view.fWidth / 2.0f * (1.0f + Dot(V, view.Right()) / d / view.TanHorizontal());
    const float y = view.fHeight / 2.0f * (1.0f - Dot(V, view.U) / d / view.TanVertical());
    return CVector3(x, y, d);
}

CVector3 CentrePointsInView(const SViewModel& view, std::span<const CVector3, 4> points)
{
    // The extremes on the screen; the first point found wins a tie.
    std::array<CVector3, 4> screen;
    for (std::size_t i = 0; i < 4; ++i)
        screen[i] = ProjectToView(view, points[i]);
    std::size_t nLeft = 0, nRight = 0, nTop = 0, nBottom = 0;
    for (std::size_t i = 1; i < 4; ++i)
    {
        nLeft = screen[i].x < screen[nLeft].x ? i : nLeft;
        nRight = screen[i].x > screen[nRight].x ? i : nRight;
        nTop = screen[i].y < screen[nTop].y ? i : nTop;
        nBottom = screen[i].y > screen[nBottom].y ? i : nBottom;
    }
    // How far each extreme moves on the screen per unit of camera move, from a small probe.
    const CVector3 R = view.Right();
    const SViewModel probe = view.At(view.P + R * PROBE_STEP + view.U * PROBE_STEP);
    const auto rate = [&](std::size_t i, bool bX)
    {
        const CVector3 moved = ProjectToView(probe, points[i]);
        return ((bX ? moved.x - screen[i].x : moved.y - screen[i].y)) / PROBE_STEP;
    };
    const float fRateX = rate(nLeft, true) + rate(nRight, true);
    const float fRateY = rate(nTop, false) + rate(nBottom, false);
    const float fRight = fRateX != 0.0f ? (view.fWidth - screen[nLeft].x - screen[nRight].x) / fRateX : 0.0f;
    const float fUp = fRateY != 0.0f ? (view.fHeight - screen[nTop].y - screen[nBottom].y) / fRateY : 0.0f;
    return view.P + R * fRight + view.U * fUp;
}
