// The timeline: a step of the kept past shows exactly what a straight run
// showed at that step; a branch from there goes on as a straight run with
// the new input at that step would; the kept past stays within its memory.
#include <gtest/gtest.h>

#include <malloc.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDirectory.h"
#include "tools/common/StateJson.h"
#include "world/InputScript.h"
#include "world/ScriptPlayer.h"
#include "world/Session.h"
#include "world/Settings.h"

namespace {
// Everything of a world that a step of the past must bring back: the state
// line's ball, board and camera, and what it leaves out (settings, grab,
// lightning, plotted history, counts).
std::string fingerprintOf(const World& world) {
    std::string text = stateLine(world.simulationSteps, world);
    char line[512];
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        std::snprintf(line, sizeof line, "%s=%.17g ", kSettings[i].name, settingValue(world, kSettings[i]));
        text += line;
    }
    const Grab& grab = world.grab;
    std::snprintf(line, sizeof line, "grab %d %d %.17g %.17g %.17g ", grab.active, grab.particle, grab.target.x,
                  grab.target.y, grab.target.z);
    text += line;
    const Lightning& sky = world.lightning;
    CRandom random = sky.random;
    std::snprintf(line, sizeof line, "sky %d %.17g %d %d ", sky.bolts.count, sky.strikePoint.x, random.next(),
                  random.next());
    text += line;
    for (int i = 0; i < sky.bolts.count; ++i) {
        const LightningBolt& bolt = sky.bolts.items[static_cast<std::size_t>(i)];
        std::snprintf(line, sizeof line, "bolt %.9g %d %d ", bolt.colour[3], bolt.age, bolt.dead);
        text += line;
    }
    const StepHistory& history = world.history;
    std::snprintf(line, sizeof line, "history %zu %.17g blowUps %lld buildUp %d %d pause %d", history.size(),
                  history.size() ? history[history.size() - 1].total : 0.0, world.blowUps, world.ball.buildUpShown,
                  world.ball.buildUpActive, world.run.paused);
    return text + line;
}

ScriptParseResult parse(const std::string& text) {
    ScriptParseResult script = parseInputScript(text, "timeline.txt");
    EXPECT_TRUE(script.ok) << script.error;
    return script;
}

// Grabs, settings, rebuilds, a new resolution, a blow-up, lightning, speed
// changes that land steps inside idle calls, and the panel's plots.
const char kEventful[] =
    "0 key-down tab\n"
    "5 special-down right\n"
    "60 special-up right\n"
    "70 button-down left 320 312\n"
    "75 drag 330 250\n"
    "90 button-up left 330 250\n"
    "100 key-down ]\n"
    "100 key-down ]\n"
    "130 key-down [\n"
    "130 key-down [\n"
    "130 key-down [\n"
    "170 key-down ]\n"
    "175 set damping 1.5\n"
    "180 key-down l\n"
    "190 key-down 9\n"
    "230 set rings 8\n"
    "260 set surfaceStiffness 200\n"
    "260 set centreStiffness 400\n"
    "260 set timeStep 1\n"
    "260 set particleMass 0.5\n"
    "260 set damping 0\n"
    "275 defaults\n"
    "300 key-down 0\n"
    "310 key-down t\n"
    "340 key-up t\n"
    "600 key-down ]\n"
    "900 key-down ]\n";
constexpr long long kEventfulIdleCalls = 1000;

// A straight run of the script, with a frame after each idle call as the
// window draws it, keeping the world just before each simulation step
// begins (and at the end): what the timeline must show for that step.
std::map<long long, World> straightRun(const std::vector<ScriptEvent>& events, long long idleCalls) {
    std::map<long long, World> moments;
    World world;
    ScriptPlayer player(events);
    for (long long call = 0; call < idleCalls; ++call) {
        player.deliverEventsBefore(world, call);
        for (int due = stepsDueThisIdleCall(world); due > 0; --due) {
            moments[world.simulationSteps] = world;
            simulateStep(world);
        }
        finishIdleCall(world);
        advanceFrame(world);
    }
    moments[world.simulationSteps] = world;
    return moments;
}

void runSession(Session& session, ScriptPlayer& player, long long from, long long to) {
    for (long long call = from; call < to; ++call) {
        player.deliverEventsBefore(session, call);
        session.idleCall();
        advanceFrame(session.present());
        session.frameDrawn();
    }
}

// The straight run's world at the step, with the viewer's camera and
// display laid over it as the session shows a step of the past.
std::string expectedAt(const std::map<long long, World>& moments, long long step, const Session& session) {
    World want = moments.at(step);
    showAsTheViewerDoes(want, session.present());
    return fingerprintOf(want);
}
}  // namespace

TEST(Timeline, EveryKeptStepShowsWhatTheStraightRunShowedThere) {
    const ScriptParseResult script = parse(kEventful);
    const std::map<long long, World> moments = straightRun(script.events, kEventfulIdleCalls);
    Session session;
    ScriptPlayer player(script.events);
    runSession(session, player, 0, kEventfulIdleCalls);
    ASSERT_GT(session.present().blowUps, 0) << "the script should make the ball run away";
    ASSERT_EQ(fingerprintOf(session.present()), fingerprintOf(moments.rbegin()->second));
    const long long present = session.present().simulationSteps;
    ASSERT_EQ(session.timeline().oldestStep(), 0);
    ASSERT_GE(session.timeline().copiesKept(), 2u) << "steps on both sides of a kept copy";

    // Steps at and around each kept copy, the first and the present, and
    // many between, in an order that jumps about.
    std::vector<long long> steps = {present, 0};
    for (long long step = 0; step <= present; step += 13) steps.push_back(step);
    for (long long copy = 512; copy < present; copy += 512)
        for (long long step = copy - 3; step <= copy + 3; ++step) steps.push_back(step);
    for (long long step = present; step >= 0; step -= 101) steps.push_back(step);
    for (const long long step : steps) {
        session.deliver(ScriptEvent::seek(step));
        ASSERT_EQ(session.shownStep(), step);
        ASSERT_EQ(session.behindThePresent(), step < present);
        ASSERT_EQ(fingerprintOf(session.shown()), expectedAt(moments, step, session)) << "step " << step;
    }
    EXPECT_TRUE(session.takeNotices().empty());
}

TEST(Timeline, KeysCommaAndFullStopWalkThePastAndBackToThePresent) {
    const ScriptParseResult script = parse(kEventful);
    const std::map<long long, World> moments = straightRun(script.events, 200);
    Session session;
    ScriptPlayer player(script.events);
    runSession(session, player, 0, 200);
    const long long present = session.present().simulationSteps;

    EXPECT_EQ(session.deliver(ScriptEvent::keyDown(',')), InputResponse::Redraw);
    EXPECT_TRUE(session.present().run.paused);
    EXPECT_EQ(session.shownStep(), present - 1);
    for (int i = 0; i < 9; ++i) session.deliver(ScriptEvent::keyDown(','));
    EXPECT_EQ(session.shownStep(), present - 10);
    EXPECT_EQ(fingerprintOf(session.shown()), expectedAt(moments, present - 10, session));
    for (int i = 0; i < 4; ++i) session.deliver(ScriptEvent::keyDown('.'));
    EXPECT_EQ(session.shownStep(), present - 6);

    // Looking around the past moves only the viewer: the camera flies, the
    // springs are shown, and the step shown stays as it was.
    session.deliver(ScriptEvent::keyDown('w'));
    session.deliver(ScriptEvent::keyDown('2'));
    runSession(session, player, 200, 210);
    session.deliver(ScriptEvent::keyUp('w'));
    EXPECT_EQ(session.shownStep(), present - 6);
    EXPECT_TRUE(session.shown().ball.showSprings);
    EXPECT_EQ(fingerprintOf(session.shown()), expectedAt(moments, present - 6, session));

    for (int i = 0; i < 6; ++i) session.deliver(ScriptEvent::keyDown('.'));
    EXPECT_FALSE(session.behindThePresent());
    EXPECT_EQ(session.present().simulationSteps, present) << "the present waited, paused";
    session.deliver(ScriptEvent::keyDown('.'));  // at the present: one new step
    EXPECT_EQ(session.present().simulationSteps, present + 1);
}

// Back to step 150, a stiffer ball from there: the same as a straight run
// that got the setting at step 150, and the recording of the session
// replays to the same state.
TEST(Timeline, ABranchGoesOnAsAStraightRunWithTheNewInputThere) {
    const std::string before = "5 special-down right\n60 special-up right\n";
    const ScriptParseResult branched = parse(before +
                                             "300 seek 150\n"
                                             "301 set surfaceStiffness 40\n"
                                             "301 key-down p\n");
    Session session;
    ScriptPlayer player(branched.events);
    runSession(session, player, 0, 500);
    // After the branch the steps go on from 150: 301 idle calls later, 349.
    ASSERT_EQ(session.present().simulationSteps, 150 + (500 - 301));

    const ScriptParseResult straight = parse(before + "150 set surfaceStiffness 40\n");
    Session direct;
    ScriptPlayer directPlayer(straight.events);
    runSession(direct, directPlayer, 0, 349);
    World want = direct.present();
    showAsTheViewerDoes(want, session.present());
    EXPECT_EQ(fingerprintOf(session.present()), fingerprintOf(want));

    // The past before the branch is still there, the dropped one is not.
    session.deliver(ScriptEvent::seek(100));
    EXPECT_EQ(session.shown().ball.surfaceStiffness, 10.0);
    session.deliver(ScriptEvent::seek(300));
    EXPECT_EQ(session.shown().ball.surfaceStiffness, 40.0);
}

TEST(Timeline, CameraAndDisplayInputBehindThePresentDropNothing) {
    Session session;
    ScriptPlayer player(parse("5 special-down up\n80 special-up up\n").events);
    runSession(session, player, 0, 200);
    session.deliver(ScriptEvent::seek(50));
    for (const ScriptEvent& event : {ScriptEvent::motion(10, 10), ScriptEvent::keyDown('8'),
                                     ScriptEvent::keyDown('h'), ScriptEvent::reshape(800, 600),
                                     ScriptEvent::buttonDown(MouseButton::Right, 5, 5),
                                     ScriptEvent::buttonDown(MouseButton::Left, 2, 2), ScriptEvent::keyDown('m'),
                                     ScriptEvent::pace(3), ScriptEvent::keyDown(']')})
        session.deliver(event);
    EXPECT_TRUE(session.behindThePresent());
    EXPECT_EQ(session.timeline().latestStep(), 200);
    session.deliver(ScriptEvent::seek(200));
    EXPECT_FALSE(session.behindThePresent());

    // A tilt at step 50 is a new branch there.
    session.deliver(ScriptEvent::seek(50));
    session.deliver(ScriptEvent::specialDown(kSpecialKeyLeft));
    EXPECT_FALSE(session.behindThePresent());
    EXPECT_EQ(session.present().simulationSteps, 50);
    EXPECT_EQ(session.timeline().latestStep(), 50);
}

TEST(Timeline, SeeksOutsideTheKeptPastAreToldOnceAndGoToTheNearestKeptStep) {
    Session session(std::size_t{120} << 10);  // room for two copies
    const ScriptParseResult script = parse("3 seek 99999\n4 key-down p\n2000 seek 0\n");
    ScriptPlayer player(script.events);
    runSession(session, player, 0, 3000);
    const std::vector<std::string> notices = session.takeNotices();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0], "line 1: seek 99999: step 99999 is not reached yet: showing the present, step 3");
    EXPECT_NE(notices[1].find("line 3: seek 0: step 0 is no longer kept: showing the oldest kept, step "),
              std::string::npos)
        << notices[1];
    EXPECT_GT(session.timeline().oldestStep(), 0);

    Session off(0);
    off.deliver(ScriptEvent::seek(0));
    EXPECT_FALSE(off.behindThePresent());
    EXPECT_EQ(off.takeNotices().size(), 1u);
}

// The kept past under a small cap: the oldest part goes, and what the
// process holds stays within the cap (measured by the allocator).
TEST(Timeline, AKeptPastStaysWithinItsMemoryAndDropsTheOldestFirst) {
    constexpr std::size_t kCap = std::size_t{2} << 20;
    const std::size_t before = mallinfo2().uordblks;
    {
        Session session(kCap);
        ScriptPlayer player(parse("10 special-down right\n400 special-up right\n").events);
        runSession(session, player, 0, 30000);
        const std::size_t held = mallinfo2().uordblks - before;
        EXPECT_LE(session.timeline().bytesKept(), kCap);
        EXPECT_LE(held, kCap + (std::size_t{1} << 20)) << "the world itself and the allocator's slack aside";
        EXPECT_GT(session.timeline().oldestStep(), 10000) << "the oldest part went first";
        session.deliver(ScriptEvent::seek(session.timeline().oldestStep()));
        EXPECT_EQ(session.shownStep(), session.timeline().oldestStep());
    }
}

// orvane-sim plays seeks through the same session: its last line is the
// session's step shown, a seek outside the kept past is one line on
// standard error naming the line, and a malformed seek refuses the script.
TEST(Timeline, TheHeadlessReplayPlaysSeeksAndBranchesAsTheSessionDoes) {
    TempDirectory dir;
    const std::string text =
        "5 special-down right\n60 special-up right\n300 seek 150\n301 set surfaceStiffness 40\n"
        "301 key-down p\n420 key-down ,\n421 key-down ,\n430 seek 999999\n";
    const ScriptParseResult script = parse(text);
    Session session;
    ScriptPlayer player(script.events);
    runSession(session, player, 0, 500);

    const ChildResult sim = runChild({ORVANE_BINARY_DIR "/orvane-sim", "--steps", "500", "--input",
                                      dir.writeText("branch.txt", text)});
    ASSERT_EQ(sim.exitStatus, 0) << sim.err;
    EXPECT_EQ(sim.out.substr(sim.out.rfind('\n', sim.out.size() - 2) + 1), stateLine(500, session.shown()));
    EXPECT_EQ(sim.err, "orvane-sim: " + dir.file("branch.txt") +
                           ": line 8: seek 999999: step 999999 is not reached yet: showing the present, step 269\n");

    const ChildResult bad = runChild({ORVANE_BINARY_DIR "/orvane-sim", "--input",
                                      dir.writeText("bad.txt", "0 seek -3\n")});
    EXPECT_EQ(bad.exitStatus, 2);
    EXPECT_NE(bad.err.find("bad.txt:1: seek step \"-3\" is not an integer"), std::string::npos) << bad.err;
}
