#include "tools/soak/SoakScript.h"

#include <cstdio>
#include <string>

namespace {
// splitmix64: small, fast, and the same on every platform.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }

private:
    std::uint64_t state_;
};

const char* const kHeldKeys[] = {"w", "s", "a", "d", "r", "f", "t", "g"};
const char* const kArrows[] = {"up", "down", "left", "right"};
const char* const kOneShotKeys[] = {"0", "9", "1", "2", "3", "8", "l", "x", "W"};

class ScriptWriter {
public:
    void event(long long step, const char* what) {
        char line[96];
        std::snprintf(line, sizeof line, "%lld %s\n", step, what);
        text_ += line;
    }
    void event(long long step, const char* kind, const char* arg) {
        char line[96];
        std::snprintf(line, sizeof line, "%lld %s %s\n", step, kind, arg);
        text_ += line;
    }
    void motion(long long step, int x, int y) {
        char line[96];
        std::snprintf(line, sizeof line, "%lld motion %d %d\n", step, x, y);
        text_ += line;
    }
    void comment(const std::string& text) { text_ += "# " + text + "\n"; }
    std::string take() { return std::move(text_); }

private:
    std::string text_;
};

// Presses one key now and releases it a little later (key-ups may come
// without a key-down when the release lands after another press of the group;
// the handlers must cope with both).
void holdKey(ScriptWriter& out, Random& random, long long& step, bool special, const char* key) {
    out.event(step, special ? "special-down" : "key-down", key);
    step += 1 + random.below(120);
    out.event(step, special ? "special-up" : "key-up", key);
}

void wanderPointer(ScriptWriter& out, Random& random, long long& step, bool pan) {
    if (pan) out.event(step, "key-down", "space");
    int x = random.below(640), y = random.below(480);
    const int moves = 1 + random.below(20);
    for (int i = 0; i < moves; ++i) {
        x += random.below(41) - 20;
        y += random.below(41) - 20;
        out.motion(step, x, y);
        step += random.below(3);
    }
    if (pan) out.event(step, "key-up", "space");
}
}  // namespace

std::string makeSoakScript(std::uint64_t seed, long long steps) {
    Random random(seed);
    ScriptWriter out;
    out.comment("soak script: seed " + std::to_string(seed) + ", " + std::to_string(steps) + " idle calls");
    long long step = 0;
    while (step < steps) {
        switch (random.below(6)) {
        case 0: holdKey(out, random, step, true, kArrows[random.below(4)]); break;
        case 1: holdKey(out, random, step, false, kHeldKeys[random.below(8)]); break;
        case 2: out.event(step, "key-down", kOneShotKeys[random.below(9)]); break;
        case 3: wanderPointer(out, random, step, random.below(2) == 0); break;
        case 4: out.event(step, "key-up", kHeldKeys[random.below(8)]); break;
        default: break;
        }
        step += random.below(60);
    }
    return out.take();
}
