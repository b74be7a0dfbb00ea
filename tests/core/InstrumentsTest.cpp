// The stopwatch, the flight log, restart, the saved session and set-up
// scripts, and the data table.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "tools/common/StateJson.h"
#include "world/DataCsv.h"
#include "world/InputScript.h"
#include "world/Instruments.h"
#include "world/ScriptPlayer.h"
#include "world/Session.h"
#include "world/Settings.h"

namespace {
ScriptEvent onlyEvent(const std::string& line) {
    const ScriptParseResult parsed = parseInputScript(line + "\n", "test");
    EXPECT_TRUE(parsed.ok) << parsed.error;
    return parsed.events.at(0);
}

void idle(Session& session, int calls) {
    for (int i = 0; i < calls; ++i) session.idleCall();
}

// Plays a script into a fresh session for `idleCalls` idle calls.
Session replayed(const std::string& script, long long idleCalls) {
    const ScriptParseResult parsed = parseInputScript(script, "saved");
    EXPECT_TRUE(parsed.ok) << parsed.error;
    Session session;
    ScriptPlayer player(parsed.events);
    for (long long i = 0; i < idleCalls; ++i) {
        player.deliverEventsBefore(session, i);
        session.idleCall();
    }
    player.deliverEventsBefore(session, idleCalls);
    return session;
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::stringstream stream(line);
    for (std::string field; std::getline(stream, field, ',');) out.push_back(field);
    return out;
}
}  // namespace

TEST(Stopwatch, RunsInModelTimeAndStopsAtTheNextTouchdownWhenAsked) {
    Session session;
    session.deliver(onlyEvent("0 stopwatch start"));
    idle(session, 10);
    EXPECT_DOUBLE_EQ(session.present().instruments.stopwatch.seconds, 10 * 0.1);
    session.deliver(onlyEvent("0 stopwatch stop"));
    idle(session, 5);
    EXPECT_DOUBLE_EQ(session.present().instruments.stopwatch.seconds, 1.0);
    session.deliver(onlyEvent("0 stopwatch reset"));
    EXPECT_EQ(session.present().instruments.stopwatch.seconds, 0.0);
    session.deliver(onlyEvent("0 stopwatch auto-on"));
    session.deliver(onlyEvent("0 stopwatch start"));
    long long steps = 0;
    while (session.present().ball.contactCount == 0 && steps < 2000) {
        session.idleCall();
        ++steps;
    }
    const Stopwatch& stopwatch = session.present().instruments.stopwatch;
    EXPECT_FALSE(stopwatch.running);
    EXPECT_NEAR(stopwatch.seconds, steps * 0.1, 1e-9);
    idle(session, 10);
    EXPECT_NEAR(session.present().instruments.stopwatch.seconds, steps * 0.1, 1e-9);
    EXPECT_EQ(session.present().instruments.flight.bounces, 1);
    EXPECT_TRUE(session.present().instruments.flight.landedOnce);
    EXPECT_NEAR(session.present().instruments.flight.lastTop, 5.0, 0.1);
}

TEST(Stopwatch, TheTimelineRestoresItWithTheStepShown) {
    Session session;
    session.deliver(onlyEvent("0 stopwatch start"));
    idle(session, 300);
    session.deliver(onlyEvent("0 seek 120"));
    EXPECT_NEAR(session.shown().instruments.stopwatch.seconds, 12.0, 1e-9);
    EXPECT_TRUE(session.shown().instruments.stopwatch.running);
    EXPECT_NEAR(session.present().instruments.stopwatch.seconds, 30.0, 1e-9);
}

TEST(Readouts, ModelTimeCentreAndContacts) {
    Session session;
    idle(session, 700);
    const Readouts readouts = readoutsOf(session.present());
    EXPECT_DOUBLE_EQ(readouts.time, 70.0);
    EXPECT_NEAR(readouts.centreHeight, 2.46, 0.05);
    EXPECT_LT(readouts.centreSpeed, 0.05);
    EXPECT_GT(readouts.contacts, 0);
    EXPECT_GE(readouts.bounces, 1);
}

TEST(Restart, StartsAFreshWorldKeepingTheViewersWindowPanelAndLook) {
    Session session;
    session.deliver(onlyEvent("0 reshape 800 600"));
    session.deliver(onlyEvent("0 key-down tab"));
    session.deliver(onlyEvent("0 look jelly"));
    session.deliver(onlyEvent("0 key-down n"));
    session.deliver(onlyEvent("0 set damping 9"));
    session.deliver(onlyEvent("0 stopwatch start"));
    idle(session, 50);
    session.deliver(ScriptEvent::restart());
    const World& world = session.present();
    EXPECT_EQ(world.simulationSteps, 0);
    EXPECT_EQ(world.ball.damping, 4.0);
    EXPECT_FALSE(world.instruments.stopwatch.running);
    EXPECT_EQ(world.window.width, 800);
    EXPECT_TRUE(world.display.panelVisible);
    EXPECT_EQ(world.display.look, BallLook::Jelly);
    EXPECT_TRUE(world.display.noFlashes) << "a person who must not see flashes keeps them off";
    EXPECT_EQ(session.timeline().oldestStep(), 0);
    EXPECT_EQ(session.timeline().latestStep(), 0);
    idle(session, 20);
    EXPECT_EQ(stateLine(0, session.present()), stateLine(0, [] {
                  World fresh;
                  for (int i = 0; i < 20; ++i) step(fresh);
                  return fresh;
              }()));
}

// A session with a grab, settings, the stopwatch, a look into the past and a
// branch from there: the saved script, played anywhere, ends in the very
// same state, paused.
TEST(SessionScript, ReplaysToExactlyThePresentState) {
    Session session;
    session.keepTranscript();
    session.deliver(onlyEvent("0 pointer hand"));
    idle(session, 650);
    session.deliver(onlyEvent("0 set surfaceStiffness 14.5"));
    session.deliver(onlyEvent("0 stopwatch start"));
    session.deliver(onlyEvent("0 button-down left 320 405"));
    idle(session, 5);
    session.deliver(onlyEvent("0 drag 320 330"));
    idle(session, 20);
    session.deliver(onlyEvent("0 button-up left 320 330"));
    session.deliver(onlyEvent("0 set damping 2.25"));
    idle(session, 100);
    session.deliver(onlyEvent("0 seek 700"));
    session.deliver(onlyEvent("0 key-down l"));  // a bolt there: a branch
    session.deliver(onlyEvent("0 key-up l"));
    session.deliver(onlyEvent("0 key-down p"));
    session.deliver(onlyEvent("0 key-up p"));
    idle(session, 40);

    const std::string script = session.sessionScript();
    const Session again = replayed(script, 650 + 5 + 20 + 100 + 40);
    EXPECT_TRUE(stateLine(0, again.shown()) == stateLine(0, session.shown()));
    EXPECT_TRUE(again.shown().run.paused);
    EXPECT_EQ(again.shown().instruments.stopwatch.seconds, session.shown().instruments.stopwatch.seconds);
    EXPECT_NE(script.find("set surfaceStiffness 14.5"), std::string::npos);
}

// After a restart the script starts there, and still ends where the session is.
TEST(SessionScript, StartsAtTheLastRestart) {
    Session session;
    session.keepTranscript();
    session.deliver(onlyEvent("0 set damping 7"));
    idle(session, 30);
    session.deliver(ScriptEvent::restart());
    session.deliver(onlyEvent("0 set gravity -1.5"));
    idle(session, 200);
    const std::string script = session.sessionScript();
    EXPECT_EQ(script.find("damping 7"), std::string::npos);
    EXPECT_TRUE(stateLine(0, replayed(script, 200).shown()) == stateLine(0, session.shown()));
}

TEST(SetUpScript, StartsAFreshWorldWithTheSettingsDisplayAndCamera) {
    Session session;
    session.deliver(onlyEvent("0 set centreStiffness 33"));
    session.deliver(onlyEvent("0 set rings 12"));
    session.deliver(onlyEvent("0 key-down 2"));
    session.deliver(onlyEvent("0 key-down n"));
    session.deliver(onlyEvent("0 look jelly"));
    session.deliver(onlyEvent("0 compare on"));
    session.deliver(onlyEvent("0 set-b damping 1.5"));
    session.deliver(onlyEvent("0 special-down up"));
    idle(session, 80);
    session.deliver(onlyEvent("0 motion 100 50"));
    session.deliver(onlyEvent("0 motion 160 90"));
    session.deliver(onlyEvent("0 key-down w"));
    idle(session, 30);
    const World& now = session.present();
    const std::string script = setUpScript(now);
    const Session again = replayed(script, 0);
    const World& set = again.present();
    EXPECT_EQ(set.simulationSteps, 0);
    EXPECT_EQ(set.board.tiltX, 0.0f);
    for (std::size_t i = 0; i < kSettingCount; ++i)
        EXPECT_EQ(settingValue(set, kSettings[i]), settingValue(now, kSettings[i])) << kSettings[i].name;
    ASSERT_TRUE(set.compare);
    EXPECT_EQ(set.compare->ball.damping, 1.5);
    EXPECT_EQ(set.compare->ball.rings, 12);
    EXPECT_TRUE(set.ball.showSprings);
    EXPECT_TRUE(set.display.noFlashes);
    EXPECT_EQ(set.display.look, BallLook::Jelly);
    EXPECT_EQ(set.camera.position.x, now.camera.position.x);
    EXPECT_EQ(set.camera.position.y, now.camera.position.y);
    EXPECT_EQ(set.camera.position.z, now.camera.position.z);
    EXPECT_EQ(set.camera.yaw, now.camera.yaw);
    EXPECT_EQ(set.camera.pitch, now.camera.pitch);
    EXPECT_EQ(set.camera.forward.x, now.camera.forward.x);
    EXPECT_EQ(set.camera.forward.z, now.camera.forward.z);
    EXPECT_EQ(script.rfind("# ", 0), 0u);
}

TEST(DataCsv, AHeaderWithUnitsAndARowForEveryKeptStep) {
    Session session;
    idle(session, 120);
    const std::string csv = keptStepsCsv(session.timeline());
    std::vector<std::string> lines;
    std::stringstream stream(csv);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 122u);  // the header, steps 0 to 120
    const std::vector<std::string> header = fields(lines[0]);
    ASSERT_EQ(header.size(), 13u);
    EXPECT_EQ(header[0], "step");
    EXPECT_EQ(header[1], "time (s)");
    EXPECT_EQ(header[5], "total energy (J)");
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> row = fields(lines[i]);
        ASSERT_EQ(row.size(), 13u) << lines[i];
        EXPECT_EQ(row[0], std::to_string(i - 1));
    }
    EXPECT_EQ(fields(lines[11])[1], "1");
    // The last row is the present's, to the last bit.
    std::string present;
    appendDataCsvRow(present, session.present());
    EXPECT_EQ(lines.back() + "\n", present);
    const Vec3 centre = massCentre(session.present().ball);
    EXPECT_EQ(std::strtod(fields(lines.back())[10].c_str(), nullptr), centre.y);
}

// Save data keeps B's columns when any kept step has B, empty where none.
TEST(DataCsv, BHasItsOwnColumnsOnceItIsKept) {
    Session session;
    idle(session, 10);
    session.deliver(ScriptEvent::compareMode(CompareAction::On));
    idle(session, 10);
    std::vector<std::string> lines;
    std::stringstream stream(keptStepsCsv(session.timeline()));
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 22u);
    ASSERT_EQ(fields(lines[0]).size(), 24u);
    EXPECT_EQ(lines[1].substr(lines[1].size() - 11), std::string(11, ','));
    std::string present;
    appendDataCsvRow(present, session.present(), true);
    EXPECT_EQ(lines.back() + "\n", present);
    EXPECT_EQ(fields(lines.back())[23], "0") << "an unchanged B sits on A";
}
