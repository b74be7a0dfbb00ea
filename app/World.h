#pragma once

#include "app/Camera.h"
#include "ball/SoftBall.h"
#include "effects/Lightning.h"
#include "effects/Skybox.h"
#include "scene/Ground.h"

// The five scene objects, one global each, living until the process ends.
extern Ground ground;
extern Camera camera;
extern SoftBall ball;
extern Skybox skybox;
extern Lightning lightning;

// Display options switched together by key "8".
extern bool lightingOn;
extern bool skyVisible;
extern bool lightningVisible;

// Puts the world into the state start-up leaves it in, minus everything that
// needs OpenGL: board untilted as after a successful ground build, camera
// placed, ball built without its texture, display options on, every input
// flag cleared. Used by the headless replay and the tests.
void setUpWorldWithoutDisplay();
