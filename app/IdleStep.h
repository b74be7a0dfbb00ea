#pragma once

// One idle call's simulation work, everything but the drawing: relax the
// tilt, push and step the ball, fly the camera, steer the board, apply lift
// and press. The window's idle callback calls this and then draws.
void advanceOneStep();
