#pragma once

#include <string>
#include <vector>

#include "world/Input.h"
#include "world/World.h"

struct World;
struct Setting;
struct Camera;

// Input scripts: one event a line, "STEP EVENT ARGS", delivered just before
// idle call STEP. The window turns its own input into these events too, so a
// recorded session replays through the very same handlers. Each kind has one
// row in the syntax table (world/InputScript.cpp): its name, arguments, help
// text, and how it is read, written and delivered.
enum class ScriptEventKind {
    KeyDown,      // key-down C
    KeyUp,        // key-up C
    SpecialDown,  // special-down K
    SpecialUp,    // special-up K
    Motion,       // motion X Y (no button held)
    ButtonDown,   // button-down B X Y
    ButtonUp,     // button-up B X Y
    Drag,         // drag X Y (a button held)
    Hover,        // hover X Y (over the study panel: the pointer is only remembered)
    Reshape,      // reshape W H
    Pace,         // pace N | pace off
    End,          // end: the session ended here (as Esc would end it)
    Set,          // set NAME VALUE: one of the ball's settings (world/Settings.h)
    Defaults,     // defaults: every physical setting back to its start-up value
    Pointer,      // pointer look | pointer hand: what the pointer does
    Seek,         // seek STEP: show simulation step STEP of the kept past
    Compare,      // compare on | off | copy: compare mode's second world, B
    SetB,         // set-b NAME VALUE: one of B's settings
    Look,         // look classic | look jelly: how the ball is drawn
    Restart,      // restart: a fresh world, as at start-up, with the viewer's window and panel
    Stopwatch,    // stopwatch start | stop | reset | auto-on | auto-off
    CameraPlace,  // camera X Y Z YAW PITCH: the camera put there, looking that way
};

// What "compare" does: B appears as a copy of A (if it is not there yet),
// goes, or becomes a copy of A again.
enum class CompareAction { On, Off, Copy };

// One event. Each kind uses only the fields its comment names; make events
// with the named constructors below.
struct ScriptEvent {
    static constexpr int kPaceOff = -1;

    long long step = 0;  // the idle call before which it is delivered
    ScriptEventKind kind = ScriptEventKind::KeyDown;
    int key = 0;                             // key-*: the character; special-*: GLUT's key code
    MouseButton button = MouseButton::Left;  // button-*
    int x = 0;                               // motion, button-*, drag, hover: the pointer
    int y = 0;
    int width = 0;                           // reshape
    int height = 0;
    int steps = 0;                           // pace: steps an idle call, or kPaceOff
    int setting = 0;                         // set, set-b: index into kSettings
    double value = 0.0;                      // set, set-b: the new value
    PointerMode pointer = PointerMode::Look; // pointer
    long long target = 0;                    // seek: the simulation step to show
    CompareAction compare = CompareAction::On;  // compare
    BallLook look = BallLook::Classic;          // look
    StopwatchAction stopwatch = StopwatchAction::Start;  // stopwatch
    Vec3 position;                           // camera
    float yaw = 0.0f;
    float pitch = 0.0f;
    int line = 0;                            // line number in the script, for messages

    static ScriptEvent keyDown(unsigned char key);
    static ScriptEvent keyUp(unsigned char key);
    static ScriptEvent specialDown(int key);
    static ScriptEvent specialUp(int key);
    static ScriptEvent motion(int x, int y);
    static ScriptEvent buttonDown(MouseButton button, int x, int y);
    static ScriptEvent buttonUp(MouseButton button, int x, int y);
    static ScriptEvent drag(int x, int y);
    static ScriptEvent hover(int x, int y);
    static ScriptEvent reshape(int width, int height);
    static ScriptEvent pace(int steps);  // kPaceOff ends pacing
    static ScriptEvent end();
    static ScriptEvent set(const Setting& setting, double value);
    static ScriptEvent defaults();
    static ScriptEvent pointerMode(PointerMode mode);
    static ScriptEvent seek(long long step);
    static ScriptEvent compareMode(CompareAction action);
    static ScriptEvent setB(const Setting& setting, double value);
    static ScriptEvent ballLook(BallLook look);
    static ScriptEvent restart();
    static ScriptEvent stopwatchAction(StopwatchAction action);
    static ScriptEvent cameraPlace(const Camera& camera);

    // The same event at idle call `at`.
    ScriptEvent at(long long at) const;
};

// Same kind, same step and the same values in the fields the kind uses.
bool operator==(const ScriptEvent& a, const ScriptEvent& b);
inline bool operator!=(const ScriptEvent& a, const ScriptEvent& b) { return !(a == b); }

constexpr long long kMaxPointerCoordinate = 100000;
constexpr int kMaxWindowSide = 16384;

struct ScriptParseResult {
    bool ok = true;
    std::vector<ScriptEvent> events;
    std::string error;  // "FILE:LINE: what is wrong" when !ok
};

// Parses script text; `name` is used in error messages.
ScriptParseResult parseInputScript(const std::string& text, const std::string& name);

// Reads and parses a file ("-" = standard input).
ScriptParseResult loadInputScript(const std::string& path);

// Delivers one event to the world's input handlers, and in compare mode to
// B's too: every input but the settings (B has its own) and the run's pace,
// pause and steps (B takes each step with A); B holds the mass point A holds.
InputResponse deliverScriptEvent(World& world, const ScriptEvent& event);

// The text of a number that reads back as the very same double: a whole
// number as an integer ("10"), anything else in the shortest "%g" form that
// does.
std::string exactNumberText(double value);

// Whether delivering the event to `world` would change its simulation
// (the ball, the board, the lightning, the settings, the grab) rather than
// only what the viewer sees (the camera, what is shown, the run's pace).
// Behind the present, such an event starts a new branch there.
bool changesSimulation(const World& world, const ScriptEvent& event);

// The event as a script line (with its step, without a line end) that
// parses back to the same event.
std::string formatScriptEvent(const ScriptEvent& event);

// Every event's syntax and meaning, one line or more each, for --help.
std::string scriptEventsUsage();
