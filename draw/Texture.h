#pragma once

#include <cstdint>

#include "assets/TextureImage.h"

// How many levels a texture gets: every object but the lightning asks for
// mipmaps. The linear filter never samples them, so the desktop makes them
// only where GLU must scale a picture anyway (see draw/GlDesktop.cpp).
enum class TextureLevels { Mipmapped, BaseOnly };

// A picture of the scene and the OpenGL texture made of it. The pixels stay
// with it for as long as it lives.
struct Texture {
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    TextureImage image;
    std::uint32_t id = kNone;

    bool exists() const { return id != kNone; }

    // Reads the TGA file into the image (no OpenGL: any thread may), unless
    // an image is already held. False when the file cannot be read.
    bool read(const char* path);

    // Reads the TGA file (unless read already) and makes the texture the way
    // every scene object does: a new name bound to GL_TEXTURE_2D, linear
    // filtering, repeating in s and t, the image's component count as
    // internal format and GL_RGB or GL_RGBA as pixel format, rows read
    // tightly packed. False, and no texture, when the file cannot be read.
    bool load(const char* path, TextureLevels levels);

    // Makes the texture of the image already held, as load does; false when
    // there is no image.
    bool upload(TextureLevels levels);
};
