#pragma once

#include <string>

#include "draw/Texture.h"

struct Lightning;

// The picture every bolt shows.
struct LightningPicture {
    Texture image;

    // The picture from `folder` (no OpenGL: any thread may), then its texture.
    bool readPicture(const std::string& folder);
    bool load(const std::string& folder);
};

// The live bolts, turned by the camera's heading about the vertical axis so
// that they face the viewer; nothing without the picture. `noFlashes` draws
// them faint, for those whom a flashing sky harms.
void drawLightning(const Lightning& lightning, const LightningPicture& picture, float cameraYaw,
                   bool noFlashes = false);
