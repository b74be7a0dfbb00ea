#pragma once

#include <cstdint>

#include "assets/TextureImage.h"

// A 200-unit textured cube around the world origin, compiled into one list.
struct Skybox {
    std::int32_t sizeX = 0;
    std::int32_t sizeY = 0;
    std::int32_t sizeZ = 0;
    TextureImage faces[6];
    std::uint32_t listId = 0;  // 0 = no list

    Skybox() = default;
    Skybox(const Skybox&) = delete;
    Skybox& operator=(const Skybox&) = delete;

    bool init();  // OpenGL
};
