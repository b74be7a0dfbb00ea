#include "cli/CommandLine.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace {
bool listed(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}
}  // namespace

std::string readCommandLine(int argc, char** argv, const CommandLineSyntax& syntax,
                            std::vector<CommandLineOption>& options) {
    for (int i = 1; i < argc; ++i) {
        CommandLineOption option{argv[i], std::string(), argv[i]};
        if (listed(syntax.switches, option.name)) {
            options.push_back(option);
            continue;
        }
        const std::size_t equals = option.name.find('=');
        const bool inlineValue = option.name.compare(0, 2, "--") == 0 && equals != std::string::npos;
        if (inlineValue) {
            option.value = option.name.substr(equals + 1);
            option.name.resize(equals);
        }
        if (!listed(syntax.valued, option.name)) return "unknown option \"" + option.given + "\" (see --help)";
        if (!inlineValue) {
            if (i + 1 >= argc) return "missing value for " + option.name;
            option.value = argv[++i];
        }
        options.push_back(option);
    }
    return std::string();
}

bool parseInteger(const std::string& text, long long minimum, long long maximum, long long& value) {
    std::size_t i = 0;
    bool negative = false;
    if (minimum < 0 && i < text.size() && (text[i] == '-' || text[i] == '+')) {
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
    if (result < minimum || result > maximum) return false;
    value = result;
    return true;
}

bool parseDecimal(const std::string& text, double minimum, double maximum, double& value) {
    if (text.empty()) return false;
    for (const char c : text) {
        const bool allowed = (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
        if (!allowed) return false;
    }
    char* end = nullptr;
    const double result = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(result)) return false;
    if (result < minimum || result > maximum) return false;
    value = result;
    return true;
}
