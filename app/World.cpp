#include "app/World.h"

#include "app/Input.h"

Ground ground;
Camera camera;
SoftBall ball;
Skybox skybox;
Lightning lightning;

bool lightingOn = false;
bool skyVisible = false;
bool lightningVisible = false;

void setUpWorldWithoutDisplay() {
    ground.tiltX = 0.0f;
    ground.tiltZ = 0.0f;
    ground.framesSinceTilt = 0;
    ground.useTexturedList = true;

    camera = Camera();
    placeCameraAtStart(camera);

    ball.setUpModel();

    lightingOn = true;
    skyVisible = true;
    lightningVisible = true;
    resetInputState();
}
