#pragma once

// The sky box's six faces as data, shared by the drawing code and by the
// image generator, which derives each texel's direction from this table so
// that the pictures join without seams when drawn.
//
// Each corner picks the low (0) or high (1) end of the box on each axis and
// carries the texture coordinate sent with it.
struct SkyboxCorner {
    int x, y, z;  // 0 = x0/y0/z0, 1 = x1/y1/z1
    float s, t;
};

constexpr SkyboxCorner kSkyboxFaces[6][4] = {
    // 0: z = z1
    {{0, 0, 1, 0, 0}, {0, 1, 1, 0, 1}, {1, 1, 1, 1, 1}, {1, 0, 1, 1, 0}},
    // 1: z = z0
    {{1, 0, 0, 0, 1}, {1, 1, 0, 0, 0}, {0, 1, 0, 1, 0}, {0, 0, 0, 1, 1}},
    // 2: x = x0
    {{0, 1, 0, 0, 0}, {0, 1, 1, 1, 0}, {0, 0, 1, 1, 1}, {0, 0, 0, 0, 1}},
    // 3: x = x1
    {{1, 0, 0, 1, 1}, {1, 0, 1, 0, 1}, {1, 1, 1, 0, 0}, {1, 1, 0, 1, 0}},
    // 4: y = y1
    {{1, 1, 0, 0, 0}, {1, 1, 1, 1, 0}, {0, 1, 1, 1, 1}, {0, 1, 0, 0, 1}},
    // 5: y = y0
    {{0, 0, 0, 0, 0}, {0, 0, 1, 1, 0}, {1, 0, 1, 1, 1}, {1, 0, 0, 0, 1}},
};
