// The jelly look as a person sees it: a green ball with a highlight and a
// shaded side whose shading follows a squash, a soft shadow right under it
// on the plate, the platform and the ramp, springs and mass points visible
// over it, and the GL state and the sky left as the classic look leaves them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "draw/Gl.h"
#include "scene/Contact.h"
#include "shell/Window.h"
#include "tests/render/RenderHarness.h"
#include "world/World.h"

using namespace render;

namespace {
SoftBall& ball() { return windowWorld().ball; }
Vec3 centre() { return ball().particles[ball().centreIndex()].position; }

// Paused, without lightning: two frames differ only by what the test changed.
void startStill() {
    runIdleCalls(30);  // past the start-up flash
    windowWorld().run.paused = true;
    windowWorld().display.lightningVisible = false;
}

// The ball moved over (x, z) with its lowest point `gap` above `ground`, and
// the camera above and in front of it, looking down.
void placeBall(double x, double z, double ground, double gap) {
    double lowest = centre().y;
    for (const auto& p : ball().particles) lowest = std::min(lowest, p.position.y);
    const Vec3 shift(x - centre().x, ground + gap - lowest, z - centre().z);
    for (auto& p : ball().particles) p.position = p.position + shift;
    windowWorld().camera.position = Vec3(x, ground + 5.5, z + 8.0);
    windowWorld().camera.pitch = -32.0f;
}

FrameGrab frame() { return runIdleCalls(1); }

// The same moment without the skin, which takes the shadow along.
FrameGrab frameWithoutBall() {
    ball().showSurface = false;
    const FrameGrab grab = frame();
    ball().showSurface = true;
    return grab;
}

int brightness(const unsigned char* p) { return p[0] + p[1] + p[2]; }

// What `shown` draws in front of `bare`, below the overlay's text: the frame
// rate there appears and changes with the clock.
Mask ballMask(const FrameGrab& shown, const FrameGrab& bare) {
    return depthDifferences(shown, bare).within({0, 50, shown.width() - 1, shown.height() - 1});
}

// The brightness of what `shown` draws in front of `bare`, darkest first,
// and how far its green stands out of its red and blue on average.
std::vector<int> ballBrightness(const FrameGrab& shown, const FrameGrab& bare, double* greenness = nullptr) {
    const Mask mask = ballMask(shown, bare);
    std::vector<int> values;
    double green = 0;
    for (std::size_t i = 0; i < mask.set.size(); ++i) {
        const unsigned char* p = shown.frame.at(i % mask.width, i / mask.width);
        if (!mask.set[i]) continue;
        values.push_back(brightness(p));
        green += p[1] - std::max(p[0], p[2]);
    }
    if (greenness) *greenness = green / std::max<std::size_t>(values.size(), 1);
    std::sort(values.begin(), values.end());
    return values;
}

int percentile(const std::vector<int>& sorted, double share) {
    return sorted[static_cast<std::size_t>(share * (sorted.size() - 1))];
}

// Of the pixels that are the ball in both frames, the share whose colour changed.
double shareRecoloured(const FrameGrab& a, const FrameGrab& b, const FrameGrab& bare) {
    const Mask inA = ballMask(a, bare), inB = ballMask(b, bare), changed = differences(a, b);
    int both = 0, recoloured = 0;
    for (std::size_t i = 0; i < inA.set.size(); ++i) {
        both += inA.set[i] && inB.set[i];
        recoloured += inA.set[i] && inB.set[i] && changed.set[i];
    }
    return static_cast<double>(recoloured) / std::max(both, 1);
}

// Over the pixels of `top` that all frames show uncovered, between `from`
// and `to` from the ball's centre in x and z: how many, how much darker
// `shaded` draws them than `bare` on average, and how many it changes at all.
struct Darkening {
    int pixels = 0, changed = 0;
    double mean = 0;
};

Darkening darkening(const TopSurface& top, const FrameGrab& shaded, const FrameGrab& bare, const FrameGrab& other,
                    double from, double to) {
    Darkening d;
    for (int y = 0; y < bare.height(); ++y)
        for (int x = 0; x < bare.width(); ++x) {
            const float depth = depthAt(bare, x, y);
            if (depthAt(shaded, x, y) != depth || depthAt(other, x, y) != depth) continue;
            const Vec3 seen = pointSeenAt(bare, x, y);
            const double distance = std::hypot(seen.x - centre().x, seen.z - centre().z);
            // The plate and the platform are drawn 0.01 below their tops.
            if (!top.covers(seen.x, seen.z) || std::fabs(seen.y - top.heightAt(seen.x)) > 0.03 || distance < from ||
                distance >= to)
                continue;
            const int darker = brightness(bare.frame.at(x, y)) - brightness(shaded.frame.at(x, y));
            ++d.pixels;
            d.changed += darker != 0;
            d.mean += darker;
        }
    d.mean /= std::max(d.pixels, 1);
    return d;
}
}  // namespace

TEST(JellyLook, GelShowsAHighlightAShadedSideAndShadingThatFollowsASquash) {
    PicsDirectory pics;
    START_UP_OR_SKIP(output);
    startStill();
    placeBall(-4.0, 4.0, 0.0, 0.0);
    const FrameGrab bare = frameWithoutBall();
    const FrameGrab classic = frame();
    pressKey('4');  // as a person switches it
    ASSERT_EQ(windowWorld().display.look, BallLook::Jelly);
    const FrameGrab jelly = frame();
    dumpFrame(jelly, "jelly-look");

    // A highlight near white and a side in shade, where the classic ball is
    // one pale grey.
    double greenness = 0;
    const std::vector<int> gel = ballBrightness(jelly, bare, &greenness), grey = ballBrightness(classic, bare);
    ASSERT_GT(gel.size(), 2000u);
    EXPECT_NEAR(gel.size(), grey.size(), 0.03 * gel.size()) << "the same outline in both looks";
    EXPECT_GE(percentile(gel, 0.99), 600);
    EXPECT_LE(percentile(gel, 0.02), 200);
    EXPECT_GE(percentile(gel, 0.98) - percentile(gel, 0.02), 3 * (percentile(grey, 0.98) - percentile(grey, 0.02)));
    EXPECT_GE(greenness, 60.0) << "green, which neither the grey rock nor the blue sky is";

    // Squashed to 60 % of its height about its base: the jelly's shading
    // changes over most of the ball, the classic ball's hardly anywhere.
    const Vec3 c = centre();
    const double base = 0.0, widen = 1.0 / std::sqrt(0.6);  // placed on the plate
    for (auto& p : ball().particles) {
        const Vec3 v = p.position;
        p.position = Vec3(c.x + (v.x - c.x) * widen, base + (v.y - base) * 0.6, c.z + (v.z - c.z) * widen);
    }
    const FrameGrab jellySquashed = frame();
    pressKey('4');
    ASSERT_EQ(windowWorld().display.look, BallLook::Classic);
    const FrameGrab classicSquashed = frame();
    dumpFrame(jellySquashed, "jelly-look-squashed");
    EXPECT_GE(shareRecoloured(jelly, jellySquashed, bare), 0.3);
    EXPECT_LE(shareRecoloured(classic, classicSquashed, bare), 0.1);
}

TEST(JellyLook, ShadowDarkensTheTopUnderTheBallCloserDarkerAndNothingFarFromIt) {
    PicsDirectory pics;
    START_UP_OR_SKIP(output);
    startStill();
    windowWorld().display.look = BallLook::Jelly;
    // Plate, platform, ramp, and the plate beside the platform, whose top,
    // above the ball's centre, must stay clear.
    const struct {
        int top;
        double x, z;
        int clear;
    } spots[] = {{0, -4.0, 4.0, -1}, {1, 0.0, 0.0, -1}, {2, -3.0, -14.0, -1}, {0, 3.2, 0.0, 1}};
    for (const auto& spot : spots) {
        SCOPED_TRACE(spot.x);
        const TopSurface& top = topSurfaces()[spot.top];
        placeBall(spot.x, spot.z, top.heightAt(spot.x), 0.0);
        const FrameGrab touching = frame();
        const FrameGrab bare = frameWithoutBall();
        placeBall(spot.x, spot.z, top.heightAt(spot.x), 1.2);
        const FrameGrab lifted = frame();
        dumpFrame(touching, "jelly-look-shadow-" + std::to_string(&spot - spots));

        // Round the ball, clearly darker; from two radii on, untouched.
        const Darkening near = darkening(top, touching, bare, lifted, 0.0, 1.5);
        ASSERT_GT(near.pixels, 200);
        EXPECT_GE(near.mean, 60.0);
        EXPECT_GE(near.changed, 0.95 * near.pixels);
        const Darkening far = darkening(top, touching, bare, lifted, 2.0, 1e9);
        EXPECT_GT(far.pixels, 1000);
        EXPECT_EQ(far.changed, 0);
        // Lifted: fainter, still there, and wider but not far.
        const Darkening high = darkening(top, lifted, bare, touching, 0.0, 1.5);
        EXPECT_GE(high.mean, 10.0);
        EXPECT_LE(high.mean, 0.7 * near.mean);
        EXPECT_EQ(darkening(top, lifted, bare, touching, 2.5, 1e9).changed, 0);
        if (spot.clear < 0) continue;
        const Darkening above = darkening(topSurfaces()[spot.clear], touching, bare, lifted, 0.0, 1e9);
        EXPECT_GT(above.pixels, 1000);
        EXPECT_EQ(above.changed, 0);
    }
}

TEST(JellyLook, SpringsAndPointsShowOverTheGelAndTheFrameLeavesStateAndSkyAsClassic) {
    PicsDirectory pics;
    START_UP_OR_SKIP(output);
    startStill();
    placeBall(0.0, 0.0, 2.0, 0.3);
    windowWorld().camera = Camera();
    placeCameraAtStart(windowWorld().camera);
    windowWorld().display.look = BallLook::Jelly;
    const FrameGrab skin = frame();
    const FrameGrab bare = frameWithoutBall();
    ball().showSprings = ball().showParticles = true;
    const FrameGrab layers = frame();
    dumpFrame(layers, "jelly-look-layers");
    // Over the middle of the ball, lines and dots cover a good part of the
    // gel, and leave a good part of it showing.
    const PixelBox box = ballMask(skin, bare).bounds();
    const PixelBox middle{box.left + box.width() / 4, box.top + box.height() / 4, box.right - box.width() / 4,
                          box.bottom - box.height() / 4};
    const int structure = differences(skin, layers).within(middle).count();
    EXPECT_GE(structure, middle.width() * middle.height() / 5);
    EXPECT_LE(structure, middle.width() * middle.height() * 4 / 5);

    // What the frame leaves for the next one, and the sky box, lit with the
    // normal and material the ball leaves: the same as in the classic look.
    EXPECT_EQ(layers.glError, 0u);
    GLfloat factor = -1.0f, units = -1.0f;
    GLboolean depthWrites = GL_FALSE;
    GLint source = 0, destination = 0;
    glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &factor);
    glGetFloatv(GL_POLYGON_OFFSET_UNITS, &units);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_TRUE(factor == 0.0f && units == 0.0f && !glIsEnabled(GL_POLYGON_OFFSET_FILL) && depthWrites == GL_TRUE);
    EXPECT_TRUE(source == GL_SRC_ALPHA && destination == GL_ONE);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_BLEND) && !glIsEnabled(GL_TEXTURE_2D));
    windowWorld().display.look = BallLook::Classic;
    const FrameGrab classic = frame();
    const int horizon = static_cast<int>(project(classic, Vec3(0.0, 7.0, -1000.0), false).y);
    EXPECT_EQ(differences(classic, layers, 0).within({0, 50, classic.width() - 1, horizon - 10}).count(), 0);
}
