#pragma once

#include <string>

#include "draw/Texture.h"

struct SoftBall;

// The ball's environment picture. It is loaded (start-up reports when it is
// missing) but the skin shows the lit material only; see BallDrawing.cpp.
struct BallSkin {
    Texture environment;

    // The picture from `folder` (no OpenGL: any thread may), then its texture.
    bool readPicture(const std::string& folder);
    bool load(const std::string& folder);
};

// The ball from its particles' current positions: the build-up picture after
// a rebuild, otherwise the layers its display flags switch on (springs,
// particles, skin). Leaves the frame's blend function as it found it.
void drawBall(const SoftBall& ball, const BallSkin& skin);
