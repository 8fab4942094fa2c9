#include "simulation/PhysicsCoefficients.h"

#include <algorithm>
#include <stdexcept>

SPhysicsCoefficients g_PhysicsCoefficients;

void SPhysicsCoefficients::Reset()
{
    accelRollDeceler.store(DEFAULT_ACCEL_ROLL_DECELER, std::memory_order_relaxed);
    FrictSlideForce.store(DEFAULT_FRICT_SLIDE_FORCE, std::memory_order_relaxed);
    SideSpinDeceleration.store(DEFAULT_SIDE_SPIN_DECELERATION, std::memory_order_relaxed);
    BallBallFriction.store(DEFAULT_BALL_BALL_FRICTION, std::memory_order_relaxed);
    m_dMaxFlightHeightPerR.store(DEFAULT_MAX_FLIGHT_HEIGHT_PER_R, std::memory_order_relaxed);
    Decay.store(DEFAULT_CUSHION_DECAY, std::memory_order_relaxed);
    SideSpinDecay.store(DEFAULT_SIDE_SPIN_DECAY, std::memory_order_relaxed);
    SideSpinInfluence.store(DEFAULT_SIDE_SPIN_INFLUENCE, std::memory_order_relaxed);
    SideSpinCoeff.store(DEFAULT_SIDE_SPIN_COEFF, std::memory_order_relaxed);
    ForwardSpinCoeff.store(DEFAULT_FORWARD_SPIN_COEFF, std::memory_order_relaxed);
    VerticalVelocityCoeff.store(DEFAULT_VERTICAL_VELOCITY_COEFF, std::memory_order_relaxed);
}

// Why each range holds:
// - the rolling and side-spin decelerations must be above 0, or a ball rolls or turns on the spot
//   for ever and the shot never ends; past the upper bounds the cloth stops a ball within a few
//   centimetres, which no cloth does;
// - the side-spin decay, the share of the vertical speed kept and the ball-ball friction are
//   fractions: above 1 every contact adds energy;
// - the cushion decay is the cushion's restitution: above 1 every cushion makes a ball faster, and
//   above 0.9, with the spin a cushion hands back as speed (the side-spin influence, up to twice
//   its default), a break on the fastest cloth runs for minutes;
// - the two spin coefficients set how much spin a stroke gives, and the highest jump is a few
//   radii at most: a cue ball does not leap over the cushions.
const SCoefficientRange COEFFICIENT_RANGES[10] = {
    {&SPhysicsCoefficients::accelRollDeceler, "m_strAccelRollDeceler", 0.05f, 1.0f},
    {&SPhysicsCoefficients::SideSpinDeceleration, "m_strSideSpinDeceleration_rads", 1.0f, 100.0f},
    {&SPhysicsCoefficients::m_dMaxFlightHeightPerR, "m_strMaxFlightHeightPerR", 0.0f, 20.0f},
    {&SPhysicsCoefficients::BallBallFriction, "m_strBallBallFriction", 0.0f, 1.0f},
    {&SPhysicsCoefficients::SideSpinCoeff, "m_strSideSpinCoeff", 0.0f, 10.0f},
    {&SPhysicsCoefficients::ForwardSpinCoeff, "m_strForwardSpinCoeff", 0.0f, 5.0f},
    {&SPhysicsCoefficients::VerticalVelocityCoeff, "m_strVerticalVelocityCoeff", 0.0f, 1.0f},
    {&SPhysicsCoefficients::Decay, "m_strDecay", 0.0f, 0.9f},
    {&SPhysicsCoefficients::SideSpinDecay, "m_strSideSpinDecay", 0.0f, 1.0f},
    {&SPhysicsCoefficients::SideSpinInfluence, "m_strSideSpinInfluence", 0.0f, 0.6f},
};

const SCoefficientRange& CoefficientRange(std::atomic<float> SPhysicsCoefficients::*pCoefficient)
{
    const auto* pRange = std::find_if(std::begin(COEFFICIENT_RANGES), std::end(COEFFICIENT_RANGES),
                                      [&](const SCoefficientRange& r) { return r.pCoefficient == pCoefficient; });
    if (pRange == std::end(COEFFICIENT_RANGES))
        throw std::invalid_argument("no range for that physics coefficient");
    return *pRange;
}
