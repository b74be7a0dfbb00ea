#pragma once

#include <vector>

#include "tools/imagegen/GeneratedImage.h"

constexpr int kRockSize = 512;

// The rock as a height field plus what colours it besides height. Every
// field repeats with the image size, so both pictures tile without seams,
// and both are made from this one surface, so bumps and colours match.
struct RockSurface {
    int size = 0;
    std::vector<float> height;  // in texel units: a slope of 1 rises one texel per texel
    std::vector<float> relief;  // the fine part of the shape alone, about -0.2..0.2
    std::vector<float> tone;    // broad colour variation, about -1..1
    std::vector<float> layer;   // position within the rock's strata, 0..1
    std::vector<float> crack;   // 0 = sound rock, 1 = inside a crack
    std::vector<float> grain;   // per-texel grain, -0.5..0.5

    std::size_t index(int column, int row) const {
        return static_cast<std::size_t>(row) * size + column;
    }
    float heightAt(int column, int row) const;  // wraps around the edges
};

RockSurface makeRockSurface(int size);

// Grey-brown rock colours, 24-bit.
GeneratedImage makeRockTexture(const RockSurface& surface);

// Tangent-space normals of the height field: x along the columns (s), y
// along the rows (t), z up out of the surface; each texel stores the unit
// normal n as round(255 * (0.5 n + 0.5)).
GeneratedImage makeRockNormalMap(const RockSurface& surface);
