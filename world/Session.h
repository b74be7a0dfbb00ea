#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "world/InputScript.h"
#include "world/Timeline.h"
#include "world/World.h"

// What a running program drives: the world as it is now (the present), the
// past its timeline keeps, and the step the viewer looks at. The window,
// the page, orvane-sim and orvane-capture all run one, so that a session
// with scrubs and branches replays exactly.
//
// Behind the present, the camera and what is shown (keys 1, 2, 3, 8, help,
// the panel, the pointer, the window, the pace) stay the viewer's: they are
// the present world's, laid over the past step shown. An input that changes
// the simulation there starts a new branch: what followed is dropped and the
// session goes on from that step.
class Session {
public:
    explicit Session(std::size_t timelineBytes = Timeline::kDefaultMemoryBytes);

    // Every input goes here. The present world gets it, except that behind
    // the present "." moves the view one step on instead; seek, "," and a
    // step back move the view (and pause).
    InputResponse deliver(const ScriptEvent& event);

    // An idle call's work on the present world, and a frame drawn of it
    // (which advanced the present world: advanceFrame).
    void idleCall();
    void frameDrawn();

    World& present() { return present_; }
    const World& present() const { return present_; }
    // What the viewer sees: the present, or the past step with the viewer's
    // camera and display.
    const World& shown() const;
    bool behindThePresent() const { return behind_; }
    long long shownStep() const { return shown().simulationSteps; }
    const Timeline& timeline() const { return timeline_; }

    // The session so far as an input script that, played from any state,
    // ends exactly where the session is now (restart, the set-up the
    // session started from, every event since, and a seek to the step
    // shown, which pauses there). Only a session that keeps its transcript
    // (the window's, the page's) has the events: it grows by each event's
    // line, so the replay tools, which never save, keep none.
    std::string sessionScript() const;
    void keepTranscript() { keepsTranscript_ = true; }

    // What input asked for and could not have (a seek to a step no longer
    // kept or not reached yet), one line each, since the last call.
    std::vector<std::string> takeNotices();

private:
    void show(long long step, const ScriptEvent* seek);
    void branch();
    void notice(const ScriptEvent& event, const std::string& what);
    void startAfresh();

    World present_;
    Timeline timeline_;
    bool behind_ = false;
    mutable Timeline::Moment moment_;  // the past step shown, while behind
    std::vector<std::string> notices_;
    // What sessionScript writes: the world as the session (or its last
    // restart) began, and every event since, at its idle call.
    World start_;
    bool keepsTranscript_ = false;
    std::string transcript_;  // script lines
    long long idleCalls_ = 0;
};

// Only what sets up an experiment, as events at step 0 that start a fresh
// world that way: restart, every physical setting, the resolution where it
// differs from the start, the look, what is shown, the pointer's mode,
// compare mode with B's settings, and the camera.
std::vector<ScriptEvent> setUpEvents(const World& world);
// The same as a script, with a comment line saying what it is.
std::string setUpScript(const World& world);

// Lays the viewer's choices, as the present world holds them, over a world
// from the past: the camera, what is shown, the input held, the pointer,
// the window, the run's pause and pace.
void showAsTheViewerDoes(World& past, const World& present);
