#include "world/InputScript.h"

#include <cerrno>
#include <cmath>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/CommandLine.h"
#include "world/Keys.h"
#include "world/Picking.h"
#include "world/Settings.h"
#include "world/World.h"

namespace {
constexpr int kMaxSpecialKeyCode = 65535;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::vector<std::string> splitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i])) ++i;
        const std::size_t start = i;
        while (i < line.size() && !isBlank(line[i])) ++i;
        if (i > start) fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

// The characters a script names rather than writes: a blank would split
// the line, and '#' would start a comment.
struct NamedCode {
    const char* name;
    int code;
};
constexpr NamedCode kNamedKeys[] = {{"space", ' '}, {"esc", kKeyEscape}, {"hash", '#'}, {"tab", '\t'}};
constexpr NamedCode kNamedSpecialKeys[] = {
    {"up", kSpecialKeyUp},     {"down", kSpecialKeyDown}, {"left", kSpecialKeyLeft},
    {"right", kSpecialKeyRight}, {"f1", 1},  {"f2", 2},   {"f3", 3},   {"f4", 4},
    {"f5", 5},   {"f6", 6},   {"f7", 7},   {"f8", 8},   {"f9", 9},   {"f10", 10},
    {"f11", 11}, {"f12", 12}};
constexpr const char* kButtonNames[] = {"left", "middle", "right"};
constexpr const char* kPointerModeNames[] = {"look", "hand"};
constexpr const char* kCompareActionNames[] = {"on", "off", "copy"};

template <std::size_t N>
bool findCode(const NamedCode (&table)[N], const std::string& text, int& code) {
    for (const NamedCode& named : table) {
        if (text == named.name) {
            code = named.code;
            return true;
        }
    }
    return false;
}

template <std::size_t N>
const char* nameOf(const NamedCode (&table)[N], int code) {
    for (const NamedCode& named : table) {
        if (named.code == code) return named.name;
    }
    return nullptr;
}

// The index of `text` among `names`, or -1.
template <std::size_t N>
int indexOf(const char* const (&names)[N], const std::string& text) {
    for (std::size_t i = 0; i < N; ++i) {
        if (text == names[i]) return static_cast<int>(i);
    }
    return -1;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Quotes a field for a message: unprintable bytes are escaped and long
// fields cut short, so that a binary file still gives one readable line.
std::string quoted(const std::string& text) {
    constexpr std::size_t kMaxShown = 40;
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size() && i < kMaxShown; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= ' ' && c <= '~' && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        }
    }
    if (text.size() > kMaxShown) out += "...";
    return out + "\"";
}

// ---------------------------------------------------------------- reading

// A key is one printable character, a name, or any byte as 0xNN.
std::string readKey(const std::string* arguments, ScriptEvent& event) {
    const std::string& text = arguments[0];
    if (findCode(kNamedKeys, text, event.key)) return std::string();
    if (text.size() == 4 && text[0] == '0' && text[1] == 'x' && hexDigit(text[2]) >= 0 && hexDigit(text[3]) >= 0) {
        event.key = hexDigit(text[2]) * 16 + hexDigit(text[3]);
        return std::string();
    }
    const unsigned char c = text.size() == 1 ? static_cast<unsigned char>(text[0]) : 0;
    if (c <= ' ' || c > '~' || c == '#')
        return "bad key " + quoted(text) + " (one printable character other than '#', or space, esc, hash, or 0x00 to 0xff)";
    event.key = c;
    return std::string();
}

std::string readSpecialKey(const std::string* arguments, ScriptEvent& event) {
    const std::string& text = arguments[0];
    if (findCode(kNamedSpecialKeys, text, event.key)) return std::string();
    long long code = 0;
    if (!parseInteger(text, 0, kMaxSpecialKeyCode, code)) {
        return "bad special key " + quoted(text) + " (up, down, left, right, f1 to f12 or 0 to " +
               std::to_string(kMaxSpecialKeyCode) + ")";
    }
    event.key = static_cast<int>(code);
    return std::string();
}

// Two integers, each within [minimum, maximum]; `names` says what they are.
std::string readPair(const char* event, const char* firstName, const char* secondName, const std::string* fields,
                     long long minimum, long long maximum, int& first, int& second) {
    long long values[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        if (!parseInteger(fields[i], minimum, maximum, values[i])) {
            return std::string(event) + " " + (i == 0 ? firstName : secondName) + " " + quoted(fields[i]) +
                   " is not an integer from " + std::to_string(minimum) + " to " + std::to_string(maximum);
        }
    }
    first = static_cast<int>(values[0]);
    second = static_cast<int>(values[1]);
    return std::string();
}

std::string readPosition(const char* event, const std::string* arguments, ScriptEvent& out) {
    return readPair(event, "x", "y", arguments, -kMaxPointerCoordinate, kMaxPointerCoordinate, out.x, out.y);
}

std::string readButtonAndPosition(const char* event, const std::string* arguments, ScriptEvent& out) {
    const int button = indexOf(kButtonNames, arguments[0]);
    if (button < 0) return "bad button " + quoted(arguments[0]) + " (left, middle or right)";
    out.button = static_cast<MouseButton>(button);
    return readPosition(event, arguments + 1, out);
}

std::string readSize(const std::string* arguments, ScriptEvent& event) {
    return readPair("reshape", "width", "height", arguments, 0, kMaxWindowSide, event.width, event.height);
}

std::string readPace(const std::string* arguments, ScriptEvent& event) {
    const std::string& text = arguments[0];
    long long steps = 0;
    if (text == "off") {
        event.steps = ScriptEvent::kPaceOff;
    } else if (parseInteger(text, 0, RunControl::kMostStepsPerIdleCall, steps)) {
        event.steps = static_cast<int>(steps);
    } else {
        return "bad pace " + quoted(text) + " (0 to 8 steps an idle call, or off)";
    }
    return std::string();
}

std::string readSetting(const std::string* arguments, ScriptEvent& event) {
    const Setting* setting = findSetting(arguments[0].c_str());
    if (!setting) return "unknown setting " + quoted(arguments[0]) + " (see orvane-sim --help)";
    double value = 0.0;
    const std::string problem = readSettingValue(*setting, arguments[1], value);
    if (!problem.empty()) return std::string(setting->name) + " " + problem;
    event.setting = static_cast<int>(setting - kSettings);
    event.value = value;
    return std::string();
}

std::string readPointerMode(const std::string* arguments, ScriptEvent& event) {
    const int mode = indexOf(kPointerModeNames, arguments[0]);
    if (mode < 0) return "bad pointer mode " + quoted(arguments[0]) + " (look or hand)";
    event.pointer = static_cast<PointerMode>(mode);
    return std::string();
}

std::string readSeek(const std::string* arguments, ScriptEvent& event) {
    if (!parseInteger(arguments[0], 0, LLONG_MAX, event.target))
        return "seek step " + quoted(arguments[0]) + " is not an integer from 0 to " + std::to_string(LLONG_MAX);
    return std::string();
}

std::string readCompareAction(const std::string* arguments, ScriptEvent& event) {
    const int action = indexOf(kCompareActionNames, arguments[0]);
    if (action < 0) return "bad compare " + quoted(arguments[0]) + " (on, off or copy)";
    event.compare = static_cast<CompareAction>(action);
    return std::string();
}

std::string readLook(const std::string* arguments, ScriptEvent& event) {
    if (!findBallLook(arguments[0], event.look)) return "bad look " + quoted(arguments[0]) + " (classic or jelly)";
    return std::string();
}

std::string readStopwatch(const std::string* arguments, ScriptEvent& event) {
    if (!findStopwatchAction(arguments[0].c_str(), event.stopwatch))
        return "bad stopwatch action " + quoted(arguments[0]) + " (start, stop, reset, auto-on or auto-off)";
    return std::string();
}

// Where the camera stands (any finite place within reach of the pointer's
// numbers) and its two angles in degrees, read as the floats they are.
std::string readCameraPlace(const std::string* arguments, ScriptEvent& event) {
    const char* names[] = {"x", "y", "z", "yaw", "pitch"};
    double values[5] = {};
    for (int i = 0; i < 5; ++i) {
        if (!parseDecimal(arguments[i], -1e6, 1e6, values[i]))
            return std::string("camera ") + names[i] + " " + quoted(arguments[i]) + " is not a number from -1e6 to 1e6";
    }
    event.position = Vec3(values[0], values[1], values[2]);
    event.yaw = static_cast<float>(values[3]);
    event.pitch = static_cast<float>(values[4]);
    return std::string();
}

std::string readNothing(const std::string*, ScriptEvent&) { return std::string(); }

// ---------------------------------------------------------------- writing

std::string exactText(double value) { return exactNumberText(value); }

std::string keyText(const ScriptEvent& event) {
    if (const char* name = nameOf(kNamedKeys, event.key)) return name;
    if (event.key > ' ' && event.key <= '~') return std::string(1, static_cast<char>(event.key));
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02x", event.key & 0xff);
    return hex;
}

std::string specialKeyText(const ScriptEvent& event) {
    if (const char* name = nameOf(kNamedSpecialKeys, event.key)) return name;
    return std::to_string(event.key);
}

std::string positionText(const ScriptEvent& event) { return std::to_string(event.x) + " " + std::to_string(event.y); }

std::string buttonAndPositionText(const ScriptEvent& event) {
    return std::string(kButtonNames[static_cast<int>(event.button)]) + " " + positionText(event);
}

std::string sizeText(const ScriptEvent& event) {
    return std::to_string(event.width) + " " + std::to_string(event.height);
}

std::string paceText(const ScriptEvent& event) {
    return event.steps == ScriptEvent::kPaceOff ? std::string("off") : std::to_string(event.steps);
}

std::string settingText(const ScriptEvent& event) {
    const Setting& setting = kSettings[event.setting];
    return std::string(setting.name) + " " + settingValueText(setting, event.value, exactText);
}

std::string pointerModeText(const ScriptEvent& event) { return kPointerModeNames[static_cast<int>(event.pointer)]; }

std::string seekText(const ScriptEvent& event) { return std::to_string(event.target); }

std::string lookText(const ScriptEvent& event) { return ballLookName(event.look); }

std::string compareActionText(const ScriptEvent& event) { return kCompareActionNames[static_cast<int>(event.compare)]; }

std::string noText(const ScriptEvent&) { return std::string(); }

std::string stopwatchText(const ScriptEvent& event) { return stopwatchActionName(event.stopwatch); }

std::string cameraPlaceText(const ScriptEvent& event) {
    return exactText(event.position.x) + " " + exactText(event.position.y) + " " + exactText(event.position.z) + " " +
           exactText(event.yaw) + " " + exactText(event.pitch);
}

// ---------------------------------------------------------------- delivering

// A fresh world, as at start-up; what belongs to the viewer rather than to
// the experiment stays: the window's size, the panel and help shown, the
// ball's look, no flashes (which a person who must not see them relies on)
// and what the pointer does.
InputResponse restartWorld(World& world) {
    World fresh;
    fresh.window = world.window;
    fresh.display.panelVisible = world.display.panelVisible;
    fresh.display.helpVisible = world.display.helpVisible;
    fresh.display.look = world.display.look;
    fresh.display.noFlashes = world.display.noFlashes;
    fresh.input.pointer = world.input.pointer;
    world = std::move(fresh);
    return InputResponse::Restart;
}

InputResponse placeCamera(World& world, const ScriptEvent& event) {
    world.camera.position = event.position;
    world.camera.yaw = event.yaw;
    world.camera.pitch = event.pitch;
    world.camera.updateVectors();
    return InputResponse::Redraw;
}

// ---------------------------------------------------------------- what changes the simulation

bool simulates(const World&, const ScriptEvent&) { return true; }
bool onlyViews(const World&, const ScriptEvent&) { return false; }

bool keySimulates(const World&, const ScriptEvent& event) {
    const KeyBinding* key = event.kind == ScriptEventKind::KeyDown
                                ? findCharacterKey(static_cast<unsigned char>(event.key))
                                : findSpecialKey(event.key);
    return key && key->simulates;
}

// The left button changes the simulation where it grabs or lets go; the
// others only move the viewer.
bool buttonSimulates(const World& world, const ScriptEvent& event) {
    if (event.button != MouseButton::Left) return false;
    if (event.kind == ScriptEventKind::ButtonUp) return world.grab.active;
    return wouldGrab(world, event.x, event.y);
}

bool dragSimulates(const World& world, const ScriptEvent&) { return world.grab.active; }

// ---------------------------------------------------------------- what reaches compare mode's B

bool reachesB(const ScriptEvent&) { return true; }
bool staysWithA(const ScriptEvent&) { return false; }

// B takes each step with A: the keys of the run and of the timeline are A's.
bool keyReachesB(const ScriptEvent& event) {
    const KeyBinding* key = event.kind == ScriptEventKind::KeyDown || event.kind == ScriptEventKind::KeyUp
                                ? findCharacterKey(static_cast<unsigned char>(event.key))
                                : findSpecialKey(event.key);
    return !key || (key->use != KeyUse::Run && key->use != KeyUse::Time);
}

InputResponse startComparing(World& world, const ScriptEvent& event) {
    switch (event.compare) {
    case CompareAction::On:
        if (!world.compare) world.compare.become(world);
        break;
    case CompareAction::Off: world.compare.reset(); break;
    case CompareAction::Copy: world.compare.become(world); break;
    }
    return InputResponse::Redraw;
}

InputResponse setB(World& world, const ScriptEvent& event) {
    if (world.compare) applySetting(*world.compare, kSettings[event.setting], event.value);
    return InputResponse::None;
}

// B holds the very mass point A holds, pulled to the same place, whatever
// is under the pointer in B.
void shareTheGrab(World& world) {
    World& b = *world.compare;
    const bool reachable = world.grab.active && world.grab.particle < static_cast<int>(b.ball.particles.size());
    b.grab = reachable ? world.grab : Grab();
}

// ---------------------------------------------------------------- the table

struct EventSyntax {
    ScriptEventKind kind;
    const char* name;
    const char* arguments;  // as --help shows them; one word an argument
    const char* help;
    std::string (*read)(const std::string* arguments, ScriptEvent& event);
    std::string (*write)(const ScriptEvent& event);  // the arguments, without the name
    InputResponse (*deliver)(World& world, const ScriptEvent& event);
    bool (*simulates)(const World& world, const ScriptEvent& event);  // see changesSimulation
    bool (*reachesCompare)(const ScriptEvent& event);  // compare mode's B gets it too
};

const EventSyntax kEventSyntax[] = {
    {ScriptEventKind::KeyDown, "key-down", "C",
     "a key pressed: C is one printable character other than '#', or space, esc, hash, tab, or any byte as 0xNN",
     readKey, keyText, [](World& w, const ScriptEvent& e) { return keyDown(w, static_cast<unsigned char>(e.key)); }, keySimulates, keyReachesB},
    {ScriptEventKind::KeyUp, "key-up", "C", "that key released", readKey, keyText,
     [](World& w, const ScriptEvent& e) { return keyUp(w, static_cast<unsigned char>(e.key)); }, onlyViews, keyReachesB},
    {ScriptEventKind::SpecialDown, "special-down", "K",
     "a special key pressed: K is up, down, left, right, f1 to f12 or a GLUT key code from 0 to 65535",
     readSpecialKey, specialKeyText, [](World& w, const ScriptEvent& e) { return specialDown(w, e.key); }, keySimulates, keyReachesB},
    {ScriptEventKind::SpecialUp, "special-up", "K", "that key released", readSpecialKey, specialKeyText,
     [](World& w, const ScriptEvent& e) { return specialUp(w, e.key); }, onlyViews, keyReachesB},
    {ScriptEventKind::Motion, "motion", "X Y",
     "the pointer moved, no button held: X and Y are window pixels from -100000 to 100000, from the top left",
     [](const std::string* a, ScriptEvent& e) { return readPosition("motion", a, e); }, positionText,
     [](World& w, const ScriptEvent& e) { return mouseMotion(w, e.x, e.y); }, onlyViews, reachesB},
    {ScriptEventKind::ButtonDown, "button-down", "B X Y", "a button pressed: B is left, middle or right",
     [](const std::string* a, ScriptEvent& e) { return readButtonAndPosition("button-down", a, e); },
     buttonAndPositionText, [](World& w, const ScriptEvent& e) { return mouseButton(w, e.button, true, e.x, e.y); }, buttonSimulates, reachesB},
    {ScriptEventKind::ButtonUp, "button-up", "B X Y", "that button released",
     [](const std::string* a, ScriptEvent& e) { return readButtonAndPosition("button-up", a, e); },
     buttonAndPositionText, [](World& w, const ScriptEvent& e) { return mouseButton(w, e.button, false, e.x, e.y); }, buttonSimulates, reachesB},
    {ScriptEventKind::Drag, "drag", "X Y", "the pointer moved with a button held",
     [](const std::string* a, ScriptEvent& e) { return readPosition("drag", a, e); }, positionText,
     [](World& w, const ScriptEvent& e) { return mouseDrag(w, e.x, e.y); }, dragSimulates, reachesB},
    {ScriptEventKind::Hover, "hover", "X Y", "the pointer moved over the study panel: only remembered",
     [](const std::string* a, ScriptEvent& e) { return readPosition("hover", a, e); }, positionText,
     [](World& w, const ScriptEvent& e) { return mouseHover(w, e.x, e.y); }, onlyViews, reachesB},
    {ScriptEventKind::Reshape, "reshape", "W H",
     "the window's new size, 0 to 16384 each (a height of 0 counts as 1); pointer positions become rays with the "
     "last one, 640x480 at start",
     readSize, sizeText, [](World& w, const ScriptEvent& e) { return reshape(w, e.width, e.height); }, onlyViews, reachesB},
    {ScriptEventKind::Pace, "pace", "N|off",
     "the next idle calls take N steps each (0 to 8), as --rate asked; off ends the pacing", readPace, paceText,
     [](World& w, const ScriptEvent& e) { return pace(w, e.steps); }, onlyViews, staysWithA},
    {ScriptEventKind::End, "end", "", "the session ended here, as with Esc: the replay stops", readNothing, noText,
     [](World&, const ScriptEvent&) { return InputResponse::Quit; }, onlyViews, staysWithA},
    {ScriptEventKind::Set, "set", "NAME VALUE",
     "a setting (above) from the next step; rings and segments rebuild the ball where it is", readSetting,
     settingText, [](World& w, const ScriptEvent& e) {
         applySetting(w, kSettings[e.setting], e.value);
         return InputResponse::None;
     }, simulates, staysWithA},
    {ScriptEventKind::Defaults, "defaults", "", "every physical setting back to its start value", readNothing, noText,
     [](World& w, const ScriptEvent&) {
         restoreDefaults(w);
         return InputResponse::None;
     }, simulates, staysWithA},
    {ScriptEventKind::Pointer, "pointer", "look|hand",
     "what the pointer does: look turns the camera as it moves (as at start); hand leaves the camera alone, the "
     "left button still grabs, dragging with the right button turns the camera and with the middle one moves it",
     readPointerMode, pointerModeText, [](World& w, const ScriptEvent& e) { return setPointerMode(w, e.pointer); }, onlyViews, reachesB},
    {ScriptEventKind::Seek, "seek", "STEP",
     "show simulation step STEP of the kept past (the timeline's slider, keys , and .) and pause; from there any "
     "input that changes the simulation starts a new branch, dropping what followed",
     readSeek, seekText, [](World& w, const ScriptEvent&) {
         w.run.paused = true;
         return InputResponse::Seek;
     }, onlyViews, staysWithA},
    {ScriptEventKind::Compare, "compare", "on|off|copy",
     "compare mode: on makes a second ball, B, as a copy of A, that every input but the settings reaches; off "
     "ends it; copy makes B a copy of A again",
     readCompareAction, compareActionText, startComparing, simulates, staysWithA},
    {ScriptEventKind::SetB, "set-b", "NAME VALUE", "one of B's settings, as set does for A", readSetting, settingText,
     setB, simulates, staysWithA},
    {ScriptEventKind::Look, "look", "classic|jelly",
     "how the ball is drawn: classic, as it always was, or jelly, a shaded gel with a shadow (key 4)", readLook,
     lookText, [](World& w, const ScriptEvent& e) {
         w.display.look = e.look;
         return InputResponse::Redraw;
     }, onlyViews, reachesB},
    {ScriptEventKind::Restart, "restart", "",
     "a fresh world, as at start-up, so that what follows plays from a clean state; the window's size, the panel, "
     "the help, the ball's look, no flashes and the pointer's mode stay as the viewer has them, and the kept past starts anew",
     readNothing, noText, [](World& w, const ScriptEvent&) { return restartWorld(w); }, simulates, staysWithA},
    {ScriptEventKind::Stopwatch, "stopwatch", "start|stop|reset|auto-on|auto-off",
     "the stopwatch, in model time (steps times the time step): start, stop, reset to 0; auto-on makes it stop by "
     "itself when the ball next touches down after a flight, auto-off no longer",
     readStopwatch, stopwatchText, [](World& w, const ScriptEvent& e) {
         useStopwatch(w.instruments.stopwatch, e.stopwatch);
         return InputResponse::None;
     }, simulates, reachesB},
    {ScriptEventKind::CameraPlace, "camera", "X Y Z YAW PITCH",
     "the camera put at (X, Y, Z), turned YAW degrees (180 at start) and PITCH degrees up, as a set-up saves it",
     readCameraPlace, cameraPlaceText, placeCamera, onlyViews, reachesB},
};

const EventSyntax* findEvent(const std::string& name) {
    for (const EventSyntax& syntax : kEventSyntax) {
        if (name == syntax.name) return &syntax;
    }
    return nullptr;
}

const EventSyntax& syntaxOf(ScriptEventKind kind) {
    for (const EventSyntax& syntax : kEventSyntax) {
        if (syntax.kind == kind) return syntax;
    }
    return kEventSyntax[0];
}

std::size_t argumentCount(const EventSyntax& syntax) { return splitFields(syntax.arguments).size(); }

// Parses the fields of one non-comment line; returns an empty string on
// success, otherwise what is wrong.
std::string parseEventLine(const std::vector<std::string>& fields, ScriptEvent& event) {
    long long step = 0;
    if (!parseInteger(fields[0], 0, LLONG_MAX, step)) {
        return "step " + quoted(fields[0]) + " is not an integer from 0 to " + std::to_string(LLONG_MAX);
    }
    event.step = step;
    if (fields.size() < 2) return "missing event after the step";
    const EventSyntax* syntax = findEvent(fields[1]);
    if (!syntax) return "unknown event " + quoted(fields[1]);
    event.kind = syntax->kind;
    const std::size_t given = fields.size() - 2;
    const std::size_t wanted = argumentCount(*syntax);
    if (given < wanted) return std::string("missing argument for ") + syntax->name;
    if (given > wanted) return "extra field " + quoted(fields[2 + wanted]) + " after " + syntax->name;
    return syntax->read(fields.data() + 2, event);
}

ScriptParseResult failure(const std::string& message) {
    ScriptParseResult result;
    result.ok = false;
    result.error = message;
    return result;
}

ScriptEvent eventOf(ScriptEventKind kind) {
    ScriptEvent event;
    event.kind = kind;
    return event;
}

// Breaks `text` into lines of at most `width` characters, each after `indent`.
std::string wrapped(const std::string& text, std::size_t indent, std::size_t width) {
    std::string out;
    std::size_t column = indent;
    for (const std::string& word : splitFields(text)) {
        if (column > indent && column + 1 + word.size() > width) {
            out += "\n" + std::string(indent, ' ');
            column = indent;
        }
        if (column > indent) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
    }
    return out;
}
}  // namespace

ScriptEvent ScriptEvent::keyDown(unsigned char key) {
    ScriptEvent event = eventOf(ScriptEventKind::KeyDown);
    event.key = key;
    return event;
}

ScriptEvent ScriptEvent::keyUp(unsigned char key) {
    ScriptEvent event = eventOf(ScriptEventKind::KeyUp);
    event.key = key;
    return event;
}

ScriptEvent ScriptEvent::specialDown(int key) {
    ScriptEvent event = eventOf(ScriptEventKind::SpecialDown);
    event.key = key;
    return event;
}

ScriptEvent ScriptEvent::specialUp(int key) {
    ScriptEvent event = eventOf(ScriptEventKind::SpecialUp);
    event.key = key;
    return event;
}

namespace {
ScriptEvent pointerEvent(ScriptEventKind kind, int x, int y) {
    ScriptEvent event = eventOf(kind);
    event.x = x;
    event.y = y;
    return event;
}
}  // namespace

ScriptEvent ScriptEvent::motion(int x, int y) { return pointerEvent(ScriptEventKind::Motion, x, y); }
ScriptEvent ScriptEvent::drag(int x, int y) { return pointerEvent(ScriptEventKind::Drag, x, y); }
ScriptEvent ScriptEvent::hover(int x, int y) { return pointerEvent(ScriptEventKind::Hover, x, y); }

ScriptEvent ScriptEvent::buttonDown(MouseButton button, int x, int y) {
    ScriptEvent event = pointerEvent(ScriptEventKind::ButtonDown, x, y);
    event.button = button;
    return event;
}

ScriptEvent ScriptEvent::buttonUp(MouseButton button, int x, int y) {
    ScriptEvent event = pointerEvent(ScriptEventKind::ButtonUp, x, y);
    event.button = button;
    return event;
}

ScriptEvent ScriptEvent::reshape(int width, int height) {
    ScriptEvent event = eventOf(ScriptEventKind::Reshape);
    event.width = width;
    event.height = height;
    return event;
}

ScriptEvent ScriptEvent::pace(int steps) {
    ScriptEvent event = eventOf(ScriptEventKind::Pace);
    event.steps = steps;
    return event;
}

ScriptEvent ScriptEvent::end() { return eventOf(ScriptEventKind::End); }

ScriptEvent ScriptEvent::set(const Setting& setting, double value) {
    ScriptEvent event = eventOf(ScriptEventKind::Set);
    event.setting = static_cast<int>(&setting - kSettings);
    event.value = value;
    return event;
}

ScriptEvent ScriptEvent::defaults() { return eventOf(ScriptEventKind::Defaults); }

ScriptEvent ScriptEvent::pointerMode(PointerMode mode) {
    ScriptEvent event = eventOf(ScriptEventKind::Pointer);
    event.pointer = mode;
    return event;
}

ScriptEvent ScriptEvent::seek(long long step) {
    ScriptEvent event = eventOf(ScriptEventKind::Seek);
    event.target = step;
    return event;
}

ScriptEvent ScriptEvent::compareMode(CompareAction action) {
    ScriptEvent event = eventOf(ScriptEventKind::Compare);
    event.compare = action;
    return event;
}

ScriptEvent ScriptEvent::setB(const Setting& setting, double value) {
    ScriptEvent event = set(setting, value);
    event.kind = ScriptEventKind::SetB;
    return event;
}

ScriptEvent ScriptEvent::ballLook(BallLook look) {
    ScriptEvent event = eventOf(ScriptEventKind::Look);
    event.look = look;
    return event;
}

ScriptEvent ScriptEvent::restart() { return eventOf(ScriptEventKind::Restart); }

ScriptEvent ScriptEvent::stopwatchAction(StopwatchAction action) {
    ScriptEvent event = eventOf(ScriptEventKind::Stopwatch);
    event.stopwatch = action;
    return event;
}

ScriptEvent ScriptEvent::cameraPlace(const Camera& camera) {
    ScriptEvent event = eventOf(ScriptEventKind::CameraPlace);
    event.position = camera.position;
    event.yaw = camera.yaw;
    event.pitch = camera.pitch;
    return event;
}

ScriptEvent ScriptEvent::at(long long at) const {
    ScriptEvent event = *this;
    event.step = at;
    return event;
}

// The written line holds exactly what the kind uses, values to the last bit.
bool operator==(const ScriptEvent& a, const ScriptEvent& b) {
    return a.kind == b.kind && formatScriptEvent(a) == formatScriptEvent(b);
}

std::string exactNumberText(double value) {
    // Whole numbers as people write them ("10", not "1e+01").
    constexpr double kWholeUpTo = 1e15;
    const bool negativeZero = value == 0.0 && std::signbit(value);
    if (value > -kWholeUpTo && value < kWholeUpTo && value == std::trunc(value) && !negativeZero)
        return std::to_string(static_cast<long long>(value));
    char text[40];
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value) break;
    }
    return text;
}

ScriptParseResult parseInputScript(const std::string& text, const std::string& name) {
    ScriptParseResult result;
    long long previousStep = 0;
    int lineNumber = 0;
    std::size_t lineStart = 0;
    while (lineStart < text.size()) {
        std::size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string::npos) lineEnd = text.size();
        std::string line = text.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();  // CRLF line ends

        const std::vector<std::string> fields = splitFields(line);
        if (fields.empty() || fields[0][0] == '#') continue;  // blank line or comment

        ScriptEvent event;
        event.line = lineNumber;
        const std::string problem = parseEventLine(fields, event);
        const std::string where = name + ":" + std::to_string(lineNumber) + ": ";
        if (!problem.empty()) return failure(where + problem);
        if (event.step < previousStep) {
            return failure(where + "step " + std::to_string(event.step) + " is smaller than the step " +
                           std::to_string(previousStep) + " before it");
        }
        previousStep = event.step;
        result.events.push_back(event);
    }
    return result;
}

ScriptParseResult loadInputScript(const std::string& path) {
    const bool fromStdin = path == "-";
    const std::string name = fromStdin ? std::string("<stdin>") : path;
    std::FILE* file = fromStdin ? stdin : std::fopen(path.c_str(), "rb");
    if (!file) return failure(name + ": cannot open: " + std::strerror(errno));

    std::string text;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    const bool readFailed = std::ferror(file) != 0;
    const int readErrno = errno;
    if (!fromStdin) std::fclose(file);
    if (readFailed) return failure(name + ": cannot read: " + std::strerror(readErrno));
    return parseInputScript(text, name);
}

InputResponse deliverScriptEvent(World& world, const ScriptEvent& event) {
    const EventSyntax& syntax = syntaxOf(event.kind);
    const InputResponse response = syntax.deliver(world, event);
    if (world.compare && syntax.reachesCompare(event)) {
        syntax.deliver(*world.compare, event);
        shareTheGrab(world);
    }
    return response;
}

bool changesSimulation(const World& world, const ScriptEvent& event) {
    return syntaxOf(event.kind).simulates(world, event);
}

std::string formatScriptEvent(const ScriptEvent& event) {
    const EventSyntax& syntax = syntaxOf(event.kind);
    std::string line = std::to_string(event.step) + " " + syntax.name;
    const std::string arguments = syntax.write(event);
    return arguments.empty() ? line : line + " " + arguments;
}

std::string scriptEventsUsage() {
    constexpr std::size_t kHelpColumn = 24;
    constexpr std::size_t kWidth = 79;
    std::string text;
    for (const EventSyntax& syntax : kEventSyntax) {
        std::string head = std::string("  ") + syntax.name + (*syntax.arguments ? " " : "") + syntax.arguments;
        head += head.size() < kHelpColumn ? std::string(kHelpColumn - head.size(), ' ') : "\n" + std::string(kHelpColumn, ' ');
        text += head + wrapped(syntax.help, kHelpColumn, kWidth) + "\n";
    }
    return text;
}
