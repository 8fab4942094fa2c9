// The cue behind the cue ball: where it stands for an aim, and whether it would run into a
// pocket, a cushion or another ball there.
//
// The cue stands on an orbit round the cue ball: first the english offset moves its tip over the
// ball's face by the tip offset, then the aim carries it back along the stroke line to its
// reference point. Directions are (0, 0, 1) turned by the yaw about the vertical axis y, then by
// the pitch about the horizontal axis perpendicular to it; angles are in degrees.
#pragma once

#include "foundation/Vector3.h"

#include <functional>

/// The aim of the cue and where its tip sits.
struct SCueAim
{
    float fYaw = 0.0f;          ///< degrees
    float fPitch = 0.0f;        ///< the cue's elevation, degrees
    float fEnglishYaw = 0.0f;   ///< the english offsets of the contact point, degrees
    float fEnglishPitch = 0.0f; ///< degrees
    float fTipOffset = 0.0f;    ///< the tip's distance from the ball's surface point
    float fDistance = 0.0f;     ///< the ball centre to the cue's reference point
};

/// Where the cue stands and how it is turned.
struct SCuePose
{
    CVector3 vPosition;  ///< the cue's reference point
    CVector3 vDirection; ///< the way the cue points (towards the ball), unit length
    CVector3 vUp;        ///< unit length, perpendicular to the direction
};

/// The pose of the cue for the aim round the ball centre vBall. Pointing straight up or down the
/// up vector comes from the yaw.
SCuePose ComputeCuePose(const CVector3& vBall, const SCueAim& aim);

/// The cue's shaft as a segment from its tip end A to its butt end B, both moved down along the
/// cue's lower side by their own radius, and A moved along the shaft by minus the pull-back.
struct SCueShaft
{
    CVector3 vA;
    CVector3 vB;
    float fTipRadius = 0.0f;
    float fButtRadius = 0.0f;
    float fLength = 0.0f;
};
/// The tip radius is this share of the butt radius.
inline constexpr float CUE_TIP_SHARE = 0.32692307f;
SCueShaft GetCueShaft(const SCuePose& pose, float fThickness, float fLength, float fPullBack);

/// Whether the tapering shaft touches a ball: the segment is tested against a sphere of the butt
/// radius plus the ball's, and on a hit again with the shaft's own radius where it passes.
bool DoesShaftTouchBall(const SCueShaft& shaft, const CVector3& vBall, float fBallRadius);

/// What the obstruction test needs of the frame: the cue's aim and pose, which it changes and
/// always puts back, and the table's parts.
class ICueScene
{
public:
    virtual ~ICueScene() = default;
    virtual SCueAim GetCueAim() const = 0;
    virtual void SetCueAim(const SCueAim& aim) = 0;
    virtual SCuePose GetCuePose() const = 0;
    virtual void SetCuePose(const SCuePose& pose) = 0;
    /// The cue ball's centre; false when there is no cue-ball object.
    virtual bool GetCueBallCentre(CVector3& v) const = 0;
    virtual float GetCueThickness() const = 0;
    virtual float GetCueLength() const = 0;
    virtual float GetPullBack() const = 0;
    /// Whether the segment touches one of the pockets or cushions.
    virtual bool SegmentTouchesTable(const CVector3& vA, const CVector3& vB) const = 0;
    /// Calls visit with the centre and radius of every ball with an object but the cue ball,
    /// until it answers true; true when it did.
    virtual bool AnyOtherBall(const std::function<bool(const CVector3&, float)>& visit) const = 0;
};

/// 1 when the cue at that aim and english would touch a pocket, a cushion or another ball, else
/// 0 (also without a cue ball). The cue's aim and pose are as they were afterwards.
int IsCueObstructed(ICueScene& scene, float fYaw, float fPitch, float fEnglishYaw, float fEnglishPitch);
