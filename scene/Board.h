#pragma once

#include <cstdint>

#include "math/Vec3.h"

// The board the scene stands on. The player tilts it with the arrow keys,
// relative to where the camera looks; left alone, the tilt holds for a few
// steps and then relaxes towards level. The ball is simulated untilted: the
// tilt reaches it as a push, and the picture shows board and ball tilted.
struct Board {
    float tiltX = 0.0f;  // degrees about x
    float tiltZ = 0.0f;  // degrees about z
    std::int32_t framesSinceTilt = 0;  // steps since the last steering input
    bool useTexturedList = true;       // the bump-mapped ground (true) or the plain one

    // Turns a key direction (a forward, b right) in the camera's frame into a
    // change of the tilt, clamped to +-20 degrees.
    void steer(float a, float b, Vec3 heading);

    // First thing in every step: an untouched tilt holds for 11 steps, then
    // shrinks by 1 % a step.
    void relax();

    // The tilt as the push it gives the ball: the angles in degrees taken as
    // force components.
    Vec3 pushInput() const { return Vec3(-tiltZ, 0.0, tiltX); }
};
