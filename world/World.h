#pragma once

#include <memory>
#include <string>

#include "ball/SoftBall.h"
#include "effects/Lightning.h"
#include "scene/Board.h"
#include "world/Camera.h"
#include "world/History.h"
#include "world/Input.h"
#include "world/Instruments.h"

// How the ball is drawn. Classic is the ball as it has always looked: a pale
// grey skin lit with normals from the world's origin. Jelly is a glossy
// tinted gel shaded with the skin's own normals, with a soft shadow where it
// meets the ground.
enum class BallLook { Classic, Jelly };

// "classic" or "jelly", as command lines and scripts name the looks.
const char* ballLookName(BallLook look);
// The look of that name; false, and `look` untouched, for any other text.
bool findBallLook(const std::string& name, BallLook& look);

// What key "8" switches together (with the board's ground look), the help
// overlay of keys "h" and F1, and the ball's look.
struct DisplayOptions {
    bool lightingOn = true;
    bool skyVisible = true;
    bool lightningVisible = true;
    bool helpVisible = false;
    bool panelVisible = false;  // the study panel, key Tab
    bool noFlashes = false;     // bolts drawn faint and steady, never lighting up the sky (key n)
    BallLook look = BallLook::Classic;
};

// How the simulation runs: paused or not, and how fast. By default every
// idle call is one simulation step.
struct RunControl {
    static constexpr int kSlowest = -3;  // speed 2^level: x1/8
    static constexpr int kFastest = 3;   // x8
    static constexpr int kMostStepsPerIdleCall = 8;

    bool paused = false;
    int speedLevel = 0;
    int pacedSteps = -1;  // steps the clock asks of each idle call; < 0: not paced
    int slowCredit = 0;   // steps gathered towards the next one at slow speeds

    bool isDefault() const { return !paused && speedLevel == 0; }
};

// The ball's surface point that the left button holds, and where the pointer
// pulls it; all in the board's frame.
struct Grab {
    bool active = false;
    int particle = -1;
    Vec3 target;
    Vec3 planePoint;   // the target moves in the plane through the grabbed
    Vec3 planeNormal;  // point that faces the camera
};

// The window's size in pixels as the last reshape gave it; never 0 high.
struct WindowSize {
    int width = 640;
    int height = 480;
};

struct World;

// Compare mode's second world, B, beside a world A: held by pointer (a world
// holds at most one, and B none), copied whole when A is copied, so that a
// world with its B is still a value.
class CompareWorld {
public:
    CompareWorld();
    ~CompareWorld();
    CompareWorld(const CompareWorld& other);
    CompareWorld& operator=(const CompareWorld& other);
    CompareWorld(CompareWorld&& other) noexcept;
    CompareWorld& operator=(CompareWorld&& other) noexcept;

    explicit operator bool() const { return world_ != nullptr; }
    World& operator*() const { return *world_; }
    World* operator->() const { return world_.get(); }
    World* get() const { return world_.get(); }

    void become(const World& world);  // B is a copy of `world` (without its B)
    void reset();                     // no B

private:
    std::unique_ptr<World> world_;
};

// Everything the program simulates and everything its input has set. It
// knows nothing of OpenGL or windows: the window shell owns one, drives it
// through the input handlers, step() and advanceFrame(), and draws it; the
// headless replay and the tests do the same without drawing. A copy is a
// separate world that goes on by itself.
struct World {
    Board board;
    Camera camera;
    SoftBall ball;
    Lightning lightning;
    InputState input;
    DisplayOptions display;
    WindowSize window;
    RunControl run;
    Grab grab;
    StepHistory history;
    long long simulationSteps = 0; // taken since start-up
    long long blowUps = 0;         // times the ball ran away and was rebuilt
    int blowUpNoticeFrames = 0;    // frames the overlay still says so
    Instruments instruments;       // the stopwatch and the flight log
    // Compare mode: a second world under the same input, with settings of
    // its own (world/Compare.h).
    CompareWorld compare;

    // The state start-up leaves the world in: the board level, the camera at
    // (0, 7, 16) looking along -z, the ball built above the platform, the
    // greeting flash in the sky, every display option on and no key held.
    World();
};

// Every rebuild of the ball (keys "0" and "9", a new resolution, a blow-up):
// the ball is made afresh, at rest, half a radius above `centre`, and shown
// point by point again; whatever was grabbed is let go, since its particle is
// gone.
void rebuildBall(World& world, const Vec3& centre);

// One idle call's work: as many simulation steps as the run control asks
// for (one by default, none while paused), then the camera's flight.
void step(World& world);

// step() in its two parts, for whoever must stop between the simulation
// steps of one idle call (the timeline, landing on one step): how many
// simulation steps this idle call takes (asked once a call: slow speeds
// gather credit), and what follows them (the camera's flight).
int stepsDueThisIdleCall(World& world);
void finishIdleCall(World& world);

// One simulation step, in this order: relax the board's tilt, push and step
// the ball (pulled where it is grabbed), steer the board, lift or press. A
// ball that ran away (see SoftBall::ranAway) is rebuilt over the plate at
// once and counted in blowUps. While the study panel is shown, the step adds
// its sample to the history that the panel plots.
void simulateStep(World& world);

// How the run differs from the default, for the overlay: "paused", "x1/4",
// "paused x2"; empty at full speed, unpaused.
std::string runStateLabel(const RunControl& run);

// Once per frame drawn, between drawing the ball and the sky: the ball's
// build-up picture moves on, and the lightning (while shown) may strike and
// ages by a frame. Frames drawn by key handlers count too.
void advanceFrame(World& world);
