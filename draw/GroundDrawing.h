#pragma once

#include <cstdint>
#include <string>

#include "draw/Gl.h"
#include "draw/Texture.h"
#include "math/Matrix4.h"
#include "math/Vec3.h"

// The fixed solids as drawn (plate, platform, ramp), in two looks compiled
// once into display lists: bump-mapped rock, and plain blue for key "8".
struct Ground {
    Texture rock;
    Texture normalMap;
    Texture bakedLook;  // where there is no dot-product combiner: the bumps baked into the rock
    gl::DrawingList texturedDrawing;
    gl::DrawingList plainDrawing;
    Vec3 lightPosition;
    Matrix4 lightMatrix;
    bool built = false;

    // The rock's two pictures from `folder` (no OpenGL: any thread may);
    // false when either fails.
    bool readPictures(const std::string& folder);
    // Checks the extensions, makes the two textures from the pictures in
    // `folder` and compiles both lists; false when any of it fails.
    bool build(const Vec3& light, const std::string& folder);

    // One of the two looks in the current matrix; nothing when the build failed.
    void draw(bool textured) const;
};
