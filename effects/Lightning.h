#pragma once

#include <memory>
#include <vector>

#include "assets/TextureImage.h"
#include "math/CRandom.h"
#include "math/Vec3.h"

// One flash: a textured square that fades in, holds and fades out.
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
    void draw() const;  // OpenGL
};

// Up to 30 bolts, dead or alive; adding to a full list empties it instead.
struct BoltList {
    int capacity = 30;
    int count = 0;
    std::vector<std::unique_ptr<LightningBolt>> items;

    void add(std::unique_ptr<LightningBolt> bolt);
    void clear();
    void updateAndDraw();  // OpenGL
};

struct Lightning {
    TextureImage image;
    std::unique_ptr<BoltList> bolts;  // null until init succeeded
    Vec3 strikePoint;
    CRandom random;  // the flashes' own rand() sequence

    Lightning() = default;
    Lightning(const Lightning&) = delete;
    Lightning& operator=(const Lightning&) = delete;

    bool init();         // OpenGL: loads the picture, makes the texture and the first bolt
    void spawnBolt();    // a long bolt at strikePoint; does nothing without a bolt list
    void maybeStrike();  // moves strikePoint or spawns a bolt
    void draw();         // OpenGL
};
