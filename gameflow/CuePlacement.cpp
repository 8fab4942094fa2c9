#include "gameflow/CuePlacement.h"

#include "foundation/Matrix.h"

#include <cmath>
#include <numbers>

namespace
{
constexpr float DEGREE = std::numbers::pi_v<float> / 180.0f;
/// Below this the cue has no horizontal part: it points straight up or down.
constexpr double MIN_SIDE_LENGTH = 1e-4;
const CVector3 VERTICAL(0.0f, 1.0f, 0.0f);

/// (0, 0, 1) turned by the yaw about the vertical, then by the pitch about the horizontal axis
/// perpendicular to it.
CVector3 OrbitDirection(float fYawDeg, float fPitchDeg)
{
    const CVector3 forward(0.0f, 0.0f, 1.0f);
    CVector3 d;
    CVector3 side;
    CVector3 direction;
    Vec3RotateAxis(&d, &forward, &VERTICAL, fYawDeg * DEGREE);
    Vec3RotateAxis(&side, &d, &VERTICAL, std::numbers::pi_v<float> / 2.0f);
    Vec3RotateAxis(&direction, &d, &side, fPitchDeg * DEGREE);
    return direction;
}

/// The parameters at which the segment A + t (B - A), t in 0..1, meets the sphere; false when
/// it misses.
bool IntersectSphere(const CVector3& vA, const CVector3& vB, const CVector3& vCentre, float fRadius, double& t0,
                     double& t1)
{
    const CVector3 d = vB - vA;
    const CVector3 m = vA - vCentre;
    const double a = Vec3Dot(&d, &d);
    const double b = Vec3Dot(&m, &d);
    const double c = Vec3Dot(&m, &m) - double{fRadius} * fRadius;
    if (a <= 0.0)
        return c <= 0.0;
    const double disc = b * b - a * c;
    if (disc < 0.0)
        return false;
    const double root = std::sqrt(disc);
    t0 = (-b - root) / a;
    t1 = (-b + root) / a;
    return t1 >= 0.0 && t0 <= 1.0;
}
} // namespace

SCuePose ComputeCuePose(const CVector3& vBall, const SCueAim& aim)
{
    // The tip over the ball's face first, then back along the stroke line.
    const CVector3 dTip = OrbitDirection(aim.fYaw + aim.fEnglishYaw, -aim.fPitch + aim.fEnglishPitch);
    const CVector3 d = OrbitDirection(aim.fYaw, -aim.fPitch);
    SCuePose pose;
    pose.vPosition = vBall + dTip * aim.fTipOffset + d * (aim.fDistance - aim.fTipOffset);
    const CVector3 side = d.Cross(VERTICAL);
    if (side.Length() < MIN_SIDE_LENGTH)
    {
        const CVector3 forward(0.0f, 0.0f, 1.0f);
        Vec3RotateAxis(&pose.vUp, &forward, &VERTICAL, -aim.fYaw * DEGREE);
    }
    else
        Vec3RotateAxis(&pose.vUp, &d, &side, std::numbers::pi_v<float> / 2.0f);
    pose.vUp.Normalize();
    pose.vDirection = (d * -1.0f).GetNormalized();
    return pose;
}

SCueShaft GetCueShaft(const SCuePose& pose, float fThickness, float fLength, float fPullBack)
{
    SCueShaft shaft;
    shaft.fButtRadius = fThickness / 2.0f;
    shaft.fTipRadius = shaft.fButtRadius * CUE_TIP_SHARE;
    shaft.fLength = fLength;
    shaft.vA = pose.vPosition - pose.vUp * shaft.fTipRadius;
    shaft.vB = pose.vPosition - pose.vDirection * fLength - pose.vUp * shaft.fButtRadius;
    const CVector3 along = (shaft.vB - shaft.vA).GetNormalized();
    shaft.vA = shaft.vA - along * fPullBack;
    return shaft;
}

bool DoesShaftTouchBall(const SCueShaft& shaft, const CVector3& vBall, float fBallRadius)
{
    double t0 = 0.0;
    double t1 = 0.0;
    if (!IntersectSphere(shaft.vA, shaft.vB, vBall, shaft.fButtRadius + fBallRadius, t0, t1))
        return false;
    // The shaft tapers: test again with its radius where it passes the ball.
    const CVector3 d = shaft.vB - shaft.vA;
    const double s = (t0 + t1) / 2.0 * d.Length();
    const double r =
        shaft.fTipRadius + (shaft.fButtRadius - shaft.fTipRadius) * (shaft.fLength > 0.0f ? s / shaft.fLength : 0.0);
    return IntersectSphere(shaft.vA, shaft.vB, vBall, static_cast<float>(r) + fBallRadius, t0, t1);
}

int IsCueObstructed(ICueScene& scene, float fYaw, float fPitch, float fEnglishYaw, float fEnglishPitch)
{
    // The cue is put back however the test ends.
    struct SRestore
    {
        ICueScene& scene;
        SCueAim aim;
        SCuePose pose;
        ~SRestore()
        {
            scene.SetCueAim(aim);
            scene.SetCuePose(pose);
        }
    } restore{scene, scene.GetCueAim(), scene.GetCuePose()};

    CVector3 vBall;
    if (!scene.GetCueBallCentre(vBall))
        return 0;
    SCueAim aim = restore.aim;
    aim.fYaw = fYaw;
    aim.fPitch = fPitch;
    aim.fEnglishYaw = fEnglishYaw;
    aim.fEnglishPitch = fEnglishPitch;
    scene.SetCueAim(aim);
    const SCuePose pose = ComputeCuePose(vBall, aim);
    scene.SetCuePose(pose);
    const SCueShaft shaft = GetCueShaft(pose, scene.GetCueThickness(), scene.GetCueLength(), scene.GetPullBack());
    if (scene.SegmentTouchesTable(shaft.vA, shaft.vB))
        return 1;
    const bool bBlocked = scene.AnyOtherBall([&shaft](const CVector3& vOther, float fRadius)
                                             { return DoesShaftTouchBall(shaft, vOther, fRadius); });
    return bBlocked ? 1 : 0;
}
