#include "simulation/PhysicsCoefficients.h"

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
