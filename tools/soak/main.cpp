// orvane-soakgen: writes a seeded random input script for long replays.
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Version.h"
#include "tools/soak/SoakScript.h"

namespace {
const char kUsage[] =
    "usage: orvane-soakgen [--seed S] [--steps N]\n"
    "  Writes a random input script for orvane-sim to standard output:\n"
    "  arrows, lift and press, rebuilds, camera, display and help keys, mouse\n"
    "  motion and panning, grabs and drags, window sizes, pacing, pauses with\n"
    "  single steps and speed changes, spread over N idle calls (default\n"
    "  1000000).\n"
    "  The same seed (default 1) always gives the same script.\n"
    "  --version prints the version, and the commit it was built from.\n";

constexpr long long kMostSteps = 1ll << 40;

int usageError(const std::string& why) {
    std::fprintf(stderr, "orvane-soakgen: %s\n%s", why.c_str(), kUsage);
    return 2;
}
}  // namespace

int main(int argc, char** argv) {
    std::vector<CommandLineOption> given;
    const std::string error = readCommandLine(argc, argv, {{"--help", "--version"}, {"--seed", "--steps"}}, given);
    if (!error.empty()) return usageError(error);
    long long seed = 1, steps = 1000000;
    for (const CommandLineOption& option : given) {
        if (option.name == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (option.name == "--version") {
            std::fputs(versionText("orvane-soakgen").c_str(), stdout);
            return 0;
        }
        long long& target = option.name == "--seed" ? seed : steps;
        if (!parseInteger(option.value, 0, LLONG_MAX, target))
            return usageError(option.name + " needs a whole number, not \"" + option.value + "\"");
    }
    if (steps > kMostSteps) return usageError("--steps is more than " + std::to_string(kMostSteps));
    const std::string script = makeSoakScript(static_cast<unsigned long long>(seed), steps);
    return std::fwrite(script.data(), 1, script.size(), stdout) == script.size() ? 0 : 1;
}
