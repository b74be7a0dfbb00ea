// Contact of surface points and of the ball's centre with the fixed scene.
// Many points sit exactly on a bound to pin down strict versus inclusive tests.
#include <gtest/gtest.h>

#include "scene/Contact.h"

namespace {
const Vec3 kUntouched(123.0, 456.0, 789.0);

struct Probe {
    bool hit;
    Vec3 correction;
};

Probe particleAt(double x, double y, double z) {
    Probe p{false, kUntouched};
    p.hit = particleContact(Vec3(x, y, z), p.correction);
    return p;
}

Probe centreAt(double x, double y, double z, double radius = 1.0) {
    Probe p{false, kUntouched};
    p.hit = centreContact(Vec3(x, y, z), radius, p.correction);
    return p;
}

void expectHit(const Probe& p, double cx, double cy, double cz) {
    ASSERT_TRUE(p.hit);
    EXPECT_NEAR(p.correction.x, cx, 1e-12);
    EXPECT_NEAR(p.correction.y, cy, 1e-12);
    EXPECT_NEAR(p.correction.z, cz, 1e-12);
}

void expectMiss(const Probe& p) {
    ASSERT_FALSE(p.hit);
    // A miss leaves the caller's correction alone.
    EXPECT_EQ(p.correction.x, kUntouched.x);
    EXPECT_EQ(p.correction.y, kUntouched.y);
    EXPECT_EQ(p.correction.z, kUntouched.z);
}
}  // namespace

TEST(ParticleContact, GroundPlateIsInclusiveAtZero) {
    expectHit(particleAt(0, 0, 0), 0, 0, 0);
    expectHit(particleAt(5, -0.25, 7), 0, 0.25, 0);
    expectMiss(particleAt(5, 1e-12, 7));
}

TEST(ParticleContact, SceneBoundsAreStrict) {
    expectMiss(particleAt(30, -1, 0));
    expectMiss(particleAt(-30, -1, 0));
    expectMiss(particleAt(0, -1, 30));
    expectMiss(particleAt(0, -1, -30));
    expectHit(particleAt(29.99, -1, -29.99), 0, 1, 0);
}

TEST(ParticleContact, PlatformSlabReplacesGround) {
    expectHit(particleAt(0, 1.6, 0), 0, 0.4, 0);
    expectMiss(particleAt(0, 1.59, 0));
    expectHit(particleAt(0, 2, 0), 0, 0, 0);
    expectMiss(particleAt(0, 2.0000001, 0));
    expectMiss(particleAt(2, 1.8, 0));   // the footprint's edges are outside
    expectMiss(particleAt(0, 1.8, -2));
    expectHit(particleAt(1.99, 1.8, -1.99), 0, 0.2, 0);
    expectMiss(particleAt(0, 1, 0));     // under the slab
}

TEST(ParticleContact, RampTopSlabNudgesDownhill) {
    expectHit(particleAt(-4, 1.9, -14), -0.0005, 0.1, 0);
    expectHit(particleAt(-4, 2, -14), -0.0005, 0, 0);      // on the surface: inclusive
    expectHit(particleAt(-4, 1.6, -14), -0.0005, 0.4, 0);  // slab bottom: inclusive
    expectHit(particleAt(4.8, 4.7, -14), -0.0005, 14.8 / 3 - 4.7, 0);
}

TEST(ParticleContact, RampFaces) {
    expectHit(particleAt(4.8, 1, -14), 0.2, 0, 0);
    expectMiss(particleAt(4.6, 1, -14));  // the end face starts strictly past 4.6
    expectHit(particleAt(0, 1, -10.2), 0, 0, 0.2);
    expectHit(particleAt(0, 1, -17.8), 0, 0, -0.2);
    expectMiss(particleAt(0, 1, -14));    // under the slab, away from the faces
    expectMiss(particleAt(0, 1, -10.4));  // near face is strict
    expectMiss(particleAt(0, 1, -17.6));  // far face is strict
}

TEST(ParticleContact, RampBlockBoundsAreStrict) {
    expectMiss(particleAt(5, 1, -14));
    expectMiss(particleAt(-10, 1, -14));
    expectMiss(particleAt(0, 1, -10));
    expectMiss(particleAt(0, 1, -18));
}

TEST(ParticleContact, RampAddsGroundCorrection) {
    expectHit(particleAt(0, -0.5, -10.2), 0, 0.5, 0.2);
    expectHit(particleAt(-9.9, -0.1, -14), -0.0005, 0.1 / 3 + 0.1 + 0.1, 0);
    // Under the ramp block but outside every ramp row: the ground alone.
    expectHit(particleAt(0, -0.5, -14), 0, 0.5, 0);
}

TEST(CentreContact, GroundAndPlatformLieFurtherOut) {
    expectHit(centreAt(0, 0, 0), 0, 0.3, 0);
    expectHit(centreAt(0, 0.3, 0), 0, 0, 0);
    expectMiss(centreAt(0, 0.3000001, 10));
    expectHit(centreAt(0, 2.2, 0), 0, 0.1, 0);
    expectHit(centreAt(0, 1.9, 0), 0, 0.4, 0);
    expectHit(centreAt(0, 2.3, 0), 0, 0, 0);
    expectMiss(centreAt(0, 1.89, 0));
    expectMiss(centreAt(2, 2.2, 0));
    expectMiss(centreAt(30, 0, 0));
    expectMiss(centreAt(0, 0, -30));
}

TEST(CentreContact, RampEndFace) {
    expectHit(centreAt(5, 1, -14), 0.7, 0, 0);
    expectHit(centreAt(5.5, 1, -14), 0.2, 0, 0);
    expectMiss(centreAt(4.8, 1, -14));  // strictly past 4.8
    expectMiss(centreAt(5.7, 1, -14));  // outside the widened block
    expectMiss(centreAt(5.5, 5.1, -14));  // end face stops strictly below 5.1
}

TEST(CentreContact, RampSideFacesFollowTheRadius) {
    expectHit(centreAt(0, 1, -9.5), 0, 0, 0.35);
    expectHit(centreAt(0, 1, -18.5), 0, 0, -0.35);
    expectMiss(centreAt(0, 1, -10.2));
    const double e = 1.0 - 0.15;
    expectMiss(centreAt(0, 1, e - 10.0));  // block bounds are strict
    expectMiss(centreAt(0, 1, -18.0 - e));
    // Radius 2: e = 1.85, so the near side is at z = -8.15.
    expectHit(centreAt(0, 1, -8.5, 2.0), 0, 0, 0.35);
    expectMiss(centreAt(0, 1, -9.5, 0.5));
}

TEST(CentreContact, ShiftedTopSlabAddsGround) {
    const double top = 0.4 / 3 + 0.3;
    expectHit(centreAt(-10.5, 0.2, -14), -0.0005, (top - 0.2) + 0.1, 0);
    expectHit(centreAt(-4, 2.5, -14), -0.0005, (6.9 / 3 + 0.3) - 2.5, 0);
    expectMiss(centreAt(-10.9, 1, -14));  // block's low x bound is strict
}
