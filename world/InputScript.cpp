#include "world/InputScript.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "world/World.h"

namespace {
constexpr int kMaxSpecialKeyCode = 65535;
constexpr long long kMaxPointerCoordinate = 100000;

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

bool parseKeyCharacter(const std::string& text, int& code) {
    if (text == "space") { code = ' '; return true; }
    if (text == "esc") { code = kKeyEscape; return true; }
    if (text == "hash") { code = '#'; return true; }
    if (text.size() != 1) return false;
    const unsigned char c = static_cast<unsigned char>(text[0]);
    // '#' is spelled "hash" so that a key can never be mistaken for a comment.
    if (c <= ' ' || c > '~' || c == '#') return false;
    code = c;
    return true;
}

bool parseSpecialKey(const std::string& text, int& code) {
    if (text == "up") { code = kSpecialKeyUp; return true; }
    if (text == "down") { code = kSpecialKeyDown; return true; }
    if (text == "left") { code = kSpecialKeyLeft; return true; }
    if (text == "right") { code = kSpecialKeyRight; return true; }
    long long value = 0;
    if (!parseInteger(text, false, 0, kMaxSpecialKeyCode, value)) return false;
    code = static_cast<int>(value);
    return true;
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
};

const EventSyntax* findEvent(const std::string& name) {
    for (const EventSyntax& syntax : kEventSyntax) {
        if (name == syntax.name) return &syntax;
    }
    return nullptr;
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
    const std::string& first = fields[2];
    switch (syntax->kind) {
    case ScriptEventKind::KeyDown:
    case ScriptEventKind::KeyUp:
        if (!parseKeyCharacter(first, event.code)) {
            return "bad key " + quoted(first) +
                   " (one printable character other than '#', or space, esc, hash)";
        }
        break;
    case ScriptEventKind::SpecialDown:
    case ScriptEventKind::SpecialUp:
        if (!parseSpecialKey(first, event.code)) {
            return "bad special key " + quoted(first) + " (up, down, left, right or 0 to " +
                   std::to_string(kMaxSpecialKeyCode) + ")";
        }
        break;
    case ScriptEventKind::Motion: {
        long long coordinate[2] = {0, 0};
        for (int i = 0; i < 2; ++i) {
            const std::string& text = fields[2 + i];
            if (!parseInteger(text, true, -kMaxPointerCoordinate, kMaxPointerCoordinate,
                              coordinate[i])) {
                return std::string("motion ") + (i == 0 ? "x " : "y ") + quoted(text) +
                       " is not an integer from -100000 to 100000";
            }
        }
        event.x = static_cast<int>(coordinate[0]);
        event.y = static_cast<int>(coordinate[1]);
        break;
    }
    }
    return std::string();
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
    }
    return InputResponse::None;
}
