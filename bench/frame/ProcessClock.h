#pragma once

// Time since this process was created, as the kernel recorded it, so that a
// start-up figure can include what happens before main (loading the GL and
// GLUT libraries). The kernel keeps the start in clock ticks (usually 10 ms).

// Seconds from process creation until now, or a negative value when the
// start time cannot be read.
double secondsSinceProcessStart();

// The resolution of the kernel's start time, in seconds.
double processStartResolution();
