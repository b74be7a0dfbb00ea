// The long sweep, run by hand (a few minutes on one core for 10^8 arguments):
//   ORVANE_SWEEP_COUNT=100000000 build/tests/orvane_core_tests
//       --gtest_also_run_disabled_tests --gtest_filter='PortableMathSweep.*'
// (one command line).
// It checks the portable functions against MPFR and prints how often the C
// library's sin, cos and atan differ from the correctly rounded value, and
// how often the portable functions needed their accurate stage.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "math/PortableMath.h"
#include "tests/core/PortableMathReference.h"

namespace {
namespace reference = portable_math_reference;
using reference::Function;
using reference::Range;

long long sweepCount() {
    const char* text = std::getenv("ORVANE_SWEEP_COUNT");
    return text ? std::atoll(text) : 100000000LL;
}

struct Tally {
    long long arguments = 0;
    long long portableWrong = 0;
    long long libraryWrong = 0;
    long long accurateStage = 0;
};

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0 || (a != a && b != b); }

void check(Function f, double x, Tally& tally) {
    const double want = reference::correctlyRounded(f, x);
    double mine = 0, library = 0;
    portable_math_detail::Estimate e{};
    switch (f) {
    case Function::Sin:
        mine = portableSin(x), library = std::sin(x), e = portable_math_detail::sinEstimate(x);
        break;
    case Function::Cos:
        mine = portableCos(x), library = std::cos(x), e = portable_math_detail::cosEstimate(x);
        break;
    case Function::Atan:
        mine = portableAtan(x), library = std::atan(x), e = portable_math_detail::atanEstimate(x);
        break;
    }
    ++tally.arguments;
    if (!sameBits(mine, want) && ++tally.portableWrong <= 5)
        std::printf("  WRONG %s(%a) = %a, want %a\n", f == Function::Sin ? "sin" : f == Function::Cos ? "cos" : "atan",
                    x, mine, want);
    tally.libraryWrong += !sameBits(library, want);
    double ignored;
    tally.accurateStage += reference::reachesTheStages(f, x) && !portable_math_detail::roundEstimate(e, &ignored);
}

// "1 in N" for a count among the arguments.
std::string oneIn(long long count, long long arguments) {
    char text[32];
    if (count == 0) return "never";
    std::snprintf(text, sizeof text, "1 in %.0f", double(arguments) / count);
    return text;
}

void print(const char* what, const Tally& t) {
    std::printf("%-30s %10lld args  portable wrong %lld  libm wrong %lld (%.3g%%, %s)  accurate stage %lld (%s)\n",
                what, t.arguments, t.portableWrong, t.libraryWrong, 100.0 * t.libraryWrong / t.arguments,
                oneIn(t.libraryWrong, t.arguments).c_str(), t.accurateStage, oneIn(t.accurateStage, t.arguments).c_str());
    std::fflush(stdout);
}

TEST(PortableMathSweep, DISABLED_CircleAndWideArctangent) {
    const long long count = sweepCount();
    std::mt19937_64 random(2024);
    Tally sin, cos, atan;
    for (long long n = 0; n < count; ++n) {
        const double x = reference::uniform(random(), -4 * M_PI, 4 * M_PI);
        check(Function::Sin, x, sin);
        check(Function::Cos, x, cos);
    }
    print("sin on [-4 pi, 4 pi]", sin);
    print("cos on [-4 pi, 4 pi]", cos);
    for (long long n = 0; n < count; ++n) {  // |x| log-uniform from 2^-30 to 2^60
        const double x = reference::withExponent(random(), 1023 - 30 + int(random() % 90));
        check(Function::Atan, x, atan);
    }
    print("atan, |x| in [2^-30, 2^60]", atan);
    EXPECT_EQ(sin.portableWrong + cos.portableWrong + atan.portableWrong, 0);
}

TEST(PortableMathSweep, DISABLED_OtherRanges) {
    const long long count = sweepCount() / 10;
    std::mt19937_64 random(2025);
    const struct {
        Range range;
        const char* name;
    } ranges[] = {{Range::Moderate, "|x| in [2^-30, 2^20]"},
                  {Range::Huge, "|x| in [2^20, 2^997]"},
                  {Range::AnyBits, "random bit patterns"}};
    long long wrong = 0;
    for (const auto& r : ranges) {
        Tally tallies[3];
        for (long long n = 0; n < count; ++n) {
            const double x = reference::randomArgument(r.range, random);
            if (!std::isfinite(x)) continue;
            check(Function::Sin, x, tallies[0]);
            check(Function::Cos, x, tallies[1]);
            check(Function::Atan, x, tallies[2]);
        }
        const char* names[3] = {"sin", "cos", "atan"};
        for (int f = 0; f < 3; ++f) {
            char what[80];
            std::snprintf(what, sizeof what, "%s, %s", names[f], r.name);
            print(what, tallies[f]);
            wrong += tallies[f].portableWrong;
        }
    }
    EXPECT_EQ(wrong, 0);
}

}  // namespace
