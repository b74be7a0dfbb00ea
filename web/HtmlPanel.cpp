// What the page's HTML panel calls: the same events the window's keys and
// the desktop's panel make, delivered the same way, and the state it shows.
#include <emscripten.h>

#include <cstdio>
#include <string>

#include "cli/JsonWriter.h"
#include "cli/Version.h"
#include "shell/Window.h"
#include "tools/common/StateJson.h"
#include "web/Session.h"
#include "world/InputScript.h"
#include "world/DataCsv.h"
#include "world/Experiments.h"
#include "world/Instruments.h"
#include "world/Keys.h"
#include "world/Session.h"
#include "world/Settings.h"
#include "world/World.h"

namespace {
// The energies of the history, oldest first, for the page's plot; six
// digits are more than a plot can show.
void sixDigits(std::string& out, double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    out += text;
}

void writeEnergies(JsonWriter& json, const char* key, const StepHistory& history) {
    json.key(key).beginArray();
    for (std::size_t i = 0; i < history.size(); ++i) {
        const StepSample& s = history[i];
        const double values[4] = {s.kinetic, s.spring, s.gravity, s.total};
        json.numbers(values, 4);
    }
    json.endArray();
}

// A's energies, and in compare mode B's beside them and how far apart the
// two centres were at each step.
void writeHistory(JsonWriter& json, const World& world) {
    const JsonWriter::NumberFormat exact = json.numberFormat(sixDigits);
    writeEnergies(json, "energy", world.history);
    if (world.compare) {
        writeEnergies(json, "energyB", world.compare->history);
        json.key("separation").beginArray();
        for (std::size_t i = 0; i < world.history.size(); ++i) json.number(world.history[i].separation);
        json.endArray();
    }
    json.numberFormat(exact);
}

void writeSettings(JsonWriter& json, const World& world) {
    json.beginObject();
    for (std::size_t i = 0; i < kSettingCount; ++i) json.key(kSettings[i].name).number(settingValue(world, kSettings[i]));
    json.endObject();
}

// 0 when set, 1 for an unknown name, 2 for a value out of its range.
int setFromThePage(const char* name, double value, ScriptEvent (*change)(const Setting& setting, double value)) {
    const Setting* setting = findSetting(name);
    if (!setting) return 1;
    double checked = 0.0;
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    // The page's choice menus give the number of the name.
    const bool choiceNumber = setting->choice && value >= 0.0 && value < setting->choice->count &&
                              value == static_cast<double>(static_cast<int>(value));
    const std::string given = choiceNumber ? setting->choice->names[static_cast<int>(value)] : text;
    if (!readSettingValue(*setting, given, checked).empty()) return 2;
    deliverToWindow(change(*setting, checked));
    return 0;
}
void writeReadoutsOf(JsonWriter& json, const char* key, const World& world) {
    const Readouts r = readoutsOf(world);
    json.key(key).beginObject();
    json.key("time").number(r.time);
    json.key("height").number(r.centreHeight);
    json.key("speed").number(r.centreSpeed);
    json.key("contacts").integer(r.contacts);
    json.key("bounces").integer(r.bounces);
    if (r.landedOnce) {
        json.key("lastFlightTop").number(r.lastFlightTop);
    } else {
        json.key("lastFlightTop").null();
    }
    json.endObject();
}

void writeReadouts(JsonWriter& json, const World& world) {
    writeReadoutsOf(json, "readouts", world);
    if (world.compare) writeReadoutsOf(json, "readoutsB", *world.compare);
    const Stopwatch& stopwatch = world.instruments.stopwatch;
    json.key("stopwatch").beginObject();
    json.key("seconds").number(stopwatch.seconds);
    json.key("running").boolean(stopwatch.running);
    json.key("auto").boolean(stopwatch.stopsAtTouchdown);
    json.endObject();
}

const char* keptText(std::string text) {
    static std::string kept;
    kept = std::move(text);
    return kept.c_str();
}
}  // namespace

extern "C" {

// The session so far as a script that replays to exactly this state.
EMSCRIPTEN_KEEPALIVE const char* orvane_session_script() { return keptText(windowSession().sessionScript()); }

// Only the set-up: settings, resolution, display, camera, at step 0.
EMSCRIPTEN_KEEPALIVE const char* orvane_setup_script() { return keptText(setUpScript(windowSession().shown())); }

// The kept history as the data table (CSV).
EMSCRIPTEN_KEEPALIVE const char* orvane_data_csv() { return keptText(keptStepsCsv(windowSession().timeline())); }

// The ready experiments: name, title and note of each, as JSON.
EMSCRIPTEN_KEEPALIVE const char* orvane_experiments() {
    std::string out;
    JsonWriter json(out);
    json.beginArray();
    for (const Experiment& experiment : readyExperiments()) {
        json.beginObject();
        json.key("name").string(experiment.name);
        json.key("title").string(experiment.title);
        json.key("note").string(experiment.note);
        json.endObject();
    }
    json.endArray();
    return keptText(out);
}

// A script to play from now on (a file opened or dropped, a link, an
// experiment): "" when it plays, else why it was refused, with its line;
// a refused script changes nothing.
EMSCRIPTEN_KEEPALIVE const char* orvane_play_script(const char* text, const char* name) {
    return keptText(playScriptInWindow(text, name));
}

// A ready experiment by name: "" when it starts, else why not.
EMSCRIPTEN_KEEPALIVE const char* orvane_start_experiment(const char* name) {
    return keptText(startExperimentInWindow(name));
}

// The stopwatch: start, stop, reset, auto-on, auto-off.
EMSCRIPTEN_KEEPALIVE void orvane_stopwatch(const char* action) {
    StopwatchAction chosen = StopwatchAction::Start;
    if (findStopwatchAction(action, chosen)) deliverToWindow(ScriptEvent::stopwatchAction(chosen));
}

// A key as the keyboard gives it: down, then up.
EMSCRIPTEN_KEEPALIVE void orvane_press_key(int key) {
    deliverToWindow(ScriptEvent::keyDown(static_cast<unsigned char>(key)));
    deliverToWindow(ScriptEvent::keyUp(static_cast<unsigned char>(key)));
}

// 0 when set, 1 for an unknown name, 2 for a value out of its range.
EMSCRIPTEN_KEEPALIVE int orvane_set(const char* name, double value) { return setFromThePage(name, value, ScriptEvent::set); }

// The same for compare mode's B.
EMSCRIPTEN_KEEPALIVE int orvane_set_b(const char* name, double value) {
    return setFromThePage(name, value, ScriptEvent::setB);
}

// Compare mode: "on", "off" or "copy" (B = A now).
EMSCRIPTEN_KEEPALIVE void orvane_compare(const char* action) {
    for (const CompareAction candidate : {CompareAction::On, CompareAction::Off, CompareAction::Copy}) {
        const ScriptEvent event = ScriptEvent::compareMode(candidate);
        if (formatScriptEvent(event) == std::string("0 compare ") + action) deliverToWindow(event);
    }
}

EMSCRIPTEN_KEEPALIVE void orvane_defaults() { deliverToWindow(ScriptEvent::defaults()); }

// The timeline's slider: show that step of the kept past (and pause).
EMSCRIPTEN_KEEPALIVE void orvane_seek(double step) { deliverToWindow(ScriptEvent::seek(static_cast<long long>(step))); }

// The keys that act again while held (the page lets their repeats through).
EMSCRIPTEN_KEEPALIVE const char* orvane_repeating_keys() {
    static std::string keys;
    keys.clear();
    for (std::size_t i = 0; i < kKeyBindingCount; ++i) {
        const KeyBinding& key = kKeyBindings[i];
        if (key.repeats && key.source == KeySource::Character) keys += static_cast<char>(key.code);
    }
    return keys.c_str();
}

// The ball's look by name: classic or jelly; anything else does nothing.
EMSCRIPTEN_KEEPALIVE void orvane_look(const char* name) {
    BallLook look = BallLook::Classic;
    if (findBallLook(name, look)) deliverToWindow(ScriptEvent::ballLook(look));
}

// 1: hand mode, 0: look mode.
EMSCRIPTEN_KEEPALIVE void orvane_hand(int on) {
    deliverToWindow(ScriptEvent::pointerMode(on ? PointerMode::Hand : PointerMode::Look));
}

// The settings the panel offers, from the program's own table, so that the
// page keeps no copy: name, label, unit, range, slider step, start value and
// whether it is the ball's resolution (applied when the slider is let go).
EMSCRIPTEN_KEEPALIVE const char* orvane_settings() {
    static std::string out;
    out.clear();
    JsonWriter json(out);
    json.beginArray();
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        const Setting& setting = kSettings[i];
        json.beginObject();
        json.key("name").string(setting.name);
        json.key("label").string(setting.label);
        json.key("unit").string(setting.unit);
        json.key("min").number(setting.minimum);
        json.key("max").number(setting.maximum);
        json.key("step").number(setting.sliderStep);
        json.key("start").number(settingStartValue(setting));
        json.key("resolution").boolean(setting.resolution != nullptr);
        if (setting.choice) {
            json.key("choices").beginArray();
            for (int c = 0; c < setting.choice->count; ++c) json.string(setting.choice->names[c]);
            json.endArray();
        }
        json.endObject();
    }
    json.endArray();
    return out.c_str();
}

// What the panel shows, as JSON; valid until the next call.
EMSCRIPTEN_KEEPALIVE const char* orvane_state() {
    static std::string out;
    out.clear();
    const Session& session = windowSession();
    const World& world = session.shown();
    JsonWriter json(out);
    json.beginObject();
    json.key("timeline").beginObject();
    json.key("enabled").boolean(session.timeline().enabled());
    json.key("oldest").integer(session.timeline().oldestStep());
    json.key("shown").integer(session.shownStep());
    json.key("present").integer(session.present().simulationSteps);
    json.endObject();
    json.key("paused").boolean(world.run.paused);
    json.key("speed").string(runStateLabel(RunControl{false, world.run.speedLevel}));
    json.key("particles").boolean(world.ball.showParticles);
    json.key("springs").boolean(world.ball.showSprings);
    json.key("skin").boolean(world.ball.showSurface);
    json.key("lighting").boolean(world.display.lightingOn);
    json.key("panel").boolean(world.display.panelVisible);
    json.key("hand").boolean(world.input.pointer == PointerMode::Hand);
    json.key("look").string(ballLookName(world.display.look));
    json.key("blowUps").integer(world.blowUps);
    json.key("simulationSteps").integer(world.simulationSteps);
    json.key("idleCalls").integer(windowIdleCalls());
    json.key("yaw").number(world.camera.yaw);
    json.key("pitch").number(world.camera.pitch);
    json.key("grabbed").boolean(world.grab.active);
    json.key("help").boolean(world.display.helpVisible);
    json.key("noFlashes").boolean(world.display.noFlashes);
    json.key("replaying").boolean(windowReplaying());
    writeSettings(json.key("settings"), world);
    if (world.compare) {
        writeSettings(json.key("compare"), *world.compare);
    } else {
        json.key("compare").null();
    }
    writeHistory(json, world);
    writeReadouts(json, world);
    json.key("steps").integer(static_cast<long long>(world.history.size()));
    json.endObject();
    return out.c_str();
}

// The page's recording so far: an input script that orvane-sim replays.
EMSCRIPTEN_KEEPALIVE const char* orvane_recording() {
    static std::string text;
    text.clear();
    if (std::FILE* file = std::fopen(kSessionRecordingPath, "rb")) {
        char buffer[4096];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
        std::fclose(file);
    }
    return text.c_str();
}

// The world's state as orvane-sim prints it, after the idle calls done.
EMSCRIPTEN_KEEPALIVE const char* orvane_state_line() {
    static std::string text;
    text = stateLine(windowIdleCalls(), windowSession().shown());
    return text.c_str();
}

// What orvane --version says, for the page to show.
EMSCRIPTEN_KEEPALIVE const char* orvane_version() {
    static std::string text;
    text = versionText("orvane");
    text.pop_back();  // the newline
    return text.c_str();
}

}  // extern "C"
