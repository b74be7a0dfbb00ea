// A shortened soak: a seeded random script replayed headless for many idle
// calls keeps every printed value finite and the memory flat.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/TempDirectory.h"
#include "tests/support/ChildProcess.h"
#include "tools/soak/SoakScript.h"
#include "world/InputScript.h"
#include "world/ScriptPlayer.h"
#include "world/World.h"

namespace {
#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer brings its own allocator, whose blocks the C library's
// count does not see.
constexpr bool kHeapCountMeansSomething = false;
#else
constexpr bool kHeapCountMeansSomething = true;
#endif

// The count orvane-sim --heap-in-use prints at its end; -1 when it is missing.
long long heapInUse(const ChildResult& run) {
    const std::string label = "heap in use: ";
    const std::size_t at = run.err.rfind(label);
    if (at == std::string::npos) return -1;
    return std::stoll(run.err.substr(at + label.size()));
}

ChildResult runSim(const std::vector<std::string>& args) {
    // The kept past grows up to its cap by design; its own test measures it.
    std::vector<std::string> argv = {std::string(ORVANE_BINARY_DIR) + "/orvane-sim", "--timeline-memory", "0"};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildOptions options;
    options.timeoutSeconds = 300.0;  // the long replay takes about a second: this is a hang
    return runChild(argv, options);
}
}  // namespace

TEST(Soak, RandomInputStaysFiniteAndMemoryStaysFlat) {
    TempDirectory dir;
    ASSERT_TRUE(dir.valid());
    const std::string script = dir.writeText("soak.txt", makeSoakScript(7, 200000));

    const ChildResult shortRun = runSim({"--heap-in-use", "--steps", "10000", "--every", "10000", "--input", script});
    const ChildResult longRun = runSim({"--heap-in-use", "--steps", "100000", "--every", "10000", "--input", script});

    ASSERT_EQ(shortRun.exitStatus, 0) << shortRun.describe() << "\n" << shortRun.err;
    ASSERT_EQ(longRun.exitStatus, 0) << longRun.describe() << "\n" << longRun.err;
    EXPECT_EQ(longRun.out.find("null"), std::string::npos) << "a value stopped being finite";
    EXPECT_EQ(std::count(longRun.out.begin(), longRun.out.end(), '\n'), 11);
    // Ninety thousand more idle calls: a single block kept by any of them
    // would add over a megabyte; what the allocator counts is not noise.
    if (kHeapCountMeansSomething) {
        const long long shortBytes = heapInUse(shortRun), longBytes = heapInUse(longRun);
        ASSERT_GT(shortBytes, 0) << shortRun.err;
        EXPECT_LE(longBytes, shortBytes + 1024) << "the longer replay holds more memory";
    }
}

TEST(Soak, ScriptIsDeterministicAndCoversEveryKindOfInput) {
    const std::string a = makeSoakScript(3, 50000);
    EXPECT_EQ(a, makeSoakScript(3, 50000));
    EXPECT_NE(a, makeSoakScript(4, 50000));
    for (const char* needle : {"special-down up", "special-up", "key-down t", "key-down g", "key-down 9",
                               "key-down 0", "key-down 8", "key-down w", "key-down space", "motion ",
                               "key-down p", "key-down o", "key-down [", "key-down ]", "key-down h",
                               "special-down f1", "button-down left", "button-down middle", "button-down right",
                               "button-up left", "button-up right", "drag ", "reshape 1 1", "reshape 640 480",
                               "reshape 16384 ", "pace off"}) {
        EXPECT_NE(a.find(needle), std::string::npos) << needle;
    }

    // It parses, as the replay reads it, and holds what the needles cannot show.
    const ScriptParseResult script = parseInputScript(a, "soak");
    ASSERT_TRUE(script.ok) << script.error;
    const auto has = [&](const std::function<bool(const ScriptEvent&)>& wanted) {
        return std::any_of(script.events.begin(), script.events.end(), wanted);
    };
    EXPECT_TRUE(has([](const ScriptEvent& e) { return e.kind == ScriptEventKind::Reshape && e.height == 0; }));
    EXPECT_TRUE(has([](const ScriptEvent& e) { return e.kind == ScriptEventKind::Pace && e.steps == 0; }));
    EXPECT_TRUE(has([](const ScriptEvent& e) { return e.kind == ScriptEventKind::Pace && e.steps == 8; }));
    EXPECT_TRUE(has([](const ScriptEvent& e) { return e.kind == ScriptEventKind::Drag && e.x < -10000; }));
    // Nothing ends the soak early.
    EXPECT_FALSE(has([](const ScriptEvent& e) {
        return e.kind == ScriptEventKind::End || (e.kind == ScriptEventKind::KeyDown && e.key == kKeyEscape);
    }));
}

// Pointer walks and camera flights come back, so that the camera keeps
// looking as at start-up and the presses aimed at the ball catch it.
TEST(Soak, GrabsCatchTheBallAndEveryPauseAndSpeedChangeIsUndone) {
    const ScriptParseResult script = parseInputScript(makeSoakScript(3, 50000), "soak");
    ASSERT_TRUE(script.ok) << script.error;
    World world;
    const World start;
    ScriptPlayer player(script.events);
    int leftPresses = 0, grabs = 0;
    const auto countGrabs = [&](const ScriptEvent& event, InputResponse) {
        if (event.kind != ScriptEventKind::ButtonDown || event.button != MouseButton::Left) return;
        ++leftPresses;
        grabs += world.grab.active;
    };
    for (long long i = 0; !player.finished(); ++i) {
        ASSERT_TRUE(player.deliverEventsBefore(world, i, countGrabs));
        step(world);
    }
    EXPECT_GE(grabs, 10) << "of " << leftPresses << " left presses";
    EXPECT_EQ(world.camera.yaw, start.camera.yaw);
    EXPECT_EQ(world.camera.pitch, start.camera.pitch);
    EXPECT_LT(length(world.camera.position - start.camera.position), 1.0);
    EXPECT_FALSE(world.run.paused);
    EXPECT_EQ(world.run.speedLevel, 0);
    EXPECT_EQ(world.run.pacedSteps, -1);
}
