// Where the jelly look's contact shadow falls and how dark it is, before
// anything is drawn: under the ball on the top it hangs over, darker and
// tighter the closer it comes, and on no top it is beside or below.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "ball/SoftBall.h"
#include "draw/ContactShadow.h"
#include "scene/Contact.h"

namespace {
enum Top { kPlate = 0, kPlatform = 1, kRamp = 2 };

// The start-up ball moved so that its centre is over (x, z) and its lowest
// point `gap` above `ground`.
SoftBall ballAt(double x, double z, double ground, double gap) {
    SoftBall ball;
    ball.setUpModel();
    const Vec3 centre = ball.particles[ball.centreIndex()].position;
    double lowest = centre.y;
    for (const auto& p : ball.particles) lowest = std::min(lowest, p.position.y);
    const Vec3 shift(x - centre.x, ground + gap - lowest, z - centre.z);
    for (auto& p : ball.particles) p.position = p.position + shift;
    return ball;
}

const ShadowBlob* blobOn(const std::vector<ShadowBlob>& blobs, Top top) {
    for (const ShadowBlob& blob : blobs)
        if (blob.top == &topSurfaces()[top]) return &blob;
    return nullptr;
}
}  // namespace

TEST(ContactShadowGeometry, ATouchingBallShadesThePlateRightUnderItAtFullDarkness) {
    const SoftBall ball = ballAt(-6.0, 5.0, 0.0, 0.0);
    const std::vector<ShadowBlob> blobs = contactShadows(ball);
    ASSERT_EQ(blobs.size(), 1u);
    const ShadowBlob& blob = blobs.front();
    EXPECT_EQ(blob.top, &topSurfaces()[kPlate]);
    EXPECT_DOUBLE_EQ(blob.centreX, -6.0);
    EXPECT_DOUBLE_EQ(blob.centreZ, 5.0);
    EXPECT_DOUBLE_EQ(blob.darkness, kMostShadowDarkness);
    EXPECT_GT(blob.radius, ball.radius);
    EXPECT_LT(blob.radius, 2.0 * ball.radius);
}

TEST(ContactShadowGeometry, TheHigherTheBallTheFainterAndWiderUntilItIsGone) {
    double darkness = 1.0, radius = 0.0;
    for (const double gap : {0.0, 0.5, 1.0, 2.0, 2.9}) {
        SCOPED_TRACE(gap);
        const std::vector<ShadowBlob> blobs = contactShadows(ballAt(-6.0, 5.0, 0.0, gap));
        ASSERT_EQ(blobs.size(), 1u);
        EXPECT_LT(blobs.front().darkness, darkness);
        EXPECT_GT(blobs.front().radius, radius);
        darkness = blobs.front().darkness;
        radius = blobs.front().radius;
    }
    EXPECT_LT(darkness, 0.01);
    EXPECT_TRUE(contactShadows(ballAt(-6.0, 5.0, 0.0, 3.0)).empty());
    EXPECT_TRUE(contactShadows(ballAt(-6.0, 5.0, 0.0, 10.0)).empty());
}

TEST(ContactShadowGeometry, OnThePlatformAndTheRampTheTopBelowGetsTheDarkShadow) {
    const std::vector<ShadowBlob> onPlatform = contactShadows(ballAt(0.5, -0.5, 2.0, 0.0));
    ASSERT_NE(blobOn(onPlatform, kPlatform), nullptr);
    EXPECT_DOUBLE_EQ(blobOn(onPlatform, kPlatform)->darkness, kMostShadowDarkness);
    // The plate two units further down gets a faint one round the platform.
    ASSERT_NE(blobOn(onPlatform, kPlate), nullptr);
    EXPECT_LT(blobOn(onPlatform, kPlate)->darkness, 0.2 * kMostShadowDarkness);

    const double rampTop = topSurfaces()[kRamp].heightAt(-3.0);
    const std::vector<ShadowBlob> onRamp = contactShadows(ballAt(-3.0, -14.0, rampTop, 0.0));
    ASSERT_NE(blobOn(onRamp, kRamp), nullptr);
    // Set down by its lowest point over the slope, the ball dips into its
    // rising side: it touches.
    EXPECT_DOUBLE_EQ(blobOn(onRamp, kRamp)->darkness, kMostShadowDarkness);
    EXPECT_EQ(blobOn(onRamp, kPlatform), nullptr);
}

TEST(ContactShadowGeometry, NoShadowOnATopBesideOrAboveTheBall) {
    // On the plate next to the ramp's high end, and next to the platform.
    const std::vector<ShadowBlob> besideRamp = contactShadows(ballAt(3.5, -8.8, 0.0, 0.0));
    EXPECT_EQ(blobOn(besideRamp, kRamp), nullptr);
    ASSERT_NE(blobOn(besideRamp, kPlate), nullptr);
    const std::vector<ShadowBlob> besidePlatform = contactShadows(ballAt(3.2, 0.0, 0.0, 0.0));
    EXPECT_EQ(blobOn(besidePlatform, kPlatform), nullptr);
    // Far from the platform: nothing on it, although the ball is above it.
    EXPECT_EQ(blobOn(contactShadows(ballAt(12.0, 12.0, 0.0, 2.5)), kPlatform), nullptr);
    // A ball that is not built casts nothing.
    EXPECT_TRUE(contactShadows(SoftBall()).empty());
}
