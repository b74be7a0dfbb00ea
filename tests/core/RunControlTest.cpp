// Pause, single step, speed, pacing, help and the grab: what each does to an
// idle call, compared with worlds that did the same work the plain way.
#include <gtest/gtest.h>

#include <string>

#include "tests/core/WorldTest.h"

namespace {
void expectSameBall(const SoftBall& got, const SoftBall& want) {
    ASSERT_EQ(got.particles.size(), want.particles.size());
    for (std::size_t i = 0; i < got.particles.size(); ++i) {
        ASSERT_EQ(got.particles[i].position.x, want.particles[i].position.x) << "particle " << i;
        ASSERT_EQ(got.particles[i].position.y, want.particles[i].position.y) << "particle " << i;
        ASSERT_EQ(got.particles[i].velocity.z, want.particles[i].velocity.z) << "particle " << i;
    }
    EXPECT_EQ(got.pushForce.y, want.pushForce.y);
}

class RunControlTest : public WorldTest {
protected:
    // Tilting, lifting and flying, so that every part of a step shows.
    void SetUp() override {
        specialDown(kSpecialKeyRight);
        keyDown('t');
        keyDown('w');
    }
};
}  // namespace

TEST_F(RunControlTest, PausedTheBallAndBoardStayWhileTheCameraFlies) {
    for (int i = 0; i < 30; ++i) step();
    keyDown('p');
    EXPECT_TRUE(world.run.paused);
    const World before = world;
    for (int i = 0; i < 20; ++i) step();
    expectSameBall(ball, before.ball);
    EXPECT_EQ(board.tiltZ, before.board.tiltZ);
    EXPECT_EQ(board.framesSinceTilt, before.board.framesSinceTilt);
    EXPECT_LT(camera.position.z, before.camera.position.z - 0.7);  // 20 x 0.04 forward
    EXPECT_EQ(runStateLabel(world.run), "paused");

    keyDown('p');
    step();
    EXPECT_NE(ball.particles[0].position.y, before.ball.particles[0].position.y);
}

TEST_F(RunControlTest, OneStepWhilePausedIsOneIdleCallsSimulation) {
    for (int i = 0; i < 30; ++i) step();
    World unpaused = world;
    keyDown('p');
    keyDown('o');
    keyUp('o');
    ::step(unpaused);
    expectSameBall(ball, unpaused.ball);
    EXPECT_EQ(board.tiltZ, unpaused.board.tiltZ);
    EXPECT_NE(camera.position.z, unpaused.camera.position.z);  // "o" does not fly the camera

    // Not paused, "o" does nothing.
    keyDown('p');
    const World running = world;
    keyDown('o');
    expectSameBall(ball, running.ball);
}

TEST_F(RunControlTest, SpeedMultipliesOrSpacesOutTheSteps) {
    World plain = world;
    keyDown(']');
    keyDown(']');  // x4
    EXPECT_EQ(runStateLabel(world.run), "x4");
    for (int i = 0; i < 5; ++i) step();
    for (int i = 0; i < 20; ++i) simulateStep(plain);
    expectSameBall(ball, plain.ball);

    for (int i = 0; i < 5; ++i) keyDown('[');  // x1/4, then the limit... of x1/8
    EXPECT_EQ(world.run.speedLevel, RunControl::kSlowest);
    EXPECT_EQ(runStateLabel(world.run), "x1/8");
    keyDown(']');  // x1/4
    EXPECT_EQ(runStateLabel(world.run), "x1/4");
    for (int call = 1; call <= 12; ++call) {
        const World before = world;
        step();
        const bool stepped = ball.particles[0].position.y != before.ball.particles[0].position.y;
        EXPECT_EQ(stepped, call % 4 == 0) << "idle call " << call;
    }
    for (int i = 0; i < 10; ++i) keyDown(']');
    EXPECT_EQ(world.run.speedLevel, RunControl::kFastest);
    keyDown('p');
    EXPECT_EQ(runStateLabel(world.run), "paused x8");
}

TEST_F(RunControlTest, PacingTakesTheClocksStepsTimesTheSpeedAtMostEight) {
    World plain = world;
    pace(world, 3);
    step();
    for (int i = 0; i < 3; ++i) simulateStep(plain);
    expectSameBall(ball, plain.ball);

    keyDown(']');
    keyDown(']');  // x4: 12 asked, 8 taken
    step();
    for (int i = 0; i < 8; ++i) simulateStep(plain);
    expectSameBall(ball, plain.ball);

    pace(world, 0);  // the clock asks for nothing yet
    const World before = world;
    step();
    expectSameBall(ball, before.ball);
    pace(world, -1);  // back to one step an idle call
    EXPECT_EQ(world.run.pacedSteps, -1);
    pace(world, 99);
    EXPECT_EQ(world.run.pacedSteps, RunControl::kMostStepsPerIdleCall);
}

TEST_F(RunControlTest, HelpTogglesWithHAndF1AndEveryNewKeyEndsPanning) {
    EXPECT_FALSE(display.helpVisible);
    keyDown('h');
    EXPECT_TRUE(display.helpVisible);
    specialDown(kSpecialKeyF1);
    EXPECT_FALSE(display.helpVisible);
    for (const unsigned char key : {'p', 'o', '[', ']', 'h'}) {
        keyDown(' ');
        keyDown(key);
        EXPECT_FALSE(input.panMode) << key;
    }
    EXPECT_EQ(redraws, 0);
    EXPECT_EQ(runStateLabel(RunControl()), "");
}

namespace {
class GrabTest : public WorldTest {
protected:
    // The ball at rest on the platform, seen from the start-up camera.
    void SetUp() override {
        for (int i = 0; i < 700; ++i) step();
    }
    static constexpr int kBallX = 320, kBallY = 405;  // where the resting ball's front is drawn
};
}  // namespace

TEST_F(GrabTest, TheLeftButtonHoldsTheFrontOfTheBallAndTheDragPullsIt) {
    mouseButton(world, MouseButton::Left, true, kBallX, kBallY);
    ASSERT_TRUE(world.grab.active);
    const int held = world.grab.particle;
    EXPECT_GT(ball.particles[held].position.z, 0.5);  // on the side facing the camera
    EXPECT_EQ(input.lastMouseX, kBallX);

    mouseDrag(world, kBallX, kBallY - 100);
    EXPECT_GT(world.grab.target.y, ball.particles[held].position.y + 1.0);
    EXPECT_NEAR(world.grab.target.z, world.grab.planePoint.z, 1e-12);  // the plane faces the camera
    const float yaw = camera.yaw;
    for (int i = 0; i < 50; ++i) step();
    EXPECT_GT(ball.particles[held].position.y, 3.5);  // pulled up out of the ball
    EXPECT_EQ(camera.yaw, yaw);                        // dragging does not turn the camera
    EXPECT_EQ(input.lastMouseY, kBallY - 100);         // nor does the next plain motion jump

    mouseButton(world, MouseButton::Left, false, kBallX, kBallY - 100);
    EXPECT_FALSE(world.grab.active);
    for (int i = 0; i < 200; ++i) step();
    EXPECT_LT(ball.particles[held].position.y, 3.5);  // let go, it springs back
}

TEST_F(GrabTest, NothingIsHeldOffTheBallByOtherButtonsOrAfterARebuild) {
    mouseButton(world, MouseButton::Left, true, 20, 20);
    EXPECT_FALSE(world.grab.active);
    mouseButton(world, MouseButton::Right, true, kBallX, kBallY);
    mouseButton(world, MouseButton::Middle, true, kBallX, kBallY);
    EXPECT_FALSE(world.grab.active);

    mouseButton(world, MouseButton::Left, true, kBallX, kBallY);
    ASSERT_TRUE(world.grab.active);
    keyDown('9');
    EXPECT_FALSE(world.grab.active);
    mouseDrag(world, 0, 0);  // dragging nothing moves nothing
    EXPECT_FALSE(world.grab.active);
}

TEST_F(GrabTest, DraggingFarOutsideTheWindowKeepsEveryValueFinite) {
    mouseButton(world, MouseButton::Left, true, kBallX, kBallY);
    ASSERT_TRUE(world.grab.active);
    const int corners[][2] = {{-100000, -100000}, {100000, 100000}, {-100000, 100000}, {320, -100000}};
    for (int round = 0; round < 20; ++round) {
        const int* corner = corners[round % 4];
        mouseDrag(world, corner[0], corner[1]);
        for (int i = 0; i < 25; ++i) step();
    }
    for (const auto& p : ball.particles) {
        ASSERT_TRUE(std::isfinite(p.position.x) && std::isfinite(p.position.y) && std::isfinite(p.position.z));
        ASSERT_TRUE(std::isfinite(p.velocity.x) && std::isfinite(p.velocity.y) && std::isfinite(p.velocity.z));
    }
}
