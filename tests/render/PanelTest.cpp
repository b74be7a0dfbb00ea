// The study panel in the real window: hidden it is not even set up; shown
// it draws over the scene, keeps the input over it to itself, and acts
// through the world's own events; hidden again, the frame is as before.
#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <imgui.h>

#include "shell/Window.h"
#include "tests/render/RenderHarness.h"
#include "world/World.h"

using namespace render;

namespace {
// Where the panel's first button, "Pause (p)", stands at the panel's first
// showing (the panel opens at (10, 60) with its Run section open).
constexpr int kPauseButtonX = 50, kPauseButtonY = 119;
// A point over the panel's plots, away from any button.
constexpr int kOverPanelX = 200, kOverPanelY = 400;

void pressTab() {
    windowKeyDown('\t', 0, 0);
    windowKeyUp('\t', 0, 0);
}

void click(int x, int y) {
    windowMouseMotion(x, y);
    runIdleCalls(2);
    windowMouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y);
    runIdleCalls(2);
    windowMouseButton(GLUT_LEFT_BUTTON, GLUT_UP, x, y);
    runIdleCalls(2);
}
}  // namespace

TEST(Panel, HiddenItIsNeverSetUpShownItDrawsAndHiddenAgainTheFrameIsAsBefore) {
    PicsDirectory pics;
    START_UP_OR_SKIP(output);
    runIdleCalls(20);
    EXPECT_EQ(ImGui::GetCurrentContext(), nullptr) << "no Dear ImGui while the panel was never shown";

    windowKeyDown('p', 0, 0);  // a still scene
    const FrameGrab before = runIdleCalls(2);
    pressTab();
    const FrameGrab shown = runIdleCalls(3);
    dumpFrame(shown, "panel");
    ASSERT_TRUE(windowWorld().display.panelVisible);
    const PixelBox panel = differences(before, shown).bounds();
    ASSERT_FALSE(panel.empty());
    EXPECT_LE(panel.left, 12);
    EXPECT_GE(panel.right, 300);
    EXPECT_LE(panel.top, 62);
    EXPECT_GE(panel.bottom, shown.height() - 20);

    pressTab();
    const FrameGrab hidden = runIdleCalls(1);
    EXPECT_EQ(differences(before, hidden, 0).outside(kFrameRateText).count(), 0) << "the panel put back the GL state it touched";
}

TEST(Panel, InputOverThePanelStaysThereAndItsButtonsActThroughTheWorld) {
    PicsDirectory pics;
    START_UP_OR_SKIP(output);
    runIdleCalls(5);
    pressTab();
    runIdleCalls(3);
    World& world = windowWorld();

    // Over the panel the pointer does not turn the camera and the left
    // button grabs nothing; the pointer is remembered all the same.
    windowMouseMotion(kOverPanelX, kOverPanelY);
    runIdleCalls(2);
    const float yaw = world.camera.yaw, pitch = world.camera.pitch;
    windowMouseMotion(kOverPanelX + 30, kOverPanelY - 20);
    runIdleCalls(1);
    EXPECT_EQ(world.camera.yaw, yaw);
    EXPECT_EQ(world.camera.pitch, pitch);
    EXPECT_EQ(world.input.lastMouseX, kOverPanelX + 30);
    windowMouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, kOverPanelX + 30, kOverPanelY - 20);
    runIdleCalls(1);
    windowMouseButton(GLUT_LEFT_BUTTON, GLUT_UP, kOverPanelX + 30, kOverPanelY - 20);
    EXPECT_FALSE(world.grab.active);

    // Off the panel (the panel learns it at its next frame) the camera turns
    // again, from where the pointer was: no jump for the way across.
    windowMouseMotion(600, kOverPanelY - 20);
    runIdleCalls(2);
    windowMouseMotion(610, kOverPanelY - 20);
    EXPECT_EQ(world.camera.yaw, yaw - 10.0f);

    // The pause button pauses the world, as key "p" does.
    ASSERT_FALSE(world.run.paused);
    click(kPauseButtonX, kPauseButtonY);
    EXPECT_TRUE(world.run.paused);
    click(kPauseButtonX, kPauseButtonY);
    EXPECT_FALSE(world.run.paused);

    // While shown, the plots gather a sample a step.
    EXPECT_GT(world.history.size(), 10u);
}

// On a slow or busy machine a click can begin and end between two frames;
// the panel must still see the button down for a frame, or the click is lost.
TEST(Panel, AClickQuickerThanAFrameStillPressesTheButton) {
    PicsDirectory pics;
    START_UP_OR_SKIP(output);
    runIdleCalls(5);
    pressTab();
    runIdleCalls(3);
    World& world = windowWorld();
    windowMouseMotion(kPauseButtonX, kPauseButtonY);
    runIdleCalls(2);
    ASSERT_FALSE(world.run.paused);
    windowMouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, kPauseButtonX, kPauseButtonY);
    windowMouseButton(GLUT_LEFT_BUTTON, GLUT_UP, kPauseButtonX, kPauseButtonY);
    runIdleCalls(3);
    EXPECT_TRUE(world.run.paused) << "the click was lost";

    // The release came all the same: the next click is a click of its own.
    windowMouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, kPauseButtonX, kPauseButtonY);
    windowMouseButton(GLUT_LEFT_BUTTON, GLUT_UP, kPauseButtonX, kPauseButtonY);
    runIdleCalls(3);
    EXPECT_FALSE(world.run.paused);
}

// Keys that went up while the panel was hidden were never offered to it: shown
// again, it must not take them for held (a Tab held that long would move it
// into a field, which then keeps every key, Esc included).
TEST(Panel, ShownAgainItForgetsTheKeysThatWentUpWhileItWasHidden) {
    PicsDirectory pics;
    START_UP_OR_SKIP(output);
    runIdleCalls(5);
    pressTab();
    runIdleCalls(3);
    click(kOverPanelX, kOverPanelY);  // the panel has the focus
    World& world = windowWorld();

    windowKeyDown('\t', 0, 0);  // hides the panel, which sees the key go down
    runIdleCalls(2);
    windowKeyUp('\t', 0, 0);    // but not up
    runIdleCalls(30);
    windowKeyDown('\t', 0, 0);
    runIdleCalls(30);
    windowKeyUp('\t', 0, 0);
    ASSERT_TRUE(world.display.panelVisible);

    const bool paused = world.run.paused;
    windowKeyDown('p', 0, 0);
    windowKeyUp('p', 0, 0);
    EXPECT_NE(world.run.paused, paused) << "the panel kept the key";
}

// The item a button held lets go at the panel's next frame; a key pressed
// right after the release is the world's already.
TEST(Panel, AKeyRightAfterLettingGoOfASliderReachesTheWorld) {
    PicsDirectory pics;
    START_UP_OR_SKIP(output);
    runIdleCalls(5);
    pressTab();
    runIdleCalls(3);
    World& world = windowWorld();
    constexpr int kTimelineRightEndX = 378, kTimelineY = 187;
    windowMouseMotion(kTimelineRightEndX, kTimelineY);
    runIdleCalls(2);
    windowMouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, kTimelineRightEndX, kTimelineY);
    runIdleCalls(2);
    windowMouseButton(GLUT_LEFT_BUTTON, GLUT_UP, kTimelineRightEndX, kTimelineY);
    const bool paused = world.run.paused;
    windowKeyDown('p', 0, 0);
    windowKeyUp('p', 0, 0);
    EXPECT_NE(world.run.paused, paused) << "the released slider kept the key";
}
