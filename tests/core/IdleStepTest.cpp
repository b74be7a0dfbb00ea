// The idle step: order of its parts, camera flight, lift and press.
#include <gtest/gtest.h>

#include "tests/core/WorldTest.h"

namespace {
constexpr double kFlightStep = 0.03999999910593033;  // 0.04f

class IdleStepTest : public WorldTest {
protected:
    void SetUp() override {
        camera.yaw = 37.0f;
        camera.pitch = 21.0f;
        camera.updateVectors();
        camera.position = Vec3(0.3, 7.1, 15.7);
    }
};

void expectSameVec(const Vec3& got, const Vec3& want) {
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    EXPECT_EQ(got.z, want.z);
}

// Moves the ball so that exactly `count` surface particles start the next
// step below the plate (contact) and all others high in the air.
void placeBallWithContacts(SoftBall& ball, int count) {
    int placed = 0;
    for (int i = 0; i < static_cast<int>(ball.particles.size()); ++i) {
        Vec3& p = ball.particles[i].position;
        const bool surface = i != ball.centreIndex();
        p.y = (surface && placed < count) ? -0.5 : p.y + 50.0;
        if (surface && placed < count) ++placed;
    }
}
}  // namespace

TEST_F(IdleStepTest, CameraFlightAddsPointZeroFourPerFlagInOrder) {
    const Vec3 f = camera.forward, r = camera.right, u = camera.up;
    struct Case {
        unsigned char key;
        Vec3 offset;
    } cases[] = {{'w', kFlightStep * f},    {'s', (-kFlightStep) * f}, {'a', (-kFlightStep) * r},
                 {'d', kFlightStep * r},    {'r', kFlightStep * u},    {'f', (-kFlightStep) * u}};
    for (const Case& c : cases) {
        const Vec3 before = camera.position;
        keyDown(c.key);
        step();
        keyUp(c.key);
        expectSameVec(camera.position, before + c.offset);
    }

    // All six held: added one after the other, w s a d r f.
    const Vec3 start = camera.position;
    for (unsigned char key : {'w', 's', 'a', 'd', 'r', 'f'}) keyDown(key);
    step();
    Vec3 want = start;
    for (const Case& c : cases) want = want + c.offset;
    expectSameVec(camera.position, want);
}

TEST_F(IdleStepTest, GroupFlagsGateTheirKeys) {
    input.moveForward = input.moveUp = true;
    input.tiltForward = input.liftBall = true;
    const Vec3 before = camera.position;
    step();
    expectSameVec(camera.position, before);
    EXPECT_EQ(board.tiltX, 0.0f);
    EXPECT_EQ(board.framesSinceTilt, 1);
    EXPECT_EQ(ball.pushForce.y, 0.0);

    input.cameraMoving = true;
    input.ballControl = true;
    step();
    expectSameVec(camera.position, (before + kFlightStep * camera.forward) + kFlightStep * camera.up);
    EXPECT_NE(board.tiltX, 0.0f);
    EXPECT_EQ(board.framesSinceTilt, 0);
    expectSameVec(ball.pushForce, Vec3(0, 0.9, 0));
}

TEST_F(IdleStepTest, RelaxPushAndStepComeBeforeSteeringAndLift) {
    // The tilt is relaxed first and then handed to the ball as its push.
    board.tiltX = 10.0f;
    board.tiltZ = -4.0f;
    board.framesSinceTilt = 11;
    step();
    const float tiltX = static_cast<float>(10.0f * 0.99), tiltZ = static_cast<float>(-4.0f * 0.99);
    EXPECT_EQ(board.tiltX, tiltX);
    EXPECT_EQ(board.tiltZ, tiltZ);
    expectSameVec(ball.pushForce, 0.5 * (Vec3() + 0.03 * Vec3(-tiltZ, 0.0, tiltX)));

    // Steering acts on the board after the push: the ball feels it one call later.
    restart();
    board.tiltX = 1.0f;
    specialDown(kSpecialKeyUp);
    step();
    const double firstPush = 0.5 * (0.0 + 0.03 * 1.0);
    EXPECT_EQ(ball.pushForce.z, firstPush);
    const float steered = board.tiltX;
    EXPECT_LT(steered, 1.0f);
    step();
    EXPECT_EQ(ball.pushForce.z, 0.5 * (firstPush + 0.03 * steered));

    // Lift replaces the push after the step; the next call halves it.
    restart();
    keyDown('t');
    step();
    expectSameVec(ball.pushForce, Vec3(0, 0.9, 0));
    keyUp('t');
    step();
    expectSameVec(ball.pushForce, Vec3(0, 0.45, 0));
}

TEST_F(IdleStepTest, PressWinsOverLiftWhileFewerThanTwentyFiveContacts) {
    keyDown('t');
    keyDown('g');
    step();  // in the air: no contact
    EXPECT_EQ(ball.contactCount, 0);
    expectSameVec(ball.pushForce, Vec3(0, -0.9, 0));

    placeBallWithContacts(ball, 24);
    step();
    ASSERT_EQ(ball.contactCount, 24);
    expectSameVec(ball.pushForce, Vec3(0, -0.9, 0));

    restart();
    keyDown('t');
    keyDown('g');
    placeBallWithContacts(ball, 25);
    step();
    ASSERT_EQ(ball.contactCount, 25);
    expectSameVec(ball.pushForce, Vec3(0, 0.9, 0));  // the lift stays
}

TEST_F(IdleStepTest, PressAloneDoesNothingFromTwentyFiveContacts) {
    keyDown('g');
    placeBallWithContacts(ball, 25);
    step();
    ASSERT_EQ(ball.contactCount, 25);
    expectSameVec(ball.pushForce, Vec3());

    placeBallWithContacts(ball, 0);
    step();
    ASSERT_EQ(ball.contactCount, 0);
    expectSameVec(ball.pushForce, Vec3(0, -0.9, 0));
}

TEST_F(IdleStepTest, UntouchedWorldOnlyFalls) {
    for (int i = 0; i < 200; ++i) step();
    EXPECT_EQ(board.tiltX, 0.0f);
    EXPECT_EQ(board.tiltZ, 0.0f);
    expectSameVec(ball.pushForce, Vec3());
    expectSameVec(camera.position, Vec3(0.3, 7.1, 15.7));
    EXPECT_LT(ball.centre.y, 5.0);
}
