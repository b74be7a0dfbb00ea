// The frames-per-second text in the top left corner.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "shell/Window.h"
#include "tests/render/RenderHarness.h"
#include "world/InputScript.h"
#include "world/Settings.h"
#include "world/World.h"

using namespace render;

namespace {
// The text is drawn lit with a white material under a white light, so its
// glyphs come out pure white.
Mask whitePixels(const FrameGrab& grab, const PixelBox& box) {
    Mask mask;
    mask.width = grab.width();
    mask.height = grab.height();
    mask.set.assign(static_cast<std::size_t>(mask.width) * mask.height, 0);
    for (int y = box.top; y <= box.bottom; ++y)
        for (int x = box.left; x <= box.right; ++x) {
            const unsigned char* p = grab.frame.at(x, y);
            mask.set[y * mask.width + x] = p[0] >= 250 && p[1] >= 250 && p[2] >= 250;
        }
    return mask;
}

const PixelBox kTopLeft{0, 0, 239, 49};
constexpr int kGlyphWidth = 9;
}  // namespace

TEST(OverlayText, FpsTextAppearsInTheTopLeftCornerAfterOneSecond) {
    PicsDirectory pics;
    START_UP_OR_SKIP(output);
    const FrameGrab early = runIdleCalls(15);  // past the start-up flash
    ASSERT_TRUE(early.valid());
    if (frameRateText()[0] == '\0') {
        EXPECT_EQ(whitePixels(early, kTopLeft).count(), 0) << "no text before the first second";
    }

    const FrameGrab later = runIdleCallsFor(1100);
    ASSERT_TRUE(later.valid());
    const std::string text = frameRateText();
    ASSERT_EQ(text.rfind("FPS:", 0), 0u) << text;
    dumpFrame(later, "fps-text");

    const Mask glyphs = whitePixels(later, kTopLeft);
    const PixelBox box = glyphs.bounds();
    ASSERT_FALSE(box.empty()) << "no text drawn";
    const int length = static_cast<int>(text.size());

    // The baseline starts 20 pixels from the left and 20 from the top: the
    // glyphs (no descenders in this text) stand on the row just above it and
    // are at most 15 rows tall.
    EXPECT_GE(box.left, 20);
    EXPECT_LE(box.left, 22);
    EXPECT_GE(box.bottom, 19);
    EXPECT_LE(box.bottom, 20);
    EXPECT_GE(box.top, 20 - 15);
    EXPECT_LE(box.top, 12);
    // One 9-pixel cell per character, each with something in it.
    EXPECT_GE(box.right, 20 + kGlyphWidth * (length - 1));
    EXPECT_LE(box.right, 20 + kGlyphWidth * length);
    for (int i = 0; i < length; ++i) {
        const PixelBox cell{20 + kGlyphWidth * i, 5, 20 + kGlyphWidth * (i + 1) - 1, 22};
        EXPECT_GE(glyphs.countIn(cell), 3) << "character " << i << " of \"" << text << "\"";
    }
    // The "F" has a full-height vertical stroke near its left edge.
    int longestStroke = 0;
    for (int x = box.left; x < box.left + 3; ++x)
        longestStroke = std::max(longestStroke, glyphs.countIn({x, box.top, x, box.bottom}));
    EXPECT_GE(longestStroke, box.height() - 1);
}

TEST(OverlayText, RunStateShowsUnderTheFrameRateOnlyWhenNotTheDefault) {
    PicsDirectory pics;
    START_UP_OR_SKIP(output);
    const PixelBox underFrameRate{0, 26, 239, 49};
    const FrameGrab running = runIdleCalls(20);
    EXPECT_EQ(whitePixels(running, underFrameRate).count(), 0) << "nothing at full speed";

    windowKeyDown('p', 0, 0);
    windowKeyUp('p', 0, 0);
    const FrameGrab paused = runIdleCalls(1);
    dumpFrame(paused, "run-state-paused");
    const PixelBox pausedText = whitePixels(paused, underFrameRate).bounds();
    ASSERT_FALSE(pausedText.empty()) << "\"paused\" is shown";
    EXPECT_GE(pausedText.left, 20);
    EXPECT_LE(pausedText.right, 20 + kGlyphWidth * 6);  // six characters
    EXPECT_GE(pausedText.bottom, 38);
    EXPECT_LE(pausedText.bottom, 43);  // the "p" reaches below the baseline

    windowKeyDown(']', 0, 0);  // "paused x2": nine characters
    const PixelBox faster = whitePixels(runIdleCalls(1), underFrameRate).bounds();
    EXPECT_GT(faster.right, 20 + kGlyphWidth * 7);
    windowKeyDown('[', 0, 0);
    windowKeyDown('p', 0, 0);
    EXPECT_EQ(whitePixels(runIdleCalls(1), underFrameRate).count(), 0) << "gone again";
}

TEST(OverlayText, HelpListsTheControlsOnADarkPanelAndLeavesTheSceneAsItWas) {
    PicsDirectory pics;
    START_UP_OR_SKIP(output);
    windowKeyDown('p', 0, 0);  // a still scene to compare with
    const FrameGrab before = runIdleCalls(2);
    windowKeyDown('h', 0, 0);
    const FrameGrab shown = runIdleCalls(1);
    dumpFrame(shown, "help");

    // The panel darkens a block in the top right corner and writes on it.
    const Mask changed = differences(before, shown);
    const PixelBox panel = changed.bounds();
    ASSERT_FALSE(panel.empty());
    EXPECT_GE(panel.left, shown.width() / 3);
    EXPECT_LE(panel.top, 12);
    EXPECT_GE(panel.right, shown.width() - 12);
    EXPECT_GE(panel.height(), 15 * 17);  // a line for each of the fifteen controls
    EXPECT_LT(meanBrightness(shown, {panel.left + 2, panel.bottom - 6, panel.right - 2, panel.bottom - 2}),
              meanBrightness(before, {panel.left + 2, panel.bottom - 6, panel.right - 2, panel.bottom - 2}));
    EXPECT_GT(whitePixels(shown, panel).count(), 1500) << "text on the panel";
    EXPECT_EQ(changed.countIn({0, panel.bottom + 2, shown.width() - 1, shown.height() - 1}), 0)
        << "nothing below the panel changes";

    // F1 hides it again and the frame is the one from before, to the pixel:
    // the panel put back every piece of GL state it touched.
    windowSpecialDown(kSpecialKeyF1, 0, 0);
    const FrameGrab hidden = runIdleCalls(1);
    EXPECT_EQ(differences(before, hidden, 0).outside(kFrameRateText).count(), 0);
}

TEST(OverlayText, ABallThatRanAwayIsSaidSoAndTheSceneStaysWhole) {
    PicsDirectory pics;
    START_UP_OR_SKIP(output);
    const PixelBox noticeRow{0, 46, 639, 66};
    const FrameGrab calm = runIdleCalls(20);
    EXPECT_EQ(whitePixels(calm, noticeRow).count(), 0);

    World& world = windowWorld();
    for (const auto& [name, value] : {std::pair<const char*, double>{"surfaceStiffness", 200.0},
                                      {"centreStiffness", 400.0}, {"timeStep", 1.0}, {"particleMass", 0.5},
                                      {"damping", 0.0}})
        deliverScriptEvent(world, ScriptEvent::set(*findSetting(name), value));
    const FrameGrab wild = runIdleCalls(30);
    dumpFrame(wild, "ran-away");
    EXPECT_GT(world.blowUps, 0);
    const PixelBox notice = whitePixels(wild, noticeRow).bounds();
    ASSERT_FALSE(notice.empty()) << "the overlay says the ball was rebuilt";
    EXPECT_GE(notice.right - notice.left, 9 * 30);  // a sentence, not a stray pixel

    // Back to the start values the ball settles and, after a while, the
    // notice goes.
    deliverScriptEvent(world, ScriptEvent::defaults());
    const FrameGrab later = runIdleCalls(400);
    EXPECT_EQ(whitePixels(later, noticeRow).count(), 0);
    EXPECT_FALSE(world.ball.ranAway());
}
