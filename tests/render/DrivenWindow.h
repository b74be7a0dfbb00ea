#pragma once

// Drives the real window from outside through the X server, as a person's
// keys and pointer would come (xdotool), and keeps the window's state after
// every idle call in the headless replay's format, to compare with it.

#include <string>
#include <vector>

#include "tests/render/RenderHarness.h"

namespace render {

// xdotool's actions against one window, with pauses after each so that the
// events land between idle calls, spread over several of them.
class Actions {
public:
    explicit Actions(unsigned long window);

    Actions& key(const std::string& name);
    Actions& hold(const std::vector<std::string>& keys, double seconds);
    Actions& pointerTo(int x, int y);            // in the window's pixels
    Actions& pointerToScreen(int x, int y);      // anywhere on the screen
    Actions& press(int button);                  // 1 left, 2 middle, 3 right
    Actions& release(int button);
    Actions& pause(double seconds);

    std::vector<std::string> commandLine() const;

private:
    Actions& add(const std::vector<std::string>& words);

    std::string window_;
    std::vector<std::string> actions_;
};

// The window as the test drives it, keeping its state after every idle call
// in the replay's format (the first line: before the first call).
class TracedWindow {
public:
    TracedWindow();

    FrameGrab idle(int calls = 1);

    // Runs xdotool while the window goes on as under its main loop; returns
    // the frame of the last idle call.
    FrameGrab play(const Actions& actions);

    // Idle calls until the ball has touched down and taken 400 more steps,
    // so that it lies nearly still: a count of steps, not a time, which a
    // busy machine would spend on fewer of them.
    void untilTheBallRests();

    const std::vector<std::string>& states() const { return states_; }

private:
    std::vector<std::string> states_;
};

// The lines of a text, each with its line end.
std::vector<std::string> linesWithEnds(const std::string& text);

// Empty when both hold the same lines, else where they part (lines are
// long: only their starts are shown).
std::string whereTheyDiffer(const std::vector<std::string>& window, const std::vector<std::string>& replay);

// Empty when orvane-sim, replaying the recording for the idle calls the
// window did, prints the window's states line for line; else why not.
std::string replayDiffersFrom(const TracedWindow& traced, const std::string& recording);

}  // namespace render
