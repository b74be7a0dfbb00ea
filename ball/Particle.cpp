#include "ball/Particle.h"

#include <cassert>

void ParticleList::clear() {
    points_.clear();
    springs_.clear();
    firstSpring_.clear();
}

void ParticleList::reserve(std::size_t particles, std::size_t springs) {
    points_.reserve(particles);
    springs_.reserve(springs);
    firstSpring_.reserve(particles);
}

void ParticleList::pop_back() {
    points_.pop_back();
    if (firstSpring_.size() > points_.size()) {
        springs_.resize(static_cast<std::size_t>(firstSpring_[points_.size()]));
        firstSpring_.resize(points_.size());
    }
}

void ParticleList::addSpring(int from, const Spring& spring) {
    assert(from >= 0 && static_cast<std::size_t>(from) + 1 >= firstSpring_.size());
    while (firstSpring_.size() <= static_cast<std::size_t>(from))
        firstSpring_.push_back(static_cast<std::int32_t>(springs_.size()));
    springs_.push_back(spring);
}
