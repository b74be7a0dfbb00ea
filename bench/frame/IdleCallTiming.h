#pragma once

// Times one real idle call and splits it into its parts without touching the
// program's code: the link of orvane-bench-frame wraps advanceOneStep and
// SoftBall::draw (ld --wrap, see bench/CMakeLists.txt), so the calls that
// idle() and display() make land in timers here and go on to the real
// functions.

struct IdleCallSplit {
    double step = 0.0;      // advanceOneStep, seconds
    double ballDraw = 0.0;  // SoftBall::draw with its GL work finished, seconds
    double total = 0.0;     // the whole idle call with its GL work finished, seconds
    int stepCalls = 0;
    int ballDrawCalls = 0;

    double rest() const { return total - step - ballDraw; }
    // False when a wrap did not take (the functions were renamed or inlined
    // across files), which would make the split meaningless.
    bool complete() const { return stepCalls == 1 && ballDrawCalls == 1; }
};

// Calls idle() once. The GL pipeline is drained (glFinish) before and after
// the ball's drawing and after the frame, so each part carries its own
// rendering, not work queued by an earlier part.
IdleCallSplit timeIdleCall();

// Calls idle() once with a single glFinish at the end, as a check on what the
// split's extra synchronisation costs. Seconds.
double timeWholeIdleCall();
