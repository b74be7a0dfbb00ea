#pragma once

#include <cstdint>

// An image read from disk: what a texture is made of. The record owns its
// pixel buffer and is never copied.
struct TextureImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    unsigned char* pixels = nullptr;  // width*height*components bytes, RGB(A), rows in file order
    std::int32_t components = 0;      // 3 or 4

    TextureImage() = default;
    ~TextureImage();
    TextureImage(const TextureImage&) = delete;
    TextureImage& operator=(const TextureImage&) = delete;
};

// Reads an uncompressed 24- or 32-bit true-colour TGA file into `image`.
// On any failure returns false and leaves `image` exactly as it was.
bool loadTga(TextureImage& image, const char* path);
