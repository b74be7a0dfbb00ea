#pragma once

#include <vector>

#include "math/Vec3.h"

struct SoftBall;
struct TopSurface;

// The soft shadow the ball lays on one top of the scene (plate, platform or
// ramp) straight below it: darkest at its middle, fading to nothing at its
// rim, darker and tighter the closer the ball's lowest point comes.
struct ShadowBlob {
    const TopSurface* top = nullptr;
    double centreX = 0.0, centreZ = 0.0;  // under the ball's centre particle
    double radius = 0.0;                  // in x and z
    double darkness = 0.0;                // alpha at the middle, 0 .. kMostShadowDarkness
};

constexpr double kMostShadowDarkness = 0.8;

// The blobs of every top the ball hangs over, in the untilted frame; none
// for a ball that is not built, and none on a top that the ball's centre is
// below or too far above.
std::vector<ShadowBlob> contactShadows(const SoftBall& ball);

// Draws contactShadows(ball) onto their tops, under the current matrix (the
// board's tilt), over what is drawn and without writing depth. Puts back
// every enable, the colour, the blend function and the depth mask.
void drawContactShadows(const SoftBall& ball);
