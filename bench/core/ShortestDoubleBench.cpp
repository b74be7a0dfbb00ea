// Shortest number text: formatShortest against GCC's std::to_chars, which it
// reproduces, on random bit patterns and on numbers like the replay's.
// Time per iteration is the time per number.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "tools/common/ShortestDouble.h"

namespace {
constexpr std::size_t kValueCount = 1 << 16;

std::vector<double> randomBitPatterns() {
    std::mt19937_64 random(1);
    std::vector<double> values;
    while (values.size() < kValueCount) {
        const std::uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value)) values.push_back(value);
    }
    return values;
}

// Positions and velocities of a ball on a board: magnitudes up to tens,
// full precision.
std::vector<double> replayLikeValues() {
    std::mt19937_64 random(2);
    std::uniform_real_distribution<double> coordinate(-20.0, 20.0);
    std::vector<double> values(kValueCount);
    for (double& value : values) value = coordinate(random);
    return values;
}

template <typename Format>
void run(benchmark::State& state, const std::vector<double>& values, Format format) {
    char text[64];
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(format(values[i], text));
        benchmark::ClobberMemory();
        i = (i + 1) % values.size();
    }
    state.SetItemsProcessed(state.iterations());
}

std::size_t withFormatShortest(double value, char* text) { return formatShortest(value, text); }

std::size_t withToChars(double value, char* text) {
    return static_cast<std::size_t>(std::to_chars(text, text + 64, value).ptr - text);
}

void BM_FormatShortest_RandomBits(benchmark::State& state) { run(state, randomBitPatterns(), withFormatShortest); }
void BM_StdToChars_RandomBits(benchmark::State& state) { run(state, randomBitPatterns(), withToChars); }
void BM_FormatShortest_ReplayLike(benchmark::State& state) { run(state, replayLikeValues(), withFormatShortest); }
void BM_StdToChars_ReplayLike(benchmark::State& state) { run(state, replayLikeValues(), withToChars); }
}  // namespace

BENCHMARK(BM_FormatShortest_RandomBits);
BENCHMARK(BM_StdToChars_RandomBits);
BENCHMARK(BM_FormatShortest_ReplayLike);
BENCHMARK(BM_StdToChars_ReplayLike);
