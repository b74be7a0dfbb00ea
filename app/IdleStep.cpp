#include "app/IdleStep.h"

#include "app/Input.h"
#include "app/World.h"

namespace {
constexpr float kCameraSpeed = 0.04f;  // acts at its single-precision value
constexpr int kTiltHoldSteps = 10;
constexpr double kTiltRelaxation = 0.99;
constexpr int kPressContactLimit = 25;

// An untouched tilt holds for a few steps, then shrinks towards 0.
void relaxTilt() {
    if (ground.framesSinceTilt > kTiltHoldSteps) {
        ground.tiltX = static_cast<float>(ground.tiltX * kTiltRelaxation);
        ground.tiltZ = static_cast<float>(ground.tiltZ * kTiltRelaxation);
    } else {
        ground.framesSinceTilt = ground.framesSinceTilt + 1;
    }
}

void flyCamera() {
    if (!cameraMoving) return;
    const double speed = kCameraSpeed;
    if (moveForward) camera.position = camera.position + speed * camera.forward;
    if (moveBackward) camera.position = camera.position + (-speed) * camera.forward;
    if (moveLeft) camera.position = camera.position + (-speed) * camera.right;
    if (moveRight) camera.position = camera.position + speed * camera.right;
    if (moveUp) camera.position = camera.position + speed * camera.up;
    if (moveDown) camera.position = camera.position + (-speed) * camera.up;
}

void controlBall() {
    if (!ballControl) return;
    if (tiltForward) ground.steer(1.0f, 0.0f, camera.forward);
    if (tiltBack) ground.steer(-1.0f, 0.0f, camera.forward);
    if (tiltLeft) ground.steer(0.0f, -1.0f, camera.forward);
    if (tiltRight) ground.steer(0.0f, 1.0f, camera.forward);
    if (liftBall) ball.pushForce = Vec3(0.0, 0.9, 0.0);
    if (pressBall && ball.contactCount < kPressContactLimit) ball.pushForce = Vec3(0.0, -0.9, 0.0);
}
}  // namespace

void advanceOneStep() {
    relaxTilt();
    ball.applyPush(Vec3(-ground.tiltZ, 0.0, ground.tiltX));
    ball.step();
    flyCamera();
    controlBall();
}
