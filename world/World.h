#pragma once

#include "ball/SoftBall.h"
#include "effects/Lightning.h"
#include "scene/Board.h"
#include "world/Camera.h"
#include "world/Input.h"

// What key "8" switches together (with the board's ground look).
struct DisplayOptions {
    bool lightingOn = true;
    bool skyVisible = true;
    bool lightningVisible = true;
};

// The window's size in pixels as the last reshape gave it; never 0 high.
struct WindowSize {
    int width = 640;
    int height = 480;
};

// Everything the program simulates and everything its input has set. It
// knows nothing of OpenGL or windows: the window shell owns one, drives it
// through the input handlers, step() and advanceFrame(), and draws it; the
// headless replay and the tests do the same without drawing. A copy is a
// separate world that goes on by itself.
struct World {
    Board board;
    Camera camera;
    SoftBall ball;
    Lightning lightning;
    InputState input;
    DisplayOptions display;
    WindowSize window;

    // The state start-up leaves the world in: the board level, the camera at
    // (0, 7, 16) looking along -z, the ball built above the platform, the
    // greeting flash in the sky, every display option on and no key held.
    World();
};

// One idle call's simulation work, in this order: relax the board's tilt,
// push and step the ball, fly the camera, steer the board, lift or press.
void step(World& world);

// Once per frame drawn, between drawing the ball and the sky: the ball's
// build-up picture moves on, and the lightning (while shown) may strike and
// ages by a frame. Frames drawn by key handlers count too.
void advanceFrame(World& world);
