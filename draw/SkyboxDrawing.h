#pragma once

#include <cstdint>
#include <string>

#include "draw/Gl.h"
#include "draw/Texture.h"

// A 200-unit textured cube around the world origin, compiled into one list.
struct Skybox {
    std::int32_t sizeX = 0;
    std::int32_t sizeY = 0;
    std::int32_t sizeZ = 0;
    Texture faces[6];
    gl::DrawingList drawing;

    // The six faces' pictures from `folder` (no OpenGL: any thread may);
    // false when any fails.
    bool readPictures(const std::string& folder);
    // Makes the six face textures from the pictures in `folder` and the list;
    // false when any fails.
    bool init(const std::string& folder);

    // Nothing when init failed.
    void draw() const;
};
