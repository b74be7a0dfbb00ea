// orvane-sim: replays the simulation without a window, driven by a script of
// input events, and prints the state as JSON lines. It runs the very handlers
// and idle step the window runs; only the drawing is left out.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Version.h"
#include "tools/common/StateJson.h"
#include "tools/sim/SimUsage.h"
#include "world/InputScript.h"
#include "world/ScriptPlayer.h"
#include "world/Settings.h"
#include "world/World.h"

namespace {
constexpr int kExitUsage = 2;
constexpr int kExitWriteError = 1;

struct Options {
    long long steps = 1000;
    long long every = 0;  // 0: only the first and the last line
    std::string input;    // empty: no events
    bool energy = false;
    bool help = false;
    bool version = false;
    std::vector<ScriptEvent> settings;  // delivered before the first idle call
};

// Returns an empty string when the command line is good, else what is wrong.
std::string parseOptions(int argc, char** argv, Options& options) {
    std::vector<CommandLineOption> given;
    CommandLineSyntax syntax{{"--help", "--version", "--energy"}, {"--steps", "--every", "--input"}};
    for (std::size_t i = 0; i < kSettingCount; ++i) syntax.valued.push_back(kSettings[i].option);
    const std::string error = readCommandLine(argc, argv, syntax, given);
    if (!error.empty()) return error;
    for (const CommandLineOption& option : given) {
        if (const Setting* setting = findSettingOption(option.name)) {
            double value = 0.0;
            const std::string problem = readSettingValue(*setting, option.value, value);
            if (!problem.empty()) return option.name + " " + problem;
            options.settings.push_back(settingEvent(*setting, value));
        } else if (option.name == "--help") {
            options.help = true;
        } else if (option.name == "--version") {
            options.version = true;
        } else if (option.name == "--energy") {
            options.energy = true;
        } else if (option.name == "--input") {
            if (option.value.empty()) return "empty file name for --input";
            options.input = option.value;
        } else if (option.name == "--steps") {
            if (!parseWholeNumber(option.value, 0, options.steps))
                return "--steps needs an integer N >= 0, not \"" + option.value + "\"";
        } else if (!parseWholeNumber(option.value, 1, options.every)) {
            return "--every needs an integer K >= 1, not \"" + option.value + "\"";
        }
    }
    return std::string();
}

class Replay {
public:
    Replay(const Options& options, std::vector<ScriptEvent> events)
        : options_(options), player_(std::move(events)), out_(stdout) {
        for (const ScriptEvent& setting : options.settings) deliverScriptEvent(world_, setting);
    }

    // Runs every idle call (or up to Esc); false when the output failed.
    bool run() {
        print(0);
        for (long long i = 0; i < options_.steps; ++i) {
            if (!player_.deliverEventsBefore(world_, i)) {
                if (lastPrinted_ != i) print(i);
                break;
            }
            step(world_);
            const long long n = i + 1;
            reportBlowUps(n);
            if ((options_.every > 0 && n % options_.every == 0) || n == options_.steps) print(n);
        }
        reportBlowUps(options_.steps, true);
        return out_.flush();
    }

private:
    void print(long long step) {
        out_.writeState(step, world_, options_.energy);
        lastPrinted_ = step;
    }

    // The replay goes on with the rebuilt ball, as the window does. A ball
    // that keeps running away is said at most once a hundred idle calls,
    // with the times in between counted.
    void reportBlowUps(long long idleCall, bool atTheEnd = false) {
        const long long fresh = world_.blowUps - blowUpsSeen_;
        blowUpsSeen_ = world_.blowUps;
        if (fresh > 0 && (lastReportAt_ < 0 || idleCall - lastReportAt_ >= kReportEvery)) {
            const long long between = untold_ + fresh - 1;
            std::fprintf(stderr, "orvane-sim: idle call %lld: the ball ran away and was rebuilt over the plate%s\n",
                         idleCall, between > 0 ? (" (" + timesSinceLastReport(between) + ")").c_str() : "");
            lastReportAt_ = idleCall;
            untold_ = 0;
            return;
        }
        untold_ += fresh;
        if (atTheEnd && untold_ > 0)
            std::fprintf(stderr, "orvane-sim: the ball ran away %s\n", timesSinceLastReport(untold_).c_str());
    }

    std::string timesSinceLastReport(long long times) const {
        return std::to_string(times) + (times == 1 ? " more time" : " more times") + " after idle call " +
               std::to_string(lastReportAt_);
    }

    const Options& options_;
    World world_;
    ScriptPlayer player_;
    long long lastPrinted_ = -1;
    static constexpr long long kReportEvery = 100;
    long long blowUpsSeen_ = 0;
    long long untold_ = 0;
    long long lastReportAt_ = -1;
    JsonLineWriter out_;
};
}  // namespace

int main(int argc, char** argv) {
    Options options;
    const std::string optionError = parseOptions(argc, argv, options);
    if (!optionError.empty()) {
        std::fprintf(stderr, "orvane-sim: %s\n%s", optionError.c_str(), simUsage().c_str());
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(simUsage().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::fputs(versionText("orvane-sim").c_str(), stdout);
        return 0;
    }

    ScriptParseResult script;
    if (!options.input.empty()) {
        script = loadInputScript(options.input);
        if (!script.ok) {
            std::fprintf(stderr, "orvane-sim: %s\n", script.error.c_str());
            return kExitUsage;
        }
    }

    Replay replay(options, std::move(script.events));
    if (!replay.run()) {
        std::fprintf(stderr, "orvane-sim: cannot write the output: %s\n", std::strerror(errno));
        return kExitWriteError;
    }
    return 0;
}
