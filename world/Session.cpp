#include "world/Session.h"

#include "world/Keys.h"
#include "world/Settings.h"

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

void Session::startAfresh() {
    behind_ = false;
    timeline_.begin(present_);
    start_ = present_;
    transcript_.clear();
    idleCalls_ = 0;
}

const World& Session::shown() const {
    if (!behind_) return present_;
    showAsTheViewerDoes(moment_.world, present_);
    return moment_.world;
}

InputResponse Session::deliver(const ScriptEvent& event) {
    if (keepsTranscript_ && event.kind != ScriptEventKind::Restart)
        transcript_ += formatScriptEvent(event.at(idleCalls_)) + "\n";
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
    if (response == InputResponse::Restart) {
        startAfresh();
        return InputResponse::Redraw;
    }
    return response;
}

void Session::idleCall() {
    ++idleCalls_;
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

namespace {
void addLines(std::string& out, const std::vector<ScriptEvent>& events) {
    for (const ScriptEvent& event : events) out += formatScriptEvent(event) + "\n";
}

void pressKey(std::vector<ScriptEvent>& events, unsigned char key) {
    events.push_back(ScriptEvent::keyDown(key));
    events.push_back(ScriptEvent::keyUp(key));
}

void addSettings(std::vector<ScriptEvent>& events, const World& world, const World& fresh,
                 ScriptEvent (*change)(const Setting&, double)) {
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        const Setting& setting = kSettings[i];
        const double value = settingValue(world, setting);
        // A new resolution rebuilds the ball: only where it is needed.
        if (setting.resolution && value == settingValue(fresh, setting)) continue;
        events.push_back(change(setting, value));
    }
}
}  // namespace

std::vector<ScriptEvent> setUpEvents(const World& world) {
    std::vector<ScriptEvent> events{ScriptEvent::restart()};
    const World fresh;
    addSettings(events, world, fresh, ScriptEvent::set);
    events.push_back(ScriptEvent::ballLook(world.display.look));
    events.push_back(ScriptEvent::pointerMode(world.input.pointer));
    if (world.ball.showParticles != fresh.ball.showParticles) pressKey(events, '1');
    if (world.ball.showSprings != fresh.ball.showSprings) pressKey(events, '2');
    if (world.ball.showSurface != fresh.ball.showSurface) pressKey(events, '3');
    if (world.display.lightingOn != fresh.display.lightingOn) pressKey(events, '8');
    if (world.display.noFlashes != fresh.display.noFlashes) pressKey(events, 'n');
    if (world.compare) {
        events.push_back(ScriptEvent::compareMode(CompareAction::On));
        addSettings(events, *world.compare, world, ScriptEvent::setB);
    }
    events.push_back(ScriptEvent::cameraPlace(world.camera));
    return events;
}

std::string setUpScript(const World& world) {
    std::string out = "# orvane set-up: plays from a fresh world\n";
    addLines(out, setUpEvents(world));
    return out;
}

std::string Session::sessionScript() const {
    const long long step = shownStep();
    std::string out = "# orvane session: " + std::to_string(idleCalls_) + " idle calls, ending paused at step " +
                      std::to_string(step) + "\n";
    std::vector<ScriptEvent> events = setUpEvents(start_);
    if (start_.window.width != WindowSize().width || start_.window.height != WindowSize().height)
        events.insert(events.begin() + 1, ScriptEvent::reshape(start_.window.width, start_.window.height));
    addLines(out, events);
    out += transcript_;
    addLines(out, {ScriptEvent::seek(step).at(idleCalls_)});
    return out;
}
