#include "world/Keys.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "world/World.h"

namespace {
// Key "8": lighting, ground texture, sky box and lightning switch together.
InputResponse toggleDisplayOptions(World& world) {
    DisplayOptions& display = world.display;
    display.lightingOn = !display.lightingOn;
    world.board.useTexturedList = !world.board.useTexturedList;
    display.lightningVisible = !display.lightningVisible;
    display.skyVisible = !display.skyVisible;
    return InputResponse::Redraw;
}

InputResponse toggle(bool& flag) {
    flag = !flag;
    return InputResponse::Redraw;
}

InputResponse rebuildAtStart(World& world) {
    rebuildBall(world, kBallStartCentre);
    return InputResponse::Redraw;
}

InputResponse rebuildHere(World& world) {
    rebuildBall(world, world.ball.centre);
    return InputResponse::Redraw;
}

InputResponse spawnBolt(World& world) {
    world.lightning.spawnBolt();
    return InputResponse::Redraw;
}

InputResponse togglePause(World& world) {
    world.run.paused = !world.run.paused;
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

InputResponse toggleHelp(World& world) {
    world.display.helpVisible = !world.display.helpVisible;
    return InputResponse::None;
}

// The plots start afresh each time the panel is shown.
InputResponse togglePanel(World& world) {
    world.display.panelVisible = !world.display.panelVisible;
    if (world.display.panelVisible) world.history.clear();
    return InputResponse::None;
}

InputResponse togglePointerMode(World& world) {
    const bool look = world.input.pointer == PointerMode::Look;
    return setPointerMode(world, look ? PointerMode::Hand : PointerMode::Look);
}

InputResponse toggleLook(World& world) {
    BallLook& look = world.display.look;
    look = look == BallLook::Classic ? BallLook::Jelly : BallLook::Classic;
    return InputResponse::Redraw;
}

InputResponse quit(World&) { return InputResponse::Quit; }

// "," pauses; whoever keeps the past then shows the step before.
InputResponse stepBack(World& world) {
    world.run.paused = true;
    return InputResponse::StepBack;
}

// "." at the present: pause and one new step, as "o" while paused. (Behind
// the present, whoever keeps the past moves along it instead.)
InputResponse stepForward(World& world) {
    world.run.paused = true;
    simulateStep(world);
    return InputResponse::None;
}

// Held keys of the ball's group steer the simulation; the camera's and
// space only move the viewer.
constexpr KeyBinding held(KeySource source, int code, bool InputState::*flag, bool InputState::*group,
                          int undoneBy, const char* input, const char* effect) {
    return {source, code, KeyUse::Hold, group == &InputState::ballControl, false, flag, group, nullptr, undoneBy,
            input, effect};
}

constexpr bool kSimulates = true;
constexpr bool kViews = false;

constexpr KeyBinding pressed(KeySource source, int code, KeyUse use, bool simulates, InputResponse (*press)(World&),
                             int undoneBy, const char* input, const char* effect) {
    return {source, code, use, simulates, use == KeyUse::Time, nullptr, nullptr, press, undoneBy, input, effect};
}

constexpr KeyBinding helpLine(const char* input, const char* effect) {
    return {KeySource::Pointer, 0, KeyUse::Help, false, false, nullptr, nullptr, nullptr, 0, input, effect};
}

constexpr KeySource kChar = KeySource::Character;
constexpr KeySource kSpecial = KeySource::Special;
constexpr auto kBall = &InputState::ballControl;
constexpr auto kCamera = &InputState::cameraMoving;
constexpr char kArrows[] = "arrow keys";
constexpr char kTilt[] = "tilt the board (held)";
constexpr char kFly[] = "w s a d r f";
constexpr char kFlyEffect[] = "fly the camera (held)";
}  // namespace

// In the order the help lists them. The camera keys come with the key that
// flies back, so that a generated session can return where it started.
const KeyBinding kKeyBindings[] = {
    held(kSpecial, kSpecialKeyUp, &InputState::tiltForward, kBall, kSpecialKeyDown, kArrows, kTilt),
    held(kSpecial, kSpecialKeyDown, &InputState::tiltBack, kBall, kSpecialKeyUp, kArrows, kTilt),
    held(kSpecial, kSpecialKeyLeft, &InputState::tiltLeft, kBall, kSpecialKeyRight, kArrows, kTilt),
    held(kSpecial, kSpecialKeyRight, &InputState::tiltRight, kBall, kSpecialKeyLeft, kArrows, kTilt),
    held(kChar, 't', &InputState::liftBall, kBall, 'g', "t  g", "lift, press the ball (held)"),
    held(kChar, 'g', &InputState::pressBall, kBall, 't', "t  g", "lift, press the ball (held)"),
    pressed(kChar, '0', KeyUse::Act, kSimulates, rebuildAtStart, 0, "0  9", "rebuild the ball: middle, here"),
    pressed(kChar, '9', KeyUse::Act, kSimulates, rebuildHere, 0, "0  9", "rebuild the ball: middle, here"),
    pressed(kChar, '1', KeyUse::Show, kViews, [](World& w) { return toggle(w.ball.showParticles); }, '1', "1  2  3",
            "show points, springs, skin"),
    pressed(kChar, '2', KeyUse::Show, kViews, [](World& w) { return toggle(w.ball.showSprings); }, '2', "1  2  3",
            "show points, springs, skin"),
    pressed(kChar, '3', KeyUse::Show, kViews, [](World& w) { return toggle(w.ball.showSurface); }, '3', "1  2  3",
            "show points, springs, skin"),
    pressed(kChar, '4', KeyUse::Show, kViews, toggleLook, '4', "4", "the ball's look: classic, jelly"),
    pressed(kChar, '8', KeyUse::Show, kViews, toggleDisplayOptions, '8', "8", "lights, texture, sky on or off"),
    pressed(kChar, 'n', KeyUse::Show, kViews, [](World& w) { return toggle(w.display.noFlashes); }, 'n', "n",
            "no flashes: faint lightning"),
    pressed(kChar, 'l', KeyUse::Act, kSimulates, spawnBolt, 0, "l", "a flash of lightning"),
    held(kChar, 'w', &InputState::moveForward, kCamera, 's', kFly, kFlyEffect),
    held(kChar, 's', &InputState::moveBackward, kCamera, 'w', kFly, kFlyEffect),
    held(kChar, 'a', &InputState::moveLeft, kCamera, 'd', kFly, kFlyEffect),
    held(kChar, 'd', &InputState::moveRight, kCamera, 'a', kFly, kFlyEffect),
    held(kChar, 'r', &InputState::moveUp, kCamera, 'f', kFly, kFlyEffect),
    held(kChar, 'f', &InputState::moveDown, kCamera, 'r', kFly, kFlyEffect),
    helpLine("mouse", "turn the camera"),
    held(kChar, ' ', &InputState::panMode, nullptr, 0, "space + mouse", "move the camera"),
    helpLine("left button", "grab the ball and pull it"),
    pressed(kChar, 'm', KeyUse::Pointer, kViews, togglePointerMode, 'm', "m", "hand mode on or off"),
    pressed(kChar, 'p', KeyUse::Run, kSimulates, togglePause, 'p', "p", "pause or resume"),
    pressed(kChar, 'o', KeyUse::Run, kSimulates, stepOnce, 0, "o", "one step while paused"),
    pressed(kChar, ',', KeyUse::Time, kViews, stepBack, 0, ",  .", "a step back, forward in time"),
    pressed(kChar, '.', KeyUse::Time, kViews, stepForward, 0, ",  .", "a step back, forward in time"),
    pressed(kChar, '[', KeyUse::Run, kViews, [](World& w) { return changeSpeed(w.run, -1); }, ']', "[  ]",
            "slower, faster (x1/8 to x8)"),
    pressed(kChar, ']', KeyUse::Run, kViews, [](World& w) { return changeSpeed(w.run, +1); }, '[', "[  ]",
            "slower, faster (x1/8 to x8)"),
    pressed(kChar, 'h', KeyUse::Show, kViews, toggleHelp, 'h', "h  F1", "show or hide this help"),
    pressed(kSpecial, kSpecialKeyF1, KeyUse::Show, kViews, toggleHelp, kSpecialKeyF1, "h  F1", "show or hide this help"),
    pressed(kChar, '\t', KeyUse::Window, kViews, togglePanel, '\t', "Tab", "the study panel"),
    pressed(kChar, kKeyEscape, KeyUse::Quit, kViews, quit, 0, "Esc", "quit"),
};
const std::size_t kKeyBindingCount = sizeof kKeyBindings / sizeof kKeyBindings[0];

namespace {
const KeyBinding* findKey(KeySource source, int code) {
    for (const KeyBinding& binding : kKeyBindings) {
        if (binding.source == source && binding.code == code) return &binding;
    }
    return nullptr;
}
}  // namespace

const KeyBinding* findCharacterKey(unsigned char key) { return findKey(KeySource::Character, key); }
const KeyBinding* findSpecialKey(int key) { return findKey(KeySource::Special, key); }

std::vector<ControlHelp> controlHelp() {
    std::vector<ControlHelp> lines;
    for (const KeyBinding& binding : kKeyBindings) {
        if (!lines.empty() && std::strcmp(lines.back().input, binding.helpInput) == 0) continue;
        lines.push_back({binding.helpInput, binding.helpEffect});
    }
    return lines;
}

std::string controlsUsage() {
    std::string text;
    for (const ControlHelp& control : controlHelp()) {
        char line[128];
        std::snprintf(line, sizeof line, "  %-15s%s\n", control.input, control.effect);
        text += line;
    }
    return text;
}
