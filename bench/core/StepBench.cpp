// One dynamics step of the soft ball, at the program's 12 x 12 and at finer
// balls, resting on the ground plate so that every step does the same work.
// "per_spring" is the time per spring (shown in seconds, e.g. 5.1n).
#include <benchmark/benchmark.h>

#include <cstddef>

#include "ball/SoftBall.h"

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
}  // namespace

BENCHMARK(BM_SoftBallStep)->Arg(12)->Arg(24)->Arg(48)->Arg(96)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IntegratorStep)
    ->ArgsProduct({{12, 96}, {0, 1, 2, 3, 4}})
    ->Unit(benchmark::kMicrosecond);
