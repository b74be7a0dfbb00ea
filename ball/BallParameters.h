#pragma once

#include <cstdint>

#include "math/Vec3.h"

// How a step moves the ball (ARCHITECTURE.md says how contact, damping and
// the grab act in each).
enum class Integrator : std::int32_t {
    InPlace,          // one particle after another, each feeling the moved earlier ones
    SymplecticEuler,  // all forces from one state, then velocity, then position
    ExplicitEuler,    // position from the old velocity, then velocity
    VelocityVerlet,   // half a kick, a drift, half a kick
    Rk4,              // the classical fourth-order Runge-Kutta step
};
constexpr int kIntegratorCount = 5;

// The ball's physical parameters, with the values it starts with. Units: the
// ball's radius is one metre, forces are newtons, time is seconds of
// simulated time (one step lasts timeStep). The settings table
// (world/Settings.h) reaches each of them, and putting back the start values
// is assigning a fresh BallParameters.
struct BallParameters {
    double surfaceStiffness = 10.0;
    double centreStiffness = 20.0;
    double damping = 4.0;
    double timeStep = 0.1;
    Vec3 gravity{0.0, -0.1, 0.0};  // only its upward part is a setting
    double pushGain = 0.03;        // share of the tilt (in degrees) that becomes the push
    double liftForce = 0.9;        // the push that keys t and g set
    double particleMass = 5.0;     // of every point: the step divides the time step by it
    Integrator integrator = Integrator::InPlace;
};

// How finely the ball is made: rings of points from pole to pole, points
// around each ring. A change rebuilds the ball.
struct BallResolution {
    std::int32_t rings = 12;
    std::int32_t segments = 12;
};

// Where the ball is made at start-up, and where key "0" and a blow-up put it
// back (a rebuild raises it by half a radius).
constexpr Vec3 kBallStartCentre{0.0, 5.0, 0.0};
