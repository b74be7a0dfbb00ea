// Lightning bookkeeping: a bolt's fade and lifetime, the bolt list that
// empties when full, and the random strikes.
#include <gtest/gtest.h>

#include <vector>

#include "effects/Lightning.h"

namespace {
struct Frame {
    float alpha;
    int age;
    bool dead;
};

LightningBolt makeBolt(float alpha, float fadeStep, int lifetime, const Vec3& velocity = Vec3()) {
    LightningBolt bolt;
    bolt.set(Vec3(0, 40, 0), velocity, 1.0f, 1.0f, 1.0f, alpha, 60.0f, lifetime, fadeStep);
    return bolt;
}

std::vector<Frame> runUntilDead(LightningBolt& bolt, int maxUpdates) {
    std::vector<Frame> frames;
    for (int i = 0; i < maxUpdates && !bolt.dead; ++i) {
        bolt.update();
        frames.push_back({bolt.colour[3], bolt.age, bolt.dead});
    }
    return frames;
}



// Draws numbers until the next roll of ten satisfies `wanted`.
void skipUntilNextRollIs(CRandom& random, bool (*wanted)(int)) {
    for (;;) {
        CRandom peek = random;
        if (wanted(peek.below(10))) return;
        random.next();
    }
}
}  // namespace

TEST(LightningBolt, SetGivesEveryValueAndKeepsTheLifecycleFlags) {
    LightningBolt bolt;
    bolt.set(Vec3(1, 2, 3), Vec3(4, 5, 6), 0.1f, 0.2f, 0.3f, 0.4f, 59.5f, 207, 0.01f);
    EXPECT_EQ(bolt.position.y, 2.0);
    EXPECT_EQ(bolt.velocity.z, 6.0);
    EXPECT_EQ(bolt.colour[0], 0.1f);
    EXPECT_EQ(bolt.colour[2], 0.3f);
    EXPECT_EQ(bolt.colour[3], 0.4f);
    EXPECT_EQ(bolt.halfSize, 59.5f);
    EXPECT_EQ(bolt.lifetime, 207);
    EXPECT_EQ(bolt.fadeStep, 0.01f);
    EXPECT_EQ(bolt.age, 0);
    EXPECT_FALSE(bolt.dead);
    EXPECT_TRUE(bolt.fadingIn);
    EXPECT_FALSE(bolt.fadingOut);
}

TEST(LightningBolt, StartUpBoltIsDrawnFourteenFrames) {
    LightningBolt bolt = makeBolt(1.0f, 0.2f, 15);
    const std::vector<Frame> frames = runUntilDead(bolt, 100);
    ASSERT_EQ(frames.size(), 15u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_FLOAT_EQ(frames[i].alpha, 1.2f) << "update " << i + 1;
        EXPECT_FALSE(frames[i].dead);
    }
    // Fading out starts at age 11, not 10: 1 / 0.2f is slightly below 5.
    const float fadingOut[] = {1.0f, 0.8f, 0.6f, 0.4f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(frames[10 + i].alpha, fadingOut[i]) << "age " << 11 + i;
        EXPECT_FALSE(frames[10 + i].dead);
    }
    EXPECT_TRUE(frames[14].dead);
    EXPECT_EQ(frames[14].age, 15);
    EXPECT_FALSE(bolt.fadingIn);
    EXPECT_TRUE(bolt.fadingOut);
}

TEST(LightningBolt, LongBoltFadesInForEightyTwoUpdatesAndDiesAtItsLifetime) {
    for (int lifetime : {200, 209}) {
        LightningBolt bolt = makeBolt(0.1f, 0.01f, lifetime);
        const std::vector<Frame> frames = runUntilDead(bolt, 1000);
        ASSERT_EQ(static_cast<int>(frames.size()), lifetime);
        auto alphaAtAge = [&](int age) { return frames[age - 1].alpha; };

        for (int age = 2; age <= 81; ++age) EXPECT_GT(alphaAtAge(age), alphaAtAge(age - 1));
        EXPECT_NEAR(alphaAtAge(81), 0.91f, 1e-5f);
        EXPECT_NEAR(alphaAtAge(82), 1.01f, 1e-6f);  // fading in ends on update 82
        // The threshold lifetime - 1 / 0.01f lies just below lifetime - 100,
        // so the hold lasts up to age lifetime - 101.
        for (int age = 83; age <= lifetime - 101; ++age) EXPECT_EQ(alphaAtAge(age), alphaAtAge(82));
        EXPECT_NEAR(alphaAtAge(lifetime - 100), 1.0f, 1e-6f);
        EXPECT_NEAR(alphaAtAge(lifetime - 99), 0.99f, 1e-6f);
        EXPECT_GT(alphaAtAge(lifetime - 9), 0.0f);
        for (int age = lifetime - 8; age <= lifetime; ++age) {
            EXPECT_EQ(alphaAtAge(age), 0.0f) << "age " << age;
        }
        for (int age = 1; age < lifetime; ++age) EXPECT_FALSE(frames[age - 1].dead);
        EXPECT_TRUE(frames.back().dead);
    }
}

TEST(LightningBolt, DeadBoltStillFinishesFadingInButNeitherMovesNorAges) {
    // Lifetime 1 with a slow fade: dead after one update while still fading in.
    LightningBolt bolt = makeBolt(0.1f, 0.01f, 1, Vec3(2, 0, 0));
    bolt.update();
    ASSERT_TRUE(bolt.dead);
    EXPECT_TRUE(bolt.fadingOut);  // its threshold was reached while fading in
    const Vec3 at = bolt.position;
    const float alpha = bolt.colour[3];
    bolt.update();
    EXPECT_EQ(bolt.age, 1);
    EXPECT_EQ(bolt.position.x, at.x);
    EXPECT_EQ(bolt.colour[3], alpha + 0.01f);
}

TEST(LightningBolt, MovesByVelocityTimesSinglePrecisionPointZeroFive) {
    LightningBolt bolt = makeBolt(1.0f, 0.2f, 15, Vec3(3, -1, 0.5));
    bolt.update();
    const double scale = 0.05000000074505806;
    EXPECT_EQ(bolt.position.x, 0.0 + 3.0 * scale);
    EXPECT_EQ(bolt.position.y, 40.0 + -1.0 * scale);
    EXPECT_EQ(bolt.position.z, 0.0 + 0.5 * scale);
}

TEST(BoltList, TheAddThatFindsItFullEmptiesItAndAddsNothing) {
    BoltList list;
    EXPECT_EQ(list.capacity, 30);
    list.add(LightningBolt());  // the start-up bolt
    for (int i = 0; i < 29; ++i) list.add(LightningBolt());
    EXPECT_EQ(list.count, 30);
    EXPECT_EQ(list.items.size(), 30u);

    list.add(LightningBolt());
    EXPECT_EQ(list.count, 0);
    EXPECT_TRUE(list.items.empty());

    list.add(LightningBolt());
    EXPECT_EQ(list.count, 1);
    EXPECT_EQ(list.items.size(), 1u);
    list.clear();
    EXPECT_EQ(list.count, 0);
    EXPECT_TRUE(list.items.empty());
}

TEST(Lightning, SetUpGreetsWithAShortBrightFlashAndAimsHigh) {
    Lightning l;
    CRandom predicted = l.random;
    l.setUp();
    ASSERT_EQ(l.bolts.count, 1);
    const LightningBolt& b = l.bolts.items[0];
    EXPECT_EQ(b.position.y, 40.0);
    EXPECT_EQ(b.colour[3], 1.0f);
    EXPECT_EQ(b.lifetime, 15);
    EXPECT_EQ(b.fadeStep, 0.2f);
    EXPECT_EQ(b.halfSize, static_cast<float>(60 + (predicted.below(10) - 5) * 0.1));
    EXPECT_EQ(l.strikePoint.y, 80.0);
    EXPECT_EQ(l.random.next(), predicted.next());  // one number drawn, for the size
}

TEST(Lightning, EachFrameRollsForAStrikeThenAgesEveryBolt) {
    Lightning l;
    l.setUp();
    CRandom predicted = l.random;
    LightningBolt expected = l.bolts.items[0];
    l.advanceFrame();
    expected.update();
    EXPECT_EQ(l.bolts.items[0].colour[3], expected.colour[3]);
    EXPECT_EQ(l.bolts.items[0].age, 1);
    ASSERT_LT(predicted.below(1000), 998);  // the sequence's first roll does not strike
    EXPECT_EQ(l.random.next(), predicted.next());  // so only the roll was drawn
}

TEST(Lightning, SpawnBoltAddsALongBoltAtTheStrikePoint) {
    Lightning l;
    l.strikePoint = Vec3(0, 80, 0);
    CRandom predicted = l.random;
    const int sizeRoll = predicted.below(10), lifeRoll = predicted.below(10);
    l.spawnBolt();
    ASSERT_EQ(l.bolts.count, 1);
    const LightningBolt& b = l.bolts.items[0];
    EXPECT_EQ(b.position.y, 80.0);
    EXPECT_EQ(b.velocity.x, 0.0);
    EXPECT_EQ(b.colour[3], 0.1f);
    EXPECT_EQ(b.fadeStep, 0.01f);
    EXPECT_EQ(b.halfSize, static_cast<float>(60 + (sizeRoll - 5) * 0.1));
    EXPECT_EQ(b.lifetime, 200 + lifeRoll);
    EXPECT_GE(b.halfSize, 59.5f);
    EXPECT_LE(b.halfSize, 60.4f);
}

TEST(Lightning, StrikeMovesThePointSixTimesInTenOtherwiseSpawns) {
    Lightning l;
    l.strikePoint = Vec3(0, 80, 0);

    skipUntilNextRollIs(l.random, [](int k) { return k >= 4; });
    CRandom predicted = l.random;
    predicted.next();
    const int x = predicted.below(30) - 15, z = predicted.below(30) - 15;
    l.maybeStrike();
    EXPECT_EQ(l.bolts.count, 0);
    EXPECT_EQ(l.strikePoint.x, x);
    EXPECT_EQ(l.strikePoint.y, 40.0);
    EXPECT_EQ(l.strikePoint.z, z);

    skipUntilNextRollIs(l.random, [](int k) { return k < 4; });
    l.maybeStrike();
    ASSERT_EQ(l.bolts.count, 1);
    EXPECT_EQ(l.bolts.items[0].position.x, x);  // placed at the moved point
    EXPECT_EQ(l.strikePoint.x, x);

    int spawned = 0;
    Lightning many;
    for (int i = 0; i < 1000; ++i) {
        const int before = many.bolts.count;
        many.maybeStrike();
        if (many.bolts.count != before) ++spawned;
        EXPECT_GE(many.strikePoint.x, -15.0);
        EXPECT_LE(many.strikePoint.x, 14.0);
    }
    EXPECT_GT(spawned, 330);
    EXPECT_LT(spawned, 470);
}
