#pragma once

// Times one real idle call and splits it into its parts with the frame
// profile that the window fills while one is set (draw/Frame.h).

struct IdleCallSplit {
    double step = 0.0;      // the world's step, seconds
    double ballDraw = 0.0;  // the ball's drawing with its GL work finished, seconds
    double total = 0.0;     // the whole idle call with its GL work finished, seconds
    int stepCalls = 0;
    int ballDrawCalls = 0;

    double rest() const { return total - step - ballDraw; }
    // False when the idle call did not step and draw the ball exactly once,
    // which would make the split meaningless.
    bool complete() const { return stepCalls == 1 && ballDrawCalls == 1; }
};

// Calls idle() once. The GL pipeline is drained (glFinish) before and after
// the ball's drawing and after the frame, so each part carries its own
// rendering, not work queued by an earlier part.
IdleCallSplit timeIdleCall();

// Calls idle() once with a single glFinish at the end, as a check on what the
// split's extra synchronisation costs. Seconds.
double timeWholeIdleCall();
