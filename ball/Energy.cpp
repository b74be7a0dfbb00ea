#include "ball/Energy.h"

#include "ball/SoftBall.h"

namespace {
double squaredLength(const Vec3& v) { return v.x * v.x + v.y * v.y + v.z * v.z; }

bool hasPartner(const ParticleList& particles, int from, const Spring& spring) {
    for (const Spring& back : particles.springsOf(static_cast<std::size_t>(spring.to))) {
        if (back.to == from) return true;
    }
    return false;
}

// A spring with a partner the other way round (every pair of neighbouring
// surface points has one) counts half, the partner the other half; a spring
// alone (to the centre) counts whole.
double springEnergy(const ParticleList& particles, int from, const Spring& spring) {
    const double stretch = length(particles[static_cast<std::size_t>(from)].position -
                                  particles[static_cast<std::size_t>(spring.to)].position) -
                           static_cast<double>(spring.restLength);
    const double energy = 0.5 * static_cast<double>(spring.stiffness) * stretch * stretch;
    return hasPartner(particles, from, spring) ? 0.5 * energy : energy;
}
}  // namespace

BallEnergy energyOf(const SoftBall& ball) {
    BallEnergy energy;
    if (ball.particles.empty()) return energy;
    for (std::size_t i = 0; i < ball.particles.size(); ++i) {
        const Particle& particle = ball.particles[i];
        energy.kinetic += 0.5 * ball.particleMass * squaredLength(particle.velocity);
        energy.gravity -= ball.gravity.x * particle.position.x + ball.gravity.y * particle.position.y +
                          ball.gravity.z * particle.position.z;
        for (const Spring& spring : ball.particles.springsOf(i))
            energy.spring += springEnergy(ball.particles, static_cast<int>(i), spring);
    }
    energy.total = energy.kinetic + energy.spring + energy.gravity;
    return energy;
}
