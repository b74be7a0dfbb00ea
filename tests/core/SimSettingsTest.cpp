// orvane-sim with the ball's settings and --energy: the options, the script
// event that does the same, the energy object, and a ball that blows up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDirectory.h"

namespace {
const std::string kSim = ORVANE_BINARY_DIR "/orvane-sim";

ChildResult sim(std::vector<std::string> arguments, const std::string& script = "") {
    TempDirectory dir;
    if (!script.empty()) {
        arguments.push_back("--input");
        arguments.push_back(dir.writeText("script.txt", script));
    }
    arguments.insert(arguments.begin(), kSim);
    ChildOptions options;
    options.timeoutSeconds = 60.0;
    return runChild(arguments, options);
}

std::string lastLine(const std::string& text) {
    const std::size_t end = text.size() - 1;
    const std::size_t start = text.rfind('\n', end - 1);
    return text.substr(start == std::string::npos ? 0 : start + 1);
}
}  // namespace

TEST(SimSettings, EnergyEndsEachLineAndChangesNothingElse) {
    const ChildResult plain = sim({"--steps", "50", "--every", "10"});
    const ChildResult withEnergy = sim({"--steps", "50", "--every", "10", "--energy"});
    ASSERT_EQ(plain.exitStatus, 0) << plain.err;
    ASSERT_EQ(withEnergy.exitStatus, 0) << withEnergy.err;
    std::size_t from = 0, fromPlain = 0;
    int lines = 0;
    while (from < withEnergy.out.size()) {
        const std::size_t end = withEnergy.out.find('\n', from);
        const std::size_t endPlain = plain.out.find('\n', fromPlain);
        const std::string line = withEnergy.out.substr(from, end - from);
        const std::string original = plain.out.substr(fromPlain, endPlain - fromPlain);
        const std::size_t energy = line.find(",\"energy\":{\"kinetic\":");
        ASSERT_NE(energy, std::string::npos) << line;
        EXPECT_EQ(line.substr(0, energy) + "}", original);
        EXPECT_NE(line.find("\"total\":"), std::string::npos);
        from = end + 1;
        fromPlain = endPlain + 1;
        ++lines;
    }
    EXPECT_EQ(lines, 6);
    // At rest before the first step: no motion, 123 points 5 above the plate.
    EXPECT_NE(withEnergy.out.find("\"energy\":{\"kinetic\":0,"), std::string::npos);
}

TEST(SimSettings, AnOptionAndASetEventAtTheStartEndTheSame) {
    const ChildResult byOptions = sim({"--steps", "300", "--damping", "2.5", "--rings", "16"});
    const ChildResult byScript = sim({"--steps", "300"}, "0 set damping 2.5\n0 set rings 16\n");
    ASSERT_EQ(byOptions.exitStatus, 0) << byOptions.err;
    ASSERT_EQ(byScript.exitStatus, 0) << byScript.err;
    EXPECT_EQ(lastLine(byOptions.out), lastLine(byScript.out));
    const ChildResult defaults = sim({"--steps", "300"});
    EXPECT_NE(lastLine(byOptions.out), lastLine(defaults.out));
    // "defaults" brings back the physics, not the resolution.
    const ChildResult restored = sim({"--steps", "300"}, "0 set damping 2.5\n0 defaults\n");
    EXPECT_EQ(lastLine(restored.out), lastLine(defaults.out));
}

TEST(SimSettings, BadSettingsAreOneLineAndStatusTwo) {
    const ChildResult high = sim({"--damping", "51"});
    EXPECT_EQ(high.exitStatus, 2);
    EXPECT_EQ(high.err.rfind("orvane-sim: --damping \"51\" is not a number from 0 to 50\n", 0), 0u) << high.err;
    const ChildResult half = sim({"--segments=4.5"});
    EXPECT_EQ(half.exitStatus, 2);
    EXPECT_NE(half.err.find("is not a whole number from 3 to 96"), std::string::npos) << half.err;
    const ChildResult unknown = sim({}, "0 set stiffness 5\n");
    EXPECT_EQ(unknown.exitStatus, 2);
    EXPECT_NE(unknown.err.find("script.txt:1: unknown setting \"stiffness\""), std::string::npos) << unknown.err;
    const ChildResult range = sim({}, "3 set timeStep 0\n");
    EXPECT_NE(range.err.find("script.txt:1: timeStep \"0\" is not a number from 0.001 to 1"), std::string::npos)
        << range.err;
}

TEST(SimSettings, ABlownUpBallIsReportedAndTheReplayGoesOn) {
    const ChildResult run = sim({"--steps", "40", "--every", "20", "--stiffness", "200", "--centre-stiffness", "400",
                                 "--time-step", "1", "--mass", "0.5", "--damping", "0"});
    ASSERT_EQ(run.exitStatus, 0) << run.describe();
    EXPECT_EQ(run.err.rfind("orvane-sim: idle call 1: the ball ran away and was rebuilt over the plate\n", 0), 0u)
        << run.err;
    EXPECT_EQ(run.out.find("null"), std::string::npos);
    EXPECT_NE(run.out.find("{\"step\":40,"), std::string::npos);
}
