// What the page's HTML panel calls: the same events the window's keys and
// the desktop's panel make, delivered the same way, and the state it shows.
#include <emscripten.h>

#include <cstdio>
#include <string>

#include "ball/Energy.h"
#include "cli/Version.h"
#include "shell/Window.h"
#include "tools/common/StateJson.h"
#include "world/InputScript.h"
#include "world/Settings.h"
#include "world/World.h"

namespace {
ScriptEvent keyEvent(ScriptEventKind kind, int code) {
    ScriptEvent event;
    event.kind = kind;
    event.code = code;
    return event;
}

void appendNumber(std::string& out, const char* name, double value) {
    char text[96];
    std::snprintf(text, sizeof text, "\"%s\":%.17g,", name, value);
    out += text;
}

void appendFlag(std::string& out, const char* name, bool value) {
    out += std::string("\"") + name + "\":" + (value ? "true," : "false,");
}

// The last samples of the history, oldest first, for the page's plot.
void appendHistory(std::string& out, const StepHistory& history) {
    out += "\"energy\":[";
    for (std::size_t i = 0; i < history.size(); ++i) {
        char text[128];
        const StepSample& s = history[i];
        std::snprintf(text, sizeof text, "%s[%.6g,%.6g,%.6g,%.6g]", i ? "," : "", s.kinetic, s.spring, s.gravity,
                      s.total);
        out += text;
    }
    out += "],";
}
}  // namespace

extern "C" {

// A key as the keyboard gives it: down, then up.
EMSCRIPTEN_KEEPALIVE void orvane_press_key(int key) {
    deliverToWindow(keyEvent(ScriptEventKind::KeyDown, key));
    deliverToWindow(keyEvent(ScriptEventKind::KeyUp, key));
}

// 0 when set, 1 for an unknown name, 2 for a value out of its range.
EMSCRIPTEN_KEEPALIVE int orvane_set(const char* name, double value) {
    const Setting* setting = findSetting(name);
    if (!setting) return 1;
    double checked = 0.0;
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    if (!readSettingValue(*setting, text, checked).empty()) return 2;
    deliverToWindow(settingEvent(*setting, checked));
    return 0;
}

EMSCRIPTEN_KEEPALIVE void orvane_defaults() {
    ScriptEvent event;
    event.kind = ScriptEventKind::Defaults;
    deliverToWindow(event);
}

// What the panel shows, as JSON; valid until the next call.
EMSCRIPTEN_KEEPALIVE const char* orvane_state() {
    static std::string out;
    const World& world = windowWorld();
    out = "{";
    appendFlag(out, "paused", world.run.paused);
    out += "\"speed\":\"" + runStateLabel(RunControl{false, world.run.speedLevel}) + "\",";
    appendFlag(out, "particles", world.ball.showParticles);
    appendFlag(out, "springs", world.ball.showSprings);
    appendFlag(out, "skin", world.ball.showSurface);
    appendFlag(out, "lighting", world.display.lightingOn);
    appendFlag(out, "panel", world.display.panelVisible);
    appendNumber(out, "blowUps", static_cast<double>(world.blowUps));
    appendNumber(out, "simulationSteps", static_cast<double>(world.simulationSteps));
    appendNumber(out, "idleCalls", static_cast<double>(windowIdleCalls()));
    appendNumber(out, "yaw", world.camera.yaw);
    appendNumber(out, "pitch", world.camera.pitch);
    appendFlag(out, "grabbed", world.grab.active);
    appendFlag(out, "help", world.display.helpVisible);
    out += "\"settings\":{";
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        char text[96];
        std::snprintf(text, sizeof text, "%s\"%s\":%.17g", i ? "," : "", kSettings[i].name,
                      settingValue(world, kSettings[i]));
        out += text;
    }
    out += "},";
    appendHistory(out, world.history);
    appendNumber(out, "steps", static_cast<double>(world.history.size()));
    out.back() = '}';
    return out.c_str();
}

// The page's recording so far: an input script that orvane-sim replays.
EMSCRIPTEN_KEEPALIVE const char* orvane_recording() {
    static std::string text;
    text.clear();
    if (std::FILE* file = std::fopen("/session.txt", "rb")) {
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
    text = stateLine(windowIdleCalls(), windowWorld());
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
