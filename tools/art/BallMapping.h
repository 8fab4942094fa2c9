// How a ball's face picture (b_NN.bmp) wraps the ball mesh (Ball.x): longitude and latitude
// (equirectangular) about the ball's local y axis, with the number disc's axis, local +z, at the
// picture's centre. Column u (0 left to 1 right) runs against the longitude, so that from the +z
// side, in the scene's left-handed frame, the picture is seen the right way round; row v runs from
// the top (+y) to the bottom (-y).
#pragma once

#include <array>
#include <cmath>
#include <numbers>

/// The unit-sphere point of picture position (u, v), both in [0, 1].
inline std::array<double, 3> BallPointFromUv(double u, double v)
{
    const double dLon = (0.5 - u) * 2.0 * std::numbers::pi;
    const double dLat = (0.5 - v) * std::numbers::pi;
    return {std::cos(dLat) * std::sin(dLon), std::sin(dLat), std::cos(dLat) * std::cos(dLon)};
}

/// The picture position (u, v) of a unit-sphere point; u in [0, 1) with the seam at the -z side.
inline std::array<double, 2> BallUvFromPoint(double x, double y, double z)
{
    const double dLon = std::atan2(x, z);
    const double dLat = std::asin(std::fmax(-1.0, std::fmin(1.0, y)));
    return {0.5 - dLon / (2.0 * std::numbers::pi), 0.5 - dLat / std::numbers::pi};
}

/// Stripe of the balls 9 to 15: the band where the axis coordinate |z| is below this (the ball
/// painter's band half-width).
inline constexpr double BALL_STRIPE_HALF_WIDTH = 0.55;
/// Number disc of the balls 1 to 15: where |z| is above this; the cue ball's dot is above 0.99.
inline constexpr double BALL_DISC_THRESHOLD = 0.88;
inline constexpr double CUE_BALL_DOT_THRESHOLD = 0.99;
