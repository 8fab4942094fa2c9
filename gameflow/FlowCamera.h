// The game flow's camera: an orbit round the point it looks at (the cue ball while aiming), given
// by a yaw, a pitch and a distance with a screen shift, and the place and direction the orbit
// gives. The flow keeps it without drawing; the main frame puts its camera object where this one
// stands. Scene units are the table's inches (TableSpace.h).
#pragma once

#include "foundation/Vector3.h"
#include "render/TableSpace.h"

/// The centre of a ball at the table point vTable (its centre's height above the bed in z).
CVector3 BallToScene(const CVector3& vTable);

/// A yaw or aim angle brought into 0 to 360 degrees, its fraction kept: 361.5 gives 1.5 and
/// -30.5 gives 329.5.
float NormalizeYaw(float fDegrees);

struct SFlowCamera
{
    static constexpr float DEFAULT_YAW = 180.0f;
    static constexpr float DEFAULT_PITCH = 345.0f;
    static constexpr float DEFAULT_DISTANCE = 136.0f;

    float fYaw = DEFAULT_YAW;           ///< degrees, 0 to 360
    float fPitch = DEFAULT_PITCH;       ///< degrees, 300 to 359.9 (looking down)
    float fDistance = DEFAULT_DISTANCE; ///< from the look-at point, scene units
    float fShift1 = 0.0f;               ///< screen shift: sideways
    float fShift2 = 0.0f;               ///< and the height the camera keeps above the bed
    CVector3 vLookAt{0.0f, SCENE_BED_HEIGHT, 0.0f};
    CVector3 vPosition;
    CVector3 vDirection{0.0f, 0.0f, 1.0f}; ///< unit, from the camera towards the look-at point
    CVector3 vUp{0.0f, 1.0f, 0.0f};        ///< unit, the camera's up, perpendicular to the direction

    /// Keeps the pitch looking down, between 300 and 359.9 degrees; -60 to 0 read as 300 to 360,
    /// anything above the horizon as 359.9.
    void SetPitch(float fDegrees);
    /// Places the camera on its orbit: the direction (0, 0, 1) turned by yaw + 180 about the
    /// vertical and by the pitch about the side axis; the camera stands the distance back from the
    /// look-at point against it, moved sideways by the first shift and held at least 26 plus the
    /// second shift above the floor.
    void Place();
};

/// The point where the ray from vFrom along vDir meets the horizontal plane at fHeight; false
/// when the ray runs parallel to it.
bool IntersectHorizontalPlane(const CVector3& vFrom, const CVector3& vDir, float fHeight, CVector3& vHit);
