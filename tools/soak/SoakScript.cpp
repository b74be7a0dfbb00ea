#include "tools/soak/SoakScript.h"

#include <string>
#include <vector>

#include "world/InputScript.h"
#include "world/Keys.h"

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
    template <typename T>
    const T& pick(const std::vector<T>& items) {
        return items[static_cast<std::size_t>(below(static_cast<int>(items.size())))];
    }

private:
    std::uint64_t state_;
};

ScriptEvent pressOf(const KeyBinding& key) {
    return key.source == KeySource::Special ? ScriptEvent::specialDown(key.code)
                                            : ScriptEvent::keyDown(static_cast<unsigned char>(key.code));
}

ScriptEvent releaseOf(const KeyBinding& key) {
    return key.source == KeySource::Special ? ScriptEvent::specialUp(key.code)
                                            : ScriptEvent::keyUp(static_cast<unsigned char>(key.code));
}

bool isHeldIn(const KeyBinding& key, bool InputState::*group) { return key.use == KeyUse::Hold && key.group == group; }

// The keys the session presses, sorted out of the key table.
struct SoakKeys {
    std::vector<const KeyBinding*> arrows;      // held special keys
    std::vector<const KeyBinding*> ballKeys;    // held character keys of the ball's group
    std::vector<const KeyBinding*> cameraKeys;  // camera flight, each with the key that flies back
    std::vector<const KeyBinding*> heldKeys;    // every held key of a group, released at random too
    std::vector<ScriptEvent> oneShots;          // switches and actions, and two keys bound to nothing

    SoakKeys() {
        for (std::size_t i = 0; i < kKeyBindingCount; ++i) {
            const KeyBinding& key = kKeyBindings[i];
            const bool character = key.source == KeySource::Character;
            if (key.use == KeyUse::Hold && key.source == KeySource::Special) arrows.push_back(&key);
            if (character && isHeldIn(key, &InputState::ballControl)) ballKeys.push_back(&key);
            if (character && isHeldIn(key, &InputState::cameraMoving)) cameraKeys.push_back(&key);
            if (character && key.use == KeyUse::Hold && key.group) heldKeys.push_back(&key);
            if (character && (key.use == KeyUse::Show || key.use == KeyUse::Act)) oneShots.push_back(pressOf(key));
        }
        for (const unsigned char unbound : {'x', 'W'}) oneShots.push_back(ScriptEvent::keyDown(unbound));
    }
};

const SoakKeys& soakKeys() {
    static const SoakKeys keys;
    return keys;
}

// What the script has told the world so far that later events depend on:
// where the pointer is, and the window's size.
struct Session {
    std::string text;
    Random random;
    long long step = 0;
    int pointerX = 0, pointerY = 0;
    int width = 640, height = 480;

    explicit Session(std::uint64_t seed) : random(seed) {}

    void add(const ScriptEvent& event) { text += formatScriptEvent(event.at(step)) + "\n"; }
    void comment(const std::string& line) { text += "# " + line + "\n"; }
    void wait(int mostCalls) { step += random.below(mostCalls); }
};

// Presses one key now and releases it a little later (key-ups may come
// without a key-down when the release lands after another press of the group;
// the handlers must cope with both).
void holdKey(Session& s, const KeyBinding& key) {
    s.add(pressOf(key));
    s.step += 1 + s.random.below(120);
    s.add(releaseOf(key));
}

const KeyBinding& keyOf(KeySource source, int code) {
    return *(source == KeySource::Special ? findSpecialKey(code) : findCharacterKey(static_cast<unsigned char>(code)));
}

// The camera flies somewhere and comes back the same number of idle calls
// later, so that over a long soak it stays near the scene.
void flyThereAndBack(Session& s) {
    const KeyBinding& there = *s.random.pick(soakKeys().cameraKeys);
    const KeyBinding& back = keyOf(there.source, there.undoneBy);
    const int calls = 1 + s.random.below(120);
    for (const KeyBinding* key : {&there, &back}) {
        s.add(pressOf(*key));
        s.step += calls;
        s.add(releaseOf(*key));
        ++s.step;
    }
}

// A walk of the pointer that ends where it began: the camera turns (or with
// space held, moves) on the way and is back where it looked from at the end,
// since each motion turns it by the pointer's step.
void wanderPointer(Session& s, bool pan) {
    if (pan) s.add(ScriptEvent::keyDown(' '));
    const int startX = s.pointerX, startY = s.pointerY;
    int x = startX, y = startY;
    const int moves = 1 + s.random.below(20);
    for (int i = 0; i < moves; ++i) {
        x += s.random.below(41) - 20;
        y += s.random.below(41) - 20;
        s.add(ScriptEvent::motion(x, y));
        s.wait(3);
    }
    s.add(ScriptEvent::motion(startX, startY));
    if (pan) s.add(ScriptEvent::keyUp(' '));
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
        s.add(ScriptEvent::drag(x, y));
        s.wait(15);
    }
}

void movePointerTo(Session& s, int x, int y) {
    s.pointerX = x;
    s.pointerY = y;
}

// Where the ball lies on the platform while the camera looks as at start-up.
void pointAtTheBall(Session& s, int& x, int& y) {
    x = s.width / 2 + s.random.below(31) - 15;
    y = s.height * (80 + s.random.below(9)) / 100;
}

// The left button grabs and pulls the ball about; now and then another
// button comes and goes meanwhile, which lets nothing go.
void pullTheBall(Session& s, int x, int y, bool otherButton) {
    s.add(ScriptEvent::buttonDown(MouseButton::Left, x, y));
    s.wait(10);
    dragAbout(s, x, y);
    if (otherButton && s.random.below(4) == 0) {
        s.add(ScriptEvent::buttonDown(MouseButton::Right, x, y));
        s.wait(5);
        s.add(ScriptEvent::buttonUp(MouseButton::Right, x, y));
    }
    s.wait(30);
    s.add(ScriptEvent::buttonUp(MouseButton::Left, x, y));
    movePointerTo(s, x, y);
}

// The pointer gets to the ball with the middle button held, which turns no
// camera in look mode; the left button then grabs.
void grabTheBall(Session& s) {
    s.add(ScriptEvent::buttonDown(MouseButton::Middle, s.pointerX, s.pointerY));
    int x = 0, y = 0;
    pointAtTheBall(s, x, y);
    s.add(ScriptEvent::drag(x, y));
    s.add(ScriptEvent::buttonUp(MouseButton::Middle, x, y));
    s.wait(3);
    pullTheBall(s, x, y, true);
}

// Any button pressed anywhere, dragged about and let go, sometimes where no
// window is.
void clickAndDrag(Session& s) {
    const MouseButton button = static_cast<MouseButton>(s.random.below(3));
    int x = s.random.between(-100, s.width + 100), y = s.random.between(-100, s.height + 100);
    s.add(ScriptEvent::buttonDown(button, x, y));
    if (s.random.below(2) == 0) dragAbout(s, x, y);
    s.wait(5);
    s.add(ScriptEvent::buttonUp(button, x, y));
    movePointerTo(s, x, y);
}

// A drag with `button` out and back by the same steps, so that what it turns
// or moves comes back.
void dragThereAndBack(Session& s, MouseButton button) {
    const int x = s.pointerX, y = s.pointerY;
    const int dx = s.random.below(61) - 30, dy = s.random.below(61) - 30;
    s.add(ScriptEvent::buttonDown(button, x, y));
    s.add(ScriptEvent::drag(x + dx, y + dy));
    s.wait(10);
    s.add(ScriptEvent::drag(x, y));
    s.add(ScriptEvent::buttonUp(button, x, y));
}

// Hand mode for a while: the ball is put back over the middle and left to
// land on the platform; the pointer travels onto it (turning nothing), pulls
// it, and the right and middle buttons turn and move the camera out and back.
void useTheHand(Session& s) {
    s.add(ScriptEvent::keyDown('0'));
    s.step += 60 + s.random.below(60);
    s.add(ScriptEvent::keyDown('m'));
    s.add(ScriptEvent::keyUp('m'));
    int x = 0, y = 0;
    pointAtTheBall(s, x, y);
    s.add(ScriptEvent::motion(x, y));
    movePointerTo(s, x, y);
    s.wait(5);
    pullTheBall(s, x, y, false);
    dragThereAndBack(s, MouseButton::Right);
    dragThereAndBack(s, MouseButton::Middle);
    s.add(ScriptEvent::pointerMode(PointerMode::Look));
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
    s.add(ScriptEvent::reshape(width, height));
    s.width = width;
    s.height = height == 0 ? 1 : height;
}

// A stretch of real-time pacing: some steps an idle call (none at all too),
// then the pace ends.
void paceForAWhile(Session& s) {
    s.add(ScriptEvent::pace(s.random.below(9)));
    s.step += 1 + s.random.below(200);
    if (s.random.below(3) == 0) {
        s.add(ScriptEvent::pace(s.random.below(9)));
        s.step += 1 + s.random.below(200);
    }
    s.add(ScriptEvent::pace(ScriptEvent::kPaceOff));
}

// A short pause with a few single steps in it.
void pauseAndStep(Session& s) {
    s.add(ScriptEvent::keyDown('p'));
    const int singleSteps = s.random.below(5);
    for (int i = 0; i < singleSteps; ++i) {
        s.step += 1 + s.random.below(10);
        s.add(ScriptEvent::keyDown('o'));
    }
    s.step += 1 + s.random.below(30);
    s.add(ScriptEvent::keyDown('p'));
}

// Faster or slower for a while, then back to x1.
void changeSpeedForAWhile(Session& s) {
    const unsigned char faster = ']';
    const unsigned char slower = static_cast<unsigned char>(findCharacterKey(faster)->undoneBy);
    const bool speedUp = s.random.below(2) == 0;
    const int levels = 1 + s.random.below(3);
    for (int i = 0; i < levels; ++i) s.add(ScriptEvent::keyDown(speedUp ? faster : slower));
    s.step += 1 + s.random.below(150);
    for (int i = 0; i < levels; ++i) s.add(ScriptEvent::keyDown(speedUp ? slower : faster));
}

// A look back through the past with "," and "." (which pause), then on
// again from the step shown: a new branch there.
void lookBack(Session& s) {
    const int back = 1 + s.random.below(40);
    for (int i = 0; i < back; ++i) {
        s.add(ScriptEvent::keyDown(','));
        s.wait(2);
    }
    const int forward = s.random.below(back + 1);
    for (int i = 0; i < forward; ++i) {
        s.add(ScriptEvent::keyDown('.'));
        s.wait(2);
    }
    s.add(ScriptEvent::keyDown('p'));
}

void showHelp(Session& s) {
    if (s.random.below(2) == 0) {
        s.add(ScriptEvent::specialDown(kSpecialKeyF1));
        ++s.step;
        s.add(ScriptEvent::specialUp(kSpecialKeyF1));
    } else {
        s.add(ScriptEvent::keyDown('h'));
    }
}
}  // namespace

std::string makeSoakScript(std::uint64_t seed, long long steps) {
    Session s(seed);
    const SoakKeys& keys = soakKeys();
    s.comment("soak script: seed " + std::to_string(seed) + ", " + std::to_string(steps) + " idle calls");
    while (s.step < steps) {
        switch (s.random.below(18)) {
        case 0:
        case 1: holdKey(s, *s.random.pick(keys.arrows)); break;
        case 2: holdKey(s, *s.random.pick(keys.ballKeys)); break;
        case 3: flyThereAndBack(s); break;
        case 4: s.add(s.random.pick(keys.oneShots)); break;
        case 5: wanderPointer(s, s.random.below(2) == 0); break;
        case 6: s.add(releaseOf(*s.random.pick(keys.heldKeys))); break;
        case 7:
        case 8: grabTheBall(s); break;
        case 9: clickAndDrag(s); break;
        case 10: resizeWindow(s); break;
        case 11: paceForAWhile(s); break;
        case 12: pauseAndStep(s); break;
        case 13: changeSpeedForAWhile(s); break;
        case 14: showHelp(s); break;
        case 15: useTheHand(s); break;
        case 16: lookBack(s); break;
        default: break;
        }
        s.wait(60);
    }
    return s.text;
}
