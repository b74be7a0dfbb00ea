#include "bench/frame/IdleCallTiming.h"

#include <GL/gl.h>

#include <chrono>

#include "app/Display.h"
#include "ball/SoftBall.h"

namespace {
using Clock = std::chrono::steady_clock;

// The idle call being timed; null outside timeIdleCall (for instance for the
// frames GLUT asks for on exposure), where the wraps only pass calls on.
IdleCallSplit* timedCall = nullptr;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}
}  // namespace

// ld --wrap resolves calls to X from other object files to __wrap_X, and
// __real_X to the original X. The names are the mangled C++ names; a member
// function receives its object as the first argument.
extern "C" {
void __real__Z14advanceOneStepv();
void __real__ZN8SoftBall4drawEv(SoftBall* self);

void __wrap__Z14advanceOneStepv() {
    if (!timedCall) {
        __real__Z14advanceOneStepv();
        return;
    }
    const Clock::time_point start = Clock::now();
    __real__Z14advanceOneStepv();
    timedCall->step += secondsSince(start);
    ++timedCall->stepCalls;
}

void __wrap__ZN8SoftBall4drawEv(SoftBall* self) {
    if (!timedCall) {
        __real__ZN8SoftBall4drawEv(self);
        return;
    }
    glFinish();  // the ground drawn before belongs to the rest of the frame
    const Clock::time_point start = Clock::now();
    __real__ZN8SoftBall4drawEv(self);
    glFinish();
    timedCall->ballDraw += secondsSince(start);
    ++timedCall->ballDrawCalls;
}
}

double timeWholeIdleCall() {
    const Clock::time_point start = Clock::now();
    idle();
    glFinish();
    return secondsSince(start);
}

IdleCallSplit timeIdleCall() {
    IdleCallSplit split;
    timedCall = &split;
    split.total = timeWholeIdleCall();
    timedCall = nullptr;
    return split;
}
