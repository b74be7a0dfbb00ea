// The window and the headless replay run one simulation: a script's events
// delivered between the window's idle calls leave exactly the state that
// orvane-sim prints for the same script.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "shell/Window.h"
#include "tests/support/TempDirectory.h"
#include "tests/render/RenderHarness.h"
#include "tests/support/ChildProcess.h"
#include "tools/common/StateJson.h"
#include "world/InputScript.h"
#include "world/ScriptPlayer.h"
#include "world/Session.h"
#include "world/World.h"

using namespace render;

namespace {
// Every kind of input: camera flight and turning, panning, tilting, lift and
// press, the display keys and a rebuild where the ball is.
const char kScript[] =
    "0 key-down w\n"
    "20 key-up w\n"
    "25 motion 10 0\n"
    "26 motion 40 -15\n"
    "30 key-down space\n"
    "31 motion 60 -5\n"
    "32 key-up space\n"
    "40 special-down up\n"
    "40 special-down left\n"
    "120 special-up up\n"
    "150 key-down t\n"
    "170 key-up t\n"
    "200 key-down g\n"
    "230 key-up g\n"
    "240 key-down 1\n"
    "241 key-down 2\n"
    "242 key-down 8\n"
    "250 key-down 9\n"
    "260 key-down 8\n"
    "270 special-down right\n"
    "290 special-up right\n";
constexpr long long kSteps = 320;


// The last of the lines, each ending in a newline.
std::string lastLine(const std::string& lines) {
    if (lines.size() < 2) return lines;
    const std::size_t previousEnd = lines.rfind('\n', lines.size() - 2);
    return previousEnd == std::string::npos ? lines : lines.substr(previousEnd + 1);
}
}  // namespace

TEST(WindowReplay, ScriptInTheWindowLeavesTheStateTheReplayPrints) {
    PicsDirectory pics;
    START_UP_OR_SKIP(output);
    TempDirectory dir;
    ASSERT_TRUE(dir.valid());
    const std::string scriptPath = dir.writeText("script.txt", kScript);
    const ScriptParseResult script = loadInputScript(scriptPath);
    ASSERT_TRUE(script.ok) << script.error;

    const Vec3 startCentre = windowWorld().ball.centre;
    ScriptPlayer player(script.events);
    for (long long step = 0; step < kSteps; ++step) {
        ASSERT_TRUE(player.deliverEventsBefore(windowSession(), step, showScriptResponse));
        ASSERT_TRUE(runIdleCalls(1).valid()) << "idle call " << step;
    }
    const std::string window = stateLine(kSteps, windowWorld());
    ASSERT_FALSE(window.empty());

    const ChildResult replay = runChild({ORVANE_BINARY_DIR "/orvane-sim", "--steps", std::to_string(kSteps),
                                         "--input", scriptPath});
    ASSERT_EQ(replay.exitStatus, 0) << replay.describe() << "\n" << replay.err;
    EXPECT_EQ(window, lastLine(replay.out));
    EXPECT_EQ(window.rfind("{\"step\":320,", 0), 0u) << window.substr(0, 40);
    // The script did move the ball, so the comparison covers its physics.
    EXPECT_GT(length(windowWorld().ball.centre - startCentre), 0.5);
}
