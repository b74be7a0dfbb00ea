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
}  // namespace

BENCHMARK(BM_SoftBallStep)->Arg(12)->Arg(24)->Arg(48)->Arg(96)->Unit(benchmark::kMicrosecond);
