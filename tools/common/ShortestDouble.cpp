#include "tools/common/ShortestDouble.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

// Built header-only (FMT_HEADER_ONLY) so that no compiled fmt library is
// needed, in particular none for WebAssembly.
#include <fmt/format.h>

namespace {
// Below this every integer is a double, so an integral value's shortest
// digits followed by zeros are its exact value.
constexpr double kTwoPow53 = 9007199254740992.0;

// value == digits * 10^exponent with no trailing zeros in `digits`; the
// shortest such digits that read back as the value, the closest of them when
// there are several, ties to even.
struct ShortestDecimal {
    char digits[20];
    int count;
    int exponent;

    // Exponent of the leading digit: the exponent of the scientific form.
    int leadingExponent() const { return exponent + count - 1; }
};

ShortestDecimal shortestDecimal(double magnitude) {
    // fmt's Dragonbox: the shortest-digit search that fmt's own "{}" uses.
    const auto decimal = fmt::detail::dragonbox::to_decimal(magnitude);
    ShortestDecimal result{};
    result.count = static_cast<int>(
        std::to_chars(result.digits, result.digits + sizeof result.digits, decimal.significand).ptr - result.digits);
    result.exponent = decimal.exponent;
    return result;
}

int fixedLength(const ShortestDecimal& d) {
    if (d.exponent >= 0) return d.count + d.exponent;        // 1234000
    if (d.leadingExponent() >= 0) return d.count + 1;        // 12.34
    return d.count + 1 - d.leadingExponent();                 // 0.001234
}

int scientificLength(const ShortestDecimal& d) {
    const int point = d.count > 1 ? 1 : 0;
    const int exponent = std::abs(d.leadingExponent());
    const int exponentDigits = exponent >= 100 ? 3 : 2;
    return d.count + point + 2 + exponentDigits;  // 1.234e+05
}

char* writeZeros(char* out, int count) {
    std::memset(out, '0', static_cast<std::size_t>(count));
    return out + count;
}

char* writeDigits(char* out, const char* digits, int count) {
    std::memcpy(out, digits, static_cast<std::size_t>(count));
    return out + count;
}

// The exact decimal value of an integral double in [2^53, 10^22), the range
// where fixed notation of an integer can be the shorter one: 17 digits and
// five zeros at most. value = significand * 2^shift with shift <= 21, split
// as upper * 10^8 + lower so that every product fits in 64 bits.
char* writeExactInteger(char* out, double magnitude) {
    std::uint64_t bits;
    std::memcpy(&bits, &magnitude, sizeof bits);
    const std::uint64_t significand = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const int shift = static_cast<int>(bits >> 52) - 1075;
    constexpr std::uint64_t kTenPow8 = 100000000;
    const std::uint64_t lowerPart = (significand % kTenPow8) << shift;
    const std::uint64_t upper = ((significand / kTenPow8) << shift) + lowerPart / kTenPow8;
    std::uint64_t lower = lowerPart % kTenPow8;
    out = std::to_chars(out, out + 20, upper).ptr;
    for (int i = 7; i >= 0; --i, lower /= 10) out[i] = static_cast<char>('0' + lower % 10);
    return out + 8;
}

char* writeScientific(char* out, const ShortestDecimal& d) {
    *out++ = d.digits[0];
    if (d.count > 1) {
        *out++ = '.';
        out = writeDigits(out, d.digits + 1, d.count - 1);
    }
    *out++ = 'e';
    const int exponent = d.leadingExponent();
    *out++ = exponent < 0 ? '-' : '+';
    const int magnitude = std::abs(exponent);
    if (magnitude < 10) *out++ = '0';
    return std::to_chars(out, out + 3, magnitude).ptr;
}

char* writeFixed(char* out, const ShortestDecimal& d, double magnitude) {
    if (d.exponent >= 0) {
        // An integer. From 2^53 on, the shortest digits padded with zeros
        // need not be the value itself; fixed notation prints the exact
        // integer, which is then the closest text of that length.
        if (d.exponent > 0 && magnitude >= kTwoPow53) return writeExactInteger(out, magnitude);
        out = writeDigits(out, d.digits, d.count);
        return writeZeros(out, d.exponent);
    }
    const int integerDigits = d.leadingExponent() + 1;
    if (integerDigits > 0) {
        out = writeDigits(out, d.digits, integerDigits);
        *out++ = '.';
        return writeDigits(out, d.digits + integerDigits, d.count - integerDigits);
    }
    *out++ = '0';
    *out++ = '.';
    out = writeZeros(out, -integerDigits);
    return writeDigits(out, d.digits, d.count);
}
}  // namespace

std::size_t formatShortest(double value, char* out) {
    char* end = out;
    if (std::signbit(value)) *end++ = '-';
    const double magnitude = std::fabs(value);
    if (magnitude == 0.0) {
        *end++ = '0';
        return static_cast<std::size_t>(end - out);
    }
    const ShortestDecimal decimal = shortestDecimal(magnitude);
    end = fixedLength(decimal) <= scientificLength(decimal) ? writeFixed(end, decimal, magnitude)
                                                            : writeScientific(end, decimal);
    return static_cast<std::size_t>(end - out);
}
