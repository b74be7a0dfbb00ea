// The timeline as a person uses it in the window: a held "," goes back step
// after step, "." forward, the study panel's slider is dragged back with the
// mouse, and "p" goes on from the step shown; the recording of all that
// replays headless state for state.
#include <gtest/gtest.h>

#include "shell/Window.h"
#include "tests/render/DrivenWindow.h"
#include "tests/render/RenderHarness.h"
#include "tests/support/TempDirectory.h"
#include "tools/window/WindowSession.h"
#include "world/ScriptRecorder.h"
#include "world/Session.h"

using namespace render;

namespace {
// The slider's grab in Dear ImGui's dark style: a bright blue.
bool isSliderGrab(const unsigned char* p) { return p[0] < 110 && p[1] > 110 && p[1] < 170 && p[2] > 200; }

// The slider's grab in the Run section, near the top of the panel.
bool findSliderGrab(const FrameGrab& grab, int& x, int& y) {
    for (int row = 150; row < 260; ++row) {
        for (int column = 380; column > 20; --column) {
            if (isSliderGrab(grab.frame.at(column, row)) && isSliderGrab(grab.frame.at(column - 4, row)) &&
                isSliderGrab(grab.frame.at(column, row + 4))) {
                x = column - 4;
                y = row + 4;
                return true;
            }
        }
    }
    return false;
}
}  // namespace

TEST(TimelineWindow, HeldKeysAndThePanelsSliderGoBackAndTheRecordingReplays) {
    PicsDirectory pics;
    TempDirectory dir;
    ASSERT_TRUE(dir.valid());
    const std::string recording = dir.file("session.txt");
    SessionOptions session;
    std::string openError;
    ASSERT_TRUE(recordInto(recording, session, openError)) << openError;
    START_UP_WITH_SESSION_OR_SKIP(output, session);
    const unsigned long window = nativeWindowId();
    ASSERT_NE(window, 0u);
    TracedWindow traced;
    const Session& timeline = windowSession();

    traced.play(Actions(window).pointerToScreen(1000, 740).hold({"Right"}, 1.5).pause(0.5));
    const long long present = timeline.present().simulationSteps;
    ASSERT_GT(present, 20);

    // Held, "," goes back again and again at the key repeat rate.
    traced.play(Actions(window).hold({"comma"}, 1.5));
    EXPECT_TRUE(timeline.behindThePresent());
    EXPECT_TRUE(timeline.present().run.paused);
    const long long back = present - timeline.shownStep();
    EXPECT_GT(back, 3) << "a held key repeats";
    traced.play(Actions(window).key("period").key("period"));
    EXPECT_EQ(timeline.shownStep(), present - back + 2);

    // The panel's slider, dragged with the mouse from its grab to the left.
    traced.play(Actions(window).key("Tab"));
    int grabX = 0, grabY = 0;
    const FrameGrab withPanel = traced.idle(2);
    dumpFrame(withPanel, "timeline-panel");
    ASSERT_TRUE(findSliderGrab(withPanel, grabX, grabY)) << "no slider in the panel";
    const long long beforeDrag = timeline.shownStep();
    Actions drag(window);
    drag.pointerTo(grabX, grabY).press(1);
    for (int i = 1; i <= 6; ++i) drag.pointerTo(grabX - 15 * i, grabY);
    traced.play(drag.release(1));
    EXPECT_LT(timeline.shownStep(), beforeDrag) << "the drag went back";
    const long long shown = timeline.shownStep();

    // "p" goes on from there: a new branch.
    traced.play(Actions(window).key("Tab").key("p").pause(0.5));
    EXPECT_FALSE(timeline.behindThePresent());
    EXPECT_FALSE(timeline.present().run.paused);
    EXPECT_GT(timeline.present().simulationSteps, shown);
    EXPECT_LT(timeline.timeline().latestStep(), present + 200);

    EXPECT_EQ(replayDiffersFrom(traced, recording), "");
}
