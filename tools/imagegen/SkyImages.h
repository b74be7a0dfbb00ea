#pragma once

#include "math/Vec3.h"
#include "tools/imagegen/GeneratedImage.h"
#include "tools/imagegen/Shading.h"

constexpr int kSkyboxFaceSize = 512;
constexpr int kEnvironmentSize = 256;

// The stormy sky seen in the unit direction `direction` (y up). It depends
// on the direction alone, which is what lets the six faces meet seamlessly.
Rgb skyColour(const Vec3& direction);

// The world direction (unit length) through the centre of texel
// (column, row) of sky box face `face` in an image of size x size texels,
// found through the sky box's own face table: the corners' box positions are
// interpolated bilinearly over (s, t), with column 0 at s = 0 and the first
// stored row at t = 0.
Vec3 skyboxTexelDirection(int face, int column, int row, int size);

// Face `face` (0..5) of the sky box, "skybox_<face>.tga", 24-bit.
GeneratedImage makeSkyboxFace(int face, int size);

// "env2.tga": the same sky as a latitude-longitude picture, 24-bit. Row 0 is
// straight down and the last row straight up, so t = asin(y) / pi + 0.5 as
// the ball's texture coordinates have it; s runs once around the horizon.
GeneratedImage makeSkyEnvironment(int size);
