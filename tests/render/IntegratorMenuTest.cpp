// The integrators chosen as a person chooses them in the window: the
// pointer goes to the study panel's Physics section, opens it (folded in a
// small window), opens the integrator menu and picks one; then B's own in
// the Compare section. The world steps with them from then on, the
// recording says so, and it replays headless state for state.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "shell/Window.h"
#include "tests/render/DrivenWindow.h"
#include "tests/render/PanelOnScreen.h"
#include "tests/render/RenderHarness.h"
#include "tests/support/TempDirectory.h"
#include "tools/window/WindowSession.h"
#include "world/ScriptRecorder.h"
#include "world/Session.h"
#include "world/Settings.h"
#include "world/World.h"

using namespace render;

namespace {
std::string integratorOf(const World& world) {
    const Setting& integrator = *findSetting("integrator");
    return settingValueText(integrator, settingValue(world, integrator), [](double v) { return std::to_string(v); });
}

std::string contentsOf(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Opens the menu that shows `current` beside the label "integrator" and
// picks `wanted` from it.
void pickIntegrator(TracedWindow& traced, PanelUser& user, const std::string& current, const std::string& wanted) {
    ShownText label;
    ASSERT_TRUE(user.bringIntoView("integrator", label)) << "no integrator menu on the panel";
    const std::vector<ShownText> row = shownTexts();
    const ShownText* menu = nullptr;
    for (const ShownText& text : row) {
        const bool sameRow = text.box.top <= label.box.bottom && text.box.bottom >= label.box.top;
        if (text.text == current && sameRow && text.box.right < label.box.left)
            menu = &text;
    }
    ASSERT_NE(menu, nullptr) << "the menu beside \"integrator\" does not show \"" << current << "\"";
    user.click(*menu);
    ASSERT_TRUE(user.waitUntil([&wanted] { return findShown(shownTexts(), wanted) != nullptr; }))
        << "the open menu has no \"" << wanted << "\"";
    dumpFrame(traced.idle(), "integrator-menu-" + current);
    const std::vector<ShownText> open = shownTexts();
    const ShownText* entry = findShown(open, wanted);
    ASSERT_NE(entry, nullptr) << "the open menu has no \"" << wanted << "\"";
    ASSERT_TRUE(entry->whole);
    user.click(*entry);
}
}  // namespace

TEST(PanelIntegratorMenus, APersonPicksAsAndBsIntegratorsOnThePanelAndTheRecordingReplays) {
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
    const World& world = windowSession().present();
    ASSERT_EQ(world.window.height, 480);

    PanelUser user(traced, window, 600, 300);
    traced.play(Actions(window).key("Tab"));
    ASSERT_TRUE(user.waitUntil([] { return !shownTexts().empty(); })) << "the panel never showed";
    const std::vector<ShownText> first = shownTexts();
    ASSERT_NE(findShown(first, "Physics"), nullptr) << "no Physics section on the panel";
    EXPECT_EQ(findShown(first, "integrator"), nullptr) << "in a small window the Physics section starts folded";

    ASSERT_TRUE(user.clickOn("Physics"));
    ASSERT_NO_FATAL_FAILURE(pickIntegrator(traced, user, "in-place", "rk4"));
    EXPECT_EQ(integratorOf(world), "rk4");
    const long long chosenAt = world.simulationSteps;
    traced.idle(20);
    ASSERT_GT(world.simulationSteps, chosenAt) << "the world went on";
    EXPECT_EQ(integratorOf(world), "rk4");
    ASSERT_NE(findShown(shownTexts(), "rk4"), nullptr) << "the menu shows the choice";

    // B, turned on and given an integrator of its own in the Compare section;
    // the Physics section folded again so that the only menu left is B's.
    ASSERT_TRUE(user.clickOn("Physics"));
    ASSERT_TRUE(user.clickOn("Compare"));
    ASSERT_TRUE(user.clickOn("a second ball, B, the orange ghost"));
    ASSERT_TRUE(world.compare) << "compare mode is on";
    EXPECT_EQ(integratorOf(*world.compare), "rk4") << "B starts as a copy of A";
    ASSERT_NO_FATAL_FAILURE(pickIntegrator(traced, user, "rk4", "symplectic-euler"));
    traced.idle(20);
    EXPECT_EQ(integratorOf(*world.compare), "symplectic-euler");
    EXPECT_EQ(integratorOf(world), "rk4") << "B's menu is B's alone";

    const std::string recorded = contentsOf(recording);
    EXPECT_NE(recorded.find(" set integrator rk4\n"), std::string::npos) << recorded;
    EXPECT_NE(recorded.find(" compare on\n"), std::string::npos) << recorded;
    EXPECT_NE(recorded.find(" set-b integrator symplectic-euler\n"), std::string::npos) << recorded;
    EXPECT_EQ(replayDiffersFrom(traced, recording), "");
}
