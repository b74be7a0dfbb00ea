// Prints a digest of portableSin, portableCos and portableAtan over many
// arguments, and how often the C library differs from them, so that builds
// for different platforms can be compared line by line:
// scripts/wasm-portable-math-check.sh builds it natively and with
// emscripten. The arguments come from integer arithmetic and single IEEE
// operations only, so every platform sees the same ones.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "math/PortableMath.h"

namespace {

uint64_t nextRandom(uint64_t& state) {  // splitmix64
    uint64_t z = (state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

double fromBits(uint64_t bits) {
    double x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

uint64_t bitsOf(double x) {
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

// Random mantissa and sign, biased exponent from `low` to `high`.
double withExponentBetween(uint64_t random, int low, int high) {
    const uint64_t exponent = uint64_t(low) + (random >> 52) % uint64_t(high - low + 1);
    return fromBits((random & 0x800fffffffffffffull) | (exponent << 52));
}

double argument(int range, uint64_t random) {
    switch (range) {
    case 0: return (double(random >> 11) * 0x1p-53 * 2.0 - 1.0) * 12.566370614359172;  // [-4 pi, 4 pi]
    case 1: return withExponentBetween(random, 1023 - 30, 1023 + 20);                   // 2^-30 .. 2^20
    case 2: return withExponentBetween(random, 1023 + 20, 2046);                        // 2^20 .. max
    default: return fromBits(random);                                                   // any bits
    }
}

struct Digest {
    uint64_t hash = 0xcbf29ce484222325ull;  // FNV-1a over the result bits
    long long libraryDiffers = 0;
    void add(double portable, double library) {
        const uint64_t bits = portable != portable ? 0x7ff8000000000000ull : bitsOf(portable);
        for (int b = 0; b < 64; b += 8) hash = (hash ^ ((bits >> b) & 0xff)) * 0x100000001b3ull;
        libraryDiffers += bitsOf(portable) != bitsOf(library) && !(portable != portable && library != library);
    }
};

}  // namespace

int main(int argc, char** argv) {
    const long long count = argc > 1 ? std::atoll(argv[1]) : 1000000;
    const char* rangeNames[] = {"[-4pi,4pi]", "2^-30..2^20", "2^20..max", "any-bits"};
    for (int range = 0; range < 4; ++range) {
        uint64_t state = 12345 + uint64_t(range);
        Digest sin, cos, atan;
        for (long long n = 0; n < count; ++n) {
            const double x = argument(range, nextRandom(state));
            sin.add(portableSin(x), std::sin(x));
            cos.add(portableCos(x), std::cos(x));
            atan.add(portableAtan(x), std::atan(x));
        }
        const Digest* digests[] = {&sin, &cos, &atan};
        const char* names[] = {"sin", "cos", "atan"};
        for (int f = 0; f < 3; ++f)
            std::printf("%-4s %-12s %lld args digest %016llx  C library differs %lld\n", names[f], rangeNames[range],
                        count, (unsigned long long)digests[f]->hash, digests[f]->libraryDiffers);
    }
}
