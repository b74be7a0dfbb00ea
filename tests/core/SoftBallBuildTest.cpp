// Construction of the soft ball: particle placement and numbering, the
// springs and their order, other ring and segment counts, and reset.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "ball/SoftBall.h"

namespace {
const double kPi = 3.141592653589793;

void buildBall(SoftBall& ball, int rings, int segments) {
    ball.setUpModel();
    ball.rings = rings;
    ball.segments = segments;
    ball.particles.clear();
    ball.buildParticles();
    ball.buildSprings(ball.surfaceStiffness);
}

std::vector<int> springTargets(const SoftBall& ball, int particle) {
    std::vector<int> targets;
    for (const Spring& spring : ball.particles.springsOf(static_cast<std::size_t>(particle))) targets.push_back(spring.to);
    return targets;
}

// Every spring as (from, to).
std::vector<std::pair<int, int>> springEnds(const SoftBall& ball) {
    std::vector<std::pair<int, int>> ends;
    for (std::size_t i = 0; i < ball.particles.size(); ++i)
        for (const Spring& spring : ball.particles.springsOf(i)) ends.emplace_back(static_cast<int>(i), spring.to);
    return ends;
}

std::size_t totalSprings(const SoftBall& ball) {
    std::size_t total = 0;
    for (std::size_t i = 0; i < ball.particles.size(); ++i) total += ball.particles.springsOf(i).size();
    EXPECT_EQ(total, ball.particles.springCount());
    return total;
}

void expectNear(const Vec3& v, double x, double y, double z, double tolerance) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

class DefaultBall : public ::testing::Test {
protected:
    void SetUp() override { ball.setUpModel(); }
    const Vec3& at(int index) const { return ball.particles[index].position; }
    SoftBall ball;
};
}  // namespace

TEST_F(DefaultBall, ParametersAndFlags) {
    EXPECT_EQ(ball.rings, 12);
    EXPECT_EQ(ball.segments, 12);
    EXPECT_EQ(ball.radius, 1.0);
    EXPECT_EQ(ball.damping, 4.0);
    EXPECT_EQ(ball.timeStep, 0.1);
    EXPECT_EQ(ball.centreStiffness, 20.0);
    EXPECT_EQ(ball.surfaceStiffness, 10.0);
    EXPECT_EQ(ball.gravity.y, -0.1);
    EXPECT_EQ(ball.pushForce.x, 0.0);
    EXPECT_FALSE(ball.buildUpActive);
    EXPECT_FALSE(ball.showParticles);
    EXPECT_FALSE(ball.showSprings);
    EXPECT_TRUE(ball.showSurface);
    EXPECT_EQ(ball.contactCount, 0);
    EXPECT_TRUE(ball.isBuilt());
}

TEST_F(DefaultBall, ParticlesFollowTheNumbering) {
    ASSERT_EQ(ball.particles.size(), 123u);
    expectNear(at(0), 0, 5, 1, 0);
    expectNear(at(121), 0, 5, -1, 0);
    expectNear(at(122), 0, 5, 0, 0);
    expectNear(at(ball.ringIndex(1, 0)), 0.279829, 5, 0.960050, 1e-6);
    expectNear(at(ball.ringIndex(10, 3)), 0, 5.300706, -0.953717, 1e-6);
    for (const auto& p : ball.particles) {
        EXPECT_EQ(p.velocity.x, 0.0);
        EXPECT_EQ(p.velocity.y, 0.0);
        EXPECT_EQ(p.velocity.z, 0.0);
    }
}

TEST_F(DefaultBall, RingsSitOneAndOneTwelfthPolarStepsApart) {
    // Ring r lies at r * 13 * pi / 144 from the north pole, so the last ring
    // is 17.5 degrees from the south pole rather than 16.25.
    for (int r = 1; r <= 10; ++r) {
        const double theta = r * 13.0 * kPi / 144.0;
        for (int s = 0; s < 12; ++s) {
            const double phi = s * kPi / 6.0;
            expectNear(at(ball.ringIndex(r, s)), std::sin(theta) * std::cos(phi), 5 + std::sin(theta) * std::sin(phi),
                       std::cos(theta), 1e-12);
        }
    }
}

TEST_F(DefaultBall, SpringCountsPerParticle) {
    EXPECT_EQ(ball.particles.springsOf(0).size(), 13u);
    EXPECT_EQ(ball.particles.springsOf(121).size(), 13u);
    EXPECT_EQ(ball.particles.springsOf(122).size(), 0u);
    for (int s = 0; s < 12; ++s) {
        EXPECT_EQ(ball.particles.springsOf(ball.ringIndex(1, s)).size(), 7u);
        EXPECT_EQ(ball.particles.springsOf(ball.ringIndex(10, s)).size(), 7u);
        for (int r = 2; r <= 9; ++r) EXPECT_EQ(ball.particles.springsOf(ball.ringIndex(r, s)).size(), 9u);
    }
    EXPECT_EQ(totalSprings(ball), 1058u);
}

TEST_F(DefaultBall, SpringListOrder) {
    const int centre = 122;
    std::vector<int> north;
    for (int s = 0; s < 12; ++s) north.push_back(ball.ringIndex(1, s));
    north.push_back(centre);
    EXPECT_EQ(springTargets(ball, 0), north);

    const auto ring = [this](int r, int s) { return ball.ringIndex(r, s); };
    EXPECT_EQ(springTargets(ball, ring(1, 0)),
              (std::vector<int>{centre, ring(2, 0), ring(2, 1), ring(2, 11), ring(1, 1), ring(1, 11), 0}));
    EXPECT_EQ(springTargets(ball, ring(5, 0)), (std::vector<int>{centre, ring(6, 0), ring(6, 1), ring(6, 11), ring(5, 1),
                                                                 ring(5, 11), ring(4, 1), ring(4, 0), ring(4, 11)}));
    EXPECT_EQ(springTargets(ball, ring(10, 11)),
              (std::vector<int>{centre, ring(9, 0), ring(9, 11), ring(9, 10), ring(10, 0), ring(10, 10), 121}));
}

TEST_F(DefaultBall, RestLengthsAndStiffness) {
    const int centre = 122;
    for (std::size_t i = 0; i < ball.particles.size(); ++i) {
        for (const Spring& spring : ball.particles.springsOf(i)) {
            EXPECT_NE(spring.to, static_cast<int>(i));
            EXPECT_EQ(spring.stiffness, spring.to == centre ? 20.0f : 10.0f);
            if (spring.to == centre) {
                EXPECT_EQ(spring.restLength, 1.0f);
            }
            // The freshly built ball is at rest: every spring at its rest length.
            EXPECT_EQ(spring.restLength,
                      static_cast<float>(length(ball.particles[i].position - ball.particles[spring.to].position)));
        }
    }
    const float northGap = static_cast<float>(2.0 * std::sin(13.0 * kPi / 288.0));
    const float southGap = static_cast<float>(2.0 * std::sin(7.0 * kPi / 144.0));
    EXPECT_NEAR(northGap, 0.282666, 1e-6);
    EXPECT_NEAR(southGap, 0.304247, 1e-6);
    EXPECT_FLOAT_EQ(ball.particles.springsOf(0)[4].restLength, northGap);
    EXPECT_FLOAT_EQ(ball.particles.springsOf(121)[7].restLength, southGap);
    EXPECT_FLOAT_EQ(ball.particles.springsOf(ball.ringIndex(1, 3))[1].restLength, northGap);  // to ring(2, 3)
}

TEST_F(DefaultBall, SurfaceSpringsComeInTwins) {
    std::map<std::pair<int, int>, float> rest;
    for (std::size_t i = 0; i < ball.particles.size(); ++i)
        for (const Spring& spring : ball.particles.springsOf(i)) rest[{static_cast<int>(i), spring.to}] = spring.restLength;
    EXPECT_EQ(rest.size(), 1058u);  // no pair twice
    for (const auto& [pair, length] : rest) {
        if (pair.second == 122) continue;  // the centre owns no springs
        const auto twin = rest.find({pair.second, pair.first});
        ASSERT_NE(twin, rest.end()) << pair.first << " -> " << pair.second;
        EXPECT_EQ(twin->second, length);
    }
}

TEST(SoftBallBuild, OtherRingAndSegmentCounts) {
    struct Size {
        int rings, segments;
        std::size_t particles, springs;
    };
    // Two poles of S + 1 springs, two outer rings of 7, the other rings of 9.
    for (const Size size : {Size{4, 3, 9, 50}, Size{5, 4, 15, 2 * 5 + 2 * 4 * 7 + 4 * 9}, Size{24, 24, 531, 4706},
                            Size{96, 96, 9027, 2 * 97 + 2 * 96 * 7 + 92 * 96 * 9}}) {
        SCOPED_TRACE(testing::Message() << size.rings << "x" << size.segments);
        SoftBall ball;
        buildBall(ball, size.rings, size.segments);
        ASSERT_TRUE(ball.isBuilt());
        EXPECT_EQ(ball.particles.size(), size.particles);
        EXPECT_EQ(totalSprings(ball), size.springs);
        EXPECT_TRUE(ball.particles.springsOf(ball.particles.size() - 1).empty());
        EXPECT_EQ(ball.particles[ball.particles.size() - 1].position.y, 5.0);
        EXPECT_EQ(ball.particles[ball.southPoleIndex()].position.z, -1.0);

        std::set<std::pair<int, int>> pairs;
        for (const auto& ends : springEnds(ball)) {
            EXPECT_NE(ends.first, ends.second);
            EXPECT_TRUE(pairs.insert(ends).second);
        }
        for (std::size_t i = 0; i < ball.particles.size(); ++i)
            for (const Spring& spring : ball.particles.springsOf(i)) EXPECT_GT(spring.restLength, 0.0f);
    }
}

TEST(SoftBallBuild, TooFewRingsOrSegmentsBuildNoSprings) {
    SoftBall ball;
    buildBall(ball, 3, 12);
    EXPECT_FALSE(ball.isBuilt());
    EXPECT_EQ(totalSprings(ball), 0u);
    buildBall(ball, 12, 2);
    EXPECT_FALSE(ball.isBuilt());
    EXPECT_EQ(totalSprings(ball), 0u);
}

TEST(SoftBallReset, RebuildsHalfAUnitHigherAndStartsTheBuildUp) {
    SoftBall ball;
    ball.setUpModel();
    ball.pushForce = Vec3(0.25, 0.0, 0.0);
    ball.contactCount = 7;
    ball.buildUpShown = 40;
    ball.buildUpFrames = 3;
    ball.reset();
    EXPECT_EQ(ball.centre.y, 5.5);
    EXPECT_TRUE(ball.buildUpActive);
    EXPECT_EQ(ball.buildUpShown, 0);
    EXPECT_EQ(ball.buildUpFrames, 0);
    EXPECT_EQ(ball.pushForce.x, 0.25);
    EXPECT_EQ(ball.contactCount, 7);
    ASSERT_EQ(ball.particles.size(), 123u);
    EXPECT_EQ(totalSprings(ball), 1058u);
    expectNear(ball.particles[0].position, 0, 5.5, 1, 0);
    expectNear(ball.particles[122].position, 0, 5.5, 0, 0);

    ball.reset();
    EXPECT_EQ(ball.centre.y, 6.0);
    expectNear(ball.particles[121].position, 0, 6, -1, 0);
}

TEST(SoftBallReset, BuildsAtRestAboveTheLastCentre) {
    SoftBall ball;
    ball.setUpModel();
    for (int i = 0; i < 300; ++i) ball.step();
    const Vec3 lastCentre = ball.centre;
    ball.reset();
    expectNear(ball.particles[122].position, lastCentre.x, lastCentre.y + 0.5, lastCentre.z, 0);
    for (std::size_t i = 0; i < ball.particles.size(); ++i) {
        const Particle& p = ball.particles[i];
        EXPECT_EQ(p.velocity.y, 0.0);
        for (const Spring& spring : ball.particles.springsOf(i))
            EXPECT_EQ(spring.restLength, static_cast<float>(length(p.position - ball.particles[spring.to].position)));
    }
}
