// The world is a value: two worlds in one process do not disturb each other,
// and a copy goes on exactly as the original would.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tools/common/StateJson.h"
#include "world/ScriptPlayer.h"
#include "world/World.h"

namespace {
constexpr long long kSteps = 1500;

std::vector<ScriptEvent> scriptFrom(const char* path) {
    const ScriptParseResult script = loadInputScript(std::string(ORVANE_SOURCE_DIR) + "/" + path);
    EXPECT_TRUE(script.ok) << script.error;
    return script.events;
}

// The replay's JSON line for the world, plus the lightning, which the line
// leaves out.
std::string stateOf(const World& world, long long step) {
    const std::string json = stateLine(step, world);
    std::string bolts;
    for (const LightningBolt& bolt : world.lightning.bolts.items)
        bolts += std::to_string(bolt.age) + "/" + std::to_string(bolt.colour[3]) + " ";
    return json + bolts + std::to_string(world.ball.buildUpShown);
}

// A world with its script: one idle call is the script's events, a step and
// a drawn frame's update, as in the window.
struct ScriptedWorld {
    World world;
    ScriptPlayer player;
    std::vector<std::string> states;

    explicit ScriptedWorld(const char* script) : player(scriptFrom(script)) {}
    void idleCall(long long i) {
        player.deliverEventsBefore(world, i, [this](const ScriptEvent&, InputResponse response) {
            if (response == InputResponse::Redraw) advanceFrame(world);
        });
        step(world);
        advanceFrame(world);
        states.push_back(stateOf(world, i + 1));
    }
};
}  // namespace

TEST(WorldValue, TwoWorldsSteppedInTurnEachGiveWhatTheyGiveAlone) {
    const char* rolling = "tools/sim/examples/roll-with-arrows.txt";
    const char* soak = "tests/golden/soak-10000.txt";
    ScriptedWorld aloneA(rolling), aloneB(soak);
    for (long long i = 0; i < kSteps; ++i) aloneA.idleCall(i);
    for (long long i = 0; i < kSteps; ++i) aloneB.idleCall(i);

    ScriptedWorld a(rolling), b(soak);
    for (long long i = 0; i < kSteps; ++i) {
        a.idleCall(i);
        b.idleCall(i);
    }
    for (long long i = 0; i < kSteps; ++i) {
        ASSERT_EQ(a.states[i], aloneA.states[i]) << "idle call " << i + 1;
        ASSERT_EQ(b.states[i], aloneB.states[i]) << "idle call " << i + 1;
    }
    EXPECT_NE(a.states.back(), b.states.back());
}

TEST(WorldValue, ACopyGoesOnAsTheOriginalAndSharesNothing) {
    ScriptedWorld original("tests/golden/soak-10000.txt");
    for (long long i = 0; i < 700; ++i) original.idleCall(i);

    ScriptedWorld copy("tests/golden/soak-10000.txt");
    copy.world = original.world;
    copy.player = original.player;
    EXPECT_NE(copy.world.ball.particles.data(), original.world.ball.particles.data());
    EXPECT_NE(copy.world.ball.particles.springData(), original.world.ball.particles.springData());
    EXPECT_EQ(copy.world.ball.particles.springCount(), original.world.ball.particles.springCount());

    for (long long i = 700; i < 1400; ++i) {
        original.idleCall(i);
        copy.idleCall(i);
        ASSERT_EQ(copy.states.back(), original.states.back()) << "idle call " << i + 1;
    }
    keyDown(copy.world, '9');
    EXPECT_TRUE(copy.world.ball.buildUpActive);
    EXPECT_NE(stateOf(copy.world, 0), stateOf(original.world, 0));
}
