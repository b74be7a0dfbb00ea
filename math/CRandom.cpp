#include "math/CRandom.h"

// Seeded with 1, as rand() is without srand(): the table is filled by the
// minimal standard generator (16807 * x mod 2^31 - 1, computed without
// overflow) and the first 310 outputs are thrown away.
CRandom::CRandom() {
    std::int32_t word = 1;
    state_[0] = static_cast<std::uint32_t>(word);
    for (int i = 1; i < kDegree; ++i) {
        const std::int32_t hi = word / 127773;
        const std::int32_t lo = word % 127773;
        word = 16807 * lo - 2836 * hi;
        if (word < 0) word += 2147483647;
        state_[i] = static_cast<std::uint32_t>(word);
    }
    for (int i = 0; i < 10 * kDegree; ++i) next();
}

int CRandom::next() {
    state_[front_] += state_[rear_];
    const int result = static_cast<int>(state_[front_] >> 1);
    front_ = front_ + 1 == kDegree ? 0 : front_ + 1;
    rear_ = rear_ + 1 == kDegree ? 0 : rear_ + 1;
    return result;
}
