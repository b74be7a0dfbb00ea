#include "world/World.h"

World::World() {
    placeCameraAtStart(camera);
    ball.setUpModel();
    lightning.setUp();
}

void rebuildBall(World& world, const Vec3& centre) {
    world.ball.centre = centre;
    world.ball.reset();
    world.grab = Grab();
}
