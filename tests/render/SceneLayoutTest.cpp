// Where the sky box, the plate, the platform and the ramp appear on screen,
// and what key "8" does to them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "shell/Window.h"
#include "tests/render/RenderHarness.h"
#include "world/World.h"

using namespace render;

namespace {
// Past the start-up flash, which covers the whole view.
constexpr int kSettledFrames = 30;

struct SurfacePoint {
    const char* what;
    Vec3 point;
    // Faces on the line of sight up to this point: the frame blends
    // additively, so where the platform or the ramp lies over the plate the
    // plain colours add up.
    int layers;
};

// Points of the solids that the start-up camera sees unobstructed (not
// behind the ball, the platform or the ramp).
const SurfacePoint kPlatePoints[] = {
    {"plate left", {-12.0, -0.01, -6.0}, 1},
    {"plate right", {12.0, -0.01, -6.0}, 1},
    {"plate far right", {15.0, -0.01, -25.0}, 1},
    {"plate far left", {-15.0, -0.01, -20.0}, 1},
    {"plate just beside the platform", {2.6, -0.01, -2.0}, 1},
};
const SurfacePoint kPlatformPoints[] = {
    {"platform front left", {-1.7, 1.99, 1.2}, 2},
    {"platform front right", {1.7, 1.99, 1.2}, 2},
};
const SurfacePoint kRampTopPoints[] = {
    {"ramp top, right half", {2.0, 4.0, -15.0}, 1},  // the plate ends before the line of sight reaches it
    {"ramp top, left half", {-6.0, 4.0 / 3.0, -16.0}, 2},
};
const SurfacePoint kRampSidePoints[] = {
    {"ramp side at z = -10", {-4.0, 0.8, -10.0}, 2},
};

struct Pixel {
    int x, y;
};

Pixel pixelOf(const FrameGrab& grab, const Vec3& point) {
    const ScreenPoint p = project(grab, point);
    EXPECT_TRUE(p.onScreen) << "(" << point.x << ", " << point.y << ", " << point.z << ")";
    return {static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y))};
}

// The sky box is a cube of side 200 around the origin.
bool onSkyBox(const Vec3& p) {
    const double extent = std::max({std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
    return std::fabs(extent - 100.0) < 1.5;
}

int horizonRow(const FrameGrab& grab) {
    return static_cast<int>(std::lround(project(grab, Vec3(0.0, 7.0, -1000.0), false).y));
}

// The upper part of the view, clear of the FPS text.
PixelBox skyRegion(const FrameGrab& grab) { return {0, 40, grab.width() - 1, horizonRow(grab) - 10}; }

// The plain list's colour (0.2, 0.1, 1.0), unlit, `layers` times over.
bool isPlainBlue(const unsigned char* p, int layers = 1) {
    return std::abs(p[0] - 51 * layers) <= 2 && std::abs(p[1] - 25.5 * layers) <= 2 &&
           p[2] >= 253;
}

void expectHorizontalSurfaceAt(const FrameGrab& grab, const SurfacePoint& s) {
    const Pixel px = pixelOf(grab, s.point);
    const Vec3 seen = pointSeenAt(grab, px.x, px.y);
    EXPECT_NEAR(seen.y, s.point.y, 0.05) << s.what;
    EXPECT_NEAR(seen.x, s.point.x, 0.5) << s.what;
    EXPECT_NEAR(seen.z, s.point.z, 0.5) << s.what;
}

void expectRampTopAt(const FrameGrab& grab, const SurfacePoint& s) {
    const Pixel px = pixelOf(grab, s.point);
    const Vec3 seen = pointSeenAt(grab, px.x, px.y);
    EXPECT_NEAR(seen.y, (seen.x + 10.0) / 3.0, 0.05) << s.what << ": not on the rising top";
    EXPECT_NEAR(seen.x, s.point.x, 0.5) << s.what;
    EXPECT_NEAR(seen.z, s.point.z, 0.5) << s.what;
}

void expectRampSideAt(const FrameGrab& grab, const SurfacePoint& s) {
    const Pixel px = pixelOf(grab, s.point);
    const Vec3 seen = pointSeenAt(grab, px.x, px.y);
    EXPECT_NEAR(seen.z, s.point.z, 0.05) << s.what;
    EXPECT_NEAR(seen.x, s.point.x, 0.5) << s.what;
    EXPECT_NEAR(seen.y, s.point.y, 0.5) << s.what;
}

template <typename Check>
void forEachSolidPoint(Check check) {
    for (const SurfacePoint& s : kPlatePoints) check(s);
    for (const SurfacePoint& s : kPlatformPoints) check(s);
    for (const SurfacePoint& s : kRampTopPoints) check(s);
    for (const SurfacePoint& s : kRampSidePoints) check(s);
}
}  // namespace

TEST(SceneLayout, SkyBoxFillsTheBackground) {
    PicsDirectory pics;
    START_UP_OR_SKIP(output);
    const FrameGrab grab = runIdleCalls(kSettledFrames);
    ASSERT_TRUE(grab.valid());

    // The cube closes the view in every direction: nothing is left cleared.
    int cleared = 0;
    for (int y = 0; y < grab.height(); ++y)
        for (int x = 0; x < grab.width(); ++x) cleared += depthAt(grab, x, y) >= 1.0f;
    EXPECT_EQ(cleared, 0);

    // Above the horizon every pixel shows the cube's faces, lit and textured.
    const PixelBox sky = skyRegion(grab);
    int offCube = 0, dark = 0;
    double sum = 0, sumSquares = 0;
    int n = 0;
    for (int y = sky.top; y <= sky.bottom; y += 2)
        for (int x = sky.left; x <= sky.right; x += 2) {
            offCube += !onSkyBox(pointSeenAt(grab, x, y, false));
            const unsigned char* p = grab.frame.at(x, y);
            const double brightness = p[0] + p[1] + p[2];
            dark += brightness < 15;
            sum += brightness;
            sumSquares += brightness * brightness;
            ++n;
        }
    EXPECT_EQ(offCube, 0);
    EXPECT_EQ(dark, 0);
    const double mean = sum / n;
    EXPECT_GT(std::sqrt(sumSquares / n - mean * mean), 8.0) << "the sky shows no picture";

    // Past the far edge of the plate the view goes on to the sky box.
    const Pixel beyond = pixelOf(grab, Vec3(15.0, -0.01, -34.0));
    EXPECT_TRUE(onSkyBox(pointSeenAt(grab, beyond.x, beyond.y, false)));
}

TEST(SceneLayout, PlatePlatformAndRampAreWhereTheCameraSeesThem) {
    PicsDirectory pics;
    START_UP_OR_SKIP(output);
    const FrameGrab grab = runIdleCalls(kSettledFrames);
    ASSERT_TRUE(grab.valid());
    EXPECT_EQ(windowWorld().board.tiltX, 0.0f);
    EXPECT_EQ(windowWorld().board.tiltZ, 0.0f);

    for (const SurfacePoint& s : kPlatePoints) expectHorizontalSurfaceAt(grab, s);
    for (const SurfacePoint& s : kPlatformPoints) expectHorizontalSurfaceAt(grab, s);
    for (const SurfacePoint& s : kRampTopPoints) expectRampTopAt(grab, s);
    for (const SurfacePoint& s : kRampSidePoints) expectRampSideAt(grab, s);

    // Drawn with the rock pictures: neither black nor the plain blue, and
    // not one flat colour.
    int distinctColours = 0;
    unsigned previous = 0;
    forEachSolidPoint([&](const SurfacePoint& s) {
        const Pixel px = pixelOf(grab, s.point);
        const unsigned char* p = grab.frame.at(px.x, px.y);
        EXPECT_GT(p[0] + p[1] + p[2], 30) << s.what;
        EXPECT_FALSE(isPlainBlue(p, s.layers)) << s.what;
        const unsigned colour = p[0] << 16 | p[1] << 8 | p[2];
        distinctColours += colour != previous;
        previous = colour;
    });
    EXPECT_GT(distinctColours, 5);
}

TEST(SceneLayout, KeyEightShowsThePlainUnlitGroundAloneAndASecondPressRestores) {
    PicsDirectory pics;
    START_UP_OR_SKIP(output);
    const FrameGrab before = runIdleCalls(kSettledFrames);
    ASSERT_TRUE(before.valid());

    const FrameGrab plain = pressKey('8');
    ASSERT_TRUE(plain.valid()) << "key 8 draws the frame at once";
    EXPECT_FALSE(windowWorld().display.lightingOn);
    // One flat colour everywhere on the solids: the plain list, unlit.
    forEachSolidPoint([&](const SurfacePoint& s) {
        const Pixel px = pixelOf(plain, s.point);
        const unsigned char* p = plain.frame.at(px.x, px.y);
        EXPECT_TRUE(isPlainBlue(p, s.layers)) << s.what << ": " << int(p[0]) << "," << int(p[1]) << ","
                                    << int(p[2]);
    });
    // No sky box and no lightning: above the horizon nothing is drawn at all.
    const PixelBox sky = skyRegion(plain);
    int drawn = 0;
    for (int y = sky.top; y <= sky.bottom; ++y)
        for (int x = sky.left; x <= sky.right; ++x) {
            const unsigned char* p = plain.frame.at(x, y);
            drawn += p[0] + p[1] + p[2] != 0 || depthAt(plain, x, y) < 1.0f;
        }
    EXPECT_EQ(drawn, 0);

    // Idle frames keep the plain picture.
    const FrameGrab later = runIdleCalls(5);
    forEachSolidPoint([&](const SurfacePoint& s) {
        const Pixel px = pixelOf(later, s.point);
        EXPECT_TRUE(isPlainBlue(later.frame.at(px.x, px.y), s.layers)) << s.what;
    });

    const FrameGrab restored = pressKey('8');
    ASSERT_TRUE(restored.valid());
    dumpFrame(before, "key8-before");
    dumpFrame(plain, "key8-plain");
    dumpFrame(restored, "key8-restored");
    EXPECT_TRUE(windowWorld().display.lightingOn);
    // The sky is back, as it was.
    const Mask skyChanges = differences(before, restored, 6).within(skyRegion(restored));
    EXPECT_LT(skyChanges.count(), skyRegion(restored).width() * skyRegion(restored).height() / 100);
    const FrameGrab meanSky = restored;
    EXPECT_GT(meanBrightness(meanSky, skyRegion(meanSky)), 30.0);
    // And the solids are textured and lit again.
    forEachSolidPoint([&](const SurfacePoint& s) {
        const Pixel px = pixelOf(restored, s.point);
        const unsigned char* now = restored.frame.at(px.x, px.y);
        const unsigned char* then = before.frame.at(px.x, px.y);
        EXPECT_FALSE(isPlainBlue(now, s.layers)) << s.what;
        EXPECT_LE(std::abs(now[0] - then[0]) + std::abs(now[1] - then[1]) + std::abs(now[2] - then[2]),
                  6)
            << s.what;
    });
}
