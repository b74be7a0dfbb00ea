#include "ball/Energy.h"

#include "ball/SoftBall.h"

namespace {
double squaredLength(const Vec3& v) { return v.x * v.x + v.y * v.y + v.z * v.z; }

// A spring to the centre counts whole; one between surface points counts
// half, since its partner the other way round counts the other half.
double springEnergy(const Spring& spring, const Particle* centre) {
    const double stretch = length(spring.from->position - spring.to->position) - static_cast<double>(spring.restLength);
    const double energy = 0.5 * static_cast<double>(spring.stiffness) * stretch * stretch;
    return spring.to == centre ? energy : 0.5 * energy;
}
}  // namespace

BallEnergy energyOf(const SoftBall& ball) {
    BallEnergy energy;
    if (ball.particles.empty()) return energy;
    const Particle* const centre = ball.isBuilt() ? ball.particles[ball.centreIndex()].get() : nullptr;
    for (const auto& particle : ball.particles) {
        energy.kinetic += 0.5 * ball.particleMass * squaredLength(particle->velocity);
        energy.gravity -= ball.gravity.x * particle->position.x + ball.gravity.y * particle->position.y +
                          ball.gravity.z * particle->position.z;
        for (const auto& spring : particle->springs) energy.spring += springEnergy(*spring, centre);
    }
    energy.total = energy.kinetic + energy.spring + energy.gravity;
    return energy;
}
