#include "world/Input.h"

#include <algorithm>

#include "world/Keys.h"
#include "world/Picking.h"
#include "world/World.h"

namespace {
// How near the pointer's ray must pass a surface particle to grab it: a
// little more than half the distance between neighbouring particles, so
// that a ray through the ball always finds one.
constexpr double kGrabReach = 0.3;

// A held key sets its flag and its group's gate; releasing any key of a
// group stops the whole group until one is pressed again.
void hold(InputState& input, const KeyBinding& binding, bool down) {
    input.*binding.held = down;
    if (binding.group) input.*binding.group = down;
}

InputResponse press(World& world, const KeyBinding* binding) {
    if (!binding) return InputResponse::None;
    if (binding->use == KeyUse::Hold) {
        hold(world.input, *binding, true);
        return InputResponse::None;
    }
    return binding->press(world);
}

InputResponse release(World& world, const KeyBinding* binding) {
    if (binding && binding->use == KeyUse::Hold) hold(world.input, *binding, false);
    return InputResponse::None;
}

void rememberPointer(InputState& input, int x, int y) {
    input.lastMouseX = x;
    input.lastMouseY = y;
}

Ray boardRayAt(const World& world, int x, int y) {
    return rayOnBoard(world.board, pointerRay(world.camera, world.window, x, y));
}

int particleUnder(const World& world, int x, int y) {
    if (!world.ball.isBuilt()) return -1;
    return nearestSurfaceParticle(world.ball, boardRayAt(world, x, y), kGrabReach);
}

// Holds the surface point nearest the pointer, if the pointer is on the ball.
void grabAt(World& world, int x, int y) {
    world.grab = Grab();
    const int particle = particleUnder(world, x, y);
    if (particle < 0) return;
    Grab& grab = world.grab;
    grab.active = true;
    grab.particle = particle;
    grab.planePoint = world.ball.particles[particle].position;
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

// One world unit a pixel: the pointer moving up moves the camera forward,
// moving right moves it right.
void panCamera(Camera& camera, long long dx, long long dy) {
    camera.position =
        camera.position + (static_cast<double>(dy) * camera.forward + static_cast<double>(-dx) * camera.right);
}

// One degree a pixel: left turns the yaw up, up turns the pitch up.
void turnCamera(Camera& camera, long long dx, long long dy) {
    camera.yaw = static_cast<float>(camera.yaw + static_cast<double>(dx));
    camera.updateVectors();
    camera.pitch = static_cast<float>(camera.pitch + static_cast<double>(dy));
    camera.updateVectors();
}

struct PointerStep {
    long long dx, dy;  // widened so that extreme pointer jumps cannot overflow the difference
};

// The step from the last pointer position to (x, y), which becomes the last.
PointerStep movePointer(InputState& input, int x, int y) {
    const PointerStep step{static_cast<long long>(input.lastMouseX) - x, static_cast<long long>(input.lastMouseY) - y};
    rememberPointer(input, x, y);
    return step;
}

bool& held(InputState& input, MouseButton button) { return input.buttonHeld[static_cast<int>(button)]; }
}  // namespace

InputResponse keyDown(World& world, unsigned char key) {
    world.input.panMode = false;
    return press(world, findCharacterKey(key));
}

InputResponse keyUp(World& world, unsigned char key) { return release(world, findCharacterKey(key)); }

InputResponse specialDown(World& world, int key) { return press(world, findSpecialKey(key)); }

InputResponse specialUp(World& world, int key) { return release(world, findSpecialKey(key)); }

InputResponse mouseMotion(World& world, int x, int y) {
    InputState& input = world.input;
    const PointerStep step = movePointer(input, x, y);
    if (input.pointer == PointerMode::Hand) return InputResponse::None;
    if (input.panMode) {
        panCamera(world.camera, step.dx, step.dy);
    } else {
        turnCamera(world.camera, step.dx, step.dy);
    }
    return InputResponse::None;
}

InputResponse mouseButton(World& world, MouseButton button, bool down, int x, int y) {
    rememberPointer(world.input, x, y);
    held(world.input, button) = down;
    if (button != MouseButton::Left) return InputResponse::None;
    if (down) {
        grabAt(world, x, y);
    } else {
        world.grab = Grab();
    }
    return InputResponse::None;
}

bool wouldGrab(const World& world, int x, int y) { return particleUnder(world, x, y) >= 0; }

InputResponse mouseDrag(World& world, int x, int y) {
    InputState& input = world.input;
    const PointerStep step = movePointer(input, x, y);
    dragTo(world, x, y);
    if (input.pointer == PointerMode::Hand) {
        if (held(input, MouseButton::Right)) turnCamera(world.camera, step.dx, step.dy);
        if (held(input, MouseButton::Middle)) panCamera(world.camera, step.dx, step.dy);
    }
    return InputResponse::None;
}

InputResponse mouseHover(World& world, int x, int y) {
    rememberPointer(world.input, x, y);
    return InputResponse::None;
}

InputResponse setPointerMode(World& world, PointerMode mode) {
    world.input.pointer = mode;
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
