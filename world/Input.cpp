#include "world/Input.h"

#include <algorithm>

#include "world/Picking.h"
#include "world/World.h"

namespace {
// How near the pointer's ray must pass a surface particle to grab it: a
// little more than half the distance between neighbouring particles, so
// that a ray through the ball always finds one.
constexpr double kGrabReach = 0.3;

// Key "8": lighting, ground texture, sky box and lightning switch together.
void toggleDisplayOptions(World& world) {
    DisplayOptions& display = world.display;
    display.lightingOn = !display.lightingOn;
    world.board.useTexturedList = !world.board.useTexturedList;
    display.lightningVisible = !display.lightningVisible;
    display.skyVisible = !display.skyVisible;
}

InputResponse startCameraMove(InputState& input, bool& flag) {
    input.cameraMoving = true;
    flag = true;
    return InputResponse::None;
}

// Releasing any key of a group stops the whole group until one is pressed again.
InputResponse stopCameraMove(InputState& input, bool& flag) {
    input.cameraMoving = false;
    flag = false;
    return InputResponse::None;
}

InputResponse startBallControl(InputState& input, bool& flag) {
    input.ballControl = true;
    flag = true;
    return InputResponse::None;
}

InputResponse stopBallControl(InputState& input, bool& flag) {
    input.ballControl = false;
    flag = false;
    return InputResponse::None;
}

InputResponse toggle(bool& flag) {
    flag = !flag;
    return InputResponse::Redraw;
}

// A rebuilt ball has new particles: whatever was grabbed is let go.
InputResponse rebuildBall(World& world) {
    world.ball.reset();
    world.grab = Grab();
    return InputResponse::Redraw;
}

InputResponse togglePause(RunControl& run) {
    run.paused = !run.paused;
    return InputResponse::None;
}

// "o" while paused: the simulation work of one unpaused idle call.
InputResponse stepOnce(World& world) {
    if (world.run.paused) simulateStep(world);
    return InputResponse::None;
}

InputResponse changeSpeed(RunControl& run, int levels) {
    run.speedLevel = std::clamp(run.speedLevel + levels, RunControl::kSlowest, RunControl::kFastest);
    run.slowCredit = 0;
    return InputResponse::None;
}

InputResponse toggleHelp(DisplayOptions& display) {
    display.helpVisible = !display.helpVisible;
    return InputResponse::None;
}

// The plots start afresh each time the panel is shown.
InputResponse togglePanel(World& world) {
    world.display.panelVisible = !world.display.panelVisible;
    if (world.display.panelVisible) world.history.clear();
    return InputResponse::None;
}

void rememberPointer(InputState& input, int x, int y) {
    input.lastMouseX = x;
    input.lastMouseY = y;
}

Ray boardRayAt(const World& world, int x, int y) {
    return rayOnBoard(world.board, pointerRay(world.camera, world.window, x, y));
}

// Holds the surface point nearest the pointer, if the pointer is on the ball.
void grabAt(World& world, int x, int y) {
    world.grab = Grab();
    if (!world.ball.isBuilt()) return;
    const Ray ray = boardRayAt(world, x, y);
    const int particle = nearestSurfaceParticle(world.ball, ray, kGrabReach);
    if (particle < 0) return;
    Grab& grab = world.grab;
    grab.active = true;
    grab.particle = particle;
    grab.planePoint = world.ball.particles[particle]->position;
    grab.planeNormal = directionOnBoard(world.board, viewDirection(world.camera));
    grab.target = grab.planePoint;
}

// The target follows the pointer in the plane it was grabbed in; where the
// pointer's ray does not meet that plane the target stays.
void dragTo(World& world, int x, int y) {
    Grab& grab = world.grab;
    if (!grab.active) return;
    Vec3 hit;
    if (meetPlane(boardRayAt(world, x, y), grab.planePoint, grab.planeNormal, hit)) grab.target = hit;
}
}  // namespace

InputResponse keyDown(World& world, unsigned char key) {
    InputState& input = world.input;
    SoftBall& ball = world.ball;
    input.panMode = false;
    switch (key) {
    case kKeyEscape: return InputResponse::Quit;
    case ' ': input.panMode = true; return InputResponse::None;
    case '0':
        ball.centre = Vec3(0.0, 5.0, 0.0);
        return rebuildBall(world);
    case '9': return rebuildBall(world);
    case '1': return toggle(ball.showParticles);
    case '2': return toggle(ball.showSprings);
    case '3': return toggle(ball.showSurface);
    case '8': toggleDisplayOptions(world); return InputResponse::Redraw;
    case 'w': return startCameraMove(input, input.moveForward);
    case 's': return startCameraMove(input, input.moveBackward);
    case 'a': return startCameraMove(input, input.moveLeft);
    case 'd': return startCameraMove(input, input.moveRight);
    case 'r': return startCameraMove(input, input.moveUp);
    case 'f': return startCameraMove(input, input.moveDown);
    case 'l': world.lightning.spawnBolt(); return InputResponse::Redraw;
    case 't': return startBallControl(input, input.liftBall);
    case 'g': return startBallControl(input, input.pressBall);
    case 'p': return togglePause(world.run);
    case 'o': return stepOnce(world);
    case '[': return changeSpeed(world.run, -1);
    case ']': return changeSpeed(world.run, +1);
    case 'h': return toggleHelp(world.display);
    case '\t': return togglePanel(world);
    default: return InputResponse::None;
    }
}

InputResponse keyUp(World& world, unsigned char key) {
    InputState& input = world.input;
    switch (key) {
    case ' ': input.panMode = false; return InputResponse::None;
    case 'w': return stopCameraMove(input, input.moveForward);
    case 's': return stopCameraMove(input, input.moveBackward);
    case 'a': return stopCameraMove(input, input.moveLeft);
    case 'd': return stopCameraMove(input, input.moveRight);
    case 'r': return stopCameraMove(input, input.moveUp);
    case 'f': return stopCameraMove(input, input.moveDown);
    case 't': return stopBallControl(input, input.liftBall);
    case 'g': return stopBallControl(input, input.pressBall);
    default: return InputResponse::None;
    }
}

InputResponse specialDown(World& world, int key) {
    InputState& input = world.input;
    switch (key) {
    case kSpecialKeyUp: return startBallControl(input, input.tiltForward);
    case kSpecialKeyDown: return startBallControl(input, input.tiltBack);
    case kSpecialKeyLeft: return startBallControl(input, input.tiltLeft);
    case kSpecialKeyRight: return startBallControl(input, input.tiltRight);
    case kSpecialKeyF1: return toggleHelp(world.display);
    default: return InputResponse::None;
    }
}

InputResponse specialUp(World& world, int key) {
    InputState& input = world.input;
    switch (key) {
    case kSpecialKeyUp: return stopBallControl(input, input.tiltForward);
    case kSpecialKeyDown: return stopBallControl(input, input.tiltBack);
    case kSpecialKeyLeft: return stopBallControl(input, input.tiltLeft);
    case kSpecialKeyRight: return stopBallControl(input, input.tiltRight);
    default: return InputResponse::None;
    }
}

InputResponse mouseMotion(World& world, int x, int y) {
    InputState& input = world.input;
    Camera& camera = world.camera;
    // Widened so that extreme pointer jumps cannot overflow the int difference.
    const long long dx = static_cast<long long>(input.lastMouseX) - x;
    const long long dy = static_cast<long long>(input.lastMouseY) - y;
    input.lastMouseX = x;
    input.lastMouseY = y;
    if (input.panMode) {
        camera.position = camera.position +
                          (static_cast<double>(dy) * camera.forward + static_cast<double>(-dx) * camera.right);
        return InputResponse::None;
    }
    camera.yaw = static_cast<float>(camera.yaw + static_cast<double>(dx));
    camera.updateVectors();
    camera.pitch = static_cast<float>(camera.pitch + static_cast<double>(dy));
    camera.updateVectors();
    return InputResponse::None;
}

InputResponse mouseButton(World& world, MouseButton button, bool down, int x, int y) {
    rememberPointer(world.input, x, y);
    if (button != MouseButton::Left) return InputResponse::None;
    if (down) {
        grabAt(world, x, y);
    } else {
        world.grab = Grab();
    }
    return InputResponse::None;
}

InputResponse mouseDrag(World& world, int x, int y) {
    rememberPointer(world.input, x, y);
    dragTo(world, x, y);
    return InputResponse::None;
}

InputResponse mouseHover(World& world, int x, int y) {
    rememberPointer(world.input, x, y);
    return InputResponse::None;
}

InputResponse reshape(World& world, int width, int height) {
    world.window.width = width;
    world.window.height = height == 0 ? 1 : height;
    return InputResponse::Resize;
}

InputResponse pace(World& world, int steps) {
    world.run.pacedSteps = steps < 0 ? -1 : std::min(steps, RunControl::kMostStepsPerIdleCall);
    return InputResponse::None;
}
