#pragma once

#include <string>

#include "draw/Texture.h"

struct SoftBall;
enum class BallLook;

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
// particles, skin) in the look given. Leaves the frame's blend function as
// it found it. The sky box is lit with the material and normal the ball
// leaves, so the jelly look leaves the classic one's material and, with the
// skin shown, its last normal: the sky is the same in both looks.
void drawBall(const SoftBall& ball, const BallSkin& skin, BallLook look);
