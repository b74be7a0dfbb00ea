// MPFR as the reference for the portable sine, cosine and arctangent: the
// correctly rounded values, the exact error of a double-double estimate, and
// the constant tables the functions are built on (printed by a disabled test
// when they have to be made again).
#pragma once

#include <mpfr.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace portable_math_reference {

enum class Function { Sin, Cos, Atan };

// One high-precision number, freed with its owner.
class BigFloat {
public:
    explicit BigFloat(mpfr_prec_t precision) { mpfr_init2(value_, precision); }
    ~BigFloat() { mpfr_clear(value_); }
    BigFloat(const BigFloat&) = delete;
    BigFloat& operator=(const BigFloat&) = delete;
    mpfr_ptr get() { return value_; }

private:
    mpfr_t value_;
};

inline void apply(Function f, mpfr_ptr result, mpfr_srcptr x) {
    switch (f) {
    case Function::Sin: mpfr_sin(result, x, MPFR_RNDN); break;
    case Function::Cos: mpfr_cos(result, x, MPFR_RNDN); break;
    case Function::Atan: mpfr_atan(result, x, MPFR_RNDN); break;
    }
}

// f(x) rounded to the nearest double. Results are never subnormal except
// sin and atan of subnormals, where the 53-bit value is x itself.
inline double correctlyRounded(Function f, double x) {
    thread_local BigFloat in(53), out(53);
    mpfr_set_d(in.get(), x, MPFR_RNDN);
    apply(f, out.get(), in.get());
    return mpfr_get_d(out.get(), MPFR_RNDN);
}

// |hi + lo - f(x)| / bound, computed to 300 bits (0 when bound is 0 and the
// estimate is exact enough to tell).
inline double errorInBounds(Function f, double x, double hi, double lo, double bound) {
    thread_local BigFloat in(53), exact(300), estimate(300);
    mpfr_set_d(in.get(), x, MPFR_RNDN);
    apply(f, exact.get(), in.get());
    mpfr_set_d(estimate.get(), hi, MPFR_RNDN);
    mpfr_add_d(estimate.get(), estimate.get(), lo, MPFR_RNDN);
    mpfr_sub(estimate.get(), estimate.get(), exact.get(), MPFR_RNDN);
    mpfr_abs(estimate.get(), estimate.get(), MPFR_RNDN);
    return mpfr_get_d(estimate.get(), MPFR_RNDU) / bound;
}

// ------------------------------------------------------------------ arguments

enum class Range {
    Tiny,      // |x| below 2^-20, subnormals included
    Circle,    // uniform in [-2 pi, 2 pi]
    Moderate,  // |x| log-uniform from 2^-30 to 2^20
    Huge,      // |x| log-uniform from 2^20 to 2^997 (1e300)
    AnyBits,   // random bit patterns, infinities and NaNs included
};

inline double withExponent(uint64_t random, int biasedExponent) {
    const uint64_t bits = (random & ((uint64_t(1) << 52) - 1)) | (uint64_t(biasedExponent) << 52) |
                          (random & (uint64_t(1) << 63));
    double x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

// Uniform in [lo, hi] of the given random 64 bits.
inline double uniform(uint64_t random, double lo, double hi) {
    return lo + (hi - lo) * (double(random >> 11) * 0x1p-53);
}

template <class Generator>
double randomArgument(Range range, Generator& random) {
    const uint64_t bits = random();
    switch (range) {
    case Range::Tiny: return withExponent(bits, int(random() % (1023 - 20)));
    case Range::Circle: return uniform(bits, -2 * 3.14159265358979323846, 2 * 3.14159265358979323846);
    case Range::Moderate: return withExponent(bits, 1023 - 30 + int(random() % 50));
    case Range::Huge: return withExponent(bits, 1023 + 20 + int(random() % (997 - 20)));
    case Range::AnyBits: break;
    }
    double x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

// The arguments that reach the two stages; outside them the functions
// answer directly (tiny arguments, atan beyond 2^53, NaN and infinities).
inline bool reachesTheStages(Function f, double x) {
    const double a = x < 0 ? -x : x;
    if (f == Function::Sin) return a >= 0x1p-26 && a <= 0x1.fffffffffffffp1023;
    if (f == Function::Cos) return a >= 0x1p-27 && a <= 0x1.fffffffffffffp1023;
    return a >= 0x1p-27 && a < 0x1p53;
}

// ------------------------------------------------------------------ tables
// The tables below are what math/PortableMathTables.h holds; the test compares
// them entry by entry and the disabled test prints the header anew.

constexpr mpfr_prec_t kTablePrecision = 2048;
constexpr int kTwoOverPiWords = 48;
constexpr int kWideLimbs = 8;
constexpr int kWideFractionBits = 224;
constexpr int kSteps = 128;  // sine table: j * pi/256; arctangent table: i/128

inline void loadPi(mpfr_ptr v) { mpfr_const_pi(v, MPFR_RNDN); }

// Word n of 2/pi: the bits 32n+1 .. 32n+32 after the binary point.
inline std::vector<uint32_t> twoOverPiWords() {
    BigFloat v(kTablePrecision);
    loadPi(v.get());
    mpfr_ui_div(v.get(), 2, v.get(), MPFR_RNDN);
    std::vector<uint32_t> words;
    for (int n = 0; n < kTwoOverPiWords; ++n) {
        mpfr_mul_2ui(v.get(), v.get(), 32, MPFR_RNDN);
        const unsigned long word = mpfr_get_ui(v.get(), MPFR_RNDZ);
        words.push_back(static_cast<uint32_t>(word));
        mpfr_sub_ui(v.get(), v.get(), word, MPFR_RNDN);
    }
    return words;
}

// v rounded to a multiple of 2^-224, least significant 32-bit limb first.
inline std::vector<uint32_t> wideLimbs(mpfr_srcptr v) {
    BigFloat scaled(kTablePrecision);
    mpfr_mul_2ui(scaled.get(), v, kWideFractionBits, MPFR_RNDN);
    mpfr_rint(scaled.get(), scaled.get(), MPFR_RNDN);
    std::vector<uint32_t> limbs;
    for (int j = 0; j < kWideLimbs; ++j) {
        BigFloat rest(kTablePrecision);
        mpfr_div_2ui(rest.get(), scaled.get(), 32, MPFR_RNDN);
        mpfr_floor(rest.get(), rest.get());
        BigFloat low(kTablePrecision);
        mpfr_mul_2ui(low.get(), rest.get(), 32, MPFR_RNDN);
        mpfr_sub(low.get(), scaled.get(), low.get(), MPFR_RNDN);
        limbs.push_back(static_cast<uint32_t>(mpfr_get_ui(low.get(), MPFR_RNDN)));
        mpfr_set(scaled.get(), rest.get(), MPFR_RNDN);
    }
    return limbs;
}

struct DoubleDouble {
    double hi;
    double lo;
};

inline DoubleDouble doubleDouble(mpfr_srcptr v) {
    BigFloat rest(kTablePrecision);
    const double hi = mpfr_get_d(v, MPFR_RNDN);
    mpfr_sub_d(rest.get(), v, hi, MPFR_RNDN);
    return {hi, mpfr_get_d(rest.get(), MPFR_RNDN)};
}

inline void sinOfStep(mpfr_ptr v, int j) {
    loadPi(v);
    mpfr_mul_si(v, v, j, MPFR_RNDN);
    mpfr_div_2ui(v, v, 8, MPFR_RNDN);
    mpfr_sin(v, v, MPFR_RNDN);
}

inline void atanOfStep(mpfr_ptr v, int i) {
    mpfr_set_si(v, i, MPFR_RNDN);
    mpfr_div_2ui(v, v, 7, MPFR_RNDN);
    mpfr_atan(v, v, MPFR_RNDN);
}

// pi/256 as C1 + C2 + C3 + C4: C1 and C2 of 26 bits, so that k * C1 and
// k * C2 are exact for k < 2^27.
inline std::vector<double> stepParts() {
    BigFloat rest(kTablePrecision);
    loadPi(rest.get());
    mpfr_div_2ui(rest.get(), rest.get(), 8, MPFR_RNDN);
    std::vector<double> parts;
    for (mpfr_prec_t bits : {26, 26, 53, 53}) {
        BigFloat part(bits);
        mpfr_set(part.get(), rest.get(), MPFR_RNDN);
        parts.push_back(mpfr_get_d(part.get(), MPFR_RNDN));
        mpfr_sub(rest.get(), rest.get(), part.get(), MPFR_RNDN);
    }
    return parts;
}

inline double stepInverse() {
    BigFloat v(kTablePrecision);
    loadPi(v.get());
    mpfr_ui_div(v.get(), 256, v.get(), MPFR_RNDN);
    return mpfr_get_d(v.get(), MPFR_RNDN);
}

inline void halfPi(mpfr_ptr v) {
    loadPi(v);
    mpfr_div_2ui(v, v, 1, MPFR_RNDN);
}

inline std::string hexDouble(double d) {
    char text[64];
    std::snprintf(text, sizeof text, "%a", d);
    return text;
}

inline std::string limbList(const std::vector<uint32_t>& limbs) {
    std::string out = "{";
    for (size_t j = 0; j < limbs.size(); ++j) {
        char text[16];
        std::snprintf(text, sizeof text, "%s0x%08xu", j ? ", " : "", limbs[j]);
        out += text;
    }
    return out + "}";
}

inline void printStepTable(FILE* out, const char* name, const char* comment,
                           void (*entry)(mpfr_ptr, int)) {
    BigFloat v(kTablePrecision);
    std::fprintf(out, "// %s, as hi + lo.\ninline constexpr double k%sDD[%d][2] = {\n", comment, name,
                 kSteps + 1);
    for (int j = 0; j <= kSteps; ++j) {
        entry(v.get(), j);
        const DoubleDouble d = doubleDouble(v.get());
        std::fprintf(out, "    {%s, %s},\n", hexDouble(d.hi).c_str(), hexDouble(d.lo).c_str());
    }
    std::fprintf(out, "};\n// %s, in fixed point.\ninline constexpr uint32_t k%sWide[%d][%d] = {\n",
                 comment, name, kSteps + 1, kWideLimbs);
    for (int j = 0; j <= kSteps; ++j) {
        entry(v.get(), j);
        std::fprintf(out, "    %s,\n", limbList(wideLimbs(v.get())).c_str());
    }
    std::fprintf(out, "};\n\n");
}

inline void printTables(FILE* out) {
    std::fprintf(out,
                 "// Constants of math/PortableMath.cpp, made with MPFR by the disabled test\n"
                 "// PortableMathTables.DISABLED_PrintHeader; PortableMathTables.MatchMpfr checks\n"
                 "// every entry. Fixed-point numbers (\"Wide\") are multiples of 2^-224, written\n"
                 "// as eight 32-bit limbs, least significant first.\n"
                 "#pragma once\n\n#include <cstdint>\n\nnamespace portable_math_tables {\n\n");
    std::fprintf(out, "// 2/pi = sum over n of kTwoOverPi[n] * 2^(-32 (n + 1)).\n"
                      "inline constexpr uint32_t kTwoOverPi[%d] = {\n",
                 kTwoOverPiWords);
    const std::vector<uint32_t> words = twoOverPiWords();
    for (int n = 0; n < kTwoOverPiWords; ++n)
        std::fprintf(out, "%s0x%08xu,%s", n % 6 ? " " : "    ", words[n], n % 6 == 5 ? "\n" : "");
    std::fprintf(out, "};\n\n");

    BigFloat v(kTablePrecision);
    halfPi(v.get());
    const DoubleDouble hp = doubleDouble(v.get());
    std::fprintf(out, "inline constexpr double kHalfPiHi = %s;\ninline constexpr double kHalfPiLo = %s;\n",
                 hexDouble(hp.hi).c_str(), hexDouble(hp.lo).c_str());
    std::fprintf(out, "inline constexpr uint32_t kHalfPiWide[%d] = %s;\n\n", kWideLimbs,
                 limbList(wideLimbs(v.get())).c_str());

    const std::vector<double> parts = stepParts();
    std::fprintf(out, "// 256/pi, and pi/256 split so that k * kStep1 and k * kStep2 are exact for k < 2^27.\n");
    std::fprintf(out, "inline constexpr double kStepInverse = %s;\n", hexDouble(stepInverse()).c_str());
    for (int p = 0; p < 4; ++p)
        std::fprintf(out, "inline constexpr double kStep%d = %s;\n", p + 1, hexDouble(parts[p]).c_str());
    std::fprintf(out, "\n");

    printStepTable(out, "SinStep", "sin(j pi/256) for j = 0 .. 128", sinOfStep);
    printStepTable(out, "AtanStep", "atan(i/128) for i = 0 .. 128", atanOfStep);
    std::fprintf(out, "}  // namespace portable_math_tables\n");
}

}  // namespace portable_math_reference
