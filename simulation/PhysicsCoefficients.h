// The process-wide physics coefficients that the settings can change.
//
// The game start copies them from the settings texts on the main thread before any ball moves; the
// aiming aid's worker thread reads them while it simulates. Each is therefore an atomic float
// (relaxed: a coefficient is one independent value, no ordering between them is needed). Tests
// change them through CPhysicsCoefficientsScope, which puts the defaults back.
#pragma once

#include <atomic>

/// Default values, the ones a fresh settings file holds.
inline constexpr float DEFAULT_ACCEL_ROLL_DECELER = 0.15f;     // m/s^2
inline constexpr float DEFAULT_FRICT_SLIDE_FORCE = 0.05f;      // non-dimensional
inline constexpr float DEFAULT_SIDE_SPIN_DECELERATION = 9.0f;  // rad/s^2
inline constexpr float DEFAULT_BALL_BALL_FRICTION = 0.05f;     // non-dimensional
inline constexpr float DEFAULT_MAX_FLIGHT_HEIGHT_PER_R = 5.0f; // ball radii
inline constexpr float DEFAULT_CUSHION_DECAY = 0.7f;           // non-dimensional
inline constexpr float DEFAULT_SIDE_SPIN_DECAY = 0.9f;         // non-dimensional
inline constexpr float DEFAULT_SIDE_SPIN_INFLUENCE = 0.3f;     // non-dimensional
inline constexpr float DEFAULT_SIDE_SPIN_COEFF = 5.0f;         // non-dimensional
inline constexpr float DEFAULT_FORWARD_SPIN_COEFF = 1.4f;      // non-dimensional
inline constexpr float DEFAULT_VERTICAL_VELOCITY_COEFF = 0.3f; // non-dimensional

struct SPhysicsCoefficients
{
    /// Rolling deceleration of a ball at 0.2 m/s or faster. m/s^2 (0.15: a 2 m/s roll runs about
    /// 13 m). Higher values make the cloth slower.
    std::atomic<float> accelRollDeceler{DEFAULT_ACCEL_ROLL_DECELER};
    /// Sliding friction; only enters the forward-spin acceleration carried in the records.
    std::atomic<float> FrictSlideForce{DEFAULT_FRICT_SLIDE_FORCE};
    /// Decay of side spin. rad/s^2 (9: full side spin of 50 rad/s lasts about 5.5 s).
    std::atomic<float> SideSpinDeceleration{DEFAULT_SIDE_SPIN_DECELERATION};
    /// Side-spin transfer between balls in a contact. Non-dimensional (0.05).
    std::atomic<float> BallBallFriction{DEFAULT_BALL_BALL_FRICTION};
    /// Highest jump. Ball radii (5).
    std::atomic<float> m_dMaxFlightHeightPerR{DEFAULT_MAX_FLIGHT_HEIGHT_PER_R};
    /// Fraction of the speed a ball keeps off a cushion. Non-dimensional (0.7). Higher is livelier.
    std::atomic<float> Decay{DEFAULT_CUSHION_DECAY};
    /// How much of the side spin a cushion contact keeps and converts. Non-dimensional (0.9).
    std::atomic<float> SideSpinDecay{DEFAULT_SIDE_SPIN_DECAY};
    /// How strongly side spin throws the rebound along the cushion. Non-dimensional (0.3).
    std::atomic<float> SideSpinInfluence{DEFAULT_SIDE_SPIN_INFLUENCE};
    /// Side spin a stroke gives per unit of stroke speed over R and of cos(pi/2 + side angle).
    /// Non-dimensional (5). Higher values give more english for the same cue offset.
    std::atomic<float> SideSpinCoeff{DEFAULT_SIDE_SPIN_COEFF};
    /// Forward spin a stroke gives per unit of stroke speed over R and of cos(pi/2 + height
    /// angle). Non-dimensional (1.4). Higher values give more follow and draw.
    std::atomic<float> ForwardSpinCoeff{DEFAULT_FORWARD_SPIN_COEFF};
    /// Share of the stroke's vertical speed the cue ball keeps. Non-dimensional (0.3). Higher
    /// values make elevated strokes jump more.
    std::atomic<float> VerticalVelocityCoeff{DEFAULT_VERTICAL_VELOCITY_COEFF};

    /// Puts every coefficient back to its default.
    void Reset();
};

/// One coefficient the settings and the physics dialog can change, with the range in which the
/// table stays physical: the balls lose energy in every contact and on the cloth, and every shot
/// comes to rest. Outside it a ball can gain speed at each cushion until it flies off to huge
/// coordinates, or roll or spin for ever.
struct SCoefficientRange
{
    std::atomic<float> SPhysicsCoefficients::*pCoefficient;
    const char* szName; ///< the settings key the coefficient is read from
    float fLow;
    float fHigh;

    bool Holds(float f) const { return f >= fLow && f <= fHigh; }
};

/// The ranges of the ten coefficients the settings and the physics dialog set.
extern const SCoefficientRange COEFFICIENT_RANGES[10];

/// The range of one of those coefficients.
const SCoefficientRange& CoefficientRange(std::atomic<float> SPhysicsCoefficients::*pCoefficient);

/// The one set of coefficients every ball and table part reads. Written on the main thread (game
/// start, physics dialog), read by the main thread and the aiming aid's worker.
extern SPhysicsCoefficients g_PhysicsCoefficients;

/// Reads one coefficient (relaxed atomic load).
inline float Coef(const std::atomic<float>& f) { return f.load(std::memory_order_relaxed); }

/// For tests: restores the default coefficients when it ends.
class CPhysicsCoefficientsScope
{
public:
    CPhysicsCoefficientsScope() = default;
    ~CPhysicsCoefficientsScope() { g_PhysicsCoefficients.Reset(); }
    CPhysicsCoefficientsScope(const CPhysicsCoefficientsScope&) = delete;
    CPhysicsCoefficientsScope& operator=(const CPhysicsCoefficientsScope&) = delete;
};
