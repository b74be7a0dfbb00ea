// Prints "bits text" lines for a fixed sequence of doubles: with
// ORVANE_DUMP_LIBRARY through std::to_chars, otherwise through
// formatShortest. scripts/wasm-shortest-check.sh builds the second kind with
// emscripten, runs it under node and compares its lines with the native
// library's. The values come from integer arithmetic and single IEEE
// operations only, so every standard library produces the same sequence.
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef ORVANE_DUMP_LIBRARY
#include <charconv>
#else
#include "tools/common/ShortestDouble.h"
#endif

namespace {
std::uint64_t splitMix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

double fromBits(std::uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Uniform bit patterns, scaled unit fractions and short decimals, in turn.
double nextValue(std::uint64_t& state, long long index) {
    static const double kScales[] = {1e-9, 1e-4, 1e-3, 0.01, 1.0, 20.0, 1e3, 1e5, 1e16, 1e21, 1e22};
    static const double kDivisors[] = {1.0, 10.0, 100.0, 1e3, 1e4, 1e5, 1e6, 1e7};
    const std::uint64_t r = splitMix64(state);
    switch (index % 3) {
    case 0:
        return fromBits(r);
    case 1: {
        const double unit = static_cast<double>(r >> 11) * 0x1.0p-53;
        return (r & 1 ? -unit : unit) * kScales[(r >> 1) % 11];
    }
    default: {
        const double integer = static_cast<double>((r >> 8) >> (r % 50));
        return (r & 0x80 ? -integer : integer) / kDivisors[(r >> 56) % 8];
    }
    }
}

std::size_t format(double value, char* out) {
#ifdef ORVANE_DUMP_LIBRARY
    return static_cast<std::size_t>(std::to_chars(out, out + 64, value).ptr - out);
#else
    return formatShortest(value, out);
#endif
}
}  // namespace

int main(int argc, char** argv) {
    const long long count = argc > 1 ? std::atoll(argv[1]) : 1000000;
    std::uint64_t state = 20240601;
    static char buffer[1 << 16];
    std::size_t used = 0;
    for (long long i = 0; i < count; ++i) {
        const double value = nextValue(state, i);
        if (!std::isfinite(value)) continue;
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        if (used > sizeof buffer - 64) {
            std::fwrite(buffer, 1, used, stdout);
            used = 0;
        }
        used += static_cast<std::size_t>(std::snprintf(buffer + used, 20, "%016" PRIx64 " ", bits));
        used += format(value, buffer + used);
        buffer[used++] = '\n';
    }
    std::fwrite(buffer, 1, used, stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
