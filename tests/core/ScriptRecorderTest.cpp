// Recording a session: every event becomes a line that is on disk at once,
// and the file replays into the same world.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/support/TempDirectory.h"
#include "world/ScriptPlayer.h"
#include "world/ScriptRecorder.h"
#include "world/World.h"

namespace {
std::string contentsOf(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

TEST(ScriptRecorder, EachEventIsOnDiskAsSoonAsItIsRecorded) {
    TempDirectory dir;
    ScriptRecorder recorder;
    std::string error;
    ASSERT_TRUE(recorder.open(dir.file("session.txt"), error)) << error;
    ASSERT_TRUE(recorder.record(ScriptEvent::specialDown(kSpecialKeyUp).at(0)));
    EXPECT_NE(contentsOf(dir.file("session.txt")).find("0 special-down up\n"), std::string::npos);
    ASSERT_TRUE(recorder.record(ScriptEvent::keyDown('p').at(40)));
    EXPECT_NE(contentsOf(dir.file("session.txt")).find("40 key-down p\n"), std::string::npos);
}

TEST(ScriptRecorder, AnUnwritableFileIsRefusedAtOnceWithItsName) {
    TempDirectory dir;
    ScriptRecorder recorder;
    std::string error;
    EXPECT_FALSE(recorder.open(dir.file("missing/session.txt"), error));
    EXPECT_NE(error.find("missing/session.txt: cannot write"), std::string::npos) << error;
    EXPECT_FALSE(recorder.isOpen());
    EXPECT_FALSE(recorder.record(ScriptEvent::end()));
    EXPECT_FALSE(recorder.open(dir.path(), error));  // a directory
}

TEST(ScriptRecorder, ARecordedSessionReplaysIntoTheSameWorld) {
    TempDirectory dir;
    const std::vector<ScriptEvent> session = {
        ScriptEvent::specialDown(kSpecialKeyLeft).at(0), ScriptEvent::keyDown(']').at(30),
        ScriptEvent::specialUp(kSpecialKeyLeft).at(60),   ScriptEvent::pace(2).at(61),
        ScriptEvent::motion(300, 200).at(90),             ScriptEvent::keyDown('p').at(120)};
    World live;
    ScriptRecorder recorder;
    std::string error;
    ASSERT_TRUE(recorder.open(dir.file("session.txt"), error)) << error;
    std::size_t next = 0;
    for (long long call = 0; call < 150; ++call) {
        for (; next < session.size() && session[next].step == call; ++next) {
            recorder.record(session[next]);
            deliverScriptEvent(live, session[next]);
        }
        step(live);
    }

    const ScriptParseResult script = loadInputScript(dir.file("session.txt"));
    ASSERT_TRUE(script.ok) << script.error;
    World replayed;
    ScriptPlayer player(script.events);
    for (long long call = 0; call < 150; ++call) {
        player.deliverEventsBefore(replayed, call);
        step(replayed);
    }
    for (std::size_t i = 0; i < live.ball.particles.size(); ++i)
        ASSERT_EQ(replayed.ball.particles[i].position.x, live.ball.particles[i].position.x) << i;
    EXPECT_EQ(replayed.camera.yaw, live.camera.yaw);
    EXPECT_TRUE(replayed.run.paused);
}
