#include "world/InputScript.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/CommandLine.h"
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

// Decimal digits only, with an optional leading '-' when allowed. Refuses
// anything that does not fit in [min, max], overflow included.
bool parseInteger(const std::string& text, bool allowSign, long long min, long long max,
                  long long& value) {
    std::size_t i = 0;
    bool negative = false;
    if (allowSign && i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) return false;
    // Accumulate towards the sign so that the range check never overflows.
    long long result = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return false;
        const int digit = c - '0';
        if (negative) {
            if (result < (LLONG_MIN + digit) / 10) return false;
            result = result * 10 - digit;
        } else {
            if (result > (LLONG_MAX - digit) / 10) return false;
            result = result * 10 + digit;
        }
    }
    if (result < min || result > max) return false;
    value = result;
    return true;
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

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A key is one printable character, a name, or any byte as 0xNN.
bool parseKeyCharacter(const std::string& text, int& code) {
    if (findCode(kNamedKeys, text, code)) return true;
    if (text.size() == 4 && text[0] == '0' && text[1] == 'x' && hexDigit(text[2]) >= 0 && hexDigit(text[3]) >= 0) {
        code = hexDigit(text[2]) * 16 + hexDigit(text[3]);
        return true;
    }
    if (text.size() != 1) return false;
    const unsigned char c = static_cast<unsigned char>(text[0]);
    if (c <= ' ' || c > '~' || c == '#') return false;
    code = c;
    return true;
}

bool parseSpecialKey(const std::string& text, int& code) {
    if (findCode(kNamedSpecialKeys, text, code)) return true;
    long long value = 0;
    if (!parseInteger(text, false, 0, kMaxSpecialKeyCode, value)) return false;
    code = static_cast<int>(value);
    return true;
}

bool parseButton(const std::string& text, MouseButton& button) {
    for (int i = 0; i < 3; ++i) {
        if (text == kButtonNames[i]) {
            button = static_cast<MouseButton>(i);
            return true;
        }
    }
    return false;
}

struct EventSyntax {
    const char* name;
    ScriptEventKind kind;
    std::size_t argumentCount;
};

constexpr EventSyntax kEventSyntax[] = {
    {"key-down", ScriptEventKind::KeyDown, 1},
    {"key-up", ScriptEventKind::KeyUp, 1},
    {"special-down", ScriptEventKind::SpecialDown, 1},
    {"special-up", ScriptEventKind::SpecialUp, 1},
    {"motion", ScriptEventKind::Motion, 2},
    {"button-down", ScriptEventKind::ButtonDown, 3},
    {"button-up", ScriptEventKind::ButtonUp, 3},
    {"drag", ScriptEventKind::Drag, 2},
    {"hover", ScriptEventKind::Hover, 2},
    {"reshape", ScriptEventKind::Reshape, 2},
    {"pace", ScriptEventKind::Pace, 1},
    {"end", ScriptEventKind::End, 0},
    {"set", ScriptEventKind::Set, 2},
    {"defaults", ScriptEventKind::Defaults, 0},
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

// Two integers, each within [minimum, maximum]; `names` says what they are.
struct PairNames {
    const char* first;
    const char* second;
};
constexpr PairNames kPosition = {"x", "y"};
constexpr PairNames kSize = {"width", "height"};

std::string parsePair(const char* event, PairNames names, const std::string* fields, long long minimum,
                      long long maximum, int& a, int& b) {
    long long values[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        if (!parseInteger(fields[i], minimum < 0, minimum, maximum, values[i])) {
            return std::string(event) + " " + (i == 0 ? names.first : names.second) + " " + quoted(fields[i]) +
                   " is not an integer from " + std::to_string(minimum) + " to " + std::to_string(maximum);
        }
    }
    a = static_cast<int>(values[0]);
    b = static_cast<int>(values[1]);
    return std::string();
}

std::string parseSetting(const std::string* arguments, ScriptEvent& event) {
    const Setting* setting = findSetting(arguments[0].c_str());
    if (!setting) return "unknown setting " + quoted(arguments[0]) + " (see orvane-sim --help)";
    double value = 0.0;
    const std::string problem = readSettingValue(*setting, arguments[1], value);
    if (!problem.empty()) return std::string(setting->name) + " " + problem;
    event.setting = static_cast<int>(setting - kSettings);
    event.value = value;
    return std::string();
}

std::string parseArguments(const EventSyntax& syntax, const std::string* arguments, ScriptEvent& event) {
    const std::string& first = arguments[0];
    switch (syntax.kind) {
    case ScriptEventKind::KeyDown:
    case ScriptEventKind::KeyUp:
        if (!parseKeyCharacter(first, event.code)) {
            return "bad key " + quoted(first) +
                   " (one printable character other than '#', or space, esc, hash, or 0x00 to 0xff)";
        }
        return std::string();
    case ScriptEventKind::SpecialDown:
    case ScriptEventKind::SpecialUp:
        if (!parseSpecialKey(first, event.code)) {
            return "bad special key " + quoted(first) + " (up, down, left, right, f1 to f12 or 0 to " +
                   std::to_string(kMaxSpecialKeyCode) + ")";
        }
        return std::string();
    case ScriptEventKind::Motion:
    case ScriptEventKind::Drag:
    case ScriptEventKind::Hover:
        return parsePair(syntax.name, kPosition, arguments, -kMaxPointerCoordinate, kMaxPointerCoordinate, event.x,
                         event.y);
    case ScriptEventKind::ButtonDown:
    case ScriptEventKind::ButtonUp:
        if (!parseButton(first, event.button)) return "bad button " + quoted(first) + " (left, middle or right)";
        return parsePair(syntax.name, kPosition, arguments + 1, -kMaxPointerCoordinate, kMaxPointerCoordinate,
                         event.x, event.y);
    case ScriptEventKind::Reshape:
        return parsePair(syntax.name, kSize, arguments, 0, kMaxWindowSide, event.x, event.y);
    case ScriptEventKind::Pace: {
        long long steps = 0;
        if (first == "off") {
            event.code = -1;
        } else if (parseInteger(first, false, 0, RunControl::kMostStepsPerIdleCall, steps)) {
            event.code = static_cast<int>(steps);
        } else {
            return "bad pace " + quoted(first) + " (0 to 8 steps an idle call, or off)";
        }
        return std::string();
    }
    case ScriptEventKind::Set: return parseSetting(arguments, event);
    case ScriptEventKind::End:
    case ScriptEventKind::Defaults: return std::string();
    }
    return std::string();
}

// Parses the fields of one non-comment line; returns an empty string on
// success, otherwise what is wrong.
std::string parseEventLine(const std::vector<std::string>& fields, ScriptEvent& event) {
    long long step = 0;
    if (!parseInteger(fields[0], false, 0, LLONG_MAX, step)) {
        return "step " + quoted(fields[0]) + " is not an integer from 0 to " +
               std::to_string(LLONG_MAX);
    }
    event.step = step;
    if (fields.size() < 2) return "missing event after the step";
    const EventSyntax* syntax = findEvent(fields[1]);
    if (!syntax) return "unknown event " + quoted(fields[1]);
    event.kind = syntax->kind;
    const std::size_t given = fields.size() - 2;
    if (given < syntax->argumentCount) {
        return std::string("missing argument for ") + syntax->name;
    }
    if (given > syntax->argumentCount) {
        return "extra field " + quoted(fields[2 + syntax->argumentCount]) + " after " +
               syntax->name;
    }
    return parseArguments(*syntax, fields.data() + 2, event);
}

std::string keyText(int code) {
    if (const char* name = nameOf(kNamedKeys, code)) return name;
    if (code > ' ' && code <= '~') return std::string(1, static_cast<char>(code));
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02x", code & 0xff);
    return hex;
}

// The shortest "%g" text that reads back as the very same double.
std::string exactText(double value) {
    char text[40];
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value) break;
    }
    return text;
}

std::string specialKeyText(int code) {
    if (const char* name = nameOf(kNamedSpecialKeys, code)) return name;
    return std::to_string(code);
}

ScriptParseResult failure(const std::string& message) {
    ScriptParseResult result;
    result.ok = false;
    result.error = message;
    return result;
}
}  // namespace

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
            return failure(where + "step " + std::to_string(event.step) +
                           " is smaller than the step " + std::to_string(previousStep) +
                           " before it");
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
    switch (event.kind) {
    case ScriptEventKind::KeyDown: return keyDown(world, static_cast<unsigned char>(event.code));
    case ScriptEventKind::KeyUp: return keyUp(world, static_cast<unsigned char>(event.code));
    case ScriptEventKind::SpecialDown: return specialDown(world, event.code);
    case ScriptEventKind::SpecialUp: return specialUp(world, event.code);
    case ScriptEventKind::Motion: return mouseMotion(world, event.x, event.y);
    case ScriptEventKind::ButtonDown: return mouseButton(world, event.button, true, event.x, event.y);
    case ScriptEventKind::ButtonUp: return mouseButton(world, event.button, false, event.x, event.y);
    case ScriptEventKind::Drag: return mouseDrag(world, event.x, event.y);
    case ScriptEventKind::Hover: return mouseHover(world, event.x, event.y);
    case ScriptEventKind::Reshape: return reshape(world, event.x, event.y);
    case ScriptEventKind::Pace: return pace(world, event.code);
    case ScriptEventKind::End: return InputResponse::Quit;
    case ScriptEventKind::Set:
        applySetting(world, kSettings[event.setting], event.value);
        return InputResponse::None;
    case ScriptEventKind::Defaults:
        restoreDefaults(world);
        return InputResponse::None;
    }
    return InputResponse::None;
}

ScriptEvent settingEvent(const Setting& setting, double value, long long step) {
    ScriptEvent event;
    event.step = step;
    event.kind = ScriptEventKind::Set;
    event.setting = static_cast<int>(&setting - kSettings);
    event.value = value;
    return event;
}

std::string formatScriptEvent(const ScriptEvent& event) {
    std::string line = std::to_string(event.step) + " " + syntaxOf(event.kind).name;
    const std::string position = " " + std::to_string(event.x) + " " + std::to_string(event.y);
    switch (event.kind) {
    case ScriptEventKind::KeyDown:
    case ScriptEventKind::KeyUp: return line + " " + keyText(event.code);
    case ScriptEventKind::SpecialDown:
    case ScriptEventKind::SpecialUp: return line + " " + specialKeyText(event.code);
    case ScriptEventKind::Motion:
    case ScriptEventKind::Drag:
    case ScriptEventKind::Hover:
    case ScriptEventKind::Reshape: return line + position;
    case ScriptEventKind::ButtonDown:
    case ScriptEventKind::ButtonUp:
        return line + " " + kButtonNames[static_cast<int>(event.button)] + position;
    case ScriptEventKind::Pace: return line + " " + (event.code < 0 ? std::string("off") : std::to_string(event.code));
    case ScriptEventKind::Set: return line + " " + kSettings[event.setting].name + " " + exactText(event.value);
    case ScriptEventKind::End:
    case ScriptEventKind::Defaults: return line;
    }
    return line;
}
