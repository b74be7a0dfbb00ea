// Time per call of the portable sin, cos and atan against the C library's,
// over 4096 random arguments taken in turn. The accurate stage is timed on
// its own: it runs for about one sin or cos call in 7000.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "math/PortableMath.h"

namespace {
constexpr size_t kCount = 4096;  // a power of two
constexpr double kPi = 3.14159265358979323846;

enum Spread {
    kCircle,  // uniform in [-4 pi, 4 pi]
    kWide,    // |x| log-uniform from 2^-30 to 2^60
    kHuge,    // |x| log-uniform from 2^20 to 2^1000
};

std::vector<double> arguments(int spread) {
    std::mt19937_64 random(99);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> xs;
    for (size_t n = 0; n < kCount; ++n) {
        const double sign = random() & 1 ? 1.0 : -1.0;
        if (spread == kCircle) xs.push_back((2 * unit(random) - 1) * 4 * kPi);
        if (spread == kWide) xs.push_back(sign * std::exp2(-30 + 90 * unit(random)));
        if (spread == kHuge) xs.push_back(sign * std::exp2(20 + 980 * unit(random)));
    }
    return xs;
}

template <double (*F)(double)>
void BM_Call(benchmark::State& state) {
    const std::vector<double> xs = arguments(int(state.range(0)));
    size_t n = 0;
    for (auto _ : state) benchmark::DoNotOptimize(F(xs[n++ & (kCount - 1)]));
    state.SetItemsProcessed(state.iterations());
}

double librarySin(double x) { return std::sin(x); }
double libraryCos(double x) { return std::cos(x); }
double libraryAtan(double x) { return std::atan(x); }
double accurateSin(double x) {
    bool decided;
    return portable_math_detail::sinAccurate(x, &decided);
}
double accurateAtan(double x) {
    bool decided;
    return portable_math_detail::atanAccurate(x, &decided);
}

BENCHMARK_TEMPLATE(BM_Call, portableSin)->Arg(kCircle)->Arg(kHuge);
BENCHMARK_TEMPLATE(BM_Call, librarySin)->Arg(kCircle)->Arg(kHuge);
BENCHMARK_TEMPLATE(BM_Call, portableCos)->Arg(kCircle);
BENCHMARK_TEMPLATE(BM_Call, libraryCos)->Arg(kCircle);
BENCHMARK_TEMPLATE(BM_Call, portableAtan)->Arg(kCircle)->Arg(kWide);
BENCHMARK_TEMPLATE(BM_Call, libraryAtan)->Arg(kCircle)->Arg(kWide);
BENCHMARK_TEMPLATE(BM_Call, accurateSin)->Arg(kCircle)->Arg(kHuge);
BENCHMARK_TEMPLATE(BM_Call, accurateAtan)->Arg(kWide);

}  // namespace
