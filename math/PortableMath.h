// Sine, cosine and arctangent of a double, correctly rounded to nearest.
//
// The C library's versions may differ in the last bit from one library to
// another (glibc natively, musl's in the WebAssembly build). These are
// computed from IEEE double additions, multiplications and divisions and
// from integer arithmetic only, so every IEEE 754 platform gives the same
// bits for the same argument, as long as the compiler does not fuse
// multiply-adds (-ffp-contract=off) or reorder arithmetic (-ffast-math).
//
// Special values behave like the C functions': sin(-0) = -0, cos(-0) = 1,
// atan(+-inf) = +-pi/2 rounded, a NaN or infinite argument of sin and cos
// gives NaN, a NaN argument gives NaN.
#pragma once

double portableSin(double x);
double portableCos(double x);
double portableAtan(double x);

// The two stages behind the functions, open to the tests. A fast
// double-double estimate comes with a bound on its error; when the bound
// leaves the rounding open, a fixed-point evaluation to about 2^-200
// settles it.
namespace portable_math_detail {

// |f(x) - (hi + lo)| <= bound.
struct Estimate {
    double hi;
    double lo;
    double bound;
};

// For 2^-26 <= |x| < infinity.
Estimate sinEstimate(double x);
// For 2^-27 <= |x| < infinity.
Estimate cosEstimate(double x);
// For 2^-27 <= |x| < 2^53.
Estimate atanEstimate(double x);

// The nearest double to f(x), when the estimate's bound decides it.
bool roundEstimate(const Estimate& estimate, double* result);

// The slow stage, on the same arguments as the estimates. `decided` tells
// whether 2^-200 was enough to decide the rounding, which no double argument
// is known to need: the result is the nearest double to the fixed-point
// value either way.
double sinAccurate(double x, bool* decided);
double cosAccurate(double x, bool* decided);
double atanAccurate(double x, bool* decided);

}  // namespace portable_math_detail
