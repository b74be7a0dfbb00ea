#pragma once

struct SoftBall;

// The ball's energy, in the model's own units, for the study panel and
// orvane-sim --energy:
//  - kinetic: the sum of m v^2 / 2 over every point (m = particleMass);
//  - spring: k (L - L0)^2 / 2 for every spring alone (those to the centre,
//    which pull only the surface point) and for every pair of springs one
//    each way (neighbouring surface points are joined so, and since each of
//    the two pushes only its own end, together they act as one spring);
//  - gravity: -gravity . position summed over the points, zero on the plate
//    (the step doubles gravity while nothing touches the scene, so the sum
//    is not conserved in the air even without damping).
struct BallEnergy {
    double kinetic = 0.0;
    double spring = 0.0;
    double gravity = 0.0;
    double total = 0.0;
};

BallEnergy energyOf(const SoftBall& ball);
