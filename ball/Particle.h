#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ball/Spring.h"
#include "math/Vec3.h"

// One mass point of the ball.
struct Particle {
    Vec3 position;
    Vec3 velocity;
};

// The springs of one particle, in the order they were added.
template <typename SpringType>
class SpringSpan {
public:
    SpringSpan(SpringType* first, SpringType* last) : first_(first), last_(last) {}
    SpringType* begin() const { return first_; }
    SpringType* end() const { return last_; }
    std::size_t size() const { return static_cast<std::size_t>(last_ - first_); }
    bool empty() const { return first_ == last_; }
    SpringType& operator[](std::size_t i) const { return first_[i]; }

private:
    SpringType* first_;
    SpringType* last_;
};

// The ball's particles and springs, each kind in one flat array: a step
// walks them in order and a copy of the ball is three plain copies. The
// springs are grouped by the particle they act on, in particle order, so a
// particle's springs are those from firstSpring(i) to firstSpring(i + 1).
class ParticleList {
public:
    std::size_t size() const { return points_.size(); }
    bool empty() const { return points_.empty(); }
    Particle& operator[](std::size_t i) { return points_[i]; }
    const Particle& operator[](std::size_t i) const { return points_[i]; }
    std::vector<Particle>::iterator begin() { return points_.begin(); }
    std::vector<Particle>::iterator end() { return points_.end(); }
    std::vector<Particle>::const_iterator begin() const { return points_.begin(); }
    std::vector<Particle>::const_iterator end() const { return points_.end(); }
    Particle* data() { return points_.data(); }
    const Particle* data() const { return points_.data(); }

    void clear();
    void reserve(std::size_t particles, std::size_t springs = 0);
    void push_back(const Vec3& position) { points_.push_back(Particle{position, Vec3()}); }
    // Drops the last particle with its springs.
    void pop_back();

    // Springs are added particle by particle: `from` never goes back to an
    // earlier particle than the one before.
    void addSpring(int from, const Spring& spring);

    std::size_t springCount() const { return springs_.size(); }
    std::size_t firstSpring(std::size_t particle) const {
        return particle < firstSpring_.size() ? static_cast<std::size_t>(firstSpring_[particle]) : springs_.size();
    }
    SpringSpan<const Spring> springsOf(std::size_t particle) const {
        return {springs_.data() + firstSpring(particle), springs_.data() + firstSpring(particle + 1)};
    }
    SpringSpan<Spring> springsOf(std::size_t particle) {
        return {springs_.data() + firstSpring(particle), springs_.data() + firstSpring(particle + 1)};
    }
    const Spring* springData() const { return springs_.data(); }

private:
    std::vector<Particle> points_;
    std::vector<Spring> springs_;
    std::vector<std::int32_t> firstSpring_;  // one for each particle up to the last with springs
};
