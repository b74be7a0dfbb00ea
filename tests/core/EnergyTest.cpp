// The ball's energy on cases small enough to work out by hand.
#include <gtest/gtest.h>

#include "ball/Energy.h"
#include "ball/SoftBall.h"

namespace {
// A "ball" of loose points, as the energy sees any particle list.
SoftBall loosePoints(std::initializer_list<Vec3> positions) {
    SoftBall ball;
    ball.setUpModel();
    ball.particles.clear();
    for (const Vec3& p : positions) ball.particles.push_back(p);
    return ball;
}

void join(SoftBall& ball, int from, int to, float restLength, float stiffness) {
    ball.particles.addSpring(from, Spring{to, restLength, stiffness});
}
}  // namespace

TEST(Energy, ASingleStretchedSpringHoldsHalfKTimesTheStretchSquared) {
    SoftBall ball = loosePoints({Vec3(0, 0, 0), Vec3(1.5, 0, 0)});
    ball.gravity = Vec3();
    join(ball, 0, 1, 1.0f, 10.0f);
    EXPECT_DOUBLE_EQ(energyOf(ball).spring, 0.5 * 10.0 * 0.5 * 0.5);  // 1.25

    // Its partner the other way round makes one spring, not two.
    join(ball, 1, 0, 1.0f, 10.0f);
    EXPECT_DOUBLE_EQ(energyOf(ball).spring, 1.25);
    // Squeezed to half its length it holds the same.
    ball.particles[1].position = Vec3(0.5, 0, 0);
    EXPECT_DOUBLE_EQ(energyOf(ball).spring, 1.25);
}

TEST(Energy, APointAtRestHasOnlyGravityAndAMovingOneKineticEnergy) {
    SoftBall ball = loosePoints({Vec3(3, 2, -1)});
    const BallEnergy resting = energyOf(ball);
    EXPECT_EQ(resting.kinetic, 0.0);
    EXPECT_EQ(resting.spring, 0.0);
    EXPECT_DOUBLE_EQ(resting.gravity, 0.1 * 2.0);  // gravity 0.1 down, 2 above the plate
    EXPECT_DOUBLE_EQ(resting.total, 0.2);

    ball.particles[0].velocity = Vec3(0, 0.2, 0);
    EXPECT_DOUBLE_EQ(energyOf(ball).kinetic, 0.5 * 5.0 * 0.04);  // mass 5
    ball.particleMass = 2.0;
    EXPECT_DOUBLE_EQ(energyOf(ball).kinetic, 0.5 * 2.0 * 0.04);
    ball.particles[0].position.y = -1.0;  // below the plate: negative
    EXPECT_DOUBLE_EQ(energyOf(ball).gravity, -0.1);
}

TEST(Energy, AFreshBallRestsAtItsHeightAndDampingDrainsADrop) {
    SoftBall ball;
    ball.setUpModel();
    const BallEnergy fresh = energyOf(ball);
    EXPECT_EQ(fresh.kinetic, 0.0);
    EXPECT_LT(fresh.spring, 1e-9);  // rest lengths are floats: not quite zero
    EXPECT_NEAR(fresh.gravity, 0.1 * 5.0 * 123, 1e-9);

    // Dropped, it falls, bounces and settles: the total ends lower, and the
    // motion dies down.
    double mostKinetic = 0.0;
    for (int i = 0; i < 3000; ++i) {
        ball.step();
        const BallEnergy now = energyOf(ball);
        mostKinetic = std::max(mostKinetic, now.kinetic);
    }
    const BallEnergy settled = energyOf(ball);
    EXPECT_GT(mostKinetic, 0.1);
    EXPECT_LT(settled.kinetic, mostKinetic / 100.0);
    EXPECT_LT(settled.total, fresh.total - 10.0);  // lower on the platform, squashed a little
}
