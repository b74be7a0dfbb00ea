#pragma once

#include <memory>
#include <vector>

#include "ball/Spring.h"
#include "math/Vec3.h"

// One mass point of the ball. It owns the springs that act on it; it is
// heap-allocated so that springs can point at it while the list grows.
struct Particle {
    Vec3 position;
    Vec3 velocity;
    std::vector<std::unique_ptr<Spring>> springs;

    explicit Particle(const Vec3& p) : position(p) {}
    Particle(const Particle&) = delete;
    Particle& operator=(const Particle&) = delete;
};

// The ball's particles. Copying the list copies every particle with its
// springs, and the copied springs join the copied particles, so that two
// copies never share anything.
class ParticleList : public std::vector<std::unique_ptr<Particle>> {
public:
    ParticleList() = default;
    ParticleList(const ParticleList& other);
    ParticleList& operator=(const ParticleList& other);
    ParticleList(ParticleList&&) = default;
    ParticleList& operator=(ParticleList&&) = default;
};
