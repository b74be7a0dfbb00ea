#include "world/Settings.h"

#include <cstdio>
#include <cstring>

#include "cli/CommandLine.h"

#include "world/World.h"

// Units: the ball's radius is one metre, forces are newtons, time is seconds
// of simulated time (one step lasts timeStep). The values are the ones the
// ball has always had.
const Setting kSettings[] = {
    {"surfaceStiffness", "--stiffness", "surface spring stiffness", "N/m", 0.0, 200.0, 10.0, false},
    {"centreStiffness", "--centre-stiffness", "centre spring stiffness", "N/m", 0.0, 400.0, 20.0, false},
    {"damping", "--damping", "damping", "kg/s", 0.0, 50.0, 4.0, false},
    {"timeStep", "--time-step", "time step", "s", 0.001, 1.0, 0.1, false},
    {"gravity", "--gravity", "gravity (up)", "N", -2.0, 2.0, -0.1, false},
    {"pushGain", "--push", "push per degree of tilt", "N/deg", 0.0, 0.3, 0.03, false},
    {"liftForce", "--lift", "lift and press force", "N", 0.0, 9.0, 0.9, false},
    {"particleMass", "--mass", "mass of a point", "kg", 0.5, 50.0, 5.0, false},
    {"rings", "--rings", "rings (pole to pole)", "", 4.0, 96.0, 12.0, true},
    {"segments", "--segments", "segments (around)", "", 3.0, 96.0, 12.0, true},
};
const std::size_t kSettingCount = sizeof kSettings / sizeof kSettings[0];

namespace {
bool is(const Setting& setting, const char* name) { return std::strcmp(setting.name, name) == 0; }

// The field a physical setting stands for (const or not, as the ball is).
template <typename Ball>
auto fieldOf(Ball& ball, const Setting& setting) -> decltype(&ball.damping) {
    if (is(setting, "surfaceStiffness")) return &ball.surfaceStiffness;
    if (is(setting, "centreStiffness")) return &ball.centreStiffness;
    if (is(setting, "damping")) return &ball.damping;
    if (is(setting, "timeStep")) return &ball.timeStep;
    if (is(setting, "gravity")) return &ball.gravity.y;
    if (is(setting, "pushGain")) return &ball.pushGain;
    if (is(setting, "liftForce")) return &ball.liftForce;
    if (is(setting, "particleMass")) return &ball.particleMass;
    return nullptr;
}

void rebuildWithResolution(World& world, const Setting& setting, int value) {
    if (is(setting, "rings")) world.ball.rings = value;
    if (is(setting, "segments")) world.ball.segments = value;
    world.ball.reset();
    world.grab = Grab();
}
}  // namespace

const Setting* findSetting(const char* name) {
    for (const Setting& setting : kSettings) {
        if (is(setting, name)) return &setting;
    }
    return nullptr;
}

double settingValue(const World& world, const Setting& setting) {
    if (is(setting, "rings")) return world.ball.rings;
    if (is(setting, "segments")) return world.ball.segments;
    return *fieldOf(world.ball, setting);
}

void applySetting(World& world, const Setting& setting, double value) {
    if (setting.resolution) {
        rebuildWithResolution(world, setting, static_cast<int>(value));
        return;
    }
    *fieldOf(world.ball, setting) = value;
    world.ball.applyStiffness();
}

std::string readSettingValue(const Setting& setting, const std::string& text, double& value) {
    double read = 0.0;
    const bool inRange = parseDecimal(text, setting.minimum, setting.maximum, read);
    if (inRange && (!setting.resolution || read == static_cast<double>(static_cast<int>(read)))) {
        value = read;
        return std::string();
    }
    char range[96];
    std::snprintf(range, sizeof range, "is not a %s from %g to %g", setting.resolution ? "whole number" : "number",
                  setting.minimum, setting.maximum);
    std::string shown = text.substr(0, 40);
    for (char& c : shown)
        if (c < ' ' || c > '~') c = '?';
    return "\"" + shown + "\" " + range;
}

const Setting* findSettingOption(const std::string& option) {
    for (const Setting& setting : kSettings) {
        if (option == setting.option) return &setting;
    }
    return nullptr;
}

std::string settingsUsage() {
    std::string text;
    for (const Setting& setting : kSettings) {
        char line[160];
        std::snprintf(line, sizeof line, "  %-21s %-16s %s, %g to %g%s%s (start %g)\n",
                      (std::string(setting.option) + (setting.resolution ? " N" : " X")).c_str(), setting.name,
                      setting.label, setting.minimum, setting.maximum, *setting.unit ? " " : "", setting.unit,
                      setting.defaultValue);
        text += line;
    }
    return text;
}

void restoreDefaults(World& world) {
    for (const Setting& setting : kSettings) {
        if (!setting.resolution) *fieldOf(world.ball, setting) = setting.defaultValue;
    }
    world.ball.applyStiffness();
}
