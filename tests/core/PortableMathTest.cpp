// The portable sine, cosine and arctangent against MPFR's correctly rounded
// values: random arguments over every range, the arguments where reduction
// or the switch between formulas is delicate, special values, and each of
// the two stages on its own.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "math/PortableMath.h"
#include "tests/core/PortableMathReference.h"

namespace {
using portable_math_reference::correctlyRounded;
using portable_math_reference::Function;
using portable_math_reference::Range;
namespace detail = portable_math_detail;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPi = 3.14159265358979323846;

const char* nameOf(Function f) {
    switch (f) {
    case Function::Sin: return "sin";
    case Function::Cos: return "cos";
    case Function::Atan: return "atan";
    }
    return "?";
}

double portable(Function f, double x) {
    switch (f) {
    case Function::Sin: return portableSin(x);
    case Function::Cos: return portableCos(x);
    case Function::Atan: return portableAtan(x);
    }
    return 0.0;
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0 || (a != a && b != b); }

// Counts the arguments where `got(x)` is not MPFR's value, reporting the first few.
template <class Compute>
int countMismatches(Function f, const std::vector<double>& xs, Compute got) {
    int mismatches = 0;
    for (double x : xs) {
        const double want = correctlyRounded(f, x);
        const double value = got(x);
        if (sameBits(value, want)) continue;
        if (++mismatches <= 5)
            ADD_FAILURE() << nameOf(f) << "(" << std::hexfloat << x << ") = " << value << ", want " << want;
    }
    return mismatches;
}

std::vector<double> randomArguments(Range range, int count, uint64_t seed) {
    std::mt19937_64 random(seed);
    std::vector<double> xs;
    for (int n = 0; n < count; ++n) xs.push_back(portable_math_reference::randomArgument(range, random));
    return xs;
}

detail::Estimate estimate(Function f, double x) {
    switch (f) {
    case Function::Sin: return detail::sinEstimate(x);
    case Function::Cos: return detail::cosEstimate(x);
    case Function::Atan: return detail::atanEstimate(x);
    }
    return {};
}

double accurate(Function f, double x, bool* decided) {
    switch (f) {
    case Function::Sin: return detail::sinAccurate(x, decided);
    case Function::Cos: return detail::cosAccurate(x, decided);
    case Function::Atan: return detail::atanAccurate(x, decided);
    }
    return 0.0;
}

double nextUp(double x) { return std::nextafter(x, kInf); }
double nextDown(double x) { return std::nextafter(x, -kInf); }

// Arguments next to where something changes: thresholds of the code, the
// steps of the tables, multiples of pi/2 (where sin or cos is tiny), and the
// double nearest to a multiple of pi/2 of all.
std::vector<double> delicateArguments() {
    std::vector<double> xs = {0x1p-27, 0x1p-26, 0x1p-20, 0x1p20, 0x1p53, 1.0, 0x1p1023, DBL_MAX,
                              6381956970095103.0 * 0x1p797, 0.5, 2.0, 1e22, 1e300, 1e6,
                              // float yaws in degrees turned into radians: 6e36 and the largest float
                              6e36 * (kPi / 180.0), double(FLT_MAX) * (kPi / 180.0)};
    for (int k = 1; k <= 1024; ++k) {  // steps of pi/256, and of pi/2 far out
        xs.push_back(k * (kPi / 256));
        xs.push_back(k * 1021.0 * (kPi / 2));
    }
    for (int i = 0; i <= 128; ++i) {  // arctangent steps and the halfway points between them
        xs.push_back(i / 128.0);
        xs.push_back((i + 0.5) / 128.0);
        if (i > 0) xs.push_back(128.0 / i);
        xs.push_back(128.0 / (i + 0.5));
    }
    for (int e = -30; e <= 60; ++e) xs.push_back(std::ldexp(1.0, e));
    const size_t count = xs.size();
    for (size_t j = 0; j < count; ++j) {
        xs.push_back(nextUp(xs[j]));
        xs.push_back(nextDown(xs[j]));
    }
    const size_t withNeighbours = xs.size();
    for (size_t j = 0; j < withNeighbours; ++j) xs.push_back(-xs[j]);
    return xs;
}

struct RangeCase {
    Range range;
    const char* name;
};

void PrintTo(const RangeCase& c, std::ostream* out) { *out << c.name; }

const RangeCase kRanges[] = {{Range::Tiny, "Tiny"},
                             {Range::Circle, "Circle"},
                             {Range::Moderate, "Moderate"},
                             {Range::Huge, "Huge"},
                             {Range::AnyBits, "AnyBits"}};

class PortableMathRandom : public ::testing::TestWithParam<RangeCase> {};

TEST_P(PortableMathRandom, MatchesMpfr) {
    const std::vector<double> xs = randomArguments(GetParam().range, 200000, 7 + int(GetParam().range));
    for (Function f : {Function::Sin, Function::Cos, Function::Atan})
        EXPECT_EQ(countMismatches(f, xs, [f](double x) { return portable(f, x); }), 0) << nameOf(f);
}

INSTANTIATE_TEST_SUITE_P(PortableMath, PortableMathRandom, ::testing::ValuesIn(kRanges),
                         [](const ::testing::TestParamInfo<RangeCase>& info) { return info.param.name; });

TEST(PortableMath, MatchesMpfrNextToThresholdsStepsAndMultiplesOfPi) {
    const std::vector<double> xs = delicateArguments();
    for (Function f : {Function::Sin, Function::Cos, Function::Atan})
        EXPECT_EQ(countMismatches(f, xs, [f](double x) { return portable(f, x); }), 0) << nameOf(f);
}

TEST(PortableMath, SpecialValuesAsTheCFunctionsGiveThem) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double subnormal = 0x1.8p-1070;
    const double halfPi = 0x1.921fb54442d18p+0;
    EXPECT_TRUE(sameBits(portableSin(0.0), 0.0));
    EXPECT_TRUE(sameBits(portableSin(-0.0), -0.0));
    EXPECT_TRUE(sameBits(portableAtan(-0.0), -0.0));
    EXPECT_EQ(portableCos(-0.0), 1.0);
    EXPECT_EQ(portableSin(-subnormal), -subnormal);
    EXPECT_EQ(portableAtan(subnormal), subnormal);
    EXPECT_EQ(portableCos(subnormal), 1.0);
    EXPECT_EQ(portableAtan(kInf), halfPi);
    EXPECT_EQ(portableAtan(-kInf), -halfPi);
    EXPECT_EQ(portableAtan(-DBL_MAX), -halfPi);
    for (double x : {kInf, -kInf, nan, -nan}) {
        EXPECT_TRUE(std::isnan(portableSin(x))) << x;
        EXPECT_TRUE(std::isnan(portableCos(x))) << x;
    }
    EXPECT_TRUE(std::isnan(portableAtan(nan)));
}

// The fast stage's bound must hold, or its rounding could be wrong.
TEST(PortableMath, EstimateErrorStaysWithinItsBound) {
    std::vector<double> xs = delicateArguments();
    std::mt19937_64 random(11);
    for (const RangeCase& r : kRanges)
        for (int n = 0; n < 12000; ++n) xs.push_back(portable_math_reference::randomArgument(r.range, random));
    for (Function f : {Function::Sin, Function::Cos, Function::Atan}) {
        double worst = 0;
        double worstX = 0;
        int checked = 0;
        for (double x : xs) {
            if (!portable_math_reference::reachesTheStages(f, x)) continue;
            const detail::Estimate e = estimate(f, x);
            const double ratio = portable_math_reference::errorInBounds(f, x, e.hi, e.lo, e.bound);
            if (ratio > worst) worst = ratio, worstX = x;
            ++checked;
        }
        EXPECT_GT(checked, 30000) << nameOf(f);
        EXPECT_LE(worst, 1.0) << nameOf(f) << "(" << std::hexfloat << worstX << ")";
    }
}

TEST(PortableMath, AccurateStageAloneMatchesMpfr) {
    std::vector<double> xs = delicateArguments();
    std::mt19937_64 random(13);
    for (const RangeCase& r : kRanges)
        for (int n = 0; n < 4000; ++n) xs.push_back(portable_math_reference::randomArgument(r.range, random));
    for (Function f : {Function::Sin, Function::Cos, Function::Atan}) {
        std::vector<double> stagedXs;
        for (double x : xs)
            if (portable_math_reference::reachesTheStages(f, x)) stagedXs.push_back(x);
        int undecided = 0;
        EXPECT_EQ(countMismatches(f, stagedXs,
                                  [&](double x) {
                                      bool decided = false;
                                      const double y = accurate(f, x, &decided);
                                      undecided += !decided;
                                      return y;
                                  }),
                  0)
            << nameOf(f);
        EXPECT_EQ(undecided, 0) << nameOf(f);
    }
}

// Small arguments where the first neglected term of the series, x^3/6 for
// sin, x^2/2 for cos, x^3/3 for atan, is close to an odd multiple of half an
// ulp of the result: the value then lies within about 2^-100 of a halfway
// point between doubles, and rounding it takes far more than double-double.
std::vector<double> nearHalfwayPoints(Function f) {
    std::vector<double> centres;
    if (f == Function::Cos) {  // 1 - x^2/2 at 1 - (k + 1/2) 2^-53
        for (int k = 0; k < 40; ++k) centres.push_back(std::sqrt((2 * k + 1) * 0x1p-53));
    } else {  // x - x^3/divisor at x - (k + 1/2) ulp(x)
        const double divisor = f == Function::Sin ? 6 : 3;
        for (int e = -27; e <= -20; ++e)
            for (int k = 0; k < 40; ++k) {
                const double x = std::cbrt(divisor * (k + 0.5) * std::ldexp(1.0, e - 52));
                if (x >= std::ldexp(1.0, e) && x < std::ldexp(1.0, e + 1)) centres.push_back(x);
            }
    }
    std::vector<double> xs;
    for (double centre : centres) {  // the higher terms move the closest doubles by up to ~800 ulps
        double x = centre;
        for (int step = 0; step < 1500; ++step) x = nextDown(x);
        for (int step = 0; step < 3000; ++step, x = nextUp(x)) xs.push_back(x);
    }
    return xs;
}

// Arguments whose fast estimate cannot decide: the accurate stage must take over.
TEST(PortableMath, ArgumentsTheEstimateLeavesOpenAreRoundedCorrectly) {
    std::mt19937_64 random(17);
    for (Function f : {Function::Sin, Function::Cos, Function::Atan}) {
        std::vector<double> candidates = nearHalfwayPoints(f);
        if (f != Function::Atan)  // where sin and cos leave about one in 7000 open
            for (int n = 0; n < 1000000; ++n) candidates.push_back(portable_math_reference::uniform(random(), -8, 8));
        std::vector<double> open;
        for (double x : candidates) {
            double ignored;
            if (portable_math_reference::reachesTheStages(f, x) && !detail::roundEstimate(estimate(f, x), &ignored)) open.push_back(x);
        }
        EXPECT_GE(open.size(), 200u) << nameOf(f);
        EXPECT_EQ(countMismatches(f, open, [f](double x) { return portable(f, x); }), 0) << nameOf(f);
    }
}

}  // namespace
