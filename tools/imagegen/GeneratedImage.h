#pragma once

#include <string>
#include <utility>
#include <vector>

// One picture made by the generator, ready to be written as a TGA file.
struct GeneratedImage {
    std::string name;  // file name, e.g. "rock_texture.tga"
    int width = 0;
    int height = 0;
    int components = 0;                // 3 (RGB) or 4 (RGBA)
    std::vector<unsigned char> pixels;  // RGB(A), row 0 first: the row drawn at t = 0

    GeneratedImage() = default;
    GeneratedImage(std::string name_, int width_, int height_, int components_)
        : name(std::move(name_)), width(width_), height(height_), components(components_),
          pixels(static_cast<std::size_t>(width_) * height_ * components_, 0) {}

    unsigned char* texel(int column, int row) {
        return pixels.data() + (static_cast<std::size_t>(row) * width + column) * components;
    }
    const unsigned char* texel(int column, int row) const {
        return pixels.data() + (static_cast<std::size_t>(row) * width + column) * components;
    }
};
