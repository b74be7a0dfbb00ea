#include "ball/Particle.h"

#include <unordered_map>

ParticleList::ParticleList(const ParticleList& other) : std::vector<std::unique_ptr<Particle>>() {
    std::unordered_map<const Particle*, Particle*> copyOf;
    reserve(other.size());
    for (const auto& particle : other) {
        auto copy = std::make_unique<Particle>(particle->position);
        copy->velocity = particle->velocity;
        copyOf[particle.get()] = copy.get();
        push_back(std::move(copy));
    }
    for (std::size_t i = 0; i < size(); ++i) {
        Particle& copy = *(*this)[i];
        copy.springs.reserve(other[i]->springs.size());
        for (const auto& spring : other[i]->springs) {
            auto joined = std::make_unique<Spring>(*spring);
            joined->from = &copy;
            const auto to = copyOf.find(spring->to);
            joined->to = to != copyOf.end() ? to->second : nullptr;
            copy.springs.push_back(std::move(joined));
        }
    }
}

ParticleList& ParticleList::operator=(const ParticleList& other) {
    if (this != &other) *this = ParticleList(other);
    return *this;
}
