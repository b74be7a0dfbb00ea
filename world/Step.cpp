#include "world/World.h"

namespace {
constexpr float kCameraSpeed = 0.04f;  // acts at its single-precision value
constexpr int kPressContactLimit = 25;

void flyCamera(Camera& camera, const InputState& input) {
    if (!input.cameraMoving) return;
    const double speed = kCameraSpeed;
    if (input.moveForward) camera.position = camera.position + speed * camera.forward;
    if (input.moveBackward) camera.position = camera.position + (-speed) * camera.forward;
    if (input.moveLeft) camera.position = camera.position + (-speed) * camera.right;
    if (input.moveRight) camera.position = camera.position + speed * camera.right;
    if (input.moveUp) camera.position = camera.position + speed * camera.up;
    if (input.moveDown) camera.position = camera.position + (-speed) * camera.up;
}

// Steering acts on the next step's push; lift and press replace the push
// that this step has already used.
void controlBall(World& world) {
    const InputState& input = world.input;
    if (!input.ballControl) return;
    const Vec3 heading = world.camera.forward;
    if (input.tiltForward) world.board.steer(1.0f, 0.0f, heading);
    if (input.tiltBack) world.board.steer(-1.0f, 0.0f, heading);
    if (input.tiltLeft) world.board.steer(0.0f, -1.0f, heading);
    if (input.tiltRight) world.board.steer(0.0f, 1.0f, heading);
    SoftBall& ball = world.ball;
    if (input.liftBall) ball.pushForce = Vec3(0.0, 0.9, 0.0);
    if (input.pressBall && ball.contactCount < kPressContactLimit) ball.pushForce = Vec3(0.0, -0.9, 0.0);
}
}  // namespace

void step(World& world) {
    world.board.relax();
    world.ball.applyPush(world.board.pushInput());
    world.ball.step();
    flyCamera(world.camera, world.input);
    controlBall(world);
}

void advanceFrame(World& world) {
    world.ball.advanceBuildUp();
    if (world.display.lightningVisible) world.lightning.advanceFrame();
}
