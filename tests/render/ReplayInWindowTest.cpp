// orvane --replay: a script played in the window before the player takes
// over. While it plays, live input waits; afterwards it acts as ever; and
// the window ends where the headless replay of the same script ends.
#include <gtest/gtest.h>

#include <string>

#include "shell/Window.h"
#include "tests/render/RenderHarness.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDirectory.h"
#include "tools/common/StateJson.h"
#include "world/World.h"

using namespace render;

namespace {
const char kScript[] =
    "0 special-down right\n"
    "40 special-up right\n"
    "41 key-down ]\n"
    "60 motion 10 5\n"
    "80 key-down 1\n"
    "90 set damping 3\n";
constexpr long long kIdleCalls = 120;

}  // namespace

TEST(ReplayInWindow, ThePlayerWaitsForTheScriptThenTakesOver) {
    PicsDirectory pics;
    const ScriptParseResult script = parseInputScript(kScript, "replay.txt");
    ASSERT_TRUE(script.ok) << script.error;
    SessionOptions session;
    session.replay = script.events;
    START_UP_WITH_SESSION_OR_SKIP(output, session);

    runIdleCalls(20);
    windowKeyDown('3', 0, 0);  // while the script plays: ignored
    windowKeyUp('3', 0, 0);
    EXPECT_TRUE(windowWorld().ball.showSurface);
    runIdleCalls(static_cast<int>(kIdleCalls - idleCallsDone()));
    ASSERT_EQ(idleCallsDone(), kIdleCalls);

    TempDirectory dir;
    const ChildResult replay =
        runChild({ORVANE_BINARY_DIR "/orvane-sim", "--steps", std::to_string(kIdleCalls), "--input",
                  dir.writeText("replay.txt", kScript)});
    ASSERT_EQ(replay.exitStatus, 0) << replay.err;
    const std::size_t lastLine = replay.out.rfind('\n', replay.out.size() - 2);
    EXPECT_EQ(stateLine(kIdleCalls, windowWorld()), replay.out.substr(lastLine + 1));
    EXPECT_TRUE(windowWorld().ball.showParticles);

    windowKeyDown('3', 0, 0);  // the script is over: the player has the keys
    EXPECT_FALSE(windowWorld().ball.showSurface);
}
