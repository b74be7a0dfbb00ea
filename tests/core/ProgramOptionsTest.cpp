// The program's own command line, before any window opens: --help, bad
// options, an unwritable recording, a malformed replay.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDirectory.h"
#include "world/Keys.h"

namespace {
const std::string kProgram = ORVANE_BINARY_DIR "/orvane";

// With no display at all, so that a window that opened anyway would fail.
ChildResult runProgram(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv = {kProgram};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    ChildOptions options;
    options.timeoutSeconds = 30.0;
    options.environment = {"DISPLAY=:orvane-no-such-display"};
    return runChild(argv, options);
}

void expectRefusedInOneLine(const ChildResult& result, const std::string& part) {
    EXPECT_EQ(result.exitStatus, 2) << result.describe() << "\n" << result.err;
    EXPECT_EQ(result.err.rfind("orvane: ", 0), 0u) << result.err;
    EXPECT_NE(result.err.find(part), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    EXPECT_EQ(result.out, "");
}
}  // namespace

TEST(ProgramOptions, HelpListsTheOptionsAndEveryControlWithoutAWindow) {
    const ChildResult help = runProgram({"--help"});
    ASSERT_EQ(help.exitStatus, 0) << help.describe() << "\n" << help.err;
    for (const char* part : {"--rate HZ", "--record FILE", "--replay FILE", "--hand", "--no-flashes"})
        EXPECT_NE(help.out.find(part), std::string::npos) << part;
    for (const ControlHelp& control : controlHelp()) {
        const std::size_t at = help.out.find(std::string("  ") + control.input);
        ASSERT_NE(at, std::string::npos) << control.input;
        EXPECT_NE(help.out.find(control.effect, at), std::string::npos) << control.effect;
    }
    EXPECT_EQ(help.err, "");
}

TEST(ProgramOptions, BadOptionsAreOneLineAndStatusTwo) {
    expectRefusedInOneLine(runProgram({"--bogus"}), "unknown option \"--bogus\"");
    expectRefusedInOneLine(runProgram({"--rate"}), "missing value for --rate");
    expectRefusedInOneLine(runProgram({"--rate", "0"}), "--rate needs a number");
    expectRefusedInOneLine(runProgram({"--rate", "fast"}), "\"fast\"");
    expectRefusedInOneLine(runProgram({"--rate=nan"}), "\"nan\"");
    expectRefusedInOneLine(runProgram({"--rate", "20000"}), "up to 10000");
    expectRefusedInOneLine(runProgram({"--record", ""}), "empty file name for --record");
    expectRefusedInOneLine(runProgram({"-display"}), "missing value for -display");
}

TEST(ProgramOptions, AnUnwritableRecordingOrAMalformedReplayStopsTheStart) {
    TempDirectory dir;
    expectRefusedInOneLine(runProgram({"--record", dir.file("no/such/folder.txt")}), "cannot write");
    const std::string script = dir.writeText("bad.txt", "0 key-down w\n5 drag 1\n");
    expectRefusedInOneLine(runProgram({"--replay", script}), "bad.txt:2: missing argument for drag");
    expectRefusedInOneLine(runProgram({"--replay", dir.file("missing.txt")}), "missing.txt: cannot open");
}

TEST(ProgramOptions, TheBallsSettingsAreOptionsTooAndRefusedOutOfRange) {
    const ChildResult help = runProgram({"--help"});
    for (const char* part : {"--stiffness X", "--time-step X", "--rings N", "surfaceStiffness", "Tab"})
        EXPECT_NE(help.out.find(part), std::string::npos) << part;
    expectRefusedInOneLine(runProgram({"--damping", "99"}), "--damping \"99\" is not a number from 0 to 50");
    expectRefusedInOneLine(runProgram({"--rings=2"}), "--rings \"2\" is not a whole number from 4 to 96");
    expectRefusedInOneLine(runProgram({"--mass", "light"}), "--mass \"light\"");
}
