#include "tools/capture/CaptureUsage.h"

namespace {
const char kUsage[] =
    "usage: orvane-capture --frames N[,N...] [--input FILE] [--out DIR]\n"
    "\n"
    "Runs the program in its window and saves the frames asked for as\n"
    "DIR/frame_NNNNN.png. Frame n is the frame drawn by the n-th idle call\n"
    "(counting from 1). Without a DISPLAY a private Xvfb is started, drawn by\n"
    "Mesa's software renderer. The pictures are found as orvane finds them.\n"
    "\n"
    "  --frames LIST  frame numbers, comma separated, each >= 1; any order,\n"
    "                 repeats allowed. The capture stops after the last one.\n"
    "  --input FILE   input script in orvane-sim's format, '-' for standard\n"
    "                 input (default: no input). Events of step S are delivered\n"
    "                 before frame S+1 is made; esc ends the capture.\n"
    "  --out DIR      where the pictures go (default: .; created if missing)\n"
    "  --help         this text\n"
    "  --version      the version, and the commit it was built from\n"
    "\n"
    "--opt=VALUE works as well.\n"
    "\n"
    "Exit status: 0 done (also after esc), 1 no display or a picture could not\n"
    "be written, 2 bad option or script.\n";
}  // namespace

const char* captureUsage() { return kUsage; }
