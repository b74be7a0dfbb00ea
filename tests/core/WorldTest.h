#pragma once

// A fresh world for each test, with the input handlers called as the window
// calls them and their answers counted.
#include <gtest/gtest.h>

#include "world/World.h"

class WorldTest : public ::testing::Test {
protected:
    World world;
    Board& board = world.board;
    Camera& camera = world.camera;
    SoftBall& ball = world.ball;
    Lightning& lightning = world.lightning;
    InputState& input = world.input;
    DisplayOptions& display = world.display;

    int redraws = 0;  // handlers that asked for a frame at once
    int quits = 0;    // handlers that asked to quit

    void keyDown(unsigned char key) { count(::keyDown(world, key)); }
    void keyUp(unsigned char key) { count(::keyUp(world, key)); }
    void specialDown(int key) { count(::specialDown(world, key)); }
    void specialUp(int key) { count(::specialUp(world, key)); }
    void mouseMotion(int x, int y) { count(::mouseMotion(world, x, y)); }
    void step() { ::step(world); }
    // Back to the start-up state (the references stay valid).
    void restart() { world = World(); }

private:
    void count(InputResponse response) {
        if (response == InputResponse::Redraw) ++redraws;
        if (response == InputResponse::Quit) ++quits;
    }
};
