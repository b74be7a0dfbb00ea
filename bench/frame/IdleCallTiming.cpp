#include "bench/frame/IdleCallTiming.h"

#include <GL/gl.h>

#include <chrono>

#include "draw/Frame.h"
#include "shell/Window.h"

double timeWholeIdleCall() {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    idle();
    glFinish();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

IdleCallSplit timeIdleCall() {
    FrameProfile profile;
    windowHooks().profile = &profile;
    IdleCallSplit split;
    split.total = timeWholeIdleCall();
    windowHooks().profile = nullptr;
    split.step = profile.stepSeconds;
    split.ballDraw = profile.ballDrawSeconds;
    split.stepCalls = profile.steps;
    split.ballDrawCalls = profile.ballDrawings;
    return split;
}
