// The ready experiments: each one read, played headless from a fresh
// session, every value finite, and what its note claims measured.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "ball/Energy.h"
#include "world/Experiments.h"
#include "world/InputScript.h"
#include "world/Instruments.h"
#include "world/ScriptPlayer.h"
#include "world/Session.h"

namespace {
// What one step of A (and B, in compare mode) gives, after each idle call.
struct Sample {
    BallEnergy energy;
    Vec3 centre;
    double speed = 0.0;
    int contacts = 0;
    bool hasB = false;
    Vec3 centreB;
    double separation = 0.0;
};

bool finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

bool everyPointFinite(const SoftBall& ball) {
    for (const auto& particle : ball.particles) {
        if (!finite(particle.position) || !finite(particle.velocity)) return false;
    }
    return true;
}

Sample sampleOf(const World& world) {
    Sample s;
    s.energy = energyOf(world.ball);
    s.centre = massCentre(world.ball);
    s.speed = length(massCentreVelocity(world.ball));
    s.contacts = world.ball.contactCount;
    if (world.compare) {
        s.hasB = true;
        s.centreB = massCentre(world.compare->ball);
        s.separation = length(s.centreB - s.centre);
    }
    return s;
}

// samples[i]: after i idle calls.
struct Played {
    std::vector<Sample> samples;
    long long blowUps = 0;
    World last;
};

Played play(const std::string& script, long long idleCalls) {
    const ScriptParseResult parsed = parseInputScript(script, "experiment");
    EXPECT_TRUE(parsed.ok) << parsed.error;
    Session session;
    ScriptPlayer player(parsed.events);
    Played run;
    run.samples.push_back(sampleOf(session.present()));
    for (long long i = 0; i < idleCalls; ++i) {
        player.deliverEventsBefore(session, i);
        session.idleCall();
        const World& world = session.present();
        EXPECT_TRUE(everyPointFinite(world.ball)) << "idle call " << i;
        if (world.compare) {
            EXPECT_TRUE(everyPointFinite(world.compare->ball)) << "B, idle call " << i;
        }
        run.samples.push_back(sampleOf(world));
    }
    run.blowUps = session.present().blowUps + (session.present().compare ? session.present().compare->blowUps : 0);
    run.last = session.present();
    return run;
}

Played playExperiment(const std::string& name, long long idleCalls) {
    const Experiment* experiment = findExperiment(name);
    EXPECT_NE(experiment, nullptr) << name;
    return experiment ? play(experiment->script, idleCalls) : Played();
}

double highest(const Played& run, long long from, long long to, const std::function<double(const Sample&)>& value) {
    double best = -INFINITY;
    for (long long i = from; i <= to; ++i) best = std::max(best, value(run.samples[static_cast<std::size_t>(i)]));
    return best;
}

double total(const Sample& s) { return s.energy.total; }
double spring(const Sample& s) { return s.energy.spring; }
}  // namespace

TEST(Experiments, EachHasATitleANoteAndStartsFromAFreshWorld) {
    const std::vector<std::string> expected = {
        "coarse-and-fine", "down-the-ramp", "drop-onto-the-platform", "no-damping", "pull-and-let-go",
        "stiff-and-soft", "stiffness-doubled", "the-butterfly", "time-step-halved"};
    std::vector<std::string> names;
    for (const Experiment& experiment : readyExperiments()) {
        names.push_back(experiment.name);
        EXPECT_FALSE(experiment.title.empty()) << experiment.name;
        EXPECT_GT(experiment.note.size(), 100u) << experiment.name;
        const ScriptParseResult parsed = parseInputScript(experiment.script, experiment.name);
        ASSERT_TRUE(parsed.ok) << parsed.error;
        ASSERT_FALSE(parsed.events.empty());
        EXPECT_EQ(parsed.events.front(), ScriptEvent::restart()) << experiment.name;
    }
    EXPECT_EQ(names, expected);
    EXPECT_EQ(findExperiment("drop-onto-the-platform")->title, "drop onto the platform: where does the energy go?");
    EXPECT_EQ(findExperiment("nothing-like-it"), nullptr);
}

TEST(Experiments, TheHeaderIsTheTitleLineAndTheNoteParagraphs) {
    std::string title, note;
    ASSERT_TRUE(readExperimentHeader("# A title \n# one\n#two\n#\n# three\n0 restart\n# not the note\n", title, note));
    EXPECT_EQ(title, "A title");
    EXPECT_EQ(note, "one two\n\nthree");
    EXPECT_FALSE(readExperimentHeader("0 restart\n", title, note));
    EXPECT_FALSE(readExperimentHeader("#\n# note\n", title, note));
}

// The drop: energy drains once the ball lands, and the stopwatch times the
// fall, stopping at the landing by itself.
TEST(Experiments, DropOntoThePlatformDrainsEnergyAndTimesTheFall) {
    const Played run = playExperiment("drop-onto-the-platform", 1500);
    EXPECT_EQ(run.blowUps, 0);
    const double start = run.samples.front().energy.total;
    EXPECT_LT(run.samples.back().energy.total, 0.85 * start);
    const Stopwatch& stopwatch = run.last.instruments.stopwatch;
    EXPECT_FALSE(stopwatch.running);
    long long landing = 0;
    while (run.samples[static_cast<std::size_t>(landing)].contacts == 0) ++landing;
    EXPECT_NEAR(stopwatch.seconds, static_cast<double>(landing) * 0.1, 1e-9);
    EXPECT_GE(run.last.instruments.flight.bounces, 1);
}

// No damping: energy is not kept; it grows several times over.
TEST(Experiments, NoDampingGainsEnergyWithoutRunningAway) {
    const Played run = playExperiment("no-damping", 3000);
    EXPECT_EQ(run.blowUps, 0);
    EXPECT_GT(highest(run, 0, 3000, total), 3.0 * run.samples.front().energy.total);
}

TEST(Experiments, TheStiffBallDeformsLessThanTheSoftOne) {
    const Played run = playExperiment("stiff-and-soft", 2000);
    const Sample& rest = run.samples.back();
    ASSERT_TRUE(rest.hasB);
    EXPECT_GT(rest.centre.y, rest.centreB.y + 0.1);
    EXPECT_LT(rest.speed, 1e-3);
}

TEST(Experiments, CoarseAndFineBallsBothLandAndRestFinite) {
    const Played run = playExperiment("coarse-and-fine", 1200);
    EXPECT_EQ(run.last.ball.particles.size(), 11u);
    ASSERT_TRUE(run.last.compare);
    EXPECT_EQ(run.last.compare->ball.particles.size(), 2211u);
    EXPECT_GT(run.last.compare->ball.contactCount, run.last.ball.contactCount);
    EXPECT_LT(run.samples.back().centre.y, 3.0);
    EXPECT_LT(run.samples.back().centreB.y, 3.0);
}

// Pulled, the springs store energy; let go, it swings back and forth and
// dies away.
TEST(Experiments, PullAndLetGoRingsAndDiesAway) {
    const Played run = playExperiment("pull-and-let-go", 1000);
    EXPECT_EQ(run.blowUps, 0);
    const double resting = run.samples[699].energy.spring;
    EXPECT_GT(highest(run, 700, 780, spring), 1.5 * resting);
    // Rings: the springs' energy turns around (rises again) several times
    // after the release.
    int turns = 0;
    for (std::size_t i = 782; i < 900; ++i) {
        const double before = run.samples[i - 1].energy.spring, now = run.samples[i].energy.spring,
                     after = run.samples[i + 1].energy.spring;
        if (now < before && now < after) ++turns;
    }
    EXPECT_GE(turns, 5);
    EXPECT_GT(highest(run, 781, 830, spring), highest(run, 950, 1000, spring));
}

TEST(Experiments, DownTheRampTheBallDropsAndSpeedsUp) {
    const Played run = playExperiment("down-the-ramp", 2000);
    const double onThePlatform = run.samples[600].centre.y;
    EXPECT_LT(run.samples.back().centre.y, onThePlatform - 1.5);
    EXPECT_GT(highest(run, 600, 2000, [](const Sample& s) { return s.speed; }), 10 * run.samples[600].speed);
    EXPECT_LT(run.samples.back().energy.gravity, run.samples[600].energy.gravity);
}

TEST(Experiments, StiffnessDoubledRestsHigher) {
    const Played run = playExperiment("stiffness-doubled", 2000);
    const Sample& rest = run.samples.back();
    EXPECT_GT(rest.centreB.y, rest.centre.y + 0.005);
    EXPECT_GT(rest.separation, 0.01);
}

// Half the time step: B falls half as far a step, lands later, and the two
// come to rest within a centimetre or two of each other.
TEST(Experiments, TimeStepHalvedFallsBehindThenCatchesUp) {
    const Played run = playExperiment("time-step-halved", 2000);
    EXPECT_NEAR(run.samples[400].centreB.y - run.samples[400].centre.y, 1.0, 0.05);
    EXPECT_GT(highest(run, 0, 2000, [](const Sample& s) { return s.separation; }), 1.0);
    EXPECT_LT(run.samples.back().separation, 0.02);
}

// One part in ten million of the surface stiffness: no separation at all
// until the springs' change tells, billionths of a metre in the fall, a
// tenth of a metre after rolling.
TEST(Experiments, TheButterflyGrowsAHundredMillionFold) {
    const Played run = playExperiment("the-butterfly", 3000);
    const double early = run.samples[250].separation;
    EXPECT_GT(early, 0.0);
    EXPECT_LT(early, 1e-8);
    EXPECT_GT(run.samples.back().separation, 0.01);
    EXPECT_GT(run.samples.back().separation, 1e6 * early);
}

// The reason the butterfly says 10.000001 and not one part in a billion:
// the springs keep their stiffness in single precision.
TEST(Experiments, APartInABillionOfStiffnessDoesNotReachTheSprings) {
    const Played same = play("0 restart\n0 compare on\n0 set-b surfaceStiffness 10.00000001\n", 800);
    EXPECT_EQ(same.samples.back().separation, 0.0);
}
