// Every fixed physical constant of the ball simulation, in one place.
//
// Units inside simulation/: metres, seconds, kilograms, radians (rad/s for spins). Time steps that
// the engines pass around are milliseconds and say so in their names. The table lies in the plane
// z = 0 with x across it (0 to TABLE_WIDTH_M) and y along it (0 to TABLE_LENGTH_M); z is up and is
// the height of the ball's centre above the surface it rests on (0 on the bed).
//
// The values are part of the game's feel and of its stored shots: changing one changes how every
// shot plays and makes replays and the aiming aid disagree with older results.
#pragma once

// -- Ball and table ------------------------------------------------------------------------------

/// Ball mass. Kilograms (a pool ball, about 163 g). Only enters the forward-spin acceleration that
/// the records carry; changing it changes saved records, not motion.
inline constexpr float BALL_MASS_KG = 0.16301f;
/// Ball radius R. Metres (2 1/4 inch diameter). Every contact distance, spin and pocket test scales
/// with it; the cushion and pocket geometry below assumes this value.
inline constexpr float BALL_RADIUS_M = 0.028448f;
/// Bed width (x, across). Metres. The side pockets sit at y = TABLE_LENGTH_M / 2.
inline constexpr float TABLE_WIDTH_M = 1.1176f;
/// Bed length (y, along). Metres. Exactly twice the width; the cushion table relies on it.
inline constexpr float TABLE_LENGTH_M = 2.2352f;
/// Width of the cushion band around the bed, which still counts as table surface. Metres (1.8 in).
/// A ball further out falls to the floor.
inline constexpr float CUSHION_BAND_M = 0.04572f;
/// Height of the floor relative to the bed. Metres. Balls that leave the band fall to it.
inline constexpr float FLOOR_HEIGHT_M = -0.69f;
/// A ball whose centre is below this has landed on the floor (half the way down), not on the bed:
/// it lands rolling. Metres.
inline constexpr float FLOOR_LANDING_BELOW_M = -0.345f;
/// A ball more than this outside the bed rectangle stops at once. Metres. Lowering it stops balls
/// rolling across the floor earlier; it only bounds how long a lost ball keeps the table moving.
inline constexpr float FAR_OFF_TABLE_M = 3.0f;
/// The square of the contact distance 2R, as the contact test compares it. Square metres.
inline constexpr double BALL_CONTACT_DIST_SQ = 0.0032371548;
/// pi/2 as the contact and cushion tests compare angles against it (a literal slightly below the
/// true value). Radians.
inline constexpr double HALF_PI_LITERAL = 1.57079632675;

// -- Rolling, sliding and spin -------------------------------------------------------------------

/// Below this speed the rolling deceleration falls in proportion to the speed. Metres per second.
/// Raising it makes slow balls creep further.
inline constexpr float SLOW_ROLL_SPEED_MPS = 0.2f;
/// The rolling deceleration never falls below the full value divided by this. Non-dimensional.
/// It guarantees a slow ball stops in finite time.
inline constexpr float ROLL_DECEL_FLOOR_DIVISOR = 5.0f;
/// A sliding ball starts rolling when its contact-point slip falls below this. Metres per second.
inline constexpr float SLIDE_TO_ROLL_SLIP_MPS = 0.1f;
/// Sliding friction decelerates the ball at this many times the rolling deceleration.
/// Non-dimensional. Raising it turns stun and draw into roll sooner.
inline constexpr float SLIDE_DECEL_FACTOR = 5.0f;
/// Sliding friction changes the forward spin at this many times the rolling deceleration (as
/// rad/s per m/s^2 of deceleration and second). Non-dimensional.
inline constexpr float SLIDE_SPIN_FACTOR = 50.0f;
/// Largest side spin a ball can carry. Radians per second.
inline constexpr float SIDE_SPIN_LIMIT_RADS = 50.0f;
/// Below this ball speed a newly set side spin is cut to a tenth. Metres per second.
inline constexpr float SLOW_SPIN_SPEED_MPS = 0.01f;
/// The factor by which side spin on a nearly resting ball is cut. Non-dimensional.
inline constexpr float SLOW_SPIN_DIVISOR = 10.0f;

// -- Ball-ball contacts --------------------------------------------------------------------------

/// The struck ball keeps this fraction of its speed along the contact normal in its own direction
/// (a follow term that plain elastic contacts lack). Non-dimensional. At 0 a centre hit stops the
/// cue ball dead.
inline constexpr float CUE_FOLLOW_FACTOR = 0.2f;
/// A struck ball with less total spin than this rolls on at once after a contact. Radians per second.
inline constexpr float CUE_ROLL_SPIN_LIMIT_RADS = 42.0f;
/// A spinning struck ball hitting slower than this (relative speed) keeps sliding with half its
/// forward spin. Metres per second.
inline constexpr float CUE_STUN_SPEED_MPS = 3.0f;

// -- Flight --------------------------------------------------------------------------------------

/// Gravity. Metres per second squared.
inline constexpr float GRAVITY_MPS2 = 9.8f;
/// A ball this close above its surface and not rising faster than the landing speed has landed.
/// Metres (R / 5). Raising it lets balls land from higher up.
inline constexpr float LANDING_HEIGHT_M = 0.0056896f;

// -- Time step -----------------------------------------------------------------------------------

/// A ball in the air rises or falls at most this far per step, so that a long period (the aiming
/// aid's) steps a flight as the live table's short frames do; one long step would fly it over the
/// cushions without friction. Metres (R / 5, the landing height). Raising it makes flights cheaper
/// and their landings and cushion passes coarser.
inline constexpr double AIR_STEP_HEIGHT_M = LANDING_HEIGHT_M;
/// The step limit of a ball that sets no limit. Milliseconds.
inline constexpr double NO_STEP_LIMIT_MS = 1000.0;
/// The longest step before the per-ball limits apply. Seconds.
inline constexpr double LONGEST_STEP_S = 1000.0;
/// Each moving ball advances at least R divided by this per step, so that crowded tables still
/// progress. Non-dimensional. Lowering it makes clusters of contacts cost more steps; raising it
/// lets balls sink deeper into cushions and each other before a contact is seen.
inline constexpr float MIN_STEP_DIVISOR = 20.0f;

// -- Cushions, pockets and bed edge --------------------------------------------------------------

/// Height of the cushion nose above the bed. Metres. It lies below the ball's centre, which tilts
/// every cushion contact normal upward; a ball whose centre is higher passes over the cushion.
inline constexpr float CUSHION_NOSE_HEIGHT_M = 0.026924f;
/// Capture radius of a pocket around its position. Metres. Larger pockets catch wider shots.
inline constexpr float POCKET_RADIUS_M = 0.050038f;
/// Half the side of the square around a pocket in which a dropping ball is still followed. Metres.
inline constexpr float POCKET_DROP_REACH_M = 0.5588f;
/// Slowest and fastest speed along the drop direction of a ball falling into a pocket. Metres per second.
inline constexpr float POCKET_DROP_MIN_MPS = 0.1f;
inline constexpr float POCKET_DROP_MAX_MPS = 1.0f;
/// A dropping ball's vertical speed is pushed at least this far from zero, so that it leaves the
/// table's plane. Metres per second.
inline constexpr float POCKET_DROP_MIN_VERTICAL_MPS = 0.5f;
/// Corner pocket position offsets from the table corner: outward, and back along the rail. Metres.
inline constexpr float POCKET_CORNER_OUT_M = 0.03f;
inline constexpr float POCKET_CORNER_BACK_M = 0.02f;
/// Added to the capture radius to get the distance of a corner pocket's lip point. Metres.
inline constexpr float POCKET_LIP_REACH_M = 0.083058f;
/// Cushion jaw geometry (see TableParts.cpp): jaw length 0.1016, corner pocket opening 0.126238,
/// side pocket half-opening 0.0635, jaw depth 0.133096, side jaw reach 0.050038. Metres.
inline constexpr double JAW_LENGTH_M = 0.1016;
inline constexpr double CORNER_OPENING_M = 0.126238;
inline constexpr double SIDE_HALF_OPENING_M = 0.0635;
inline constexpr double JAW_DEPTH_M = 0.133096;
inline constexpr double SIDE_JAW_REACH_M = 0.050038;
