// orvane-capture: runs the program in its window (on a private Xvfb when no
// display is set), replays an input script through the real handlers and
// writes PNG screenshots of chosen frames.
#include <GL/freeglut.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "shell/Window.h"
#include "cli/CommandLine.h"
#include "cli/Version.h"
#include "tools/capture/CaptureUsage.h"
#include "tools/window/HeadlessDisplay.h"
#include "tools/common/PngWriter.h"
#include "tools/window/FrameReadback.h"
#include "tools/window/WindowSession.h"
#include "world/InputScript.h"
#include "world/ScriptPlayer.h"

namespace {
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct Options {
    std::vector<long long> frames;  // sorted, without repeats
    std::string input;              // empty: no events
    std::string outDir = ".";
    bool help = false;
    bool version = false;
};

std::string parseFrameList(const std::string& list, std::vector<long long>& frames) {
    std::set<long long> unique;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = list.find(',', start);
        const std::string item = list.substr(start, comma == std::string::npos ? comma : comma - start);
        long long frame = 0;
        if (!parseInteger(item, 1, LLONG_MAX, frame))
            return "--frames: \"" + item + "\" is not a frame number (1 or more)";
        unique.insert(frame);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    frames.assign(unique.begin(), unique.end());
    return std::string();
}

// Returns an empty string when the command line is good, else what is wrong.
std::string parseOptions(int argc, char** argv, Options& options) {
    std::vector<CommandLineOption> given;
    const std::string error = readCommandLine(argc, argv, {{"--help", "--version"}, {"--frames", "--input", "--out"}}, given);
    if (!error.empty()) return error;
    bool framesGiven = false;
    for (const CommandLineOption& option : given) {
        if (option.name == "--help") {
            options.help = true;
        } else if (option.name == "--version") {
            options.version = true;
        } else if (option.name == "--frames") {
            const std::string frameError = parseFrameList(option.value, options.frames);
            if (!frameError.empty()) return frameError;
            framesGiven = true;
        } else if (option.value.empty()) {
            return "empty value for " + option.name;
        } else if (option.name == "--input") {
            options.input = option.value;
        } else {
            options.outDir = option.value;
        }
    }
    if (!framesGiven && !options.help && !options.version) return "--frames is required (see --help)";
    return std::string();
}

std::string framePath(const std::string& dir, long long frame) {
    char name[40];
    std::snprintf(name, sizeof name, "frame_%05lld.png", frame);
    return (std::filesystem::path(dir) / name).string();
}

// What the frame hook needs to know about the run.
struct Capture {
    Options options;
    std::vector<ScriptEvent> events;
    long long currentIdleCall = 0;  // 1-based while its events and idle() run, else 0
    bool inIdle = false;            // idle() is drawing; key handlers draw frames too
    std::size_t nextFrame = 0;      // index into options.frames
    std::string writeError;
};
Capture capture;

bool requested(long long idleCall) {
    return capture.nextFrame < capture.options.frames.size() &&
           capture.options.frames[capture.nextFrame] == idleCall;
}

// Frames drawn by key handlers or on exposure are not idle frames and are
// not saved.
void saveRequestedFrame() {
    if (!capture.inIdle || !requested(capture.currentIdleCall)) return;
    const RgbFrame frame = readBackBuffer();
    const std::string path = framePath(capture.options.outDir, capture.currentIdleCall);
    std::string error;
    if (!writeRgbPngBottomUp(path, frame.width, frame.height, frame.pixels.data(), error)) {
        capture.writeError = error;
        return;
    }
    std::fprintf(stderr, "orvane-capture: frame %lld -> %s\n", capture.currentIdleCall,
                 path.c_str());
    ++capture.nextFrame;
}

void reportUnreachedFrames() {
    std::string missing;
    for (std::size_t i = capture.nextFrame; i < capture.options.frames.size(); ++i) {
        if (!missing.empty()) missing += ", ";
        missing += std::to_string(capture.options.frames[i]);
    }
    std::fprintf(stderr, "orvane-capture: esc before idle call %lld; frames not reached: %s\n",
                 capture.currentIdleCall, missing.c_str());
}

int runCapture(char* programName) {
    static HeadlessDisplay headlessDisplay;
    if (!headlessDisplay.start()) {
        std::fprintf(stderr, "orvane-capture: no display: %s\n", headlessDisplay.error().c_str());
        return kExitFailure;
    }

    int glutArgc = 1;
    char* glutArgv[] = {programName, nullptr};
    startUpDriven(&glutArgc, glutArgv);
    windowHooks().frameDrawn = saveRequestedFrame;

    if (!waitUntilShown()) {
        std::fprintf(stderr, "orvane-capture: the window was not shown within 10 s\n");
        return kExitFailure;
    }

    ScriptPlayer player(std::move(capture.events));
    const long long lastFrame = capture.options.frames.back();
    for (long long idleCall = 1; idleCall <= lastFrame; ++idleCall) {
        pumpWindowEvents();
        capture.currentIdleCall = idleCall;
        // Script steps count idle calls from 0.
        if (!player.deliverEventsBefore(windowSession(), idleCall - 1, showScriptResponse)) {
            reportUnreachedFrames();
            break;
        }
        capture.inIdle = true;
        idle();
        capture.inIdle = false;
        capture.currentIdleCall = 0;
        if (!capture.writeError.empty()) {
            std::fprintf(stderr, "orvane-capture: %s\n", capture.writeError.c_str());
            return kExitFailure;
        }
    }
    glutDestroyWindow(windowId());
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    const std::string optionError = parseOptions(argc, argv, capture.options);
    if (!optionError.empty()) {
        std::fprintf(stderr, "orvane-capture: %s\n", optionError.c_str());
        return kExitUsage;
    }
    if (capture.options.help) {
        std::fputs(captureUsage(), stdout);
        return 0;
    }
    if (capture.options.version) {
        std::fputs(versionText("orvane-capture").c_str(), stdout);
        return 0;
    }
    if (!capture.options.input.empty()) {
        ScriptParseResult script = loadInputScript(capture.options.input);
        if (!script.ok) {
            std::fprintf(stderr, "orvane-capture: %s\n", script.error.c_str());
            return kExitUsage;
        }
        capture.events = std::move(script.events);
    }
    std::error_code error;
    std::filesystem::create_directories(capture.options.outDir, error);
    if (error || !std::filesystem::is_directory(capture.options.outDir)) {
        std::fprintf(stderr, "orvane-capture: --out: cannot make directory \"%s\": %s\n",
                     capture.options.outDir.c_str(),
                     error ? error.message().c_str() : "not a directory");
        return kExitFailure;
    }
    return runCapture(argv[0]);
}
