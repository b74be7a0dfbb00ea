#pragma once

#include <string>
#include <vector>

#include "world/Input.h"

// Every key of the window in one table: what it is, whether it is held or
// acts once, what it does and its line in the help. The key handlers, the
// help overlay, --help, the soak generator and the tests all read it.

// Where a binding's input comes from.
enum class KeySource {
    Character,  // keyDown / keyUp with a character code
    Special,    // specialDown / specialUp with GLUT's key code
    Pointer,    // not a key: a line of help about the mouse
};

// What kind of control it is, for whoever drives the keys without a person
// (the soak generator) and the tests.
enum class KeyUse {
    Hold,     // held: sets its flag (and its group's gate) until released
    Show,     // switches what is shown; pressing it again switches back
    Act,      // changes the world once: rebuilds, lightning
    Run,      // pause, one step, speed
    Time,     // a step back or forward through the kept past
    Window,   // the study panel
    Pointer,  // what the pointer does
    Quit,     // ends the program
    Help,     // a pointer line of the help; no key
};

struct KeyBinding {
    KeySource source;
    int code;                 // the character or special key; unused for Pointer
    KeyUse use;
    bool simulates;           // pressing it changes the simulation (at a past moment: a new branch)
    bool repeats;             // held, it acts again at the key repeat rate
    bool InputState::*held;   // Hold: the flag the key holds set
    bool InputState::*group;  // Hold: the group's gate, or null
    InputResponse (*press)(World& world);  // every other key: what pressing it does
    int undoneBy;             // the key of the same source that takes it back, or 0
    const char* helpInput;    // its help line; keys of one line share it
    const char* helpEffect;
};

extern const KeyBinding kKeyBindings[];
extern const std::size_t kKeyBindingCount;

// The binding of a character or special key, or null when it is unbound.
const KeyBinding* findCharacterKey(unsigned char key);
const KeyBinding* findSpecialKey(int key);

// The help's lines, in the table's order: each key (or pointer line) once,
// keys that share a line together.
struct ControlHelp {
    const char* input;
    const char* effect;
};
std::vector<ControlHelp> controlHelp();

// The help's lines as text, one "  INPUT          EFFECT" line each, for --help.
std::string controlsUsage();
