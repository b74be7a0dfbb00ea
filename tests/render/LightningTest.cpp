// The lightning as seen: the start-up flash and the bolt of key "l".
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "shell/Window.h"
#include "tests/render/RenderHarness.h"
#include "world/World.h"

using namespace render;

namespace {
// The view above the horizon, clear of the FPS text.
PixelBox skyRegion(const FrameGrab& grab) {
    const ScreenPoint horizon = project(grab, Vec3(0.0, 7.0, -1000.0), false);
    return {0, 40, grab.width() - 1, static_cast<int>(horizon.y) - 10};
}

// Share of a region whose nearest surface is the plane z = 0, in which the
// bolts at the strike points of the first flashes stand.
double boltPlaneShare(const FrameGrab& grab, const PixelBox& region) {
    int hits = 0, n = 0;
    for (int y = region.top; y <= region.bottom; y += 4)
        for (int x = region.left; x <= region.right; x += 4) {
            ++n;
            hits += depthAt(grab, x, y) < 1.0f && std::fabs(pointSeenAt(grab, x, y, false).z) < 0.05;
        }
    return n ? static_cast<double>(hits) / n : 0.0;
}

int brightenedPixels(const FrameGrab& grab, const FrameGrab& without, const PixelBox& region) {
    return differences(grab, without, 30).within(region).count();
}
}  // namespace

TEST(Lightning, StartUpBoltBrightensTheSkyForFourteenFramesThenIsGone) {
    PicsDirectory pics;
    START_UP_OR_SKIP(output);
    // Every frame counts, including the one drawn when the window was shown.
    std::map<int, FrameGrab> frames;
    while (frames.empty() || frames.rbegin()->first < 24) {
        FrameGrab grab = runIdleCalls(1);
        ASSERT_TRUE(grab.valid());
        frames[grab.displayCall] = std::move(grab);
    }
    const FrameGrab& after = frames.rbegin()->second;
    const PixelBox sky = skyRegion(after);

    int previous = 0;
    for (const auto& [call, grab] : frames) {
        const int brightened = brightenedPixels(grab, after, sky);
        if (call <= 14) {
            EXPECT_GT(boltPlaneShare(grab, sky), 0.95) << "frame " << call;
            EXPECT_GT(brightened, 300) << "frame " << call;
            // Full strength, then fading out over the last frames.
            if (call <= 11) {
                EXPECT_EQ(brightened, brightenedPixels(frames.begin()->second, after, sky));
            } else {
                EXPECT_LT(brightened, previous) << "frame " << call;
            }
        } else {
            EXPECT_EQ(boltPlaneShare(grab, sky), 0.0) << "frame " << call;
            EXPECT_EQ(brightened, 0) << "frame " << call;
        }
        previous = brightened;
    }
}

TEST(Lightning, KeyLFadesABoltInHighInTheSkyAndItDiesAfterItsLifetime) {
    PicsDirectory pics;
    START_UP_OR_SKIP(output);
    // Look up: the first bolt stands high above the plate, from y = 20 up.
    windowMouseMotion(0, -40);
    ASSERT_FLOAT_EQ(windowWorld().camera.pitch, 40.0f);
    const FrameGrab before = runIdleCalls(30);
    const PixelBox upper{0, 40, before.width() - 1, before.height() / 3};
    EXPECT_EQ(boltPlaneShare(before, upper), 0.0);

    const FrameGrab pressed = pressKey('l');
    ASSERT_TRUE(pressed.valid());
    EXPECT_GT(boltPlaneShare(pressed, upper), 0.95);
    // Faint at first, brighter as it fades in.
    const int faint = brightenedPixels(pressed, before, upper);
    const FrameGrab stronger = runIdleCalls(60);
    EXPECT_GT(boltPlaneShare(stronger, upper), 0.95);
    EXPECT_GT(brightenedPixels(stronger, before, upper), faint + 300);

    // A bolt of key l lives 200 to 209 frames.
    const FrameGrab gone = runIdleCalls(150);
    EXPECT_EQ(boltPlaneShare(gone, upper), 0.0);
    EXPECT_EQ(brightenedPixels(gone, before, upper), 0);
}

// Key n: the greeting bolt is still drawn, but faint, so the sky never
// lights up (no pixel brightens by more than 30, where the usual flash
// brightens hundreds); n again brings the flashes back.
TEST(Lightning, KeyNDrawsTheBoltsFaintSoThatTheSkyNeverFlashes) {
    PicsDirectory pics;
    START_UP_OR_SKIP(output);
    const FrameGrab calm = pressKey('n');
    ASSERT_TRUE(windowWorld().display.noFlashes);
    const FrameGrab after = runIdleCalls(24);
    const PixelBox sky = skyRegion(after);
    EXPECT_GT(boltPlaneShare(calm, sky), 0.95) << "the bolt is drawn";
    EXPECT_GT(differences(calm, after, 3).within(sky).count(), 300) << "and seen";
    EXPECT_LT(brightenedPixels(calm, after, sky), 30) << "but it does not light up the sky";

    pressKey('n');
    EXPECT_FALSE(windowWorld().display.noFlashes);
}
