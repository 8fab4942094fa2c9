#include "gameflow/FlowCamera.h"

#include "foundation/Matrix.h"
#include "simulation/PhysicsConstants.h"

#include <cmath>
#include <numbers>

namespace
{
constexpr float DEGREE = std::numbers::pi_v<float> / 180.0f;
const CVector3 VERTICAL(0.0f, 1.0f, 0.0f);
/// The pitch range: from 60 degrees below the horizon to just below it.
constexpr float PITCH_LOWEST = 300.0f;
constexpr float PITCH_HIGHEST = 359.9f;
} // namespace

CVector3 BallToScene(const CVector3& vTable)
{
    return TableToScene(CVector3(vTable.x, vTable.y, vTable.z + BALL_RADIUS_M));
}

float NormalizeYaw(float fDegrees)
{
    float f = std::fmod(fDegrees, 360.0f);
    if (f < 0.0f)
        f += 360.0f;
    // A tiny negative remainder rounds up to 360 itself, which is the same direction as 0.
    return f >= 360.0f ? 0.0f : f;
}

void SFlowCamera::SetPitch(float fDegrees)
{
    float p = fDegrees;
    if (p >= -60.0f && p <= 0.0f)
        p += 360.0f;
    if (p > PITCH_HIGHEST || p < 180.0f)
        p = PITCH_HIGHEST; // at or above the horizon
    else if (p < PITCH_LOWEST)
        p = PITCH_LOWEST;
    fPitch = p;
}

void SFlowCamera::Place()
{
    const CVector3 forward(0.0f, 0.0f, 1.0f);
    CVector3 f;
    Vec3RotateAxis(&f, &forward, &VERTICAL, (fYaw + 180.0f) * DEGREE);
    const CVector3 side = f.Cross(VERTICAL);
    CVector3 d;
    Vec3RotateAxis(&d, &f, &side, fPitch * DEGREE);
    vDirection = d;
    vPosition = vLookAt - d * fDistance - side * fShift1;
    vPosition.y = std::max(vPosition.y, SCENE_BED_HEIGHT + fShift2);
    // The camera's own up: perpendicular to the view, in the vertical plane through it.
    vUp = side.Cross(d).GetNormalized();
    if (vUp.y < 0.0f)
        vUp = vUp * -1.0f;
}

bool IntersectHorizontalPlane(const CVector3& vFrom, const CVector3& vDir, float fHeight, CVector3& vHit)
{
    if (std::fabs(vDir.y) < 1e-9f)
        return false;
    const float t = (fHeight - vFrom.y) / vDir.y;
    vHit = vFrom + vDir * t;
    return true;
}
