// Shared set-up of the simulation tests: a known cue-ball number, rounding off, default
// coefficients and a seeded random generator, all put back afterwards.
#pragma once

#include "foundation/Vector3.h"
#include "platform/win32/CrtRandom.h"
#include "simulation/Ball.h"
#include "simulation/CueBall.h"
#include "simulation/PhysicsCoefficients.h"
#include "simulation/PhysicsConstants.h"

#include <cmath>
#include <gtest/gtest.h>

class CSimulationTest : public testing::Test
{
protected:
    void SetUp() override
    {
        SetCueBallNumber(0);
        g_nVectorRounding = 0;
        g_PhysicsCoefficients.Reset();
        CrtSrand(1);
    }
    void TearDown() override
    {
        SetCueBallNumber(0);
        g_nVectorRounding = 0;
        g_PhysicsCoefficients.Reset();
    }
};

inline constexpr float R = BALL_RADIUS_M;
inline constexpr double PI = 3.14159265358979323846;

/// A resting ball on the bed, on the table (not pocketed).
inline void PlaceOnBed(CBall& ball, float x, float y)
{
    ball.SetPositionXYZ(x, y, 0.0f);
    ball.SetPocketed(FALSE, FALSE, -1);
    ball.Stop();
}

/// Unit direction at `deg` degrees from +x towards +y.
inline CVector3 Heading(double deg)
{
    return CVector3(static_cast<float>(std::cos(deg * PI / 180.0)), static_cast<float>(std::sin(deg * PI / 180.0)),
                    0.0f);
}

// Stopping distance of the game's rolling model from v0 >= 0.2 m/s: constant deceleration a down to
// 0.2 m/s, then a deceleration proportional to the speed (rate a / 0.2 per second) down to 0.04 m/s,
// then the floor a / 5.
inline double RollingDistance(double v0)
{
    const double a = DEFAULT_ACCEL_ROLL_DECELER;
    return (v0 * v0 - 0.04) / (2.0 * a) + (0.2 - 0.04) / (a / 0.2) + 0.04 * 0.04 / (2.0 * a / 5.0);
}

/// Moves a lone ball in steps of dStepMs until it rests (at most dMaxMs).
inline void MoveToRest(CBall& ball, double dStepMs, double dMaxMs = 60000.0)
{
    for (double t = 0.0; ball.IsMoving() && t < dMaxMs; t += dStepMs)
        ball.Move(dStepMs);
}
