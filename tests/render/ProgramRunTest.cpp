// The real program: started in its window, ended by an Esc key press from
// the window system.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/render/RenderHarness.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDirectory.h"

using namespace render;

namespace {
// Waits for the window to be shown, focuses it and types `keys` (xdotool's
// words) through the XTEST extension, as a keyboard would (a sent event may
// reach a window that is not mapped yet).
ChildResult typeIntoTheWindow(const std::string& keys) {
    ChildOptions options;
    options.timeoutSeconds = 30.0;
    return runChild({"sh", "-c",
                     "w=$(xdotool search --sync --onlyvisible --name 'project orvane' | head -n1) && "
                     "xdotool windowfocus --sync \"$w\" && " + keys},
                    options);
}
}  // namespace

TEST(ProgramRun, EscFromTheWindowSystemEndsTheProgramWithStatusZero) {
    PicsDirectory pics;
    ChildOptions programOptions;
    programOptions.timeoutSeconds = 60.0;
    ChildProcess program({ORVANE_BINARY_DIR "/orvane"}, programOptions);
    ASSERT_TRUE(program.started()) << program.wait().describe();
    const ChildResult typist = typeIntoTheWindow("xdotool key Escape");
    const ChildResult& run = program.wait();

    ASSERT_FALSE(typist.timedOut) << "xdotool did not find the window in time";
    EXPECT_EQ(typist.exitStatus, 0) << "xdotool failed (is it installed?): " << typist.describe()
                                    << "\n" << typist.err;
    ASSERT_FALSE(run.timedOut) << "the program did not end on Esc";
    ASSERT_TRUE(run.exited()) << run.describe() << "\n" << run.err;
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_TRUE(isBannerOnly(linesOf(run.out))) << run.out;
}

// Taps of one key in quick succession, as from a fast typist or a busy
// machine that reads its events late, each reach the world once.
TEST(ProgramRun, QuickTapsOfOneKeyAllArrive) {
    PicsDirectory pics;
    TempDirectory dir;
    ASSERT_TRUE(dir.valid());
    const std::string recording = dir.file("taps.txt");
    ChildOptions programOptions;
    programOptions.timeoutSeconds = 60.0;
    ChildProcess program({ORVANE_BINARY_DIR "/orvane", "--record", recording}, programOptions);
    ASSERT_TRUE(program.started()) << program.wait().describe();
    const ChildResult typist =
        typeIntoTheWindow("xdotool key --delay 1 x x x x x x x x x x && sleep 0.5 && xdotool key Escape");
    const ChildResult& run = program.wait();
    ASSERT_EQ(typist.exitStatus, 0) << typist.describe() << "\n" << typist.err;
    ASSERT_FALSE(run.timedOut) << "the program did not end on Esc";
    std::ostringstream read;
    read << std::ifstream(recording).rdbuf();
    const std::string text = read.str();
    int taps = 0;
    for (std::size_t at = text.find(" key-down x\n"); at != std::string::npos; at = text.find(" key-down x\n", at + 1))
        ++taps;
    EXPECT_EQ(taps, 10) << text;
}
