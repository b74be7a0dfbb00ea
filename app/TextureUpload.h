#pragma once

#include "assets/TextureImage.h"

// How many levels a texture gets: every object but the lightning builds
// mipmaps (which the plain linear filter then never samples).
enum class TextureLevels { Mipmapped, BaseOnly };

// Makes an OpenGL texture of `image` the way every scene object does: a new
// name (stored in image.id) bound to GL_TEXTURE_2D, linear filtering,
// repeating in s and t, then the upload with the image's component count as
// internal format and GL_RGB or GL_RGBA as pixel format. The rows are read
// tightly packed, whatever their width.
void uploadTexture(TextureImage& image, TextureLevels levels);
