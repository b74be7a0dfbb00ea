// The ball's settings: the table agrees with the ball, changes act from the
// next step, defaults come back bit for bit, values out of range are refused,
// and the worst values the ranges allow do not break the world.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "tests/core/WorldTest.h"
#include "world/InputScript.h"
#include "world/Settings.h"

namespace {
void expectSameBall(const SoftBall& got, const SoftBall& want) {
    ASSERT_EQ(got.particles.size(), want.particles.size());
    for (std::size_t i = 0; i < got.particles.size(); ++i) {
        const Particle& a = got.particles[i];
        const Particle& b = want.particles[i];
        ASSERT_TRUE(a.position.x == b.position.x && a.position.y == b.position.y && a.position.z == b.position.z &&
                    a.velocity.x == b.velocity.x && a.velocity.y == b.velocity.y && a.velocity.z == b.velocity.z)
            << "particle " << i;
        const auto springsA = got.particles.springsOf(i), springsB = want.particles.springsOf(i);
        ASSERT_EQ(springsA.size(), springsB.size());
        for (std::size_t k = 0; k < springsA.size(); ++k) ASSERT_EQ(springsA[k].stiffness, springsB[k].stiffness);
    }
}

bool allFinite(const SoftBall& ball) {
    for (const auto& p : ball.particles) {
        for (const double v : {p.position.x, p.position.y, p.position.z, p.velocity.x, p.velocity.y, p.velocity.z})
            if (!std::isfinite(v)) return false;
    }
    return true;
}

class SettingsTest : public WorldTest {};
}  // namespace

TEST_F(SettingsTest, EveryStartValueIsTheBallsOwn) {
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        const Setting& setting = kSettings[i];
        EXPECT_EQ(settingValue(world, setting), settingStartValue(setting)) << setting.name;
        EXPECT_LE(setting.minimum, settingStartValue(setting)) << setting.name;
        EXPECT_GE(setting.maximum, settingStartValue(setting)) << setting.name;
        EXPECT_GT(setting.sliderStep, 0.0) << setting.name;
        if (!setting.choice) {
            EXPECT_LE(setting.sliderStep, (setting.maximum - setting.minimum) / 10) << setting.name;
        }
        EXPECT_EQ((setting.parameter != nullptr) + (setting.resolution != nullptr) + (setting.choice != nullptr), 1)
            << setting.name;
        EXPECT_EQ(findSetting(setting.name), &setting);
        EXPECT_EQ(findSettingOption(setting.option), &setting);
    }
    EXPECT_EQ(findSetting("stiffness"), nullptr);
}

TEST_F(SettingsTest, StiffnessReachesEverySpringOfItsKindFromTheNextStep) {
    applySetting(world, *findSetting("surfaceStiffness"), 33.5);
    const int centre = ball.centreIndex();
    int surfaceSprings = 0, centreSprings = 0;
    for (std::size_t i = 0; i < ball.particles.size(); ++i) {
        for (const Spring& spring : ball.particles.springsOf(i)) {
            const bool toCentre = spring.to == centre;
            EXPECT_EQ(spring.stiffness, toCentre ? 20.0f : 33.5f);
            (toCentre ? centreSprings : surfaceSprings)++;
        }
    }
    EXPECT_EQ(surfaceSprings, 1058 - 122);
    EXPECT_EQ(centreSprings, 122);

    // Stepped with the new stiffness, then everything back: from there on the
    // world goes exactly as one that never changed (same positions to start).
    World untouched = world;
    restoreDefaults(untouched);
    for (std::size_t i = 0; i < kSettingCount; ++i)
        if (!kSettings[i].resolution) applySetting(world, kSettings[i], kSettings[i].maximum / 3);
    restoreDefaults(world);
    for (int i = 0; i < 200; ++i) {
        step();
        ::step(untouched);
    }
    expectSameBall(ball, untouched.ball);
    EXPECT_EQ(ball.timeStep, 0.1);
    EXPECT_EQ(ball.gravity.y, -0.1);
}

TEST_F(SettingsTest, RingsAndSegmentsRebuildTheBallWhereItIs) {
    for (int i = 0; i < 100; ++i) step();
    mouseButton(world, MouseButton::Left, true, 320, 312);
    const Vec3 centre = ball.centre;
    applySetting(world, *findSetting("rings"), 24);
    applySetting(world, *findSetting("segments"), 5);
    EXPECT_EQ(ball.particles.size(), static_cast<std::size_t>(22 * 5 + 3));
    EXPECT_TRUE(ball.isBuilt());
    EXPECT_NEAR(ball.centre.y, centre.y + 1.0, 1e-9);  // raised by half a unit twice
    EXPECT_TRUE(ball.buildUpActive);
    EXPECT_FALSE(world.grab.active);
    for (int i = 0; i < 100; ++i) step();
    EXPECT_TRUE(allFinite(ball));
}

TEST_F(SettingsTest, ValuesOutOfRangeOrNotNumbersAreRefused) {
    const Setting& damping = *findSetting("damping");
    const Setting& rings = *findSetting("rings");
    double value = 7.0;
    EXPECT_EQ(readSettingValue(damping, "2.5", value), "");
    EXPECT_EQ(value, 2.5);
    EXPECT_EQ(readSettingValue(damping, "5e1", value), "");
    for (const char* bad : {"-0.1", "50.001", "", "nan", "inf", "1e999", "2,5", " 2", "0x10", "four"}) {
        value = 7.0;
        EXPECT_NE(readSettingValue(damping, bad, value), "") << bad;
        EXPECT_EQ(value, 7.0) << bad;
    }
    EXPECT_NE(readSettingValue(rings, "12.5", value), "");
    EXPECT_NE(readSettingValue(rings, "3", value), "");
    EXPECT_EQ(readSettingValue(rings, "96", value), "");
    EXPECT_EQ(readSettingValue(damping, "99", value), "\"99\" is not a number from 0 to 50");
}

TEST_F(SettingsTest, TheWorstValuesTheRangesAllowNeverLeaveGarbage) {
    struct Extreme {
        const char* name;
        bool highest;
    };
    const Extreme stiff[] = {{"surfaceStiffness", true}, {"centreStiffness", true}, {"timeStep", true},
                             {"particleMass", false}, {"damping", false}};
    const Extreme overdamped[] = {{"damping", true}, {"timeStep", true}, {"particleMass", false}};
    const Extreme falling[] = {{"gravity", false}, {"damping", false}, {"liftForce", true}, {"pushGain", true}};
    for (const auto* extremes : {stiff, overdamped, falling}) {
        restart();
        const std::size_t count = extremes == stiff ? 5 : extremes == overdamped ? 3 : 4;
        for (std::size_t i = 0; i < count; ++i) {
            const Setting& s = *findSetting(extremes[i].name);
            applySetting(world, s, extremes[i].highest ? s.maximum : s.minimum);
        }
        keyDown('t');
        specialDown(kSpecialKeyRight);
        for (int i = 0; i < 2000; ++i) {
            step();
            ASSERT_TRUE(allFinite(ball)) << "idle call " << i;
            ASSERT_FALSE(ball.ranAway());
        }
    }
    EXPECT_GT(world.blowUps, 0);  // the falling ball's last run: it did blow up, and came back
}

TEST_F(SettingsTest, ABlownUpBallComesBackOverThePlateAndTheOverlaySaysSo) {
    ball.particles[5].velocity = Vec3(std::nan(""), 0, 0);
    mouseButton(world, MouseButton::Left, true, 320, 312);
    step();
    EXPECT_EQ(world.blowUps, 1);
    EXPECT_GT(world.blowUpNoticeFrames, 0);
    EXPECT_TRUE(allFinite(ball));
    EXPECT_EQ(ball.centre.x, 0.0);
    EXPECT_EQ(ball.centre.y, 5.5);
    EXPECT_FALSE(world.grab.active);
    const int notice = world.blowUpNoticeFrames;
    advanceFrame(world);
    EXPECT_EQ(world.blowUpNoticeFrames, notice - 1);
}

// The integrator is a row of the table with named values: scripts, command
// lines and recordings take and give the names, B has its own, and a number
// or an unknown name is refused with the names listed.
TEST_F(SettingsTest, TheIntegratorIsAChoiceByName) {
    const Setting& integrator = *findSetting("integrator");
    ASSERT_NE(integrator.choice, nullptr);
    EXPECT_EQ(settingValue(world, integrator), 0.0);
    EXPECT_EQ(settingValueText(integrator, 0.0, nullptr), "in-place");

    double value = -1.0;
    EXPECT_EQ(readSettingValue(integrator, "rk4", value), "");
    EXPECT_EQ(value, 4.0);
    EXPECT_EQ(readSettingValue(integrator, "2", value),
              "\"2\" is not one of in-place, symplectic-euler, explicit-euler, velocity-verlet, rk4");
    EXPECT_NE(readSettingValue(integrator, "RK4", value), "");

    const ScriptParseResult script = parseInputScript("3 set integrator velocity-verlet\n4 set-b integrator rk4\n", "s");
    ASSERT_TRUE(script.ok) << script.error;
    ASSERT_EQ(script.events.size(), 2u);
    EXPECT_EQ(formatScriptEvent(script.events[0]), "3 set integrator velocity-verlet");
    EXPECT_EQ(formatScriptEvent(script.events[1]), "4 set-b integrator rk4");
    const ScriptParseResult wrong = parseInputScript("3 set integrator leapfrog\n", "s");
    EXPECT_FALSE(wrong.ok);
    EXPECT_NE(wrong.error.find("\"leapfrog\" is not one of in-place,"), std::string::npos) << wrong.error;

    ScriptEvent event;
    EXPECT_EQ(readSettingOption(integrator, "symplectic-euler", event), "");
    deliverScriptEvent(world, event);
    EXPECT_EQ(world.ball.integrator, Integrator::SymplecticEuler);
    restoreDefaults(world);
    EXPECT_EQ(world.ball.integrator, Integrator::InPlace);
    EXPECT_NE(settingsUsage().find("--integrator NAME"), std::string::npos);
    EXPECT_NE(settingsUsage().find("in-place, symplectic-euler, explicit-euler, velocity-verlet, rk4 (start in-place)"),
              std::string::npos);
}
