#pragma once

#include <vector>

#include "math/CRandom.h"
#include "math/Vec3.h"

// One flash: a square that fades in, holds and fades out.
struct LightningBolt {
    Vec3 position;
    Vec3 velocity;
    float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};  // alpha is the fade level
    float halfSize = 1.0f;
    float fadeStep = 0.4f;
    int age = 0;
    int lifetime = 10;
    bool dead = false;
    bool fadingIn = true;
    bool fadingOut = false;

    void set(const Vec3& position, const Vec3& velocity, float red, float green, float blue,
             float alpha, float halfSize, int lifetime, float fadeStep);
    void update();
};

// Up to 30 bolts, dead or alive; adding to a full list empties it instead.
struct BoltList {
    int capacity = 30;
    int count = 0;
    std::vector<LightningBolt> items;

    void add(const LightningBolt& bolt);
    void clear();
    void update();  // every bolt once; dead ones keep their place
};

// The lightning in the sky: its bolts, where the next one strikes, and the
// random numbers that time the flashes. It changes only once per drawn frame
// (advanceFrame) and on key "l" (spawnBolt).
struct Lightning {
    BoltList bolts;
    Vec3 strikePoint;
    CRandom random;

    // Start-up: the short, bright flash that greets the player, and the
    // point where the first long bolt will strike.
    void setUp();
    void spawnBolt();    // a long bolt at strikePoint
    void maybeStrike();  // moves strikePoint or spawns a bolt
    // Once per frame that shows the lightning: maybe a random strike, then
    // every bolt ages by one frame.
    void advanceFrame();
};
