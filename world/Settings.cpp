#include "world/Settings.h"

#include <cstdio>
#include <cstring>

#include "cli/CommandLine.h"
#include "world/InputScript.h"
#include "world/World.h"

namespace {
template <double BallParameters::*Field>
double& field(BallParameters& parameters) {
    return parameters.*Field;
}

double& upwardGravity(BallParameters& parameters) { return parameters.gravity.y; }

const char* const kIntegratorNames[kIntegratorCount] = {"in-place", "symplectic-euler", "explicit-euler",
                                                        "velocity-verlet", "rk4"};
const SettingChoice kIntegratorChoice = {
    kIntegratorNames, kIntegratorCount,
    [](const BallParameters& parameters) { return static_cast<int>(parameters.integrator); },
    [](BallParameters& parameters, int value) { parameters.integrator = static_cast<Integrator>(value); }};

std::string choiceNames(const SettingChoice& choice, const char* separator) {
    std::string names;
    for (int i = 0; i < choice.count; ++i) names += std::string(i ? separator : "") + choice.names[i];
    return names;
}
}  // namespace

const Setting kSettings[] = {
    {"surfaceStiffness", "--stiffness", "surface spring stiffness", "N/m", 0.0, 200.0, 0.5,
     field<&BallParameters::surfaceStiffness>, nullptr, nullptr},
    {"centreStiffness", "--centre-stiffness", "centre spring stiffness", "N/m", 0.0, 400.0, 1.0,
     field<&BallParameters::centreStiffness>, nullptr, nullptr},
    {"damping", "--damping", "damping", "kg/s", 0.0, 50.0, 0.1, field<&BallParameters::damping>, nullptr, nullptr},
    {"timeStep", "--time-step", "time step", "s", 0.001, 1.0, 0.001, field<&BallParameters::timeStep>, nullptr, nullptr},
    {"gravity", "--gravity", "gravity (up)", "N", -2.0, 2.0, 0.01, upwardGravity, nullptr, nullptr},
    {"pushGain", "--push", "push per degree of tilt", "N/deg", 0.0, 0.3, 0.001, field<&BallParameters::pushGain>,
     nullptr, nullptr},
    {"liftForce", "--lift", "lift and press force", "N", 0.0, 9.0, 0.05, field<&BallParameters::liftForce>, nullptr, nullptr},
    {"particleMass", "--mass", "mass of a point", "kg", 0.5, 50.0, 0.1, field<&BallParameters::particleMass>,
     nullptr, nullptr},
    {"integrator", "--integrator", "integrator", "", 0.0, kIntegratorCount - 1, 1.0, nullptr, nullptr,
     &kIntegratorChoice},
    {"rings", "--rings", "rings (pole to pole)", "", 4.0, 96.0, 1.0, nullptr, &BallResolution::rings, nullptr},
    {"segments", "--segments", "segments (around)", "", 3.0, 96.0, 1.0, nullptr, &BallResolution::segments, nullptr},
};
const std::size_t kSettingCount = sizeof kSettings / sizeof kSettings[0];

const Setting* findSetting(const char* name) {
    for (const Setting& setting : kSettings) {
        if (std::strcmp(setting.name, name) == 0) return &setting;
    }
    return nullptr;
}

const Setting* findSettingOption(const std::string& option) {
    for (const Setting& setting : kSettings) {
        if (option == setting.option) return &setting;
    }
    return nullptr;
}

double settingValue(const World& world, const Setting& setting) {
    if (setting.resolution) return world.ball.*setting.resolution;
    if (setting.choice) return setting.choice->get(world.ball);
    BallParameters parameters = world.ball;
    return setting.parameter(parameters);
}

std::string settingValueText(const Setting& setting, double value, std::string (*number)(double)) {
    if (setting.choice) return setting.choice->names[static_cast<int>(value)];
    return number(value);
}

double settingStartValue(const Setting& setting) {
    if (setting.resolution) return BallResolution().*setting.resolution;
    if (setting.choice) return setting.choice->get(BallParameters());
    BallParameters parameters;
    return setting.parameter(parameters);
}

void applySetting(World& world, const Setting& setting, double value) {
    if (setting.resolution) {
        world.ball.*setting.resolution = static_cast<std::int32_t>(value);
        rebuildBall(world, world.ball.centre);
        return;
    }
    if (setting.choice) {
        setting.choice->set(world.ball, static_cast<int>(value));
        return;
    }
    setting.parameter(world.ball) = value;
    world.ball.applyStiffness();
}

void restoreDefaults(World& world) {
    static_cast<BallParameters&>(world.ball) = BallParameters();
    world.ball.applyStiffness();
}

std::string readSettingValue(const Setting& setting, const std::string& text, double& value) {
    if (setting.choice) {
        for (int i = 0; i < setting.choice->count; ++i) {
            if (text == setting.choice->names[i]) {
                value = i;
                return std::string();
            }
        }
    }
    double read = 0.0;
    const bool inRange = parseDecimal(text, setting.minimum, setting.maximum, read);
    if (inRange && !setting.choice && (!setting.resolution || read == static_cast<double>(static_cast<int>(read)))) {
        value = read;
        return std::string();
    }
    std::string shown = text.substr(0, 40);
    for (char& c : shown)
        if (c < ' ' || c > '~') c = '?';
    if (setting.choice) return "\"" + shown + "\" is not one of " + choiceNames(*setting.choice, ", ");
    char range[96];
    std::snprintf(range, sizeof range, "is not a %s from %g to %g", setting.resolution ? "whole number" : "number",
                  setting.minimum, setting.maximum);
    return "\"" + shown + "\" " + range;
}

void addSettingOptions(CommandLineSyntax& syntax) {
    for (const Setting& setting : kSettings) syntax.valued.push_back(setting.option);
}

std::string readSettingOption(const Setting& setting, const std::string& text, ScriptEvent& event) {
    double value = 0.0;
    const std::string problem = readSettingValue(setting, text, value);
    if (!problem.empty()) return std::string(setting.option) + " " + problem;
    event = ScriptEvent::set(setting, value);
    return std::string();
}

std::string readCompareOption(const std::string& list, std::vector<ScriptEvent>& events) {
    std::vector<ScriptEvent> read = {ScriptEvent::compareMode(CompareAction::On)};
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string::npos) end = list.size();
        const std::string item = list.substr(start, end - start);
        start = end + 1;
        const std::size_t equals = item.find('=');
        const std::string name = item.substr(0, equals);
        const Setting* setting = equals == std::string::npos ? nullptr : findSetting(name.c_str());
        if (!setting) {
            return "--compare needs NAME=VALUE items with NAME a setting as in scripts (see --help), not \"" +
                   item.substr(0, 40) + "\"";
        }
        double value = 0.0;
        const std::string problem = readSettingValue(*setting, item.substr(equals + 1), value);
        if (!problem.empty()) return "--compare " + name + " " + problem;
        read.push_back(ScriptEvent::setB(*setting, value));
    }
    events.insert(events.end(), read.begin(), read.end());
    return std::string();
}

std::string settingsUsage() {
    std::string text;
    for (const Setting& setting : kSettings) {
        if (setting.choice) {
            const std::string names = choiceNames(*setting.choice, ", ");
            const char* start = setting.choice->names[setting.choice->get(BallParameters())];
            char line[200];
            std::snprintf(line, sizeof line, "  %-21s %-16s %s: %s (start %s)\n",
                          (std::string(setting.option) + " NAME").c_str(), setting.name, setting.label, names.c_str(),
                          start);
            text += line;
            continue;
        }
        char line[160];
        std::snprintf(line, sizeof line, "  %-21s %-16s %s, %g to %g%s%s (start %g)\n",
                      (std::string(setting.option) + (setting.resolution ? " N" : " X")).c_str(), setting.name,
                      setting.label, setting.minimum, setting.maximum, *setting.unit ? " " : "", setting.unit,
                      settingStartValue(setting));
        text += line;
    }
    return text;
}
