// orvane-soakgen: writes a seeded random input script for long replays.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/soak/SoakScript.h"

namespace {
const char kUsage[] =
    "usage: orvane-soakgen [--seed S] [--steps N]\n"
    "  Writes a random input script for orvane-sim to standard output:\n"
    "  arrows, lift and press, rebuilds, camera and display keys, mouse\n"
    "  motion and panning, spread over N idle calls (default 1000000).\n"
    "  The same seed (default 1) always gives the same script.\n";

bool parseNumber(const char* text, unsigned long long& value) {
    if (!text || !*text || *text == '-') return false;
    char* end = nullptr;
    value = std::strtoull(text, &end, 10);
    return *end == '\0';
}
}  // namespace

int main(int argc, char** argv) {
    unsigned long long seed = 1, steps = 1000000;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        unsigned long long* target = option == "--seed" ? &seed : option == "--steps" ? &steps : nullptr;
        if (!target || i + 1 >= argc || !parseNumber(argv[i + 1], *target) || steps > (1ull << 40)) {
            std::fprintf(stderr, "orvane-soakgen: bad option \"%s\"\n%s", argv[i], kUsage);
            return 2;
        }
        ++i;
    }
    const std::string script = makeSoakScript(seed, static_cast<long long>(steps));
    return std::fwrite(script.data(), 1, script.size(), stdout) == script.size() ? 0 : 1;
}
