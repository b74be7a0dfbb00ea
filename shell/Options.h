#pragma once

#include <string>
#include <utility>
#include <vector>

struct Setting;

// The program's command line: its own options and GLUT's, which go to
// glutInit unchanged.
struct WindowOptions {
    double rateHz = 0.0;  // > 0: the simulation keeps to wall-clock time at this many steps a second
    std::string recordPath;
    std::string replayPath;
    bool help = false;
    bool version = false;
    std::vector<std::pair<const Setting*, double>> settings;  // in the order given
    std::vector<char*> glutArguments;  // the program's name and GLUT's options
};

// Empty when the command line is good, else what is wrong, in one line.
std::string readWindowOptions(int argc, char** argv, WindowOptions& options);

// The --help text: the options and every control.
std::string windowUsage();
