// What the ball looks like: its outline where its centre is, the three
// display layers of keys 1, 2 and 3, and the build-up after key 9.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "shell/Window.h"
#include "tests/render/RenderHarness.h"
#include "world/World.h"

using namespace render;

namespace {
constexpr int kSettledFrames = 30;  // past the start-up flash
constexpr double kPi = 3.141592653589793;

Vec3 centreParticle() { return windowWorld().ball.particles[windowWorld().ball.centreIndex()].position; }

// The ball's own pixels in a frame: what the frame drew that a frame of the
// same moment with the surface switched off (key 3) did not.
Mask ballSilhouette(const FrameGrab& withBall, const FrameGrab& withoutBall) {
    return depthDifferences(withBall, withoutBall);
}

// Screen radius of a sphere of the ball's radius around the centre particle.
double expectedScreenRadius(const FrameGrab& grab) {
    const ScreenPoint centre = project(grab, centreParticle());
    // Measured sideways in the view, where the tilt does not foreshorten.
    const ScreenPoint side = project(grab, centreParticle() + Vec3(windowWorld().ball.radius, 0.0, 0.0));
    return std::hypot(side.x - centre.x, side.y - centre.y);
}

// A window around the ball, so that the FPS text and anything far from the
// ball stay out of the picture.
PixelBox aroundBall(const FrameGrab& grab) {
    const ScreenPoint centre = project(grab, centreParticle());
    const int reach = static_cast<int>(3.0 * expectedScreenRadius(grab)) + 10;
    return {static_cast<int>(centre.x) - reach, static_cast<int>(centre.y) - reach,
            static_cast<int>(centre.x) + reach, static_cast<int>(centre.y) + reach};
}

// What a frame drew around the ball that the reference frame (ball hidden)
// did not.
Mask ballPixels(const FrameGrab& frame, const FrameGrab& hidden) {
    return depthDifferences(frame, hidden).within(aroundBall(hidden));
}

struct LayerShape {
    int pixels = 0;
    int regions = 0;
    double discShare = 0;  // pixels / area of the ellipse in the bounding box
    int holes = 0;         // unset pixels well inside that ellipse
};

LayerShape shapeOf(const Mask& mask) {
    LayerShape shape;
    const PixelBox box = mask.bounds();
    if (box.empty()) return shape;
    shape.pixels = mask.count();
    shape.regions = static_cast<int>(mask.componentSizes().size());
    const double a = box.width() / 2.0, b = box.height() / 2.0;
    shape.discShare = shape.pixels / (kPi * a * b);
    for (int y = box.top; y <= box.bottom; ++y)
        for (int x = box.left; x <= box.right; ++x) {
            const double u = (x - box.centreX()) / (a - 3.0), v = (y - box.centreY()) / (b - 3.0);
            shape.holes += u * u + v * v <= 1.0 && !mask.at(x, y);
        }
    return shape;
}

void expectOutlineCentredOnCentreParticle(const FrameGrab& withBall, const FrameGrab& withoutBall,
                                          const char* when) {
    const Mask ballPixels = ballSilhouette(withBall, withoutBall);
    const PixelBox box = ballPixels.bounds();
    ASSERT_FALSE(box.empty()) << when << ": no ball drawn";
    const ScreenPoint centre = project(withBall, centreParticle());
    EXPECT_NEAR(box.centreX(), centre.x, 4.0) << when;
    EXPECT_NEAR(box.centreY(), centre.y, 4.0) << when;
    const double radius = expectedScreenRadius(withBall);
    EXPECT_NEAR(box.width() / 2.0, radius, 0.15 * radius) << when;
    EXPECT_NEAR(box.height() / 2.0, radius, 0.2 * radius) << when;
    // A full disc, not a ring or a scatter of dots.
    const double disc = kPi * box.width() * box.height() / 4.0;
    EXPECT_GT(ballPixels.count(), 0.85 * disc) << when;
    EXPECT_EQ(ballPixels.componentSizes().size(), 1u) << when;
    // And it is seen: the colours differ from what lies behind it.
    EXPECT_GT(colourChangesWithin(ballPixels, withBall, withoutBall), 0.9 * ballPixels.count())
        << when;
}
}  // namespace

TEST(BallDrawing, OutlineIsCentredOnTheCentreParticleAtStartAndAfterRolling) {
    PicsDirectory pics;
    START_UP_OR_SKIP(output);
    const FrameGrab atStart = runIdleCalls(kSettledFrames);
    const FrameGrab hidden = pressKey('3');
    pressKey('3');
    ASSERT_TRUE(atStart.valid());
    ASSERT_TRUE(hidden.valid());
    expectOutlineCentredOnCentreParticle(atStart, hidden, "at start");

    // Hold the right arrow: the board tilts and the ball rolls off to the right.
    const Vec3 startCentre = centreParticle();
    windowSpecialDown(kSpecialKeyRight, 0, 0);
    const FrameGrab rolled = runIdleCalls(300);
    const FrameGrab rolledHidden = pressKey('3');
    pressKey('3');
    windowSpecialUp(kSpecialKeyRight, 0, 0);
    ASSERT_TRUE(rolled.valid());
    EXPECT_LT(windowWorld().board.tiltZ, -10.0f) << "the board tilted";
    EXPECT_GT(centreParticle().x - startCentre.x, 2.0) << "the ball rolled to the right";
    dumpFrame(rolled, "ball-rolled");
    expectOutlineCentredOnCentreParticle(rolled, rolledHidden, "after rolling");
}

TEST(BallDrawing, KeysOneTwoThreeShowSpheresLinesAndSkin) {
    PicsDirectory pics;
    START_UP_OR_SKIP(output);
    const FrameGrab skin = runIdleCalls(kSettledFrames);
    const FrameGrab nothing = pressKey('3');
    const FrameGrab spheres = pressKey('1');
    const FrameGrab nothingAgain = pressKey('1');
    const FrameGrab lines = pressKey('2');
    pressKey('2');
    const FrameGrab skinAgain = pressKey('3');
    for (const FrameGrab* g : {&skin, &nothing, &spheres, &nothingAgain, &lines, &skinAgain})
        ASSERT_TRUE(g->valid());
    dumpFrame(spheres, "ball-spheres");
    dumpFrame(lines, "ball-lines");

    // Skin: one solid disc.
    const Mask skinMask = ballPixels(skin, nothing);
    const LayerShape skinShape = shapeOf(skinMask);
    EXPECT_EQ(skinShape.regions, 1);
    EXPECT_GT(skinShape.discShare, 0.9);
    EXPECT_EQ(skinShape.holes, 0);
    EXPECT_GT(colourChangesWithin(skinMask, skin, nothing), 0.9 * skinShape.pixels);

    // All layers off: nothing of the ball at all.
    EXPECT_EQ(ballPixels(nothingAgain, nothing).count(), 0);

    // Spheres: many small separate dots spread over the windowWorld().ball.
    const Mask sphereMask = ballPixels(spheres, nothing);
    const LayerShape sphereShape = shapeOf(sphereMask);
    EXPECT_GE(sphereShape.regions, 30);
    EXPECT_LT(sphereShape.discShare, 0.4);
    EXPECT_GT(sphereShape.pixels, 122 * 3) << "122 spheres of a few pixels each";
    EXPECT_NEAR(sphereMask.bounds().width(), skinMask.bounds().width(), 8);

    // Lines: one connected net as wide as the ball, with gaps between the
    // strands that the skin does not have.
    const Mask lineMask = ballPixels(lines, nothing);
    const LayerShape lineShape = shapeOf(lineMask);
    EXPECT_EQ(lineShape.regions, 1);
    EXPECT_GT(lineShape.holes, 0.05 * skinShape.pixels);
    EXPECT_GT(lineShape.discShare, 0.4);
    EXPECT_NEAR(lineMask.bounds().width(), skinMask.bounds().width(), 6);
    EXPECT_GT(colourChangesWithin(lineMask, lines, nothing), 0.9 * lineShape.pixels);

    // Key 3 again brings the same skin back.
    const Mask again = ballPixels(skinAgain, nothing);
    EXPECT_EQ(again.count(), skinMask.count());
    EXPECT_EQ(depthDifferences(skinAgain, skin).within(aroundBall(skin)).count(), 0);
}

TEST(BallDrawing, AfterKeyNineTheParticlesAppearOneByOne) {
    PicsDirectory pics;
    START_UP_OR_SKIP(output);
    runIdleCalls(kSettledFrames);
    const FrameGrab hidden = pressKey('3');
    pressKey('3');
    ASSERT_TRUE(hidden.valid());
    const int particleCount = static_cast<int>(windowWorld().ball.particles.size());
    ASSERT_EQ(particleCount, 123);

    // The frame drawn by the key itself shows no particle yet; then one more
    // particle joins every 6 frames, in list order, up to all of them.
    const FrameGrab resetFrame = pressKey('9');
    ASSERT_TRUE(resetFrame.valid());
    EXPECT_EQ(ballPixels(resetFrame, hidden).count(), 0);
    const int buildUpFrames = 6 * (particleCount + 1);
    int frame = 0;
    while (frame + 1 < buildUpFrames) {
        // Every frame while the first particles come, then a sample.
        const int next = frame < 90 ? frame + 1 : std::min(frame + 59, buildUpFrames - 1);
        const FrameGrab grab = runIdleCalls(next - frame);
        frame = next;
        const int shown = frame / 6;
        const Mask drawn = ballPixels(grab, hidden);
        std::vector<ScreenPoint> shownAt;
        for (int i = 0; i < shown; ++i) {
            const ScreenPoint p = project(grab, windowWorld().ball.particles[i].position);
            shownAt.push_back(p);
            const int x = static_cast<int>(std::lround(p.x)), y = static_cast<int>(std::lround(p.y));
            // Particles pressed into the ground are hidden by it.
            if (p.depth > depthAt(hidden, x, y)) continue;
            EXPECT_GT(drawn.countIn({x - 2, y - 2, x + 2, y + 2}), 0)
                << "frame " << frame << ": particle " << i;
        }
        // Nothing drawn away from the particles that should be shown.
        int stray = 0;
        for (int y = 0; y < drawn.height; ++y)
            for (int x = 0; x < drawn.width; ++x) {
                if (!drawn.at(x, y)) continue;
                bool nearShown = false;
                for (const ScreenPoint& p : shownAt)
                    nearShown = nearShown || std::hypot(x - p.x, y - p.y) <= 4.0;
                stray += !nearShown;
            }
        EXPECT_EQ(stray, 0) << "frame " << frame << " with " << shown << " particles shown";
        if (HasFailure()) {
            dumpFrame(grab, "buildup-failure");
            return;
        }
    }
    // The frame that showed all of them for the sixth time ended the build-up;
    // the next one is the normal display.
    EXPECT_FALSE(windowWorld().ball.buildUpActive);
    const FrameGrab skinBack = runIdleCalls(1);
    const LayerShape shape = shapeOf(ballPixels(skinBack, hidden));
    EXPECT_EQ(shape.regions, 1);
    EXPECT_GT(shape.discShare, 0.9);
}
