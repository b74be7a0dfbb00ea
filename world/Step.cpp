#include <algorithm>

#include "ball/Energy.h"
#include "world/World.h"

namespace {
constexpr float kCameraSpeed = 0.04f;  // acts at its single-precision value
constexpr int kPressContactLimit = 25;
constexpr int kBlowUpNoticeFrames = 300;

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
    if (input.liftBall) ball.pushForce = Vec3(0.0, ball.liftForce, 0.0);
    if (input.pressBall && ball.contactCount < kPressContactLimit) ball.pushForce = Vec3(0.0, -ball.liftForce, 0.0);
}

// One step normally (or the clock's count when paced), times the speed: at
// x2^k, 2^k steps (at most 8); at x1/2^k, one step for every 2^k gathered.
int stepsDue(RunControl& run) {
    if (run.paused) return 0;
    const int base = run.pacedSteps < 0 ? 1 : run.pacedSteps;
    if (run.speedLevel >= 0) return std::min(base << run.speedLevel, RunControl::kMostStepsPerIdleCall);
    const int every = 1 << -run.speedLevel;
    run.slowCredit += base;
    const int steps = run.slowCredit / every;
    run.slowCredit %= every;
    return steps;
}

// Over the middle of the plate, as key "0" does, with the push forgotten.
void rebuildAfterBlowUp(World& world) {
    world.ball.pushForce = Vec3();
    rebuildBall(world, kBallStartCentre);
    ++world.blowUps;
    world.blowUpNoticeFrames = kBlowUpNoticeFrames;
}

StepSample sampleOf(const World& world) {
    const BallEnergy energy = energyOf(world.ball);
    StepSample sample;
    sample.kinetic = energy.kinetic;
    sample.spring = energy.spring;
    sample.gravity = energy.gravity;
    sample.total = energy.total;
    sample.contacts = world.ball.contactCount;
    sample.tiltX = world.board.tiltX;
    sample.tiltZ = world.board.tiltZ;
    sample.centreHeight = world.ball.centre.y;
    sample.separation = centresApart(world);
    return sample;
}

ParticlePull pullOf(const Grab& grab) {
    ParticlePull pull;
    if (grab.active) {
        pull.particle = grab.particle;
        pull.target = grab.target;
    }
    return pull;
}
}  // namespace

// Camera flight reads only the flags and the camera's vectors, and the
// steering only the camera's forward vector, so flying after all the steps
// gives what flying between the ball's step and the steering always gave.
void step(World& world) {
    for (int i = stepsDueThisIdleCall(world); i > 0; --i) simulateStep(world);
    finishIdleCall(world);
}

int stepsDueThisIdleCall(World& world) { return stepsDue(world.run); }

void finishIdleCall(World& world) {
    flyCamera(world.camera, world.input);
    if (world.compare) finishIdleCall(*world.compare);
}

void simulateStep(World& world) {
    ++world.simulationSteps;
    world.board.relax();
    world.ball.applyPush(world.board.pushInput());
    world.ball.step(pullOf(world.grab));
    if (world.ball.ranAway()) rebuildAfterBlowUp(world);
    controlBall(world);
    noteInstruments(world);
    // Compare mode's B takes each step with A, whoever asked for it.
    if (world.compare) simulateStep(*world.compare);
    if (world.display.panelVisible) world.history.add(sampleOf(world));
}

void advanceFrame(World& world) {
    world.ball.advanceBuildUp();
    if (world.blowUpNoticeFrames > 0) --world.blowUpNoticeFrames;
    if (world.display.lightningVisible) world.lightning.advanceFrame();
    if (world.compare) advanceFrame(*world.compare);
}

std::string runStateLabel(const RunControl& run) {
    std::string speed;
    if (run.speedLevel > 0) speed = "x" + std::to_string(1 << run.speedLevel);
    if (run.speedLevel < 0) speed = "x1/" + std::to_string(1 << -run.speedLevel);
    if (!run.paused) return speed;
    return speed.empty() ? "paused" : "paused " + speed;
}
