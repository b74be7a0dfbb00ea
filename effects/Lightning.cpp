#include "effects/Lightning.h"

// The lightning's bookkeeping: fading, ageing, the bolt list and the strikes.
namespace {
constexpr float kMotionScale = 0.05f;  // acts at its single-precision value
constexpr double kFadeInEnd = 0.9;
constexpr double kFadeOutFloor = 0.1;

// The generator is never seeded, so every run flashes the same way for the
// same frames and key presses.
float randomBoltHalfSize(CRandom& random) {
    return static_cast<float>(60 + (random.below(10) - 5) * 0.1);
}
}  // namespace

void LightningBolt::set(const Vec3& position_, const Vec3& velocity_, float red, float green,
                        float blue, float alpha, float halfSize_, int lifetime_,
                        float fadeStep_) {
    position = position_;
    velocity = velocity_;
    colour[0] = red;
    colour[1] = green;
    colour[2] = blue;
    colour[3] = alpha;
    halfSize = halfSize_;
    lifetime = lifetime_;
    fadeStep = fadeStep_;
}

void LightningBolt::update() {
    float& alpha = colour[3];
    if (fadingIn) {
        if (static_cast<double>(alpha) >= kFadeInEnd) {
            fadingIn = false;
            alpha = 1.0f;
        }
        alpha = alpha + fadeStep;
    }
    if (dead) return;

    position = position + velocity * static_cast<double>(kMotionScale);
    age = age + 1;
    if (!fadingOut && age >= lifetime - 1.0 / static_cast<double>(fadeStep)) fadingOut = true;
    if (fadingOut) {
        if (static_cast<double>(alpha) <= kFadeOutFloor) {
            alpha = 0.0f;
        } else {
            alpha = alpha - fadeStep;
        }
    }
    if (age >= lifetime) dead = true;
}

void BoltList::add(const LightningBolt& bolt) {
    if (count < capacity) {
        // Room for a full list at once: the memory a sky holds then does not
        // depend on how many bolts it has seen.
        if (items.capacity() < static_cast<std::size_t>(capacity)) items.reserve(static_cast<std::size_t>(capacity));
        items.push_back(bolt);
        count = count + 1;
        return;
    }
    // A full list makes room by forgetting everything, the new bolt included.
    clear();
}

void BoltList::clear() {
    items.clear();
    count = 0;
}

void BoltList::update() {
    for (LightningBolt& bolt : items) bolt.update();
}

void Lightning::setUp() {
    LightningBolt first;
    first.set(Vec3(0.0, 40.0, 0.0), Vec3(0.0, 0.0, 0.0), 1.0f, 1.0f, 1.0f, 1.0f, randomBoltHalfSize(random), 15,
              0.2f);
    bolts.add(first);
    strikePoint = Vec3(0.0, 80.0, 0.0);
}

void Lightning::spawnBolt() {
    const float halfSize = randomBoltHalfSize(random);
    const int lifetime = 200 + random.below(10);
    LightningBolt bolt;
    bolt.set(strikePoint, Vec3(), 1.0f, 1.0f, 1.0f, 0.1f, halfSize, lifetime, 0.01f);
    bolts.add(bolt);
}

void Lightning::maybeStrike() {
    if (random.below(10) >= 4) {
        const int x = random.below(30) - 15;
        const int z = random.below(30) - 15;
        strikePoint = Vec3(x, 40.0, z);
        return;
    }
    spawnBolt();
}

// Two random strikes in a thousand frames.
void Lightning::advanceFrame() {
    if (random.below(1000) >= 998) maybeStrike();
    bolts.update();
}
