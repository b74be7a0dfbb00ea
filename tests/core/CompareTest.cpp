// Compare mode: a second world, B, under the same input. With B's settings
// A's, B stays A to the bit, grabs and rebuilds included; with one setting
// changed it parts from A; recordings with compare replay exactly.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDirectory.h"
#include "tools/common/StateJson.h"
#include "tools/soak/SoakScript.h"
#include "world/InputScript.h"
#include "world/ScriptPlayer.h"
#include "world/Session.h"
#include "world/Settings.h"

namespace {
// The state line of a world without its B, and with the step left out.
std::string ownState(const World& world) {
    World alone = world;
    alone.compare.reset();
    return stateLine(0, alone);
}

// Empty when the two states agree, else where they part.
std::string difference(const std::string& a, const std::string& b) {
    std::size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
    if (at == a.size() && at == b.size()) return std::string();
    const std::size_t from = at < 80 ? 0 : at - 80;
    return "A ..." + a.substr(from, 120) + "\nB ..." + b.substr(from, 120);
}

void play(Session& session, const std::string& text, long long idleCalls) {
    const ScriptParseResult script = parseInputScript(text, "compare.txt");
    ASSERT_TRUE(script.ok) << script.error;
    ScriptPlayer player(script.events);
    for (long long call = 0; call < idleCalls; ++call) {
        player.deliverEventsBefore(session, call);
        session.idleCall();
        advanceFrame(session.present());
        session.frameDrawn();
    }
}
}  // namespace

// Thousands of random idle calls (tilts, lifts, grabs and drags of every
// button, rebuilds, pacing, pauses, speeds, a look back and a branch), and B
// is A after every one of them.
TEST(Compare, AnUnchangedBStaysAToTheBitThroughEverything) {
    const ScriptParseResult script = parseInputScript(makeSoakScript(11, 6000), "soak");
    ASSERT_TRUE(script.ok) << script.error;
    Session session;
    session.deliver(ScriptEvent::compareMode(CompareAction::On));
    ScriptPlayer player(script.events);
    int grabbedCalls = 0;
    for (long long call = 0; call < 6000; ++call) {
        player.deliverEventsBefore(session, call);
        session.idleCall();
        const World& a = session.present();
        ASSERT_TRUE(a.compare) << "idle call " << call;
        if (call % 5 == 0) {
            ASSERT_EQ(difference(ownState(a), ownState(*a.compare)), "") << "idle call " << call;
        }
        ASSERT_EQ(a.compare->grab.active, a.grab.active) << "idle call " << call;
        grabbedCalls += a.grab.active;
    }
    EXPECT_GT(grabbedCalls, 100) << "the grabs reached the ball";
    EXPECT_GT(session.present().ball.contactCount + session.present().simulationSteps, 1000);
}

// The butterfly: B's springs stiffer by the least a spring's single
// precision holds (a part in ten million), the ball rolled round and round,
// and the two balls drift apart, slowly and then fast.
TEST(Compare, OneSettingChangedPartsBFromAAndTheSeparationGrows) {
    std::string script = "0 key-down tab\n0 compare on\n0 set-b surfaceStiffness 10.000001\n";
    const char* const arrows[] = {"left", "up", "right", "down"};
    for (int i = 0, at = 5; i < 28; ++i, at += 90)
        script += std::to_string(at) + " special-down " + arrows[i % 4] + "\n" + std::to_string(at + 70) +
                  " special-up " + arrows[i % 4] + "\n";
    Session session;
    play(session, script, 2500);
    const World& a = session.present();
    ASSERT_TRUE(a.compare);
    EXPECT_EQ(a.ball.surfaceStiffness, 10.0);
    EXPECT_EQ(a.compare->ball.surfaceStiffness, 10.000001);
    EXPECT_NE(difference(ownState(a), ownState(*a.compare)), "");
    const StepHistory& history = a.history;
    ASSERT_EQ(history.size(), StepHistory::kCapacity);
    const double before = history[0].separation, after = history[history.size() - 1].separation;
    EXPECT_GT(after, 1e-3) << "from " << before;
    EXPECT_GT(after, 10 * before);

    // B is A again, then gone.
    session.deliver(ScriptEvent::compareMode(CompareAction::Copy));
    EXPECT_EQ(difference(ownState(session.present()), ownState(*session.present().compare)), "");
    session.deliver(ScriptEvent::compareMode(CompareAction::Off));
    EXPECT_FALSE(session.present().compare);
}

TEST(Compare, SettingsStayWithTheirWorldAndRunControlWithA) {
    World world;
    deliverScriptEvent(world, ScriptEvent::setB(*findSetting("damping"), 9.0));  // no B yet: nothing
    deliverScriptEvent(world, ScriptEvent::compareMode(CompareAction::On));
    deliverScriptEvent(world, ScriptEvent::set(*findSetting("damping"), 2.0));
    deliverScriptEvent(world, ScriptEvent::setB(*findSetting("damping"), 7.0));
    EXPECT_EQ(world.ball.damping, 2.0);
    EXPECT_EQ(world.compare->ball.damping, 7.0);
    deliverScriptEvent(world, ScriptEvent::setB(*findSetting("rings"), 20));
    EXPECT_EQ(world.compare->ball.rings, 20);
    EXPECT_EQ(world.ball.rings, 12);

    // "o" steps A, and B with it: once each.
    deliverScriptEvent(world, ScriptEvent::keyDown('p'));
    deliverScriptEvent(world, ScriptEvent::keyDown('o'));
    EXPECT_EQ(world.simulationSteps, 1);
    EXPECT_EQ(world.compare->simulationSteps, 1);

    // A grab on A holds the same mass point in B, when B has it.
    deliverScriptEvent(world, ScriptEvent::set(*findSetting("damping"), 4.0));
    deliverScriptEvent(world, ScriptEvent::buttonDown(MouseButton::Left, 320, 312));
    ASSERT_TRUE(world.grab.active);
    EXPECT_EQ(world.compare->grab.particle, world.grab.particle);
    deliverScriptEvent(world, ScriptEvent::drag(330, 250));
    EXPECT_EQ(world.compare->grab.target.y, world.grab.target.y);
}

// What orvane-sim prints with --compare is what the session holds, B under
// its own key; an empty list is a B like A, and bad items are refused.
TEST(Compare, TheHeadlessReplayPrintsBUnderItsOwnKey) {
    TempDirectory dir;
    const std::string text = "5 special-down left\n80 special-up left\n100 key-down 9\n";
    Session session;
    session.deliver(ScriptEvent::compareMode(CompareAction::On));
    session.deliver(ScriptEvent::setB(*findSetting("timeStep"), 0.05));
    play(session, text, 300);
    const std::string script = dir.writeText("compare.txt", text);
    const ChildResult sim = runChild(
        {ORVANE_BINARY_DIR "/orvane-sim", "--steps", "300", "--compare", "timeStep=0.05", "--input", script});
    ASSERT_EQ(sim.exitStatus, 0) << sim.err;
    const std::string last = sim.out.substr(sim.out.rfind('\n', sim.out.size() - 2) + 1);
    EXPECT_EQ(last, stateLine(300, session.present()));
    EXPECT_NE(last.find(",\"b\":{\"tiltX\":"), std::string::npos);

    const ChildResult same = runChild({ORVANE_BINARY_DIR "/orvane-sim", "--steps", "50", "--compare="});
    ASSERT_EQ(same.exitStatus, 0) << same.err;
    const std::string line = same.out.substr(same.out.rfind('\n', same.out.size() - 2) + 1);
    const std::size_t a = line.find(",\"tiltX\"");
    const std::size_t b = line.find(",\"b\":{");
    ASSERT_NE(b, std::string::npos);
    EXPECT_EQ(difference(line.substr(a, b - a), "," + line.substr(b + 6, line.size() - (b + 6) - 3)), "");

    for (const char* bad : {"damping", "bogus=1", "damping=99", "=1", "damping=1,,rings=3"}) {
        const ChildResult refused = runChild({ORVANE_BINARY_DIR "/orvane-sim", "--compare", bad});
        EXPECT_EQ(refused.exitStatus, 2) << bad;
        EXPECT_NE(refused.err.find("--compare"), std::string::npos) << refused.err;
    }
}
