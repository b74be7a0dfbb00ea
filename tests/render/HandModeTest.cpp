// The grab as a person uses it in the window: in hand mode the pointer comes
// from outside the window onto the ball in many small motions without
// turning the view, the left button grabs, a drag up pulls, the release lets
// go; and the recording of that replays headless state for state.
#include <gtest/gtest.h>

#include <cmath>

#include "shell/Window.h"
#include "tests/render/DrivenWindow.h"
#include "tests/render/RenderHarness.h"
#include "tests/support/TempDirectory.h"
#include "tools/window/WindowSession.h"
#include "world/ScriptRecorder.h"
#include "world/World.h"

using namespace render;

namespace {
// The bottom-left corner, where the overlay says the pointer is a hand.
constexpr PixelBox kHandNotice = {16, 455, 400, 474};

int brightPixels(const FrameGrab& grab, const PixelBox& box) {
    int count = 0;
    for (int y = box.top; y <= box.bottom; ++y) {
        for (int x = box.left; x <= box.right; ++x) {
            const unsigned char* p = grab.frame.at(x, y);
            if (p[0] > 240 && p[1] > 240 && p[2] > 240) ++count;
        }
    }
    return count;
}
}  // namespace

TEST(HandMode, APersonMovesOntoTheBallGrabsItAndPullsItUp) {
    PicsDirectory pics;
    TempDirectory dir;
    ASSERT_TRUE(dir.valid());
    const std::string recording = dir.file("session.txt");
    SessionOptions session;
    std::string openError;
    ASSERT_TRUE(recordInto(recording, session, openError)) << openError;
    session.startEvents.push_back(ScriptEvent::pointerMode(PointerMode::Hand));  // orvane --hand
    START_UP_WITH_SESSION_OR_SKIP(output, session);
    const unsigned long window = nativeWindowId();
    ASSERT_NE(window, 0u);
    TracedWindow traced;

    // The ball lands on the platform meanwhile; the pointer rests far
    // outside the window.
    traced.play(Actions(window).pointerToScreen(1000, 740).key("bracketright").key("bracketright"));
    traced.untilTheBallRests();
    traced.play(Actions(window).key("bracketleft").key("bracketleft"));
    const FrameGrab before = traced.idle();
    ASSERT_TRUE(before.valid());
    EXPECT_GT(brightPixels(before, kHandNotice), 50) << "the overlay says hand mode";
    const ScreenPoint ball = project(before, windowWorld().ball.centre);
    ASSERT_TRUE(ball.onScreen) << ball.x << ", " << ball.y;
    const int ballX = static_cast<int>(ball.x + 0.5), ballY = static_cast<int>(ball.y + 0.5);

    // In from the corner in small steps, then the left button.
    Actions reach(window);
    constexpr int kMotions = 30;
    for (int i = 1; i <= kMotions; ++i)
        reach.pointerTo(900 + (ballX - 900) * i / kMotions, 700 + (ballY - 700) * i / kMotions);
    traced.play(reach.press(1));
    EXPECT_EQ(windowWorld().camera.yaw, 180.0f) << "the pointer's way turned the view";
    EXPECT_EQ(windowWorld().camera.pitch, 0.0f);
    ASSERT_TRUE(windowWorld().grab.active) << "no grab at pixel " << ballX << ", " << ballY;
    const int held = windowWorld().grab.particle;
    const double heightBefore = windowWorld().ball.particles[held].position.y;

    Actions pull(window);
    for (int i = 1; i <= 8; ++i) pull.pointerTo(ballX, ballY - 15 * i);
    traced.play(pull.pause(0.3));
    EXPECT_GT(windowWorld().ball.particles[held].position.y, heightBefore + 0.5) << "the drag did not pull";
    traced.play(Actions(window).release(1));
    EXPECT_FALSE(windowWorld().grab.active);

    EXPECT_EQ(replayDiffersFrom(traced, recording), "");

    // Key m: the pointer looks again, and the notice goes.
    traced.play(Actions(window).key("m"));
    EXPECT_EQ(windowWorld().input.pointer, PointerMode::Look);
    EXPECT_EQ(brightPixels(traced.idle(), kHandNotice), 0);
}
