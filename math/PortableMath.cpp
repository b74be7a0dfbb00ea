// Correctly rounded sin, cos and atan from plain IEEE double and integer
// arithmetic (see PortableMath.h).
//
// Each function first computes a double-double estimate with an error bound
// (2^-66 relative or better): a table value at a step near the argument plus
// short polynomials in the small remainder. The bound adds up the roundings
// of each operation with a margin of about two (the tests hold it against
// MPFR). If every number within the bound rounds to the same double, that
// double is the answer. Otherwise (one sin or cos call in about 5500, one
// atan call in about 500000) the function is evaluated again with 224-bit
// fixed-point integers, to an error of a few 2^-224, and the rounding is
// decided exactly on those integers; that takes about 2 microseconds.
//
// sin and cos reduce the argument to k * pi/256 + y, |y| <= pi/512, with
// Cody-Waite subtraction of a split pi/256 for |x| < 2^20 and with the bits
// of 2/pi (Payne-Hanek) beyond, and for the slow stage always. atan takes
// 1/|x| above 1 and steps of 1/128: atan(z) = atan(c) + atan((z - c)/(1 + zc)).
#include "math/PortableMath.h"

#include <cstdint>
#include <cstring>

#include "math/PortableMathTables.h"

#ifdef __FAST_MATH__
#error "PortableMath.cpp needs strict IEEE arithmetic: build it without -ffast-math"
#endif
#ifdef __clang__
#pragma STDC FP_CONTRACT OFF
#endif

namespace tables = portable_math_tables;
using portable_math_detail::Estimate;

namespace {

// ------------------------------------------------------------------ bits

uint64_t bitsOf(double x) {
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

double doubleOf(uint64_t bits) {
    double x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

double magnitude(double x) { return doubleOf(bitsOf(x) & ~(uint64_t(1) << 63)); }

bool signBit(double x) { return (bitsOf(x) >> 63) != 0; }

// 2^e for a normal power of two, -1022 <= e <= 1023.
double powerOfTwo(int e) { return doubleOf(uint64_t(e + 1023) << 52); }

// ------------------------------------------------------------------ double-double
// Exact sums and products of doubles (Knuth, Dekker) and the usual
// double-double operations built on them. No fused multiply-add: the product
// splits both factors into 26-bit halves.

struct DD {
    double hi;
    double lo;
};

DD twoSum(double a, double b) {
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// For |a| >= |b| (or a == 0).
DD fastTwoSum(double a, double b) {
    const double s = a + b;
    return {s, b - (s - a)};
}

DD split(double a) {
    const double c = 134217729.0 * a;  // 2^27 + 1
    const double hi = c - (c - a);
    return {hi, a - hi};
}

DD twoProduct(double a, double b) {
    const double p = a * b;
    const DD as = split(a);
    const DD bs = split(b);
    const double err = ((as.hi * bs.hi - p) + as.hi * bs.lo + as.lo * bs.hi) + as.lo * bs.lo;
    return {p, err};
}

DD ddMul(DD a, DD b) {
    const DD p = twoProduct(a.hi, b.hi);
    return fastTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

DD ddNegate(DD a) { return {-a.hi, -a.lo}; }

// a + b + extra, where the sum does not cancel to much less than |a| + |b|.
DD ddSum(DD a, DD b, double extra) {
    const DD s = twoSum(a.hi, b.hi);
    return fastTwoSum(s.hi, s.lo + (a.lo + (b.lo + extra)));
}

// One division: q is within two ulps of n/d, which keeps n.hi - q * d.hi exact.
DD ddDivide(DD n, DD d) {
    const double reciprocal = 1.0 / d.hi;
    const double q = n.hi * reciprocal;
    const DD p = twoProduct(q, d.hi);
    const double remainder = (((n.hi - p.hi) - p.lo) + n.lo) - q * d.lo;
    return fastTwoSum(q, remainder * reciprocal);
}

DD tableDD(const double (&entry)[2]) { return {entry[0], entry[1]}; }

// ------------------------------------------------------------------ fixed point
// Wide: a non-negative multiple of 2^-224 below 2^32, as eight 32-bit limbs,
// least significant first. Every operation truncates, so each adds less
// than one unit (2^-224) of error.

constexpr int kLimbs = 8;
constexpr int kFractionBits = 224;

struct Wide {
    uint32_t limb[kLimbs] = {};
};

Wide wideOf(const uint32_t (&limbs)[kLimbs]) {
    Wide w;
    for (int j = 0; j < kLimbs; ++j) w.limb[j] = limbs[j];
    return w;
}

// Bits [low, low + 32) of the integer held in `limbs`, zeros outside it.
uint32_t wordAt(const uint32_t* limbs, int count, int low) {
    uint64_t word = 0;
    for (int j = 0; j < 2; ++j) {
        const int index = (low >= 0 ? low / 32 : (low - 31) / 32) + j;
        if (index >= 0 && index < count) word |= uint64_t(limbs[index]) << (32 * j);
    }
    const int shift = low - 32 * (low >= 0 ? low / 32 : (low - 31) / 32);
    return uint32_t(word >> shift);
}

// m * 2^shift in units of 2^-224, bits below the unit dropped.
Wide wideFromScaled(uint64_t m, int shift) {
    const uint32_t parts[2] = {uint32_t(m), uint32_t(m >> 32)};
    Wide w;
    for (int j = 0; j < kLimbs; ++j) w.limb[j] = wordAt(parts, 2, 32 * j - shift);
    return w;
}

Wide wideInteger(uint32_t n) { return wideFromScaled(n, kFractionBits); }

// For 0 <= x < 2^32; exact when x is a multiple of 2^-224.
Wide wideFromDouble(double x) {
    const uint64_t bits = bitsOf(x);
    const int biased = int(bits >> 52);
    if (biased == 0) return Wide{};
    const uint64_t mantissa = (bits & ((uint64_t(1) << 52) - 1)) | (uint64_t(1) << 52);
    return wideFromScaled(mantissa, biased - 1075 + kFractionBits);
}

Wide add(const Wide& a, const Wide& b) {
    Wide r;
    uint64_t carry = 0;
    for (int j = 0; j < kLimbs; ++j) {
        const uint64_t t = uint64_t(a.limb[j]) + b.limb[j] + carry;
        r.limb[j] = uint32_t(t);
        carry = t >> 32;
    }
    return r;
}

// For a >= b.
Wide subtract(const Wide& a, const Wide& b) {
    Wide r;
    uint64_t borrow = 0;
    for (int j = 0; j < kLimbs; ++j) {
        const uint64_t t = uint64_t(a.limb[j]) - b.limb[j] - borrow;
        r.limb[j] = uint32_t(t);
        borrow = (t >> 32) & 1;
    }
    return r;
}

bool lessThan(const Wide& a, const Wide& b) {
    for (int j = kLimbs - 1; j >= 0; --j)
        if (a.limb[j] != b.limb[j]) return a.limb[j] < b.limb[j];
    return false;
}

// For a * b < 2^32.
Wide multiply(const Wide& a, const Wide& b) {
    uint32_t product[2 * kLimbs] = {};
    for (int i = 0; i < kLimbs; ++i) {
        uint64_t carry = 0;
        for (int j = 0; j < kLimbs; ++j) {
            const uint64_t t = uint64_t(a.limb[i]) * b.limb[j] + product[i + j] + carry;
            product[i + j] = uint32_t(t);
            carry = t >> 32;
        }
        product[i + kLimbs] = uint32_t(carry);
    }
    Wide r;
    for (int j = 0; j < kLimbs; ++j) r.limb[j] = product[j + kLimbs - 1];
    return r;
}

Wide divideBySmall(const Wide& a, uint32_t d) {
    Wide r;
    uint64_t remainder = 0;
    for (int j = kLimbs - 1; j >= 0; --j) {
        const uint64_t current = (remainder << 32) | a.limb[j];
        r.limb[j] = uint32_t(current / d);
        remainder = current % d;
    }
    return r;
}

Wide shiftRight(const Wide& a, int bits) {
    Wide r;
    for (int j = 0; j < kLimbs; ++j) r.limb[j] = wordAt(a.limb, kLimbs, 32 * j + bits);
    return r;
}

// A double within 2^-50 of a (relative), for a starting guess.
double approximate(const Wide& a) {
    double sum = 0.0;
    for (int j = kLimbs - 3; j < kLimbs; ++j) sum += double(a.limb[j]) * powerOfTwo(32 * j - kFractionBits);
    return sum;
}

int leadingBit(const uint32_t* limbs, int count) {
    for (int j = count - 1; j >= 0; --j)
        if (limbs[j] != 0) return 32 * j + 31 - __builtin_clz(limbs[j]);
    return -1;
}

// a * 2^exponentShift rounded to the nearest double (ties to even); a > 0,
// and the result must be a normal double.
double roundToDouble(const Wide& a, int exponentShift) {
    const int lead = leadingBit(a.limb, kLimbs);
    if (lead < 0) return 0.0;
    const uint64_t top = (uint64_t(wordAt(a.limb, kLimbs, lead - 31)) << 32) | wordAt(a.limb, kLimbs, lead - 63);
    uint64_t mantissa = top >> 11;
    const bool roundBit = (top >> 10) & 1;
    bool sticky = (top & 0x3ff) != 0;
    for (int low = lead - 64; low >= 0 && !sticky; low -= 32) sticky = wordAt(a.limb, kLimbs, low - 31) != 0;
    if (roundBit && (sticky || (mantissa & 1))) ++mantissa;
    return double(mantissa) * powerOfTwo(lead - 52 - kFractionBits + exponentShift);
}

// The nearest double to a * 2^exponentShift, where a is within errorUnits
// of the true value; false when that leaves the rounding open.
bool roundWide(const Wide& a, uint32_t errorUnits, int exponentShift, double* result) {
    const Wide error = wideFromScaled(errorUnits, 0);
    *result = roundToDouble(a, exponentShift);
    return roundToDouble(subtract(a, error), exponentShift) == roundToDouble(add(a, error), exponentShift);
}

// 1/d for 1 <= d <= 2: Newton's iteration from a double's guess, each step
// doubling the correct bits (53, 106, 212, then the unit).
Wide reciprocal(const Wide& d) {
    const Wide one = wideInteger(1);
    Wide r = wideFromDouble(1.0 / approximate(d));
    for (int step = 0; step < 3; ++step) {
        const Wide p = multiply(d, r);
        if (lessThan(p, one))
            r = add(r, multiply(r, subtract(one, p)));
        else
            r = subtract(r, multiply(r, subtract(p, one)));
    }
    return r;
}

// ------------------------------------------------------------------ reduction mod pi/256, Payne-Hanek

constexpr int kPiWindow = 14;  // words of 2/pi multiplied per argument
constexpr int kProductLimbs = kPiWindow + 2;
static_assert(sizeof tables::kTwoOverPi / sizeof tables::kTwoOverPi[0] >= 30 + kPiWindow,
              "the largest doubles need words 30 .. 43 of 2/pi");

// |x| * 256/pi = k + f with |f| <= 1/2, f = +-fraction * 2^-leadingZeros,
// 1/2 <= fraction < 1.
struct FractionOfStep {
    uint32_t k;  // modulo 512
    bool negative;
    Wide fraction;
    int leadingZeros;
    int errorUnits;  // bound on the fraction's error, in units of 2^-224
};

// x * 256/pi = m * 2^(e + 7) * 2/pi for x = m * 2^e. Words of 2/pi whose
// products with m are multiples of 512 are skipped, 14 words are multiplied,
// and the product's bits below the binary point start at bit `fractionBits`.
FractionOfStep reduceWithBitsOfPi(double ax) {
    const uint64_t bits = bitsOf(ax);
    const int biased = int(bits >> 52);
    uint64_t m = bits & ((uint64_t(1) << 52) - 1);
    if (biased != 0) m |= uint64_t(1) << 52;
    const int e = (biased != 0 ? biased : 1) - 1075 + 7;
    const int first = e >= 41 ? (e - 41) / 32 + 1 : 0;
    const int fractionBits = 32 * (first + kPiWindow) - e;

    uint64_t column[kProductLimbs] = {};
    const uint32_t mLow = uint32_t(m);
    const uint32_t mHigh = uint32_t(m >> 32);
    for (int t = 0; t < kPiWindow; ++t) {
        const uint32_t word = tables::kTwoOverPi[first + t];
        const int at = kPiWindow - 1 - t;
        const uint64_t low = uint64_t(mLow) * word;
        const uint64_t high = uint64_t(mHigh) * word;
        column[at] += uint32_t(low);
        column[at + 1] += (low >> 32) + uint32_t(high);
        column[at + 2] += high >> 32;
    }
    uint32_t product[kProductLimbs];
    uint64_t carry = 0;
    for (int j = 0; j < kProductLimbs; ++j) {
        const uint64_t t = column[j] + carry;
        product[j] = uint32_t(t);
        carry = t >> 32;
    }

    FractionOfStep r{};
    r.k = wordAt(product, kProductLimbs, fractionBits) & 511;
    r.negative = (wordAt(product, kProductLimbs, fractionBits - 1) & 1) != 0;
    if (r.negative) {  // f >= 1/2: step up to k + 1 and take 1 - f
        r.k = (r.k + 1) & 511;
        uint64_t borrow = 0;
        for (int j = 0; j < kProductLimbs; ++j) {
            const uint64_t t = uint64_t(0) - product[j] - borrow;
            product[j] = uint32_t(t);
            borrow = (t >> 32) & 1;
        }
    }
    for (int j = 0; j < kProductLimbs; ++j) {  // keep the bits below the binary point
        const int below = fractionBits - 32 * j;
        if (below <= 0) product[j] = 0;
        else if (below < 32) product[j] &= (1u << below) - 1;
    }
    const int lead = leadingBit(product, kProductLimbs);
    if (lead < 0) return r;  // f is 0 to all the bits computed, which no double comes near
    r.leadingZeros = fractionBits - 1 - lead;
    for (int j = 0; j < kLimbs; ++j)
        r.fraction.limb[j] = wordAt(product, kProductLimbs, lead - (kFractionBits - 1) + 32 * j);
    // The words left out add less than 2^(53 - fractionBits) to f.
    const int lostBits = 53 + kFractionBits - lead;
    r.errorUnits = 1 + (lostBits <= 0 ? 1 : lostBits < 20 ? 1 << lostBits : 1 << 20);
    return r;
}

// ------------------------------------------------------------------ sin and cos, fast stage

// |x| = k * pi/256 + y (mod 2 pi), with |exact y - (y.hi + y.lo)| <= error.
struct Reduced {
    uint32_t k;
    DD y;
    double error;
};

Reduced reduceCodyWaite(double ax) {
    const double kd = (ax * tables::kStepInverse + 0x1.8p52) - 0x1.8p52;
    const double r1 = ax - kd * tables::kStep1;  // exact: kd * kStep1 is, and r1 is small
    const DD r2 = twoSum(r1, -(kd * tables::kStep2));
    const DD p3 = twoProduct(kd, tables::kStep3);
    const double p4 = kd * tables::kStep4;
    const DD r3 = twoSum(r2.hi, -p3.hi);
    const double tail = (r2.lo - p3.lo) - p4;
    const DD y = twoSum(r3.hi, r3.lo + tail);
    const double error =
        0x1p-50 * (magnitude(r2.lo) + magnitude(p3.lo) + magnitude(p4) + magnitude(r3.lo));
    return {uint32_t(int64_t(kd)) & 511, y, error};
}

// The top 106 bits of a fraction in [1/2, 1), exactly.
DD topBitsOf(const Wide& fraction) {
    const auto bits53From = [&fraction](int low) {
        return double(uint64_t(wordAt(fraction.limb, kLimbs, low)) |
                      (uint64_t(wordAt(fraction.limb, kLimbs, low + 32) & 0x1fffff) << 32));
    };
    return {bits53From(kFractionBits - 53) * 0x1p-53, bits53From(kFractionBits - 106) * 0x1p-106};
}

Reduced reduceFast(double ax) {
    if (ax < 0x1p20) return reduceCodyWaite(ax);
    const FractionOfStep f = reduceWithBitsOfPi(ax);
    // y = f * pi/256 = +-fraction * pi/2 * 2^-(leadingZeros + 7)
    DD y = ddMul(topBitsOf(f.fraction), {tables::kHalfPiHi, tables::kHalfPiLo});
    const double scale = powerOfTwo(-(f.leadingZeros + 7));
    y = {y.hi * scale, y.lo * scale};
    if (f.negative) y = ddNegate(y);
    // A fraction with too few good bits (none is known) goes to the slow stage.
    const double error = f.errorUnits > 1 << 10 ? magnitude(y.hi) : 0x1p-100 * magnitude(y.hi);
    return {f.k, y, error};
}

Estimate negated(const Estimate& e) { return {-e.hi, -e.lo, e.bound}; }

// sin(k * pi/256 + y) = +-sin(b + y) or +-cos(b + y) with b = i * pi/256,
// i = k mod 128, and
//   sin(b + y) = sin b + cos b * y + (sin b * (cos y - 1) + cos b * (sin y - y))
//   cos(b + y) = cos b - sin b * y + (cos b * (cos y - 1) - sin b * (sin y - y))
// where the bracket, below 2^-15 of the rest, is good enough in doubles.
Estimate sinOfReduced(uint32_t k, DD y, double yError) {
    const uint32_t quadrant = (k >> 7) & 3;
    const uint32_t i = k & 127;
    const DD sinB = tableDD(tables::kSinStepDD[i]);
    const DD cosB = tableDD(tables::kSinStepDD[128 - i]);

    const double y2 = y.hi * y.hi + (2.0 * y.hi) * y.lo;
    const double sinYMinusY =
        y.hi * y2 *
        (-0x1.5555555555555p-3 +
         y2 * (0x1.1111111111111p-7 + y2 * (-0x1.a01a01a01a01ap-13 + y2 * 0x1.71de3a556c734p-19)));
    const double cosYMinusOne =
        y2 * (-0.5 + y2 * (0x1.5555555555555p-5 + y2 * (-0x1.6c16c16c16c17p-10 + y2 * 0x1.a01a01a01a01ap-16)));

    DD sum;
    double smallPart;
    double mainPart;
    if (quadrant % 2 == 0) {
        const double a = sinB.hi * cosYMinusOne;
        const double b = cosB.hi * sinYMinusY;
        sum = ddSum(sinB, ddMul(cosB, y), a + b);
        smallPart = magnitude(a) + magnitude(b);
        mainPart = magnitude(sinB.hi) + magnitude(cosB.hi * y.hi);
    } else {
        const double a = cosB.hi * cosYMinusOne;
        const double b = sinB.hi * sinYMinusY;
        sum = ddSum(cosB, ddNegate(ddMul(sinB, y)), a - b);
        smallPart = magnitude(a) + magnitude(b);
        mainPart = magnitude(cosB.hi) + magnitude(sinB.hi * y.hi);
    }
    // The bracket's doubles are good to about 2^-50.6 of its terms, the
    // double-double products and sums to about 2^-103 of theirs.
    const Estimate e = {sum.hi, sum.lo, 0x1p-49 * smallPart + 0x1p-100 * mainPart + yError};
    return quadrant >= 2 ? negated(e) : e;
}

// ------------------------------------------------------------------ sin and cos, slow stage

// cos y and sin(y)/y by Horner's rule on their Taylor series in u = y^2 <= 2^-14.7,
// to 2^-231: 1 - u/(1*2) (1 - u/(3*4) (...)) and 1 - u/(2*3) (1 - u/(4*5) (...)).
Wide taylorInSquare(const Wide& u, uint32_t firstFactor) {
    const Wide one = wideInteger(1);
    Wide sum = one;
    for (uint32_t n = 10; n >= 1; --n) {
        const uint32_t f = 2 * n - 2 + firstFactor;
        sum = subtract(one, divideBySmall(multiply(u, sum), f * (f + 1)));
    }
    return sum;
}

// Bound on the slow stage's error in units of 2^-224: each fixed-point
// operation truncates by less than one unit, and no value passes through
// more than a dozen or so of them after the last factor larger than 2.
constexpr uint32_t kSlowErrorUnits = 64;

// sin(x) or cos(x) = sin(|x| + pi/2), reduced with the bits of 2/pi, in fixed point.
double sinOrCosAccurate(double x, bool cosine, bool* decided) {
    const FractionOfStep f = reduceWithBitsOfPi(magnitude(x));
    const uint32_t k = (f.k + (cosine ? 128 : 0)) & 511;
    const uint32_t quadrant = (k >> 7) & 3;
    const uint32_t i = k & 127;
    const bool sineOfBPlusY = quadrant % 2 == 0;
    bool negative = (quadrant >= 2) != (!cosine && signBit(x));

    // y = +-yScaled * 2^-shift, yScaled = fraction * pi/2 in [pi/4, pi/2).
    const Wide yScaled = multiply(f.fraction, wideOf(tables::kHalfPiWide));
    const int shift = f.leadingZeros + 7;
    const Wide u = shiftRight(multiply(yScaled, yScaled), 2 * shift);
    const Wide cosY = taylorInSquare(u, 1);
    const Wide sinYOverY = taylorInSquare(u, 2);

    Wide value;
    int exponentShift = 0;
    if (i == 0 && sineOfBPlusY) {  // sin y: keep its relative precision however small y is
        value = multiply(yScaled, sinYOverY);
        exponentShift = -shift;
        negative = negative != f.negative;
    } else if (i == 0) {
        value = cosY;
    } else {  // both terms of the sums below are positive, the results at least sin(pi/512)
        const Wide sinY = multiply(shiftRight(yScaled, shift), sinYOverY);
        const Wide sinB = wideOf(tables::kSinStepWide[i]);
        const Wide cosB = wideOf(tables::kSinStepWide[128 - i]);
        if (sineOfBPlusY) {
            const Wide a = multiply(sinB, cosY), b = multiply(cosB, sinY);
            value = f.negative ? subtract(a, b) : add(a, b);
        } else {
            const Wide a = multiply(cosB, cosY), b = multiply(sinB, sinY);
            value = f.negative ? add(a, b) : subtract(a, b);
        }
    }
    double result;
    *decided = roundWide(value, kSlowErrorUnits + 2 * uint32_t(f.errorUnits), exponentShift, &result);
    return negative ? -result : result;
}

// ------------------------------------------------------------------ atan

// atan(z) = atan(c) + atan(t), c = i/128 nearest to z, t = (z - c)/(1 + z c),
// |t| <= 1/256; atan t = t + t^3 (-1/3 + t^2/5 - ...), the second part in
// doubles. z is a itself, or 1/a above 1: then atan a = pi/2 - atan z and
// t = (1 - a c)/(a + c), without dividing for 1/a first.
Estimate atanEstimateOfMagnitude(double a) {
    const bool inverted = a > 1.0;
    const int i = int((inverted ? 128.0 / a : 128.0 * a) + 0.5);
    const double c = i * 0x1p-7;
    const DD ac = twoProduct(a, c);
    DD numerator, denominator;
    if (inverted) {
        const DD oneMinusAc = twoSum(1.0, -ac.hi);
        numerator = twoSum(oneMinusAc.hi, oneMinusAc.lo - ac.lo);
        denominator = twoSum(a, c);
    } else {
        numerator = twoSum(a, -c);
        const DD onePlusAc = twoSum(1.0, ac.hi);
        denominator = fastTwoSum(onePlusAc.hi, onePlusAc.lo + ac.lo);
    }
    const DD t = ddDivide(numerator, denominator);

    const double t2 = t.hi * t.hi;
    const double tail =
        t.hi * t2 *
        (-0x1.5555555555555p-2 +
         t2 * (0x1.999999999999ap-3 + t2 * (-0x1.2492492492492p-3 + t2 * 0x1.c71c71c71c71cp-4)));
    const DD atanC = tableDD(tables::kAtanStepDD[i]);
    DD sum = ddSum(atanC, t, tail);
    double mainPart = magnitude(atanC.hi) + magnitude(t.hi);
    if (inverted) {
        sum = ddSum({tables::kHalfPiHi, tables::kHalfPiLo}, ddNegate(sum), 0.0);
        mainPart += 2.0;
    }
    return {sum.hi, sum.lo, 0x1p-49 * magnitude(tail) + 0x1p-100 * mainPart};
}

// 1 - u/3 + u^2/5 - ... by Horner's rule, u <= 2^-16, to 2^-240.
Wide atanOverT(const Wide& u) {
    const Wide one = wideInteger(1);
    Wide sum = divideBySmall(one, 2 * 15 + 1);
    for (uint32_t n = 15; n >= 1; --n) sum = subtract(divideBySmall(one, 2 * n - 1), multiply(u, sum));
    return sum;
}

double atanAccurateOfMagnitude(double a, bool* decided) {
    const bool inverted = a > 1.0;
    Wide z;
    double zApproximate = a;
    if (inverted) {  // a = m * 2^e with 1 <= m < 2
        const int e = int(bitsOf(a) >> 52) - 1023;
        z = shiftRight(reciprocal(wideFromDouble(a * powerOfTwo(-e))), e);
        zApproximate = 1.0 / a;
    } else {
        z = wideFromDouble(a);
    }
    const uint32_t i = uint32_t(zApproximate * 128.0 + 0.5);
    const Wide c = wideFromScaled(i, kFractionBits - 7);
    const bool below = lessThan(z, c);
    const Wide difference = below ? subtract(c, z) : subtract(z, c);
    const Wide t = i == 0 ? difference
                          : multiply(difference, reciprocal(add(wideInteger(1), multiply(z, c))));
    const Wide atanT = multiply(t, atanOverT(multiply(t, t)));
    const Wide atanC = wideOf(tables::kAtanStepWide[i]);
    Wide value = below ? subtract(atanC, atanT) : add(atanC, atanT);
    if (inverted) value = subtract(wideOf(tables::kHalfPiWide), value);
    double result;
    *decided = roundWide(value, kSlowErrorUnits, 0, &result);
    return result;
}

}  // namespace

// ------------------------------------------------------------------ the stages

namespace portable_math_detail {

Estimate sinEstimate(double x) {
    const Reduced r = reduceFast(magnitude(x));
    const Estimate e = sinOfReduced(r.k, r.y, r.error);
    return signBit(x) ? negated(e) : e;
}

Estimate cosEstimate(double x) {
    const Reduced r = reduceFast(magnitude(x));
    return sinOfReduced(r.k + 128, r.y, r.error);
}

Estimate atanEstimate(double x) {
    const Estimate e = atanEstimateOfMagnitude(magnitude(x));
    return signBit(x) ? negated(e) : e;
}

bool roundEstimate(const Estimate& estimate, double* result) {
    // The margin covers the rounding of lo +- margin itself.
    const double margin = estimate.bound * 1.125;
    const double low = estimate.hi + (estimate.lo - margin);
    const double high = estimate.hi + (estimate.lo + margin);
    *result = low;
    return low == high;
}

double sinAccurate(double x, bool* decided) { return sinOrCosAccurate(x, false, decided); }

double cosAccurate(double x, bool* decided) { return sinOrCosAccurate(x, true, decided); }

double atanAccurate(double x, bool* decided) {
    const double r = atanAccurateOfMagnitude(magnitude(x), decided);
    return signBit(x) ? -r : r;
}

}  // namespace portable_math_detail

// ------------------------------------------------------------------ the functions

namespace {

using EstimateFunction = Estimate (*)(double);
using AccurateFunction = double (*)(double, bool*);

double correctlyRounded(double x, EstimateFunction estimate, AccurateFunction accurate) {
    double result;
    if (portable_math_detail::roundEstimate(estimate(x), &result)) return result;
    bool decided;
    return accurate(x, &decided);
}

bool isNaNOrInfinite(double x) { return ((bitsOf(x) >> 52) & 0x7ff) == 0x7ff; }

}  // namespace

double portableSin(double x) {
    if (isNaNOrInfinite(x)) return x - x;
    if (magnitude(x) < 0x1p-26) return x;  // |sin x - x| < x^3/6, under half an ulp of x
    return correctlyRounded(x, portable_math_detail::sinEstimate, portable_math_detail::sinAccurate);
}

double portableCos(double x) {
    if (isNaNOrInfinite(x)) return x - x;
    if (magnitude(x) < 0x1p-27) return 1.0;  // 1 - x^2/2 is above 1 - 2^-54
    return correctlyRounded(x, portable_math_detail::cosEstimate, portable_math_detail::cosAccurate);
}

double portableAtan(double x) {
    if (x != x) return x + x;
    const double a = magnitude(x);
    if (a >= 0x1p53) return signBit(x) ? -tables::kHalfPiHi : tables::kHalfPiHi;  // pi/2 - 1/a rounds to it
    if (a < 0x1p-27) return x;  // |atan x - x| < |x|^3/3, under half an ulp of x
    return correctlyRounded(x, portable_math_detail::atanEstimate, portable_math_detail::atanAccurate);
}
