#include "world/Session.h"

namespace {
bool isKeyDown(const ScriptEvent& event, unsigned char key) {
    return event.kind == ScriptEventKind::KeyDown && event.key == key;
}
}  // namespace

void showAsTheViewerDoes(World& past, const World& present) {
    past.camera = present.camera;
    past.display = present.display;
    past.ball.showParticles = present.ball.showParticles;
    past.ball.showSprings = present.ball.showSprings;
    past.ball.showSurface = present.ball.showSurface;
    past.board.useTexturedList = present.board.useTexturedList;
    past.input = present.input;
    past.window = present.window;
    past.run = present.run;
    if (past.compare && present.compare) showAsTheViewerDoes(*past.compare, *present.compare);
}

Session::Session(std::size_t timelineBytes) : timeline_(timelineBytes) { timeline_.begin(present_); }

const World& Session::shown() const {
    if (!behind_) return present_;
    showAsTheViewerDoes(moment_.world, present_);
    return moment_.world;
}

InputResponse Session::deliver(const ScriptEvent& event) {
    if (behind_ && isKeyDown(event, '.')) {
        show(moment_.world.simulationSteps + 1, nullptr);
        return InputResponse::Redraw;
    }
    if (behind_ && changesSimulation(shown(), event)) branch();
    timeline_.noteEvent(event);
    const InputResponse response = deliverScriptEvent(present_, event);
    if (response == InputResponse::StepBack) {
        show(shownStep() - 1, nullptr);
        return InputResponse::Redraw;
    }
    if (response == InputResponse::Seek) {
        show(event.target, &event);
        return InputResponse::Redraw;
    }
    return response;
}

void Session::idleCall() {
    step(present_);
    timeline_.noteIdleCall(present_);
}

void Session::frameDrawn() { timeline_.noteFrame(); }

// A step outside the kept past shows the nearest kept one; a seek that
// asked for it is told.
void Session::show(long long step, const ScriptEvent* seek) {
    const long long present = present_.simulationSteps;
    if (!timeline_.enabled()) {
        if (seek) notice(*seek, "the timeline is off (--timeline-memory 0): staying at the present");
        return;
    }
    const long long oldest = timeline_.oldestStep();
    if (step > present) {
        if (seek) notice(*seek, "step " + std::to_string(step) + " is not reached yet: showing the present, step " +
                                    std::to_string(present));
        step = present;
    }
    if (step < oldest) {
        if (seek) notice(*seek, "step " + std::to_string(step) + " is no longer kept: showing the oldest kept, step " +
                                    std::to_string(oldest));
        step = oldest;
    }
    behind_ = step < present;
    if (behind_) moment_ = timeline_.momentAt(step);
}

void Session::branch() {
    World start = shown();
    timeline_.branchAt(moment_, start);
    present_ = std::move(start);
    behind_ = false;
}

void Session::notice(const ScriptEvent& event, const std::string& what) {
    const std::string where = event.line > 0 ? "line " + std::to_string(event.line) + ": " : std::string();
    notices_.push_back(where + formatScriptEvent(event).substr(std::to_string(event.step).size() + 1) + ": " + what);
}

std::vector<std::string> Session::takeNotices() {
    std::vector<std::string> taken;
    taken.swap(notices_);
    return taken;
}
