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
    // From `low` to `high`, both included.
    int between(int low, int high) { return low + below(high - low + 1); }

private:
    std::uint64_t state_;
};

const char* const kBallKeys[] = {"t", "g"};
const char* const kArrows[] = {"up", "down", "left", "right"};
// Camera flights go there and back, each key with the one that undoes it.
const char* const kFlights[][2] = {{"w", "s"}, {"s", "w"}, {"a", "d"}, {"d", "a"}, {"r", "f"}, {"f", "r"}};
const char* const kHeldKeys[] = {"w", "s", "a", "d", "r", "f", "t", "g"};
const char* const kOneShotKeys[] = {"0", "9", "1", "2", "3", "8", "l", "x", "W", "h", "o"};
const char* const kButtons[] = {"left", "middle", "right"};

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
    void pair(long long step, const char* kind, int a, int b) {
        char line[96];
        std::snprintf(line, sizeof line, "%lld %s %d %d\n", step, kind, a, b);
        text_ += line;
    }
    void button(long long step, bool down, const char* button, int x, int y) {
        char line[96];
        std::snprintf(line, sizeof line, "%lld %s %s %d %d\n", step, down ? "button-down" : "button-up", button, x, y);
        text_ += line;
    }
    void comment(const std::string& text) { text_ += "# " + text + "\n"; }
    std::string take() { return std::move(text_); }

private:
    std::string text_;
};

// What the script has told the world so far that later events depend on:
// where the pointer is, and the window's size.
struct Session {
    ScriptWriter out;
    Random random;
    long long step = 0;
    int pointerX = 0, pointerY = 0;
    int width = 640, height = 480;

    explicit Session(std::uint64_t seed) : random(seed) {}
};

// Presses one key now and releases it a little later (key-ups may come
// without a key-down when the release lands after another press of the group;
// the handlers must cope with both).
void holdKey(Session& s, bool special, const char* key) {
    s.out.event(s.step, special ? "special-down" : "key-down", key);
    s.step += 1 + s.random.below(120);
    s.out.event(s.step, special ? "special-up" : "key-up", key);
}

// The camera flies somewhere and comes back the same number of idle calls
// later, so that over a long soak it stays near the scene.
void flyThereAndBack(Session& s) {
    const auto& flight = kFlights[s.random.below(6)];
    const int calls = 1 + s.random.below(120);
    for (const char* key : flight) {
        s.out.event(s.step, "key-down", key);
        s.step += calls;
        s.out.event(s.step, "key-up", key);
        ++s.step;
    }
}

// A walk of the pointer that ends where it began: the camera turns (or with
// space held, moves) on the way and is back where it looked from at the end,
// since each motion turns it by the pointer's step.
void wanderPointer(Session& s, bool pan) {
    if (pan) s.out.event(s.step, "key-down", "space");
    const int startX = s.pointerX, startY = s.pointerY;
    int x = startX, y = startY;
    const int moves = 1 + s.random.below(20);
    for (int i = 0; i < moves; ++i) {
        x += s.random.below(41) - 20;
        y += s.random.below(41) - 20;
        s.out.pair(s.step, "motion", x, y);
        s.step += s.random.below(3);
    }
    s.out.pair(s.step, "motion", startX, startY);
    if (pan) s.out.event(s.step, "key-up", "space");
}

// A place for a drag: near the last one, anywhere in the window, or far
// outside it.
void dragTarget(Session& s, int& x, int& y) {
    switch (s.random.below(3)) {
    case 0:
        x += s.random.below(121) - 60;
        y += s.random.below(121) - 60;
        break;
    case 1:
        x = s.random.below(s.width + 1);
        y = s.random.below(s.height + 1);
        break;
    default:
        x = s.random.between(-20000, 20000);
        y = s.random.between(-20000, 20000);
        break;
    }
}

void dragAbout(Session& s, int& x, int& y) {
    const int drags = 1 + s.random.below(12);
    for (int i = 0; i < drags; ++i) {
        dragTarget(s, x, y);
        s.out.pair(s.step, "drag", x, y);
        s.step += s.random.below(15);
    }
}

// Where the ball lies on the platform while the camera looks as at
// start-up. The pointer gets there with the middle button held, which turns
// no camera; the left button then grabs and pulls the ball about.
void grabTheBall(Session& s) {
    s.out.button(s.step, true, "middle", s.pointerX, s.pointerY);
    int x = s.width / 2 + s.random.below(31) - 15;
    int y = s.height * (80 + s.random.below(9)) / 100;
    s.out.pair(s.step, "drag", x, y);
    s.out.button(s.step, false, "middle", x, y);
    s.step += s.random.below(3);
    s.out.button(s.step, true, "left", x, y);
    s.step += s.random.below(10);
    dragAbout(s, x, y);
    // Now and then another button comes and goes meanwhile; it lets nothing go.
    if (s.random.below(4) == 0) {
        s.out.button(s.step, true, "right", x, y);
        s.step += s.random.below(5);
        s.out.button(s.step, false, "right", x, y);
    }
    s.step += s.random.below(30);
    s.out.button(s.step, false, "left", x, y);
    s.pointerX = x;
    s.pointerY = y;
}

// Any button pressed anywhere, dragged about and let go, sometimes where no
// window is.
void clickAndDrag(Session& s) {
    const char* button = kButtons[s.random.below(3)];
    int x = s.random.between(-100, s.width + 100), y = s.random.between(-100, s.height + 100);
    s.out.button(s.step, true, button, x, y);
    if (s.random.below(2) == 0) dragAbout(s, x, y);
    s.step += s.random.below(5);
    s.out.button(s.step, false, button, x, y);
    s.pointerX = x;
    s.pointerY = y;
}

// Mostly back to the usual size; otherwise 1x1, no height at all, any size,
// or the largest side there is.
void resizeWindow(Session& s) {
    int width = 640, height = 480;
    switch (s.random.below(6)) {
    case 0: width = height = 1; break;
    case 1: width = s.random.between(0, 2000), height = 0; break;
    case 2: width = s.random.between(1, 2000), height = s.random.between(1, 1500); break;
    case 3: width = 16384, height = s.random.between(0, 16384); break;
    default: break;
    }
    s.out.pair(s.step, "reshape", width, height);
    s.width = width;
    s.height = height == 0 ? 1 : height;
}

// A stretch of real-time pacing: some steps an idle call (none at all too),
// then the pace ends.
void paceForAWhile(Session& s) {
    s.out.event(s.step, "pace", std::to_string(s.random.below(9)).c_str());
    s.step += 1 + s.random.below(200);
    if (s.random.below(3) == 0) {
        s.out.event(s.step, "pace", std::to_string(s.random.below(9)).c_str());
        s.step += 1 + s.random.below(200);
    }
    s.out.event(s.step, "pace", "off");
}

// A short pause with a few single steps in it.
void pauseAndStep(Session& s) {
    s.out.event(s.step, "key-down", "p");
    const int singleSteps = s.random.below(5);
    for (int i = 0; i < singleSteps; ++i) {
        s.step += 1 + s.random.below(10);
        s.out.event(s.step, "key-down", "o");
    }
    s.step += 1 + s.random.below(30);
    s.out.event(s.step, "key-down", "p");
}

// Faster or slower for a while, then back to x1.
void changeSpeedForAWhile(Session& s) {
    const bool faster = s.random.below(2) == 0;
    const int levels = 1 + s.random.below(3);
    for (int i = 0; i < levels; ++i) s.out.event(s.step, "key-down", faster ? "]" : "[");
    s.step += 1 + s.random.below(150);
    for (int i = 0; i < levels; ++i) s.out.event(s.step, "key-down", faster ? "[" : "]");
}

void showHelp(Session& s) {
    const bool f1 = s.random.below(2) == 0;
    s.out.event(s.step, f1 ? "special-down" : "key-down", f1 ? "f1" : "h");
    if (f1) s.out.event(++s.step, "special-up", "f1");
}
}  // namespace

std::string makeSoakScript(std::uint64_t seed, long long steps) {
    Session s(seed);
    s.out.comment("soak script: seed " + std::to_string(seed) + ", " + std::to_string(steps) + " idle calls");
    while (s.step < steps) {
        switch (s.random.below(16)) {
        case 0:
        case 1: holdKey(s, true, kArrows[s.random.below(4)]); break;
        case 2: holdKey(s, false, kBallKeys[s.random.below(2)]); break;
        case 3: flyThereAndBack(s); break;
        case 4: s.out.event(s.step, "key-down", kOneShotKeys[s.random.below(11)]); break;
        case 5: wanderPointer(s, s.random.below(2) == 0); break;
        case 6: s.out.event(s.step, "key-up", kHeldKeys[s.random.below(8)]); break;
        case 7:
        case 8: grabTheBall(s); break;
        case 9: clickAndDrag(s); break;
        case 10: resizeWindow(s); break;
        case 11: paceForAWhile(s); break;
        case 12: pauseAndStep(s); break;
        case 13: changeSpeedForAWhile(s); break;
        case 14: showHelp(s); break;
        default: break;
        }
        s.step += s.random.below(60);
    }
    return s.out.take();
}
