#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ball/BallParameters.h"

struct World;
struct ScriptEvent;
struct CommandLineSyntax;

// The ball's knobs, the same for the study panel, the browser page, the
// command line (orvane and orvane-sim) and the script event "set NAME VALUE".
// A row reaches its field through `parameter` (a physical parameter, acting
// from the next step), `resolution` (rings and segments: whole numbers,
// applied by rebuilding the ball) or `choice` (one of a few named values,
// acting from the next step); the start value is the field's own.
//
// A choice's value is the number of its name in the list (0, 1, ...): so
// every row's value is a number in events, recordings and the panels, while
// scripts, command lines and --help show and take the names.
struct SettingChoice {
    const char* const* names;
    int count;
    int (*get)(const BallParameters&);
    void (*set)(BallParameters&, int);
};

struct Setting {
    const char* name;    // as the code names it, and in scripts: "surfaceStiffness"
    const char* option;  // on the command line: "--stiffness"
    const char* label;   // for people: "surface spring stiffness"
    const char* unit;    // in the model's units, "" where there is none
    double minimum;
    double maximum;
    double sliderStep;   // one notch of the page's slider
    double& (*parameter)(BallParameters&);     // null for the resolution and choices
    std::int32_t BallResolution::*resolution;  // null for a physical parameter and choices
    const SettingChoice* choice;               // null for a number
};

extern const Setting kSettings[];
extern const std::size_t kSettingCount;

// The setting called `name`, or null.
const Setting* findSetting(const char* name);

// The setting whose command-line option is `option`, or null.
const Setting* findSettingOption(const std::string& option);

double settingValue(const World& world, const Setting& setting);

// How scripts and command lines write a value: a choice's name, or the
// number in `number`'s own way.
std::string settingValueText(const Setting& setting, double value, std::string (*number)(double));

// The value the ball starts with.
double settingStartValue(const Setting& setting);

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

// The command lines of orvane, orvane-sim and the frame benchmark take every
// setting as an option: this adds them to a syntax, and reads one given
// option into a "set" event (empty when good, else the message).
void addSettingOptions(CommandLineSyntax& syntax);
std::string readSettingOption(const Setting& setting, const std::string& text, ScriptEvent& event);

// The command lines' --compare NAME=VALUE,...: compare mode on from the
// start, with B's settings as listed (NAME as in scripts); an empty list
// gives a B like A. Appends the events (compare on, then set-b each) and
// returns an empty string, or says what is wrong.
std::string readCompareOption(const std::string& list, std::vector<ScriptEvent>& events);

// The command-line options of every setting with their names, ranges, units
// and start-up values, for --help.
std::string settingsUsage();

