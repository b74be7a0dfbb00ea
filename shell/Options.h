#pragma once

#include <string>
#include <vector>

#include "world/InputScript.h"
#include "world/Timeline.h"

// The program's command line: its own options and GLUT's, which go to
// glutInit unchanged.
struct WindowOptions {
    double rateHz = 0.0;  // > 0: the simulation keeps to wall-clock time at this many steps a second
    std::string recordPath;
    std::string replayPath;
    bool help = false;
    bool hand = false;  // start with the pointer in hand mode
    bool noFlashes = false;  // start with the lightning faint (key n)
    BallLook look = BallLook::Classic;
    std::size_t timelineBytes = Timeline::kDefaultMemoryBytes;
    std::vector<ScriptEvent> settings;  // "set" events, in the order given
    std::vector<ScriptEvent> compare;   // --compare: compare on and B's settings
    bool version = false;
    std::vector<char*> glutArguments;  // the program's name and GLUT's options
};

// Empty when the command line is good, else what is wrong, in one line.
std::string readWindowOptions(int argc, char** argv, WindowOptions& options);

// The --help text: the options and every control.
std::string windowUsage();
