#pragma once

#include <string>
#include <vector>

#include "world/Input.h"

struct World;

// Input scripts: one event a line, "STEP EVENT ARGS". Replayed by the
// headless replay and the capture tool through the same handlers the window
// uses.
enum class ScriptEventKind { KeyDown, KeyUp, SpecialDown, SpecialUp, Motion };

struct ScriptEvent {
    long long step = 0;
    ScriptEventKind kind = ScriptEventKind::KeyDown;
    int code = 0;  // character code or special-key code
    int x = 0;     // pointer position for motion
    int y = 0;
    int line = 0;  // line number in the script, for messages
};

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
