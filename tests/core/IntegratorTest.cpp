// The integrators: how fast each one's error shrinks with the time step, what
// each does to the energy of a ball left alone, and a race of two in compare
// mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "ball/Energy.h"
#include "ball/SoftBall.h"

namespace {
// A 12 x 12 ball far above the scene, stretched to `stretch` times its size
// across (x) and squeezed along its axis (z), at rest: its springs set it
// ringing. Nothing touches it.
SoftBall stretchedBallInFreeFlight(Integrator integrator, double timeStep, double stretch) {
    SoftBall ball;
    ball.setUpModel();
    ball.centre = Vec3(0.0, 400.0, 0.0);
    ball.particles.clear();
    ball.buildParticles();
    ball.buildSprings(ball.surfaceStiffness);
    for (Particle& p : ball.particles) {
        const Vec3 offset = p.position - ball.centre;
        p.position = ball.centre + Vec3(offset.x * stretch, offset.y, offset.z / stretch);
    }
    ball.integrator = integrator;
    ball.timeStep = timeStep;
    return ball;
}

// The largest distance of a particle from where it is in `reference`.
double largestDistance(const SoftBall& ball, const SoftBall& reference) {
    double largest = 0.0;
    for (std::size_t i = 0; i < ball.particles.size(); ++i)
        largest = std::max(largest, length(ball.particles[i].position - reference.particles[i].position));
    return largest;
}

constexpr double kFlightTime = 2.0;

SoftBall flown(Integrator integrator, int steps) {
    SoftBall ball = stretchedBallInFreeFlight(integrator, kFlightTime / steps, 1.2);
    for (int i = 0; i < steps; ++i) ball.step();
    return ball;
}

// log2 of the error at 2^k steps over the error at twice as many: the error's
// order in the time step.
double measuredOrder(Integrator integrator, int coarseSteps, const SoftBall& reference) {
    const double coarse = largestDistance(flown(integrator, coarseSteps), reference);
    const double fine = largestDistance(flown(integrator, 2 * coarseSteps), reference);
    return std::log2(coarse / fine);
}
}  // namespace

// Gravity and damping on, no contact: each error shrinks at its integrator's
// order against a run of RK4 with 16384 steps (its own error far below the
// others').
TEST(Integrators, ErrorsShrinkAtTheirOrderInFreeFlight) {
    const SoftBall reference = flown(Integrator::Rk4, 16384);
    struct Case {
        Integrator integrator;
        const char* name;
        int coarseSteps;
        double order;
    };
    for (const Case c : {Case{Integrator::InPlace, "in-place", 256, 1.0},
                         Case{Integrator::SymplecticEuler, "symplectic-euler", 256, 1.0},
                         Case{Integrator::ExplicitEuler, "explicit-euler", 256, 1.0},
                         Case{Integrator::VelocityVerlet, "velocity-verlet", 128, 2.0},
                         Case{Integrator::Rk4, "rk4", 64, 4.0}}) {
        const double order = measuredOrder(c.integrator, c.coarseSteps, reference);
        std::printf("%s: measured order %.3f\n", c.name, order);  // for the record
        EXPECT_NEAR(order, c.order, 0.3) << c.name;
    }
}

// Damping and gravity off, a ball stretched by 30 % flying free for 10,000
// steps of 2 ms. Explicit Euler multiplies every vibration's amplitude by a
// little more than one each step, so the energy only grows (by a fifth here).
// Symplectic Euler and velocity Verlet keep a nearby energy exactly, so
// theirs only oscillates, by an amount of the order of the step (about 0.2 %)
// and of its square (a few millionths). RK4 is not symplectic: it loses
// energy slowly, but at this step by ten thousand times less than Verlet's
// swing. The in-place step is between: the moved positions of earlier
// particles make it gain a few per cent.
TEST(Integrators, EnergyOverTenThousandSteps) {
    struct Swing {
        double end, lowest, highest;
        double largest() const { return std::max({std::fabs(end), std::fabs(lowest), std::fabs(highest)}); }
    };
    const auto swingOf = [](Integrator integrator) {
        SoftBall ball = stretchedBallInFreeFlight(integrator, 0.002, 1.3);
        ball.damping = 0.0;
        ball.gravity = Vec3();
        const double start = energyOf(ball).total;
        double lowest = start, highest = start;
        for (int i = 0; i < 10000; ++i) {
            ball.step();
            const double e = energyOf(ball).total;
            lowest = std::min(lowest, e);
            highest = std::max(highest, e);
        }
        return Swing{energyOf(ball).total / start - 1, lowest / start - 1, highest / start - 1};
    };
    const Swing explicitEuler = swingOf(Integrator::ExplicitEuler);
    EXPECT_GT(explicitEuler.end, 0.1);
    EXPECT_EQ(explicitEuler.lowest, 0.0) << "it never loses energy";
    EXPECT_EQ(explicitEuler.highest, explicitEuler.end) << "it keeps gaining to the end";

    const Swing inPlace = swingOf(Integrator::InPlace);
    EXPECT_GT(inPlace.end, 0.01);
    EXPECT_LT(inPlace.largest(), 0.1);

    const Swing symplecticEuler = swingOf(Integrator::SymplecticEuler);
    EXPECT_LT(symplecticEuler.largest(), 5e-3);
    EXPECT_LT(symplecticEuler.lowest, -5e-4) << "it swings both ways";
    EXPECT_GT(symplecticEuler.highest, 5e-4);
    EXPECT_LT(std::fabs(symplecticEuler.end), 5e-4) << "and comes back";

    const Swing verlet = swingOf(Integrator::VelocityVerlet);
    EXPECT_LT(verlet.largest(), 2e-5);
    EXPECT_GT(verlet.largest(), 1e-7);

    const Swing rk4 = swingOf(Integrator::Rk4);
    EXPECT_LT(rk4.largest(), 1e-9);
    EXPECT_LE(rk4.end, 0.0) << "it drifts down";

    EXPECT_LT(rk4.largest(), verlet.largest());
    EXPECT_LT(verlet.largest(), symplecticEuler.largest());
    EXPECT_LT(symplecticEuler.largest(), inPlace.largest());
    EXPECT_LT(inPlace.largest(), explicitEuler.largest());
}
