#include "ball/Energy.h"

#include "ball/SoftBall.h"

namespace {
double squaredLength(const Vec3& v) { return v.x * v.x + v.y * v.y + v.z * v.z; }

bool hasPartner(const Spring& spring) {
    for (const auto& back : spring.to->springs) {
        if (back->to == spring.from) return true;
    }
    return false;
}

// A spring with a partner the other way round (every pair of neighbouring
// surface points has one) counts half, the partner the other half; a spring
// alone (to the centre) counts whole.
double springEnergy(const Spring& spring) {
    const double stretch = length(spring.from->position - spring.to->position) - static_cast<double>(spring.restLength);
    const double energy = 0.5 * static_cast<double>(spring.stiffness) * stretch * stretch;
    return hasPartner(spring) ? 0.5 * energy : energy;
}
}  // namespace

BallEnergy energyOf(const SoftBall& ball) {
    BallEnergy energy;
    if (ball.particles.empty()) return energy;
    for (const auto& particle : ball.particles) {
        energy.kinetic += 0.5 * ball.particleMass * squaredLength(particle->velocity);
        energy.gravity -= ball.gravity.x * particle->position.x + ball.gravity.y * particle->position.y +
                          ball.gravity.z * particle->position.z;
        for (const auto& spring : particle->springs) energy.spring += springEnergy(*spring);
    }
    energy.total = energy.kinetic + energy.spring + energy.gravity;
    return energy;
}
