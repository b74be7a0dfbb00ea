#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct World;

// The ball's knobs, the same for the study panel, the command line
// (orvane and orvane-sim) and the script event "set NAME VALUE".
struct Setting {
    const char* name;    // as the code names it, and in scripts: "surfaceStiffness"
    const char* option;  // on the command line: "--stiffness"
    const char* label;   // for people: "surface spring stiffness"
    const char* unit;    // in the model's units, "" where there is none
    double minimum;
    double maximum;
    double defaultValue;
    bool resolution;     // rings and segments: whole numbers, applied by rebuilding the ball
};

extern const Setting kSettings[];
extern const std::size_t kSettingCount;

// The setting called `name`, or null.
const Setting* findSetting(const char* name);

double settingValue(const World& world, const Setting& setting);

// `value` must lie in the setting's range (and be whole for the resolution).
// A physical parameter acts from the next step; rings and segments rebuild
// the ball where it is (as key "9" does).
void applySetting(World& world, const Setting& setting, double value);

// Every physical parameter back to its start-up value, bit for bit; the
// resolution stays.
void restoreDefaults(World& world);

// Reads a value for the setting: a number in its range, whole for the
// resolution. Empty when good, else what is wrong with the text, for the
// caller to say whose value it is.
std::string readSettingValue(const Setting& setting, const std::string& text, double& value);

// The setting whose command-line option is `option`, or null.
const Setting* findSettingOption(const std::string& option);

// The command-line options of every setting with their names, ranges, units
// and start-up values, for --help.
std::string settingsUsage();
