#include "shell/Options.h"

#include <cstdio>

#include "cli/CommandLine.h"
#include "world/InputScript.h"
#include "world/Keys.h"
#include "world/Settings.h"

namespace {
constexpr double kFastestRate = 10000.0;

// GLUT's own options and whether each takes a value.
struct GlutOption {
    const char* name;
    bool takesValue;
};
constexpr GlutOption kGlutOptions[] = {{"-display", true}, {"-geometry", true}, {"-iconic", false},
                                       {"-indirect", false}, {"-direct", false},  {"-gldebug", false},
                                       {"-sync", false}};

const GlutOption* glutOption(const std::string& argument) {
    for (const GlutOption& option : kGlutOptions) {
        if (argument == option.name) return &option;
    }
    return nullptr;
}

std::string applyOption(const CommandLineOption& option, WindowOptions& options) {
    if (const Setting* setting = findSettingOption(option.name)) {
        ScriptEvent event;
        const std::string problem = readSettingOption(*setting, option.value, event);
        if (!problem.empty()) return problem;
        options.settings.push_back(event);
    } else if (option.name == "--hand") {
        options.hand = true;
    } else if (option.name == "--no-flashes") {
        options.noFlashes = true;
    } else if (option.name == "--look") {
        if (!findBallLook(option.value, options.look))
            return "--look needs classic or jelly, not \"" + option.value.substr(0, 40) + "\"";
    } else if (option.name == "--compare") {
        options.compare.clear();
        return readCompareOption(option.value, options.compare);
    } else if (option.name == "--timeline-memory") {
        return readTimelineMemory(option.value, options.timelineBytes);
    } else if (option.name == "--help") {
        options.help = true;
    } else if (option.name == "--version") {
        options.version = true;
    } else if (option.name == "--rate") {
        if (!parseDecimal(option.value, 0.0, kFastestRate, options.rateHz) || options.rateHz <= 0.0)
            return "--rate needs a number of steps a second above 0 and up to 10000, not \"" + option.value + "\"";
    } else if (option.value.empty()) {
        return "empty file name for " + option.name;
    } else if (option.name == "--record") {
        options.recordPath = option.value;
    } else {
        options.replayPath = option.value;
    }
    return std::string();
}
}  // namespace

std::string readWindowOptions(int argc, char** argv, WindowOptions& options) {
    // GLUT's options are set aside for glutInit; the rest are ours.
    std::vector<char*> ours = {argv[0]};
    options.glutArguments = {argv[0]};
    for (int i = 1; i < argc; ++i) {
        const GlutOption* glut = glutOption(argv[i]);
        if (!glut) {
            ours.push_back(argv[i]);
            continue;
        }
        options.glutArguments.push_back(argv[i]);
        if (glut->takesValue) {
            if (i + 1 >= argc) return std::string("missing value for ") + argv[i];
            options.glutArguments.push_back(argv[++i]);
        }
    }
    std::vector<CommandLineOption> given;
    CommandLineSyntax syntax{{"--help", "--hand", "--no-flashes", "--version"},
                             {"--rate", "--record", "--replay", "--timeline-memory", "--compare", "--look"}};
    addSettingOptions(syntax);
    const std::string error = readCommandLine(static_cast<int>(ours.size()), ours.data(), syntax, given);
    if (!error.empty()) return error;
    for (const CommandLineOption& option : given) {
        const std::string problem = applyOption(option, options);
        if (!problem.empty()) return problem;
    }
    return std::string();
}

std::string windowUsage() {
    std::string text =
        "usage: orvane [--rate HZ] [--hand] [--no-flashes] [--look LOOK]\n"
        "              [--timeline-memory MB]\n"
        "              [--compare LIST] [--record FILE] [--replay FILE] [settings]\n"
        "              [GLUT options]\n"
        "\n"
        "A soft ball on a tilting board. Its pictures come from pics/ in the working\n"
        "directory, else from the installed ones, else from the build tree's.\n"
        "\n"
        "  --rate HZ      keep the simulation to wall-clock time: HZ steps a second\n"
        "                 (at most 8 in one frame), the same speed on any machine;\n"
        "                 without it, one step a frame\n"
        "  --hand         start with the pointer in hand mode (key m): moving it turns\n"
        "                 nothing, the right button drags to turn the camera\n"
        "  --no-flashes   lightning without flashes (key n): the bolts are drawn faint,\n"
        "                 the sky never lights up\n"
        "  --look LOOK    how the ball is drawn (key 4): classic, as it always was (the\n"
        "                 default), or jelly, a shaded gel with a shadow under it\n"
        "  --timeline-memory MB\n"
        "                 what the kept past may take (default 64; 0: no timeline):\n"
        "                 keys , and . and the study panel's slider go back and forth\n"
        "                 through it\n"
        "  --compare NAME=VALUE,...\n"
        "                 compare mode from the start: a second ball, B, drawn as an\n"
        "                 orange ghost, under the same input, with these of its\n"
        "                 settings changed (NAME as in scripts; none: B as A)\n"
        "  --record FILE  write every input of the session to FILE as an input script\n"
        "                 (replay it with orvane-sim --input, orvane-capture or\n"
        "                 orvane --replay)\n"
        "  --replay FILE  play an input script in the window, then hand the controls\n"
        "                 over\n"
        "  --help         this text\n"
        "  --version      the version, and the commit it was built from\n"
        "GLUT's options (-display, -geometry, ...) are passed to GLUT. An option\n"
        "given twice takes its last value; --opt=VALUE works as well.\n"
        "\n"
        "The ball's settings, also on the study panel (Tab): option, name in\n"
        "scripts, what it is, range and unit, value at start:\n" +
        settingsUsage() +
        "\n"
        "Controls:\n";
    text += controlsUsage();
    text += "\nExit status: 0 after Esc or closing the window, 2 bad option or script.\n";
    return text;
}
