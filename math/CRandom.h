#pragma once

#include <cstdint>

// The sequence of the C library's rand() as glibc makes it when the program
// never seeds it (an additive feedback generator of degree 31), held as a
// value: each world draws from its own copy, the same on every platform, and
// two worlds in one process do not disturb each other.
class CRandom {
public:
    static constexpr int kMax = 2147483647;  // RAND_MAX

    CRandom();

    int next();  // 0 to kMax
    int below(int n) { return next() % n; }

private:
    static constexpr int kDegree = 31;
    static constexpr int kSeparation = 3;
    std::uint32_t state_[kDegree];
    int front_ = kSeparation;
    int rear_ = 0;
};
