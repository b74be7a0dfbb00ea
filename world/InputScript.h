#pragma once

#include <string>
#include <vector>

#include "world/Input.h"

struct World;

// Input scripts: one event a line, "STEP EVENT ARGS", delivered just before
// idle call STEP. The window turns its own input into these events too, so a
// recorded session replays through the very same handlers.
enum class ScriptEventKind {
    KeyDown,     // key-down C
    KeyUp,       // key-up C
    SpecialDown, // special-down K
    SpecialUp,   // special-up K
    Motion,      // motion X Y (no button held)
    Hover,       // hover X Y (over the study panel: the pointer is only remembered)
    ButtonDown,  // button-down B X Y
    ButtonUp,    // button-up B X Y
    Drag,        // drag X Y (a button held)
    Reshape,     // reshape W H
    Pace,        // pace N | pace off
    End,         // end: the session ended here (as Esc would end it)
    Set,         // set NAME VALUE: one of the ball's settings (world/Settings.h)
    Defaults,    // defaults: every physical setting back to its start-up value
};

struct ScriptEvent {
    long long step = 0;
    ScriptEventKind kind = ScriptEventKind::KeyDown;
    int code = 0;  // character or special-key code; pace: steps, -1 for off
    MouseButton button = MouseButton::Left;
    int x = 0;     // pointer position; reshape: width
    int y = 0;     // reshape: height
    int setting = 0;     // set: index into kSettings
    double value = 0.0;  // set: the new value
    int line = 0;  // line number in the script, for messages
};

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

// Delivers one event to the world's input handlers.
InputResponse deliverScriptEvent(World& world, const ScriptEvent& event);

// A "set" event for idle call `step`.
struct Setting;
ScriptEvent settingEvent(const Setting& setting, double value, long long step = 0);

// The event as a script line (with its step, without a line end) that
// parses back to the same event.
std::string formatScriptEvent(const ScriptEvent& event);
