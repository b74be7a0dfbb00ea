#include "world/World.h"

World::World() {
    placeCameraAtStart(camera);
    ball.setUpModel();
    lightning.setUp();
}

const char* ballLookName(BallLook look) { return look == BallLook::Jelly ? "jelly" : "classic"; }

bool findBallLook(const std::string& name, BallLook& look) {
    for (const BallLook candidate : {BallLook::Classic, BallLook::Jelly}) {
        if (name == ballLookName(candidate)) {
            look = candidate;
            return true;
        }
    }
    return false;
}
