#pragma once

#include <cstdint>

// An image read from disk plus the OpenGL texture name its owner made of it.
// The record owns its pixel buffer and is never copied.
struct TextureImage {
    std::uint32_t id = 0xFFFFFFFFu;   // texture name; all bits set = no texture yet
    std::int32_t width = 0;
    std::int32_t height = 0;
    unsigned char* pixels = nullptr;  // width*height*components bytes, RGB(A), rows in file order
    std::int32_t components = 0;      // 3 or 4

    TextureImage() = default;
    ~TextureImage();
    TextureImage(const TextureImage&) = delete;
    TextureImage& operator=(const TextureImage&) = delete;

    bool hasTexture() const { return id != 0xFFFFFFFFu; }
};

// Reads an uncompressed 24- or 32-bit true-colour TGA file into `image`.
// On any failure returns false and leaves `image` exactly as it was.
bool loadTga(TextureImage& image, const char* path);
