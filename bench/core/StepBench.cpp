// One dynamics step of the soft ball, at the program's 12 x 12 and at finer
// balls, resting on the ground plate so that every step does the same work.
// "per_spring" is the time per spring (shown in seconds, e.g. 5.1n).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstddef>
#include <vector>

#include "ball/SoftBall.h"
#include "ball/SpringForces.h"

namespace {
constexpr int kSettleSteps = 1500;

// A ball of `size` rings and segments, dropped beside the platform and left
// to come to rest, so the timed steps neither fall nor roll away.
void buildRestingBall(SoftBall& ball, int size) {
    ball.setUpModel();
    ball.rings = size;
    ball.segments = size;
    ball.centre = Vec3(10.0, 1.2, 10.0);
    ball.particles.clear();
    ball.buildParticles();
    ball.buildSprings(ball.surfaceStiffness);
    for (int i = 0; i < kSettleSteps; ++i) ball.step();
}

void BM_SoftBallStep(benchmark::State& state) {
    SoftBall ball;
    buildRestingBall(ball, static_cast<int>(state.range(0)));
    const std::size_t springs = ball.particles.springCount();
    for (auto _ : state) {
        ball.step();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(springs));
    state.counters["springs"] = static_cast<double>(springs);
    state.counters["particles"] = static_cast<double>(ball.particles.size());
    state.counters["per_spring"] = benchmark::Counter(static_cast<double>(springs),
                                                      benchmark::Counter::kIsIterationInvariantRate |
                                                          benchmark::Counter::kInvert);
    if (ball.centre.y < 0.0 || ball.centre.y > 0.5) state.SkipWithError("the ball did not stay at rest on the plate");
}

// Each integrator's step at 12 x 12 and 96 x 96 (the second argument is the
// integrator's number: in-place, symplectic-euler, explicit-euler,
// velocity-verlet, rk4), to be set against its force evaluations (1, 1, 1, 2,
// 4) times the in-place step's. All at a time step of 0.01 s, at which
// explicit Euler too keeps the resting ball together.
void BM_IntegratorStep(benchmark::State& state) {
    SoftBall ball;
    buildRestingBall(ball, static_cast<int>(state.range(0)));
    ball.integrator = static_cast<Integrator>(state.range(1));
    ball.timeStep = 0.01;
    const std::size_t springs = ball.particles.springCount();
    for (auto _ : state) {
        ball.step();
        benchmark::ClobberMemory();
    }
    state.counters["per_spring"] = benchmark::Counter(static_cast<double>(springs),
                                                      benchmark::Counter::kIsIterationInvariantRate |
                                                          benchmark::Counter::kInvert);
    if (ball.ranAway()) state.SkipWithError("the ball ran away");
}

// The spring forces alone, every particle from the same state, as each
// evaluation of the integrators other than the in-place step computes them.
void BM_SpringForcesAlone(benchmark::State& state) {
    SoftBall ball;
    buildRestingBall(ball, static_cast<int>(state.range(0)));
    std::vector<Vec3> sums(ball.particles.size());
    for (auto _ : state) {
        sumOfEverySpringForce(ball.particles, ball.particles.data(), sums.data(), fastestSpringSumPath());
        benchmark::ClobberMemory();
    }
    state.counters["per_spring"] = benchmark::Counter(static_cast<double>(ball.particles.springCount()),
                                                      benchmark::Counter::kIsIterationInvariantRate |
                                                          benchmark::Counter::kInvert);
}

// In the in-place step every particle has a spring to the one moved just
// before it, so its move cannot end before that one's has. This runs only
// what each particle must wait for, in the step's order: that spring's
// force (a square root, then a division), the sums after it, the velocity
// and the place; everything else is taken as already known. Its time per
// spring of the whole ball is the least any layout of the in-place step can
// take on this processor with the same bits.
void BM_InPlaceWaitingChain(benchmark::State& state) {
    SoftBall ball;
    buildRestingBall(ball, static_cast<int>(state.range(0)));
    const ParticleList& points = ball.particles;
    std::vector<Vec3> placed(points.size());
    const Spring& spring = points.springsOf(1)[1];  // between two surface points
    const double rest = spring.restLength, stiffness = spring.stiffness;
    const double h = ball.timeStep / ball.particleMass;
    const Vec3 earlier(1e-3, 2e-3, 3e-3);  // the sums of the springs listed before and after it
    for (auto _ : state) {
        Vec3 moved = points[points.size() - 1].position;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const Particle& p = points[i];
            const Vec3 d = p.position - moved;
            const double f = (-(length(d) - rest) * stiffness) * (1.0 / length(d));
            Vec3 sum = earlier + Vec3(f * d.x, f * d.y, f * d.z);
            sum = ((sum + earlier) + earlier) + earlier;
            const Vec3 force = ((sum + ball.pushForce) + ball.gravity) + ball.gravity;
            const Vec3 velocity = p.velocity + (force - ball.damping * p.velocity) * h;
            moved = p.position + ball.timeStep * velocity;
            placed[i] = moved;
        }
        benchmark::ClobberMemory();
    }
    state.counters["per_spring"] = benchmark::Counter(static_cast<double>(ball.particles.springCount()),
                                                      benchmark::Counter::kIsIterationInvariantRate |
                                                          benchmark::Counter::kInvert);
}
}  // namespace

BENCHMARK(BM_SoftBallStep)->Arg(12)->Arg(24)->Arg(48)->Arg(96)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IntegratorStep)
    ->ArgsProduct({{12, 96}, {0, 1, 2, 3, 4}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SpringForcesAlone)->Arg(12)->Arg(96)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InPlaceWaitingChain)->Arg(12)->Arg(96)->Unit(benchmark::kMicrosecond);
