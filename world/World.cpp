#include "world/World.h"

World::World() {
    placeCameraAtStart(camera);
    ball.setUpModel();
    lightning.setUp();
}
