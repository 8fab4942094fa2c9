#include "render/Picking.h"

#include "foundation/Matrix.h"
#include "render/CursorManager.h"
#include "render/Environment3D.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float DEGREE = 0.017453292519444445f;
constexpr float HALF_PI = 1.5707964f;

const SPickBall* FindBall(std::span<const SPickBall> balls, int nId)
{
    const auto it = std::find_if(balls.begin(), balls.end(), [nId](const SPickBall& b) { return b.nId == nId; });
    return it == balls.end() ? nullptr : &*it;
}

float Distance(const CVector3& a, const CVector3& b)
{
    const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}
} // namespace

const SPickBall* PickAtPoint(std::span<const SPickBall> balls, float x, float y, const RECT& rcViewport)
{
    for (const SPickBall& ball : balls)
    {
        CVector3 centre, edge;
        ProjectToScreenIn(&centre, &ball.vPosition, rcViewport);
        if (!(centre.z > 0.0f && centre.z < 1.0f))
            continue; // behind the camera (or past the far plane)
        // Each ball's pick radius is its own on-screen size, so far balls are not over-picked.
        const CVector3 beside(ball.vPosition.x + 1.5f * ball.fRadius, ball.vPosition.y, ball.vPosition.z);
        ProjectToScreenIn(&edge, &beside, rcViewport);
        const float fRadius = std::hypot(edge.x - centre.x, edge.y - centre.y);
        if (std::hypot(centre.x - x, centre.y - y) < fRadius)
            return &ball;
    }
    return nullptr;
}

void CHoverPicker::Reset()
{
    Clear();
    g_CursorManager.SetSystemCursor(IDC_ARROW);
    ::SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

void CHoverPicker::Clear()
{
    m_nHighlightId = -1;
    m_vPoint = CVector3();
    m_nState = 0;
}

const SPickBall* CHoverPicker::Highlight(std::span<const SPickBall> balls, float x, float y, const RECT& rcViewport)
{
    const SPickBall* pBall = PickAtPoint(balls, x, y, rcViewport);
    m_nHighlightId = pBall != nullptr ? pBall->nId : -1;
    SelectLibraryCursor(pBall != nullptr ? CURSOR_HAND : CURSOR_OVER_TABLE);
    return pBall;
}

void OrbitPoint(float fYawDeg, float fPitchDeg, float fDistance, CVector3& point, CVector3& direction)
{
    const CVector3 up(0.0f, 1.0f, 0.0f), forward(0.0f, 0.0f, 1.0f);
    CVector3 d, side;
    Vec3RotateAxis(&d, &forward, &up, fYawDeg * DEGREE);
    Vec3RotateAxis(&side, &d, &up, HALF_PI);
    Vec3RotateAxis(&direction, &d, &side, fPitchDeg * DEGREE);
    point = CVector3(point.x + direction.x * fDistance, point.y + direction.y * fDistance,
                     point.z + direction.z * fDistance);
}

int ClampBallInHand(std::span<const SPickBall> balls, int nId, CVector3* pPosition, BOOL bBehindHeadString,
                    const SBallInHandTable& table)
{
    if (pPosition == nullptr)
        return 1;
    const SPickBall* pBall = FindBall(balls, nId);
    if (pBall == nullptr)
        return 0;
    pPosition->y = 4.0f * pBall->fRadius + table.fRestingHeight;
    // In whole centimetres, one radius inside every side.
    const auto cm = [](float f) { return static_cast<int>(f * 100.0f); };
    const int nInset = cm(pBall->fRadius);
    const int nLeft = cm(table.bounds[0]) + nInset, nRight = cm(table.bounds[3]) - nInset;
    int nNear = cm(table.bounds[2]) + nInset;
    int nFar = cm(table.bounds[5]) - nInset;
    // Behind the head string: between the head end (the end nearer the string) and the string.
    if (bBehindHeadString)
    {
        const int nHeadString = cm(table.fHeadSpotZ);
        if (nHeadString - nNear < nFar - nHeadString)
            nFar = nHeadString;
        else
            nNear = nHeadString;
    }
    int nResult = 1;
    const auto clamp = [&nResult](float f, int nLow, int nHigh)
    {
        const float fLow = static_cast<float>(std::min(nLow, nHigh)), fHigh = static_cast<float>(std::max(nLow, nHigh));
        const float v = f * 100.0f;
        if (v < fLow || v > fHigh)
            nResult = 0;
        return std::clamp(v, fLow, fHigh) * 0.01f;
    };
    pPosition->x = clamp(pPosition->x, nLeft, nRight);
    pPosition->z = clamp(pPosition->z, nNear, nFar);
    return nResult;
}

int CheckBallInHandFree(std::span<const SPickBall> balls, int nId, CVector3* pPosition, const SBallInHandTable& table)
{
    if (pPosition == nullptr)
        return 1;
    for (const SPickBall& other : balls)
        if (other.nId != nId && Distance(other.vPosition, *pPosition) < 2.001f * other.fRadius)
            return 0;
    pPosition->y = table.fRestingHeight;
    return 1;
}
