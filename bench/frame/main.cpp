// orvane-bench-frame: starts the real program in its window (on a private
// Xvfb when no display is set), measures the time to the first frame shown
// with an empty shader cache, then drives the real idle call and prints how
// long it takes and where the time goes.
#include <GL/freeglut.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/frame/FreshShaderCache.h"
#include "bench/frame/IdleCallTiming.h"
#include "bench/frame/ProcessClock.h"
#include "bench/frame/Summary.h"
#include "shell/PictureFolders.h"
#include "shell/Window.h"
#include "cli/CommandLine.h"
#include "cli/Version.h"
#include "tools/window/HeadlessDisplay.h"
#include "tools/window/WindowSession.h"
#include "world/InputScript.h"
#include "world/Settings.h"
#include "world/World.h"

namespace {
using Clock = std::chrono::steady_clock;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr long kDefaultFrames = 1000;
constexpr long kMaxFrames = 10000000;
// From process creation to the first frame shown, without a display server
// to start: with Mesa's shader cache empty, and with it warm.
constexpr double kFirstFrameGoalMs = 350.0;
constexpr double kFirstFrameWarmGoalMs = 150.0;
constexpr double kIdleCallGoalMs = 7.0;

const char kUsage[] =
    "usage: orvane-bench-frame [--frames N] [--rings N] [--segments N] [--panel]\n"
    "                          [--look classic|jelly] [--compare] [--warm-shader-cache]\n"
    "\n"
    "Starts the program in its window and prints\n"
    " - the time from process start to the first frame shown (the end of the\n"
    "   first display, after glFinish), with Mesa's shader cache empty;\n"
    " - the median, 90th percentile, mean and maximum of N idle calls, split\n"
    "   into the ball step, the ball's drawing and the rest of the frame.\n"
    "The GL work is finished (glFinish) at the end of each frame and around the\n"
    "ball's drawing, so each part carries its own rendering. As many idle calls\n"
    "again, taken in turn, have a glFinish at the frame end only, to show what\n"
    "the extra synchronisation costs.\n"
    "Without a DISPLAY a private Xvfb is started, drawn by Mesa's software\n"
    "renderer. The pictures are found as orvane finds them.\n"
    "\n"
    "  --frames N           split idle calls to time, 1 or more (default 1000)\n"
    "  --rings N            the ball's rings, 4 to 96 (default 12)\n"
    "  --segments N         the ball's segments, 3 to 96 (default 12)\n"
    "  --panel              with the study panel shown (and its plots sampled)\n"
    "  --look LOOK          the ball's look, classic (the default) or jelly\n"
    "  --compare            with compare mode's second ball, B, like A\n"
    "  --warm-shader-cache  use the shader cache of the environment instead of\n"
    "                       a new empty one\n"
    "  --help               this text\n"
    "  --version            the version, and the commit it was built from\n"
    "\n"
    "--frames=N works as well. Exit status: 0 done, 1 no display, no pictures or\n"
    "the timing could not be split, 2 bad option.\n";

struct Options {
    long frames = kDefaultFrames;
    bool warmShaderCache = false;
    bool panel = false;
    bool compare = false;
    BallLook look = BallLook::Classic;
    std::vector<ScriptEvent> resolution;  // "set rings" and "set segments"
    bool help = false;
    bool version = false;
};

// Returns an empty string when the command line is good, else what is wrong.
std::string parseOptions(int argc, char** argv, Options& options) {
    std::vector<CommandLineOption> given;
    const std::string error =
        readCommandLine(argc, argv, {{"--help", "--version", "--warm-shader-cache", "--panel", "--compare"},
                                     {"--frames", "--rings", "--segments", "--look"}}, given);
    if (!error.empty()) return error;
    for (const CommandLineOption& option : given) {
        if (option.name == "--rings" || option.name == "--segments") {
            ScriptEvent event;
            const std::string problem = readSettingOption(*findSettingOption(option.name), option.value, event);
            if (!problem.empty()) return problem;
            options.resolution.push_back(event);
        } else if (option.name == "--look") {
            if (!findBallLook(option.value, options.look))
                return "--look: \"" + option.value + "\" is not a look (classic or jelly)";
        } else if (option.name == "--panel") {
            options.panel = true;
        } else if (option.name == "--compare") {
            options.compare = true;
        } else if (option.name == "--help") {
            options.help = true;
        } else if (option.name == "--version") {
            options.version = true;
        } else if (option.name == "--warm-shader-cache") {
            options.warmShaderCache = true;
        } else {
            long long frames = 0;
            if (!parseInteger(option.value, 1, kMaxFrames, frames))
                return "--frames: \"" + option.value + "\" is not a count from 1 to " + std::to_string(kMaxFrames);
            options.frames = static_cast<long>(frames);
        }
    }
    return std::string();
}

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

std::string loadAverage() {
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    if (!(file >> one >> five >> fifteen)) return "unknown";
    return one + " " + five + " " + fifteen;
}

// Time stamps of the start-up, from the top of main.
struct StartUpTimes {
    double processToMainMs = -1.0;  // negative: the kernel's start time was unreadable
    Clock::time_point mainEntered;
    Clock::time_point displayReady;
    Clock::time_point startUpDone;
    Clock::time_point firstFrameShown;
};

struct Run {
    Options options;
    StartUpTimes startUp;
    std::string picsFolder;
    std::string displayNote;
    bool privateDisplay = false;
    std::string renderer;
    std::string ballNote;
    std::string lookNote;
    std::string panelNote;
    std::string shaderCacheNote;
    std::string loadBefore;
    std::string loadAfter;
    int width = 0;
    int height = 0;
    std::vector<double> stepMs, ballDrawMs, restMs, totalMs;
    std::vector<double> unsplitMs;  // idle calls with one glFinish only
};

const char* verdict(double value, double goal) { return value <= goal ? "met" : "MISSED"; }

void printStartUp(const Run& run) {
    const StartUpTimes& t = run.startUp;
    const double mainToDisplay = millisecondsBetween(t.mainEntered, t.displayReady);
    const double displayToStartUp = millisecondsBetween(t.displayReady, t.startUpDone);
    const double startUpToFrame = millisecondsBetween(t.startUpDone, t.firstFrameShown);
    const double mainToFrame = millisecondsBetween(t.mainEntered, t.firstFrameShown);
    const bool fromProcess = t.processToMainMs >= 0.0;
    const double total = (fromProcess ? t.processToMainMs : 0.0) + mainToFrame;
    const double withoutXvfb = total - (run.privateDisplay ? mainToDisplay : 0.0);

    std::printf("\nStart-up to the first frame shown                      ms\n");
    if (fromProcess) {
        std::printf("  process creation -> main()                   %9.1f   (kernel start time, %.0f ms ticks)\n",
                    t.processToMainMs, processStartResolution() * 1000.0);
    } else {
        std::printf("  process creation -> main()                         n/a   (/proc/self/stat unreadable;\n"
                    "                                                            figures below count from main)\n");
    }
    std::printf("  main() -> display ready                      %9.1f   (%s)\n", mainToDisplay,
                run.privateDisplay ? "private Xvfb start" : "display given, nothing started");
    std::printf("  display ready -> start-up done               %9.1f   (window, GL context, pictures, textures, lists)\n",
                displayToStartUp);
    std::printf("  start-up done -> first frame shown           %9.1f   (first display on exposure, swap, glFinish)\n",
                startUpToFrame);
    std::printf("  %-44s %9.1f\n", fromProcess ? "process creation -> first frame shown" : "main() -> first frame shown",
                total);
    if (run.privateDisplay) std::printf("  the same without the private Xvfb start      %9.1f\n", withoutXvfb);
    const bool warm = run.options.warmShaderCache;
    const double goal = warm ? kFirstFrameWarmGoalMs : kFirstFrameGoalMs;
    std::printf("  goal: <= %.0f ms without a display server to start, shader cache %s: %s\n", goal,
                warm ? "warm" : "empty", verdict(withoutXvfb, goal));
}

void printRow(const char* label, const std::vector<double>& values) {
    const Summary s = summarise(values);
    std::printf("  %-34s %8.3f %8.3f %8.3f %8.3f\n", label, s.median, s.p90, s.mean, s.max);
}

void printIdleCalls(const Run& run) {
    std::printf("\nIdle call, %zu calls at %dx%d                median      p90     mean      max  (ms)\n",
                run.totalMs.size(), run.width, run.height);
    printRow("ball step (step of the world)", run.stepMs);
    printRow("ball drawing (drawBall)", run.ballDrawMs);
    printRow("rest of the frame (incl. swap)", run.restMs);
    printRow("whole idle call", run.totalMs);
    printRow("whole idle call, not split (*)", run.unsplitMs);
    const double median = summarise(run.totalMs).median;
    std::printf("  goal: median <= %.0f ms: %s\n", kIdleCallGoalMs, verdict(median, kIdleCallGoalMs));
    std::printf("  (*) %zu more idle calls, taken in turn with the split ones, with a glFinish\n"
                "      at the frame end only: what the two glFinish around the ball cost.\n",
                run.unsplitMs.size());
}

void printReport(const Run& run) {
    std::printf("\norvane-bench-frame\n");
    std::printf("  pictures from   %s\n", run.picsFolder.c_str());
    std::printf("  display         %s\n", run.displayNote.c_str());
    std::printf("  renderer        %s\n", run.renderer.c_str());
    std::printf("  ball            %s\n", run.ballNote.c_str());
    std::printf("  look            %s\n", run.lookNote.c_str());
    std::printf("  study panel     %s\n", run.panelNote.c_str());
    std::printf("  shader cache    %s\n", run.shaderCacheNote.c_str());
    std::printf("  CPUs            %u\n", std::thread::hardware_concurrency());
    std::printf("  load average    %s before, %s after (1, 5, 15 min)\n", run.loadBefore.c_str(),
                run.loadAfter.c_str());
    printStartUp(run);
    printIdleCalls(run);
    std::fflush(stdout);
}

std::string describeCache(const FreshShaderCache& cache, bool warm) {
    if (warm) return "as the environment sets it (--warm-shader-cache)";
    const unsigned long long kib = (cache.byteCount() + 1023) / 1024;
    return "new and empty at start: " + cache.path() + " (" + std::to_string(cache.fileCount()) +
           " files, " + std::to_string(kib) + " KiB written by the run; removed afterwards)";
}

// Times the requested idle calls, each split one followed by an unsplit one
// so that both see the same load; false if the split could not be made.
bool timeIdleCalls(Run& run) {
    const long frames = run.options.frames;
    run.stepMs.reserve(frames);
    run.ballDrawMs.reserve(frames);
    run.restMs.reserve(frames);
    run.totalMs.reserve(frames);
    run.unsplitMs.reserve(frames);
    for (long i = 0; i < frames; ++i) {
        // As under glutMainLoop: window events, then the idle call.
        pumpWindowEvents();
        const IdleCallSplit split = timeIdleCall();
        if (!split.complete()) {
            std::fprintf(stderr,
                         "orvane-bench-frame: idle call %ld made %d ball steps and %d ball drawings "
                         "in the frame profile (expected 1 and 1)\n",
                         i + 1, split.stepCalls, split.ballDrawCalls);
            return false;
        }
        run.stepMs.push_back(split.step * 1000.0);
        run.ballDrawMs.push_back(split.ballDraw * 1000.0);
        run.restMs.push_back(split.rest() * 1000.0);
        run.totalMs.push_back(split.total * 1000.0);
        pumpWindowEvents();
        run.unsplitMs.push_back(timeWholeIdleCall() * 1000.0);
    }
    return true;
}

// The resolution asked for, drawn as a whole ball at once rather than point
// by point as a rebuild shows it; the panel if asked for.
void showAsAsked(Run& run) {
    World& world = windowWorld();
    for (const ScriptEvent& event : run.options.resolution) deliverScriptEvent(world, event);
    world.ball.buildUpActive = false;
    if (run.options.compare) deliverScriptEvent(world, ScriptEvent::compareMode(CompareAction::On));
    world.display.look = run.options.look;
    run.lookNote = ballLookName(run.options.look);
    if (run.options.panel) windowKeyDown('\t', 0, 0);
    const std::size_t springs = world.ball.particles.springCount();
    run.ballNote = std::to_string(world.ball.rings) + " x " + std::to_string(world.ball.segments) + ": " +
                   std::to_string(world.ball.particles.size()) + " points, " + std::to_string(springs) + " springs";
    run.panelNote = run.options.panel ? "shown, plots sampled every step" : "hidden";
    if (run.options.compare) run.ballNote += ", and B beside it";
}

int runBenchmark(Run& run, char* programName) {
    FreshShaderCache cache;
    if (!run.options.warmShaderCache && !cache.create()) {
        std::fprintf(stderr, "orvane-bench-frame: %s\n", cache.error().c_str());
        return kExitFailure;
    }
    const std::vector<PictureFolder> folders = windowPictureFolders();
    const PictureFolder* pictures = firstFolderWithPictures(folders);
    if (!pictures) {
        std::fprintf(stderr, "orvane-bench-frame: %s\n", noPicturesMessage(folders).c_str());
        return kExitFailure;
    }
    run.picsFolder = pictures->path + " (" + pictures->what + ")";

    static HeadlessDisplay headlessDisplay;
    if (!headlessDisplay.start()) {
        std::fprintf(stderr, "orvane-bench-frame: no display: %s\n", headlessDisplay.error().c_str());
        return kExitFailure;
    }
    run.startUp.displayReady = Clock::now();
    run.privateDisplay = headlessDisplay.ownsServer();
    const char* display = std::getenv("DISPLAY");
    run.displayNote = std::string(run.privateDisplay ? "private Xvfb " : "DISPLAY=") +
                      (display ? display : "");

    int glutArgc = 1;
    char* glutArgv[] = {programName, nullptr};
    startUpDriven(&glutArgc, glutArgv);
    run.startUp.startUpDone = Clock::now();
    if (!waitUntilShown()) {
        std::fprintf(stderr, "orvane-bench-frame: the window was not shown within 10 s\n");
        return kExitFailure;
    }
    glFinish();
    run.startUp.firstFrameShown = Clock::now();

    showAsAsked(run);

    const GLubyte* renderer = glGetString(GL_RENDERER);
    run.renderer = renderer ? reinterpret_cast<const char*>(renderer) : "unknown";
    run.width = windowWorld().window.width;
    run.height = windowWorld().window.height;

    run.loadBefore = loadAverage();
    if (!timeIdleCalls(run)) return kExitFailure;
    run.loadAfter = loadAverage();

    glutDestroyWindow(windowId());
    run.shaderCacheNote = describeCache(cache, run.options.warmShaderCache);
    if (!cache.remove())
        std::fprintf(stderr, "orvane-bench-frame: warning: %s\n", cache.error().c_str());
    printReport(run);
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    Run run;
    run.startUp.mainEntered = Clock::now();
    const double sinceProcessStart = secondsSinceProcessStart();
    if (sinceProcessStart >= 0.0) run.startUp.processToMainMs = sinceProcessStart * 1000.0;

    const std::string optionError = parseOptions(argc, argv, run.options);
    if (!optionError.empty()) {
        std::fprintf(stderr, "orvane-bench-frame: %s\n", optionError.c_str());
        return kExitUsage;
    }
    if (run.options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (run.options.version) {
        std::fputs(versionText("orvane-bench-frame").c_str(), stdout);
        return 0;
    }
    return runBenchmark(run, argv[0]);
}
