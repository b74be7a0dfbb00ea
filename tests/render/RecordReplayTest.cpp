// A session played in the real window, with keys and the mouse sent from
// outside through the X server as a person's would come, is recorded as it
// goes; the headless replay of that recording goes through the very same
// states, to the last bit, after every idle call.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "shell/Window.h"
#include "tests/render/DrivenWindow.h"
#include "tests/render/RenderHarness.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDirectory.h"
#include "tools/common/StateJson.h"
#include "tools/window/WindowSession.h"
#include "world/InputScript.h"
#include "world/ScriptPlayer.h"
#include "world/ScriptRecorder.h"
#include "world/World.h"

using namespace render;

namespace {
std::string withoutLinesContaining(const std::string& text, const std::vector<std::string>& words) {
    std::istringstream in(text);
    std::string kept, line;
    while (std::getline(in, line)) {
        const bool drop = std::any_of(words.begin(), words.end(),
                                      [&](const std::string& w) { return line.find(w) != std::string::npos; });
        if (!drop) kept += line + "\n";
    }
    return kept;
}

// orvane-sim's work, in process: the script's events before each idle call.
World replayed(const std::vector<ScriptEvent>& events, long long idleCalls) {
    World world;
    ScriptPlayer player(events);
    for (long long i = 0; i < idleCalls && player.deliverEventsBefore(world, i); ++i) step(world);
    return world;
}

double largestParticleDistance(const SoftBall& a, const SoftBall& b) {
    if (a.particles.size() != b.particles.size()) return HUGE_VAL;
    double largest = 0.0;
    for (std::size_t i = 0; i < a.particles.size(); ++i)
        largest = std::max(largest, length(a.particles[i].position - b.particles[i].position));
    return largest;
}

int countOf(const std::vector<ScriptEvent>& events, ScriptEventKind kind, int code = -1) {
    return static_cast<int>(std::count_if(events.begin(), events.end(), [&](const ScriptEvent& e) {
        return e.kind == kind && (code < 0 || e.key == code);
    }));
}

int buttonEvents(const std::vector<ScriptEvent>& events, ScriptEventKind kind, MouseButton button) {
    return static_cast<int>(std::count_if(events.begin(), events.end(),
                                          [&](const ScriptEvent& e) { return e.kind == kind && e.button == button; }));
}
}  // namespace

TEST(RecordReplay, SessionDrivenThroughTheXServerReplaysHeadlessStateForState) {
    PicsDirectory pics;
    TempDirectory dir;
    ASSERT_TRUE(dir.valid());
    const std::string recording = dir.file("session.txt");
    SessionOptions session;
    std::string openError;
    ASSERT_TRUE(recordInto(recording, session, openError)) << openError;
    START_UP_WITH_SESSION_OR_SKIP(output, session);
    const unsigned long window = nativeWindowId();
    ASSERT_NE(window, 0u);
    TracedWindow traced;
    const Vec3 startCentre = windowWorld().ball.centre;

    // Let the ball land at x8, roll it at x1, pause and single-step. The
    // pointer enters at the window's corner, from where the camera's first
    // turn is measured: it hardly turns.
    traced.play(Actions(window)
                    .pointerTo(0, 0)
                    .key("bracketright")
                    .key("bracketright")
                    .key("bracketright")
                    .pause(1.0)
                    .key("bracketleft")
                    .key("bracketleft")
                    .key("bracketleft")
                    .hold({"Up", "Left"}, 0.6)
                    .key("p")
                    .key("o")
                    .key("o")
                    .key("o"));
    ASSERT_TRUE(windowWorld().run.paused);
    EXPECT_EQ(windowWorld().run.speedLevel, 0);

    // Take the pointer to the ball with the right button held, which turns
    // no camera, and grab the ball there with the left one.
    const FrameGrab paused = traced.idle();
    ASSERT_TRUE(paused.valid());
    const ScreenPoint ball = project(paused, windowWorld().ball.centre);
    ASSERT_TRUE(ball.onScreen) << "the ball is not in view: " << ball.x << ", " << ball.y;
    const int ballX = static_cast<int>(ball.x + 0.5);
    const int ballY = static_cast<int>(ball.y + 0.5);
    traced.play(Actions(window).press(3).pointerTo(ballX / 2, ballY / 2).pointerTo(ballX, ballY).release(3).press(1));
    ASSERT_TRUE(windowWorld().grab.active) << "no grab at pixel " << ballX << ", " << ballY;
    const Vec3 grabbedAt = windowWorld().grab.target;

    // Go on at double speed and pull the skin up and to the right.
    Actions pull(window);
    pull.key("p").key("bracketright");
    for (int i = 1; i <= 5; ++i) pull.pointerTo(ballX + 12 * i, ballY - 25 * i);
    dumpFrame(paused, "record-replay-grabbed");
    dumpFrame(traced.play(pull.pause(0.2)), "record-replay-pulled");
    ASSERT_TRUE(windowWorld().grab.active);
    EXPECT_GT(length(windowWorld().grab.target - grabbedAt), 1.0) << "the drag did not move the target";
    const World pulled = windowWorld();
    const long long pulledSteps = idleCallsDone();

    // Let go, show the points, rebuild the ball where it is.
    traced.play(Actions(window).release(1).key("1").key("9").pause(0.2));
    EXPECT_FALSE(windowWorld().grab.active);
    const long long steps = idleCallsDone();
    ASSERT_EQ(traced.states().size(), static_cast<std::size_t>(steps + 1));

    // The recording holds each kind of input sent, once for each press:
    // held keys repeat nothing.
    const ScriptParseResult script = loadInputScript(recording);
    ASSERT_TRUE(script.ok) << script.error;
    const std::vector<ScriptEvent>& events = script.events;
    EXPECT_EQ(countOf(events, ScriptEventKind::SpecialDown, kSpecialKeyUp), 1);
    EXPECT_EQ(countOf(events, ScriptEventKind::SpecialDown, kSpecialKeyLeft), 1);
    EXPECT_EQ(countOf(events, ScriptEventKind::SpecialUp, kSpecialKeyUp), 1);
    EXPECT_EQ(countOf(events, ScriptEventKind::KeyDown, 'p'), 2);
    EXPECT_EQ(countOf(events, ScriptEventKind::KeyDown, 'o'), 3);
    EXPECT_EQ(countOf(events, ScriptEventKind::KeyDown, ']'), 4);
    EXPECT_EQ(countOf(events, ScriptEventKind::KeyDown, '['), 3);
    EXPECT_EQ(countOf(events, ScriptEventKind::KeyDown, '1'), 1);
    EXPECT_EQ(countOf(events, ScriptEventKind::KeyDown, '9'), 1);
    EXPECT_EQ(buttonEvents(events, ScriptEventKind::ButtonDown, MouseButton::Left), 1);
    EXPECT_EQ(buttonEvents(events, ScriptEventKind::ButtonUp, MouseButton::Left), 1);
    EXPECT_EQ(buttonEvents(events, ScriptEventKind::ButtonDown, MouseButton::Right), 1);
    EXPECT_GE(countOf(events, ScriptEventKind::Drag), 5);
    EXPECT_GE(countOf(events, ScriptEventKind::Motion), 1);
    ASSERT_FALSE(events.empty());
    EXPECT_LT(events.back().step, steps) << "an event came after the last idle call";

    // The tool replays the recording through the same states, every one.
    const ChildResult replay = runChild({ORVANE_BINARY_DIR "/orvane-sim", "--steps", std::to_string(steps),
                                         "--every", "1", "--input", recording});
    ASSERT_EQ(replay.exitStatus, 0) << replay.describe() << "\n" << replay.err;
    EXPECT_EQ(whereTheyDiffer(traced.states(), linesWithEnds(replay.out)), "");
    EXPECT_GT(length(windowWorld().ball.centre - startCentre), 0.5) << "the session hardly moved the ball";

    // Without its buttons the same session goes elsewhere: the grab counted.
    // It stretches the skin only (the centre particle owns no springs), and
    // the rebuild puts the skin back around the centre, so look before that.
    std::ostringstream text;
    text << std::ifstream(recording).rdbuf();
    const ScriptParseResult unpulled =
        parseInputScript(withoutLinesContaining(text.str(), {" button-down ", " button-up "}), "unpulled");
    ASSERT_TRUE(unpulled.ok) << unpulled.error;
    EXPECT_GT(largestParticleDistance(replayed(unpulled.events, pulledSteps).ball, pulled.ball), 0.3);
    EXPECT_EQ(largestParticleDistance(replayed(events, pulledSteps).ball, pulled.ball), 0.0);
}
