#include "tools/sim/SimUsage.h"

#include "world/Settings.h"

namespace {
const char kUsageTemplate[] =
    "usage: orvane-sim [--steps N] [--every K] [--input FILE]\n"
    "\n"
    "Runs the simulation without a window and prints its state as JSON lines:\n"
    "one line before the first idle call, one after the last, and with --every\n"
    "one after every K-th idle call.\n"
    "\n"
    "  --steps N     idle calls to run (default 1000, N >= 0)\n"
    "  --every K     also print after every K-th idle call (K >= 1)\n"
    "  --input FILE  input event script, '-' for standard input (default: none)\n"
    "  --energy      add the ball's kinetic, spring, gravity and total energy\n"
    "  --help        this text\n"
    "  --version     the version, and the commit it was built from\n"
    "\n"
    "The ball's settings: option, NAME (for the script event set NAME VALUE),\n"
    "what it is, its range and unit, its value at start:\n"
    "%s"
    "\n"
    "An option given twice takes its last value; --opt=VALUE works as well.\n"
    "\n"
    "Script: one event a line, fields separated by spaces or tabs:\n"
    "  STEP key-down C | key-up C | special-down K | special-up K | motion X Y\n"
    "  STEP button-down B X Y | button-up B X Y | drag X Y | hover X Y | reshape W H\n"
    "  STEP pace N | pace off | end | set NAME VALUE | defaults\n"
    "STEP is the idle call (from 0) before which the event is delivered; steps\n"
    "never decrease. C is one printable character other than space and '#', or\n"
    "space, esc, hash, or any byte as 0xNN. K is up, down, left, right, f1 to\n"
    "f12 or a GLUT special-key code from 0 to 65535. B is left, middle or right.\n"
    "X and Y are integers from -100000 to 100000, W and H from 0 to 16384 (the\n"
    "window size for turning pointer positions into rays; 640x480 at start).\n"
    "hover is pointer motion over the study panel: only remembered.\n"
    "pace N makes the following idle calls take N steps (0 to 8); end stops the\n"
    "replay as esc does; set changes a setting from the next step (rings and\n"
    "segments rebuild the ball where it is), defaults puts every physical\n"
    "setting back. Lines that are blank or whose first non-blank\n"
    "character is '#' are ignored; CRLF line ends are accepted. Events at step N\n"
    "or later are checked but not delivered; esc ends the replay after printing\n"
    "the current state.\n"
    "\n"
    "A ball that runs away (values that are no numbers, or points flung far) is\n"
    "rebuilt over the plate; a line on standard error says so and the replay\n"
    "goes on.\n"
    "\n"
    "Exit status: 0 done, 1 output could not be written, 2 bad option or script.\n";
}  // namespace

// The settings' lines go where the template says %s.
std::string simUsage() {
    std::string text = kUsageTemplate;
    const std::size_t at = text.find("%s");
    return text.replace(at, 2, settingsUsage());
}
