#pragma once

#include <string>
#include <vector>

// The command lines of the program and its companions: "--name value" or
// "--name=value" for options that take a value, "--name" alone for switches.

struct CommandLineOption {
    std::string name;   // "--steps"
    std::string value;  // empty for a switch
    std::string given;  // the argument as typed, for messages
};

struct CommandLineSyntax {
    std::vector<std::string> switches;  // "--help", ...
    std::vector<std::string> valued;    // options that take a value
};

// Reads argv[1..] into `options`, in order. Returns an empty string when
// every argument is a known option with its value, else what is wrong.
std::string readCommandLine(int argc, char** argv, const CommandLineSyntax& syntax,
                            std::vector<CommandLineOption>& options);

// A whole decimal number from `minimum` to `maximum`: digits only, with a
// leading '-' or '+' only where the range has negative numbers. Refuses
// anything else, overflow included, and then leaves `value` alone. Scripts
// and command lines read every whole number with it.
bool parseInteger(const std::string& text, long long minimum, long long maximum, long long& value);

// A decimal number ("60", "-0.5", "2.5e3") from `minimum` to `maximum`:
// nothing else, no blanks, no "inf" or "nan". Leaves `value` alone and
// returns false for anything else.
bool parseDecimal(const std::string& text, double minimum, double maximum, double& value);
