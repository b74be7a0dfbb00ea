#include "tests/render/DrivenWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "shell/Window.h"
#include "tests/support/ChildProcess.h"
#include "tools/common/StateJson.h"
#include "world/Session.h"

namespace render {

Actions::Actions(unsigned long window) : window_(std::to_string(window)) { add({"windowfocus", "--sync", window_}); }

Actions& Actions::key(const std::string& name) { return add({"key", name}).pause(0.15); }

Actions& Actions::hold(const std::vector<std::string>& keys, double seconds) {
    for (const std::string& k : keys) add({"keydown", k});
    pause(seconds);
    for (const std::string& k : keys) add({"keyup", k});
    return pause(0.1);
}

Actions& Actions::pointerTo(int x, int y) {
    return add({"mousemove", "--window", window_, std::to_string(x), std::to_string(y)}).pause(0.1);
}

Actions& Actions::pointerToScreen(int x, int y) {
    return add({"mousemove", std::to_string(x), std::to_string(y)}).pause(0.1);
}

Actions& Actions::press(int button) { return add({"mousedown", std::to_string(button)}).pause(0.15); }
Actions& Actions::release(int button) { return add({"mouseup", std::to_string(button)}).pause(0.15); }

Actions& Actions::pause(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", seconds);
    return add({"sleep", text});
}

std::vector<std::string> Actions::commandLine() const {
    std::vector<std::string> argv = {"xdotool"};
    argv.insert(argv.end(), actions_.begin(), actions_.end());
    return argv;
}

Actions& Actions::add(const std::vector<std::string>& words) {
    actions_.insert(actions_.end(), words.begin(), words.end());
    return *this;
}

// What the window shows: the present, or the step of the past it shows.
TracedWindow::TracedWindow() { states_.push_back(stateLine(idleCallsDone(), windowSession().shown())); }

FrameGrab TracedWindow::idle(int calls) {
    FrameGrab last;
    for (int i = 0; i < calls; ++i) {
        last = runIdleCalls(1);
        states_.push_back(stateLine(idleCallsDone(), windowSession().shown()));
    }
    return last;
}

void TracedWindow::untilTheBallRests() {
    constexpr int kMostCalls = 20000;
    const World& world = windowSession().present();
    for (int i = 0; i < kMostCalls && world.ball.contactCount == 0; ++i) idle();
    const long long touchedDown = world.simulationSteps;
    for (int i = 0; i < kMostCalls && world.simulationSteps < touchedDown + 400; ++i) idle();
    ASSERT_GE(world.simulationSteps, touchedDown + 400) << "the ball never came to rest";
}

FrameGrab TracedWindow::play(const Actions& actions) {
    ChildOptions options;
    options.timeoutSeconds = 60;
    ChildProcess xdotool(actions.commandLine(), options);
    while (!xdotool.finished()) idle();
    const ChildResult& result = xdotool.wait();
    EXPECT_EQ(result.exitStatus, 0) << "xdotool: " << result.describe() << "\n" << result.err;
    // Its last events left before it ended; a few more calls take them in.
    return idle(5);
}

std::vector<std::string> linesWithEnds(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line + "\n");
    return lines;
}

std::string whereTheyDiffer(const std::vector<std::string>& window, const std::vector<std::string>& replay) {
    const std::size_t common = std::min(window.size(), replay.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (window[i] != replay[i]) {
            const auto parting = std::mismatch(window[i].begin(), window[i].end(), replay[i].begin());
            const std::size_t at = static_cast<std::size_t>(parting.first - window[i].begin());
            const std::size_t from = at < 60 ? 0 : at - 60;
            return "after idle call " + std::to_string(i) + ":\n  window: ..." + window[i].substr(from, 120) +
                   "\n  replay: ..." + replay[i].substr(from, 120);
        }
    }
    if (window.size() != replay.size())
        return std::to_string(window.size()) + " window states, " + std::to_string(replay.size()) + " replayed";
    return std::string();
}

std::string replayDiffersFrom(const TracedWindow& traced, const std::string& recording) {
    const long long steps = static_cast<long long>(traced.states().size()) - 1;
    const ChildResult replay = runChild({ORVANE_BINARY_DIR "/orvane-sim", "--steps", std::to_string(steps), "--every",
                                         "1", "--input", recording});
    if (replay.exitStatus != 0) return "orvane-sim: " + replay.describe() + "\n" + replay.err;
    return whereTheyDiffer(traced.states(), linesWithEnds(replay.out));
}

}  // namespace render
