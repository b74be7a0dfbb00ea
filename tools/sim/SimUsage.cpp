#include "tools/sim/SimUsage.h"

#include "world/InputScript.h"
#include "world/Settings.h"

namespace {
const char kUsageTemplate[] =
    "usage: orvane-sim [--steps N] [--every K] [--input FILE] [--timeline-memory MB]\n"
    "                  [--compare NAME=VALUE,...] [--energy | --csv] [settings]\n"
    "\n"
    "Runs the simulation without a window and prints its state as JSON lines:\n"
    "one line before the first idle call, one after the last, and with --every\n"
    "one after every K-th idle call. After a seek the lines show the step sought\n"
    "(with the camera and what is shown as they are now), as the window shows it.\n"
    "\n"
    "  --steps N     idle calls to run (default 1000, N >= 0)\n"
    "  --every K     also print after every K-th idle call (K >= 1)\n"
    "  --input FILE  input event script, '-' for standard input (default: none)\n"
    "  --energy      add the ball's kinetic, spring, gravity and total energy\n"
    "  --csv         print a table instead, as the panels' Save data writes it:\n"
    "                a header row with units, then a row after every idle call\n"
    "                (with --every K, every K-th; the first row is before the\n"
    "                first call): step, time, the energies, contacts, tilt x and\n"
    "                z, the centre of mass's x, y, z and speed, in the shortest\n"
    "                text that reads back as the same number; with compare mode\n"
    "                (--compare, or a script that turns it on), B's time,\n"
    "                energies, contacts, centre of mass and how far apart the\n"
    "                two centres are follow, empty while B is off\n"
    "  --heap-in-use at the end, print the bytes the allocator has handed out\n"
    "                and not yet taken back, on standard error\n"
    "  --timeline-memory MB\n"
    "                what the kept past may take, for the script's seek events\n"
    "                (default 64, as in the window; 0: no timeline)\n"
    "  --compare NAME=VALUE,...\n"
    "                compare mode from the start: a second ball, B, with these\n"
    "                of its settings changed (NAME as in scripts; none: B as A);\n"
    "                each line then has B's state under \"b\"\n"
    "  --help        this text\n"
    "  --version     the version, and the commit it was built from\n"
    "\n"
    "The ball's settings: option, NAME (for the script event set NAME VALUE),\n"
    "what it is, its range and unit, its value at start:\n"
    "%s"
    "\n"
    "An option given twice takes its last value; --opt=VALUE works as well.\n"
    "\n"
    "Script: one event a line, STEP EVENT ARGUMENTS, fields separated by spaces\n"
    "or tabs. STEP is the idle call (from 0) before which the event is delivered;\n"
    "steps never decrease. Lines that are blank or whose first non-blank\n"
    "character is '#' are ignored; CRLF line ends are accepted. Events at step N\n"
    "or later are checked but not delivered. The events:\n"
    "%s"
    "\n"
    "A ball that runs away (values that are no numbers, or points flung far) is\n"
    "rebuilt over the plate; a line on standard error says so and the replay\n"
    "goes on.\n"
    "\n"
    "Exit status: 0 done, 1 output could not be written, 2 bad option or script.\n";

}  // namespace

// The settings' lines go where the template first says %s, the events' lines
// where it says so next.
std::string simUsage() {
    std::string text = kUsageTemplate;
    for (const std::string& part : {settingsUsage(), scriptEventsUsage()}) {
        const std::size_t at = text.find("%s");
        text.replace(at, 2, part);
    }
    return text;
}
