#pragma once

#include <cstddef>

// The longest text formatShortest writes: a sign, 17 digits, a point and "e-308".
constexpr std::size_t kShortestDoubleMaxLength = 24;

// Writes the shortest text that reads back as the identical double, byte for
// byte what GCC's std::to_chars(first, last, value) writes: fixed or
// scientific notation, whichever is shorter (fixed on a tie), exponents of at
// least two digits, "-0" for negative zero. It exists because the WebAssembly
// build's standard library has no floating-point std::to_chars and the
// replay must print the same bytes there.
// `value` must be finite; `out` must have room for kShortestDoubleMaxLength
// characters. No terminating null is written. Returns the length written.
std::size_t formatShortest(double value, char* out);
