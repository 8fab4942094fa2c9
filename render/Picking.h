// Picking and table placement: the ball under the cursor, a point on an orbit given by two
// angles, and the two checks that keep a ball in hand on the table and clear of the others.
// The balls are given as a list in the order the main frame holds them. Main thread.
#pragma once

#include "foundation/Vector3.h"
#include "platform/win32/WinTypes.h"

#include <array>
#include <span>

/// One pickable ball: its scene object's id, centre and radius (scene units for picking; the
/// table's units, metres, for placement).
struct SPickBall
{
    int nId = 0;
    CVector3 vPosition;
    float fRadius = 0.0f;
};

/// The table a ball in hand is placed on.
struct SBallInHandTable
{
    std::array<float, 6> bounds{}; // min x, y, z, max x, y, z; the length runs along z
    float fHeadSpotZ = 0.0f;       // the head string's z (spot A)
    float fRestingHeight = 0.0f;   // a resting ball's centre height
};

/// The first ball in list order whose projected centre lies closer to the cursor point (window
/// pixels of rcViewport) than the projection of 1.5 radii beside it; balls behind the camera are never picked.
/// Null when none.
const SPickBall* PickAtPoint(std::span<const SPickBall> balls, float x, float y, const RECT& rcViewport);

/// The resource library's cursors over a ball and over the table.
inline constexpr int CURSOR_HAND = 369;
inline constexpr int CURSOR_OVER_TABLE = 32649;

/// The ball under the cursor, highlighted: its id is remembered until the next miss or Clear.
class CHoverPicker
{
public:
    virtual ~CHoverPicker() = default;
    /// Clear, and the arrow cursor again.
    virtual void Reset();
    virtual int GetState() const { return m_nState; }
    virtual void Clear();

    /// Picks at the cursor point; the ball found (its id remembered) or null (-1 remembered). The
    /// cursor becomes the library's hand over a ball, its table cursor elsewhere.
    const SPickBall* Highlight(std::span<const SPickBall> balls, float x, float y, const RECT& rcViewport);
    int GetHighlightId() const { return m_nHighlightId; }

private:
    int m_nHighlightId = -1;
    CVector3 m_vPoint;
    int m_nState = 0;
};

/// point += the direction at yaw and pitch (degrees) from +z about the up axis y, times distance;
/// the direction is returned in direction.
void OrbitPoint(float fYawDeg, float fPitchDeg, float fDistance, CVector3& point, CVector3& direction);

/// Lifts the ball in hand above the table and keeps it one radius inside the bounds (and behind
/// the head string when asked). 1 when nothing was moved, 0 when it was or the ball is not in
/// the list; a null position is accepted.
int ClampBallInHand(std::span<const SPickBall> balls, int nId, CVector3* pPosition, BOOL bBehindHeadString,
                    const SBallInHandTable& table);

/// 1, with the position set down to the resting height, when no other ball's centre lies closer
/// than 2.001 radii; 0 with the position unchanged otherwise. A null position is accepted.
int CheckBallInHandFree(std::span<const SPickBall> balls, int nId, CVector3* pPosition, const SBallInHandTable& table);
