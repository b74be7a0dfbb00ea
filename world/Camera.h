#pragma once

#include "math/Vec3.h"

// Free-flying eye. forward and right are horizontal helper vectors for
// movement and steering; the view itself comes from the two angles only
// (drawn by applyCameraView).
struct Camera {
    Vec3 forward{0.0, 0.0, -1.0};
    Vec3 right{1.0, 0.0, 0.0};
    Vec3 up{0.0, 1.0, 0.0};
    Vec3 position;
    float pitch = 0.0f;  // degrees, positive looks up
    float yaw = 0.0f;    // degrees, increasing turns left

    // Recomputes forward and right from pitch and yaw.
    void updateVectors();
};

// Start-up placement: position (0, 7, 16), yaw 180, vectors updated.
void placeCameraAtStart(Camera& camera);
