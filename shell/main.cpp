#include <GL/glut.h>

#include <cstdio>
#include <string>

#include "cli/Version.h"
#include "shell/Options.h"
#include "shell/Window.h"
#include "world/InputScript.h"
#include "world/ScriptRecorder.h"
#include "world/Settings.h"

namespace {
constexpr int kExitUsage = 2;

int refuse(const std::string& problem) {
    std::fprintf(stderr, "orvane: %s\n", problem.c_str());
    return kExitUsage;
}
}  // namespace

int main(int argc, char** argv) {
    WindowOptions options;
    const std::string problem = readWindowOptions(argc, argv, options);
    if (!problem.empty()) return refuse(problem);
    if (options.help) {
        std::fputs(windowUsage().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::fputs(versionText("orvane").c_str(), stdout);
        return 0;
    }

    SessionOptions session;
    session.rateHz = options.rateHz;
    session.timelineBytes = options.timelineBytes;
    session.startEvents = options.settings;
    session.startEvents.insert(session.startEvents.end(), options.compare.begin(), options.compare.end());
    if (options.hand) session.startEvents.push_back(ScriptEvent::pointerMode(PointerMode::Hand));
    if (options.noFlashes) {
        session.startEvents.push_back(ScriptEvent::keyDown('n'));
        session.startEvents.push_back(ScriptEvent::keyUp('n'));
    }
    if (options.look != BallLook::Classic) session.startEvents.push_back(ScriptEvent::ballLook(options.look));
    if (!options.replayPath.empty()) {
        ScriptParseResult script = loadInputScript(options.replayPath);
        if (!script.ok) return refuse(script.error);
        session.replay = std::move(script.events);
    }
    // Lives as long as the process: the window never returns from its loop.
    static ScriptRecorder recorder;
    if (!options.recordPath.empty()) {
        std::string error;
        if (!recorder.open(options.recordPath, error)) return refuse(error);
        session.recorder = &recorder;
    }

    int glutArgc = static_cast<int>(options.glutArguments.size());
    options.glutArguments.push_back(nullptr);
    startUp(&glutArgc, options.glutArguments.data(), session);
    glutMainLoop();
    return 0;
}
