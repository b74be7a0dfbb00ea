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

CompareWorld::CompareWorld() = default;
CompareWorld::~CompareWorld() = default;
CompareWorld::CompareWorld(const CompareWorld& other)
    : world_(other.world_ ? std::make_unique<World>(*other.world_) : nullptr) {}
CompareWorld& CompareWorld::operator=(const CompareWorld& other) {
    if (this != &other) world_ = other.world_ ? std::make_unique<World>(*other.world_) : nullptr;
    return *this;
}
CompareWorld::CompareWorld(CompareWorld&& other) noexcept = default;
CompareWorld& CompareWorld::operator=(CompareWorld&& other) noexcept = default;

void CompareWorld::become(const World& world) {
    auto copy = std::make_unique<World>(world);
    copy->compare.reset();
    world_ = std::move(copy);
}

void CompareWorld::reset() { world_.reset(); }

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
