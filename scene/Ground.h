#pragma once

#include <cstdint>

#include "assets/TextureImage.h"
#include "math/Matrix4.h"
#include "math/Vec3.h"

// The fixed solids as drawn (plate, platform, ramp) and the board's tilt.
struct Ground {
    TextureImage rockImage;
    TextureImage normalImage;
    std::uint32_t texturedList = 0;  // 0 = no list (never a valid list name)
    std::uint32_t plainList = 0;
    float tiltX = 0.0f;              // degrees about x
    float tiltZ = 0.0f;              // degrees about z
    Vec3 lightPosition;
    Matrix4 lightMatrix;
    std::int32_t framesSinceTilt = 0;
    bool useTexturedList = false;

    Ground() = default;
    Ground(const Ground&) = delete;
    Ground& operator=(const Ground&) = delete;

    // Loads the rock images, checks the extensions and compiles both display
    // lists. Needs OpenGL.
    bool build(const Vec3& light);

    // Turns a key direction (a forward, b right) in the camera's frame into a
    // change of the tilt, clamped to +-20 degrees.
    void steer(float a, float b, Vec3 heading);

    // The list to draw this frame, or 0 when there is none.
    std::uint32_t currentList() const { return useTexturedList ? texturedList : plainList; }
};
