#pragma once

#include <cstddef>

// What the study panel plots: one sample per simulation step, the last 600.
struct StepSample {
    double kinetic = 0.0;  // energies, as ball/Energy.h defines them
    double spring = 0.0;
    double gravity = 0.0;
    double total = 0.0;
    int contacts = 0;      // surface points touching the scene
    float tiltX = 0.0f;    // degrees
    float tiltZ = 0.0f;
    double centreHeight = 0.0;
    double separation = 0.0;  // compare mode: between A's and B's centres of mass
};

class StepHistory {
public:
    static constexpr std::size_t kCapacity = 600;

    void add(const StepSample& sample) {
        samples_[(first_ + count_) % kCapacity] = sample;
        if (count_ < kCapacity) {
            ++count_;
        } else {
            first_ = (first_ + 1) % kCapacity;
        }
    }
    void clear() { first_ = count_ = 0; }
    std::size_t size() const { return count_; }
    // 0 is the oldest sample kept, size() - 1 the newest.
    const StepSample& operator[](std::size_t i) const { return samples_[(first_ + i) % kCapacity]; }

private:
    StepSample samples_[kCapacity];
    std::size_t first_ = 0;
    std::size_t count_ = 0;
};
